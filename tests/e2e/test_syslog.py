"""The router's syslog drives zep.exe: state, logs, the IP page, the quit flow, a busy port."""

import re
import shutil
import time
from datetime import datetime

import pytest

from zepapp import Zep, install_tool
from zeptest import RouterSim, menu_keys, paths, popup_menu, tray_click, tray_screenshot, wait_for

DIST = paths.REPO / "dist"
C_TIME = r"\d{4}/\d{1,2}/\d{1,2} \d{1,2}:\d{2}:\d{2}"  # the system's short date and long time


@pytest.fixture
def zep(lan):
    z = Zep(lan.pc)
    shutil.copy(DIST / "connect.htm", z.folder)
    # The setup utility's stand-in: no first-start notice, and the disconnect request of a quit
    # starts nothing that stays.
    tool, _ = install_tool(lan.pc)
    z.write_ini(f"[ZEP]\nSetupUtility={tool}\n")
    return z


def month_file(zep, kind):
    return zep.folder / f"{kind}_{datetime.now():%Y%m}.txt"


def test_a_connection_cycle_writes_page_logs_and_start_time(zep, lan):
    running = zep.start()
    zep.controller()
    sim = RouterSim(lan)
    sim.chatter()
    tray_screenshot(lan.pc, "tray-data-while-down.png")
    sim.connect(line=1)
    wait_for(lambda: b"BeforeConTime=" in zep.ini_path.read_bytes(), what="BeforeConTime")
    tray_screenshot(lan.pc, "tray-connected.png")
    sim.ip("198.51.100.7")
    page = zep.folder / "myip.html"
    # The page is created, then written: wait for its content, not only for the file.
    wait_for(lambda: page.exists() and b"</html>" in page.read_bytes().lower(), what="the IP page")
    html = page.read_bytes()
    assert html.count(b"198.51.100.7") == 3 and b"<!--ip-->" not in html
    assert html == (DIST / "connect.htm").read_bytes().replace(b"<!--ip-->", b"198.51.100.7")
    sim.accepted()
    time.sleep(1.5)
    sim.disconnect()
    wait_for(lambda: month_file(zep, "conlog").exists(), what="the connection log")
    wait_for(lambda: b"BeforeConTime=" not in zep.ini_path.read_bytes(), what="BeforeConTime deleted")
    time.sleep(1.2)  # the next timer tick clears the Data picture
    tray_screenshot(lan.pc, "tray-disconnected.png")

    conlog = month_file(zep, "conlog").read_bytes().decode("cp932")
    assert re.fullmatch(rf"S01,{C_TIME},{C_TIME},00:00:0\d\r\n", conlog), conlog
    syslog = month_file(zep, "syslog").read_bytes().decode("cp932").split("\r\n")
    datagrams = [line.split(",", 1)[1] for line in syslog if line]
    assert len(datagrams) >= 8  # chatter, connect, ip, accepted, line down, disconnect
    assert "<30>PPP s01 IPCP up: my ip=198.51.100.7, peer ip=203.0.113.1" in datagrams
    assert all(re.match(C_TIME + ",", line) for line in syslog if line)
    zep.quit(running)


def test_a_line_sent_while_zep_starts_is_taken_once_the_settings_are_read(zep, lan):
    running = zep.start()
    zep.controller(settle=0)  # the window is there; its settings may not be read yet
    sim = RouterSim(lan)
    sim.connect()
    wait_for(lambda: b"BeforeConTime=" in zep.ini_path.read_bytes(), what="the connection taken")
    assert month_file(zep, "syslog").exists()
    sim.disconnect()
    wait_for(lambda: b"BeforeConTime=" not in zep.ini_path.read_bytes(), what="the line down")
    zep.quit(running)


def test_datagrams_from_other_hosts_are_ignored(zep, lan):
    stranger = lan.add_host("stranger", "192.168.0.2")
    running = zep.start()
    zep.controller()
    stranger.send_udp(lan.pc.address, 514, b"<30>PPP s01 connect <-- dial request (ISP1)")
    time.sleep(1.5)
    assert not month_file(zep, "syslog").exists()
    assert b"BeforeConTime" not in zep.ini_path.read_bytes()
    zep.quit(running)


def test_quit_while_connected_waits_for_the_disconnection(zep, lan):
    running = zep.start()
    zep.controller()
    sim = RouterSim(lan)
    sim.connect()
    wait_for(lambda: b"BeforeConTime=" in zep.ini_path.read_bytes(), what="the connection")
    quitting = zep.start("-quit")
    time.sleep(3)
    assert running.poll() is None, "the running copy waits for the router's report"
    assert quitting.poll() is None, "the quitting copy waits for the running copy"
    sim.disconnect()
    assert running.wait(20) == 0
    assert quitting.wait(20) == 0


