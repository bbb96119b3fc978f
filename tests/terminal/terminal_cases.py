#!/usr/bin/env python3
"""Runs the programs at a terminal, as a person types at them.

Each program runs on a pseudo-terminal in a fresh folder. A case types, waits
for what the program must show before anything more is typed, and fails
within seconds if it never comes: a reader that waited for a full buffer or
for more input than a person has typed would hang here, not pass.
"""

import argparse
import fcntl
import os
import select
import struct
import subprocess
import sys
import tempfile
import termios
import time
import tty
from dataclasses import dataclass
from pathlib import Path
from typing import Callable, Optional

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "golden"))
from harness import Checked, Platform, run_cases, text  # noqa: E402

IDE_HEADER = text("#Item Defination File Created by Korvath`s Sorting Script.", "objs")
IDE_TRAILER = text("end", "tobj", "end", "2dfx", "end")
WAIT = 20         # seconds a program may take to show what it must
END_INPUT = b"\x04"  # Ctrl+D; the Windows console takes Ctrl+Z, then Enter


class Terminal:
    """A program on a pseudo-terminal: type into it, wait for text on its screen."""

    def __init__(self, program, command, folder, env, raw, stdin=None):
        self.program = program  # "renumbrix" or "tallyrun"
        self.master, slave = os.openpty()
        if raw:
            # The Windows console reads keys, not lines: the terminal must pass
            # Enter and Ctrl+Z through untouched, whenever they are typed.
            tty.setraw(slave)
        # A wide screen keeps the Windows console from wrapping the long texts.
        fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 200, 0, 0))
        self.process = subprocess.Popen(
            command, stdin=slave if stdin is None else stdin, stdout=slave, stderr=slave,
            cwd=folder, env=env,
            start_new_session=True,
            preexec_fn=lambda: fcntl.ioctl(1, termios.TIOCSCTTY, 0))
        os.close(slave)
        self.screen = b""
        self.seen = 0  # how far wait_for has looked

    def read(self, seconds):
        end = time.monotonic() + seconds
        while (left := end - time.monotonic()) > 0:
            if not select.select([self.master], [], [], left)[0]:
                break
            try:
                chunk = os.read(self.master, 65536)
            except OSError:  # the program has gone and the terminal closed
                break
            if not chunk:
                break
            self.screen += chunk

    def wait_for(self, text, count=1):
        """Waits until `text` has appeared `count` more times since the last wait."""
        end = time.monotonic() + WAIT
        while self.screen.count(text.encode(), self.seen) < count:
            if time.monotonic() > end:
                raise AssertionError(f"{text!r} not shown within {WAIT} s; the screen ends with "
                                     f"{self.screen[-300:]!r}")
            self.read(0.1)
        for _ in range(count):
            self.seen = self.screen.find(text.encode(), self.seen) + 1

    def wait_for_sequence(self, *texts):
        """Waits until the texts have appeared in this order, anywhere on the screen."""
        end = time.monotonic() + WAIT
        while True:
            at = 0
            for piece in texts:
                at = self.screen.find(piece.encode(), at)
                if at < 0:
                    break
            if at >= 0:
                return
            if time.monotonic() > end:
                raise AssertionError(f"{texts!r} not shown within {WAIT} s; the screen ends with "
                                     f"{self.screen[-300:]!r}")
            self.read(0.1)

    def still_running(self, seconds=1.0):
        self.read(seconds)
        check(self.process.poll() is None, "ended without waiting for a key")

    def shows_nothing_new(self, text, seconds=0.5):
        self.read(seconds)
        if text.encode() in self.screen[self.seen:]:
            raise AssertionError(f"{text!r} shown before the rest of the line was typed")

    def type(self, keys):
        os.write(self.master, keys)

    def hang_up(self):
        """Closes the terminal, as when its window is closed, and returns the exit status."""
        os.close(self.master)
        try:
            return self.process.wait(WAIT)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise AssertionError(f"still running {WAIT} s after its terminal closed")

    def status(self):
        try:
            status = self.process.wait(WAIT)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise AssertionError(f"still running {WAIT} s after its input ended")
        self.read(0.2)  # the last screen output, for messages
        os.close(self.master)
        return status


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def quit(term, keys, *last_words, prompt="Press Any Key To Quit..."):
    """In a console window of its own (as after a double-click), either program waits for a key
    once it has shown its last words and its prompt; elsewhere it has already ended."""
    if keys.window_waits:
        term.wait_for_sequence(*last_words, prompt)
        term.still_running()
        term.type(b"x")


