#!/usr/bin/env python3
"""Draws the bus configurator's window icon: three modules hanging on a bus
line, on a dark blue tile. Writes a Windows .ico with 32x32 and 16x16 images
(32-bit BMP entries). Python standard library only.

    python3 scripts/make_icon_bus.py bus_configurator/images/Quillon.ico
"""
import struct
import sys

TILE = (0x1f, 0x3a, 0x6b)
LINE = (0xf0, 0xc0, 0x30)
MODULE = (0xe8, 0xee, 0xf4)
LED = (0x30, 0xd0, 0x50)


def draw(size):
    """Pixels as rows of (r, g, b, a), top row first."""
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    s = size / 32.0
    r = max(2, round(5 * s))

    def inside_tile(x, y):
        for cx, cy in ((r, r), (size - 1 - r, r), (r, size - 1 - r), (size - 1 - r, size - 1 - r)):
            if (x < r or x > size - 1 - r) and (y < r or y > size - 1 - r):
                if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
                    return False
        return True

    def rect(x0, y0, x1, y1, colour):
        for y in range(round(y0 * s), max(round(y1 * s), round(y0 * s) + 1)):
            for x in range(round(x0 * s), max(round(x1 * s), round(x0 * s) + 1)):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = colour + (255,)

    for y in range(size):
        for x in range(size):
            if inside_tile(x, y):
                px[y][x] = TILE + (255,)
    rect(3, 8, 29, 10, LINE)             # the bus
    for x in (5, 14, 23):                # three modules on drops
        rect(x + 1.5, 10, x + 2.5, 14, LINE)
        rect(x, 14, x + 4, 26, MODULE)
        rect(x + 1, 16, x + 3, 18, LED)
    return px


def bmp_entry(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b''.join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(px):
        bits = bytearray(mask_row)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def ico(sizes):
    images = [bmp_entry(n) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(images)


if __name__ == '__main__':
    path = sys.argv[1] if len(sys.argv) > 1 else 'bus_configurator/images/Quillon.ico'
    with open(path, 'wb') as f:
        f.write(ico([32, 16]))
