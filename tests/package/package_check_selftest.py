#!/usr/bin/env python3
"""Shows that package_check.py's checks fail on faulty packages: copies of the
real Windows package, altered.

Usage: package_check_selftest.py VERSION WIN64_BUILD_DIR WIN32_BUILD_DIR
"""

import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

import package_check

VERSION = ""  # the project's, from the command line
BUILD_DIRS = {}  # machine -> build folder, from the command line


def root():
    return f"Roamlets-{VERSION}-windows/"


class AlteredPackages(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        with zipfile.ZipFile(package_check.package_path(VERSION, BUILD_DIRS["x64"])) as package:
            self.members = {info.filename: package.read(info) for info in package.infolist()}

    def tearDown(self):
        self.scratch.cleanup()

    def problems(self, changes=None):
        """The check's findings on the package with members replaced or added
        (given as bytes) or taken out (None); names are relative to the
        package's folder."""
        members = dict(self.members)
        for name, data in (changes or {}).items():
            name = root() + name
            if data is None:
                del members[name]
            else:
                members[name] = data
        path = Path(self.scratch.name) / "altered.zip"
        with zipfile.ZipFile(path, "w") as package:
            for name, data in members.items():
                package.writestr(name, data)
        return package_check.check(path, VERSION, BUILD_DIRS)

    def program(self, folder):
        return self.members[f"{root()}{folder}/Roamlets.scr"]

    def test_missing_and_stray_members_are_reported(self):
        self.assertEqual(
            self.problems({"32-bit/Roamlets.scr": None, "64-bit/libstdc++-6.dll": b"MZ",
                           "debug/": b""}),
            [f"holds {root()}64-bit/libstdc++-6.dll, which does not belong",
             f"holds {root()}debug/, which does not belong",
             f"lacks {root()}32-bit/Roamlets.scr"])

    def test_install_text_must_be_ascii_with_crlf(self):
        text = self.members[root() + "INSTALL.txt"]
        cases = [
            (text.replace(b"\r\n", b"\n"), ["INSTALL.txt does not end every line with CRLF"]),
            (text[:-2], ["INSTALL.txt does not end every line with CRLF"]),
            (text + "caf\u00e9\r\n".encode(), ["INSTALL.txt is not plain ASCII"]),
        ]
        for altered, expected in cases:
            with self.subTest(expected=expected):
                self.assertEqual(self.problems({"INSTALL.txt": altered}), expected)

    def test_programs_in_the_wrong_folder_are_reported(self):
        problems = self.problems({"64-bit/Roamlets.scr": self.program("32-bit"),
                                  "32-bit/Roamlets.scr": self.program("64-bit")})
        self.assertEqual(problems, [
            "64-bit/Roamlets.scr machine 0x14c with optional header 0x10b is not an x64 program",
            f"64-bit/Roamlets.scr is not the program of {BUILD_DIRS['x64']} "
            "without its debug sections",
            "32-bit/Roamlets.scr machine 0x8664 with optional header 0x20b is not an x86 program",
            f"32-bit/Roamlets.scr is not the program of {BUILD_DIRS['x86']} "
            "without its debug sections"])

    def test_unstripped_and_changed_programs_are_reported(self):
        for machine, folder in package_check.FOLDERS.items():
            with self.subTest(machine=machine):
                built = (BUILD_DIRS[machine] / "win32" / "Roamlets.scr").read_bytes()
                problems = self.problems({f"{folder}/Roamlets.scr": built})
                self.assertEqual(len(problems), 1)
                self.assertRegex(problems[0], rf"^{folder}/Roamlets.scr is not stripped: "
                                 r"it has \.debug_\w+(, \.debug_\w+)*$")

                changed = bytearray(self.program(folder))
                image = package_check.pe_check.load(changed)
                text = image.sections[0].PointerToRawData  # the first section's file data
                changed[text] ^= 0xFF
                self.assertEqual(self.problems({f"{folder}/Roamlets.scr": bytes(changed)}),
                                 [f"{folder}/Roamlets.scr is not the program of "
                                  f"{BUILD_DIRS[machine]} without its debug sections"])


if __name__ == "__main__":
    VERSION = sys.argv[1]
    BUILD_DIRS.update(x64=Path(sys.argv[2]), x86=Path(sys.argv[3]))
    unittest.main(argv=sys.argv[:1])