TALLYRUN_PROMPT = "Press any key to close this window..."
QUIT_PROMPTS = {"renumbrix": "Press Any Key To Quit...", "tallyrun": TALLYRUN_PROMPT}
USAGE_STATUS = {"renumbrix": 1, "tallyrun": 2}


def finished(term, keys, folder, *entries):
    """The run ended with status 0 and Sorted.ide holds these entries."""
    quit(term, keys, "Sorted.log Closed")
    check(term.status() == 0, "exit status is not 0")
    wanted = (IDE_HEADER + text(*entries) + IDE_TRAILER).replace(b"\n", keys.eol)
    check((folder / "Sorted.ide").read_bytes() == wanted, "Sorted.ide differs")


def answer(term, keys, count, start):
    term.wait_for("Amount:")
    term.type(count + keys.enter + start + keys.enter)
    term.wait_for("Enter the IDE lines:")


# --- Cases: each takes the terminal, the keys that end a line and end input, and
# --- the folder; it returns nothing or raises with what went wrong.
def renumbrix_typed_line_by_line(term, keys, folder):
    term.wait_for("Amount:")
    term.type(b"2" + keys.enter)
    term.wait_for("starting point ID:")
    term.type(b"400" + keys.enter)
    term.wait_for("Enter the IDE lines:")
    term.type(b"150, chair, chairtxd, 100, 0" + keys.enter)
    term.wait_for("Line Processed")
    term.wait_for("Enter the IDE lines:")
    term.type(b"151, table, tabletxd, 100, 0" + keys.enter)
    term.wait_for("Line Processed")
    term.wait_for("Press Any Key To Quit...")
    finished(term, keys, folder, "400, chair, chairtxd, 100, 0", "401, table, tabletxd, 100, 0")


def renumbrix_block_pasted(term, keys, folder):
    term.wait_for("Amount:")
    term.type(keys.enter.join([b"3", b"400", b"150, a", b"151, b", b"152, c", b""]))
    term.wait_for("Line Processed", 3)
    term.wait_for("Press Any Key To Quit...")
    finished(term, keys, folder, "400, a", "401, b", "402, c")


def renumbrix_line_typed_in_two_parts(term, keys, folder):
    # The first part reaches the program without a line break, as a terminal
    # hands over a line on Ctrl+D; the ID must not end where the part ends.
    answer(term, keys, b"1", b"400")
    term.type(b"15" + END_INPUT)
    term.shows_nothing_new("Line Processed")
    term.type(b"0, chair" + keys.enter)
    term.wait_for("Line Processed")
    finished(term, keys, folder, "400, chair")
    check(b"Object ID Detected:     150" in (folder / "Sorted.log").read_bytes(),
          "the ID was not read as 150")


def renumbrix_input_ended_mid_block(term, keys, folder):
    answer(term, keys, b"3", b"400")
    term.type(b"150, a" + keys.enter)
    term.wait_for("Line Processed")
    term.type(keys.end_input)
    term.wait_for("Total IDs Sorted:3")
    finished(term, keys, folder, "400, a", "#401", "#402")


def renumbrix_surplus_line_is_no_key(term, keys, folder):
    # A pasted line beyond the declared count is thrown away, not taken for
    # the key that ends the wait.
    term.wait_for("Amount:")
    term.type(keys.enter.join([b"1", b"400", b"150, a", b"151, b", b""]))
    finished(term, keys, folder, "400, a")


def renumbrix_refused_file_waits(term, keys, folder):
    quit(term, keys, "Unable to create Sorted.ide file")
    check(term.status() == 1, "exit status is not 1")


def renumbrix_from_cmd_needs_no_key(term, keys, folder):
    # Started from a command prompt, the window stays with the prompt.
    term.wait_for("Amount:")
    term.type(keys.enter.join([b"1", b"400", b"150, a", b""]))
    term.wait_for("Press Any Key To Quit...")
    check(term.status() == 0, "exit status is not 0")


def renumbrix_terminal_closed_while_typing(term, keys, folder):
    # Input from the closed terminal ends there; the files are still completed.
    answer(term, keys, b"3", b"400")
    term.type(b"150, a" + keys.enter)
    term.wait_for("Line Processed")
    check(term.hang_up() == 0, "exit status is not 0")
    wanted = IDE_HEADER + text("400, a", "#401", "#402") + IDE_TRAILER
    check((folder / "Sorted.ide").read_bytes() == wanted, "Sorted.ide differs")


