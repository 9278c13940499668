"""zep at 100 %, 150 % and 200 % display scale: every window of it, opened in a Wine whose
resolution is set in the test's own prefix, shows every text whole, at every resolution."""

import time
from datetime import datetime

import pytest

from zepapp import Zep
from zeptest import Lan, ProbeError, RouterSim, tray_screenshot
from zeptest.dpi import misfits, parse_text_fit, template_at_dpi

FORM = "TZEPForm"
# zep's interface font at 96 dpi: the probe measures in it where it cannot read a control's font.
FONT = ("MS UI Gothic", "-12")
PAGES = ["基本設定", "自動起動", "自動接続", "IPアドレス", "接続ログ", "その他"]
TCM_SETCURFOCUS = 0x1330
WM_COMMAND = 0x111
ABOUT_BUTTON = 113


def size(window):
    return window.client[2] - window.client[0], window.client[3] - window.client[1]


class Checked:
    """Each window looked at: its screenshot, and the texts that do not fit."""

    def __init__(self, pc, dpi, artifacts):
        self.pc, self.dpi, self.artifacts, self.clipped, self.sizes = pc, dpi, artifacts, {}, {}

    def look(self, name, window):
        window = self.pc.find_window(window, timeout_ms=30000, shot=f"{self.dpi}dpi-{name}.png")
        measured = self.pc.probe("text-fit", window.arg, *FONT)
        (self.artifacts / f"{self.dpi}dpi-{name}-text-fit.txt").write_text(measured, encoding="utf-8")
        fits = parse_text_fit(measured)
        self.sizes[name] = size(window)
        bad = misfits(fits, self.dpi)
        if bad:
            self.clipped[name] = bad
        return window


@pytest.mark.parametrize("dpi", [96, 144, 192])
def test_every_window_shows_its_texts_whole(display, wine_template, artifacts, dpi):
    with Lan(display, template_at_dpi(wine_template, dpi), artifacts=artifacts) as lan:
        pc = lan.pc
        zep = Zep(pc)
        # The countdown comes 20 s into a connection, away from the daily schedule.
        later = (datetime.now().hour + 2) % 24
        zep.write_ini(f"[ZEP]\nAutoTimeDisconnect=1\nAutoTimeDisconnectSecond=20\n"
                      f"AutoConnectHour={later}\nAutoDisconnectHour={(later + 1) % 24}\n")
        running = zep.start()
        zep.dismiss_first_show_info()
        seen = Checked(pc, dpi, artifacts)
        form = pc.find_window(cls=FORM, timeout_ms=30000, shot=False)
        tab = next(c for c in pc.controls(form) if c.cls == "SysTabControl32")
        for i, page in enumerate(PAGES):
            pc.send(tab, TCM_SETCURFOCUS, i)
            seen.look(f"settings-{i + 1}-{page}", form)

        pc.send(tab, TCM_SETCURFOCUS, 1)
        pc.click(form, "追加")
        editor = seen.look("autorun-editor", pc.find_window(title="ZEP! 自動起動設定", timeout_ms=30000, shot=False))
        pc.click(editor, "Cancel")
        pc.gone(editor)

        pc.send(tab, TCM_SETCURFOCUS, 3)
        pc.click(form, "FTP設定")
        ftp = seen.look("ftp-settings", pc.find_window(title="ZEP! FTP設定", timeout_ms=30000, shot=False))
        pc.click(ftp, "Cancel")
        pc.gone(ftp)

        pc.post(form, WM_COMMAND, ABOUT_BUTTON, 0)
        about = seen.look("about-box", pc.find_window(title="バージョン情報", timeout_ms=30000, shot=False))
        pc.click(about, "OK")
        pc.gone(about)

        # Connected by the user's own command (which arms the countdown; with no setup utility
        # there is nothing to start, which zep may say), then by the router's lines.
        pc.click(form, "接続")
        try:
            box = pc.find_window(cls="#32770", title="エラー", timeout_ms=3000, shot=False)
            pc.click(box, "OK")
        except ProbeError:
            pass
        sim = RouterSim(lan)
        sim.connect()
        sim.ip("198.51.100.7")
        panel = seen.look("time-panel", pc.find_window(cls="TZEPTimeForm", timeout_ms=30000, shot=False))
        tray_screenshot(pc, f"{dpi}dpi-tray.png")
        countdown = pc.find_window(cls="TCountdownForm", timeout_ms=60000, shot=False)
        time.sleep(1)  # the gauge has moved on
        seen.look("countdown", countdown)
        pc.click(countdown, "キャンセル")
        pc.gone(countdown, timeout_ms=30000)
        sim.disconnect()
        zep.quit(running)

        assert not seen.clipped, seen.clipped
        # Laid out for 96 dpi and scaled: the fixed client areas grow with the resolution.
        scaled = lambda w, h: ((w * dpi + 48) // 96, (h * dpi + 48) // 96)  # noqa: E731
        assert seen.sizes["about-box"] == scaled(297, 272)
        assert seen.sizes["countdown"] == scaled(312, 112)
        assert seen.sizes["settings-1-基本設定"] == scaled(280, 231)
        # The panel is as high as its font (9 points: 12 pixels at 96 dpi) and a little margin.
        assert scaled(0, 12)[1] <= seen.sizes["time-panel"][1] <= scaled(0, 18)[1], seen.sizes["time-panel"]
