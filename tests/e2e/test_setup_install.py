"""setup.exe installing a distribution under Wine, driven through its windows."""

import pytest

from setupapp import Distribution, answer_box, control, finish, installed_ini, linux_path, main_window, record

IDC_FOLDER_LABEL, IDC_FOLDER, IDC_BROWSE, IDC_MENU, IDC_MENU_FOLDER = 1001, 1002, 1003, 1004, 1005
IDC_SHORTCUT, IDC_STARTUP, IDC_ASSOCIATE, IDC_SENDTO, IDC_PACKAGE, IDC_COPY = 1006, 1007, 1008, 1009, 1010, 1011
IDC_DELETE_AFTER, IDC_README, IDOK, IDCANCEL = 1012, 1014, 1, 2

FRESH = """
[Setup]
Name=テスト App
[Root]
Name=%programs%\\TestApp
[Check]
Menu=2
Desktop=1
Startup=0
Ext=0
Send=0
Copy=1
[MakeDirectory]
1=data\\logs
[CopyFile]
0=app.exe
1=!readme.txt
2=data\\app.dat
3=%windows%\\testapp.ini
"""


def test_fresh_install_copies_and_records_everything(lan):
    pc = lan.pc
    dist = Distribution(pc, FRESH, {"app.exe": b"MZ app", "readme.txt": "説明", "data/app.dat": b"dat",
                                    "%windows%/testapp.ini": b"[x]"})
    # Started from another folder: setup still finds its files beside itself.
    setup = dist.start(cwd=pc.drive_c / "users")
    window = main_window(pc, "テスト App", shot="main-fresh.png")
    controls = {c.id: c for c in pc.controls(window)}
    assert controls[IDC_FOLDER].text == r"C:\Program Files\TestApp"
    assert controls[IDC_FOLDER_LABEL].text == "(&F)インストール先"
    assert controls[IDC_MENU].visible and controls[IDC_MENU].checked == 1
    assert controls[IDC_SHORTCUT].visible and controls[IDC_SHORTCUT].checked == 0
    assert not controls[IDC_STARTUP].visible and not controls[IDC_SENDTO].visible
    assert controls[IDC_PACKAGE].text == "インストーラー"
    pc.click(window, "実行")
    finish(setup)

    root = r"C:\Program Files\TestApp"
    installed = linux_path(pc, root)
    assert (installed / "app.exe").read_bytes() == b"MZ app"
    assert (installed / "readme.txt").read_bytes() == "説明".encode("cp932")
    assert (installed / "data" / "app.dat").read_bytes() == b"dat"
    assert (pc.drive_c / "windows" / "testapp.ini").read_bytes() == b"[x]"
    assert (installed / "Setup.exe").read_bytes() == (dist.folder / "setup.exe").read_bytes()
    ini = installed_ini(pc, root)
    assert record(ini, "MakedDirectory") == [root, root + r"\data", root + r"\data\logs"]
    assert record(ini, "CopiedFile") == [root + r"\app.exe", root + r"\data\app.dat", r"C:\windows\testapp.ini"]
    assert ini.get("Root", "Name") == "TestApp"
    assert ini.get("Root", "Named") == root
    assert ini.get("Setup", "Name") == "テスト App"
    assert dist.ini().get("CopiedFile", "Count") == "3"  # the distribution's copy shows it installed
