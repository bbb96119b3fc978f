#!/usr/bin/env python3
"""Speed and memory benchmark for renumbrix and tallyrun.

Builds both programs in release mode and the two C floors beside them, makes
realistic input, then runs each program and its floor in turn, several times,
with console output discarded. Prints the median wall time of each, their
ratio, and peak memory; the floors write the same bytes with the same calls,
which is checked once before timing. Then times `renumbrix block.txt` against
the piped run of the same block, which must write the same files, shows
the peak memory of the block check against the length of a line, up to a
line of a gigabyte checked under a 64 MiB address-space limit, and times
the reading of a game folder of 200 IDE files and 300,000 IDs, alone and
beside a block.
"""

import argparse
import os
import random
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
TIME_TARGET = 1.15       # at most this many times the floor's median
FILE_TIME_TARGET = 1.15  # `renumbrix block.txt` against the piped run of the same block
MEMORY_TARGET_MIB = 16   # peak memory of a run with ordinary lines, or of a check of any line
CHECK_LIMIT = 64 << 20   # the address space a check of a gigabyte line is given
FOLDER_TIME_TARGET = 1.0  # seconds a game folder of 300,000 IDs may add to renumbrix BLOCK


def build(build_dir: Path) -> dict:
    subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
                    "-DBUILD_TESTING=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "--parallel"], check=True,
                   stdout=subprocess.DEVNULL)
    programs = {"renumbrix": build_dir / "renumbrix", "tallyrun": build_dir / "tallyrun"}
    for floor in ("floor_sorter", "floor_counter"):
        subprocess.run(["cc", "-O2", "-o", build_dir / floor, ROOT / "bench" / f"{floor}.c"],
                       check=True)
        programs[floor] = build_dir / floor
    return programs


def definition_lines(count: int) -> bytes:
    """Object definition lines of the usual shape: ID, model, texture dictionary, draw
    distance, flags."""
    rng = random.Random(1)
    things = ["chair", "table", "lamp", "crate", "barrel", "fence", "bench", "sign", "tree"]
    places = ["lae", "sfn", "lvs", "cunte", "vgn", "ce", "des"]
    lines = []
    for index in range(count):
        model = f"{rng.choice(places)}_{rng.choice(things)}{rng.randrange(100):02d}"
        txd = f"{rng.choice(places)}_{rng.choice(things)}txd"
        lines.append(f"{rng.randrange(600, 20000)}, {model}, {txd}, {rng.choice([50, 100, 150, 299])}, "
                     f"{rng.choice([0, 4, 128, 2097152])}\n")
    return "".join(lines).encode()


def run(program: Path, stdin: Path, work: Path, stdout=subprocess.DEVNULL, args=(),
        address_limit=None, expected_status=0):
    """Runs once; returns wall seconds and peak resident memory in MiB. GNU time starts
    the program, so the peak is the program's own and not that of a copy of this script."""
    report = work / "time-report"

    def limit():
        if address_limit:
            resource.setrlimit(resource.RLIMIT_AS, (address_limit, address_limit))
    with open(stdin, "rb") as source:
        started = time.perf_counter()
        status = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", str(report), str(program),
                                 *args], stdin=source, stdout=stdout,
                                stderr=subprocess.DEVNULL, cwd=work, preexec_fn=limit).returncode
        elapsed = time.perf_counter() - started
    if status != expected_status:
        sys.exit(f"{program.name} {' '.join(args)} ended with status {status}")
    return elapsed, int(report.read_text().split()[-1]) / 1024


def same_output(a: Path, b: Path, names) -> bool:
    return all((a / name).read_bytes() == (b / name).read_bytes() for name in names)


