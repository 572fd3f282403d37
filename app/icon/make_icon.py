#!/usr/bin/env python3
"""Writes the program's 16 x 16, 16-colour icon as equidist.ico (Windows) and
icon.xpm (FLTK) from the one picture below: a chain with equally spaced points.
Run it after changing the picture; both outputs are committed."""
import struct, pathlib

PICTURE = [
    "                ",
    "            rr  ",
    "           rRRr ",
    "           rRRr ",
    "          b rr  ",
    "         b      ",
    "     rr b       ",
    "    rRRrb       ",
    "    rRRr        ",
    "   b rr         ",
    "  b             ",
    " rr             ",
    "rRRr            ",
    "rRRr            ",
    " rr             ",
    "                ",
]
COLOURS = {" ": None, "b": (0, 0, 128), "r": (192, 0, 0), "R": (255, 64, 64)}

here = pathlib.Path(__file__).parent
keys = [k for k in COLOURS if COLOURS[k]]
index = {k: i + 1 for i, k in enumerate(keys)}  # palette 0: the transparent pixels

# Windows icon: 4 bits per pixel, bottom-up rows, then the 1-bit transparency mask.
palette = [(0, 0, 0)] + [COLOURS[k] for k in keys]
palette += [(0, 0, 0)] * (16 - len(palette))
xor = b"".join(
    bytes(index.get(row[x], 0) << 4 | index.get(row[x + 1], 0) for x in range(0, 16, 2))
    for row in reversed(PICTURE))
mask = b"".join(
    int("".join("1" if c == " " else "0" for c in row), 2).to_bytes(2, "big") + b"\0\0"
    for row in reversed(PICTURE))
header = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
image = header + b"".join(bytes((b, g, r, 0)) for r, g, b in palette) + xor + mask
ico = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 16, 16, 16, 0, 1, 4, len(image), 22) + image
(here / "equidist.ico").write_bytes(ico)

# FLTK: the same picture as XPM.
lines = ['"16 16 %d 1",' % (len(keys) + 1), '"  c None",']
lines += ['"%s c #%02X%02X%02X",' % ((k,) + COLOURS[k]) for k in keys]
lines += ['"%s",' % row for row in PICTURE]
lines[-1] = lines[-1].rstrip(",")
(here / "icon.xpm").write_text(
    "/* XPM */\n/* Written by make_icon.py, like equidist.ico. */\n"
    "static const char* const equidist_icon_xpm[] = {\n" + "\n".join(lines) + "\n};\n")
