"""zep.exe as a user meets it: one copy, the tray, the settings file, the quit switch, the library."""

import time

import pytest

from zepapp import Ini, Library, Zep
from zeptest import ProbeError, paths, popup_menu, menu_keys, tray_click, tray_screenshot

ZEP_KEYS = [
    "PosX", "PosY", "SetupUtility", "IPAddress", "ShowTimePanel", "DialogClose", "AutoConnect", "AutoDisconnect",
    "AutoConnectHour", "AutoConnectMinute", "AutoDisconnectHour", "AutoDisconnectMinute", "AutoTimeDisconnect",
    "AutoTimeDisconnectSecond", "Easylog", "Syslog", "LogFolder", "UseSNTP", "WaveConnect", "WaveDisconnect",
    "WaveConnectFile", "WaveDisconnectFile", "HTMLAutoCreate", "HTMLFile", "FTPAutoConnect", "FTPAutoConnectOnly",
    "FTPAutoDiscon", "ZEPConRequest", "UseBeforeCon", "AIlog", "AIExeFile", "UseMRLDll", "FTPHost", "FTPUserName",
    "FTPPassword", "FTPDestination", "FTPPassive", "FTPUseTLS", "TimePosX", "TimePosY", "TimeFontName",
    "TimeFontSize", "TimeFontBold", "TimeFontItalic", "TimeStayOnTop", "SetPosX", "SetPosY",
]

FIRST_SHOW_INFO = (
    "最初に設定を開き、セットアップユーティリティを設定してください。\r\n"
    "そこに拙作のVELKを指定すると、ちょっとだけこのソフトの機能が上がります。\r\n"
    "詳細は付属ドキュメントの８章を見てください。\r\n"
    "または、MRL公式I/F DLLを使っても同じく機能が上がります。\r\n"
    "詳細は付属ドキュメントの２章を見てください。"
)


@pytest.fixture
def zep(lan):
    return Zep(lan.pc)


def test_first_start_and_quit_write_the_complete_settings_file(zep, lan):
    assert not zep.ini_path.exists()
    running = zep.start()
    assert zep.dismiss_first_show_info() == FIRST_SHOW_INFO
    w = zep.controller()
    assert w.title == "ZEP!"
    assert w.rect == (-1, 0, 0, 1)
    tray_screenshot(lan.pc, "tray-disconnect.png")

    zep.quit(running)
    ini = zep.ini()
    assert zep.ini_path.read_bytes().endswith(b"\r\n")
    assert list(ini.sections) == ["ZEP"] + [str(i) for i in range(20)]
    assert ini.keys("ZEP") == ZEP_KEYS
    for i in range(20):
        assert ini.sections[str(i)] == [("Name", "")]
    expected = {
        "PosX": "512", "PosY": "384",  # the desktop's centre (1024 x 768)
        "SetupUtility": r"C:\Program Files\MicroResearch\NetGenesis\NWGSet.exe",
        "IPAddress": "192.168.0.1", "ShowTimePanel": "1", "DialogClose": "1", "AutoConnect": "0",
        "AutoDisconnect": "0", "AutoConnectHour": "23", "AutoConnectMinute": "0", "AutoDisconnectHour": "7",
        "AutoDisconnectMinute": "50", "AutoTimeDisconnect": "0", "AutoTimeDisconnectSecond": "170",
        "Easylog": "1", "Syslog": "1", "LogFolder": r"C:\zep", "UseSNTP": "0",
        "WaveConnectFile": r"C:\windows\media\tada.wav", "WaveDisconnectFile": r"C:\windows\media\ding.wav",
        "HTMLAutoCreate": "1", "HTMLFile": r"C:\zep\myip.html", "FTPAutoConnectOnly": "1", "AIExeFile": "",
        "UseMRLDll": "0", "FTPPassword": "", "TimeFontName": "Arial", "TimeFontSize": "9", "SetPosX": "0",
    }
    assert {k: ini.get("ZEP", k) for k in expected} == expected


