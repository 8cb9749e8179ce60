#!/usr/bin/env python3
"""Checks roamlets' settings panel for xscreensaver-settings against the program.

Reports a problem when the panel
 - is not the GL hack roamlets labelled Roamlets with a description, run
   with --root;
 - offers an option that is no setting option, leaves one out or offers one
   twice, or gives a setting another range or default than the
   configuration dialog (the counts' and the density's ranges are read from
   RANGES_HEADER, the one place that defines them);
 - puts an argument on the command line (each control's, with its low,
   default and high value for a number) that the program, run with it and
   --save-settings, does not store as the control's value, with every other
   setting at its default.
Counts and density one past either end must be refused: the panel's range is
the program's.

Usage: xscreensaver_xml_check.py ROAMLETS_PROGRAM XML_FILE RANGES_HEADER
Exit status 1 when there is a problem.
"""

import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
from pathlib import Path

DEFAULTS = {"VIEW_MODE": 0, "NUM_ROAMLETS": 10, "NUM_CHASERS": 25, "DENSITY": 200,
            "LINE_WIDTH": 2, "STAR_SIZE": 2, "STAR_SMOOTH": 0, "FOG_ENABLE": 1}
RANGES = ("kMinCount", "kMaxCount", "kMinDensity", "kMaxDensity")
BOOLEANS = {"--star-smooth": "STAR_SMOOTH", "--fog": "FOG_ENABLE"}
MODES = {"chase": 0, "rotate": 1, "snapshot": 2}  # option id -> VIEW_MODE


def number_options(ranges):
    """option -> (setting, low, high, whether the program refuses values outside).
    The dialog gives line width and star size no range; the panel offers 1..100
    for the line width and 1..64, the largest star drawn, for the star size."""
    count = (ranges["kMinCount"], ranges["kMaxCount"])
    density = (ranges["kMinDensity"], ranges["kMaxDensity"])
    return {"--roamlets": ("NUM_ROAMLETS", *count, True), "--chasers": ("NUM_CHASERS", *count, True),
            "--density": ("DENSITY", *density, True), "--line-width": ("LINE_WIDTH", 1, 100, False),
            "--star-size": ("STAR_SIZE", 1, 64, False)}


def header_constants(header):
    """The 32-bit integer constants a header defines: {name: value}."""
    return {name: int(value) for name, value in
            re.findall(r"constexpr\s+std::int32_t\s+(k\w+)\s*=\s*(-?\d+)\s*;", Path(header).read_text())}


def store(program, args):
    """Runs PROGRAM ARGS --save-settings with an empty settings folder and no
    display: (exit status, the stored settings or None)."""
    with tempfile.TemporaryDirectory() as config:
        env = {name: value for name, value in os.environ.items()
               if name not in ("DISPLAY", "XSCREENSAVER_WINDOW")}
        status = subprocess.run([program, *args, "--save-settings"], capture_output=True, timeout=30,
                                env={**env, "XDG_CONFIG_HOME": config}).returncode
        path = Path(config, "Vantorix", "ScreenSavers", "Roamlets.conf")
        if not path.is_file():
            return status, None
        return status, {name: int(value) for name, _, value in
                        (line.partition("=") for line in path.read_text().splitlines()
                         if line and not line.startswith("#"))}


def controls(root, numbers):
    """The panel's controls: (option name, element, [(arguments, setting changes)])."""
    found = []
    for element in root.iter():
        if element.tag == "number":
            name = (element.get("arg", "").split() or ["?"])[0]
            setting = numbers.get(name, ("?",))[0]
            runs = [(element.get("arg").replace("%", element.get(end, "")).split(),
                     {setting: int(element.get(end, 0))}) for end in ("low", "default", "high")]
            found.append((name, element, runs))
        elif element.tag == "boolean":
            args = {value: element.get(attribute, "").split()
                    for attribute, value in (("arg-set", 1), ("arg-unset", 0)) if element.get(attribute)}
            name = next(iter(args.values()), ["?"])[0]
            found.append((name, element, [(arg, {BOOLEANS.get(name, "?"): value})
                                          for value, arg in args.items()]))
        elif element.tag == "select":
            runs = [(option.get("arg-set", "").split(), {"VIEW_MODE": MODES.get(option.get("id"), -1)})
                    for option in element.iter("option")]
            names = {args[0] for args, _ in runs if args}
            found.append((" ".join(sorted(names)), element, runs))
    return found


def check_panel(root, numbers):
    options = {"--mode", *numbers, *BOOLEANS}
    problems = []
    if (root.tag, root.get("name"), root.get("_label"), root.get("gl")) != \
            ("screensaver", "roamlets", "Roamlets", "yes"):
        problems.append("the root is not <screensaver name=roamlets _label=Roamlets gl=yes>")
    if [command.get("arg") for command in root.iter("command")] != ["--root"]:
        problems.append("the command is not --root")
    if not (root.findtext("_description") or "").strip():
        problems.append("has no description")
    found = controls(root, numbers)
    ids = [element.get("id") for _, element, _ in found]
    if None in ids or len(set(ids)) != len(ids):
        problems.append(f"control ids missing or repeated: {ids}")
    names = [name for name, _, _ in found]
    problems += [f"offers {name}, which is no setting option" for name in names if name not in options]
    problems += [f"offers {name} {names.count(name)} times" for name in options if names.count(name) != 1]
    for name, element, runs in found:
        if name in numbers:
            setting, low, high, _ = numbers[name]
            got = tuple(element.get(key) for key in ("type", "low", "high", "default"))
            if got[0] not in ("slider", "spinbutton") or got[1:] != (str(low), str(high),
                                                                      str(DEFAULTS[setting])):
                problems.append(f"{name} is {got}, not a number {low}..{high} default {DEFAULTS[setting]}")
        elif name in BOOLEANS:
            if len(runs) != 1 or runs[0][1][BOOLEANS[name]] == DEFAULTS[BOOLEANS[name]]:
                problems.append(f"{name} needs one argument, the one that changes its default")
        elif name == "--mode":
            defaults = [option.get("id") for option in element.iter("option") if not option.get("arg-set")]
            if sorted(option.get("id") for option in element.iter("option")) != sorted(MODES) \
                    or defaults != ["chase"]:
                problems.append("the mode is not chase (no argument), rotate and snapshot")
    return problems


def check_runs(program, root, numbers):
    commands = [(command.get("arg", "").split(), {}) for command in root.iter("command")]
    problems = []
    for name, _, runs in [("", None, commands)] + controls(root, numbers):
        for args, changes in runs:
            status, stored = store(program, args)
            if (status, stored) != (0, {**DEFAULTS, **changes}):
                problems.append(f"{' '.join(args) or 'no argument'}: exit {status}, stored {stored}, "
                                f"not {changes} over the defaults")
        if name in numbers and numbers[name][3]:
            for value in (numbers[name][1] - 1, numbers[name][2] + 1):
                if store(program, [name, str(value)]) != (2, None):
                    problems.append(f"{name} {value} is not refused")
    return problems


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    program, panel, header = argv
    ranges = header_constants(header)
    missing = [name for name in RANGES if name not in ranges]
    if missing:
        print(f"{header}: defines no {', '.join(missing)}")
        return 1
    numbers = number_options(ranges)
    root = ElementTree.parse(panel).getroot()
    problems = check_panel(root, numbers) + check_runs(program, root, numbers)
    for problem in problems:
        print(f"{panel}: {problem}")
    if not problems:
        print(f"{panel}: every setting once, with the dialog's range and default, and stored as set")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
