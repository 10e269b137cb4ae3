#!/usr/bin/env python3
"""Generates text/font_tables.cpp, the stroke font tables, from the Hershey
occidental glyph files.

    tools/make_font_tables.py HERSHEY_DIR [OUTPUT]

HERSHEY_DIR holds hersh.oc1 .. hersh.oc4 and code-map.txt (one line per glyph
code 1..432: code, Hershey number, width, description). OUTPUT defaults to
text/font_tables.cpp beside this script. The build never runs this script;
its output is committed.

Every check below stops the generator with a message: a width that differs
from the documented width table, a point outside the glyph grid, a glyph that
does not start with a move, a table that overflows its documented size, or a
centred symbol whose start index differs from the documented one.
"""

import os
import sys

GLYPH_CODES = 432
GLYPH_WORDS = 4711
CENTRED_WORDS = 128
CENTRED_SYMBOLS = 25

MOVE, DRAW, END = 3, 2, 0

# The advance width of every glyph code, in font units (the documented table).
WIDTHS = [int(w) for w in """
18 21 21 21 19 18 21 22 8 16 21 17 24 22 22 21 22 21 20 16 22 18 24 20 18 20
19 19 18 19 18 12 19 19 8 10 17 8 30 19 19 19 19 13 17 12 19 16 22 17 16 17
20 20 20 20 20 20 20 20 20 20 26 26 22 26 14 14 16 10 10 20
18 21 17 18 19 20 22 22 8 21 18 24 22 18 22 22 21 18 16 18 20 20 22 20
21 19 19 18 16 15 20 21 11 18 16 21 18 16 17 22 18 20 20 20 22 18 23 23
20 22 21 22 21 20 23 24 11 15 22 18 25 23 22 22 22 22 20 19 24 20 24 20 21 20
20 21 19 21 19 13 19 22 11 11 21 11 33 22 20 21 20 17 17 15 22 18 24 20 19 18
20 20 20 20 20 20 20 20 20 20 26 26 22 26 14 14 16 10 10 20
20 22 18 20 21 20 24 22 11 22 20 25 23 22 22 24 22 21 19 19 21 20 23 22
23 21 20 19 18 18 22 23 12 20 20 23 20 17 18 22 19 21 20 20 22 18 23 23
20 24 21 23 23 22 22 26 13 18 23 20 27 25 22 23 22 24 23 21 25 20 26 22 21 22
21 19 18 21 18 15 20 21 13 13 20 12 33 23 18 21 20 17 17 14 23 20 29 20 21 20
21 21 21 21 21 21 21 21 21 21 26 26 22 26 15 15 17 11 11 21
20 20 21 21 19 18 21 22 9 17 21 17 24 22 22 20 22 20 20 17 22 20 26 20 19 20
20 20 18 20 18 14 20 20 9 9 19 9 31 20 19 20 20 14 17 11 20 16 24 18 16 18
20 20 20 20 20 20 20 20 20 20 25 25 23 25 14 14 16 11 11 19
24 24 19 20 17 24 24 25 24 24 25 24 24 22 26 34 10 22 31 19 14 14 27 22
14 14 21 16 16 10 10 10 18 24 25 11 11 11 21 24 14 14 8 16 14 26 22 8
""".split()]

