#!/usr/bin/python3
"""Draws the launcher's artwork and writes it into this folder.

    /usr/bin/python3 resources/make_artwork.py [OUTPUT_DIR]

Makes the title picture, the eleven progress strips, the five step captions
(packed 32-bit bottom-up BMP files, 2835 pixels per metre, fourth byte 255)
and the application icon (four 32-bit images with alpha and AND mask). Needs
Python 3 with PIL and the DejaVu fonts (Debian: python3-pil,
fonts-dejavu-core). The build uses the committed files only; run this again
after changing the drawing and commit what it writes.
"""

import math
import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

FONTS = "/usr/share/fonts/truetype/dejavu"
WIDTH = 420
SPLASH_HEIGHT = 270
STRIP_HEIGHT = 30
BAR_ROWS = 6
CAPTION_HEIGHT = 24

# Palette: a deep night blue with a teal-to-amber accent.
NIGHT_TOP = (10, 22, 48)
NIGHT_BOTTOM = (18, 52, 86)
TEAL = (38, 198, 190)
AMBER = (255, 176, 64)
BAR_DARK = (16, 92, 120)
BAR_PALE = (214, 230, 236)
STRIP_TOP = (16, 40, 66)      # the caption ground, darker at the bottom
STRIP_BOTTOM = (8, 20, 38)

CAPTIONS = {
    "TMP": "Creating a temporary folder...",
    "XJAVA": "Preparing the installer...",
    "SEARCHING": "Searching for Java...",
    "XJAR": "Extracting the installer archive...",
    "LAUNCHING": "Launching the installer...",
}

ICON_SIZES = (128, 48, 32, 16)


def font(name, size):
    return ImageFont.truetype(os.path.join(FONTS, name), size)


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def vertical_gradient(width, height, top, bottom):
    image = Image.new("RGB", (width, height))
    draw = ImageDraw.Draw(image)
    for y in range(height):
        draw.line([(0, y), (width - 1, y)], fill=mix(top, bottom, y / max(1, height - 1)))
    return image


# ---- file formats -------------------------------------------------------

def dib_header(width, height, image_bytes, pels_per_metre):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 32, 0, image_bytes,
                       pels_per_metre, pels_per_metre, 0, 0)


def bgra_rows(image):
    """Pixel rows bottom-up, four bytes each: blue, green, red, alpha."""
    rgba = image.convert("RGBA")
    width, height = rgba.size
    raw = rgba.tobytes("raw", "BGRA")
    stride = width * 4
    return b"".join(raw[(height - 1 - y) * stride:(height - y) * stride] for y in range(height))


def write_bmp(path, image):
    """A packed 32-bit BI_RGB bitmap, fourth byte 255, after a file header."""
    image = image.convert("RGB").convert("RGBA")  # opaque: fourth byte 255 everywhere
    width, height = image.size
    pixels = bgra_rows(image)
    info = dib_header(width, height, len(pixels), 2835)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as out:
        out.write(file_header + info + pixels)


