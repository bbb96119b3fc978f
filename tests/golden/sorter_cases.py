#!/usr/bin/env python3
"""Golden transcripts for renumbrix.

The fixed texts below are typed in by hand from the tool's documented
dialogue and file formats; they are never taken from the program. The
helpers at the bottom lay out a whole run from them, while each case states
by hand what every line reads as: its ID, and its extension or rejection.
"""

import fcntl
import os
import signal
import stat
import sys
import threading
import time
from pathlib import Path

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from game_folder import full_folder, game_folder  # noqa: E402
from harness import (ABSENT, UNCHECKED, Case, Mode, Outcome, Streamed, bound_socket, main,  # noqa: E402
                     text)
from staging import In, Out, Stage, into  # noqa: E402
from check_texts import EMPTY, KEYWORD, MARK, NO_ID, NOT_UTF16, runs_on  # noqa: E402

# --- The dialogue --------------------------------------------------------------------------
BANNER = text(
    "Welcome To Sorting Script v1.0 Made By Korvath.Contact Email:korvath@example.com", "",
    "For help look in ReadMe.If you find any type of bugs report back to me.Thanks in advance.", "",
    "Note:After the process of each line, LINE PROCESSED text would get printed."
    "If it doesn`t at the end line press Enter KEY. ", "",
    "-" * 50 + "Starting Script" + "-" * 50, "", "")
ASK_COUNT_TEXT = ("Enter the Sorting IDE Obj(Lines) Amount:(Very Important.If wrong the program "
                  "won`t function as intended.)")
ASK_COUNT = text(ASK_COUNT_TEXT, "")
ASK_START = text("Enter the object ID starting point ID:", "")
ASK_LINE = text("Enter the IDE lines:", "Line Processed", "")
QUIT = "Press Any Key To Quit..."
CLOSE = text("", "Sorted.ide Closed", "Sorted.log Closed", QUIT)
CREATED = text("Created Sorted.ide file", "Created Sorted.log file")
BAD_COUNT = text("Invaild Input!!! ~ Object ID Amount  "
                 "    CLOSING   ~~~   Check Sorted.log for more info.", QUIT)
BAD_START = text("Invaild Input!!! ~ Starting Point ID   "
                 "    CLOSING   ~~~   Check Sorted.log for more info.", QUIT)
BAD_LINE = text("Invaild Input!!! ~ Total IDE Line Amount & Entered IDE Line Amount Don`t Match"
                "    ERROR!ERROR   ~~~   Check Sorted.log for more info.", QUIT)

# --- Sorted.ide ----------------------------------------------------------------------------
IDE_HEADER = text("#Item Defination File Created by Korvath`s Sorting Script.", "objs")
IDE_TRAILER = text("end", "tobj", "end", "2dfx", "end")

# --- Sorted.log ----------------------------------------------------------------------------
LOG_HEADER = text("Starting Sorted.log", "", "IDE sorting script made by Korvath.", "")
CRASHED = "~" * 15 + "Program Crashed" + "~" * 15
ONLY_NUMBERS = "*****Only Normal Numbers Allowed, 0 to 999999.*****"
DECLARED_WAS = "Your Entered Total Object ID(Line) Amount Was:   "


def log_invalid_count(value):
    return text(CRASHED, "*****Invalid Object ID Amount*****", "", f"{DECLARED_WAS}{value}",
                ONLY_NUMBERS)


def log_invalid_start(value):
    return text(CRASHED, "*****Invalid Starting Point ID*****", "",
                f"Your Entered Stating Point ID Was:   {value}", ONLY_NUMBERS)


# A rejected line's record and every line's block, with the numbers and bytes left open.
LOG_MISMATCH = text(CRASHED, "*****Total IDE Line Amount & Entered IDE Line Amount Don`t Match*****",
                    DECLARED_WAS + "%d", "Your Inputted Total Object ID(Line) Amount Was:   %d+")
LOG_BLOCK = text("", "", "Entered Line:           %d%s", "Object ID Detected:     %d",
                 "Changed Object ID To:   %d", "Line Extention:         %s",
                 "Updated Line:           %s", "", "")


def log_mismatch(declared, entered):
    return LOG_MISMATCH % (declared, entered)


def log_block(line_id, new_id, extension, updated):
    return LOG_BLOCK % (line_id, extension, line_id, new_id, extension, updated)


def log_closing(entered):
    return (text("Sorted.ide Closed", "Sorted.log Closed")
            + ("-" * 30 + "Log Finished!" + "-" * 30).encode() + text(f"Total IDs Sorted:{entered}"))


# --- Whole runs ----------------------------------------------------------------------------
def accepted(line_id, extension=b""):
    """A line whose ID was inside the range, with the bytes that followed it."""
    return (line_id, extension if isinstance(extension, bytes) else extension.encode("latin-1"))


def rejected(line_id):
    """A line whose ID read gave a value outside the range (0 when it read nothing)."""
    return (line_id, None)


def dropped(line_id):
    """A line whose ID was accepted but whose rest was too long to hold: the input fails there."""
    return (line_id, DROPPED)


DROPPED = "dropped"
ACCEPTED = "accepted"


def completed(declared, start, lines, ide=None, ide_written=True, log_written=True,
              streamed=False):
    """A run that took every declared line and reached its end. A streamed run lays out what it
    expects while it is compared, for runs too long to hold."""
    assert len(lines) == declared

    def each_line():
        """Per line: its new ID, its ID, the extension written, the entry, and how it went."""
        for index, (line_id, extension) in enumerate(lines):
            new_id = start + index
            if extension is None or extension is DROPPED:
                yield new_id, line_id, b"", b"#%d" % new_id, extension
            else:
                yield new_id, line_id, extension, b"%d" % new_id + extension, ACCEPTED

    def stdout():
        yield BANNER + text("", "") + ASK_COUNT + ASK_START
        for _ in range(declared):
            yield ASK_LINE
        yield text("_" * 30 + "Sorting Finished!" + "_" * 30, "", f"Total IDs Sorted:{declared}",
                   "", "Special Thanks: Programmers around the globe.") + CLOSE

    def stderr():
        yield CREATED
        for _, _, _, _, how in each_line():
            if how is DROPPED:
                yield text("Unable to read console input")
            elif how is None:
                yield BAD_LINE
        if not ide_written:
            yield text("Unable to write Sorted.ide file")
        if not log_written:
            yield text("Unable to write Sorted.log file")

    def entries():
        yield IDE_HEADER
        for _, _, _, entry, _ in each_line():
            yield entry + b"\n"
        yield IDE_TRAILER

    def log():
        yield LOG_HEADER
        for index, (new_id, line_id, extension, entry, how) in enumerate(each_line()):
            if how is None:
                yield log_mismatch(declared, index + 1)
            yield log_block(line_id, new_id, extension, entry)
        yield log_closing(declared)

    def laid_out(stream):
        return Streamed(stream) if streamed else b"".join(stream())

    failed = not ide_written or not log_written or any(e is DROPPED for _, e in lines)
    return Outcome(laid_out(stdout), laid_out(stderr), 1 if failed else 0,
                   {"Sorted.ide": laid_out(entries) if ide is None else ide,
                    "Sorted.log": laid_out(log)})


def invalid_count(value):
    return Outcome(BANNER + text("", "") + ASK_COUNT + CLOSE, CREATED + BAD_COUNT, 0,
                   {"Sorted.ide": IDE_HEADER, "Sorted.log": LOG_HEADER + log_invalid_count(value)})


def invalid_start(value):
    return Outcome(BANNER + text("", "") + ASK_COUNT + ASK_START + CLOSE, CREATED + BAD_START, 0,
                   {"Sorted.ide": IDE_HEADER, "Sorted.log": LOG_HEADER + log_invalid_start(value)})


def utf16_input():
    return invalid_count(0).but(status=1, stderr=CREATED + text(
        'Console input is saved as UTF-16 ("Unicode"), which renumbrix cannot read: save it as '
        'UTF-8 or ANSI (Notepad: Save As, Encoding) and try again',
        "Unable to read console input") + BAD_COUNT)


# --- Folder set-ups ------------------------------------------------------------------------
def folder_named(name):
    return lambda work: (work / name).mkdir()


def read_only_file(name):
    def setup(work: Path):
        (work / name).write_bytes(b"write-protected\n")
        (work / name).chmod(0o444)
    return setup


def linked(name, target):
    return lambda work: (work / name).symlink_to(target)


def fifo(name):
    return lambda work: os.mkfifo(work / name)


def read_only_folder(work: Path):
    work.chmod(0o555)


def holding(name, content):
    return lambda work: (work / name).write_bytes(content)


def cut_at_limit(full, limit):
    """A file written under a file-size limit: the full run's file, cut at a line end within
    the limit."""
    def check(actual):
        if actual is None or not full.startswith(actual) or len(actual) > limit:
            return "is not the start of the full run's file"
        if actual and not actual.endswith(b"\n"):
            return f"ends in the middle of a line: {actual[-40:]!r}"
        return None
    return check


def limited(declared, limit):
    run = completed(declared, 400, [accepted(150 + n, CHAIR) for n in range(declared)],
                    ide_written=False, log_written=False)
    return run.but(files={name: cut_at_limit(content, limit)
                          for name, content in run.files.items()})


def unchanged(content):
    """A file of the folder that must still hold exactly what the case put there."""
    return lambda actual: None if actual == content else f"holds {(actual or b'')[:80]!r}"


EARLIER = b"left over from an earlier run\n"
EARLIER_FILES = {"Sorted.ide": unchanged(EARLIER * 1000), "Sorted.log": unchanged(EARLIER * 1000)}


def earlier_run_files(work: Path):
    for name in EARLIER_FILES:
        (work / name).write_bytes(EARLIER * 1000)


HELD_LOCKS = []  # descriptors of this process's record locks, kept until it ends


def locked(name, lock=fcntl.lockf, how=fcntl.LOCK_EX):
    """Both files hold an earlier run's lines, and another program holds `name` with a lock
    (a record lock by lockf, or a flock of the kind given) while the case runs."""
    def setup(work: Path):
        earlier_run_files(work)
        fd = os.open(work / name, os.O_RDWR)
        lock(fd, how)
        HELD_LOCKS.append(fd)
    return setup


