#!/usr/bin/env python3
"""Runs the block check examples of the README ("## Preparing a block") and of tallyrun's
manual page with the built tallyrun, and checks that each prints exactly what the document
shows. An example is a block of `$ command` lines, each followed by the output it shows; the
README's example reads the file shown in the block just before it, and runs as the README
says, from the folder that holds the build (./build/tallyrun)."""

import argparse
import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent.parent


def readme_example():
    text = (ROOT / "README.md").read_text()
    section = text[text.index("## Preparing a block"):text.index("## tallyrun, example")]
    block, session = re.findall(r"```[a-z]*\n(.*?)```", section, re.S)[:2]
    return {"block.txt": block}, session


def manual_example():
    page = (ROOT / "counter" / "tallyrun.1").read_text().replace("\\e", "\\")
    examples = re.findall(r"\.Bd -literal -offset indent\n(.*?)\.Ed", page, re.S)
    return {}, next(example for example in examples if "tallyrun block.txt" in example)


def run(session, files, tallyrun):
    """Runs each `$ ` line of the session; returns what the session shows and what ran."""
    shown, got = [], []
    with tempfile.TemporaryDirectory(prefix="examples-") as folder:
        for name, content in files.items():
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
    for document, (files, session) in (("README.md", readme_example()),
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
