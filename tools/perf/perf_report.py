#!/usr/bin/env python3
"""Measures every figure of docs/PERFORMANCE.md in one run and prints them as Markdown.

    PYTHONPATH=tests python3 tools/perf/perf_report.py
        [--build build/native] [--scr build/win64/win32/Roamlets.scr]
        [--work build/perf/report] [--only GROUP,...] [--quick] [--output FILE]

(from the top folder; the tests folder holds the end-to-end runs' virtual display).

Groups, in the order they run:
  tick     the simulation tick (scene_bench)
  frame    whole frames in Mesa's software renderer at 1920 x 1080 (render_bench)
  startup  from the start of the process to its first presented frame, on a
           1920 x 1080 virtual display: roamlets, and Roamlets.scr under Wine
  memory   the peak resident set of roamlets at the default and largest settings
  cpu      the CPU share of a running saver over a fixed time, roamlets and a
           few OpenGL hacks of xscreensaver-gl one after another
  profile  instructions per frame of roamlets under callgrind, with parts of the
           scene left out, of clear_probe (built here from clear_probe.c: a
           frame that only clears the root window), and instructions to the
           first frame of roamlets: counts that do not depend on what else
           the machine runs

Everything runs on an Xvfb of its own (1920x1080x24), with an empty settings
folder (so the built-in defaults apply unless options say otherwise) and a
Mesa shader cache of its own under the work folder. Frames are counted by
swap_counter.so (built here from swap_counter.c and loaded with LD_PRELOAD),
which stamps every glXSwapBuffers and eglSwapBuffers call; under Wine, whose
OpenGL driver does not call those through the program's symbols, by the wgl
trace line of each wglSwapBuffers. The Markdown goes to standard output (and
to --output); progress, to standard error. --quick shortens every
measurement for a dry run; its figures are not for the report.
"""

import argparse
import json
import os
import platform
import re
import shlex
import signal
import statistics
import struct
import subprocess
import sys
import threading
import time

from e2e.harness.display import Display  # the e2e runs' virtual display

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
HERE = os.path.dirname(os.path.abspath(__file__))

WIDTH, HEIGHT = 1920, 1080
SEED = "12345"
GROUPS = ("tick", "frame", "startup", "memory", "cpu", "profile")

# The largest settings the settings panel offers: both counts and the star
# field at their limits, and the widest lines and largest stars.
LARGEST = ["--roamlets", "500", "--chasers", "500", "--density", "1", "--line-width", "100", "--star-size", "100"]

# OpenGL hacks of xscreensaver-gl, with the frame delay their manual pages
# give as the default (microseconds slept after each frame).
HACK_DELAYS_US = {"gears": 30000, "glschool": 20000, "hextrail": 30000, "pipes": 10000}
HACK_FOLDER = "/usr/libexec/xscreensaver"
# roamlets draws on a 33 ms timer.
ROAMLETS_PERIOD_US = 33000

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver64"

CLOCK_TICK = os.sysconf("SC_CLK_TCK")


def log(text):
    print(text, file=sys.stderr, flush=True)


def rel(path):
    """A path as the reader of the report types it: relative to the repository when inside it."""
    path = os.path.abspath(path)
    return os.path.relpath(path, ROOT) if path.startswith(ROOT + os.sep) else path


def quote(words):
    return " ".join(shlex.quote(w) for w in words)


def table(header, rows):
    """A Markdown table's lines: the header's cells, then a line of cells for each row."""
    def line(cells):
        return "|" + "|".join(f" {cell} " if cell else " " for cell in cells) + "|"
    return [line(header), "|" + "---|" * len(header)] + [line(row) for row in rows]


def median_text(values, unit, digits):
    """'median (min–max, n runs)'."""
    if not values:
        return "no value"
    fmt = f"{{:.{digits}f}}"
    middle = fmt.format(statistics.median(values))
    if len(values) == 1:
        return f"{middle} {unit} (1 run)"
    return f"{middle} {unit} ({fmt.format(min(values))}–{fmt.format(max(values))}, {len(values)} runs)"


# The machine.

def read_text(path):
    with open(path) as f:
        return f.read()


def load_average():
    return " ".join(read_text("/proc/loadavg").split()[:3])


def machine_busy_ticks():
    """Clock ticks all cores have spent busy since boot (user, nice, system, irq, softirq, steal)."""
    fields = [int(v) for v in read_text("/proc/stat").splitlines()[0].split()[1:]]
    user, nice, system, _idle, _iowait, irq, softirq, steal = fields[:8]
    return user + nice + system + irq + softirq + steal


def first_line(command):
    try:
        text = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                              timeout=30).stdout
    except (OSError, subprocess.TimeoutExpired):
        return None
    return text.strip().splitlines()[0] if text.strip() else None