def compare(title, program, floor, stdin, scratch, runs, files):
    """Checks both write the same bytes, then times them alternately."""
    mine, theirs = scratch / "program", scratch / "floor"
    for folder, binary in ((mine, program), (theirs, floor)):
        folder.mkdir(parents=True, exist_ok=True)
        with open(folder / "console", "wb") as console:
            run(binary, stdin, folder, stdout=console)
    if not same_output(mine, theirs, ["console", *files]):
        sys.exit(f"{title}: the floor does not write the same bytes as {program.name}")

    times, floor_times, peaks = [], [], []
    for _ in range(runs):
        elapsed, peak = run(program, stdin, mine)
        times.append(elapsed)
        peaks.append(peak)
        floor_times.append(run(floor, stdin, theirs)[0])
    median, floor_median = statistics.median(times), statistics.median(floor_times)
    ratio = median / floor_median
    print(f"{title}: {program.name} median {median:.3f} s, floor median {floor_median:.3f} s, "
          f"ratio {ratio:.3f} (target {TIME_TARGET}), peak memory {max(peaks):.1f} MiB")
    return ratio <= TIME_TARGET and max(peaks) < MEMORY_TARGET_MIB


def compare_block_file(renumbrix, block, scratch, runs):
    """`renumbrix block.txt` with the starting ID typed, against the piped run of the count,
    the same starting ID and the block: the same files, the time and peak memory of each."""
    piped, from_file = scratch / "piped", scratch / "file"
    for folder in (piped, from_file):
        folder.mkdir(parents=True)
    (from_file / "block.txt").write_bytes(block)
    lines = block.count(b"\n")
    # The highest start that leaves room for the whole block.
    start = 999999 - lines
    (scratch / "piped-input").write_bytes(b"%d\n%d\n" % (lines, start) + block)
    (scratch / "start").write_bytes(b"%d\n" % start)
    run(renumbrix, scratch / "piped-input", piped)
    run(renumbrix, scratch / "start", from_file, args=("block.txt",))
    if not same_output(piped, from_file, ["Sorted.ide", "Sorted.log"]):
        sys.exit("renumbrix block.txt does not write the files of the piped run")

    times, piped_times, peaks = [], [], []
    for _ in range(runs):
        elapsed, peak = run(renumbrix, scratch / "start", from_file, args=("block.txt",))
        times.append(elapsed)
        peaks.append(peak)
        piped_times.append(run(renumbrix, scratch / "piped-input", piped)[0])
    median, piped_median = statistics.median(times), statistics.median(piped_times)
    ratio = median / piped_median
    print(f"renumbrix block.txt ({lines} lines): median {median:.3f} s, piped median "
          f"{piped_median:.3f} s, ratio {ratio:.3f} (target {FILE_TIME_TARGET}), "
          f"peak memory {max(peaks):.1f} MiB")
    return ratio <= FILE_TIME_TARGET and max(peaks) < MEMORY_TARGET_MIB


def game_folder(folder: Path, files=200, ids_per_file=1500):
    """A game's data folder: IDE files in subfolders, each an "objs" section of definitions and a
    "2dfx" section, every file's IDs a run with a gap as large before the next file's."""
    rng = random.Random(2)
    for index in range(files):
        path = folder / f"maps{index % 10}" / f"part{index:03d}.ide"
        path.parent.mkdir(parents=True, exist_ok=True)
        first = index * ids_per_file * 2 + 1
        lines = [f"{first + n}, model{index}_{n}, txd{index}, {rng.choice([100, 299])}, 0\n"
                 for n in range(ids_per_file)]
        path.write_text("# generated\nobjs\n" + "".join(lines) + "end\n2dfx\n" + f"{first}, 0, 0\n"
                        + "end\n")
    return files * ids_per_file