# Centred symbols 0..21: points relative to the centre, M = move, D = draw.
CENTRED = [
    "M0,10 D10,10 D10,-10 D-10,-10 D-10,10 D0,10",
    "M0,0 M0,10 D4,10 D10,4 D10,-4 D4,-10 D-4,-10 D-10,-4 D-10,4 D-4,10 D0,10",
    "M0,0 M0,10 D9,-5 D-9,-5 D0,10",
    "M0,-10 D0,10 M-10,0 D10,0",
    "M-7,-7 D7,7 M-7,7 D7,-7",
    "M0,10 D10,0 D0,-10 D-10,0 D0,10",
    "M0,-10 D0,10 D10,0 D-10,0 D0,10",
    "M-10,-10 D10,10 D-10,10 D10,-10",
    "M0,0 M0,10 D9,5 D9,-5 D0,-10 D-9,-5 D-9,5 D0,10",
    "M-7,7 D0,0 D0,-10 M0,0 D7,7",
    "M5,5 D5,-5 D-5,-5 D-5,5 D5,5 M-10,10 D-5,5 M-10,-10 D-5,-5 M10,-10 D5,-5 M0,0 D10,10",
    "M-10,0 D10,0 M0,-10 D0,10 M-7,-7 D7,7 M7,-7 D-7,7",
    "M-10,10 D10,10 D-10,-10 D10,-10 D-10,10",
    "M0,-10 D0,10",
    "M0,0 M0,10 D9,-5 D-9,-5 D0,10 M9,5 D0,-10 D-9,5 D9,5",
    "M0,1 D-1,0 D0,-1 D1,0 D0,1",
    "M-1,-4 D-3,-3 D-4,-1 D-4,1 D-3,3 D-1,4 D1,4 D3,3 D4,1 D4,-1 D3,-3 D1,-4 D-1,-4",
    "M-2,-11 D-5,-10 D-8,-8 D-10,-5 D-11,-2 D-11,2 D-10,5 D-8,8 D-5,10 D-2,11 D2,11 D5,10"
    " D8,8 D10,5 D11,2 D11,-2 D10,-5 D8,-8 D5,-10 D2,-11 D-2,-11",
    "M-2,-22 D-7,-21 D-11,-19 D-14,-17 D-17,-14 D-19,-11 D-21,-7 D-22,-2 D-22,2 D-21,7"
    " D-19,11 D-17,14 D-14,17 D-11,19 D-7,21 D-2,22 D2,22 D7,21 D11,19 D14,17 D17,14"
    " D19,11 D21,7 D22,2 D22,-2 D21,-7 D19,-11 D17,-14 D14,-17 D11,-19 D7,-21 D2,-22 D-2,-22",
    None,  # 19: symbol 16 followed by its hatching, filled in below
    "M-4,-4 D-4,4 D4,4 D4,-4 D-4,-4 M-3,-3 D-3,3 M-2,-3 D-2,3 M-1,-3 D-1,3 M0,-3 D0,3"
    " M1,-3 D1,3 M2,-3 D2,3 M3,-3 D3,3",
    "M0,-6 D-5,3 D5,3 D0,-6 M-3,2 D0,-3 D3,2 M0,0 D-1,2 D0,0 D1,2",
]
CENTRED[19] = CENTRED[16] + (" M-3,-1 D-3,1 D-3,1 M-2,-2 D-2,2 M-1,-3 D-1,3 M0,-3 D0,3"
                             " M1,-3 D1,3 M2,-2 D2,2 M3,-1 D3,1")

# The documented first word of each centred symbol 0..21 (counted from 1).
CENTRED_START = [1, 5, 11, 14, 17, 20, 24, 27, 30, 35, 38, 45, 50, 53, 55, 60, 63, 70, 81, 98,
                 113, 123]
# Words a symbol occupies beyond its strokes, so that the next one starts at
# its documented index (symbol 5 has one zero word after its end mark).
CENTRED_PADDING = {5: 1}

GLYPH_1_WORDS = [443556555, 443557579, 432612882, 0]


class TableError(Exception):
    pass


def fail(message):
    raise TableError(message)


def read_hershey(directory):
    """Hershey number -> (left, right, points); points are (pen, x, y) in
    Hershey coordinates, pen MOVE or DRAW."""
    glyphs = {}
    for name in ("hersh.oc1", "hersh.oc2", "hersh.oc3", "hersh.oc4"):
        with open(os.path.join(directory, name), encoding="ascii") as f:
            lines = f.read().split("\n")
        i = 0
        while i < len(lines):
            line = lines[i]
            i += 1
            if not line.strip():
                continue
            number, count, data = int(line[0:5]), int(line[5:8]), line[8:]
            while len(data) < 2 * count and i < len(lines):
                data += lines[i]
                i += 1
            if len(data) != 2 * count:
                fail(f"{name}: glyph {number} holds {len(data)} characters, expected {2 * count}")
            glyphs[number] = decode_record(number, data)
    return glyphs


def decode_record(number, data):
    def coord(ch):
        return ord(ch) - ord("R")

    left, right = coord(data[0]), coord(data[1])
    points = []
    pen = MOVE
    for k in range(2, len(data), 2):
        pair = data[k:k + 2]
        if pair == " R":
            pen = MOVE
            continue
        points.append((pen, coord(pair[0]), coord(pair[1])))
        pen = DRAW
    return left, right, points


def read_code_map(directory):
    mapping = {}
    with open(os.path.join(directory, "code-map.txt"), encoding="ascii") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            fields = line.split()
            code, hershey, width = int(fields[0]), int(fields[1]), int(fields[2])
            if code in mapping:
                fail(f"code-map.txt: code {code} listed twice")
            mapping[code] = (hershey, width, " ".join(fields[3:]))
    if sorted(mapping) != list(range(1, GLYPH_CODES + 1)):
        fail("code-map.txt must list every code 1..432 exactly once")
    return mapping


def encode_point(pen, x, y, where):
    if pen not in (MOVE, DRAW, END):
        fail(f"{where}: pen code {pen}")
    if not (0 <= x <= 63 and 0 <= y <= 63):
        fail(f"{where}: point ({x}, {y}) outside the 6-bit grid")
    return (pen << 12) | (x << 6) | y


def encode_words(points, where):
    """Packs points two to a word and appends the end mark; a glyph whose last
    point fills a second half gets a whole zero word as its end mark."""
    if points[0][0] != MOVE:
        fail(f"{where}: the first point is not a move")
    halves = [encode_point(p, x, y, where) for p, x, y in points] + [0]
    if len(halves) % 2:
        halves.append(0)
    return [(halves[k] << 15) | halves[k + 1] for k in range(0, len(halves), 2)]


