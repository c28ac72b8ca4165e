#!/usr/bin/env python3
"""Draws the icons of the three configurators (standard library only).

Each icon is a small pixel drawing made of filled rectangles whose positions
are rules of the icon size n, so that one drawing gives every size. The same
drawing gives the menu icons (PNG, hicolor theme) and the window icons that
the programs compile in (ICO, 16 and 32 pixels).

    draw_icons.py write DIR      the PNGs, DIR/<n>x<n>/apps/<package>.png
    draw_icons.py window-icons   the window icons listed in WINDOW_ICONS
    draw_icons.py check DIR      fails unless DIR holds exactly what "write"
                                 draws, and unless each window icon listed
                                 in WINDOW_ICONS is the drawing
"""
import os
import struct
import sys
import zlib

SIZES = (16, 32, 48, 64, 128, 256)
ICO_SIZES = (32, 16)

CLEAR = (0, 0, 0, 0)
FRAME = (30, 40, 60, 255)
BLUE = (40, 110, 200, 255)
ORANGE = (240, 140, 30, 255)
LINK = (60, 60, 60, 255)
LAMP = (120, 230, 120, 255)

HERE = os.path.dirname(os.path.abspath(__file__))
# Window icons compiled into the programs that must be the same drawing as
# the menu icons, at 16 and 32 pixels.
WINDOW_ICONS = {
    "gateway-configurator": os.path.join(HERE, "..", "gateway_configurator", "images", "QuillonRTUTCP.ico"),
    "bus-configurator": os.path.join(HERE, "..", "bus_configurator", "images", "Quillon.ico"),
}


class Canvas:
    def __init__(self, n):
        self.n = n
        self.px = [[CLEAR] * n for _ in range(n)]

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), inclusive."""
        for y in range(max(0, y0), min(self.n, y1 + 1)):
            row = self.px[y]
            for x in range(max(0, x0), min(self.n, x1 + 1)):
                row[x] = colour

    def module(self, x0, y0, x1, y1, body):
        """A module: framed box with its status lamp in the upper left corner."""
        n = self.n
        frame = max(1, n // 32)
        self.fill(x0, y0, x1, y1, FRAME)
        self.fill(x0 + frame, y0 + frame, x1 - frame, y1 - frame, body)
        lamp = max(1, n // 16)
        inset = max(2, 3 * n // 32)
        lx, ly = x0 + inset, y0 + inset
        self.fill(lx, ly, lx + lamp - 1, ly + lamp - 1, LAMP)


def bar(n):
    """Thickness of a link bar."""
    return max(2, n // 16)


def draw_gateway(c):
    """Two modules, Ethernet side and RS-485 side, joined by the converter."""
    n = c.n
    margin = n // 32
    width = (11 * n + 16) // 32
    top, bottom = n // 4, n // 4 + n // 2 - 1
    left_x1 = margin + width - 1
    right_x0 = n - margin - width
    t = bar(n)
    c.fill(left_x1 + 1, n // 2 - t // 2, right_x0 - 1, n // 2 - t // 2 + t - 1, LINK)
    c.module(margin, top, left_x1, bottom, BLUE)
    c.module(right_x0, top, n - margin - 1, bottom, ORANGE)


TILE = (0x1f, 0x3a, 0x6b, 255)
BUS_LINE = (0xf0, 0xc0, 0x30, 255)
BUS_MODULE = (0xe8, 0xee, 0xf4, 255)
BUS_LAMP = (0x30, 0xd0, 0x50, 255)


def draw_bus(c):
    """Three modules hanging on a bus line, on a dark blue tile with rounded
    corners: the bus configurator's window icon, laid out on a 32-unit grid
    scaled to n."""
    n = c.n
    s = n / 32.0
    r = max(2, round(5 * s))

    def inside_tile(x, y):
        for cx, cy in ((r, r), (n - 1 - r, r), (r, n - 1 - r), (n - 1 - r, n - 1 - r)):
            if (x < r or x > n - 1 - r) and (y < r or y > n - 1 - r):
                if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
                    return False
        return True

    def rect(x0, y0, x1, y1, colour):
        top, left = round(y0 * s), round(x0 * s)
        c.fill(left, top, max(round(x1 * s), left + 1) - 1, max(round(y1 * s), top + 1) - 1, colour)

    for y in range(n):
        for x in range(n):
            if inside_tile(x, y):
                c.px[y][x] = TILE
    rect(3, 8, 29, 10, BUS_LINE)
    for x in (5, 14, 23):
        rect(x + 1.5, 10, x + 2.5, 14, BUS_LINE)
        rect(x, 14, x + 4, 26, BUS_MODULE)
        rect(x + 1, 16, x + 3, 18, BUS_LAMP)


def draw_rs485(c):
    """One module with its two-wire line (A and B) to the serial adapter."""
    n = c.n
    margin = n // 32
    width = (11 * n + 16) // 32
    top, bottom = n // 4, n // 4 + n // 2 - 1
    x1 = margin + width - 1
    adapter = (7 * n + 16) // 32
    ax0 = n - margin - adapter
    ay0 = n // 2 - adapter // 2
    wire = max(1, n // 32)
    for wy in (n // 2 - 2 * wire - (n // 32), n // 2 + wire + (n // 32)):
        c.fill(x1 + 1, wy, ax0 - 1, wy + wire - 1, LINK)
    c.module(margin, top, x1, bottom, ORANGE)
    c.fill(ax0, ay0, n - margin - 1, ay0 + adapter - 1, FRAME)
    f = max(1, n // 32)
    c.fill(ax0 + f, ay0 + f, n - margin - 1 - f, ay0 + adapter - 1 - f, BLUE)


DRAWINGS = {
    "gateway-configurator": draw_gateway,
    "bus-configurator": draw_bus,
    "rs485-configurator": draw_rs485,
}


def draw(package, n):
    c = Canvas(n)
    DRAWINGS[package](c)
    return c.px


def png_bytes(px):
    n = len(px)
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in px)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", n, n, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def png_pixels(data):
    """Decodes the 8-bit RGBA, unfiltered PNGs that png_bytes writes."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat, size = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            w, h, depth, colour = struct.unpack(">IIBB", body[:10])
            if (depth, colour) != (8, 6) or w != h:
                raise ValueError("not a square 8-bit RGBA PNG")
            size = w
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    px, stride = [], 1 + 4 * size
    for y in range(size):
        line = raw[y * stride:(y + 1) * stride]
        if line[0] != 0:
            raise ValueError("filtered PNG rows are not expected here")
        px.append([tuple(line[1 + 4 * x:5 + 4 * x]) for x in range(size)])
    return px


