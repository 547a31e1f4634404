#!/usr/bin/env python3
"""Writes a set of splash bitmaps of the packaged names, sizes and format
(32-bit, bottom-up, fourth byte 255) whose pixels tell every bitmap apart,
and a resource script that embeds them.

usage: make_test_bitmaps.py OUT_DIR RC_FILE [--without NAME]...
"""

import os
import struct
import sys

WIDTH = 420
STEPS = ["TMP", "XJAVA", "SEARCHING", "XJAR", "LAUNCHING"]


def title(x, y):
    return ((x * 7 + y * 3) & 255, (x ^ y) & 255, (x * y // 7) & 255)


def strip(n):
    bar = n * WIDTH // 100

    def pixel(x, y):
        if y < 6:
            # dark bar and pale ground, both shaded by n so that no two strips match
            return (30, 60 + n, 110) if x < bar else (225, 235, 150 + n)
        return (190 + x % 11, 200 + y % 7, 170 + (x // 30) % 13)
    return pixel


def caption(name):
    # Two colours only: a white block per letter, its height taken from the letter.
    def pixel(x, y):
        i, offset = divmod(x - 8, 13)
        if 0 <= i < len(name) and offset < 9 and 3 <= y < 3 + 4 + ord(name[i]) % 17:
            return (255, 255, 255)
        return (0, 0, 0)
    return pixel


def bmp(height, pixel):
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(WIDTH):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r, 255))
        rows.append(bytes(row))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, height, 1, 32, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return header + info + data


def bitmaps():
    yield "SPLASH", 270, title
    for n in range(0, 101, 10):
        yield f"PROGRESS_{n}", 30, strip(n)
    for step in STEPS:
        yield f"STEP_{step}", 24, caption(step)


def main(argv):
    out_dir, rc_path = argv[0], argv[1]
    without = {argv[i + 1] for i, a in enumerate(argv) if a == "--without"}
    os.makedirs(out_dir, exist_ok=True)
    lines = ["LANGUAGE 0x09, 0x01"]
    for name, height, pixel in bitmaps():
        if name in without:
            continue
        path = os.path.join(out_dir, name + ".bmp")
        with open(path, "wb") as f:
            f.write(bmp(height, pixel))
        lines.append(f'{name} BITMAP "{os.path.abspath(path)}"')
    with open(rc_path, "w") as rc:
        rc.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1:])
