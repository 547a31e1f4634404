"""The resource section of a built launcher, read from outside with pefile
and icoutils' wrestool: inventory, bitmaps, icon and payload chunks.

Environment (set by ctest):
  CORVANELL_LAUNCHER         the launcher executable
  CORVANELL_RUNTIME_PACKAGE  the runtime package packed into it, or empty
  CORVANELL_INSTALLER_JAR    the installer archive packed into it, or empty
  CORVANELL_REPORT           the packaging report written beside it
  CORVANELL_JAR_TOOL         the JDK's jar program: set when the installer
                             archive is a Java archive to be listed
  CORVANELL_DEMO_RUNTIME     "1" when the runtime package is the demo one
  CORVANELL_PE_MACHINE       I386 for the 32-bit product, AMD64 for its
                             64-bit twin
  CORVANELL_VERSION, CORVANELL_PRODUCT_NAME, CORVANELL_COMPANY_NAME,
  CORVANELL_FILE_DESCRIPTION, CORVANELL_COPYRIGHT
                             what the version block must say
"""

import hashlib
import os
import struct
import subprocess
import unittest
import zipfile

import pefile

LANGUAGE = 1033
PIECE = 8 * 1024 * 1024
WIDTH = 420
RT_BITMAP, RT_ICON, RT_GROUP_ICON, RT_VERSION = 2, 3, 14, 16

STRIPS = [f"PROGRESS_{n}" for n in range(0, 101, 10)]
CAPTIONS = [f"STEP_{s}" for s in ("TMP", "XJAVA", "SEARCHING", "XJAR", "LAUNCHING")]
BITMAP_HEIGHTS = dict([("SPLASH", 270)] + [(n, 30) for n in STRIPS] + [(n, 24) for n in CAPTIONS])
# Icon directory entries: width, height, colours, planes, bits per pixel, bytes, icon id.
ICONS = [(128, 1, 67624), (48, 2, 9640), (32, 3, 4264), (16, 4, 1128)]

# What a launcher may import: libraries every Windows has, never a run-time
# library of the compiler (libstdc++, libgcc, libwinpthread).
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll",
               "shell32.dll", "ole32.dll", "comctl32.dll", "version.dll", "shlwapi.dll"}
PE32, PE32_PLUS = 0x10B, 0x20B

BLACK = b"\x00\x00\x00\xff"
WHITE = b"\xff\xff\xff\xff"


def env(name):
    return os.environ.get(name, "")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def resources(path):
    """{(type, name, language): bytes} of every resource in the file."""
    pe = pefile.PE(path)
    found = {}
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        type_key = str(rtype.name) if rtype.name is not None else rtype.id
        for rname in rtype.directory.entries:
            name_key = str(rname.name) if rname.name is not None else rname.id
            for language in rname.directory.entries:
                entry = language.data.struct
                key = (type_key, name_key, language.id)
                assert key not in found, key
                found[key] = pe.get_data(entry.OffsetToData, entry.Size)
    return pe, found


def pieces(size):
    full, rest = divmod(size, PIECE)
    return [PIECE] * full + ([rest] if rest else [])


def luminance(pixel):
    blue, green, red = pixel[0], pixel[1], pixel[2]
    return 0.299 * red + 0.587 * green + 0.114 * blue


class Bitmap:
    """A packed 32-bit DIB; rows counted from the top of the picture."""

    def __init__(self, data):
        self.header = struct.unpack_from("<IiiHHIIiiII", data, 0)
        self.width, self.height = self.header[1], self.header[2]
        self.data = data

    def row(self, y):
        start = 40 + (self.height - 1 - y) * self.width * 4
        return self.data[start:start + self.width * 4]

    def pixel(self, x, y):
        return self.row(y)[x * 4:x * 4 + 4]

    def pixels(self, y):
        row = self.row(y)
        return [row[i:i + 4] for i in range(0, len(row), 4)]


