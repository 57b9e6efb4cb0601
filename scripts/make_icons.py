#!/usr/bin/env python3
"""Draws the program's two icons and writes them as .ico files.

app.ico (the application icon): a level meter of five rising bars on a dark
rounded square, at 16, 32 and 48 px in 256 colours and 32-bit colour, plus a
256 px PNG image. indicator.ico (the trigger indicator): a glowing red lamp,
at 16 and 32 px in 16 colours, 256 colours and 32-bit colour.
"""
import struct
import sys
import zlib
from pathlib import Path


def clamp(v):
    return max(0, min(255, int(round(v))))


def rounded_square(x, y, r):
    """Signed inside test of a rounded square spanning [0.06, 0.94]."""
    lo, hi = 0.06, 0.94
    cx = min(max(x, lo + r), hi - r)
    cy = min(max(y, lo + r), hi - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


BAR_COLOURS = [(40, 200, 70), (40, 200, 70), (120, 220, 40), (250, 200, 30), (235, 60, 40)]


def app_pixel(x, y):
    """Colour at (x, y) in unit coordinates, y growing downwards."""
    if not rounded_square(x, y, 0.18):
        return (0, 0, 0, 0)
    for i, colour in enumerate(BAR_COLOURS):
        left = 0.17 + i * 0.14
        top = 0.72 - i * 0.12
        if left <= x < left + 0.11 and top <= y < 0.82:
            return colour + (255,)
    shade = 60 - 30 * y
    return (clamp(shade * 0.4), clamp(shade * 0.6), clamp(shade + 40), 255)


def indicator_pixel(x, y):
    d2 = (x - 0.5) ** 2 + (y - 0.5) ** 2
    if d2 > 0.44 ** 2:
        return (0, 0, 0, 0)
    glow = 1.0 - ((x - 0.38) ** 2 + (y - 0.36) ** 2) ** 0.5 * 1.6
    glow = max(0.0, glow)
    return (clamp(170 + 85 * glow), clamp(20 + 200 * glow ** 3), clamp(10 + 160 * glow ** 4), 255)


def render(pixel, size):
    """Rows top to bottom of RGBA tuples, supersampled (4x4 for small images)."""
    n = 4 if size <= 48 else 2
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = pixel((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3] / (n * n)
            if acc[3] > 0:
                row.append((clamp(acc[0] / acc[3]), clamp(acc[1] / acc[3]), clamp(acc[2] / acc[3]), clamp(a)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
         (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
         (255, 0, 255), (0, 255, 255), (255, 255, 255)]
CUBE256 = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
CUBE256 += [(i * 6, i * 6, i * 6) for i in range(40)]


def nearest(palette, rgb):
    return min(range(len(palette)), key=lambda i: sum((palette[i][k] - rgb[k]) ** 2 for k in range(3)))


def and_mask(rows, size):
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def bmp_entry(rows, size, bpp):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    palette = b''
    if bpp == 32:
        for row in reversed(rows):
            for r, g, b, a in row:
                pixels += bytes((b, g, r, a))
    else:
        colours = VGA16 if bpp == 4 else CUBE256
        palette = b''.join(bytes((b, g, r, 0)) for r, g, b in colours)
        stride = ((size * bpp + 31) // 32) * 4
        for row in reversed(rows):
            line = bytearray(stride)
            for x, (r, g, b, a) in enumerate(row):
                index = nearest(colours, (r, g, b)) if a >= 128 else 0
                if bpp == 4:
                    line[x // 2] |= index << (4 if x % 2 == 0 else 0)
                else:
                    line[x] = index
            pixels += line
    return header + palette + bytes(pixels) + and_mask(rows, size)


def png_entry(rows, size):
    raw = b''.join(b'\x00' + bytes(c for px in row for c in px) for row in rows)

    def chunk(tag, data):
        return struct.pack('>I', len(data)) + tag + data + struct.pack('>I', zlib.crc32(tag + data) & 0xFFFFFFFF)

    ihdr = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')


def write_ico(path, pixel, sizes_bpp, png_size=None):
    images = []
    for size, bpp in sizes_bpp:
        images.append((size, bpp, bmp_entry(render(pixel, size), size, bpp)))
    if png_size:
        images.append((png_size, 32, png_entry(render(pixel, png_size), png_size)))
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b''
    for size, bpp, data in images:
        colour_count = {4: 16, 8: 0}.get(bpp, 0)
        dim = size if size < 256 else 0
        directory += struct.pack('<BBBBHHII', dim, dim, colour_count, 0, 1, bpp, len(data), offset)
        offset += len(data)
        body += data
    Path(path).write_bytes(directory + body)


def main(out_dir):
    out = Path(out_dir)
    out.mkdir(parents=True, exist_ok=True)
    write_ico(out / 'app.ico', app_pixel, [(s, b) for s in (16, 32, 48) for b in (8, 32)], png_size=256)
    write_ico(out / 'indicator.ico', indicator_pixel, [(s, b) for s in (16, 32) for b in (4, 8, 32)])


if __name__ == '__main__':
    main(sys.argv[1])
