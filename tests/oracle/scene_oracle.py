#!/usr/bin/env python3
"""Reference model of the Roamlets scene, written independently of the C++.

It reproduces the scene model (generator, movers, populations, scene driver,
star-field count) bit for bit in plain Python and offers the same command line
as the C++ `scene-dump` tool, printing the same JSON document:

    scene_oracle.py --seed S --roamlets R --chasers C --mode M --ticks T [--density D]

Arithmetic model: every expression is evaluated in double precision and
rounded to single precision once, where the C++ stores it in a float.  Since a
single float32 +, -, *, / or sqrt evaluated in double and rounded once equals
the float32 operation, each Vec4 operation is done that way too.  Single
precision constants (0.01, 0.1, ...) are rounded to float32 first and then
used in double arithmetic, exactly like a `float` constant promoted to double.
"""

import argparse
import math
import struct
import sys

_F32 = struct.Struct("<f")
_pack, _unpack = _F32.pack, _F32.unpack


def f32(x):
    """Round a Python float (double) to the nearest float32, ties to even."""
    return _unpack(_pack(x))[0]


def f32_bits(x):
    return int.from_bytes(_pack(x), "little")


# Single-precision constants, as the C++ writes them with an `f` suffix.
K_0_01 = f32(0.01)
K_0_002 = f32(0.002)
K_0_1 = f32(0.1)
K_0_5 = f32(0.5)
K_0_25 = f32(0.25)
K_DEG = f32(0.017453292)
K_CHASER_SPEED = f32(1.0 / 11000.0)

MAX_POPULATION = 500
TRAIL_LENGTH = 50
WARM_UP_PASSES = 50
STAR_HALF_EXTENT = 15.0
DEFAULT_DENSITY = 200
MASK32 = 0xFFFFFFFF

CHASE, ROTATE, SNAPSHOT = 0, 1, 2
MODE_NAMES = {"chase": CHASE, "rotate": ROTATE, "snapshot": SNAPSHOT}


# ---------------------------------------------------------------------------
# Vec4: plain 4-tuples of floats (each already a float32 value).

DEFAULT_VEC = (0.0, 0.0, 0.0, 1.0)


def vadd(a, b):
    return (f32(a[0] + b[0]), f32(a[1] + b[1]), f32(a[2] + b[2]), f32(a[3] + b[3]))


def vsub(a, b):
    return (f32(a[0] - b[0]), f32(a[1] - b[1]), f32(a[2] - b[2]), f32(a[3] - b[3]))


def vmul(a, b):
    return (f32(a[0] * b[0]), f32(a[1] * b[1]), f32(a[2] * b[2]), f32(a[3] * b[3]))


def vdiv(a, s):
    return (f32(a[0] / s), f32(a[1] / s), f32(a[2] / s), f32(a[3] / s))


def normalize(v):
    """Unit length over x, y, z; w kept; a zero vector stays as it is."""
    x, y, z, w = v
    length = math.sqrt(x * x + y * y + z * z)
    if length > 0.0:
        inv = 1.0 / length
        return (f32(x * inv), f32(y * inv), f32(z * inv), w)
    return v


# ---------------------------------------------------------------------------
# Generator


class Lcg:
    def __init__(self, state=1):
        self.state = state & MASK32

    def seed(self, value):
        self.state = value & MASK32

    def next(self):
        self.state = (self.state * 214013 + 2531011) & MASK32
        return (self.state >> 16) & 0x7FFF

    def draw(self, n):
        return self.next() % n


# ---------------------------------------------------------------------------
# Movers

CHASER, ROAMLET = 0, 1
_UNIT_DIAGONAL = normalize((1.0, 1.0, 1.0, 0.0))


class Mover:
    __slots__ = ("kind", "target", "heading", "desired", "turn_step",
                 "leg_duration", "leg_elapsed", "colour", "trail", "head",
                 "speed_min", "speed_max", "position", "speed", "next_position")

    def __init__(self):
        self.kind = CHASER
        self.target = None          # index into the roamlet population
        self.heading = _UNIT_DIAGONAL
        self.desired = _UNIT_DIAGONAL
        self.turn_step = DEFAULT_VEC
        self.leg_duration = 0.0
        self.leg_elapsed = 0.0
        self.colour = DEFAULT_VEC
        self.trail = [DEFAULT_VEC] * TRAIL_LENGTH
        self.head = 0
        self.speed_min = 0
        self.speed_max = 0
        self.position = DEFAULT_VEC
        self.speed = DEFAULT_VEC
        self.next_position = DEFAULT_VEC

    def push_trail(self, point):
        self.trail[self.head] = point
        self.head += 1
        if self.head == TRAIL_LENGTH:
            self.head = 0


def spawn_coordinate(d):
    """((draw 990) + 10) * 0.01 - 5, rounded once after the subtraction."""
    return f32((d + 10) * K_0_01 - 5.0)


def random_position(lcg):
    y = spawn_coordinate(lcg.draw(990))
    x = spawn_coordinate(lcg.draw(990))
    z = spawn_coordinate(lcg.draw(990))
    return (x, y, z, 0.0)


