"""Display resolution: a template prefix whose Wine runs at another dpi, and the check that the
text of every control of a window fits it (read through `probe extents`)."""

import os
import re
import shutil
from dataclasses import dataclass

from . import paths
from .probe import unescape
from .wine import _locked, _stamp_ok

# Where Wine 8 keeps the resolution: the user's desktop settings, and the machine's current
# hardware profile (HKCC\Software\Fonts), which wineboot fills and programs read as the default.
USER_KEY = r"Control Panel\\Desktop"
MACHINE_KEY = r"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"


def set_reg_dword(reg_file, key, name, value):
    """Sets a DWORD in a registry file that Wine wrote (`key` as written there, backslashes
    doubled), adding the key when it is missing. Wine reads the file at its server's start."""
    text = reg_file.read_text(encoding="utf-8", errors="surrogateescape")
    line = f'"{name}"=dword:{value:08x}'
    head = re.search(rf"^\[{re.escape(key)}\][^\n]*\n", text, re.M)
    if not head:
        text = text.rstrip("\n") + f"\n\n[{key}]\n{line}\n"
    else:
        end = text.find("\n\n", head.end())
        end = len(text) if end < 0 else end
        body = text[head.end():end]
        old = re.search(rf'^"{re.escape(name)}"=[^\n]*$', body, re.M)
        body = body[: old.start()] + line + body[old.end():] if old else body.rstrip("\n") + "\n" + line
        text = text[: head.end()] + body + text[end:]
    reg_file.write_text(text, encoding="utf-8", errors="surrogateescape")


def template_at_dpi(template, dpi):
    """A copy of `template` whose Wine runs at `dpi` (made once per template, kept beside it)."""
    if dpi == 96:
        return template
    tpl = template.with_name(f"{template.name}-{dpi}dpi")
    stamp = (template / ".zeptest-stamp").read_text(encoding="utf-8") + f"\ndpi {dpi}\n"
    if _stamp_ok(tpl, stamp):
        return tpl
    with _locked(f"template-{dpi}dpi"):
        if _stamp_ok(tpl, stamp):
            return tpl
        new = tpl.with_name(f"{tpl.name}.new-{os.getpid()}")
        shutil.rmtree(new, ignore_errors=True)
        shutil.copytree(template, new, symlinks=True)
        set_reg_dword(new / "user.reg", USER_KEY, "LogPixels", dpi)
        set_reg_dword(new / "system.reg", MACHINE_KEY, "LogPixels", dpi)
        (new / ".zeptest-stamp").write_text(stamp, encoding="utf-8")
        shutil.rmtree(tpl, ignore_errors=True)
        os.replace(new, tpl)
    return tpl


@dataclass
class Extent:
    """One control as `probe extents` measured it (sizes in pixels)."""

    hwnd: int
    id: int
    cls: str
    style: int
    visible: bool
    rect: tuple
    client: tuple  # width, height
    font: object  # the character height it was measured in; None: the system font, "?" unreadable
    extent: tuple  # the text on one line
    wrapped: tuple  # the text broken into lines at the client's width
    text: str


def parse_extents(text):
    """(window dpi, [Extent]) from `probe extents`."""
    lines = text.splitlines()
    m = re.match(r"^dpi=(\d+) system=(\d+)$", lines[0])
    if not m:
        raise ValueError(f"not an extents header: {lines[0]!r}")
    out = []
    for line in lines[1:]:
        head, _, body = line.partition(" text=")
        f = dict(re.findall(r"(\w+)=(\S*)", head))
        pair = lambda s: tuple(int(v) for v in s.split(","))  # noqa: E731
        out.append(Extent(
            hwnd=int(f["hwnd"], 16), id=int(f["id"]), cls=unescape(f["class"]), style=int(f["style"], 16),
            visible=f["visible"] == "1", rect=pair(f["rect"]), client=pair(f["client"]),
            font=None if f["font"] == "-" else (f["font"] if f["font"] == "?" else int(f["font"].rstrip("*"))),
            extent=pair(f["extent"]), wrapped=pair(f["wrapped"]), text=unescape(body)))
    return int(m[1]), out


def _px(value, dpi):
    return (value * dpi + 48) // 96


# Styles (winuser.h)
SS_TYPEMASK, SS_LEFT, SS_CENTER, SS_RIGHT, SS_SIMPLE, SS_LEFTNOWORDWRAP = 0x1F, 0, 1, 2, 0xB, 0xC
BS_TYPEMASK, BS_MULTILINE, BS_ICON, BS_BITMAP = 0xF, 0x2000, 0x40, 0x80
CHECK_TYPES = {2, 3, 5, 6, 9}  # check boxes and radio buttons
PUSH_TYPES = {0, 1}


def clipped(controls, dpi):
    """The visible texts that do not fit their controls, as "text: why" lines. Static texts that
    wrap must fit in height and have no word wider than the control; one-line statics, push
    buttons and check boxes (box and gap included) must fit on their line."""
    out = []
    for c in controls:
        if not c.visible or not c.text or c.font == "?":
            continue
        w, h = c.client
        need_w, need_h = c.extent
        if c.cls == "Static":
            kind = c.style & SS_TYPEMASK
            if kind in (SS_LEFT, SS_CENTER, SS_RIGHT):
                need_w, need_h = c.wrapped
            elif kind not in (SS_SIMPLE, SS_LEFTNOWORDWRAP):
                continue  # pictures, frames, owner-drawn panels
        elif c.cls == "Button":
            kind = c.style & BS_TYPEMASK
            if c.style & (BS_ICON | BS_BITMAP):
                continue
            if c.style & BS_MULTILINE:
                need_w, need_h = c.wrapped
            if kind in CHECK_TYPES:
                need_w += _px(13 + 4, dpi)  # the box and the gap before the text
            elif kind in PUSH_TYPES:
                need_w += 2 * _px(3, dpi)  # the button's edges
                need_h += 2 * _px(2, dpi)
            else:
                continue
        else:
            continue
        if need_w > w or need_h > h:
            out.append(f"{c.text!r} (id {c.id}, {c.cls}): needs {need_w}x{need_h}, has {w}x{h}")
    return out
