"""Connecting and disconnecting through the router maker's tools: the command lines and working
folders, the status request and its answers, the destination menus, the countdown dialog and the
connection-time panel, with stand-ins for the setup utility, VELK and the interface library."""

import re
import time
from datetime import datetime, timedelta

import pytest

from zepapp import Library, Tool, Zep
from zeptest import ProbeError, RouterSim, menu_keys, paths, popup_menu, tray_click, wait_for, xdotool

WM_POWERBROADCAST = 0x218
PBT_APMRESUMESUSPEND = 7
STATUS = "-i10.0.0.254 -sts1 -w TZEPHiddenForm"
SETTINGS_FORM = "TZEPForm"
# Controls of the settings window (identifiers fixed in zep/settings_window.cpp).
DEFAULT_PANEL = 109
TIME_SHOW_CHECK = 110


def start_zep(lan, tool, extra="", address="10.0.0.254"):
    zep = Zep(lan.pc)
    zep.write_ini(f"[ZEP]\nSetupUtility={tool.path}\nIPAddress={address}\n{extra}")
    running = zep.start()
    zep.controller()
    return zep, running


def panel(pc, visible=True, timeout_ms=30000):
    return pc.find_window(cls="TZEPTimeForm", timeout_ms=timeout_ms, visible=visible, shot=False)


def panel_hidden(pc, timeout=30.0):
    wait_for(lambda: not any(w.visible for w in pc.windows() if w.cls == "TZEPTimeForm"), timeout, "the panel hidden")


def panel_text(pc):
    return next(c.text for c in pc.controls(panel(pc)) if c.cls == "TPanel")


def resume(pc, controller):
    """The system's note that it resumed from suspend, to the controller window."""
    for attempt in range(3):
        try:
            return pc.post(controller, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0)
        except ProbeError:  # the probe itself failed to start under load: once more
            if attempt == 2:
                raise
            time.sleep(0.5)


def show_settings(pc):
    """The settings window, opened from the tray's left menu (設定)."""
    tray_click(pc, button=1)
    popup_menu(pc, shot=False)
    menu_keys(pc, "Down", "Return")
    return pc.find_window(cls="TZEPForm", timeout_ms=30000, shot=False)


def control(pc, window, ident):
    return next(c for c in pc.controls(window) if c.id == ident)


def panel_menu(pc, *keys, shot=False):
    """The connection-time panel's own menu (right button), then `keys` to it."""
    window = panel(pc)
    xdotool("windowraise", window.x11, display=pc.display.name)  # above the tray window, if it was raised
    left, top = window.rect[:2]
    xdotool("mousemove", left + 10, top + 5, display=pc.display.name)
    xdotool("click", "3", display=pc.display.name)
    popup_menu(pc, timeout_ms=30000, shot=shot)
    menu_keys(pc, *keys)


def before_con_time(t):
    return f"{t:%Y/%m/%d} {t.hour}:{t:%M:%S}"


def test_command_lines_and_working_folders(lan):
    tool = Tool(lan.pc, Status=3, Default=0)
    zep, running = start_zep(lan, tool)
    params, status_folder = tool.wait_call("-sts1")
    assert params == STATUS
    assert status_folder != "C:\\tools", "no working folder for a status request"

    tray_click(lan.pc, button=3)
    popup_menu(lan.pc, shot="tray-single-connect.png")
    menu_keys(lan.pc, "Down", "Return")  # 接続
    assert tool.wait_call("-con1") == ("-i10.0.0.254 -con1", status_folder)

    tray_click(lan.pc, button=3)
    popup_menu(lan.pc, shot=False)
    menu_keys(lan.pc, "Down", "Down", "Return")  # 切断
    assert tool.wait_call("-cut1") == ("-i10.0.0.254 -cut1", "C:\\tools")
    zep.quit(running)


