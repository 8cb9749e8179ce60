"""A window of its own (no placement option, or --window): the animated scene
at the asked size, the keys and the window manager's close that end it, and a
resize that the scene follows."""

import signal

from e2e.harness import pictures
from e2e.x11.session import CLOSE_S, RoamletsCases


def grey_in_quarters(picture):
    """How many grey (star) pixels each quarter of the picture holds."""
    w, h = picture.width // 2, picture.height // 2
    return [pictures.count(picture.crop(x, y, w, h), pictures.is_grey) for y in (0, h) for x in (0, w)]


class OwnWindowCases(RoamletsCases):
    def test_scene_animates_at_the_asked_size_and_escape_closes(self):
        program = self.start("--size", "640x360")
        window = self.wait_own_window(program)
        info = self.window_info(window)
        self.assertEqual((info["width"], info["height"]), (640, 360))
        self.assertFalse(info["override_redirect"], "a window of its own is left to the window manager")
        self.animating(window, program)
        self.assert_shows_scene(window, "scene")
        # No window manager: keys go to the window under the pointer.
        self.display.move_pointer(info["x"] + 100, info["y"] + 100)
        self.display.press_key("Escape")
        self.assert_ends_with(program, 0, CLOSE_S, "Escape")
        self.assertEqual(self.config_files(), [], "a run without --save-settings wrote a file")

    def test_default_size_and_q_closes(self):
        program = self.start("-window")
        window = self.wait_own_window(program)
        info = self.window_info(window)
        self.assertEqual((info["width"], info["height"]), (1280, 720))
        self.display.move_pointer(info["x"] + 100, info["y"] + 100)
        self.display.press_key("space")
        self.assert_keeps_running(program, "space")
        self.display.press_key("q")
        self.assert_ends_with(program, 0, CLOSE_S, "q")

    def test_window_manager_close_ends_it(self):
        program = self.start("--size", "320x200")
        window = self.wait_own_window(program)
        self.session.connection.ask_to_close(int(window))
        self.assert_ends_with(program, 0, CLOSE_S, "the window manager's close")

    def test_scene_follows_a_resize(self):
        program = self.start("--size", "640x360")
        window = self.wait_own_window(program)
        self.animating(window, program)
        for width, height in ((960, 720), (400, 300)):
            with self.subTest(size=f"{width}x{height}"):
                self.display.run("xdotool", "windowsize", window, str(width), str(height))
                picture = self.wait_for_picture(
                    window, lambda p: ((p.width, p.height) == (width, height) and min(grey_in_quarters(p)) >= 20
                                       and not pictures.missing_from_scene(p)),
                    f"the whole scene, with stars in every quarter, in the window at {width}x{height}")
                self.save_shot(picture, f"{width}x{height}")
        self.assert_ends_on_signal(program, signal.SIGTERM)
