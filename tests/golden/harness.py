"""Runs golden transcripts against a built program.

A case gives console input and, written by hand, everything the program must
leave behind: standard output, standard error, exit status and the files in
its working folder. Each case runs in a fresh temporary folder, its console
streams captured to files and compared with what it must say. On failure the
first differing line of every stream or file is printed, with the case's
input and the command that runs that case alone. A case that needs more than
piped input and captured output (a closed stream, a limit, a second run, a
moment staged inside the program) says so in `stage` (staging.py).
"""

import dataclasses
import os
import re
import shlex
import shutil
import socket
import subprocess
import sys
import tempfile
from dataclasses import dataclass, field
from pathlib import Path
from typing import Callable, Dict, Iterable, Optional, Tuple

# Expected file states besides exact content.
ABSENT = "absent"        # the file must not exist
UNCHECKED = "unchecked"  # the file is not read (a link to a device, say)


def text(*lines) -> bytes:
    """Lines of str or bytes, each ended by a line break. A str is taken byte for byte where it
    holds only characters up to U+00FF, and as UTF-8 where it holds letters beyond them."""
    def encoded(line):
        try:
            return line.encode("latin-1")
        except UnicodeEncodeError:
            return line.encode("utf-8")
    return b"".join((line if isinstance(line, bytes) else encoded(line)) + b"\n"
                    for line in lines)


class Streamed:
    """Expected content too large to hold: a function giving it as byte chunks, compared
    with what the program wrote piece by piece."""

    def __init__(self, chunks: Callable[[], Iterable[bytes]]):
        self.chunks = chunks


class Mode:
    """A file that must have these permission bits and this content."""

    def __init__(self, bits: int, content: bytes):
        self.bits, self.content = bits, content


class Skipped(str):
    """A check of a case that could not be made this time: reported, but no failure."""


class Derivable:
    """A case or outcome derived from another says what it changes: `case.but(stderr=None)`."""

    def but(self, **changes):
        return dataclasses.replace(self, **changes)


@dataclass(frozen=True)
class Outcome(Derivable):
    """What a run must leave behind. A stream of None is not checked; a file is bytes, a
    Streamed, a Mode, ABSENT, UNCHECKED, or a function of its content (None when missing)
    that returns what is wrong."""
    stdout: object
    stderr: object
    status: int              # a negative status -n: ended by signal n
    files: Dict[str, object] = field(default_factory=dict)


@dataclass(frozen=True, kw_only=True)
class Checked(Derivable):
    """What golden and terminal cases share: the command line, the folder, and why a
    platform cannot run the case."""
    args: Tuple[str, ...] = ()
    setup: Optional[Callable[[Path], None]] = None  # prepares the working folder
    not_under_wine: Optional[str] = None   # why Wine cannot stage the case
    not_natively: Optional[str] = None     # why the case holds only for Windows programs
    slow: bool = False                     # takes half a minute: run apart, as the "slow" part
    timeout: float = 30                    # seconds the whole case may take

    def cannot_run(self, platform) -> Optional[str]:
        return self.not_under_wine if platform.wine else self.not_natively


@dataclass(frozen=True)
class Case(Checked):
    name: str
    stdin: bytes
    outcome: Outcome
    stage: Optional[object] = None         # a staging.Stage: how the run is staged
    after: Optional[Callable[[Path, bytes], Optional[str]]] = None  # a last check, given the
                                           # folder and standard output: a problem, or None

    def cannot_run(self, platform) -> Optional[str]:
        staged = self.stage.cannot_run(platform, self) if self.stage else None
        return staged or super().cannot_run(platform)


