#!/usr/bin/env python3
"""Draws the application icon, a stack of three grey diskettes, as pixel-exact rectangles in
the 16-colour palette and writes tarnwick.svg (the 32 x 32 design, scalable) and the 16 x 16
and 32 x 32 PNGs. Standard library only; the output is byte-for-byte reproducible."""
import os
import struct
import zlib

BLACK, NAVY, GREY, SILVER, WHITE = "#000000", "#000080", "#808080", "#c0c0c0", "#ffffff"

# One diskette in its own pixel grid: (x, y, width, height, colour), painted in order.
DISK_32 = [
    (0, 0, 18, 20, BLACK), (18, 1, 1, 19, BLACK), (19, 2, 1, 18, BLACK),  # cut top-right corner
    (1, 1, 17, 18, GREY), (18, 2, 1, 17, GREY),
    (1, 1, 17, 1, SILVER), (1, 1, 1, 18, SILVER),  # raised edge
    (5, 1, 10, 7, SILVER), (11, 2, 2, 4, BLACK),  # metal shutter and its window
    (3, 10, 14, 9, WHITE), (5, 12, 10, 1, NAVY), (5, 15, 8, 1, NAVY),  # label
]
DISK_16 = [
    (0, 0, 9, 10, BLACK), (9, 1, 1, 9, BLACK),
    (1, 1, 8, 8, GREY),
    (3, 1, 4, 3, SILVER), (5, 1, 1, 2, BLACK),
    (2, 5, 6, 4, WHITE), (3, 6, 4, 1, NAVY),
]
DESIGNS = {32: (DISK_32, [(1, 1), (6, 6), (11, 11)]), 16: (DISK_16, [(0, 0), (3, 3), (6, 6)])}


def rectangles(size):
    disk, offsets = DESIGNS[size]
    return [(ox + x, oy + y, w, h, c) for ox, oy in offsets for x, y, w, h, c in disk]


def write_svg(path, size):
    lines = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
             f'viewBox="0 0 {size} {size}" shape-rendering="crispEdges">',
             "  <title>Tarnwick: a stack of three grey diskettes</title>"]
    lines += [f'  <rect x="{x}" y="{y}" width="{w}" height="{h}" fill="{c}"/>'
              for x, y, w, h, c in rectangles(size)]
    lines.append("</svg>")
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n")


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def write_png(path, size):
    pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for x, y, w, h, c in rectangles(size):
        rgba = tuple(int(c[i:i + 2], 16) for i in (1, 3, 5)) + (255,)
        for row in range(y, y + h):
            for col in range(x, x + w):
                pixels[row][col] = rgba
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in pixels)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) +
                  png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


if __name__ == "__main__":
    os.chdir(os.path.dirname(os.path.abspath(__file__)))
    write_svg("tarnwick.svg", 32)
    write_png("tarnwick-32.png", 32)
    write_png("tarnwick-16.png", 16)
