#!/usr/bin/env python3
"""Draws the program's icon, a 32 x 32 picture of 16 colours (a page of text with a
line of red ink and a writing brush), and writes it as res/fudekko.ico.

The .ico is kept in the repository; run this again only to change the picture.
"""

import math
import struct
from pathlib import Path

SIZE = 32
# The 16-colour palette of the old VGA screens, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, OLIVE, SILVER, GREY, RED, YELLOW, WHITE = 0, 1, 3, 7, 8, 9, 11, 15
CLEAR = None


def draw():
    pixels = [[CLEAR] * SIZE for _ in range(SIZE)]

    def put(x, y, colour):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            pixels[y][x] = colour

    # The page, with a folded top-right corner.
    left, top, right, bottom, fold = 3, 2, 24, 29, 5
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if x - (right - fold) > y - top:
                continue
            edge = x in (left, right) or y in (top, bottom) or x - (right - fold) == y - top
            put(x, y, BLACK if edge else WHITE)
    for i in range(fold + 1):
        put(right - fold, top + i, BLACK)
        put(right - fold + i, top + fold, BLACK)
    for i in range(1, fold):
        for j in range(1, i + 1):
            put(right - fold + j, top + i, SILVER)

    # Lines of text.
    for y, end in ((8, 17), (11, 20), (14, 14)):
        for x in range(6, end + 1):
            put(x, y, GREY)

    # A line of red handwriting across the lower half.
    for step in range(0, 140):
        x = 6 + step * 0.1
        y = 21 + 2.5 * math.sin(step / 14.0)
        put(round(x), round(y), RED)
        put(round(x), round(y) + 1, RED)

    # The brush: a handle from the top right down to a black tip on the ink.
    for step in range(0, 15):
        x, y = 29 - step * 0.62, 5 + step
        for dx in (0, 1):
            put(round(x) + dx, round(y), OLIVE if step < 11 else YELLOW)
        put(round(x) + 2, round(y), MAROON if step < 11 else OLIVE)
    for x, y in ((20, 20), (21, 20), (22, 20), (20, 21), (21, 21), (19, 22), (20, 22),
                 (19, 23)):
        put(x, y, BLACK)
    return pixels


def ico(pixels):
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    colour_rows, mask_rows = [], []
    for row in reversed(pixels):  # a DIB stores its rows bottom-up
        nibbles = [c if c is not None else 0 for c in row]
        colour_rows.append(bytes(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, SIZE, 2)))
        bits = 0
        for c in row:
            bits = bits << 1 | (c is None)
        mask_rows.append(bits.to_bytes(SIZE // 8, "big"))
    image = info + palette + b"".join(colour_rows) + b"".join(mask_rows)
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return header + entry + image


if __name__ == "__main__":
    target = Path(__file__).resolve().parent / "fudekko.ico"
    target.write_bytes(ico(draw()))
    print(f"wrote {target}")
