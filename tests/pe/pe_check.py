#!/usr/bin/env python3
"""Checks a Windows build of Roamlets.scr without running it.

Reads the program's PE headers (PE32 and PE32+) and reports a problem when
 - the machine type is not the one the build is for;
 - it imports a DLL that Windows does not ship
   (the compiler's own runtime libraries must be linked in statically);
 - its resources lack the display name (string 1), the icon (group 108: one
   32 x 32 image in 16 colours with its AND mask) or a version record that
   carries the project's version.

Usage: pe_check.py BUILD_DIR --machine {x86,x64} --version X.Y.Z
Looks at BUILD_DIR/host/Roamlets.scr; exit status 1 when there is a problem.
"""

import argparse
import re
import struct
import subprocess
import sys
from pathlib import Path

MACHINES = {"x86": (0x014C, 0x10B), "x64": (0x8664, 0x20B)}  # machine, optional header magic
IMPORT_DIRECTORY, RESOURCE_DIRECTORY = 1, 2
RT_ICON, RT_STRING, RT_GROUP_ICON, RT_VERSION = 3, 6, 14, 16

SYSTEM_DLLS = {"kernel32", "user32", "gdi32", "advapi32", "opengl32", "glu32",
               "comctl32", "shell32"}

DISPLAY_NAME_ID, DISPLAY_NAME = 1, "Roamlets"
ICON_GROUP_ID, ICON_SIZE, ICON_COLOURS, ICON_BITS = 108, 32, 16, 4
# BITMAPINFOHEADER, palette, colour bitmap, AND mask (rows padded to 4 bytes).
ICON_IMAGE_BYTES = (40 + 4 * ICON_COLOURS + ICON_SIZE * ICON_SIZE * ICON_BITS // 8
                    + ICON_SIZE * 4)
VERSION_SIGNATURE = 0xFEEF04BD
TRANSLATION = (0x0409, 1252)  # US English, Western European code page
VERSION_STRINGS = ("CompanyName", "FileDescription", "FileVersion", "InternalName",
                   "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion")


class PeError(Exception):
    """The file is not a PE image, or a structure in it points outside it."""


class PeImage:
    """The parts of a PE image the checks read, addressed by RVA."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PeError("no MZ header")
        pe = self._unpack("<I", 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        self.machine, sections, optional_size = self._unpack("<HH12xH", pe + 4)
        optional = pe + 24
        self.magic = self._unpack("<H", optional)[0]
        # The data directories follow the fields whose size differs between
        # PE32 and PE32+ (the image base and the stack and heap sizes).
        if self.magic == 0x10B:
            directories = optional + 96
        elif self.magic == 0x20B:
            directories = optional + 112
        else:
            raise PeError(f"unknown optional header magic {self.magic:#x}")
        count = self._unpack("<I", directories - 4)[0]
        self.directories = [self._unpack("<II", directories + 8 * i) for i in range(count)]
        table = optional + optional_size
        self.sections = [self._unpack("<12xIII", table + 40 * i) for i in range(sections)]

    def _unpack(self, layout, offset):
        if offset < 0 or offset + struct.calcsize(layout) > len(self.data):
            raise PeError(f"structure at file offset {offset:#x} runs past the end")
        return struct.unpack_from(layout, self.data, offset)

    def directory(self, index):
        """(rva, size) of a data directory; (0, 0) when absent."""
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset(self, rva):
        for address, raw_size, raw_offset in self.sections:
            if address <= rva < address + raw_size:
                return raw_offset + rva - address
        raise PeError(f"RVA {rva:#x} is in no section's file data")

    def unpack(self, layout, rva):
        return self._unpack(layout, self.offset(rva))

    def read(self, rva, size):
        start = self.offset(rva)
        if start + size > len(self.data):
            raise PeError(f"{size} bytes at RVA {rva:#x} run past the end")
        return self.data[start:start + size]

    def c_string(self, rva):
        start = self.offset(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise PeError(f"string at RVA {rva:#x} has no end")
        return self.data[start:end].decode("ascii", "replace")


def imported_dlls(image):
    """Names of the DLLs in the image's import directory."""
    names = []
    rva, _ = image.directory(IMPORT_DIRECTORY)
    while rva:
        descriptor = image.unpack("<5I", rva)  # ending with one of zeros
        if not any(descriptor):
            break
        names.append(image.c_string(descriptor[3]))
        rva += 20
    return names


