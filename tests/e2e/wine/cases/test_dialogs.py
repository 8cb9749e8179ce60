"""The configuration dialog (2003) and the About dialog (2004) of a
configuration run: every control against its template, the fields against the
stored settings, the check-and-apply step of the count fields, what OK and
Cancel keep and the exit code, the About box and its link, and a change made
in the dialog reaching the next full-screen run."""

from e2e.harness import pictures
from e2e.harness.runs import wait_for
from e2e.wine import config
from e2e.wine.saver_cases import (APPEAR_S, BM_CLICK, DIALOG_CLASS, IDCANCEL, IDOK, SC_CLOSE, SETTINGS_DEFAULTS,
                                  SETTINGS_KEY, WM_CLOSE, WM_COMMAND, WM_SYSCOMMAND, WS_POPUP, WS_VISIBLE, SaverCases)

# Window and control styles.
WS_CHILD = 0x40000000
WS_DISABLED = 0x08000000
WS_CLIPSIBLINGS = 0x04000000
WS_CAPTION = 0x00C00000
WS_BORDER = 0x00800000
WS_SYSMENU = 0x00080000
WS_GROUP = 0x00020000
WS_TABSTOP = 0x00010000
DS_MODALFRAME = 0x80
DS_SETFONT = 0x40
DS_3DLOOK = 0x4
WS_EX_DLGMODALFRAME = 0x1
WS_EX_NOPARENTNOTIFY = 0x4
WS_EX_CLIENTEDGE = 0x200
BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_AUTOCHECKBOX, BS_GROUPBOX, BS_AUTORADIOBUTTON = 0x0, 0x1, 0x3, 0x7, 0x9
BS_TYPEMASK = 0xF
ES_LEFT, ES_RIGHT, ES_AUTOHSCROLL, ES_NUMBER = 0x0, 0x2, 0x80, 0x2000
SS_LEFT, SS_CENTER, SS_RIGHT, SS_NOTIFY = 0x0, 0x1, 0x2, 0x100
UDS_SETBUDDYINT, UDS_ALIGNRIGHT, UDS_AUTOBUDDY, UDS_ARROWKEYS, UDS_NOTHOUSANDS = 0x2, 0x4, 0x10, 0x20, 0x80
UDM_GETRANGE, UDM_GETPOS = 0x0466, 0x0468
WM_NEXTDLGCTL = 0x0028

UNNAMED = 0xFFFF  # id -1 as a control reports it
UPDOWN = "msctls_updown32"
COUNT_EDIT = WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL | ES_RIGHT
PLAIN_EDIT = WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL | ES_LEFT
SPIN = UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS
PUSH = BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP
DEFAULT_PUSH = BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP
DIALOG_STYLE = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
FONT = (8, "MS Sans Serif")

