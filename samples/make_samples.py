#!/usr/bin/env python3
"""Builds Varnel's sample SHX fonts from the glyph definitions below.

    python3 samples/make_samples.py            write the .shx files beside this script
    python3 samples/make_samples.py --check    exit 1 if a committed file differs
    python3 samples/make_samples.py --out DIR  write them somewhere else

Three fonts come out, one of each kind the converter reads:

    varnel-sans.shx  plain shape font: space, digits 0-9, capitals A-Z
    varnel-uni.shx   unifont: a few capitals and accented letters built from
                     a base letter and a combining accent
    varnel-big.shx   big font: twelve Chinese characters under GBK codes

A glyph is a list of commands, each a tuple that turns into one command of
shape byte code. Every shape starts at (0, 0) with the pen down; x grows to
the right and y upward, in shape units (the font height is 16 units).

    ("down",)                       pen down
    ("up",)                         pen up
    ("scale_down", n)               divide vector lengths by n
    ("scale_up", n)                 multiply vector lengths by n
    ("push",) / ("pop",)            save / restore the current point
    ("sub", name)                   run another shape of the same font from here
    ("sub", name, x, y, w, h)       big fonts only: run it with its origin moved
                                    by (x, y) and scaled to w by h of the
                                    character height; the point and the scale
                                    come back afterwards
    ("move", dx, dy)                one displacement, -128 to 127 each
    ("moves", [(dx, dy), ...])      several displacements in one command
    ("vec", length, direction)      a vector: length 1 to 15, direction a
                                    compass name (below) or 0 to 15
    ("arc", r, octant, count)       circular arc of radius r from the point at
                                    octant 0-7 (45 degrees each, 0 = east)
                                    over count octants, counter-clockwise when
                                    count > 0, clockwise when < 0; 8 = a circle
    ("frac_arc", start, end, r, octant, count)
                                    the same with 1/256-octant offsets at
                                    either end
    ("bulge", dx, dy, b)            arc to the point (dx, dy) away; b from -127
                                    to 127 is its bulge (127: a half circle
                                    counter-clockwise, 0: a straight line)
    ("bulges", [(dx, dy, b), ...])  several bulge arcs in one command

Only the Python standard library is used, and the output depends on nothing
but this file, so a rerun gives the same bytes.
"""

import argparse
import os
import struct
import sys

# Vector directions: the names of the sixteen steps, counter-clockwise from
# east. NNE is half a step east for a whole step north, and so on.
DIRECTIONS = ["E", "ENE", "NE", "NNE", "N", "NNW", "NW", "WNW",
              "W", "WSW", "SW", "SSW", "S", "SSE", "SE", "ESE"]

SHAPE_FONT, UNIFONT, BIG_FONT = "shape font", "unifont", "big font"

# ---------------------------------------------------------------------------
# Latin capitals and digits (varnel-sans; the unifont reuses some of them).
# Capitals are 16 units tall and mostly 10 wide, their left edge at x = 0.
# ---------------------------------------------------------------------------