def resources(image):
    """{(type, name): {language: bytes}}; ids are ints, names strs."""
    base, _ = image.directory(RESOURCE_DIRECTORY)
    if not base:
        return {}

    def entries(offset, want_directories):
        named, ids = image.unpack("<12xHH", base + offset)
        for i in range(named + ids):
            key, target = image.unpack("<II", base + offset + 16 + 8 * i)
            if key & 0x80000000:
                at = base + (key & 0x7FFFFFFF)
                length = image.unpack("<H", at)[0]
                key = image.read(at + 2, 2 * length).decode("utf-16-le")
            if bool(target & 0x80000000) != want_directories:
                raise PeError("resource tree is not three levels deep")
            yield key, target & 0x7FFFFFFF

    found = {}
    for kind, names in entries(0, True):
        for name, languages in entries(names, True):
            for language, leaf in entries(languages, False):
                rva, size = image.unpack("<II", base + leaf)
                found.setdefault((kind, name), {})[language] = image.read(rva, size)
    return found


def named_sections(image):
    """{name: file data} of the image's sections. A name longer than eight
    characters (the GNU tools give the debug sections such names) is stored
    as "/n": the offset of the name in the COFF string table."""
    pe = image._unpack("<I", 0x3C)[0]
    count, symbols, symbol_count, optional_size = image._unpack("<2xH4xIIH", pe + 4)
    strings = symbols + 18 * symbol_count
    found = {}
    for i in range(count):
        header = pe + 24 + optional_size + 40 * i
        raw_name, virtual_size, _, raw_size, raw_offset = image._unpack("<8sIIII", header)
        name = raw_name.rstrip(b"\0").decode("ascii", "replace")
        if name.startswith("/") and name[1:].isdigit() and symbols:
            start = strings + int(name[1:])
            end = image.data.find(b"\0", start)
            if start >= len(image.data) or end < 0:
                raise PeError(f"section name {name} is not in the string table")
            name = image.data[start:end].decode("ascii", "replace")
        size = min(virtual_size, raw_size) if virtual_size else raw_size
        found[name] = image.data[raw_offset:raw_offset + size]
    return found


def toolchain_uses_ucrt(build_dir):
    """Whether the build's compiler targets the universal C runtime."""
    cache = (build_dir / "CMakeCache.txt").read_text()
    match = re.search(r"^CMAKE_CXX_COMPILER:\w+=(.+)$", cache, re.MULTILINE)
    if not match:
        raise PeError(f"no CMAKE_CXX_COMPILER in {build_dir / 'CMakeCache.txt'}")
    macros = subprocess.run([match.group(1), "-E", "-dM", "-x", "c++", "-"],
                            input="#include <_mingw.h>\n", capture_output=True,
                            text=True, check=True).stdout
    return re.search(r"^#define _UCRT\b", macros, re.MULTILINE) is not None


def unexpected_dlls(names, ucrt):
    """The names that are not DLLs of Windows itself."""
    def allowed(name):
        stem = name.lower().removesuffix(".dll")
        if ucrt:
            return (stem in SYSTEM_DLLS or stem == "ucrtbase"
                    or stem.startswith("api-ms-win-crt-"))
        return stem in SYSTEM_DLLS or stem == "msvcrt"
    return [name for name in names if not allowed(name)]


def single(found, kind, name):
    """The data of a resource present in exactly one language, else None."""
    languages = found.get((kind, name), {})
    return next(iter(languages.values())) if len(languages) == 1 else None


