"""The packaging step run on a real linked image: payloads of edge-case sizes
cut into chunks and written into its resource section, the directory
compared with the one that the resource compiler and the linker make, and
the rest of the image checked from outside with pefile.

Environment (set by ctest):
  CORVANELL_FINISHER           payload/finish_launcher.py
  CORVANELL_OBJCOPY            the cross toolchain's objcopy
  CORVANELL_FIXTURE            a small program with resources of its own,
                               linked as a launcher is, not finished
  CORVANELL_FIXTURE_COMPILED   the same with the two files of
  CORVANELL_FIXTURE_PAYLOADS   compiled in as JAVA_1 (EXE) and JAR_1 (JAR)
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import pefile

FINISHER = os.environ["CORVANELL_FINISHER"]
OBJCOPY = os.environ["CORVANELL_OBJCOPY"]
FIXTURE = os.environ["CORVANELL_FIXTURE"]
FIXTURE_COMPILED = os.environ["CORVANELL_FIXTURE_COMPILED"]
FIXTURE_PAYLOADS = os.environ["CORVANELL_FIXTURE_PAYLOADS"]
sys.path.insert(0, os.path.dirname(FINISHER))
import pack_payloads  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from pe_sections import section_names  # noqa: E402

PIECE = 8 * 1024 * 1024
PAGE = 4096
# The fixture's own resources: (type, name, language, data).
FIXTURE_RESOURCES = [("AAA", "FIRST", 1033, b"first"), ("ZZZ", "LAST", 1033, b"odd"),
                     (10, "NAMED", 1031, b"benannte Ressource\0"),
                     (10, "NAMED", 1033, b"named resource\0"), (10, 1, 1033, b"\1\0\2\0\3\0")]


def pattern(size):
    """Bytes that differ from piece to piece, so a mix-up of pieces shows."""
    block = bytes((i * 7 + 3) % 251 for i in range(65536))
    whole, rest = divmod(size, len(block))
    return block * whole + block[:rest]


def resources(path):
    """Every resource in directory order: (type, name, language, code page,
    data, address)."""
    pe = pefile.PE(path)
    found = []
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for rname in rtype.directory.entries:
            for language in rname.directory.entries:
                entry = language.data.struct
                found.append((str(rtype.name) if rtype.name is not None else rtype.id,
                              str(rname.name) if rname.name is not None else rname.id,
                              language.id, entry.CodePage,
                              pe.get_data(entry.OffsetToData, entry.Size), entry.OffsetToData))
    return pe, found


def read(path):
    with open(path, "rb") as f:
        return f.read()


class Packing(unittest.TestCase):
    def finish(self, folder, payloads, source=FIXTURE):
        """Runs the finishing step (debug split, packing, report) on a copy
        of source; returns (result, executable, report)."""
        exe = os.path.join(folder, "Launcher.exe")
        shutil.copyfile(source, exe)
        report = os.path.join(folder, "report.txt")
        command = [sys.executable, FINISHER, "--exe", exe, "--debug-file", os.path.join(folder, "Launcher.debug"),
                   "--objcopy", OBJCOPY, "--report", report]
        for base, rtype, path in payloads:
            command += ["--payload", base, rtype, path]
        return subprocess.run(command, capture_output=True, text=True), exe, report

    def assertOwnResourcesKept(self, found):
        own = [(t, n, lang, data) for t, n, lang, _, data, _ in found if t not in ("EXE", "JAR")]
        self.assertEqual(own, FIXTURE_RESOURCES)

    def test_sizes_give_the_right_pieces_and_reassemble(self):
        cases = [
            (1, [1]),
            (PIECE - 1, [PIECE - 1]),
            (PIECE, [PIECE]),
            (PIECE + 1, [PIECE, 1]),
            (2 * PIECE, [PIECE, PIECE]),
        ]
        for size, pieces in cases:
            with self.subTest(size=size), tempfile.TemporaryDirectory() as folder:
                payload = os.path.join(folder, "payload.bin")
                data = pattern(size)
                with open(payload, "wb") as f:
                    f.write(data)
                result, exe, report = self.finish(folder, [("JAR", "JAR", payload)])
                self.assertEqual(result.returncode, 0, result.stderr)
                pe, found = resources(exe)
                chunks = [entry for entry in found if entry[0] == "JAR"]
                self.assertEqual([(t, n, lang) for t, n, lang, *_ in chunks],
                                 [("JAR", f"JAR_{i}", 1033) for i in range(1, len(pieces) + 1)])
                self.assertEqual([len(body) for *_, body, _ in chunks], pieces)
                self.assertTrue(b"".join(body for *_, body, _ in chunks) == data)
                # Each chunk starts on a page of its own.
                self.assertEqual([address % PAGE for *_, address in chunks], [0] * len(pieces))
                self.assertOwnResourcesKept(found)
                self.assertTrue(pe.verify_checksum(), "the PE checksum is wrong")
                with open(report) as f:
                    text = f.read()
                self.assertIn(f"size {size} bytes, {len(pieces)} chunks, last chunk {pieces[-1]} bytes", text)

    def test_directory_is_the_one_the_linker_makes_from_compiled_resources(self):
        with tempfile.TemporaryDirectory() as folder:
            result, exe, report = self.finish(folder, [
                ("JAVA", "EXE", os.path.join(FIXTURE_PAYLOADS, "runtime.bin")),
                ("JAR", "JAR", os.path.join(FIXTURE_PAYLOADS, "archive.jar"))])
            self.assertEqual(result.returncode, 0, result.stderr)
            _, packed = resources(exe)
            _, compiled = resources(FIXTURE_COMPILED)
            # Types, names and languages in the same order, with the same
            # code pages and data; only the addresses differ.
            self.assertEqual([entry[:5] for entry in packed], [entry[:5] for entry in compiled])
            with open(report) as f:
                text = f.read()
            self.assertTrue(text.startswith("Packaged payloads\nJAVA_n (EXE): "), text)
            self.assertIn("JAR_n (JAR): ", text)

    def test_rest_of_the_image_is_kept_and_what_follows_moves_up(self):
        original = pefile.PE(FIXTURE)
        with tempfile.TemporaryDirectory() as folder:
            payload = os.path.join(folder, "payload.bin")
            with open(payload, "wb") as f:
                f.write(pattern(PIECE + 3))
            result, exe, _ = self.finish(folder, [("JAR", "JAR", payload)])
            self.assertEqual(result.returncode, 0, result.stderr)
            data = read(exe)
            pe = pefile.PE(exe)
            names = section_names(pe, data)
            self.assertEqual(names[names.index(".rsrc"):], [".rsrc", ".reloc", ".gnu_debuglink"])
            before = {s.Name: s.get_data() for s in original.sections[:names.index(".rsrc")]}
            self.assertEqual({s.Name: s.get_data() for s in pe.sections[:names.index(".rsrc")]}, before)
            # Sections follow each other without gaps or overlaps, in memory
            # and in the file, and the image's size covers the last one.
            alignment = pe.OPTIONAL_HEADER.SectionAlignment
            for first, second in zip(pe.sections, pe.sections[1:]):
                self.assertEqual(second.VirtualAddress,
                                 (first.VirtualAddress + first.Misc_VirtualSize + alignment - 1) // alignment * alignment)
                self.assertEqual(second.PointerToRawData, first.PointerToRawData + first.SizeOfRawData)
            last = pe.sections[-1]
            self.assertEqual(pe.OPTIONAL_HEADER.SizeOfImage,
                             (last.VirtualAddress + last.Misc_VirtualSize + alignment - 1) // alignment * alignment)
            # The moved base relocations still name the same places.
            def relocations(image):
                return [(block.struct.VirtualAddress, [(e.rva, e.type) for e in block.entries])
                        for block in image.DIRECTORY_ENTRY_BASERELOC]
            self.assertEqual(relocations(pe), relocations(original))
            self.assertTrue(pe.verify_checksum(), "the PE checksum is wrong")

    def test_no_payload_keeps_the_images_own_resources(self):
        with tempfile.TemporaryDirectory() as folder:
            result, exe, _ = self.finish(folder, [])
            self.assertEqual(result.returncode, 0, result.stderr)
            pe, found = resources(exe)
            self.assertEqual([(t, n, lang, body) for t, n, lang, _, body, _ in found], FIXTURE_RESOURCES)
            self.assertTrue(pe.verify_checksum(), "the PE checksum is wrong")

    def test_missing_or_empty_payload_is_an_error_naming_the_file(self):
        with tempfile.TemporaryDirectory() as folder:
            empty = os.path.join(folder, "empty.jar")
            open(empty, "wb").close()
            missing = os.path.join(folder, "missing.jar")
            for path, reason in ((empty, "empty"), (missing, "not found")):
                with self.subTest(reason=reason):
                    result, exe, report = self.finish(folder, [("JAR", "JAR", path)])
                    self.assertNotEqual(result.returncode, 0)
                    self.assertIn(path, result.stderr)
                    self.assertIn(reason, result.stderr)
                    # Nothing is left that a later build could take for a
                    # finished launcher.
                    self.assertFalse(os.path.exists(exe), "the executable was left behind")
                    self.assertFalse(os.path.exists(report), "a report was left behind")
                    self.assertFalse(os.path.exists(exe + ".part"))

    def test_section_after_the_resources_that_cannot_move_is_refused(self):
        # The fixture as linked still has its debug sections after the
        # resource section: code may point into such sections, so the packer
        # refuses and leaves the file as it was.
        with tempfile.TemporaryDirectory() as folder:
            exe = os.path.join(folder, "Launcher.exe")
            shutil.copyfile(FIXTURE, exe)
            payload = os.path.join(folder, "payload.bin")
            with open(payload, "wb") as f:
                f.write(b"payload")
            with self.assertRaisesRegex(pack_payloads.PackError, r"section \.debug_\w+ follows the resource section"):
                pack_payloads.pack(exe, [("JAR", "JAR", payload)])
            self.assertEqual(read(exe), read(FIXTURE))
            self.assertFalse(os.path.exists(exe + ".part"))

    def test_names_sort_by_code_units_as_the_linker_sorts_them(self):
        # Eleven chunks: JAR_10 and JAR_11 come before JAR_2. Texts come
        # before numbers at every level.
        chunks = [("JAR", f"JAR_{i}", 1033, 0, 1, 8) for i in range(1, 12)]
        others = [(14, "MAINICON", 1033, 0, 2, 8), (3, 1, 1033, 0, 2, 8), ("EXE", "JAVA_1", 1033, 0, 1, 8)]
        directory, offsets, size = pack_payloads.resource_section(chunks + others, 0x1000)
        section = directory.ljust(size, b"\0")
        order = [(t, n) for t, n, *_ in pack_payloads.read_resources(section, 0x1000)]
        self.assertEqual(order, [("EXE", "JAVA_1")] +
                         [("JAR", f"JAR_{i}") for i in (1, 10, 11, 2, 3, 4, 5, 6, 7, 8, 9)] +
                         [(3, 1), (14, "MAINICON")])
        self.assertEqual(len(set(offsets)), len(offsets))


if __name__ == "__main__":
    unittest.main()