LATIN = {
    # Nothing but a pen-up step: the space.
    "space": [("up",), ("vec", 12, "E")],

    # Shared parts. "bowl" runs right from the bottom-left of a bowl, round
    # and back to 8 units above where it started: B, P, R and 3 use it.
    "bowl": [("vec", 4, "E"), ("arc", 4, 6, 4), ("vec", 4, "W")],
    # A circle of radius 4 that starts and ends at its lowest point, drawn as
    # two halves: the width the converter gives a glyph counts only one side
    # of a single full-circle arc.
    "ring": [("arc", 4, 6, 4), ("arc", 4, 2, 4)],

    "A": [("move", 5, 16), ("move", 5, -16),
          ("up",), ("move", -8, 6), ("down",), ("vec", 6, "E")],
    "B": [("sub", "bowl"), ("sub", "bowl"), ("move", 0, -16)],
    "C": [("up",), ("move", 10, 11), ("down",),
          ("arc", 5, 0, 4), ("vec", 6, "S"), ("arc", 5, 4, 4)],
    "D": [("move", 0, 16), ("vec", 2, "E"), ("bulge", 0, -16, -127), ("vec", 2, "W")],
    "E": [("sub", "F"), ("up",), ("move", -7, -8), ("down",), ("vec", 9, "E")],
    "F": [("up",), ("move", 9, 16), ("down",), ("vec", 9, "W"), ("move", 0, -16),
          ("up",), ("vec", 8, "N"), ("down",), ("vec", 7, "E")],
    "G": [("sub", "C"), ("vec", 2, "N"), ("vec", 4, "W")],
    "H": [("move", 0, 16), ("up",), ("vec", 10, "E"), ("down",), ("move", 0, -16),
          ("up",), ("vec", 8, "N"), ("down",), ("vec", 10, "W")],
    "I": [("vec", 6, "E"), ("up",), ("vec", 3, "W"), ("down",), ("move", 0, 16),
          ("up",), ("vec", 3, "W"), ("down",), ("vec", 6, "E")],
    "J": [("up",), ("move", 10, 16), ("down",), ("vec", 11, "S"), ("arc", 5, 0, -4)],
    "K": [("move", 0, 16), ("up",), ("vec", 10, "E"), ("down",), ("vec", 10, "SW"),
          ("up",), ("vec", 3, "NE"), ("down",), ("move", 7, -9)],
    "L": [("up",), ("move", 0, 16), ("down",), ("move", 0, -16), ("vec", 9, "E")],
    "M": [("moves", [(0, 16), (6, -10), (6, 10), (0, -16)])],
    "N": [("moves", [(0, 16), (10, -16), (0, 16)])],
    "O": [("up",), ("move", 0, 5), ("down",),
          ("vec", 6, "N"), ("arc", 5, 4, -4), ("vec", 6, "S"), ("arc", 5, 0, -4)],
    "P": [("up",), ("vec", 8, "N"), ("sub", "bowl"), ("move", 0, -16)],
    "Q": [("sub", "O"), ("up",), ("move", 6, -1), ("down",), ("vec", 4, "SE")],
    "R": [("sub", "P"), ("up",), ("move", 4, 8), ("down",), ("move", 5, -8)],
    "S": [("up",), ("move", 8, 12), ("down",),
          ("bulges", [(-8, 0, 127), (4, -4, 53), (4, -4, -53), (-8, 0, -127)])],
    "T": [("up",), ("move", 0, 16), ("down",), ("vec", 10, "E"),
          ("up",), ("vec", 5, "W"), ("down",), ("move", 0, -16)],
    "U": [("up",), ("move", 0, 16), ("down",),
          ("vec", 11, "S"), ("arc", 5, 4, 4), ("vec", 11, "N")],
    "V": [("up",), ("move", 0, 16), ("down",), ("move", 5, -16), ("move", 5, 16)],
    "W": [("up",), ("move", 0, 16), ("down",),
          ("moves", [(3, -16), (3, 10), (3, -10), (3, 16)])],
    "X": [("move", 10, 16), ("up",), ("vec", 10, "W"), ("down",), ("move", 10, -16)],
    "Y": [("up",), ("move", 0, 16), ("down",), ("move", 5, -8), ("move", 5, 8),
          ("up",), ("move", -5, -8), ("down",), ("vec", 8, "S")],
    "Z": [("up",), ("move", 0, 16), ("down",), ("vec", 10, "E"),
          ("move", -10, -16), ("vec", 10, "E")],

    # Digits; zero is the O with a slash so that the two differ.
    "0": [("sub", "O"), ("up",), ("move", 2, -2), ("down",), ("move", 6, 10)],
    "1": [("up",), ("move", 0, 12), ("down",), ("move", 3, 4), ("move", 0, -16),
          ("up",), ("vec", 3, "W"), ("down",), ("vec", 6, "E")],
    "2": [("up",), ("move", 0, 12), ("down",),
          ("bulge", 8, 0, -127), ("move", -8, -12), ("vec", 8, "E")],
    "3": [("sub", "bowl"), ("sub", "bowl")],
    "4": [("up",), ("move", 7, 0), ("down",), ("move", 0, 16), ("move", -7, -11),
          ("vec", 10, "E")],
    "5": [("up",), ("move", 8, 16), ("down",), ("vec", 8, "W"), ("vec", 7, "S"),
          ("vec", 4, "E"), ("bulge", 0, -9, -127), ("vec", 4, "W")],
    # A quarter circle as a bulge: tan(90 / 4 degrees) * 127 = 53.
    "6": [("up",), ("move", 4, 0), ("sub", "ring"),
          ("up",), ("move", -4, 4), ("down",), ("vec", 6, "N"), ("bulge", 6, 6, -53)],
    "7": [("up",), ("move", 0, 16), ("down",), ("vec", 8, "E"), ("move", -5, -16)],
    "8": [("up",), ("move", 4, 0), ("sub", "ring"), ("up",), ("vec", 8, "N"), ("sub", "ring")],
    "9": [("up",), ("move", 4, 8), ("sub", "ring"), ("up",), ("move", 4, 4), ("down",),
          ("vec", 6, "S"), ("bulge", -6, -6, -53)],
}

