#!/usr/bin/env python3
"""Checks a Windows build of Roamlets.scr without running it.

Reads the program with pefile (Debian: python3-pefile) and reports a problem
when
 - the machine type is not the one the build is for;
 - it imports a DLL or a function that the oldest Windows the build is for
   lacks (imports-x86.tsv: Windows 95 OSR2; imports-x64.tsv: Windows XP x64),
   or asks for a newer subsystem version than that Windows knows;
 - (32-bit) any instruction uses the MMX, SSE or AVX registers or needs SSE:
   the processors and systems it is for may have none;
 - its resources lack the display name (string 1), the icon (group 108: one
   32 x 32 image in 16 colours with its AND mask), a version record that
   carries the project's version, or an application manifest (RT_MANIFEST 1)
   that names Vista to 11, asks for per-monitor DPI awareness with
   system-wide as the fallback, and for version 6 of the common controls.

Usage: pe_check.py BUILD_DIR --machine {x86,x64} --version X.Y.Z
Looks at BUILD_DIR/win32/Roamlets.scr; exit status 1 when there is a problem.
"""

import argparse
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

import pefile

HERE = Path(__file__).resolve().parent
# machine, optional header magic, oldest Windows, newest subsystem version it loads
MACHINES = {"x86": (0x014C, 0x10B, "Windows 95", (4, 0)),
            "x64": (0x8664, 0x20B, "Windows XP x64", (5, 2))}
RT_ICON, RT_STRING, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 6, 14, 16, 24

DISPLAY_NAME_ID, DISPLAY_NAME = 1, "Roamlets"
ICON_GROUP_ID, ICON_SIZE, ICON_COLOURS, ICON_BITS = 108, 32, 16, 4
# BITMAPINFOHEADER, palette, colour bitmap, AND mask (rows padded to 4 bytes).
ICON_IMAGE_BYTES = (40 + 4 * ICON_COLOURS + ICON_SIZE * ICON_SIZE * ICON_BITS // 8
                    + ICON_SIZE * 4)
VERSION_SIGNATURE = 0xFEEF04BD
TRANSLATION = (0x0409, 1252)  # US English, Western European code page
VERSION_STRINGS = ("CompanyName", "FileDescription", "FileVersion", "InternalName",
                   "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion")

