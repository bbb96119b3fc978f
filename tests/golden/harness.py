"""Runs golden transcripts against a built program.

A case gives console input and, written by hand, everything the program must
leave behind: standard output, standard error, exit status and the files in
its working folder. Each case runs in a fresh temporary folder. On failure
the first differing line of every stream or file is printed, with the case's
input and the command that runs that case alone.
"""

import fcntl
import os
import re
import resource
import shlex
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from dataclasses import dataclass, field
from pathlib import Path
from typing import Callable, Dict, Iterable, Optional, Tuple

# Expected file states besides exact content.
ABSENT = "absent"        # the file must not exist
UNCHECKED = "unchecked"  # the file is not read (a link to a device, say)


class In:
    """How console input is connected; or into(name), a file of the folder, as `<` does."""
    PIPE = "pipe"                # the case's input, through a pipe
    NULL = "null device"         # /dev/null
    CLOSED = "closed"            # the descriptor is closed before the program starts
    FOLDER = "folder"            # the working folder itself, which cannot be read
    LATE = "late lines"          # a non-blocking pipe whose last two lines come a second late,
                                 # its writer staying open
    HELD = "held"                # a pipe whose last two lines come after a second run
    ENDLESS = "endless"          # the case's input (or a definition line) over and over,
                                 # until the program stops reading


class Out:
    """How standard output or error is connected; or into(name), a file, as `>` does."""
    PIPE = "pipe"                # captured and compared
    CLOSED = "closed"            # the descriptor is closed before the program starts
    BROKEN = "broken pipe"       # a pipe whose reader has already gone
    SLOW_READER = "slow reader"  # a small non-blocking pipe, read a second late


LATE_SECONDS = 1.0
PIPE_SIZE = 4096         # a slow reader's pipe holds one page, so writers meet "not ready"
NOBODY = 65534           # the user and group an unprivileged case runs as, when we are root


def into(name):
    """A stream connected to a file of the working folder (or a path such as /dev/full): output
    as a shell's `>` does, input as `<` does."""
    return "file:" + name