# ---------------------------------------------------------------------------
# Accents for the unifont. Each is drawn around the current point, which the
# accented letter puts at the middle of its top, 2 units above the capital.
# ---------------------------------------------------------------------------

ACCENTS = {
    "acute": [("up",), ("move", -1, 0), ("down",), ("move", 2, 3)],
    "diaeresis": [("up",), ("move", -4, 1), ("down",), ("arc", 1, 4, 8),
                  ("up",), ("vec", 6, "E"), ("down",), ("arc", 1, 4, 8)],
    "ring above": [("up",), ("move", -2, 2), ("down",), ("arc", 2, 4, 8)],
    "caron": [("up",), ("move", -3, 3), ("down",), ("vec", 3, "SE"), ("vec", 3, "NE")],
}


def accented(base, accent, middle):
    """A capital with an accent centred `middle` units right of its origin."""
    return [("push",), ("up",), ("move", middle, 18), ("sub", accent),
            ("pop",), ("sub", base)]


UNI_LETTERS = {
    "Aacute": accented("A", "acute", 5),
    "Aring": accented("A", "ring above", 5),
    "Eacute": accented("E", "acute", 5),
    "Odieresis": accented("O", "diaeresis", 5),
    "Udieresis": accented("U", "diaeresis", 5),
    "Ccaron": accented("C", "caron", 5),
    "Scaron": accented("S", "caron", 4),
    "Zcaron": accented("Z", "caron", 5),
    # The bar crosses the stem and reaches left of it.
    "Lslash": [("sub", "L"), ("up",), ("move", -11, 5), ("down",), ("vec", 4, "NE")],
}

# ---------------------------------------------------------------------------
# Chinese characters for the big font, in a 16 by 16 box. The box 口 is drawn
# once and placed, moved and squeezed into the others.
# ---------------------------------------------------------------------------

HAN = {
    "一": [("up",), ("move", 1, 8), ("down",), ("vec", 14, "E")],
    "二": [("up",), ("move", 3, 12), ("down",), ("vec", 10, "E"),
           ("up",), ("move", -12, -9), ("down",), ("vec", 14, "E")],
    "三": [("up",), ("move", 3, 14), ("down",), ("vec", 10, "E"),
           ("up",), ("move", -9, -6), ("down",), ("vec", 8, "E"),
           ("up",), ("move", -11, -6), ("down",), ("vec", 14, "E")],
    "十": [("up",), ("move", 1, 9), ("down",), ("vec", 14, "E"),
           ("up",), ("move", -7, 6), ("down",), ("vec", 14, "S")],
    "王": [("sub", "三", 0, 0, 16, 16), ("up",), ("move", 8, 14), ("down",), ("vec", 12, "S")],
    "口": [("up",), ("move", 2, 2), ("down",),
           ("vec", 12, "N"), ("vec", 12, "E"), ("vec", 12, "S"), ("vec", 12, "W")],
    "日": [("sub", "口", 4, 0, 8, 16), ("up",), ("move", 5, 8), ("down",), ("vec", 6, "E")],
    "田": [("sub", "口", 0, 0, 16, 16), ("up",), ("move", 2, 8), ("down",), ("vec", 12, "E"),
           ("up",), ("move", -6, 6), ("down",), ("vec", 12, "S")],
    "中": [("sub", "口", 0, 4, 16, 8), ("up",), ("move", 8, 15), ("down",), ("vec", 14, "S")],
    "吕": [("sub", "口", 2, 8, 12, 8), ("sub", "口", 0, 0, 16, 8)],
    "品": [("sub", "口", 4, 8, 8, 8), ("sub", "口", 0, 0, 8, 8), ("sub", "口", 8, 0, 8, 8)],
    "回": [("sub", "口", 0, 0, 16, 16), ("sub", "口", 4, 4, 8, 8)],
}

# ---------------------------------------------------------------------------
# The fonts: which shape goes under which number.
# ---------------------------------------------------------------------------

HEIGHT = 16  # font height (shape fonts, unifont) and character height (big font)

SANS_NUMBERS = dict(
    [(32, "space")]
    + [(ord(c), c) for c in "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"]
    # Shared parts need numbers too; 128 and 129 are control codes in
    # Latin-1, so nobody types them by accident.
    + [(128, "bowl"), (129, "ring")])

