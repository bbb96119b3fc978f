"""Runs golden transcripts against a built program.

A case gives console input and, written by hand, everything the program must
leave behind: standard output, standard error, exit status and the files in
its working folder. Each case runs in a fresh temporary folder. On failure
the first differing line of every stream or file is printed.
"""

import os
import resource
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from dataclasses import dataclass, field
from pathlib import Path
from typing import Callable, Dict, Optional

# Expected file states besides exact content.
ABSENT = "absent"        # the file must not exist
UNCHECKED = "unchecked"  # the file is not read (a link to a device, say)

# How a standard stream is connected.
PIPE = "pipe"            # the case's input, or captured output
CLOSED = "closed"        # the descriptor is closed before the program starts
BROKEN = "broken"        # output: a pipe whose reader has already gone
NULL_DEVICE = "null"     # input: /dev/null
FOLDER = "folder"        # input: the working folder itself, which cannot be read
LATE = "late"            # input: a non-blocking pipe whose last two lines come 0.5 s late


def into(name):
    """Output redirected into a file of the working folder, as a shell's `>` does."""
    return "file:" + name


def text(*lines) -> bytes:
    """Lines of str (taken byte for byte) or bytes, each ended by a line break."""
    return b"".join((line if isinstance(line, bytes) else line.encode("latin-1")) + b"\n"
                    for line in lines)


@dataclass
class Case:
    name: str
    stdin: bytes
    stdout: Optional[bytes]
    stderr: Optional[bytes]
    status: int
    files: Dict[str, object] = field(default_factory=dict)
    setup: Optional[Callable[[Path], None]] = None
    stdin_mode: str = PIPE
    stdout_mode: str = PIPE
    stderr_mode: str = PIPE
    file_size_limit: Optional[int] = None  # bytes, as `ulimit -f` sets it
    not_under_wine: Optional[str] = None   # why Wine cannot stage the case
    unprivileged_twice: bool = False       # run twice in one folder as user nobody


def first_difference(expected: bytes, actual: bytes) -> str:
    exp_lines = expected.split(b"\n")
    act_lines = actual.split(b"\n")
    for number, (e, a) in enumerate(zip(exp_lines, act_lines), start=1):
        if e != a:
            return f"line {number}: expected {e[:300]!r}, got {a[:300]!r}"
    return (f"expected {len(exp_lines) - 1} line breaks and {len(expected)} bytes, "
            f"got {len(act_lines) - 1} and {len(actual)}")


class Platform:
    """How a program is started and how text looks on its side. Windows programs run
    under Wine in a throwaway prefix, made once for all cases and removed afterwards."""

    def __init__(self, wine: bool):
        self.wine = wine
        self.env = None
        self.prefix = None
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

    def cannot_run(self, case: Case) -> Optional[str]:
        if case.unprivileged_twice and not (os.geteuid() == 0 and shutil.which("setpriv")):
            return "needs root and setpriv to run as another user"
        if case.unprivileged_twice and self.wine:
            return "the Wine prefix belongs to root"
        if not self.wine:
            return None
        if CLOSED in (case.stdin_mode, case.stdout_mode, case.stderr_mode):
            return "Wine gives its own channels the numbers of closed standard descriptors"
        return case.not_under_wine

    def command(self, program: str, case: Optional[Case] = None):
        if case is not None and case.unprivileged_twice:
            return ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", program]
        return ["wine", program] if self.wine else [program]

    def translate(self, data: bytes) -> bytes:
        # The Windows C runtime's text mode stores every line break as CR LF.
        return data.replace(b"\n", b"\r\n") if self.wine else data


def feed_late(writer, data):
    """Writes all but the last two lines, then the rest half a second later."""
    lines = data.splitlines(keepends=True)
    os.write(writer, b"".join(lines[:-2]))
    time.sleep(0.5)
    os.write(writer, b"".join(lines[-2:]))
    os.close(writer)