def cmake_cache(build, name):
    try:
        found = re.search(rf"^{name}:[A-Z]+=(.*)$", read_text(os.path.join(build, "CMakeCache.txt")), re.M)
    except OSError:
        return None
    return found.group(1) if found else None


def process_times():
    """{(pid, name): utime + stime in clock ticks} of every process."""
    found = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            stat = read_text(f"/proc/{pid}/stat")
        except OSError:
            continue
        fields = stat[stat.rindex(")") + 2:].split()
        found[(pid, stat[stat.index("(") + 1:stat.rindex(")")])] = int(fields[11]) + int(fields[12])
    return found


def busiest_processes(seconds=2.0, count=5):
    """The processes busiest over the next `seconds`, as 'name (cores)': what else the machine runs."""
    before = process_times()
    time.sleep(seconds)
    after = process_times()
    shares = sorted(((ticks - before.get(key, ticks)) / CLOCK_TICK / seconds, key[1]) for key, ticks in after.items())
    shares.reverse()
    return ", ".join(f"{name} ({share:.2f})" for share, name in shares[:count] if share >= 0.05) or "none"


class Machine:
    """What the figures were measured on."""

    def __init__(self, build):
        self.build = build
        self.load_start = load_average()
        self.busy_start = machine_busy_ticks()
        self.wall_start = time.monotonic()
        self.busy_at_start = busiest_processes()
        self.load_end = None
        self.busy_cores = None
        self.glx = {}
        self.osmesa = None

    def finish(self):
        self.load_end = load_average()
        self.busy_cores = (machine_busy_ticks() - self.busy_start) / CLOCK_TICK / (time.monotonic() - self.wall_start)

    def markdown(self):
        cpu = re.search(r"^model name\s*:\s*(.*)$", read_text("/proc/cpuinfo"), re.M)
        flags = re.search(r"^flags\s*:\s*(.*)$", read_text("/proc/cpuinfo"), re.M)
        memory = int(re.search(r"^MemTotal:\s*(\d+)", read_text("/proc/meminfo"), re.M).group(1))
        os_name = re.search(r'^PRETTY_NAME="?(.*?)"?$', read_text("/etc/os-release"), re.M)
        compiler = cmake_cache(self.build, "CMAKE_CXX_COMPILER")
        rows = [
            ("CPU", (cpu.group(1) if cpu else "unknown")
             + (" (virtual machine)" if flags and " hypervisor" in flags.group(1) else "")),
            ("Cores", str(os.cpu_count())),
            ("Memory", f"{memory / 1024 / 1024:.1f} GiB"),
            ("System", f"{os_name.group(1) if os_name else 'unknown'}, kernel {platform.release()}"),
            ("OpenGL on the X display", self.glx.get("renderer", "not measured")
             + (f", {self.glx['version']}" if "version" in self.glx else "")),
            ("OpenGL off screen (OSMesa)", self.osmesa or "not measured"),
            ("X server", "Xvfb " + (first_line(["dpkg-query", "-W", "-f=${Version}", "xvfb"]) or "(version unknown)")),
            ("Wine", first_line([WINE, "--version"]) or "not installed"),
            ("Valgrind", first_line(["valgrind", "--version"]) or "not installed"),
            ("xscreensaver-gl", first_line(["dpkg-query", "-W", "-f=${Version}", "xscreensaver-gl"])
             or "not installed"),
            ("Build", f"{rel(self.build)}, {cmake_cache(self.build, 'CMAKE_BUILD_TYPE') or 'unknown type'}, "
             f"{(first_line([compiler, '--version']) if compiler else None) or 'unknown compiler'}"),
            ("Load average (1, 5, 15 min)", f"{self.load_start} at the start, {self.load_end} at the end"),
            ("Cores busy during the run", f"{self.busy_cores:.2f} of {os.cpu_count()} on average, this run included"),
            ("Busiest processes at the start", self.busy_at_start + " (cores, over 2 s)"),
        ]
        return "\n".join(table(["Machine", ""], rows))


# Processes on the display.

def stop(process, grace=10):
    """Ends a process this run started, by its PID: SIGTERM, then SIGKILL."""
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(grace)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def process_ticks(pid):
    """utime + stime + cutime + cstime of a process, in clock ticks."""
    stat = read_text(f"/proc/{pid}/stat")
    fields = stat[stat.rindex(")") + 2:].split()
    return sum(int(v) for v in fields[11:15])


def peak_rss_mib(pid):
    found = re.search(r"^VmHWM:\s*(\d+) kB", read_text(f"/proc/{pid}/status"), re.M)
    return int(found.group(1)) / 1024 if found else None


