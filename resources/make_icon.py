#!/usr/bin/env python3
"""Writes Roamlets.scr's icon: one 32 x 32 image in 16 colours.

The picture is drawn below as text, one character per pixel: black space,
grey stars, the red roamlet's trail sweeping up to the right with a white
head, a green chaser behind it and a blue one closing in from the right.

Usage: make_icon.py OUTPUT.ico
"""

import struct
import sys

# The 16 colours of the standard Windows palette, in palette order, with the
# character that stands for each in the picture.
PALETTE = [
    (".", (0x00, 0x00, 0x00)),  # black
    ("r", (0x80, 0x00, 0x00)),  # dark red
    ("g", (0x00, 0x80, 0x00)),  # dark green
    ("y", (0x80, 0x80, 0x00)),  # olive
    ("b", (0x00, 0x00, 0x80)),  # navy
    ("m", (0x80, 0x00, 0x80)),  # purple
    ("c", (0x00, 0x80, 0x80)),  # teal
    ("+", (0xC0, 0xC0, 0xC0)),  # silver
    (":", (0x80, 0x80, 0x80)),  # grey
    ("R", (0xFF, 0x00, 0x00)),  # red
    ("G", (0x00, 0xFF, 0x00)),  # green
    ("Y", (0xFF, 0xFF, 0x00)),  # yellow
    ("B", (0x00, 0x00, 0xFF)),  # blue
    ("M", (0xFF, 0x00, 0xFF)),  # magenta
    ("C", (0x00, 0xFF, 0xFF)),  # cyan
    ("W", (0xFF, 0xFF, 0xFF)),  # white
]

PICTURE = [
    "................................",
    "................................",
    "............:...................",
    "...+............................",
    "...........................W....",
    "................................",
    "........................R.......",
    ".........:..........RRRRWR......",
    ".................RRRRRRRR.......",
    "...............RRRR.............",
    ".............RRRR...............",
    "............RRR.................",
    "......:....RRR..................",
    "..........rRR.......CW..........",
    ".........rrr.........CCC.....+..",
    "........rr.............CCB......",
    "........r................BB.....",
    ".......rr......GW.........Bb....",
    ".......r.....GGG...........b....",
    "......rr....GG.............bb...",
    "..+...r....GG...........:...b...",
    "......r...gG................b...",
    ".....rr...g.................b...",
    ".....r...gg.................b...",
    ".....r...g..................b...",
    "....rr..g.......................",
    "....r...g.......................",
    "....r..gg.................+.....",
    ".......g.......:................",
    ".:....gg........................",
    "......g.......................:.",
    "......g.........................",
]

SIZE = 32
BITS_PER_PIXEL = 4


def pixel_indices(picture):
    """The picture as rows of palette indices, top row first."""
    index_of = {char: index for index, (char, _) in enumerate(PALETTE)}
    if len(picture) != SIZE:
        raise ValueError(f"the picture has {len(picture)} rows, not {SIZE}")
    rows = []
    for number, line in enumerate(picture):
        if len(line) != SIZE:
            raise ValueError(f"row {number} has {len(line)} pixels, not {SIZE}")
        unknown = set(line) - index_of.keys()
        if unknown:
            raise ValueError(f"row {number} uses colours not in the palette: {sorted(unknown)}")
        rows.append([index_of[char] for char in line])
    return rows


def icon_file(rows):
    """An .ico file holding the rows as its only image.

    The image is a DIB without its file header: the bitmap's height counts the
    colour bitmap and the AND mask together, rows run bottom-up, and each row
    is padded to a multiple of four bytes. Every pixel is opaque, so the mask
    is all zeros.
    """
    mask_row_bytes = SIZE // 8
    colours = b"".join(
        bytes((row[x] << 4) | row[x + 1] for x in range(0, SIZE, 2))
        for row in reversed(rows))
    mask = bytes(mask_row_bytes * SIZE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, BITS_PER_PIXEL,
                         0, len(colours) + len(mask), 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", blue, green, red, 0)
                       for _, (red, green, blue) in PALETTE)
    image = header + palette + colours + mask

    directory = struct.pack("<HHH", 0, 1, 1)
    entry_size = 16
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, len(PALETTE), 0, 1, BITS_PER_PIXEL,
                        len(image), len(directory) + entry_size)
    return directory + entry + image


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icon.py OUTPUT.ico\n")
        return 2
    with open(argv[1], "wb") as out:
        out.write(icon_file(pixel_indices(PICTURE)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
