#!/usr/bin/env python3
"""Draws the program icon: a 32x32, 16-colour .ico (a board-blue chip with pins and a white V).

The .ico is committed beside the resources; run this script again only to change the picture:
    python3 tools/make-icon.py resources/vexlor.ico
"""
import struct
import sys

# The standard Windows 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GREY, AQUA, WHITE = 0, 4, 7, 8, 14, 15

SIZE = 32


def draw():
    """Returns 32 rows of palette indices, top row first, and the transparency mask."""
    pixels = [[0] * SIZE for _ in range(SIZE)]
    opaque = [[False] * SIZE for _ in range(SIZE)]

    def put(x, y, colour):
        pixels[y][x] = colour
        opaque[y][x] = True

    # Pins on all four sides, silver, every fourth pixel.
    for i in range(7, 26, 4):
        for d in range(0, 4):
            for w in range(2):
                put(i + w, d, SILVER)
                put(i + w, SIZE - 1 - d, SILVER)
                put(d, i + w, SILVER)
                put(SIZE - 1 - d, i + w, SILVER)
    # The chip body with a one-pixel dark outline.
    for y in range(4, 28):
        for x in range(4, 28):
            edge = x in (4, 27) or y in (4, 27)
            put(x, y, BLACK if edge else NAVY)
    # A notch in the top edge, as on a real chip.
    for x in range(14, 18):
        put(x, 5, GREY)
    # A white V, two pixels thick, from the top corners to the bottom centre.
    for step in range(0, 16):
        y = 9 + step
        if y > 24:
            break
        left = 8 + (step * 7) // 15
        right = 23 - (step * 7) // 15
        for x in (left, left + 1, right - 1, right):
            put(x, y, WHITE)
    # An aqua status dot in the lower left corner.
    for y in range(22, 25):
        for x in range(7, 10):
            put(x, y, AQUA)
    return pixels, opaque


def build_ico(pixels, opaque):
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor_rows = []
    and_rows = []
    for y in reversed(range(SIZE)):  # bitmaps are stored bottom row first
        row = bytearray()
        for x in range(0, SIZE, 2):
            row.append((pixels[y][x] << 4) | pixels[y][x + 1])
        xor_rows.append(bytes(row))
        mask = 0
        for x in range(SIZE):
            mask = (mask << 1) | (0 if opaque[y][x] else 1)
        and_rows.append(struct.pack('>I', mask))
    image = header + palette + b''.join(xor_rows) + b''.join(and_rows)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else 'resources/vexlor.ico'
    pixels, opaque = draw()
    with open(out, 'wb') as f:
        f.write(build_ico(pixels, opaque))


if __name__ == '__main__':
    main()