def convert_glyph(code, left, points):
    grid = [(p, x - left + 10, 20 - y) for p, x, y in points]
    for _, x, y in grid:
        # The documented envelope of all stored glyph points.
        if not (8 <= x <= 42 and 4 <= y <= 36):
            fail(f"glyph {code}: point ({x}, {y}) outside x 8..42, y 4..36")
    return grid


def build_glyphs(hershey, mapping):
    words, starts, odd = [], [], 0
    for code in range(1, GLYPH_CODES + 1):
        number, listed_width, what = mapping[code]
        if number not in hershey:
            fail(f"code {code} ({what}): no Hershey glyph {number}")
        left, right, points = hershey[number]
        if not points:
            fail(f"code {code} ({what}): Hershey glyph {number} has no strokes")
        width = right - left
        documented = WIDTHS[code - 1]
        if width != documented or listed_width != documented:
            fail(f"code {code} ({what}): Hershey {number} is {width} wide, code-map says "
                 f"{listed_width}, the width table {documented}")
        starts.append(len(words) + 1)
        words += encode_words(convert_glyph(code, left, points), f"glyph {code}")
        odd += len(points) % 2
    if len(words) > GLYPH_WORDS:
        fail(f"the glyphs need {len(words)} words, more than the {GLYPH_WORDS} of glyph_words")
    if words[:4] != GLYPH_1_WORDS:
        fail(f"glyph 1 encodes to {words[:4]}, expected {GLYPH_1_WORDS}")
    used = len(words)
    return words + [0] * (GLYPH_WORDS - used), starts, used, odd


def parse_centred(text):
    points = []
    for item in text.split():
        pen = {"M": MOVE, "D": DRAW}[item[0]]
        x, y = (int(v) for v in item[1:].split(","))
        points.append((pen, x + 32, y + 32))
    return points


def build_centred():
    words, starts = [], []
    for k, text in enumerate(CENTRED):
        starts.append(len(words) + 1)
        if starts[-1] != CENTRED_START[k]:
            fail(f"centred symbol {k} starts at word {starts[-1]}, expected {CENTRED_START[k]}")
        words += encode_words(parse_centred(text), f"centred symbol {k}")
        words += [0] * CENTRED_PADDING.get(k, 0)
    if len(words) != CENTRED_WORDS:
        fail(f"the centred symbols take {len(words)} words, expected {CENTRED_WORDS}")
    return words, starts + [0] * (CENTRED_SYMBOLS - len(starts))


def rows(values, per_line, indent="    "):
    out = []
    for k in range(0, len(values), per_line):
        out.append(indent + ", ".join(str(v) for v in values[k:k + per_line]) + ",")
    return "\n".join(out)


def render(glyph_words, glyph_start, centred_words, centred_start, used, odd):
    return f"""\
// Generated by tools/make_font_tables.py from the Hershey occidental glyph
// files (see LICENSE-HERSHEY.txt); do not edit, run the generator instead.
//
// The stroke font: {GLYPH_CODES} glyphs in {used} stroke words ({odd} of them end in the
// second half of a word), the rest of glyph_words is zero; 22 centred symbols;
// the advance widths in font units.
#include "plume/records.h"

extern "C" alignas(32) const plume_ialph ialph_ = {{
  // glyph_words
  {{
{rows(glyph_words, 6)}
  }},
  // glyph_start
  {{
{rows(glyph_start, 12)}
  }},
  // centred_words
  {{
{rows(centred_words, 6)}
  }},
  // centred_start
  {{
{rows(centred_start, 13)}
  }},
}};

extern "C" alignas(32) const float iwid_[{GLYPH_CODES}] = {{
{rows([f"{w}.0f" for w in WIDTHS], 12, "  ")}
}};
"""


def main(argv):
    if len(argv) not in (2, 3):
        sys.stderr.write(__doc__)
        return 2
    directory = argv[1]
    output = argv[2] if len(argv) == 3 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "text", "font_tables.cpp")
    try:
        if len(WIDTHS) != GLYPH_CODES:
            fail(f"the width table has {len(WIDTHS)} entries")
        glyph_words, glyph_start, used, odd = build_glyphs(read_hershey(directory),
                                                           read_code_map(directory))
        centred_words, centred_start = build_centred()
    except TableError as e:
        sys.stderr.write(f"make_font_tables: {e}\n")
        return 1
    with open(output, "w", encoding="ascii") as f:
        f.write(render(glyph_words, glyph_start, centred_words, centred_start, used, odd))
    print(f"make_font_tables: wrote {output}: {used} of {GLYPH_WORDS} glyph words, "
          f"{odd} glyphs end in a second half")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
