"""zep's package as a Windows user installs it (shared by the distribution's tests and the demo)."""

import time

import pytest

from setupapp import MAIN, main_window
from setupapp import unpack as unpack_package
from zeptest import paths, wait_for

ROOT = r"C:\ZEP!"
PROGRAMS = r"C:\users\root\AppData\Roaming\Microsoft\Windows\Start Menu\Programs"
UNINSTALL = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\ZEP!"
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
    """Starts the package's setup.exe, closes the readme it opens first; (process, main window)."""
    setup = pc.run(pc.windows_path(folder / "setup.exe"), env=env)
    close_readme(pc, f"{shot_prefix}-readme.png")
    window = main_window(pc, "ZEP!", shot=False)
    pc.screenshot(None, f"{shot_prefix}-main.png")
    return setup, window
