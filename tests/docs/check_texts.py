#!/usr/bin/env python3
"""Every copy of a text: each text of the programs that a document quotes (README.md, the
Windows ReadMe.txt, the manual pages, the benchmark's floor programs) must stand there in the
program's current words, so that a text changed in the program fails here until every document
says the same. The texts are read from the programs' text headers; which document quotes which
is the table below, kept by hand. A document is compared with runs of blanks folded into one,
since documents wrap their lines; a manual page as mandoc shows it. A text of several lines must
stand there line by line. First the check is shown to fail on a text changed in the program
alone."""

import argparse
import re
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent.parent
HEADERS = {"shared": "common/texts.hpp", "renumbrix": "sorter/sorter_texts.hpp",
           "tallyrun": "counter/counter_texts.hpp"}

# Which texts each document quotes: a text's name, or several names whose texts the document
# quotes as one message, joined.
QUOTED = {
    "README.md": [
        "shared.kInputNotRead", "shared.kOutputNotWritten", "shared.kUnknownOption",
        "shared.kReasonEmpty", "shared.kReasonKeyword", "shared.kReasonOutOfRange",
        "shared.kReasonIdRunsOn", "shared.kReady", "shared.kRemoveListed",
        "shared.kMendListed", "shared.kCannotRead", "renumbrix.kLinesToSort",
        "renumbrix.kAnswerWas", "renumbrix.kNoWholeNumber", "renumbrix.kIsTheLetter",
        "renumbrix.kNotTheDigit", "renumbrix.kProposal", "renumbrix.kFreeUnder",
        "renumbrix.kProposalEnd", "renumbrix.kDefinedAt", "renumbrix.kWereFreeUnder",
        "renumbrix.kSortingLine", "renumbrix.kLeftAsTheyWere", "renumbrix.kCannotReadLine",
        ("renumbrix.kFixListed", "renumbrix.kLeftAsTheyWere"),
        "renumbrix.kIdeNotCreated", "renumbrix.kLogNotCreated", "renumbrix.kOwnFilesOnly",
        "renumbrix.kIdeNotWritten", "renumbrix.kAskCount", "renumbrix.kAskStart",
        "renumbrix.kQuitHint", "renumbrix.kTotal", "renumbrix.kBadLineId",
        "renumbrix.kIdeHeader", "tallyrun.kTotal", "tallyrun.kFilesRead",
        "tallyrun.kIdsDefined", "tallyrun.kDefinedTwice", "tallyrun.kFreeRanges",
        "tallyrun.kLowestStart", "tallyrun.kPressKey", "renumbrix.kFolderNotRead",
        "renumbrix.kFolderNotReadEnd",
    ],
    "resources/ReadMe.txt": [
        "shared.kInputNotRead", "shared.kOutputNotWritten", "shared.kUnknownOption",
        "shared.kReasonKeyword", "shared.kReasonOutOfRange", "shared.kReady",
        "shared.kMendListed", "shared.kCannotRead", "renumbrix.kResultsFolder",
        "renumbrix.kLinesToSort", "renumbrix.kAnswerWas", "renumbrix.kNoWholeNumber",
        "renumbrix.kIsLetter", "renumbrix.kIsTheLetter", "renumbrix.kNotTheDigit",
        "renumbrix.kOutsideRange", "renumbrix.kTooHighFor",
        "renumbrix.kConflicts", "renumbrix.kProposal", "renumbrix.kFreeUnder",
        "renumbrix.kProposalEnd", "renumbrix.kDefinedAt", "renumbrix.kWereFreeUnder",
        "renumbrix.kSortingLine", "renumbrix.kLeftAsTheyWere",
        ("renumbrix.kFixListed", "renumbrix.kLeftAsTheyWere"),
        ("renumbrix.kNoStartTaken", "renumbrix.kLeftAsTheyWere"),
        "renumbrix.kBlockNotTaken", "renumbrix.kCannotReadLine",
        "renumbrix.kIdeCreated", "renumbrix.kIdeNotCreated", "renumbrix.kLogCreated",
        "renumbrix.kLogNotCreated", "renumbrix.kOwnFilesOnly", "renumbrix.kIdeNotWritten",
        "renumbrix.kLogNotWritten", "renumbrix.kAskStart", "renumbrix.kLineDone",
        "renumbrix.kQuitHint", "renumbrix.kTotal", "renumbrix.kBadCount",
        "renumbrix.kBadStart", "renumbrix.kBadLineId", "tallyrun.kLowestStart",
        "renumbrix.kFolderNotRead",
    ],
    "sorter/renumbrix.1": [
        "shared.kInputNotRead", "shared.kUnknownOption", "shared.kReasonOutOfRange",
        "shared.kCannotRead", "renumbrix.kLinesToSort", "renumbrix.kIsTheLetter",
        "renumbrix.kNotTheDigit", "renumbrix.kProposal", "renumbrix.kFreeUnder", "renumbrix.kProposalEnd",
        "renumbrix.kWereFreeUnder", "renumbrix.kSortingLine",
        ("renumbrix.kBlockNotTaken", "renumbrix.kLeftAsTheyWere"),
        ("renumbrix.kFixListed", "renumbrix.kLeftAsTheyWere"),
        ("renumbrix.kNoStartTaken", "renumbrix.kLeftAsTheyWere"),
        "renumbrix.kCannotReadLine", "renumbrix.kIdeNotCreated", "renumbrix.kLogNotCreated",
        "renumbrix.kOwnFilesOnly", "renumbrix.kIdeNotWritten", "renumbrix.kLogNotWritten",
        "renumbrix.kAskStart", "renumbrix.kAskLine", "renumbrix.kLineDone",
        "renumbrix.kQuitHint", "renumbrix.kTotal", "renumbrix.kBadCount",
        "renumbrix.kBadStart", "renumbrix.kBadLineId",
    ],
    "counter/tallyrun.1": [
        "shared.kInputNotRead", "shared.kOutputNotWritten", "shared.kUnknownOption",
        "shared.kReasonKeyword", "shared.kReasonOutOfRange", "shared.kRemoveListed",
        "shared.kCannotRead", "tallyrun.kLowestStart",
    ],
    # The floor programs write what the programs write, each text a literal of their own.
    "bench/floor_sorter.c": [
        "renumbrix.kBanner", "renumbrix.kIdeCreated", "renumbrix.kLogCreated",
        "renumbrix.kIdeClosed", "renumbrix.kLogClosed", "renumbrix.kAskCount",
        "renumbrix.kAskStart", "renumbrix.kAskLine", "renumbrix.kLineDone",
        "renumbrix.kQuitHint", "renumbrix.kFinished", "renumbrix.kTotal",
        "renumbrix.kThanks", "renumbrix.kIdeHeader", "renumbrix.kIdeTrailer",
        "renumbrix.kLogRunHeader", "renumbrix.kLogEnteredLine", "renumbrix.kLogIdDetected",
        "renumbrix.kLogIdChanged", "renumbrix.kLogExtension", "renumbrix.kLogUpdatedLine",
        "renumbrix.kLogFinished",
    ],
    "bench/floor_counter.c": ["tallyrun.kTotal"],
}


