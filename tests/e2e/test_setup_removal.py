"""Removal under Wine: from whichever copy of setup it is started, it takes the installed product and
nothing else (and when the installed copy cannot be started, nothing at all); it waits for the
programs it told to quit; its last step, the batch that deletes setup itself, ends whatever the
file's attributes and the install folder's name, and leaves nothing of itself behind."""

import os
import re
import stat
import time
from pathlib import Path

from setupapp import Distribution, answer_box, control, finish, linux_path, main_window, reg, snapshot, trash
from test_setup_silent import silent
from zepapp import CONTROLLER, Tool
from zeptest import RouterSim, menu_keys, paths, popup_menu, tray_click, wait_for

IDC_FOLDER_LABEL, IDC_FOLDER = 1001, 1002
UNINSTALL = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"


def product(name, extra=""):
    """A small Setup.ini of our own: the product `name` under Program Files, two files."""
    return f"""
[Setup]
Name={name}
[Root]
Name=%programs%\\{name}
[CopyFile]
0=app.exe
1=lib.dll
{extra}"""


def install(pc, dist, title):
    setup = dist.start()
    pc.click(main_window(pc, title), "実行")
    finish(setup)


def wine_processes(pc, name):
    """The command lines of this PC's Wine processes whose command line names `name`."""
    found = []
    for proc in Path("/proc").iterdir():
        if not proc.name.isdigit():
            continue
        try:
            environ = (proc / "environ").read_bytes().split(b"\0")
            cmdline = (proc / "cmdline").read_bytes().replace(b"\0", b" ").decode("utf-8", "replace")
        except OSError:
            continue
        if f"WINEPREFIX={pc.prefix}".encode() in environ and name.lower() in cmdline.lower():
            found.append(cmdline)
    return found


def test_the_distributions_setup_run_again_hands_removal_to_the_installed_copy(lan):
    pc = lan.pc
    app = r"C:\Program Files\Handed"
    dist = Distribution(pc, product("Handed"), {"app.exe": b"MZ", "lib.dll": b"dll"})
    install(pc, dist, "Handed")
    installed = linux_path(pc, app)
    assert dist.ini().get("CopiedFile", "Count") == "2"  # the distribution's copy holds the record too
    package = {p.name: p.read_bytes() for p in dist.folder.iterdir()}

    again = dist.start()
    window = main_window(pc, "Handed", shot="handed-over.png")
    finish(again)  # the distribution's setup has ended: the window is the installed copy's
    assert [w for w in pc.windows() if w.hwnd == window.hwnd]
    assert control(pc, window, IDC_FOLDER_LABEL).text == "インストール済です．"
    pc.click(window, "アンインストール")
    pc.click(window, "実行")
    pc.gone(window, timeout_ms=30000)
    wait_for(lambda: not installed.exists(), 20, "the install folder gone with its Setup.exe and Setup.ini")
    assert not reg(pc, UNINSTALL + r"\Handed")
    assert trash(dist.env) == ["Setup.ini", "app.exe", "lib.dll"]
    assert {p.name: p.read_bytes() for p in dist.folder.iterdir()} == package

    # Its record now names nothing installed: the same setup installs the product afresh.
    setup = dist.start()
    window = main_window(pc, "Handed", shot="installs-again.png")
    assert control(pc, window, IDC_FOLDER_LABEL).text == "(&F)インストール先"
    folder = control(pc, window, IDC_FOLDER).text
    pc.click(window, "実行")
    finish(setup)
    assert sorted(p.name for p in linux_path(pc, folder).iterdir()) == ["Setup.exe", "Setup.ini", "app.exe", "lib.dll"]


def test_the_distributions_setup_changes_nothing_when_the_installed_copy_cannot_be_started(lan):
    pc = lan.pc
    app = r"C:\Program Files\Stuck"
    dist = Distribution(pc, product("Stuck"), {"app.exe": b"MZ", "lib.dll": b"dll"})
    install(pc, dist, "Stuck")
    (linux_path(pc, app) / "Setup.exe").write_bytes(b"MZ, but no program")  # there, and it cannot be started
    before = snapshot(pc)

    again = dist.start("uninstall")
    assert answer_box(pc, "Stuck", "OK", shot="installed-setup-not-started.png") == (
        "この製品はインストール済みですが，インストール先のセットアップを起動できなかったため，"
        "何も変更せずに終了します．インストール先の Setup.exe を確かめてから，もう一度お試しください．\n\n"
        rf"{app}\Setup.exe")
    finish(again)
    assert snapshot(pc) == before  # the package's files, the installed ones and the registration alike
    assert trash(dist.env) == []

    assert silent(pc, dist, "uninstall /S") == 1603
    files, keys = snapshot(pc)
    assert ([f for f in files if f != "silent-run.bat"], keys) == before


