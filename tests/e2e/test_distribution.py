"""The package as a Windows user gets it: unpacked, installed with its setup.exe, zep started from
what setup made, a version-up while zep runs, and removal from the system's list of programs."""

import os
import re
import shutil
import time
import zipfile

import pytest

from setupapp import MAIN, answer_box, control, finish, isolate, linux_path, main_window
from test_setup_shell import link, reg, snapshot, trash
from zeptest import Display, Lan, paths, wait_for

ROOT = r"C:\ZEP!"
PROGRAMS = r"C:\users\root\AppData\Roaming\Microsoft\Windows\Start Menu\Programs"
UNINSTALL = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\ZEP!"
FILES = ["Setup.ini", "connect.htm", "discon.htm", "setup.exe", "zep.exe", "zep.txt"]
IDC_FOLDER_LABEL, IDC_COPY = 1001, 1011
CONTROLLER = "TZEPHiddenForm"


def package():
    found = sorted(paths.build_w64().glob("zep-*-*.zip"))
    if not found:
        pytest.skip("no package: scripts/build.sh makes it (cpack)")
    return found[-1]


def unpack(pc, name="Downloads"):
    """The package unpacked into the user's Downloads; returns the folder (Linux path)."""
    target = pc.drive_c / "users" / "root" / name
    with zipfile.ZipFile(package()) as z:
        z.extractall(target)
        for info in z.infolist():  # as Explorer unpacks: the files keep their times
            stamp = time.mktime(info.date_time + (0, 0, -1))
            os.utime(target / info.filename, (stamp, stamp))
        folder = target / z.namelist()[0].split("/")[0]
    return folder


def windows_path(pc, path):
    return pc.windows_path(path)


def close_readme(pc, shot):
    """The painted readme opens first; closes it with its end button."""
    readme = pc.find_window(cls=MAIN, title="ZEP!", timeout_ms=20000, shot=False)
    time.sleep(0.3)
    pc.screenshot(None, shot)  # the background behind the readme page
    pc.click(readme, "説明終了(&E)")
    pc.gone(readme)


def dismiss_first_start(pc):
    box = pc.find_window(cls=MAIN, title="情報", timeout_ms=20000, shot=False)
    pc.click(box, "OK")
    pc.gone(box)


def quit_zep(pc, env):
    assert pc.wine(ROOT + r"\zep.exe", "-quit", env=env, timeout=60).returncode == 0
    wait_for(lambda: not [w for w in pc.windows() if w.cls == CONTROLLER], 20, "zep ended")


def install(pc, env, folder, shot_prefix):
    setup = pc.run(windows_path(pc, folder / "setup.exe"), env=env)
    close_readme(pc, f"{shot_prefix}-readme.png")
    window = main_window(pc, "ZEP!", shot=False)
    pc.screenshot(None, f"{shot_prefix}-main.png")
    return setup, window


def test_install_start_and_remove_leave_the_prefix_as_it_was(lan):
    pc = lan.pc
    env = isolate(pc)
    folder = unpack(pc)
    assert sorted(p.name for p in folder.iterdir()) == FILES
    before_files, before_keys = snapshot(pc)

    setup, window = install(pc, env, folder, "install")
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
    registration = reg(pc, UNINSTALL)[UNINSTALL.split("\\", 1)[1]]
    assert registration["UninstallString"] == f'sz:"{ROOT}\\Setup.exe"'
    assert registration["DisplayName"] == "sz:ZEP!"

    # The Startup shortcut starts zep as Windows would at the next logon.
    quit_zep(pc, env)
    pc.run("start", [PROGRAMS + r"\StartUp\ZEP!.lnk"], env=env)
    pc.find_window(cls=CONTROLLER, visible=False, shot=False, timeout_ms=20000)
    (installed / "syslog_202612.txt").write_bytes(b"<30>PPP connect\r\n")  # what the user keeps

    # Removal as the system's list of programs starts it: zep is running and is told to quit.
    removal = pc.run(ROOT + r"\Setup.exe", env=env)
    close_readme(pc, "removal-readme.png")
    window = main_window(pc, "ZEP!", shot="removal-main.png")
    assert control(pc, window, IDC_COPY).checked == 1
    pc.click(window, "実行")
    listed = answer_box(pc, "ファイル・フォルダの削除", "OK", shot="removal-leftovers.png", timeout_ms=30000)
    assert listed == f"次のものは削除されませんでした．\n\n{ROOT}\n"
    finish(removal)
    assert not [w for w in pc.windows() if w.cls == CONTROLLER]
    wait_for(lambda: not (installed / "Setup.exe").exists(), 10, "Setup.exe gone")
    assert sorted(p.name for p in installed.iterdir()) == ["syslog_202612.txt"]
    assert trash(env_dist(env)) == ["Setup.ini", "connect.htm", "discon.htm", "zep.exe", "zep.ini", "zep.txt"]

    shutil.rmtree(installed)  # the kept log aside, the prefix is as it was
    after_files, after_keys = snapshot(pc)
    assert after_files == before_files
    assert {k for k in before_keys.keys() | after_keys.keys() if before_keys.get(k) != after_keys.get(k)} == set()


def env_dist(env):
    class Dist:
        pass

    d = Dist()
    d.env = env
    return d


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
    question = answer_box(pc, "ZEP!", "いいえ", shot="versionup-restart.png", timeout_ms=20000)
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
