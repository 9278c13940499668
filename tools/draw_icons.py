#!/usr/bin/env python3
"""Draw zep's tray icons and setup's application icon and write them as .ico files
into zep/res/ and setup/res/.

Run from the repository root:

    /usr/bin/python3 tools/draw_icons.py

The picture is a globe standing on a small router box lettered "NWG" with
two status lamps.  Four variants are produced:

    IconDisconnect      dark globe, grey box, only the green lamp lit
    IconConnect         bright globe, grey box, red and green lamps lit
    IconDisconnectData  dark globe, red box,  only the green lamp lit
    IconConnectData     bright globe, red box,  red and green lamps lit

Every icon holds the sizes a display asks for at 100 % to 200 % scale: 16
and 32 pixels drawn as character maps, 16 colours (4 bpp) with the standard
Windows VGA palette and a 1 bpp AND mask; 20, 24 and 48 pixels (the small
icon at 125 % and 150 %, Explorer's medium icon) in 32-bit colour with an
alpha channel; and 256 pixels (Explorer's large views) as PNG.

The character maps: every character is one pixel and names a *part* of the
picture (globe outline, box face, lamp, ...).  The other sizes are drawn
from the same picture described as shapes (circles, rectangles, strokes) on a
32-unit grid, each pixel sampled 8 x 8 times, so every size is drawn for
itself, never scaled from another image.  Each variant says which palette
colour each part gets, so the four icons share exactly the same shapes and
only differ in colour.
"""

import math
import os
import struct
import sys
import zlib

# Standard 16-colour Windows palette, in index order (R, G, B).
PALETTE = [
    (0x00, 0x00, 0x00),  # 0  black
    (0x80, 0x00, 0x00),  # 1  dark red
    (0x00, 0x80, 0x00),  # 2  dark green
    (0x80, 0x80, 0x00),  # 3  olive
    (0x00, 0x00, 0x80),  # 4  navy
    (0x80, 0x00, 0x80),  # 5  purple
    (0x00, 0x80, 0x80),  # 6  teal
    (0xC0, 0xC0, 0xC0),  # 7  silver
    (0x80, 0x80, 0x80),  # 8  grey
    (0xFF, 0x00, 0x00),  # 9  red
    (0x00, 0xFF, 0x00),  # 10 lime
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 fuchsia
    (0x00, 0xFF, 0xFF),  # 14 aqua
    (0xFF, 0xFF, 0xFF),  # 15 white
]

BLACK, DARK_RED, DARK_GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GREY, \
    RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(16)

# Picture parts used in the maps below.
#
#   .  transparent
#   o  globe outline          g  globe surface
#   m  globe grid lines       h  globe highlight
#   s  stand between globe and box
#   B  box outline            b  box face
#   l  box lit edge (top)     d  box shaded edge (bottom/right)
#   L  lettering on the box
#   K  lamp bezel             R  red lamp        G  green lamp

