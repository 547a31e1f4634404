#!/usr/bin/env python3
"""Finishes a linked launcher: the last steps of its build, in this order.

1. The debug information and the symbol table move into a file beside the
   executable (DEBUG), which the executable names in its .gnu_debuglink
   section. The executable is still small: the linker left the payloads out.
2. The payloads go into its resource section (pack_payloads.py), which also
   sets the PE checksum.
3. With a certificate, the executable is signed (Authenticode, SHA-256) with
   osslsigncode, which keeps the checksum valid.
4. The packaging report is written: what was packed, and the finished
   executable's own size and SHA-256.

usage: finish_launcher.py --exe EXE --debug-file DEBUG --objcopy OBJCOPY
                          --report FILE [--payload BASE TYPE FILE ...]
                          [--osslsigncode PROGRAM --cert FILE [--key FILE]
                           [--password-file FILE]]
"""

import argparse
import binascii
import hashlib
import os
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pack_payloads  # noqa: E402  (beside this file)

# The variables that name the signing files, for messages.
CERT_VARIABLE = "CORVANELL_SIGN_CERT"
KEY_VARIABLE = "CORVANELL_SIGN_KEY"
PASSWORD_VARIABLE = "CORVANELL_SIGN_PASSWORD_FILE"


class Failure(Exception):
    pass


def run(command, what):
    # Tools that would otherwise stamp the current time into a PE header
    # take this one.
    environment = dict(os.environ, SOURCE_DATE_EPOCH="0")
    result = subprocess.run(command, capture_output=True, text=True, env=environment)
    if result.returncode != 0:
        raise Failure(f"{what} failed ({' '.join(command)}):\n{result.stdout}{result.stderr}")


def align(value, alignment):
    return (value + alignment - 1) // alignment * alignment


def strip_in_place(exe, debug_file):
    """Cuts the debug sections and the symbol table off the end of the file
    and puts a .gnu_debuglink section there instead.

    The linker writes the debug sections and the symbol table after every
    section of the image, so they are cut off by shortening the file: the
    payloads are not copied again (objcopy would rewrite the whole file).
    Returns False, changing nothing, when the file is not laid out so."""
    with open(exe, "r+b") as image:
        data = bytearray(image.read(4096))
        pe_header = struct.unpack_from("<I", data, 0x3C)[0]
        count, = struct.unpack_from("<H", data, pe_header + 6)
        symbols_at, symbol_count, optional_size = struct.unpack_from("<IIH", data, pe_header + 12)
        optional = pe_header + 24
        section_alignment, file_alignment = struct.unpack_from("<II", data, optional + 32)
        headers_size, = struct.unpack_from("<I", data, optional + 60)
        table = optional + optional_size
        if table + 40 * count > len(data):
            return False
        strings = b""
        if symbols_at:
            image.seek(symbols_at + 18 * symbol_count)
            strings = image.read(4)
            if len(strings) == 4:
                strings += image.read(struct.unpack("<I", strings)[0] - 4)

        def full_name(raw):
            name = raw.rstrip(b"\0")
            if name.startswith(b"/") and name[1:].isdigit():
                start = int(name[1:])
                name = strings[start:strings.index(b"\0", start)]
            return name

        sections = [(full_name(bytes(data[table + 40 * i:table + 40 * i + 8])),
                     bytearray(data[table + 40 * i:table + 40 * (i + 1)])) for i in range(count)]
        kept = [(name, header) for name, header in sections if not name.startswith(b".debug")]
        # Virtual size, address, raw size and raw offset of each kept section.
        layout = [struct.unpack_from("<IIII", header, 8) for _, header in kept]
        end_of_file = max((offset + size for _, _, size, offset in layout), default=headers_size)
        debug_offsets = [struct.unpack_from("<I", header, 20)[0] for name, header in sections
                         if name.startswith(b".debug")]
        if any(offset < end_of_file for offset in debug_offsets if offset) or \
                (symbols_at and symbols_at < end_of_file) or \
                table + 40 * (len(kept) + 1) > headers_size:
            return False

        # The debug link: the debug file's name, padded to four bytes, and
        # the CRC-32 of its contents.
        with open(debug_file, "rb") as f:
            crc = binascii.crc32(f.read()) & 0xFFFFFFFF
        link = os.path.basename(debug_file).encode() + b"\0"
        link += b"\0" * (-len(link) % 4) + struct.pack("<I", crc)
        address = align(max(a + max(v, 0) for v, a, _, _ in layout), section_alignment)
        raw_size = align(len(link), file_alignment)
        # Initialised data, discardable, readable: as binutils marks it.
        link_header = struct.pack("<8sIIIIIIHHI", b"", len(link), address, raw_size, end_of_file,
                                  0, 0, 0, 0, 0x42000040)
        kept.append((b".gnu_debuglink", bytearray(link_header)))

        # Names longer than eight bytes live in a new string table.
        string_table = b""
        for name, header in kept:
            if len(name) > 8:
                header[0:8] = f"/{4 + len(string_table)}".encode().ljust(8, b"\0")
                string_table += name + b"\0"
            else:
                header[0:8] = name.ljust(8, b"\0")
        string_table = struct.pack("<I", 4 + len(string_table)) + string_table

        new_table = b"".join(bytes(header) for _, header in kept)
        data[table:table + 40 * count] = new_table.ljust(40 * count, b"\0")
        struct.pack_into("<H", data, pe_header + 6, len(kept))
        struct.pack_into("<II", data, pe_header + 12, end_of_file + raw_size, 0)
        struct.pack_into("<I", data, optional + 56, align(address + len(link), section_alignment))
        image.seek(0)
        image.write(data)
        image.seek(end_of_file)
        image.write(link.ljust(raw_size, b"\0") + string_table)
        image.truncate()
    return True


