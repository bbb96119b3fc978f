#!/usr/bin/env python3
"""Draws the two application icons and writes them as .ico files.

Each picture is drawn on a 16-unit grid with straight edges on whole units,
so it stays sharp at 16, 32, 48 and 256 pixels; only rounded corners and
diagonals are smoothed. The 16 to 48 pixel images are stored as bitmaps, the
256 pixel one as PNG, as Windows expects. Standard library only.

    python3 resources/make_icons.py    # rewrites resources/*.ico
"""

import struct
import zlib
from pathlib import Path

SIZES = (16, 32, 48, 256)


def rounded_square(colour, radius=3.0):
    def inside(x, y):
        cx = min(max(x, radius), 16 - radius)
        cy = min(max(y, radius), 16 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside, colour


def box(left, top, right, bottom, colour):
    return (lambda x, y: left <= x < right and top <= y < bottom), colour


def triangle(a, b, c, colour):
    def side(p, q, x, y):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    def inside(x, y):
        s1, s2, s3 = side(a, b, x, y), side(b, c, x, y), side(c, a, x, y)
        return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)
    return inside, colour


def band(start, end, half_width, colour):
    """A straight stroke from start to end."""
    (x1, y1), (x2, y2) = start, end
    length2 = (x2 - x1) ** 2 + (y2 - y1) ** 2
    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x1) * (x2 - x1) + (y - y1) * (y2 - y1)) / length2))
        px, py = x1 + t * (x2 - x1), y1 + t * (y2 - y1)
        return (x - px) ** 2 + (y - py) ** 2 <= half_width ** 2
    return inside, colour


WHITE = (255, 255, 255)
AMBER = (255, 190, 40)

# renumbrix: a list of three lines with a downward arrow beside it, for
# "give these lines new numbers from the top down".
RENUMBRIX = [
    rounded_square((30, 90, 200)),
    box(3, 3, 5, 10, AMBER),
    triangle((1.5, 9), (6.5, 9), (4, 13), AMBER),
    box(8, 3, 14, 5, WHITE),
    box(8, 7, 14, 9, WHITE),
    box(8, 11, 14, 13, WHITE),
]

# tallyrun: four tally marks struck through, for "count the lines".
TALLYRUN = [
    rounded_square((20, 130, 70)),
    box(3, 3, 4, 13, WHITE),
    box(6, 3, 7, 13, WHITE),
    box(9, 3, 10, 13, WHITE),
    box(12, 3, 13, 13, WHITE),
    band((1.8, 11.5), (14.2, 4.5), 0.9, AMBER),
]


def render(shapes, size):
    """Rows of (r, g, b, a), top row first, by averaging a 4 x 4 grid of samples a pixel."""
    samples = 4
    scale = 16 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * scale
                    y = (py + (sy + 0.5) / samples) * scale
                    for inside, colour in reversed(shapes):
                        if inside(x, y):
                            r, g, b, a = r + colour[0], g + colour[1], b + colour[2], a + 1
                            break
            n = samples * samples
            row.append((r // a, g // a, b // a, 255 * a // n) if a else (0, 0, 0, 0))
        rows.append(row)
    return rows


def bitmap_entry(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    mask_row_bytes = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_row_bytes)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def png_entry(rows):
    size = len(rows)
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + b"".join(bytes(pixel) for pixel in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_icon(path, shapes):
    images = [(size, png_entry(render(shapes, size)) if size >= 256 else
               bitmap_entry(render(shapes, size))) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    path.write_bytes(directory + b"".join(data for _, data in images))


if __name__ == "__main__":
    here = Path(__file__).resolve().parent
    write_icon(here / "renumbrix.ico", RENUMBRIX)
    write_icon(here / "tallyrun.ico", TALLYRUN)