class Platform:
    """How a program is started and how text looks on its side. Windows programs run
    under Wine in a throwaway prefix, made once for all cases and removed afterwards."""

    def __init__(self, wine: bool, program: Optional[str] = None, stage: Optional[str] = None):
        self.wine = wine
        self.env = None
        self.prefix = None
        self.stage = stage  # the staging library, where it is built
        # A sanitizer reserves far more address space than any memory limit allows.
        self.sanitized = program is not None and b"__asan_init" in Path(program).read_bytes()
        if wine:
            self.prefix = tempfile.mkdtemp(prefix="golden-wine-")
            # With a UTF-8 locale Wine passes names in any script to the program, as a
            # drop does, and keeps the Western code page (1252) for "ANSI" text.
            self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                            WINEDLLOVERRIDES="mscoree,mshtml=", LANG="C.UTF-8")
            # Making a prefix now and then fails on a busy machine, with nothing of the
            # programs run yet: it is made anew, twice at most, before the cases give up.
            for attempt in range(3):
                made = subprocess.run(["wineboot", "--init"], env=self.env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                      timeout=300, check=False)
                if made.returncode == 0:
                    break
                subprocess.run(["wineserver", "--kill"], env=self.env, check=False)
                print(f"wineboot failed ({made.returncode}): "
                      f"{made.stderr.decode(errors='replace').strip()[-300:]}", file=sys.stderr)
            else:
                raise RuntimeError("wineboot could not make a Wine prefix")

    def close(self):
        if self.wine:
            subprocess.run(["wineserver", "--kill"], env=self.env, check=False)
            shutil.rmtree(self.prefix, ignore_errors=True)

    def command(self, program: str, args=(), redirects=(), through_cmd=False):
        """The command that starts the program; under Wine through cmd when it redirects a
        stream itself, or when asked to."""
        if not self.wine:
            return [program, *args]
        if redirects or through_cmd:
            # The file is opened by Windows itself, as a user's cmd would.
            return ["wine", "cmd", "/c", " ".join(["Z:" + program.replace("/", "\\"), *args,
                                                    *redirects])]
        return ["wine", program, *args]

    def translate(self, data: bytes) -> bytes:
        # The Windows C runtime's text mode stores every line break as CR LF.
        return data.replace(b"\n", b"\r\n") if self.wine else data

    def folder(self, path: Path) -> bytes:
        """A folder's full path as the program names it: under Wine, on drive Z:."""
        real = os.path.realpath(path)
        return ("Z:" + real.replace("/", "\\") if self.wine else real).encode()

    def expected(self, data: bytes, work: Path) -> bytes:
        """Expected console text on this platform, with <FOLDER:sub> standing for the folder
        `sub` of the working folder (<FOLDER:> for the working folder itself), and <SEP> for
        the separator of a path the program joins."""
        data = data.replace(b"<SEP>", b"\\" if self.wine else b"/")
        return re.sub(rb"<FOLDER:([^>]*)>",
                      lambda match: self.folder(work / match[1].decode("utf-8")),
                      self.translate(data))


def bound_socket(work, path):
    """A socket file, as a program listening on it leaves behind."""
    listener = socket.socket(socket.AF_UNIX)
    listener.bind(str(path))
    listener.close()


def set_up_child():
    """Every run starts with the same file mode mask, and leaves no core file behind."""
    import resource
    os.umask(0o022)
    resource.setrlimit(resource.RLIMIT_CORE, (0, 0))


def run_case(program: str, case: Case, platform: Platform) -> list:
    """Runs the case in a fresh folder; returns what went wrong."""
    with tempfile.TemporaryDirectory(prefix="golden-") as folder, \
            tempfile.TemporaryDirectory(prefix="golden-console-") as console:
        work, streams = Path(folder), Path(console)
        if case.stage:
            return case.stage.run(program, case, platform, work, streams)
        if case.setup:
            case.setup(work)
        with open(streams / "stdout", "w+b") as stdout, open(streams / "stderr", "w+b") as stderr:
            try:
                status = subprocess.run(platform.command(program, case.args),
                                        input=platform.translate(case.stdin), stdout=stdout,
                                        stderr=stderr, cwd=work, env=platform.env,
                                        preexec_fn=set_up_child, timeout=case.timeout).returncode
            except subprocess.TimeoutExpired:
                return [f"did not finish within {case.timeout:g} seconds"]
            return compare(case, platform, work, status, stdout, stderr)


def compare(case: Case, platform: Platform, work: Path, status: int, stdout, stderr) -> list:
    """What differs between the run and the case's outcome: its status, its two console
    streams (open files, or bytes), its files, and the case's last check."""
    problems = []
    want = case.outcome
    if (status < 0 or status > 128) and status != want.status:
        problems.append(f"crashed: status {status}")
    elif status != want.status:
        problems.append(f"exit status: expected {want.status}, got {status}")
    for label, expected, actual in (("standard output", want.stdout, stdout),
                                    ("standard error", want.stderr, stderr)):
        problem = stream_problem(expected, actual, platform, work)
        if problem:
            problems.append(f"{label}: {problem}")
    for name, expected in want.files.items():
        problem = file_problem(work / name, expected, platform)
        if problem:
            problems.append(f"{name}: {problem}")
    if case.after is not None:
        problem = case.after(work, read_all(stdout))
        if problem:
            problems.append(problem)
    return problems


def read_all(stream) -> bytes:
    if stream is None or isinstance(stream, bytes):
        return stream or b""
    stream.seek(0)
    return stream.read()


def stream_problem(expected, actual, platform: Platform, work: Path) -> Optional[str]:
    if expected is None:
        return None
    if isinstance(expected, Streamed):
        actual.seek(0)
        return stream_difference(map(platform.translate, expected.chunks()), actual)
    wanted, got = platform.expected(expected, work), read_all(actual)
    return None if got == wanted else first_difference(wanted, got)


