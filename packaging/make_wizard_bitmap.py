#!/usr/bin/env python3
"""Draws the picture beside the setup's first and last pages: a 164 x 314
24-bit BMP (the size those pages show) of a night sky with grey stars, a red
roamlet's trail and the trails of two chasers after it.

Usage: make_wizard_bitmap.py OUT.bmp"""

import math
import struct
import sys

WIDTH, HEIGHT = 164, 314


def draw():
    pixels = [[(0, 0, 0)] * WIDTH for _ in range(HEIGHT)]
    state = 2026
    for _ in range(260):  # the stars, from a fixed linear congruential sequence
        state = (state * 1103515245 + 12345) % 2**31
        x, y, grey = state % WIDTH, (state >> 8) % HEIGHT, 60 + (state >> 16) % 120
        pixels[y][x] = (grey, grey, grey)
    trails = (((220, 30, 30), 0.0, 58), ((40, 200, 90), 0.5, 40), ((60, 140, 240), 0.9, 32))
    for colour, phase, radius in trails:
        for step in range(900):
            t = step / 900 * 2 * math.pi
            x = WIDTH / 2 + radius * math.sin(2 * t + phase)
            y = HEIGHT / 2 + 2.2 * radius * math.sin(3 * t + phase) * math.cos(t)
            pixels[int(y)][int(x)] = colour
    return pixels


def bmp(pixels):
    stride = (WIDTH * 3 + 3) & ~3
    rows = b"".join(b"".join(bytes((b, g, r)) for r, g, b in row).ljust(stride, b"\0") for row in reversed(pixels))
    header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(rows), 0, 0, 14 + len(header)) + header + rows


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(bmp(draw()))
