"""The settings a run leaves in the registry: all eight values after a first
run, and values changed while a run goes on left as they were changed."""

from e2e.harness.runs import wait_for
from e2e.wine.saver_cases import APPEAR_S, SAVER_CLASS, SETTINGS_DEFAULTS as DEFAULTS, SETTINGS_KEY, WM_CLOSE, SaverCases


class SettingsCases(SaverCases):
    def test_first_full_screen_run_stores_the_eight_defaults(self):
        self.driver.reg_delete(SETTINGS_KEY)
        self.assertIsNone(self.stored_settings())
        program = self.start_saver("/s")
        window, _ = self.wait_saver_window(program.pid)
        self.driver.post(window["hwnd"], WM_CLOSE)
        self.assert_ends_with(program, 0)
        self.assertEqual(self.driver.reg_values(SETTINGS_KEY), {name: ("dword", value)
                                                               for name, value in DEFAULTS.items()})

    def test_values_changed_during_a_preview_survive_its_end(self):
        self.driver.reg_delete(SETTINGS_KEY)
        parent = self.driver.make_window(200, 150)
        program = self.start_saver(f"/p {parent}")
        wait_for(lambda: [c for c in self.driver.children(parent) if c["class"] == SAVER_CLASS], APPEAR_S,
                 what="the preview")
        self.driver.reg_set_dword(SETTINGS_KEY, "NUM_ROAMLETS", 77)
        self.driver.reg_set_dword(SETTINGS_KEY, "DENSITY", 123)
        self.driver.destroy(parent)
        self.assert_ends_with(program, 0)
        self.assertEqual(self.stored_settings(), dict(DEFAULTS, NUM_ROAMLETS=77, DENSITY=123))
