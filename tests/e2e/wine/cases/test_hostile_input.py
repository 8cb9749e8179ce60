"""Hostile input that only the Win32 side of the program meets: messages that
another program of the user posts or sends to the saver's windows, raw command
lines tens of thousands of bytes long or with control bytes, registry values
of any type and size and the extremes of every setting, field text of any
length, and password provider modules that are missing or lack their entry."""

import os
import shutil

from e2e.harness.runs import wait_for
from e2e.wine import config
from e2e.wine.saver_cases import (APPEAR_S, DESKTOP_KEY, IDOK, IDYES, SAVER_CLASS, SC_CLOSE, SCENE_CLASS,
                                  SETTINGS_DEFAULTS, SETTINGS_KEY, WM_CLOSE, WM_KEYDOWN, WM_NULL, WM_SYSCOMMAND,
                                  PasswordSystemCases, SaverCases)

REJECTED = 0xFFFFFFFF  # exit code -1

WM_CREATE, WM_DESTROY, WM_SIZE, WM_SETTEXT, WM_PAINT = 0x0001, 0x0002, 0x0005, 0x000C, 0x000F
WM_QUERYENDSESSION, WM_ERASEBKGND, WM_SETCURSOR, WM_HELP, WM_NCCREATE = 0x0011, 0x0014, 0x0020, 0x0053, 0x0081
WM_KEYUP, WM_TIMER, WM_USER, WM_APP = 0x0101, 0x0113, 0x0400, 0x8000
SC_NEXTWINDOW, SC_SCREENSAVE = 0xF040, 0xF140
WS_DISABLED = 0x08000000
ERROR_MESSAGE_SYNC_ONLY = 1159

INT_MAX, INT_MIN = 2**31 - 1, -2**31

# The most an edit control takes from typing or pasting (its default limit).
FIELD_CHARS = 30000

# Messages another program may post to the saver and the scene window, with
# parameters the program never uses: foreign timers (one of them with a
# "callback" that is no code of the program), system commands the full-screen
# run swallows, a size no window has, and messages that are no close trigger.
FOREIGN_MESSAGES = [
    (WM_TIMER, 0xBEEF, 0x12345678), (WM_TIMER, 101, 0x41414141), (WM_TIMER, 102, -1),
    (WM_SIZE, 0, -1), (WM_PAINT, 0, 0), (WM_ERASEBKGND, 0, 0), (WM_SETCURSOR, 0, 0),
    (WM_SYSCOMMAND, SC_SCREENSAVE, 0), (WM_SYSCOMMAND, SC_NEXTWINDOW, 0), (WM_KEYUP, 0x41, 0xC0000001),
    (WM_QUERYENDSESSION, 0, 0), (WM_APP, 0, 0), (WM_NULL, 7, 7), (WM_USER + 7, 1, 2), (0xC123, 3, 4),
    (0xFFFF, 2**64 - 1, -1),
]
# Messages whose lParam carries a pointer: the system refuses to post them.
POINTER_MESSAGES = [WM_CREATE, WM_NCCREATE, WM_SETTEXT, WM_HELP]


def reg_file_line(name, data):
    """A value line of a REGEDIT4 file: data is an int (dword), a str, or (type, bytes)."""
    if isinstance(data, int):
        return f'"{name}"=dword:{data & 0xFFFFFFFF:08x}'
    if isinstance(data, str):
        return f'"{name}"="{data}"'
    kind, raw = data
    return f'"{name}"=hex({kind:x}):' + ",".join(f"{byte:02x}" for byte in raw)