def text(*lines) -> bytes:
    """Lines of str (taken byte for byte) or bytes, each ended by a line break."""
    return b"".join((line if isinstance(line, bytes) else line.encode("latin-1")) + b"\n"
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


@dataclass
class Case:
    name: str
    stdin: bytes
    stdout: object           # bytes, Streamed, or None when not checked
    stderr: object
    status: int
    files: Dict[str, object] = field(default_factory=dict)
    setup: Optional[Callable[[Path], None]] = None
    stdin_mode: str = In.PIPE
    stdout_mode: str = Out.PIPE
    stderr_mode: str = Out.PIPE
    args: Tuple[str, ...] = ()
    stdin_chunks: Optional[Callable[[], Iterable[bytes]]] = None  # input too large to hold
    file_size_limit: Optional[int] = None  # bytes, as `ulimit -f` sets it
    memory_limit: Optional[int] = None     # bytes of address space, as `ulimit -v` sets it
    timeout: float = 30                    # seconds the whole case may take
    not_under_wine: Optional[str] = None   # why Wine cannot stage the case
    not_natively: Optional[str] = None     # why the case holds only for Windows programs
    unprivileged: bool = False             # run as an ordinary user (nobody, when we are root)
    twice: bool = False                    # run once before, in the same folder
    second_run: Optional[dict] = None      # stdout, stderr and status of another run, started
                                           # while this one waits (HELD input, or a staged pause)
    slow: bool = False                     # takes half a minute: run apart, as the "slow" part
    stage: Optional[Dict[str, str]] = None  # settings of the staging library (stage.c); with
                                           # STAGE_PAUSE_AT or STAGE_PAUSE_IN, the second run
                                           # runs during the pause
    signal: Optional[int] = None           # sent to the program during the staged pause
                                           # instead; a status of -signal is the one it gives
    during_pause: Optional[Callable[[Path], Optional[str]]] = None  # or this is done during
                                           # the pause, given the folder: a problem, or None
    argv0: Optional[str] = None            # the name the program is started under
    open_files_limit: Optional[int] = None  # descriptors, as `ulimit -n` sets it
    after: Optional[Callable[[Path, bytes], Optional[str]]] = None  # a last check, given the
                                           # folder and standard output: a problem, or None


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


class Platform:
    """How a program is started and how text looks on its side. Windows programs run
    under Wine in a throwaway prefix, made once for all cases and removed afterwards."""

    def __init__(self, wine: bool, program: Optional[str] = None, stage: Optional[str] = None):
        self.wine = wine
        self.env = None
        self.prefix = None
        self.stage = stage
        # A sanitizer reserves far more address space than any memory limit allows.
        self.sanitized = program is not None and b"__asan_init" in Path(program).read_bytes()
        if wine:
            self.prefix = tempfile.mkdtemp(prefix="golden-wine-")
            self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                            WINEDLLOVERRIDES="mscoree,mshtml=")
            subprocess.run(["wineboot", "--init"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=300, check=True)

    def close(self):
        if self.wine:
            subprocess.run(["wineserver", "--kill"], env=self.env, check=False)
            shutil.rmtree(self.prefix, ignore_errors=True)

    def as_other_user(self, case) -> bool:
        return getattr(case, "unprivileged", False) and os.geteuid() == 0

    def cannot_run(self, case) -> Optional[str]:
        """Why this platform cannot stage the case, for a golden case or a terminal one."""
        modes = [getattr(case, name, None) for name in ("stdin_mode", "stdout_mode", "stderr_mode")]
        if self.as_other_user(case) and self.wine:
            return "the Wine prefix belongs to root, and root may write anything"
        if getattr(case, "memory_limit", None) and self.sanitized:
            return "a sanitizer cannot start under a memory limit"
        if getattr(case, "stage", None) and not self.stage:
            return "needs the staging library, built for native Linux programs only"
        if not self.wine:
            return case.not_natively
        if getattr(case, "memory_limit", None) or getattr(case, "open_files_limit", None):
            return "Wine cannot start under a memory or descriptor limit"
        if getattr(case, "argv0", None):
            return "Wine starts the program under a name of its own"
        if In.CLOSED in modes or Out.CLOSED in modes:
            return "Wine gives its own channels the numbers of closed standard descriptors"
        return case.not_under_wine

    def command(self, program: str, case=None, through_cmd=False):
        """The command that starts the program for the case; under Wine through cmd when the
        case redirects a stream into a file of the folder, or when asked to."""
        args = list(case.args) if case is not None else []
        if not self.wine:
            return [program] + args
        redirects = self.cmd_redirects(case)
        if redirects or through_cmd:
            # The file is opened by Windows itself, as a user's cmd would.
            line = " ".join(["Z:" + program.replace("/", "\\")] + args + redirects)
            return ["wine", "cmd", "/c", line]
        return ["wine", program] + args

    def user(self, case):
        """Popen's user, group and extra groups for the case: nobody for an unprivileged case
        run by root, else the same as ours."""
        if self.as_other_user(case):
            return dict(user=NOBODY, group=NOBODY, extra_groups=[])
        return {}

    def cmd_opens(self, mode: str) -> bool:
        """Under Wine, a stream into a file of the working folder is redirected by cmd."""
        return self.wine and mode.startswith("file:") and not mode[5:].startswith("/")

    def cmd_redirects(self, case):
        if case is None or not hasattr(case, "stdin_mode"):
            return []
        modes = (("<", case.stdin_mode), (">", case.stdout_mode), ("2>", case.stderr_mode))
        return [f"{sign} {mode[5:]}" for sign, mode in modes if self.cmd_opens(mode)]

    def translate(self, data: bytes) -> bytes:
        # The Windows C runtime's text mode stores every line break as CR LF.
        return data.replace(b"\n", b"\r\n") if self.wine else data

    def folder(self, path: Path) -> bytes:
        """A folder's full path as the program names it: under Wine, on drive Z:."""
        real = os.path.realpath(path)
        return ("Z:" + real.replace("/", "\\") if self.wine else real).encode()

    def expected(self, data: bytes, work: Path) -> bytes:
        """Expected console text on this platform, with <FOLDER:sub> standing for the folder
        `sub` of the working folder (<FOLDER:> for the working folder itself)."""
        return re.sub(rb"<FOLDER:([^>]*)>", lambda match: self.folder(work / match[1].decode()),
                      self.translate(data))


class Streams:
    """The three standard streams of one run, connected as the case asks, and the threads
    that feed or drain them, which start once the program has."""

    def __init__(self, case: Case, work: Path, scratch: Path, platform: Platform, program: str):
        self.case, self.work, self.platform, self.program = case, work, platform, program
        self.opened = []        # descriptors of ours that the child inherits
        self.threads = []
        self.late_readers = {}  # stream name -> our end of a slow reader's pipe
        self.late_output = {}   # stream name -> bytes read by a slow reader
        self.feed_writer = None
        self.waited_after_last_line = None
        self.second = None      # result of a second run
        self.pause_problem = None  # what went wrong during a staged pause
        self.captured = {}      # stream name -> file capturing a Streamed expectation
        self.stdin = self.connect_input(case.stdin_mode)
        self.stdout = self.connect_output("stdout", case.stdout_mode, case.stdout, scratch)
        self.stderr = self.connect_output("stderr", case.stderr_mode, case.stderr, scratch)

    def inherit(self, fd):
        self.opened.append(fd)
        return fd

    def connect_input(self, mode):
        if mode == In.FOLDER:
            return self.inherit(os.open(self.work, os.O_RDONLY))
        if self.platform.cmd_opens(mode):
            return subprocess.DEVNULL
        if mode.startswith("file:"):
            return self.inherit(os.open(self.work / mode[5:], os.O_RDONLY))
        if mode in (In.CLOSED, In.NULL):
            return subprocess.DEVNULL
        if mode == In.PIPE and self.case.stdin_chunks is None:
            return subprocess.PIPE
        if mode not in (In.PIPE, In.LATE, In.HELD, In.ENDLESS):
            raise ValueError(f"{self.case.name}: unknown input mode {mode!r}")
        reader, self.feed_writer = os.pipe()
        if mode == In.LATE:
            os.set_blocking(reader, False)
        return self.inherit(reader)

    def connect_output(self, name, mode, expected, scratch):
        if mode == Out.BROKEN:
            reader, writer = os.pipe()
            os.close(reader)
            return self.inherit(writer)
        if mode == Out.SLOW_READER:
            reader, writer = os.pipe()
            fcntl.fcntl(writer, getattr(fcntl, "F_SETPIPE_SZ", 1031), PIPE_SIZE)
            os.set_blocking(writer, False)
            self.late_readers[name] = reader
            return self.inherit(writer)
        if self.platform.cmd_opens(mode):
            return subprocess.PIPE
        if mode.startswith("file:"):
            return self.inherit(os.open(self.work / mode[5:], os.O_WRONLY | os.O_CREAT | os.O_TRUNC))
        if mode == Out.CLOSED:
            return subprocess.DEVNULL
        if mode != Out.PIPE:
            raise ValueError(f"{self.case.name}: unknown output mode {mode!r}")
        if isinstance(expected, Streamed):
            self.captured[name] = open(scratch / name, "w+b")
            return self.captured[name]
        return subprocess.PIPE

    def start_threads(self, process, scratch: Path):
        """Starts, once the program runs, whatever feeds its input, drains a slow reader's
        pipe or starts a second run."""
        for name, reader in self.late_readers.items():
            self.start(self.read_late, name, reader)
        if self.feed_writer is not None:
            self.start(self.feed, process)
        if self.case.stage and {"STAGE_PAUSE_AT", "STAGE_PAUSE_IN"} & set(self.case.stage):
            self.start(self.run_during_pause, process, scratch / "paused")

    def start(self, target, *args):
        thread = threading.Thread(target=target, args=args, daemon=True)
        self.threads.append(thread)
        thread.start()

    def read_late(self, name, reader):
        time.sleep(LATE_SECONDS)
        with os.fdopen(reader, "rb") as source:
            self.late_output[name] = source.read()

    def send(self, data):
        view = memoryview(data)
        while view:
            view = view[os.write(self.feed_writer, view):]

    def feed(self, process):
        """Feeds input that is not handed over at once."""
        case, data = self.case, self.platform.translate(self.case.stdin)
        try:
            if case.stdin_mode == In.ENDLESS:
                while True:
                    self.send((data or b"150, chair, chairtxd, 100, 0\n") * 1000)
            elif case.stdin_chunks is not None:
                for chunk in case.stdin_chunks():
                    self.send(chunk)
            else:
                lines = data.splitlines(keepends=True)
                self.send(b"".join(lines[:-2]))
                if case.stdin_mode == In.LATE:
                    time.sleep(LATE_SECONDS)
                else:
                    self.run_second()
                self.send(b"".join(lines[-2:]))
                sent = time.monotonic()
                # A late writer stays open: the program must end at its last
                # declared line, not wait for the end of input.
                if case.stdin_mode == In.LATE:
                    process.wait()
                    self.waited_after_last_line = time.monotonic() - sent
        except OSError:  # the program stopped reading: a broken pipe
            pass
        finally:
            os.close(self.feed_writer)

    def run_second(self):
        """Waits until the first run has taken a line, then starts another in its folder."""
        log = self.work / "Sorted.log"
        end = time.monotonic() + 20
        while time.monotonic() < end and not (log.is_file() and b"Entered Line:" in log.read_bytes()):
            time.sleep(0.05)
        self.start_second()

    def run_during_pause(self, process, mark: Path):
        """Waits until the staging library has paused the first run, sends it the case's signal
        or starts another run in its folder, and lets the first go on once that is done."""
        end = time.monotonic() + 20
        while time.monotonic() < end and not mark.exists():
            time.sleep(0.01)
        try:
            if self.case.signal is not None:
                process.send_signal(self.case.signal)
                time.sleep(0.1)  # the signal has arrived while the write still waits
            elif self.case.during_pause is not None:
                self.pause_problem = self.case.during_pause(self.work)
            else:
                self.start_second()
        finally:
            mark.unlink(missing_ok=True)

    def start_second(self):
        self.second = subprocess.run(self.platform.command(self.program, self.case),
                                     input=b"", cwd=self.work, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, env=self.platform.env, timeout=60,
                                     **self.platform.user(self.case))

    def close(self):
        for fd in self.opened:
            os.close(fd)
        self.opened.clear()


def run_case(program: str, case: Case, platform: Platform) -> list:
    problems = []
    with tempfile.TemporaryDirectory(prefix="golden-") as folder, \
            tempfile.TemporaryDirectory(prefix="golden-console-") as scratch:
        work = Path(folder)
        if platform.as_other_user(case):
            # The build folder may be closed to other users; the working
            # folder, opened to all, holds a copy of the program instead.
            work.chmod(0o777)
            program = shutil.copy(program, work / "program")
        if case.setup:
            case.setup(work)
        if case.twice:
            first = subprocess.run(platform.command(program, case), input=case.stdin, cwd=work,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                   timeout=case.timeout, env=platform.env, **platform.user(case))
            if first.returncode != case.status:
                problems.append(f"first run: status {first.returncode}, {first.stderr[-200:]!r}")
        try:
            problems += run_once(program, case, platform, work, Path(scratch))
        finally:
            work.chmod(0o700)  # a case may have closed the folder; it must still go
    return problems


def run_once(program, case, platform, work, scratch):
    problems = []
    closed = [fd for fd, mode in enumerate((case.stdin_mode, case.stdout_mode, case.stderr_mode))
              if mode == In.CLOSED]

    def prepare_child():
        os.umask(0o022)
        resource.setrlimit(resource.RLIMIT_CORE, (0, 0))  # a signal that dumps core leaves none
        for fd in closed:
            os.close(fd)
        if case.file_size_limit is not None:
            resource.setrlimit(resource.RLIMIT_FSIZE, (case.file_size_limit,) * 2)
        if case.memory_limit is not None:
            resource.setrlimit(resource.RLIMIT_AS, (case.memory_limit,) * 2)
        if case.open_files_limit is not None:
            resource.setrlimit(resource.RLIMIT_NOFILE, (case.open_files_limit,) * 2)

    streams = Streams(case, work, scratch, platform, program)
    env = platform.env
    if case.stage:
        # A sanitizer's runtime would otherwise insist on being loaded first.
        env = dict(env or os.environ, LD_PRELOAD=platform.stage, STAGE_MARK=str(scratch / "paused"),
                   ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0",
                   **case.stage)
    cpu_before = resource.getrusage(resource.RUSAGE_CHILDREN)
    try:
        command = platform.command(program, case)
        if case.argv0:
            command = [case.argv0] + command[1:]
        process = subprocess.Popen(
            command, executable=program if case.argv0 else None, stdin=streams.stdin,
            stdout=streams.stdout,
            stderr=streams.stderr, cwd=work, preexec_fn=prepare_child, env=env,
            **platform.user(case))
        streams.close()
        streams.start_threads(process, scratch)
        stdout, stderr = process.communicate(
            platform.translate(case.stdin) if streams.stdin == subprocess.PIPE else None,
            timeout=case.timeout)
        for thread in streams.threads:
            thread.join(case.timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return [f"did not finish within {case.timeout:g} seconds"]
    finally:
        streams.close()
    cpu_after = resource.getrusage(resource.RUSAGE_CHILDREN)

    if (process.returncode < 0 or process.returncode > 128) and process.returncode != case.status:
        problems.append(f"crashed: status {process.returncode}")
    elif process.returncode != case.status:
        problems.append(f"exit status: expected {case.status}, got {process.returncode}")

    if case.stdin_mode == In.LATE and streams.waited_after_last_line is not None:
        if streams.waited_after_last_line > 5:
            problems.append("did not end when its last line arrived")
        cpu = (cpu_after.ru_utime + cpu_after.ru_stime) - (cpu_before.ru_utime + cpu_before.ru_stime)
        if not platform.wine and cpu > LATE_SECONDS / 2:
            problems.append(f"used {cpu:.2f} s of processor time waiting {LATE_SECONDS:g} s for input")

    if streams.pause_problem:
        problems.append(streams.pause_problem)

    if case.second_run is not None:
        second = streams.second
        want = case.second_run
        if second is None:
            problems.append("the second run did not start")
        else:
            if second.returncode != want["status"]:
                problems.append(f"second run: exit status {second.returncode}")
            for label, expected, actual in (("stdout", want["stdout"], second.stdout),
                                            ("stderr", want["stderr"], second.stderr)):
                wanted = platform.expected(expected, work)
                if wanted != actual:
                    problems.append(f"second run {label}: {first_difference(wanted, actual)}")

    outputs = {"stdout": stdout, "stderr": stderr, **streams.late_output}
    for name, expected in (("stdout", case.stdout), ("stderr", case.stderr)):
        if expected is None:
            continue
        label = "standard output" if name == "stdout" else "standard error"
        if isinstance(expected, Streamed):
            capture = streams.captured[name]
            capture.seek(0)
            problem = stream_difference(map(platform.translate, expected.chunks()), capture)
            capture.close()
        else:
            wanted = platform.expected(expected, work)
            problem = None if outputs[name] == wanted else first_difference(wanted, outputs[name])
        if problem:
            problems.append(f"{label}: {problem}")

    for name, expected in case.files.items():
        problem = check_file(work / name, expected, platform)
        if problem:
            problems.append(f"{name}: {problem}")
    if case.after is not None:
        problem = case.after(work, stdout if isinstance(stdout, bytes) else b"")
        if problem:
            problems.append(problem)
    return problems


def check_file(path: Path, expected, platform: Platform) -> Optional[str]:
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


def shown_input(case) -> Optional[str]:
    """The case's input, for a failure report: as it is, or its start when it is long."""
    data = getattr(case, "stdin", None)
    if getattr(case, "stdin_chunks", None) is not None:
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
    """Runs each case the arguments select, with `run(case)` giving its problems; prints a
    line per case and a summary, and returns the exit status."""
    passed = failed = skipped = 0
    for case in cases:
        if args.only and args.only not in case.name:
            continue
        if getattr(args, "part", None) and (args.part == "slow") != getattr(case, "slow", False):
            continue
        reason = platform.cannot_run(case)
        if reason:
            print(f"skip {case.name} ({reason})")
            skipped += 1
            continue
        problems = run(case)
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
            print(f"ok   {case.name}")
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
