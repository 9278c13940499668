"""What a host on the LAN can forge: an IP line in the router's name and a peer's answer carry no
address, so the IP page, the clipboard and the FTP server stay as they were; the syslog file still
keeps the line, one datagram to one line whatever it holds."""

import time
from datetime import datetime

from test_ftp_upload import serve_ftp, start_zep
from zeptest import RouterSim, menu_keys, popup_menu, tray_click, wait_for
from zeptest.router import lines as router_lines

FORGED_IP_LINE = "<30>PPP s01 IPCP up: my ip = evil.example , peer ip=203.0.113.1"
PEER_PORT = 4448


def syslog_lines(zep):
    path = zep.folder / f"syslog_{datetime.now():%Y%m}.txt"
    return path.read_bytes().split(b"\r\n")[:-1] if path.exists() else []


def logged(zep, text):
    return any(line.endswith(b"," + text) for line in syslog_lines(zep))


def clipboard(pc):
    return pc.probe("clipboard").strip()


def copy_address_from_tray(pc, shot):
    """The tray's "IPアドレスをコピー" (the third item from the bottom), disabled or not."""
    tray_click(pc, button=3)
    popup_menu(pc, shot=shot)
    menu_keys(pc, "Up", "Up", "Up", "Return")
    time.sleep(0.5)
    if [w for w in pc.windows() if w.cls == "#32768" and w.visible]:
        menu_keys(pc, "Escape")  # a disabled item leaves the menu open
    pc.gone(cls="#32768", timeout_ms=30000)


def test_forged_ip_lines_and_peer_answers_leave_page_clipboard_and_server_untouched(lan):
    ftp = serve_ftp(lan)
    zep, _, running = start_zep(lan, "FTPAutoConnect=1\nFTPAutoConnectOnly=0\n")
    page = zep.folder / "myip.html"
    lan.pc.probe("clipboard", "before")
    sim = RouterSim(lan)
    sim.connect()

    sim.raw(FORGED_IP_LINE)
    lan.router.send_udp(lan.pc.address, PEER_PORT, b"Answer,evil.example:5000@4000")
    wait_for(lambda: logged(zep, FORGED_IP_LINE.encode()), what="the forged line in the syslog file")
    time.sleep(2)  # the peer answer and an upload would have come by now
    assert not page.exists()
    assert ftp.lines() == []
    copy_address_from_tray(lan.pc, "tray-menu-no-address.png")
    assert clipboard(lan.pc) == "CLIPBOARD [before]"

    # The router's own line is taken, and a forged one after it changes nothing.
    sim.ip("198.51.100.7")
    stored = wait_for(lambda: [s for s in ftp.stores() if s.complete], 30, "the page on the server")
    published = page.read_bytes()
    assert b"198.51.100.7" in published and b"evil" not in published
    sim.raw(FORGED_IP_LINE)
    lan.router.send_udp(lan.pc.address, PEER_PORT, b"Answer,10.6.6.6:5000@4000")
    wait_for(lambda: sum(logged_line.endswith(FORGED_IP_LINE.encode()) for logged_line in syslog_lines(zep)) == 2,
             what="the second forged line in the syslog file")
    time.sleep(2)
    assert page.read_bytes() == published
    assert len(ftp.stores()) == len(stored)
    copy_address_from_tray(lan.pc, None)
    assert clipboard(lan.pc) == "CLIPBOARD [198.51.100.7]"

    sim.disconnect()
    zep.quit(running)


def test_a_datagram_with_line_ends_is_one_line_of_the_syslog_file(lan):
    zep, _, running = start_zep(lan)
    sim = RouterSim(lan)
    sim.raw(b"<30>PPP s01 connect <-- dial\r\nFORGED line\x00end")
    sim.chatter()
    wait_for(lambda: len(syslog_lines(zep)) == 5, what="five lines in the syslog file")
    lines = syslog_lines(zep)
    assert lines[0].endswith(b",<30>PPP s01 connect <-- dial\\r\\nFORGED line\\0end")
    # Ordinary lines are the datagrams byte for byte.
    assert [line.split(b",", 1)[1] for line in lines[1:]] == [text.encode("cp932") for text in router_lines.chatter_lines()]
    sim.disconnect()
    zep.quit(running)
