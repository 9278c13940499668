"""setup under Wine where a careless reading fails: the main window without a background, a removal
before the restart a version-up asked for, a record damaged beyond reason and a readme of megabytes."""

import re

from setupapp import MAIN, Distribution, answer_box, control, finish, installed_ini, linux_path, main_window
from zeptest import paths, wait_for

from test_setup_install import APP, SOME as PRODUCT

SOME = PRODUCT + "0=app.exe\n1=other.dll\n"
FILES = {"app.exe": b"new app", "other.dll": b"new other"}


def install(pc, dist):
    setup = dist.start()
    pc.click(main_window(pc, "TestApp"), "実行")
    finish(setup)


def test_without_a_background_the_main_window_stands_alone_with_its_own_task_bar_button(lan):
    pc = lan.pc
    dist = Distribution(pc, SOME, FILES)
    setup = dist.start()
    window = main_window(pc, "TestApp", shot="main-alone.png")
    state = dict(field.split("=", 1) for field in pc.probe("owner", window.arg).split())
    assert int(state["owner"], 16) == 0  # not owned by the hidden background window
    assert state["appwindow"] == "1"
    assert state["foreground"] == "1"
    pc.click(window, "中止")
    finish(setup)


def test_a_removal_before_the_restart_cancels_the_replacements_that_would_bring_files_back(lan):
    pc = lan.pc
    dist = Distribution(pc, SOME + "Reboot=1\n", FILES)
    installed = linux_path(pc, APP)
    installed.mkdir(parents=True)
    (installed / "app.exe").write_bytes(b"old app")
    holder = pc.run(paths.probe_exe(), ["hold", APP + r"\app.exe", "14000"])
    holder.wait_for_output("HOLDING", 20)
    install(pc, dist)
    assert len(list(installed.glob("RBT*.tmp"))) == 1  # the new app.exe waits for the restart
    answer_box(pc, "TestApp", "いいえ", shot=False, timeout_ms=30000)  # no restart now
    assert holder.wait(30) == 0

    removal = pc.run(APP + r"\Setup.exe", ["uninstall"], env=dist.env)
    finish(removal)
    wait_for(lambda: not installed.exists(), 30, "the install folder gone, stand-in and all")
    pc.wine("wineboot", "-r", timeout=120)  # the restart
    assert not installed.exists(), sorted(p.name for p in installed.iterdir())


def _with_count(text, section, count):
    """`text` (a Setup.ini) with the Count of `section` replaced."""
    head, sep, rest = text.partition(f"[{section}]\r\n")
    return head + sep + re.sub(r"(?m)^Count=\d+", f"Count={count}", rest, count=1)


def test_a_record_with_an_absurd_count_is_removed_without_hanging(lan):
    pc = lan.pc
    dist = Distribution(pc, SOME, FILES)
    install(pc, dist)
    installed = linux_path(pc, APP)
    ini = installed / "Setup.ini"
    ini.write_bytes(_with_count(ini.read_bytes().decode("cp932"), "CopiedFile", 2147483647).encode("cp932"))
    assert installed_ini(pc, APP).get("CopiedFile", "Count") == "2147483647"
    removal = pc.run(APP + r"\Setup.exe", ["uninstall"], env=dist.env)
    finish(removal, timeout=240)
    wait_for(lambda: not installed.exists(), 30, "the install folder gone")


def test_a_readme_of_megabytes_is_shown_up_to_its_bound_and_says_so(lan):
    pc = lan.pc
    ini = SOME.replace("[CopyFile]", "[Readme]\nFile=readme.txt\nDone=2\n[CopyFile]")
    dist = Distribution(pc, ini, {**FILES, "readme.txt": "説明の行です。\r\n" * 200000})  # 3.2 MB
    setup = dist.start()
    readme = pc.find_window(cls=MAIN, title="TestApp", timeout_ms=30000, shot="readme-cut.png")
    text = control(pc, readme, 1101).text
    assert text.endswith("説明の行です。\r\n\r\n（説明が長すぎるため，ここから後は表示していません）\r\n")
    assert len(text.encode("cp932")) < 300_000
    pc.post(readme, 0x0111, 2)  # WM_COMMAND IDCANCEL: closes the readme
    window = main_window(pc, "TestApp", timeout_ms=30000)
    pc.click(window, "中止")
    finish(setup)