ART_32 = [
    # 0         1         2         3
    # 01234567890123456789012345678901
    ".............oooooo.............",  # 0
    "...........oogmggmgoo...........",  # 1
    "..........ohhmggggmggo..........",  # 2
    ".........ohhgmggggmgggo.........",  # 3
    "........ohggmggggggmgggo........",  # 4
    "........ommmmmmmmmmmmmmo........",  # 5
    ".......oggggmggggggmggggo.......",  # 6
    ".......oggggmggggggmggggo.......",  # 7
    ".......oggggmggggggmggggo.......",  # 8
    ".......oggggmggggggmggggo.......",  # 9
    ".......oggggmggggggmggggo.......",  # 10
    ".......oggggmggggggmggggo.......",  # 11
    "........ommmmmmmmmmmmmmo........",  # 12
    "........ogggmggggggmgggo........",  # 13
    ".........ogggmggggmgggo.........",  # 14
    "..........oggmggggmggo..........",  # 15
    "...........oogmggmgoo...........",  # 16
    ".............oooooo.............",  # 17
    "...............ss...............",  # 18
    "...............ss...............",  # 19
    ".BBBBBBBBBBBBBBBBBBBBBBBBBBBBBB.",  # 20
    "BllllllllllllllllllllllllllllllB",  # 21
    "BlbbbbbbbbbbbbbbbbbbbbbbbbbbbbdB",  # 22
    "BlbLbbbLbLbbbLbbLLLbbbKKKKKKKbdB",  # 23
    "BlbLLbbLbLbbbLbLbbbbbbKRRKGGKbdB",  # 24
    "BlbLbLbLbLbLbLbLbLLLbbKRRKGGKbdB",  # 25
    "BlbLbbLLbLbLbLbLbbbLbbKRRKGGKbdB",  # 26
    "BlbLbbbLbbLbLbbbLLLbbbKKKKKKKbdB",  # 27
    "BlbbbbbbbbbbbbbbbbbbbbbbbbbbbbdB",  # 28
    "BlbbbbbbbbbbbbbbbbbbbbbbbbbbbbdB",  # 29
    "BddddddddddddddddddddddddddddddB",  # 30
    ".BBBBBBBBBBBBBBBBBBBBBBBBBBBBBB.",  # 31
]

# At 16x16 there is no room for the lettering or the stand: the globe rests
# directly on the box (the box's top edge doubles as the globe's bottom row)
# and each lamp gets its own black bezel so the red lamp still reads on the
# red box.
ART_16 = [
    # 0123456789012345
    "......oooo......",  # 0
    "....oogmmgoo....",  # 1
    "....ohmggmgo....",  # 2
    "...ommmmmmmmo...",  # 3
    "...oggmggmggo...",  # 4
    "...oggmggmggo...",  # 5
    "...ommmmmmmmo...",  # 6
    "....ogmggmgo....",  # 7
    "....oogmmgoo....",  # 8
    ".BBBBBBBBBBBBBB.",  # 9
    "BllllllllllllllB",  # 10
    "BlbKKKKbbKKKKbdB",  # 11
    "BlbKRRKbbKGGKbdB",  # 12
    "BlbKRRKbbKGGKbdB",  # 13
    "BddKKKKddKKKKddB",  # 14
    ".BBBBBBBBBBBBBB.",  # 15
]

GLOBE_BRIGHT = {"o": TEAL, "g": AQUA, "m": WHITE, "h": WHITE}
GLOBE_DARK = {"o": BLACK, "g": NAVY, "m": BLUE, "h": BLUE}

BOX_GREY = {"B": BLACK, "b": SILVER, "l": WHITE, "d": GREY, "L": BLACK}
BOX_RED = {"B": BLACK, "b": RED, "l": WHITE, "d": DARK_RED, "L": WHITE}

LAMPS_BOTH = {"K": BLACK, "R": RED, "G": LIME}
LAMPS_GREEN = {"K": BLACK, "R": DARK_RED, "G": LIME}

COMMON = {"s": GREY}

VARIANTS = {
    "IconDisconnect": (GLOBE_DARK, BOX_GREY, LAMPS_GREEN),
    "IconConnect": (GLOBE_BRIGHT, BOX_GREY, LAMPS_BOTH),
    "IconDisconnectData": (GLOBE_DARK, BOX_RED, LAMPS_GREEN),
    "IconConnectData": (GLOBE_BRIGHT, BOX_RED, LAMPS_BOTH),
}