def test_stored_values_are_read_corrected_and_kept(zep, lan):
    (zep.folder / "AI98RR.log").write_bytes(b"old access log\r\n")
    zep.write_ini(
        "[ZEP]\n"
        "SetupUtility=C:\\zep\\zep.exe\n"  # an existing file: no first-show notice
        "IPAddress=10.0.0.254\n"
        "AutoConnectHour=30\n"          # out of range: clamped
        "AutoConnectMinute=0x1E\n"      # hexadecimal: 30
        "AutoDisconnectMinute=1E\n"     # not a number: the default 50
        "AutoTimeDisconnectSecond=5\n"  # below the minimum 10
        "Easylog=yes\n"                 # not a number: the default (on)
        "Syslog=0\n"
        "UseSNTP=-1\n"                  # any non-zero value is on
        "LogFolder=C:\\no\\such\\folder\n"
        "FTPHost=ftp.example.test\n"
        "FTPPassword=70hicIS0\n"        # "secret", protected
        "TimeFontName=ＭＳ ゴシック\n"
        "TimeFontBold=1\n"
        "[0]\nName=メール\nUse=1\nFileName=C:\\mail.exe\nWait=0x0A\n"
        "[1]\nName=\nFileName=kept as it was\n"
        "[2]\nName=時計\nFileName=WM_COMMAND\nParameter=TClockForm\nWork=9C4A\n"
    )
    running = zep.start()
    zep.controller()
    zep.quit(running)

    ini = zep.ini()
    z = dict(ini.sections["ZEP"])
    assert (z["IPAddress"], z["AutoConnectHour"], z["AutoConnectMinute"], z["AutoDisconnectMinute"]) == (
        "10.0.0.254", "23", "30", "50")
    assert (z["AutoTimeDisconnectSecond"], z["Easylog"], z["Syslog"], z["UseSNTP"]) == ("10", "1", "0", "1")
    assert z["LogFolder"] == r"C:\zep"
    assert (z["FTPHost"], z["FTPPassword"]) == ("ftp.example.test", "70hicIS0")
    assert (z["TimeFontName"], z["TimeFontBold"]) == ("ＭＳ ゴシック", "1")
    # Keys already in a section are rewritten in place, new ones follow.
    assert dict(ini.sections["0"]) == {"Name": "メール", "Use": "1", "OnlyAuto": "0", "FileName": r"C:\mail.exe",
                                       "Parameter": "", "Work": "", "Wait": "10"}
    assert ini.sections["1"] == [("Name", ""), ("FileName", "kept as it was")]
    assert ini.get("2", "Work") == "9C4A"
    assert (zep.folder / "AI2000RR.log").read_bytes() == b"old access log\r\n"
    assert not (zep.folder / "AI98RR.log").exists()


def test_unreadable_password_and_damaged_file_lose_nothing_else(zep, lan):
    garbage = bytes(range(256)) * 64
    long_line = b"Junk=" + b"x" * 3_000_000 + b"\r\n"
    many_keys = b"".join(b"K%d=%d\r\n" % (i, i) for i in range(100_000))
    zep.ini_path.write_bytes(
        b"[ZEP]\r\nFTPPassword=not base64!\r\nFTPDestination=/www\r\n" + garbage + b"\r\n" + long_line
        + b"[ZEP]\r\nAIlog=1\r\n[noise]\r\n" + many_keys
    )
    running = zep.start()
    zep.dismiss_first_show_info()
    zep.controller()
    zep.quit(running, timeout=90)
    z = dict(zep.ini().sections["ZEP"])
    assert z["FTPPassword"] == "not base64!", "an unreadable stored password survives a save it did not change"
    assert z["FTPDestination"] == "/www"
    assert z["AutoConnectHour"] == "23"
    assert all(k in z for k in ZEP_KEYS)


def test_second_start_wakes_the_running_copy_and_leaves_one(zep, lan):
    running = zep.start()
    zep.dismiss_first_show_info()
    first = zep.controller()
    tray_screenshot(lan.pc, "tray-before-second-start.png")
    t0 = time.monotonic()
    second = zep.start()
    assert second.wait(20) == 0
    assert time.monotonic() - t0 < 15
    time.sleep(1)  # the blink lasts half a second
    assert [w.hwnd for w in zep.controllers()] == [first.hwnd]
    assert running.poll() is None
    tray_screenshot(lan.pc, "tray-after-second-start.png")
    zep.quit(running)


def test_quit_switch_spelling(zep, lan):
    # Not the switch: such a start only wakes the running copy.
    running = zep.start()
    zep.dismiss_first_show_info()
    zep.controller()
    for not_quit in ("quit", "-quitnow", "--quit"):
        assert zep.start(not_quit).wait(20) == 0
        assert running.poll() is None, not_quit
    # Capitals after a slash is the switch.
    quitting = zep.start("/QUIT")
    assert quitting.wait(40) == 0
    assert running.wait(40) == 0
    assert zep.ini_path.exists()


def test_quit_with_no_copy_running_creates_nothing(zep, lan):
    before = sorted(p.name for p in zep.folder.iterdir())
    t0 = time.monotonic()
    assert zep.start("-quit").wait(20) == 0
    assert time.monotonic() - t0 < 15
    assert sorted(p.name for p in zep.folder.iterdir()) == before
    assert zep.controllers() == []


