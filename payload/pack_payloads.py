#!/usr/bin/env python3
"""Cuts payload files into numbered chunks and writes them as a compiled
resource file (.res) that the linker embeds in the launcher.

Each payload becomes BASE_1 ... BASE_n of one resource type, language 1033:
pieces of 8,388,608 bytes from the first byte on, the last piece holding the
rest (1 to 8,388,608 bytes, never empty). Nothing else about the payload is
stored. A report of what went in is written beside the resource file.

The resource file is written in one pass, straight from the payload files:
no chunk files and no resource compiler run over the payload bytes. The
linker builds the resource directory from it, together with the resources
that the resource compiler made of the artwork.

usage: pack_payloads.py --res FILE --report FILE --payload BASE TYPE FILE [...]
"""

import argparse
import hashlib
import os
import struct
import sys

PIECE_SIZE = 8 * 1024 * 1024
MAX_CHUNKS = 9999
LANGUAGE = 1033
# MOVEABLE | PURE, what the resource compiler gives a resource of a user type.
MEMORY_FLAGS = 0x0030
# A .res file begins with this empty entry: it marks the 32-bit format.
RES_SIGNATURE = struct.pack("<IIHHHHIHHII", 0, 32, 0xFFFF, 0, 0xFFFF, 0, 0, 0, 0, 0, 0)


def padding(length):
    return b"\0" * (-length % 4)


def entry_header(rtype, name, size):
    """The header of one .res entry: a string type and a string name."""
    names = (rtype.upper() + "\0").encode("utf-16-le") + (name.upper() + "\0").encode("utf-16-le")
    names += padding(len(names))
    # Data version, memory flags, language, version, characteristics.
    tail = struct.pack("<IHHII", 0, MEMORY_FLAGS, LANGUAGE, 0, 0)
    return struct.pack("<II", size, 8 + len(names) + len(tail)) + names + tail


def write_chunks(res, payload_path, base, rtype):
    """Writes the chunks of one payload; returns (chunk sizes, size, sha256)."""
    size = os.path.getsize(payload_path)
    if size == 0:
        raise ValueError(f"payload file is empty: {payload_path}")
    count = (size + PIECE_SIZE - 1) // PIECE_SIZE
    if count > MAX_CHUNKS:
        raise ValueError(f"payload file needs {count} chunks, more than {MAX_CHUNKS}: {payload_path}")
    digest = hashlib.sha256()
    sizes = []
    with open(payload_path, "rb") as source:
        for index in range(1, count + 1):
            piece = source.read(PIECE_SIZE)
            if not piece:
                raise ValueError(f"payload file shrank while it was read: {payload_path}")
            digest.update(piece)
            res.write(entry_header(rtype, f"{base}_{index}", len(piece)))
            res.write(piece)
            res.write(padding(len(piece)))
            sizes.append(len(piece))
        if source.read(1):
            raise ValueError(f"payload file grew while it was read: {payload_path}")
    if sum(sizes) != size:
        raise ValueError(f"payload file shrank while it was read: {payload_path}")
    return sizes, size, digest.hexdigest()


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--res", required=True)
    parser.add_argument("--report", required=True)
    parser.add_argument("--payload", nargs=3, action="append", default=[],
                        metavar=("BASE", "TYPE", "FILE"))
    args = parser.parse_args(argv)

    for _, _, path in args.payload:
        if not os.path.isfile(path):
            raise ValueError(f"payload file not found: {path}")
    report = []
    # Written under another name first: a failed run leaves no resource file
    # that a later build could take for a finished one.
    partial = args.res + ".part"
    try:
        with open(partial, "wb") as res:
            res.write(RES_SIGNATURE)
            for base, rtype, path in args.payload:
                sizes, size, sha = write_chunks(res, path, base, rtype)
                report.append(f"{base}_n ({rtype}): {os.path.abspath(path)}\n"
                              f"  size {size} bytes, {len(sizes)} chunks, last chunk {sizes[-1]} bytes\n"
                              f"  sha256 {sha}\n")
        os.replace(partial, args.res)
    finally:
        if os.path.exists(partial):
            os.remove(partial)

    with open(args.report, "w", encoding="utf-8") as out:
        out.write("Packaged payloads\n" + "".join(report))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except (OSError, ValueError) as error:
        print(f"pack_payloads: {error}", file=sys.stderr)
        sys.exit(1)
