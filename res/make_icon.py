#!/usr/bin/env python3
"""Draws the program's icon, a picture of 16 colours (a page of text with a line of red
ink and a writing brush), at 16, 32, 48 and 64 pixels, and writes them as
res/fudekko.ico. Windows picks the picture nearest to the size it shows, so the icon
stays sharp at 150 % and 200 % scaling instead of being stretched from 32 pixels.

The shapes are laid out on a 32-pixel grid and drawn at each size with lines of a
whole number of pixels; at 32 pixels that is the original picture, pixel for pixel.

The .ico is kept in the repository; run this again only to change the picture.
"""

import math
import struct
from pathlib import Path

SIZES = (16, 32, 48, 64)
GRID = 32
# The 16-colour palette of the old VGA screens, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, OLIVE, SILVER, GREY, RED, YELLOW, WHITE = 0, 1, 3, 7, 8, 9, 11, 15
CLEAR = None


def draw(size):
    scale = size / GRID
    line = max(1, round(scale))  # the width of a 1-pixel line of the grid
    samples = math.ceil(scale)  # samples per grid step along the curves
    pixels = [[CLEAR] * size for _ in range(size)]

    def at(v):  # halves round up, so that every size divides the grid alike
        return math.floor(v * scale + 0.5)

    def put(x, y, colour):
        if 0 <= x < size and 0 <= y < size:
            pixels[y][x] = colour

    def fill(left, top, right, bottom, colour):
        for y in range(top, bottom):
            for x in range(left, right):
                put(x, y, colour)

    # The page, with a folded top-right corner: the grid's cells 3..24 by 2..29.
    left, top, right, bottom = at(3), at(2), at(25) - 1, at(30) - 1
    fold = at(5)
    corner = right - fold
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            beyond_fold = (y - top) - (x - corner)
            if beyond_fold < 0:
                continue
            edge = (x < left + line or x > right - line or y < top + line
                    or y > bottom - line or beyond_fold < line)
            put(x, y, BLACK if edge else WHITE)
    # The folded corner: silver below the diagonal, black along the fold.
    for y in range(top + line, top + fold):
        for x in range(corner + line, right + 1):
            if x - corner <= y - top:
                put(x, y, SILVER)
    fill(corner, top, corner + line, top + fold + 1, BLACK)
    fill(corner, top + fold + 1 - line, right + 1, top + fold + 1, BLACK)

    # Lines of text.
    for y, end in ((8, 17), (11, 20), (14, 14)):
        fill(at(6), at(y), at(end + 1), at(y) + line, GREY)

    # A line of red handwriting across the lower half, twice as thick as a line.
    for step in range(0, 140 * samples):
        u = step / samples
        x = (6 + u * 0.1) * scale
        y = (21 + 2.5 * math.sin(u / 14.0)) * scale
        fill(round(x), round(y), round(x) + line, round(y) + 2 * line, RED)

    # The brush: a handle from the top right down to a black tip on the ink.
    for step in range(0, 15 * samples):
        u = step / samples
        x, y = round((29 - u * 0.62) * scale), round((5 + u) * scale)
        handle, shade = (OLIVE, MAROON) if u < 11 else (YELLOW, OLIVE)
        fill(x, y, x + 2 * line, y + line, handle)
        fill(x + 2 * line, y, x + 3 * line, y + line, shade)
    for x, y in ((20, 20), (21, 20), (22, 20), (20, 21), (21, 21), (19, 22), (20, 22),
                 (19, 23)):
        fill(at(x), at(y), at(x + 1), at(y + 1), BLACK)
    return pixels


def padded(row):
    """A DIB row is padded to whole 32-bit words."""
    return row + bytes(-len(row) % 4)


def image(pixels):
    size = len(pixels)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    colour_rows, mask_rows = [], []
    for row in reversed(pixels):  # a DIB stores its rows bottom-up
        nibbles = [c if c is not None else 0 for c in row]
        colour_rows.append(padded(bytes(nibbles[i] << 4 | nibbles[i + 1]
                                        for i in range(0, size, 2))))
        bits = 0
        for c in row:
            bits = bits << 1 | (c is None)
        mask_rows.append(padded(bits.to_bytes(size // 8, "big")))
    return info + palette + b"".join(colour_rows) + b"".join(mask_rows)


def ico(pictures):
    images = [image(pixels) for pixels in pictures]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for pixels, data in zip(pictures, images):
        size = len(pixels) % 256  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return header + entries + b"".join(images)


if __name__ == "__main__":
    target = Path(__file__).resolve().parent / "fudekko.ico"
    target.write_bytes(ico([draw(size) for size in SIZES]))
    print(f"wrote {target}")