# setup's icon: a blue arrow going down into an open cardboard box.
#
#   a  arrow outline   A  arrow   w  arrow highlight
#   X  box outline     x  box front   l  lit edge   d  shaded edge
#   f  flaps           T  tape
SETUP_ART_32 = [
    "............aaaaaaaa............",  # 0
    "............aAAAAAAa............",  # 1
    "............aAwAAAAa............",  # 2
    "............aAwAAAAa............",  # 3
    "............aAwAAAAa............",  # 4
    "............aAwAAAAa............",  # 5
    "............aAAAAAAa............",  # 6
    "........aaaaaAAAAAAaaaaa........",  # 7
    "........aAAAAAAAAAAAAAAa........",  # 8
    ".........aAAAAAAAAAAAAa.........",  # 9
    "..........aAAAAAAAAAAa..........",  # 10
    "...........aAAAAAAAAa...........",  # 11
    "XXXXX.......aAAAAAAa.......XXXXX",  # 12
    "XfffXX.......aAAAAa.......XXfffX",  # 13
    ".XfffXX.......aAAa.......XXfffX.",  # 14
    "..XfffXXXXXXXXXaaXXXXXXXXXfffX..",  # 15
    "...XXXXXXXXXXXXXXXXXXXXXXXXXX...",  # 16
    "...XlxxxxxxxxxTTTTxxxxxxxxddX...",  # 17
    "...XlxxxxxxxxxTTTTxxxxxxxxddX...",  # 18
    "...XlxxxxxxxxxTTTTxxxxxxxxddX...",  # 19
    "...XlxxxxxxxxxTTTTxxxxxxxxddX...",  # 20
    "...XlxxxxxxxxxxxxxxxxxxxxxddX...",  # 21
    "...XlxxxxxxxxxxxxxxxxxxxxxddX...",  # 22
    "...XlxxxxxxxxxxxxxxxxxxxxxddX...",  # 23
    "...XlxxxxxxxxxxxxxxxxxxxxxddX...",  # 24
    "...XlxxxxxxxxxxxxxxxxxxxxxddX...",  # 25
    "...XlxxxxxxxxxxxxxxxxxxxxxddX...",  # 26
    "...XlxxxxxxxxxxxxxxxxxxxxxddX...",  # 27
    "...XlxxxxxxxxxxxxxxxxxxxxxddX...",  # 28
    "...XlxxxxxxxxxxxxxxxxxxxxxddX...",  # 29
    "...XddddddddddddddddddddddddX...",  # 30
    "...XXXXXXXXXXXXXXXXXXXXXXXXXX...",  # 31
]

SETUP_ART_16 = [
    "......aaaa......",  # 0
    "......aAAa......",  # 1
    "......aAAa......",  # 2
    "....aaaAAaaa....",  # 3
    ".....aAAAAa.....",  # 4
    "XX....aAAa....XX",  # 5
    "XfX....aa....XfX",  # 6
    ".XfXXXXXXXXXXfX.",  # 7
    "..XXXXXXXXXXXX..",  # 8
    "..XlxxTTxxxddX..",  # 9
    "..XlxxTTxxxddX..",  # 10
    "..XlxxxxxxxddX..",  # 11
    "..XlxxxxxxxddX..",  # 12
    "..XlxxxxxxxddX..",  # 13
    "..XddddddddddX..",  # 14
    "..XXXXXXXXXXXX..",  # 15
]

SETUP_COLOURS = {"a": NAVY, "A": BLUE, "w": WHITE, "X": BLACK, "x": YELLOW,
                 "l": WHITE, "d": OLIVE, "f": OLIVE, "T": SILVER}


def check_art(art, size):
    if len(art) != size:
        raise ValueError("art has %d rows, expected %d" % (len(art), size))
    for y, row in enumerate(art):
        if len(row) != size:
            raise ValueError("art row %d is %d wide, expected %d"
                             % (y, len(row), size))


def render(art, colours):
    """Turn a character map into rows of palette indices (None = clear)."""
    pixels = []
    for y, row in enumerate(art):
        out = []
        for x, ch in enumerate(row):
            if ch == ".":
                out.append(None)
            elif ch in colours:
                out.append(colours[ch])
            else:
                raise ValueError("no colour for %r at (%d, %d)" % (ch, x, y))
        pixels.append(out)
    return pixels