def test_status_up_with_destination_two_and_the_stored_start(lan, artifacts):
    tool = Tool(lan.pc, Status=5, Default=2)
    hour_ago = datetime.now() - timedelta(hours=1)
    zep, running = start_zep(lan, tool, f"UseBeforeCon=1\nBeforeConTime={before_con_time(hour_ago)}\n")
    window = panel(lan.pc)
    time.sleep(1.2)
    assert re.fullmatch(r"01:00:[0-5]\d", panel_text(lan.pc))  # counts on from the stored start
    lan.pc.screenshot(window, "time-panel.png")

    # The panel's own menu, at the right button.
    left, top = window.rect[:2]
    xdotool("mousemove", left + 10, top + 5, display=lan.pc.display.name)
    xdotool("click", "3", display=lan.pc.display.name)
    popup_menu(lan.pc, timeout_ms=30000, shot="time-panel-menu.png")
    menu_keys(lan.pc, "Escape")

    # Both tray menus: Main, Office (checked), Backup hidden, Mobile.
    tray_click(lan.pc, button=3)
    popup_menu(lan.pc, shot="tray-right-destinations.png")
    menu_keys(lan.pc, "Escape")
    tray_click(lan.pc, button=1)
    popup_menu(lan.pc, shot="tray-left.png")
    menu_keys(lan.pc, "Escape")

    # Another destination while the line is up: the error box, and nothing is issued.
    tray_click(lan.pc, button=3)
    popup_menu(lan.pc, shot=False)
    menu_keys(lan.pc, "Down", "Down", "Down", "Return")  # 接続-Mobile
    box = lan.pc.find_window(cls="#32770", title="エラー", timeout_ms=30000, shot="destination-while-up.png")
    text = "".join(c.text for c in lan.pc.controls(box) if c.cls == "Static" and c.text)
    assert text == "接続中は接続先の変更を行えません。\r\nこれはNetGenesisの仕様です。"
    lan.pc.click(box, "OK")
    time.sleep(1)
    assert not [c for c in tool.calls() if "-def1" in c[0] or "-con1" in c[0]]
    running.kill()  # the line is up: a quit would wait for the router's report


def test_another_destination_asks_then_changes_and_connects(lan):
    tool = Tool(lan.pc, Status=3, Default=2, ChangeWindowMs=1500)
    zep, running = start_zep(lan, tool)
    tool.wait_call("-sts1")
    time.sleep(1)
    tray_click(lan.pc, button=3)
    popup_menu(lan.pc, shot=False)
    menu_keys(lan.pc, "Down", "Down", "Down", "Return")  # 接続-Mobile, destination 4
    box = lan.pc.find_window(cls="#32770", title="接続", timeout_ms=30000, shot="change-destination.png")
    text = "".join(c.text for c in lan.pc.controls(box) if c.cls == "Static" and c.text)
    assert text == "デフォルトの接続先が変更されます。\r\nよろしいですか？"
    lan.pc.click(box, "はい")
    change = tool.wait_call("-def1")
    assert change == ("-i10.0.0.254 -def1 3", tool.wait_call("-sts1")[1])
    assert tool.wait_call("-con1")[0] == "-i10.0.0.254 -con1"
    log = (tool.folder / f"{tool.stem}.log").read_bytes().decode("cp932")
    created = {p: int(t) for p, t in re.findall(r"params=\[(.*?)\] cwd=\[.*?\] created=(\d+)", log)}
    assert created[change[0]] <= created["-i10.0.0.254 -con1"], "the change is issued before the connect"
    zep.quit(running)


