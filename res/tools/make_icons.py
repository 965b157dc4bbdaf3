# res/tools/make_icons.py
"""Draws Tavisk's icons and writes them as .ico files (16x16 and 32x32, 32-bit with alpha).

    python3 res/tools/make_icons.py [output-dir]      (default: the res/ folder)

Writes Tavisk.ico (icon 130, the main window) and About.ico (icon 128, the About box). The artwork is
computed, not stored: an optical disc with a spectral sheen, a bold "T" badge on the main icon and an
information badge on the About icon. Only the standard library is used, so the files can be regenerated on
any machine; the output is deterministic.
"""

import math
import os
import struct
import sys

SUPERSAMPLE = 4


def clamp(v):
    return max(0, min(255, int(round(v))))


def hue_to_rgb(h):
    """Hue in [0, 1) to a soft pastel RGB triple (0..1 floats)."""
    r = abs(h * 6.0 - 3.0) - 1.0
    g = 2.0 - abs(h * 6.0 - 2.0)
    b = 2.0 - abs(h * 6.0 - 4.0)
    return tuple(min(1.0, max(0.0, c)) for c in (r, g, b))


def disc_sample(x, y):
    """Colour of the disc at (x, y) in unit coordinates (centre 0, 0; radius 1). None outside."""
    r = math.hypot(x, y)
    if r > 1.0 or r < 0.16:
        return None
    if r > 0.955:
        return (0.35, 0.37, 0.42, 1.0)                     # rim
    if r < 0.34:
        if r < 0.20:
            return (0.55, 0.57, 0.62, 1.0)                 # inner edge of the hole
        return (0.80, 0.82, 0.86, 1.0)                     # clamping ring
    angle = math.atan2(y, x)
    base = 0.74 + 0.16 * math.cos(2.0 * angle - 0.6)       # brushed metal light
    sheen = hue_to_rgb(((angle / (2.0 * math.pi)) * 2.0 + r * 0.35) % 1.0)
    mix = 0.28 * (0.5 + 0.5 * math.sin(2.0 * angle + 0.9))
    rgb = tuple(base * (1.0 - mix) + s * mix for s in sheen)
    return rgb + (1.0,)


def badge_t(x, y):
    """A blue rounded badge with a white "T", lower right."""
    cx, cy, half = 0.52, 0.52, 0.46
    dx, dy = abs(x - cx), abs(y - cy)
    corner = 0.14
    if dx > half or dy > half:
        return None
    if dx > half - corner and dy > half - corner:
        if math.hypot(dx - (half - corner), dy - (half - corner)) > corner:
            return None
    lx, ly = x - cx, y - cy
    in_bar = -0.32 <= lx <= 0.32 and -0.32 <= ly <= -0.17
    in_stem = -0.08 <= lx <= 0.08 and -0.32 <= ly <= 0.34
    if in_bar or in_stem:
        return (1.0, 1.0, 1.0, 1.0)
    edge = max(dx, dy) > half - 0.05
    return (0.08, 0.25, 0.60, 1.0) if edge else (0.13, 0.38, 0.80, 1.0)


def badge_info(x, y):
    """A green round badge with a white "i", lower right."""
    cx, cy, rad = 0.52, 0.52, 0.46
    d = math.hypot(x - cx, y - cy)
    if d > rad:
        return None
    lx, ly = x - cx, y - cy
    if math.hypot(lx, ly + 0.22) <= 0.075:
        return (1.0, 1.0, 1.0, 1.0)
    if -0.065 <= lx <= 0.065 and -0.08 <= ly <= 0.30:
        return (1.0, 1.0, 1.0, 1.0)
    return (0.10, 0.50, 0.22, 1.0) if d > rad - 0.05 else (0.16, 0.64, 0.30, 1.0)


def render(size, badge):
    """Returns rows (top first) of (r, g, b, a) byte tuples."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    x = ((px + (sx + 0.5) / n) / size) * 2.0 - 1.0
                    y = ((py + (sy + 0.5) / n) / size) * 2.0 - 1.0
                    c = badge(x, y) or disc_sample(x / 0.98, y / 0.98)
                    if c is None:
                        continue
                    for i in range(3):
                        acc[i] += c[i] * c[3]
                    acc[3] += c[3]
            count = float(n * n)
            alpha = acc[3] / count
            if alpha <= 0.0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(clamp(acc[i] / acc[3] * 255.0) for i in range(3)) + (clamp(alpha * 255.0),))
        rows.append(row)
    return rows


def dib_image(size, rows):
    """One icon image: BITMAPINFOHEADER, BGRA rows bottom-up, then the 1-bit AND mask bottom-up."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(pixels) + bytes(mask)


def write_ico(path, badge, sizes=(16, 32)):
    images = [(s, dib_image(s, render(s, badge))) for s in sizes]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
    write_ico(os.path.join(out_dir, 'Tavisk.ico'), badge_t)
    write_ico(os.path.join(out_dir, 'About.ico'), badge_info)


if __name__ == '__main__':
    main()
