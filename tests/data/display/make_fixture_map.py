#!/usr/bin/env python3
"""Writes fixture_map.txt, the small map that the golden-image tests of map
painting draw (tests/engine/window/map_goldens_test.cpp), one record a line:

  layer NUMBER LINE_COLOUR STYLE WIDTH FILL OPTIONS TRANSPARENCY
        colours as RRGGBB; FILL "none" or RRGGBB, with ":h" and a hatch
        index 0-5 for a hatched fill
  polygon LAYER x y x y ...        map units, one per pixel, y upwards
  polyline LAYER x y x y ...
  text LAYER x y PIXELS TEXT       a screen-sized text anchored at x, y
  select INDEX                     the INDEX-th polygon or polyline (from 0)
  page X Y WIDTH HEIGHT            the page's origin and extension

Run it from this folder; the golden images are made from its output by the
test itself (MAP_UPDATE_GOLDENS=1, see the test).
"""

LAYERS = [
    # number, line, style, width, fill, options, transparency
    (1, "000000", 0, 1, "none", 0, 0),        # plain polylines
    (2, "C00000", 5, 3, "none", 2, 0),        # styled polylines, rounded corners
    (3, "000080", 0, 2, "60A0FF", 0, 0),      # solid fill
    (4, "006000", 0, 1, "008000:h4", 0, 0),   # hatched fill (cross)
    (5, "000000", 0, 1, "FF8000", 0, 50),     # 50 % transparent fill
    (6, "8000C0", 7, 6, "FFFF80", 0, 0),      # styled outline
    (7, "404040", 0, 1, "C0C0C0", 0, 0),      # a ring with a hole and its bridge
    (8, "000000", 0, 1, "none", 0, 0),        # texts
]

OBJECTS = [
    ("polyline", 1, [(5, 110), (40, 115), (60, 100), (75, 112)]),
    ("polyline", 2, [(5, 95), (35, 80), (55, 95), (75, 82)]),
    ("polygon", 3, [(85, 85), (120, 85), (120, 115), (85, 115)]),
    ("polygon", 4, [(125, 85), (155, 85), (155, 115), (125, 115)]),
    ("polygon", 5, [(100, 75), (140, 75), (140, 95), (100, 95)]),
    ("polygon", 6, [(10, 10), (60, 10), (60, 50), (10, 50)]),
    # Outer ring, the bridge to the hole, the hole, and back.
    ("polygon", 7, [(80, 10), (150, 10), (150, 60), (80, 60), (80, 10),
                    (95, 25), (95, 45), (135, 45), (135, 25), (95, 25), (80, 10)]),
]

TEXTS = [(8, 12, 72, 12, "Map"), (8, 80, 70, 10, "abc")]
SELECT = [0, 2]
PAGE = (2, 2, 156, 116)


def main():
    lines = []
    for number, line, style, width, fill_, options, transparency in LAYERS:
        lines.append("layer %d %s %d %d %s %d %d" % (number, line, style, width, fill_, options, transparency))
    for kind, layer, points in OBJECTS:
        lines.append("%s %d %s" % (kind, layer, " ".join("%d %d" % p for p in points)))
    for layer, x, y, size, text in TEXTS:
        lines.append("text %d %d %d %d %s" % (layer, x, y, size, text))
    for index in SELECT:
        lines.append("select %d" % index)
    lines.append("page %d %d %d %d" % PAGE)
    with open("fixture_map.txt", "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
