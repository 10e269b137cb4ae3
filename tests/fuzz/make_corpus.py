#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz harnesses (tests/fuzz/corpus/<harness>/).

The seeds are byte programs in the encoding that fuzz_input.hpp decodes and
the harnesses interpret; this script is their readable source. Run it again
after changing an encoding:  python3 tests/fuzz/make_corpus.py
"""
import hashlib
import math
import os
import shutil
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
F32 = lambda v: struct.unpack(">f", struct.pack(">f", v))[0]

# The tables of FuzzInput::integer() and FuzzInput::real(), in order.
INT_TABLE = [0, 1, 2, 3, -1, -2, -3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 20, 21, 22, 23,
             24, 25, 62, -5, 103, 99, 127, 128, 255, 256, 350, 351, 354, 355, 999, -999, 1000, 1001,
             1004, 32767, 32768, -32768, 65536, -65536, 2**31 - 1, -2**31, 2**31 - 2, -2**31 + 1]
INF = float("inf")
REAL_TABLE = [0.0, -0.0, 1.0, -1.0, 0.5, 2.0, 0.21, 2.54, 10.0, -10.0, 90.0, 360.0, -90.0, 450.0,
              998.99, 999.0, 1000.0, 1e-20, -1e-20, 1e-30, 1e-38, 1e-45, 1e5, 1e6, 9999999.0, 1e7,
              -1e6, 1e10, 1e20, 1e30, -1e30, 3.4e38, 3.4028234663852886e38, -3.4028234663852886e38,
              1.401298464324817e-45, 1.1754943508222875e-38, INF, -INF, float("nan"), 32767.0,
              32768.0, 2147483648.0, -2147483904.0, 16777216.0, 0.01, 0.254, 0.2032]
assert len(INT_TABLE) == 52 and len(REAL_TABLE) == 47


def I(v):
    """An integer argument."""
    if v in INT_TABLE:
        return bytes([INT_TABLE.index(v)])
    if -128 <= v <= 127:
        return bytes([160, v & 0xFF])
    return bytes([224]) + struct.pack(">i", v)


def R(v):
    """A real argument."""
    for k, t in enumerate(REAL_TABLE):
        if (math.isnan(v) and math.isnan(t)) or (t == v and math.copysign(1, t) == math.copysign(1, v)):
            return bytes([k])
    h = round(v * 100)
    if -32768 <= h <= 32767 and F32(h / 100) == F32(v):
        return bytes([112]) + struct.pack(">h", h)
    return bytes([224]) + struct.pack(">f", v)


def T(s, count=None, maxlen=64):
    """A text argument (at most `maxlen` bytes) and its count: the length by
    default, or `count`."""
    if isinstance(s, str):
        s = s.encode("latin-1")
    assert len(s) <= maxlen
    head = (struct.pack(">H", len(s)) if maxlen > 255 else bytes([len(s)])) + s
    if count is None or count == len(s):
        return head + bytes([0])
    if count == 0:
        return head + bytes([5])
    if count > len(s) and count - len(s) - 1 <= 255:
        return head + bytes([4, count - len(s) - 1])
    return head + bytes([7]) + I(count)


TT = lambda s, count=None: T(s, count, 400)  # the text harness's texts


def B(*values):
    return bytes(values)


# ---------------------------------------------------------------- text harness
# Preamble: orientation byte (even = portrait), unit system byte (% 3).
# Calls: op byte % 10, then the arguments of text_harness.hpp's one_call.
def t_chrcod(s, count=None): return B(0) + TT(s, count)
def t_symbol(x, y, h, s, angle=0.0, count=None): return B(1) + R(x) + R(y) + R(h) + R(angle) + TT(s, count)
def t_marker(x, y, h, marker, n, angle=0.0):
    # marker below(30) - 2 when the selector is under 200; n raw when its selector is 220 or more
    mk = B(0, marker + 2) if -2 <= marker <= 27 else B(200) + I(marker)
    return B(2) + R(x) + R(y) + R(h) + R(angle) + mk + B(220) + I(n)
def t_justfy(h, s, count=None): return B(3) + R(h) + TT(s, count)
def t_xsymbol(x, y, h, s, angle=0.0, font=1, count=None):
    return B(4) + R(x) + R(y) + R(h) + R(angle) + B(font % 25) + TT(s, count)
def t_state(font_offset_index, reuse, ready): return B(5, font_offset_index, reuse, ready)
def t_poke(count, pokes): return B(6) + I(count) + B(len(pokes)) + b"".join(B(at // 2) + I(v) for at, v in pokes)
def t_csymbl(x, y, pen, h, marker): return B(7) + R(x) + R(y) + R(h) + B(0, pen + 1) + B(0, marker + 2)
def t_search(hay, pat, i, j, v): return B(8) + T(hay) + T(pat) + I(i) + I(j) + I(v)
def t_hexstr(i, j): return B(9) + I(i) + I(j)

PORTRAIT = B(0, 0)
LANDSCAPE = B(1, 0)

TEXT_SEEDS = {
    "chrcod_controls": PORTRAIT + t_chrcod("H\\sub{2}O") + t_chrcod("AB  ") + t_chrcod("\\co\\A\\sim\\B")
    + t_chrcod("A\\bs\\B") + t_chrcod("\\1385\\\\2000\\\\2004\\\\0999\\"),
    "chrcod_greek": PORTRAIT + t_chrcod("\\alpha\\\\ALPHA\\\\Omega\\\\OMEGA\\\\sigma\\\\SIM\\")
    + t_chrcod("\\co\\\\pi\\\\du\\\\pi\\\\it\\\\phi\\\\epsilon\\\\eta\\\\tau\\\\theta\\\\omicron\\\\psi\\"),
    "chrcod_edges": PORTRAIT + t_chrcod("ab\\") + t_chrcod("\\12") + t_chrcod("    ") + t_chrcod("", 0)
    + t_chrcod("x", -5) + t_chrcod(bytes(range(0, 40))) + t_chrcod(bytes(range(120, 256))),
    "symbol_ab": PORTRAIT + t_symbol(1.0, 2.0, 0.21, "AB") + t_symbol(999.0, 999.0, 0.21, "C"),
    "symbol_angles": LANDSCAPE + t_symbol(3.0, 3.0, 0.5, "Angle", 90.0) + t_symbol(3.0, 3.0, 0.5, "Angle", -90.0)
    + t_symbol(3.0, 3.0, 0.5, "Angle", 450.0) + t_symbol(5.0, 5.0, 0.5, "Big", 1e30),
    "symbol_single": PORTRAIT + t_symbol(1.0, 1.0, 0.5, "Q", count=0) + t_symbol(2.0, 1.0, 0.5, " ", count=0)
    + t_symbol(3.0, 1.0, 0.5, "\\", count=0) + t_symbol(4.0, 1.0, 0.5, "", count=0),
    "symbol_past_length": PORTRAIT + t_symbol(1.0, 5.0, 0.3, "ABC", count=400)
    + t_symbol(1.0, 6.0, 0.3, "x\\", count=12) + t_symbol(1.0, 7.0, 0.3, "\\10", count=2**31 - 1),
    "symbol_levels": PORTRAIT + t_symbol(1.0, 3.0, 0.42, "x\\sup{2}") + t_symbol(1.0, 4.0, 0.42, "\\sup{" * 25 + "deep" + "}" * 30)
    + t_symbol(1.0, 5.0, 0.42, "}}a\\sub{b\\sup{c}}"),
    "symbol_long": PORTRAIT + t_symbol(0.5, 10.0, 0.1, ("The quick brown fox " * 19)[:360]),
    "symbol_fonts": PORTRAIT + t_symbol(1.0, 8.0, 0.4, "\\co\\Complex \\it\\Italic! \\du\\Duplex \\sim\\Simplex")
    + t_symbol(1.0, 9.0, 0.4, "after the switch"),
    "symbol_nonfinite": PORTRAIT + t_symbol(float("nan"), 1.0, 0.3, "nan") + t_symbol(1.0, 1.0, INF, "inf")
    + t_symbol(1.0, 1.0, 0.3, "angle", float("nan")) + t_symbol(1.0, 1.0, 3.4e38, "huge") + t_symbol(1e30, 1.0, 0.3, "far"),
    "markers": PORTRAIT + b"".join(t_marker(1.0 + k % 5, 1.0 + k // 5, 0.3, k, -1) for k in range(25)),
    "markers_lines": PORTRAIT + t_marker(1.0, 1.0, 0.3, 3, -1) + t_marker(3.0, 2.0, 0.3, 5, -2)
    + t_marker(5.0, 1.0, 0.3, 1, -3) + t_marker(6.0, 1.0, 0.3, 0, -2**31) + t_marker(7.0, 1.0, 0.3, 30, -1)
    + t_marker(8.0, 1.0, 0.3, -2**31, -1) + t_marker(9.0, 1.0, 0.3, 7, 5),
    "justfy_reuse": PORTRAIT + t_justfy(0.21, "AB") + t_justfy(0.21, " AB  ") + t_state(0, 1, 0)
    + t_justfy(0.42, "AB\\co\\C") + t_symbol(1.0, 1.0, 0.42, "ignored") + t_symbol(1.0, 2.0, 0.42, "AB\\co\\C"),
    "justfy_edges": PORTRAIT + t_justfy(0.21, "     ") + t_justfy(0.21, "x\\sup{2}") + t_justfy(0.0, "zero")
    + t_justfy(float("nan"), "nan") + t_justfy(0.21, "abc", 400) + t_justfy(0.21, "abc", -3),
    "code_list_poke": PORTRAIT + t_poke(5, [(0, 8), (2, 1004), (4, 1001), (6, 0), (8, 433)]) + t_state(0, 1, 1)
    + t_symbol(1.0, 1.0, 0.5, "x") + t_poke(2**31 - 1, [(0, -1)]) + t_state(0, 1, 1) + t_symbol(1.0, 2.0, 0.5, "x")
    + t_poke(-1, []) + t_state(0, 1, 1) + t_symbol(1.0, 3.0, 0.5, "x"),
    "font_offset_poke": PORTRAIT + B(5, 240) + I(1000) + B(0, 0) + t_symbol(1.0, 1.0, 0.5, "Abc!")
    + B(5, 240) + I(-2**31) + B(0, 0) + t_symbol(1.0, 2.0, 0.5, "\\alpha\\Z") + t_chrcod("\\pi\\"),
    "xsymbol_fonts": PORTRAIT + b"".join(t_xsymbol(1.0, 1.0 + 0.8 * f, 0.5, "Font %d" % f, 0.0, f) for f in range(0, 21)),
    "xsymbol_escapes": PORTRAIT + t_xsymbol(1.0, 1.0, 0.5, "f(x)", 30.0, 2) + t_xsymbol(1.0, 2.0, 0.5, "(" * 60, 0.0, 1)
    + t_xsymbol(1.0, 3.0, 0.5, "a\\", 0.0, 1) + t_xsymbol(1.0, 4.0, 0.5, "\\(unbalanced", 0.0, 1)
    + t_xsymbol(1.0, 5.0, 0.5, "x" * 99 + "(", 0.0, 1) + t_xsymbol(1.0, 6.0, 0.5, "\\\\\\", 0.0, 1),
    "xsymbol_hex": PORTRAIT + t_xsymbol(1.0, 1.0, 0.5, b"\xb0\xa1\xb0\xa2", 0.0, 21) + t_xsymbol(1.0, 2.0, 0.5, b"\xb0\xa1\xb0", 0.0, 22)
    + t_xsymbol(1.0, 3.0, 0.5, b"\x30\x21", 0.0, 24) + t_xsymbol(1.0, 4.0, 0.5, "", 0.0, 21),
    "xsymbol_counts": PORTRAIT + t_xsymbol(1.0, 1.0, 0.5, "x" * 90, 0.0, 1) + t_xsymbol(1.0, 2.0, 0.5, "short", 0.0, 1, 300)
    + t_xsymbol(1.0, 3.0, 0.5, "neg", 0.0, 1, -7) + t_xsymbol(1.0, 4.0, 0.5, b"\x00\x01\n\r\x04\xff", 0.0, 1),
    "xsymbol_nonfinite": PORTRAIT + t_xsymbol(1.0, 1.0, -0.5, "origin", 0.0, 1) + t_xsymbol(1.0, 1.0, 0.5, "nan", float("nan"), 1)
    + t_xsymbol(1.0, 1.0, INF, "inf", 0.0, 1) + t_xsymbol(1.0, 1.0, 0.5, "big angle", 1e30, 1)
    + t_xsymbol(1.0, 1.0, 0.5, "wide", 9999999.0, 3) + t_xsymbol(float("nan"), 1.0, 0.5, "x", 0.0, 1),
    "csymbl": PORTRAIT + t_csymbl(1.0, 1.0, 2, 0.3, 1) + t_csymbl(2.0, 2.0, 2, 0.3, 3) + t_csymbl(3.0, 1.0, 1, 0.3, 11)
    + t_csymbl(4.0, 1.0, -1, 0.3, 0),
    "search_bits": PORTRAIT + t_search("abc\\def", "\\", 12, 10, 15) + t_search("", "x", -1, 2**31 - 1, -3)
    + t_search("aaaa", "", 0, 0, 16) + t_search("needle", "needles", -2**31, -1, 9),
    "hexstr": PORTRAIT + B(4) + R(1.0) + R(1.0) + R(0.5) + R(0.0) + B(21) + TT("") + t_hexstr(48, 33)
    + t_hexstr(-1, 300) + t_hexstr(2**31 - 1, -2**31),
}


# ---------------------------------------------------------------- soup harness
# Calls: op byte % 12, then a sub-operation byte and the arguments of
# soup_harness.hpp. Unit slots: 0 = unit 8, 1 = 7, 2 = 1, 3 = 99, 4 = 12345,
# 5 = -1, 6 = INT32_MIN, 7 = INT32_MAX.
def s_open(orientation=1, slot=0, units=0): return B(0) + I(orientation) + B(slot) + I(units)
def s_close(): return B(1, 0) + I(0) + I(0) + I(0)
def s_close999(): return B(1, 1) + R(0.0) + R(0.0)
def s_plot(x, y, code): return B(2) + R(x) + R(y) + B(240) + I(code)
def s_xplot(x, y, code): return B(4) + R(x) + R(y) + B(240) + I(code)
def s_pen(n, t): return B(5, 0) + I(n) + I(t)
def s_newpen(n): return B(5, 1) + I(n)
def s_color(c): return B(5, 2) + I(c)
def s_rgb(r, g, b): return B(5, 3) + R(r) + R(g) + R(b)
def s_dashln(p): return B(5, 4) + I(p)
def s_shape(op, x, y, a, b, *rest): return B(6, op) + R(x) + R(y) + R(a) + R(b) + b"".join(rest)
def s_rectangle(x, y, w, h): return s_shape(0, x, y, w, h)
def s_xrectangle(x, y, w, h, fill): return s_shape(1, x, y, w, h, I(fill))
def s_rect(x1, y1, x2, y2): return s_shape(2, x1, y1, x2, y2)
def s_xrect(x1, y1, x2, y2, fill): return s_shape(3, x1, y1, x2, y2, I(fill))
def s_arc(x, y, r, a1, a2): return s_shape(4, x, y, r, a1, R(a2))
def s_circle(x, y, r): return s_shape(5, x, y, r, 0.0)
def s_xarc(x, y, r, a1, a2, fill): return s_shape(6, x, y, r, a1, R(a2), I(fill))
def s_xcircle(x, y, r, fill): return s_shape(7, x, y, r, 0.0, I(fill))
def s_fillup(): return s_shape(8, 0.0, 0.0, 0.0, 0.0)
def s_xfillup(c, t): return s_shape(9, 0.0, 0.0, 0.0, 0.0, I(c), I(t))
def s_viewport(x1, y1, x2, y2): return B(7, 1) + R(x1) + R(y1) + R(x2) + R(y2)
def s_newpage(): return B(7, 0)
def s_text(op, x, y, h, angle, *rest): return B(8, op) + R(x) + R(y) + R(h) + R(angle) + b"".join(rest)
def s_symbol(x, y, h, s, angle=0.0, count=None): return s_text(0, x, y, h, angle, T(s, count))
def s_marker(x, y, h, marker, n=-1): return s_text(1, x, y, h, 0.0, B(200) + I(marker), B(200) + I(n))
def s_csymbl(x, y, pen, h, marker): return s_text(2, x, y, h, 0.0, I(pen), I(marker))
def s_xsymbol(x, y, h, s, angle=0.0, font=1, count=None): return s_text(3, x, y, h, angle, T(s, count), I(font))
def s_number(x, y, h, value, angle, fmt): return s_text(4, x, y, h, angle, R(value), I(fmt))
def s_xnumber(x, y, h, value, angle, fmt, font): return s_text(5, x, y, h, angle, R(value), I(fmt), I(font))
def s_justfy(h, s): return s_text(6, 0.0, 0.0, h, 0.0, T(s))
def s_hexstr(i, j): return s_text(7, 0.0, 0.0, 0.0, 0.0, I(i), I(j))
def s_axis(x, y, label, count, length, angle, first, delta):
    return B(9, 0) + R(x) + R(y) + T(label, count) + R(length) + R(angle) + R(first) + R(delta)
def s_array(which, values): return B(9, 5) + B(which) + B(len(values)) + b"".join(R(v) for v in values)
def s_scale(which, values, length, count, stride):
    return B(9, 1) + B(len(values)) + b"".join(R(v) for v in values) + R(length) + I(count) + I(stride) + B(which)
def s_line(count, stride, line_type, marker): return B(9, 2) + I(count) + I(stride) + I(line_type) + I(marker)
def s_dashl(count, stride): return B(9, 3) + I(count) + I(stride)
def s_dashp(x, y, dash): return B(9, 4) + R(x) + R(y) + R(dash)
def s_origin(x, y, mode): return B(10, 0) + R(x) + R(y) + I(mode)
def s_factor(f): return B(10, 1) + R(f)
def s_where(): return B(10, 2)
def s_rtone(t): return B(10, 3) + I(t)
def s_axis_numbering(alternate): return B(10, 4, 1 if alternate else 0)
def s_atend(on): return B(10, 5, 0 if on else 1)
def s_connect(slot): return B(10, 6, slot)
def s_chrcod(s): return B(10, 7) + T(s)


def series(values):
    """Data values followed by the scale pair (first 0, delta 1)."""
    return list(values) + [0.0, 1.0]


SOUP_SEEDS = {
    "open_close": s_open() + s_close(),
    "open_landscape_units": s_open(0, 1, 1) + s_plot(1.0, 1.0, 3) + s_plot(5.0, 3.0, 2) + s_close()
    + s_open(2, 2, 2) + s_plot(1.0, 1.0, 3) + s_plot(5.0, 3.0, 2) + s_close999()
    + s_open(-2**31, 3, 5) + s_plot(1.0, 1.0, 3) + s_plot(2.0, 2.0, 2) + s_close(),
    "pen_motions": s_open() + s_plot(1.0, 1.0, 3) + s_plot(2.0, 1.0, 2) + s_plot(2.0, 2.0, 2) + s_plot(3.0, 3.0, 3)
    + s_plot(4.0, 4.0, 3) + s_plot(2.0, 3.0, -3) + s_plot(2.0, 0.0, -2) + s_plot(1.0, 1.0, 0) + s_plot(1.0, 1.0, -999)
    + s_plot(1.0, 1.0, 2) + s_close(),
    "xplot_codes": s_open() + s_xplot(1.0, 1.0, 3) + s_xplot(1.0, 1.0, -3) + s_xplot(1.0, 2.0, -2)
    + s_xplot(1.0, 1.0, 2**31 - 1) + s_xplot(1.0, 1.0, -2**31) + s_xplot(2.0, 2.0, 2) + s_close(),
    "nonfinite_motions": s_open() + s_plot(float("nan"), 1.0, 3) + s_plot(1.0, INF, 2) + s_plot(1e30, 1e30, 2)
    + s_plot(-1e30, 3.4e38, 3) + s_plot(1e7, -1e6, 2) + s_origin(1e38, 1e38, 1) + s_plot(1.0, 1.0, 2) + s_close(),
    "origin_factor_where": s_factor(2.0) + s_open() + s_origin(3.0, 4.0, 0) + s_origin(0.0, 0.0, -1)
    + s_plot(1.0, 1.0, 3) + s_factor(0.5) + s_plot(2.0, 2.0, 2) + s_factor(0.0) + s_factor(float("nan"))
    + s_where() + s_factor(1e30) + s_plot(1.0, 1.0, 2) + s_factor(1.0) + s_close(),
    "long_path": s_open() + b"".join(s_plot(1.0 + (k % 17) * 0.5, 1.0 + (k % 13) * 0.5, 3 if k % 50 == 0 else 2) for k in range(190))
    + s_close(),
    "attributes": s_open() + s_plot(1.0, 1.0, 3) + s_pen(3, 2) + s_plot(3.0, 1.0, 2) + s_newpen(0) + s_color(4)
    + s_plot(3.0, 3.0, 2) + s_rgb(0.2, 0.4, 0.6) + s_plot(1.0, 3.0, 2) + s_color(9) + s_color(-1) + s_pen(-1, -1)
    + s_pen(2**31 - 1, 2**31 - 1) + s_rgb(float("nan"), 1e30, -1e30) + s_rtone(3) + s_rtone(-2**31) + s_close(),
    "dashes": s_open() + s_plot(1.0, 1.0, 3) + b"".join(s_dashln(p) + s_plot(1.0 + p, 2.0, 2) for p in range(-1, 14)) + s_close(),
    "rectangles": s_open() + s_rectangle(1.0, 2.0, 3.0, 4.0) + s_xrectangle(1.0, 2.0, 3.0, 4.0, 1) + s_xrectangle(5.0, 1.0, -1.0, 2.0, 0)
    + s_rect(0.0, 0.0, 2.0, 1.0) + s_xrect(3.0, 3.0, 1.0, 1.0, 1) + s_xrect(4.0, 4.0, 6.0, 6.0, 2)
    + s_rectangle(float("nan"), 1.0, 1.0, 1.0) + s_plot(9.0, 9.0, 2) + s_close(),
    "arcs_fills": s_open() + s_circle(1.0, 1.0, 0.5) + s_arc(3.0, 3.0, 1.0, 0.0, 90.0) + s_plot(5.0, 5.0, 2)
    + s_xarc(5.0, 5.0, 1.0, 45.0, 270.0, 1) + s_xarc(6.0, 6.0, 1.0, 0.0, 30.0, 0) + s_xcircle(7.0, 7.0, 0.5, 0)
    + s_xcircle(8.0, 8.0, 0.5, 1) + s_plot(1.0, 1.0, 3) + s_plot(2.0, 1.0, 2) + s_plot(1.5, 2.0, 2) + s_fillup()
    + s_plot(3.0, 1.0, 3) + s_plot(4.0, 1.0, 2) + s_plot(3.5, 2.0, 2) + s_xfillup(4, 2) + s_xfillup(-1, 3)
    + s_xfillup(8, 0) + s_arc(1.0, 1.0, -1.0, 999999.0, -999999.0) + s_circle(1.0, 1.0, 1e30) + s_close(),
    "viewport_pages": s_open() + s_viewport(1.0, 1.0, 10.0, 5.0) + s_plot(0.0, 3.0, 3) + s_plot(14.0, 3.0, 2)
    + s_viewport(5.0, 5.0, 2.0, 2.0) + s_newpage() + s_plot(1.0, 1.0, 2) + s_newpage() + s_newpage()
    + s_viewport(float("nan"), 0.0, 1.0, 1.0) + s_viewport(-1e30, -1e30, 1e30, 1e30) + s_plot(3.0, 3.0, 2) + s_close(),
    "landscape_pages": s_open(0, 0, 0) + s_plot(1.0, 1.0, 3) + s_plot(10.0, 5.0, 2) + s_newpage() + s_plot(2.0, 2.0, 2)
    + s_viewport(0.0, 0.0, 20.0, 15.0) + s_close(),
    "stroke_text": s_open() + s_symbol(1.0, 1.0, 0.5, "Hello \\alpha\\ x\\sup{2}") + s_symbol(999.0, 999.0, 0.5, " more")
    + s_symbol(1.0, 3.0, 0.5, "Q", count=0) + s_marker(2.0, 4.0, 0.3, 3) + s_marker(3.0, 4.0, 0.3, 1, -2)
    + s_csymbl(4.0, 4.0, 2, 0.3, 5) + s_justfy(0.5, "measure") + s_chrcod("\\co\\") + s_symbol(1.0, 5.0, 0.5, "complex")
    + s_close(),
    "postscript_text": s_open() + s_xsymbol(1.0, 1.0, 0.5, "f(x)", 30.0, 2) + s_xsymbol(1.0, 2.0, 0.5, b"\xb0\xa1", 0.0, 21)
    + s_xsymbol(1.0, 3.0, -0.5, "shift", 0.0, 9) + s_plot(1.0, 1.0, 2) + s_hexstr(48, 33) + s_xsymbol(1.0, 4.0, 0.5, "a\\", 0.0, 20)
    + s_close(),
    "numbers": s_open() + s_number(1.0, 1.0, 0.3, 1.5, 0.0, 62) + s_number(1.0, 2.0, 0.3, -3.7, 0.0, -5)
    + s_number(1.0, 3.0, 0.3, 1234.5, 0.0, 62) + s_number(1.0, 4.0, 0.3, float("nan"), 0.0, 103)
    + s_number(1.0, 5.0, 0.3, INF, 0.0, 5) + s_number(1.0, 6.0, 0.3, 1e30, 0.0, -2**31) + s_number(1.0, 7.0, 0.3, 12.0, 45.0, 2**31 - 1)
    + s_xnumber(5.0, 1.0, 0.3, 2.5, 0.0, 62, 11) + s_xnumber(5.0, 2.0, 0.3, -1e30, 0.0, -12, 22) + s_xnumber(5.0, 3.0, 0.3, 0.004, 0.0, 7, 1)
    + s_close(),
    "axes": s_open() + s_axis(2.0, 2.0, "TIME", 4, 10.0, 0.0, 0.0, 0.5) + s_axis(2.0, 2.0, "VALUE", -5, 8.0, 90.0, 0.0, 250.0)
    + s_axis_numbering(True) + s_axis(2.0, 14.0, "ALT", 3, 6.0, 450.0, 1000.0, 1.0) + s_axis(10.0, 10.0, "", 0, 1.0, -90.0, 0.0, 0.005)
    + s_close(),
    "axes_extreme": s_open() + s_axis(1e30, -1e30, "FAR", 3, INF, float("nan"), float("nan"), INF)
    + s_axis(1.0, 1.0, "NEG", -2**31, -1.0, 1e30, -1e30, float("nan")) + s_axis(1.0, 1.0, "long" * 10, 2**31 - 1, 59.0, 33.0, 1e-30, 1e-45)
    + s_close(),
    "scale_line": s_open() + s_scale(0, series([0.0, 1.0, 2.0, 3.0, 4.0]), 5.0, 5, 1)
    + s_scale(1, series([3.0, 97.0, 10.0, 50.0, 20.0]), 10.0, 5, 1) + s_line(5, 1, 0, 0) + s_line(5, 1, 2, 3) + s_line(5, 1, -3, 20)
    + s_close(),
    "scale_edges": s_scale(0, [5.0, 5.0, 0.0, 0.0], 4.0, 2, -1) + s_scale(1, [0.0, 0.0, 0.0], 0.0, 0, 1)
    + s_scale(0, [1.0, 2.0, 3.0], 1e-30, 1, 1) + s_scale(1, [float("nan"), 1.0, 0.0, 0.0], INF, 2, 1)
    + s_scale(0, [1.0] * 10, 4.0, 2**31 - 1, 2**31 - 1) + s_scale(1, [1.0] * 3, 4.0, -1, 1) + s_open() + s_line(2, 1, 1, 1) + s_close(),
    "dashed_lines": s_open() + s_array(0, series([0.0, 1.0, 2.0, 5.0])) + s_array(1, series([0.0, 2.0, 1.0, 3.0]))
    + s_plot(5.0, 3.0, 3)
    + s_dashl(4, 1) + s_plot(0.0, 0.0, 3) + s_dashp(1.0, 0.0, 0.3) + s_dashp(1.0, 1.0, 0.6) + s_dashp(2.0, 2.0, 0.0)
    + s_dashp(2.0, 2.0, 0.3) + s_dashp(12.0, 2.0, 1e-19) + s_dashp(1e30, 2.0, 0.3) + s_close(),
    "line_markers": s_open() + s_array(0, [float(k) for k in range(12)] + [0.0, 1.0]) + s_array(1, [float(k * k % 7) for k in range(12)] + [0.0, 1.0])
    + s_line(12, 1, 1, 1) + s_line(6, 2, 1, 4) + s_line(12, 1, -1, 14) + s_line(13, 1, 1, 1) + s_line(0, 1, 1, 1)
    + s_line(-1, -1, 0, 0) + s_line(2**31 - 1, 2, 1, 1) + s_dashl(12, 1) + s_dashl(1, 1) + s_close(),
    "bbox_atend": s_atend(True) + s_open(1, 1) + s_plot(1.0, 1.0, 3) + s_plot(5.0, 5.0, 2) + s_close()
    + s_open(0, 2) + s_plot(1.0, 1.0, 3) + s_plot(5.0, 5.0, 2) + s_close() + s_atend(False),
    "units_switch": s_open(1, 0) + s_plot(1.0, 1.0, 3) + s_plot(2.0, 2.0, 2) + s_open(1, 0) + s_plot(3.0, 3.0, 2)
    + s_open(1, 3) + s_plot(1.0, 1.0, 3) + s_plot(2.0, 1.0, 2) + s_close() + s_connect(0) + s_open(1, 5) + s_connect(5)
    + s_plot(1.0, 1.0, 2) + s_open(1, 6) + s_plot(1.0, 1.0, 3) + s_plot(4.0, 1.0, 2) + s_close999() + s_open(1, 7) + s_close(),
    "implicit_open": s_plot(1.0, 1.0, 2) + s_color(3) + s_plot(2.0, 2.0, 2),
    "after_fill_draw": s_open() + s_rectangle(1.0, 1.0, 1.0, 1.0) + s_plot(3.0, 3.0, 2) + s_xcircle(2.0, 2.0, 0.5, 1)
    + s_dashp(4.0, 4.0, 0.2) + s_newpage() + s_csymbl(1.0, 1.0, 2, 0.3, 2) + s_color(2) + s_marker(2.0, 2.0, 0.3, 4, -2)
    + s_xfillup(3, 1) + s_xplot(1.0, 1.0, -2) + s_close(),
    "gallery": s_open() + s_pen(2, 0) + s_color(1) + s_rect(1.0, 1.0, 19.0, 27.0) + s_symbol(2.0, 25.0, 0.6, "\\du\\Gallery")
    + s_xsymbol(2.0, 24.0, 0.4, "Times (Roman)", 0.0, 1) + s_dashln(2) + s_circle(10.0, 14.0, 3.0) + s_dashln(-1)
    + s_xcircle(10.0, 14.0, 1.0, 1) + s_rgb(0.1, 0.5, 0.2) + s_xrectangle(3.0, 3.0, 4.0, 2.0, 1)
    + s_axis(3.0, 8.0, "X AXIS", 6, 12.0, 0.0, -6.0, 1.0) + s_number(3.0, 20.0, 0.4, 3.14159, 0.0, 74) + s_close(),
}


# --------------------------------------------------------------- trace harness
# Mode byte 64 or more: two buffer-capacity selectors, then the standard
# input of the program, a NUL, and the trace file. Mode below 64: the numeric
# conversions (implied decimals, a field, then a decimal_to_float check).
def tr(params, trace_file, parameter_capacity=13, trace_capacity=13):
    return B(64, parameter_capacity, trace_capacity) + params.encode() + b"\0" + trace_file.encode("latin-1")


def conv(field, decimals, digits, exponent, negative=False):
    return (B(0, decimals & 0xFF, len(field)) + field.encode("latin-1") + B(1 if negative else 0, len(digits))
            + bytes(int(d) for d in digits) + struct.pack(">I", exponent & 0xFFFF))


WORKED = ("         0.5         0.0\n    2\n        10.0         0.0\n    3\n      1.0\n"
          "         0.0         1.0        -1.0\n        20.0         0.0\n    2\n      2.0\n         0.5        0.25\n")
PARAMS = "5.0\n0.5\n1.0\n0.1\n"
with open(os.path.join(HERE, "..", "..", "examples", "traces", "fort.10")) as f:
    EXAMPLE_HEAD = "".join(f.readlines()[:40])

TRACE_SEEDS = {
    "worked_example": tr(PARAMS, WORKED),
    "worked_example_small_buffers": tr(PARAMS, WORKED, 1, 2),
    "worked_example_crlf": tr(PARAMS.replace("\n", "\r\n"), WORKED.replace("\n", "\r\n"), 12, 12),
    "example_file": tr("26.0\n0.8\n10.0\n0.02\n", EXAMPLE_HEAD, 13, 12),
    "implied_decimals": tr(PARAMS, "    50000           0\n    1\n  1000000     0\n    7\n       10000000\n"
                           "    1234567     -1234567 1.5         -0.0000001  1e3        1D-3\n       1.5-3\n"),
    "no_traces": tr(PARAMS, "         0.5\n    0\n"),
    "negative_count": tr(PARAMS, "         0.5\n   -3\n"),
    "empty_trace": tr(PARAMS, "         0.5\n    2\n         0.0\n    0\n      1.0\n\n         1.0\n    1\n      1.0\n         2.0\n"),
    "short_records": tr(PARAMS, "0.5\n2\n1\n3\n1\n1.0\n2\n1\n1\n1\n"),
    "commas_tabs": tr("1,2\n\t3\n,4\n/5\n", "0.5,0.0\n2,\n1.0,,\n3\n1\n1.0,2.0,3.0\n2.0\n1\n1\n\t1.0\n"),
    "list_forms": tr("   \n\n3*1.5\n2.5e-3\n1.5+3\nnan(0)\n", WORKED),
    "list_errors": tr("1\n2*\n", WORKED),
    "null_value": tr(",\n", WORKED),
    "slash_end": tr("1\n2\n3\n/\n", WORKED),
    "repeat_zero": tr("0*1\n", WORKED),
    "missing_params": tr("1\n2\n", WORKED),
    "missing_trace_file": tr(PARAMS, ""),
    "truncated_samples": tr(PARAMS, "         0.5\n    1\n         0.0\n   20\n      1.0\n         1.0         2.0\n"),
    "inf_nan_fields": tr("inf\n-Infinity\nNaN\n1e40\n", "         inf\n    1\n         NaN\n    2\n  -Infinity\n    nan(q)      inf(\n"),
    "exponent_range": tr(PARAMS, "   1e99999\n    1\n 1.0e-99999\n    1\n  1e2147483647\n  1\n"),
    "integer_range": tr(PARAMS, "         0.5\n99999\n         0.0\n-2147\n"),
    "huge_counts": tr(PARAMS, "         0.5\n99999\n         0.0\n99999\n      1.0\n" + "         1.0" * 6 + "\n"),
    "long_line": tr("1" * 300 + "\n2\n3\n4\n", "         0.5" + " " * 1800 + "x\n    1\n" + "         0.0" * 150 + "\n    1\n      1.0\n     1.0\n", 5, 16),
    "binary_bytes": tr("\x01\x02\xff\n\x7f\n", "\xff\xfe\x00\x80\n\x0b\x0c\n"),
    "conv_fields": conv("  1234567", 5, "1234567", -5) + b"",
    "conv_exponent": conv("1.5D+3", 7, "15", 2) ,
    "conv_rounding": conv("0.1", 0, "1000000000000000000000000000000000000000000001", -46),
    "conv_halfway": conv(" -  1 2 ", 3, "16777217", 0, True),
    "conv_denormal": conv("1e-45", 0, "1401298464324817", -60),
    "conv_overflow": conv("3.5e38", 0, "340282356779733661637539395458142568448", 0),
}


def write(harness, seeds):
    directory = os.path.join(HERE, "corpus", harness)
    if os.path.isdir(directory):
        shutil.rmtree(directory)
    os.makedirs(directory)
    for name, data in sorted(seeds.items()):
        with open(os.path.join(directory, name), "wb") as f:
            f.write(data)
    print("%s: %d seeds, %d bytes" % (harness, len(seeds), sum(len(d) for d in seeds.values())))


if __name__ == "__main__":
    write("text", TEXT_SEEDS)
    write("soup", SOUP_SEEDS)
    write("trace", TRACE_SEEDS)
    sys.exit(0)
