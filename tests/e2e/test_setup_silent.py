"""setup.exe run by a deployment tool under Wine: silent (/S), with its folder (/D=) and a log (/LOG=),
telling by its exit code what happened, and removed again with "uninstall /S"."""

import os
import shutil
import threading
import time

from setupapp import (MAIN, Distribution, answer_box, box_text, finish, installed_ini, link, linux_path, reg,
                      record, wait_file)
from zeptest import ProbeError, paths, wait_for

APP = r"C:\Program Files\Silent Test App"
LOG = r"C:\logs\setup.log"
UNINSTALL = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\SilentApp"
PROGRAMS = r"C:\users\root\AppData\Roaming\Microsoft\Windows\Start Menu\Programs"

SILENT_INI = """
[Setup]
Name=サイレント App
[Root]
Name=%programs%\\SilentApp
[Menu]
Name=Silent App
[Menu0]
Name=Silent App
Path=app.exe
[Desktop]
Name=Silent App
Path=app.exe
[Check]
Menu=2
Desktop=2
[Del]
Auto=1
[MakeDirectory]
1=data
[CopyFile]
0=app.exe
1=data\\app.dat
2=&keep.txt
"""


def visible_windows(pc):
    try:
        return [w for w in pc.windows() if w.visible]
    except ProbeError:  # none at all, or one gone while it was looked at
        return []


class Run:
    """setup.exe started as a deployment tool starts it: through cmd, which reports the whole exit
    code (Wine's own exit status keeps only its low byte). While it runs, the probe polls the
    top-level windows: `shown` collects every visible one that was not there before."""

    def __init__(self, pc, env, exe, arguments):
        self.pc = pc
        batch = pc.drive_c / "silent-run.bat"
        batch.write_bytes(f"@echo off\r\n{exe} {arguments}\r\necho EXIT=%errorlevel%\r\n".encode("cp932"))
        before = {w.hwnd for w in visible_windows(pc)}
        self.process = pc.run("cmd", ["/c", r"C:\silent-run.bat"], env=env)
        self.shown = []
        while self.process.poll() is None:
            self.shown += [w for w in visible_windows(pc) if w.hwnd not in before]
        assert self.process.wait(10) == self.process.returncode
        out = self.process.output()
        self.code = int(out.split("EXIT=")[1].split()[0])


def silent(pc, dist, arguments, exe=None):
    run = Run(pc, dist.env, exe or dist.exe, arguments)
    assert run.shown == [], [(w.cls, w.title) for w in run.shown]
    return run.code


def log_lines(pc):
    return linux_path(pc, LOG).read_bytes().decode("utf-8").splitlines()


def logged(pc, text):
    return [line for line in log_lines(pc) if text in line]


def expect_logged(pc, *texts):
    lines = log_lines(pc)
    for text in texts:
        assert any(text in line for line in lines), text + "\n" + "\n".join(lines)


def test_a_silent_installation_version_up_and_removal_show_nothing_and_log_every_step(lan):
    pc = lan.pc
    (pc.drive_c / "logs").mkdir()
    dist = Distribution(pc, SILENT_INI, {"app.exe": b"MZ app 1", "data/app.dat": b"dat", "keep.txt": b"keep"})
    assert silent(pc, dist, rf"/S /LOG={LOG} /D={APP}") == 0

    installed = linux_path(pc, APP)
    assert (installed / "app.exe").read_bytes() == b"MZ app 1"
    assert (installed / "data" / "app.dat").read_bytes() == b"dat"
    assert (installed / "Setup.exe").exists()
    ini = installed_ini(pc, APP)
    assert ini.get("Root", "Named") == APP
    assert record(ini, "CopiedFile") == [APP + r"\app.exe", APP + r"\data\app.dat", APP + r"\keep.txt"]
    assert link(pc, PROGRAMS + r"\Silent App\Silent App.lnk")["target"] == APP + r"\app.exe"
    assert (pc.drive_c / "users" / "root" / "Desktop" / "Silent App.lnk").exists()
    registration = reg(pc, UNINSTALL)[UNINSTALL.split("\\", 1)[1]]
    assert registration["DisplayName"] == "sz:サイレント App"
    assert APP + r"\Setup.exe" in registration["UninstallString"]

    lines = log_lines(pc)
    assert lines[0].endswith(f"setup started: /S /LOG={LOG} /D={APP}")
    for text in (f"installation into {APP}", f"folder made: {APP}", f"folder made: {APP}\\data",
                 rf"copied: C:\dist\app.exe -> {APP}\app.exe", rf"copied: C:\dist\data\app.dat -> {APP}\data\app.dat",
                 rf"shortcut made: {PROGRAMS}\Silent App\Silent App.lnk",
                 rf"registry value written: {UNINSTALL} : UninstallString", "finished, exit code 0"):
        expect_logged(pc, text)
    assert not logged(pc, "FAILED")

    # The version-up: the program is running (its file held open), so it is replaced at the next
    # restart without a question; an installed file as new as the distribution's is overwritten by
    # the question's default answer, and "&" keeps its file.
    dist.write_ini(SILENT_INI + "Reboot=1\n")
    later = time.time() + 100
    dist.add("app.exe", b"MZ app 2", mtime=later)
    dist.add("data/app.dat", b"dat 2")
    for name in ("data/app.dat", "keep.txt"):  # to the nanosecond: a float stamp may come out newer
        stamp = (installed / name).stat().st_mtime_ns
        os.utime(dist.folder / name, ns=(stamp, stamp))
    holder = pc.run(paths.probe_exe(), ["hold", APP + r"\app.exe", "40000"])
    holder.wait_for_output("HOLDING", 20)
    assert silent(pc, dist, rf"/S /NORESTART /LOG={LOG}") == 3010
    assert (installed / "app.exe").read_bytes() == b"MZ app 1"
    assert [p.read_bytes() for p in installed.glob("RBT*.tmp")] == [b"MZ app 2"]
    assert (installed / "data" / "app.dat").read_bytes() == b"dat 2"
    assert (installed / "keep.txt").read_bytes() == b"keep"
    expect_logged(pc, f"version-up in {APP}")
    expect_logged(pc, rf"replaced at restart: {APP}\app.exe <- {APP}\RBT")
    expect_logged(pc, "answer: Yes", rf"    {APP}\data\app.dat")
    expect_logged(pc, rf"skipped (not older than the distribution's): {APP}\keep.txt")
    expect_logged(pc, "finished, exit code 3010")
    # No follow-up asks for the restart later either.
    time.sleep(8)
    assert [w for w in visible_windows(pc) if w.cls == MAIN] == []
    holder.kill()
    pc.wine("wineboot", "-r", timeout=120)  # Wine's restart carries out the pending rename
    assert (installed / "app.exe").read_bytes() == b"MZ app 2"

    # The removal as a package manager starts it: the registered command with /S.
    command = registration["UninstallString"].split(":", 1)[1]
    assert silent(pc, dist, f"/S /LOG={LOG}", exe=command) == 0
    expect_logged(pc, "removal")
    expect_logged(pc, rf"moved to the recycle bin: {APP}\app.exe")
    expect_logged(pc, rf"registry key deleted: {UNINSTALL}")
    wait_for(lambda: not installed.exists(), 30, "the install folder to go")
    assert reg(pc, UNINSTALL) == {}
    assert not (pc.drive_c / "users" / "root" / "Desktop" / "Silent App.lnk").exists()


