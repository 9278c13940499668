"""What setup places in the shell and the registry under Wine, and removal undoing it."""

import re
import time

from setupapp import (Distribution, answer_box, control, finish, installed_ini, link, linux_path, main_window, reg,
                      snapshot, trash)
from zeptest import wait_for

APP = r"C:\Program Files\Shell Test"
PROGRAMS = r"C:\users\root\AppData\Roaming\Microsoft\Windows\Start Menu\Programs"
UNINSTALL = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Shell Test"
IDC_COPY = 1011




SHELL_INI = f"""
[Setup]
Name=Shell Test
[Root]
Name=%programs%\\Shell Test
[Menu]
Name=Shell Test
[Menu0]
Name=Shell Test
Path=app.exe
Arg=-x "y z"
Icon=app.exe
IconNo=1
Show=1
[Menu1]
Name=Tools\\Editor
Path=!C:\\windows\\notepad.exe
Work=!C:\\
[Desktop]
Name=Shell Test
Path=app.exe
Short=z
Show=2
Work=data
[Startup]
Name=Shell Test
Path=app.exe
Short=\\112
[Send0]
Name=Shell Test
Path=app.exe
[Check]
Menu=2
Desktop=2
Startup=2
Send=2
Ext=2
[Ext0]
Ext=.zt1
Kind=ZtFile
Icon=app.exe
IconNo=0
Verb=open
Command="app.exe" /open %1
[Ext1]
Ext=.zt2
Kind=ZtFile2
Verb=open
Verb2=ShellTestで開く
Command=app.exe %1
[Ext2]
Ext=.zt3
Kind=ZtFile3
Verb=open
Command=app.exe %1
Force=1
[Reg]
Make0=HKEY_CURRENT_USER\\Software\\Acme\\Tool\\\\Size\\#D10
Make1=HKEY_CURRENT_USER\\Software\\Acme\\Tool\\\\\\!on
Make2=HKEY_CURRENT_USER\\Software\\Acme\\Tool\\\\Home\\%root%
Make3=HKEY_CURRENT_USER\\Software\\Acme\\Tool\\\\Bytes\\#B0aFfz
Make4=HKEY_CURRENT_USER\\Software\\Acme\\Empty\\
Erase0=HKEY_CURRENT_USER\\Software\\Acme\\Tool
Erase1=HKEY_CURRENT_USER\\Software\\Acme\\Empty
[Registry]
Company=Acme
Name=Tool
[MakeDirectory]
1=data
[CopyFile]
0=app.exe
1=lib.dll
"""


def install(pc, ini=SHELL_INI, files=None):
    dist = Distribution(pc, ini, files or {"app.exe": b"MZ", "lib.dll": b"dll"})
    for cls, owner in ((".zt2", "OtherFile"), (".zt3", "ForeignFile")):
        pc.wine("reg", "add", rf"HKCR\{cls}", "/ve", "/d", owner, "/f")
        pc.wine("reg", "add", rf"HKCR\{owner}\shell\open\command", "/ve", "/d", "other.exe %1", "/f")
    setup = dist.start()
    pc.click(main_window(pc, "Shell Test"), "実行")
    finish(setup)
    return dist


def uninstall_command(pc):
    return reg(pc, UNINSTALL)[UNINSTALL.split("\\", 1)[1]]["UninstallString"].split(":", 1)[1]