def start_leg(m, lcg):
    wy = float(lcg.draw(10) - 5)
    wx = float(lcg.draw(10) - 5)
    wz = float(lcg.draw(10) - 5)
    m.desired = normalize(vsub((wx, wy, wz, 0.0), m.position))
    m.leg_duration = f32((lcg.draw(9000) + 1000) * K_0_01)
    m.leg_elapsed = 0.0
    m.turn_step = normalize(vdiv(vsub(m.desired, m.heading), m.leg_duration))
    span = m.speed_max - m.speed_min
    a = lcg.draw(span) + m.speed_min
    b = lcg.draw(span) + m.speed_min
    c = lcg.draw(span) + m.speed_min
    m.speed = (f32(b * K_0_002), f32(a * K_0_002), f32(c * K_0_002), 0.0)


def retarget(m, roamlets):
    if not roamlets:
        m.target = None
        return
    px, py, pz = m.position[0], m.position[1], m.position[2]
    q = roamlets[0].position
    dx = f32(q[0] - px)
    dy = f32(q[1] - py)
    dz = q[2] - pz
    best = f32(dz * dz + dy * dy + dx * dx)
    best_index = 0
    for i in range(1, len(roamlets)):
        q = roamlets[i].position
        dx = f32(q[0] - px)
        dy = f32(q[1] - py)
        dz = q[2] - pz
        d = dz * dz + dy * dy + dx * dx
        if d < best:
            best = f32(d)
            best_index = i
    m.target = best_index


def update_mover(m, roamlets, lcg):
    if m.kind == ROAMLET:
        if m.leg_elapsed > m.leg_duration:
            start_leg(m, lcg)
            return
        m.next_position = vadd(m.position, vmul(m.speed, m.heading))
        m.push_trail(m.position)
        m.position = m.next_position
        m.heading = normalize(vadd(m.heading, m.turn_step))
        m.leg_elapsed = f32(m.leg_elapsed + 1.0)
    else:
        if m.target is not None:
            m.heading = normalize(vsub(roamlets[m.target].position, m.position))
            m.next_position = vadd(m.position, vmul(m.speed, m.heading))
            m.push_trail(m.position)
            m.position = m.next_position
        retarget(m, roamlets)


# ---------------------------------------------------------------------------
# Populations


def clamp_count(count):
    return max(0, min(MAX_POPULATION, count))


def spawn_roamlet(lcg):
    m = Mover()
    m.kind = ROAMLET
    m.colour = (1.0, 0.0, 0.0, 1.0)
    m.position = random_position(lcg)
    m.speed = (K_0_1, K_0_1, K_0_1, 0.0)
    m.speed_min = lcg.draw(40) + 10
    m.speed_max = lcg.draw(50) + 50
    return m


def spawn_chaser(lcg, roamlets):
    m = Mover()
    g = f32((lcg.draw(50) + 50) * K_0_01)
    r = f32((lcg.draw(50) + 50) * K_0_01)
    b = f32((lcg.draw(50) + 50) * K_0_01)
    m.colour = (r, g, b, 1.0)
    m.position = random_position(lcg)
    sy = f32((lcg.draw(900) + 100) * K_CHASER_SPEED)
    sx = f32((lcg.draw(900) + 100) * K_CHASER_SPEED)
    sz = f32((lcg.draw(900) + 100) * K_CHASER_SPEED)
    m.speed = (sx, sy, sz, 0.0)
    retarget(m, roamlets)
    m.speed_min = lcg.draw(40) + 10
    m.speed_max = lcg.draw(50) + 50
    return m


