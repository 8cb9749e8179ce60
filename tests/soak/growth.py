"""The rule by which a long run passes: nothing grows past its first minute.

Each series (one value sampled every few seconds) is judged from its
minute-1 value, the first sample taken at or after 60 s:
  - its maximum from then on may exceed the minute-1 value by a small slack
    at most (a step up that stays, or growth late in the run, fails), and
  - its least-squares slope over the samples from minute 1 to the end,
    per minute, must stay below a small limit (slow, steady growth that
    the slack would hide fails).
The first minute is left out: caches, the JIT, driver state and the star
field's display list fill up then."""

import csv
from collections import namedtuple

BASELINE_S = 60.0
MIB = 1 << 20

# How a kind of series is judged: slack(baseline) -> the allowed rise, slope_limit per minute.
Limits = namedtuple("Limits", "slack slope_limit")

# Memory in bytes: 4 MiB or 2 % of the minute-1 value, whichever is more, and
# 256 KiB a minute (a leak of 150 bytes a frame at 30 frames a second).
MEMORY = Limits(lambda baseline: max(4 * MIB, baseline // 50), MIB / 4)
# Counts of objects, windows and handles: two more, and one more every four minutes.
COUNT = Limits(lambda baseline: 2, 0.25)

Verdict = namedtuple("Verdict", "first baseline last peak slope passed reason")


def slope_per_minute(times_s, values):
    """The least-squares slope of values over times, per minute; 0 for fewer than two distinct times."""
    n = len(times_s)
    if n < 2:
        return 0.0
    mean_t = sum(times_s) / n
    mean_v = sum(values) / n
    spread = sum((t - mean_t) ** 2 for t in times_s)
    if spread == 0:
        return 0.0
    return 60.0 * sum((t - mean_t) * (v - mean_v) for t, v in zip(times_s, values)) / spread


def judge(times_s, values, limits, baseline_s=BASELINE_S):
    """The verdict on one series sampled at times_s (seconds from the start)."""
    if not values:
        return Verdict(None, None, None, None, 0.0, False, "no samples")
    start = next((i for i, t in enumerate(times_s) if t >= baseline_s), None)
    if start is None or len(values) - start < 3:
        return Verdict(values[0], None, values[-1], None, 0.0, False,
                       f"fewer than 3 samples from {baseline_s:.0f} s on: run longer")
    baseline = values[start]
    peak = max(values[start:])
    slope = slope_per_minute(times_s[start:], values[start:])
    reasons = []
    if peak > baseline + limits.slack(baseline):
        reasons.append(f"rose {peak - baseline} over its minute-1 value (slack {limits.slack(baseline)})")
    if slope > limits.slope_limit:
        reasons.append(f"grows {slope:.4g} a minute (limit {limits.slope_limit:.4g})")
    return Verdict(values[0], baseline, values[-1], peak, slope, not reasons, "; ".join(reasons))


def write_csv(path, names, rows):
    """rows: (seconds, {name: value}) in time order; one column per name."""
    with open(path, "w", newline="") as out:
        writer = csv.writer(out)
        writer.writerow(["seconds", *names])
        for seconds, values in rows:
            writer.writerow([f"{seconds:.1f}", *(values[name] for name in names)])


def table(header, lines):
    """A plain text table with columns as wide as their widest cell."""
    cells = [list(header)] + [[str(cell) for cell in line] for line in lines]
    widths = [max(len(row[i]) for row in cells) for i in range(len(header))]
    rendered = ["  ".join(cell.ljust(width) for cell, width in zip(row, widths)).rstrip() for row in cells]
    rendered.insert(1, "  ".join("-" * width for width in widths))
    return "\n".join(rendered)