def file_problem(path: Path, expected, platform: Platform) -> Optional[str]:
    if expected == UNCHECKED:
        return None
    if callable(expected):
        return expected(path.read_bytes() if path.is_file() else None)
    if expected == ABSENT:
        return "should not exist" if path.exists() or path.is_symlink() else None
    if not path.is_file():
        return "missing"
    if isinstance(expected, Mode):
        bits = path.stat().st_mode & 0o777
        if bits != expected.bits:
            return f"mode {bits:o}, expected {expected.bits:o}"
        expected = expected.content
    if isinstance(expected, Streamed):
        with open(path, "rb") as actual:
            return stream_difference(map(platform.translate, expected.chunks()), actual)
    actual = path.read_bytes()
    wanted = platform.translate(expected)
    return None if actual == wanted else first_difference(wanted, actual)


def first_difference(expected: bytes, actual: bytes, line_offset=0) -> str:
    exp_lines = expected.split(b"\n")
    act_lines = actual.split(b"\n")
    for number, (e, a) in enumerate(zip(exp_lines, act_lines), start=1 + line_offset):
        if e != a:
            return f"line {number}: expected {e[:300]!r}, got {a[:300]!r}"
    return (f"expected {len(exp_lines) - 1} line breaks and {len(expected)} bytes, "
            f"got {len(act_lines) - 1} and {len(actual)}")


def megabytes(chunks: Iterable[bytes]) -> Iterable[bytes]:
    pending, size = [], 0
    for chunk in chunks:
        pending.append(chunk)
        size += len(chunk)
        if size >= 1 << 20:
            yield b"".join(pending)
            pending, size = [], 0
    yield b"".join(pending)


def stream_difference(chunks: Iterable[bytes], actual) -> Optional[str]:
    """Compares a file object's content with chunks, a megabyte at a time."""
    lines_before = 0
    for block in megabytes(chunks):
        got = actual.read(len(block))
        if got != block:
            return first_difference(block, got + actual.read(4096), lines_before)
        lines_before += block.count(b"\n")
    extra = actual.read(300)
    return f"{len(extra)}+ bytes more than expected, from {extra!r}" if extra else None


def shown_input(case) -> Optional[str]:
    """The case's input, for a failure report: as it is, or its start when it is long."""
    data = getattr(case, "stdin", None)
    if getattr(getattr(case, "stage", None), "stdin_chunks", None):
        return "made by a function of the case"
    if not data:
        return None
    return repr(data) if len(data) <= 200 else f"{data[:200]!r}... ({len(data)} bytes)"


def rerun_command(name):
    """This script's own command line, narrowed to the one case."""
    argv, kept = sys.argv[1:], []
    while argv:
        argument = argv.pop(0)
        if argument == "--only":
            argv = argv[1:]
        elif not argument.startswith("--only="):
            kept.append(argument)
    return [sys.executable, sys.argv[0]] + kept + ["--only", name]


def run_cases(cases, args, platform, run) -> int:
    """Runs each case the arguments select, with `run(case)` giving its problems, among them
    the checks it had to skip; prints a line per case and a summary, and returns the exit
    status."""
    passed = failed = skipped = 0
    for case in cases:
        if args.only and args.only not in case.name:
            continue
        if getattr(args, "part", None) and (args.part == "slow") != case.slow:
            continue
        reason = case.cannot_run(platform)
        if reason:
            print(f"skip {case.name} ({reason})")
            skipped += 1
            continue
        outcome = run(case)
        problems = [problem for problem in outcome if not isinstance(problem, Skipped)]
        notes = "".join(f" (skipped: {problem})" for problem in outcome if problem not in problems)
        if problems:
            failed += 1
            print(f"FAIL {case.name}")
            for problem in problems:
                print(f"     {problem}")
            if shown_input(case):
                print(f"     input: {shown_input(case)}")
            print(f"     rerun: {shlex.join(rerun_command(case.name))}")
        else:
            passed += 1
            print(f"ok   {case.name}{notes}")
        sys.stdout.flush()
    print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    sys.stdout.flush()
    return 1 if failed or not passed else 0


def main(cases, argv=None) -> int:
    import argparse
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("program", help="the built program to test")
    parser.add_argument("--wine", action="store_true", help="run a Windows program under Wine")
    parser.add_argument("--stage", help="the staging library (stage.c), for the cases that need it")
    parser.add_argument("--only", help="run only the cases whose name contains this text")
    parser.add_argument("--part", choices=("quick", "slow"),
                        help="run only the quick cases, or only the slow ones")
    args = parser.parse_args(argv)

    program = os.path.abspath(args.program)
    platform = Platform(args.wine, program, args.stage and os.path.abspath(args.stage))
    try:
        return run_cases(cases, args, platform, lambda case: run_case(program, case, platform))
    finally:
        platform.close()
