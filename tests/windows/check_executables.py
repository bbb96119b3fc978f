#!/usr/bin/env python3
"""Checks built Windows programs: the version record reads the project's version, an
icon with 16, 32, 48 and 256 pixel images is present, no debug sections are left in,
and the import table names no DLL beyond those Windows itself ships (the C++ runtime
is linked in). With --zip, checks the download instead: exactly the two programs and
the ReadMe and licence, as text with Windows line ends, and the programs as above."""

import argparse
import re
import struct
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

ICON_SIZES = {16, 32, 48, 256}
DOWNLOAD = ["License.txt", "ReadMe.txt", "renumbrix.exe", "tallyrun.exe"]
WINDOWS_DLLS = {"kernel32.dll", "msvcrt.dll", "user32.dll", "advapi32.dll", "ntdll.dll",
                "ucrtbase.dll", "shell32.dll", "ws2_32.dll"}


def resource(program, kind):
    return subprocess.run(["wrestool", "-x", "--raw", f"--type={kind}", program], check=True,
                          stdout=subprocess.PIPE).stdout


def version_blocks(data, offset=0, end=None):
    """Yields (key, value bytes, children) for each block of a VS_VERSIONINFO tree."""
    end = len(data) if end is None else end
    while offset + 6 <= end:
        length, value_length, kind = struct.unpack_from("<HHH", data, offset)
        if length == 0:
            break
        key_end = offset + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[offset + 6:key_end].decode("utf-16-le")
        value_start = (key_end + 2 + 3) & ~3
        value_size = value_length * 2 if kind == 1 else value_length
        value = data[value_start:value_start + value_size]
        children = (value_start + value_size + 3) & ~3
        yield key, value, list(version_blocks(data, children, offset + length))
        offset = (offset + length + 3) & ~3


def check_version(program, version):
    problems = []
    root = list(version_blocks(resource(program, 16)))
    if not root or root[0][0] != "VS_VERSION_INFO":
        return ["no version record"]
    _, fixed, children = root[0]
    numbers = [int(part) for part in version.split(".")]
    wanted = (numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3])
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if signature != 0xFEEF04BD or (file_ms, file_ls) != wanted or (product_ms, product_ls) != wanted:
        problems.append("FILEVERSION or PRODUCTVERSION differs from " + version)
    strings = {key: value.decode("utf-16-le").rstrip("\0")
               for block, _, tables in children if block == "StringFileInfo"
               for _, _, entries in tables for key, value, _ in entries}
    for key in ("FileVersion", "ProductVersion"):
        if strings.get(key) != version:
            problems.append(f"{key} reads {strings.get(key)!r}, not {version!r}")
    for key in ("FileDescription", "ProductName"):
        if not strings.get(key):
            problems.append(f"no {key}")
    return problems


def check_icon(program):
    group = resource(program, 14)
    if len(group) < 6:
        return ["no icon"]
    count = struct.unpack_from("<H", group, 4)[0]
    sizes = {group[6 + 14 * index] or 256 for index in range(count)}
    return [] if ICON_SIZES <= sizes else [f"icon sizes {sorted(sizes)} lack some of {sorted(ICON_SIZES)}"]


def check_imports(program, objdump):
    listing = subprocess.run([objdump, "-p", program], check=True, stdout=subprocess.PIPE,
                             text=True).stdout
    dlls = {line.split(":", 1)[1].strip().lower() for line in listing.splitlines()
            if "DLL Name:" in line}
    foreign = sorted(dlls - WINDOWS_DLLS)
    return [f"imports DLLs Windows does not ship: {foreign}"] if foreign else []


def check_sections(program, objdump):
    listing = subprocess.run([objdump, "-h", program], check=True, stdout=subprocess.PIPE,
                             text=True).stdout
    debug = sorted(set(re.findall(r"\s(\.debug\w*)", listing)))
    return [f"carries debug sections {debug}"] if debug else []


def check_text(name, data):
    if b"\n" not in data or re.search(rb"(?<!\r)\n", data) or re.search(rb"\r(?!\n)", data):
        return [f"{name} is not text with CR LF line ends throughout"]
    return []


def check_download(archive, folder):
    with zipfile.ZipFile(archive) as download:
        names = sorted(download.namelist())
        if names != DOWNLOAD:
            return [f"{archive} holds {names}, not {DOWNLOAD}"], []
        download.extractall(folder)
    problems = [problem for name in DOWNLOAD if name.endswith(".txt")
                for problem in check_text(name, (Path(folder) / name).read_bytes())]
    return problems, [str(Path(folder) / name) for name in DOWNLOAD if name.endswith(".exe")]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--version", required=True)
    parser.add_argument("--objdump", default="x86_64-w64-mingw32-objdump")
    parser.add_argument("--zip", help="check this download instead of built programs")
    parser.add_argument("programs", nargs="*")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="download-") as folder:
        problems, programs = check_download(args.zip, folder) if args.zip else ([], args.programs)
        for problem in problems:
            print(f"FAIL {problem}")
        failed = bool(problems)
        for program in programs:
            found = (check_version(program, args.version) + check_icon(program)
                     + check_sections(program, args.objdump) + check_imports(program, args.objdump))
            for problem in found:
                print(f"FAIL {Path(program).name}: {problem}")
            if not found:
                print(f"ok   {Path(program).name}")
            failed += bool(found)
    checked = len(programs) + bool(args.zip)
    print(f"{checked - failed} passed, {failed} failed")
    return 1 if failed or not checked else 0


if __name__ == "__main__":
    sys.exit(main())
