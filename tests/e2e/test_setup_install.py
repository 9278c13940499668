"""setup.exe installing a distribution under Wine, driven through its windows."""

import os
import re
import stat
import subprocess

import pytest

from setupapp import (MAIN, Distribution, answer_box, control, finish, installed_ini, linux_path, main_window,
                      record, wait_file)
from zeptest import paths, wait_for

IDC_FOLDER_LABEL, IDC_FOLDER, IDC_BROWSE, IDC_MENU, IDC_MENU_FOLDER = 1001, 1002, 1003, 1004, 1005
IDC_SHORTCUT, IDC_STARTUP, IDC_ASSOCIATE, IDC_SENDTO, IDC_PACKAGE, IDC_COPY = 1006, 1007, 1008, 1009, 1010, 1011
IDC_DELETE_AFTER, IDC_README, IDOK, IDCANCEL = 1012, 1014, 1, 2
IDC_README_TEXT, IDC_PAGE1, IDC_PAGE2 = 1101, 1102, 1103

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


APP = r"C:\Program Files\TestApp"
SOME = """
[Setup]
Name=TestApp
[Root]
Name=%programs%\\TestApp
[CopyFile]
"""


def _entries(*entries):
    return "".join(f"{i}={e}\n" for i, e in enumerate(entries))


def test_reinstalling_asks_once_keeps_or_replaces_by_prefix_and_lists_failures(lan):
    pc = lan.pc
    names = ["app.exe", "keep.dll", "help.txt", "data.bin"]
    dist = Distribution(pc, SOME + _entries("app.exe", "&keep.dll", "?help.txt", "*gone.dll", "lost.txt",
                                            "!data.bin") + "DefaultNo=1\n")
    installed = linux_path(pc, APP)
    installed.mkdir(parents=True)
    for name in names:
        dist.add(name, b"new " + name.encode(), mtime=1_700_000_000)
        (installed / name).write_bytes(b"old " + name.encode())
        # as new as the distribution's: asked, unless the entry says otherwise
        os.utime(installed / name, (1_700_000_000, 1_700_000_000))
    setup = dist.start()
    pc.click(main_window(pc, "TestApp"), "実行")
    question = answer_box(pc, "TestApp", "はい", shot="overwrite-question.png")
    assert question == (f"以下のファイルは新しいものが存在します．\r\n\r\n{APP}\\app.exe\r\n{APP}\\data.bin\r\n"
                        "\r\n上書きしますか？")
    failed = answer_box(pc, "TestApp", "OK", shot="not-copied.png")
    assert failed == f"以下のファイルはコピーできませんでした\r\n\r\n{APP}\\lost.txt\r\n\r\n処理は継続します"
    finish(setup)
    assert (installed / "app.exe").read_bytes() == b"new app.exe"
    assert (installed / "keep.dll").read_bytes() == b"old keep.dll"
    assert (installed / "help.txt").read_bytes() == b"new help.txt"
    assert (installed / "data.bin").read_bytes() == b"new data.bin"
    assert record(installed_ini(pc, APP), "CopiedFile") == [APP + r"\help.txt", APP + r"\app.exe"]


def test_a_file_in_use_is_replaced_at_the_next_restart(lan):
    pc = lan.pc
    dist = Distribution(pc, SOME + _entries("app.exe", "other.dll") + "Reboot=1\n",
                        {"app.exe": b"new app", "other.dll": b"new other"})
    installed = linux_path(pc, APP)
    installed.mkdir(parents=True)
    (installed / "app.exe").write_bytes(b"old app")
    holder = pc.run(paths.probe_exe(), ["hold", APP + r"\app.exe", "14000"])
    holder.wait_for_output("HOLDING", 20)
    setup = dist.start()
    pc.click(main_window(pc, "TestApp"), "実行")
    finish(setup)
    assert (installed / "app.exe").read_bytes() == b"old app"
    assert (installed / "other.dll").read_bytes() == b"new other"
    stand_ins = list(installed.glob("RBT*.tmp"))
    assert len(stand_ins) == 1 and stand_ins[0].read_bytes() == b"new app"
    # The follow-up instance offers the restart; a test never restarts anything.
    question = answer_box(pc, "TestApp", "いいえ", shot="restart-question.png", timeout_ms=30000)
    assert question == "いくつかのファイルは\n再起動後に有効になります\n\n今すぐ再起動しますか？"
    assert holder.wait(30) == 0
    pc.wine("wineboot", "-r", timeout=120)  # Wine's restart carries out the pending renames
    assert (installed / "app.exe").read_bytes() == b"new app"
    assert not list(installed.glob("RBT*.tmp"))
    assert record(installed_ini(pc, APP), "CopiedFile") == [APP + r"\app.exe", APP + r"\other.dll"]


