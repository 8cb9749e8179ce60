"""The setup, run quietly (/S): the program for the prefix's Windows in the
system folder with its uninstall entry, set as the current screen saver or
not, an install over a running saver, and the uninstaller."""

import ntpath
import os
import re
import shutil
import struct
import zipfile

from e2e.harness.runs import wait_for
from e2e.wine import config
from e2e.wine.saver_cases import APPEAR_S, DESKTOP_KEY, DIALOG_CLASS, IDOK, SETTINGS_KEY, SaverCases

UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Roamlets"
# Where the Screen Saver settings look, as the setup's $SYSDIR spells it under Wine.
INSTALLED = r"C:\windows\system32\Roamlets.scr"
ANOTHER_SAVER = r"C:\windows\system32\another.scr"
# The machine types of PE headers.
X64, X86 = 0x8664, 0x14C
INSTALL_MS = 60000
REBOOT_REQUIRED = 3010
# NSIS's uninstaller runs from a copy of itself of this name, so that it can remove its own file.
UNINSTALLER_COPY = "Un.exe"


def maker():
    path = os.path.join(os.path.dirname(__file__), "..", "..", "..", "..", "resources", "maker.h")
    with open(path) as header:
        return re.search(r'#define ROAMLETS_MAKER_NAME "([^"]*)"', header.read()).group(1)


def pe_machine(data):
    header = struct.unpack_from("<I", data, 0x3C)[0]
    return struct.unpack_from("<4sH", data, header)


def without_timestamp(data):
    """The program with the time in its PE header and the header's checksum
    zeroed: the package step strips each package's copy on its own, and strip
    writes the time."""
    header = struct.unpack_from("<I", data, 0x3C)[0]
    data = bytearray(data)
    for at in (header + 8, header + 24 + 64):  # TimeDateStamp, the optional header's CheckSum
        data[at:at + 4] = bytes(4)
    return bytes(data)


