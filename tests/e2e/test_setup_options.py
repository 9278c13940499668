"""setup's options under Wine: the shortcuts opened at the end of a run, the forced menu, the agreement
without a readable text, and an installation that undoes what an earlier one made."""

from setupapp import Distribution, control, finish, installed_ini, link, linux_path, main_window, reg, trash
from zeptest import wait_for

APP = r"C:\Program Files\Opt Test"
PROGRAMS = r"C:\users\root\AppData\Roaming\Microsoft\Windows\Start Menu\Programs"
MENU = PROGRAMS + r"\Opt Test"
STARTUP = PROGRAMS + r"\StartUp"
DESKTOP = r"C:\users\root\Desktop"
SENDTO = r"C:\users\root\AppData\Roaming\Microsoft\Windows\SendTo"
UNINSTALL = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Opt Test"
IDC_MENU, IDC_MENU_FOLDER, IDC_SHORTCUT, IDC_STARTUP, IDC_ASSOCIATE, IDC_SENDTO = 1004, 1005, 1006, 1007, 1008, 1009
IDOK, IDC_README_TEXT, IDC_PAGE1, IDC_PAGE2 = 1, 1101, 1102, 1103

BASE = """
[Setup]
Name=Opt Test
[Root]
Name=%programs%\\Opt Test
[CopyFile]
0=app.exe
"""


def opening(pc, menu, startup, desktop, last_go, rest):
    """A distribution whose shortcuts' programs leave C:\\marks\\<mark>.txt behind when they are opened:
    menu shortcuts [(name, mark)] (mark None: a program that is not there), the Startup and the
    Desktop shortcut (name, mark), the LastGo keys and the rest of the Setup.ini."""
    (pc.drive_c / "marks").mkdir()

    def section(name, mark):
        if mark is None:
            return f"Name={name}\nPath=!C:\\nowhere\\gone.exe\n"
        return f"Name={name}\nPath=!C:\\windows\\system32\\cmd.exe\nArg=/c echo {mark}> C:\\marks\\{mark}.txt\n"

    menus = "".join(f"[Menu{i}]\n{section(*entry)}" for i, entry in enumerate(menu))
    ini = (f"{BASE}[Menu]\nName=Opt Test\n{menus}[Startup]\n{section(*startup)}[Desktop]\n{section(*desktop)}"
           f"[LastGo]\n{last_go}{rest}")
    return Distribution(pc, ini, {"app.exe": b"MZ"})


def run_setup(pc, dist, untick=()):
    setup = dist.start()
    window = main_window(pc, "Opt Test")
    for box in untick:
        pc.click(window, box)
    pc.click(window, "実行")
    finish(setup)


def marks(pc):
    return sorted(p.stem for p in (pc.drive_c / "marks").glob("*.txt"))


def test_last_go_opens_each_shortcut_once_and_one_shots_take_their_menu_with_them(lan):
    pc = lan.pc
    dist = opening(pc, [("$Welcome", "welcome"), ("$Register", "register")], ("$Opt Once", "startup"),
                   ("Opt Desktop", "desktop"), "0=$Welcome\n1=$Register\nStartupAndGo=1\nDesktopAndGo=1\n",
                   "[Check]\nMenu=2\nDesktop=2\nStartup=2\n")
    run_setup(pc, dist)
    wait_for(lambda: marks(pc) == ["desktop", "register", "startup", "welcome"], 30, "all four programs started")
    # Opened, then gone to the recycle bin: the "$" ones, and the menu folder they leave empty.
    assert trash(dist.env) == ["$Opt Once.lnk", "$Register.lnk", "$Welcome.lnk"]
    assert not linux_path(pc, MENU).exists()
    assert not linux_path(pc, STARTUP, "$Opt Once.lnk").exists()
    assert link(pc, DESKTOP + r"\Opt Desktop.lnk")["work"] == APP
    ini = installed_ini(pc, APP)
    assert ini.get("LastGo", "Desktop") == DESKTOP + r"\Opt Desktop.lnk"