def compare_folder(tallyrun, renumbrix, block, scratch, runs):
    """`tallyrun FOLDER` on a generated game folder, and `renumbrix BLOCK FOLDER` against
    `renumbrix BLOCK` with the start the folder proposes: what reading the folder costs."""
    scratch.mkdir()
    ids = game_folder(scratch / "game")
    (scratch / "block.txt").write_bytes(block)
    (scratch / "enter").write_bytes(b"\n")
    run(renumbrix, scratch / "enter", scratch, args=("block.txt", "game"))
    proposal = int((scratch / "Sorted.ide").read_bytes().split(b"\n")[2].split(b",")[0])
    (scratch / "start").write_bytes(b"%d\n" % proposal)

    report, alone, with_folder, peaks = [], [], [], []
    for _ in range(runs):
        elapsed, peak = run(tallyrun, scratch / "enter", scratch, args=("game",))
        report.append(elapsed)
        peaks.append(peak)
        elapsed, peak = run(renumbrix, scratch / "enter", scratch, args=("block.txt", "game"))
        with_folder.append(elapsed)
        peaks.append(peak)
        alone.append(run(renumbrix, scratch / "start", scratch, args=("block.txt",))[0])
    median_alone, median_with = statistics.median(alone), statistics.median(with_folder)
    added = median_with - median_alone
    print(f"tallyrun FOLDER (200 IDE files, {ids} IDs): median {statistics.median(report):.3f} s")
    lines = block.count(b"\n")
    print(f"renumbrix BLOCK FOLDER ({lines} lines): median {median_with:.3f} s, "
          f"renumbrix BLOCK median {median_alone:.3f} s, ratio {median_with / median_alone:.2f}, "
          f"the folder adds {added:.3f} s (target under {FOLDER_TIME_TARGET} s); "
          f"peak memory {max(peaks):.1f} MiB")
    return added < FOLDER_TIME_TARGET and max(peaks) < MEMORY_TARGET_MIB


def check_memory(tallyrun, scratch):
    """Peak memory of `tallyrun FILE` on one listed line of growing length, the last a
    gigabyte under an address-space limit: it must not grow with the line."""
    scratch.mkdir()
    (scratch / "empty").write_bytes(b"")
    peaks = []
    for size in (1 << 10, 1 << 20, 64 << 20, 1 << 30):
        with open(scratch / "line.txt", "wb") as file:  # a sparse file: NUL bytes after "objs"
            file.write(b"objs ")
            file.truncate(size)
            file.write(b"\n150, a\n")
        limit = CHECK_LIMIT if size == 1 << 30 else None
        peak = run(tallyrun, scratch / "empty", scratch, args=("line.txt",), address_limit=limit,
                   expected_status=1)[1]
        peaks.append(peak)
        print(f"tallyrun line.txt, one listed line of {size >> 10} KiB"
              f"{' under a 64 MiB limit' if limit else ''}: peak memory {peak:.1f} MiB")
    return max(peaks) < MEMORY_TARGET_MIB


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build-dir", default=str(ROOT / "build-bench"))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--lines", type=int, default=999998)
    args = parser.parse_args()

    programs = build(Path(args.build_dir))
    scratch = Path(tempfile.mkdtemp(prefix="renumbrix-bench-"))
    try:
        block = definition_lines(args.lines)
        sorter_input = scratch / "sorter-input"
        sorter_input.write_bytes(b"%d\n1000\n" % args.lines + block)
        counter_input = scratch / "counter-input"
        counter_input.write_bytes(block + definition_lines(1000000 - args.lines)
                                  if args.lines < 1000000 else block)
        print(f"input: {args.lines} definition lines, {len(block) / 2**20:.1f} MiB; "
              f"{args.runs} runs each, alternating with the floor")

        met = compare("renumbrix", programs["renumbrix"], programs["floor_sorter"], sorter_input,
                      scratch / "sorter", args.runs, ["Sorted.ide", "Sorted.log"])
        met &= compare("tallyrun", programs["tallyrun"], programs["floor_counter"],
                       counter_input, scratch / "counter", args.runs, [])

        met &= compare_block_file(programs["renumbrix"], block, scratch / "block-file", args.runs)
        met &= check_memory(programs["tallyrun"], scratch / "check")
        met &= compare_folder(programs["tallyrun"], programs["renumbrix"], definition_lines(1000),
                              scratch / "folder", args.runs)

        # Memory must not grow with the number of lines; one huge line may cost its size.
        for label, data in (("1,000 lines", b"1000\n1000\n" + definition_lines(1000)),
                            ("one 64 MiB line", b"1\n1000\n150, " + b"x" * (64 << 20) + b"\n")):
            path = scratch / "memory-input"
            path.write_bytes(data)
            folder = scratch / "memory"
            folder.mkdir(exist_ok=True)
            print(f"renumbrix peak memory with {label}: {run(programs['renumbrix'], path, folder)[1]:.1f} MiB")
    finally:
        shutil.rmtree(scratch)
    print("targets met" if met else "targets MISSED")
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
