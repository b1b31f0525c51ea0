#!/usr/bin/env python3
"""Prints the colour of pixels of a PNG as RRGGBB, one a line:
png_pixel.py FILE X Y [X Y ...]. Reads the 8-bit RGB and RGBA pictures the
window's `shot` step writes (no interlacing)."""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise SystemExit(path + ': not a PNG')
    at, idat, width = 8, b'', 0
    while at < len(data):
        n, kind = struct.unpack('>I4s', data[at:at + 8])
        body = data[at + 8:at + 8 + n]
        if kind == b'IHDR':
            width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise SystemExit(path + ': only 8-bit RGB(A) pictures are read')
            bpp = 3 if colour == 2 else 4
        elif kind == b'IDAT':
            idat += body
        at += 12 + n
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        f, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - bpp] if x >= bpp else 0
            b = prev[x]
            c = prev[x - bpp] if x >= bpp else 0
            if f == 1: line[x] = (line[x] + a) & 255
            elif f == 2: line[x] = (line[x] + b) & 255
            elif f == 3: line[x] = (line[x] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pr = a if pa <= pb and pa <= pc else b if pb <= pc else c
                line[x] = (line[x] + pr) & 255
        rows.append(line)
        prev = line
    return width, height, bpp, rows


def main():
    width, height, bpp, rows = read_png(sys.argv[1])
    args = [int(v) for v in sys.argv[2:]]
    for x, y in zip(args[0::2], args[1::2]):
        if not (0 <= x < width and 0 <= y < height):
            print('outside')
            continue
        p = rows[y][x * bpp:x * bpp + 3]
        print('%02X%02X%02X' % (p[0], p[1], p[2]))


main()