def program_texts():
    """Every text constant of the programs, by program and name."""
    texts = {}
    for program, header in HEADERS.items():
        source = (ROOT / header).read_text()
        for match in re.finditer(r'constexpr\s+(?:std::string_view|const char\*)\s+(k\w+)\s*=\s*'
                                 r'((?:"(?:[^"\\]|\\.)*"\s*)+);', source):
            literals = re.findall(r'"((?:[^"\\]|\\.)*)"', match[2])
            text = "".join(literals).encode("latin-1").decode("unicode_escape")
            texts[f"{program}.{match[1]}"] = text
    return texts


def fold(text):
    return " ".join(text.split())


def document_text(name, mandoc):
    path = ROOT / name
    if name.endswith(".1"):
        shown = subprocess.run([mandoc, "-T", "ascii", str(path)], check=True,
                               stdout=subprocess.PIPE, text=True).stdout
        return fold(re.sub(".\b", "", shown))
    return fold(path.read_text())


def problems(texts, documents):
    """What the documents say otherwise than the programs."""
    found = []
    for name, quoted in QUOTED.items():
        for entry in quoted:
            parts = entry if isinstance(entry, tuple) else (entry,)
            missing = [part for part in parts if part not in texts]
            if missing:
                found.append(f"{name}: no text {missing[0]} in the programs")
                continue
            joined = "".join(texts[part] for part in parts)
            for line in filter(None, map(fold, joined.split("\n"))):
                if line not in documents[name]:
                    found.append(f"{name} does not say {line!r} ({' + '.join(parts)})")
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--mandoc", default="mandoc")
    args = parser.parse_args()
    texts = program_texts()
    documents = {name: document_text(name, args.mandoc) for name in QUOTED}
    failed = 0

    # A word changed in the program alone is found in every document that quotes the text.
    changed = dict(texts, **{"renumbrix.kAskStart": texts["renumbrix.kAskStart"].replace(
        "starting point", "first")})
    quoting = [name for name, quoted in QUOTED.items() if "renumbrix.kAskStart" in quoted]
    caught = problems(changed, documents)
    if len(caught) == len(quoting) and all("kAskStart" in problem for problem in caught):
        print("ok   a text changed in the program alone fails in every document quoting it")
    else:
        failed += 1
        print(f"FAIL a text changed in the program alone gave {caught!r}")

    found = problems(texts, documents)
    for problem in found:
        print(f"FAIL {problem}")
    if not found:
        print(f"ok   every document says what the programs say "
              f"({sum(map(len, QUOTED.values()))} quotations in {len(QUOTED)} documents)")
    failed += bool(found)
    print(f"{2 - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
