"""Staged runs: the moments and surroundings a golden case needs beyond piped input and
captured output. A case asks for them with a Stage: closed or odd console streams, input fed
late or without end, a slow reader, limits on file size, memory and descriptors, an ordinary
user, a run before or beside it in the same folder, and the staging library (stage.c) loaded
into the program to pause it inside a write or before a read, send it a signal there, fail a
read, a write or a truncation, or hide the times of files.
"""

import fcntl
import os
import resource
import shutil
import signal
import subprocess
import threading
import time
from dataclasses import dataclass
from pathlib import Path
from typing import Callable, Dict, Iterable, Optional, Tuple

from harness import Outcome, Skipped, Streamed, compare, first_difference, set_up_child

LATE_SECONDS = 1.0
PIPE_SIZE = 4096         # a slow reader's pipe holds one page, so writers meet "not ready"
NOBODY = 65534           # the user and group an unprivileged case runs as, when we are root


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


def into(name):
    """A stream connected to a file of the working folder (or a path such as /dev/full): output
    as a shell's `>` does, input as `<` does."""
    return "file:" + name


@dataclass(frozen=True)
class Stage:
    stdin: str = In.PIPE
    stdout: str = Out.PIPE
    stderr: str = Out.PIPE
    stdin_chunks: Optional[Callable[[], Iterable[bytes]]] = None  # input too large to hold
    file_size_limit: Optional[int] = None   # bytes, as `ulimit -f` sets it
    memory_limit: Optional[int] = None      # bytes of address space, as `ulimit -v` sets it
    open_files_limit: Optional[int] = None  # descriptors, as `ulimit -n` sets it
    unprivileged: bool = False              # run as an ordinary user (nobody, when we are root)
    twice: bool = False                     # run once before, in the same folder
    second_run: Optional[Outcome] = None    # what another run started while this one waits
                                            # (HELD input, or a staged pause) must say
    library: Optional[Dict[str, str]] = None  # settings of the staging library (stage.c)
    signal: Optional[int] = None            # sent during the library's pause instead
    during_pause: Optional[Callable[[Path], Optional[str]]] = None  # or this is done then,
                                            # given the folder: a problem, or None
    argv0: Optional[str] = None             # the name the program is started under
    ignored: Tuple[int, ...] = ()           # signals the program starts with ignored, as nohup
                                            # leaves SIGHUP

    def modes(self):
        return (self.stdin, self.stdout, self.stderr)

    def cannot_run(self, platform, case) -> Optional[str]:
        """Why this platform cannot stage the case."""
        if self.as_other_user() and platform.wine:
            return "the Wine prefix belongs to root, and root may write anything"
        if self.memory_limit and platform.sanitized:
            return "a sanitizer cannot start under a memory limit"
        if self.library and not platform.stage:
            return "needs the staging library, built for native Linux programs only"
        if not platform.wine:
            return None
        if self.memory_limit or self.open_files_limit:
            return "Wine cannot start under a memory or descriptor limit"
        if self.argv0:
            return "Wine starts the program under a name of its own"
        if In.CLOSED in self.modes() or Out.CLOSED in self.modes():
            return "Wine gives its own channels the numbers of closed standard descriptors"
        return None

    def as_other_user(self) -> bool:
        return self.unprivileged and os.geteuid() == 0

    def user(self):
        """Popen's user, group and extra groups: nobody for an unprivileged case run by root."""
        return dict(user=NOBODY, group=NOBODY, extra_groups=[]) if self.as_other_user() else {}

    def command(self, platform, program, case):
        """The case's command; under Wine, cmd opens a stream's file of the folder itself."""
        redirects = [f"{sign} {mode[5:]}" for sign, mode in zip(("<", ">", "2>"), self.modes())
                     if cmd_opens(platform, mode)]
        command = platform.command(program, case.args, redirects)
        return [self.argv0] + command[1:] if self.argv0 else command

    def run(self, program, case, platform, work: Path, scratch: Path) -> list:
        problems = []
        if self.as_other_user():
            # The build folder may be closed to other users; the working
            # folder, opened to all, holds a copy of the program instead.
            work.chmod(0o777)
            program = shutil.copy(program, work / "program")
        if case.setup:
            case.setup(work)
        if self.twice:
            first = subprocess.run(self.command(platform, program, case), input=case.stdin,
                                   cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                   timeout=case.timeout, env=platform.env, **self.user())
            if first.returncode != case.outcome.status:
                problems.append(f"first run: status {first.returncode}, {first.stderr[-200:]!r}")
        try:
            problems += self.run_once(program, case, platform, work, scratch)
        finally:
            work.chmod(0o700)  # a case may have closed the folder; it must still go
        return problems

    def run_once(self, program, case, platform, work, scratch):
        def prepare_child():
            set_up_child()
            for number in self.ignored:
                signal.signal(number, signal.SIG_IGN)
            for fd, mode in enumerate(self.modes()):
                if mode == In.CLOSED:
                    os.close(fd)
            for limit, value in ((resource.RLIMIT_FSIZE, self.file_size_limit),
                                 (resource.RLIMIT_AS, self.memory_limit),
                                 (resource.RLIMIT_NOFILE, self.open_files_limit)):
                if value is not None:
                    resource.setrlimit(limit, (value, value))

        streams = Streams(self, case, work, scratch, platform, program)
        env = platform.env
        if self.library:
            # A sanitizer's runtime would otherwise insist on being loaded first.
            env = dict(env or os.environ, LD_PRELOAD=platform.stage,
                       STAGE_MARK=str(scratch / "paused"),
                       ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0",
                       **self.library)
        cpu_before = resource.getrusage(resource.RUSAGE_CHILDREN)
        try:
            process = subprocess.Popen(
                self.command(platform, program, case), executable=program if self.argv0 else None,
                stdin=streams.stdin, stdout=streams.stdout, stderr=streams.stderr, cwd=work,
                preexec_fn=prepare_child, env=env, **self.user())
            streams.close()
            streams.start_threads(process, scratch)
            piped = process.communicate(platform.translate(case.stdin)
                                        if streams.stdin == subprocess.PIPE else None,
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

        problems = []
        if self.stdin == In.LATE:
            problems += late_input_problems(streams, platform, cpu_before, cpu_after)
        if streams.pause_problem:
            problems.append(streams.pause_problem)
        if self.second_run is not None:
            problems += second_run_problems(streams.second, self.second_run, platform, work)
        out, err = (streams.late_output.get(name, streams.captured.get(name, output))
                    for name, output in zip(("stdout", "stderr"), piped))
        problems += compare(case, platform, work, process.returncode, out, err)
        for capture in streams.captured.values():
            capture.close()
        return problems


def cmd_opens(platform, mode: str) -> bool:
    """Under Wine, a stream into a file of the working folder is redirected by cmd."""
    return platform.wine and mode.startswith("file:") and not mode[5:].startswith("/")


def late_input_problems(streams, platform, cpu_before, cpu_after) -> list:
    """A late writer stays open: the program must end at its last declared line, not wait for
    the end of input, and must not spin while it waits."""
    if streams.waited_after_last_line is None:
        return [Skipped("the late lines could not all be sent: the program stopped reading")]
    problems = []
    if streams.waited_after_last_line > 5:
        problems.append("did not end when its last line arrived")
    cpu = (cpu_after.ru_utime + cpu_after.ru_stime) - (cpu_before.ru_utime + cpu_before.ru_stime)
    if not platform.wine and cpu > LATE_SECONDS / 2:
        problems.append(f"used {cpu:.2f} s of processor time waiting {LATE_SECONDS:g} s for input")
    return problems


def second_run_problems(second, want: Outcome, platform, work) -> list:
    if second is None:
        return ["the second run did not start"]
    problems = []
    if second.returncode != want.status:
        problems.append(f"second run: exit status {second.returncode}")
    for label, expected, actual in (("stdout", want.stdout, second.stdout),
                                    ("stderr", want.stderr, second.stderr)):
        wanted = platform.expected(expected, work)
        if wanted != actual:
            problems.append(f"second run {label}: {first_difference(wanted, actual)}")
    return problems


class Streams:
    """The three standard streams of one run, connected as the stage asks, and the threads
    that feed or drain them, which start once the program has."""

    def __init__(self, stage, case, work: Path, scratch: Path, platform, program: str):
        self.stage, self.case, self.work, self.platform, self.program = (stage, case, work,
                                                                        platform, program)
        self.opened = []        # descriptors of ours that the child inherits
        self.threads = []
        self.late_readers = {}  # stream name -> our end of a slow reader's pipe
        self.late_output = {}   # stream name -> bytes read by a slow reader
        self.captured = {}      # stream name -> file capturing it
        self.feed_writer = None
        self.waited_after_last_line = None
        self.second = None      # result of a second run
        self.pause_problem = None  # what went wrong during a staged pause
        self.stdin = self.connect_input(stage.stdin)
        self.stdout = self.connect_output("stdout", stage.stdout, scratch)
        self.stderr = self.connect_output("stderr", stage.stderr, scratch)

    def inherit(self, fd):
        self.opened.append(fd)
        return fd

    def connect_input(self, mode):
        if mode == In.FOLDER:
            return self.inherit(os.open(self.work, os.O_RDONLY))
        if cmd_opens(self.platform, mode):
            return subprocess.DEVNULL
        if mode.startswith("file:"):
            return self.inherit(os.open(self.work / mode[5:], os.O_RDONLY))
        if mode in (In.CLOSED, In.NULL):
            return subprocess.DEVNULL
        if mode == In.PIPE and self.stage.stdin_chunks is None:
            return subprocess.PIPE
        if mode not in (In.PIPE, In.LATE, In.HELD, In.ENDLESS):
            raise ValueError(f"{self.case.name}: unknown input mode {mode!r}")
        reader, self.feed_writer = os.pipe()
        if mode == In.LATE:
            os.set_blocking(reader, False)
        return self.inherit(reader)

    def connect_output(self, name, mode, scratch):
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
        if mode.startswith("file:") and not cmd_opens(self.platform, mode):
            return self.inherit(os.open(self.work / mode[5:], os.O_WRONLY | os.O_CREAT | os.O_TRUNC))
        if mode == Out.CLOSED:
            return subprocess.DEVNULL
        if mode != Out.PIPE and not cmd_opens(self.platform, mode):
            raise ValueError(f"{self.case.name}: unknown output mode {mode!r}")
        # Through a pipe, which no file-size limit cuts short; into a file only when the
        # expected output is too large to hold.
        if isinstance(getattr(self.case.outcome, name), Streamed):
            self.captured[name] = open(scratch / name, "w+b")
            return self.captured[name]
        return subprocess.PIPE

    def start_threads(self, process, scratch: Path):
        """Starts, once the program runs, whatever feeds its input, drains a slow reader's
        pipe or acts during a staged pause."""
        for name, reader in self.late_readers.items():
            self.start(self.read_late, name, reader)
        if self.feed_writer is not None:
            self.start(self.feed, process)
        if self.stage.library and ({"STAGE_PAUSE_AT", "STAGE_PAUSE_IN", "STAGE_READ_PAUSE"}
                                   & set(self.stage.library)):
            self.start(self.act_during_pause, process, scratch / "paused")

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
        stage, data = self.stage, self.platform.translate(self.case.stdin)
        try:
            if stage.stdin == In.ENDLESS:
                while True:
                    self.send((data or b"150, chair, chairtxd, 100, 0\n") * 1000)
            elif stage.stdin_chunks is not None:
                for chunk in stage.stdin_chunks():
                    self.send(chunk)
            else:
                lines = data.splitlines(keepends=True)
                self.send(b"".join(lines[:-2]))
                if stage.stdin == In.LATE:
                    time.sleep(LATE_SECONDS)
                else:
                    self.run_second()
                self.send(b"".join(lines[-2:]))
                sent = time.monotonic()
                if stage.stdin == In.LATE:
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

    def act_during_pause(self, process, mark: Path):
        """Waits until the staging library has paused the program, sends it the stage's signal,
        or does what the stage does during the pause, or starts another run in its folder; then
        lets the first go on."""
        end = time.monotonic() + 20
        while time.monotonic() < end and not mark.exists():
            time.sleep(0.01)
        try:
            if self.stage.signal is not None:
                process.send_signal(self.stage.signal)
                time.sleep(0.1)  # the signal has arrived while the write still waits
            elif self.stage.during_pause is not None:
                self.pause_problem = self.stage.during_pause(self.work)
            else:
                self.start_second()
        finally:
            mark.unlink(missing_ok=True)

    def start_second(self):
        self.second = subprocess.run(self.platform.command(self.program, self.case.args),
                                     input=b"", cwd=self.work, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, env=self.platform.env, timeout=60,
                                     **self.stage.user())

    def close(self):
        for fd in self.opened:
            os.close(fd)
        self.opened.clear()
