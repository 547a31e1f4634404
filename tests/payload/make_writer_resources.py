#!/usr/bin/env python3
"""Writes the chunk files and resource script of the writer test's own
resource sets, each chunk holding bytes that tell it apart from the others.

usage: make_writer_resources.py OUT_DIR RC_FILE
"""

import os
import sys

FULL = 8 * 1024 * 1024

# (base name, resource type, chunk indexes, size of each chunk)
SETS = [
    ("GAP", "TESTCHUNK", [1, 2, 3, 5], lambda i: 1000 + i),
    ("ONE", "TESTCHUNK", [1], lambda i: 777),
    ("OTHER", "WRONGTYPE", [1], lambda i: 10),
    ("FULL", "TESTCHUNK", [1, 2], lambda i: FULL),
    ("SIX", "TESTCHUNK", list(range(1, 7)), lambda i: 100 + i),
    ("N49", "TESTCHUNK", list(range(1, 50)), lambda i: 50 + i),
]


def content(base, index, size):
    seed = sum(base.encode()) * 31 + index * 17
    block = bytes((seed + i * 13) % 256 for i in range(4096))
    whole, rest = divmod(size, len(block))
    return block * whole + block[:rest]


def main(out_dir, rc_path):
    os.makedirs(out_dir, exist_ok=True)
    lines = ["LANGUAGE 0x09, 0x01"]
    for base, rtype, indexes, size in SETS:
        for index in indexes:
            path = os.path.join(out_dir, f"{base}_{index}.bin")
            data = content(base, index, size(index))
            if not os.path.exists(path) or os.path.getsize(path) != len(data):
                with open(path, "wb") as f:
                    f.write(data)
            lines.append(f'{base}_{index} {rtype} "{os.path.abspath(path)}"')
    with open(rc_path, "w") as rc:
        rc.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
