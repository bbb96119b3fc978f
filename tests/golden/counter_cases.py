#!/usr/bin/env python3
"""Golden transcripts for tallyrun, typed in by hand from its documented dialogue."""

import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_texts import (CR_ALONE, CR_ALONE_COPY, CR_INSIDE, CR_LF, CR_LF_COPY, CR_NOTE,  # noqa: E402
                         EMPTY, KEYWORD, MARK, MEND, NO_ID, NOT_UTF16, NOTHING, OUT_OF_RANGE, READY,
                         REMOVE, TOO_LONG, runs_on)
from game_folder import FREE_2, FREE_100, REPORT_HEAD, full_folder, game_folder  # noqa: E402
from harness import Case, Outcome, bound_socket, main, text  # noqa: E402
from staging import In, Out, Stage, into  # noqa: E402

BANNER = text(
    "Line Counter made by Korvath | Contact: korvath@example.com", "", "",
    "This is a simple line counter which will help you count total lines which is required "
    "in Renumbrix.",
    "Paste the ID data lines without thier syntaxes;Like objs,tobj,2dfx,end etc.", "", "", "",
    "-" * 115,
    "*****Note:If you dont see the total lines text after the last line,press enter again "
    "to generate*****", "", "", "")


NOT_WRITTEN = text("Unable to write console output")
NOT_ON_DISK = " is no file on disk, and is not read"


HELP_TEXT = (
    "Usage: tallyrun [FILE]...",
    "       tallyrun FOLDER [FILE]",
    "Counts the lines of a block of item definition lines as they are typed or",
    "pasted, or read from a file (tallyrun < block.txt), and shows the running",
    "total after each line: the count that renumbrix asks for first. A line",
    "renumbrix would not take is named on the error stream as it comes, and the",
    "count to declare follows at the end of the input. End the input with",
    "Ctrl+Z and Enter (Windows) or Ctrl+D.",
    "Given files (tallyrun block.txt, or a file dropped on tallyrun.exe), it",
    "lists each line renumbrix would not take as it stands (a keyword, a comment,",
    "an ID that runs into other text) and why, then the count to declare; give",
    "renumbrix the block file once it is ready (renumbrix block.txt).",
    "Given a folder (the game's or a mod's), it reads every IDE file under it and",
    "lists each ID defined more than once, with its places, and the free ranges;",
    "given a block file as well, the lowest free start for its lines.",
    "A FILE of - is standard input, and -- ends the options. It writes no files.",
    "--help, -h or /? (Windows) shows this text, --version the version; any",
    "other option is refused.")
HELP = text(*HELP_TEXT, "More: man tallyrun.")
HELP_ON_WINDOWS = text(*HELP_TEXT, "More: ReadMe.txt beside tallyrun.exe.")
WINDOWS_HELP = "the Windows help ends with its ReadMe instead, checked under /?"


# Every kind of line renumbrix would not take, among lines it takes.
MIXED = (b"150, a\n\n  \t\nobjs\n# note\n151, b\n0, zero\n-5, neg\n999999, big\n"
         b"99999999999, long\n+ 5, sign\n\xef\xbb\xbf152, c\n007, d\n+8, e\n 999998, f")
MIXED_LISTED = text("mixed.txt:", "2: " + EMPTY, "3:   \t" + EMPTY, "4: objs" + KEYWORD,
                    "5: # note" + NO_ID, "7: 0, zero" + OUT_OF_RANGE, "8: -5, neg" + OUT_OF_RANGE,
                    "9: 999999, big" + OUT_OF_RANGE, "10: 99999999999, long" + TOO_LONG,
                    "11: + 5, sign" + NO_ID, "12: <BOM>152, c" + MARK, MEND)
READY_BLOCK = b"150, a\n151, b\n152, c"


# IDs that run into other text, and keywords, among lines renumbrix takes right.
TYPOS = b"150, a\n15OO, b\n1503., c\n1505;d\n2dfx\n150abc\n151 e\n152\tf\n153\n154,g\nobjs\n"
TYPOS_LISTED = ((2, "15OO, b", runs_on(15, "OO, b")), (3, "1503., c", runs_on(1503, "., c")),
                (4, "1505;d", runs_on(1505, ";d")), (5, "2dfx", KEYWORD),
                (6, "150abc", runs_on(150, "abc")), (11, "objs", KEYWORD))


TAB = "\t"
# An IDE file with every section that defines IDs, lines no section holds, IDs that run on or
# hold a CR, outsiders, a model split by tabs and one longer than what is shown.
SECTIONS = ["hier", "11, h", "end", "anim", "12, an", "end", "tanm", "13, tn", "end", "weap",
            "14" + TAB + "modW" + TAB + "txd", "end", "peds", "15x, runs", "end", "cars", "16, a\rb",
            "end", "17, after_end", "objs", "999999, big", "99999999999, long", "0, zero",
            "-5, neg", "18, " + "m" * 64 + "X", "18, second", "14, other", "end"]


def ide_folder(name, files):
    """A folder of the working folder holding `files` (name: content), subfolders made."""
    def setup(work):
        for path, content in files.items():
            (work / name / path).parent.mkdir(parents=True, exist_ok=True)
            (work / name / path).write_bytes(content)
    return setup


KEYWORDS = ("objs", "tobj", "2dfx", "end", "inst", "cars", "peds", "hier", "weap", "anim", "tanm",
            "txdp", "path")
FOLDER_USAGE = ("tallyrun: give it block files, or one folder of IDE files, with one block file at "
                "most")

# A C1 control as UTF-8, the same byte alone, and two bidirectional controls, as a name holds
# them (the lone byte as Python's file names hold one), and as the programs show them.
STEERING = "a\x9bb\udc9bc\u202ed\u2066e"
STEERING_SHOWN = "a<U+009B>b<0x9B>c<U+202E>d<U+2066>e"