def dib(pixels):
    """Encode one icon image: BITMAPINFOHEADER, palette, XOR and AND bitmaps."""
    size = len(pixels)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4

    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):  # DIBs are stored bottom-up
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, idx in enumerate(row):
            if idx is None:
                # Transparent: AND bit set, colour 0 so the screen is kept.
                bits[x // 8] |= 0x80 >> (x % 8)
                idx = 0
            if x % 2 == 0:
                line[x // 2] |= idx << 4
            else:
                line[x // 2] |= idx
        xor += line
        mask += bits

    header = struct.pack(
        "<IiiHHIIiiII",
        40,               # biSize
        size,             # biWidth
        size * 2,         # biHeight: XOR + AND bitmaps
        1,                # biPlanes
        4,                # biBitCount
        0,                # biCompression = BI_RGB
        len(xor) + len(mask),
        0, 0,             # resolution
        16,               # biClrUsed
        0,                # biClrImportant
    )
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0)
                       for (r, g, b) in PALETTE)
    return header + palette + bytes(xor) + bytes(mask)


def ico(images):
    """Pack (size, bits per pixel, image bytes) into an .ico file."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    blobs = b""
    for size, bpp, data in images:
        entries += struct.pack(
            "<BBBBHHII",
            size % 256, size % 256,  # width, height (0 means 256)
            16 if bpp == 4 else 0,   # colours in palette
            0,                       # reserved
            1,                       # planes
            bpp,                     # bits per pixel
            len(data),
            offset,
        )
        offset += len(data)
        blobs += data
    return out + entries + blobs

# --- The pictures as shapes on a 32-unit grid, for the sizes drawn with alpha.
#
# A shape is (part, test): test(x, y) is true where the part covers the point
# (x, y) in grid units.  Later shapes lie over earlier ones.

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, width):
    return lambda x, y: (r - width) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse_line(cx, cy, rx, ry, width, inside):
    """The outline of an ellipse, only where `inside` (the globe) holds."""
    def test(x, y):
        if not inside(x, y):
            return False
        d = math.hypot((x - cx) / rx, (y - cy) / ry)
        return abs(d - 1) * min(rx, ry) <= width / 2
    return test


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def both(a, b):
    return lambda x, y: a(x, y) and b(x, y)


def stroke(points, width):
    """A polyline `width` units wide."""
    segments = list(zip(points, points[1:]))

    def near(x, y):
        for (ax, ay), (bx, by) in segments:
            dx, dy = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            if math.hypot(x - ax - t * dx, y - ay - t * dy) <= width / 2:
                return True
        return False
    return near


GLOBE = circle(16, 9, 9)
ZEP_SHAPES = [
    ("g", GLOBE),
    ("h", circle(11.5, 4.5, 2.2)),
    ("m", ellipse_line(16, 9, 3.6, 9, 1, GLOBE)),
    ("m", both(GLOBE, rect(0, 5, 32, 6))),
    ("m", both(GLOBE, rect(0, 12, 32, 13))),
    ("o", ring(16, 9, 9, 1)),
    ("s", rect(15, 18, 17, 20)),
    ("B", rect(0, 20, 32, 32)),
    ("l", rect(1, 21, 31, 31)),
    ("d", rect(2, 22, 31, 31)),
    ("b", rect(2, 22, 30, 30)),
    ("K", rect(22, 23, 29, 28)),
    ("R", rect(23, 24, 25, 27)),
    ("G", rect(26, 24, 28, 27)),
]
# "NWG" on the box, from 48 pixels up, where it can be read.
ZEP_LETTERS = [
    ("L", stroke([(3.5, 27.5), (3.5, 23.5), (7.5, 27.5), (7.5, 23.5)], 1)),
    ("L", stroke([(9.5, 23.5), (10.5, 27.5), (11.5, 25), (12.5, 27.5), (13.5, 23.5)], 1)),
    ("L", stroke([(19.5, 23.5), (16.5, 23.5), (15.5, 24.5), (15.5, 26.5), (16.5, 27.5),
                  (19.5, 27.5), (19.5, 25.5), (18, 25.5)], 1)),
]

SETUP_SHAPES = [
    ("X", rect(3, 16, 29, 32)),
    ("l", rect(4, 17, 28, 31)),
    ("d", rect(5, 17, 28, 31)),
    ("x", rect(5, 17, 26, 30)),
    ("T", rect(14, 17, 18, 21)),
    ("X", stroke([(0.5, 12.5), (4.5, 12.5), (8, 16)], 1)),
    ("f", stroke([(1.5, 13.5), (4, 13.5), (6.5, 16)], 1)),
    ("X", stroke([(31.5, 12.5), (27.5, 12.5), (24, 16)], 1)),
    ("f", stroke([(30.5, 13.5), (28, 13.5), (25.5, 16)], 1)),
    ("a", rect(12, 0, 20, 8)),
    ("a", lambda x, y: 7 <= y <= 16 and abs(x - 16) <= 8 - (y - 7) * 8 / 9),
    ("A", rect(13, 1, 19, 8)),
    ("A", lambda x, y: 8 <= y <= 15 and abs(x - 16) <= 6.5 - (y - 8) * 6.5 / 7),
    ("w", rect(14, 2, 15, 6)),
]

SAMPLES = 8


def draw(shapes, colours, size):
    """Rows of (r, g, b, a): each pixel is the mean of SAMPLES x SAMPLES points."""
    unit = 32 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * unit
                    y = (py + (sy + 0.5) / SAMPLES) * unit
                    part = None
                    for name, test in shapes:
                        if test(x, y):
                            part = name
                    if part is not None:
                        cr, cg, cb = PALETTE[colours[part]]
                        r, g, b, a = r + cr, g + cg, b + cb, a + 1
            n = SAMPLES * SAMPLES
            row.append((r // a, g // a, b // a, a * 255 // n) if a else (0, 0, 0, 0))
        rows.append(row)
    return rows


def dib32(rows):
    """One 32-bit icon image: BITMAPINFOHEADER, BGRA rows, an AND mask of the clear pixels."""
    size = len(rows)
    and_stride = ((size + 31) // 32) * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(and_stride)
        for x, (r, g, b, a) in enumerate(row):
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def png(rows):
    """One image as PNG (RGBA, 8 bits a channel), as icons hold their 256-pixel image."""
    size = len(rows)
    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    check_art(ART_32, 32)
    check_art(ART_16, 16)

    check_art(SETUP_ART_32, 32)
    check_art(SETUP_ART_16, 16)

    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

    def write(folder, name, art32, art16, shapes, colours):
        outdir = os.path.join(root, folder, "res")
        os.makedirs(outdir, exist_ok=True)
        images = [(32, 4, dib(render(art32, colours))),
                  (16, 4, dib(render(art16, colours)))]
        for size in (20, 24, 48):
            drawn = shapes + (ZEP_LETTERS if size >= 48 and shapes is ZEP_SHAPES else [])
            images.append((size, 32, dib32(draw(drawn, colours, size))))
        large = shapes + (ZEP_LETTERS if shapes is ZEP_SHAPES else [])
        images.append((256, 32, png(draw(large, colours, 256))))
        path = os.path.join(outdir, name + ".ico")
        with open(path, "wb") as f:
            f.write(ico(images))
        print("wrote", os.path.relpath(path, root))

    for name, parts in VARIANTS.items():
        colours = dict(COMMON)
        for part in parts:
            colours.update(part)
        write("zep", name, ART_32, ART_16, ZEP_SHAPES, colours)
    write("setup", "setup", SETUP_ART_32, SETUP_ART_16, SETUP_SHAPES, SETUP_COLOURS)
    return 0


if __name__ == "__main__":
    sys.exit(main())