def test_a_version_up_keeps_the_earlier_record_and_the_installed_copy_offers_removal(lan):
    pc = lan.pc
    first = Distribution(pc, SOME + _entries("app.exe", "old.dll"), {"app.exe": b"1", "old.dll": b"1"})
    setup = first.start()
    pc.click(main_window(pc, "TestApp"), "実行")
    finish(setup)
    pc.wine("reg", "add", r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TestApp", "/v",
            "UninstallString", "/d", f'"{APP}\\Setup.exe" uninstall', "/f")

    second = Distribution(pc, SOME + _entries("app.exe", "new.dll"), {"app.exe": b"2", "new.dll": b"2"},
                          name="dist2", env=first.env)
    setup = second.start()
    window = main_window(pc, "TestApp", shot="main-versionup.png")
    assert control(pc, window, IDC_FOLDER_LABEL).text == "(&F)バージョンアップ先"
    assert control(pc, window, IDC_FOLDER).text == APP
    pc.click(window, "実行")
    finish(setup)
    assert record(installed_ini(pc, APP), "CopiedFile") == [APP + r"\app.exe", APP + r"\new.dll", APP + r"\old.dll"]
    # The product's folder name is the one it was registered under: a version-up does not rename it.
    assert second.ini().get("Root", "Name") == r"%programs%\TestApp"

    installed = pc.run(APP + r"\Setup.exe", env=first.env)
    window = main_window(pc, "TestApp", shot="main-installed.png")
    controls = {c.id: c for c in pc.controls(window)}
    assert controls[IDC_FOLDER_LABEL].text == "インストール済です．"
    assert controls[IDC_COPY].text == "アンインストール" and controls[IDC_COPY].visible
    assert not controls[IDC_BROWSE].visible and not controls[IDC_PACKAGE].visible
    assert controls[IDC_COPY].rect[1] == controls[IDC_MENU].rect[1]
    pc.click(window, "中止")
    finish(installed)


def test_an_unattended_run_needs_no_click_and_shows_no_readme(lan):
    pc = lan.pc
    dist = Distribution(pc, SOME.replace("Name=TestApp", "Name=TestApp\nAuto=1") + _entries("app.exe") +
                        "[Readme]\nFile=readme.txt\nDone=2\n",
                        {"app.exe": b"x", "readme.txt": "読んでください"})
    setup = dist.start()
    window = main_window(pc, "TestApp", shot="main-auto.png")
    controls = {c.id: c for c in pc.controls(window)}
    assert not any(controls[i].visible for i in (IDOK, IDCANCEL, IDC_README, IDC_BROWSE))
    assert window.size[1] < 157  # shrunk: the buttons' row is gone
    finish(setup)
    assert (linux_path(pc, APP) / "app.exe").read_bytes() == b"x"
    assert not [w for w in pc.windows() if w.visible and w.cls == MAIN]


AGREEMENT = SOME + _entries("app.exe") + "[Go]\nAgree=1\n[Readme]\nFile=license.txt\nDone=2\n"


@pytest.mark.parametrize("agree", [False, True])
def test_the_agreement_decides_before_anything_is_copied(lan, agree):
    pc = lan.pc
    dist = Distribution(pc, AGREEMENT, {"app.exe": b"x", "license.txt": "使用許諾\r\n\t第一条"})
    setup = dist.start()
    readme = pc.find_window(cls=MAIN, title="TestApp", timeout_ms=30000, shot="agreement.png")
    controls = {c.id: c for c in pc.controls(readme)}
    assert controls[IDC_README_TEXT].text == "使用許諾\r\n\t第一条"
    assert (controls[IDC_PAGE1].text, controls[IDC_PAGE2].text) == ("(&A) 同意します", "(&C) 中止")
    pc.click(readme, "(&A) 同意します" if agree else "(&C) 中止")
    if agree:
        window = main_window(pc, "TestApp")
        assert not control(pc, window, IDC_README).visible
        pc.click(window, "実行")
    finish(setup)
    assert (linux_path(pc, APP) / "app.exe").exists() == agree
    assert dist.ini().get("Readme", "Done") == "1"


def test_go2_runs_commands_and_reports_what_failed(lan):
    pc = lan.pc
    dist = Distribution(pc, SOME + _entries("app.exe") + "[Go2]\n" + "".join(f"Make{i}={e}\n" for i, e in enumerate([
        r"cmd /c echo done> C:\go2.txt",
        "nolib.dll;Start",
        "x.dll;#CheckExist;runtime",
        r"%system%\kernel32.dll;NoSuchEntry",
        r"%system%\kernel32.dll;GetTickCount",
        "nothing.exe",
        "quiet.exe;;hide",
    ])), {"app.exe": b"x"})
    setup = dist.start()
    pc.click(main_window(pc, "TestApp"), "実行")
    assert answer_box(pc, "nothing.exe", "OK") == "実行を失敗しました"
    assert answer_box(pc, "TestApp", "OK") == "ライブラリをロードできませんでした\n\nnolib.dll\n"
    assert answer_box(pc, "TestApp", "OK") == "ライブラリがありません\n\nx.dll\n -> runtime\n"
    assert answer_box(pc, "TestApp", "OK") == (
        "エントリポイントを見つけられませんでした\n\nC:\\windows\\system32\\kernel32.dll\n -> NoSuchEntry\n")
    finish(setup)
    assert wait_file(pc.drive_c / "go2.txt")


