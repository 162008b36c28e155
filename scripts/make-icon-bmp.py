#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes data/meridex-icon.bmp, the window's icon, from data/meridex-icon.png, the drawing:
#   python3 scripts/make-icon-bmp.py
# The program reads the icon at every start. Qt reads a BMP with its own code, where a PNG pages in
# libpng and its inflater, and a 64-pixel icon keeps a quarter of the memory of a 128-pixel one
# (the window managers show it at 16 to 48 pixels). Each icon pixel is the mean of four drawing
# pixels, weighted by their alpha; the BMP keeps the alpha (32 bits with bit masks).
import struct
import sys
import zlib
from pathlib import Path


def read_png(path):
    data = path.read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG")
    pos, chunks, head = 8, [], None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            head = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            chunks.append(body)
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = head
    if (depth, colour, interlace) != (8, 6, 0):
        sys.exit(f"{path}: only 8-bit RGBA without interlace is read")
    raw, stride, rows = zlib.decompress(b"".join(chunks)), width * 4, []
    prior = bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            b, c = prior[i], prior[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append(bytes(line))
        prior = line
    return width, height, rows


def halve(width, height, rows):
    out = []
    for y in range(0, height, 2):
        line = bytearray()
        for x in range(0, width * 4, 8):
            quad = [rows[y + dy][x + dx * 4:x + dx * 4 + 4] for dy in (0, 1) for dx in (0, 1)]
            alpha = sum(p[3] for p in quad)
            for k in range(3):
                line.append((sum(p[k] * p[3] for p in quad) + alpha // 2) // alpha if alpha else 0)
            line.append((alpha + 2) // 4)
        out.append(bytes(line))
    return width // 2, height // 2, out


def write_bmp(path, width, height, rows):
    bgra = bytearray()
    for line in reversed(rows):  # bottom row first
        for i in range(0, len(line), 4):
            r, g, b, a = line[i:i + 4]
            bgra += bytes((b, g, r, a))
    info = struct.pack("<IiiHHIIiiII", 124, width, height, 1, 32, 3, len(bgra), 2835, 2835, 0, 0)
    info += struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    info += b"BGRs" + bytes(36) + bytes(12) + struct.pack("<IIII", 4, 0, 0, 0)  # sRGB
    offset = 14 + len(info)
    path.write_bytes(struct.pack("<2sIHHI", b"BM", offset + len(bgra), 0, 0, offset) + info + bgra)


data = Path(__file__).resolve().parent.parent / "data"
write_bmp(data / "meridex-icon.bmp", *halve(*read_png(data / "meridex-icon.png")))
