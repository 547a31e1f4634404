#!/usr/bin/env python3
"""Packs payload files into a linked launcher: each payload is cut into
numbered chunks that go into the executable's resource section, beside the
resources it was linked with.

Each payload becomes BASE_1 ... BASE_n of one resource type, language 1033:
pieces of 8,388,608 bytes from the first byte on, the last piece holding the
rest (1 to 8,388,608 bytes, never empty). Nothing else about the payload is
stored.

The launcher is linked without its payloads, so no linker carries their
bytes. This step then writes the executable once more, in one pass:

- the headers and the sections before the resource section, as they are;
- a new resource section at the same place: one resource directory for the
  linked resources and the chunks, laid out as the resource compiler and the
  linker lay it out (string names before numbers, each sorted; the tables
  level by level, then the data entries, the names and the data), the linked
  resources' data first, then the chunks in order, each chunk starting on a
  page of its own, so that the loader can map it straight from the file;
- the sections that followed it, moved up. Only sections that nothing in
  the image points into by address may follow it: the base relocations and
  the debug link, as linkers place them.

The PE checksum is summed from the bytes as they are written, and each
payload's SHA-256 from the bytes as they are read; a background thread writes
the file while the main thread sums, so the payload bytes are read once.

usage: pack_payloads.py --exe EXE --report FILE --payload BASE TYPE FILE [...]
(the report lists what was packed; finish_launcher.py uses the same code)
"""

import argparse
import collections
import concurrent.futures
import hashlib
import os
import struct
import sys

PIECE_SIZE = 8 * 1024 * 1024
MAX_CHUNKS = 9999
LANGUAGE = 1033
# Where the resource compiler and the linker start each resource's data.
DATA_ALIGNMENT = 8
# Where each chunk starts: a page of its own.
CHUNK_ALIGNMENT = 4096
# Sections that may follow the resource section, to be moved up: nothing
# refers to where they are but the data directory.
MOVABLE_SECTIONS = (b".reloc", b".gnu_debuglink")
RESOURCE_DIRECTORY, SECURITY_DIRECTORY, DEBUG_DIRECTORY = 2, 4, 6
SUBDIRECTORY = 0x80000000
PE32, PE32_PLUS = 0x10B, 0x20B


class PackError(Exception):
    pass


def align(value, alignment):
    return (value + alignment - 1) // alignment * alignment


# --- Payloads ---------------------------------------------------------------

Payload = collections.namedtuple("Payload", "base rtype path size chunks")


def plan_payload(base, rtype, path):
    """The chunk sizes of one payload file, checked."""
    if not os.path.isfile(path):
        raise PackError(f"payload file not found: {path}")
    size = os.path.getsize(path)
    if size == 0:
        raise PackError(f"payload file is empty: {path}")
    count = (size + PIECE_SIZE - 1) // PIECE_SIZE
    if count > MAX_CHUNKS:
        raise PackError(f"payload file needs {count} chunks, more than {MAX_CHUNKS}: {path}")
    chunks = [PIECE_SIZE] * (count - 1) + [size - PIECE_SIZE * (count - 1)]
    return Payload(base.upper(), rtype.upper(), path, size, chunks)


# --- The image --------------------------------------------------------------

Section = collections.namedtuple("Section", "name vsize va raw_size raw_at")


