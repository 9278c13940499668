"""setup.exe at 100 %, 150 % and 200 % display scale (96, 144 and 192 dpi, LogPixels in the PC's
own prefix, on a screen as much larger as the scale): every window's texts fit their controls, and
a background and readme page written for 96 dpi are painted the same, only larger."""

import pytest

from setupapp import MAIN, Distribution, finish, main_window
from test_setup_painting import BLACK, BLUE, GREEN, LOGO, RED, WHITE, YELLOW, lines
from zeptest import Display, Lan, Picture, paths, wait_for
from zeptest import display as displays
from zeptest.dpi import misfits, parse_text_fit

DPIS = [96, 144, 192]


@pytest.fixture(params=DPIS, ids=lambda dpi: f"{dpi}dpi")
def dpi(request):
    return request.param


@pytest.fixture
def scaled_pc(_can_run, wine_template, artifacts, dpi):
    """A PC whose programs run at `dpi`, on a screen of 1024 x 768 scaled likewise (the session's
    display stays the default one for the other tests)."""
    default = displays._current
    screen = Display(f"{scaled(1024, dpi)}x{scaled(768, dpi)}x24", log_dir=paths.e2e_dir() / "logs").start()
    network = None
    try:
        network = Lan(screen, wine_template, pcs=1, artifacts=artifacts).start()
        # Wine takes the resolution from here when each program starts.
        network.pc.wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d",
                        str(dpi), "/f")
        yield network.pc
    finally:
        if network is not None:
            network.close()
        screen.stop()
        displays._current = default


def scaled(value, dpi):
    """A 96-dpi length at `dpi`, rounded as setup rounds (halves away from zero)."""
    return (value * dpi + 48) // 96


def assert_texts_fit(pc, window, dpi, expect=()):
    """Every static text, button, check box and group caption of the window fits its control, in
    the control's own font, and the window is laid out for `dpi`. `expect`: texts that must be
    among those checked. Returns the checked texts."""
    fits = parse_text_fit(pc.probe("text-fit", window.arg))
    bad = misfits(fits, dpi)
    assert not bad, f"{window.title}: {bad}"
    checked = [f.text for f in fits]
    missing = [t for t in expect if t not in checked]
    assert not missing, f"{window.title}: not checked: {missing}; checked: {checked}"
    return checked


def near(pixel, colour, tolerance=8):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


# Every option of the installer window shown.
INSTALLER = """
[Setup]
Name=Scale
[Root]
Name=%programs%\\Scale
[Check]
Menu=2
Desktop=1
Startup=1
Ext=1
Send=1
Copy=1
Del=1
[CopyFile]
Count=1
0=app.exe
"""

# Written for 96 dpi, in the corner that the installer's windows leave free.
BACKGROUND_LINES = (
    "mode,rect", "rect,10,10,60,40", "fill,200,30,40",
    "rect,10,45,90,60", "mode,left", "gradation,0,0,0,0,0,255,4",
    "mode,point", "rect,10,70,0,0", "bitmap,logo.bmp",
    # In the device context's own font, then in a font of the default size (height 0).
    "mode,rect", "rect,100,10,200,60", "fill,255,255,255", "mode,bottom", "rect,105,12,0,0", "|既定 Ab",
    "font,0,0,0,0", "|零 Ab",
    "mode,bottom", "rect,10,110,0,0", "font,255,255,0,24,0,0,0,700,0,0,0,128,0,0,0,0,ＭＳ ゴシック", "|背景",
)
PAGE_LINES = (
    "page,install", "mode,area", "fill,0,0,96", "mode,rect", "rect,20,20,120,60", "fill,255,255,255",
    "mode,point", "rect,150,20,0,0", "bitmap,logo.bmp",
    "button1,2,次へ", "button3,versionup,バージョンアップ",
    "page,2", "mode,area", "fill,96,0,0", "button1,install,戻る",
)
PAINTED = INSTALLER + f"""[Go2]
Make0=nothing.exe
[Back]
Do=1
{lines(*BACKGROUND_LINES)}[Readme]
File=ReadMe.Special
Done=2
No={len(PAGE_LINES)}
{lines(*PAGE_LINES)}"""

AGREEMENT = INSTALLER + """[Go]
Agree=1
[Readme]
File=license.txt
Done=2
"""