def icon_image(image):
    """One icon image: header with doubled height, BGRA rows, 1-bit AND mask."""
    width, height = image.size
    pixels = bgra_rows(image)
    mask_stride = ((width + 31) // 32) * 4
    alpha = image.getchannel("A")
    mask = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(width):
            if alpha.getpixel((x, y)) < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    header = dib_header(width, height * 2, len(pixels) + len(mask), 0)
    return header + pixels + bytes(mask)


def write_ico(path, images):
    """An icon file: directory of 16-byte entries, then the images in order."""
    blobs = [icon_image(image) for image in images]
    directory = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for image, blob in zip(images, blobs):
        width, height = image.size
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as out:
        out.write(directory + b"".join(blobs))


# ---- the mark -----------------------------------------------------------

def draw_mark(size, ring_width=0.13, detail=True):
    """The product mark on a transparent square: an open ring, like a C,
    swept from teal to amber, with a four-pointed star in its opening."""
    scale = 4
    big = size * scale
    layer = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    centre = big / 2
    outer = big * 0.46
    inner = outer - big * ring_width
    # The ring: drawn as a polygon sweep so the colour can run along it.
    start, end = 50, 330   # degrees, opening towards the right
    steps = 140
    draw = ImageDraw.Draw(layer)
    for i in range(steps):
        a0 = math.radians(start + (end - start) * i / steps)
        a1 = math.radians(start + (end - start) * (i + 1.2) / steps)
        colour = mix(TEAL, AMBER, i / (steps - 1)) + (255,)
        points = [
            (centre + outer * math.cos(a0), centre - outer * math.sin(a0)),
            (centre + outer * math.cos(a1), centre - outer * math.sin(a1)),
            (centre + inner * math.cos(a1), centre - inner * math.sin(a1)),
            (centre + inner * math.cos(a0), centre - inner * math.sin(a0)),
        ]
        draw.polygon(points, fill=colour)
    # Rounded ends of the ring.
    radius = (outer - inner) / 2
    middle = (outer + inner) / 2
    for angle, colour in ((start, TEAL), (end, AMBER)):
        a = math.radians(angle)
        x, y = centre + middle * math.cos(a), centre - middle * math.sin(a)
        draw.ellipse([x - radius, y - radius, x + radius, y + radius], fill=colour + (255,))
    if detail:
        # A star in the opening, as if the ring had just released it.
        sx, sy, r = centre + outer * 0.78, centre, big * 0.16
        star = []
        for k in range(8):
            a = math.radians(90 + k * 45)
            rr = r if k % 2 == 0 else r * 0.28
            star.append((sx + rr * math.cos(a), sy - rr * math.sin(a)))
        draw.polygon(star, fill=(255, 246, 224, 255))
        # And a solid core inside the ring.
        core = inner * 0.42
        draw.ellipse([centre - core, centre - core, centre + core, centre + core],
                     fill=(234, 244, 248, 255))
    return layer.resize((size, size), Image.LANCZOS)


# ---- the pictures -------------------------------------------------------

def splash():
    scale = 3
    w, h = WIDTH * scale, SPLASH_HEIGHT * scale
    image = vertical_gradient(w, h, NIGHT_TOP, NIGHT_BOTTOM).convert("RGBA")

    # A soft glow behind the mark.
    glow = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    gd = ImageDraw.Draw(glow)
    gx, gy = 96 * scale, 130 * scale
    for i in range(40, 0, -1):
        r = i * 3.2 * scale
        gd.ellipse([gx - r, gy - r, gx + r, gy + r], fill=TEAL + (int(4 + (40 - i) * 0.9),))
    glow = glow.filter(ImageFilter.GaussianBlur(18 * scale))
    image = Image.alpha_composite(image, glow)

    # Sweeping bands across the lower right.
    bands = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    bd = ImageDraw.Draw(bands)
    for k, (colour, alpha) in enumerate(((TEAL, 46), (AMBER, 34), (TEAL, 22))):
        off = k * 26 * scale
        bd.polygon([(w * 0.38 + off, h), (w + off, h * 0.30 + off * 0.3),
                    (w + off, h * 0.30 + off * 0.3 + 14 * scale), (w * 0.38 + off + 60 * scale, h)],
                   fill=colour + (alpha,))
    bands = bands.filter(ImageFilter.GaussianBlur(1.5 * scale))
    image = Image.alpha_composite(image, bands)

    # A fine star field in the upper half.
    stars = ImageDraw.Draw(image)
    seed = 12345
    for _ in range(70):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        x = seed % w
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        y = seed % (h // 2)
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        r = (1 + seed % 3) * scale * 0.35
        level = 90 + seed % 120
        stars.ellipse([x - r, y - r, x + r, y + r], fill=(level, level + 10 if level < 245 else 255, 255, 255))

    # The mark.
    mark = draw_mark(118 * scale)
    image.alpha_composite(mark, (int(37 * scale), int(71 * scale)))

    # The name, with a soft shadow, and a thin accent rule below it.
    title_font = font("DejaVuSans-Bold.ttf", 46 * scale)
    text_layer = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    td = ImageDraw.Draw(text_layer)
    tx, ty = 164 * scale, 98 * scale
    shadow = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    ImageDraw.Draw(shadow).text((tx + 2 * scale, ty + 3 * scale), "Corvanell", font=title_font,
                                fill=(0, 0, 0, 150))
    shadow = shadow.filter(ImageFilter.GaussianBlur(3 * scale))
    image = Image.alpha_composite(image, shadow)
    # Letters with a vertical sheen: white at the top, pale teal below.
    sheen = vertical_gradient(w, h, (255, 255, 255), (170, 228, 232)).convert("RGBA")
    td.text((tx, ty), "Corvanell", font=title_font, fill=(255, 255, 255, 255))
    sheen.putalpha(text_layer.getchannel("A"))
    image = Image.alpha_composite(image, sheen)

    rule = ImageDraw.Draw(image)
    box = title_font.getbbox("Corvanell")
    rule_y = ty + box[3] + 12 * scale
    steps = 60
    x0, x1 = tx + 3 * scale, tx + box[2]
    for i in range(steps):
        a = x0 + (x1 - x0) * i / steps
        b = x0 + (x1 - x0) * (i + 1) / steps
        rule.rectangle([a, rule_y, b, rule_y + 2 * scale], fill=mix(TEAL, AMBER, i / (steps - 1)) + (255,))
    subtitle = font("DejaVuSans.ttf", 15 * scale)
    rule.text((tx + 3 * scale, rule_y + 10 * scale), "S E T U P", font=subtitle, fill=(196, 220, 230, 255))

    # A thin line at the very bottom joins the picture to the progress strip.
    rule.rectangle([0, h - 2 * scale, w, h], fill=(10, 30, 52, 255))
    return image.resize((WIDTH, SPLASH_HEIGHT), Image.LANCZOS).convert("RGB")


def progress_strip(percent):
    image = Image.new("RGB", (WIDTH, STRIP_HEIGHT))
    draw = ImageDraw.Draw(image)
    filled = percent * WIDTH // 100
    draw.rectangle([0, 0, WIDTH - 1, BAR_ROWS - 1], fill=BAR_PALE)
    if filled:
        draw.rectangle([0, 0, filled - 1, BAR_ROWS - 1], fill=BAR_DARK)
    ground = vertical_gradient(WIDTH, STRIP_HEIGHT - BAR_ROWS, STRIP_TOP, STRIP_BOTTOM)
    image.paste(ground, (0, BAR_ROWS))
    return image


def caption(text):
    image = Image.new("1", (WIDTH, CAPTION_HEIGHT), 0)
    draw = ImageDraw.Draw(image)
    draw.fontmode = "1"   # no anti-aliasing: black and white only
    face = font("DejaVuSans-Bold.ttf", 14)
    top, bottom = face.getbbox("Ag")[1], face.getbbox("Ag")[3]
    draw.text((10, (CAPTION_HEIGHT - (bottom - top)) // 2 - top), text, font=face, fill=1)
    return image.convert("RGB")


def icon(size):
    image = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    if size >= 32:
        # A rounded tile in the splash's night blue carries the mark.
        scale = 4
        big = size * scale
        tile = vertical_gradient(big, big, (22, 58, 96), NIGHT_TOP).convert("RGBA")
        mask = Image.new("L", (big, big), 0)
        ImageDraw.Draw(mask).rounded_rectangle([0, 0, big - 1, big - 1], radius=big * 0.22, fill=255)
        tile.putalpha(mask)
        image = tile.resize((size, size), Image.LANCZOS)
        mark = draw_mark(int(size * 0.82), detail=size >= 48)
        offset = (size - mark.size[0]) // 2
        image.alpha_composite(mark, (offset, offset))
    else:
        # At 16 pixels the tile would swallow the ring: the ring alone, bolder.
        image = draw_mark(size, ring_width=0.2, detail=False)
    return image


def main(argv):
    out = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, "splash.bmp"), splash())
    for percent in range(0, 101, 10):
        write_bmp(os.path.join(out, f"progress_{percent}.bmp"), progress_strip(percent))
    for step, text in CAPTIONS.items():
        write_bmp(os.path.join(out, f"step_{step.lower()}.bmp"), caption(text))
    write_ico(os.path.join(out, "corvanell.ico"), [icon(size) for size in ICON_SIZES])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
