"""The package as a Windows user gets it: unpacked, installed with its setup.exe, zep started from
what setup made, a version-up while zep runs, and removal from the system's list of programs."""

import os
import shutil
import time
from datetime import datetime

import pytest

from setupapp import answer_box, control, finish, isolate, link, linux_path, main_window, reg, snapshot, trash
from zepdist import (CONTROLLER, FILES, IDC_COPY, IDC_FOLDER_LABEL, PROGRAMS, ROOT, UNINSTALL, USER_PROGRAMS,
                     close_readme, dismiss_first_start, install, quit_zep, registration, uninstall_command, unpack)
from zeptest import Display, Lan, RouterSim, wait_for

def test_install_start_and_remove_leave_the_prefix_as_it_was(lan):
    """The package installs for the user alone and goes again from the user's own list of programs."""
    pc = lan.pc
    env = isolate(pc)
    folder = unpack(pc)
    assert sorted(p.name for p in folder.iterdir()) == FILES
    user_programs_before = linux_path(pc, USER_PROGRAMS).exists()
    before_files, before_keys = snapshot(pc)

    setup, window = install(pc, env, folder, "install", folder_page=True)
    assert control(pc, window, 1002).text == ROOT
    pc.click(window, "実行")
    finish(setup)
    dismiss_first_start(pc)  # zep, opened from the menu as the last step
    pc.find_window(cls=CONTROLLER, visible=False, shot=False)

    installed = linux_path(pc, ROOT)
    assert sorted(p.name for p in installed.iterdir()) == ["Setup.exe", "Setup.ini", "connect.htm", "discon.htm",
                                                           "zep.exe", "zep.txt"]
    assert link(pc, PROGRAMS + r"\ZEP!\ZEP!.lnk")["target"] == ROOT + r"\zep.exe"
    assert link(pc, PROGRAMS + r"\ZEP!\ZEP! の説明.lnk")["target"] == ROOT + r"\zep.txt"
    startup = link(pc, PROGRAMS + r"\StartUp\ZEP!.lnk")
    assert (startup["target"], startup["work"]) == (ROOT + r"\zep.exe", ROOT)
    assert not (pc.drive_c / "users" / "root" / "Desktop" / "ZEP!.lnk").exists()
    entry = registration(pc)  # under HKEY_CURRENT_USER, none under HKEY_LOCAL_MACHINE
    assert entry["UninstallString"] == f'sz:"{ROOT}\\Setup.exe"'
    assert entry["DisplayName"] == "sz:ZEP!"

    # zep keeps its settings and its logs beside itself, in the user's own folder.
    quit_zep(pc, env)
    assert b"[ZEP]" in (installed / "zep.ini").read_bytes()
    # The Startup shortcut starts zep as Windows would at the next logon.
    pc.run("start", [PROGRAMS + r"\StartUp\ZEP!.lnk"], env=env)
    pc.find_window(cls=CONTROLLER, visible=False, shot=False, timeout_ms=30000)
    RouterSim(lan).chatter()
    syslog = installed / f"syslog_{datetime.now():%Y%m}.txt"  # what the user keeps
    wait_for(syslog.exists, 10, "the syslog file beside zep.exe")

    # Removal as the user's list of programs starts it: zep is running and is told to quit.
    removal = pc.run(uninstall_command(pc), env=env)
    close_readme(pc, "removal-readme.png")
    window = main_window(pc, "ZEP!", shot="removal-main.png")
    assert control(pc, window, IDC_COPY).checked == 1
    pc.click(window, "実行")
    listed = answer_box(pc, "ファイル・フォルダの削除", "OK", shot="removal-leftovers.png", timeout_ms=30000)
    assert listed == f"次のものは削除されませんでした．\n\n{ROOT}\n"
    finish(removal)
    assert not [w for w in pc.windows() if w.cls == CONTROLLER]
    wait_for(lambda: not (installed / "Setup.exe").exists(), 10, "Setup.exe gone")
    assert sorted(p.name for p in installed.iterdir()) == [syslog.name]
    assert trash(env) == ["Setup.ini", "connect.htm", "discon.htm", "zep.exe", "zep.ini", "zep.txt"]
    assert registration(pc) == {}

    shutil.rmtree(installed)  # the kept log aside, the prefix is as it was
    after_files, after_keys = snapshot(pc)
    # Only the user's own program folder and list of programs stay, empty, once made (as on Windows).
    made = [] if user_programs_before else [str(linux_path(pc, USER_PROGRAMS).relative_to(pc.drive_c))]
    assert after_files == sorted(before_files + made)
    user_list = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall"
    changed = {k for k in before_keys.keys() | after_keys.keys() if before_keys.get(k) != after_keys.get(k)}
    assert changed == (set() if user_list in before_keys else {user_list}) and after_keys[user_list] == {}


def test_a_version_up_while_zep_runs_replaces_it_at_the_restart(lan):
    pc = lan.pc
    env = isolate(pc)
    first = unpack(pc)
    setup, window = install(pc, env, first, "first")
    pc.click(window, "実行")
    finish(setup)
    dismiss_first_start(pc)
    installed = linux_path(pc, ROOT)
    (installed / "connect.htm").write_bytes(b"<html>mine <!--ip--></html>")  # edited by the user

    second = unpack(pc, "Desktop")
    newer = (second / "zep.exe").read_bytes() + b"\0version two"
    (second / "zep.exe").write_bytes(newer)
    later = time.time() + 86400  # built after the first: the program is newer, the rest as it was
    os.utime(second / "zep.exe", (later, later))
    setup, window = install(pc, env, second, "versionup")
    assert control(pc, window, IDC_FOLDER_LABEL).text == "(&F)バージョンアップ先"
    pc.click(window, "実行")
    finish(setup)
    # The entry keeps its name: the new Setup.ini's folder macro names no key of its own.
    assert registration(pc)["UninstallString"] == f'sz:"{ROOT}\\Setup.exe"'
    assert reg(pc, UNINSTALL.rsplit("\\", 1)[0] + r"\%userprograms%") == {}
    question = answer_box(pc, "ZEP!", "いいえ", shot="versionup-restart.png", timeout_ms=30000)
    assert question == "いくつかのファイルは\n再起動後に有効になります\n\n今すぐ再起動しますか？"
    assert (installed / "zep.exe").read_bytes() != newer
    assert (installed / "connect.htm").read_bytes() == b"<html>mine <!--ip--></html>"

    quit_zep(pc, env)
    pc.wine("wineboot", "-r", timeout=120)  # the restart
    assert (installed / "zep.exe").read_bytes() == newer
    assert not list(installed.glob("RBT*"))


@pytest.fixture
def wide_lan(wine_template, artifacts):
    display = Display(size="1920x1080x24", log_dir=artifacts).start()
    try:
        with Lan(display, wine_template, pcs=1, artifacts=artifacts) as network:
            yield network
    finally:
        display.stop()


def test_the_installer_looks_finished_on_a_large_screen(wide_lan):
    pc = wide_lan.pc
    env = isolate(pc)
    setup, window = install(pc, env, unpack(pc), "wide")
    pc.click(window, "中止")
    finish(setup)