def cannot_lock(name):
    """Another program's record lock (lockf) on `name` must be refused: the run holds it."""
    def attempt(work: Path):
        fd = os.open(work / name, os.O_RDWR)
        try:
            fcntl.lockf(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return f"another program locked {name} while the run still held it"
        except OSError:
            return None
        finally:
            os.close(fd)
    return attempt


def unknown_option(name, stdin, argument, args=None, shown=None, **options):
    """The option `argument` is refused before anything is read or touched, and shown as
    `shown`."""
    refusal = text(f'renumbrix: unknown option "{shown or argument}"; see renumbrix --help')
    return Case(name, stdin, Outcome(b"", refusal, 1, EARLIER_FILES), setup=earlier_run_files,
                args=args or (argument,), **options)


HELP_TEXT = (
    "Usage: renumbrix [BLOCKFILE [FOLDER]]",
    "Gives a block of item definition (IDE) lines new, consecutive object IDs.",
    "Given a block file (renumbrix block.txt, or a file dropped on renumbrix.exe),",
    "it checks the block as tallyrun does, takes the count from it, asks only for",
    "the new ID of the first line, and writes its files beside the block; nothing",
    "is written before an answer fits the block. Given the game's folder as well",
    "(in either order, or both dropped together), it reads the IDE files under it",
    "and proposes the lowest start whose new IDs none of them defines: Enter takes",
    "it, and a typed start that meets an ID in use is refused.",
    "Without one, it asks on the console how many lines follow and the new ID of",
    "the first, then reads the lines as they are typed or pasted. Or it reads all",
    "of that from a file: the count, the starting ID, then the lines, one per",
    "line (renumbrix < lines.txt); its files then go to the current folder.",
    "Only the ID at the front of each line changes. It writes Sorted.ide, the",
    "renumbered lines as a complete IDE file, and Sorted.log, a trace of every",
    "line, replacing both. -- ends the options.",
    "--help, -h or /? (Windows) shows this text, --version the version; any",
    "other option is refused.")
HELP = text(*HELP_TEXT, "More: man renumbrix.")
HELP_ON_WINDOWS = text(*HELP_TEXT, "More: ReadMe.txt beside renumbrix.exe.")
WINDOWS_HELP = "the Windows help ends with its ReadMe instead, checked under /?"
NO_FILES = {"Sorted.ide": ABSENT, "Sorted.log": ABSENT}
ONLY_WINDOWS = "only Windows programs take /?"


# The one transcript spelled out in full, byte for byte, as a user sees it.
TWO_LINE_INPUT = b"2\n400\n150, chair, chairtxd, 100, 0\n151, table, tabletxd, 100, 0\n"
TWO_LINE_STDOUT = b"""\
Welcome To Sorting Script v1.0 Made By Korvath.Contact Email:korvath@example.com

For help look in ReadMe.If you find any type of bugs report back to me.Thanks in advance.

Note:After the process of each line, LINE PROCESSED text would get printed.If it doesn`t at the end line press Enter KEY. \n\
\n\
--------------------------------------------------Starting Script--------------------------------------------------




Enter the Sorting IDE Obj(Lines) Amount:(Very Important.If wrong the program won`t function as intended.)

Enter the object ID starting point ID:

Enter the IDE lines:
Line Processed

Enter the IDE lines:
Line Processed

______________________________Sorting Finished!______________________________

Total IDs Sorted:2

Special Thanks: Programmers around the globe.

Sorted.ide Closed
Sorted.log Closed
Press Any Key To Quit...
"""
TWO_LINE_STDERR = b"Created Sorted.ide file\nCreated Sorted.log file\n"
TWO_LINE_IDE = b"""\
#Item Defination File Created by Korvath`s Sorting Script.
objs
400, chair, chairtxd, 100, 0
401, table, tabletxd, 100, 0
end
tobj
end
2dfx
end
"""
TWO_LINE_LOG = b"""\
Starting Sorted.log

IDE sorting script made by Korvath.



Entered Line:           150, chair, chairtxd, 100, 0
Object ID Detected:     150
Changed Object ID To:   400
Line Extention:         , chair, chairtxd, 100, 0
Updated Line:           400, chair, chairtxd, 100, 0




Entered Line:           151, table, tabletxd, 100, 0
Object ID Detected:     151
Changed Object ID To:   401
Line Extention:         , table, tabletxd, 100, 0
Updated Line:           401, table, tabletxd, 100, 0


Sorted.ide Closed
Sorted.log Closed
------------------------------Log Finished!------------------------------Total IDs Sorted:2
"""
TWO_LINE_FILES = {"Sorted.ide": TWO_LINE_IDE, "Sorted.log": TWO_LINE_LOG}
TWO_LINE = Outcome(TWO_LINE_STDOUT, TWO_LINE_STDERR, 0, TWO_LINE_FILES)

CHAIR = ", chair, chairtxd, 100, 0"

def refused(name, stdout=BANNER, stderr=b"", ide=IDE_HEADER, in_use=False):
    """A run refused the file `name`: the messages, status 1, and when the refused file is the log,
    Sorted.ide with its header, or, when the log was in use, as it was and never said to be
    created."""
    if name == "Sorted.ide":
        return Outcome(stdout, stderr + text("Unable to create Sorted.ide file"), 1,
                       {"Sorted.log": ABSENT})
    created = b"" if in_use else text("Created Sorted.ide file")
    return Outcome(stdout, stderr + created + text("Unable to create sorted.log file"), 1,
                   {"Sorted.ide": ide})


def console_in(case_name, stdin, name, stream):
    """One of the console streams is the output file `name`: it is refused and keeps exactly what
    it held, which for an output stream is what the program wrote to the console before."""
    # Sorted.ide, created as the run claimed it, stays empty when the log is in use.
    run = refused(name, ide=b"", in_use=True)
    if stream == "stdin":
        run = run.but(files=dict(run.files, **{name: unchanged(EARLIER)}))
    else:
        run = run.but(files=dict(run.files, **{name: getattr(run, stream)}), **{stream: None})
    return Case(case_name, stdin, run, setup=holding(name, EARLIER),
                stage=Stage(**{stream: into(name)}))


# --- A block file given on the command line -----------------------------------------------
LEFT = "Sorted.ide and Sorted.log are left as they were."
NOT_TAKEN = text("renumbrix takes a block file only once it is ready as it stands; " + LEFT)
LEFT_ALONE = text(LEFT)
BLOCK_IS_RESULT = (" is the Sorted.ide or Sorted.log that renumbrix writes beside it: rename it, "
                   "then give it to renumbrix again")
FIX_LISTED = text("Fix the listed lines, then give renumbrix the block again; " + LEFT)
NOTHING_TO_SORT = text("No line here that renumbrix would take; " + LEFT)
NO_START = text("No starting ID taken; " + LEFT)
FINISH = text("_" * 30 + "Sorting Finished!" + "_" * 30, "", "Total IDs Sorted:%d", "",
              "Special Thanks: Programmers around the globe.")


def folder_line(folder=""):
    """Where the files of a block file's run go: the block's folder, `folder` of the working
    folder, as the program names it."""
    return text(f"Sorted.ide and Sorted.log go in the block's folder: <FOLDER:{folder}>")


def asked(count, name="block.txt", folder="", said=b""):
    """What the console shows of a block file up to its one question, with what is `said` of the
    game's folder before it."""
    return (BANNER + folder_line(folder) + text(f"Lines to sort in {name}: {count}") + said
            + ASK_START)


def from_file(run, count, folder="", name="block.txt"):
    """The run of a block file of `count` lines, with the starting ID typed: the files and status
    of the piped run `run`; on the console what leads to the question, then the closing lines,
    without the prompts of each line or a rejected line's report. Its files are in `folder`."""
    stdout = asked(count, name, folder) + FINISH % count + CLOSE
    files = {f"{folder}/{name}" if folder else name: content for name, content in run.files.items()}
    return run.but(stdout=stdout, stderr=CREATED, files=files)


def block_file(content, name="block.txt", folder=None):
    def setup(work: Path):
        place = work / folder if folder else work
        place.mkdir(parents=True, exist_ok=True)
        (place / name).write_bytes(content)
    return setup


def block_refused(name, stdin, stdout, stderr, setup, args=("block.txt",), last=NOT_TAKEN,
                  **options):
    """A block file refused before anything was touched: the listing or reason, the line that
    says what to do and that nothing changed, status 1, and an earlier run's files as they
    were."""
    def set_up(work: Path):
        earlier_run_files(work)
        setup(work)
    return Case(name, stdin, Outcome(stdout, stderr + last, 1, EARLIER_FILES), setup=set_up,
                args=args, **options)


TWO_BLOCK = b"150, a\n151, b\n"
# The moments a block file is changed: its check's first read, and the question.
DURING_CHECK = {"STAGE_READ_PAUSE": "block.txt:1"}
AT_QUESTION = {"STAGE_PAUSE_AT": "Enter the object ID starting point ID:"}
CHANGED_IN_CHECK = text("renumbrix: block.txt changed while renumbrix checked it: try again")
CHANGED_IN_SORT = text("renumbrix: block.txt changed while renumbrix sorted it, so Sorted.ide and "
                       "Sorted.log do not hold the block as checked: try again")
CHANGED_AT_QUESTION = text("renumbrix: block.txt changed while renumbrix asked for the starting "
                           "ID: try again")
# Six folders of 50 bytes each: a path longer than a first guess of 256 bytes holds.
DEEP = "/".join("d%d" % n + "x" * 48 for n in range(6))
CR_LF_NOTE = ("Its lines end in CR LF (Windows line ends), and renumbrix on Linux keeps each CR at "
              "the end of its entry. A copy without them: set -C; sed 's/\\r$//' < 'block.txt' > "
              "'block.txt.lf'")
# Folders in Cyrillic, in Polish beyond the Western code page, in Chinese, and one with a
# character beyond the Basic Multilingual Plane.
SCRIPT_FOLDERS = ("Моды/регион", "Łukasz", "模组", "\U0001F3AE mods")
NOT_ON_DISK = (" is no file on disk, which renumbrix must read twice: to check it, then to sort "
               "it")


TWO_BLOCK_CHAIR = TWO_LINE_INPUT[6:]
FOLDER_SAID = text("IDs defined more than once under game: 3 (tallyrun game lists them)",
                   "The lowest start with 2 free IDs under game: %d. Press Enter to take it, or "
                   "type another.")
RENUMBRIX_FOLDER_USAGE = text("renumbrix: give it one block file, and one folder of IDE files "
                              "besides it at most")


def block_and_game(block):
    return lambda work: (game_folder()(work), block_file(block)(work))


def with_folder(run, count, start, proposal=1, folder="game", said=None):
    """The run of a block file of `count` lines with the folder given: what a block file's run
    shows, with what is `said` of the folder (its conflicts and the proposed start; those of the
    game folder unless given) before the question, and after the totals the range of new IDs,
    free under the folder."""
    run = from_file(run, count)
    stdout = run.stdout.replace(ASK_START, (said or FOLDER_SAID % proposal) + ASK_START, 1)
    stdout = stdout.replace(b"Special Thanks", b"The new IDs %d to %d were free under %s.\n\n"
                            b"Special Thanks" % (start, start + count - 1, folder.encode()), 1)
    return run.but(stdout=stdout)


def start_refused(name, stdin, explanation, stderr_before=b""):
    """A starting ID, from a pipe, that does not fit a ready block of two lines: explained, and
    nothing touched."""
    said = text(f"renumbrix: {explanation}") if explanation else b""
    return block_refused(name, stdin, asked(2), stderr_before + said, block_file(TWO_BLOCK),
                         last=NO_START)


def answer_is_no_number(typed, wrong, shown=None):
    return start_refused(f"a starting ID of {typed!r} is no number", typed.encode() + b"\n",
                         f'the answer "{shown or typed}" is no whole number: {wrong}')


def save_anew(name, content):
    """During a pause: the file saved again as an editor saves it, a new file put in its place,
    with the same bytes and time stamp."""
    def save(work: Path):
        old = (work / name).stat()
        (work / (name + ".new")).write_bytes(content)
        os.utime(work / (name + ".new"), ns=(old.st_atime_ns, old.st_mtime_ns))
        os.replace(work / (name + ".new"), work / name)
    return save


def grow(work: Path):
    with open(work / "block.txt", "ab") as block:
        block.write(b"152, c\n")


def rewrite_in_place(work: Path):
    """The block's bytes changed in place, its size kept and its time stamp put back, as a
    careful editor might leave it: only the change time, which no program can set, tells."""
    path = work / "block.txt"
    old = path.stat()
    with open(path, "r+b") as block:
        block.seek(7)
        block.write(b"15x")
    os.utime(path, ns=(old.st_atime_ns, old.st_mtime_ns))


def repoint(name, target):
    def change(work: Path):
        (work / (name + ".new")).symlink_to(target)
        os.replace(work / (name + ".new"), work / name)
    return change


def changed_in_sort(name, patch, at, lines):
    """A block of 20000 lines, `patch` written over its line 19000 at `at` in place while the sort
    writes its first entry, the times of files hidden: the sort takes `lines`; the files are
    whole, and the run fails."""
    return Case(name, b"1\n",
                from_file(completed(20000, 1, lines), 20000).but(status=1,
                                                                 stderr=CREATED + CHANGED_IN_SORT),
                args=("block.txt",), setup=block_file(b"150, a\n" * 20000),
                stage=Stage(library={"STAGE_PAUSE_IN": "Sorted.ide:3", "STAGE_NO_TIMES": "1"},
                            during_pause=lambda work: os.pwrite(
                                os.open(work / "block.txt", os.O_WRONLY), patch,
                                7 * 18999 + at) and None))


def sparse_block_line(size):
    """A ready block of three lines, the second of `size` bytes: an ID, then NUL bytes, which
    take no room on disk."""
    def setup(work: Path):
        with open(work / "block.txt", "wb") as file:
            file.write(b"150, a\n151, ")
            file.truncate(file.tell() + size)
            file.seek(0, os.SEEK_END)
            file.write(b"\n152, c\n")
    return setup


def whole_line_prefix(full):
    """A file written by a run that was ended: the start of the full run's file, ending on a
    line break."""
    def check(actual):
        if actual is None or not full.startswith(actual):
            return "is not the start of the full run's file"
        if actual and not actual.endswith(b"\n"):
            return f"ends in the middle of a line: {actual[-40:]!r}"
        return None
    return check


class DrainedFifo:
    """A FIFO of the working folder whose reader keeps all it reads: it must get `expected`."""

    def __init__(self, name, expected):
        self.name, self.expected, self.thread, self.seen = name, expected, None, bytearray()

    def setup(self, work: Path):
        os.mkfifo(work / self.name)
        # Opened before the program starts, so that the program finds its reader there.
        reader = os.open(work / self.name, os.O_RDONLY | os.O_NONBLOCK)
        self.seen = bytearray()
        self.thread = threading.Thread(target=self.drain, args=(reader,), daemon=True)
        self.thread.start()

    def drain(self, reader):
        while True:
            try:
                chunk = os.read(reader, 1 << 16)
            except BlockingIOError:
                time.sleep(0.01)
                continue
            if chunk:
                self.seen += chunk
            elif self.seen:
                break  # every writer has gone
            else:
                time.sleep(0.01)
        os.close(reader)

    def check(self, work: Path, stdout: bytes):
        self.thread.join(10)
        if bytes(self.seen) != self.expected:
            return f"the reader of {self.name} got {len(self.seen)} bytes, not the whole file"
        return None


# Longer than the input buffer (64 KiB) and the largest piece written through the line buffer
# (16 KiB), many times over.
LONG_LINE = b", " + b"x" * (1 << 20)
TOO_LONG_FOR_MEMORY = 32 << 20  # bytes in a line, and twice the address space the run gets


def too_long_line(declared=2):
    yield b"%d\n400\n150, " % declared
    for _ in range(TOO_LONG_FOR_MEMORY >> 20):
        yield b"x" * (1 << 20)
    yield b"\n151, b\n"


def straddling_id():
    """Input whose first full read (64 KiB) ends between the digits of an ID."""
    head = b"2\n400\n"
    yield head + b" " * ((64 << 10) - len(head) - 2) + b"15"
    time.sleep(0.2)
    yield b"0, x\n151, y\n"


# A rejected line's records in Sorted.log, typed in as they stand.
REJECTED_GROUP = text(
    "~~~~~~~~~~~~~~~Program Crashed~~~~~~~~~~~~~~~",
    "*****Total IDE Line Amount & Entered IDE Line Amount Don`t Match*****",
    "Your Entered Total Object ID(Line) Amount Was:   2",
    "Your Inputted Total Object ID(Line) Amount Was:   %d+",
    "",
    "",
    "Entered Line:           0",
    "Object ID Detected:     0",
    "Changed Object ID To:   %d",
    "Line Extention:         ",
    "Updated Line:           #%d",
    "",
    "")
REJECTED_FILES = {
    "Sorted.ide": text("#Item Defination File Created by Korvath`s Sorting Script.", "objs",
                       "#400", "#401", "end", "tobj", "end", "2dfx", "end"),
    "Sorted.log": text("Starting Sorted.log", "", "IDE sorting script made by Korvath.", "")
    + REJECTED_GROUP % (1, 400, 400) + REJECTED_GROUP % (2, 401, 401)
    + text("Sorted.ide Closed", "Sorted.log Closed",
           "------------------------------Log Finished!------------------------------"
           "Total IDs Sorted:2")}


TWENTY_LINES = b"20\n400\n" + b"".join(b"%d%s\n" % (150 + n, CHAIR.encode()) for n in range(20))
TWENTY = [accepted(150 + n, CHAIR) for n in range(20)]
TWENTY_IDE = completed(20, 400, TWENTY).files["Sorted.ide"]
TWENTY_LOG = completed(20, 400, TWENTY).files["Sorted.log"]
LONG_TWO_LINES = b"2\n400\n150" + LONG_LINE + b"\n151, b\n"
FIFO_IDE = DrainedFifo("Sorted.ide", completed(2, 400, [accepted(150, LONG_LINE),
                                                         accepted(151, ", b")]).files["Sorted.ide"])
# Every signal that ends a program by default and can be caught, but those of the cases above
# and SIGPIPE and SIGXFSZ, which the run ignores: each waits for the line being written.
HELD_SIGNALS = [(number.name, number) for number in (
    signal.SIGUSR1, signal.SIGUSR2, signal.SIGALRM, signal.SIGVTALRM, signal.SIGPROF,
    signal.SIGPOLL, signal.SIGXCPU, signal.SIGPWR, signal.SIGSTKFLT)] + [
    ("the first real-time signal", signal.SIGRTMIN), ("a real-time signal", signal.SIGRTMIN + 3),
    ("the last real-time signal", signal.SIGRTMAX)]
FIFO_HALF = DrainedFifo("Sorted.ide", IDE_HEADER + b"400" + LONG_LINE + b"\n")
RECORD_LOCKS = "Windows programs meet share modes, not POSIX record locks"
# Every write of the file fails, as on a full disk.
FULL_IDE = "Sorted.ide:0:1000000"
FULL_LOG = "Sorted.log:0:1000000"
KILOBYTE_LINE = ", " + "x" * 1022
# Enough bytes through each file that a line buffer never cleared outgrows the memory limit.
MANY_LONG_LINES = 20000
CONSOLE_FAILS = "a failing console write is staged with the library, for native programs only"


def many_long_lines():
    yield b"%d\n400\n" % MANY_LONG_LINES
    for _ in range(MANY_LONG_LINES // 1000):
        yield (b"150" + KILOBYTE_LINE.encode() + b"\n") * 1000


def failing_third_console_write():
    """Standard output into out.txt whose third write takes half its bytes and whose fourth
    fails: it ends where the failure left it, and no later line is written."""
    banner = BANNER.split(b"\n")
    third = banner[2] + b"\n"
    return banner[0] + b"\n" + banner[1] + b"\n" + third[:len(third) // 2]


LINK_REASON = "it is a %s; renumbrix writes only a file of its own"


def not_own(what, make, kind, kept=None, **options):
    """`Sorted.ide`, then `Sorted.log`, is `what` beside a ready block file in a folder of a
    pack, and in the current folder of the classic run: refused, with the reason, before
    anything is emptied; whatever it leads to stays as it was, and it stays what it is. A
    refused log is refused before Sorted.ide is even created."""
    cases = []
    for name, complaint in (("Sorted.ide", "Unable to create Sorted.ide file"),
                            ("Sorted.log", "Unable to create sorted.log file")):
        for place in ("pack/", ""):
            def setup(work, name=name, place=place):
                (work / "pack").mkdir(exist_ok=True)
                (work / "pack/block.txt").write_bytes(b"150, a\n")
                make(work, work / place / name)

            def same_kind(work, stdout, path=place + name):
                test = {"link": stat.S_ISLNK, "device": stat.S_ISCHR, "block device": stat.S_ISBLK,
                        "socket": stat.S_ISSOCK, "hard link": stat.S_ISREG}
                is_still = test[kind](os.lstat(work / path).st_mode)
                return None if is_still else f"{path} is no longer a {kind}"

            files = {f"{place}Sorted.ide" if name == "Sorted.log" else f"{place}Sorted.log": ABSENT}
            cases.append(Case(
                f"{name} {what} is refused{' beside a block file' if place else ''}",
                b"400\n" if place else TWO_LINE_INPUT,
                Outcome(asked(1, "pack/block.txt", "pack") if place else BANNER,
                        text(complaint, LINK_REASON % kind.split()[-1]), 1,
                        dict(files, **(kept or {}))),
                args=("pack/block.txt",) if place else (), setup=setup, after=same_kind,
                not_under_wine="Wine takes a Unix link, device or socket for what it leads to",
                **options))
    return cases


def with_files(run, files):
    return run.but(files=dict(run.files, **files))


def late_output_lines(count):
    return b"%d\n400\n" % count + b"".join(b"%d, a\n" % (150 + n) for n in range(count))
MOST_LINES = 999998

CASES = [
    Case("completed two-line run, spelled out", TWO_LINE_INPUT,
         TWO_LINE),
    Case("earlier Sorted.ide and Sorted.log are replaced", TWO_LINE_INPUT,
         TWO_LINE, setup=earlier_run_files),

    # The command line: a request for help or the version is answered, anything else ignored.
    Case("--help", TWO_LINE_INPUT, Outcome(HELP, b"", 0, NO_FILES), args=("--help",),
         not_under_wine=WINDOWS_HELP),
    Case("-h", TWO_LINE_INPUT, Outcome(HELP, b"", 0, NO_FILES), args=("-h",),
         not_under_wine=WINDOWS_HELP),
    Case("/?", TWO_LINE_INPUT, Outcome(HELP_ON_WINDOWS, b"", 0, NO_FILES), args=("/?",),
         not_natively=ONLY_WINDOWS),
    Case("--version", TWO_LINE_INPUT, Outcome(text("renumbrix 1.0.0.1"), b"", 0, NO_FILES),
         args=("--version",)),
    block_refused("/? is a block file's name outside Windows", TWO_LINE_INPUT, b"",
                  text("renumbrix: cannot read /?: No such file or directory"), lambda work: None,
                  args=("/?",), not_under_wine=ONLY_WINDOWS),
    Case("--help among other arguments is answered", TWO_LINE_INPUT,
         Outcome(HELP, b"", 0, NO_FILES), args=("x", "--version", "--help"),
         not_under_wine=WINDOWS_HELP),
    Case("--help on a full disk", TWO_LINE_INPUT, Outcome(None, b"", 1, NO_FILES), args=("--help",),
         stage=Stage(stdout=into("/dev/full"))),
    Case("--version on a full disk", TWO_LINE_INPUT, Outcome(None, b"", 1, NO_FILES),
         args=("--version",), stage=Stage(stdout=into("/dev/full"))),
    Case("--version with standard output closed", TWO_LINE_INPUT, Outcome(None, b"", 1, NO_FILES),
         args=("--version",), stage=Stage(stdout=Out.CLOSED)),
    Case("--help with standard output closed", TWO_LINE_INPUT, Outcome(None, b"", 1, NO_FILES),
         args=("--help",), stage=Stage(stdout=Out.CLOSED)),
    unknown_option("a mistyped option touches nothing", TWO_LINE_INPUT, "--verison"),
    unknown_option("an unknown short option", TWO_LINE_INPUT, "-v"),
    unknown_option("an unknown option after a file name", TWO_LINE_INPUT, "--hlep",
                   args=("block.txt", "--hlep")),
    unknown_option("a lone hyphen", TWO_LINE_INPUT, "-"),
    unknown_option("an unknown option is shown safely", TWO_LINE_INPUT,
                   "-\x1b]2;owned\x07\x1b[2J\rx\x9b\u202e.txt",
                   shown="-<ESC>]2;owned<BEL><ESC>[2J<CR>x<U+009B><U+202E>.txt",
                   not_under_wine="Wine passes no control bytes in arguments"),
    unknown_option("an option of the Windows form", TWO_LINE_INPUT, "/x",
                   not_natively="only Windows programs take /-options"),

    # The two questions.
    Case("declared count not a number", b"abc\n400\n", invalid_count(0)),
    Case("declared count 0", b"0\n400\n", invalid_count(0)),
    Case("declared count 999999", b"999999\n400\n", invalid_count(999999)),
    Case("declared count negative", b"-3\n400\n", invalid_count(-3)),
    Case("declared count of eleven digits", b"12345678901\n400\n", invalid_count(2147483647)),
    Case("no input at all", b"", invalid_count(0)),
    Case("declared count 999998 is accepted", b"999998\nabc\n", invalid_start(0)),
    Case("starting ID 0", b"2\n0\n150, a\n", invalid_start(0)),
    Case("starting ID 999999", b"2\n999999\n", invalid_start(999999)),
    Case("input ends after the declared count", b"2", invalid_start(0)),
    Case("leading zeros and blanks in the answers", b"  002 \n\t0400\n150,a\n151,b\n",
         completed(2, 400, [accepted(150, ",a"), accepted(151, ",b")])),

    # Reading the lines.
    Case("leading blanks, a bare ID and blank lines between lines",
         b"3\n400\n   150,x\n151\n\n\n  \n152" + CHAIR.encode() + b"\n",
         completed(3, 400, [accepted(150, ",x"), accepted(151), accepted(152, CHAIR)])),
    Case("plus sign and the top of the range are accepted", b"2\n400\n+7, a\n999998, b\n",
         completed(2, 400, [accepted(7, ", a"), accepted(999998, ", b")])),
    Case("ID 1 and leading zeros", b"2\n1\n1,a\n007,b\n",
         completed(2, 1, [accepted(1, ",a"), accepted(7, ",b")])),
    Case("negative ID is rejected and stops reading", b"3\n400\n-5, a\n150, b\n",
         completed(3, 400, [rejected(-5), rejected(0), rejected(0)])),
    Case("ID 0 is rejected and its rest is read as the next ID", b"2\n400\n0, a\n150, b\n",
         completed(2, 400, [rejected(0), rejected(0)])),
    Case("ID 999999 is rejected and the number behind it is the next ID",
         b"2\n400\n999999 42, x\n150, y\n",
         completed(2, 400, [rejected(999999), accepted(42, ", x")])),
    Case("eleven-digit ID stores the largest value and stops reading",
         b"3\n400\n12345678901, a\n150, b\n",
         completed(3, 400, [rejected(2147483647), rejected(0), rejected(0)])),
    Case("eleven-digit negative ID stores the smallest value", b"1\n400\n-12345678901, a\n",
         completed(1, 400, [rejected(-2147483648)])),
    Case("section keyword mid-block", b"4\n400\n150, a\nobjs\n151, b\nend\n",
         completed(4, 400, [accepted(150, ", a"), rejected(0), rejected(0), rejected(0)])),
    Case("comment line where an ID is expected", b"2\n400\n# note\n150, a\n",
         completed(2, 400, [rejected(0), rejected(0)])),
    Case("fewer lines than declared, then end of input", b"3\n400\n150, a\n",
         completed(3, 400, [accepted(150, ", a"), rejected(0), rejected(0)])),
    Case("more lines than declared", b"1\n400\n150, a\n151, b\n152, c\n",
         completed(1, 400, [accepted(150, ", a")])),
    Case("last line without a line break", b"2\n400\n150, a\n151, b",
         completed(2, 400, [accepted(150, ", a"), accepted(151, ", b")])),
    Case("input ends right behind the last ID", b"2\n400\n150, a\n151",
         completed(2, 400, [accepted(150, ", a"), accepted(151)])),
    Case("rest of the line kept byte for byte",
         b"3\n400\n150,\tchair  \r\n151, \x00nul\x00\n152, \xff\xfe caf\xc3\xa9 \x80\n",
         completed(3, 400,
                   [accepted(150, ",\tchair  \r"), accepted(151, b", \x00nul\x00"),
                    accepted(152, b", \xff\xfe caf\xc3\xa9 \x80")])),
    Case("text right behind the ID", b"1\n400\n150abc\n",
         completed(1, 400, [accepted(150, "abc")])),
    Case("the count and the starting ID on one line", b"2 400\n150, a\n151, b\n",
         completed(2, 400, [accepted(150, ", a"), accepted(151, ", b")])),
    Case("text after the count is read as the starting ID", b"2 lines\n400\n150, a\n",
         invalid_start(0)),
    Case("a whole block with CR LF line ends keeps each CR on Linux",
         b"2\r\n400\r\n150, a\r\n151, b\r\n",
         completed(2, 400, [accepted(150, ", a\r"), accepted(151, ", b\r")]),
         not_under_wine="the Windows program reads CR LF as a line break"),
    Case("a Ctrl+Z byte in piped input", b"3\n400\n150, a\n\x1a151, b\n",
         completed(3, 400, [accepted(150, ", a"), rejected(0), rejected(0)])),
    Case("an ID whose digits straddle a full read of a pipe", b"",
         completed(2, 400, [accepted(150, ", x"), accepted(151, ", y")]),
         stage=Stage(stdin_chunks=straddling_id)),
    Case("a rejected line spelled out", b"2\n400\n0, a\n",
         completed(2, 400, [rejected(0), rejected(0)]).but(files=REJECTED_FILES)),
    Case("new IDs run past the top of the range", b"2\n999998\n150, a\n151, b\n",
         completed(2, 999998, [accepted(150, ", a"), accepted(151, ", b")])),

    # Files that cannot be created or written.
    Case("Sorted.ide cannot be created", TWO_LINE_INPUT,
         Outcome(BANNER, text("Unable to create Sorted.ide file"), 1,
                 {"Sorted.ide": UNCHECKED, "Sorted.log": ABSENT}),
         setup=folder_named("Sorted.ide")),
    Case("Sorted.log cannot be created", TWO_LINE_INPUT,
         Outcome(BANNER, text("Created Sorted.ide file", "Unable to create sorted.log file"), 1,
                 {"Sorted.ide": IDE_HEADER, "Sorted.log": UNCHECKED}),
         setup=folder_named("Sorted.log")),
    Case("disk full under Sorted.ide", TWO_LINE_INPUT,
         completed(2, 400, [accepted(150, CHAIR), accepted(151, ", table, tabletxd, 100, 0")],
                   ide=b"", ide_written=False), stage=Stage(library={"STAGE_FAIL": FULL_IDE})),
    Case("disk full under Sorted.log", TWO_LINE_INPUT,
         Outcome(TWO_LINE_STDOUT, TWO_LINE_STDERR + text("Unable to write Sorted.log file"), 1,
                 {"Sorted.ide": TWO_LINE_IDE, "Sorted.log": b""}),
         stage=Stage(library={"STAGE_FAIL": FULL_LOG})),

    Case("Sorted.ide read-only", TWO_LINE_INPUT, refused("Sorted.ide"),
         setup=read_only_file("Sorted.ide"), stage=Stage(unprivileged=True)),
    Case("Sorted.log read-only", TWO_LINE_INPUT, refused("Sorted.log"),
         setup=read_only_file("Sorted.log"), stage=Stage(unprivileged=True)),
    Case("a read-only folder", TWO_LINE_INPUT, refused("Sorted.ide"), setup=read_only_folder,
         stage=Stage(unprivileged=True)),
    Case("Sorted.ide a FIFO nobody reads", TWO_LINE_INPUT, refused("Sorted.ide"),
         setup=fifo("Sorted.ide"), timeout=20, not_under_wine="Windows has no FIFOs in a folder"),
    Case("Sorted.log a FIFO nobody reads: Sorted.ide is left as it was", TWO_LINE_INPUT,
         refused("Sorted.log", in_use=True).but(files={"Sorted.ide": unchanged(EARLIER * 1000)}),
         setup=lambda work: (earlier_run_files(work), (work / "Sorted.log").unlink(),
                             fifo("Sorted.log")(work)), timeout=20,
         not_under_wine="Windows has no FIFOs in a folder"),
    Case("both files on a full disk", TWO_LINE_INPUT,
         Outcome(TWO_LINE_STDOUT,
                 TWO_LINE_STDERR + text("Unable to write Sorted.ide file",
                                        "Unable to write Sorted.log file"), 1,
                 {"Sorted.ide": b"", "Sorted.log": b""}),
         stage=Stage(library={"STAGE_FAIL": FULL_IDE + "," + FULL_LOG})),

    # Hostile input.
    Case("a UTF-8 byte-order mark before the count is passed over",
         b"\xef\xbb\xbf" + TWO_LINE_INPUT,
         TWO_LINE),
    Case("a UTF-8 byte-order mark later on is not a number", b"2\n\xef\xbb\xbf400\n150, a\n",
         invalid_start(0)),
    Case("UTF-16 input is named and ends the run as unreadable",
         b"\xff\xfe" + "2\n400\n150, a\n151, b\n".encode("utf-16-le"), utf16_input()),
    Case("big-endian UTF-16 input", b"\xfe\xff" + "2\n400\n150, a\n".encode("utf-16-be"),
         utf16_input()),
    Case("a line longer than every buffer is kept whole",
         b"2\n400\n150" + LONG_LINE + b"\n151, b\n",
         completed(2, 400, [accepted(150, LONG_LINE), accepted(151, ", b")])),
    Case("declared count 999998, then end of input: every line reported at once",
         b"%d\n400\n" % MOST_LINES,
         completed(MOST_LINES, 400, [rejected(0)] * MOST_LINES, streamed=True), slow=True,
         timeout=300),
    Case("console input from the null device", b"", invalid_count(0), stage=Stage(stdin=In.NULL)),
    Case("console input closed", b"", invalid_count(0), stage=Stage(stdin=In.CLOSED)),

    # A console reader that went away does not cut the run short.
    Case("standard output closed", TWO_LINE_INPUT,
         Outcome(None, TWO_LINE_STDERR, 0, TWO_LINE_FILES), stage=Stage(stdout=Out.CLOSED)),
    Case("standard output a broken pipe", TWO_LINE_INPUT,
         Outcome(None, TWO_LINE_STDERR, 0, TWO_LINE_FILES), stage=Stage(stdout=Out.BROKEN)),
    Case("standard error closed while lines are rejected", b"2\n400\n0, a\n",
         completed(2, 400, [rejected(0), rejected(0)]).but(stderr=None),
         stage=Stage(stderr=Out.CLOSED)),
    Case("standard error a broken pipe while lines are rejected", b"2\n400\n0, a\n",
         completed(2, 400, [rejected(0), rejected(0)]).but(stderr=None),
         stage=Stage(stderr=Out.BROKEN)),
    Case("every console stream closed", TWO_LINE_INPUT, Outcome(None, None, 0, TWO_LINE_FILES),
         stage=Stage(stdout=Out.CLOSED, stderr=Out.CLOSED)),
    Case("console input and output closed together", TWO_LINE_INPUT,
         invalid_count(0).but(stdout=None), stage=Stage(stdin=In.CLOSED, stdout=Out.CLOSED)),
    Case("a second run in the same folder as an ordinary user", TWO_LINE_INPUT,
         TWO_LINE,
         stage=Stage(unprivileged=True, twice=True)),
    Case("a second run while the first closes its files is refused", TWO_LINE_INPUT,
         TWO_LINE, timeout=60,
         stage=Stage(library={"STAGE_PAUSE_AT": "Sorted.ide Closed"},
                     second_run=refused("Sorted.ide"))),
    Case("Sorted.ide record-locked by another program", TWO_LINE_INPUT,
         refused("Sorted.ide").but(files=EARLIER_FILES), setup=locked("Sorted.ide"),
         not_under_wine=RECORD_LOCKS),
    Case("Sorted.log record-locked by another program: Sorted.ide is left as it was",
         TWO_LINE_INPUT, refused("Sorted.log", in_use=True).but(files=EARLIER_FILES),
         setup=locked("Sorted.log"), not_under_wine=RECORD_LOCKS),
    Case("a second run while the first waits for input is refused",
         b"3\n400\n150, chair\n" b"151, table\n152, lamp\n",
         completed(3, 400,
                   [accepted(150, ", chair"), accepted(151, ", table"), accepted(152, ", lamp")]),
         timeout=60, stage=Stage(stdin=In.HELD, second_run=refused("Sorted.ide"))),

    # Cases that tell apart faults the cases above let through.
    Case("Sorted.ide held by another program's shared flock", TWO_LINE_INPUT,
         refused("Sorted.ide").but(files=EARLIER_FILES),
         setup=locked("Sorted.ide", fcntl.flock, fcntl.LOCK_SH),
         not_under_wine=RECORD_LOCKS),
    Case("Sorted.ide held by another program's exclusive flock", TWO_LINE_INPUT,
         refused("Sorted.ide").but(files=EARLIER_FILES), setup=locked("Sorted.ide", fcntl.flock),
         not_under_wine=RECORD_LOCKS),
    Case("Sorted.ide stays record-locked once it is closed, until the log is", TWO_LINE_INPUT,
         TWO_LINE,
         stage=Stage(library={"STAGE_PAUSE_AT": "Sorted.ide Closed"},
                     during_pause=cannot_lock("Sorted.ide"))),
    Case("a second run while the first waits at its last line", TWO_LINE_INPUT,
         Outcome(TWO_LINE_STDOUT, TWO_LINE_STDERR, 0, invalid_count(0).files), timeout=60,
         stage=Stage(library={"STAGE_PAUSE_AT": "Press Any Key To Quit..."},
                     second_run=invalid_count(0))),
    Case("Sorted.ide that cannot be emptied is refused and kept", TWO_LINE_INPUT,
         refused("Sorted.ide").but(files={"Sorted.ide": unchanged(EARLIER), "Sorted.log": b""}),
         setup=holding("Sorted.ide", EARLIER), stage=Stage(library={"STAGE_CUT_FAIL": "Sorted.ide"})),
    Case("Sorted.ide takes half a write, then writes again: it ends before that line", TWENTY_LINES,
         completed(20, 400, TWENTY, ide_written=False,
                   ide=IDE_HEADER + text("400" + CHAIR, "401" + CHAIR)),
         stage=Stage(library={"STAGE_FAIL": "Sorted.ide:5:1"})),
    Case("standard output into a file that fails is not written again", TWO_LINE_INPUT,
         Outcome(None, TWO_LINE_STDERR, 0,
                 dict(TWO_LINE_FILES, **{"out.txt": failing_third_console_write()})),
         stage=Stage(stdout=into("out.txt"), library={"STAGE_FAIL": "out.txt:3:2"})),
    Case("many long lines in little memory", b"",
         completed(MANY_LONG_LINES, 400, [accepted(150, KILOBYTE_LINE)] * MANY_LONG_LINES,
                   streamed=True), timeout=60,
         stage=Stage(stdin_chunks=many_long_lines, memory_limit=TOO_LONG_FOR_MEMORY // 2)),
    Case("input that fails with EIO is unreadable, not ended", TWO_LINE_INPUT,
         invalid_count(0).but(status=1,
                              stderr=CREATED + text("Unable to read console input") + BAD_COUNT),
         not_under_wine="EIO from a file is a Linux read",
         stage=Stage(stdin=into("/proc/self/mem"))),
    Case("a byte-order mark in front of a later line is not passed over",
         b"2\n400\n150, a\n\xef\xbb\xbf151, b\n",
         completed(2, 400, [accepted(150, ", a"), rejected(0)])),
    Case("started under a name that looks like an option", TWO_LINE_INPUT,
         TWO_LINE,
         stage=Stage(argv0="-renumbrix")),

    # Where the run meets the operating system.
    Case("a file-size limit of 0: both files are created empty", TWO_LINE_INPUT,
         with_files(completed(2, 400,
                                   [accepted(150, CHAIR),
                                    accepted(151, ", table, tabletxd, 100, 0")], ide_written=False,
                                   log_written=False), {"Sorted.ide": b"", "Sorted.log": b""}),
         not_under_wine="a file-size limit kills Wine itself", stage=Stage(file_size_limit=0)),
    Case("the files are made readable by all, writable by their owner", TWO_LINE_INPUT,
         Outcome(TWO_LINE_STDOUT, TWO_LINE_STDERR, 0,
                 {"Sorted.ide": Mode(0o644, TWO_LINE_IDE),
                  "Sorted.log": Mode(0o644, TWO_LINE_LOG)})),
    Case("a file-size limit fails the writes, not the run",
         b"200\n400\n" + b"".join(b"%d%s\n" % (150 + n, CHAIR.encode()) for n in range(200)),
         limited(200, 4096),
         not_under_wine="a file-size limit kills Wine itself; Windows has no such limit",
         stage=Stage(file_size_limit=4096)),
    Case("Sorted.ide fails a write, then takes writes again: it ends before the failed line",
         TWENTY_LINES,
         completed(20, 400, TWENTY, ide_written=False,
                   ide=IDE_HEADER + text("400" + CHAIR, "401" + CHAIR)),
         stage=Stage(library={"STAGE_FAIL": "Sorted.ide:5:3"})),
    Case("a long entry goes out in one write", b"2\n400\n150" + LONG_LINE + b"\n151, b\n",
         completed(2, 400, [accepted(150, LONG_LINE), accepted(151, ", b")], ide_written=False,
                   ide=IDE_HEADER + b"400" + LONG_LINE + b"\n"),
         stage=Stage(library={"STAGE_FAIL": "Sorted.ide:4:9"})),
    Case("Sorted.log fails a write, then takes writes again", TWENTY_LINES,
         with_files(completed(20, 400, TWENTY, log_written=False),
                         {"Sorted.log": LOG_HEADER + text("", "")}),
         stage=Stage(library={"STAGE_FAIL": "Sorted.log:7:3"})),
    Case("the last lines arrive late on a non-blocking pipe", TWO_LINE_INPUT,
         TWO_LINE, timeout=20,
         stage=Stage(stdin=In.LATE)),
    Case("standard output a non-blocking pipe read late", late_output_lines(400),
         completed(400, 400, [accepted(150 + n, ", a") for n in range(400)]),
         stage=Stage(stdout=Out.SLOW_READER)),
    Case("a line too long for the memory at hand", b"",
         completed(2, 400, [dropped(150), rejected(0)]),
         stage=Stage(stdin_chunks=too_long_line, memory_limit=TOO_LONG_FOR_MEMORY // 2)),
    Case("a line too long for the memory at hand, the last one", b"",
         completed(1, 400, [dropped(150)]),
         stage=Stage(stdin_chunks=lambda: too_long_line(1),
                     memory_limit=TOO_LONG_FOR_MEMORY // 2)),
    Case("console input that cannot be read", TWO_LINE_INPUT,
         invalid_count(0).but(status=1,
                              stderr=CREATED + text("Unable to read console input") + BAD_COUNT),
         stage=Stage(stdin=In.FOLDER)),
    console_in("standard input is Sorted.ide", TWO_LINE_INPUT, "Sorted.ide", "stdin"),
    console_in("standard output is Sorted.ide", TWO_LINE_INPUT, "Sorted.ide", "stdout"),
    console_in("standard error is Sorted.ide", TWO_LINE_INPUT, "Sorted.ide", "stderr"),
    console_in("standard input is Sorted.log", TWO_LINE_INPUT, "Sorted.log", "stdin"),
    console_in("standard output is Sorted.log", TWO_LINE_INPUT, "Sorted.log", "stdout"),
    console_in("standard error is Sorted.log", TWO_LINE_INPUT, "Sorted.log", "stderr"),
    Case("Sorted.log a hard link to Sorted.ide", TWO_LINE_INPUT,
         refused("Sorted.log", ide=unchanged(EARLIER), in_use=True).but(
             stderr=text("Unable to create sorted.log file", LINK_REASON % "link")),
         setup=lambda work: (holding("Sorted.ide", EARLIER)(work),
                             os.link(work / "Sorted.ide", work / "Sorted.log"))),
    Case("Sorted.ide a FIFO takes the rest of a short write", LONG_TWO_LINES,
         completed(2, 400,
                   [accepted(150, LONG_LINE),
                    accepted(151, ", b")]).but(files={"Sorted.log": UNCHECKED}),
         setup=FIFO_IDE.setup, after=FIFO_IDE.check,
         stage=Stage(library={"STAGE_FAIL": "Sorted.ide:3:1"})),

    # A downloaded pack's names lead nowhere but to files of the run's own.
    *not_own("a link to a file outside", lambda work, path: (
        (work / "home").mkdir(exist_ok=True), (work / "home/.bashrc").write_bytes(EARLIER),
        path.symlink_to(os.path.relpath(work / "home/.bashrc", path.parent))),
        "link", {"home/.bashrc": unchanged(EARLIER)}),
    *not_own("a link that leads nowhere", lambda work, path: path.symlink_to("missing-target"),
             "link", {"missing-target": ABSENT, "pack/missing-target": ABSENT}),
    *not_own("a link to the null device", lambda work, path: path.symlink_to("/dev/null"), "link"),
    *not_own("a device node", lambda work, path: os.mknod(path, stat.S_IFCHR | 0o666,
                                                          os.makedev(1, 3)), "device",
             not_natively=None if os.geteuid() == 0 else "making a device node needs root"),
    *not_own("a socket", bound_socket, "socket"),
    *not_own("a hard link to a file outside", lambda work, path: (
        (work / "home").mkdir(exist_ok=True), (work / "home/.bashrc").write_bytes(EARLIER),
        os.link(work / "home/.bashrc", path)), "hard link", {"home/.bashrc": unchanged(EARLIER)}),
    *not_own("a block device node", lambda work, path: os.mknod(path, stat.S_IFBLK | 0o666,
                                                                os.makedev(240, 0)), "block device",
             not_natively=None if os.geteuid() == 0 else "making a device node needs root"),
    Case("a link slipped in between the look at Sorted.ide and its open is not followed",
         TWO_LINE_INPUT,
         Outcome(BANNER, text("Unable to create Sorted.ide file", LINK_REASON % "link"), 1,
                 {"outside.txt": unchanged(EARLIER), "Sorted.log": ABSENT}),
         setup=holding("outside.txt", EARLIER),
         after=lambda work, stdout: None if (work / "Sorted.ide").is_symlink() else "no link",
         stage=Stage(library={"STAGE_OPEN_LINK": "Sorted.ide:outside.txt"})),
    Case("Sorted.log a hard link to Sorted.ide where files cannot be locked", TWO_LINE_INPUT,
         refused("Sorted.log", ide=unchanged(EARLIER), in_use=True).but(
             stderr=text("Unable to create sorted.log file", LINK_REASON % "link")),
         setup=lambda work: (holding("Sorted.ide", EARLIER)(work),
                             os.link(work / "Sorted.ide", work / "Sorted.log")),
         stage=Stage(library={"STAGE_NO_LOCKS": "1"})),

    # No signal that ends the run cuts a line of a file in two.
    *(Case(f"{name} while a long line goes to Sorted.ide: the line is finished first",
           LONG_TWO_LINES,
           Outcome(None, CREATED, -number, {"Sorted.ide": IDE_HEADER + b"400" + LONG_LINE + b"\n",
                                            "Sorted.log": LOG_HEADER}),
           stage=Stage(library={"STAGE_PAUSE_IN": "Sorted.ide:3"}, signal=number))
      for name, number in HELD_SIGNALS),
    Case("a signal ignored at start stays ignored", LONG_TWO_LINES,
         completed(2, 400, [accepted(150, LONG_LINE), accepted(151, ", b")]),
         stage=Stage(library={"STAGE_PAUSE_IN": "Sorted.ide:3"}, signal=signal.SIGUSR1,
                     ignored=(signal.SIGUSR1,))),
    Case("SIGTERM while a long line goes to a FIFO: its reader gets whole lines", LONG_TWO_LINES,
         Outcome(None, CREATED, -signal.SIGTERM, {"Sorted.ide": UNCHECKED, "Sorted.log": LOG_HEADER}),
         setup=FIFO_HALF.setup, after=FIFO_HALF.check,
         stage=Stage(library={"STAGE_PAUSE_IN": "Sorted.ide:3"}, signal=signal.SIGTERM)),
    Case("SIGTERM while a long line goes to Sorted.ide: the line is finished first", LONG_TWO_LINES,
         Outcome(None, CREATED, -signal.SIGTERM,
                 {"Sorted.ide": IDE_HEADER + b"400" + LONG_LINE + b"\n", "Sorted.log": LOG_HEADER}),
         stage=Stage(library={"STAGE_PAUSE_IN": "Sorted.ide:3"}, signal=signal.SIGTERM)),
    Case("SIGINT while a long line goes to Sorted.log: the line is finished first", LONG_TWO_LINES,
         Outcome(None, CREATED, -signal.SIGINT,
                 {"Sorted.ide": IDE_HEADER + b"400" + LONG_LINE + b"\n",
                  "Sorted.log": LOG_HEADER + text("", "",
                                                  b"Entered Line:           150" + LONG_LINE)}),
         stage=Stage(library={"STAGE_PAUSE_IN": "Sorted.log:7"}, signal=signal.SIGINT)),
    Case("SIGQUIT while an entry goes to Sorted.ide", TWENTY_LINES,
         Outcome(None, CREATED, -signal.SIGQUIT,
                 {"Sorted.ide": whole_line_prefix(TWENTY_IDE),
                  "Sorted.log": whole_line_prefix(TWENTY_LOG)}),
         stage=Stage(library={"STAGE_PAUSE_IN": "Sorted.ide:12"}, signal=signal.SIGQUIT)),
    Case("Ctrl+C at a question ends the run at once", TWO_LINE_INPUT,
         Outcome(None, CREATED, -signal.SIGINT,
                 {"Sorted.ide": IDE_HEADER, "Sorted.log": LOG_HEADER}),
         stage=Stage(library={"STAGE_PAUSE_AT": "Enter the object ID starting point ID:"},
                     signal=signal.SIGINT)),

    # A block file given on the command line, as a file dropped on the program.
    Case("a block file of one line", b"400\n",
         from_file(completed(1, 400, [accepted(150, CHAIR)]), 1), args=("block.txt",),
         setup=block_file(b"150, chair, chairtxd, 100, 0\n")),
    Case("a block file is sorted as the same lines piped in", b"400\n",
         from_file(TWO_LINE, 2), args=("block.txt",),
         setup=block_file(TWO_LINE_INPUT[6:])),
    Case("a block file with CR LF line ends keeps each CR on Linux", b"400\n",
         from_file(completed(2, 400, [accepted(150, ", a\r"), accepted(151, ", b\r")]), 2),
         args=("block.txt",), setup=block_file(b"150, a\r\n151, b\r\n"),
         not_under_wine="the Windows program reads CR LF as a line break"),
    Case("a block file with CR LF line ends on Windows", b"400\n",
         from_file(completed(2, 400, [accepted(150, ", a"), accepted(151, ", b")]), 2),
         args=("block.txt",), setup=block_file(b"150, a\r\n151, b\r\n"),
         not_natively="only the Windows program reads CR LF as a line break"),
    Case("a block file that starts with a byte-order mark", b"400\n",
         from_file(completed(2, 400, [accepted(150, ", a"), accepted(151, ", b")]), 2),
         args=("block.txt",), setup=block_file(b"\xef\xbb\xbf150, a\n151, b\n")),
    Case("a block file with leading zeros, a plus sign and no last line break", b"400\n",
         from_file(completed(3, 400,
                             [accepted(7, ", a"), accepted(8, ", b"), accepted(150, ", c")]), 3),
         args=("block.txt",), setup=block_file(b"007, a\n+8, b\n  150, c")),
    Case("a block file's results go to its folder when the run starts elsewhere", b"400\n",
         with_files(from_file(completed(1, 400, [accepted(150, ", a")]), 1, "sub",
                              "sub/block.txt"), NO_FILES),
         args=("sub/block.txt",), setup=block_file(b"150, a\n", folder="sub")),
    block_refused("a block file that is not ready is listed, and nothing is touched", b"400\n",
                  text("block.txt:", "2: objs" + KEYWORD, "3: " + EMPTY), b"",
                  block_file(b"150, a\nobjs\n\n151, b\n"), last=FIX_LISTED),
    block_refused("a block file with typos and 2dfx is refused", b"400\n",
                  text("block.txt:", "2: 15OO, b" + runs_on(15, "OO, b"), "3: 2dfx" + KEYWORD),
                  b"", block_file(b"150, a\n15OO, b\n2dfx\n151 c\n"), last=FIX_LISTED),
    block_refused("a block file with a byte-order mark on a later line is refused", b"400\n",
                  text("block.txt:", "2: <BOM>151, b" + MARK), b"",
                  block_file(b"150, a\n\xef\xbb\xbf151, b\n"), last=FIX_LISTED),
    block_refused("a block file that is missing", b"400\n", b"",
                  text("renumbrix: cannot read block.txt: No such file or directory"),
                  lambda work: None),
    block_refused("a block file that cannot be read", b"400\n", b"",
                  text("renumbrix: cannot read block.txt: Permission denied"),
                  lambda work: (block_file(b"150, a\n")(work), (work / "block.txt").chmod(0)),
                  stage=Stage(unprivileged=True)),
    block_refused("an empty block file", b"400\n", text("block.txt:"), b"", block_file(b""),
                  last=NOTHING_TO_SORT),
    block_refused("a block file of empty lines only", b"400\n",
                  text("block.txt:", "1: " + EMPTY), b"", block_file(b"\n"), last=FIX_LISTED),
    block_refused("a folder given as the block file is a folder without a block", b"400\n", b"",
                  RENUMBRIX_FOLDER_USAGE, folder_named("sub"), args=("sub",), last=LEFT_ALONE),
    block_refused("a block file saved as UTF-16", b"400\n", b"",
                  text("renumbrix: block.txt" + NOT_UTF16),
                  block_file("150, a\r\n".encode("utf-16"))),
    block_refused("two block files", b"400\n", b"",
                  text("renumbrix: give it one block file, not several"), block_file(b"150, a\n"),
                  last=LEFT_ALONE, args=("block.txt", "block.txt")),
    block_refused("the null device is no block file", b"400\n", b"",
                  text("renumbrix: /dev/null" + NOT_ON_DISK), lambda work: None,
                  args=("/dev/null",), not_under_wine="Windows has no /dev"),
    block_refused("an endless device is refused at once", b"400\n", b"",
                  text("renumbrix: /dev/zero" + NOT_ON_DISK), lambda work: None,
                  args=("/dev/zero",), timeout=10, not_under_wine="Windows has no /dev"),
    block_refused("a FIFO with no writer is refused at once", b"400\n", b"",
                  text("renumbrix: block.txt" + NOT_ON_DISK), fifo("block.txt"), timeout=10,
                  not_under_wine="Windows has no FIFOs in a folder"),
    Case("a block file named Sorted.ide is refused before the question", b"400\n",
         Outcome(b"", text("renumbrix: Sorted.ide" + BLOCK_IS_RESULT, LEFT), 1,
                 {"Sorted.ide": unchanged(b"150, a\n"), "Sorted.log": ABSENT}),
         args=("Sorted.ide",), setup=block_file(b"150, a\n", name="Sorted.ide")),
    Case("a block file in another folder named Sorted.log there is refused", b"400\n",
         Outcome(b"", text("renumbrix: sub/Sorted.log" + BLOCK_IS_RESULT, LEFT), 1,
                 {"sub/Sorted.log": unchanged(b"150, a\n"), "sub/Sorted.ide": ABSENT}),
         args=("sub/Sorted.log",), setup=block_file(b"150, a\n", name="Sorted.log", folder="sub")),
    Case("a block file hard-linked as Sorted.log is not emptied", b"400\n",
         Outcome(b"", text("renumbrix: block.txt" + BLOCK_IS_RESULT, LEFT), 1,
                 {"Sorted.ide": unchanged(EARLIER * 1000), "block.txt": unchanged(b"150, a\n")}),
         args=("block.txt",),
         setup=lambda work: (earlier_run_files(work), (work / "Sorted.log").unlink(),
                             block_file(b"150, a\n")(work),
                             os.link(work / "block.txt", work / "Sorted.log"))),
    answer_is_no_number("15OO", "O is the letter oh, not the digit zero"),
    answer_is_no_number("4OO", "O is the letter oh, not the digit zero"),
    answer_is_no_number("2o", "o is the letter oh, not the digit zero"),
    answer_is_no_number("1l", "l is the letter ell, not the digit one"),
    answer_is_no_number("1I", "I is the letter eye, not the digit one"),
    answer_is_no_number("abc", "a is a letter, not a digit"),
    answer_is_no_number("99999999999x", "x is a letter, not a digit"),
    answer_is_no_number("400.", '"." is no digit'),
    answer_is_no_number("4ł", '"ł" is no digit'),
    answer_is_no_number("4 00", "type the digits only"),
    answer_is_no_number("4\x1bOO", '"<ESC>" is no digit', "4<ESC>OO"),
    start_refused("a starting ID of a digit and a stray byte", b"5\x80\x80\n",
                  'the answer "5<0x80><0x80>" is no whole number: "<0x80>" is no digit').but(
        not_under_wine="on Windows a stray byte is a letter of the ANSI code page, shown so"),
    start_refused("a starting ID too long to keep is no number", b"5" + b" " * 300 + b"x\n",
                  'the answer "5' + " " * 39 + '..." is no whole number: type the digits only'),
    start_refused("a starting ID kept up to its blanks, then digits, is no number",
                  b"5" + b" " * 255 + b"12\n",
                  'the answer "5' + " " * 39 + '..." is no whole number: type the digits only'),
    start_refused("a starting ID too long to keep, then a blank and a digit, is no number",
                  b"1" * 300 + b" 5\n",
                  'the answer "' + "1" * 40 + '..." is no whole number: type the digits only'),
    start_refused("a starting ID of a hundred thousand digits lies outside the range",
                  b"1" * 100000 + b"\n", 'the answer "' + "1" * 40 + '..." lies outside 1 to 999998'),
    Case("a starting ID with hundreds of blanks around it", b" " * 300 + b"400" + b" " * 300 + b"\n",
         from_file(completed(1, 400, [accepted(150, ", a")]), 1), args=("block.txt",),
         setup=block_file(b"150, a\n")),
    start_refused("a starting ID of 0 with a block file", b"0\n",
                  'the answer "0" lies outside 1 to 999998'),
    start_refused("a starting ID too long to read with a block file", b"99999999999\n",
                  'the answer "99999999999" lies outside 1 to 999998'),
    start_refused("an empty line for the starting ID", b"\n400\n",
                  "nothing was typed: type the new ID of the first line, a whole number from 1 "
                  "to 999998"),
    start_refused("no starting ID at all for a block file", b"", None),
    start_refused("a start too high for the block", b"999998\n",
                  'the answer "999998" is too high for 2 lines: the last would get an ID above '
                  "999998. The highest start that fits: 999997"),
    Case("the highest start that fits the block is taken", b"999997\n",
         from_file(completed(2, 999997, [accepted(150, ", a"), accepted(151, ", b")]), 2),
         args=("block.txt",), setup=block_file(TWO_BLOCK)),
    start_refused("console input that cannot be read, with a block file", b"", None,
                  text("Unable to read console input")).but(stage=Stage(stdin=In.FOLDER)),
    start_refused("a starting ID in UTF-16 with a block file", "400\n".encode("utf-16"), None,
                  text('Console input is saved as UTF-16 ("Unicode"), which renumbrix cannot '
                       'read: save it as UTF-8 or ANSI (Notepad: Save As, Encoding) and try again',
                       "Unable to read console input")),
    Case("a starting ID with blanks around it", b" 400 \n",
         from_file(completed(1, 400, [accepted(150, ", a")]), 1), args=("block.txt",),
         setup=block_file(b"150, a\n")),
    Case("a starting ID with a plus sign and a CR LF line end", b"+400\r\n",
         from_file(completed(1, 400, [accepted(150, ", a")]), 1), args=("block.txt",),
         setup=block_file(b"150, a\n")),
    Case("a starting ID after a byte-order mark", b"\xef\xbb\xbf400\n",
         from_file(completed(1, 400, [accepted(150, ", a")]), 1), args=("block.txt",),
         setup=block_file(b"150, a\n")),
    Case("a block line that fails to be read while it is sorted", b"400\n",
         from_file(completed(2, 400, [rejected(0), rejected(0)]), 2).but(
             status=1, stderr=CREATED + text("renumbrix: cannot read line 1 of block.txt: "
                                             "Input/output error")),
         args=("block.txt",), setup=block_file(TWO_BLOCK),
         stage=Stage(library={"STAGE_READ_FAIL": "block.txt:5"})),
    block_refused("a block that cannot be read once more after the answer", b"400\n", asked(2),
                  text("renumbrix: cannot read block.txt: Input/output error"),
                  block_file(TWO_BLOCK), stage=Stage(library={"STAGE_READ_FAIL": "block.txt:3"})),
    block_refused("a block cut short while the question waits", b"400\n", asked(2),
                  text("renumbrix: block.txt changed while renumbrix asked for the starting ID: "
                       "try again"), block_file(TWO_BLOCK),
                  last=LEFT_ALONE,
                  stage=Stage(library={"STAGE_PAUSE_AT": "Enter the object ID starting point ID:"},
                              during_pause=lambda work: os.truncate(work / "block.txt", 7))),
    block_refused("a block saved anew while the question waits", b"400\n", asked(2),
                  text("renumbrix: block.txt changed while renumbrix asked for the starting ID: "
                       "try again"), block_file(TWO_BLOCK),
                  last=LEFT_ALONE,
                  stage=Stage(library={"STAGE_PAUSE_AT": "Enter the object ID starting point ID:"},
                              during_pause=save_anew("block.txt", TWO_BLOCK))),
    # A block changed at any moment before the sort is refused, whatever the change spares.
    block_refused("a block grown during its check", b"400\n", b"", CHANGED_IN_CHECK,
                  block_file(TWO_BLOCK), last=LEFT_ALONE,
                  stage=Stage(library=DURING_CHECK, during_pause=grow)),
    block_refused("a block grown during its check, on a disk that keeps no times", b"400\n", b"",
                  CHANGED_IN_CHECK, block_file(TWO_BLOCK),
                  last=LEFT_ALONE,
                  stage=Stage(library=dict(DURING_CHECK, STAGE_NO_TIMES="1"), during_pause=grow)),
    block_refused("a block saved anew, same bytes, on a disk that keeps no times", b"400\n",
                  asked(2), CHANGED_AT_QUESTION, block_file(TWO_BLOCK),
                  last=LEFT_ALONE,
                  stage=Stage(library=dict(AT_QUESTION, STAGE_NO_TIMES="1"),
                              during_pause=save_anew("block.txt", TWO_BLOCK))),
    block_refused("a block changed in place, its stamp kept, while the question waits", b"400\n",
                  asked(2), CHANGED_AT_QUESTION, block_file(TWO_BLOCK),
                  last=LEFT_ALONE,
                  stage=Stage(library=dict(AT_QUESTION, STAGE_NO_TIMES="1"),
                              during_pause=rewrite_in_place)),
    block_refused("a block rewritten in place at its size, its time put back", b"400\n",
                  asked(2), CHANGED_AT_QUESTION, block_file(TWO_BLOCK),
                  last=LEFT_ALONE,
                  stage=Stage(library=AT_QUESTION, during_pause=rewrite_in_place)),
    block_refused("a block's link pointed elsewhere while the question waits", b"400\n",
                  asked(2), CHANGED_AT_QUESTION,
                  lambda work: (block_file(TWO_BLOCK, "a.txt")(work),
                                block_file(b"150, a\n15x, b\n", "b.txt")(work),
                                (work / "block.txt").symlink_to("a.txt")),
                  last=LEFT_ALONE,
                  stage=Stage(library=AT_QUESTION, during_pause=repoint("block.txt", "b.txt"))),
    block_refused("the block's folder renamed during its check", b"400\n", b"",
                  text("renumbrix: cannot enter the folder of sub/block.txt: No such file or "
                       "directory"), block_file(TWO_BLOCK, folder="sub"), args=("sub/block.txt",),
                  stage=Stage(library=DURING_CHECK,
                              during_pause=lambda work: (work / "sub").rename(work / "sub2")
                              and None)),
    Case("a block in a folder whose path is longer than 255 bytes", b"400\n",
         from_file(TWO_LINE, 2, DEEP, f"{DEEP}/block.txt"), args=(f"{DEEP}/block.txt",),
         setup=block_file(TWO_LINE_INPUT[6:], folder=DEEP)),
    Case("a folder name that would steer the terminal is shown safely", b"400\n",
         Outcome(None, CREATED, 0), args=("x\x1b[2Jy\u202ez/block.txt",),
         setup=block_file(TWO_BLOCK, folder="x\x1b[2Jy\u202ez"),
         after=lambda work, stdout: None if b"/x<ESC>[2Jy<U+202E>z\n" in stdout and
         b"\x1b" not in stdout else f"the folder line is {stdout[-120:]!r}",
         not_under_wine="Windows names hold no control characters"),
    block_refused("a CR LF block with an empty line: the note keeps its command", b"400\n",
                  text("block.txt:", "2: " + EMPTY, CR_LF_NOTE), b"",
                  block_file(b"150, a\r\n\r\n151, b\r\n"), last=FIX_LISTED,
                  not_under_wine="the Windows program reads CR LF as a line break"),
    block_refused("the check's verdict on an empty block that cannot be written", b"400\n", None,
                  text("Unable to write console output"), block_file(b""),
                  stage=Stage(stdout=into("/dev/full"))),
    Case("a block that grows while it is sorted fails the run, its files whole", b"400\n",
         from_file(completed(2, 400, [accepted(150, ", a"), accepted(151, ", b")]), 2).but(
             status=1, stderr=CREATED + CHANGED_IN_SORT),
         args=("block.txt",), setup=block_file(TWO_BLOCK),
         stage=Stage(library={"STAGE_PAUSE_IN": "Sorted.ide:3"},
                     during_pause=lambda work: (work / "block.txt").open("ab").write(b"152, c\n")
                     and None)),
    changed_in_sort("a block line rewritten in place while it is sorted, on a disk that keeps "
                    "no times", b"x", 0, [accepted(150, ", a")] * 18999 + [rejected(0)] * 1001),
    changed_in_sort("a block line changed in place while it is sorted, its stamp kept, fails the "
                    "run", b"b", 5, [accepted(150, ", a")] * 18999 + [accepted(150, ", b")]
                    + [accepted(150, ", a")] * 1000),
    Case("a block line too long for the memory at hand is named with its number", b"400\n",
         from_file(completed(3, 400, [accepted(150, ", a"), dropped(151), rejected(0)]), 3).but(
             status=1, stderr=CREATED + text("renumbrix: cannot read line 2 of block.txt: "
                                             "Cannot allocate memory")),
         args=("block.txt",), setup=sparse_block_line(TOO_LONG_FOR_MEMORY),
         stage=Stage(memory_limit=TOO_LONG_FOR_MEMORY // 2)),
    # Folders named in any script, as modders name theirs.
    *(Case(f"a block in a folder named {folder!r}", b"400\n",
           from_file(TWO_LINE, 2, folder, f"{folder}/block.txt"), args=(f"{folder}/block.txt",),
           setup=block_file(TWO_LINE_INPUT[6:], folder=folder))
      for folder in SCRIPT_FOLDERS),
    block_refused("a missing block in a folder named in another script", b"400\n", b"",
                  text("renumbrix: cannot read Моды/регион/gone.txt: No such file or directory"),
                  block_file(b"150, a\n", folder="Моды/регион"), args=("Моды/регион/gone.txt",)),
    # The game's folder given with the block: a start that meets no ID in use.
    Case("Enter takes the lowest free start under the folder", b"\n",
         with_folder(completed(2, 1, [accepted(150, CHAIR), accepted(151, ", table, tabletxd, 100, 0")]),
                     2, 1), args=("block.txt", "game"), setup=block_and_game(TWO_BLOCK_CHAIR)),
    Case("a folder and its block, in that order, with a start typed", b"198\n",
         with_folder(completed(2, 198, [accepted(150, CHAIR), accepted(151, ", table, tabletxd, 100, 0")]),
                     2, 198), args=("game", "block.txt"), setup=block_and_game(TWO_BLOCK_CHAIR)),
    block_refused("a start that meets an ID in use is refused, with its place", b"199\n",
                  asked(2, said=FOLDER_SAID % 1),
                  text('renumbrix: the answer "199" meets ID 200, defined at '
                       "data<SEP>maps<SEP>LA<SEP>la.ide:4  lamp"),
                  block_and_game(TWO_BLOCK), args=("block.txt", "game"), last=NO_START),
    block_refused("a start on an ID in use is refused, with its place", b"200\n",
                  asked(2, said=FOLDER_SAID % 1),
                  text('renumbrix: the answer "200" meets ID 200, defined at '
                       "data<SEP>maps<SEP>LA<SEP>la.ide:4  lamp"),
                  block_and_game(TWO_BLOCK), args=("block.txt", "game"), last=NO_START),
    block_refused("a folder named from where the run started, the block elsewhere", b"199\n",
                  asked(2, "sub/block.txt", "sub", FOLDER_SAID % 1),
                  text('renumbrix: the answer "199" meets ID 200, defined at '
                       "data<SEP>maps<SEP>LA<SEP>la.ide:4  lamp"),
                  lambda work: (game_folder()(work), block_file(TWO_BLOCK, folder="sub")(work)),
                  args=("sub/block.txt", "game"), last=NO_START),
    block_refused("a folder named by its whole path", b"199\n",
                  asked(2, said=FOLDER_SAID.replace(b"game", b"/proc/self/cwd/game") % 1),
                  text('renumbrix: the answer "199" meets ID 200, defined at '
                       "data/maps/LA/la.ide:4  lamp"), block_and_game(TWO_BLOCK),
                  args=("block.txt", "/proc/self/cwd/game"), last=NO_START,
                  not_under_wine="Windows has no /proc"),
    Case("an empty folder: no conflicts to name, the lowest start proposed", b"\n",
         with_folder(completed(2, 1, [accepted(150, ", a"), accepted(151, ", b")]), 2, 1,
                     folder="emp", said=text("The lowest start with 2 free IDs under emp: 1. Press "
                                             "Enter to take it, or type another.")),
         args=("block.txt", "emp"),
         setup=lambda work: ((work / "emp").mkdir(), block_file(TWO_BLOCK)(work))),
    Case("the proposal steps over an ID in use", b"\n",
         with_folder(completed(2, 3, [accepted(150, ", a"), accepted(151, ", b")]), 2, 3,
                     folder="D", said=text("The lowest start with 2 free IDs under D: 3. Press "
                                           "Enter to take it, or type another.")),
         args=("block.txt", "D"), setup=lambda work: (
             (work / "D").mkdir(), (work / "D/a.ide").write_bytes(b"objs\n2, a\nend\n"),
             block_file(TWO_BLOCK)(work))),
    block_refused("a folder that cannot be read wholly: no start can be called free", b"\n", b"",
                  text("renumbrix: cannot read locked: Permission denied",
                       "renumbrix: not every IDE file under D could be read, so the IDs in use are "
                       "not known"),
                  lambda work: ((work / "D/locked").mkdir(parents=True),
                                (work / "D/a.ide").write_bytes(b"objs\n2, a\nend\n"),
                                (work / "D/locked").chmod(0), block_file(TWO_BLOCK)(work)),
                  args=("block.txt", "D"), last=NO_START, stage=Stage(unprivileged=True)),
    block_refused("no run of free IDs wide enough under the folder", b"\n", b"",
                  text("renumbrix: no run of 2 free IDs under full"),
                  lambda work: (full_folder(work), block_file(TWO_BLOCK)(work)),
                  args=("block.txt", "full"), last=NO_START, timeout=60),
    block_refused("a folder alone is refused with what renumbrix takes", b"400\n", b"",
                  RENUMBRIX_FOLDER_USAGE, game_folder(), args=("game",), last=LEFT_ALONE),
    block_refused("two folders and a block are refused", b"400\n", b"", RENUMBRIX_FOLDER_USAGE,
                  lambda work: (game_folder()(work), (work / "other").mkdir(),
                                block_file(TWO_BLOCK)(work)), args=("game", "block.txt", "other"),
                  last=LEFT_ALONE),
    block_refused("two blocks and a folder are refused", b"400\n", b"", RENUMBRIX_FOLDER_USAGE,
                  lambda work: (game_folder()(work), block_file(TWO_BLOCK)(work)),
                  args=("block.txt", "game", "block.txt"), last=LEFT_ALONE),
    Case("-- before a block file whose name starts with a hyphen", b"400\n",
         from_file(completed(1, 400, [accepted(150, ", a")]), 1, name="-block.txt"),
         args=("--", "-block.txt"), setup=block_file(b"150, a\n", name="-block.txt")),
]

if __name__ == "__main__":
    sys.exit(main(CASES))
