#!/usr/bin/env python3
"""What a release build guarantees, checked on real builds from outside.

1. Reproducible: the launcher of this build tree, and a second build of the
   same sources with the same payloads in another folder at a later time,
   are the same bytes, and so are their debug files. The executable carries
   no debug sections, no time stamp, no build path, a valid checksum and a
   debug link to its debug file; the report names its SHA-256.
2. Signed: the second build, given a throw-away certificate (PEM with key,
   then PKCS#12 with a password file), signs Corvanell.exe; osslsigncode
   verifies it, the checksum is valid, and apart from the signature the
   image is the unsigned one. The signed launcher is kept in SCRATCH/signed
   for the extract-mode run under Wine.
3. Refused: a missing certificate, a PEM certificate without a key, a key
   that does not belong to the certificate, a file that is no certificate
   and a wrong password each stop the configuration or the build with a
   message that names the variable, and leave no executable behind.

usage: release_build.py SOURCE_DIR TOOLCHAIN_FILE BUILD_DIR SCRATCH_DIR
Environment: CORVANELL_RUNTIME_PACKAGE, CORVANELL_INSTALLER_JAR,
CORVANELL_FILE_ALIGNMENT and the version variables of the build tree,
CORVANELL_SIGN_CERT (when set, the build tree is signed: no comparison).
"""

import binascii
import hashlib
import os
import shutil
import subprocess
import sys

import pefile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from pe_sections import section_names  # noqa: E402

VERSION_VARIABLES = ["CORVANELL_VERSION", "CORVANELL_PRODUCT_NAME", "CORVANELL_COMPANY_NAME",
                     "CORVANELL_FILE_DESCRIPTION", "CORVANELL_COPYRIGHT"]
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


class Tree:
    """A build of the sources in a folder of its own."""

    def __init__(self, source, toolchain, folder):
        self.source, self.toolchain, self.folder = source, toolchain, folder
        self.exe = os.path.join(folder, "Corvanell.exe")

    def configure(self, *definitions):
        command = ["cmake", "-S", self.source, "-B", self.folder, "-G", "Ninja",
                   f"-DCMAKE_TOOLCHAIN_FILE={self.toolchain}", "-DCMAKE_BUILD_TYPE=Release",
                   "-DBUILD_TESTING=OFF"] + [f"-D{d}" for d in definitions]
        return subprocess.run(command, capture_output=True, text=True)

    def build(self):
        return subprocess.run(["cmake", "--build", self.folder, "--target", "Corvanell", "-j", "1"],
                              capture_output=True, text=True)


def joined(result):
    """A command's output with CMake's line wrapping undone."""
    return " ".join((result.stdout + result.stderr).split())


def image_checks(exe, build_paths):
    """The properties of a finished, unsigned or signed, executable."""
    pe = pefile.PE(exe)
    data = open(exe, "rb").read()
    sections = dict(zip(section_names(pe, data), pe.sections))
    check(not any(name.startswith(".debug") for name in sections), f"no debug sections in {exe}: {list(sections)}")
    check(pe.FILE_HEADER.TimeDateStamp == 0, "no time stamp in the file header")
    stamps = []

    def walk(directory):
        stamps.append(directory.struct.TimeDateStamp)
        for entry in directory.entries:
            if hasattr(entry, "directory"):
                walk(entry.directory)
    walk(pe.DIRECTORY_ENTRY_RESOURCE)
    check(set(stamps) == {0}, f"no time stamp in the {len(stamps)} resource directories")
    check(pe.verify_checksum(), "the PE checksum is valid")
    for path in build_paths:
        check(path.encode() not in data, f"no build path {path} in the executable")
    if check(".gnu_debuglink" in sections, "a .gnu_debuglink section"):
        body = sections[".gnu_debuglink"].get_data()
        name = body.split(b"\0")[0]
        check(name == b"Corvanell.debug", f"the debug link names Corvanell.debug ({name})")
        debug_file = os.path.join(os.path.dirname(exe), "Corvanell.debug")
        crc_at = (len(name) + 1 + 3) // 4 * 4
        crc = int.from_bytes(body[crc_at:crc_at + 4], "little")
        check(os.path.isfile(debug_file) and
              crc == binascii.crc32(open(debug_file, "rb").read()) & 0xFFFFFFFF,
              "the debug link's CRC is that of the debug file beside it")
    return pe