def test_shortcuts_associations_and_registry_entries_are_where_they_belong(lan):
    pc = lan.pc
    install(pc)
    menu = link(pc, PROGRAMS + r"\Shell Test\Shell Test.lnk")
    assert menu["target"] == APP + r"\app.exe" and menu["arguments"] == '-x "y z"'
    assert menu["work"] == APP and menu["icon"] == APP + r"\app.exe,1" and menu["show"] == "3"
    editor = link(pc, PROGRAMS + r"\Shell Test\Tools\Editor.lnk")
    assert editor["target"].lower() == r"c:\windows\notepad.exe" and editor["work"] == "C:\\"
    desktop = link(pc, r"C:\users\root\Desktop\Shell Test.lnk")
    assert (desktop["hotkey"], desktop["show"], desktop["work"]) == ("0x65a", "7", APP + r"\data")
    startup = link(pc, PROGRAMS + r"\StartUp\Shell Test.lnk")
    assert (startup["hotkey"], startup["show"]) == ("0x670", "1")
    assert link(pc, r"C:\users\root\AppData\Roaming\Microsoft\Windows\SendTo\Shell Test.lnk")["target"] == APP + r"\app.exe"

    classes = reg(pc, "HKEY_CLASSES_ROOT\\.zt1") | reg(pc, "HKEY_CLASSES_ROOT\\ZtFile")
    assert classes[".zt1"][""] == "sz:ZtFile"
    assert classes["ZtFile\\DefaultIcon"][""] == f"sz:{APP}\\app.exe,0"
    assert classes["ZtFile\\shell\\open\\command"][""] == f'sz:"{APP}\\app.exe" /open %1'
    foreign = reg(pc, "HKEY_CLASSES_ROOT\\.zt2") | reg(pc, "HKEY_CLASSES_ROOT\\OtherFile")
    assert foreign[".zt2"][""] == "sz:OtherFile" and not reg(pc, "HKEY_CLASSES_ROOT\\ZtFile2")
    assert foreign["OtherFile\\shell\\ShellTestで開く\\command"][""] == f"sz:{APP}\\app.exe %1"
    forced = reg(pc, "HKEY_CLASSES_ROOT\\.zt3")[".zt3"]
    assert (forced[""], forced["Old Name"]) == ("sz:ZtFile3", "sz:ForeignFile")

    tool = reg(pc, r"HKEY_CURRENT_USER\Software\Acme")
    assert tool[r"Software\Acme\Tool"] == {"Size": "dword:10", "": "sz:on", "Home": f"sz:{APP}\\",
                                           "Bytes": "binary:0aff"}
    assert r"Software\Acme\Empty" in tool
    registration = reg(pc, UNINSTALL)[UNINSTALL.split("\\", 1)[1]]
    assert registration == {"DisplayName": "sz:Shell Test", "UninstallString": f'sz:"{APP}\\Setup.exe"',
                            "QuietUninstallString": f'sz:"{APP}\\Setup.exe" uninstall /S',
                            "DisplayIcon": f"sz:{APP}\\Setup.exe", "InstallLocation": f"sz:{APP}",
                            "EstimatedSize": registration["EstimatedSize"], "NoModify": "dword:1", "NoRepair": "dword:1"}
    ini = installed_ini(pc, APP)
    assert ini.get("LastGo", "Desktop") == r"C:\users\root\Desktop\Shell Test.lnk"
    assert [ini.get("Check", k) for k in ("Menu", "Desktop", "Startup", "Send", "Ext")] == ["2"] * 5


def start_uninstall(pc, dist, extra=""):
    """Starts the registered uninstall command as the system's list of programs would."""
    command = uninstall_command(pc) + extra
    m = re.match(r'"([^"]+)"\s*(.*)$', command)
    return pc.run(m[1], [m[2]] if m[2] else [], env=dist.env)