def run_case(program: str, case: Case, platform: Platform) -> list:
    problems = []
    with tempfile.TemporaryDirectory(prefix="golden-") as folder:
        work = Path(folder)
        if case.setup:
            case.setup(work)
        if case.unprivileged_twice:
            # The build folder may be closed to other users; the working
            # folder, opened to all, holds a copy of the program instead.
            work.chmod(0o777)
            program = shutil.copy(program, work / "program")
            first = subprocess.run(platform.command(program, case), input=case.stdin, cwd=work,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=600)
            if first.returncode != case.status:
                problems.append(f"first run: status {first.returncode}, {first.stderr[-200:]!r}")

        closed = [fd for fd, mode in enumerate((case.stdin_mode, case.stdout_mode, case.stderr_mode))
                  if mode == CLOSED]

        opened = []  # descriptors of ours that the child inherits
        late = []

        def connect(mode):
            if mode == BROKEN:
                reader, writer = os.pipe()
                os.close(reader)
                opened.append(writer)
                return writer
            if mode == FOLDER:
                opened.append(os.open(work, os.O_RDONLY))
                return opened[-1]
            if mode == LATE:
                reader, writer = os.pipe()
                os.set_blocking(reader, False)
                opened.append(reader)
                late.append(writer)
                return reader
            if mode.startswith("file:"):
                opened.append(os.open(work / mode[5:], os.O_WRONLY | os.O_CREAT | os.O_TRUNC))
                return opened[-1]
            return subprocess.DEVNULL if mode in (CLOSED, NULL_DEVICE) else subprocess.PIPE

        def prepare_child():
            for fd in closed:
                os.close(fd)
            if case.file_size_limit is not None:
                resource.setrlimit(resource.RLIMIT_FSIZE, (case.file_size_limit,) * 2)

        stdin_target = connect(case.stdin_mode)
        try:
            process = subprocess.Popen(
                platform.command(program, case), stdin=stdin_target,
                stdout=connect(case.stdout_mode), stderr=connect(case.stderr_mode), cwd=work,
                preexec_fn=prepare_child, env=platform.env)
            for fd in opened:
                os.close(fd)
            opened.clear()
            if late:
                threading.Thread(target=feed_late, args=(late[0], platform.translate(case.stdin)),
                                 daemon=True).start()
            stdout, stderr = process.communicate(
                platform.translate(case.stdin) if stdin_target == subprocess.PIPE else None,
                timeout=600)
        except subprocess.TimeoutExpired:
            process.kill()
            return ["did not finish within 600 seconds"]
        finally:
            for fd in opened:
                os.close(fd)
        result = subprocess.CompletedProcess(process.args, process.returncode, stdout, stderr)

        if result.returncode < 0 or result.returncode > 128:
            problems.append(f"crashed: status {result.returncode}")
        elif result.returncode != case.status:
            problems.append(f"exit status: expected {case.status}, got {result.returncode}")

        streams = [("standard output", case.stdout, result.stdout),
                   ("standard error", case.stderr, result.stderr)]
        for label, expected, actual in streams:
            if expected is not None and platform.translate(expected) != actual:
                problems.append(f"{label}: {first_difference(platform.translate(expected), actual)}")

        for name, expected in case.files.items():
            path = work / name
            if expected == UNCHECKED:
                continue
            if callable(expected):
                problem = expected(path.read_bytes() if path.is_file() else None)
                if problem:
                    problems.append(f"{name}: {problem}")
                continue
            if expected == ABSENT:
                if path.exists():
                    problems.append(f"{name}: should not exist")
            elif not path.is_file():
                problems.append(f"{name}: missing")
            else:
                actual = path.read_bytes()
                wanted = platform.translate(expected)
                if actual != wanted:
                    problems.append(f"{name}: {first_difference(wanted, actual)}")
    return problems


def main(cases, argv=None) -> int:
    import argparse
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("program", help="the built program to test")
    parser.add_argument("--wine", action="store_true", help="run a Windows program under Wine")
    parser.add_argument("--only", help="run only the cases whose name contains this text")
    args = parser.parse_args(argv)

    platform = Platform(args.wine)
    try:
        passed, failed, skipped = run_cases(cases, args, platform)
    finally:
        platform.close()
    print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    sys.stdout.flush()
    return 1 if failed or not passed else 0


def run_cases(cases, args, platform):
    passed = failed = skipped = 0
    for case in cases:
        if args.only and args.only not in case.name:
            continue
        reason = platform.cannot_run(case)
        if reason:
            print(f"skip {case.name} ({reason})")
            skipped += 1
            continue
        problems = run_case(os.path.abspath(args.program), case, platform)
        if problems:
            failed += 1
            print(f"FAIL {case.name}")
            for problem in problems:
                print(f"     {problem}")
        else:
            passed += 1
            print(f"ok   {case.name}")
        sys.stdout.flush()
    return passed, failed, skipped