REFUSALS_INI = """
[Setup]
Name=Refusals
[Root]
Name=%programs%\\Refusals
[CopyFile]
0=app.exe
1=lost.dll
"""


def test_what_stops_a_silent_run_gives_its_code_and_its_log_line(lan):
    pc = lan.pc
    (pc.drive_c / "logs").mkdir()
    root = r"C:\Program Files\Refusals"
    folder = linux_path(pc, root)

    # An agreement is accepted only by /ACCEPT.
    agreement = REFUSALS_INI + "[Go]\nAgree=1\n[Readme]\nDone=2\nFile=readme.txt\n"
    dist = Distribution(pc, agreement, {"app.exe": b"MZ", "readme.txt": "使用許諾"})
    assert silent(pc, dist, f"/S /LOG={LOG}") == 1602
    expect_logged(pc, "agreement not accepted (no /ACCEPT): nothing changed")
    assert not folder.exists()

    # Accepted, the run goes on; a file missing from the distribution is not copied.
    assert silent(pc, dist, f"/s /accept /log={LOG} -d={root}") == 1603
    expect_logged(pc, "agreement accepted by /ACCEPT")
    expect_logged(pc, rf"copied: C:\dist\lost.dll -> {root}\lost.dll FAILED: ")
    expect_logged(pc, rf"    {root}\lost.dll")  # the list that a box would show
    assert (folder / "app.exe").read_bytes() == b"MZ"
    expect_logged(pc, "finished, exit code 1603")

    # A folder that everyone may change is refused before anything is done.
    dist = Distribution(pc, REFUSALS_INI, {"app.exe": b"MZ", "lost.dll": b"dll"}, name="dist2")
    shared = pc.drive_c / "Shared"
    shared.mkdir()
    shared.chmod(0o777)
    assert silent(pc, dist, rf"/S /LOG={LOG} /D=C:\Shared") == 267
    expect_logged(pc, "install folder refused: nothing changed")
    assert list(shared.iterdir()) == []

    # Too little room on the drive: nothing is copied.
    with open(dist.folder / "lost.dll", "wb") as huge:
        huge.truncate(shutil.disk_usage(pc.drive_c).free + (1 << 30))  # sparse: more than the drive holds
    assert silent(pc, dist, rf"/S /LOG={LOG} /D=C:\Roomless") == 112
    expect_logged(pc, "too little room: nothing copied")
    expect_logged(pc, r"    C:\Roomless")
    assert not (pc.drive_c / "Roomless").exists()

    # A switch setup does not know stops it too.
    assert silent(pc, dist, f"/S /QUIET /LOG={LOG}") == 1639
    expect_logged(pc, "unknown switch: /QUIET")


def test_one_setup_at_a_time_and_the_switches_box(lan):
    pc = lan.pc
    (pc.drive_c / "logs").mkdir()
    dist = Distribution(pc, REFUSALS_INI, {"app.exe": b"MZ", "lost.dll": b"dll"})
    first = dist.start()
    window = pc.find_window(cls=MAIN, title="Refusals", timeout_ms=30000, shot="first-setup.png")
    assert silent(pc, dist, f"/S /LOG={LOG}") == 1618
    expect_logged(pc, "another setup of this product is running: nothing changed")
    # Started by a person, the second start brings the first one to the front and ends.
    second = dist.start()
    assert second.wait(60) == 0
    assert [w.hwnd for w in visible_windows(pc) if w.cls == MAIN and w.title == "Refusals"] == [window.hwnd]
    pc.click(window, "中止")
    finish(first)

    for language, env, folder in (("ja", None, "/D=フォルダー"), ("en", {"LANG": "C.UTF-8"}, "/D=folder")):
        usage = dist.start("/?", env=env)
        box = pc.find_window(cls=MAIN, title="setup", timeout_ms=30000, shot=f"switches-{language}.png")
        text = box_text(pc, box)
        assert folder in text and "3010" in text and "/ACCEPT" in text and "uninstall" in text
        pc.click(box, "OK")
        finish(usage)
