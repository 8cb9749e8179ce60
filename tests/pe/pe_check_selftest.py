#!/usr/bin/env python3
"""Shows that pe_check.py's checks fail on faulty programs: copies of the real
Roamlets.scr of each Windows build, altered.

Usage: pe_check_selftest.py VERSION WIN64_BUILD_DIR WIN32_BUILD_DIR
"""

import shutil
import struct
import sys
import tempfile
import unittest
from pathlib import Path

import pe_check

BUILD_DIRS = {}  # machine -> build folder, from the command line
VERSION = ""  # the project's, from the command line


def program(build_dir):
    return pe_check.PeImage((build_dir / "host" / "Roamlets.scr").read_bytes())


class SystemDllRule(unittest.TestCase):
    CASES = [  # imported names, toolchain on the universal C runtime, the ones rejected
        (["KERNEL32.dll", "user32.DLL", "msvcrt.dll", "OPENGL32.dll", "GLU32.dll"], False, []),
        (["libgcc_s_dw2-1.dll", "libstdc++-6.dll", "libwinpthread-1.dll"], False,
         ["libgcc_s_dw2-1.dll", "libstdc++-6.dll", "libwinpthread-1.dll"]),
        (["api-ms-win-crt-runtime-l1-1-0.dll", "ucrtbase.dll"], False,
         ["api-ms-win-crt-runtime-l1-1-0.dll", "ucrtbase.dll"]),
        (["api-ms-win-crt-runtime-l1-1-0.dll", "ucrtbase.dll", "GDI32.dll"], True, []),
        (["msvcrt.dll", "libstdc++-6.dll"], True, ["msvcrt.dll", "libstdc++-6.dll"]),
        (["kernel32"], False, []),
    ]

    def test_only_windows_dlls_and_the_toolchains_c_runtime_pass(self):
        for names, ucrt, rejected in self.CASES:
            with self.subTest(names=names, ucrt=ucrt):
                self.assertEqual(pe_check.unexpected_dlls(names, ucrt), rejected)


class FaultyPrograms(unittest.TestCase):
    def test_a_foreign_dll_in_the_import_table_is_reported(self):
        for machine, build_dir in BUILD_DIRS.items():
            with self.subTest(machine=machine), tempfile.TemporaryDirectory() as scratch:
                image = program(build_dir)
                import_rva, _ = image.directory(pe_check.IMPORT_DIRECTORY)
                name_rva = image.unpack("<5I", import_rva)[3]
                original = image.c_string(name_rva)
                at = image.offset(name_rva)
                data = bytearray(image.data)
                data[at:at + len(original)] = b"libz.dll".ljust(len(original), b"\0")

                altered = Path(scratch)
                (altered / "host").mkdir()
                (altered / "host" / "Roamlets.scr").write_bytes(data)
                shutil.copy(build_dir / "CMakeCache.txt", altered)
                problems = pe_check.check(altered, machine, VERSION)
                self.assertEqual(problems, ["imports libz.dll, which is not part of Windows"])

    def test_altered_resources_are_reported(self):
        for machine, build_dir in BUILD_DIRS.items():
            with self.subTest(machine=machine):
                found = pe_check.resources(program(build_dir))
                self.assertEqual(pe_check.check_display_name(found), [])
                self.assertEqual(pe_check.check_icon(found), [])
                self.assertEqual(pe_check.check_version(found, VERSION), [])

                renamed = dict(found)
                block = bytearray(next(iter(found[(pe_check.RT_STRING, 1)].values())))
                at = 2 + 2  # the lengths of strings 0 (empty) and 1, then string 1
                block[at:at + 2] = "X".encode("utf-16-le")
                renamed[(pe_check.RT_STRING, 1)] = {0x409: bytes(block)}
                self.assertEqual(pe_check.check_display_name(renamed),
                                 ["string 1 is 'Xoamlets', not 'Roamlets'"])

                recoloured = dict(found)
                group = bytearray(next(iter(found[(pe_check.RT_GROUP_ICON, 108)].values())))
                struct.pack_into("<H", group, 6 + 6, 8)  # the image's bits per pixel
                recoloured[(pe_check.RT_GROUP_ICON, 108)] = {0x409: bytes(group)}
                self.assertEqual(len(pe_check.check_icon(recoloured)), 1)

                without_mask = dict(found)
                group_entry = found[(pe_check.RT_GROUP_ICON, 108)]
                icon_id = struct.unpack_from("<H", next(iter(group_entry.values())), 6 + 12)[0]
                icon = next(iter(found[(pe_check.RT_ICON, icon_id)].values()))
                without_mask[(pe_check.RT_ICON, icon_id)] = {0x409: icon[:-128]}
                self.assertEqual(len(pe_check.check_icon(without_mask)), 1)

                major, minor, patch = VERSION.split(".")
                newer = f"{major}.{minor}.{int(patch) + 1}"
                self.assertEqual(len(pe_check.check_version(found, newer)), 3)


if __name__ == "__main__":
    VERSION = sys.argv[1]
    BUILD_DIRS.update(x64=Path(sys.argv[2]), x86=Path(sys.argv[3]))
    unittest.main(argv=sys.argv[:1])
