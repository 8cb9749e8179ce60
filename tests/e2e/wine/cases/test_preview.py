"""Preview runs (/p <hwnd>) inside a window of the driver: the preview window
and its scene, input that must not end it, what it hands on to its parent,
and its end when the parent goes."""

from e2e.harness.runs import wait_for
from e2e.wine.saver_cases import (APPEAR_S, SAVER_CLASS, SCENE_CLASS, WM_CONTEXTMENU, WM_KEYDOWN, WM_LBUTTONDOWN,
                                  WM_MOUSEMOVE, WS_CHILD, WS_POPUP, WS_VISIBLE, SaverCases)

PARENT_AT = (100, 100)
PARENT_SIZE = (320, 240)


class PreviewCases(SaverCases):
    def start_preview(self):
        """A parent window and a preview running in it, once the preview takes messages."""
        parent = self.driver.make_window(*PARENT_SIZE, *PARENT_AT)
        program = self.start_saver(f"/p {parent}")

        def windows():
            previews = [c for c in self.driver.children(parent) if c["class"] == SAVER_CLASS]
            scenes = [c for c in self.driver.children(parent) if c["class"] == SCENE_CLASS]
            return (previews[0], scenes[0]) if previews and scenes and previews[0]["visible"] else None
        preview, scene = wait_for(windows, APPEAR_S, what="the preview and its scene window")
        self.responsive(preview["hwnd"])
        # Read again once the program's thread has answered: a snapshot taken
        # while it was still showing the window can mix states.
        return program, parent, self.driver.window(preview["hwnd"]), self.driver.window(scene["hwnd"])

    def end_preview(self, program, parent):
        self.driver.destroy(parent)
        self.assert_ends_with(program, 0)

    def test_preview_fills_its_parent_and_animates(self):
        program, parent, preview, scene = self.start_preview()
        outer = self.driver.window(parent)
        self.assertEqual(preview["title"], "Preview")
        self.assertEqual(preview["parent"], parent)
        self.assertEqual(preview["style"] & (WS_CHILD | WS_VISIBLE | WS_POPUP), WS_CHILD | WS_VISIBLE)
        self.assertEqual((preview["x"], preview["y"], preview["width"], preview["height"]),
                         (outer["client_x"], outer["client_y"], *PARENT_SIZE))
        self.assertEqual(scene["parent"], preview["hwnd"])
        self.assertEqual((scene["x"], scene["y"], scene["width"], scene["height"]),
                         (outer["client_x"], outer["client_y"], *PARENT_SIZE))
        first, second = self.wait_animating()
        self.save_shot(first, "preview")
        self.assertEqual((first.width, first.height), (PARENT_SIZE[0] - 1, PARENT_SIZE[1] - 1))
        self.assertEqual(self.driver.windows(SAVER_CLASS, "Screen Saver"), [], "a full-screen window appeared")
        self.end_preview(program, parent)

    def test_input_does_not_end_a_preview(self):
        program, parent, preview, scene = self.start_preview()
        for target in (preview["hwnd"], scene["hwnd"]):
            self.driver.post(target, WM_KEYDOWN, 0x41, 1)
            self.driver.post(target, WM_LBUTTONDOWN, 1, 0)
            self.driver.post(target, WM_MOUSEMOVE, 0, 0)
        self.assert_keeps_running(program)

        inside = (PARENT_AT[0] + 60, PARENT_AT[1] + 80)
        self.driver.activate(parent)
        self.display.move_pointer(*inside)
        self.display.move_pointer(inside[0] + 100, inside[1] + 50)
        self.display.click(1)
        self.display.click(3)
        self.display.press_key("space")
        self.assert_keeps_running(program)
        self.assertTrue(self.driver.window(scene["hwnd"])["exists"], "the scene window was destroyed")
        self.end_preview(program, parent)

    def test_context_menu_is_handed_to_the_parent(self):
        program, parent, preview, _ = self.start_preview()
        at = (150 << 16) | 70  # x 70, y 150
        self.driver.post(preview["hwnd"], WM_CONTEXTMENU, preview["hwnd"], at)
        handed = wait_for(lambda: [m for m in self.driver.messages(parent) if m["message"] == WM_CONTEXTMENU], APPEAR_S,
                          what="WM_CONTEXTMENU at the parent")
        self.assertEqual([(m["wparam"], m["lparam"]) for m in handed], [(parent, at)])
        self.assert_keeps_running(program)
        self.end_preview(program, parent)
