#!/usr/bin/env python3
"""Draws Tavrilux's application icon, an umbrella on a night-blue tile, and writes it as PNG.

Only the standard library is used. Shapes are signed distance fields evaluated once per pixel
and anti-aliased over one pixel, so the mark stays crisp from 16 to 512 pixels.

    python3 resources/icon/make_app_icon.py [output.png] [size]
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUTPUT = os.path.join(HERE, "..", "Tavrilux_Tavrilux.bundle", "AppIcon.png")

# Geometry in units of the icon's side, y pointing down.
TILE_MARGIN = 0.055
TILE_RADIUS = 0.2
CANOPY_CENTER = (0.5, 0.54)
CANOPY_RADIUS = 0.34
SCALLOPS = 3
SCALLOP_DEPTH = 0.045
STEM_X = 0.5
STEM_TOP = 0.5
STEM_BOTTOM = 0.74
STEM_WIDTH = 0.072
HOOK_RADIUS = 0.075
TIP_CENTER = (0.5, 0.185)
TIP_RADIUS = 0.032

TILE_TOP = (38, 52, 96)
TILE_BOTTOM = (12, 16, 38)
GLOW = (255, 196, 110)
CANOPY_TOP = (255, 255, 255)
CANOPY_BOTTOM = (255, 205, 120)
CANOPY_SHADE = (236, 178, 92)
HANDLE = (236, 240, 250)


def clamp(x, lo=0.0, hi=1.0):
    return lo if x < lo else hi if x > hi else x


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def rounded_box(px, py, cx, cy, half, radius):
    qx = abs(px - cx) - half + radius
    qy = abs(py - cy) - half + radius
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def circle(px, py, cx, cy, r):
    return math.hypot(px - cx, py - cy) - r


def segment(px, py, ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    t = clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy))
    return math.hypot(px - ax - dx * t, py - ay - dy * t) - half_width


def scallop_circles():
    cx, cy = CANOPY_CENTER
    width = 2 * CANOPY_RADIUS / SCALLOPS
    r = width / 2
    # Each scallop's arc bites SCALLOP_DEPTH into the canopy's straight bottom edge.
    centre_y = cy + r - SCALLOP_DEPTH
    return [(cx - CANOPY_RADIUS + r + i * width, centre_y, r) for i in range(SCALLOPS)]


SCALLOP_CIRCLES = scallop_circles()


def canopy(px, py):
    cx, cy = CANOPY_CENTER
    d = max(circle(px, py, cx, cy, CANOPY_RADIUS), py - cy)
    for sx, sy, sr in SCALLOP_CIRCLES:
        d = max(d, -circle(px, py, sx, sy, sr))
    return min(d, circle(px, py, *TIP_CENTER, TIP_RADIUS))


def handle(px, py):
    half = STEM_WIDTH / 2
    d = segment(px, py, STEM_X, STEM_TOP, STEM_X, STEM_BOTTOM, half)
    hx, hy = STEM_X - HOOK_RADIUS, STEM_BOTTOM
    if py >= hy:
        ring = abs(math.hypot(px - hx, py - hy) - HOOK_RADIUS) - half
    else:
        ring = min(math.hypot(px - STEM_X, py - hy), math.hypot(px - (hx - HOOK_RADIUS), py - hy)) - half
    return min(d, ring)


def coverage(distance, pixel):
    # Distance in icon units; one pixel of soft edge centred on the outline.
    return clamp(0.5 - distance / pixel)


def panel_shade(px, py):
    """0 on the middle panel, 1 on the outer panels, soft at the folds."""
    cx, cy = CANOPY_CENTER
    top = (cx, cy - CANOPY_RADIUS)
    width = 2 * CANOPY_RADIUS / SCALLOPS
    fold_left = (cx - CANOPY_RADIUS + width, cy)
    fold_right = (cx + CANOPY_RADIUS - width, cy)

    def side(a, b):
        return (b[0] - a[0]) * (py - a[1]) - (b[1] - a[1]) * (px - a[0])

    left = side(top, fold_left)
    right = side(top, fold_right)
    outer = left > 0 or right < 0
    return 1.0 if outer else 0.0


def render(size):
    pixel = 1.0 / size
    rows = []
    cx, cy = CANOPY_CENTER
    for y in range(size):
        row = bytearray()
        py = (y + 0.5) / size
        for x in range(size):
            px = (x + 0.5) / size
            tile = coverage(rounded_box(px, py, 0.5, 0.5, 0.5 - TILE_MARGIN, TILE_RADIUS), pixel)
            if tile <= 0.0:
                row += b"\0\0\0\0"
                continue
            # Night-blue tile with a warm light gathered under the canopy.
            colour = mix(TILE_TOP, TILE_BOTTOM, clamp((py - TILE_MARGIN) / (1 - 2 * TILE_MARGIN)))
            glow = math.exp(-((px - cx) ** 2 + (py - (cy + 0.05)) ** 2) / 0.05) * 0.42
            colour = mix(colour, GLOW, glow)

            hand = coverage(handle(px, py), pixel)
            colour = mix(colour, HANDLE, hand)

            canopy_cover = coverage(canopy(px, py), pixel)
            if canopy_cover > 0.0:
                t = clamp((py - (cy - CANOPY_RADIUS)) / CANOPY_RADIUS)
                fill = mix(CANOPY_TOP, CANOPY_BOTTOM, t * t)
                fill = mix(fill, CANOPY_SHADE, 0.55 * panel_shade(px, py) * t)
                colour = mix(colour, fill, canopy_cover)

            row += bytes(int(round(clamp(c / 255.0) * 255)) for c in colour)
            row.append(int(round(tile * 255)))
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + row for row in rows)  # filter type 0 on every row
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_OUTPUT
    size = int(sys.argv[2]) if len(sys.argv) > 2 else 512
    data = png(size, render(size))
    with open(output, "wb") as f:
        f.write(data)
    print(f"wrote {output} ({size}x{size}, {len(data)} bytes)")


if __name__ == "__main__":
    main()