# Unifont numbers are Unicode code points; the accents sit at the code points
# of the combining marks they are.
UNI_NUMBERS = {
    32: "space", 0x41: "A", 0x43: "C", 0x45: "E", 0x46: "F", 0x4C: "L",
    0x4F: "O", 0x53: "S", 0x55: "U", 0x5A: "Z",
    0xC1: "Aacute", 0xC5: "Aring", 0xC9: "Eacute", 0xD6: "Odieresis",
    0xDC: "Udieresis", 0x10C: "Ccaron", 0x141: "Lslash", 0x160: "Scaron",
    0x17D: "Zcaron",
    0x301: "acute", 0x308: "diaeresis", 0x30A: "ring above", 0x30C: "caron",
}

# Big font codes are the characters' GBK bytes, lead byte high.
BIG_NUMBERS = {int.from_bytes(c.encode("gbk"), "big"): c for c in HAN}
# GBK lead bytes: this range makes readers detect the GBK code page.
BIG_ESCAPE_RANGES = [(0x81, 0xFE)]


# ---------------------------------------------------------------------------
# Shape byte code.
# ---------------------------------------------------------------------------

class GlyphError(ValueError):
    pass


def s8(value, what):
    if not -128 <= value <= 127:
        raise GlyphError(f"{what} {value} is outside -128 to 127")
    return value & 0xFF


def u8(value, what):
    if not 0 <= value <= 255:
        raise GlyphError(f"{what} {value} is outside 0 to 255")
    return value


def octant_spec(octant, count):
    if not 0 <= octant <= 7 or count == 0 or not -8 <= count <= 8:
        raise GlyphError(f"arc from octant {octant} over {count} octants")
    # High bit: clockwise; bits 4-6: start octant; low bits: count, 0 for 8.
    return (0x80 if count < 0 else 0) | octant << 4 | abs(count) % 8


def vector_byte(length, direction):
    if isinstance(direction, str):
        direction = DIRECTIONS.index(direction)
    if not 1 <= length <= 15 or not 0 <= direction <= 15:
        raise GlyphError(f"vector of length {length} in direction {direction}")
    return length << 4 | direction


def subshape_bytes(command, kind, numbers):
    name = command[1]
    if name not in numbers:
        raise GlyphError(f"subshape {name!r} is not in this font")
    number = numbers[name]
    if kind == BIG_FONT:
        if len(command) != 6:
            raise GlyphError("a big font subshape needs origin, width and height")
        x, y, w, h = command[2:]
        return [7, 0, number >> 8, number & 0xFF,
                s8(x, "origin x"), s8(y, "origin y"), s8(w, "width"), s8(h, "height")]
    if len(command) != 2:
        raise GlyphError("only big fonts place subshapes")
    if kind == UNIFONT:
        return [7, number >> 8, number & 0xFF]
    return [7, u8(number, "subshape number")]


def encode(commands, kind, numbers):
    """The byte code of one glyph, end byte included."""
    out = []
    for command in commands:
        op, args = command[0], command[1:]
        if op == "down":
            out.append(1)
        elif op == "up":
            out.append(2)
        elif op == "scale_down":
            out += [3, u8(args[0], "divisor")]
        elif op == "scale_up":
            out += [4, u8(args[0], "factor")]
        elif op == "push":
            out.append(5)
        elif op == "pop":
            out.append(6)
        elif op == "sub":
            out += subshape_bytes(command, kind, numbers)
        elif op == "move":
            out += [8, s8(args[0], "dx"), s8(args[1], "dy")]
        elif op == "moves":
            out.append(9)
            for dx, dy in args[0]:
                if dx == 0 and dy == 0:
                    raise GlyphError("a 0,0 pair would end the moves early")
                out += [s8(dx, "dx"), s8(dy, "dy")]
            out += [0, 0]
        elif op == "vec":
            out.append(vector_byte(*args))
        elif op == "arc":
            radius, octant, count = args
            out += [10, u8(radius, "radius"), octant_spec(octant, count)]
        elif op == "frac_arc":
            start, end, radius, octant, count = args
            if not 0 <= radius <= 0xFFFF:
                raise GlyphError(f"radius {radius}")
            out += [11, u8(start, "start offset"), u8(end, "end offset"),
                    radius >> 8, radius & 0xFF, octant_spec(octant, count)]
        elif op in ("bulge", "bulges"):
            arcs = [args] if op == "bulge" else args[0]
            out.append(12 if op == "bulge" else 13)
            for dx, dy, bulge in arcs:
                if dx == 0 and dy == 0:
                    raise GlyphError("a bulge arc needs an end point")
                if not -127 <= bulge <= 127:
                    raise GlyphError(f"bulge {bulge} is outside -127 to 127")
                out += [s8(dx, "dx"), s8(dy, "dy"), bulge & 0xFF]
            if op == "bulges":
                out += [0, 0]
        else:
            raise GlyphError(f"unknown command {op!r}")
    out.append(0)
    return bytes(out)