def mark_split_between_reads():
    """A byte-order mark whose first byte arrives half a second before the rest."""
    yield b"150, a\n\xef"
    time.sleep(0.5)
    yield b"\xbb\xbf151, b\n"


def sparse_line(path, size):
    """One line of `size` bytes, an ID and then NUL bytes, which take no room on disk."""
    with open(path, "wb") as file:
        file.write(b"150, ")
        file.truncate(size)


def files(**content):
    return lambda work: [(work / name.replace("_", ".")).write_bytes(data)
                         for name, data in content.items()]


def checked(name, names, stdout, status, stderr=b"", **content):
    return Case(name, b"", Outcome(stdout, stderr, status), args=names, setup=files(**content))


def totals(count):
    return text(*(f"{'- ' * 44}Total Lines:  {n}" for n in range(1, count + 1)))


def counted(name, stdin, count, notes=None, **options):
    """A count of `count` lines, with notes on lines renumbrix would not take, or else the
    closing line of a block ready as it stands."""
    if notes is None:
        notes = text(READY % count if count else NOTHING)
    return Case(name, stdin, Outcome(totals(count), BANNER + notes, 0), **options)


def noted(closing, *lines):
    """The notes on lines renumbrix would not take, given as (number, reason), and the closing
    line: the count to declare once they are removed, or another closing text."""
    closing = REMOVE % closing if isinstance(closing, int) else closing
    return text(*(f"Line {number}: {reason[5:]}" for number, reason in lines), closing)


def copy_made(name, content):
    """The note's command, run by sh in the folder, writes `content` into `name` + ".lf" and
    makes no other file."""
    def check(work, stdout):
        command = note_command(stdout)
        if command is None:
            return "the note gives no command"
        before = set(os.listdir(work))
        subprocess.run(["sh", "-c", command], cwd=work, check=False, timeout=10)
        made = set(os.listdir(work)) - before
        if made != {name + ".lf"}:
            return f"the command {command!r} made {sorted(made)}"
        if (work / (name + ".lf")).read_bytes() != content:
            return f"the command {command!r} wrote {(work / (name + '.lf')).read_bytes()!r}"
        return None
    return check


def note_command(stdout: bytes):
    """The command a line end note gives, or None where it gives none."""
    parts = stdout.split(b" A copy ")
    return parts[1].split(b": ", 1)[1].split(b"\n")[0] if len(parts) > 1 else None


def link_made_before_paste(link_to):
    """The copy's name is free at the check; a link is made there before the note's command is
    pasted: run by sh, the command changes neither what the link leads to nor the block."""
    def check(work, stdout):
        command = note_command(stdout)
        if command is None:
            return "the note gives no command"
        (work / "other.txt").write_bytes(b"other\n")
        (work / "crlf.txt.lf").symlink_to(link_to)
        before = {name: (work / name).read_bytes() for name in ("other.txt", "crlf.txt")}
        subprocess.run(["sh", "-c", command], cwd=work, check=False, timeout=10,
                       stderr=subprocess.DEVNULL)
        after = {name: (work / name).read_bytes() for name in before}
        return None if after == before else f"the command {command!r} wrote through the link"
    return check


def crlf_named(name):
    """A CR LF block under a name a shell would misread unquoted: the note quotes it, and its
    command makes the right copy and nothing else."""
    quoted = "'" + name.replace("'", "'\\''") + "'"
    return Case(f"a CR LF block named {name!r} gets a command that works", b"",
                Outcome(text(f"{name}:", CR_LF + CR_LF_COPY + f"{quoted} > {quoted[:-1]}.lf'",
                             READY % 2), b"", 0), args=("--", name),
                setup=lambda work: (work / name).write_bytes(b"150, a\r\n151, b\r\n"),
                after=copy_made(name, b"150, a\n151, b\n"),
                not_under_wine="only a POSIX shell reads the command")