def renumbrix_terminal_closed_while_reading_a_file(term, keys, folder):
    # Nobody reads the terminal, so the run stops at a full screen until the
    # terminal is closed; then it reads the rest of its file.
    term.wait_for("Enter the IDE lines:")
    check(term.hang_up() == 0, "exit status is not 0")
    wanted = IDE_HEADER + b"".join(b"%d, a\n" % (400 + n) for n in range(LINES_IN_FILE)) + IDE_TRAILER
    check((folder / "Sorted.ide").read_bytes() == wanted, "Sorted.ide differs")


def renumbrix_sorts_a_dropped_block(term, keys, folder):
    # A file dropped on the program arrives as its argument; only the
    # starting ID is typed.
    term.wait_for("starting point ID:")
    term.type(b"400" + keys.enter)
    term.wait_for("Total IDs Sorted:2")
    finished(term, keys, folder, "400, a", "401, b")


def renumbrix_refuses_a_block_not_ready(term, keys, folder):
    term.wait_for("left as they were.")
    quit(term, keys, "Fix the listed lines", "left as they were.")
    check(term.status() == 1, "exit status is not 1")
    check(not (folder / "Sorted.ide").exists(), "Sorted.ide was made")


def renumbrix_asks_again_after_a_wrong_start(term, keys, folder):
    # "4OO" looks like 400 in a console font: it is named for what it is,
    # and the question comes again; nothing is touched meanwhile.
    term.wait_for("starting point ID:")
    term.type(b"4OO" + keys.enter)
    term.wait_for("O is the letter oh, not the digit zero")
    term.wait_for("starting point ID:")
    check((folder / "Sorted.ide").read_bytes() == EARLIER, "Sorted.ide changed at a wrong answer")
    term.type(b"400" + keys.enter)
    term.wait_for("Total IDs Sorted:2")
    finished(term, keys, folder, "400, a", "401, b")


def renumbrix_interrupted_at_the_question_touches_nothing(term, keys, folder):
    term.wait_for("starting point ID:")
    term.type(b"\x03")
    # The signal ends a native program at once; in a Windows console Ctrl+C
    # ends the read, so no starting ID is taken, and the window waits.
    quit(term, keys, "left as they were.")
    check(term.status() != 0, "ended with status 0 on Ctrl+C")
    for name in ("Sorted.ide", "Sorted.log"):
        check((folder / name).read_bytes() == EARLIER, f"{name} changed on Ctrl+C")


def refused_option_waits(term, keys, folder):
    term.wait_for("unknown option")
    quit(term, keys, "unknown option", prompt=QUIT_PROMPTS[term.program])
    check(term.status() == USAGE_STATUS[term.program], "exit status is not that of a refused option")


def renumbrix_shows_its_progress_on_a_terminal(term, keys, folder):
    # A sort that takes more than a second shows how far it has come, on one
    # line written over in place, and leaves that line complete.
    term.wait_for("starting point ID:")
    term.type(b"1" + keys.enter)
    term.wait_for_sequence("\rSorting line ", f"\rSorting line {SLOW_LINES} of {SLOW_LINES}\r\n"
                           + "_" * 30)
    finished(term, keys, folder, *(f"{1 + n}, a" for n in range(SLOW_LINES)))


def renumbrix_prompts_but_shows_no_progress(term, keys, folder):
    # Lines typed or read at the questions get their prompts, never a line of
    # progress, however long the run.
    term.wait_for("Press Any Key To Quit...")
    check(term.status() == 0, "exit status is not 0")
    check(b"Sorting line" not in term.screen, "a line of progress among the prompts")


def tallyrun_counts_each_typed_line(term, keys, folder):
    term.wait_for("*****Note:")
    term.wait_for(keys.finish_line)
    for total, line in enumerate([b"150, a", b"", b"151, b"], start=1):
        term.type(line + keys.enter)
        term.wait_for(f"Total Lines:  {total}")
    # A last line without a line break counts once input ends; a window of
    # its own then waits for a key before it takes the count away.
    term.type(b"abc" + keys.end_partial)
    term.wait_for("Total Lines:  4")
    quit(term, keys, "Count to declare then: 2", prompt=TALLYRUN_PROMPT)
    check(term.status() == 0, "exit status is not 0")


def tallyrun_checks_a_dropped_file(term, keys, folder):
    # A file dropped on the program arrives as its argument.
    term.wait_for("Count to declare: 2")
    quit(term, keys, "Count to declare: 2", prompt=TALLYRUN_PROMPT)
    check(term.status() == 0, "exit status is not 0")


