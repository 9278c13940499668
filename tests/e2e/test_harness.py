"""The harness itself: probe, screenshots, tray, the namespace LAN and its teardown."""

import os
import subprocess

import pytest

from zeptest import Lan, ProbeError, menu_keys, namespaces, paths, popup_menu, tray_click, tray_screenshot
from zeptest.dpi import misfits, parse_text_fit

USER32 = r"C:\windows\system32\user32.dll"
CAP_SYS_TIME = 1 << 25


def probe_exe():
    return paths.require_exe(paths.probe_exe(), "probe")


def image_stats(path):
    """(width, height, distinct colours) of a PNG."""
    r = subprocess.run(
        ["identify", "-format", "%w %h %k", str(path)], capture_output=True, text=True, check=True, timeout=30
    )
    return tuple(int(v) for v in r.stdout.split())


def capabilities(pid):
    status = open(f"/proc/{pid}/status").read()
    return {k: int(v, 16) for k, v in (l.split(":\t") for l in status.splitlines() if l.startswith("Cap"))}


def test_icons_window_is_found_and_photographed_in_japanese(lan, artifacts):
    pc = lan.pc
    assert "acp=932 oemcp=932 locale=ja-JP" in pc.probe("info")

    shown = pc.run(probe_exe(), ["show-icons", USER32, "32512", "#32515", "--ms", "15000", "--title", "アイコン確認"])
    w = pc.find_window(title="アイコン確認", shot="icons.png")
    assert (w.cls, w.visible) == ("ProbeIcons", True)
    assert w.x11 != 0
    assert pc.find_window(w, shot=False).hwnd == w.hwnd  # hwnd=0x... names the same window

    width, height, colours = image_stats(artifacts / "icons.png")
    assert (width, height) == w.size
    assert colours > 20, "the icons and the Japanese heading should be drawn, not a blank window"

    with pytest.raises(ProbeError, match="no icon"):
        pc.probe("show-icons", USER32, "no-such-icon", "--ms", "10")
    pc.post(w, "WM_CLOSE")
    pc.gone(w, timeout_ms=30000)
    assert shown.wait(10) == 0


def test_probe_reads_and_drives_controls_menu_and_tray(lan):
    pc = lan.pc
    demo = pc.run(probe_exe(), ["demo", "--tray", "--ms", "60000"])
    w = pc.find_window(cls="ProbeDemo", title="probe demo")

    by_id = {c.id: c for c in pc.controls(w)}
    assert [(t.text, t.selected) for t in by_id[105].items] == [("一般", False), ("FTP の設定", True)]
    assert by_id[102].text == "自動接続する" and by_id[102].checked == 1
    assert by_id[103].enabled is False
    assert [(i.text, i.selected) for i in by_id[104].items] == [("一行目", False), ("second line", True)]
    assert (by_id[106].text, by_id[106].cur) == ("毎日", 0)

    # Text against room: the demo's font cannot be read from another process and comes from no
    # dialog template, so it is named; of the texts shown only the narrow button's is cut.
    with pytest.raises(ProbeError, match="font of the window's controls is unknown") as unknown:
        pc.probe("text-fit", w.arg)
    assert unknown.value.returncode == 4
    fits = parse_text_fit(pc.probe("text-fit", w.arg, "ＭＳ Ｐゴシック", "-12"))
    assert {f.kind for f in fits} == {"push", "check"} and {f.font for f in fits} == {"-12/given"}, fits
    assert [line.split(" ")[:2] for line in misfits(fits, 96)] == [["push", "109"]], misfits(fits, 96)
    with pytest.raises(ProbeError, match=r"text-fit WINDOW \[FACE HEIGHT\]") as usage:
        pc.probe("text-fit", w.arg, "ＭＳ Ｐゴシック")
    assert usage.value.returncode == 2
    with pytest.raises(ProbeError, match="no control with id 999") as missing:
        pc.probe("settext", w.arg, "999", "x")
    assert missing.value.returncode == 3

    pc.set_text(w, 108, "設定済み")
    assert {c.id: c for c in pc.controls(w)}[108].text == "設定済み"
    with pytest.raises(ProbeError, match="disabled"):
        pc.click(w, "無効")

    pc.click(w, "メニュー")  # caption without its "(&M)"
    popup_menu(pc)
    with pytest.raises(ProbeError, match="inside the owning process"):
        pc.menu()
    menu_keys(pc, "Down", "Return")
    demo.wait_for_output(r"MENU 201")

    # the tray icon and its menu belong to a hidden window, as in a tray program
    tray_screenshot(pc)
    tray_click(pc, button=3)
    demo.wait_for_output(r"TRAY right")
    popup_menu(pc, shot="tray-menu.png")
    menu_keys(pc, "Escape")
    demo.wait_for_output(r"MENU 0")
    tray_click(pc, button=3)
    popup_menu(pc)
    menu_keys(pc, "x")  # 終了(&X)
    demo.wait_for_output(r"MENU 203")

    pc.click(w, "OK")  # "&OK"
    pc.gone(w, timeout_ms=30000)
    assert demo.wait(10) == 0


def test_datagram_from_router_reaches_pc_under_clock_guard(lan):
    pc = lan.pc
    receiver = pc.run(probe_exe(), ["udp-recv", "514", "15000"])
    receiver.wait_for_output(r"LISTENING 514")
    for pid in (receiver.pid, pc.server.pid):
        caps = capabilities(pid)
        assert not caps["CapBnd"] & CAP_SYS_TIME and not caps["CapEff"] & CAP_SYS_TIME

    lan.router.send_udp(pc.address, 514, b"<30>PPP connect <-- test")
    assert receiver.wait(20) == 0
    assert receiver.output().splitlines()[-1].startswith("FROM 192.168.0.1:")
    assert receiver.output().splitlines()[-1].endswith(" [<30>PPP connect <-- test]")


def test_each_pc_has_its_own_wineserver_and_nothing_is_left(display, wine_template, artifacts):
    network = Lan(display, wine_template, pcs=2, artifacts=artifacts).start()
    try:
        made = [n for n in namespaces() if n.startswith(network.prefix + "-")]
        assert len(made) == 4  # bridge, router, two PCs
        for pc in network.pcs:
            in_ns = pc.exec("readlink", "/proc/self/ns/net").stdout.strip()
            assert os.readlink(f"/proc/{pc.server.pid}/ns/net") == in_ns
        servers = [pc.server.pid for pc in network.pcs]
        assert len(set(servers)) == 2
    finally:
        network.close()
    assert not [n for n in namespaces() if n.startswith(network.prefix)]
    assert not [pid for pid in servers if os.path.exists(f"/proc/{pid}")]
    assert not network.workdir.exists()
