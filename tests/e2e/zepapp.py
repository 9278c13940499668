"""zep.exe installed in a PC of the test network: start, quit, read its settings file."""

import re
import shutil
import time
from dataclasses import dataclass, field

from zeptest import paths, wait_for

INSTALL = "zep"  # C:\zep
EXE = r"C:\zep\zep.exe"
CONTROLLER = "TZEPHiddenForm"
DESTINATIONS = "1:Main\r\n1:Office\r\n0:Backup\r\n1:Mobile\r\n"
WM_INSTANCECOMMAND = 0x465


@dataclass
class Ini:
    """A settings file as zep wrote it: sections and keys in file order."""

    sections: dict = field(default_factory=dict)  # name -> list of (key, value)
    raw: bytes = b""

    @classmethod
    def parse(cls, data):
        ini = cls(raw=data)
        current = None
        for line in data.decode("cp932").split("\r\n"):
            if line.startswith("[") and line.endswith("]"):
                current = ini.sections.setdefault(line[1:-1], [])
            elif "=" in line and current is not None:
                key, value = line.split("=", 1)
                current.append((key, value))
        return ini

    def keys(self, section):
        return [k for k, _ in self.sections[section]]

    def get(self, section, key):
        return dict(self.sections[section]).get(key)


class Zep:
    def __init__(self, pc):
        self.pc = pc
        self.folder = pc.drive_c / INSTALL
        pc.copy_in(paths.require_exe(paths.zep_exe(), "zep"), INSTALL)
        self.ini_path = self.folder / "zep.ini"

    def write_ini(self, text):
        self.ini_path.write_bytes(text.replace("\n", "\r\n").encode("cp932"))

    def ini(self):
        return Ini.parse(self.ini_path.read_bytes())

    def start(self, *args, env=None):
        return self.pc.run(EXE, list(args), env=env)

    def controller(self, timeout_ms=30000, settle=1.0):
        """The controller window, `settle` seconds after it appeared: the window exists before its
        first show has loaded the settings, and a router datagram that arrives before that is
        not taken as the router's."""
        window = self.pc.find_window(cls=CONTROLLER, timeout_ms=timeout_ms, visible=False, shot=False)
        time.sleep(settle)
        return window

    def controllers(self):
        return [w for w in self.pc.windows() if w.cls == CONTROLLER]

    def dismiss_first_show_info(self):
        """The notice of a first start without a setup utility; returns its text."""
        box = self.pc.find_window(cls="#32770", title="情報", timeout_ms=30000, shot="first-show-info.png")
        text = "".join(c.text for c in self.pc.controls(box) if c.cls == "Static" and c.text)
        self.pc.click(box, "OK")
        self.pc.gone(box, timeout_ms=30000)
        return text

    def quit(self, running, timeout=40):
        """Starts `zep.exe -quit` and waits for both copies to end; returns the quitting copy's
        run time in seconds."""
        t0 = time.monotonic()
        quitting = self.start("-quit")
        assert quitting.wait(timeout) == 0
        elapsed = time.monotonic() - t0
        assert running.wait(timeout) == 0
        return elapsed


def install_tool(pc, kind="nwgset", name=None, folder="tools"):
    """A stand-in for the router maker's setup utility ("nwgset") or for VELK ("velk") in
    C:\\<folder>; returns (its Windows path, its folder on this machine). It appends its parameters
    and working folder to <name>.log beside it and answers from <name>.ini there."""
    name = name or {"nwgset": "NWGSet.exe", "velk": "Velk.exe"}[kind]
    exe = paths.require_exe(paths.fixture(f"{kind}.exe"), kind)
    target = pc.drive_c / folder
    target.mkdir(parents=True, exist_ok=True)
    shutil.copy(exe, target / name)
    return f"C:\\{folder}\\{name}", target


class Tool:
    """The VELK stand-in in C:\\tools with its answers and its destination file."""

    def __init__(self, pc, kind="velk", **answers):
        self.path, self.folder = install_tool(pc, kind)
        self.stem = self.path.rsplit("\\", 1)[1].rsplit(".", 1)[0]
        self.answer(**answers)
        (self.folder / f"{self.stem}.txt").write_bytes(DESTINATIONS.encode("cp932"))

    def answer(self, **settings):
        write_answers(self.folder / f"{self.stem}.ini", settings)

    def calls(self):
        log = self.folder / f"{self.stem}.log"
        if not log.exists():
            return []
        return re.findall(r"params=\[(.*?)\] cwd=\[(.*?)\]", log.read_bytes().decode("cp932"))

    def wait_call(self, switch, count=1, timeout=15.0):
        """The `count`th call with `switch` (params, working folder), once it is there."""

        def call():
            calls = [c for c in self.calls() if switch in c[0]]
            return calls[count - 1] if len(calls) >= count else None

        return wait_for(call, timeout, f"call {count} of the tool with {switch}")


def write_answers(path, settings):
    """A stand-in's answers: its settings file with the section "standin"."""
    text = "[standin]\r\n" + "".join(f"{k}={v}\r\n" for k, v in settings.items())
    path.write_bytes(text.encode("cp932"))


class Library:
    """The stand-in of the router maker's library beside zep.exe or in `folder` (`variant`:
    MRLExhibits.dll, or one that lacks an export), with its answers; it logs each call, one a line."""

    def __init__(self, zep, variant="MRLExhibits.dll", folder=None, **answers):
        self.folder = folder or zep.folder
        shutil.copy(paths.fixture(variant), self.folder / "MRLExhibits.dll")
        self.answer(**answers)

    def answer(self, **settings):
        write_answers(self.folder / "MRLExhibits.ini", settings)

    def calls(self):
        log = self.folder / "MRLExhibits.log"
        return log.read_text().splitlines() if log.exists() else []