def tallyrun_shows_letters_as_written(term, keys, folder):
    # A UTF-8 line reads as written, and so does an "ANSI" line: in a Windows
    # console as the letters of its code page (1252), on a terminal as the
    # bytes the file holds.
    term.wait_for("Mend or remove")
    ansi = "café, x".encode() if keys.window_waits else b"caf\xe9, x"
    term.wait_for_sequence("# Деревья (trees) — café", "no ID at its start")
    check(ansi in term.screen, f"{ansi!r} is not on the screen")
    check(b"\xc3\x90" not in term.screen, "UTF-8 shown as the code page's letters")
    quit(term, keys, "Mend or remove", prompt=TALLYRUN_PROMPT)
    check(term.status() == 1, "exit status is not 1")


def tallyrun_checks_a_file_from_cmd(term, keys, folder):
    term.wait_for("Count to declare: 2")
    check(term.status() == 0, "exit status is not 0")
    check(TALLYRUN_PROMPT.encode() not in term.screen, "waited for a key at a command prompt")


class Keys:
    def __init__(self, wine, through_cmd=False):
        # The Windows console's Enter is a carriage return; it ends input on
        # Ctrl+Z typed at the start of a line and then Enter.
        self.enter = b"\r" if wine else b"\n"
        self.eol = b"\r\n" if wine else b"\n"
        self.end_input = b"\x1a\r" if wine else END_INPUT
        # A partial line is handed over by one Ctrl+D and the input ended by a
        # second; in the Windows console, Ctrl+Z ends the partial line's input.
        self.end_partial = b"\x1a\r" if wine else END_INPUT * 2
        # Wine started on a terminal gives the program a console of its own,
        # as a double-click does; through cmd it shares cmd's.
        self.window_waits = wine and not through_cmd
        # What a typed count says about ending its input.
        self.finish_line = ("When the last line is in, press Ctrl+Z, then Enter, to see the count "
                            "to declare." if wine else
                            "When the last line is in, press Ctrl+D to see the count to declare.")


@dataclass(frozen=True)
class Typed(Checked):
    """A terminal case: the program, and what is typed and seen (`steps`, which raises with
    what went wrong)."""
    steps: Callable
    program: str                        # "renumbrix" or "tallyrun"
    stdin_file: Optional[str] = None    # console input from this file of the folder instead
    through_cmd: bool = False           # under Wine, started from cmd, which shares its console
    library: Optional[dict] = None      # settings of the staging library, loaded into the program

    @property
    def name(self):
        steps = self.steps.__name__
        return steps if steps.startswith(self.program) else f"{self.program}_{steps}"


LINES_IN_FILE = 20000
HANGUP_KILLS_WINE = "a closed terminal ends Wine itself; Windows has no hangup"
ONLY_A_WINDOW_WAITS = "only a Windows console window waits"
CMD_IS_WINDOWS = "cmd is a Windows program"


def block(folder):
    (folder / "block.txt").write_bytes(b"150, a\n151, b\n")


EARLIER = b"left over from an earlier run\n"


def block_beside_earlier_results(folder):
    block(folder)
    for name in ("Sorted.ide", "Sorted.log"):
        (folder / name).write_bytes(EARLIER)


def block_not_ready(folder):
    (folder / "block.txt").write_bytes(b"150, a\nobjs\n151, b\n")


def letters(folder):
    (folder / "letters.txt").write_bytes("# Деревья (trees) — café\n".encode() + b"caf\xe9, x\n"
                                         b"15OO, y\n")


SLOW_LINES = 3000
SLOW_DISK = {"STAGE_SLOW": "Sorted.ide:1000"}  # a thousandth of a second for every entry
NEEDS_LIBRARY = "a slow disk is staged with the library, for native programs only"


def slow_block(folder):
    (folder / "block.txt").write_bytes(b"150, a\n" * SLOW_LINES)


def slow_lines_file(folder):
    (folder / "lines.txt").write_bytes(b"%d\n1\n" % SLOW_LINES + b"150, a\n" * SLOW_LINES)


def lines_file(folder):
    (folder / "lines.txt").write_bytes(b"%d\n400\n" % LINES_IN_FILE + b"150, a\n" * LINES_IN_FILE)


