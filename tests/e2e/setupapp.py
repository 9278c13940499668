"""setup.exe and a distribution of its own in a PC of the test network: write its Setup.ini, start
it, drive its windows, read what it recorded."""

import os
import shutil
import time
import zipfile
from pathlib import Path

from zepapp import Ini
from zeptest import ProbeError, paths, unescape, wait_for

DIST = "dist"  # C:\dist
MAIN = "#32770"


def isolate(pc):
    """Keeps the installer's shell folders and recycle bin inside the test: the user folders that
    Wine links to this machine's home become private folders, and HOME (where Wine's recycle bin
    lives) is a folder of the test. Returns the environment for the installer's runs."""
    user = pc.drive_c / "users" / "root"
    for entry in user.iterdir():
        if entry.is_symlink():
            entry.unlink()
            entry.mkdir()
    home = pc.prefix.parent / f"home-{pc.name}"
    (home / ".local" / "share").mkdir(parents=True, exist_ok=True)
    return {"HOME": str(home), "XDG_DATA_HOME": str(home / ".local" / "share")}


class Distribution:
    """A distribution folder C:\\<name> holding setup.exe, its Setup.ini and the files it copies."""

    def __init__(self, pc, ini_text, files=None, name=DIST, env=None):
        self.pc = pc
        self.name = name
        self.folder = pc.drive_c / name
        self.folder.mkdir(parents=True, exist_ok=True)
        shutil.copy(paths.require_exe(paths.setup_exe(), "setup"), self.folder / "setup.exe")
        self.env = env if env is not None else isolate(pc)
        self.write_ini(ini_text)
        for rel, data in (files or {}).items():
            self.add(rel, data)

    @property
    def exe(self):
        return f"C:\\{self.name}\\setup.exe"

    def add(self, rel, data=b"", mtime=None):
        path = self.folder / rel.replace("\\", "/")
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data if isinstance(data, bytes) else data.encode("cp932"))
        if mtime is not None:
            os.utime(path, (mtime, mtime))
        return path

    def write_ini(self, text):
        (self.folder / "Setup.ini").write_bytes(text.strip("\n").replace("\n", "\r\n").encode("cp932") + b"\r\n")

    def ini(self):
        return Ini.parse((self.folder / "Setup.ini").read_bytes())

    def start(self, *args, cwd=None, env=None):
        return self.pc.run(self.exe, list(args), cwd=cwd, env={**self.env, **(env or {})})


def installed_ini(pc, folder):
    """The Setup.ini that setup left in an install folder (Windows path)."""
    return Ini.parse(linux_path(pc, folder, "Setup.ini").read_bytes())


def linux_path(pc, windows_path, *rest):
    assert windows_path[:3].upper() == "C:\\", windows_path
    return pc.drive_c.joinpath(*windows_path[3:].split("\\"), *rest)


def record(ini, section):
    """The keys "0" ... Count - 1 of a record section."""
    count = int(ini.get(section, "Count"))
    return [ini.get(section, str(i)) for i in range(count)]


def main_window(pc, title, timeout_ms=30000, shot=True):
    return pc.find_window(cls=MAIN, title=title, timeout_ms=timeout_ms, shot=shot)


def control(pc, window, id_):
    return next(c for c in pc.controls(window) if c.id == id_)


def box_text(pc, box):
    return "".join(c.text for c in pc.controls(box) if c.cls == "Static" and c.text)


def answer_box(pc, title, button, shot=None, timeout_ms=30000):
    """Waits for a message box, clicks `button`; returns its text."""
    box = pc.find_window(cls=MAIN, title=title, timeout_ms=timeout_ms, shot=shot or True)
    text = box_text(pc, box)
    pc.click(box, button)
    pc.gone(box, timeout_ms=30000)
    return text


def finish(process, timeout=60):
    assert process.wait(timeout) == 0


def wait_file(path, timeout=30):
    return wait_for(lambda: Path(path).exists(), timeout, f"{path}")

def link(pc, path):
    return {k: unescape(v) for k, v in (line.split("=", 1) for line in pc.probe("link", path).splitlines())}

def reg(pc, key):
    """{key: {name: "type:data"}} of a registry tree; {} when the key is missing."""
    try:
        out = pc.probe("reg", key)
    except ProbeError:
        return {}
    tree, current = {}, None
    for line in out.splitlines():
        if line.startswith("key="):
            current = tree.setdefault(unescape(line[4:]), {})
        else:
            name, value = line.strip().split("=", 1)
            current[unescape(name)] = unescape(value)
    return tree

def snapshot(pc):
    """The prefix as a user could see it: files under drive_c and the software registry."""
    skip = ("users/root/Temp/", "windows/", "users/root/AppData/Local/Microsoft/Windows/")
    files = sorted(str(p.relative_to(pc.drive_c)) for p in pc.drive_c.rglob("*")
                   if not str(p.relative_to(pc.drive_c)).startswith(skip) and not p.name.startswith("delus-"))
    keys = {}
    for root in (r"HKEY_LOCAL_MACHINE\SOFTWARE", r"HKEY_CURRENT_USER\Software"):
        for key, values in reg(pc, root).items():
            if not key.startswith("Software\\Wine\\"):  # Wine's own state
                keys[root.split("\\")[0] + "\\" + key] = values
    return files, keys

def trash(env):
    """The names in the recycle bin of the installer runs with environment `env` (see isolate)."""
    folder = Path(env["XDG_DATA_HOME"]) / "Trash" / "files"
    return sorted(p.name for p in folder.iterdir()) if folder.exists() else []


def unpack(pc, package, name="Downloads"):
    """A package unpacked as Explorer would (the files keep their times) into the user's folder
    `name`; returns the package's folder (Linux path)."""
    target = pc.drive_c / "users" / "root" / name
    with zipfile.ZipFile(package) as z:
        z.extractall(target)
        for info in z.infolist():
            stamp = time.mktime(info.date_time + (0, 0, -1))
            os.utime(target / info.filename, (stamp, stamp))
        return target / z.namelist()[0].split("/")[0]


__all__ = ["Distribution", "isolate", "installed_ini", "linux_path", "record", "main_window", "control",
           "box_text", "answer_box", "finish", "wait_file", "link", "reg", "snapshot", "trash", "unpack"]
