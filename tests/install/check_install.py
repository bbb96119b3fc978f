#!/usr/bin/env python3
"""Installs a build into a temporary prefix and checks what a user gets there:
exactly the programs, manual pages, README and licence, each where Unix tools
keep them, and manual pages that mandoc reads without a warning."""

import argparse
import subprocess
import sys
import tempfile
from pathlib import Path

LAYOUT = {
    "bin/renumbrix", "bin/tallyrun",
    "share/doc/renumbrix/README.md", "share/doc/renumbrix/LICENSE",
    "share/man/man1/renumbrix.1", "share/man/man1/tallyrun.1",
}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--cmake", default="cmake")
    parser.add_argument("--mandoc", default="mandoc")
    parser.add_argument("build")
    args = parser.parse_args()
    problems = []
    with tempfile.TemporaryDirectory(prefix="install-") as prefix:
        subprocess.run([args.cmake, "--install", args.build, "--prefix", prefix], check=True,
                       stdout=subprocess.DEVNULL)
        root = Path(prefix)
        installed = {str(path.relative_to(root)) for path in root.rglob("*") if path.is_file()}
        if installed != LAYOUT:
            problems.append(f"installed {sorted(installed - LAYOUT)} beyond the layout, "
                            f"lacks {sorted(LAYOUT - installed)}")
        for page in sorted(root.glob("share/man/man1/*.1")):
            lint = subprocess.run([args.mandoc, "-T", "lint", "-W", "warning", str(page)],
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            if lint.stdout:
                problems.append(f"mandoc on {page.name}:\n{lint.stdout}")
    for problem in problems:
        print(f"FAIL {problem}")
    print(f"{0 if problems else 1} passed, {1 if problems else 0} failed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
