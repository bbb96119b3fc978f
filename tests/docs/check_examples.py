#!/usr/bin/env python3
"""Runs the examples of the README ("## Preparing a block", "## IDs in use: the game's
folder") and of tallyrun's manual page with the built tallyrun, and checks that each prints
exactly what the document shows. An example is a block of `$ command` lines, each followed by
the output it shows; a README example reads the files its section shows ("`path` holds:" and
the block that follows), and runs as the README says, from the folder that holds the build
(./build/tallyrun)."""

import argparse
import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent.parent


def readme_example(heading):
    """The files the README's section shows, and its session."""
    text = (ROOT / "README.md").read_text()
    start = text.index(heading)
    section = text[start:text.index("\n## ", start + 1)]
    files = dict(re.findall(r"`([^`]+)` holds:\s*```[a-z]*\n(.*?)```", section, re.S))
    session = next(block for block in re.findall(r"```sh\n(.*?)```", section, re.S)
                   if block.startswith("$ "))
    return files, session


def manual_example():
    page = (ROOT / "counter" / "tallyrun.1").read_text().replace("\\e", "\\")
    examples = re.findall(r"\.Bd -literal -offset indent\n(.*?)\.Ed", page, re.S)
    return {}, next(example for example in examples if "tallyrun block.txt" in example)


def run(session, files, tallyrun):
    """Runs each `$ ` line of the session; returns what the session shows and what ran."""
    shown, got = [], []
    with tempfile.TemporaryDirectory(prefix="examples-") as folder:
        for name, content in files.items():
            (Path(folder) / name).parent.mkdir(parents=True, exist_ok=True)
            (Path(folder) / name).write_text(content)
        env = dict(os.environ, PATH=f"{Path(tallyrun).parent}:{os.environ['PATH']}")
        (Path(folder) / "build").symlink_to(Path(tallyrun).parent)
        for line in session.splitlines(keepends=True):
            if line.startswith("$ "):
                got.append(subprocess.run(["sh", "-c", line[2:]], cwd=folder, env=env,
                                          stdout=subprocess.PIPE, timeout=60).stdout.decode())
            else:
                shown.append(line)
    return "".join(shown), "".join(got)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("tallyrun")
    args = parser.parse_args()
    passed = failed = 0
    for document, (files, session) in (
            ("README.md, preparing a block", readme_example("## Preparing a block")),
            ("README.md, IDs in use", readme_example("## IDs in use")),
            ("tallyrun.1", manual_example())):
        shown, got = run(session, files, os.path.abspath(args.tallyrun))
        if shown != got:
            failed += 1
            print(f"FAIL {document}: shows {shown!r}, tallyrun prints {got!r}")
        else:
            passed += 1
            print(f"ok   {document}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
