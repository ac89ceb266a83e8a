#!/usr/bin/env python3
"""Writes the engine's cursor, icon and marker bitmap images as XPM files.

Run from this folder: python3 make_images.py. Cursors are 32 x 32 with the
hot spot at (15, 15): a cross hair and, in the lower right corner, a small
glyph that tells the cursors apart. Markers are 9 x 9, black on white; the
two selection marks are 7 x 7 and are drawn inverting (XOR) what lies under
them, so their ink is white on black.
"""
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def canvas(w, h, fill=" "):
    return [[fill] * w for _ in range(h)]


def write_xpm(path, name, grid, colours):
    h, w = len(grid), len(grid[0])
    with open(path, "w") as f:
        f.write("/* XPM */\nstatic const char *%s[] = {\n" % name)
        f.write('"%d %d %d 1",\n' % (w, h, len(colours)))
        for key, value in colours.items():
            f.write('"%s c %s",\n' % (key, value))
        f.write(",\n".join('"%s"' % "".join(row) for row in grid))
        f.write("\n};\n")


def rect(g, x0, y0, x1, y1, c, filled=False):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            if filled or x in (x0, x1) or y in (y0, y1):
                g[y][x] = c


def line(g, x0, y0, x1, y1, c):
    n = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(n + 1):
        g[round(y0 + (y1 - y0) * i / n)][round(x0 + (x1 - x0) * i / n)] = c


def circle(g, cx, cy, r, c, filled=False):
    for y in range(len(g)):
        for x in range(len(g[0])):
            d = math.hypot(x - cx, y - cy)
            if (filled and d <= r + 0.3) or abs(d - r) < 0.5:
                g[y][x] = c


GLYPHS = {
    "square": lambda g: rect(g, 20, 20, 28, 28, "."),
    "full": lambda g: rect(g, 20, 20, 28, 28, ".", True),
    "circle": lambda g: circle(g, 24, 24, 4, "."),
    "dot": lambda g: circle(g, 24, 24, 2, ".", True),
    "plus": lambda g: (line(g, 20, 24, 28, 24, "."), line(g, 24, 20, 24, 28, ".")),
    "minus": lambda g: line(g, 20, 24, 28, 24, "."),
    "x": lambda g: (line(g, 20, 20, 28, 28, "."), line(g, 20, 28, 28, 20, ".")),
    "triangle": lambda g: (line(g, 20, 28, 28, 28, "."), line(g, 20, 28, 24, 20, "."), line(g, 24, 20, 28, 28, ".")),
    "arrow": lambda g: (line(g, 20, 24, 28, 24, "."), line(g, 25, 21, 28, 24, "."), line(g, 25, 27, 28, 24, ".")),
    "rotate": lambda g: (circle(g, 24, 24, 4, "."), rect(g, 27, 19, 29, 21, ".", True)),
    "scissors": lambda g: (circle(g, 21, 26, 2, "."), circle(g, 27, 26, 2, "."), line(g, 21, 19, 27, 24, "."), line(g, 27, 19, 21, 24, ".")),
    "node": lambda g: (rect(g, 22, 22, 26, 26, ".", True), line(g, 19, 29, 22, 26, "."), line(g, 26, 22, 29, 19, ".")),
    "nodeplus": lambda g: (rect(g, 20, 20, 24, 24, ".", True), line(g, 26, 28, 29, 28, "."), line(g, 27, 26, 27, 29, ".")),
    "nodeminus": lambda g: (rect(g, 20, 20, 24, 24, ".", True), line(g, 25, 28, 29, 28, ".")),
    "pin": lambda g: (circle(g, 24, 22, 2, ".", True), line(g, 24, 24, 24, 29, ".")),
    "hand": lambda g: (rect(g, 20, 23, 28, 29, ".", True), line(g, 21, 19, 21, 23, "."), line(g, 24, 19, 24, 23, "."), line(g, 27, 19, 27, 23, ".")),
}

CURSORS = {
    138: "square", 139: "circle", 140: "triangle", 141: "plus", 142: "minus", 143: "x",
    155: "arrow", 156: "node", 165: "rotate", 175: "scissors", 178: "dot", 180: "nodeplus",
    181: "nodeminus", 182: "pin", 183: "hand", 188: "full",
}


def cursor(glyph):
    g = canvas(32, 32)
    for d in range(3, 10):  # cross hair with an open centre, white edged
        for x, y in ((15 - d, 15), (15 + d, 15), (15, 15 - d), (15, 15 + d)):
            g[y][x] = "."
    for y in range(32):
        for x in range(32):
            if g[y][x] == " " and any(
                0 <= x + dx < 32 and 0 <= y + dy < 32 and g[y + dy][x + dx] == "."
                for dx in (-1, 0, 1) for dy in (-1, 0, 1)
            ):
                g[y][x] = "#"
    mark = canvas(32, 32)
    GLYPHS[glyph](mark)
    for y in range(32):
        for x in range(32):
            if mark[y][x] == ".":
                g[y][x] = "."
    return g


