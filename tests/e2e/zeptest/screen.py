"""Screenshots, mouse and keys on the test display; the tray of a Wine host.

With no window manager Wine shows tray icons in a top-level window "Wine System Tray" of the
prefix's explorer.exe, one 20-pixel cell per icon from the left of its client area (160x20; the
template's Managed=N gives the window a caption drawn by Wine above it).
"""

import subprocess
import time
from pathlib import Path

from . import display as display_mod
from . import proc

TRAY_TITLE = "Wine System Tray"
TRAY_CELL = 20


def _env(display):
    import os

    return {**os.environ, "DISPLAY": display or display_mod.current()}


def screenshot(x11, path, display=None, raise_window=False):
    """Saves a PNG of the X window `x11` (None: the root window) with ImageMagick's import.

    import copies the screen: with raise_window the window is put on top first, so that windows
    of other hosts (all on one display) do not cover it."""
    path = Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    target = "root" if x11 is None else f"0x{x11:x}" if isinstance(x11, int) else str(x11)
    env = _env(display)
    if target != "root":
        # import falls back to "click the window you want" (waits forever) when the id is
        # unknown: make sure the window is there and mapped first.
        end = time.monotonic() + 3
        while True:
            info = proc.run(["xwininfo", "-id", target], env=env, check=False, timeout=10)
            if info.returncode == 0 and "IsViewable" in info.stdout:
                break
            if time.monotonic() > end:
                tree = proc.run(["xwininfo", "-root", "-children"], env=env, check=False, timeout=10).stdout
                raise RuntimeError(
                    f"no mapped X window {target} on {env['DISPLAY']} to photograph: {info.stderr.strip()}\n{tree}"
                )
            time.sleep(0.1)
    if raise_window and target != "root":
        proc.run(["xdotool", "windowraise", target], env=env, check=False, timeout=10)
        time.sleep(0.05)
    try:
        r = proc.run(["import", "-window", target, str(path)], env=env, check=False, timeout=15)
    except subprocess.TimeoutExpired:
        raise RuntimeError(f"screenshot of {target} on {env['DISPLAY']} hung")
    if r.returncode != 0 or not path.exists() or path.stat().st_size == 0:
        raise RuntimeError(f"screenshot of {target} failed: {r.stderr.strip()}")
    return path


class Picture:
    """The RGB pixels of a screenshot (read through ImageMagick): picture[x, y] -> (r, g, b)."""

    def __init__(self, path):
        data = subprocess.run(["convert", str(path), "-depth", "8", "ppm:-"], capture_output=True, check=True,
                              timeout=30).stdout
        fields = data.split(maxsplit=4)  # P6, width, height, maxval, pixels
        assert fields[0] == b"P6" and fields[3] == b"255", fields[:4]
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = fields[4][: 3 * self.width * self.height]

    def __getitem__(self, xy):
        x, y = xy
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError(f"{xy} outside {self.width}x{self.height}")
        i = 3 * (y * self.width + x)
        return tuple(self.pixels[i : i + 3])

    def count(self, colour, box):
        """How many pixels of the box (left, top, right, bottom) have the colour."""
        left, top, right, bottom = box
        return sum(self[x, y] == tuple(colour) for y in range(top, bottom) for x in range(left, right))


def xdotool(*args, display=None):
    return proc.run(["xdotool", *map(str, args)], env=_env(display), timeout=30).stdout


def tray_window(host, timeout_ms=5000):
    """The host's tray window (appears with the first tray icon)."""
    return host.find_window(title=TRAY_TITLE, timeout_ms=timeout_ms, shot=False)


def tray_click(host, button=3, index=0, double=False):
    """Clicks the host's tray icon number `index` (0 = leftmost): button 1 left, 3 right.

    Each Wine host has its own tray window at the same place: this one is raised first."""
    tray = tray_window(host)
    d = host.display.name
    xdotool("windowraise", tray.x11, display=d)
    left, top = tray.client[:2]  # Wine draws a caption on unmanaged windows: icons start below it
    xdotool("mousemove", left + index * TRAY_CELL + TRAY_CELL // 2, top + TRAY_CELL // 2, display=d)
    xdotool("click", *(["--repeat", "2", "--delay", "80"] if double else []), button, display=d)
    return tray


def tray_screenshot(host, name=None):
    tray = tray_window(host)
    return host.screenshot(tray, name or f"{host.name}-tray.png")


def popup_menu(host, timeout_ms=30000, shot=True):
    """Waits for an open popup menu (class #32768) of the host; screenshot by default.

    Its items cannot be read from another process under Wine 8 (see WinHost.menu): check them
    on the screenshot and pick them with menu_keys()."""
    w = host.find_window(cls="#32768", timeout_ms=timeout_ms, visible=True, shot=False)
    if shot:
        time.sleep(0.15)
        host.screenshot(w, shot if isinstance(shot, str) else None)
    return w


def menu_keys(host, *keys, timeout_ms=3000):
    """Keys to the host's open popup menu, e.g. menu_keys(pc, "Down", "Down", "Return").

    Posted to the menu window (probe keys): a tray program's menu belongs to a hidden window,
    which never gets the X keyboard focus, so X key events would go elsewhere; moving the focus
    to the menu's X window makes Wine close the menu. Names: Up Down Left Right Return Escape
    Home End Space Tab F10, or a letter/digit (the menu's access key)."""
    host.probe("keys", "class=#32768", *keys, "--visible", "--ms", str(timeout_ms))