def definition(name, commands, kind, numbers):
    """A shape definition: the zero-terminated name, then the byte code."""
    try:
        code = encode(commands, kind, numbers)
    except GlyphError as error:
        raise GlyphError(f"glyph {name!r}: {error}") from None
    return name.encode("ascii", "replace") + b"\0" + code


# ---------------------------------------------------------------------------
# SHX files.
# ---------------------------------------------------------------------------

def header(text):
    # Readers look for the 0x1A that ends the header from position 22 on;
    # CR LF before it keeps the text readable when a file is typed out.
    return text.encode("ascii").ljust(21) + b"\r\n\x1a"


def u16(value):
    return struct.pack("<H", value)


def font_info(name, above, below=0, modes=0):
    return name.encode("ascii") + b"\0" + bytes([above, below, modes])


def shape_font(title, numbers, glyphs):
    """Plain shape font: index of (number, length), then the definitions."""
    by_name = {name: number for number, name in numbers.items()}
    defs = [(0, font_info(title, HEIGHT))]
    defs += [(n, definition(numbers[n], glyphs[numbers[n]], SHAPE_FONT, by_name))
             for n in sorted(numbers)]
    out = header("Varnel shapes 1.1")
    out += u16(min(numbers)) + u16(max(numbers))  # lowest and highest number
    out += u16(len(defs))
    for number, body in defs:
        out += u16(number) + u16(len(body))
    for _, body in defs:
        out += body
    return out


def unifont(title, numbers, glyphs):
    """Unifont: the font-info record, then (number, length, definition)."""
    by_name = {name: number for number, name in numbers.items()}
    records = [(0, font_info(title, HEIGHT))]
    records += [(n, definition(numbers[n], glyphs[numbers[n]], UNIFONT, by_name))
                for n in sorted(numbers)]
    out = header("Varnel unifont 1.0")
    out += u16(len(records))
    for number, body in records:
        out += u16(number) + u16(len(body)) + body
    return out


def big_font(title, numbers, glyphs, ranges):
    """Big font: escape ranges, index of (code, length, offset), font info,
    then the definitions."""
    by_name = {name: number for number, name in numbers.items()}
    defs = [(n, definition(f"U+{ord(numbers[n]):04X}", glyphs[numbers[n]], BIG_FONT, by_name))
            for n in sorted(numbers)]
    out = header("Varnel bigfont 1.0")
    out += u16(0) + u16(len(defs)) + u16(len(ranges))
    for first, last in ranges:
        out += u16(first) + u16(last)
    # Name, character height, then two bytes readers pass over.
    info = title.encode("ascii") + b"\0" + bytes([HEIGHT, 0, 0])
    offset = len(out) + 8 * len(defs) + len(info)
    for code, body in defs:
        out += u16(code) + u16(len(body)) + struct.pack("<I", offset)
        offset += len(body)
    out += info
    for _, body in defs:
        out += body
    return out


def samples():
    return {
        "varnel-sans.shx": shape_font("Varnel Sans", SANS_NUMBERS, LATIN),
        "varnel-uni.shx": unifont("Varnel Uni", UNI_NUMBERS, {**LATIN, **ACCENTS, **UNI_LETTERS}),
        "varnel-big.shx": big_font("Varnel Big", BIG_NUMBERS, HAN, BIG_ESCAPE_RANGES),
    }


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Build Varnel's sample SHX fonts.")
    parser.add_argument("--check", action="store_true",
                        help="compare with the files beside this script instead of writing")
    parser.add_argument("--out", default=here, help="folder to write to (default: %(default)s)")
    args = parser.parse_args()

    try:
        fonts = samples()
    except GlyphError as error:
        print(f"make_samples.py: {error}", file=sys.stderr)
        return 2

    if args.check:
        stale = 0
        for name, data in fonts.items():
            try:
                with open(os.path.join(here, name), "rb") as f:
                    problem = None if f.read() == data else "differs from its definitions"
            except OSError as error:
                problem = f"cannot be read ({error.strerror})"
            if problem:
                stale += 1
                print(f"{name} {problem}; run make_samples.py to rebuild it", file=sys.stderr)
        return 1 if stale else 0

    os.makedirs(args.out, exist_ok=True)
    for name, data in fonts.items():
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(data)
        print(f"{os.path.join(args.out, name)}: {len(data)} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
