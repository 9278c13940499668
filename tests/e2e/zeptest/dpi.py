"""Display resolution: a template prefix whose Wine runs at another dpi, and the check that the
text of every control of a window fits it (read through `probe text-fit`)."""

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
class Fit:
    """One control's text as `probe text-fit` measured it, in pixels at the control's resolution:
    `room` is what the control has for its text, `need` what the text takes in its font."""

    id: int
    kind: str  # static, push, check, radio, group
    dpi: int
    font: str  # the character height and where it came from: "-16/template"
    room: tuple  # width, height
    need: tuple
    text: str

    @property
    def fits(self):
        return self.need[0] <= self.room[0] and self.need[1] <= self.room[1]

    def __str__(self):
        return (f"{self.kind} {self.id} {self.text!r} at {self.dpi} dpi needs {self.need[0]}x{self.need[1]}, "
                f"has {self.room[0]}x{self.room[1]}")


_FIT = re.compile(r"^hwnd=\S+ id=(-?\d+) kind=(\w+) dpi=(\d+) font=(-?\d+/\w+) room=(-?\d+),(-?\d+) "
                  r"need=(\d+),(\d+) text=(.*)$")


def parse_text_fit(text):
    """[Fit] from what `probe text-fit` printed."""
    fits = []
    for line in text.splitlines():
        m = _FIT.match(line)
        if not m:
            raise ValueError(f"not a text-fit line: {line!r}")
        fits.append(Fit(id=int(m[1]), kind=m[2], dpi=int(m[3]), font=m[4], room=(int(m[5]), int(m[6])),
                        need=(int(m[7]), int(m[8])), text=unescape(m[9])))
    return fits


def misfits(fits, dpi):
    """What is wrong with the measured controls of a window meant for `dpi`: texts that do not fit
    their controls, and controls laid out for another resolution."""
    return [f"{f}" + ("" if f.dpi == dpi else f" (laid out for {f.dpi} dpi, not {dpi})")
            for f in fits if not f.fits or f.dpi != dpi]