def check_display_name(found):
    # Strings live in blocks of 16; block n holds ids 16(n-1) .. 16n-1.
    block = single(found, RT_STRING, DISPLAY_NAME_ID // 16 + 1)
    if block is None:
        return [f"no string table block (in exactly one language) "
                f"holding string {DISPLAY_NAME_ID}"]
    at = 0
    for _ in range(DISPLAY_NAME_ID % 16):
        at += 2 + 2 * struct.unpack_from("<H", block, at)[0]
    length = struct.unpack_from("<H", block, at)[0]
    text = block[at + 2:at + 2 + 2 * length].decode("utf-16-le")
    if text != DISPLAY_NAME:
        return [f"string {DISPLAY_NAME_ID} is {text!r}, not {DISPLAY_NAME!r}"]
    return []


def check_icon(found):
    group = single(found, RT_GROUP_ICON, ICON_GROUP_ID)
    if group is None:
        return [f"no icon group {ICON_GROUP_ID} (in exactly one language)"]
    count = struct.unpack_from("<4xH", group)[0]
    if count != 1:
        return [f"icon group {ICON_GROUP_ID} has {count} images, not 1"]
    width, height, colours, planes, bits, size, icon_id = struct.unpack_from(
        "<BBBxHHIH", group, 6)
    problems = []
    expected = (ICON_SIZE, ICON_SIZE, ICON_COLOURS, 1, ICON_BITS)
    if (width, height, colours, planes, bits) != expected:
        problems.append(f"icon group {ICON_GROUP_ID} lists a {width}x{height} image with "
                        f"{colours} colours, {planes} planes at {bits} bits per pixel")
    image = single(found, RT_ICON, icon_id)
    if image is None:
        return problems + [f"icon {icon_id} of group {ICON_GROUP_ID} is missing"]
    header = struct.unpack_from("<IiiHH", image)
    if header != (40, ICON_SIZE, 2 * ICON_SIZE, 1, ICON_BITS):
        problems.append(f"icon {icon_id} has the bitmap header {header}")
    if len(image) != ICON_IMAGE_BYTES or size != len(image):
        problems.append(f"icon {icon_id} is {len(image)} bytes (the group says {size}); "
                        f"{ICON_IMAGE_BYTES} hold the colours and the AND mask")
    return problems


def version_node(data, at=0):
    """(key, value, children) of a node of a version record; value bytes."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    if length < 6 or at + length > len(data):
        raise PeError("version record node has a bad length")
    end = at + 6
    while data[end:end + 2] != b"\0\0":
        end += 2
        if end >= at + length:
            raise PeError("version record key has no end")
    key = data[at + 6:end].decode("utf-16-le")
    value_at = (end + 2 + 3) & ~3
    value = data[value_at:value_at + value_length * (2 if kind == 1 else 1)]
    children, child = [], (value_at + len(value) + 3) & ~3
    while child < at + length:
        children.append(version_node(data, child))
        child = (child + struct.unpack_from("<H", data, child)[0] + 3) & ~3
    return key, value, children


def check_version(found, version):
    record = single(found, RT_VERSION, 1)
    if record is None:
        return ["no version record 1 (in exactly one language)"]
    key, fixed, children = version_node(record)
    if key != "VS_VERSION_INFO" or len(fixed) != 52:
        return [f"version record is {key!r} with {len(fixed)} bytes of fixed information"]
    major, minor, patch = (int(part) for part in version.split("."))
    expected = ((major << 16) | minor, patch << 16)
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    problems = []
    if signature != VERSION_SIGNATURE:
        problems.append(f"fixed version information has the signature {signature:#x}")
    if (file_ms, file_ls) != expected or (product_ms, product_ls) != expected:
        problems.append(f"fixed file/product version is not {version}.0")

    blocks = {child[0]: child[2] for child in children}
    translations = [struct.unpack_from("<HH", value, i)
                    for key, value, _ in blocks.get("VarFileInfo", []) if key == "Translation"
                    for i in range(0, len(value), 4)]
    if translations != [TRANSLATION]:
        problems.append(f"Translation is {translations}, not {TRANSLATION}")
    # The strings are looked up by the table named after the translation.
    table = "{:04X}{:04X}".format(*TRANSLATION)
    tables = {key.upper(): strings for key, _, strings in blocks.get("StringFileInfo", [])}
    strings = {key: value.decode("utf-16-le").rstrip("\0")
               for key, value, _ in tables.get(table, [])}
    if not strings:
        return problems + [f"no StringFileInfo table {table} matching the Translation"]
    problems += [f"version string {name} is missing" for name in VERSION_STRINGS
                 if not strings.get(name)]
    problems += [f"version string {name} is {strings[name]!r}, not {version!r}"
                 for name in ("FileVersion", "ProductVersion")
                 if strings.get(name) and strings[name] != version]
    return problems


def check(build_dir, machine, version):
    """Problems found with BUILD_DIR/host/Roamlets.scr, as sentences."""
    path = build_dir / "host" / "Roamlets.scr"
    if not path.is_file():
        return [f"{path} does not exist: build that preset first"]
    image = PeImage(path.read_bytes())
    problems = []
    if (image.machine, image.magic) != MACHINES[machine]:
        problems.append(f"machine {image.machine:#x} with optional header {image.magic:#x} "
                        f"is not an {machine} program")
    problems += [f"imports {name}, which is not part of Windows"
                 for name in unexpected_dlls(imported_dlls(image), toolchain_uses_ucrt(build_dir))]
    found = resources(image)
    return problems + check_display_name(found) + check_icon(found) + check_version(found, version)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build_dir", type=Path)
    parser.add_argument("--machine", choices=sorted(MACHINES), required=True)
    parser.add_argument("--version", required=True)
    args = parser.parse_args(argv)
    try:
        problems = check(args.build_dir, args.machine, args.version)
    except (PeError, struct.error) as error:
        problems = [f"not a readable PE image: {error}"]
    for problem in problems:
        print(f"{args.build_dir}: {problem}")
    if not problems:
        print(f"{args.build_dir / 'host' / 'Roamlets.scr'}: imports and resources as expected")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
