"""The main job: zep.exe under Wine and Xvfb on a PC of a test network (router 192.168.0.1,
PC 192.168.0.10), shown as a user meets it, with a screenshot of every step."""

import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests/e2e"))

from zepapp import Zep  # noqa: E402
from zeptest import Display, Lan, menu_keys, paths, popup_menu, proc, tray_click, tray_screenshot  # noqa: E402
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
            step("zep.exe -quit: the running copy disconnects, saves its settings and exits")
            zep.quit(running)
            (shots / "zep.ini").write_bytes(zep.ini_path.read_bytes())
    finally:
        display.stop()
    step(f"done. Screenshots and the settings file written at exit are in {shots}")


if __name__ == "__main__":
    proc.install_signal_handlers()
    main()
