"""The packaging step's chunking rule, run on real files of edge-case sizes."""

import os
import re
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


class ChunkingRule(unittest.TestCase):
    def pack(self, folder, payloads, includes=()):
        out = os.path.join(folder, "out")
        rc = os.path.join(folder, "payload.rc")
        report = os.path.join(folder, "report.txt")
        command = [sys.executable, PACKER, "--out-dir", out, "--rc", rc, "--report", report]
        for include in includes:
            command += ["--include", include]
        for base, rtype, path in payloads:
            command += ["--payload", base, rtype, path]
        result = subprocess.run(command, capture_output=True, text=True)
        return result, out, rc, report

    def rc_entries(self, rc):
        entries = []
        with open(rc) as script:
            for line in script:
                match = re.match(r'^(\w+)_(\d+) (\w+) "(.*)"$', line.strip())
                if match:
                    entries.append((match.group(1), int(match.group(2)), match.group(3), match.group(4)))
        return entries

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
                result, _, rc, report = self.pack(folder, [("JAR", "JAR", payload)])
                self.assertEqual(result.returncode, 0, result.stderr)
                entries = self.rc_entries(rc)
                self.assertEqual([(b, i, t) for b, i, t, _ in entries],
                                 [("JAR", i, "JAR") for i in range(1, len(pieces) + 1)])
                joined = b""
                for _, _, _, path in entries:
                    with open(path, "rb") as f:
                        chunk = f.read()
                    joined += chunk
                self.assertEqual([len(open(p, "rb").read()) for _, _, _, p in entries], pieces)
                self.assertEqual(joined, data)
                with open(report) as f:
                    text = f.read()
                self.assertIn(f"size {size} bytes, {len(pieces)} chunks, last chunk {pieces[-1]} bytes", text)

    def test_script_is_in_english_us_and_names_both_payloads(self):
        with tempfile.TemporaryDirectory() as folder:
            runtime = os.path.join(folder, "runtime.exe")
            archive = os.path.join(folder, "archive.jar")
            with open(runtime, "wb") as f:
                f.write(b"MZ" + pattern(PIECE))
            with open(archive, "wb") as f:
                f.write(b"PK")
            extra = os.path.join(folder, "art.rc")
            with open(extra, "w") as f:
                f.write("// art\n")
            result, _, rc, report = self.pack(folder, [("JAVA", "EXE", runtime), ("JAR", "JAR", archive)], [extra])
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(rc) as f:
                script = f.read()
            self.assertIn("LANGUAGE 0x09, 0x01", script)
            self.assertIn(f'#include "{extra}"', script)
            self.assertEqual([(b, i, t) for b, i, t, _ in self.rc_entries(rc)],
                             [("JAVA", 1, "EXE"), ("JAVA", 2, "EXE"), ("JAR", 1, "JAR")])
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
            result, out, rc, _ = self.pack(folder, [("JAR", "JAR", payload)])
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(sorted(os.listdir(out)), ["JAR_1.bin"])
            self.assertEqual(len(self.rc_entries(rc)), 1)

    def test_missing_or_empty_payload_is_an_error_naming_the_file(self):
        with tempfile.TemporaryDirectory() as folder:
            empty = os.path.join(folder, "empty.jar")
            open(empty, "wb").close()
            missing = os.path.join(folder, "missing.jar")
            for path, reason in ((empty, "empty"), (missing, "not found")):
                with self.subTest(reason=reason):
                    result, _, rc, _ = self.pack(folder, [("JAR", "JAR", path)])
                    self.assertNotEqual(result.returncode, 0)
                    self.assertIn(path, result.stderr)
                    self.assertIn(reason, result.stderr)


if __name__ == "__main__":
    unittest.main()
