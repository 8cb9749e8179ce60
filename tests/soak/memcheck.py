"""Reading what valgrind's memcheck found (its XML output, protocol 4), and
keeping the suppression file narrow."""

import re
import xml.etree.ElementTree as ElementTree
from collections import namedtuple

Frame = namedtuple("Frame", "fn obj file line")
Error = namedtuple("Error", "kind what bytes frames suppression")
Report = namedtuple("Report", "finished errors suppressed")

LEAK_KINDS = ("Leak_DefinitelyLost", "Leak_IndirectlyLost")


def read_report(path):
    """The errors valgrind did not suppress and the suppressions it used ({name: count}).
    A file that valgrind did not finish (the run was killed) reads as not finished."""
    try:
        root = ElementTree.parse(path).getroot()
    except (ElementTree.ParseError, OSError):
        return Report(False, [], {})
    errors = []
    for error in root.iter("error"):
        what = error.findtext("what") or error.findtext("xwhat/text") or ""
        frames = [Frame(frame.findtext("fn") or "", frame.findtext("obj") or "", frame.findtext("file") or "",
                        frame.findtext("line") or "")
                  for frame in error.findall("stack/frame")]
        errors.append(Error(error.findtext("kind") or "", what, int(error.findtext("xwhat/leakedbytes") or 0),
                            frames, error.findtext("suppression/rawtext") or ""))
    suppressed = {pair.findtext("name"): int(pair.findtext("count") or 0)
                  for pair in root.findall("suppcounts/pair")}
    states = [status.findtext("state") for status in root.findall("status")]
    return Report("FINISHED" in states, errors, suppressed)


def is_ours(frame, program, source_dir):
    """A frame of our own program: in its binary, or built from a file under the source folder."""
    return frame.obj == program or (frame.file and frame.file.startswith(source_dir.rstrip("/") + "/")) \
        or frame.fn.startswith("roamlets::")


def describe(error, program, source_dir, frames=8):
    """An error as a few lines: what, and the top of its stack with our frames marked."""
    lines = [f"{error.kind}: {error.what}"]
    for frame in error.frames[:frames]:
        where = f"{frame.file}:{frame.line}" if frame.file else frame.obj
        mark = "*" if is_ours(frame, program, source_dir) else " "
        lines.append(f"  {mark} {frame.fn or '???'} ({where})")
    return "\n".join(lines)


# Frame lines of a suppression that could match our own code: one naming it,
# or a bare wildcard, which matches any frame (ours too).
_NAMES_OURS = re.compile(r"roamlets", re.I)
_BARE_WILDCARD = re.compile(r"^(\.\.\.|(fun|obj|src):\*)$")


def _suppressions(supp_path):
    """(name, [frame lines]) for each suppression of the file."""
    with open(supp_path) as supp:
        lines = [line.strip() for line in supp if line.strip() and not line.lstrip().startswith("#")]
    found, current = [], None
    for line in lines:
        if line == "{":
            current = []
        elif line == "}" and current is not None:
            name, body = (current[0], current[2:]) if len(current) >= 2 else ("?", [])
            found.append((name, [frame for frame in body if not frame.startswith("match-leak-kinds:")]))
            current = None
        elif current is not None:
            current.append(line)
    return found


def suppression_problems(supp_path):
    """What makes the file unsafe to use: frames that could hide a report from our own code."""
    problems = []
    for name, frames in _suppressions(supp_path):
        if not frames:
            problems.append(f"{name}: no frames")
        for frame in frames:
            if _NAMES_OURS.search(frame):
                problems.append(f"{name}: names our own code ({frame})")
            elif _BARE_WILDCARD.match(frame):
                problems.append(f"{name}: a bare wildcard frame ({frame}) matches our code too")
    return problems