# The manifest: CREATEPROCESS_MANIFEST_RESOURCE_ID, and what it must say.
MANIFEST_ID = 1
SUPPORTED_OS = {"{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Vista", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "7",
                "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "8", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "8.1",
                "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "10 and 11"}
# Windows 10 1607 on reads dpiAwareness, a list tried in turn; 8.1 reads
# dpiAware "true/pm" as per monitor, Vista to 8 as system-wide.
DPI_AWARE, DPI_AWARENESS = "true/pm", ["permonitorv2", "permonitor"]
COMMON_CONTROLS = {"type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
                   "publicKeyToken": "6595b64144ccf1df"}
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"

# Instructions that need more than a Pentium Pro: any use of the MMX, SSE or
# AVX registers, and the SSE instructions that name none of them.
SSE_REGISTERS = re.compile(r"%(?:[xyz]mm\d+|mm\d)\b")
SSE_WITHOUT_REGISTERS = {"ldmxcsr", "stmxcsr", "sfence", "lfence", "mfence", "movnti", "clflush",
                         "prefetchnta", "prefetcht0", "prefetcht1", "prefetcht2", "emms"}


class PeError(Exception):
    """The file is not a PE image, or a structure in it points outside it."""


def load(data):
    try:
        return pefile.PE(data=bytes(data))
    except pefile.PEFormatError as error:
        raise PeError(str(error)) from error


def imports(image):
    """{DLL name: [function names]}; an import by ordinal is named '#n'."""
    return {entry.dll.decode("ascii", "replace"):
            [item.name.decode("ascii", "replace") if item.name else f"#{item.ordinal}"
             for item in entry.imports]
            for entry in getattr(image, "DIRECTORY_ENTRY_IMPORT", [])}


def import_table(machine):
    """{lower-case DLL name: {function names}} of the oldest system of a build."""
    table = {}
    for line in (HERE / f"imports-{machine}.tsv").read_text().splitlines():
        if line and not line.startswith("#"):
            dll, function, _known_from = line.split("\t")
            table.setdefault(dll.lower(), set()).add(function)
    return table


def check_imports(found, machine):
    table, system = import_table(machine), MACHINES[machine][2]
    problems = []
    for dll, functions in found.items():
        known = table.get(dll.lower())
        if known is None:
            problems.append(f"imports {dll}, which is not part of {system}")
            continue
        problems += [f"imports {dll} {function}, which {system} lacks"
                     for function in functions if function not in known]
    return problems


def check_subsystem(image, machine):
    newest = MACHINES[machine][3]
    version = (image.OPTIONAL_HEADER.MajorSubsystemVersion, image.OPTIONAL_HEADER.MinorSubsystemVersion)
    if version > newest:
        return [f"subsystem version {version[0]}.{version[1]} is newer than {MACHINES[machine][2]} loads "
                f"({newest[0]}.{newest[1]})"]
    return []


def sse_instructions(disassembly):
    """The lines of objdump -d output whose instruction needs MMX or SSE."""
    found = []
    for line in disassembly.splitlines():
        parts = line.split("\t")
        if len(parts) < 3:
            continue
        instruction = parts[2].strip()
        if SSE_REGISTERS.search(instruction) or instruction.split(" ")[0] in SSE_WITHOUT_REGISTERS:
            found.append(line.strip())
    return found


def check_instructions(path, build_dir):
    cache = (build_dir / "CMakeCache.txt").read_text()
    match = re.search(r"^CMAKE_OBJDUMP:\w+=(.+)$", cache, re.MULTILINE)
    if not match:
        raise PeError(f"no CMAKE_OBJDUMP in {build_dir / 'CMakeCache.txt'}")
    disassembly = subprocess.run([match.group(1), "-d", str(path)], capture_output=True,
                                 text=True, check=True).stdout
    found = sse_instructions(disassembly)
    if found:
        return [f"{len(found)} instructions need MMX or SSE, the first: {found[0]}"]
    return []


def resources(image):
    """{(type, name): {language: bytes}}; ids are ints, names strs."""
    def key(entry):
        return str(entry.name) if entry.name is not None else entry.id

    def entries(node, want_directories):
        for entry in node.entries:
            if hasattr(entry, "directory") != want_directories:
                raise PeError("resource tree is not three levels deep")
            yield entry

    found = {}
    if not hasattr(image, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    for kind in entries(image.DIRECTORY_ENTRY_RESOURCE, True):
        for name in entries(kind.directory, True):
            for language in entries(name.directory, False):
                data = language.data.struct
                found.setdefault((key(kind), key(name)), {})[language.id] = image.get_data(
                    data.OffsetToData, data.Size)
    return found


def named_sections(image):
    """{name: file data} of the image's sections, long names (the GNU tools
    give the debug sections such names, kept in the COFF string table) read
    in full."""
    strings = image.FILE_HEADER.PointerToSymbolTable + 18 * image.FILE_HEADER.NumberOfSymbols
    found = {}
    for section in image.sections:
        name = section.Name.rstrip(b"\0").decode("ascii", "replace")
        if name.startswith("/") and name[1:].isdigit() and image.FILE_HEADER.PointerToSymbolTable:
            start = strings + int(name[1:])
            end = image.__data__.find(b"\0", start)
            if start >= len(image.__data__) or end < 0:
                raise PeError(f"section name {name} is not in the string table")
            name = bytes(image.__data__[start:end]).decode("ascii", "replace")
        size = min(section.Misc_VirtualSize, section.SizeOfRawData) if section.Misc_VirtualSize \
            else section.SizeOfRawData
        found[name] = bytes(image.__data__[section.PointerToRawData:section.PointerToRawData + size])
    return found


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


def _local(tag):
    return tag.rsplit("}", 1)[-1]


def check_manifest(found, version):
    data = single(found, RT_MANIFEST, MANIFEST_ID)
    if data is None:
        return [f"no application manifest {MANIFEST_ID} (in exactly one language)"]
    try:
        root = ElementTree.fromstring(data)
    except ElementTree.ParseError as error:
        return [f"the manifest is not well-formed XML: {error}"]
    if root.tag != ASM_V1 + "assembly":
        return [f"the manifest's root is {root.tag}, not an assembly"]
    # Windows refuses to start a program whose own identity is malformed.
    identity = root.find(ASM_V1 + "assemblyIdentity")
    problems = []
    if identity is None or identity.get("version") != f"{version}.0":
        problems.append(f"the manifest's assemblyIdentity does not carry the version {version}.0")
    elements = list(root.iter())
    listed = {element.get("Id", "").lower() for element in elements if _local(element.tag) == "supportedOS"}
    problems += [f"the manifest does not name Windows {name} as supported"
                 for guid, name in SUPPORTED_OS.items() if guid not in listed]

    def text(name):
        return next(((element.text or "").strip() for element in elements if _local(element.tag) == name), "")
    if text("dpiAware").lower() != DPI_AWARE:
        problems.append(f"the manifest's dpiAware is {text('dpiAware')!r}, not {DPI_AWARE!r}")
    awareness = [part.strip().lower() for part in text("dpiAwareness").split(",")]
    if awareness != DPI_AWARENESS:
        problems.append(f"the manifest's dpiAwareness is {text('dpiAwareness')!r}, not PerMonitorV2, PerMonitor")
    dependencies = [element.attrib for element in root.iter(ASM_V1 + "assemblyIdentity")
                    if element is not identity]
    if not any(all(dependency.get(key, "").lower() == value.lower() for key, value in COMMON_CONTROLS.items())
               for dependency in dependencies):
        problems.append("the manifest does not ask for version 6 of the common controls")
    return problems


def check_program(image, machine):
    """The problems any Roamlets.scr for that machine may not have."""
    if (image.FILE_HEADER.Machine, image.OPTIONAL_HEADER.Magic) != MACHINES[machine][:2]:
        # Another machine's program: its imports are for another system.
        return [f"machine {image.FILE_HEADER.Machine:#x} with optional header "
                f"{image.OPTIONAL_HEADER.Magic:#x} is not an {machine} program"]
    return check_imports(imports(image), machine) + check_subsystem(image, machine)


def check(build_dir, machine, version):
    """Problems found with BUILD_DIR/win32/Roamlets.scr, as sentences."""
    path = build_dir / "win32" / "Roamlets.scr"
    if not path.is_file():
        return [f"{path} does not exist: build that preset first"]
    image = load(path.read_bytes())
    problems = check_program(image, machine)
    if machine == "x86":
        problems += check_instructions(path, build_dir)
    found = resources(image)
    return (problems + check_display_name(found) + check_icon(found) + check_version(found, version)
            + check_manifest(found, version))


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
        print(f"{args.build_dir / 'win32' / 'Roamlets.scr'}: imports, instructions and resources as expected")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
