"""Pictures of windows: reading ImageMagick's PPM output, writing PNG files,
and the checks made on the saver's scene."""

import collections
import struct
import zlib


class Picture:
    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    @classmethod
    def from_ppm(cls, data):
        """A binary PPM (P6, maxval 255) as written by `import ... ppm:-`."""
        fields, position = [], 0
        while len(fields) < 4:
            while data[position:position + 1].isspace():
                position += 1
            if data[position:position + 1] == b"#":
                position = data.index(b"\n", position)
                continue
            start = position
            while not data[position:position + 1].isspace():
                position += 1
            fields.append(data[start:position])
        if fields[0] != b"P6" or fields[3] != b"255":
            raise ValueError("not an 8-bit binary PPM picture")
        width, height = int(fields[1]), int(fields[2])
        rgb = bytes(data[position + 1:position + 1 + width * height * 3])
        if len(rgb) != width * height * 3:
            raise ValueError("truncated PPM picture")
        return cls(width, height, rgb)

    def save_png(self, path):
        rows = b"".join(b"\0" + self.rgb[y * self.width * 3:(y + 1) * self.width * 3] for y in range(self.height))

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n")
            out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)))
            out.write(chunk(b"IDAT", zlib.compress(rows, 6)))
            out.write(chunk(b"IEND", b""))

    def crop(self, x, y, width, height):
        """The part of the picture with its top left corner at (x, y)."""
        start = (y * self.width + x) * 3
        stride = self.width * 3
        rows = (self.rgb[start + row * stride:start + row * stride + width * 3] for row in range(height))
        return Picture(width, height, b"".join(rows))

    def colour_counts(self):
        """How many pixels have each (r, g, b) colour."""
        return collections.Counter(zip(self.rgb[0::3], self.rgb[1::3], self.rgb[2::3]))


def is_grey(colour):
    """A star: red, green and blue equal (within rounding) and neither black nor white."""
    r, g, b = colour
    return max(r, g, b) - min(r, g, b) <= 3 and 20 <= r <= 200


def is_red(colour):
    """A roamlet's trail: clearly red."""
    r, g, b = colour
    return r >= 90 and g * 3 <= r and b * 3 <= r


def is_other_hue(colour):
    """A chaser's trail: coloured, but neither grey nor the roamlets' red."""
    r, g, b = colour
    return max(r, g, b) - min(r, g, b) >= 25 and not (g * 3 <= r and b * 3 <= r)


def count(picture, kind):
    return sum(n for colour, n in picture.colour_counts().items() if kind(colour))


def black_share(picture):
    counts = picture.colour_counts()
    return counts.get((0, 0, 0), 0) / (picture.width * picture.height)


def missing_from_scene(picture):
    """What of the scene the picture lacks: a black sky, grey stars, red roamlets' trails and chasers' trails
    of other colours. A random scene can start with every chaser behind the camera; they come into view
    as they turn, so a run is checked on the first picture that shows them, not on its first picture."""
    checks = (("a black background", black_share(picture) > 0.5),
              ("grey stars", count(picture, is_grey) > 50),
              ("red trails", count(picture, is_red) > 50),
              ("trails of another colour", count(picture, is_other_hue) > 50))
    return [what for what, shown in checks if not shown]