CASES = [
    Case("three lines, banner spelled out", b"150, a\n151, b\n152, c\n", Outcome(b"""\
- - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - Total Lines:  1
- - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - Total Lines:  2
- - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - Total Lines:  3
""", b"""\
Line Counter made by Korvath | Contact: korvath@example.com


This is a simple line counter which will help you count total lines which is required in Renumbrix.
Paste the ID data lines without thier syntaxes;Like objs,tobj,2dfx,end etc.



-------------------------------------------------------------------------------------------------------------------
*****Note:If you dont see the total lines text after the last line,press enter again to generate*****



Ready as it stands. Count to declare: 3
""", 0)),
    Case("--help", b"150, a\n", Outcome(HELP, b"", 0), args=("--help",),
         not_under_wine=WINDOWS_HELP),
    Case("-h", b"150, a\n", Outcome(HELP, b"", 0), args=("-h",), not_under_wine=WINDOWS_HELP),
    Case("/?", b"150, a\n", Outcome(HELP_ON_WINDOWS, b"", 0), args=("/?",),
         not_natively="only Windows programs take /?"),
    Case("--version", b"150, a\n", Outcome(text("tallyrun 1.0.0.1"), b"", 0), args=("--version",)),
    Case("--help on a full disk", b"150, a\n", Outcome(None, b"", 1), args=("--help",),
         stage=Stage(stdout=into("/dev/full"))),
    Case("--version on a full disk", b"150, a\n", Outcome(None, b"", 1), args=("--version",),
         stage=Stage(stdout=into("/dev/full"))),
    Case("an unknown option is refused with a status of its own", b"150, a\n",
         Outcome(b"", text('tallyrun: unknown option "--count"; see tallyrun --help'), 2),
         args=("--count",)),
    Case("a file name that starts with a hyphen is an unknown option", b"",
         Outcome(b"", text('tallyrun: unknown option "-x.txt"; see tallyrun --help'), 2),
         args=("-x.txt",), setup=files(**{"-x_txt": READY_BLOCK})),
    Case("-- ends the options", b"", Outcome(text("-x.txt:", READY % 3), b"", 0),
         args=("--", "-x.txt"), setup=files(**{"-x_txt": READY_BLOCK})),
    Case("- checks standard input", READY_BLOCK, Outcome(text("-:", READY % 3), b"", 0),
         args=("-",)),
    Case("--help with standard output closed", b"150, a\n", Outcome(None, b"", 1), args=("--help",),
         stage=Stage(stdout=Out.CLOSED)),
    Case("--version with standard output closed", b"150, a\n", Outcome(None, b"", 1),
         args=("--version",), stage=Stage(stdout=Out.CLOSED)),
    counted("empty input shows the banner, no total and nothing to declare", b"", 0),
    counted("a clean block ends with the count to declare", b"150, a\n151, b\n152, c\n", 3,
            text(READY % 3)),
    counted("empty lines count", b"\n\n150, a\n\n", 4, noted(1, (1, EMPTY), (2, EMPTY), (4, EMPTY))),
    counted("a line of blanks counts", b"   \t  \n150, a\n", 2, noted(1, (1, EMPTY))),
    counted("last line without a line break", b"150, a\n151, b", 2),
    counted("a single unterminated line", b"x", 1, noted(NOTHING, (1, NO_ID))),
    counted("a line longer than the read buffer counts once", b"150, " + b"x" * (1 << 20) + b"\n151\n",
            2),
    counted("many lines cross the read buffer", b"150, chair, chairtxd, 100, 0\n" * 20000, 20000),
    counted("CR LF line ends keep the count", b"150, a\r\n151, b\r\n", 2),
    counted("bytes of any value are counted", b"\x00\xff\r\x1b[2J\n#objs\n", 2,
            noted(NOTHING, (1, NO_ID), (2, NO_ID))),
    counted("a byte-order mark in front of pasted lines is noted", b"\xef\xbb\xbf150, a\n151, b\n",
            2, noted(MEND, (1, MARK))),
    counted("a CR inside a pasted line is noted", b"150, a\r151, b\n", 1,
            noted(MEND, (1, CR_INSIDE))),
    counted("a line starting with byte 0xFF", b"a\n\xffb\nc\n", 3,
            noted(NOTHING, (1, NO_ID), (2, NO_ID), (3, NO_ID))),
    counted("a UTF-16 file with its byte-order mark", "150, a\r\n151, b\r\n152, c".encode("utf-16"), 3,
            noted(NOTHING, (1, NO_ID), (2, NO_ID), (3, NO_ID))),
    counted("console input from the null device", b"", 0, stage=Stage(stdin=In.NULL)),
    counted("console input closed", b"", 0, stage=Stage(stdin=In.CLOSED)),
    Case("standard output a broken pipe while input keeps coming", b"",
         Outcome(None, BANNER + NOT_WRITTEN, 1), timeout=20,
         stage=Stage(stdin=In.ENDLESS, stdout=Out.BROKEN)),
    Case("standard output on a full disk", b"150, a\n151, b\n",
         Outcome(None, BANNER + NOT_WRITTEN, 1), stage=Stage(stdout=into("/dev/full"))),
    Case("standard output on a full disk at the only total", b"150, a\n",
         Outcome(None, BANNER + NOT_WRITTEN, 1), stage=Stage(stdout=into("/dev/full"))),
    counted("standard output a non-blocking pipe read late", b"150, a\n" * 500, 500,
            stage=Stage(stdout=Out.SLOW_READER)),
    Case("standard output closed", b"150, a\n151, b\n", Outcome(None, BANNER + text(READY % 2), 0),
         stage=Stage(stdout=Out.CLOSED)),
    Case("standard error closed", b"150, a\n151, b\n", Outcome(totals(2), None, 0),
         stage=Stage(stderr=Out.CLOSED)),
    Case("standard error a broken pipe", b"150, a\n151, b\n", Outcome(totals(2), None, 0),
         stage=Stage(stderr=Out.BROKEN)),
    Case("console input that cannot be read", b"",
         Outcome(b"", BANNER + text("Unable to read console input"), 1),
         stage=Stage(stdin=In.FOLDER)),
    Case("lines renumbrix would not take are named while counting", b"150, a\n\nend\n151, b\n",
         Outcome(totals(4), BANNER + noted(2, (2, EMPTY), (3, KEYWORD)), 0)),

    # The block check of files named on the command line.
    checked("every kind of line renumbrix would not take, with the reasons", ("mixed.txt",),
            MIXED_LISTED, 1, mixed_txt=MIXED),
    checked("a block ready as it stands", ("ready.txt",), text("ready.txt:", READY % 3), 0,
            ready_txt=READY_BLOCK),
    checked("an empty file holds nothing to declare", ("empty.txt",),
            text("empty.txt:", "No line here that renumbrix would take."), 1, empty_txt=b""),
    checked("several files, each with its name, one missing", ("ready.txt", "gone.txt", "bad.txt"),
            text("ready.txt:", READY % 3, "bad.txt:", "2: end" + KEYWORD, REMOVE % 1), 2,
            text("tallyrun: cannot read gone.txt: No such file or directory"),
            ready_txt=READY_BLOCK, bad_txt=b"150, a\nend\n"),
    checked("a UTF-16 file is named and not read", ("utf16.txt", "ready.txt"),
            text("ready.txt:", READY % 3), 2, text("tallyrun: utf16.txt" + NOT_UTF16),
            utf16_txt="150, a\r\n".encode("utf-16"), ready_txt=READY_BLOCK),
    Case("Windows line ends get a note on Linux", b"",
         Outcome(text("crlf.txt:", CR_NOTE, READY % 2), b"", 0), args=("crlf.txt",),
         setup=files(crlf_txt=b"150, a\r\n151, b\r\n"),
         not_under_wine="the Windows program reads CR LF as a line break"),
    Case("Windows line ends are line breaks on Windows", b"",
         Outcome(text("crlf.txt:", READY % 2), b"", 0), args=("crlf.txt",),
         setup=files(crlf_txt=b"150, a\r\n151, b\r\n"),
         not_natively="only the Windows program reads CR LF as a line break"),
    Case("the check on a full disk", b"", Outcome(None, NOT_WRITTEN, 2), args=("ready.txt",),
         setup=files(ready_txt=READY_BLOCK), stage=Stage(stdout=into("/dev/full"))),
    Case("the check stops reading when its reader has gone", b"objs\n",
         Outcome(None, NOT_WRITTEN, 2), args=("-",), timeout=20,
         stage=Stage(stdin=In.ENDLESS, stdout=Out.BROKEN)),
    checked("a byte-order mark at the start of a file is passed over", ("bom.txt",),
            text("bom.txt:", READY % 3), 0, bom_txt=b"\xef\xbb\xbf" + READY_BLOCK),
    checked("a byte-order mark on a later line is listed, not printed raw", ("bom.txt",),
            text("bom.txt:", "3: <BOM>152, c" + MARK, MEND), 1,
            bom_txt=b"150, a\n151, b\n\xef\xbb\xbf152, c\n"),
    checked("control bytes of a listed line are shown by name", ("odd.txt",),
            text("odd.txt:", "1: <ESC>]0;title<BEL>objs\t<CR><NUL><DEL>" + NO_ID, REMOVE % 1), 1,
            odd_txt=b"\x1b]0;title\x07objs\t\r\x00\x7f\n150, a\n"),
    checked("a long listed line is shown cut, with its length", ("long.txt",),
            text("long.txt:", "1: objs " + "x" * 195 + "<and 999800 bytes more>" + KEYWORD,
                 REMOVE % 1),
            1, long_txt=b"objs " + b"x" * 999995 + b"\n150, a\n"),
    Case("CR line ends are listed, with a command that converts them", b"",
         Outcome(text("cr.txt:", "1: 150, chair<CR>151, table<CR>152, lamp" + CR_INSIDE,
                      CR_ALONE + CR_ALONE_COPY + "'cr.txt' > 'cr.txt.lf'", MEND), b"", 1),
         args=("cr.txt",), setup=files(cr_txt=b"150, chair\r151, table\r152, lamp\r"),
         after=copy_made("cr.txt", b"150, chair\n151, table\n152, lamp\n"),
         not_under_wine="only a POSIX shell reads the command"),
    Case("CR line ends are listed on Windows, without a command", b"",
         Outcome(text("cr.txt:", "1: 150, chair<CR>151, table<CR>152, lamp" + CR_INSIDE, CR_ALONE,
                      MEND), b"", 1), args=("cr.txt",),
         setup=files(cr_txt=b"150, chair\r151, table\r152, lamp\r"),
         not_natively="only the Windows program has no shell command to give"),
    crlf_named("x'; touch PWNED; echo '.txt"),
    crlf_named("bob's block.txt"),
    crlf_named("-dash.txt"),
    crlf_named("tab\tname.txt"),
    Case("a name with a line break gets the note without a command", b"",
         Outcome(text("a<LF>b.txt:", CR_LF, READY % 2), b"", 0), args=("a\nb.txt",),
         setup=lambda work: (work / "a\nb.txt").write_bytes(b"150, a\r\n151, b\r\n"),
         not_under_wine="Windows file names hold no line break"),
    Case("a line of a gigabyte is checked in 64 MiB of memory", b"",
         Outcome(text("huge.txt:", READY % 1), b"", 0), args=("huge.txt",),
         setup=lambda work: sparse_line(work / "huge.txt", 1 << 30),
         stage=Stage(memory_limit=64 << 20)),
    Case("a hangup while a listed line goes to a file: the line is finished first", b"",
         Outcome(None, b"", -signal.SIGHUP, {"out.txt": text("bad.txt:", "2: objs" + KEYWORD)}),
         args=("bad.txt",), setup=files(bad_txt=b"150, a\nobjs\nend\n"),
         stage=Stage(stdout=into("out.txt"), library={"STAGE_PAUSE_IN": "out.txt:2"},
                     signal=signal.SIGHUP)),
    # Cases that tell apart faults the cases above let through.
    counted("a byte-order mark split between two reads", b"", 2, noted(MEND, (2, MARK)),
            stage=Stage(stdin_chunks=mark_split_between_reads)),
    Case("a folder is read for its IDE files, not checked as a block", b"",
         Outcome(text("sub:", "IDE files read: 0; IDs they define: none.",
                      "Free ranges of at least 100 IDs:", "1-999998 (999998 free)"), b"", 0),
         args=("sub",), setup=lambda work: (work / "sub").mkdir()),
    Case("a line too long for the memory at hand is checked all the same", b"",
         Outcome(text("big.txt:", READY % 1), b"", 0), args=("big.txt",),
         setup=lambda work: sparse_line(work / "big.txt", 32 << 20),
         stage=Stage(memory_limit=16 << 20)),
    checked("a line that starts with byte 0xFF has no ID", ("ff.txt",),
            text("ff.txt:", "1: \xffb, x" + NO_ID, REMOVE % 1), 1, ff_txt=b"\xffb, x\n150, a\n"),
    Case("a listed line is shown without the CR of its line end", b"",
         Outcome(text("crlf.txt:", "1: objs" + KEYWORD, CR_NOTE, REMOVE % 1), b"", 1),
         args=("crlf.txt",), setup=files(crlf_txt=b"objs\r\n150, a\r\n"),
         not_under_wine="the Windows program reads CR LF as a line break"),
    Case("a CR LF line before a plain one still gets the note", b"",
         Outcome(text("crlf.txt:", CR_NOTE, READY % 2), b"", 0), args=("crlf.txt",),
         setup=files(crlf_txt=b"150, a\r\n151, b\n"),
         not_under_wine="the Windows program reads CR LF as a line break"),
    Case("a file that fails part way through is not ready", b"",
         Outcome(b"", text("tallyrun: cannot read big.txt: Input/output error"), 2),
         args=("big.txt",), setup=files(big_txt=b"150, chair, chairtxd, 100, 0\n" * 5000),
         stage=Stage(library={"STAGE_READ_FAIL": "big.txt:2"})),
    checked("a file of one keyword holds nothing to take", ("objs.txt",),
            text("objs.txt:", "1: objs" + KEYWORD, NOTHING), 1, objs_txt=b"objs\n"),
    Case("a hundred files with few descriptors", b"",
         Outcome(b"".join(text(f"{n}.txt:", READY % 1) for n in range(100)), b"", 0),
         args=tuple(f"{n}.txt" for n in range(100)),
         setup=lambda work: [(work / f"{n}.txt").write_bytes(b"150, a\n") for n in range(100)],
         stage=Stage(open_files_limit=64)),
    # A block the check calls ready comes out right.
    checked("IDs that run into other text, and 2dfx, are listed", ("typos.txt",),
            text("typos.txt:", *(f"{n}: {line}{why}" for n, line, why in TYPOS_LISTED), MEND), 1,
            typos_txt=TYPOS),
    counted("IDs that run into other text, and 2dfx, are noted while counting", TYPOS, 11,
            noted(MEND, *((n, why) for n, _, why in TYPOS_LISTED))),
    checked("keywords in any case, indented or with a comment", ("k.txt",),
            text("k.txt:", "1:   OBJS" + KEYWORD, "2: End # x" + KEYWORD, "3: \tTanm," + KEYWORD,
                 "5: ending" + NO_ID, REMOVE % 1), 1, k_txt=b"  OBJS\nEnd # x\n\tTanm,\n150, a\nending\n"),
    checked("a typo behind an ID alone is to mend", ("t.txt",),
            text("t.txt:", "2: 15OO, b" + runs_on(15, "OO, b"), MEND), 1, t_txt=b"150, a\n15OO, b\n"),
    checked("what a typo keeps is shown safely and cut", ("t.txt",),
            text("t.txt:", "1: 15<ESC>[2J" + "x" * 60 + runs_on(15, "<ESC>[2J" + "x" * 36 + "..."),
                 MEND), 1, t_txt=b"15\x1b[2J" + b"x" * 60 + b"\n"),
    Case("a stray CR in a CR LF block gets the CR LF note and its line listed", b"",
         Outcome(text("crlf.txt:", "2: 151, b<CR>x" + CR_INSIDE, CR_NOTE, MEND), b"", 1),
         args=("crlf.txt",), setup=files(crlf_txt=b"150, a\r\n151, b\rx\r\n152, c\r\n"),
         not_under_wine="the Windows program reads CR LF as a line break"),
    # Nothing a downloaded pack holds makes a command write elsewhere, or acts on the terminal.
    *(Case(f"the copy's name taken by {what}: no command", b"",
           Outcome(text("crlf.txt:", CR_LF + " A copy would go to crlf.txt.lf, which is there "
                        "already: move it away, then check again for the command.", READY % 2),
                   b"", 0), args=("crlf.txt",),
           setup=lambda work, make=make: (files(crlf_txt=b"150, a\r\n151, b\r\n")(work),
                                          make(work / "crlf.txt.lf")),
           not_under_wine="only a POSIX shell reads the command")
      for what, make in (("a link to another file", lambda path: path.symlink_to("other.txt")),
                         ("a link to the block", lambda path: path.symlink_to("crlf.txt")),
                         ("a link that leads nowhere", lambda path: path.symlink_to("gone")),
                         ("a file", lambda path: path.write_bytes(b"x\n")))),
    *(Case(f"a link to {what} made before the command is pasted is not written through", b"",
           Outcome(None, b"", 0), args=("crlf.txt",),
           setup=files(crlf_txt=b"150, a\r\n151, b\r\n"), after=link_made_before_paste(target),
           not_under_wine="only a POSIX shell reads the command")
      for what, target in (("another file", "other.txt"), ("the block", "crlf.txt"))),
    Case("an unknown option is shown safely", b"",
         Outcome(b"", text('tallyrun: unknown option "-<ESC>]2;owned<BEL><ESC>[2J<CR><DEL>x.txt"; '
                           "see tallyrun --help"), 2),
         args=("-\x1b]2;owned\x07\x1b[2J\r\x7fx.txt",),
         not_under_wine="Wine passes no control bytes in arguments"),
    Case("a hangup ignored at start, as nohup leaves it, stays ignored", b"",
         Outcome(None, b"", 1, {"out.txt": text("bad.txt:", "2: objs" + KEYWORD, "3: end" + KEYWORD,
                                                REMOVE % 1)}),
         args=("bad.txt",), setup=files(bad_txt=b"150, a\nobjs\nend\n"),
         stage=Stage(stdout=into("out.txt"), library={"STAGE_PAUSE_IN": "out.txt:2"},
                     signal=signal.SIGHUP, ignored=(signal.SIGHUP,))),
    # Names and letters in any script, and nothing that steers the terminal.
    *(Case(f"a ready block in a folder named {folder!r}", b"",
           Outcome(text(f"{folder}/block.txt:", READY % 3), b"", 0), args=(f"{folder}/block.txt",),
           setup=lambda work, folder=folder: ((work / folder).mkdir(parents=True),
                                              (work / folder / "block.txt").write_bytes(READY_BLOCK)))
      for folder in ("Моды/регион", "Łukasz", "模组", "\U0001F3AE mods")),
    Case("a missing file named in another script is named as it is", b"",
         Outcome(b"", text("tallyrun: cannot read Łukasz/блок.txt: No such file or directory"), 2),
         args=("Łukasz/блок.txt",)),
    Case("controls that steer a terminal are shown by name, letters of any script as written", b"",
         Outcome(text(f"{STEERING_SHOWN}.txt:", f"1: objs {STEERING_SHOWN}" + KEYWORD,
                      "2: Деревья Δέντρα 树木" + NO_ID, NOTHING), b"", 1),
         args=(f"{STEERING}.txt",),
         setup=lambda work: (work / f"{STEERING}.txt").write_bytes(
             b"objs " + os.fsencode(STEERING) + "\nДеревья Δέντρα 树木\n".encode()),
         not_under_wine="Windows names hold no stray bytes"),
    Case("a missing file whose name steers the terminal", b"",
         Outcome(b"", text(f"tallyrun: cannot read {STEERING_SHOWN}: No such file or directory"), 2),
         args=(STEERING,), not_under_wine="Windows names hold no stray bytes"),
    Case("a CR LF block whose name steers the terminal gets the note without a command", b"",
         Outcome(text(f"{STEERING_SHOWN}:", CR_LF, READY % 1), b"", 0), args=(STEERING,),
         setup=lambda work: (work / STEERING).write_bytes(b"150, a\r\n"),
         not_under_wine="Windows names hold no stray bytes"),
    # Cases that tell apart faults the cases above let through: CRs where a read or the ID
    # splits them, the cut of a line's front, standard input twice, the line limit exactly.
    Case("a CR LF line end whose CR ends a full read of 64 KiB", b"",
         Outcome(text("cr64k.txt:", CR_LF + CR_LF_COPY + "'cr64k.txt' > 'cr64k.txt.lf'", READY % 2),
                 b"", 0), args=("cr64k.txt",),
         setup=files(cr64k_txt=b"150, " + b"x" * 65530 + b"\r\n151, b\r\n"),
         not_under_wine="the Windows program reads CR LF as a line break"),
    checked("a CR inside a line longer than a full read", ("crsplit.txt",),
            text("crsplit.txt:", "1: 150, a<CR>" + "x" * 193 + "<and 69807 bytes more>" + CR_INSIDE,
                 MEND), 1, crsplit_txt=b"150, a\r" + b"x" * 70000 + b"\n151, b\n"),
    checked("a CR before the ID", ("crfront.txt",),
            text("crfront.txt:", "1:  <CR>150, a" + CR_INSIDE, MEND), 1,
            crfront_txt=b" \r150, a\n151, b\n"),
    Case("CR line ends followed by another listed line keep their note", b"",
         Outcome(text("cralone.txt:", "1: 150, a<CR>151, b<CR>152, c<CR>153, d" + CR_INSIDE,
                      "2: objs" + KEYWORD,
                      CR_ALONE + CR_ALONE_COPY + "'cralone.txt' > 'cralone.txt.lf'", MEND), b"", 1),
         args=("cralone.txt",), setup=files(cralone_txt=b"150, a\r151, b\r152, c\r153, d\r\nobjs\n"),
         not_under_wine="only a POSIX shell reads the command"),
    checked("a listed line's front is cut at 200 bytes, blanks included", ("front.txt",),
            text("front.txt:", "1: " + " " * 200 + "<and 51 bytes more>" + NO_ID, REMOVE % 1), 1,
            front_txt=b" " * 250 + b"x\n150, a\n"),
    Case("standard input as a CR LF block gets the note without a command", b"150, a\r\n",
         Outcome(text("-:", CR_LF, READY % 1), b"", 0), args=("-",),
         not_under_wine="the Windows program reads CR LF as a line break"),
    Case("standard input checked twice: the second time it is empty", b"150, a\n",
         Outcome(text("-:", READY % 1, "-:", NOTHING), b"", 1), args=("-", "-")),
    Case("an unknown option before --help is refused, not answered", b"",
         Outcome(b"", text('tallyrun: unknown option "--bogus"; see tallyrun --help'), 2),
         args=("--bogus", "--help")),
    Case("a short write of the banner into a file is finished, not taken for a full disk", b"",
         Outcome(b"", None, 0, {"err.txt": BANNER + text(NOTHING)}),
         stage=Stage(stdin=In.NULL, stderr=into("err.txt"), library={"STAGE_FAIL": "err.txt:1:1"})),
    checked("exactly 999998 lines are ready", ("most.txt",),
            text("most.txt:", READY % 999998), 0, most_txt=b"1\n" * 999998),
    Case("exactly 999998 lines are ready on standard input", b"1\n" * 999998,
         Outcome(text("-:", READY % 999998), b"", 0), args=("-",)),
    Case("exactly 999998 counted lines are ready", b"1\n" * 999998,
         Outcome(None, BANNER + text(READY % 999998), 0), timeout=300,
         stage=Stage(stdout=into("/dev/null"))),
    checked("every section keyword is listed as one; a longer word is none", ("kw.txt",),
            text("kw.txt:", *(f"{n}: {word}{KEYWORD}" for n, word in enumerate(KEYWORDS, start=2)),
                 "15: objsx" + NO_ID, "16: 2dfxy" + runs_on(2, "dfxy"), MEND), 1,
            kw_txt=b"150, a\n" + "\n".join(KEYWORDS).encode() + b"\nobjsx\n2dfxy\n"),
    checked("forty bytes kept behind a run-on ID are shown whole", ("t.txt",),
            text("t.txt:", "1: 15O" + "x" * 39 + runs_on(15, "O" + "x" * 39), MEND), 1,
            t_txt=b"15O" + b"x" * 39 + b"\n"),
    Case("a CR LF end on a listed line alone brings no note", b"",
         Outcome(text("crlf.txt:", "2: # note" + NO_ID, REMOVE % 1), b"", 1),
         args=("crlf.txt",), setup=files(crlf_txt=b"150, a\n# note\r\n"),
         not_under_wine="the Windows program reads CR LF as a line break"),
    # A folder's IDE files read for the IDs in use.
    Case("a game folder: files read, IDs defined twice and outside, free ranges", b"",
         Outcome(text(*REPORT_HEAD, *FREE_100), b"", 1), args=("game",), setup=game_folder()),
    Case("a block and its folder: the free ranges for the block, and its lowest start", b"",
         Outcome(text("block.txt:", READY % 2, *REPORT_HEAD, *FREE_2,
                      "Lowest free start for these 2 lines: 1"), b"", 1),
         args=("block.txt", "game"),
         setup=lambda work: (game_folder()(work), (work / "block.txt").write_bytes(b"1, a\n2, b\n"))),
    Case("a folder and its block, in that order", b"",
         Outcome(text("block.txt:", READY % 2, *REPORT_HEAD, *FREE_2,
                      "Lowest free start for these 2 lines: 1"), b"", 1),
         args=("game", "block.txt"),
         setup=lambda work: (game_folder()(work), (work / "block.txt").write_bytes(b"1, a\n2, b\n"))),
    Case("an IDE file that cannot be read is named, the rest read", b"",
         Outcome(text(*REPORT_HEAD, *FREE_100),
                 text("tallyrun: cannot read data<SEP>locked.ide: Permission denied"), 2),
         args=("game",), setup=lambda work: (game_folder({"data/locked.ide": b"objs\n9, x\nend\n"})(work),
                                             (work / "game/data/locked.ide").chmod(0)),
         stage=Stage(unprivileged=True)),
    Case("an IDE file saved as UTF-16 is named, the rest read", b"",
         Outcome(text(*REPORT_HEAD, *FREE_100), text("tallyrun: data<SEP>wide.ide" + NOT_UTF16), 2),
         args=("game",), setup=game_folder({"data/wide.ide": "objs\r\n9, x\r\nend\r\n".encode("utf-16")})),
    Case("a folder whose IDs fill the range has no free range, said plainly", b"",
         Outcome(text("full:", "IDE files read: 1; IDs they define: 999998, from 1 to 999998.",
                      "No run of 100 free IDs under this folder."), b"", 0),
         args=("full",), setup=full_folder, timeout=60),
    Case("a folder without IDE files", b"",
         Outcome(text("empty:", "IDE files read: 0; IDs they define: none.", "Free ranges of at least 100 IDs:",
                      "1-999998 (999998 free)"), b"", 0),
         args=("empty",), setup=lambda work: (work / "empty").mkdir()),
    Case("a link to a folder is not followed", b"",
         Outcome(text("game:", "IDE files read: 0; IDs they define: none.",
                      "Free ranges of at least 100 IDs:", "1-999998 (999998 free)"), b"", 0),
         args=("game",), setup=lambda work: (game_folder()(work), (work / "game").rename(work / "real"),
                                             (work / "game").mkdir(),
                                             (work / "game/data").symlink_to("../real/data")),
         not_under_wine="Wine shows a Unix link to a folder as the folder"),
    Case("more than thirty free ranges end with how many more", b"",
         Outcome(text("block.txt:", READY % 5, "many:",
                      "IDE files read: 1; IDs they define: 40, from 10 to 400.",
                      "Free ranges of at least 5 IDs:",
                      *(f"{n * 10 + 1}-{n * 10 + 9} (9 free)" for n in range(30)),
                      "Free ranges not shown: 11", "Lowest free start for these 5 lines: 1"), b"", 0),
         args=("block.txt", "many"), setup=lambda work: (
             (work / "many").mkdir(),
             (work / "many/m.ide").write_bytes(
                 b"objs\n" + b"".join(b"%d, m\n" % (n * 10) for n in range(1, 41)) + b"end\n"),
             (work / "block.txt").write_bytes(b"1, a\n2, b\n3, c\n4, d\n5, e\n"))),
    Case("thirty-one free ranges: one not shown", b"1, a\n2, b\n3, c\n4, d\n5, e\n",
         Outcome(text("-:", READY % 5, "many:", "IDE files read: 1; IDs they define: 30, from 10 to 300.",
                      "Free ranges of at least 5 IDs:",
                      *(f"{n * 10 + 1}-{n * 10 + 9} (9 free)" for n in range(30)),
                      "Free ranges not shown: 1", "Lowest free start for these 5 lines: 1"), b"", 0),
         args=("many", "-"), setup=ide_folder("many", {"m.ide": b"objs\n" + b"".join(
             b"%d, m\n" % (n * 10) for n in range(1, 31)) + b"end\n"})),
    Case("every section that defines IDs, and the lines that define none", b"",
         Outcome(text("D:", "IDE files read: 1; IDs they define: 7, from 11 to 18.",
                      "Defined more than once:", "14", f"  s.ide:{SECTIONS.index('14' + TAB + 'modW' + TAB + 'txd') + 1}  modW",
                      f"  s.ide:{SECTIONS.index('14, other') + 1}  other",
                      "18", f"  s.ide:{SECTIONS.index('18, ' + 'm' * 64 + 'X') + 1}  {'m' * 64}",
                      f"  s.ide:{SECTIONS.index('18, second') + 1}  second",
                      "Outside 1 to 999998:",
                      "-5", f"  s.ide:{SECTIONS.index('-5, neg') + 1}  neg",
                      "0", f"  s.ide:{SECTIONS.index('0, zero') + 1}  zero",
                      "999999", f"  s.ide:{SECTIONS.index('999999, big') + 1}  big",
                      "2147483647", f"  s.ide:{SECTIONS.index('99999999999, long') + 1}  long",
                      "Free ranges of at least 100 IDs:", "19-999998 (999980 free)"), b"", 1),
         args=("D",), setup=ide_folder("D", {"s.ide": "\n".join(SECTIONS).encode() + b"\n"})),
    *(Case(f"the free ranges for a block of {count} lines, at the edges", b"",
           Outcome(text("blk.txt:", READY % count, "D:",
                        "IDE files read: 1; IDs they define: 2, from 3 to 6.",
                        f"Free ranges of at least {count} IDs:", "1-2 (2 free)", "4-5 (2 free)",
                        "7-999998 (999992 free)", f"Lowest free start for these {count} lines: 1"),
                   b"", 0),
           args=("blk.txt", "D"), setup=lambda work, block=block: (
               ide_folder("D", {"a.ide": b"objs\n3, a\n6, b\nend\n"})(work),
               (work / "blk.txt").write_bytes(block)))
      for count, block in ((2, b"1, a\n2, b\n"), (1, b"1, a\n"))),
    Case("a listed block and an empty folder: the block's status stands", b"",
         Outcome(text("bad.txt:", "2: xx" + NO_ID, REMOVE % 1, "emp:",
                      "IDE files read: 0; IDs they define: none.", "Free ranges of at least 1 IDs:",
                      "1-999998 (999998 free)", "Lowest free start for these 1 lines: 1"), b"", 1),
         args=("bad.txt", "emp"), setup=lambda work: (
             (work / "emp").mkdir(), (work / "bad.txt").write_bytes(b"1, a\nxx\n"))),
    Case("IDE files by their names: any case, only .ide, in byte order, links to files read", b"",
         Outcome(text("names:", "IDE files read: 7; IDs they define: 1, from 5 to 5.",
                      "Defined more than once:", "5",
                      *(f"  {name}:2  m" for name in (".ide", "Z.ide", "a.ide", "b.ide", "c.ide",
                                                      "l.ide", "y.IDE")),
                      "Free ranges of at least 100 IDs:", "6-999998 (999993 free)"),
                 text("tallyrun: null.ide is no file on disk, and is not read"), 2),
         args=("names",), setup=lambda work: (
             ide_folder("names", {name: b"objs\n5, m\nend\n" for name in (
                 "b.ide", ".ide", "a.ide", "c.ide", "Z.ide", "y.IDE", "a_ide")})(work),
             (work / "real.ide").write_bytes(b"objs\n5, m\nend\n"),
             (work / "names/l.ide").symlink_to("../real.ide"),
             (work / "names/null.ide").symlink_to("/dev/null")),
         not_under_wine="Wine shows a Unix link as what it leads to"),
    Case("a FIFO, a socket and a link to one named like IDE files are named, never opened; a "
         "link that leads nowhere is named with the reason", b"",
         Outcome(text("odd:", "IDE files read: 1; IDs they define: 1, from 5 to 5.",
                      "Free ranges of at least 100 IDs:", "6-999998 (999993 free)"),
                 text("tallyrun: fifo.ide" + NOT_ON_DISK,
                      "tallyrun: cannot read gone.ide: No such file or directory",
                      "tallyrun: link.ide" + NOT_ON_DISK, "tallyrun: sock.ide" + NOT_ON_DISK), 2),
         args=("odd",), setup=lambda work: (
             ide_folder("odd", {"a.ide": b"objs\n5, m\nend\n"})(work),
             os.mkfifo(work / "odd/fifo.ide"), bound_socket(work, work / "odd/sock.ide"),
             (work / "odd/link.ide").symlink_to("sock.ide"),
             (work / "odd/gone.ide").symlink_to("nowhere.ide")),
         not_under_wine="Wine shows a Unix FIFO, socket or link as what it leads to"),
    Case("a folder that cannot be read is named as given", b"",
         Outcome(text("D:", "IDE files read: 0; IDs they define: none.",
                      "Free ranges of at least 100 IDs:", "1-999998 (999998 free)"),
                 text("tallyrun: cannot read D: Permission denied"), 2),
         args=("D",), setup=lambda work: (ide_folder("D", {"a.ide": b"objs\n5, m\nend\n"})(work),
                                          (work / "D").chmod(0)),
         stage=Stage(unprivileged=True)),
    Case("a subfolder that cannot be read is named", b"",
         Outcome(text("D:", "IDE files read: 1; IDs they define: 1, from 5 to 5.",
                      "Free ranges of at least 100 IDs:", "6-999998 (999993 free)"),
                 text("tallyrun: cannot read locked: Permission denied"), 2),
         args=("D",), setup=lambda work: (
             ide_folder("D", {"a.ide": b"objs\n5, m\nend\n", "locked/b.ide": b"objs\n7, m\nend\n"})(work),
             (work / "D/locked").chmod(0)),
         stage=Stage(unprivileged=True)),
    Case("a link to a folder given on the command line is read", b"",
         Outcome(text(*(line.replace("game:", "g:") for line in REPORT_HEAD), *FREE_100), b"", 1),
         args=("g",), setup=lambda work: (game_folder()(work), (work / "g").symlink_to("game")),
         not_under_wine="Wine shows a Unix link as what it leads to"),
    Case("- is standard input even where a folder is named -", b"1, a\n",
         Outcome(text("-:", READY % 1), b"", 0), args=("-",),
         setup=lambda work: (work / "-").mkdir()),
    Case("two folders are refused with what tallyrun takes", b"",
         Outcome(b"", text(FOLDER_USAGE), 2), args=("game", "other"),
         setup=lambda work: (game_folder()(work), (work / "other").mkdir())),
    Case("a folder with two blocks is refused with what tallyrun takes", b"",
         Outcome(b"", text(FOLDER_USAGE), 2), args=("a.txt", "game", "b.txt"),
         setup=game_folder()),
    checked("more lines than renumbrix takes in one run", ("many.txt",),
            text("many.txt:", "More lines than renumbrix takes in one run (999998): split the "
                 "block. Lines it would take: 999999"), 1, many_txt=b"1\n" * 999999),
]

if __name__ == "__main__":
    sys.exit(main(CASES))
