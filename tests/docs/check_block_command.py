#!/usr/bin/env python3
"""Runs the README's block check, the command under "## Preparing a block", on a few blocks
with every awk at hand (mawk, gawk, busybox awk, the one true awk), and checks that the manual
page gives the same command. It must list each line renumbrix would not take as `N: line`, or
print the count to declare when there is none."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent.parent

# Each block with what the command prints for it, worked out by hand.
CASES = [
    ("a clean block gives its count", b"150, a\n151, b\n152, c\n", b"3\n"),
    ("an ID out of range", b"150, a\n1000000, big\n152, c\n", b"2: 1000000, big\n"),
    ("leading blanks and zeros, a plus sign and the top ID are taken",
     b"  007, a\n+7, b\n\t\x0b151, c\n999998, d\n", b"4\n"),
    ("every kind of line renumbrix would not take",
     b"150, a\n\n   \nobjs\n# note\n0, zero\n000, zeros\n-5, neg\n999999, big\n"
     b"99999999999, long\n+ 5, sign\n",
     b"2: \n3:    \n4: objs\n5: # note\n6: 0, zero\n7: 000, zeros\n8: -5, neg\n9: 999999, big\n"
     b"10: 99999999999, long\n11: + 5, sign\n"),
    ("a byte-order mark before the first line", b"\xef\xbb\xbf150, a\n151, b\n",
     b"1: \xef\xbb\xbf150, a\n"),
    ("Windows line ends and a last line without one", b"150, caf\xe9\r\n151, b\r\n152, c", b"3\n"),
]


def readme_command():
    text = (ROOT / "README.md").read_text()
    section = text[text.index("## Preparing a block"):]
    return re.search(r"```sh\n(.*?)```", section, re.S).group(1)


def awks():
    found = [[name] for name in ("mawk", "gawk", "original-awk") if shutil.which(name)]
    if shutil.which("busybox"):
        found.append(["busybox", "awk"])
    return found or [["awk"]]


def main():
    problems = []
    command = readme_command()
    page = (ROOT / "sorter" / "renumbrix.1").read_text().replace("\\e", "\\")
    if command not in page:
        problems.append("renumbrix.1 does not give the README's block check")
    with tempfile.TemporaryDirectory(prefix="block-check-") as folder:
        work = Path(folder)
        # The command calls `awk`; each awk in turn takes that name.
        (work / "bin").mkdir()
        for awk in awks():
            wrapper = work / "bin" / "awk"
            wrapper.write_text("#!/bin/sh\nexec " + " ".join(awk) + ' "$@"\n')
            wrapper.chmod(0o755)
            env = dict(os.environ, PATH=f"{work / 'bin'}:{os.environ['PATH']}")
            for name, block, expected in CASES:
                (work / "block.txt").write_bytes(block)
                got = subprocess.run(["sh", "-c", command], cwd=work, env=env,
                                     stdout=subprocess.PIPE, timeout=60).stdout
                if got != expected:
                    problems.append(f"{' '.join(awk)}, {name}: expected {expected!r}, got {got!r}")
    for problem in problems:
        print(f"FAIL {problem}")
    print(f"{'0 passed, 1 failed' if problems else '1 passed, 0 failed'}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