def check_background(screen, dpi):
    s = lambda v: scaled(v, dpi)  # noqa: E731
    # The filled rectangle: exactly the scaled one.
    assert screen.count((200, 30, 40), (s(10), s(10), s(60), s(40))) == (s(60) - s(10)) * (s(40) - s(10))
    assert screen[s(60), s(20)] == BLACK and screen[s(20), s(40)] == BLACK
    # Four gradient bands over the scaled rectangle.
    left, right, middle = s(10), s(90), (s(45) + s(60)) // 2
    for k, blue in enumerate((0, 63, 127, 191)):
        x = left + (right - left) * k // 4 + (right - left) // 8
        assert screen[x, middle] == (0, 0, blue), (k, x)
    # The logo stretched smoothly to the scaled size: each quadrant's middle keeps its colour.
    x0, y0, w, h = s(10), s(70), s(40), s(30)
    for (qx, qy), colour in {(0, 0): RED, (1, 0): GREEN, (0, 1): BLUE, (1, 1): WHITE}.items():
        point = (x0 + w // 4 + qx * w // 2, y0 + h // 4 + qy * h // 2)
        assert near(screen[point], colour), (point, screen[point], colour)
    assert screen[x0 + w, y0 + h // 4] == BLACK and screen[x0 + w // 4, y0 + h] == BLACK
    # The string in a font of the scaled height, drawn at that size (not a small text stretched).
    rows = [y for y in range(s(105), s(150)) if any(screen[x, y] == YELLOW for x in range(s(10), s(80)))]
    assert rows and rows[0] >= s(110), rows
    assert s(24) * 0.6 <= rows[-1] - rows[0] + 1 <= s(24), rows
    # The two strings without a font height of their own grow too: at 96 dpi their ink spans 31 rows.
    rows = [y for y in range(s(10), s(60)) if any(screen[x, y] == BLACK for x in range(s(101), s(199)))]
    assert rows and abs(rows[-1] - rows[0] + 1 - s(31)) <= s(31) * 0.15, rows


def test_painted_pages_background_and_windows_at_the_display_scale(scaled_pc, dpi):
    pc = scaled_pc
    dist = Distribution(pc, PAINTED, {"app.exe": b"x", "logo.bmp": LOGO})
    setup = dist.start()
    s = lambda v: scaled(v, dpi)  # noqa: E731

    readme = pc.find_window(cls=MAIN, title="Scale", timeout_ms=30000, shot="readme-pages.png")
    assert_texts_fit(pc, readme, dpi, expect=("次へ", "バージョンアップ", "説明終了(&E)"))
    picture = Picture(pc.screenshot(readme, "readme-page.png"))
    dx, dy = readme.client[0] - readme.rect[0], readme.client[1] - readme.rect[1]
    page = lambda x, y: picture[dx + x, dy + y]  # noqa: E731
    assert page(s(20), s(20)) == WHITE and page(s(120) - 1, s(60) - 1) == WHITE
    assert page(s(120), s(60)) == (0, 0, 96) and page(s(19), s(40)) == (0, 0, 96)
    assert near(page(s(150) + s(10), s(20) + s(7)), RED) and near(page(s(150) + s(30), s(20) + s(22)), WHITE)
    pc.click(readme, "次へ")
    wait_for(lambda: Picture(pc.screenshot(readme, "readme-page-2.png"))[dx + s(60), dy + s(40)] == (96, 0, 0), 10,
             "page 2")
    assert_texts_fit(pc, readme, dpi, expect=("戻る", "説明終了(&E)"))
    pc.click(readme, "説明終了(&E)")
    pc.gone(readme)

    window = main_window(pc, "Scale", timeout_ms=30000, shot="main.png")
    assert_texts_fit(pc, window, dpi, expect=(
        "(&F)インストール先", "(&M)メニューに登録", "(&C)ショートカットを作成", "(&S)スタートアップに登録",
        "(&E)関連付けを行う", "(&T)「送る」に登録する", "(&P)コピー", "(&D)終了後に削除", "実行", "中止", "説明を読む"))
    check_background(Picture(pc.screenshot(None, "screen.png")), dpi)

    pc.click(window, "実行")
    box = pc.find_window(cls=MAIN, title="nothing.exe", timeout_ms=30000, shot="box.png")
    assert_texts_fit(pc, box, dpi, expect=("実行を失敗しました", "OK"))
    pc.click(box, "OK")
    finish(setup)


# The captions of each language: Japanese where the code page is 932, else English; a license in
# the same language.
LANGUAGES = {
    "ja": ({}, ("(&A) 同意します", "(&C) 中止"), ("(&F)インストール先", "実行", "中止"),
           "使用許諾契約書\r\n\r\n第一条 " + "本ソフトウェア" * 20),
    "en": ({"LANG": "C.UTF-8"}, ("I &agree.", "&Cancel"), ("&Folder to install...", "OK", "Cancel"),
           "License agreement\r\n\r\nArticle 1 " + "This software " * 20),
}


@pytest.mark.parametrize("language", LANGUAGES)
def test_the_agreement_and_the_installer_in_each_language_at_the_display_scale(scaled_pc, dpi, language):
    pc = scaled_pc
    env, agreement, main, license_text = LANGUAGES[language]
    dist = Distribution(pc, AGREEMENT, {"app.exe": b"x", "license.txt": license_text})
    setup = dist.start(env=env)
    readme = pc.find_window(cls=MAIN, title="Scale", timeout_ms=30000, shot="agreement.png")
    assert_texts_fit(pc, readme, dpi, expect=agreement)
    pc.click(readme, agreement[0])
    pc.gone(readme)
    window = main_window(pc, "Scale", timeout_ms=30000, shot="main.png")
    # Every option shown: the label, 7 check boxes, the group, 2 "..." buttons, run and cancel.
    assert len(assert_texts_fit(pc, window, dpi, expect=main)) == 13
    pc.click(window, main[-1])
    finish(setup)
