"""The packaging step's chunking rule, run on real files of edge-case sizes,
and the compiled resource file that it writes, read back entry by entry."""

import os
import struct
import subprocess
import sys
import tempfile
import unittest

PACKER = os.environ["CORVANELL_PACKER"]
PIECE = 8 * 1024 * 1024


def pattern(size):
    """Bytes that differ from piece to piece, so a mix-up of pieces shows."""
    block = bytes((i * 7 + 3) % 251 for i in range(65536))
    whole, rest = divmod(size, len(block))
    return block * whole + block[:rest]


def name_or_id(data, at):
    """A type or name field of a .res entry: (text or number, next offset)."""
    if data[at:at + 2] == b"\xff\xff":
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    end = at
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def res_entries(path):
    """Every entry of a .res file after the leading empty one, as
    (base, index, type, language, data), checking the format on the way."""
    with open(path, "rb") as f:
        data = f.read()
    entries = []
    at = 0
    first = True
    while at < len(data):
        size, header_size = struct.unpack_from("<II", data, at)
        rtype, next_at = name_or_id(data, at + 8)
        name, next_at = name_or_id(data, next_at)
        next_at += -(next_at - at) % 4
        _, flags, language, _, _ = struct.unpack_from("<IHHII", data, next_at)
        assert next_at + 16 - at == header_size, (header_size, next_at - at)
        body = data[at + header_size:at + header_size + size]
        assert len(body) == size, "entry runs past the end of the file"
        if first:
            assert (size, header_size, rtype, name) == (0, 32, 0, 0), "not a 32-bit .res file"
            first = False
        else:
            base, index = name.rsplit("_", 1)
            entries.append((base, int(index), rtype, language, body))
        at += header_size + size + (-size % 4)
    assert at == len(data), "trailing bytes"
    return entries


class ChunkingRule(unittest.TestCase):
    def pack(self, folder, payloads):
        res = os.path.join(folder, "payload.res")
        report = os.path.join(folder, "report.txt")
        command = [sys.executable, PACKER, "--res", res, "--report", report]
        for base, rtype, path in payloads:
            command += ["--payload", base, rtype, path]
        result = subprocess.run(command, capture_output=True, text=True)
        return result, res, report

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
                result, res, report = self.pack(folder, [("JAR", "JAR", payload)])
                self.assertEqual(result.returncode, 0, result.stderr)
                entries = res_entries(res)
                self.assertEqual([(b, i, t, language) for b, i, t, language, _ in entries],
                                 [("JAR", i, "JAR", 1033) for i in range(1, len(pieces) + 1)])
                self.assertEqual([len(body) for *_, body in entries], pieces)
                self.assertTrue(b"".join(body for *_, body in entries) == data)
                with open(report) as f:
                    text = f.read()
                self.assertIn(f"size {size} bytes, {len(pieces)} chunks, last chunk {pieces[-1]} bytes", text)

    def test_resources_are_in_english_us_and_hold_both_payloads(self):
        with tempfile.TemporaryDirectory() as folder:
            runtime = os.path.join(folder, "runtime.exe")
            archive = os.path.join(folder, "archive.jar")
            with open(runtime, "wb") as f:
                f.write(b"MZ" + pattern(PIECE))
            with open(archive, "wb") as f:
                f.write(b"PK")
            result, res, report = self.pack(folder, [("JAVA", "EXE", runtime), ("JAR", "JAR", archive)])
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual([(b, i, t, language) for b, i, t, language, _ in res_entries(res)],
                             [("JAVA", 1, "EXE", 1033), ("JAVA", 2, "EXE", 1033), ("JAR", 1, "JAR", 1033)])
            with open(report) as f:
                text = f.read()
            self.assertIn("sha256 ", text)
            self.assertIn("size 2 bytes, 1 chunks, last chunk 2 bytes", text)

    def test_shorter_payload_leaves_no_stale_chunks(self):
        with tempfile.TemporaryDirectory() as folder:
            payload = os.path.join(folder, "payload.bin")
            with open(payload, "wb") as f:
                f.write(pattern(PIECE + 5))
            self.assertEqual(self.pack(folder, [("JAR", "JAR", payload)])[0].returncode, 0)
            with open(payload, "wb") as f:
                f.write(b"small")
            result, res, _ = self.pack(folder, [("JAR", "JAR", payload)])
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual([(b, i, body) for b, i, _, _, body in res_entries(res)], [("JAR", 1, b"small")])

    def test_no_payload_gives_a_resource_file_without_entries(self):
        with tempfile.TemporaryDirectory() as folder:
            result, res, _ = self.pack(folder, [])
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(res_entries(res), [])

    def test_missing_or_empty_payload_is_an_error_naming_the_file(self):
        with tempfile.TemporaryDirectory() as folder:
            empty = os.path.join(folder, "empty.jar")
            open(empty, "wb").close()
            missing = os.path.join(folder, "missing.jar")
            for path, reason in ((empty, "empty"), (missing, "not found")):
                with self.subTest(reason=reason):
                    result, res, _ = self.pack(folder, [("JAR", "JAR", path)])
                    self.assertNotEqual(result.returncode, 0)
                    self.assertIn(path, result.stderr)
                    self.assertIn(reason, result.stderr)
                    self.assertFalse(os.path.exists(res), "a resource file was left behind")
                    self.assertFalse(os.path.exists(res + ".part"))


if __name__ == "__main__":
    unittest.main()