# The templates as the resource script writes them. Controls in template
# order: (id, class, text, style without CONTROL's WS_CHILD | WS_VISIBLE,
# rectangle in dialog units).
CONFIGURE = {
    "caption": "Roamlet OpenGL Screen Saver", "style": DIALOG_STYLE | WS_VISIBLE, "at": (28, 25), "size": (182, 156),
    "controls": [
        (1, "Button", "OK", DEFAULT_PUSH, (124, 135, 50, 14)),
        (UNNAMED, "Button", "View", BS_GROUPBOX, (10, 5, 161, 26)),
        (1012, "Button", "Chase", BS_AUTORADIOBUTTON, (23, 16, 41, 8)),
        (1013, "Button", "Rotate", BS_AUTORADIOBUTTON, (71, 16, 41, 8)),
        (1014, "Button", "Snapshot", BS_AUTORADIOBUTTON, (119, 16, 45, 8)),
        (1015, "Edit", "", COUNT_EDIT, (45, 40, 40, 12)),
        (1017, UPDOWN, "", SPIN, (85, 40, 9, 12)),
        (UNNAMED, "Static", "Roamlets", SS_RIGHT | WS_GROUP, (11, 41, 26, 11)),
        (1016, "Edit", "", COUNT_EDIT, (45, 61, 40, 12)),
        (1018, UPDOWN, "", SPIN, (85, 61, 9, 12)),
        (UNNAMED, "Static", "Chasers", SS_RIGHT | WS_GROUP, (10, 62, 26, 11)),
        (1019, "Edit", "", COUNT_EDIT, (45, 83, 40, 12)),
        (1020, UPDOWN, "", SPIN, (85, 83, 9, 12)),
        (UNNAMED, "Static", "Starfield Density", SS_RIGHT | WS_GROUP, (5, 84, 31, 16)),
        (2, "Button", "Cancel", PUSH, (68, 135, 50, 14)),
        (3, "Button", "About", PUSH, (10, 135, 50, 14)),
        (1024, "Edit", "", PLAIN_EDIT, (145, 40, 25, 12)),
        (1025, "Edit", "", PLAIN_EDIT, (145, 60, 25, 12)),
        (UNNAMED, "Static", "Line Width", SS_LEFT | WS_GROUP, (105, 40, 35, 8)),
        (UNNAMED, "Static", "Star Size", SS_LEFT | WS_GROUP, (110, 60, 30, 8)),
        (1026, "Button", "Star Smooth", BS_AUTOCHECKBOX | WS_TABSTOP, (115, 85, 55, 8)),
        (1027, "Button", "Enable Fog", BS_AUTOCHECKBOX | WS_TABSTOP, (115, 100, 55, 8)),
    ]}
ABOUT = {
    "caption": "About Roamlets", "style": DIALOG_STYLE, "at": (0, 0), "size": (157, 116),
    "controls": [
        (1, "Button", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, (54, 90, 50, 14)),
        (1020, "Static", "roamlets.example.org", SS_CENTER | SS_NOTIFY | WS_GROUP, (31, 65, 95, 8)),
        (1084, "Static", "The Roamlets Project", SS_CENTER | WS_GROUP, (28, 53, 100, 8)),
        (1085, "Static", "Version 1.3", SS_CENTER | WS_GROUP, (55, 25, 45, 8)),
        (UNNAMED, "Static", "Roamlets 3D OpenGL Screen Saver", SS_CENTER | WS_GROUP, (16, 13, 125, 10)),
    ]}

IDC_ABOUT, IDC_WEB_ADDRESS, IDC_MAKER = 3, 1020, 1084
RADIOS = (1012, 1013, 1014)
STAR_SMOOTH, FOG = 1026, 1027
FIELDS = {"NUM_ROAMLETS": 1015, "NUM_CHASERS": 1016, "DENSITY": 1019, "LINE_WIDTH": 1024, "STAR_SIZE": 1025}
SPINS = {1017: (1, 500), 1018: (1, 500), 1020: (1, 30000)}  # up-down id: range
SPIN_FIELDS = {1017: 1015, 1018: 1016, 1020: 1019}  # up-down id: its buddy

# What Wine's up-down (comctl32) does with UDS_ALIGNRIGHT | UDS_AUTOBUDDY,
# measured: it takes the control made just before it (the edit) as its buddy,
# makes itself its default width (16 px; the template's 9 DLU are not used),
# narrows the buddy by that width and puts itself at the buddy's new right
# edge, moved 2 px to the left so that it covers the buddy's client edge, with
# the buddy's top and height. The pair thus spans the edit's template
# rectangle less those 2 px at the right.
UPDOWN_WIDTH = 16
UPDOWN_OVERLAP = 2

ABOUT_ADDRESS = "https://roamlets.example.org/"
OPEN_COMMAND_KEY = r"HKLM\Software\Classes\https\shell\open\command"
BLUE = (0, 0, 255)


def is_dark(colour):
    return max(colour) < 80


