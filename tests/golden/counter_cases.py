#!/usr/bin/env python3
"""Golden transcripts for tallyrun, typed in by hand from its documented dialogue."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import (BROKEN, CLOSED, ENDLESS, FOLDER, LATE, NULL_DEVICE, Case, into, main,  # noqa: E402
                     text)

BANNER = text(
    "Line Counter made by Korvath | Contact: korvath@example.com", "", "",
    "This is a simple line counter which will help you count total lines which is required "
    "in Renumbrix.",
    "Paste the ID data lines without thier syntaxes;Like objs,tobj,2dfx,end etc.", "", "", "",
    "-" * 115,
    "*****Note:If you dont see the total lines text after the last line,press enter again "
    "to generate*****", "", "", "")


NOT_WRITTEN = text("Unable to write console output")


HELP = text(
    "Usage: tallyrun",
    "Counts the lines of a block of item definition lines as they are typed or",
    "pasted, or read from a file (tallyrun < block.txt), and shows the running",
    "total after each line: the count that renumbrix asks for first.",
    "End the input with Ctrl+Z and Enter (Windows) or Ctrl+D.",
    "It writes no files and takes no other arguments: --help, -h or /? (Windows)",
    "shows this text, --version the version.",
    "More: ReadMe.txt beside tallyrun.exe, or man tallyrun.")


def totals(count):
    return text(*(f"{'- ' * 44}Total Lines:  {n}" for n in range(1, count + 1)))


def counted(name, stdin, count, **options):
    return Case(name, stdin, totals(count), BANNER, 0, **options)


CASES = [
    Case("three lines, banner spelled out", b"150, a\n151, b\n152, c\n", b"""\
- - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - Total Lines:  1
- - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - Total Lines:  2
- - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - Total Lines:  3
""", b"""\
Line Counter made by Korvath | Contact: korvath@example.com


This is a simple line counter which will help you count total lines which is required in Renumbrix.
Paste the ID data lines without thier syntaxes;Like objs,tobj,2dfx,end etc.



-------------------------------------------------------------------------------------------------------------------
*****Note:If you dont see the total lines text after the last line,press enter again to generate*****



""", 0),
    Case("--help", b"150, a\n", HELP, b"", 0, args=("--help",)),
    Case("-h", b"150, a\n", HELP, b"", 0, args=("-h",)),
    Case("/?", b"150, a\n", HELP, b"", 0, args=("/?",), not_natively="only Windows programs take /?"),
    Case("--version", b"150, a\n", text("tallyrun 1.0.0.1"), b"", 0, args=("--version",)),
    Case("--help on a full disk", b"150, a\n", None, b"", 1, args=("--help",),
         stdout_mode=into("/dev/full")),
    Case("--version on a full disk", b"150, a\n", None, b"", 1, args=("--version",),
         stdout_mode=into("/dev/full")),
    Case("an unknown option is refused", b"150, a\n", b"",
         text('tallyrun: unknown option "--count"; see tallyrun --help'), 1, args=("--count",)),
    counted("another argument is ignored", b"150, a\n", 1, args=("block.txt",)),
    counted("empty input shows the banner and no total", b"", 0),
    counted("empty lines count", b"\n\n150, a\n\n", 4),
    counted("a line of blanks counts", b"   \t  \n150, a\n", 2),
    counted("last line without a line break", b"150, a\n151, b", 2),
    counted("a single unterminated line", b"x", 1),
    counted("a line longer than the read buffer counts once", b"150, " + b"x" * (1 << 20) + b"\n151\n",
            2),
    counted("many lines cross the read buffer", b"150, chair, chairtxd, 100, 0\n" * 20000, 20000),
    counted("CR LF line ends keep the count", b"150, a\r\n151, b\r\n", 2),
    counted("bytes of any value are not parsed", b"\x00\xff\r\x1b[2J\n#objs\n", 2),
    counted("a line starting with byte 0xFF", b"a\n\xffb\nc\n", 3),
    counted("a UTF-16 file with its byte-order mark", "150, a\r\n151, b\r\n152, c".encode("utf-16"), 3),
    counted("console input from the null device", b"", 0, stdin_mode=NULL_DEVICE),
    counted("console input closed", b"", 0, stdin_mode=CLOSED),
    Case("standard output a broken pipe while input keeps coming", b"", None,
         BANNER + NOT_WRITTEN, 1, stdin_mode=ENDLESS, stdout_mode=BROKEN, timeout=20),
    Case("standard output on a full disk", b"150, a\n151, b\n", None, BANNER + NOT_WRITTEN, 1,
         stdout_mode=into("/dev/full")),
    counted("standard output a non-blocking pipe read late", b"150, a\n" * 500, 500,
            stdout_mode=LATE),
    Case("standard output closed", b"150, a\n151, b\n", None, BANNER, 0, stdout_mode=CLOSED),
    Case("standard error closed", b"150, a\n151, b\n", totals(2), None, 0, stderr_mode=CLOSED),
    Case("standard error a broken pipe", b"150, a\n151, b\n", totals(2), None, 0,
         stderr_mode=BROKEN),
    Case("console input that cannot be read", b"", b"", BANNER + text("Unable to read console input"),
         1, stdin_mode=FOLDER),
]

if __name__ == "__main__":
    sys.exit(main(CASES))
