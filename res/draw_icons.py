#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The ZELVARIN Utility developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the program's artwork: a blue rounded tile with a white "Z" whose diagonal is an
HDMI-like connector outline. Writes Zelvarin.png (512, RGB), Zelvarin_48/32/16.png (RGBA) and
Zelvarin.ico (16, 32, 48, 64, 128, 256; 32-bit PNG images) for the window, and the desktop icons
for the hicolor theme: icons/io.github.zelvarin.Utility_SIZE.png (RGBA, 16 to 512) and
icons/io.github.zelvarin.Utility.svg, the same shapes as a scalable image. Pure Python, no
imaging library."""
import struct, zlib, sys, os

def inside_poly(x, y, poly):
    c = False
    n = len(poly)
    j = n - 1
    for i in range(n):
        xi, yi = poly[i]; xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            c = not c
        j = i
    return c

def rounded(x, y, r):
    # unit square [0,1] with corner radius r
    cx = min(max(x, r), 1 - r); cy = min(max(y, r), 1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and 0 <= x <= 1 and 0 <= y <= 1

Z = [(0.24, 0.22), (0.76, 0.22), (0.76, 0.33), (0.40, 0.67), (0.76, 0.67), (0.76, 0.78),
     (0.24, 0.78), (0.24, 0.67), (0.60, 0.33), (0.24, 0.33)]
PLUG = [(0.30, 0.84), (0.70, 0.84), (0.66, 0.90), (0.34, 0.90)]

def render(size, alpha_bg):
    ss = 4 if size <= 128 else 2
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(ss):
                for sx in range(ss):
                    x = (px + (sx + 0.5) / ss) / size
                    y = (py + (sy + 0.5) / ss) / size
                    if rounded(x, y, 0.18):
                        t = y
                        col = (int(20 + 30 * t), int(70 + 60 * t), int(170 + 60 * t))
                        if inside_poly(x, y, Z) or inside_poly(x, y, PLUG):
                            col = (250, 250, 250)
                        acc[0] += col[0]; acc[1] += col[1]; acc[2] += col[2]; acc[3] += 255
                    elif not alpha_bg:
                        acc[0] += 255; acc[1] += 255; acc[2] += 255; acc[3] += 255
            n = ss * ss
            a = acc[3] / n
            if a > 0:
                r, g, b = (acc[i] / n * 255 / a for i in range(3))
            else:
                r = g = b = 0
            if alpha_bg:
                row += bytes((int(r), int(g), int(b), int(round(a))))
            else:
                row += bytes((int(acc[0] / n), int(acc[1] / n), int(acc[2] / n)))
        rows.append(bytes(row))
    return rows

def png(size, rows, rgba):
    raw = b''.join(b'\x00' + r for r in rows)
    def chunk(t, d):
        return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    ihdr = struct.pack('>IIBBBBB', size, size, 8, 6 if rgba else 2, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')

APP_ID = 'io.github.zelvarin.Utility'
DESKTOP_SIZES = (16, 24, 32, 48, 64, 128, 256, 512)

def svg():
    # The same unit-square geometry as render(), scaled to a 512 canvas.
    k = 512
    pts = lambda poly: ' '.join('%g,%g' % (x * k, y * k) for x, y in poly)
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="512" height="512" viewBox="0 0 512 512">\n'
            '  <defs>\n'
            '    <linearGradient id="tile" x1="0" y1="0" x2="0" y2="1">\n'
            '      <stop offset="0" stop-color="#1446aa"/>\n'
            '      <stop offset="1" stop-color="#3282e6"/>\n'
            '    </linearGradient>\n'
            '  </defs>\n'
            '  <rect width="512" height="512" rx="%g" fill="url(#tile)"/>\n'
            '  <polygon points="%s" fill="#fafafa"/>\n'
            '  <polygon points="%s" fill="#fafafa"/>\n'
            '</svg>\n') % (0.18 * k, pts(Z), pts(PLUG))

def desktop_icons(out):
    folder = os.path.join(out, 'icons')
    os.makedirs(folder, exist_ok=True)
    for s in DESKTOP_SIZES:
        with open(os.path.join(folder, '%s_%d.png' % (APP_ID, s)), 'wb') as f:
            f.write(png(s, render(s, True), True))
    with open(os.path.join(folder, APP_ID + '.svg'), 'w') as f:
        f.write(svg())

def main(out):
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, 'Zelvarin.png'), 'wb') as f:
        f.write(png(512, render(512, False), False))
    images = {}
    for s in (16, 32, 48, 64, 128, 256):
        images[s] = png(s, render(s, True), True)
    for s in (16, 32, 48):
        with open(os.path.join(out, 'Zelvarin_%d.png' % s), 'wb') as f:
            f.write(images[s])
    sizes = (16, 32, 48, 64, 128, 256)
    header = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    entries = b''; data = b''
    for s in sizes:
        d = images[s]
        entries += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(d), offset + len(data))
        data += d
    with open(os.path.join(out, 'Zelvarin.ico'), 'wb') as f:
        f.write(header + entries + data)
    desktop_icons(out)

if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
