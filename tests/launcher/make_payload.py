#!/usr/bin/env python3
"""Writes a test payload of SIZE bytes whose every 8 MiB piece differs.
usage: make_payload.py SIZE OUT"""
import sys

size, out = int(sys.argv[1]), sys.argv[2]
block = bytes((i * 7 + 3) % 251 for i in range(1 << 20))
with open(out, "wb") as f:
    written = 0
    while written < size:
        piece = block[: min(len(block), size - written)]
        f.write(bytes([written >> 20 & 0xFF]) + piece[1:])
        written += len(piece)