class Image:
    """The headers of a PE image (PE32 or PE32+) held in memory."""

    def __init__(self, data):
        if data[:2] != b"MZ":
            raise PackError("not an executable")
        self.data = data
        self.pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[self.pe:self.pe + 4] != b"PE\0\0":
            raise PackError("not a PE image")
        count, = struct.unpack_from("<H", data, self.pe + 6)
        optional_size, = struct.unpack_from("<H", data, self.pe + 20)
        self.optional = self.pe + 24
        magic, = struct.unpack_from("<H", data, self.optional)
        if magic not in (PE32, PE32_PLUS):
            raise PackError(f"unknown optional header magic {magic:#x}")
        directories_at = self.optional + (96 if magic == PE32 else 112)
        directory_count, = struct.unpack_from("<I", data, directories_at - 4)
        self.directories_at = directories_at
        self.directories = [list(struct.unpack_from("<II", data, directories_at + 8 * i))
                            for i in range(directory_count)]
        self.section_alignment, self.file_alignment = struct.unpack_from("<II", data, self.optional + 32)
        self.table = self.optional + optional_size
        self.sections = []
        for i in range(count):
            at = self.table + 40 * i
            name = bytes(data[at:at + 8]).rstrip(b"\0")
            vsize, va, raw_size, raw_at = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append(Section(name, vsize, va, raw_size, raw_at))

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else [0, 0]

    def section_of(self, rva):
        for index, section in enumerate(self.sections):
            if section.va <= rva < section.va + max(section.vsize, section.raw_size):
                return index
        return None

    def section_name(self, index, strings):
        """A section's full name: names over eight bytes are in the string
        table that follows the symbol table."""
        name = self.sections[index].name
        if name.startswith(b"/") and name[1:].isdigit() and strings:
            start = int(name[1:])
            end = strings.find(b"\0", start)
            return strings[start:end if end >= 0 else len(strings)]
        return name


def string_table(data, image):
    symbols_at, symbol_count = struct.unpack_from("<II", data, image.pe + 12)
    if not symbols_at:
        return b""
    at = symbols_at + 18 * symbol_count
    if at + 4 > len(data):
        return b""
    size, = struct.unpack_from("<I", data, at)
    return bytes(data[at:at + size])


# --- The resource directory -------------------------------------------------

def read_resources(section, rva):
    """Every resource of a resource section, as [type, name, language,
    code page, data bytes]; types and names are numbers or texts."""
    def entries(offset):
        named, numbered = struct.unpack_from("<HH", section, offset + 12)
        for i in range(named + numbered):
            key, target = struct.unpack_from("<II", section, offset + 16 + 8 * i)
            if key & SUBDIRECTORY:
                at = key & ~SUBDIRECTORY
                length, = struct.unpack_from("<H", section, at)
                key = bytes(section[at + 2:at + 2 + 2 * length]).decode("utf-16-le")
            yield key, target

    found = []
    for rtype, types in entries(0):
        for name, names in entries(types & ~SUBDIRECTORY):
            for language, leaf in entries(names & ~SUBDIRECTORY):
                if leaf & SUBDIRECTORY:
                    raise PackError("the resource directory has more than three levels")
                data_rva, size, codepage, _ = struct.unpack_from("<IIII", section, leaf)
                start = data_rva - rva
                if start < 0 or start + size > len(section):
                    raise PackError(f"resource {rtype}/{name} lies outside the resource section")
                found.append([rtype, name, language, codepage, bytes(section[start:start + size])])
    return found


def sort_key(key):
    """Texts before numbers, texts by their UTF-16 code units."""
    if isinstance(key, str):
        encoded = key.encode("utf-16-le")
        return (0, struct.unpack(f"<{len(encoded) // 2}H", encoded))
    return (1, key)