def test_english_texts_on_other_code_pages(lan):
    pc = lan.pc
    dist = Distribution(pc, SOME + _entries("app.exe") + "[Check]\nMenu=1\nCopy=2\nDel=1\n[Readme]\nDone=1\n")
    setup = dist.start(env={"LANG": "C.UTF-8"})
    window = main_window(pc, "TestApp", shot="main-english.png")
    texts = {c.id: c.text for c in pc.controls(window)}
    assert [texts[i] for i in (IDC_FOLDER_LABEL, IDC_MENU, IDC_COPY, IDC_DELETE_AFTER, IDOK, IDCANCEL, IDC_README)] == [
        "&Folder to install...", "&Menu", "Co&py", "&Delete after...", "OK", "Cancel", "Readme"]
    assert texts[IDC_PACKAGE] == "Installer"
    pc.click(window, "Cancel")
    finish(setup)


def test_a_distribution_on_a_read_only_medium_still_leaves_its_record(lan):
    pc = lan.pc
    source = Distribution(pc, SOME + _entries("app.exe", "lib.dll"), {"app.exe": b"x", "lib.dll": b"y"}, name="cd-image")
    before = (source.folder / "Setup.ini").read_bytes()
    cdrom = pc.drive_c / "cdrom"
    cdrom.mkdir()
    # Wine's programs look the files up and the PC's wineserver opens them: both see the medium.
    mounts = [[], ["nsenter", "-t", str(pc.server.pid), "-m"]]
    for where in mounts:
        subprocess.run([*where, "mount", "--bind", "-o", "ro", source.folder, cdrom], check=True)
    user_temp, system_temp = pc.drive_c / "users" / "root" / "Temp", pc.drive_c / "windows" / "temp"
    there = {p.name for p in system_temp.iterdir()}
    try:
        setup = pc.run(r"C:\cdrom\setup.exe", env=source.env)
        window = main_window(pc, "TestApp")
        # The working copy's folder: a name nobody could foresee, for its owner only (Wine shows an
        # access list without Everyone as mode bits without "others"). Every Wine process holds the
        # full token, so setup is elevated here: the folder is for the administrators only, under
        # the system's temporary folder, not in the account's %TEMP% that its unelevated programs
        # may change (that choice is tested in setup's core).
        assert not list(user_temp.glob("setup-*"))
        private = [p for p in system_temp.glob("setup-*") if p.name not in there]
        assert len(private) == 1 and re.fullmatch(r"setup-[0-9a-f]{32}", private[0].name)
        assert stat.S_IMODE(private[0].stat().st_mode) & 0o007 == 0, oct(private[0].stat().st_mode)
        pc.click(window, "実行")
        finish(setup)
    finally:
        for where in mounts:
            subprocess.run([*where, "umount", cdrom], check=True)
    assert (source.folder / "Setup.ini").read_bytes() == before
    ini = installed_ini(pc, APP)
    assert record(ini, "CopiedFile") == [APP + r"\app.exe", APP + r"\lib.dll"]
    assert ini.get("Root", "Named") == APP
    assert not private[0].exists()  # the working copy is gone


def test_the_readme_button_shows_the_text_and_closing_returns(lan):
    pc = lan.pc
    dist = Distribution(pc, SOME + _entries("app.exe") + "[Readme]\nFile=%root%\\readme.txt\nDone=1\n",
                        {"app.exe": b"x", "readme.txt": "ZEP! について\r\n\r\n1.\tインストール\r\n"})
    setup = dist.start()
    window = main_window(pc, "TestApp")
    pc.click(window, "説明を読む")
    # Not installed yet: the file is not in the install folder and is read beside the program.
    readme = next(w for w in wait_for(lambda: [w for w in pc.windows() if w.visible and w.cls == MAIN
                                               and w.hwnd != window.hwnd], 10, "the readme window"))
    pc.screenshot(readme, "readme.png")
    controls = {c.id: c for c in pc.controls(readme)}
    assert controls[IDC_README_TEXT].text == "ZEP! について\r\n\r\n1.\tインストール\r\n"
    assert not controls[IDC_PAGE1].visible and not controls[IDC_PAGE2].visible
    assert controls[IDC_README_TEXT].rect[3] - controls[IDC_README_TEXT].rect[1] == readme.client[3] - readme.client[1]
    pc.post(readme, "WM_CLOSE")
    pc.gone(readme)
    pc.click(window, "中止")
    finish(setup)
    assert not (linux_path(pc, APP)).exists()
