"""setup.exe's painted background and readme pages under Wine: the pixels of screenshots."""

import struct

import pytest

from setupapp import MAIN, Distribution, finish, main_window
from zeptest import Picture, wait_for

IDC_README_TEXT, IDC_PAGE1, IDC_PAGE2, IDC_PAGE3, IDC_END_README = 1101, 1102, 1103, 1104, 1105
SCREEN = (1024, 768)

RED, GREEN, BLUE, WHITE, BLACK = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255), (0, 0, 0)
YELLOW = (255, 255, 0)


def bmp(width, height, pixel, bits=24, palette=()):
    """A .bmp file, rows stored bottom-up: pixel(x, y) is a colour, or a palette index for 8 bits;
    y = 0 is the top row."""
    stride = (width * bits + 31) // 32 * 4
    rows = []
    for y in reversed(range(height)):
        if bits == 24:
            row = b"".join(bytes((b, g, r)) for r, g, b in (pixel(x, y) for x in range(width)))
        else:
            row = bytes(pixel(x, y) for x in range(width))
        rows.append(row.ljust(stride, b"\0"))
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + 40 + len(table)
    data = b"".join(rows)
    return (struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
            + struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, 0, 2835, 2835, len(palette), 0)
            + table + data)


def quadrants(x, y, w=40, h=30):
    """The test logo: red, green / blue, white."""
    return (RED if x < w // 2 else GREEN) if y < h // 2 else (BLUE if x < w // 2 else WHITE)


LOGO = bmp(40, 30, quadrants)
TILE = bmp(16, 8, lambda x, y: 0 if x < 8 else 1, bits=8, palette=[(255, 128, 0), (0, 128, 255)])
# A colour table of 2^33 entries, and pixel data far past the end of the file.
HOSTILE_BITS = LOGO[:28] + struct.pack("<H", 33) + LOGO[30:]
HOSTILE_OFFSET = LOGO[:10] + struct.pack("<I", 0xFFFFFFF0) + LOGO[14:]


def emf_box(colour, width=100, height=60):
    """An enhanced metafile of one rectangle filled with `colour` (a black border)."""
    r, g, b = colour
    records = [
        struct.pack("<6I", 39, 24, 1, 0, r | g << 8 | b << 16, 0),  # EMR_CREATEBRUSHINDIRECT
        struct.pack("<3I", 37, 12, 1),                              # EMR_SELECTOBJECT
        struct.pack("<2I4i", 43, 24, 0, 0, width - 1, height - 1),  # EMR_RECTANGLE
        struct.pack("<5I", 14, 20, 0, 16, 20),                      # EMR_EOF
    ]
    size = 88 + sum(map(len, records))
    # 1024 x 768 pixels on 320 x 240 mm: a pixel is 31.25 hundredths of a millimetre.
    frame = (0, 0, int(width * 31.25) - 1, int(height * 31.25) - 1)
    header = struct.pack("<2I4i4i4I2H3I4i", 1, 88, 0, 0, width - 1, height - 1, *frame, 0x464D4520, 0x10000, size,
                         len(records) + 1, 2, 0, 0, 0, 0, 1024, 768, 320, 240)
    return header + b"".join(records)


def lines(*items):
    return "".join(f"{i}={line}\n" for i, line in enumerate(items))


def gradient_colour(mode, rect, c1, c2, steps, x, y):
    """What the gradient leaves at (x, y): the colour of the last band painted there, or None."""
    left, top, right, bottom = rect
    w, h = right - left, bottom - top
    found = None
    for k in range(steps):
        if mode == "center":
            ix, iy = w * k // steps // 2, h * k // steps // 2
            band = (left + ix, top + iy, right - ix, bottom - iy)
        else:  # left
            band = (left + w * k // steps, top, left + w * (k + 1) // steps, bottom)
        if band[0] <= x < band[2] and band[1] <= y < band[3]:
            found = tuple((a + k * (b - a) // steps) & 0xFF for a, b in zip(c1, c2))
    return found


def outside(point, window):
    left, top, right, bottom = window.rect
    return not (left <= point[0] < right and top <= point[1] < bottom)


BACKGROUND = """
[Setup]
Name=Paint
[Root]
Name=%programs%\\Paint
[Back]
Do=1
""" + lines(
    "rect,%2,%2,%32,%32", "mode,center", "gradation,0,0,128,0,0,255",
    "mode,rect", "rect,600,40,700,100", "fill,200,30,40",
    "mode,point", "rect,860,560,0,0", "bitmap,hostile-bits.bmp", "bitmap,hostile-offset.bmp",
    "rect,760,560,0,0", "bitmap,logo.bmp",
    "mode,rect", "rect,%80,%5,%95,%20", "meta,box.emf",
    "mode,bottom", "bitmap,tile.bmp",
    "rect,40,600,0,0", "font,255,255,0,24,0,0,0,700,0,0,0,128,0,0,0,0,ＭＳ ゴシック", "|背景のテスト Setup", "|2",
)


def test_the_background_is_painted_from_its_lines_behind_the_installer(lan):
    pc = lan.pc
    dist = Distribution(pc, BACKGROUND, {"logo.bmp": LOGO, "tile.bmp": TILE, "box.emf": emf_box((10, 160, 90)),
                                         "hostile-bits.bmp": HOSTILE_BITS, "hostile-offset.bmp": HOSTILE_OFFSET})
    setup = dist.start()
    window = main_window(pc, "Paint")
    screen = Picture(pc.screenshot(None, "background.png"))
    assert (screen.width, screen.height) == SCREEN

    # The nested gradient over 2 % ... 32 % of the screen: its border, its innermost band, between.
    W, H = SCREEN
    rect = (W * 2 // 100, H * 2 // 100, W * 32 // 100, H * 32 // 100)
    centre = ((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)
    assert screen[rect[0], rect[1]] == (0, 0, 128)
    assert screen[rect[2] - 1, rect[3] - 1] == (0, 0, 128)
    assert screen[centre] == (0, 0, 253)
    for i in range(1, 12):
        point = (rect[0] + (centre[0] - rect[0]) * i // 12, rect[1] + (centre[1] - rect[1]) * i // 12)
        assert outside(point, window)
        assert screen[point] == gradient_colour("center", rect, (0, 0, 128), (0, 0, 255), 64, *point), point
    assert screen[rect[0] - 1, rect[1]] == BLACK and screen[rect[2], rect[3]] == BLACK

    # The filled rectangle, and nothing beside it.
    assert screen.count((200, 30, 40), (600, 40, 700, 100)) == 100 * 60
    assert screen[599, 70] == BLACK and screen[700, 70] == BLACK and screen[650, 100] == BLACK

    # The damaged files drew nothing (neither at 860,560 nor, had one of them left the current rectangle
    # at its size, at 0,0); the lines after them ran: the logo at the current rectangle's corner, the
    # right way up.
    assert screen.count(BLACK, (860, 560, 900, 590)) == 40 * 30 and screen.count(BLACK, (0, 0, 20, 15)) == 20 * 15
    for (x, y), colour in {(0, 0): RED, (39, 0): GREEN, (0, 29): BLUE, (39, 29): WHITE, (19, 14): RED,
                           (20, 15): WHITE}.items():
        assert screen[760 + x, 560 + y] == colour, (x, y)
    assert screen[759, 560] == BLACK and screen[800, 560] == BLACK and screen[760, 590] == BLACK

    # The metafile's box fills the rectangle; the tiles run along the bottom edge.
    assert screen[(W * 80 // 100 + W * 95 // 100) // 2, (H * 5 // 100 + H * 20 // 100) // 2] == (10, 160, 90)
    for x in range(0, W, 16):
        assert screen[x + 3, H - 4] == (255, 128, 0) and screen[x + 12, H - 8] == (0, 128, 255), x
    assert screen[100, H - 9] == BLACK

    # Two strings in the bottom mode: one under the other from 40,600, in the font's colour.
    rows = [y for y in range(590, 700) if any(screen[x, y] == YELLOW for x in range(30, 400))]
    assert rows and rows[0] >= 600 and rows[-1] - rows[0] > 30
    assert not any(screen[x, y] == YELLOW for y in range(590, 700) for x in range(0, 40))
    pc.click(window, "中止")
    finish(setup)


PAGE_LINES = (
    "page,install", "mode,area", "fill,0,0,96", "mode,rect", "rect,20,20,220,80", "fill,255,255,255",
    "mode,point", "rect,300,20,0,0", "bitmap,logo.bmp",
    "mode,bottom", "rect,20,120,0,0", "font,255,255,0,20,0,0,0,400,0,0,0,128,0,0,0,0,ＭＳ ゴシック", "|インストール",
    "button1,2,次へ", "button3,versionup,バージョンアップ",
    "page,2", "mode,area", "fill,96,0,0", "button1,install,戻る", "button2,uninstall,削除について",
    "page,versionup", "mode,left", "rect,0,0,%100,%100", "gradation,0,128,0,0,255,0,8", "button3,install",
    "page,uninstall", "mode,area", "fill,0,80,0", "button1,install,インストール",
)
PAGES = f"""
[Setup]
Name=Paint
[Root]
Name=%programs%\\Paint
[Readme]
File=ReadMe.Special
Done=2
No={len(PAGE_LINES)}
""" + lines(*PAGE_LINES)


def _readme(pc):
    return pc.find_window(cls=MAIN, title="Paint", timeout_ms=30000, shot=False)


def _buttons(pc, readme):
    """(caption or None when hidden) of the three page buttons, and whether the end button shows."""
    controls = {c.id: c for c in pc.controls(readme)}
    pages = tuple(controls[i].text if controls[i].visible else None for i in (IDC_PAGE1, IDC_PAGE2, IDC_PAGE3))
    return pages, controls[IDC_END_README].visible, controls[IDC_README_TEXT].visible


def _client_shot(pc, readme, name):
    """A screenshot of the readme window and a reader of its client area's pixels."""
    picture = Picture(pc.screenshot(readme, name))
    dx, dy = readme.client[0] - readme.rect[0], readme.client[1] - readme.rect[1]
    return lambda x, y: picture[dx + x, dy + y]


def _page_shows(pc, readme, name, x, y, colour):
    """Waits until the client area shows `colour` at x, y; returns its pixel reader."""
    def shown():
        pixel = _client_shot(pc, readme, name)
        return pixel(x, y) == colour and pixel

    return wait_for(shown, 10, f"{colour} at {x},{y} for {name}")


def test_readme_pages_are_painted_and_the_buttons_move_between_them(lan):
    pc = lan.pc
    dist = Distribution(pc, PAGES, {"logo.bmp": LOGO})
    setup = dist.start()
    readme = _readme(pc)
    pixel = _client_shot(pc, readme, "page-install.png")
    assert _buttons(pc, readme) == (("次へ", None, "バージョンアップ"), True, False)
    assert pixel(10, 10) == (0, 0, 96)
    assert pixel(20, 20) == WHITE and pixel(219, 79) == WHITE and pixel(220, 80) == (0, 0, 96)
    assert pixel(300, 20) == RED and pixel(339, 49) == WHITE
    width, height = readme.client[2] - readme.client[0], readme.client[3] - readme.client[1]

    pc.click(readme, "次へ")
    _page_shows(pc, readme, "page-2.png", 100, 50, (96, 0, 0))  # painted over the first page
    assert _buttons(pc, readme) == (("戻る", "削除について", None), True, False)

    pc.click(readme, "削除について")
    _page_shows(pc, readme, "page-uninstall.png", 100, 50, (0, 80, 0))
    assert _buttons(pc, readme) == (("インストール", None, None), True, False)

    pc.click(readme, "インストール")
    _page_shows(pc, readme, "page-install-again.png", 100, 50, WHITE)
    assert _buttons(pc, readme) == (("次へ", None, "バージョンアップ"), True, False)

    pc.click(readme, "バージョンアップ")
    pixel = _page_shows(pc, readme, "page-versionup.png", 2, 5, (0, 128, 0))
    # Eight bands from the left edge over the whole client area; the right button keeps its caption.
    for x in (0, width // 8 + 1, width // 2, width - 1):
        assert pixel(x, height // 2) == gradient_colour("left", (0, 0, width, height), (0, 128, 0), (0, 255, 0), 8,
                                                        x, height // 2), x
    assert _buttons(pc, readme) == ((None, None, "バージョンアップ"), True, False)

    pc.click(readme, "説明終了(&E)")
    pc.gone(readme)
    pc.click(main_window(pc, "Paint"), "中止")
    finish(setup)


def test_the_installed_state_opens_its_own_page(lan):
    pc = lan.pc
    dist = Distribution(pc, PAGES + "[CopiedFile]\nCount=1\n", {"logo.bmp": LOGO})
    setup = dist.start()
    readme = _readme(pc)
    _page_shows(pc, readme, "page-uninstall.png", 100, 50, (0, 80, 0))
    assert _buttons(pc, readme) == (("インストール", None, None), True, False)
    pc.click(readme, "説明終了(&E)")
    pc.gone(readme)
    pc.click(main_window(pc, "Paint"), "中止")
    finish(setup)


@pytest.mark.parametrize("agree", [False, True])
def test_an_agreement_on_painted_pages_pages_only_with_the_right_button(lan, agree):
    pc = lan.pc
    dist = Distribution(pc, PAGES + "[Go]\nAgree=1\n", {"logo.bmp": LOGO})
    setup = dist.start()
    readme = _readme(pc)
    _page_shows(pc, readme, "agreement-install.png", 20, 20, WHITE)
    assert _buttons(pc, readme) == (("(&A) 同意します", "(&C) 中止", "バージョンアップ"), False, False)
    pc.click(readme, "バージョンアップ")
    _page_shows(pc, readme, "agreement-versionup.png", 2, 5, (0, 128, 0))
    assert _buttons(pc, readme) == (("(&A) 同意します", "(&C) 中止", "バージョンアップ"), False, False)
    pc.click(readme, "(&A) 同意します" if agree else "(&C) 中止")
    pc.gone(readme)
    if agree:
        pc.click(main_window(pc, "Paint"), "中止")
    finish(setup)
    assert dist.ini().get("Readme", "Done") == "1"