def test_a_forced_menu_is_made_without_its_box_and_removal_takes_it(lan):
    pc = lan.pc
    dist = opening(pc, [("Opt Test", "app"), ("$Once", "once"), ("$Broken", None)], ("Opt Test", "startup"),
                   ("Opt Test", "desktop"), "0=Opt Test\n1=$Once\n2=$Broken\nStartupAndGo=1\nDesktopAndGo=1\n", """\
[Check]
Menu=3
Desktop=1
Startup=2
Ext=2
Send=2
[Ext0]
Ext=.zo9
Kind=ZoFile9
[Send0]
Name=Opt Test
Path=app.exe
""")
    setup = dist.start()
    window = main_window(pc, "Opt Test", shot="forced-menu.png")
    boxes = {c.id: c for c in pc.controls(window)}
    assert not boxes[IDC_MENU].visible and not boxes[IDC_MENU_FOLDER].visible
    # The rows below the hidden box and the buttons move up one pitch (the dialog's rows, in its units:
    # Menu 45, Shortcut 63, Startup 81, Associate 98, Send To 115, the buttons 136), give or take a
    # third of a row for the rounding of units to pixels.
    unit = (boxes[IDC_STARTUP].rect[1] - boxes[IDC_SHORTCUT].rect[1]) / 18
    for box, row in ((IDC_SHORTCUT, 63), (IDC_STARTUP, 81), (IDC_ASSOCIATE, 98), (IDC_SENDTO, 115), (IDOK, 136)):
        assert boxes[box].visible
        assert abs(boxes[box].rect[1] - boxes[IDC_MENU].rect[1] - (row - 63) * unit) < 6 * unit, box
    pc.click(window, "実行")
    finish(setup)

    # The desktop shortcut's box was unticked: there is nothing for DesktopAndGo to open.
    wait_for(lambda: marks(pc) == ["app", "once", "startup"], 30, "the menu and Startup programs started")
    # A one-shot whose program did not start stays, for the user to start it from the menu.
    assert sorted(p.name for p in linux_path(pc, MENU).iterdir()) == ["$Broken.lnk", "Opt Test.lnk"]
    assert trash(dist.env) == ["$Once.lnk"]
    assert not linux_path(pc, DESKTOP, "Opt Test.lnk").exists()
    ini = installed_ini(pc, APP)
    assert [ini.get("Check", k) for k in ("Menu", "Desktop", "Startup")] == ["3", "1", "2"]

    # The installed copy keeps the box hidden, and its removal takes the menu all the same.
    removal = pc.run(APP + r"\Setup.exe", env=dist.env)
    window = main_window(pc, "Opt Test", shot="forced-menu-installed.png")
    assert not control(pc, window, IDC_MENU).visible
    pc.click(window, "アンインストール")
    pc.click(window, "実行")
    finish(removal)
    wait_for(lambda: not linux_path(pc, APP).exists(), 20, "the install folder gone")
    assert not linux_path(pc, MENU).exists()
    assert not linux_path(pc, STARTUP, "Opt Test.lnk").exists()
    assert not reg(pc, UNINSTALL)


def test_an_agreement_whose_text_cannot_be_read_cannot_be_agreed_to(lan):
    pc = lan.pc
    dist = Distribution(pc, BASE + "[Go]\nAgree=1\n[Readme]\nFile=license.txt\nDone=2\n", {"app.exe": b"MZ"})
    setup = dist.start()
    readme = pc.find_window(cls="#32770", title="Opt Test", timeout_ms=30000, shot="agreement-unreadable.png")
    controls = {c.id: c for c in pc.controls(readme)}
    assert controls[IDC_README_TEXT].text == ""
    assert not controls[IDC_PAGE1].visible and not controls[IDC_PAGE2].visible
    pc.probe("keys", readme.arg, "Return")  # the dialog's default command is no agreement
    pc.set_text(readme, IDC_README_TEXT, "typed")  # nor is a change of the text
    pc.post(readme, "WM_CLOSE")
    pc.gone(readme, timeout_ms=30000)
    finish(setup)
    assert not linux_path(pc, APP).exists()
    assert dist.ini().get("Readme", "Done") == "1"
    assert not reg(pc, UNINSTALL)


SHELL_OPTIONS = BASE + """
[Check]
Ext=2
Send=2
[Ext0]
Ext=.zo1
Kind=ZoFile
Icon=app.exe
Verb=open
Command=app.exe %1
[Ext1]
Ext=.zo2
Kind=txtfile
Icon=app.exe
Verb=open
Verb2=OptTestで開く
Command=app.exe %1
[Send0]
Name=Opt Test
Path=app.exe
[Send1]
Name=Opt Tools\\Opt Test
Path=app.exe
"""


def test_an_installation_with_unticked_boxes_removes_what_an_earlier_one_made(lan):
    pc = lan.pc
    dist = Distribution(pc, SHELL_OPTIONS, {"app.exe": b"MZ"})
    text_class = reg(pc, r"HKEY_CLASSES_ROOT\txtfile")
    assert text_class, "Wine's text file class"
    run_setup(pc, dist)
    made = {k: v for key in (".zo1", "ZoFile", ".zo2") for k, v in reg(pc, "HKEY_CLASSES_ROOT\\" + key).items()}
    assert made[".zo1"][""] == "sz:ZoFile" and made[".zo2"][""] == "sz:txtfile"
    assert made["ZoFile\\shell\\open\\command"][""] == f"sz:{APP}\\app.exe %1"
    # Another program's class keeps what it had: only our own verb is added to it.
    assert reg(pc, r"HKEY_CLASSES_ROOT\txtfile") == text_class | {
        "txtfile\\shell\\OptTestで開く": {}, "txtfile\\shell\\OptTestで開く\\command": {"": f"sz:{APP}\\app.exe %1"}}
    assert link(pc, SENDTO + r"\Opt Tools\Opt Test.lnk")["target"] == APP + r"\app.exe"

    # A version-up (the earlier choices come ticked) with both boxes unticked.
    again = Distribution(pc, SHELL_OPTIONS, {"app.exe": b"MZ 2"}, name="dist2", env=dist.env)
    run_setup(pc, again, untick=("(&E)関連付けを行う", "(&T)「送る」に登録する"))
    for key in (".zo1", "ZoFile", ".zo2"):
        assert not reg(pc, "HKEY_CLASSES_ROOT\\" + key), key
    assert reg(pc, r"HKEY_CLASSES_ROOT\txtfile") == text_class
    assert not linux_path(pc, SENDTO, "Opt Test.lnk").exists() and not linux_path(pc, SENDTO, "Opt Tools").exists()
    ini = installed_ini(pc, APP)
    assert (ini.get("Check", "Ext"), ini.get("Check", "Send")) == ("1", "1")