def report_names(exe, signed):
    report = open(os.path.join(os.path.dirname(exe), "Corvanell.packaged.txt")).read()
    check(report.startswith("Packaged payloads\n"), "the report begins with the payloads")
    tail = (f"Corvanell.exe: {os.path.getsize(exe)} bytes{', signed' if signed else ''}\n"
            f"  sha256 {sha256(exe)}\n")
    check(report.endswith(tail), f"the report ends with the executable's size and SHA-256:\n{tail}")


def without_signature(exe):
    """The image bytes that a signature leaves alone: all but the checksum,
    the certificate table entry and the certificate table itself."""
    pe = pefile.PE(exe)
    data = bytearray(open(exe, "rb").read())
    security = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]]
    checksum_at = pe.OPTIONAL_HEADER.get_field_absolute_offset("CheckSum")
    data[checksum_at:checksum_at + 4] = bytes(4)
    if security.VirtualAddress:
        data = data[:security.VirtualAddress]
    entry_at = security.get_file_offset()
    data[entry_at:entry_at + 8] = bytes(8)
    return bytes(data).rstrip(b"\0")


def openssl(*arguments):
    subprocess.run(["openssl"] + list(arguments), check=True, capture_output=True)


def main(source, toolchain, build_dir, scratch):
    payloads = [f"CORVANELL_RUNTIME_PACKAGE={os.environ['CORVANELL_RUNTIME_PACKAGE']}",
                f"CORVANELL_INSTALLER_JAR={os.environ['CORVANELL_INSTALLER_JAR']}",
                f"CORVANELL_FILE_ALIGNMENT={os.environ['CORVANELL_FILE_ALIGNMENT']}"]
    payloads += [f"{v}={os.environ[v]}" for v in VERSION_VARIABLES]
    unsigned = ["CORVANELL_SIGN_CERT=", "CORVANELL_SIGN_KEY=", "CORVANELL_SIGN_PASSWORD_FILE="]
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    first = os.path.join(build_dir, "Corvanell.exe")
    tree = Tree(source, toolchain, os.path.join(scratch, "build"))

    # ---- 1. the same bytes from another folder, at another time ----------
    configured = tree.configure(*payloads, *unsigned)
    if not check(configured.returncode == 0, "the second tree configures"):
        print(configured.stdout + configured.stderr)
        return 1
    built = tree.build()
    if not check(built.returncode == 0, "the second tree builds"):
        print(built.stdout + built.stderr)
        return 1
    paths = [source, build_dir, scratch]
    image_checks(tree.exe, paths)
    report_names(tree.exe, signed=False)
    if os.environ.get("CORVANELL_SIGN_CERT"):
        print("the build tree signs its launcher: no comparison of the two")
    else:
        check(sha256(first) == sha256(tree.exe),
              f"{first} and {tree.exe} have the same SHA-256 ({sha256(first)}, {sha256(tree.exe)})")
        check(sha256(os.path.join(build_dir, "Corvanell.debug")) == sha256(os.path.join(tree.folder, "Corvanell.debug")),
              "the two debug files have the same SHA-256")
    plain = without_signature(tree.exe)

    # ---- 2. signed with a throw-away certificate -------------------------
    certs = os.path.join(scratch, "certs")
    os.makedirs(certs)
    cert, key = os.path.join(certs, "cert.pem"), os.path.join(certs, "key.pem")
    other_cert, other_key = os.path.join(certs, "other.pem"), os.path.join(certs, "other-key.pem")
    for c, k, subject in ((cert, key, "/CN=Corvanell test signer"), (other_cert, other_key, "/CN=Someone else")):
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", k, "-out", c, "-days", "2",
                "-subj", subject, "-addext", "extendedKeyUsage=codeSigning")
    password = os.path.join(certs, "password.txt")
    with open(password, "w") as f:
        f.write("throw-away password\n")
    p12 = os.path.join(certs, "signer.p12")
    openssl("pkcs12", "-export", "-in", cert, "-inkey", key, "-out", p12, "-passout", f"file:{password}")
    wrong_password = os.path.join(certs, "wrong-password.txt")
    with open(wrong_password, "w") as f:
        f.write("not the password\n")
    not_a_cert = os.path.join(certs, "garbage.pem")
    with open(not_a_cert, "w") as f:
        f.write("-----BEGIN CERTIFICATE-----\nbm90IGEgY2VydGlmaWNhdGU=\n-----END CERTIFICATE-----\n")

    signed_copy = os.path.join(scratch, "signed")
    for what, signing in (("PEM certificate and key", [f"CORVANELL_SIGN_CERT={cert}", f"CORVANELL_SIGN_KEY={key}",
                                                        "CORVANELL_SIGN_PASSWORD_FILE="]),
                          ("PKCS#12 file with a password file", [f"CORVANELL_SIGN_CERT={p12}", "CORVANELL_SIGN_KEY=",
                                                                 f"CORVANELL_SIGN_PASSWORD_FILE={password}"])):
        configured = tree.configure(*payloads, *signing)
        built = tree.build()
        if not check(configured.returncode == 0 and built.returncode == 0, f"signed with a {what}: builds"):
            print(configured.stdout + configured.stderr + built.stdout + built.stderr)
            continue
        verified = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", tree.exe],
                                  capture_output=True, text=True)
        check(verified.returncode == 0 and "Signature verification: ok" in verified.stdout,
              f"signed with a {what}: osslsigncode verifies the signature\n{verified.stdout}{verified.stderr}")
        check("Corvanell test signer" in verified.stdout, f"signed with a {what}: by the throw-away signer")
        check("sha256" in verified.stdout.lower(), f"signed with a {what}: the digest is SHA-256")
        image_checks(tree.exe, paths)
        report_names(tree.exe, signed=True)
        check(without_signature(tree.exe) == plain, f"signed with a {what}: the image is the unsigned one")
        if not os.path.isdir(signed_copy):
            os.makedirs(signed_copy)
            shutil.copy2(tree.exe, signed_copy)

    # ---- 3. certificates that cannot sign --------------------------------
    for what, variable, signing in (
            ("missing certificate", "CORVANELL_SIGN_CERT",
             [f"CORVANELL_SIGN_CERT={certs}/missing.pem", f"CORVANELL_SIGN_KEY={key}"]),
            ("PEM certificate without its key", "CORVANELL_SIGN_KEY",
             [f"CORVANELL_SIGN_CERT={cert}", "CORVANELL_SIGN_KEY="]),
            ("missing password file", "CORVANELL_SIGN_PASSWORD_FILE",
             [f"CORVANELL_SIGN_CERT={p12}", "CORVANELL_SIGN_KEY=",
              f"CORVANELL_SIGN_PASSWORD_FILE={certs}/missing.txt"])):
        configured = tree.configure(*payloads, "CORVANELL_SIGN_PASSWORD_FILE=", *signing)
        check(configured.returncode != 0 and f"{variable}: file not found" in joined(configured)
              or configured.returncode != 0 and f"{variable} is empty" in joined(configured),
              f"{what}: the configuration stops naming {variable}")
    for what, variables, signing in (
            ("key of another certificate", ["CORVANELL_SIGN_CERT", "CORVANELL_SIGN_KEY"],
             [f"CORVANELL_SIGN_CERT={cert}", f"CORVANELL_SIGN_KEY={other_key}", "CORVANELL_SIGN_PASSWORD_FILE="]),
            ("file that is no certificate", ["CORVANELL_SIGN_CERT"],
             [f"CORVANELL_SIGN_CERT={not_a_cert}", f"CORVANELL_SIGN_KEY={key}", "CORVANELL_SIGN_PASSWORD_FILE="]),
            ("wrong password", ["CORVANELL_SIGN_CERT", "CORVANELL_SIGN_PASSWORD_FILE"],
             [f"CORVANELL_SIGN_CERT={p12}", "CORVANELL_SIGN_KEY=", f"CORVANELL_SIGN_PASSWORD_FILE={wrong_password}"])):
        configured = tree.configure(*payloads, *signing)
        built = tree.build()
        output = joined(built)
        check(configured.returncode == 0 and built.returncode != 0 and all(v in output for v in variables),
              f"{what}: the build stops naming {', '.join(variables)}")
        check(not os.path.exists(tree.exe), f"{what}: no unsigned executable is left behind")
        again = tree.build()
        check(again.returncode != 0, f"{what}: the next build tries again and stops again")

    # Back to no signing: the same bytes as at first.
    tree.configure(*payloads, *unsigned)
    built = tree.build()
    check(built.returncode == 0 and without_signature(tree.exe) == plain,
          "without a certificate again, the launcher is built unsigned as before")
    if os.environ.get("CORVANELL_SIGN_CERT") is None or not os.environ.get("CORVANELL_SIGN_CERT"):
        check(sha256(first) == sha256(tree.exe), "and it is the same bytes as the build tree's")
    shutil.rmtree(tree.folder, ignore_errors=True)

    if failures:
        print(f"{len(failures)} failed: " + "; ".join(f.splitlines()[0] for f in failures))
        return 1
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