def test_the_settings_window_follows_the_routers_destination_switch(lan):
    tool = Tool(lan.pc, Status=3, Default=2)
    zep, running = start_zep(lan, tool, address="192.168.0.1")  # the router's syslog counts
    tool.wait_call("-sts1")
    form = show_settings(lan.pc)
    wait_for(lambda: control(lan.pc, form, DEFAULT_PANEL).text == "Office", what="destination 2 shown")

    # Its popup opens on any mouse button: all four destinations, Backup disabled, Office checked.
    for button in ("3", "1"):
        left, top, right, bottom = control(lan.pc, form, DEFAULT_PANEL).rect
        xdotool("mousemove", (left + right) // 2, (top + bottom) // 2, display=lan.pc.display.name)
        xdotool("click", button, display=lan.pc.display.name)
        popup_menu(lan.pc, timeout_ms=30000, shot=f"destination-popup-button{button}.png")
        menu_keys(lan.pc, "Escape")
        lan.pc.gone(cls="#32768", timeout_ms=30000)

    RouterSim(lan).switch("isp1")
    wait_for(lambda: control(lan.pc, form, DEFAULT_PANEL).text == "Main", what="the switch to destination 1")
    lan.pc.find_window(cls="TZEPForm", shot="destination-switched.png")
    zep.quit(running)


def test_line_down_answer_and_no_answer(lan):
    tool = Tool(lan.pc, Status=5, Default=1)
    zep, running = start_zep(lan, tool)
    panel(lan.pc)
    controller = zep.controller()

    # No answer: after ten seconds nothing has changed.
    tool.answer(NoAnswer=1)
    resume(lan.pc, controller)
    tool.wait_call("-sts1", count=2)
    time.sleep(11)
    panel(lan.pc, timeout_ms=1000)

    # Line down: the panel goes; the destination menus stay.
    tool.answer(Status=3, Default=0)
    resume(lan.pc, controller)
    tool.wait_call("-sts1", count=3)
    panel_hidden(lan.pc)
    tray_click(lan.pc, button=3)
    popup_menu(lan.pc, shot="tray-after-line-down.png")
    menu_keys(lan.pc, "Escape")
    zep.quit(running)


def test_the_tools_busy_window_delays_the_status_request(lan):
    tool = Tool(lan.pc, Status=3, Default=0)
    busy = lan.pc.run(tool.path, ["-busy", "5000"])
    lan.pc.find_window(cls="VELKForm", timeout_ms=30000, visible=False, shot=False)
    t0 = time.monotonic()
    zep, running = start_zep(lan, tool)
    time.sleep(2)
    assert not [c for c in tool.calls() if "-sts1" in c[0]], "not sent while the tool's window is open"
    busy.wait(15)
    tool.wait_call("-sts1")
    assert time.monotonic() - t0 > 4
    zep.quit(running)


def test_the_library_answers_the_status_after_a_resume(lan):
    zep = Zep(lan.pc)
    library = Library(zep, Condition=5, Default=1, Usable2=1, Usable3=1, Name2="Office")
    zep.write_ini("[ZEP]\nSetupUtility=C:\\zep\\zep.exe\nUseMRLDll=1\n")
    running = zep.start()
    controller = zep.controller()
    time.sleep(1)
    resume(lan.pc, controller)
    panel(lan.pc)
    assert "GetCondition" in library.calls()
    tray_click(lan.pc, button=3)
    popup_menu(lan.pc, shot="tray-library-destinations.png")
    menu_keys(lan.pc, "Escape")
    running.kill()


def test_the_library_names_the_destinations_and_changes_the_default_through_the_record(lan):
    zep = Zep(lan.pc)
    # Destination 2 is the default; 3 is not usable; a name of 40 characters has no end mark.
    long_name = "Office-" + "x" * 33
    library = Library(zep, Condition=3, Default=1, Usable2=1, Usable4=1, Name1="Main", Name2=long_name,
                      Name4="Mobile")
    zep.write_ini("[ZEP]\nUseMRLDll=1\n")
    running = zep.start()
    zep.controller()
    form = lan.pc.find_window(cls=SETTINGS_FORM, timeout_ms=30000, visible=False, shot=False)

    def default_shown():
        return next(c.text for c in lan.pc.controls(form) if c.id == DEFAULT_PANEL) == long_name

    wait_for(default_shown, 15, "the default destination from the record in the settings window")
    tray_click(lan.pc, button=3)
    popup_menu(lan.pc, shot="tray-library-destinations.png")
    menu_keys(lan.pc, "Down", "Down", "Down", "Return")  # 接続-Mobile, destination 4
    box = lan.pc.find_window(cls="#32770", title="接続", timeout_ms=30000, shot=False)
    lan.pc.click(box, "はい")
    wait_for(lambda: library.calls()[-2:] == ["ChangeSite 3", "Connect"], 15, "the change, then the connect")
    zep.quit(running)


@pytest.mark.parametrize("answer", ["FindNotify=-1", "FindResult=-2"])
def test_a_router_the_library_does_not_find_leaves_the_library_unused(lan, answer):
    zep = Zep(lan.pc)
    key, value = answer.split("=")
    library = Library(zep, **{key: value})
    zep.write_ini("[ZEP]\nUseMRLDll=1\n")
    running = zep.start()
    if key == "FindNotify":
        # The library's notice, with a negative wParam: the router was not found.
        box = lan.pc.find_window(cls="#32770", title="エラー", timeout_ms=30000, shot="router-not-found.png")
        text = "".join(c.text for c in lan.pc.controls(box) if c.cls == "Static" and c.text)
        assert text == "NetGenesisを発見する事ができませんでした"
        lan.pc.click(box, "OK")
    # A failed search unticks the library (silently when the call itself fails): with no tool
    # either, the first start's notice follows.
    zep.dismiss_first_show_info()
    zep.quit(running)
    assert library.calls()[0] == "Find"
    assert "GetInformation" not in library.calls()
    assert zep.ini().get("ZEP", "UseMRLDll") == "0"


def test_countdown_offers_the_disconnect_and_accepts_untouched(lan):
    serve = RouterSim(lan).send("serve", "--address", "198.51.100.7", background=True)
    try:
        tool = Tool(lan.pc, Status=3, Default=0, Router="192.168.0.1:5140")
        # A daily window away from now: connections inside it are never offered the countdown.
        later = (datetime.now().hour + 2) % 24
        schedule = f"AutoConnectHour={later}\nAutoDisconnectHour={(later + 1) % 24}\n"
        # The router's own address: its syslog counts only from there.
        zep, running = start_zep(lan, tool, "AutoTimeDisconnect=1\nAutoTimeDisconnectSecond=20\n" + schedule,
                                 address="192.168.0.1")
        tool.wait_call("-sts1")
        time.sleep(0.5)
        tray_click(lan.pc, button=3)
        popup_menu(lan.pc, shot=False)
        menu_keys(lan.pc, "Down", "Return")  # 接続
        tool.wait_call("-con1")
        panel(lan.pc)
        dialog = lan.pc.find_window(cls="TCountdownForm", timeout_ms=30000, shot=False)
        shown = time.monotonic()
        assert dialog.title == "切断確認"
        w, h = dialog.client[2] - dialog.client[0], dialog.client[3] - dialog.client[1]
        assert (w, h) == (312, 112)
        controls = lan.pc.controls(dialog)
        texts = [c.text for c in controls]
        assert "切断後20秒が経過します。\r\n切断してもよろしいですか？" in texts
        assert "切断(&A)" in texts and "キャンセル(&C)" in texts
        # Modal: the program's other windows take no input, and the tray opens no menu.
        assert not panel(lan.pc).enabled
        tray_click(lan.pc, button=3)
        with pytest.raises(ProbeError):
            lan.pc.probe("find", "class=#32768", "1500", "--visible")
        time.sleep(1)
        lan.pc.screenshot(dialog, "countdown.png")
        title = next(w.title for w in lan.pc.windows() if w.cls == "TZEPHiddenForm")
        # Counting down from ten; how far it got depends on how busy the machine is.
        assert re.fullmatch(r"あと[1-9]秒", title), title
        lan.pc.gone(cls="TCountdownForm", timeout_ms=30000)
        assert time.monotonic() - shown > 9
        assert panel(lan.pc, visible=False).enabled
        assert tool.wait_call("-cut1") == ("-i192.168.0.1 -cut1", "C:\\tools")
        panel_hidden(lan.pc)  # the router took the line down
        assert next(w.title for w in lan.pc.windows() if w.cls == "TZEPHiddenForm") == "ZEP!"
        zep.quit(running)
    finally:
        serve.kill()


def test_the_box_shows_the_panel_as_its_own_menu_says_now(lan):
    tool = Tool(lan.pc, Status=5, Default=0)
    zep, running = start_zep(lan, tool, "TimeStayOnTop=1\n")
    assert panel(lan.pc).topmost
    form = show_settings(lan.pc)
    panel_menu(lan.pc, "Up", "Up", "Return", shot="panel-menu.png")  # 常に手前に表示: unticked now
    wait_for(lambda: not panel(lan.pc).topmost, what="the panel no longer on top")

    lan.pc.click(form, "接続時、接続時間パネルを表示する")  # unticked: the panel goes
    panel_hidden(lan.pc)
    lan.pc.click(form, "接続時、接続時間パネルを表示する")  # ticked: back, as its own item says now
    assert not panel(lan.pc).topmost
    running.kill()  # the line is up: a quit would wait for the router's report


def test_panel_is_dragged_closed_and_remembered(lan):
    tool = Tool(lan.pc, Status=5, Default=0)
    zep, running = start_zep(lan, tool, "TimePosX=100\nTimePosY=200\nTimeFontSize=14\n")
    window = panel(lan.pc)
    assert window.rect[:2] == (100, 200)
    width, height = window.rect[2] - window.rect[0], window.rect[3] - window.rect[1]
    assert width > 80 and height > 18, "sized from the larger font"

    d = lan.pc.display.name
    xdotool("mousemove", 110, 205, display=d)
    xdotool("mousedown", "1", display=d)
    for step in range(1, 6):
        xdotool("mousemove", 110 + 30 * step, 205 + 20 * step, display=d)
        time.sleep(0.1)
    xdotool("mouseup", "1", display=d)
    moved = wait_for(lambda: panel(lan.pc).rect[:2] != (100, 200) and panel(lan.pc).rect, 5, "the panel moved")

    panel_menu(lan.pc, "Up", "Return")  # 閉じる
    panel_hidden(lan.pc)
    form = lan.pc.find_window(cls="TZEPForm", visible=False, shot=False)
    assert control(lan.pc, form, TIME_SHOW_CHECK).checked == 0, "the settings window's box follows"

    tray_click(lan.pc, button=3)
    popup_menu(lan.pc, shot=False)
    menu_keys(lan.pc, "Up", "Return")  # 終了
    assert running.wait(20) == 0
    ini = zep.ini()
    assert ini.get("ZEP", "ShowTimePanel") == "0"
    assert (int(ini.get("ZEP", "TimePosX")), int(ini.get("ZEP", "TimePosY"))) == tuple(moved[:2])