def test_log_views_say_why_when_there_is_no_log(zep, lan):
    running = zep.start()
    zep.controller()
    tray_click(lan.pc, button=1)
    popup_menu(lan.pc, shot="tray-left-menu.png")
    menu_keys(lan.pc, "Up", "Return")  # the last item: syslog閲覧
    box = lan.pc.find_window(cls="#32770", title="情報", timeout_ms=30000, shot="no-syslog.png")
    text = "".join(c.text for c in lan.pc.controls(box) if c.cls == "Static" and c.text)
    assert text == "今月のsyslogはまだありません\r\n設定の「syslogを残す」にチェックを入れてください"
    lan.pc.click(box, "OK")
    zep.quit(running)


def test_busy_syslog_port_is_reported_once_and_zep_keeps_running(zep, lan):
    holder = lan.pc.run(paths.probe_exe(), ["udp-recv", "514", "60000", "1"])
    holder.wait_for_output(r"LISTENING 514")
    running = zep.start()
    box = lan.pc.find_window(cls="#32770", title="エラー", timeout_ms=30000, shot="port-busy.png")
    text = "".join(c.text for c in lan.pc.controls(box) if c.cls == "Static" and c.text)
    assert "514" in text and "syslog" in text
    lan.pc.click(box, "OK")
    zep.controller()
    zep.quit(running)
    holder.kill()


def test_quit_during_the_handling_of_the_disconnect_report(zep, lan):
    # The disconnect report closes the setup utility's dialogs with waits of its own; a quit
    # request that arrives meanwhile must still end the program once the report is handled.
    running = zep.start()
    zep.controller()
    sim = RouterSim(lan)
    sim.connect()
    wait_for(lambda: b"BeforeConTime=" in zep.ini_path.read_bytes(), what="the connection")
    sim.disconnect()
    quitting = zep.start("-quit")
    assert running.wait(25) == 0
    assert quitting.wait(25) == 0
    assert b"BeforeConTime=" not in zep.ini_path.read_bytes()


SND_ASYNC, SND_NODEFAULT = 0x1, 0x2


def test_a_missing_connect_sound_gives_the_systems_default_sound(zep, lan):
    # The sounds play with SND_ASYNC alone: a missing file gives the system's default sound
    # instead of silence. Without a sound device here, Wine's trace shows what was asked.
    tool, _ = install_tool(lan.pc)
    zep.write_ini(f"[ZEP]\nSetupUtility={tool}\nWaveConnect=1\nWaveConnectFile=C:\\nosuch.wav\nHTMLAutoCreate=0\n")
    running = zep.start(env={"WINEDEBUG": "-all,trace+winmm"})
    zep.controller()
    RouterSim(lan).ip("203.0.113.9")
    played = wait_for(lambda: re.search(r"MULTIMEDIA_PlaySound .* fdwSound=([0-9A-Fa-f]{8})", running.error_output()),
                      what="the connect sound")
    flags = int(played[1], 16)
    assert flags & SND_ASYNC and not flags & SND_NODEFAULT, f"fdwSound={played[1]}"
    zep.quit(running)


SETUP_DIALOG_TITLES = ("NWGSet - 接続", "NetGenesis セットアップ", "ＮｅｔＧｅｎｅｓｉｓ セットアップ")


def open_setup_dialogs(pc):
    """Windows titled like the setup utility's three dialogs; each prints CLOSED when closed."""
    dialogs = [pc.run(paths.probe_exe(), ["window", title, "--ms", "300000"]) for title in SETUP_DIALOG_TITLES]
    for d in dialogs:
        d.wait_for_output(r"(?m)^hwnd=", timeout=20)
    return dialogs


def test_a_flood_of_accepted_lines_leaves_zep_alive_and_the_dialogs_closed(zep, lan):
    # Every "connect successfully" line closes the setup utility's dialogs after waits that handle
    # messages; the lines that arrive meanwhile must not start waits of their own inside them.
    # 5,000 lines, each sent as soon as zep has taken the one before from its socket.
    running = zep.start()
    controller = zep.controller()
    dialogs = open_setup_dialogs(lan.pc)
    seconds = RouterSim(lan).flood(5000, text="<30>PPP s01 connect successfully #{n}", paced_by=lan.pc)
    syslog = month_file(zep, "syslog")
    wait_for(lambda: running.poll() is not None or syslog.read_bytes().count(b"\r\n") == 5000, timeout=120,
             what="5,000 lines in the syslog file")
    assert running.poll() is None, f"zep ended ({running.returncode}) under 5,000 lines in {seconds:.1f} s"
    assert lan.pc.send(controller, 0) == 0  # WM_NULL: the window answers
    for d in dialogs:
        d.wait_for_output(r"(?m)^CLOSED$", timeout=30)
    # Closing still works after the flood.
    again = open_setup_dialogs(lan.pc)
    RouterSim(lan).accepted()
    for d in again:
        d.wait_for_output(r"(?m)^CLOSED$", timeout=30)
    zep.quit(running)
