"""End-to-end harness: Wine programs on a private X display, in a LAN of network namespaces.

    display = Display().start()                     # Xvfb
    template, _ = template_prefix()                 # cached Japanese Wine prefix
    with Lan(display, template, pcs=1, artifacts=dir) as lan:
        app = lan.pc.run(paths.zep_exe())
        w = lan.pc.find_window(title="ZEP! の設定")   # screenshot saved to dir
        lan.pc.click(w, "OK")

The pytest fixtures (display, wine_template, lan, artifacts) are in tests/e2e/conftest.py.
"""

from . import paths
from .display import Display
from .net import ROUTER_ADDRESS, Host, Lan, WinHost, namespaces
from .probe import Control, Item, MenuItem, ProbeError, Window, unescape, window_arg
from .proc import Process
from .router import RouterSim
from .screen import Picture, menu_keys, popup_menu, screenshot, tray_click, tray_screenshot, tray_window, xdotool
from .waiting import wait_for
from .wine import template_prefix, wine_env

__all__ = [
    "paths", "Display", "Lan", "Host", "WinHost", "ROUTER_ADDRESS", "namespaces",
    "Window", "Control", "Item", "MenuItem", "ProbeError", "unescape", "window_arg", "Process",
    "Picture", "screenshot", "xdotool", "tray_window", "tray_click", "tray_screenshot", "popup_menu", "menu_keys",
    "template_prefix", "wine_env",
]
__all__ += ["RouterSim", "wait_for"]