CASES = [
    Typed(renumbrix_typed_line_by_line, "renumbrix"),
    Typed(renumbrix_block_pasted, "renumbrix"),
    Typed(renumbrix_line_typed_in_two_parts, "renumbrix",
          not_under_wine="the Windows console cannot hand over part of a line"),
    Typed(renumbrix_input_ended_mid_block, "renumbrix"),
    Typed(renumbrix_surplus_line_is_no_key, "renumbrix", not_natively=ONLY_A_WINDOW_WAITS),
    Typed(renumbrix_refused_file_waits, "renumbrix", not_natively=ONLY_A_WINDOW_WAITS,
          setup=lambda folder: (folder / "Sorted.ide").mkdir()),
    Typed(renumbrix_from_cmd_needs_no_key, "renumbrix", through_cmd=True,
          not_natively=CMD_IS_WINDOWS),
    Typed(renumbrix_terminal_closed_while_typing, "renumbrix", not_under_wine=HANGUP_KILLS_WINE),
    Typed(renumbrix_terminal_closed_while_reading_a_file, "renumbrix", setup=lines_file,
          stdin_file="lines.txt", not_under_wine=HANGUP_KILLS_WINE),
    Typed(renumbrix_sorts_a_dropped_block, "renumbrix", args=("block.txt",), setup=block),
    Typed(renumbrix_refuses_a_block_not_ready, "renumbrix", args=("block.txt",),
          setup=block_not_ready),
    Typed(renumbrix_asks_again_after_a_wrong_start, "renumbrix", args=("block.txt",),
          setup=block_beside_earlier_results),
    Typed(renumbrix_interrupted_at_the_question_touches_nothing, "renumbrix",
          args=("block.txt",), setup=block_beside_earlier_results),
    Typed(refused_option_waits, "renumbrix", args=("/x",), not_natively=ONLY_A_WINDOW_WAITS),
    Typed(refused_option_waits, "tallyrun", args=("/x",), not_natively=ONLY_A_WINDOW_WAITS),
    Typed(renumbrix_shows_its_progress_on_a_terminal, "renumbrix", args=("block.txt",),
          setup=slow_block, library=SLOW_DISK, not_under_wine=NEEDS_LIBRARY, timeout=60),
    Typed(renumbrix_prompts_but_shows_no_progress, "renumbrix", setup=slow_lines_file,
          stdin_file="lines.txt", library=SLOW_DISK, not_under_wine=NEEDS_LIBRARY, timeout=60),
    Typed(tallyrun_counts_each_typed_line, "tallyrun"),
    Typed(tallyrun_checks_a_dropped_file, "tallyrun", args=("block.txt",), setup=block),
    Typed(tallyrun_shows_letters_as_written, "tallyrun", args=("letters.txt",), setup=letters),
    Typed(tallyrun_checks_a_file_from_cmd, "tallyrun", args=("block.txt",), setup=block,
          through_cmd=True, not_natively=CMD_IS_WINDOWS),
]


def run_typed(case: Typed, program: str, platform: Platform) -> list:
    env = dict(platform.env or os.environ, TERM="xterm")
    if case.library:
        if not platform.stage:
            return [f"{case.name} needs the staging library: give --stage"]
        # A sanitizer's runtime would otherwise insist on being loaded first.
        env.update(case.library, LD_PRELOAD=platform.stage,
                   ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0")
    command = platform.command(program, case.args, through_cmd=case.through_cmd)
    with tempfile.TemporaryDirectory(prefix="terminal-") as folder:
        if case.setup:
            case.setup(Path(folder))
        stdin = open(Path(folder) / case.stdin_file, "rb") if case.stdin_file else None
        term = Terminal(case.program, command, folder, env, raw=platform.wine, stdin=stdin)
        if stdin is not None:
            stdin.close()
        try:
            case.steps(term, Keys(platform.wine, case.through_cmd), Path(folder))
            return []
        except AssertionError as problem:
            term.process.kill()
            return [str(problem)]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--renumbrix", required=True)
    parser.add_argument("--tallyrun", required=True)
    parser.add_argument("--wine", action="store_true", help="run Windows programs under Wine")
    parser.add_argument("--stage", help="the staging library (stage.c), for the cases that need it")
    parser.add_argument("--only", help="run only the cases whose name contains this text")
    args = parser.parse_args()
    programs = {"renumbrix": os.path.abspath(args.renumbrix),
                "tallyrun": os.path.abspath(args.tallyrun)}
    platform = Platform(args.wine, stage=args.stage and os.path.abspath(args.stage))
    try:
        return run_cases(CASES, args, platform,
                         lambda case: run_typed(case, programs[case.program], platform))
    finally:
        platform.close()


if __name__ == "__main__":
    sys.exit(main())
