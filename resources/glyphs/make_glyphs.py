#!/usr/bin/env python3
"""Writes the editor's glyphs as PNG files and the Qt resource file glyphs.qrc.

Run from anywhere: python3 make_glyphs.py (standard library only).

How the pictures are drawn: every glyph is a short list of painted regions
in a 16 x 16 unit square (x to the right, y downwards; the pixel (i, j)
covers [i, i + 1] x [j, j + 1]). A region is a filled polygon, rectangle,
circle or ellipse, a stroke of a given width along a polyline, or the union,
intersection or difference of regions. Each pixel takes 4 x 4 samples; a
sample has the colour of the last region listed that holds it, else it is
transparent; the pixel is the average of its samples. The pictures use one
small palette: dark ink outlines, white paper, blue, green, red, yellow and
brown fills.

Files: 16/<number>.png are the 16-pixel glyphs by glyph number (page tag x
100 + number on the page: 1xx File, 2xx Edit, 3xx View, 4xx Objects, 5xx
Draw, 6xx Tools, 7xx Tasks, 8xx tool bar, 10xx others). 28/<1100 + n>.png
are the 28-pixel glyphs of the fixed tool bar: the tool at position n of the
lite glyph table drawn from the same regions at 28 pixels (a position whose
tool was already drawn gets no file of its own).
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

INK = (40, 40, 40)
GREY = (128, 128, 128)
LIGHT = (200, 200, 200)
PAPER = (255, 255, 255)
BLUE = (30, 90, 200)
SKY = (150, 190, 240)
GREEN = (40, 150, 60)
LEAF = (150, 210, 140)
RED = (200, 40, 40)
YELLOW = (240, 200, 60)
BROWN = (150, 100, 50)
ORANGE = (240, 140, 30)

# ---- regions: functions (x, y) -> bool ----


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def poly(*pts):
    def inside(x, y):
        hit = False
        n = len(pts)
        for i in range(n):
            (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
            if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
                hit = not hit
        return hit

    return inside


def _segment_distance(px, py, x0, y0, x1, y1):
    dx, dy = x1 - x0, y1 - y0
    length = dx * dx + dy * dy
    t = 0 if length == 0 else max(0, min(1, ((px - x0) * dx + (py - y0) * dy) / length))
    return math.hypot(px - (x0 + t * dx), py - (y0 + t * dy))


def stroke(pts, width=1.0, closed=False):
    segments = list(zip(pts, pts[1:] + (pts[:1] if closed else [])))
    half = width / 2

    def inside(x, y):
        return any(_segment_distance(x, y, a[0], a[1], b[0], b[1]) <= half for a, b in segments)

    return inside


def ring(cx, cy, r, width=1.0):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) <= width / 2


def arc(cx, cy, r, a0, a1, n=16):
    """Points of an arc; angles in degrees, counter-clockwise from east."""
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / n)),
             cy - r * math.sin(math.radians(a0 + (a1 - a0) * i / n))) for i in range(n + 1)]


def union(*rs):
    return lambda x, y: any(r(x, y) for r in rs)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def both(a, b):
    return lambda x, y: a(x, y) and b(x, y)


# ---- building blocks: lists of (region, colour) ----


def box(x0, y0, x1, y1, fill=PAPER, line=INK):
    return [(rect(x0, y0, x1, y1), line), (rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1), fill)]


def outline_poly(pts, fill, line=INK, width=1.0):
    return [(poly(*pts), fill), (stroke(list(pts), width, True), line)]


def document(x0=3, y0=1, x1=13, y1=15, fill=PAPER):
    fold = 4
    pts = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
    return [(poly(*pts), fill), (stroke(pts, 1, True), INK),
            (stroke([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)], 1), INK)]


def arrow(x0, y0, x1, y1, colour, width=1.5, head=3.0):
    angle = math.atan2(y1 - y0, x1 - x0)
    back = (x1 - head * math.cos(angle), y1 - head * math.sin(angle))
    side = (-math.sin(angle) * head * 0.7, math.cos(angle) * head * 0.7)
    tip = poly((x1, y1), (back[0] + side[0], back[1] + side[1]), (back[0] - side[0], back[1] - side[1]))
    return [(stroke([(x0, y0), back], width), colour), (tip, colour)]


def curved_arrow(clockwise, colour=BLUE):
    if clockwise:
        pts = arc(8, 9, 5, 200, -20)
    else:
        pts = arc(8, 9, 5, -20, 200)
    end, before = pts[-1], pts[-3]
    return [(stroke(pts[:-1], 1.8), colour)] + arrow(before[0], before[1], end[0], end[1] + 1.5, colour, 1.5, 3.5)


def magnifier(sign=None, cx=6.5, cy=6.5, r=4.5):
    layers = [(circle(cx, cy, r), SKY), (ring(cx, cy, r, 1.5), INK),
              (stroke([(cx + r * 0.75, cy + r * 0.75), (14.5, 14.5)], 2.5), BROWN)]
    if sign in ("+", "-"):
        layers.append((stroke([(cx - 2.5, cy), (cx + 2.5, cy)], 1.2), INK))
    if sign == "+":
        layers.append((stroke([(cx, cy - 2.5), (cx, cy + 2.5)], 1.2), INK))
    return layers


def printer(screen=False):
    layers = box(4, 1, 12, 7) + [(rect(1, 6, 15, 12), GREY), (rect(2, 7, 14, 11), LIGHT)]
    layers += box(4, 10, 12, 15)
    layers.append((stroke([(6, 12.5), (10, 12.5)], 1), GREY))
    if screen:
        layers.append((rect(5, 2, 11, 5), SKY))
    layers.append((rect(12, 8, 13, 9), GREEN))
    return layers


def small_doc_with(mark, inward):
    layers = document(6, 1, 15, 15)
    layers += mark
    if inward:
        layers += arrow(0.5, 8, 8, 8, GREEN, 2, 4)
    else:
        layers += arrow(7.5, 8, 15.5, 8, RED, 2, 4)
    return layers


GML_MARK = [(stroke([(8, 5), (13, 5)], 1), GREEN), (stroke([(8, 11), (13, 11)], 1), GREEN),
            (stroke([(10.5, 4), (10.5, 13)], 1), GREEN)]
DXF_MARK = [(stroke([(8, 12), (13, 5)], 1), ORANGE), (stroke([(8, 5), (13, 12)], 1), ORANGE)]
SHP_MARK = outline_poly([(9, 12), (8, 6), (12, 4), (13.5, 11)], LEAF)


def clipboard(extra=()):
    layers = [(rect(2, 2, 14, 15.5), BROWN), (rect(3.5, 4, 12.5, 14.5), PAPER),
              (rect(5.5, 0.5, 10.5, 4), GREY),
              (stroke([(5, 7), (11, 7)], 1), GREY), (stroke([(5, 9.5), (11, 9.5)], 1), GREY),
              (stroke([(5, 12), (9, 12)], 1), GREY)]
    return layers + list(extra)


def page_frame():
    return box(2, 1, 14, 15)


def layers_stack(colours=(SKY, LEAF, YELLOW)):
    out = []
    for i, colour in enumerate(colours):
        y = 11 - i * 3.5
        pts = [(1, y), (8, y - 3), (15, y), (8, y + 3)]
        out += outline_poly(pts, colour)
    return out


def pointer(colour=PAPER, line=INK):
    pts = [(3, 1), (3, 13), (6, 10), (8.5, 15), (10.5, 14), (8, 9.5), (12, 9.5)]
    return outline_poly(pts, colour, line)


def cross(cx, cy, size, colour=RED, width=2.0):
    return [(stroke([(cx - size, cy - size), (cx + size, cy + size)], width), colour),
            (stroke([(cx - size, cy + size), (cx + size, cy - size)], width), colour)]


def plus(cx, cy, size, colour=GREEN, width=2.0):
    return [(stroke([(cx - size, cy), (cx + size, cy)], width), colour),
            (stroke([(cx, cy - size), (cx, cy + size)], width), colour)]


def nodes(pts, colour=BLUE):
    return [(rect(x - 1.2, y - 1.2, x + 1.2, y + 1.2), colour) for x, y in pts]


def polyline_with_nodes(pts, colour=INK):
    return [(stroke(pts, 1.2), colour)] + nodes(pts)


def corner_box(corner):
    x = 3 if "W" in corner else 8
    y = 2 if "N" in corner else 9
    return page_frame() + [(rect(x, y, x + 5, y + 5), BLUE)]


def aligned_lines(where):
    lengths = [10, 6, 8, 5]
    out = []
    for i, length in enumerate(lengths):
        y = 3 + i * 3.3
        if where == "left":
            x0 = 2
        elif where == "right":
            x0 = 14 - length
        else:
            x0 = 8 - length / 2
        out.append((stroke([(x0, y), (x0 + length, y)], 1.5), INK))
    return out


def vertical_align(where):
    y = {"top": 3, "middle": 8, "bottom": 13}[where]
    return box(1, 1, 15, 15, PAPER, GREY) + [(rect(4, y - 1.5, 12, y + 1.5), BLUE)]


def eye(open_eye):
    layers = [(ellipse(8, 8, 7, 4), PAPER), (stroke(arc(8, 14, 8.5, 50, 130), 1.2), INK),
              (stroke(arc(8, 2, 8.5, 230, 310), 1.2), INK)]
    if open_eye:
        layers += [(circle(8, 8, 2.5), BLUE), (circle(8, 8, 1), INK)]
    else:
        layers += [(stroke([(2, 14), (14, 2)], 1.5), RED)]
    return layers


def tab_close(colour):
    return [(rect(2, 2, 14, 14), colour), (rect(3, 3, 13, 13), PAPER)] + cross(8, 8, 3, colour, 1.8)


def letter_b():
    return [(stroke([(4.5, 2), (4.5, 14)], 2.5), INK), (stroke([(4.5, 2.5), (8, 2.5)], 2), INK),
            (stroke([(4.5, 8), (8.5, 8)], 2), INK), (stroke([(4.5, 13.5), (8.5, 13.5)], 2), INK),
            (stroke(arc(8, 5.25, 2.75, 90, -90), 2), INK), (stroke(arc(8.5, 10.75, 2.75, 90, -90), 2), INK)]


GLYPHS = {
    # File
    100: document() + plus(11.5, 11.5, 2.5),
    101: [(poly((1, 4), (6, 4), (7, 5.5), (14, 5.5), (14, 14), (1, 14)), BROWN),
          (poly((3, 8), (15.5, 8), (13.5, 14), (1, 14)), YELLOW),
          (stroke([(3, 8), (15.5, 8), (13.5, 14), (1, 14), (1, 4), (6, 4), (7, 5.5), (14, 5.5), (14, 8)], 1,
                  True), INK)],
    102: [(rect(1.5, 1.5, 14.5, 14.5), BLUE), (rect(4, 1.5, 12, 6), PAPER), (rect(9, 2.5, 11, 5), INK),
          (rect(3.5, 9, 12.5, 14.5), LIGHT), (stroke([(1.5, 1.5), (14.5, 1.5), (14.5, 14.5), (1.5, 14.5)], 1,
                                                     True), INK)],
    103: printer(),
    104: printer(screen=True),
    105: small_doc_with(GML_MARK, True),
    106: small_doc_with(DXF_MARK, True),
    107: small_doc_with(SHP_MARK, True),
    109: small_doc_with(DXF_MARK, False),
    110: small_doc_with(SHP_MARK, False),
    # Edit
    200: curved_arrow(False),
    201: curved_arrow(True),
    202: document(1, 1, 10, 11) + document(6, 5, 15, 15.5),
    203: clipboard(),
    204: clipboard([(stroke([(11, 9), (11, 15.5)], 1.2), RED), (stroke([(8, 12.3), (14, 12.3)], 1.2), RED)]),
    205: clipboard([(circle(11, 11.5, 4), SKY), (ring(11, 11.5, 4, 1), BLUE),
                    (stroke([(7, 11.5), (15, 11.5)], 1), BLUE), (ring(11, 11.5, 1.8, 1), BLUE)]),
    # View
    300: magnifier("+"),
    301: magnifier("-"),
    302: arrow(8, 8, 8, 0.5, INK, 1.5) + arrow(8, 8, 8, 15.5, INK, 1.5) + arrow(8, 8, 0.5, 8, INK, 1.5)
    + arrow(8, 8, 15.5, 8, INK, 1.5) + [(circle(8, 8, 2), BLUE)],
    303: [(rect(4, 4, 12, 12), LEAF), (stroke([(4, 4), (12, 4), (12, 12), (4, 12)], 1, True), INK)]
    + arrow(4, 4, 0.5, 0.5, BLUE, 1.2, 2.5) + arrow(12, 4, 15.5, 0.5, BLUE, 1.2, 2.5)
    + arrow(4, 12, 0.5, 15.5, BLUE, 1.2, 2.5) + arrow(12, 12, 15.5, 15.5, BLUE, 1.2, 2.5),
    304: document(1, 1, 11, 15) + magnifier(None, 10, 10, 3.5),
    305: [(stroke([(1, 1), (3, 1)], 1), INK), (stroke([(5, 1), (7, 1)], 1), INK), (stroke([(9, 1), (11, 1)], 1), INK),
          (stroke([(1, 1), (1, 3)], 1), INK), (stroke([(1, 5), (1, 7)], 1), INK), (stroke([(1, 9), (1, 11)], 1), INK),
          (poly((3, 9), (6, 3), (9, 6)), LEAF)] + magnifier(None, 10, 10, 3.5),
    306: page_frame() + [(stroke([(8, 4), (8, 12)], 1.5), RED), (stroke([(4, 8), (12, 8)], 1.5), RED)],
    307: page_frame() + [(circle(11, 11, 2), LEAF), (ring(11, 11, 2, 1), GREEN)] + arrow(5, 5, 9, 9, RED, 1.2, 2.5),
    308: [(stroke([(1, 2), (15, 2), (15, 14), (1, 14)], 1.2, True), BLUE)]
    + outline_poly([(4, 11), (5, 5), (10, 4), (12, 10)], LEAF),
    309: [(stroke(arc(8, 8, 5.5, 100, 380, 24), 1.8), GREEN)] + arrow(9, 2.5, 12.5, 2.6, GREEN, 1.5, 3.5),
    # Objects
    400: pointer(),
    401: [(rect(5, 5, 11, 11), LEAF)] + arrow(8, 8, 8, 0.5, INK, 1.2, 2.5) + arrow(8, 8, 8, 15.5, INK, 1.2, 2.5)
    + arrow(8, 8, 0.5, 8, INK, 1.2, 2.5) + arrow(8, 8, 15.5, 8, INK, 1.2, 2.5),
    402: outline_poly([(4, 3), (12, 3), (12, 9), (4, 9)], LEAF) + arrow(8, 13, 1, 13, BLUE, 1.2, 2.5)
    + arrow(8, 13, 15, 13, BLUE, 1.2, 2.5),
    403: outline_poly([(5, 5), (11, 5), (11, 11), (5, 11)], LEAF) + [(stroke(arc(8, 8, 6.5, 160, 20), 1.2), BLUE)]
    + arrow(13.5, 6.5, 14.2, 8.5, BLUE, 1.2, 2.5),
    404: cross(8, 8, 5.5, RED, 3),
    405: [(stroke([(1, 1), (15, 1), (15, 15), (1, 15)], 1, True), GREY), (circle(5.5, 10, 3), SKY),
          (ring(5.5, 10, 3, 1), INK)] + outline_poly([(8, 3), (13, 3), (13, 8), (8, 8)], LEAF),
    406: [(circle(4, 11.5, 3), SKY), (ring(4, 11.5, 3, 1), INK)]
    + outline_poly([(9.5, 1.5), (14.5, 1.5), (14.5, 6.5), (9.5, 6.5)], LEAF) + arrow(6, 9, 9, 6, RED, 1, 2),
    407: [(ellipse(8, 8, 7, 6), SKY), (stroke(arc(8, 8, 6.5, 0, 360, 24), 1), BLUE)]
    + [(circle(6, 7, 1.3), INK), (circle(10, 6, 1.3), INK), (circle(8, 10.5, 1.3), INK)],
    408: outline_poly([(5, 5), (11, 5), (11, 11), (5, 11)], PAPER)
    + outline_poly([(1, 5), (5, 5), (5, 11), (1, 11)], LEAF) + outline_poly([(11, 5), (15, 5), (15, 11), (11, 11)], LEAF)
    + outline_poly([(5, 1), (11, 1), (11, 5), (5, 5)], LEAF),
    409: layers_stack((SKY, LEAF)) + arrow(13, 0.5, 13, 7, RED, 1.5, 3),
    410: layers_stack((SKY, LEAF)) + plus(12.5, 3.5, 2.5),
    411: [(circle(8, 13, 2), RED), (stroke([(8, 4), (8, 12)], 1.5), INK), (stroke([(4.5, 3), (11.5, 3)], 2.5), GREY)],
    # Draw
    500: polyline_with_nodes([(2, 13), (5, 4), (10, 11), (14, 3)]),
    501: outline_poly([(2, 12), (4, 3), (10, 2), (14, 8), (9, 14)], LEAF) + nodes([(2, 12), (4, 3), (10, 2), (14, 8),
                                                                                   (9, 14)]),
    502: outline_poly([(2, 4), (14, 4), (14, 12), (2, 12)], LEAF) + nodes([(2, 4), (14, 4), (14, 12), (2, 12)]),
    503: arrow(2, 14, 14, 2, INK, 1.5, 5),
    504: [(stroke([(1, 12), (8, 8)], 1.2), INK), (stroke([(8, 8), (15, 12)], 1.2), BLUE), (circle(8, 8, 2), RED)],
    506: polyline_with_nodes([(1, 13), (6, 9), (14, 13)]) + [(stroke([(6, 9), (6, 5)], 1), INK)]
    + arrow(6, 5, 10, 2, RED, 1.2, 2.5) + [(rect(4.8, 7.8, 7.2, 10.2), RED)],
    507: polyline_with_nodes([(1, 13), (7, 5), (14, 13)]) + cross(7, 5, 2.5, RED, 1.8),
    508: outline_poly([(2, 3), (14, 3), (14, 13), (2, 13)], LEAF) + [(stroke([(1, 15), (15, 1)], 2), RED)],
    # Tools
    600: [(stroke([(1, 11), (11, 1)], 1.5), INK), (stroke([(5, 15), (15, 5)], 1.5), BLUE)],
    601: [(union(circle(6, 8, 5), circle(10.5, 8, 5)), LEAF),
          (union(minus(ring(6, 8, 5, 1), circle(10.5, 8, 5)), minus(ring(10.5, 8, 5, 1), circle(6, 8, 5))), INK)],
    602: [(both(circle(6, 8, 5), circle(10.5, 8, 5)), LEAF), (ring(6, 8, 5, 1), INK), (ring(10.5, 8, 5, 1), INK)],
    603: [(minus(circle(6, 8, 5), circle(10.5, 8, 5)), LEAF), (ring(6, 8, 5, 1), INK), (ring(10.5, 8, 5, 1), GREY)],
    604: [(minus(circle(8, 8, 7), circle(8, 8, 4)), LEAF), (ring(8, 8, 7, 1), INK), (ring(8, 8, 4, 1), INK)],
    606: [(circle(8, 8, 7), SKY), (both(circle(8, 8, 7), union(ellipse(6, 6, 3, 2), ellipse(10, 11, 2.5, 3))), GREEN),
          (ring(8, 8, 7, 1), BLUE), (stroke(arc(15, 8, 9.5, 135, 225), 0.8), BLUE), (stroke([(1, 8), (15, 8)], 0.8), BLUE)],
    607: [(stroke([(13, 1), (7, 9)], 1.8), BROWN), (poly((4, 8), (9, 10), (7, 15), (1, 14)), YELLOW),
          (stroke([(4, 8), (9, 10), (7, 15), (1, 14)], 1, True), INK)],
    # Tasks
    700: [(stroke([(2, 15), (8, 1), (14, 15)], 2), INK), (stroke([(4.5, 10), (11.5, 10)], 1.8), INK)],
    701: outline_poly([(1, 8), (6, 3), (15, 3), (15, 13), (6, 13)], YELLOW) + [(ring(6, 8, 1.5, 1), INK)],
    702: box(1, 1, 15, 15) + [(rect(3, 3.5, 6, 5.5), RED), (rect(3, 7, 6, 9), GREEN), (rect(3, 10.5, 6, 12.5), BLUE),
                              (stroke([(7.5, 4.5), (13, 4.5)], 1), GREY), (stroke([(7.5, 8), (13, 8)], 1), GREY),
                              (stroke([(7.5, 11.5), (12, 11.5)], 1), GREY)],
    703: page_frame() + [(rect(7, 10, 13, 14), BLUE), (rect(8, 11, 12, 12), PAPER)],
    704: [(poly((0.5, 11), (11, 0.5), (15.5, 5), (5, 15.5)), YELLOW),
          (stroke([(0.5, 11), (11, 0.5), (15.5, 5), (5, 15.5)], 1, True), INK)]
    + [(stroke([(3 + 2 * i, 9 - 2 * i), (4.5 + 2 * i, 10.5 - 2 * i)], 1), INK) for i in range(4)],
    705: [(poly((6, 1), (10, 1), (15, 15), (1, 15)), GREY), (stroke([(8, 2), (8, 4)], 1), PAPER),
          (stroke([(8, 6.5), (8, 9)], 1.2), PAPER), (stroke([(8, 11.5), (8, 14.5)], 1.4), PAPER)],
    706: box(1, 2, 15, 14) + [(rect(1, 2, 15, 5), BLUE), (stroke([(1, 8), (15, 8)], 1), INK),
                              (stroke([(1, 11), (15, 11)], 1), INK), (stroke([(6, 2), (6, 14)], 1), INK)],
    707: [(union(circle(8, 6, 5), poly((4, 8.5), (12, 8.5), (8, 15.5))), RED), (circle(8, 6, 2), PAPER)],
    708: [(rect(1, 3, 15, 13), GREEN), (stroke([(2, 4), (14, 4), (14, 12), (2, 12)], 1, True), PAPER),
          (stroke([(8, 4), (8, 12)], 1), PAPER), (ring(8, 8, 2.2, 1), PAPER)],
    709: [(rect(4, 1, 12, 15), INK), (rect(5, 3, 11, 11), SKY), (circle(8, 13, 1), LIGHT)],
    # Tool bar
    800: [(rect(7, 1, 9, 15), GREY)],
    801: [(stroke([(2, 2), (14, 2), (14, 14), (2, 14)], 1, True), LIGHT)],
    # Others: layer list
    1000: [(poly((5, 3), (12, 8), (5, 13)), INK)],
    1001: [(poly((3, 5), (13, 5), (8, 12)), INK)],
    1002: eye(False),
    1003: eye(True),
    1004: pointer(LIGHT, GREY) + [(stroke([(2, 15), (14, 3)], 1.5), RED)],
    1005: pointer(),
    1006: [(stroke([(3, 13), (12, 4)], 3.5), YELLOW), (poly((1.5, 14.5), (2, 11.5), (4.5, 14)), INK),
           (stroke([(11, 3), (13, 5)], 3.5), RED)],
    1007: layers_stack() + plus(12.5, 3.5, 2.5),
    1009: layers_stack() + cross(12.5, 3.5, 2.2, RED, 1.8),
    # Others: map tabs
    1010: tab_close(RED),
    1011: tab_close(GREY),
    1041: [(stroke(arc(8, 7, 3.5, 0, 180), 1.8), GREY), (stroke([(4.5, 7), (4.5, 8)], 1.8), GREY),
           (stroke([(11.5, 7), (11.5, 8)], 1.8), GREY), (rect(3, 8, 13, 15), YELLOW), (rect(7.3, 10, 8.7, 13), INK)],
    # Others: layer modes
    1012: layers_stack(),
    1013: layers_stack((RED, GREEN, BLUE)),
    1014: layers_stack((LIGHT, LIGHT, SKY)) + [(rect(1, 14, 15, 15.5), INK), (rect(1, 13, 2, 15.5), INK),
                                               (rect(7.5, 13, 8.5, 15.5), INK), (rect(14, 13, 15, 15.5), INK)],
    1015: layers_stack((LIGHT, LIGHT, LIGHT)) + [(stroke(arc(11, 5, 3.5, 90, 360, 12), 1.5), GREEN)]
    + arrow(11, 1.5, 8.5, 1.5, GREEN, 1.2, 2.5),
    # Others: title box corners
    1016: corner_box("NW"),
    1017: corner_box("NE"),
    1018: corner_box("SW"),
    1019: corner_box("SE"),
    # Others: text format
    1020: aligned_lines("left"),
    1021: aligned_lines("centre"),
    1022: aligned_lines("right"),
    1023: vertical_align("top"),
    1024: vertical_align("middle"),
    1025: vertical_align("bottom"),
    1026: letter_b(),
    1027: [(stroke([(9.5, 2), (6.5, 14)], 2), INK), (stroke([(7, 2), (13, 2)], 1.5), INK),
           (stroke([(3.5, 14), (9.5, 14)], 1.5), INK)],
    1028: [(stroke(arc(8, 7, 4, 180, 360) + [(12, 7), (12, 1.5)], 1.8), INK), (stroke([(4, 1.5), (4, 7)], 1.8), INK),
           (stroke([(2.5, 14.5), (13.5, 14.5)], 1.5), BLUE)],
    # Others: symbol size, justify
    1030: [(circle(5, 10, 2.5), RED)] + [(stroke([(9, 4), (15, 4)], 2), INK)],
    1031: [(circle(6, 10, 5), RED)] + plus(12.5, 3.5, 2.5, INK, 2),
    1032: [(stroke([(2, 1), (2, 15)], 1.5), BLUE)] + [(stroke([(4, 3 + 3.3 * i), (4 + n, 3 + 3.3 * i)], 1.5), INK)
                                                      for i, n in enumerate([10, 7, 9, 6])],
    # Others: map expert, mobile link
    1040: [(circle(8, 6, 5), YELLOW), (ring(8, 6, 5, 1), INK), (rect(5.5, 10.5, 10.5, 13), GREY),
           (rect(6.5, 13, 9.5, 15), INK)],
    1042: [(rect(1, 2, 7, 15), INK), (rect(2, 4, 6, 12), SKY)] + arrow(8, 6, 15.5, 6, GREEN, 1.2, 2.5)
    + arrow(15.5, 11, 8, 11, BLUE, 1.2, 2.5),
}

# The fixed tool bar's tools by position, and the glyph each tool has in the
# catalogue.
LITE_TOOLS = [10, 11, 12, 16, 17, 152, 153, 160, 0, 0, 156, 155, 157, 158, 159, 50, 51, 54, 55, 56, 167, 168, 188,
              198, 200, 199, 70, 201, 0, 176, 75, 86, 129, 95, 103, 125, 92, 134, 66, 126, 166, 185, 182, 174, 175,
              74, 119, 171, 172, 173, 169, 170, 218, 224, 69, 68]
TOOL_GLYPHS = {0: 800, 10: 100, 11: 101, 12: 102, 16: 103, 17: 104, 50: 200, 51: 201, 54: 202, 55: 203, 56: 204,
               66: 606, 68: 409, 69: 410, 70: 306, 74: 403, 75: 700, 86: 701, 92: 702, 95: 703, 103: 704, 119: 600,
               125: 705, 126: 706, 129: 707, 134: 708, 152: 1012, 153: 1013, 155: 1002, 156: 1003, 157: 1004,
               158: 1005, 159: 1015, 160: 1007, 166: 400, 167: 300, 168: 301, 169: 500, 170: 501, 171: 601,
               172: 602, 173: 603, 174: 506, 175: 507, 176: 508, 182: 401, 185: 404, 188: 302, 198: 303, 199: 304,
               200: 305, 201: 309, 218: 502, 224: 503}

SAMPLES = 4


def render(layers, size):
    scale = 16.0 / size
    rows = []
    for j in range(size):
        row = bytearray()
        for i in range(size):
            r = g = b = a = 0
            for sj in range(SAMPLES):
                for si in range(SAMPLES):
                    x = (i + (si + 0.5) / SAMPLES) * scale
                    y = (j + (sj + 0.5) / SAMPLES) * scale
                    for region, colour in reversed(layers):
                        if region(x, y):
                            r += colour[0]
                            g += colour[1]
                            b += colour[2]
                            a += 1
                            break
            if a:
                row += bytes((round(r / a), round(g / a), round(b / a), round(255 * a / SAMPLES ** 2)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def write_png(path, rows):
    height, width = len(rows), len(rows[0]) // 4

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + row for row in rows)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    files = []
    os.makedirs(os.path.join(HERE, "16"), exist_ok=True)
    os.makedirs(os.path.join(HERE, "28"), exist_ok=True)
    for number in sorted(GLYPHS):
        name = "16/%d.png" % number
        write_png(os.path.join(HERE, name), render(GLYPHS[number], 16))
        files.append(name)
    seen = set()
    for position, tool in enumerate(LITE_TOOLS):
        if tool in seen:
            continue
        seen.add(tool)
        name = "28/%d.png" % (1100 + position)
        write_png(os.path.join(HERE, name), render(GLYPHS[TOOL_GLYPHS[tool]], 28))
        files.append(name)
    with open(os.path.join(HERE, "glyphs.qrc"), "w") as f:
        f.write('<!DOCTYPE RCC>\n<RCC version="1.0">\n  <qresource prefix="/glyphs">\n')
        for name in files:
            f.write("    <file>%s</file>\n" % name)
        f.write("  </qresource>\n</RCC>\n")


if __name__ == "__main__":
    main()
