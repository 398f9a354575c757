#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Renders forms/pelorin.svg into the PNG pictures the program and the icon
# theme use (forms/pelorin-16.png, pelorin.png at 32, pelorin-48.png). The
# icon is made of filled rectangles, some with rounded corners, and nothing
# else; this reads just those and averages 12 x 12 samples per pixel, so the
# pictures come out the same on every machine without an SVG library.
import struct
import sys
import xml.etree.ElementTree as ET
import zlib
from pathlib import Path

FORMS = Path(__file__).resolve().parent.parent / "forms"
OUTPUTS = {16: "pelorin-16.png", 32: "pelorin.png", 48: "pelorin-48.png"}
SAMPLES = 12


def read_shapes(svg):
    root = ET.parse(svg).getroot()
    view = [float(v) for v in root.get("viewBox").split()]
    shapes = []
    for rect in root.iter("{http://www.w3.org/2000/svg}rect"):
        fill = rect.get("fill").lstrip("#")
        shapes.append((float(rect.get("x")), float(rect.get("y")), float(rect.get("width")),
                       float(rect.get("height")), float(rect.get("rx", 0)),
                       tuple(int(fill[i:i + 2], 16) for i in (0, 2, 4))))
    return view[2], shapes


def covers(shape, px, py):
    x, y, w, h, r, _ = shape
    if not (x <= px < x + w and y <= py < y + h):
        return False
    if r == 0:
        return True
    cx = min(max(px, x + r), x + w - r)
    cy = min(max(py, y + r), y + h - r)
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def render(width, shapes, size):
    scale = width / size
    rows = []
    for j in range(size):
        row = bytearray([0])  # no PNG filter on this row
        for i in range(size):
            r = g = b = a = 0
            for sj in range(SAMPLES):
                for si in range(SAMPLES):
                    px = (i + (si + 0.5) / SAMPLES) * scale
                    py = (j + (sj + 0.5) / SAMPLES) * scale
                    colour = None
                    for shape in shapes:
                        if covers(shape, px, py):
                            colour = shape[5]
                    if colour:
                        r, g, b, a = r + colour[0], g + colour[1], b + colour[2], a + 1
            if a:
                row += bytes([round(r / a), round(g / a), round(b / a), round(255 * a / SAMPLES ** 2)])
            else:
                row += bytes(4)
        rows.append(bytes(row))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(b"".join(rows), 9))
            + chunk(b"IEND", b""))


def main():
    width, shapes = read_shapes(FORMS / "pelorin.svg")
    for size, name in OUTPUTS.items():
        (FORMS / name).write_bytes(render(width, shapes, size))
    return 0


if __name__ == "__main__":
    sys.exit(main())