def mul_div(value, numerator, denominator):
    """MulDiv for the positive values of templates: rounded to nearest, halves up."""
    return (value * numerator + denominator // 2) // denominator


def to_pixels(rect, units):
    (x, y, cx, cy), (bx, by) = rect, units
    return mul_div(x, bx, 4), mul_div(y, by, 8), mul_div(cx, bx, 4), mul_div(cy, by, 8)


def as_created(template, units, checked_radio=None):
    """The controls a template gives once the dialog is up: (id, class, text,
    style, ex-style, pixel rectangle in the dialog's client area), text None
    for edits (they show their setting). Beside the template's own bits, the
    dialog manager and the controls make these changes (Wine 8, as Windows):
    every control gets WS_CHILD | WS_VISIBLE (CONTROL) and, in a DIALOG
    template, WS_EX_NOPARENTNOTIFY; an edit turns WS_BORDER into
    WS_EX_CLIENTEDGE; of several BS_DEFPUSHBUTTONs only the last one made stays
    the default button, the dialog manager makes the others BS_PUSHBUTTON; a
    radio button has WS_TABSTOP exactly while it is checked; and up-downs
    place themselves beside their buddy (see UPDOWN_WIDTH)."""
    controls = template["controls"]
    default_buttons = [i for i, c in enumerate(controls)
                       if c[1] == "Button" and c[3] & BS_TYPEMASK == BS_DEFPUSHBUTTON]
    made = []
    for index, (item_id, class_name, text, style, rect) in enumerate(controls):
        style |= WS_CHILD | WS_VISIBLE
        exstyle = WS_EX_NOPARENTNOTIFY
        pixels = to_pixels(rect, units)
        if class_name == "Edit":
            text = None
            if style & WS_BORDER:
                style, exstyle = style & ~WS_BORDER, exstyle | WS_EX_CLIENTEDGE
        if index in default_buttons[:-1]:
            style = style & ~BS_TYPEMASK | BS_PUSHBUTTON
        if class_name == "Button" and style & BS_TYPEMASK == BS_AUTORADIOBUTTON:
            style = style | WS_TABSTOP if item_id == checked_radio else style & ~WS_TABSTOP
        if class_name == UPDOWN:
            x, y, cx, cy = made[-1][5]
            made[-1] = made[-1][:5] + ((x, y, cx - UPDOWN_WIDTH, cy),)
            pixels = (x + cx - UPDOWN_WIDTH - UPDOWN_OVERLAP, y, UPDOWN_WIDTH, cy)
        made.append((item_id, class_name.lower(), text, style, exstyle, pixels))
    return made


class DialogCases(SaverCases):
    """Helpers for configuration runs: each case starts from an empty settings key."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.units = cls.driver.dialog_units(*FONT)

    def setUp(self):
        self.driver.reg_delete(SETTINGS_KEY)

    def open_configuration(self, stored=None):
        """Plants `stored` settings, starts a configuration run: (program, dialog)."""
        for name, value in (stored or {}).items():
            self.driver.reg_set_dword(SETTINGS_KEY, name, value)
        program = self.start_saver("")
        return program, self.wait_configuration_dialog(program)

    def item(self, dialog, item_id):
        return next(i for i in self.driver.dialog_items(dialog) if i["id"] == item_id)

    def press(self, dialog, item_id, times=1):
        for _ in range(times):
            self.driver.click(dialog, item_id)

    def type_into(self, dialog, item_id, text):
        """Sets the field's text and returns what it shows once the dialog has handled it."""
        self.driver.set_dialog_text(dialog, item_id, text)
        return self.driver.dialog_text(dialog, item_id)

    def shown(self, dialog):
        """What the dialog shows of the eight settings."""
        seen = {name: self.driver.dialog_text(dialog, item_id) for name, item_id in FIELDS.items()}
        seen["VIEW"] = tuple(self.driver.dialog_checked(dialog, item_id) for item_id in RADIOS)
        seen["STAR_SMOOTH"] = self.driver.dialog_checked(dialog, STAR_SMOOTH)
        seen["FOG_ENABLE"] = self.driver.dialog_checked(dialog, FOG)
        return seen

    def assert_ok_stores(self, program, dialog, expected, enter_in=None):
        """OK (or Enter typed in the field `enter_in`) ends the run with 1 and stores `expected`."""
        if enter_in is None:
            self.assertEqual(self.driver.click(dialog, IDOK), "OK")
        else:
            self.assertTrue(self.driver.activate(dialog), "the dialog could not be brought to the front")
            # WM_NEXTDLGCTL with lParam 1 moves the focus to that control: Enter
            # then means the default button, not one that has the focus.
            self.driver.post(dialog, WM_NEXTDLGCTL, self.item(dialog, enter_in)["hwnd"], 1)
            self.responsive(dialog)
            self.display.press_key("Return")
        self.assert_ends_with(program, 1)
        self.assertEqual(self.stored_settings(), expected)

    def assert_layout(self, dialog, template, checked_radio=None, origin=(0, 0)):
        """Caption, style, place, size and every control of a dialog against its template."""
        self.assertEqual(dialog["title"], template["caption"])
        # Wine adds WS_CLIPSIBLINGS and DS_3DLOOK to every dialog; FONT sets DS_SETFONT.
        self.assertEqual(dialog["style"] & ~(WS_CLIPSIBLINGS | DS_3DLOOK), template["style"] | WS_VISIBLE | DS_SETFONT)
        self.assertTrue(dialog["exstyle"] & WS_EX_DLGMODALFRAME, "DS_MODALFRAME gave no modal frame")
        x, y, width, height = to_pixels((*template["at"], *template["size"]), self.units)
        self.assertEqual((dialog["client_x"], dialog["client_y"]), (origin[0] + x, origin[1] + y))
        # The client size shows the base units to be the dialog's own.
        self.assertEqual((dialog["client_width"], dialog["client_height"]), (width, height))
        items = self.driver.dialog_items(dialog["hwnd"])
        found = [(i["id"], i["class"].lower(), None if i["class"].lower() == "edit" else i["text"], i["style"],
                  i["exstyle"], (i["x"], i["y"], i["width"], i["height"])) for i in items]
        self.assertEqual(found, as_created(template, self.units, checked_radio))


class ConfigurationDialogCases(DialogCases):
    def test_layout_follows_the_template(self):
        program, dialog = self.open_configuration()
        self.assertEqual(dialog["owner"], 0)
        self.assert_layout(dialog, CONFIGURE, checked_radio=1012)
        self.shot(dialog, "configuration")
        self.assertEqual(self.driver.click(dialog["hwnd"], IDCANCEL), "Cancel")
        self.assert_ends_with(program, 1)

    def test_fields_show_the_stored_settings(self):
        planted = {"VIEW_MODE": 1, "NUM_ROAMLETS": 7, "NUM_CHASERS": 333, "DENSITY": 29999, "LINE_WIDTH": 5,
                   "STAR_SIZE": 0, "STAR_SMOOTH": 1, "FOG_ENABLE": 0}
        for name, stored, view in (("defaults", None, (1, 0, 0)), ("planted", planted, (0, 1, 0))):
            with self.subTest(settings=name):
                program, dialog = self.open_configuration(stored)
                values = stored or SETTINGS_DEFAULTS
                self.assertEqual(self.shown(dialog["hwnd"]), {
                    **{field: str(values[field]) for field in FIELDS}, "VIEW": view,
                    "STAR_SMOOTH": values["STAR_SMOOTH"], "FOG_ENABLE": values["FOG_ENABLE"]})
                self.assert_spinners(dialog["hwnd"], values)
                self.driver.post(dialog["hwnd"], WM_CLOSE)
                self.assert_ends_with(program, 1)

    def assert_spinners(self, dialog, values):
        """Each up-down holds its field's range, and its field's setting as position."""
        for spin, (lower, upper) in SPINS.items():
            hwnd = self.item(dialog, spin)["hwnd"]
            name = next(n for n, i in FIELDS.items() if i == SPIN_FIELDS[spin])
            self.assertEqual(self.driver.call("send", hwnd, UDM_GETRANGE, 0, 0)["result"], lower << 16 | upper)
            # UDM_GETPOS: the position, with a high word of 0 when the buddy's text is a number.
            self.assertEqual(self.driver.call("send", hwnd, UDM_GETPOS, 0, 0)["result"], values[name])

    def test_stored_values_out_of_range_are_brought_into_range(self):
        program, dialog = self.open_configuration(
            {"VIEW_MODE": 3, "NUM_ROAMLETS": 0, "NUM_CHASERS": 100000, "DENSITY": 0, "STAR_SMOOTH": 5})
        hwnd = dialog["hwnd"]
        shown = self.shown(hwnd)
        self.assertEqual((shown["NUM_ROAMLETS"], shown["NUM_CHASERS"], shown["DENSITY"]), ("1", "500", "1"))
        self.assertEqual(shown["VIEW"], (0, 0, 0), "a view mode of 3 checked a radio button")
        self.assertEqual(shown["STAR_SMOOTH"], 1)
        self.press(hwnd, STAR_SMOOTH)
        self.assert_ok_stores(program, hwnd, dict(SETTINGS_DEFAULTS, VIEW_MODE=3, NUM_ROAMLETS=1, NUM_CHASERS=500,
                                                  DENSITY=1, STAR_SMOOTH=0))

        program, dialog = self.open_configuration({"NUM_ROAMLETS": 100000, "NUM_CHASERS": 0, "DENSITY": 100000})
        shown = self.shown(dialog["hwnd"])
        self.assertEqual((shown["NUM_ROAMLETS"], shown["NUM_CHASERS"], shown["DENSITY"]), ("500", "1", "30000"))
        self.responsive(dialog["hwnd"])
        self.driver.post(dialog["hwnd"], WM_CLOSE)
        self.assert_ends_with(program, 1)

    def test_count_fields_refuse_values_out_of_range_at_once(self):
        program, dialog = self.open_configuration()
        hwnd = dialog["hwnd"]
        roamlets, chasers, density = FIELDS["NUM_ROAMLETS"], FIELDS["NUM_CHASERS"], FIELDS["DENSITY"]
        steps = [(roamlets, "", "10"), (roamlets, "6", "6"), (roamlets, "60", "60"), (roamlets, "600", "60"),
                 (density, "30001", "200"), (density, "30000", "30000"), (chasers, "abc", "25"),
                 (chasers, "-7", "25"), (chasers, " +7", " +7"),
                 # Only the first nine characters are read: 12.
                 (chasers, "0000000123", "0000000123")]
        for item_id, typed, expected in steps:
            with self.subTest(field=item_id, typed=typed):
                self.assertEqual(self.type_into(hwnd, item_id, typed), expected)
        self.responsive(hwnd)
        self.assert_ok_stores(program, hwnd, dict(SETTINGS_DEFAULTS, NUM_ROAMLETS=60, NUM_CHASERS=12, DENSITY=30000))

    def test_enter_means_ok_and_stores_all_eight_values(self):
        program, dialog = self.open_configuration({"STAR_SMOOTH": 1})
        hwnd = dialog["hwnd"]
        self.press(hwnd, 1014)
        self.assertEqual(self.shown(hwnd)["VIEW"], (0, 0, 1))
        self.press(hwnd, STAR_SMOOTH, times=2)
        self.press(hwnd, FOG)
        # Line width and star size are read on OK only, without any check.
        self.assertEqual(self.type_into(hwnd, FIELDS["LINE_WIDTH"], "0"), "0")
        self.assertEqual(self.type_into(hwnd, FIELDS["STAR_SIZE"], "100000"), "100000")
        self.type_into(hwnd, FIELDS["NUM_ROAMLETS"], "499")
        # Confirmed with Enter: OK is the dialog's one default button.
        self.assert_ok_stores(program, hwnd, {"VIEW_MODE": 2, "NUM_ROAMLETS": 499, "NUM_CHASERS": 25, "DENSITY": 200,
                                              "LINE_WIDTH": 0, "STAR_SIZE": 100000, "STAR_SMOOTH": 1,
                                              "FOG_ENABLE": 0}, enter_in=FIELDS["NUM_ROAMLETS"])

    def test_cancel_esc_and_the_close_box_store_nothing(self):
        planted = {"VIEW_MODE": 1, "NUM_ROAMLETS": 42}
        closes = [("Cancel", lambda hwnd: self.press(hwnd, IDCANCEL)),
                  ("Esc", lambda hwnd: self.driver.post(hwnd, WM_COMMAND, IDCANCEL, 0)),
                  ("WM_CLOSE", lambda hwnd: self.driver.post(hwnd, WM_CLOSE)),
                  ("SC_CLOSE", lambda hwnd: self.driver.post(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0))]
        for name, close in closes:
            with self.subTest(close=name):
                program, dialog = self.open_configuration(planted)
                hwnd = dialog["hwnd"]
                self.type_into(hwnd, FIELDS["NUM_ROAMLETS"], "7")
                self.type_into(hwnd, FIELDS["LINE_WIDTH"], "9")
                self.press(hwnd, 1014)
                self.press(hwnd, FOG)
                close(hwnd)
                self.assert_ends_with(program, 1)
                self.assertEqual(self.stored_settings(), planted)

    def test_a_change_reaches_the_next_full_screen_run(self):
        # Both runs in the Rotate view, which shows the whole scene from outside:
        # the Chase view looks along the first chaser, whose own trail can fill
        # the picture (lit pixels of the default scene varied 4-fold there).
        # The first run has ten times the default stars: a chaser's trail,
        # dimmed by the fog, counts as grey too (up to 879 pixels seen after
        # the change, against 3089 star pixels at the default density).
        self.driver.reg_set_dword(SETTINGS_KEY, "VIEW_MODE", 1)
        self.driver.reg_set_dword(SETTINGS_KEY, "DENSITY", 20)
        stars_before = self.star_pixels_of_a_full_screen_run("rotate-density-20")
        program, dialog = self.open_configuration()
        for name, text in (("NUM_ROAMLETS", "1"), ("NUM_CHASERS", "1"), ("DENSITY", "30000")):
            self.assertEqual(self.type_into(dialog["hwnd"], FIELDS[name], text), text)
        self.assert_ok_stores(program, dialog["hwnd"], dict(SETTINGS_DEFAULTS, VIEW_MODE=1, NUM_ROAMLETS=1,
                                                            NUM_CHASERS=1, DENSITY=30000))
        stars_after = self.star_pixels_of_a_full_screen_run("rotate-one-roamlet-one-chaser")
        self.assertLess(stars_after * 4, stars_before,
                        f"{stars_after} star pixels with 1 roamlet, 1 chaser and density 30000; "
                        f"{stars_before} at density 20 before")

    def star_pixels_of_a_full_screen_run(self, name):
        """The grey pixels (stars; trails are coloured) in two pictures of a
        full-screen run a moment apart. Counted alone, since a trail that
        passes near the eye can light as many pixels as the whole star field."""
        program, window, _ = self.start_full_screen()
        pair = self.wait_animating()
        self.save_shot(pair[0], f"full-screen-{name}")
        self.driver.post(window["hwnd"], WM_CLOSE)
        self.assert_ends_with(program, 0)
        return sum(pictures.count(p, pictures.is_grey) for p in pair)


class AboutDialogCases(DialogCases):
    """The About box, with open-recorder.exe registered as the https "open"
    command. Wine 8's HKEY_CLASSES_ROOT is HKLM\\Software\\Classes alone (a
    command under HKCU\\Software\\Classes is not consulted: measured), and its
    ShellExecuteA runs <protocol>\\shell\\<verb>\\command for an address."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.recorder = cls.prefix.install(config.current.open_recorder, "tools", "open-recorder.exe")
        cls.driver.reg_set_text(OPEN_COMMAND_KEY, "", f'"{cls.recorder}" "%1"')

    def opened(self):
        return self.prefix.module_log("open-recorder.exe", folder=("tools",))

    def open_about(self, configuration):
        """Presses About (posted: the press returns only when the box closes); the About box."""
        self.driver.post(self.item(configuration["hwnd"], IDC_ABOUT)["hwnd"], BM_CLICK)
        about = self.driver.wait_window(DIALOG_CLASS, ABOUT["caption"], configuration["pid"])
        self.assertIsNotNone(about, "no About box appeared")
        self.responsive(about["hwnd"])
        return about

    def assert_closed_leaving_configuration(self, program, about, configuration):
        wait_for(lambda: not self.driver.window(about["hwnd"])["exists"], APPEAR_S, what="the About box to close")
        self.responsive(configuration["hwnd"])
        again = self.driver.window(configuration["hwnd"])
        self.assertEqual((again["visible"], again["style"] & WS_DISABLED), (1, 0))
        self.assert_keeps_running(program)

    def test_about_box_layout_owner_and_closing(self):
        program, configuration = self.open_configuration()
        about = self.open_about(configuration)
        self.assertEqual(about["owner"], configuration["hwnd"])
        self.assertTrue(self.driver.window(configuration["hwnd"])["style"] & WS_DISABLED,
                        "the configuration dialog takes input while the About box is open")
        self.assert_layout(about, ABOUT, origin=(configuration["client_x"], configuration["client_y"]))
        self.assert_link_drawn_blue(about)

        self.assertEqual(self.driver.click(about["hwnd"], IDOK), "OK")
        self.assert_closed_leaving_configuration(program, about, configuration)
        for name, message, wparam in (("Esc", WM_COMMAND, IDCANCEL), ("close box", WM_CLOSE, 0)):
            with self.subTest(close=name):
                about = self.open_about(configuration)
                self.driver.post(about["hwnd"], message, wparam, 0)
                self.assert_closed_leaving_configuration(program, about, configuration)
        self.assertEqual(self.driver.click(configuration["hwnd"], IDOK), "OK")
        self.assert_ends_with(program, 1)

    def assert_link_drawn_blue(self, about):
        """The link in pure blue on the dialog's face colour, the maker's name in
        black, in a picture of the About box (saved as a test artifact)."""
        link, maker = self.item(about["hwnd"], IDC_WEB_ADDRESS), self.item(about["hwnd"], IDC_MAKER)

        def part(picture, item):
            return picture.crop(about["client_x"] - about["x"] + item["x"],
                                about["client_y"] - about["y"] + item["y"], item["width"], item["height"])

        def both_drawn(picture):
            return part(picture, link).colour_counts()[BLUE] > 20 and pictures.count(part(picture, maker), is_dark) > 20

        picture = self.shot(about, "about", both_drawn)
        face = picture.colour_counts().most_common(1)[0][0]
        link_colours, maker_colours = part(picture, link).colour_counts(), part(picture, maker).colour_counts()
        self.assertEqual(link_colours.most_common(1)[0][0], face, "the link's background is not the face colour")
        self.assertGreater(link_colours[BLUE], 20, f"the link has {link_colours[BLUE]} pure blue pixels")
        self.assertEqual(maker_colours[BLUE], 0, "the maker's name is blue too")
        self.assertGreater(pictures.count(part(picture, maker), is_dark), 20, "the maker's name is not dark")

    def test_a_click_on_the_link_opens_the_address_and_leaves_the_box_open(self):
        program, configuration = self.open_configuration()
        about = self.open_about(configuration)
        before = len(self.opened())

        def click_on(item_id):
            item = self.item(about["hwnd"], item_id)
            self.display.move_pointer(about["client_x"] + item["x"] + item["width"] // 2,
                                      about["client_y"] + item["y"] + item["height"] // 2)
            self.display.click(1)

        click_on(IDC_MAKER)  # a label without SS_NOTIFY opens nothing
        self.assert_keeps_running(program)
        self.assertEqual(self.opened()[before:], [])
        click_on(IDC_WEB_ADDRESS)
        wait_for(lambda: self.opened()[before:], APPEAR_S, what="the shell to open the address")
        self.assert_keeps_running(program)
        self.assertEqual([(e["command"], e["show"]) for e in self.opened()[before:]],
                         [(f'"{self.recorder}" "{ABOUT_ADDRESS}"', "1")])  # SW_SHOWNORMAL
        self.assertTrue(self.driver.window(about["hwnd"])["visible"], "the About box closed")
        self.driver.post(about["hwnd"], WM_CLOSE)
        self.assert_closed_leaving_configuration(program, about, configuration)
        self.driver.post(configuration["hwnd"], WM_CLOSE)
        self.assert_ends_with(program, 1)
