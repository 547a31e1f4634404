#!/usr/bin/env python3
"""Finishes a linked launcher: the last steps of its build, in this order.

1. The debug information and the symbol table move into a file beside the
   executable (DEBUG), which the executable names in its .gnu_debuglink
   section.
2. The PE checksum is set.
3. With a certificate, the executable is signed (Authenticode, SHA-256) with
   osslsigncode, which keeps the checksum valid.
4. The packaging report is written: what the packaging step reported of the
   payloads, and the finished executable's own size and SHA-256.

usage: finish_launcher.py --exe EXE --debug-file DEBUG --objcopy OBJCOPY
                          --payload-report FILE --report FILE
                          [--osslsigncode PROGRAM --cert FILE [--key FILE]
                           [--password-file FILE]]
"""

import argparse
import hashlib
import os
import struct
import subprocess
import sys

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


def checksum_offset(image):
    """File offset of the optional header's CheckSum field."""
    if image.read(2) != b"MZ":
        raise Failure(f"{image.name}: not an executable")
    image.seek(0x3C)
    pe_header = struct.unpack("<I", image.read(4))[0]
    image.seek(pe_header)
    if image.read(4) != b"PE\0\0":
        raise Failure(f"{image.name}: not a PE image")
    # Signature, file header (20 bytes), then CheckSum at 64 in the optional
    # header for PE32 and PE32+ alike.
    return pe_header + 4 + 20 + 64


def set_checksum(path):
    """Writes the PE checksum: the file's 16-bit words summed with end-around
    carry (the CheckSum field counted as zero), plus the file's length."""
    with open(path, "r+b") as image:
        offset = checksum_offset(image)
        image.seek(0)
        total = 0
        position = 0
        while True:
            block = image.read(1 << 24)  # an even size keeps the words aligned
            if not block:
                break
            if position <= offset < position + len(block):
                at = offset - position
                block = block[:at] + b"\0\0\0\0" + block[at + 4:]
            # 65536 is 1 modulo 65535: the number's remainder is the sum of
            # its little-endian 16-bit words folded with end-around carry.
            total += int.from_bytes(block, "little") % 0xFFFF
            position += len(block)
        folded = total % 0xFFFF
        if folded == 0 and total:
            folded = 0xFFFF
        image.seek(offset)
        image.write(struct.pack("<I", (folded + position) & 0xFFFFFFFF))


def split_debug(objcopy, exe, debug_file):
    run([objcopy, "--only-keep-debug", exe, debug_file], "keeping the debug information")
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
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 24), b""):
            digest.update(block)
    return digest.hexdigest()


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--debug-file", required=True)
    parser.add_argument("--objcopy", required=True)
    parser.add_argument("--payload-report", required=True)
    parser.add_argument("--report", required=True)
    parser.add_argument("--osslsigncode")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--password-file")
    args = parser.parse_args(argv)

    try:
        split_debug(args.objcopy, args.exe, args.debug_file)
        set_checksum(args.exe)
        if args.cert:
            sign(args.osslsigncode, args.exe, args.cert, args.key, args.password_file)
    except (OSError, Failure):
        # No half-finished executable is left for the next build to take for
        # a finished one: that build links it again.
        for leftover in (args.exe, args.report):
            if os.path.exists(leftover):
                os.remove(leftover)
        raise

    with open(args.payload_report, encoding="utf-8") as f:
        payloads = f.read()
    name = os.path.basename(args.exe)
    with open(args.report, "w", encoding="utf-8") as out:
        out.write(payloads)
        out.write(f"{name}: {os.path.getsize(args.exe)} bytes{', signed' if args.cert else ''}\n"
                  f"  sha256 {sha256(args.exe)}\n")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except (OSError, Failure) as error:
        print(f"finish_launcher: {error}", file=sys.stderr)
        sys.exit(1)
