#!/usr/bin/env python3
"""Which part may include which: the project's folders against the rules that
docs/ARCHITECTURE.md gives. Fails on every include that breaks one, so a
model file that reaches for OpenGL or a portable saver file that reaches for
windows.h is caught where it is written."""
import re
import sys
from pathlib import Path

# The project folders each folder's files may include from.
MAY_INCLUDE = {
    "scene": {"scene", "settings"},
    "settings": {"settings"},
    "render": {"render", "scene", "settings"},
    "cli": {"cli", "settings"},
    "saver": {"saver", "render", "scene", "settings", "resources"},
    "win32": {"win32", "saver", "render", "scene", "settings", "resources"},
    "x11": {"x11", "saver", "render", "scene", "settings", "cli"},
    "tools": {"tools", "cli", "render", "scene", "settings"},
    "bench": {"render", "scene", "settings"},
}

# System headers that belong to one platform, and the files that may use them:
# the Windows adapters (named win32_*), the X adapters (named x11_*), and
# OpenGL for the renderer and the adapters that make its context.
WINDOWS = re.compile(r"^(windows|commctrl|shellapi)\.h$")
X11 = re.compile(r"^(X11/|GL/glx\.h$)")
OPENGL = re.compile(r"^GL/")

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def faults(root: Path):
    # The performance report's probes are X programs of their own.
    probes = root / "tools" / "perf"
    for folder, allowed in MAY_INCLUDE.items():
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp", ".c") or probes in path.parents:
                continue
            name = path.name
            for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                kind, header = match.groups()
                where = f"{path.relative_to(root)}:{number}: {header}"
                if kind == '"':
                    part = header.split("/", 1)[0]
                    if part not in allowed:
                        yield f"{where}: {folder}/ may not include from {part}/"
                elif WINDOWS.match(header) and not (name.startswith("win32_") or name == "gl.h"):
                    yield f"{where}: only win32_* files (and render/gl.h) use Windows headers"
                elif X11.match(header) and not name.startswith("x11_"):
                    yield f"{where}: only x11_* files use X headers"
                elif OPENGL.match(header) and folder not in ("render", "win32", "x11"):
                    yield f"{where}: OpenGL belongs to the renderer and the programs' contexts"


def main():
    root = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parents[2]
    found = list(faults(root))
    for fault in found:
        print(fault)
    if not found:
        print(f"{root}: every include follows the layout's rules")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
