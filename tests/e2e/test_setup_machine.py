"""A per-machine installation's folder under Wine. Wine keeps no file security descriptors: it maps
an access list onto the Unix mode bits of the owner and of Everyone, so "Everyone may change it" is
the one unsafe folder it can show (and a folder made with an access list of its own can only be
made under a safe one there); the other cases are decided and tested in setup's core. So is the
folder that another user makes between the check at the start and the copying step (judged again
once it is there): no gap between the two can be held open from outside here."""

import shutil
import time

import pytest

from setupapp import Distribution, box_text, finish, linux_path, main_window, reg
from zeptest import ProbeError, paths, wait_for

APP = r"C:\Program Files\TestApp"
UNINSTALL = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\TestApp"


def machine_ini(root=r"%programs%\TestApp", unattended=False):
    return f"""
[Setup]
Name=TestApp
Auto={1 if unattended else 0}
[Root]
Name={root}
[Check]
Menu=1
[Menu]
Name=TestApp
[MakeDirectory]
1=data
[CopyFile]
0=app.exe
"""


IDC_FOLDER = 1002


def answer_message_box(pc, shot):
    """Waits for setup's message box (it has the product's name for its title, as the main window
    has, which holds the folder field), clicks OK; returns its text."""
    def boxes():
        found = []
        for w in pc.windows():
            try:
                if w.visible and w.cls == "#32770" and all(c.id != IDC_FOLDER for c in pc.controls(w)):
                    found.append(w)
            except ProbeError:  # gone meanwhile
                pass
        return found

    box = wait_for(boxes, 20, "the message box")[0]
    pc.find_window(box, shot=shot)
    text = box_text(pc, box)
    pc.click(box, "OK")
    pc.gone(box)
    return text


WRITABLE = {
    "ja": "このインストール先は，管理者以外のユーザーが書き込めるため使えません．\n\n{}\n\n",
    "en": "This install folder cannot be used: users other than the administrators can write into it.\n\n{}\n\n",
}
MOVABLE = "このインストール先は，上のフォルダーを管理者以外のユーザーが変更できるため使えません．\n\n{}\n\n"
ADVICE = {
    "ja": "何もコピーしていません．管理者だけが変更できるフォルダーを選んでください．",
    "en": "Nothing was copied. Choose a folder that only administrators can change.",
}


@pytest.mark.parametrize("unattended,language,where", [(False, "ja", "folder"), (True, "en", "folder"),
                                                        (False, "ja", "above")])
def test_an_install_folder_everyone_may_change_is_refused_before_anything_is_copied(lan, unattended, language, where):
    pc = lan.pc
    root = APP if where == "folder" else r"C:\Shared\TestApp"
    dist = Distribution(pc, machine_ini(root=r"%programs%\TestApp" if where == "folder" else r"Shared\TestApp",
                                        unattended=unattended), {"app.exe": b"x"})
    # What Wine reports as Everyone with the rights to write into, delete and rename: the install
    # folder itself, or a folder above it (someone could put another folder in its place).
    changeable = linux_path(pc, root) if where == "folder" else pc.drive_c / "Shared"
    changeable.mkdir(parents=True)
    changeable.chmod(0o777)
    setup = dist.start(env={"LANG": "C.UTF-8"} if language == "en" else None)
    if not unattended:
        pc.click(main_window(pc, "TestApp"), "実行")
    reason = WRITABLE[language] if where == "folder" else MOVABLE
    assert answer_message_box(pc, f"refused-{where}-{language}.png") == reason.format(root) + ADVICE[language]
    if not unattended:
        # The window stays for another folder to be chosen; nothing has started.
        pc.click(main_window(pc, "TestApp"), "中止")
    finish(setup)
    assert list(changeable.iterdir()) == []
    assert reg(pc, UNINSTALL) == {}
    assert not (pc.drive_c / "users" / "root" / "AppData" / "Roaming" / "Microsoft" / "Windows" / "Start Menu" /
                "Programs" / "TestApp").exists()
    assert "CopiedFile" not in dist.ini().sections  # the distribution does not think itself installed


def test_a_version_up_that_cannot_leave_its_setup_behind_starts_nothing_from_the_folder(lan):
    pc = lan.pc
    dist = Distribution(pc, machine_ini() + "Reboot=1\n", {"app.exe": b"new app"})
    folder = linux_path(pc, APP)
    folder.mkdir(parents=True)
    (folder / "app.exe").write_bytes(b"old app")
    # The earlier version's setup, in use as a running program's file is (it can be started, not
    # written): it cannot be replaced, and the restart question it would ask must not be started.
    shutil.copy(paths.require_exe(paths.setup_exe(), "setup"), folder / "Setup.exe")
    holders = [pc.run(paths.probe_exe(), ["hold", APP + "\\" + name, "20000", share])
               for name, share in (("app.exe", "none"), ("Setup.exe", "read"))]
    for holder in holders:
        holder.wait_for_output("HOLDING", 20)
    setup = dist.start()
    pc.click(main_window(pc, "TestApp"), "実行")
    assert answer_message_box(pc, "setup-not-copied.png") == (
        "セットアップをインストール先にコピーできなかったため，そこからは何も起動しません．\n"
        f"再起動が必要な場合は，ご自分でコンピューターを再起動してください．\n\n{APP}")
    finish(setup)
    time.sleep(8)  # the follow-up would ask after 5 s
    assert not [w for w in pc.windows() if w.visible and w.cls == "#32770"]
    assert list(folder.glob("RBT*.tmp"))  # the replacement at the restart is noted all the same
    for holder in holders:
        assert holder.wait(30) == 0