class Scene:
    """The process-wide scene state of one run, generator included."""

    def __init__(self):
        self.lcg = Lcg(1)
        self.roamlets = []
        self.chasers = []
        self.tick_counter = 0
        self.angle_x = self.angle_y = self.angle_z = 0.0
        self.scale = 1.0
        self.translate = (0.0, 0.0, 0.0)
        self.star_count = 0
        self.view_mode = CHASE

    def resize_roamlets(self, count):
        wanted = clamp_count(count)
        if wanted <= len(self.roamlets):
            del self.roamlets[wanted:]
            for c in self.chasers:          # never leave a dangling target
                if c.target is not None and c.target >= wanted:
                    c.target = None
        else:
            while len(self.roamlets) < wanted:
                self.roamlets.append(spawn_roamlet(self.lcg))

    def resize_chasers(self, count):
        wanted = clamp_count(count)
        if wanted <= len(self.chasers):
            del self.chasers[wanted:]
        else:
            while len(self.chasers) < wanted:
                self.chasers.append(spawn_chaser(self.lcg, self.roamlets))

    def build_starfield(self, density, emit=None):
        """Runs the star generation for DENSITY, returns the number of points.

        A DENSITY of 0 or less would never reach the budget; it is taken as 1.
        `emit(x, y, z)` receives each point when given.
        """
        if density <= 0:
            density = 1
        step = f32(density * K_0_01)
        e = STAR_HALF_EXTENT
        budget = f32(e * e * e)
        if budget <= 0.0:
            return 0
        k = int(e * -10.0)
        n = -2 * k
        lcg = self.lcg
        acc = 0.0
        count = 0
        while True:
            dy = lcg.draw(n)
            dx = lcg.draw(n)
            dz = lcg.draw(n)
            if emit is not None:
                emit(f32((k + dx) * K_0_1), f32((k + dy) * K_0_1),
                     f32((k + dz) * K_0_1))
            count += 1
            acc = f32(acc + step)
            if not acc < budget:
                return count

    def init_scene_model(self, seed, num_roamlets, num_chasers):
        self.scale = 1.0
        self.translate = (0.0, 0.0, -3.0)
        self.angle_x = self.angle_y = self.angle_z = 0.0
        self.lcg.seed(seed)
        self.resize_roamlets(num_roamlets)
        self.resize_chasers(num_chasers)
        for _ in range(WARM_UP_PASSES):
            self.step_movers()

    def step_movers(self):
        roamlets, lcg = self.roamlets, self.lcg
        for c in self.chasers:
            update_mover(c, roamlets, lcg)
        for r in roamlets:
            update_mover(r, roamlets, lcg)

    def update_camera(self):
        c = self.tick_counter
        if self.view_mode == ROTATE:
            self.angle_x = f32((c % 720) * K_0_5)
            self.angle_y = float(c % 360)
            self.angle_z = f32((c % 1440) * K_0_25)
            self.scale = f32(math.sin(self.angle_y * K_DEG) - 1.0)
        elif self.view_mode == SNAPSHOT:
            if c % 500 == 0:
                self.angle_x = f32(self.lcg.draw(3600) * K_0_1)
                self.angle_y = f32(self.lcg.draw(3600) * K_0_1)
                self.angle_z = f32(self.lcg.draw(3600) * K_0_1)

    def scene_tick(self):
        self.update_camera()
        self.step_movers()
        self.tick_counter = (self.tick_counter + 1) & MASK32


def run_scene(seed, roamlets, chasers, mode, ticks, density=DEFAULT_DENSITY):
    """What one fresh scene-dump process does; returns the scene."""
    scene = Scene()
    scene.star_count = scene.build_starfield(density)
    scene.view_mode = mode
    scene.init_scene_model(seed, roamlets, chasers)
    for _ in range(ticks):
        scene.scene_tick()
    return scene


# ---------------------------------------------------------------------------
# JSON output (floats as %.9g so each reads back to the same float32)


def _fmt(x):
    return "%.9g" % x


def _vec(v):
    return "[" + ",".join(_fmt(c) for c in v) + "]"


def _mover_json(m):
    target = "null" if m.target is None else str(m.target)
    fields = [
        '"kind":"%s"' % ("roamlet" if m.kind == ROAMLET else "chaser"),
        '"target":' + target,
        '"heading":' + _vec(m.heading),
        '"desired":' + _vec(m.desired),
        '"turn_step":' + _vec(m.turn_step),
        '"leg_duration":' + _fmt(m.leg_duration),
        '"leg_elapsed":' + _fmt(m.leg_elapsed),
        '"colour":' + _vec(m.colour),
        '"trail":[' + ",".join(_vec(p) for p in m.trail) + "]",
        '"head":%d' % m.head,
        '"speed_min":%d' % m.speed_min,
        '"speed_max":%d' % m.speed_max,
        '"position":' + _vec(m.position),
        '"speed":' + _vec(m.speed),
        '"next_position":' + _vec(m.next_position),
    ]
    return "{" + ",".join(fields) + "}"


def scene_json(scene):
    fields = [
        '"lcg_state":%d' % scene.lcg.state,
        '"tick_counter":%d' % scene.tick_counter,
        '"angle_x":' + _fmt(scene.angle_x),
        '"angle_y":' + _fmt(scene.angle_y),
        '"angle_z":' + _fmt(scene.angle_z),
        '"scale":' + _fmt(scene.scale),
        '"translate":' + _vec(scene.translate),
        '"star_count":%d' % scene.star_count,
        '"roamlets":[' + ",".join(_mover_json(m) for m in scene.roamlets) + "]",
        '"chasers":[' + ",".join(_mover_json(m) for m in scene.chasers) + "]",
    ]
    return "{" + ",".join(fields) + "}"


def parse_mode(text):
    name = text.strip().lower()
    if name in MODE_NAMES:
        return MODE_NAMES[name]
    try:
        return int(text, 10)
    except ValueError:
        raise argparse.ArgumentTypeError("mode must be an integer or chase|rotate|snapshot")


def main(argv=None):
    p = argparse.ArgumentParser(description="Reference model of the Roamlets scene")
    p.add_argument("--seed", type=int, required=True)
    p.add_argument("--roamlets", type=int, required=True)
    p.add_argument("--chasers", type=int, required=True)
    p.add_argument("--mode", type=parse_mode, required=True)
    p.add_argument("--ticks", type=int, required=True)
    p.add_argument("--density", type=int, default=DEFAULT_DENSITY)
    a = p.parse_args(argv)
    if a.ticks < 0:
        p.error("--ticks must not be negative")
    scene = run_scene(a.seed, a.roamlets, a.chasers, a.mode, a.ticks, a.density)
    sys.stdout.write(scene_json(scene) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
