"""The main job: zep.exe under Wine and Xvfb on a PC of a test network (router 192.168.0.1,
PC 192.168.0.10), shown as a user meets it: its first start, its menus, then a whole connection
reported by the simulated router's syslog, with a screenshot of every step."""

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
from zeptest.wine import template_prefix  # noqa: E402


def step(text):
    print(f"demo: {text}", flush=True)


def main():
    shots = paths.e2e_dir() / "demo"
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
            pc.find_window(cls="TZEPForm", timeout_ms=10000, shot="settings-window.png")
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

            shutil.copy(REPO / "dist/connect.htm", zep.folder)
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
            step("zep.exe -quit: the running copy disconnects, saves its settings and exits")
            zep.quit(running)
            shutil.copy(zep.ini_path, shots)
    finally:
        display.stop()
    step(f"done. Screenshots, logs, the IP page and the settings file are in {shots}")


if __name__ == "__main__":
    proc.install_signal_handlers()
    main()
