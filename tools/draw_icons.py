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

Every icon holds a 32x32 and a 16x16 image, 16 colours (4 bpp) with the
standard Windows VGA palette and a 1 bpp AND mask for transparency.

The artwork is drawn as character maps: every character is one pixel and
names a *part* of the picture (globe outline, box face, lamp, ...).  Each
variant then says which palette colour each part gets, so the four icons
share exactly the same shapes and only differ in colour.
"""

import os
import struct
import sys

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
    """Pack (size, dib bytes) pairs into an .ico file."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    blobs = b""
    for size, data in images:
        entries += struct.pack(
            "<BBBBHHII",
            size % 256, size % 256,  # width, height (0 means 256)
            16,                      # colours in palette
            0,                       # reserved
            1,                       # planes
            4,                       # bits per pixel
            len(data),
            offset,
        )
        offset += len(data)
        blobs += data
    return out + entries + blobs


def main():
    check_art(ART_32, 32)
    check_art(ART_16, 16)

    check_art(SETUP_ART_32, 32)
    check_art(SETUP_ART_16, 16)

    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

    def write(folder, name, art32, art16, colours):
        outdir = os.path.join(root, folder, "res")
        os.makedirs(outdir, exist_ok=True)
        images = [(32, dib(render(art32, colours))),
                  (16, dib(render(art16, colours)))]
        path = os.path.join(outdir, name + ".ico")
        with open(path, "wb") as f:
            f.write(ico(images))
        print("wrote", os.path.relpath(path, root))

    for name, parts in VARIANTS.items():
        colours = dict(COMMON)
        for part in parts:
            colours.update(part)
        write("zep", name, ART_32, ART_16, colours)
    write("setup", "setup", SETUP_ART_32, SETUP_ART_16, SETUP_COLOURS)
    return 0


if __name__ == "__main__":
    sys.exit(main())
