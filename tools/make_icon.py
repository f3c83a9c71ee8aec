#!/usr/bin/env python3
"""Draws Kestrune's icon and writes it as one multi-size .ico (16, 24, 32, 48 and 256 px).

The picture: a bold dark "K" on a rounded square in the launcher's accent blue, with a small spark
in the match colour at the top right from 32 px up. Shapes are given on a 16-unit grid, so that at
16 px the stem and the arms fall on whole pixels and stay readable; every size is drawn from the
same shapes with 8 x 8 samples per pixel. Sizes up to 48 px are stored as 32-bit bitmaps with
their AND mask, 256 px as PNG (the form Windows expects for that size).

Usage: tools/make_icon.py [OUT.ico]   (default: src/app/kestrune.ico)
"""
import os
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 256)
SAMPLES = 8

ACCENT = (0x89, 0xB4, 0xFA)  # dark theme accent
INK = (0x1E, 0x1E, 0x2E)     # dark theme background
SPARK = (0xD9, 0xB1, 0x30)   # dark theme match colour

# Polygons on a 16 x 16 grid (x right, y down).
STEM = [(3.6, 2.8), (6.8, 2.8), (6.8, 13.2), (3.6, 13.2)]
UPPER_ARM = [(6.8, 7.0), (9.7, 2.8), (13.2, 2.8), (6.8, 10.9)]
LOWER_ARM = [(7.6, 8.0), (9.6, 6.3), (13.4, 13.2), (9.9, 13.2)]
SPARK_SHAPE = [(13.0, 0.9), (13.75, 2.25), (15.1, 3.0), (13.75, 3.75), (13.0, 5.1), (12.25, 3.75),
               (10.9, 3.0), (12.25, 2.25)]
CORNER = 3.4  # radius of the square's corners


def inside_polygon(x, y, poly):
    hit = False
    n = len(poly)
    for i in range(n):
        x1, y1 = poly[i]
        x2, y2 = poly[(i + 1) % n]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def inside_rounded_square(x, y, r):
    if x < 0 or y < 0 or x > 16 or y > 16:
        return False
    cx = min(max(x, r), 16 - r)
    cy = min(max(y, r), 16 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def draw(size):
    """Rows of (r, g, b, a) tuples, top row first."""
    layers = [(INK, STEM), (INK, UPPER_ARM), (INK, LOWER_ARM)]
    if size >= 32:
        layers.append((SPARK, SPARK_SHAPE))
    scale = 16.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * scale
                    y = (py + (sy + 0.5) / SAMPLES) * scale
                    if not inside_rounded_square(x, y, CORNER):
                        continue
                    colour = ACCENT
                    for c, poly in layers:
                        if inside_polygon(x, y, poly):
                            colour = c
                    r += colour[0]
                    g += colour[1]
                    b += colour[2]
                    a += 1
            n = SAMPLES * SAMPLES
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                # Colour averaged over the covered samples (straight alpha), alpha by coverage.
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
        rows.append(row)
    return rows


def bmp_image(size, rows):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(pixels) + bytes(mask)


def png_image(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        for px in row:
            raw += bytes(px)
    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
            chunk(b"IEND", b""))


def write_ico(path):
    images = []
    for size in SIZES:
        rows = draw(size)
        data = png_image(size, rows) if size >= 256 else bmp_image(size, rows)
        images.append((size, data))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "src", "app", "kestrune.ico")
    write_ico(target)
    print("wrote", target)