def test_an_elevated_removal_runs_its_batch_in_a_folder_of_its_own_and_takes_it_away(lan):
    """Every Wine process holds the full token, so the "remove" instance is elevated here: its batch
    goes into a new folder under the system's temporary folder, never into the account's %TEMP%.
    Wine keeps no access lists beyond the mode bits of the owner and Everyone, so that the folder
    admits only the system and the administrators is not seen here, nor can the unelevated way (the
    batch in %TEMP%) be shown: setup's core tests stand for both. The batch still deletes a read-only Setup.exe (as copied from a CD) from a folder
    whose name holds cmd's own syntax characters, and ends."""
    pc = lan.pc
    name = "R&O (x)^y@z!"
    app = rf"C:\Program Files\{name}"
    dist = Distribution(pc, product(name, "[Del]\nAuto=1\n"), {"app.exe": b"MZ", "lib.dll": b"dll"})
    (dist.folder / "setup.exe").chmod(0o555)  # read-only, and so is its copy
    install(pc, dist, name)
    installed = linux_path(pc, app)
    assert (installed / "Setup.exe").stat().st_mode & 0o222 == 0

    # A %TEMP% of the account's that the batch would have used before.
    temp = r"C:\users\root\Temp\a&b (c)^d@e ë"
    temp_folder = linux_path(pc, temp)
    temp_folder.mkdir(parents=True)
    os.utime(temp_folder, (1_000_000_000, 1_000_000_000))
    for variable in ("TEMP", "TMP"):
        pc.wine("reg", "add", r"HKCU\Environment", "/v", variable, "/d", temp, "/f")
    system_temp = pc.drive_c / "windows" / "temp"
    before = sorted(p.name for p in system_temp.iterdir())

    # Setup.exe in use for a while (it can be started, not deleted): the batch keeps trying meanwhile.
    holder = pc.run(paths.probe_exe(), ["hold", app + r"\Setup.exe", "25000", "read"])
    holder.wait_for_output("HOLDING", 20)
    removal = pc.run(app + r"\Setup.exe", ["uninstall"], env=dist.env)
    finish(removal)
    # While cmd keeps trying, the batch lies in a new folder of its own there.
    made = wait_for(lambda: [p for p in system_temp.iterdir() if p.name not in before], 40, "the batch's folder")
    assert len(made) == 1 and re.fullmatch(r"setup-[0-9a-f]{32}", made[0].name), made
    assert stat.S_IMODE(made[0].stat().st_mode) & 0o007 == 0  # as Wine shows a list without Everyone
    wait_for(lambda: wine_processes(pc, "cmd.exe"), 20, "cmd running the batch")
    batches = [p.name for p in made[0].iterdir()]
    assert batches and all(re.fullmatch(r"delus-\d+-\d+\.bat", batch) for batch in batches), batches
    assert holder.wait(40) == 0
    wait_for(lambda: not installed.exists(), 30, "the read-only Setup.exe and its folder gone")
    wait_for(lambda: not made[0].exists(), 10, "the batch's folder gone")
    wait_for(lambda: not wine_processes(pc, "cmd.exe"), 10, "no cmd.exe left")
    assert sorted(p.name for p in system_temp.iterdir()) == before
    assert temp_folder.stat().st_mtime == 1_000_000_000 and list(temp_folder.iterdir()) == []
    assert (dist.folder / "setup.exe").exists()


def test_removal_waits_for_a_connected_zep_to_quit_before_deleting_its_settings(lan):
    pc = lan.pc
    app = r"C:\Program Files\ZEP Test"
    dist = Distribution(pc, f"""
[Setup]
Name=ZEP Test
[Root]
Name=%programs%\\ZEP Test
[CopyFile]
0=zep.exe
[Del]
0=zep.ini
Auto=1
[Go2]
Erase0="%root%\\zep.exe" -quit;;hide
""")
    dist.add("zep.exe", paths.require_exe(paths.zep_exe(), "zep").read_bytes())
    install(pc, dist, "ZEP Test")
    installed = linux_path(pc, app)

    # The router takes the line down seconds after zep asks: longer than removal's own steps
    # before it deletes files.
    serve = RouterSim(lan).send("serve", "--address", "198.51.100.7", delay=2.5, background=True)
    try:
        tool = Tool(pc, Status=3, Default=0, Router="192.168.0.1:5140")
        later = (time.localtime().tm_hour + 2) % 24  # no daily connect or disconnect meanwhile
        (installed / "zep.ini").write_bytes(
            f"[ZEP]\r\nSetupUtility={tool.path}\r\nIPAddress=192.168.0.1\r\n"
            f"AutoConnectHour={later}\r\nAutoDisconnectHour={(later + 1) % 24}\r\n".encode("cp932"))
        running = pc.run(app + r"\zep.exe", env=dist.env)
        pc.find_window(cls=CONTROLLER, visible=False, shot=False, timeout_ms=30000)
        tool.wait_call("-sts1")
        time.sleep(0.5)
        tray_click(pc, button=3)
        popup_menu(pc, shot=False)
        menu_keys(pc, "Down", "Return")  # 接続
        tool.wait_call("-con1")
        pc.find_window(cls="TZEPTimeForm", timeout_ms=30000, shot="connected.png")

        removal = pc.run(app + r"\Setup.exe", ["uninstall"], env=dist.env)
        finish(removal, timeout=90)
        assert tool.wait_call("-cut1")
        assert running.wait(10) == 0
        wait_for(lambda: not (installed / "Setup.exe").exists(), 20, "setup gone")
        time.sleep(3)
        left = sorted(p.name for p in installed.iterdir()) if installed.exists() else []
        assert all(re.fullmatch(r"(conlog|syslog)_\d{6}\.txt", name) for name in left), left  # the logs stay
        # zep wrote its settings as it quit, before removal took them.
        assert trash(dist.env) == ["Setup.ini", "zep.exe", "zep.ini"]
    finally:
        serve.kill()