def callgrind_costs(path):
    """Instructions executed in each object file (self cost, not inclusive) of a callgrind profile."""
    names, costs = {}, {}
    current = "?"
    skip_next = False

    def name(text):
        # Names are compressed: "(id) name" the first time, "(id)" after.
        found = re.match(r"\((\d+)\)(?: (.*))?$", text)
        if not found:
            return text
        if found.group(2) is not None:
            names[found.group(1)] = found.group(2)
        return names.get(found.group(1), "?")

    with open(path) as f:
        for line in f:
            if skip_next:  # the inclusive cost of a call, counted where it was spent
                skip_next = False
            elif line.startswith("ob="):
                current = name(line[3:].strip())
            elif line.startswith("cob="):
                name(line[4:].strip())
            elif line.startswith("calls="):
                skip_next = True
            elif line[:1].isdigit() or line[:1] in "+-*":
                fields = line.split()
                if len(fields) >= 2:
                    costs[current] = costs.get(current, 0) + int(fields[1])
    return costs


class SwapFile:
    """The record swap_counter.so keeps of a program's swaps."""

    def __init__(self, path):
        self.path = path
        with open(path, "wb") as f:
            f.write(bytes(24))

    def read(self):
        """(swaps, first swap, latest swap), the times in CLOCK_MONOTONIC nanoseconds (0: none yet)."""
        with open(self.path, "rb") as f:
            return struct.unpack("<Qqq", f.read(24))


class TraceCounter:
    """Counts the wglSwapBuffers trace lines a Wine program writes, from a thread of its own that
    also keeps the pipe drained."""

    def __init__(self, stream, log_path):
        self.swaps, self.first_ns, self.last_ns = 0, 0, 0
        self._lock = threading.Lock()
        self._thread = threading.Thread(target=self._read, args=(stream, log_path), daemon=True)
        self._thread.start()

    def _read(self, stream, log_path):
        with open(log_path, "wb") as out:
            for line in stream:
                if b"wglSwapBuffers" in line:
                    now = time.monotonic_ns()
                    with self._lock:
                        self.swaps += 1
                        self.first_ns = self.first_ns or now
                        self.last_ns = now
                else:
                    out.write(line)

    def read(self):
        with self._lock:
            return self.swaps, self.first_ns, self.last_ns

    def join(self):
        self._thread.join(10)


class Run:
    """One program on the display with its frames counted; its output goes to <work>/<name>.log."""

    def __init__(self, session, name, argv, wine=False):
        self.log_path = os.path.join(session.work, f"{name}.log")
        env = dict(os.environ, DISPLAY=session.display.name, XDG_CONFIG_HOME=session.config_home,
                   MESA_SHADER_CACHE_DIR=session.shader_cache)
        if wine:
            env.update(session.wine_env, WINEDEBUG="-all,trace+wgl")
            self.started_ns = time.monotonic_ns()
            self.process = subprocess.Popen([WINE] + argv, env=env, stdout=subprocess.DEVNULL,
                                            stderr=subprocess.PIPE)
            self.frames = TraceCounter(self.process.stderr, self.log_path)
        else:
            self.frames = SwapFile(os.path.join(session.work, f"{name}.swaps"))
            env.update(LD_PRELOAD=session.swap_counter, ROAMLETS_PERF_SWAPS=self.frames.path)
            with open(self.log_path, "wb") as out:
                self.started_ns = time.monotonic_ns()
                self.process = subprocess.Popen(argv, env=env, stdout=out, stderr=subprocess.STDOUT)

    def wait_frames(self, count, timeout):
        """True once `count` frames were presented; False when the program ended or the time ran out."""
        deadline = time.monotonic() + timeout
        while self.frames.read()[0] < count:
            if self.process.poll() is not None or time.monotonic() > deadline:
                return False
            time.sleep(0.005)
        return True

    def first_frame_ms(self):
        first = self.frames.read()[1]
        return (first - self.started_ns) / 1e6 if first else None

    def stop(self):
        stop(self.process)
        if isinstance(self.frames, TraceCounter):
            self.frames.join()


