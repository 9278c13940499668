"""The main job: zep.exe under Wine and Xvfb on a PC of a test network (router 192.168.0.1,
PC 192.168.0.10, an FTP server at 192.168.0.2), shown as a user meets it: its first start, its
menus, the FTP settings for publishing the WAN address, then a whole connection reported by the
simulated router's syslog, with the IP page uploaded, and a screenshot of every step."""

import shutil
import sys
import time
from datetime import datetime
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests/e2e"))

from zepapp import Zep  # noqa: E402
from zeptest import (  # noqa: E402
    Display, Lan, RouterSim, menu_keys, paths, popup_menu, proc, tray_click, tray_screenshot)
from zeptest.ftp_server import FtpServer  # noqa: E402
from zeptest.wine import template_prefix  # noqa: E402

FTP_ADDRESS = "192.168.0.2"
TCM_SETCURFOCUS = 0x1330


def step(text):
    print(f"demo: {text}", flush=True)


def publish_by_ftp(pc, form, ftp):
    """On the IP address page: upload when connected, also outside the daily window, with the
    server, account and path entered in the FTP settings dialog that opens."""
    tab = next(c for c in pc.controls(form) if c.cls == "SysTabControl32")
    pc.send(tab, TCM_SETCURFOCUS, 3)
    step("the IP address page: tick the FTP upload; with no server set the FTP settings open")
    pc.click(form, "接続時にFTP自動転送する")
    dialog = pc.find_window(title="ZEP! FTP設定", timeout_ms=5000, shot=False)
    edits = [c for c in pc.controls(dialog) if c.cls == "Edit"]
    for edit, value in zip(edits, (ftp.address, ftp.user, ftp.password, "/public_html/myip.html")):
        pc.set_text(dialog, edit.id, value)
    pc.find_window(title="ZEP! FTP設定", shot="ftp-settings.png")
    pc.click(dialog, "OK")
    pc.gone(dialog)
    pc.click(form, "自動接続時間中のみ")
    pc.click(form, "切断時にも自動転送する")
    pc.find_window(cls="TZEPForm", shot="settings-ip-page.png")


def main():
    shots = paths.e2e_dir() / "demo"
    shutil.rmtree(shots, ignore_errors=True)
    display = Display(log_dir=paths.e2e_dir() / "logs").start()
    try:
        template, _ = template_prefix()
        with Lan(display, template, pcs=1, artifacts=shots) as lan:
            pc = lan.pc
            zep = Zep(pc)
            step(f"router at {lan.router.address}, PC at {pc.address}: starting zep.exe for the first time")
            running = zep.start()
            step("first start without a setup utility: the notice")
            zep.dismiss_first_show_info()
            zep.controller()
            step("then the settings window opens, so that the setup utility can be chosen")
            form = pc.find_window(cls="TZEPForm", timeout_ms=10000, shot="settings-window.png")
            ftp = FtpServer(lan.add_host("ftp", FTP_ADDRESS), lan.workdir / "ftp-root", login_dir="/home/zepuser")
            ftp.start()
            ftp.local_path("/home/zepuser/public_html").mkdir()
            publish_by_ftp(pc, form, ftp)
            tray_screenshot(pc, "tray.png")
            step("the tray icon's menus")
            tray_click(pc, button=1)
            popup_menu(pc, shot="tray-left-menu.png")
            menu_keys(pc, "Escape")
            time.sleep(0.5)
            tray_click(pc, button=3)
            popup_menu(pc, shot="tray-right-menu.png")
            menu_keys(pc, "Escape")
            time.sleep(0.5)
            step("a second start only wakes the running copy (its icon blinks)")
            zep.start().wait(30)

            for page in ("connect.htm", "discon.htm"):  # installed beside the program
                shutil.copy(REPO / "dist" / page, zep.folder)
            sim = RouterSim(lan)
            step("the router brings its line up: connect line, then the WAN address")
            sim.connect(line=1)
            time.sleep(0.3)
            tray_screenshot(pc, "tray-connected-data.png")
            sim.ip("198.51.100.7")
            sim.accepted()
            time.sleep(1.5)
            tray_screenshot(pc, "tray-connected.png")
            step(f"the IP page: {(zep.folder / 'myip.html').read_text(encoding='cp932').count('198.51.100.7')} "
                 "occurrences of the address in myip.html")
            time.sleep(2)
            step("the router takes the line down")
            sim.disconnect()
            time.sleep(0.3)
            tray_screenshot(pc, "tray-disconnected-data.png")
            time.sleep(1.5)
            tray_screenshot(pc, "tray-disconnected.png")
            month = f"{datetime.now():%Y%m}"
            for kind in ("syslog", "conlog"):
                log = zep.folder / f"{kind}_{month}.txt"
                shutil.copy(log, shots)
                step(f"{log.name}:\n    " + log.read_text(encoding="cp932").strip().replace("\r\n", "\n    "))
            shutil.copy(zep.folder / "myip.html", shots)
            uploaded = ftp.local_path("/home/zepuser/public_html/myip.html")
            step(f"the FTP server got {uploaded.stat().st_size} bytes at /home/zepuser/public_html/myip.html; "
                 "its transcript:\n    " + "\n    ".join(ftp.lines()))
            pc.find_window(cls="TZEPForm", shot="settings-ip-page-uploaded.png")
            step("zep.exe -quit: the running copy uploads discon.htm in place of the page (the page was "
                 "uploaded and 切断時にも自動転送する is ticked), disconnects, saves its settings and exits")
            zep.quit(running)
            replaced = uploaded.read_bytes() == (REPO / "dist/discon.htm").read_bytes()
            step(f"on the server, myip.html is now discon.htm: {replaced}")
            shutil.copy(zep.ini_path, shots)
    finally:
        display.stop()
    step(f"done. Screenshots, logs, the IP page and the settings file are in {shots}")


if __name__ == "__main__":
    proc.install_signal_handlers()
    main()