def ico_bytes(images):
    """ICO with 32-bit BMP images (bottom-up rows, BGRA, 1-bit AND mask)."""
    entries, bodies = [], []
    offset = 6 + 16 * len(images)
    for px in images:
        n = len(px)
        colour = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(px) for p in row)
        mask_stride = ((n + 31) // 32) * 4
        mask = b""
        for row in reversed(px):
            bits = bytearray(mask_stride)
            for x, p in enumerate(row):
                if p[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
        body = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0) + colour + mask
        entries.append(struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(body), offset))
        bodies.append(body)
        offset += len(body)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(bodies)


def ico_pixels(data):
    """Size -> pixel rows of each 32-bit BMP image of an ICO."""
    _, kind, count = struct.unpack("<HHH", data[:6])
    if kind != 1:
        raise ValueError("not an icon file")
    out = {}
    for i in range(count):
        w, h, _, _, _, bpp, size, off = struct.unpack("<BBBBHHII", data[6 + 16 * i:22 + 16 * i])
        n = w or 256
        header = struct.unpack("<IiiHH", data[off:off + 16])
        if header[4] != 32:
            raise ValueError("only 32-bit icon images are expected here")
        colour = data[off + header[0]:off + header[0] + 4 * n * n]
        rows = []
        for y in range(n):
            line = colour[4 * n * y:4 * n * (y + 1)]
            rows.append([(line[4 * x + 2], line[4 * x + 1], line[4 * x], line[4 * x + 3]) for x in range(n)])
        out[n] = [list(r) for r in reversed(rows)]
    return out


def expected_files():
    files = {}
    for package in DRAWINGS:
        for n in SIZES:
            files[os.path.join(f"{n}x{n}", "apps", package + ".png")] = png_bytes(draw(package, n))
    return files


def check(outdir):
    problems = []
    expected = expected_files()
    for rel, data in sorted(expected.items()):
        path = os.path.join(outdir, rel)
        if not os.path.exists(path):
            problems.append(f"{path}: missing")
            continue
        with open(path, "rb") as f:
            have = f.read()
        if png_pixels(have) != png_pixels(data):
            problems.append(f"{path}: differs from the drawing")
    for root, _, names in os.walk(outdir):
        for name in names:
            rel = os.path.relpath(os.path.join(root, name), outdir)
            if rel not in expected:
                problems.append(f"{os.path.join(outdir, rel)}: not drawn by this script")
    for package, path in WINDOW_ICONS.items():
        if not os.path.exists(path):
            print(f"{path}: not in this tree, not compared")
            continue
        with open(path, "rb") as f:
            window = ico_pixels(f.read())
        for n in ICO_SIZES:
            if window.get(n) != draw(package, n):
                problems.append(f"{path}: the {n}x{n} image is not the drawing of {package}")
    for p in problems:
        print(p, file=sys.stderr)
    print(f"icons: {len(expected)} files checked, {len(problems)} problem(s)")
    return 1 if problems else 0


def write(outdir):
    for rel, data in expected_files().items():
        path = os.path.join(outdir, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


def write_window_icons():
    for package, path in WINDOW_ICONS.items():
        if os.path.isdir(os.path.dirname(path)):
            with open(path, "wb") as f:
                f.write(ico_bytes([draw(package, n) for n in ICO_SIZES]))


def main(argv):
    if len(argv) == 3 and argv[1] == "write":
        write(argv[2])
        return 0
    if len(argv) == 3 and argv[1] == "check":
        return check(argv[2])
    if len(argv) == 2 and argv[1] == "window-icons":
        write_window_icons()
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
