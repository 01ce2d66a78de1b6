#!/usr/bin/env python3
"""Draws the menu-bar template icons of the sample bundle (black shapes on transparency).

Usage: python3 scripts/draw-status-icons.py resources/Velquarin.bundle/Resources
"""
import math
import struct
import sys
import zlib

SIDE = 18
SAMPLES = 8


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def envelope(x, y):
    left, top, right, bottom, half = 1.5, 3.5, 16.5, 14.5, 0.75
    edges = [(left, top, right, top), (right, top, right, bottom),
             (right, bottom, left, bottom), (left, bottom, left, top),
             (left, top, 9.0, 9.5), (9.0, 9.5, right, top)]
    return any(segment_distance(x, y, *edge) <= half for edge in edges)


def in_error(x, y):
    # The envelope with a solid dot at the upper right, cut free by a clear ring.
    distance = math.hypot(x - 14.0, y - 4.5)
    if distance <= 3.5:
        return True
    if distance <= 5.0:
        return False
    return envelope(x, y)


def render(shape):
    rows = []
    for py in range(SIDE):
        row = bytearray([0])  # filter: none
        for px in range(SIDE):
            hits = sum(shape(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                       for sx in range(SAMPLES) for sy in range(SAMPLES))
            row += bytes([0, 0, 0, round(255 * hits / (SAMPLES * SAMPLES))])
        rows.append(bytes(row))
    return b"".join(rows)


def png(pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    header = struct.pack(">IIBBBBB", SIDE, SIDE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b""))


def main():
    folder = sys.argv[1]
    for name, shape in (("SB_Default_Template", envelope), ("SB_InError_Template", in_error)):
        with open(f"{folder}/{name}.png", "wb") as out:
            out.write(png(render(shape)))


if __name__ == "__main__":
    main()