def split_debug(objcopy, exe, debug_file):
    run([objcopy, "--only-keep-debug", exe, debug_file], "keeping the debug information")
    if not strip_in_place(exe, debug_file):
        # The symbol table goes too: it stays in the debug file.
        run([objcopy, "--strip-all", f"--add-gnu-debuglink={debug_file}", exe], "stripping the debug information")


def sign(osslsigncode, exe, cert, key, password_file):
    named = [f"{CERT_VARIABLE} ({cert})"]
    if key:
        named.append(f"{KEY_VARIABLE} ({key})")
    if password_file:
        named.append(f"{PASSWORD_VARIABLE} ({password_file})")
    for path, variable in ((cert, CERT_VARIABLE), (key, KEY_VARIABLE), (password_file, PASSWORD_VARIABLE)):
        if path and not os.path.isfile(path):
            raise Failure(f"{variable}: file not found: {path}")
    command = [osslsigncode, "sign", "-h", "sha256"]
    if key:
        command += ["-certs", cert, "-key", key]
    else:
        command += ["-pkcs12", cert]
    if password_file:
        command += ["-readpass", password_file]
    signed = exe + ".signed"
    if os.path.exists(signed):
        os.remove(signed)
    command += ["-in", exe, "-out", signed]
    try:
        run(command, "signing")
    except Failure as failure:
        raise Failure(f"cannot sign {os.path.basename(exe)} with {', '.join(named)}: {failure}") from None
    os.replace(signed, exe)


def sha256(path):
    digest = hashlib.sha256()
    # One buffer read into again and again: fresh blocks would each cost
    # new pages.
    buffer = bytearray(1 << 20)
    with open(path, "rb") as f:
        while True:
            count = f.readinto(buffer)
            if not count:
                break
            digest.update(memoryview(buffer)[:count])
    return digest.hexdigest()


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--debug-file", required=True)
    parser.add_argument("--objcopy", required=True)
    parser.add_argument("--report", required=True)
    parser.add_argument("--payload", nargs=3, action="append", default=[],
                        metavar=("BASE", "TYPE", "FILE"))
    parser.add_argument("--osslsigncode")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--password-file")
    args = parser.parse_args(argv)

    try:
        split_debug(args.objcopy, args.exe, args.debug_file)
        payloads = pack_payloads.pack(args.exe, args.payload)
        if args.cert:
            sign(args.osslsigncode, args.exe, args.cert, args.key, args.password_file)
    except (OSError, Failure, pack_payloads.PackError):
        # No half-finished executable is left for the next build to take for
        # a finished one: that build links it again.
        for leftover in (args.exe, args.report):
            if os.path.exists(leftover):
                os.remove(leftover)
        raise

    name = os.path.basename(args.exe)
    with open(args.report, "w", encoding="utf-8") as out:
        out.write(payloads)
        out.write(f"{name}: {os.path.getsize(args.exe)} bytes{', signed' if args.cert else ''}\n"
                  f"  sha256 {sha256(args.exe)}\n")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except (OSError, Failure, pack_payloads.PackError) as error:
        print(f"finish_launcher: {error}", file=sys.stderr)
        sys.exit(1)