class SetupCases(SaverCases):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.setup = cls.prefix.install(config.current.setup, "downloads", "Roamlets-setup.exe")
        cls.machine, folder = (X86, "32-bit") if config.current.prefix_32_bit else (X64, "64-bit")
        with zipfile.ZipFile(config.current.package) as package:
            cls.program = without_timestamp(
                package.read(f"Roamlets-{config.current.version}-windows/{folder}/Roamlets.scr"))

    def setUp(self):
        # Every case starts on a Windows without Roamlets.
        for name in ("Roamlets.scr", "Roamlets.scr.new"):
            found = self.prefix.find("windows", "system32", name)
            if found:
                os.remove(found)
        shutil.rmtree(self.prefix.drive_c("Program Files", "Roamlets"), ignore_errors=True)
        self.driver.reg_delete(UNINSTALL_KEY)
        self.driver.reg_delete(SETTINGS_KEY)
        self.driver.reg_set_text(DESKTOP_KEY, "SCRNSAVE.EXE", ANOTHER_SAVER)
        self.driver.reg_set_text(DESKTOP_KEY, "ScreenSaveActive", "0")

    def install(self, *options, code=0):
        program = self.driver.start(" ".join((f'"{self.setup}"', "/S") + options))
        self.assert_ends_with(program, code, INSTALL_MS)

    def installed(self):
        """The program in the system folder, its time zeroed; None when there is none."""
        found = self.prefix.find("windows", "system32", "Roamlets.scr")
        if not found:
            return None
        with open(found, "rb") as program:
            return without_timestamp(program.read())

    def desktop(self, name):
        value = self.driver.reg_values(DESKTOP_KEY).get(name)
        return value and value[1]

    def uninstall(self, *options):
        command = self.driver.reg_values(UNINSTALL_KEY)["QuietUninstallString"][1]
        self.assert_ends_with(self.driver.start(" ".join((command,) + options)), 0, INSTALL_MS)
        self.assertTrue(self.driver.wait_gone(UNINSTALLER_COPY, INSTALL_MS), "the uninstaller did not end")

    def test_quiet_install_puts_the_program_where_the_settings_look_with_its_uninstall_entry(self):
        self.install("/CURRENT=no")
        installed = self.installed()
        self.assertEqual(pe_machine(installed), (b"PE\0\0", self.machine))
        self.assertEqual(installed, self.program)
        self.assertIsNone(self.prefix.find("windows", "syswow64", "Roamlets.scr"))

        entry = {name: value for name, (kind, value) in self.driver.reg_values(UNINSTALL_KEY).items()}
        uninstaller = entry["UninstallString"].strip('"')
        self.assertEqual(entry["QuietUninstallString"], f'"{uninstaller}" /S')
        self.assertTrue(self.prefix.find(*uninstaller[3:].split("\\")), f"{uninstaller} is missing")
        kilobytes = entry.pop("EstimatedSize")
        self.assertGreaterEqual(kilobytes, len(installed) // 1024)
        self.assertLess(kilobytes, len(installed) // 1024 + 1024, "EstimatedSize is not in kilobytes")
        self.assertEqual({name: value for name, value in entry.items() if "Uninstall" not in name},
                         {"DisplayName": "Roamlets", "DisplayVersion": config.current.version, "Publisher": maker(),
                          "DisplayIcon": INSTALLED + ",0", "InstallLocation": ntpath.dirname(uninstaller),
                          "NoModify": 1, "NoRepair": 1})
        # Asked not to, it leaves the current screen saver alone.
        self.assertEqual((self.desktop("SCRNSAVE.EXE"), self.desktop("ScreenSaveActive")), (ANOTHER_SAVER, "0"))

    def test_clicked_through_its_pages_it_installs_and_sets_roamlets_current(self):
        program = self.driver.start(f'"{self.setup}"')
        # Its title ends in each page's subcaption, a blank.
        window = self.driver.wait_window(DIALOG_CLASS, "Roamlets Setup ", program.pid)
        self.assertIsNotNone(window, "the setup's window did not appear")
        self.responsive(window["hwnd"])
        # The page, once its list of what to install (white, below the text) is drawn.
        self.shot(self.driver.window(window["hwnd"]), "main-page",
                  lambda picture: picture.crop(0, 140, picture.width, 150).colour_counts()[(255, 255, 255)] > 5000)
        self.assertEqual(self.driver.click(window["hwnd"], IDOK), "&Install")
        wait_for(lambda: self.driver.dialog_text(window["hwnd"], IDOK) == "&Finish", APPEAR_S, what="the last page")
        self.driver.click(window["hwnd"], IDOK)
        self.assert_ends_with(program, 0)
        self.assertEqual(self.installed(), self.program)
        self.assertEqual(self.desktop("SCRNSAVE.EXE").lower(), INSTALLED.lower())

    def test_the_installed_saver_runs_full_screen_and_closes(self):
        self.install("/CURRENT=no")
        program, _, _ = self.start_full_screen(INSTALLED)
        self.display.press_key("a")
        self.assert_closes(program, "key a")

    def test_set_as_current_by_default(self):
        self.install()
        self.assertEqual(self.desktop("SCRNSAVE.EXE").lower(), INSTALLED.lower())
        self.assertEqual(self.desktop("ScreenSaveActive"), "1")

    def test_install_over_a_running_saver_replaces_it_at_restart_and_keeps_the_settings(self):
        earlier = self.program + b"an earlier version"
        with open(self.prefix.drive_c("windows", "system32", "Roamlets.scr"), "wb") as program:
            program.write(earlier)
        self.driver.reg_set_dword(SETTINGS_KEY, "NUM_ROAMLETS", 77)
        saver, _, _ = self.start_full_screen(INSTALLED)
        self.install("/CURRENT=no", code=REBOOT_REQUIRED)
        self.assert_keeps_running(saver)
        self.assertEqual(self.installed(), earlier)
        self.display.press_key("a")
        self.assert_closes(saver, "key a")
        self.prefix.restart_windows()
        self.assertEqual(self.installed(), self.program)
        self.assertIsNone(self.prefix.find("windows", "system32", "Roamlets.scr.new"))
        self.assertEqual(self.stored_settings()["NUM_ROAMLETS"], 77)

    def test_quiet_uninstall(self):
        with self.subTest("Roamlets is the current screen saver"):
            self.install()
            self.driver.reg_set_dword(SETTINGS_KEY, "NUM_ROAMLETS", 77)
            uninstaller = self.driver.reg_values(UNINSTALL_KEY)["UninstallString"][1].strip('"')
            self.uninstall()
            self.assertIsNone(self.installed())
            self.assertIsNone(self.driver.reg_values(UNINSTALL_KEY))
            self.assertIsNone(self.prefix.find(*ntpath.dirname(uninstaller)[3:].split("\\")))
            self.assertIsNone(self.desktop("SCRNSAVE.EXE"))
            self.assertEqual(self.stored_settings(), {"NUM_ROAMLETS": 77})
        with self.subTest("another screen saver is current; the settings are to go"):
            self.driver.reg_set_text(DESKTOP_KEY, "SCRNSAVE.EXE", ANOTHER_SAVER)
            self.install("/CURRENT=no")
            self.uninstall("/REMOVESETTINGS")
            self.assertIsNone(self.installed())
            self.assertEqual(self.desktop("SCRNSAVE.EXE"), ANOTHER_SAVER)
            self.assertIsNone(self.stored_settings())
            self.assertIsNone(self.driver.reg_values(r"HKCU\Software\Vantorix"), "empty parent keys stay")