class HostileMessageCases(SaverCases):
    def scene_windows(self, saver):
        return [c["hwnd"] for c in self.driver.children(saver) if c["class"] == SCENE_CLASS]

    def test_foreign_messages_leave_a_run_going_and_a_system_close_ends_it(self):
        program, window, scene = self.start_full_screen()
        saver = window["hwnd"]
        for target in (saver, scene["hwnd"]):
            for message in POINTER_MESSAGES:
                posted = self.driver.call("post", target, message, 0, 0)
                self.assertEqual((posted["posted"], posted["error"]), (0, ERROR_MESSAGE_SYNC_ONLY), hex(message))
            for message, wparam, lparam in FOREIGN_MESSAGES:
                self.driver.post(target, message, wparam, lparam)
        # The scene window takes its own size again.
        self.driver.post(scene["hwnd"], WM_SIZE, 0, scene["height"] << 16 | scene["width"])
        self.responsive(saver)
        self.responsive(scene["hwnd"])
        self.assert_keeps_running(program)
        self.assertEqual(self.scene_windows(saver), [scene["hwnd"]])
        self.wait_animating()

        # Asked whether the session may end, the run agrees and goes on until it does.
        self.assertEqual(self.driver.call("send", saver, WM_QUERYENDSESSION, 0, 0)["result"], 1)
        self.assert_keeps_running(program)
        self.driver.post(saver, WM_SYSCOMMAND, SC_CLOSE, 0)
        self.assert_closes(program, "a posted SC_CLOSE")

    def test_posted_destroy_and_close_of_the_scene_window_leave_input_closing_the_run(self):
        program, window, scene = self.start_full_screen()
        saver = window["hwnd"]
        # A forged WM_DESTROY releases the scene's context: the picture stops.
        self.driver.post(scene["hwnd"], WM_DESTROY)
        self.responsive(saver)
        self.assert_keeps_running(program)
        # A close destroys the scene window for real, and releases it once more.
        self.driver.post(scene["hwnd"], WM_CLOSE)
        wait_for(lambda: not self.driver.window(scene["hwnd"])["exists"], APPEAR_S, what="the scene window to go")
        self.responsive(saver)
        self.assert_keeps_running(program)
        self.assertEqual(self.scene_windows(saver), [])
        self.display.press_key("space")
        self.assert_closes(program, "a key after the scene window went")

        program, window, _ = self.start_full_screen()
        self.driver.post(window["hwnd"], WM_DESTROY)
        self.assert_closes(program, "a forged WM_DESTROY of the saver window")


class HostileCommandLineCases(SaverCases):
    def test_lines_of_thirty_thousand_bytes(self):
        parent = self.driver.make_window(160, 120)
        # A handle of 30,000 digits whose last 40 spell the window's: every power
        # of ten from 10^32 on is a multiple of 2^32, so the digits before add nothing.
        program = self.start_saver("/p " + "9" * 29960 + f"{parent:040d}")
        wait_for(lambda: [c for c in self.driver.children(parent) if c["class"] == SAVER_CLASS], APPEAR_S,
                 what="the preview")
        self.driver.destroy(parent)
        self.assert_ends_with(program, 0)

        program = self.driver.start_app(self.saver, '"' + "x" * 32000 + '" /s')
        window, _ = self.wait_saver_window(program.pid)
        self.driver.post(window["hwnd"], WM_CLOSE)
        self.assert_ends_with(program, 0)

        self.assert_ends_with(self.driver.start_app(self.saver, "x" * 31000 + " " + "/" * 1000 + "z"), REJECTED)
        self.assert_ends_with(self.driver.start_app(self.saver, "x" * 31000 + " " + " -/" * 300 + "p 0"), REJECTED)

    def test_another_programs_window_as_owner_is_enabled_again_when_the_dialog_ends(self):
        owner = self.driver.make_window(200, 120, 100, 100)
        program = self.start_saver(f"/c:{owner}")
        dialog = self.wait_configuration_dialog(program)
        self.assertEqual(dialog["owner"], owner)
        self.assertTrue(self.driver.window(owner)["style"] & WS_DISABLED, "a modal dialog leaves its owner enabled")
        self.assertEqual(self.driver.click(dialog["hwnd"], IDOK), "OK")
        self.assert_ends_with(program, 1)
        self.assertFalse(self.driver.window(owner)["style"] & WS_DISABLED, "the owner stays disabled")
        self.driver.destroy(owner)

    def test_control_and_high_bytes_in_the_raw_line(self):
        program = self.driver.start(f'"{self.saver}"\x01\x02\x1f\x7f /s')
        self.assert_ends_with(program, REJECTED)  # 0x7F is no blank: the tail starts there
        program = self.driver.start(f'"{self.saver}"\x01\x02\x1f /s')
        window, _ = self.wait_saver_window(program.pid)
        self.driver.post(window["hwnd"], WM_CLOSE)
        self.assert_ends_with(program, 0)
        for tail in ("\xff", "/\xe9", "-\x81s", "/\x01s", "\x7f"):
            with self.subTest(tail=tail):
                self.assert_ends_with(self.start_saver(tail), REJECTED)