def resource_section(resources, rva):
    """Lays out a resource section for resources given as (type, name,
    language, code page, size, alignment); returns (directory bytes, data
    offsets in the section in the order given, section size)."""
    tree = {}
    for index, (rtype, name, language, *_rest) in enumerate(resources):
        languages = tree.setdefault(rtype, {}).setdefault(name, {})
        if language in languages:
            raise PackError(f"resource {rtype}/{name} language {language} is there twice")
        languages[language] = index

    def table_size(children):
        return 16 + 8 * len(children)

    # Tables level by level: the root, the names of each type, the languages
    # of each name.
    types = sorted(tree, key=sort_key)
    offset = table_size(types)
    type_tables = {}
    for rtype in types:
        type_tables[rtype] = offset
        offset += table_size(tree[rtype])
    name_tables = {}
    for rtype in types:
        for name in sorted(tree[rtype], key=sort_key):
            name_tables[rtype, name] = offset
            offset += table_size(tree[rtype][name])
    leaves = []
    for rtype in types:
        for name in sorted(tree[rtype], key=sort_key):
            leaves += [tree[rtype][name][language] for language in sorted(tree[rtype][name])]
    data_entries = offset
    offset += 16 * len(leaves)
    strings = {}
    string_bytes = bytearray()
    for key in types + [name for rtype in types for name in sorted(tree[rtype], key=sort_key)]:
        if isinstance(key, str) and key not in strings:
            encoded = key.encode("utf-16-le")
            strings[key] = offset + len(string_bytes)
            string_bytes += struct.pack("<H", len(encoded) // 2) + encoded
    offset += len(string_bytes)

    data_offsets = []
    for *_, size, alignment in resources:
        offset = align(offset, alignment)
        data_offsets.append(offset)
        offset += size

    out = bytearray()

    def table(children, target):
        keys = sorted(children, key=sort_key)
        named = sum(1 for key in keys if isinstance(key, str))
        out.extend(struct.pack("<IIHHHH", 0, 0, 0, 0, named, len(keys) - named))
        for key in keys:
            name_field = strings[key] | SUBDIRECTORY if isinstance(key, str) else key
            out.extend(struct.pack("<II", name_field, target(key)))

    table(tree, lambda rtype: type_tables[rtype] | SUBDIRECTORY)
    for rtype in types:
        table(tree[rtype], lambda name: name_tables[rtype, name] | SUBDIRECTORY)
    leaf_at = {index: data_entries + 16 * n for n, index in enumerate(leaves)}
    for rtype in types:
        for name in sorted(tree[rtype], key=sort_key):
            table(tree[rtype][name], lambda language: leaf_at[tree[rtype][name][language]])
    for index in leaves:
        _, _, _, codepage, size, _ = resources[index]
        out.extend(struct.pack("<IIII", rva + data_offsets[index], size, codepage, 0))
    out.extend(string_bytes)
    return bytes(out), data_offsets, offset


# --- Writing ----------------------------------------------------------------

# The checksum sums blocks of this size: numbers this small come from memory
# the allocator reuses, where larger ones would be fresh pages each time.
SUM_BLOCK = 32 * 1024


def word_sum(data):
    """The 16-bit little-endian words of data (starting at an even file
    offset) summed modulo 65535. As 65536 is 1 modulo 65535, that is the
    number each block's bytes spell, modulo 65535; halves of the number are
    added together first (at multiples of 240 bits, whole words and whole
    digits of Python's numbers), which is faster than one long division."""
    view = memoryview(data)
    total = 0
    for start in range(0, len(view), SUM_BLOCK):
        number = int.from_bytes(view[start:start + SUM_BLOCK], "little")
        bits = 8 * SUM_BLOCK
        while bits > 4096:
            half = bits // 2 // 240 * 240
            number = (number >> half) + (number & ((1 << half) - 1))
            bits = bits - half + 1
        total += number
    return total % 0xFFFF


class ImageWriter:
    """Writes a file in order on a background thread, summing the PE
    checksum of what is written on the calling thread."""

    # Pieces are read into a few buffers that are used in turn; a buffer is
    # filled again only once its last write is done.
    BUFFERS = 3

    def __init__(self, path):
        self.file = open(path, "wb")
        self.position = 0
        self.total = 0
        self.pool = concurrent.futures.ThreadPoolExecutor(max_workers=1)
        self.pending = collections.deque()
        self.buffers = []
        self.turn = 0

    def _submit(self, job, *args):
        while len(self.pending) >= self.BUFFERS:
            self.pending.popleft().result()
        self.pending.append(self.pool.submit(job, *args))

    def buffer(self, size):
        """A buffer of size bytes to read a piece into and give to write()."""
        while len(self.pending) >= self.BUFFERS - 1:
            self.pending.popleft().result()
        if len(self.buffers) < self.BUFFERS:
            self.buffers.append(bytearray(PIECE_SIZE))
        self.turn = (self.turn + 1) % len(self.buffers)
        return memoryview(self.buffers[self.turn])[:size]

    def write(self, data, digest=None):
        if self.position % 2:
            raise PackError("internal error: data written at an odd offset")
        self.total += word_sum(data)
        self.position += len(data)

        def job():
            if digest is not None:
                digest.update(data)
            self.file.write(data)
        self._submit(job)

    def drain(self):
        """Waits until everything given so far is written."""
        while self.pending:
            self.pending.popleft().result()

    def pad_to(self, position):
        if position < self.position:
            raise PackError("internal error: the layout goes backwards")
        if position > self.position:
            self._submit(self.file.write, b"\0" * (position - self.position))
            self.position = position

    def finish(self, checksum_at):
        """Waits for every write, then sets the checksum: the words summed
        with end-around carry (the field counted as zero; the headers are
        never all zero), plus the file's length."""
        try:
            self.drain()
            folded = self.total % 0xFFFF or 0xFFFF
            self.file.seek(checksum_at)
            self.file.write(struct.pack("<I", (folded + self.position) & 0xFFFFFFFF))
        finally:
            self.pool.shutdown()
            self.file.close()

    def abandon(self):
        self.pool.shutdown(cancel_futures=True)
        self.file.close()


def copy_payload(writer, payload, placements):
    """Writes one payload's chunks at their places; returns its SHA-256."""
    digest = hashlib.sha256()
    with open(payload.path, "rb") as source:
        for size, at in zip(payload.chunks, placements):
            piece = writer.buffer(size)
            if source.readinto(piece) != size:
                raise PackError(f"payload file shrank while it was read: {payload.path}")
            writer.pad_to(at)
            writer.write(piece, digest)
        if source.read(1):
            raise PackError(f"payload file grew while it was read: {payload.path}")
    # The digest is fed on the writing thread.
    writer.drain()
    return digest.hexdigest()


def pack(exe, payload_args):
    """Packs payloads, given as (base, type, file), into the linked
    executable exe; returns the report's text."""
    payloads = [plan_payload(*args) for args in payload_args]
    with open(exe, "rb") as f:
        data = bytearray(f.read())
    try:
        image = Image(data)
    except (PackError, struct.error) as error:
        raise PackError(f"{exe}: {error}") from None
    if image.directory(SECURITY_DIRECTORY)[0]:
        raise PackError(f"{exe} is signed already: payloads go in before the signature")
    resource_rva, _ = image.directory(RESOURCE_DIRECTORY)
    home = image.section_of(resource_rva) if resource_rva else None
    if home is None or image.sections[home].va != resource_rva:
        raise PackError(f"{exe} has no resource section to add the payloads to")
    strings = string_table(data, image)
    old = image.sections[home]
    after = list(range(home + 1, len(image.sections)))
    for index in after:
        name = image.section_name(index, strings)
        if name not in MOVABLE_SECTIONS:
            raise PackError(f"{exe}: section {name.decode(errors='replace')} follows the resource "
                            f"section and cannot be moved")
    for index, (rva, size) in enumerate(image.directories):
        inside = image.section_of(rva) if rva and size else None
        if index == RESOURCE_DIRECTORY or index == SECURITY_DIRECTORY or inside is None:
            continue
        if inside == home or (index == DEBUG_DIRECTORY and inside in after):
            raise PackError(f"{exe}: data directory {index} lies where the resource section grows")
    sections_end = max(s.raw_at + s.raw_size for s in image.sections)
    if any(s.raw_at + s.raw_size > old.raw_at for s in image.sections[:home] if s.raw_size) or \
            any(image.sections[i].raw_at < old.raw_at + old.raw_size for i in after
                if image.sections[i].raw_size):
        raise PackError(f"{exe}: the sections are not in file order")

    linked = read_resources(data[old.raw_at:old.raw_at + min(old.vsize, old.raw_size)], old.va)
    resources = [(t, n, lang, cp, len(body), DATA_ALIGNMENT) for t, n, lang, cp, body in linked]
    for payload in payloads:
        for number, size in enumerate(payload.chunks, 1):
            resources.append((payload.rtype, f"{payload.base}_{number}", LANGUAGE, 0, size, CHUNK_ALIGNMENT))
    directory, offsets, rsrc_size = resource_section(resources, old.va)

    # The new section table: the resource section grows, those after it move.
    header = bytearray(data[:old.raw_at])
    new_sections = list(image.sections)
    new_sections[home] = old._replace(vsize=rsrc_size, raw_size=align(rsrc_size, image.file_alignment))
    moved_by = {}
    for index in after:
        previous, section = new_sections[index - 1], image.sections[index]
        va = align(previous.va + previous.vsize, image.section_alignment)
        raw_at = previous.raw_at + previous.raw_size if section.raw_size else 0
        new_sections[index] = section._replace(va=va, raw_at=raw_at)
        moved_by[index] = va - section.va
        struct.pack_into("<I", header, image.table + 40 * index + 12, va)
        struct.pack_into("<I", header, image.table + 40 * index + 20, raw_at)
    struct.pack_into("<II", header, image.table + 40 * home + 8, rsrc_size, old.va)
    struct.pack_into("<I", header, image.table + 40 * home + 16, new_sections[home].raw_size)
    grown = new_sections[home].raw_size - old.raw_size
    initialized, = struct.unpack_from("<I", header, image.optional + 8)
    struct.pack_into("<I", header, image.optional + 8, (initialized + grown) & 0xFFFFFFFF)
    new_end = max(s.raw_at + s.raw_size for s in new_sections)
    last = new_sections[-1]
    image_size = align(last.va + max(last.vsize, last.raw_size), image.section_alignment)
    struct.pack_into("<I", header, image.optional + 56, image_size)
    checksum_at = image.optional + 64
    struct.pack_into("<I", header, checksum_at, 0)
    struct.pack_into("<II", header, image.directories_at + 8 * RESOURCE_DIRECTORY, old.va, rsrc_size)
    for index, (rva, size) in enumerate(image.directories):
        inside = image.section_of(rva) if rva and size else None
        if inside in moved_by and index != SECURITY_DIRECTORY:
            struct.pack_into("<I", header, image.directories_at + 8 * index, rva + moved_by[inside])
    # What follows the last section (the string table of long section names)
    # moves with it.
    symbols_at, = struct.unpack_from("<I", header, image.pe + 12)
    if symbols_at:
        if symbols_at < sections_end:
            raise PackError(f"{exe}: the symbol table lies within the sections")
        struct.pack_into("<I", header, image.pe + 12, symbols_at + new_end - sections_end)

    partial = exe + ".part"
    writer = ImageWriter(partial)
    report = []
    try:
        writer.write(bytes(header))
        writer.write(directory)
        for (t, n, lang, cp, body), at in zip(linked, offsets):
            writer.pad_to(old.raw_at + at)
            writer.write(body)
        placed = len(linked)
        for payload in payloads:
            places = [old.raw_at + at for at in offsets[placed:placed + len(payload.chunks)]]
            placed += len(payload.chunks)
            sha = copy_payload(writer, payload, places)
            report.append(f"{payload.base}_n ({payload.rtype}): {os.path.abspath(payload.path)}\n"
                          f"  size {payload.size} bytes, {len(payload.chunks)} chunks, "
                          f"last chunk {payload.chunks[-1]} bytes\n"
                          f"  sha256 {sha}\n")
        writer.pad_to(old.raw_at + new_sections[home].raw_size)
        for index in after:
            section = image.sections[index]
            if section.raw_size:
                writer.pad_to(new_sections[index].raw_at)
                writer.write(bytes(data[section.raw_at:section.raw_at + section.raw_size]))
        if len(data) > sections_end:
            writer.pad_to(new_end)
            writer.write(bytes(data[sections_end:]))
        writer.finish(checksum_at)
        os.chmod(partial, os.stat(exe).st_mode & 0o7777)
        os.replace(partial, exe)
    except BaseException:
        writer.abandon()
        raise
    finally:
        if os.path.exists(partial):
            os.remove(partial)
    return "Packaged payloads\n" + "".join(report)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--report", required=True)
    parser.add_argument("--payload", nargs=3, action="append", default=[],
                        metavar=("BASE", "TYPE", "FILE"))
    args = parser.parse_args(argv)
    report = pack(args.exe, args.payload)
    with open(args.report, "w", encoding="utf-8") as out:
        out.write(report)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except (OSError, PackError) as error:
        print(f"pack_payloads: {error}", file=sys.stderr)
        sys.exit(1)
