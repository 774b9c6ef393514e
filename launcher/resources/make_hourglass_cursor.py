#!/usr/bin/env python3
"""Writes the launcher's busy cursor: a 32 x 32, 16-colour hourglass, hot spot (16, 15).

Usage: make_hourglass_cursor.py OUTPUT.cur
The drawing is computed, so the file is the same on every build.
"""
import struct
import sys

SIZE = 32
HOT_SPOT = (16, 15)
BLACK, WHITE, TRANSPARENT = 0, 15, None  # palette indexes; None is see-through


def pixel(x, y):
    """The hourglass: a frame at top and bottom, two glass triangles meeting in the middle."""
    if y in (2, 3, 28, 29) and 6 <= x <= 25:
        return BLACK
    if 4 <= y <= 27:
        half = abs(y - 15.5)            # 0.5 at the waist, 11.5 at the ends
        width = 1 + int(half * 0.8)     # half-width of the glass at this row
        left, right = 16 - width, 15 + width
        if x in (left, right):
            return BLACK
        if left < x < right:
            sand = (y >= 20) or (y <= 8)
            return BLACK if sand and (x + y) % 2 == 0 else WHITE
    return TRANSPARENT


def main(out_path):
    palette = [(0, 0, 0)] * 16
    palette[WHITE] = (255, 255, 255)
    xor_rows, and_rows = [], []
    for y in reversed(range(SIZE)):  # bitmaps are stored bottom-up
        nibbles = []
        mask_bits = 0
        for x in range(SIZE):
            p = pixel(x, y)
            nibbles.append(0 if p is None else p)
            if p is None:
                mask_bits |= 1 << (31 - x)
        xor_rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2)))
        and_rows.append(struct.pack(">I", mask_bits))
    image = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    image += b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    image += b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, HOT_SPOT[0], HOT_SPOT[1], len(image), 22)
    with open(out_path, "wb") as out:
        out.write(header + entry + image)


if __name__ == "__main__":
    main(sys.argv[1])
