"""Full-screen runs (/s): the window, the scene, the hidden cursor, and the
rules by which real and posted input end the run."""

from e2e.harness.display import HEIGHT, WIDTH
from e2e.harness.runs import wait_for
from e2e.wine import quirks
from e2e.wine.saver_cases import (APPEAR_S, CLOSE_MS, ORIGIN, QUIET_MS, SAVER_CLASS, SCENE_TITLE, SETTINGS_KEY,
                                  WM_KEYDOWN, WM_LBUTTONDOWN, WM_MOUSEMOVE, WS_CHILD, WS_EX_TOPMOST, WS_POPUP,
                                  WS_VISIBLE, SaverCases)


class FullScreenCases(SaverCases):
    def test_window_scene_and_hidden_cursor(self):
        self.display.move_pointer(*ORIGIN)
        self.assertFalse(self.display.cursor_is_invisible(), "the cursor is not visible before the run")
        program, window, scene = self.start_full_screen()

        self.assertEqual((window["x"], window["y"], window["width"], window["height"]), (0, 0, WIDTH, HEIGHT))
        self.assertEqual(window["style"] & (WS_POPUP | WS_VISIBLE | WS_CHILD), WS_POPUP | WS_VISIBLE)
        self.assertTrue(window["exstyle"] & WS_EX_TOPMOST, "the saver window is not topmost")
        self.assertEqual(window["owner"], 0)
        self.assertEqual(scene["title"], SCENE_TITLE)
        self.assertEqual(scene["parent"], window["hwnd"])
        self.assertEqual(scene["style"] & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE)
        self.assertEqual((scene["x"], scene["y"], scene["width"], scene["height"]),
                         (0, 0, window["client_width"], window["client_height"]))

        first, second = self.wait_animating()
        self.save_shot(first, "scene-1")
        self.save_shot(second, "scene-2")
        # The off-screen window sits at (-1, -1): the grab loses its first row and column.
        self.assertEqual((first.width, first.height), (WIDTH - 1, HEIGHT - 1))
        self.save_shot(self.wait_whole_scene(), "scene-whole")

        wait_for(self.display.cursor_is_invisible, APPEAR_S, what="the cursor to disappear")
        self.assert_keeps_running(program)
        self.assertTrue(self.display.cursor_is_invisible(), "the cursor came back while the saver runs")

    def test_keys_close(self):
        for key in ("space", "shift", "a"):
            with self.subTest(key=key):
                program, _, _ = self.start_full_screen()
                self.display.press_key(key)
                self.assert_closes(program, f"key {key}")

    def test_input_closes_without_waiting_for_frames_at_the_heaviest_settings(self):
        # A frame takes seconds here in software OpenGL; the one in flight is given up, so the close
        # gets no allowance for frames.
        heaviest = {"NUM_ROAMLETS": 500, "NUM_CHASERS": 500, "DENSITY": 1, "STAR_SIZE": 0x7FFFFFFF,
                    "STAR_SMOOTH": 1, "LINE_WIDTH": 0x7FFFFFFF}
        self.addCleanup(self.driver.reg_delete, SETTINGS_KEY)
        for name, value in heaviest.items():
            self.driver.reg_set_dword(SETTINGS_KEY, name, value)
        for what, act in (("key a", lambda: self.display.press_key("a")),
                          ("button 1", lambda: self.display.click(1)),
                          ("a movement of (3, 2)", lambda: self.display.move_pointer(ORIGIN[0] + 3, ORIGIN[1] + 2))):
            with self.subTest(what):
                program, _, _ = self.start_full_screen()
                self.wait_first_frame()
                act()
                self.assert_closes(program, what)

    def test_mouse_buttons_close(self):
        for button in (1, 2, 3):
            with self.subTest(button=button):
                program, _, _ = self.start_full_screen()
                self.display.click(button)
                self.assert_closes(program, f"button {button}")

    def test_movements_of_four_pixels_or_less_do_not_close(self):
        program, _, scene = self.start_full_screen()
        for dx, dy in ((2, 2), (4, 0), (0, -4), (-1, 3)):
            self.display.move_pointer(ORIGIN[0] + dx, ORIGIN[1] + dy)
            self.assert_keeps_running(program)
        self.assertTrue(self.driver.window(scene["hwnd"])["exists"])
        self.display.move_pointer(ORIGIN[0] + 3, ORIGIN[1] + 2)
        self.assert_closes(program, "a movement of (3, 2)")

    def test_small_movements_are_measured_from_where_the_run_began(self):
        program, _, _ = self.start_full_screen()
        self.display.move_pointer(ORIGIN[0] + 2, ORIGIN[1])
        self.display.move_pointer(ORIGIN[0] + 4, ORIGIN[1])
        self.assert_keeps_running(program)
        self.display.move_pointer(ORIGIN[0] + 6, ORIGIN[1])
        self.assert_closes(program, "the third step of 2 pixels")

    def test_first_large_movement_over_the_scene_ends_the_whole_saver(self):
        program, window, scene = self.start_full_screen()
        self.display.move_pointer(ORIGIN[0] + 40, ORIGIN[1] + 30)
        code = self.driver.wait(program, CLOSE_MS)
        if code is None:
            left = self.driver.window(window["hwnd"])["exists"], self.driver.window(scene["hwnd"])["exists"]
            self.fail(f"the saver kept running after one large movement (saver window, scene window exist: {left})")
        self.assertEqual(code, 0)

    def test_posted_input_to_the_saver_window_closes(self):
        program, window, _ = self.start_full_screen()
        self.driver.post(window["hwnd"], WM_KEYDOWN, 0x41, 1)
        self.assert_closes(program, "a posted WM_KEYDOWN")

        program, window, _ = self.start_full_screen()
        self.driver.post(window["hwnd"], WM_LBUTTONDOWN, 1, 0)
        self.assert_closes(program, "a posted WM_LBUTTONDOWN")

        # A cursor move is a real mouse movement over the window below it, so
        # the posted movement is checked with the pointer on a small window of
        # the driver lying over the saver: the saver sees no movement of its
        # own, only the posted message.
        program, window, overlay = self.run_with_pointer_on_overlay()
        self.driver.post(window["hwnd"], WM_MOUSEMOVE, 0, 0)
        self.assert_closes(program, "a posted WM_MOUSEMOVE far from the origin")
        self.driver.destroy(overlay)

    def run_with_pointer_on_overlay(self):
        """A run whose pointer has gone far from where it began, onto an overlay
        window of the driver, without the run ending: (program, window, overlay)."""
        def attempt():
            program, window, _ = self.start_full_screen()
            overlay = self.driver.make_window(100, 100, 1100, 850, overlay=True)
            title = self.driver.window(overlay)["title"]
            # The overlay is put back on top until it has stayed there a while.
            if not quirks.hold(lambda: self.display.is_mapped_above(title, "Screen Saver")
                               and self.driver.call("window-at", 1150, 900)["hwnd"] == overlay,
                               settle_s=1.5, timeout_s=10, mend=lambda: self.driver.raise_window(overlay)):
                self.driver.destroy(overlay)
                self.driver.end_all()
                return quirks.TOPMOST_LOST
            self.display.move_pointer(ORIGIN[0] + 4, ORIGIN[1])
            self.driver.post(window["hwnd"], WM_MOUSEMOVE, 0, 0)  # its own coordinates, (0, 0), do not count
            self.assert_keeps_running(program)
            self.display.move_pointer(1150, 900)
            if self.driver.still_running_after(program, QUIET_MS):
                return program, window, overlay
            self.driver.destroy(overlay)
            return quirks.POINTER_ENTRY
        return quirks.set_up(attempt)

    def test_second_run_returns_at_once_and_leaves_the_first_in_front(self):
        first, window, _ = self.start_full_screen()
        second = self.start_saver("/s")
        self.assert_ends_with(second, 0)
        self.assert_keeps_running(first)
        self.assertEqual(len(self.driver.windows(SAVER_CLASS, "Screen Saver")), 1)
        self.assertEqual(self.driver.foreground()["hwnd"], window["hwnd"])

    def test_losing_activation_closes(self):
        program, window, _ = self.start_full_screen()
        other = self.driver.make_window(200, 150)
        self.driver.activate(other)
        self.assert_closes(program, "activating another window")
        self.driver.destroy(other)
