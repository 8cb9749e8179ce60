#!/usr/bin/env python3
"""Shows that pe_check.py's checks fail on faulty programs: copies of the real
Roamlets.scr of each Windows build, altered, and made-up imports and
instructions.

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
    return pe_check.load((build_dir / "win32" / "Roamlets.scr").read_bytes())


class ImportRules(unittest.TestCase):
    CASES = [  # machine, imported functions, the problems
        ("x86", {"kernel32.DLL": ["GetTickCount", "SetUnhandledExceptionFilter"], "OPENGL32.dll": ["glBegin"],
                 "msvcrt.dll": ["malloc"]}, []),
        ("x86", {"KERNEL32.dll": ["GetTickCount64", "TryEnterCriticalSection", "#12"]},
         ["imports KERNEL32.dll GetTickCount64, which Windows 95 lacks",
          "imports KERNEL32.dll TryEnterCriticalSection, which Windows 95 lacks",
          "imports KERNEL32.dll #12, which Windows 95 lacks"]),
        ("x86", {"libwinpthread-1.dll": ["pthread_mutex_lock"], "ucrtbase.dll": ["malloc"]},
         ["imports libwinpthread-1.dll, which is not part of Windows 95",
          "imports ucrtbase.dll, which is not part of Windows 95"]),
        ("x64", {"KERNEL32.dll": ["RtlVirtualUnwind", "GetTickCount64"]},
         ["imports KERNEL32.dll GetTickCount64, which Windows XP x64 lacks"]),
    ]

    def test_only_functions_of_the_oldest_system_pass(self):
        for machine, found, problems in self.CASES:
            with self.subTest(machine=machine, found=found):
                self.assertEqual(pe_check.check_imports(found, machine), problems)

    def test_instructions_that_need_mmx_or_sse_are_found(self):
        lines = ["  401000:\t55                   \tpush   %ebp",
                 "  401001:\td9 45 08             \tflds   0x8(%ebp)",
                 "  401004:\tf3 0f 10 45 08       \tmovss  0x8(%ebp),%xmm0",
                 "  401009:\t0f 6f c1             \tmovq   %mm1,%mm0",
                 "  40100c:\t0f ae 55 fc          \tldmxcsr -0x4(%ebp)",
                 "  401010:\t0f ae f8             \tsfence",
                 "  401013:\tf3 90                \tpause"]
        self.assertEqual([line.split(":")[0].strip() for line in pe_check.sse_instructions("\n".join(lines))],
                         ["401004", "401009", "40100c", "401010"])


class FaultyPrograms(unittest.TestCase):
    def altered(self, build_dir, scratch, data):
        folder = Path(scratch)
        (folder / "win32").mkdir()
        (folder / "win32" / "Roamlets.scr").write_bytes(data)
        shutil.copy(build_dir / "CMakeCache.txt", folder)
        return folder

    def test_a_foreign_dll_and_a_newer_subsystem_are_reported(self):
        for machine, build_dir in BUILD_DIRS.items():
            with self.subTest(machine=machine), tempfile.TemporaryDirectory() as scratch:
                image = program(build_dir)
                entry = image.DIRECTORY_ENTRY_IMPORT[0]
                at = image.get_offset_from_rva(entry.struct.Name)
                image.OPTIONAL_HEADER.MajorSubsystemVersion = 6
                data = bytearray(image.write())
                data[at:at + len(entry.dll)] = b"libz.dll".ljust(len(entry.dll), b"\0")
                system, newest = pe_check.MACHINES[machine][2:]
                problems = pe_check.check(self.altered(build_dir, scratch, data), machine, VERSION)
                self.assertEqual(problems, [
                    f"imports libz.dll, which is not part of {system}",
                    f"subsystem version 6.{newest[1]} is newer than {system} loads ({newest[0]}.{newest[1]})"])

    def test_altered_resources_are_reported(self):
        for machine, build_dir in BUILD_DIRS.items():
            with self.subTest(machine=machine):
                found = pe_check.resources(program(build_dir))
                self.assertEqual(pe_check.check_display_name(found), [])
                self.assertEqual(pe_check.check_icon(found), [])
                self.assertEqual(pe_check.check_version(found, VERSION), [])
                self.assertEqual(pe_check.check_manifest(found, VERSION), [])

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

    def test_altered_manifests_are_reported(self):
        found = pe_check.resources(program(BUILD_DIRS["x64"]))
        manifest = next(iter(found[(pe_check.RT_MANIFEST, 1)].values()))
        cases = [  # what is changed, into what, the problem
            (b"8e0f7a12-bfb3", b"8e0f7a12-bfb4", "the manifest does not name Windows 10 and 11 as supported"),
            (b"true/pm", b"true", "the manifest's dpiAware is 'true', not 'true/pm'"),
            (b"PerMonitorV2, PerMonitor", b"PerMonitorV2",
             "the manifest's dpiAwareness is 'PerMonitorV2', not PerMonitorV2, PerMonitor"),
            (b'version="6.0.0.0"', b'version="5.82.0.0"',
             "the manifest does not ask for version 6 of the common controls"),
            (f'version="{VERSION}.0"'.encode(), b'version="1.0"',
             f"the manifest's assemblyIdentity does not carry the version {VERSION}.0"),
        ]
        for old, new, problem in cases:
            with self.subTest(changed=old):
                self.assertIn(old, manifest)
                altered = dict(found) | {(pe_check.RT_MANIFEST, 1): {0x409: manifest.replace(old, new)}}
                self.assertEqual(pe_check.check_manifest(altered, VERSION), [problem])
        with self.subTest("cut short"):
            altered = dict(found) | {(pe_check.RT_MANIFEST, 1): {0x409: manifest[:-20]}}
            self.assertEqual(len(pe_check.check_manifest(altered, VERSION)), 1)


if __name__ == "__main__":
    VERSION = sys.argv[1]
    BUILD_DIRS.update(x64=Path(sys.argv[2]), x86=Path(sys.argv[3]))
    unittest.main(argv=sys.argv[:1])