class HostileSettingsCases(SaverCases):
    def setUp(self):
        self.driver.reg_delete(SETTINGS_KEY)

    def plant(self, values):
        """Writes the settings key through regedit, so that any type and size can be planted."""
        lines = ["REGEDIT4", "", "[HKEY_CURRENT_USER\\Software\\Vantorix\\ScreenSavers\\Roamlets]"]
        lines += [reg_file_line(name, data) for name, data in values.items()]
        with open(self.prefix.drive_c("hostile.reg"), "w", newline="\r\n") as out:
            out.write("\n".join(lines) + "\n")
        self.assert_ends_with(self.driver.start("regedit /S C:\\hostile.reg"), 0)

    def run_and_close_with_a_key(self):
        """A full-screen run that must end within a few of its frames of a key
        press, however long its settings make a frame."""
        program, window, _ = self.start_full_screen()
        self.wait_first_frame()
        within_ms = self.close_deadline_ms(window["hwnd"])
        self.display.press_key("space")
        self.assert_closes(program, "a key", within_ms)

    def test_values_of_any_type_and_size(self):
        REG_NONE, REG_BINARY, REG_QWORD = 0, 3, 11
        planted = {
            "VIEW_MODE": "ab",                                   # 3 bytes: absent
            "NUM_ROAMLETS": (REG_BINARY, bytes([7, 0, 0, 0])),   # 4 bytes of any type: 7
            "NUM_CHASERS": (REG_QWORD, bytes([5, 0, 0, 0, 0, 0, 0, 0])),  # 8 bytes: absent
            "DENSITY": "abc",                                    # 4 bytes: 0x00636261, shown in range
            "LINE_WIDTH": (REG_BINARY, bytes(range(250)) * 4),   # 1000 bytes: absent
            "STAR_SIZE": (REG_BINARY, bytes([3])),               # 1 byte: absent
            "STAR_SMOOTH": (REG_NONE, b""),                      # no data: absent
            "FOG_ENABLE": (REG_BINARY, bytes(4)),                # 4 bytes: 0
        }
        self.plant(planted)
        before = self.driver.reg_values(SETTINGS_KEY)
        self.assertEqual(before["LINE_WIDTH"], (REG_BINARY, None))

        program = self.start_saver("")
        dialog = self.wait_configuration_dialog(program)["hwnd"]
        shown = {name: self.driver.dialog_text(dialog, item) for name, item in
                 (("NUM_ROAMLETS", 1015), ("NUM_CHASERS", 1016), ("DENSITY", 1019), ("LINE_WIDTH", 1024),
                  ("STAR_SIZE", 1025))}
        self.assertEqual(shown, {"NUM_ROAMLETS": "7", "NUM_CHASERS": "25", "DENSITY": "30000", "LINE_WIDTH": "2",
                                 "STAR_SIZE": "2"})
        checks = [self.driver.dialog_checked(dialog, item) for item in (1012, 1013, 1014, 1026, 1027)]
        self.assertEqual(checks, [1, 0, 0, 0, 0], "view Chase, no star smoothing, no fog")
        self.driver.post(dialog, WM_CLOSE)
        self.assert_ends_with(program, 1)
        self.assertEqual(self.driver.reg_values(SETTINGS_KEY), before, "closing the dialog changed the key")

        saver_folder = sorted(os.listdir(self.prefix.drive_c("saver")))
        self.run_and_close_with_a_key()
        # The values it could read stay as they were; the others now hold what the run used.
        after = self.driver.reg_values(SETTINGS_KEY)
        self.assertEqual(after, {**before, **{name: ("dword", SETTINGS_DEFAULTS[name]) for name in
                                              ("VIEW_MODE", "NUM_CHASERS", "LINE_WIDTH", "STAR_SIZE", "STAR_SMOOTH")}})
        self.assertEqual(sorted(os.listdir(self.prefix.drive_c("saver"))), saver_folder, "the run left a file")

    def test_the_extremes_of_every_value_leave_a_run_answering_input(self):
        for name, extremes in (("largest", dict.fromkeys(SETTINGS_DEFAULTS, INT_MAX)),
                               ("densest stars, widest lines", {
                                   "VIEW_MODE": -1, "NUM_ROAMLETS": INT_MAX, "NUM_CHASERS": INT_MAX,
                                   "DENSITY": INT_MIN, "LINE_WIDTH": INT_MAX, "STAR_SIZE": INT_MIN,
                                   "STAR_SMOOTH": INT_MIN, "FOG_ENABLE": -1})):
            with self.subTest(settings=name):
                self.plant(extremes)
                before = self.driver.reg_values(SETTINGS_KEY)
                self.run_and_close_with_a_key()
                self.assertEqual(self.driver.reg_values(SETTINGS_KEY), before)

    def test_large_stars_in_the_densest_field_leave_a_run_answering_input(self):
        # The densest field, the largest star size its field takes (OpenGL draws
        # it at its largest point size) and smooth stars: all three can be
        # chosen in the configuration dialog.
        self.plant({"DENSITY": 1, "STAR_SIZE": 999999999, "STAR_SMOOTH": 1})
        self.run_and_close_with_a_key()

    def test_field_text_of_any_length_and_bytes(self):
        program = self.start_saver("")
        dialog = self.wait_configuration_dialog(program)["hwnd"]
        # Only the first nine characters of each field are read: a count that
        # is taken, one that is put back, and a size read on OK.
        self.driver.set_dialog_text(dialog, 1015, "000000012" + "3" * FIELD_CHARS)
        self.driver.set_dialog_text(dialog, 1016, "\x01\x7f\xe9" + "9" * FIELD_CHARS)
        self.driver.set_dialog_text(dialog, 1025, "-" + "9" * FIELD_CHARS)
        self.assertEqual(self.driver.dialog_text(dialog, 1016), "25")
        self.assertEqual(self.driver.click(dialog, IDOK), "OK")
        self.assert_ends_with(program, 1)
        self.assertEqual(self.stored_settings(), dict(SETTINGS_DEFAULTS, NUM_ROAMLETS=12, STAR_SIZE=-99999999 % 2**32))