def test_tray_menus_and_exit(zep, lan):
    running = zep.start()
    zep.dismiss_first_show_info()
    zep.controller()
    tray_click(lan.pc, button=1)
    popup_menu(lan.pc, shot="tray-left-menu.png")
    menu_keys(lan.pc, "Escape")
    lan.pc.gone(cls="#32768", timeout_ms=30000)
    tray_click(lan.pc, button=3)
    popup_menu(lan.pc, shot="tray-right-menu.png")
    # 接続, 切断, 設定, IPアドレスをコピー (disabled), バージョン情報, 終了: the last item exits.
    menu_keys(lan.pc, "Up", "Return")
    assert running.wait(30) == 0
    assert zep.ini().keys("ZEP") == ZEP_KEYS


def test_save_that_cannot_write_reports_once_and_still_exits(zep, lan):
    zep.ini_path.mkdir()  # a folder where the file should be: every write fails
    running = zep.start()
    zep.dismiss_first_show_info()
    zep.controller()
    quitting = zep.start("-quit")
    box = lan.pc.find_window(cls="#32770", title="エラー", timeout_ms=30000, shot="save-error.png")
    text = "".join(c.text for c in lan.pc.controls(box) if c.cls == "Static" and c.text)
    assert text == r"C:\zep\zep.ini に書き込めません"
    lan.pc.click(box, "OK")
    assert running.wait(30) == 0, "the exit goes on after the error, which is shown once"
    assert quitting.wait(30) == 0


@pytest.mark.parametrize("library", ["MRLExhibits.dll", "MRLExhibits-incomplete.dll", "MRLExhibits-noversion.dll"])
def test_router_library_is_bound_only_with_all_exports(zep, lan, library):
    dll = Library(zep, library)
    zep.write_ini("[ZEP]\nUseMRLDll=1\n")
    running = zep.start()
    if library != "MRLExhibits.dll":
        zep.dismiss_first_show_info()  # no tool and no library: the notice
    zep.controller()
    zep.quit(running)
    calls = dll.calls()
    if library == "MRLExhibits.dll":
        assert zep.ini().get("ZEP", "UseMRLDll") == "1"
        # The stored tick attaches the library at start-up: find, and after its notice has reached
        # the window through the notify record, the router's record.
        assert calls[:2] == ["Find", "GetInformation"]
        assert calls[-1] == "Disconnect", "the quit request disconnects through the library"
    else:
        assert zep.ini().get("ZEP", "UseMRLDll") == "0"
        assert calls == [], "no export of an incomplete library is ever called"


def test_the_router_library_is_found_by_name_in_the_system_folder(zep, lan):
    dll = Library(zep, folder=lan.pc.drive_c / "windows" / "system32")
    zep.write_ini("[ZEP]\nUseMRLDll=1\n")
    running = zep.start()
    zep.controller()
    zep.quit(running)
    assert zep.ini().get("ZEP", "UseMRLDll") == "1"
    assert dll.calls()[:2] == ["Find", "GetInformation"]
    (dll.folder / "MRLExhibits.dll").unlink()


def test_the_four_tray_pictures(zep, lan, artifacts):
    names = ["IconDisconnect", "IconConnect", "IconDisconnectData", "IconConnectData"]
    shown = lan.pc.run(paths.probe_exe(), ["show-icons", r"C:\zep\zep.exe", *names, "--ms", "15000",
                                           "--title", "ZEP! のアイコン"])
    w = lan.pc.find_window(title="ZEP! のアイコン", shot="tray-pictures.png")
    lan.pc.post(w, "WM_CLOSE")
    assert shown.wait(10) == 0


def test_the_icon_comes_back_when_the_notification_area_starts_anew(zep, lan):
    # A notification area started anew (Explorer restarted) has lost every icon and says so with
    # the registered message "TaskbarCreated"; zep adds its icon again, with its current picture
    # and tip. (Under Wine, ending the process that draws the tray takes the desktop window and
    # every program's windows with it, which Windows never does: the loss is made by removing the
    # icon from the outside instead.)
    zep.write_ini("[ZEP]\nSetupUtility=C:\\zep\\zep.exe\n")
    running = zep.start()
    controller = zep.controller()
    tray_screenshot(lan.pc, "tray-before.png")
    lan.pc.probe("tray-remove", controller.arg, "1")
    with pytest.raises(ProbeError):
        lan.pc.probe("tray-remove", controller.arg, "1")  # gone from the notification area
    lan.pc.probe("broadcast", "TaskbarCreated")
    time.sleep(1)
    lan.pc.probe("tray-remove", controller.arg, "1")  # there again: it can be removed once more
    lan.pc.probe("broadcast", "TaskbarCreated")
    time.sleep(1)
    tray_screenshot(lan.pc, "tray-after-taskbar-created.png")
    tray_click(lan.pc, button=3)  # the icon is zep's: its menu opens
    popup_menu(lan.pc, shot="tray-menu-after-taskbar-created.png")
    menu_keys(lan.pc, "Escape")
    zep.quit(running)