class Session:
    def __init__(self, args, machine):
        self.args, self.machine = args, machine
        self.build = os.path.abspath(args.build)
        self.work = os.path.abspath(args.work)
        os.makedirs(self.work, exist_ok=True)
        self.config_home = os.path.join(self.work, "config")  # stays empty: the built-in defaults
        os.makedirs(self.config_home, exist_ok=True)
        self.shader_cache = os.path.join(self.work, "mesa-shader-cache")
        self.wine_prefix = os.path.join(self.work, "wine-prefix")
        self.wine_env = {"WINEPREFIX": self.wine_prefix, "WINELOADER": WINE, "WINESERVER": WINESERVER,
                         "WINEDLLOVERRIDES": "mscoree,mshtml=", "WINEDEBUG": "-all"}
        self.roamlets = os.path.join(self.build, "x11", "roamlets")
        self.swap_counter = os.path.join(self.work, "swap_counter.so")
        self.clear_probe = os.path.join(self.work, "clear_probe")
        self.display = None
        self.sections = []

    def program(self, path):
        if not os.access(path, os.X_OK):
            raise RuntimeError(f"no program at {path}: build the native preset first (scripts/perf-report.sh does)")
        return path

    def only(self, group):
        return f"`PYTHONPATH=tests python3 tools/perf/perf_report.py --only {group}`"


    def add_section(self, title, text, lines):
        """A section of the report: its heading, what was measured and how, then its lines."""
        self.sections.append("\n".join([f"### {title}", "", text, ""] + lines))
    def build_helpers(self):
        """swap_counter.so, and clear_probe for the profile."""
        flags = ["cc", "-O2", "-std=gnu11", "-Wall", "-Wextra", "-Werror"]
        subprocess.run(flags + ["-shared", "-fPIC", "-o", self.swap_counter, os.path.join(HERE, "swap_counter.c"),
                                "-ldl"], check=True)
        subprocess.run(flags + ["-o", self.clear_probe, os.path.join(HERE, "clear_probe.c"), "-lGL", "-lX11"],
                       check=True)

    def start_display(self):
        self.display = Display.start_virtual(self.work, (WIDTH, HEIGHT))
        env = dict(os.environ, DISPLAY=self.display.name)
        try:
            info = subprocess.run(["glxinfo", "-B"], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                  text=True, timeout=30).stdout
        except (OSError, subprocess.TimeoutExpired):
            return
        for key, label in (("renderer", "OpenGL renderer string"), ("version", "OpenGL version string")):
            found = re.search(rf"^{label}: (.*)$", info, re.M)
            if found:
                self.machine.glx[key] = found.group(1)

    def close(self):
        if self.display:
            self.display.close()

    # Benchmarks.

    def benchmark(self, name, arguments):
        program = self.program(os.path.join(self.build, "bench", name))
        out = os.path.join(self.work, f"{name}.json")
        command = [program] + arguments
        log(f"== {quote([rel(program)] + arguments)}")
        subprocess.run(command + [f"--benchmark_out={out}", "--benchmark_out_format=json"], check=True,
                       stdout=sys.stderr)
        with open(out) as f:
            return json.load(f), quote([rel(program)] + arguments)

    def tick(self):
        repetitions = "2" if self.args.quick else "10"
        arguments = ["--benchmark_filter=^BM_SceneTick/", f"--benchmark_repetitions={repetitions}",
                     "--benchmark_report_aggregates_only=true"]
        if self.args.quick:
            arguments.append("--benchmark_min_time=0.05")
        data, command = self.benchmark("scene_bench", arguments)
        figures = {b["run_name"]: b for b in data["benchmarks"] if b.get("aggregate_name") == "median"}
        spread = {b["run_name"]: b for b in data["benchmarks"] if b.get("aggregate_name") == "cv"}
        rows = []
        for run_name, label in (("BM_SceneTick/10/25", "10 / 25 (defaults)"), ("BM_SceneTick/500/500", "500 / 500")):
            if run_name not in figures:
                continue
            us = figures[run_name]["real_time"]
            cv = spread[run_name]["real_time"] * 100 if run_name in spread else float("nan")
            rows.append([label, f"{us:.2f} µs", f"{cv:.1f} %", f"{33000 / us:,.0f}"])
        self.add_section("Simulation tick",
                         f"Median of {repetitions} repetitions, each the mean over many ticks of one scene "
                         f"(seed 12345). Command: `{command}`",
                         table(["Roamlets / chasers", "Tick", "Spread (CV)", "Ticks per 33 ms frame budget"], rows))

    def frame(self):
        arguments = ["--benchmark_filter=/defaults/"] if self.args.quick else []
        data, command = self.benchmark("render_bench", arguments)
        context = data["context"]
        self.machine.osmesa = f"{context.get('renderer', '?')}, {context.get('gl_version', '?')}"
        times = {b["name"].split("/iterations")[0].split("/real_time")[0]: b for b in data["benchmarks"]}
        cases = (("defaults", "defaults: 10 / 25, density 200, line width 2, star size 2"),
                 ("500x500", "500 / 500, density 200, line width 2, star size 2"),
                 ("densest", "500 / 500, density 1 (about 337,500 stars), line width 2, star size 2"),
                 ("largest", "largest: 500 / 500, density 1, line width 100, star size 100"))
        rows = []
        for key, label in cases:
            scene = times.get(f"BM_SceneRender/{key}")
            if scene is None:
                continue
            floor = times.get(f"BM_FloorRender/{key}")
            first = times.get(f"BM_FirstFrame/{key}")
            rows.append([label, f"{scene['real_time']:.1f} ms", f"{floor['real_time']:.1f} ms" if floor else "–",
                         str(scene["iterations"]), f"{first['real_time']:.1f} ms" if first else "–"])
        lines = table(["Settings (roamlets / chasers)", "Frame", "Yardstick", "Frames", "First frame"], rows)
        compile_ = times.get("BM_StarfieldCompile/density1")
        if compile_:
            lines += ["", f"Compiling the densest star field into its display list: {compile_['real_time']:.1f} ms."]
        self.add_section("Frames in software OpenGL at 1920 x 1080",
                         "Mean wall-clock time of a frame (ending with glFinish) over a fixed run of frames from "
                         "seed 12345 in the Chase view with fog; the yardstick draws the same geometry through "
                         "client arrays; the first frame is scene_init, the resize and one frame in a context that "
                         f"has drawn before. Command: `{command}`"
                         + ("" if arguments else " (add `--benchmark_filter=/defaults/` for one case)") + ".",
                         lines)

    # On the display.

    def run_until_first_frame(self, name, argv, wine=False, timeout=120):
        run = Run(self, name, argv, wine)
        try:
            return run.first_frame_ms() if run.wait_frames(1, timeout) else None
        finally:
            run.stop()

    def startup_series(self, name, argv, runs, wine=False):
        """Milliseconds to the first frame over `runs` runs, after one unmeasured run that fills the
        caches (files, Mesa's shader cache)."""
        self.run_until_first_frame(name, argv, wine)
        values = []
        for _ in range(runs):
            ms = self.run_until_first_frame(name, argv, wine)
            if ms is not None:
                values.append(ms)
        log(f"   {name}: {values}")
        return values

    def startup(self):
        runs = 2 if self.args.quick else self.args.runs
        roamlets = self.program(self.roamlets)
        rows = []
        for name, argv, count in (
                ("startup-fullscreen", [roamlets, "--fullscreen", "--seed", SEED], runs),
                ("startup-root", [roamlets, "--root", "--seed", SEED], runs),
                ("startup-largest", [roamlets, "--fullscreen", "--seed", SEED] + LARGEST, max(1, runs // 2))):
            log(f"== start-up: {quote(argv)}")
            rows.append((quote([rel(argv[0])] + argv[1:]), median_text(self.startup_series(name, argv, count),
                                                                       "ms", 0)))
        rows += self.wine_startup(runs)
        for hack in self.hacks():
            log(f"== start-up: {hack} -root")
            rows.append((f"{hack} -root", median_text(
                self.startup_series(f"startup-{hack}", [os.path.join(HACK_FOLDER, hack), "-root"], runs), "ms", 0)))
        self.add_section("Start-up to the first frame",
                         f"From just before the process is started to the return of its first buffer swap (under "
                         f"Wine: to the trace line of its first wglSwapBuffers), on an Xvfb screen of {WIDTH} x "
                         f"{HEIGHT}, after one unmeasured run that fills the file and shader caches; median "
                         f"(min–max). The hacks of xscreensaver-gl for comparison. Command: {self.only('startup')}.",
                         table(["Program", "Start-up"], [(f"`{command}`", value) for command, value in rows]))

    def wine_ready(self):
        scr = os.path.abspath(self.args.scr)
        if not os.path.isfile(scr):
            return None, f"not measured: no {rel(scr)} (build the win64 preset)"
        if not os.access(WINE, os.X_OK):
            return None, "not measured: Wine is not installed"
        if not os.path.isfile(os.path.join(self.wine_prefix, "system.reg")):
            log("== making the Wine prefix")
            self.wineserver("-k")
            subprocess.run([WINE, "wineboot", "-i"], env=self.wine_process_env(), stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=300)
            self.wineserver("-w")
        return scr, None

    def wine_process_env(self):
        return dict(os.environ, DISPLAY=self.display.name, **self.wine_env)

    def wineserver(self, *options):
        subprocess.run([WINESERVER] + list(options), env=self.wine_process_env(), timeout=120,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def wine_startup(self, runs):
        scr, reason = self.wine_ready()
        label = quote(["wine64", rel(self.args.scr), "/s"])
        if scr is None:
            return [(label, reason)]
        rows = []
        try:
            log("== start-up under Wine, its server already running")
            self.wineserver("-k")
            self.wineserver("-w")
            self.wineserver("-p")
            warm = self.startup_series("startup-wine-warm", [scr, "/s"], runs, wine=True)
            rows.append((label + " (Wine's server already running)", median_text(warm, "ms", 0)))
            log("== start-up under Wine, starting its server")
            self.wineserver("-k")
            self.wineserver("-w")
            cold = []
            for index in range(runs + 1):
                ms = self.run_until_first_frame("startup-wine-cold", [scr, "/s"], wine=True)
                self.wineserver("-k")
                self.wineserver("-w")
                if index > 0 and ms is not None:
                    cold.append(ms)
            log(f"   startup-wine-cold: {cold}")
            rows.append((label + " (starting Wine's server)", median_text(cold, "ms", 0)))
        finally:
            self.wineserver("-k")
            self.wineserver("-w")
        return rows

    def memory(self):
        roamlets = self.program(self.roamlets)
        hold = 3 if self.args.quick else 10
        rows = []
        for name, argv, frames in (("memory-defaults", [roamlets, "--fullscreen", "--seed", SEED], None),
                                   ("memory-largest", [roamlets, "--fullscreen", "--seed", SEED] + LARGEST, 3)):
            log(f"== peak memory: {quote(argv)}")
            run = Run(self, name, argv)
            try:
                if frames is None:
                    shown = run.wait_frames(1, 60)
                    time.sleep(hold)
                else:
                    shown = run.wait_frames(frames, 120)
                drawn = run.frames.read()[0]
                peak = peak_rss_mib(run.process.pid) if run.process.poll() is None else None
            finally:
                run.stop()
            value = f"{peak:.1f} MiB after {drawn} frames" if shown and peak is not None else "not measured"
            rows.append((quote([rel(argv[0])] + argv[1:]), value))
        self.add_section("Peak memory",
                         f"VmHWM (the peak resident set) from /proc/PID/status just before the end, full screen on "
                         f"the {WIDTH} x {HEIGHT} Xvfb: the defaults after {hold} s of frames, the largest settings "
                         f"after 3 frames. Command: {self.only('memory')}.",
                         table(["Program", "Peak resident set"], [(f"`{command}`", value) for command, value in rows]))

    def measure_running(self, name, argv, label, nominal, wine=False):
        """CPU share, frame rate and peak memory of a running program over the measuring time."""
        seconds = 5 if self.args.quick else self.args.cpu_seconds
        log(f"== running {seconds} s: {label}")
        run = Run(self, name, argv, wine)
        try:
            if not run.wait_frames(1, 60):
                return [f"`{label}`", f"did not show a frame (see {rel(run.log_path)})"] + [""] * 5
            time.sleep(2)  # past the start-up
            pid, server = run.process.pid, self.display.server.pid
            before = (time.monotonic(), process_ticks(pid), process_ticks(server), machine_busy_ticks(),
                      run.frames.read()[0])
            time.sleep(seconds)
            after = (time.monotonic(), process_ticks(pid), process_ticks(server), machine_busy_ticks(),
                     run.frames.read()[0])
            peak = peak_rss_mib(pid)
        finally:
            run.stop()
        wall = after[0] - before[0]
        own = (after[1] - before[1]) / CLOCK_TICK / wall
        x_server = (after[2] - before[2]) / CLOCK_TICK / wall
        rest = (after[3] - before[3]) / CLOCK_TICK / wall - own - x_server
        fps = (after[4] - before[4]) / wall
        return [f"`{label}`", f"{own * 100:.1f} %", f"{x_server * 100:.1f} %", f"{fps:.1f}", nominal,
                f"{peak:.0f} MiB", f"{max(rest, 0.0):.2f}"]

    def hacks(self):
        """The hacks asked for that are installed (the others are reported as missing)."""
        found = []
        for hack in filter(None, self.args.hacks.split(",")):
            if os.access(os.path.join(HACK_FOLDER, hack), os.X_OK):
                found.append(hack)
            else:
                log(f"!! {hack} is not installed (apt-get install xscreensaver-gl): left out")
        return found

    def cpu(self):
        seconds = 5 if self.args.quick else self.args.cpu_seconds
        roamlets = self.program(self.roamlets)
        nominal = f"{1e6 / ROAMLETS_PERIOD_US:.1f} (33 ms timer)"
        rows = [self.measure_running("cpu-roamlets", [roamlets, "--root", "--seed", SEED],
                                     quote([rel(roamlets), "--root"]), nominal),
                self.measure_running("cpu-roamlets-fullscreen", [roamlets, "--fullscreen", "--seed", SEED],
                                     quote([rel(roamlets), "--fullscreen"]), nominal)]
        for hack in self.hacks():
            path = os.path.join(HACK_FOLDER, hack)
            delay = HACK_DELAYS_US.get(hack)
            rows.append(self.measure_running(f"cpu-{hack}", [path, "-root"], f"{hack} -root",
                                             f"< {1e6 / delay:.1f} ({delay // 1000} ms delay after each frame)"
                                             if delay else "not documented"))
        scr, reason = self.wine_ready()
        wine_label = quote(["wine64", rel(self.args.scr), "/s"])
        if scr is None:
            rows.append([f"`{wine_label}`", reason] + [""] * 5)
        else:
            try:
                self.wineserver("-p")
                rows.append(self.measure_running("cpu-wine", [scr, "/s"], wine_label,
                                                 f"{1e6 / ROAMLETS_PERIOD_US:.1f} (33 ms timers)", wine=True))
            finally:
                self.wineserver("-k")
                self.wineserver("-w")
        self.add_section("CPU share of a running saver",
                         f"Each program alone at its default settings on the {WIDTH} x {HEIGHT} Xvfb, one after "
                         f"another; from 2 s after its first frame, {seconds} s of CPU time (utime + stime with "
                         f"children, from /proc/PID/stat, all threads) over wall time, in % of one core; the X "
                         f"server's share over the same time; frames presented per second; the peak resident set; "
                         f"and the cores kept busy by everything else meanwhile. Under Wine, the program's own "
                         f"process only (not the Wine server). Command: {self.only('cpu')}.",
                         table(["Program", "CPU", "X server", "Frames/s", "Nominal frames/s", "Peak RSS",
                                "Rest of machine (cores)"], rows))

    # Instruction counts.

    def callgrind(self, name, argv, frames):
        """({object file: instructions}, frames counted) of `argv` under callgrind: from its 6th frame on
        over `frames` frames, or with frames=0 from its start to its first frame; None if it showed none."""
        out = os.path.join(self.work, f"callgrind.{name}")
        for old in (out, out + ".1"):
            if os.path.exists(old):
                os.remove(old)
        run = Run(self, name, ["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}"] + argv)

        def control(option):
            subprocess.run(["callgrind_control", option, str(run.process.pid)], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=300, check=True)

        try:
            if frames == 0:
                if not run.wait_frames(1, 900):
                    return None
                control("--dump")
                counted = 1
            else:
                if not run.wait_frames(5, 900):
                    return None
                before = run.frames.read()[0]
                control("--zero")
                zeroed = (before + run.frames.read()[0]) / 2
                if not run.wait_frames(int(zeroed) + frames + 1, 900):
                    return None
                before = run.frames.read()[0]
                control("--dump")
                counted = (before + run.frames.read()[0]) / 2 - zeroed
        finally:
            run.stop()
        return callgrind_costs(out + ".1"), counted

    def profile(self):
        roamlets = self.program(self.roamlets)
        frames = 5 if self.args.quick else 30
        base = [roamlets, "--seed", SEED]
        variants = [("root", "defaults, drawn into the root window", ["--root"]),
                    ("fullscreen", "defaults, full screen", ["--fullscreen"]),
                    ("empty", "full screen, no movers, 12 stars",
                     ["--fullscreen", "--roamlets", "0", "--chasers", "0", "--density", "30000"]),
                    ("stars", "full screen, stars only", ["--fullscreen", "--roamlets", "0", "--chasers", "0"]),
                    ("trails", "full screen, trails only (12 stars)", ["--fullscreen", "--density", "30000"]),
                    ("nofog", "full screen, fog off", ["--fullscreen", "--fog", "off"])]
        if self.args.quick:
            variants = variants[:2]
        groups = (("Mesa's driver", lambda o: o.endswith("swrast_dri.so")),
                  ("generated code", lambda o: o == "???"),
                  ("C library", lambda o: os.path.basename(o).startswith(("libc.so", "libm.so"))),
                  ("roamlets", lambda o: o == roamlets))
        rows = []
        for name, label, extra in variants:
            argv = base + extra
            log(f"== callgrind, {frames} frames: {quote(argv)}")
            counted = self.callgrind(f"frames-{name}", argv, frames)
            command = quote([rel(roamlets)] + extra)
            if counted is None or counted[1] <= 0:
                rows.append([f"`{command}`", label, "not measured"] + [""] * len(groups))
                continue
            costs, count = counted
            total = sum(costs.values())
            shares = [sum(v for o, v in costs.items() if test(o)) / total * 100 for _, test in groups]
            rows.append([f"`{command}`", label, f"{total / count / 1e6:.1f}"]
                        + [f"{share:.0f} %" if share >= 1 else f"{share:.1f} %" for share in shares])
        lines = table(["Run", "Settings", "Million instructions per frame"] + [g for g, _ in groups], rows)

        probe_rows = []
        for mask in ("depth", "depth+stencil"):
            argv = [self.clear_probe, mask]
            log(f"== callgrind, {frames} frames: {quote(argv)}")
            counted = self.callgrind(f"clear-{mask}", argv, frames)
            value = (f"{sum(counted[0].values()) / counted[1] / 1e6:.1f}" if counted and counted[1] > 0
                     else "not measured")
            probe_rows.append([f"`{quote([rel(self.clear_probe), mask])}`", value])
        lines += ["", "A frame that only clears the root window (its visual has a stencil buffer beside the depth "
                  "buffer), colour and depth as roamlets clears, or colour, depth and stencil "
                  "(tools/perf/clear_probe.c):", ""] + table(["Run", "Million instructions per frame"], probe_rows)

        starts = [(quote([rel(roamlets), "--fullscreen"]), base + ["--fullscreen"]),
                  (quote([rel(roamlets), "--root"]), base + ["--root"])]
        if not self.args.quick:
            starts += [(f"{hack} -root", [os.path.join(HACK_FOLDER, hack), "-root"]) for hack in self.hacks()]
        parts = (("Mesa's GLX", lambda o: os.path.basename(o).startswith("libGLX_mesa")),
                 ("LLVM (shader compiles)", lambda o: os.path.basename(o).startswith("libLLVM")),
                 ("dynamic loader", lambda o: os.path.basename(o).startswith("ld-linux")),
                 ("Mesa's driver", lambda o: o.endswith("swrast_dri.so")),
                 ("C library", lambda o: os.path.basename(o).startswith(("libc.so", "libm.so"))))
        lines += ["", "Instructions from the start of the process to its first frame (the hacks for comparison; "
                  "they reach OpenGL through EGL, roamlets through GLX), in millions:", ""]
        rows = []
        for label, argv in starts:
            log(f"== callgrind, to the first frame: {quote(argv)}")
            counted = self.callgrind("first-" + os.path.basename(argv[0]) + "-" + argv[-1].lstrip("-"), argv, 0)
            if counted is None:
                rows.append([f"`{label}`", "not measured"] + [""] * (len(parts) + 1))
                continue
            costs = counted[0]
            values = [sum(costs.values())] + [sum(v for o, v in costs.items() if test(o)) for _, test in parts]
            values.append(costs.get(argv[0], 0))
            rows.append([f"`{label}`"] + [f"{v / 1e6:.1f}" for v in values])
        lines += table(["Program", "Total"] + [p for p, _ in parts] + ["The program itself"], rows)
        self.add_section("Instructions per frame (callgrind)",
                         f"Instructions executed per frame by roamlets (all its threads) on the {WIDTH} x {HEIGHT} "
                         f"Xvfb, counted by valgrind's callgrind from the 6th frame over {frames} frames (with the "
                         "tick between them), split by where they ran: Mesa's driver (swrast_dri.so: clears, line "
                         "and point set-up, binning), the code llvmpipe generates (shading, fog, blending), the C "
                         "library, and roamlets itself. Counts, not times: they do not depend on the load. "
                         f"Command: {self.only('profile')}.", lines)

    def report(self):
        parts = ["## Figures", "",
                 f"Measured by `PYTHONPATH=tests python3 tools/perf/perf_report.py{' --quick' if self.args.quick else ''}` "
                 f"({time.strftime('%Y-%m-%d %H:%M %Z')})."
                 + (" Quick run: shortened measurements, not for the report." if self.args.quick else ""),
                 "", self.machine.markdown()]
        for section in self.sections:
            parts += ["", section]
        return "\n".join(parts) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "native"))
    parser.add_argument("--scr", default=os.path.join(ROOT, "build", "win64", "win32", "Roamlets.scr"))
    parser.add_argument("--work", default=os.path.join(ROOT, "build", "perf", "report"))
    parser.add_argument("--only", default=",".join(GROUPS), help="groups to run, comma-separated: " + ", ".join(GROUPS))
    parser.add_argument("--hacks", default=",".join(HACK_DELAYS_US))
    parser.add_argument("--cpu-seconds", type=int, default=30)
    parser.add_argument("--runs", type=int, default=5, help="measured runs of each start-up")
    parser.add_argument("--quick", action="store_true", help="short measurements, for a dry run")
    parser.add_argument("--output", help="also write the Markdown to this file")
    args = parser.parse_args()
    groups = [g for g in args.only.split(",") if g]
    unknown = [g for g in groups if g not in GROUPS]
    if unknown or args.cpu_seconds < 1 or args.runs < 1:
        parser.error(f"unknown group {unknown[0]}" if unknown else "--cpu-seconds and --runs must be 1 or more")

    machine = Machine(os.path.abspath(args.build))
    session = Session(args, machine)
    try:
        if {"startup", "memory", "cpu", "profile"} & set(groups):
            session.build_helpers()
            session.start_display()
        for group in GROUPS:
            if group in groups:
                getattr(session, group)()
    finally:
        session.close()
    machine.finish()
    text = session.report()
    sys.stdout.write(text)
    if args.output:
        with open(args.output, "w") as f:
            f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