class HostilePasswordModuleCases(PasswordSystemCases):
    """Windows 98 with the password on: the provider module missing from the
    system folder, one without the verify entry, and the password switch of
    other types than a number."""

    def replace_system_provider(self, source):
        """Puts `source` (None: nothing) where the provider belongs, until the case ends."""
        os.remove(self.prefix.drive_c("windows", "system32", "PASSWORD.CPL"))
        if source:
            self.prefix.install(source, "windows", "system32", "PASSWORD.CPL")
        self.addCleanup(self.prefix.install, config.current.password_provider, "windows", "system32",
                        "PASSWORD.CPL")

    def assert_closes_without_a_password(self):
        program, _, _ = self.start_full_screen()
        self.assertEqual(self.driver.saver_running(), 0, "the run took a provider")
        self.display.press_key("space")
        self.assert_closes(program, "a key without a provider")

    def copy_provider_to(self, path):
        shutil.copyfile(config.current.password_provider, path)
        self.addCleanup(os.remove, path)

    def test_a_provider_missing_from_the_system_folder_is_looked_for_nowhere_else(self):
        self.replace_system_provider(None)
        # Copies beside the saver (the class puts one there) and in its current
        # directory, which is the driver's: the folder of the prefix.
        in_current_directory = os.path.join(self.prefix.path, "PASSWORD.CPL")
        self.copy_provider_to(in_current_directory)
        self.assert_closes_without_a_password()
        self.assert_no_provider_beside_the_saver()
        self.assertFalse(os.path.exists(in_current_directory + ".log"),
                         "the provider in the current directory was loaded")

    def test_a_provider_without_the_verify_entry_gives_no_password(self):
        # The test MPR.DLL exports PwdChangePasswordA only; it logs that it was loaded.
        self.replace_system_provider(config.current.password_change)
        logged = len(self.provider_events())
        self.assert_closes_without_a_password()
        self.assertEqual([e["event"] for e in self.provider_events(logged)], ["attach"])

    def test_the_password_switch_is_read_as_four_raw_bytes_of_any_type(self):
        # The text "0" is the bytes 30 00: not zero, so the password is on.
        self.driver.reg_set_text(DESKTOP_KEY, "ScreenSaveUsePassword", "0")
        program, window, _ = self.start_full_screen()
        self.assertEqual(self.driver.saver_running(), 1)
        self.driver.post(window["hwnd"], WM_KEYDOWN, 0x41, 1)
        prompt = self.driver.wait_window("#32770", "Test Password", program.pid)
        self.assertIsNotNone(prompt, "no password prompt appeared")
        self.driver.click(prompt["hwnd"], IDYES)
        self.assert_ends_with(program, 0)

        # Longer than four bytes: read as no value, so no password.
        self.driver.reg_set_text(DESKTOP_KEY, "ScreenSaveUsePassword", "1111")
        self.assert_closes_without_a_password()