def main():
    with open(os.path.join(HERE, "cursors", "hotspots.txt"), "w") as hot:
        for number, glyph in sorted(CURSORS.items()):
            write_xpm(os.path.join(HERE, "cursors", "%d.xpm" % number), "cursor_%d" % number,
                      cursor(glyph), {" ": "None", ".": "#000000", "#": "#FFFFFF"})
            hot.write("%d\t15\t15\n" % number)

    icon = canvas(32, 32, "g")  # a map sheet: green land, a blue river, a red road
    rect(icon, 0, 0, 31, 31, ".")
    for x in range(1, 31):
        icon[int(16 + 6 * math.sin(x / 5))][x] = "b"
    line(icon, 3, 28, 28, 3, "r")
    write_xpm(os.path.join(HERE, "icons", "157.xpm"), "icon_157", icon,
              {"g": "#A8D08D", ".": "#000000", "b": "#2060C0", "r": "#C03020"})
    icon = canvas(32, 32)  # a layer stack
    for k in range(3):
        rect(icon, 4 + 3 * k, 4 + 7 * k, 20 + 3 * k, 12 + 7 * k, "y", True)
        rect(icon, 4 + 3 * k, 4 + 7 * k, 20 + 3 * k, 12 + 7 * k, ".")
    write_xpm(os.path.join(HERE, "icons", "158.xpm"), "icon_158", icon,
              {" ": "None", ".": "#000000", "y": "#F0D060"})

    # The Page Setup dialog's orientation icons: a sheet with a folded
    # corner and a few lines of text, upright and lying.
    for name, (w, h) in {"ICO_PORT": (20, 28), "ICO_LAND": (28, 20)}.items():
        icon = canvas(32, 32)
        x0, y0 = (32 - w) // 2, (32 - h) // 2
        x1, y1 = x0 + w - 1, y0 + h - 1
        rect(icon, x0, y0, x1, y1, "w", True)
        rect(icon, x0, y0, x1, y1, ".")
        for k in range(6):  # the folded corner: cut away above its diagonal
            for x in range(x1 - 5 + k + 1, x1 + 1):
                icon[y0 + k][x] = " "
        line(icon, x1 - 5, y0, x1, y0 + 5, ".")
        line(icon, x1 - 5, y0, x1 - 5, y0 + 5, ".")
        line(icon, x1 - 5, y0 + 5, x1, y0 + 5, ".")
        for row in range(y0 + 8, y1 - 2, 3):
            line(icon, x0 + 3, row, x1 - 3, row, "b")
        write_xpm(os.path.join(HERE, "icons", name + ".xpm"), name.lower(), icon,
                  {" ": "None", ".": "#000000", "w": "#FFFFFF", "b": "#4060A0"})

    # The editing marks of polygons and polylines, 7 x 7, drawn inverting
    # (SRCINVERT): the shape is white on black, so a second drawing takes it
    # away. A disc on vertices, a downward triangle on polyline ends, a
    # hollow square on edge midpoints.
    markers = {
        "square": lambda g: rect(g, 0, 0, 6, 6, "w"),
        "circle": lambda g: circle(g, 3, 3, 2.8, "w", True),
        "triangle": lambda g: [line(g, k // 2, k, 6 - k // 2, k, "w") for k in range(7)],
    }
    for name, draw in markers.items():
        g = canvas(7, 7, ".")
        draw(g)
        write_xpm(os.path.join(HERE, "bitmaps", name + ".xpm"), "bitmap_" + name, g,
                  {"w": "#FFFFFF", ".": "#000000"})

    selection_marks = {
        "full_sq": lambda g: rect(g, 0, 0, 6, 6, "w", True),
        "crossbmp": lambda g: (line(g, 0, 0, 6, 6, "w"), line(g, 0, 6, 6, 0, "w")),
    }
    for name, draw in selection_marks.items():
        g = canvas(7, 7, ".")
        draw(g)
        write_xpm(os.path.join(HERE, "bitmaps", name + ".xpm"), "bitmap_" + name, g,
                  {"w": "#FFFFFF", ".": "#000000"})

    # The pictures of the coordinate-system buttons: a globe with meridians
    # and parallels, and a pair of axes over a grid.
    globe = canvas(32, 32, "w")
    circle(globe, 15.5, 15.5, 13, "b", True)
    for dx in (-7, 0, 7):
        for y in range(3, 29):
            half = math.sqrt(max(0.0, 13 ** 2 - (y - 15.5) ** 2))
            x = round(15.5 + dx * half / 13)
            globe[y][x] = "."
    for y in (9, 15, 22):
        half = math.sqrt(max(0.0, 13 ** 2 - (y - 15.5) ** 2))
        line(globe, round(15.5 - half), y, round(15.5 + half), y, ".")
    circle(globe, 15.5, 15.5, 13, ".")
    write_xpm(os.path.join(HERE, "bitmaps", "SPHERICU.xpm"), "bitmap_SPHERICU", globe,
              {"w": "#FFFFFF", "b": "#80B0E0", ".": "#000000"})
    axes = canvas(32, 32, "w")
    for k in range(4, 30, 6):
        line(axes, k, 2, k, 27, "g")
        line(axes, 4, k - 2, 29, k - 2, "g")
    line(axes, 4, 2, 4, 27, ".")
    line(axes, 4, 27, 29, 27, ".")
    line(axes, 2, 5, 4, 2, ".")
    line(axes, 6, 5, 4, 2, ".")
    line(axes, 26, 25, 29, 27, ".")
    line(axes, 26, 29, 29, 27, ".")
    write_xpm(os.path.join(HERE, "bitmaps", "CARTESIANU.xpm"), "bitmap_CARTESIANU", axes,
              {"w": "#FFFFFF", "g": "#C0C0C0", ".": "#000000"})


if __name__ == "__main__":
    main()
