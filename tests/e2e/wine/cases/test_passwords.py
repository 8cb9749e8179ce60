"""Password hooks on Windows 98 (Wine's Version = win98): the provider asked
on a close request, a refused prompt, the 200 ms guard after a prompt, the
system's saver-running flag, runs without a password, and the password change."""

import time

from e2e.harness.runs import wait_for
from e2e.wine import config
from e2e.wine.saver_cases import (APPEAR_S, DESKTOP_KEY, IDNO, IDYES, SAVER_CLASS, SCENE_CLASS, WM_CLOSE,
                                  PasswordSystemCases, SaverCases, WINE_KEY)

PROMPT = "Test Password"
SYSTEM_PROVIDER = r"C:\windows\system32\PASSWORD.CPL"


class PasswordCases(PasswordSystemCases):
    def setUp(self):
        self.driver.reg_set_dword(DESKTOP_KEY, "ScreenSaveUsePassword", 1)

    def wait_prompt(self, program):
        prompt = self.driver.wait_window("#32770", PROMPT, program.pid)
        self.assertIsNotNone(prompt, "no password prompt appeared")
        return prompt

    def test_refused_prompt_keeps_the_saver_running_and_yes_ends_it(self):
        self.assertEqual(self.driver.saver_running(), 0)
        logged = len(self.provider_events())
        program, window, scene = self.start_full_screen()

        attached = self.provider_events(logged, "attach")
        self.assertEqual([entry["library"] for entry in attached], [SYSTEM_PROVIDER])
        self.assert_no_provider_beside_the_saver()
        self.assertEqual(self.driver.saver_running(), 1,
                         "SPI_SCREENSAVERRUNNING is not set while the provider is loaded")

        self.display.press_key("space")
        prompt = self.wait_prompt(program)
        self.assertEqual(prompt["owner"], window["hwnd"])
        calls = self.provider_events(logged, "verify")
        self.assertEqual([(c["hwnd"], c["class"], c["title"]) for c in calls],
                         [(str(window["hwnd"]), SAVER_CLASS, "Screen Saver")])

        # No, and a close request right behind it: refused without asking again.
        self.driver.click(prompt["hwnd"], IDNO, close_after=window["hwnd"])
        self.assertIsNone(self.driver.wait_window("#32770", PROMPT, program.pid, timeout_ms=700),
                          "a close request within 200 ms of the refused prompt asked again")
        self.assertEqual(len(self.provider_events(logged, "verify")), 1)
        self.assertEqual([a["verdict"] for a in self.provider_events(logged, "answer")], ["0"])
        self.assert_keeps_running(program)
        self.assertTrue(self.driver.window(scene["hwnd"])["exists"], "the scene window was destroyed")
        self.assertEqual([c["hwnd"] for c in self.driver.children(window["hwnd"]) if c["class"] == SCENE_CLASS],
                         [scene["hwnd"]])
        self.wait_animating()

        # Later requests ask again; Yes ends the run.
        time.sleep(0.25)
        self.driver.post(window["hwnd"], WM_CLOSE)
        prompt = self.wait_prompt(program)
        self.assertEqual(len(self.provider_events(logged, "verify")), 2)
        self.driver.click(prompt["hwnd"], IDYES)
        self.assert_ends_with(program, 0)
        self.assertEqual(self.driver.saver_running(), 0, "SPI_SCREENSAVERRUNNING stays set after the run")
        self.assertEqual(len(self.provider_events(logged, "detach")), 1)

    def test_without_a_password_every_close_is_granted_at_once(self):
        self.driver.reg_set_dword(DESKTOP_KEY, "ScreenSaveUsePassword", 0)
        logged = len(self.provider_events())
        program, _, _ = self.start_full_screen()
        self.assertEqual(self.driver.saver_running(), 0)
        self.display.press_key("space")
        self.assert_closes(program, "a key with the password off")
        self.assertEqual(self.provider_events(logged), [], "the provider was loaded")

    def test_a_preview_never_loads_the_provider(self):
        logged = len(self.provider_events())
        parent = self.driver.make_window(160, 120)
        program = self.start_saver(f"/p {parent}")
        wait_for(lambda: [c for c in self.driver.children(parent) if c["class"] == SCENE_CLASS], APPEAR_S,
                 what="the preview's scene window")
        self.driver.destroy(parent)
        self.assert_ends_with(program, 0)
        self.assertEqual(self.provider_events(logged), [])


class PasswordChangeCases(SaverCases):
    """/a on Windows 98 with the test MPR.DLL standing in for the system's (loaded
    as a native library only by the driver started for these cases)."""

    LOG = "mpr.dll"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.prefix.install(config.current.password_change, "windows", "system32", "mpr.dll")
        cls.prefix.install(config.current.password_change, "saver", "mpr.dll")
        cls.driver.reg_set_text(WINE_KEY, "Version", "win98")
        cls.native_mpr = cls.prefix.start_driver({"WINEDLLOVERRIDES": "mscoree,mshtml=;mpr=n"})

    def changes(self, since):
        return [e for e in self.prefix.module_log(self.LOG)[since:] if e["event"] == "change"]

    def test_change_password_calls_the_system_library_with_the_owner(self):
        owner = self.native_mpr.make_window(200, 120, 100, 100)
        front = self.native_mpr.make_window(200, 120, 500, 100)
        for tail, expected in ((f"/a {owner}", owner), (f"-A   {owner}", owner), ("/a 12345", front),
                               ("/a", front), (f"/a:{owner}", front)):
            with self.subTest(tail=tail):
                self.native_mpr.activate(front)
                logged = len(self.prefix.module_log(self.LOG))
                program = self.native_mpr.start(f'"{self.saver}" {tail}')
                self.assertEqual(self.native_mpr.wait(program, 10000), 0)
                calls = self.changes(logged)
                self.assertEqual([(c["provider"], c["owner"], c["reserved"], c["reserved_pointer"]) for c in calls],
                                 [("SCRSAVE", str(expected), "0", "0")])
        attached = [e["library"].lower() for e in self.prefix.module_log(self.LOG) if e["event"] == "attach"]
        self.assertTrue(attached)
        self.assertEqual(set(attached), {r"c:\windows\system32\mpr.dll"})
        self.assertEqual(self.prefix.module_log(self.LOG, folder=("saver",)), [],
                         "the MPR.DLL beside the saver was loaded instead of the system's")
