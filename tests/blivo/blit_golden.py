#!/usr/bin/env python3
"""Writes the golden images of blit_golden_test.cpp from a second, independent model of the
blit rules (clip, per-byte formulas, single-precision fade weights), so the C++ test compares
the library with this model rather than with its own earlier output.

Usage: tests/blivo/blit_golden.py tests/data/golden
"""
import struct
import sys


def f32(x):
    return struct.unpack('<f', struct.pack('<f', x))[0]


def lcg_image(w, h, seed):
    x = seed
    px = []
    for _ in range(w * h):
        x = (x * 1103515245 + 12345) & 0xFFFFFFFF
        px.append(x)
    return {'w': w, 'h': h, 'px': px}


def get(img, x, y):
    return img['px'][y * img['w'] + x]


def put(img, x, y, v):
    img['px'][y * img['w'] + x] = v & 0xFFFFFFFF


def byte(p, k):
    return (p >> (8 * k)) & 0xFF


def bytes_of(p):
    return [byte(p, k) for k in range(4)]


def pack(bs):
    return sum((b & 0xFF) << (8 * k) for k, b in enumerate(bs))


def clip(W, H, x, y, w, h, ox, oy):
    if x < 0:
        w += x
        ox -= x
        x = 0
    if x + w > W:
        w = W - x
    if y < 0:
        h += y
        oy -= y
        y = 0
    if y + h > H:
        h = H - y
    return (w > 0 and h > 0), x, y, w, h, ox, oy


def blit(dst, src, dx, dy, w, h, sx, sy, rule):
    ok, dx, dy, w, h, sx, sy = clip(dst['w'], dst['h'], dx, dy, w, h, sx, sy)
    if not ok:
        return 1
    ok, sx, sy, w, h, dx, dy = clip(src['w'], src['h'], sx, sy, w, h, dx, dy)
    if not ok:
        return 1
    for j in range(h):
        for i in range(w):
            d = get(dst, dx + i, dy + j)
            s = get(src, sx + i, sy + j)
            put(dst, dx + i, dy + j, rule(d, s))
    return 0


def add(d, s):
    return pack([min(255, a + b) for a, b in zip(bytes_of(d), bytes_of(s))])


def half_blend(d, s):
    return pack([(a >> 1) + (b >> 1) for a, b in zip(bytes_of(d), bytes_of(s))])


def blend_plain(d, s):
    a = byte(s, 3)
    if a == 0:
        return d
    if a == 255:
        return s
    return pack([(cs * a + cd * (255 - a)) >> 8 for cd, cs in zip(bytes_of(d), bytes_of(s))])


def blend_mmx(d, s):
    f = byte(s, 3) * 256 // 255
    return pack([min(255, (cs * f + cd * (256 - f)) >> 8)
                 for cd, cs in zip(bytes_of(d), bytes_of(s))])


def true_blend(opacity):
    k = f32(0.003921569)
    fade = [int(f32(f32(f32(float(i) * opacity) * k) * 256.0)) for i in range(256)]

    def rule(d, s):
        sa, da = byte(s, 3), byte(d, 3)
        if sa == 0:
            return d
        if sa == 255 or da == 0:
            return s
        v = fade[sa]
        colour = [(cs * v + cd * (256 - v)) >> 8
                  for cd, cs in zip(bytes_of(d)[:3], bytes_of(s)[:3])]
        return pack(colour + [da + (255 - da) * sa // 255])
    return rule


def main(folder):
    a = lcg_image(16, 12, 1)
    b = lcg_image(16, 12, 2)
    put(b, 3, 3, get(b, 0, 0))  # one pixel equal to the key
    d = {'w': 16, 'h': 12, 'px': list(a['px'])}
    key = get(b, 0, 0)
    blit(d, b, 2, 1, 10, 8, 3, 2, blend_plain)
    blit(d, b, -3, 4, 12, 12, 0, 0, true_blend(f32(0.6)))
    blit(d, b, 5, 0, 20, 3, 0, 9, add)
    blit(d, b, 0, 6, 7, 7, 9, 5, half_blend)
    blit(d, b, 8, 2, 8, 9, 0, 0, blend_mmx)
    blit(d, b, 1, 1, 5, 5, 0, 0, lambda dp, sp: sp if sp != key else dp)
    half = {'w': 8, 'h': 6, 'px': [0] * 48}
    for j in range(6):
        for i in range(8):
            quad = [get(d, 2 * i, 2 * j), get(d, 2 * i + 1, 2 * j),
                    get(d, 2 * i, 2 * j + 1), get(d, 2 * i + 1, 2 * j + 1)]
            put(half, i, j, pack([sum(byte(p, k) for p in quad) // 4 for k in range(4)]))
    for name, img in (('blit_scene.bin', d), ('blit_scene_half.bin', half)):
        with open(f'{folder}/{name}', 'wb') as out:
            out.write(struct.pack(f'<{len(img["px"])}I', *img['px']))


if __name__ == '__main__':
    main(sys.argv[1])