def test_removal_from_the_registration_leaves_the_prefix_as_it_was(lan):
    pc = lan.pc
    dist = Distribution(pc, "[Setup]\nName=Nothing\n")  # the isolation and the foreign classes first
    for cls, owner in ((".zt2", "OtherFile"), (".zt3", "ForeignFile")):
        pc.wine("reg", "add", rf"HKCR\{cls}", "/ve", "/d", owner, "/f")
        pc.wine("reg", "add", rf"HKCR\{owner}\shell\open\command", "/ve", "/d", "other.exe %1", "/f")
    before_files, before_keys = snapshot(pc)
    before_files = [f for f in before_files if not f.startswith("dist")]

    install(pc, SHELL_INI.replace("[Check]", "[Del]\nAuto=1\n[Check]"))
    assert uninstall_command(pc) == f'"{APP}\\Setup.exe" uninstall'
    removal = start_uninstall(pc, dist)
    window = main_window(pc, "Shell Test", shot=False)
    wait_for(lambda: "削除" in control(pc, window, 1001).text, 10, "the removal label")
    pc.screenshot(window, "removal.png")
    finish(removal)
    t0 = time.monotonic()
    wait_for(lambda: not linux_path(pc, APP).exists(), 10, "the install folder gone")
    print(f"install folder gone {time.monotonic() - t0:.1f} s after setup ended")
    assert trash(dist.env) == ["Setup.ini", "app.exe", "lib.dll"]

    after_files, after_keys = snapshot(pc)
    after_files = [f for f in after_files if not f.startswith("dist")]
    assert after_files == before_files
    changed = {k: (before_keys.get(k), after_keys.get(k)) for k in before_keys.keys() | after_keys.keys()
               if before_keys.get(k) != after_keys.get(k)}
    assert changed == {}


def test_removal_keeps_and_lists_what_the_user_made(lan):
    pc = lan.pc
    ini = SHELL_INI.replace("1=lib.dll", "1=lib.dll\n2=!readme.txt\n[Del]\nShowError=1\n0=*.log")
    dist = install(pc, ini, {"app.exe": b"MZ", "lib.dll": b"dll", "readme.txt": b"read me"})
    folder = linux_path(pc, APP)
    (folder / "app.log").write_bytes(b"log")
    (folder / "data" / "mine.txt").write_bytes(b"mine")
    removal = start_uninstall(pc, dist)
    window = main_window(pc, "Shell Test", shot="removal-ready.png")
    assert control(pc, window, IDC_COPY).text == "アンインストール"
    pc.click(window, "アンインストール")
    pc.click(window, "実行")
    listed = answer_box(pc, "ファイル・フォルダの削除", "OK", shot="leftovers.png", timeout_ms=30000)
    assert listed == f"次のものは削除されませんでした．\n\n{APP}\\data\n{APP}\n"
    finish(removal)
    wait_for(lambda: not (folder / "Setup.exe").exists(), 15, "Setup.exe gone")
    assert sorted(p.name for p in folder.iterdir()) == ["data", "readme.txt"]
    assert trash(dist.env) == ["Setup.ini", "app.exe", "app.log", "lib.dll"]
    assert not reg(pc, UNINSTALL)


def test_with_del_reboot_what_is_left_goes_at_the_restart(lan):
    pc = lan.pc
    ini = SHELL_INI.replace("1=lib.dll", "1=lib.dll\n[Del]\nReboot=1\nAuto=1")
    dist = install(pc, ini)
    folder = linux_path(pc, APP)
    (folder / "mine.txt").write_bytes(b"mine")
    removal = start_uninstall(pc, dist)
    window = main_window(pc, "Shell Test", shot=False)
    listed = answer_box(pc, "ファイル・フォルダの削除", "OK", timeout_ms=30000)
    assert listed == f"次のものは再起動後に削除されます．\n\n{APP}\n"
    pc.gone(window, timeout_ms=30000)
    question = answer_box(pc, "Shell Test", "いいえ", shot="restart-after-removal.png")
    assert question == "いくつかのファイルは\n再起動後に削除されます\n\n今すぐ再起動しますか？"
    finish(removal)
    time.sleep(6)  # no "remove" instance follows: everything waits for the restart
    assert sorted(p.name for p in folder.iterdir()) == ["Setup.exe", "Setup.ini", "mine.txt"]
    pc.wine("wineboot", "-r", timeout=120)
    assert sorted(p.name for p in folder.iterdir()) == ["mine.txt"]  # the user's file keeps its folder
