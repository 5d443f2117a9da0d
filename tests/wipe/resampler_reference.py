#!/usr/bin/env python3
"""The area-averaging resampler worked out step by step, independently of the
program's code, to give the golden checksums in scale_grey_image_golden_test.

Python computes in double precision; every single-precision step of the
method is one operation on two single-precision values, rounded to single
precision at once, which gives exactly the single-precision result. The
cursors and the two step ratios stay in double precision.

Run it once when a case is added: it prints the table of the test.
"""
import struct
import sys


def f32(v):
    return struct.unpack("<f", struct.pack("<f", v))[0]


# Pieces of one segment whose ends carry a (at 0) and b (at 1); position,
# length and step arrive as single-precision values.
def inside(pos, step, a, b):
    w = f32(pos + f32(step / 2))
    return f32(step * f32(f32(f32(1 - w) * a) + f32(w * b)))


def head(x, a, b):
    return f32(x * f32(f32(f32(x / 2) * a) + f32(f32(1 - f32(x / 2)) * b)))


def whole(a, b):
    return f32(f32(a + b) / 2)


def tail(r, a, b):
    return f32(r * f32(f32(f32(1 - f32(r / 2)) * a) + f32(f32(r / 2) * b)))


class Cursor:
    def __init__(self, count):
        self.pos = 0.5
        self.a = 0
        self.b = 0
        self.last = count - 1

    def advance(self):
        self.a = self.b
        if self.b < self.last:
            self.b += 1

    # Calls add(a, b, piece) for each piece of the next output sample, where
    # piece(av, bv) gives the piece for the segment's end values.
    def step(self, step, add):
        end = self.pos + step
        if end < 1:
            p, s = f32(self.pos), f32(step)
            add(self.a, self.b, lambda av, bv: inside(p, s, av, bv))
            self.pos = end
            return
        x = f32(1 - self.pos)
        add(self.a, self.b, lambda av, bv: head(x, av, bv))
        self.advance()
        r = end - 1
        while r >= 1:
            add(self.a, self.b, whole)
            self.advance()
            r -= 1
        if r > 0:
            rf = f32(r)
            add(self.a, self.b, lambda av, bv: tail(rf, av, bv))
        self.pos = r


def resample_row(inp, out_count, step):
    if out_count == len(inp):
        return list(inp)
    cursor = Cursor(len(inp))
    out = []
    for _ in range(out_count):
        acc = [0.0]

        def add(a, b, piece):
            acc[0] = f32(acc[0] + piece(inp[a], inp[b]))

        cursor.step(step, add)
        out.append(f32(acc[0] / step))
    return out


def to_byte(v):
    return int(f32(v + 0.5))


def scale(src, sw, sh, dw, dh):
    if (sw, sh) == (dw, dh):
        return list(src)
    x_step = sw / dw
    y_step = sh / dh
    dst = []
    if sh == dh:
        for y in range(dh):
            row = resample_row([float(v) for v in src[y * sw:(y + 1) * sw]], dw, x_step)
            dst.extend(to_byte(v) for v in row)
        return dst
    cursor = Cursor(sh)
    y_scale = 1.0 / y_step
    for _ in range(dh):
        column = [0.0] * sw

        def add(a, b, piece):
            ra, rb = src[a * sw:(a + 1) * sw], src[b * sw:(b + 1) * sw]
            for x in range(sw):
                column[x] = f32(column[x] + piece(float(ra[x]), float(rb[x])))

        cursor.step(y_step, add)
        column = [f32(v * y_scale) for v in column]
        row = resample_row(column, dw, x_step)
        dst.extend(to_byte(v) for v in row)
    return dst


# The pictures of the test, made the same way there.
def picture(kind, w, h):
    if kind == "ramp":
        return [(x * 255 // max(w - 1, 1) + y * 255 // max(h - 1, 1)) // 2 for y in range(h)
                for x in range(w)]
    state = w * 65537 + h  # "noise": a linear congruential sequence
    pixels = []
    for _ in range(w * h):
        state = (state * 1103515245 + 12345) & 0xFFFFFFFF
        pixels.append(state >> 24)
    return pixels


def fnv1a(data):
    h = 2166136261
    for v in data:
        h = ((h ^ v) * 16777619) & 0xFFFFFFFF
    return h


CASES = [
    ("noise", 37, 23, 101, 59),
    ("noise", 101, 59, 37, 23),
    ("ramp", 101, 59, 37, 23),
    ("noise", 480, 360, 7, 5),
    ("ramp", 480, 360, 7, 5),
    ("noise", 333, 1, 4, 1),
    ("noise", 1, 300, 1, 7),
    ("noise", 64, 48, 173, 29),
    ("ramp", 64, 48, 173, 29),
    ("noise", 211, 17, 19, 97),
    ("noise", 97, 13, 41, 13),
    ("noise", 13, 97, 13, 41),
    ("noise", 320, 240, 640, 480),
    ("ramp", 320, 240, 768, 576),
    ("noise", 641, 479, 768, 576),
]

if __name__ == "__main__":
    cases = CASES if len(sys.argv) < 2 else CASES[:int(sys.argv[1])]
    for kind, sw, sh, dw, dh in cases:
        dst = scale(picture(kind, sw, sh), sw, sh, dw, dh)
        print(f'    {{"{kind}", {sw}, {sh}, {dw}, {dh}, 0x{fnv1a(dst):08X}u}},')
