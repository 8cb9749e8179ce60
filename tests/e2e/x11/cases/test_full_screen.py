"""Full-screen runs (--fullscreen): the window over the whole screen, the
hidden cursor, and the close rules for real input: a key, a mouse button, or
a pointer movement of more than 4 pixels summed over both axes, measured from
where the pointer was when the window appeared."""

from e2e.harness.display import HEIGHT, WIDTH
from e2e.x11.session import APPEAR_S, CLOSE_S, RoamletsCases, lit, wait_for

# Where the pointer rests when a run starts.
ORIGIN = (640, 512)


class FullScreenCases(RoamletsCases):
    def start_full_screen(self, *args):
        """A run with the pointer placed at ORIGIN beforehand; returns once the window is up and the run
        has hidden the cursor, which it does right after noting where the pointer is."""
        self.display.move_pointer(*ORIGIN)
        self.assertFalse(self.display.cursor_is_invisible(), "the cursor is not visible before the run")
        program = self.start("--fullscreen", *args)
        window = self.wait_own_window(program)
        wait_for(self.display.cursor_is_invisible, APPEAR_S, what="the cursor to disappear")
        return program, window

    def move_by(self, dx, dy):
        self.display.move_pointer(ORIGIN[0] + dx, ORIGIN[1] + dy)

    def assert_movement_closes(self, program, dx, dy, what):
        # Not move_pointer: its look at where the pointer went can fail while the window goes away.
        self.display.run("xdotool", "mousemove", str(ORIGIN[0] + dx), str(ORIGIN[1] + dy))
        self.assert_ends_with(program, 0, CLOSE_S, what)

    def test_covers_the_screen_with_the_scene_and_hides_the_cursor(self):
        program, window = self.start_full_screen()
        self.assertEqual(self.window_info(window),
                         {"x": 0, "y": 0, "width": WIDTH, "height": HEIGHT, "override_redirect": True})
        self.animating(window, program)
        self.assert_shows_scene(window, "scene")
        self.assert_keeps_running(program, "the start")
        self.assertTrue(self.display.cursor_is_invisible(), "the cursor came back while the run goes on")
        self.display.press_key("space")
        self.assert_ends_with(program, 0, CLOSE_S, "the key space")

    def test_keys_close(self):
        for key in ("a", "shift"):
            with self.subTest(key=key):
                program, _ = self.start_full_screen()
                self.display.press_key(key)
                self.assert_ends_with(program, 0, CLOSE_S, f"the key {key}")

    def test_input_closes_without_waiting_for_frames_at_the_heaviest_settings(self):
        # A frame takes seconds here in software OpenGL; the one in flight is given up, so the close
        # gets no allowance for frames.
        heaviest = ("--roamlets", "500", "--chasers", "500", "--density", "1", "--star-size", "2147483647",
                    "--star-smooth", "on", "--line-width", "2147483647")
        for what, act in (("the key a", lambda: self.display.press_key("a")),
                          ("mouse button 1", lambda: self.display.click(1)),
                          ("a movement of (3, 2)", lambda: self.display.run("xdotool", "mousemove",
                                                                            str(ORIGIN[0] + 3), str(ORIGIN[1] + 2)))):
            with self.subTest(what):
                program, window = self.start_full_screen(*heaviest)
                self.wait_for_picture(window, lit, "the first frame")
                act()
                self.assert_ends_with(program, 0, CLOSE_S, what)

    def test_mouse_buttons_close(self):
        for button in (1, 2, 3):
            with self.subTest(button=button):
                program, _ = self.start_full_screen()
                self.display.click(button)
                self.assert_ends_with(program, 0, CLOSE_S, f"mouse button {button}")

    def test_movements_of_four_pixels_or_less_do_not_close(self):
        program, _ = self.start_full_screen()
        for dx, dy in ((2, 2), (4, 0), (0, -4), (-1, 3)):
            self.move_by(dx, dy)
            self.assert_keeps_running(program, f"a movement of ({dx}, {dy})")
        self.assert_movement_closes(program, 3, 2, "a movement of (3, 2)")

    def test_movements_are_measured_from_where_the_run_began(self):
        program, _ = self.start_full_screen()
        self.move_by(2, 0)
        self.move_by(4, 0)
        self.assert_keeps_running(program, "two steps of 2 pixels")
        self.assert_movement_closes(program, 6, 0, "the third step of 2 pixels")
