"""zep's package as a Windows user installs it (shared by the distribution's tests and the demo)."""

import time

import pytest

from setupapp import MAIN, main_window, reg
from setupapp import unpack as unpack_package
from zeptest import paths, wait_for

# Installed for the user alone: into the user's own program folder (Wine knows no
# FOLDERID_UserProgramFiles; setup takes its documented place in the local application data), the
# installed-programs entry under HKEY_CURRENT_USER.
USER_PROGRAMS = r"C:\users\root\AppData\Local\Programs"
ROOT = USER_PROGRAMS + r"\ZEP!"
PROGRAMS = r"C:\users\root\AppData\Roaming\Microsoft\Windows\Start Menu\Programs"
UNINSTALL = r"HKEY_CURRENT_USER\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\ZEP!"
MACHINE_UNINSTALL = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\ZEP!"
FILES = ["Setup.ini", "connect.htm", "discon.htm", "setup.exe", "zep.exe", "zep.txt"]
IDC_FOLDER_LABEL, IDC_COPY = 1001, 1011
CONTROLLER = "TZEPHiddenForm"


def package():
    """The package of the build under test (made by scripts/build.sh with CPack)."""
    found = sorted(paths.build_dir().glob("zep-*-*.zip"))
    if not found:
        pytest.skip("no package: scripts/build.sh makes it (cpack)")
    return found[-1]


def unpack(pc, name="Downloads"):
    """The package unpacked into the user's folder `name`; returns its folder (Linux path)."""
    return unpack_package(pc, package(), name)


def close_readme(pc, shot, folder_page_shot=None):
    """The painted readme opens first; closes it with its end button. With `folder_page_shot`, its
    page on the install folder is shown on the way."""
    readme = pc.find_window(cls=MAIN, title="ZEP!", timeout_ms=30000, shot=False)
    time.sleep(0.3)
    pc.screenshot(None, shot)  # the background behind the readme page
    if folder_page_shot:
        pc.click(readme, "インストール先について")
        time.sleep(0.3)
        pc.screenshot(None, folder_page_shot)
        pc.click(readme, "戻る")
    pc.click(readme, "説明終了(&E)")
    pc.gone(readme)


def dismiss_first_start(pc):
    box = pc.find_window(cls=MAIN, title="情報", timeout_ms=30000, shot=False)
    pc.click(box, "OK")
    pc.gone(box)


def quit_zep(pc, env):
    assert pc.wine(ROOT + r"\zep.exe", "-quit", env=env, timeout=60).returncode == 0
    wait_for(lambda: not [w for w in pc.windows() if w.cls == CONTROLLER], 20, "zep ended")


def registration(pc):
    """The values of zep's installed-programs entry ({} without one); asserts that there is none
    for every user of the machine."""
    assert reg(pc, MACHINE_UNINSTALL) == {}
    return reg(pc, UNINSTALL).get(UNINSTALL.split("\\", 1)[1], {})


def uninstall_command(pc):
    """The program of the entry's UninstallString, as the installed-programs list starts it."""
    return registration(pc)["UninstallString"].split(":", 1)[1].strip('"')


def install(pc, env, folder, shot_prefix, folder_page=False):
    """Starts the package's setup.exe, closes the readme it opens first; (process, main window)."""
    setup = pc.run(pc.windows_path(folder / "setup.exe"), env=env)
    close_readme(pc, f"{shot_prefix}-readme.png", f"{shot_prefix}-readme-folder.png" if folder_page else None)
    window = main_window(pc, "ZEP!", shot=False)
    pc.screenshot(None, f"{shot_prefix}-main.png")
    return setup, window
