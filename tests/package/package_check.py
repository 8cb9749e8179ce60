#!/usr/bin/env python3
"""Checks the Windows package that the win64 build's `package` target makes.

Reports a problem when the zip
 - holds other files than Roamlets-VERSION-windows/INSTALL.txt and
   .../64-bit/Roamlets.scr and .../32-bit/Roamlets.scr;
 - has an INSTALL.txt that is not plain ASCII with CRLF line endings;
 - has a program that is not a PE image for its folder's Windows, imports
   what the oldest Windows it is for lacks, still carries debug sections, or is not
   the program of the matching build with just those taken out (an old
   package, or one made from the wrong build).

Usage: package_check.py VERSION WIN64_BUILD_DIR WIN32_BUILD_DIR
Looks at WIN64_BUILD_DIR/Roamlets-VERSION-windows.zip; exit status 1 when
there is a problem.
"""

import struct
import sys
import zipfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "pe"))
import pe_check

FOLDERS = {"x64": "64-bit", "x86": "32-bit"}  # machine -> folder in the package


def package_path(version, win64_build):
    return win64_build / f"Roamlets-{version}-windows.zip"


def check_install_text(text):
    problems = []
    if any(byte > 0x7F for byte in text):
        problems.append("INSTALL.txt is not plain ASCII")
    lines = text.split(b"\r\n")
    if len(lines) < 2 or lines[-1] or any(b"\r" in line or b"\n" in line for line in lines):
        problems.append("INSTALL.txt does not end every line with CRLF")
    return problems


def is_debug(name):
    return name.startswith((".debug", ".zdebug"))


def without_debug(sections):
    return {name: data for name, data in sections.items() if not is_debug(name)}


def check_program(data, machine, build_dir):
    image = pe_check.load(data)
    problems = pe_check.check_program(image, machine)
    sections = pe_check.named_sections(image)
    debug = sorted(name for name in sections if is_debug(name))
    if debug:
        problems.append(f"is not stripped: it has {', '.join(debug)}")
    built = pe_check.named_sections(
        pe_check.load((build_dir / "win32" / "Roamlets.scr").read_bytes()))
    if without_debug(sections) != without_debug(built):
        problems.append(f"is not the program of {build_dir} without its debug sections")
    return problems


def check(path, version, build_dirs):
    """Problems with the package at PATH, as sentences; build_dirs maps each
    machine to the build its program comes from."""
    root = f"Roamlets-{version}-windows/"
    expected = {root + "INSTALL.txt"} | {f"{root}{folder}/Roamlets.scr"
                                         for folder in FOLDERS.values()}
    with zipfile.ZipFile(path) as package:
        members = {info.filename: info for info in package.infolist()}
        files = {name for name, info in members.items() if not info.is_dir()}
        # Folder entries are fine as long as they lead to the expected files.
        stray = sorted(files - expected) + sorted(
            name for name, info in members.items()
            if info.is_dir() and not any(file.startswith(name) for file in expected))
        problems = [f"holds {name}, which does not belong" for name in stray]
        problems += [f"lacks {name}" for name in sorted(expected - files)]
        if root + "INSTALL.txt" in files:
            problems += check_install_text(package.read(root + "INSTALL.txt"))
        for machine, folder in FOLDERS.items():
            name = f"{root}{folder}/Roamlets.scr"
            if name in files:
                try:
                    found = check_program(package.read(name), machine, build_dirs[machine])
                except (pe_check.PeError, struct.error) as error:
                    found = [f"is not a readable PE image: {error}"]
                problems += [f"{folder}/Roamlets.scr {problem}" for problem in found]
    return problems


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    version, win64_build, win32_build = argv[0], Path(argv[1]), Path(argv[2])
    path = package_path(version, win64_build)
    if not path.is_file():
        print(f"{path} does not exist: make it with "
              f"cmake --build --preset win64 --target package")
        return 1
    problems = check(path, version, {"x64": win64_build, "x86": win32_build})
    for problem in problems:
        print(f"{path}: {problem}")
    if not problems:
        print(f"{path}: members, INSTALL.txt and both programs as expected")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