class Launcher(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.path = env("CORVANELL_LAUNCHER")
        cls.pe, cls.found = resources(cls.path)
        cls.runtime = env("CORVANELL_RUNTIME_PACKAGE")
        cls.archive = env("CORVANELL_INSTALLER_JAR")
        cls.bitmaps = {name: Bitmap(cls.found[(RT_BITMAP, name, LANGUAGE)])
                       for name in BITMAP_HEIGHTS if (RT_BITMAP, name, LANGUAGE) in cls.found}

    def payloads(self):
        table = []
        if self.runtime:
            table.append(("JAVA", "EXE", self.runtime))
        if self.archive:
            table.append(("JAR", "JAR", self.archive))
        return table

    # ---- the image ----------------------------------------------------
    def test_image_is_a_windows_gui_program_of_the_build_architecture(self):
        machine = env("CORVANELL_PE_MACHINE") or "I386"
        header = self.pe.FILE_HEADER
        self.assertEqual(header.Machine, pefile.MACHINE_TYPE[f"IMAGE_FILE_MACHINE_{machine}"])
        self.assertEqual(self.pe.OPTIONAL_HEADER.Magic, PE32 if machine == "I386" else PE32_PLUS)
        self.assertEqual(self.pe.OPTIONAL_HEADER.Subsystem,
                         pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"])
        self.assertTrue(header.Characteristics & pefile.IMAGE_CHARACTERISTICS["IMAGE_FILE_EXECUTABLE_IMAGE"])
        if machine == "I386":
            self.assertTrue(header.Characteristics & pefile.IMAGE_CHARACTERISTICS["IMAGE_FILE_32BIT_MACHINE"])

    def test_imports_only_system_libraries(self):
        imported = {entry.dll.decode().lower() for entry in self.pe.DIRECTORY_ENTRY_IMPORT}
        self.assertIn("kernel32.dll", imported)
        self.assertLessEqual(imported, SYSTEM_DLLS, f"not system libraries: {sorted(imported - SYSTEM_DLLS)}")

    # ---- inventory ----------------------------------------------------

    def test_inventory_is_exactly_the_resource_set(self):
        expected = {}
        for name, height in BITMAP_HEIGHTS.items():
            expected[(RT_BITMAP, name, LANGUAGE)] = 40 + WIDTH * height * 4
        for _, icon_id, size in ICONS:
            expected[(RT_ICON, icon_id, LANGUAGE)] = size
        expected[(RT_GROUP_ICON, "MAINICON", LANGUAGE)] = 62
        expected[(RT_VERSION, 1, LANGUAGE)] = len(self.found.get((RT_VERSION, 1, LANGUAGE), b""))
        for base, rtype, path in self.payloads():
            for index, size in enumerate(pieces(os.path.getsize(path)), start=1):
                expected[(rtype, f"{base}_{index}", LANGUAGE)] = size
        actual = {key: len(data) for key, data in self.found.items()}
        self.assertEqual(sorted(actual.items(), key=str), sorted(expected.items(), key=str))

    def test_wrestool_reads_the_same_bytes(self):
        for (rtype, name, _), data in self.found.items():
            with self.subTest(type=rtype, name=name):
                command = ["wrestool", "-x", "--raw", f"--type={rtype}", f"--name={name}",
                           f"--language={LANGUAGE}", self.path]
                out = subprocess.run(command, capture_output=True, check=True).stdout
                self.assertEqual(len(out), len(data))
                self.assertTrue(out == data)

    # ---- version block ------------------------------------------------

    def test_version_block_describes_the_launcher(self):
        self.assertGreater(len(self.found[(RT_VERSION, 1, LANGUAGE)]), 0)
        version = env("CORVANELL_VERSION")
        numbers = [int(n) for n in version.split(".")] + [0] * (4 - len(version.split(".")))
        fixed = self.pe.VS_FIXEDFILEINFO[0]
        self.assertEqual(fixed.Signature, 0xFEEF04BD)
        for most, least in ((fixed.FileVersionMS, fixed.FileVersionLS),
                            (fixed.ProductVersionMS, fixed.ProductVersionLS)):
            self.assertEqual([most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF], numbers)
        self.assertEqual(fixed.FileType, 1, "not an application")
        self.assertEqual(fixed.FileFlags, 0, "marked debug, pre-release, patched or private")
        tables = [table for info in self.pe.FileInfo[0] if info.Key == b"StringFileInfo"
                  for table in info.StringTable]
        self.assertEqual([table.LangID.lower() for table in tables], [b"040904b0"])
        self.assertEqual({key.decode(): value.decode("utf-8") for key, value in tables[0].entries.items()}, {
            "CompanyName": env("CORVANELL_COMPANY_NAME"),
            "FileDescription": env("CORVANELL_FILE_DESCRIPTION"),
            "FileVersion": version,
            "InternalName": "Corvanell",
            "LegalCopyright": env("CORVANELL_COPYRIGHT"),
            "OriginalFilename": "Corvanell.exe",
            "ProductName": env("CORVANELL_PRODUCT_NAME"),
            "ProductVersion": version,
        })
        translations = [var.entry for info in self.pe.FileInfo[0] if info.Key == b"VarFileInfo"
                        for var in info.Var]
        self.assertEqual(translations, [{b"Translation": "0x0409 0x04b0"}])

    # ---- bitmaps ------------------------------------------------------

    def test_bitmap_headers_and_opaque_pixels(self):
        for name, height in BITMAP_HEIGHTS.items():
            with self.subTest(bitmap=name):
                bitmap = self.bitmaps[name]
                self.assertEqual(bitmap.header,
                                 (40, WIDTH, height, 1, 32, 0, WIDTH * height * 4, 2835, 2835, 0, 0))
                self.assertEqual(len(bitmap.data), 40 + WIDTH * height * 4)
                self.assertEqual(set(bitmap.data[43::4]), {255})

    def test_title_picture_is_composed(self):
        splash = self.bitmaps["SPLASH"]
        colours = {splash.data[i:i + 3] for i in range(40, len(splash.data), 4)}
        self.assertGreater(len(colours), 2000, "a flat or nearly flat picture")

    def test_captions_are_one_line_of_white_on_black(self):
        for name in CAPTIONS:
            with self.subTest(caption=name):
                caption = self.bitmaps[name]
                rows = [caption.pixels(y) for y in range(caption.height)]
                self.assertEqual({p for row in rows for p in row}, {BLACK, WHITE})
                lit_rows = [y for y, row in enumerate(rows) if WHITE in row]
                self.assertEqual(lit_rows, list(range(lit_rows[0], lit_rows[-1] + 1)), "not one line")
                self.assertGreater(lit_rows[0], 0)
                self.assertLess(lit_rows[-1], caption.height - 1)
                self.assertGreaterEqual(len(lit_rows), 8, "letters too small to read")
                columns = [x for x in range(WIDTH) if any(row[x] == WHITE for row in rows)]
                self.assertTrue(2 <= columns[0] <= 24, f"text starts at column {columns[0]}")
                self.assertLess(columns[-1], WIDTH - 4)

    def test_strips_show_the_bar_over_one_ground(self):
        dark = self.bitmaps["PROGRESS_100"].pixel(0, 0)
        pale = self.bitmaps["PROGRESS_0"].pixel(0, 0)
        self.assertLess(luminance(dark), 110)
        self.assertGreater(luminance(pale), 170)
        ground = [self.bitmaps["PROGRESS_0"].row(y) for y in range(6, 30)]
        for name in STRIPS:
            with self.subTest(strip=name):
                strip = self.bitmaps[name]
                filled = int(name.split("_")[1]) * WIDTH // 100
                for y in range(6):
                    self.assertEqual(strip.pixels(y), [dark] * filled + [pale] * (WIDTH - filled), f"row {y}")
                self.assertEqual([strip.row(y) for y in range(6, 30)], ground)

    def test_caption_ored_onto_a_strip_changes_only_its_letters(self):
        for strip_name in STRIPS:
            strip = self.bitmaps[strip_name]
            lower = b"".join(strip.row(y) for y in range(6, 30))
            self.assertLess(sum(luminance(lower[i:i + 4]) for i in range(0, len(lower), 4)) / (len(lower) // 4),
                            100, "white letters would not read on this ground")
            for caption_name in CAPTIONS:
                with self.subTest(strip=strip_name, caption=caption_name):
                    caption = self.bitmaps[caption_name]
                    mask = b"".join(caption.row(y) for y in range(24))
                    ored = bytes(a | b for a, b in zip(lower, mask))
                    for i in range(0, len(lower), 4):
                        changed = ored[i:i + 4] != lower[i:i + 4]
                        letter = mask[i:i + 4] == WHITE
                        if changed != letter:
                            self.fail(f"pixel {i // 4 % WIDTH},{i // 4 // WIDTH}: changed {changed}, letter {letter}")

    # ---- icon ---------------------------------------------------------

    def test_icon_directory_and_images(self):
        group = self.found[(RT_GROUP_ICON, "MAINICON", LANGUAGE)]
        self.assertEqual(struct.unpack_from("<HHH", group, 0), (0, 1, 4))
        entries = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(4)]
        self.assertEqual(entries, [(s, s, 0, 0, 1, 32, size, icon_id) for s, icon_id, size in ICONS])
        for side, icon_id, size in ICONS:
            with self.subTest(icon=side):
                image = self.found[(RT_ICON, icon_id, LANGUAGE)]
                self.assertEqual(len(image), size)
                self.assertEqual(struct.unpack_from("<IiiHHI", image, 0), (40, side, 2 * side, 1, 32, 0))
                pixels = image[40:40 + side * side * 4]
                alpha = pixels[3::4]
                self.assertIn(0, alpha)
                self.assertIn(255, alpha)
                self.assertTrue(any(0 < a < 255 for a in alpha), "no soft edge: not a real alpha channel")
                stride = (side + 31) // 32 * 4
                mask = image[40 + side * side * 4:]
                self.assertEqual(len(mask), stride * side)
                for y in range(side):
                    for x in range(side):
                        bit = mask[y * stride + x // 8] >> (7 - x % 8) & 1
                        a = alpha[y * side + x]
                        if a == 0:
                            self.assertEqual(bit, 1, f"transparent pixel {x},{y} not masked")
                        elif a == 255:
                            self.assertEqual(bit, 0, f"opaque pixel {x},{y} masked")

    # ---- payloads -----------------------------------------------------

    def chunks(self, base, rtype):
        joined = []
        index = 1
        while (rtype, f"{base}_{index}", LANGUAGE) in self.found:
            joined.append(self.found[(rtype, f"{base}_{index}", LANGUAGE)])
            index += 1
        return joined

    def test_chunks_join_to_the_payload_files(self):
        if not self.payloads():
            self.skipTest("this launcher carries no payload")
        for base, rtype, path in self.payloads():
            with self.subTest(payload=base):
                chunks = self.chunks(base, rtype)
                self.assertEqual([len(c) for c in chunks], pieces(os.path.getsize(path)))
                self.assertTrue(b"".join(chunks) == read(path))

    def test_report_tells_what_went_in(self):
        if not self.payloads():
            self.skipTest("this launcher carries no payload")
        with open(env("CORVANELL_REPORT")) as f:
            report = f.read()
        for base, rtype, path in self.payloads():
            with self.subTest(payload=base):
                data = read(path)
                sizes = pieces(len(data))
                self.assertIn(f"{base}_n ({rtype}): {os.path.abspath(path)}\n"
                              f"  size {len(data)} bytes, {len(sizes)} chunks, last chunk {sizes[-1]} bytes\n"
                              f"  sha256 {hashlib.sha256(data).hexdigest()}\n", report)

    def test_runtime_package_is_a_windows_program(self):
        if not self.runtime:
            self.skipTest("this launcher carries no runtime package")
        chunks = self.chunks("JAVA", "EXE")
        self.assertEqual(chunks[0][:2], b"MZ")
        package = pefile.PE(data=b"".join(chunks))
        # The demo package is built for the launcher's architecture; a
        # vendor's package goes with the 32-bit product.
        demo = env("CORVANELL_DEMO_RUNTIME") == "1"
        machine = (env("CORVANELL_PE_MACHINE") or "I386") if demo else "I386"
        self.assertEqual(package.FILE_HEADER.Machine, pefile.MACHINE_TYPE[f"IMAGE_FILE_MACHINE_{machine}"])
        if demo:
            # Started without a console, it must not make one.
            self.assertEqual(package.OPTIONAL_HEADER.Subsystem,
                             pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"])

    def test_installer_archive_is_a_runnable_zip(self):
        if not env("CORVANELL_JAR_TOOL"):
            self.skipTest("this launcher's installer archive is not a Java archive")
        chunks = self.chunks("JAR", "JAR")
        data = b"".join(chunks)
        self.assertEqual(chunks[0][:4], b"PK\x03\x04")
        end = data.rfind(b"PK\x05\x06")
        self.assertGreaterEqual(end, 0)
        comment_length = struct.unpack_from("<H", data, end + 20)[0]
        self.assertEqual(end + 22 + comment_length, len(data), "the archive does not end with its directory")
        self.assertTrue(chunks[-1].endswith(data[end:]))
        _, _, _, total, cd_size, cd_offset = struct.unpack_from("<HHHHII", data, end + 4)
        # Walk the central directory record by record.
        count, at = 0, cd_offset
        while at < cd_offset + cd_size:
            self.assertEqual(data[at:at + 4], b"PK\x01\x02", f"record {count + 1}")
            name_length, extra_length, comment = struct.unpack_from("<HHH", data, at + 28)
            at += 46 + name_length + extra_length + comment
            count += 1
        self.assertEqual(at, cd_offset + cd_size)
        self.assertEqual(count, total)
        listed = subprocess.run([env("CORVANELL_JAR_TOOL"), "--list", "--file", self.archive],
                                capture_output=True, text=True, check=True).stdout.split()
        self.assertEqual(count, len(listed))
        self.assertIn("META-INF/MANIFEST.MF", listed)
        with zipfile.ZipFile(self.archive) as archive:
            manifest = archive.read("META-INF/MANIFEST.MF").decode()
        self.assertIn("Main-Class: ", manifest)


if __name__ == "__main__":
    unittest.main()
