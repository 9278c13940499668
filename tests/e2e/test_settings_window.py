"""The settings window "ZEP!" and its dialogs, as a user meets them under Wine."""

import pytest

from zepapp import Library, Zep
from zeptest import RouterSim, wait_for

FORM = "TZEPForm"
TCM_SETCURFOCUS = 0x1330
PAGES = ["基本設定", "自動起動", "自動接続", "IPアドレス", "接続ログ", "その他"]
# Control identifiers of the window (fixed in zep/settings_window.cpp).
IP_EDIT = 107
SECOND_SPIN = 127


@pytest.fixture
def zep(lan):
    return Zep(lan.pc)


def open_form(zep):
    """First start without a tool: the notice, then the settings window."""
    running = zep.start()
    zep.dismiss_first_show_info()
    form = zep.pc.find_window(cls=FORM, timeout_ms=30000, shot=False)
    return running, form


def by_id(controls, ident):
    return next(c for c in controls if c.id == ident)


def by_text(controls, text):
    return next(c for c in controls if c.text == text)


def show_page(pc, form, index, shot=None):
    tab = next(c for c in pc.controls(form) if c.cls == "SysTabControl32")
    pc.send(tab, TCM_SETCURFOCUS, index)
    if shot:
        pc.find_window(cls=FORM, shot=shot)
    return [c for c in pc.controls(form) if c.visible]


def test_every_page_shows_its_controls(zep, lan):
    pc = lan.pc
    running, form = open_form(zep)
    assert form.title == "ZEP!"
    assert form.client[2] - form.client[0] == 280 and form.client[3] - form.client[1] == 231
    seen = {}
    for i, name in enumerate(PAGES):
        seen[name] = {c.text for c in show_page(pc, form, i, shot=f"page-{i + 1}-{name}.png")}
    assert {"接続(&C)", "切断(&D)", "最小化(&M)"} <= seen["基本設定"]
    assert {"NetGenesisセットアップユーティリティの場所", "NetGenesisのIPアドレス", "マルチアカウント接続先",
            "接続時、接続時間パネルを表示する", "NWGSetのダイアログを自動的に閉じる",
            "MRL公式 I/F DLLを使用する", "192.168.0.1"} <= seen["基本設定"]
    assert {"有/無効", "編集", "追加", "削除"} <= seen["自動起動"]
    assert {"この時間になったら自動的に接続する", "この時間になったら自動的に切断する",
            "一定時間経ったら切断(上記時間帯は無効)", "切断ダイアログを繰り返し表示する",
            "23", "0", "7", "50", "170", "時", "分", "秒"} <= seen["自動接続"]
    assert {"IPアドレスを含むHTMLを自動生成する", "接続時にFTP自動転送する", "自動接続時間中のみ",
            "切断時にも自動転送する", "今すぐ転送", "FTP設定", "転送中止", r"C:\zep\myip.html"} <= seen["IPアドレス"]
    assert {"簡易接続ログを残す", "簡易ログ閲覧", "syslogを残す", "syslog閲覧", "AI2000ログを残す", "AI2000ログ閲覧",
            "Access Informatoinの場所の指定", "ログを残すフォルダを指定する",
            "ログを残すフォルダを開く"} <= seen["接続ログ"]
    assert {"接続時にWaveを鳴らす", "切断時にWaveを鳴らす", "SNTPクライアント機能を使う",
            "切断しないでZEP!を再起動したとき、前回", "接続時の開始時間を採用する",
            "起動時にNWGが既に接続状態にあった時、", "他PCのZEP!に接続状況を問い合わせる"} <= seen["その他"]
    # Enable rules at the first showing: the schedule boxes are off, so are their fields.
    page = show_page(pc, form, 2)
    assert not by_id(page, SECOND_SPIN).enabled
    zep.quit(running)


def test_minimise_hides_and_a_change_reaches_the_settings_file(zep, lan):
    pc = lan.pc
    running, form = open_form(zep)
    show_page(pc, form, 2)
    pc.click(form, "この時間になったら自動的に接続する")
    pc.click(form, "一定時間経ったら切断(上記時間帯は無効)")
    page = show_page(pc, form, 2)
    assert by_id(page, SECOND_SPIN).enabled
    pc.click(form, "最小化(&M)")
    assert [w.visible for w in pc.windows() if w.cls == FORM] == [False]  # hidden, not destroyed
    zep.quit(running)
    ini = zep.ini()
    assert ini.get("ZEP", "AutoConnect") == "1"
    assert ini.get("ZEP", "AutoTimeDisconnect") == "1"


def test_seconds_field_reads_empty_as_minimum_and_clamps_on_leaving(zep, lan):
    pc = lan.pc
    running, form = open_form(zep)
    show_page(pc, form, 2)
    pc.click(form, "一定時間経ったら切断(上記時間帯は無効)")
    pc.set_text(form, SECOND_SPIN, "")
    # The focus leaves the field: what the field reports when it loses the focus.
    second = by_id(pc.controls(form), SECOND_SPIN)
    WM_COMMAND, EN_KILLFOCUS = 0x111, 0x200
    pc.send(form, WM_COMMAND, (EN_KILLFOCUS << 16) | SECOND_SPIN, second.hwnd)
    assert by_id(pc.controls(form), SECOND_SPIN).text == "10"
    pc.set_text(form, SECOND_SPIN, "100000")
    assert by_id(pc.controls(form), SECOND_SPIN).text == "100000"  # kept while typing
    pc.send(form, WM_COMMAND, (EN_KILLFOCUS << 16) | SECOND_SPIN, second.hwnd)
    assert by_id(pc.controls(form), SECOND_SPIN).text == "99999"
    pc.find_window(cls=FORM, shot="seconds-clamped.png")
    zep.quit(running)
    assert zep.ini().get("ZEP", "AutoTimeDisconnectSecond") == "99999"


ABOUT_BUTTON = 113
WM_COMMAND = 0x111


def test_entry_editor_adds_the_first_entry(zep, lan):
    pc = lan.pc
    running, form = open_form(zep)
    page = show_page(pc, form, 1)
    assert [c.enabled for c in page if c.text in ("有/無効", "編集", "削除")] == [False, False, False]
    pc.click(form, "追加")
    editor = pc.find_window(title="ZEP! 自動起動設定", timeout_ms=30000, shot="entry-editor.png")
    assert editor.client[2] - editor.client[0] == 264 and editor.client[3] - editor.client[1] == 200
    texts = {c.text for c in pc.controls(editor)}
    assert {"設定0", "使用する", "プログラム", "↑ここにファイルをドロップできます", "起動オプション", "作業フォルダ",
            "自動接続時間中のみ使用する", "接続後", "0", "秒したら起動", "OK", "Cancel"} <= texts
    edits = [c for c in pc.controls(editor) if c.cls == "Edit"]
    pc.set_text(editor, edits[1].id, r"C:\windows\notepad.exe")
    pc.click(editor, "OK")
    pc.gone(editor)
    items = [i.text for c in pc.controls(form) if c.cls == "ListBox" and c.visible for i in c.items]
    assert items == ["○：毎：設定0"]
    pc.find_window(cls=FORM, shot="autorun-list.png")
    zep.quit(running)
    ini = zep.ini()
    assert ini.get("0", "Name") == "設定0"
    assert ini.get("0", "FileName") == r"C:\windows\notepad.exe"
    assert ini.get("0", "Use") == "1"


def test_twenty_entries_refuse_a_twenty_first(zep, lan):
    pc = lan.pc
    zep.write_ini("".join(f"[{i}]\nName=entry{i}\nUse=1\nFileName=C:\\x{i}.exe\n" for i in range(20)))
    running, form = open_form(zep)
    show_page(pc, form, 1)
    pc.click(form, "追加")
    box = pc.find_window(cls="#32770", title="エラー", timeout_ms=30000, shot="autorun-full.png")
    assert [c.text for c in pc.controls(box) if c.cls == "Static" and c.text] == ["これ以上増やすことはできません"]
    pc.click(box, "OK")
    pc.gone(box)
    items = [i.text for c in pc.controls(form) if c.cls == "ListBox" and c.visible for i in c.items]
    assert items == [f"○：毎：entry{i}" for i in range(20)]
    zep.quit(running)


def test_about_box(zep, lan):
    pc = lan.pc
    running, form = open_form(zep)
    pc.post(form, WM_COMMAND, ABOUT_BUTTON, 0)
    about = pc.find_window(title="バージョン情報", timeout_ms=30000, shot="about-box.png")
    assert about.client[2] - about.client[0] == 297 and about.client[3] - about.client[1] == 272
    texts = [c.text for c in pc.controls(about)]
    assert "Version 2.1" in texts
    assert "---" in texts  # no library in use
    assert "(株)マイクロ総合研究所のホームページへ行く" in texts
    pc.click(about, "OK")
    pc.gone(about)
    zep.quit(running)


def test_a_dialog_is_modal_for_the_whole_program(zep, lan):
    pc = lan.pc
    running, form = open_form(zep)
    sim = RouterSim(lan)
    sim.connect()
    pc.find_window(cls="TZEPTimeForm", timeout_ms=30000, shot=False)  # the panel of the connection
    pc.post(form, WM_COMMAND, ABOUT_BUTTON, 0)
    about = pc.find_window(title="バージョン情報", timeout_ms=30000, shot=False)
    waiting = [w for w in pc.windows() if w.cls in ("TZEPForm", "TZEPTimeForm")]
    assert len(waiting) == 2 and not any(w.enabled for w in waiting), waiting
    pc.click(about, "OK")
    pc.gone(about)
    assert all(w.enabled for w in pc.windows() if w.cls in ("TZEPForm", "TZEPTimeForm"))
    sim.disconnect()
    wait_for(lambda: b"BeforeConTime=" not in zep.ini_path.read_bytes(), what="the line down")
    zep.quit(running)


def test_ftp_settings_are_kept_only_when_complete(zep, lan):
    pc = lan.pc
    running, form = open_form(zep)
    show_page(pc, form, 3)

    def fill(host, user, password, dest, shot=None):
        pc.click(form, "FTP設定")
        dlg = pc.find_window(title="ZEP! FTP設定", timeout_ms=30000, shot=shot or False)
        edits = [c for c in pc.controls(dlg) if c.cls == "Edit"]
        for edit, value in zip(edits, (host, user, password, dest)):
            pc.set_text(dlg, edit.id, value)
        return dlg, edits

    dlg, edits = fill("ftp.example.test", "user", "", "/public_html/myip.html", shot="ftp-settings.png")
    assert {"FTPサーバ", "ユーザー名", "パスワード", "転送先", "↑注意！ 転送先のファイル名まで入れてください"} <= {
        c.text for c in pc.controls(dlg)}
    pc.click(dlg, "OK")
    box = pc.find_window(cls="#32770", title="エラー", timeout_ms=30000, shot="ftp-settings-error.png")
    assert [c.text for c in pc.controls(box) if c.cls == "Static" and c.text] == ["パスワードが指定されていません"]
    pc.click(box, "OK")
    pc.gone(box)

    dlg, edits = fill("ftp.example.test", "user", "secret", "/public_html/myip.html")
    pc.find_window(title="ZEP! FTP設定", shot="ftp-settings-filled.png")
    pc.click(dlg, "OK")
    pc.gone(dlg)
    zep.quit(running)
    ini = zep.ini()
    assert ini.get("ZEP", "FTPHost") == "ftp.example.test"
    assert ini.get("ZEP", "FTPUserName") == "user"
    assert ini.get("ZEP", "FTPDestination") == "/public_html/myip.html"
    assert ini.get("ZEP", "FTPPassword") not in ("", "secret")  # stored enciphered


FILE_NAME_EDIT, PARAMETER_EDIT, WORK_EDIT, NAME_EDIT = 404, 408, 410, 401


def test_dropped_files_and_shortcuts_fill_the_editor(zep, lan):
    pc = lan.pc
    for folder in ("tools", "bin", "links"):
        (pc.drive_c / folder).mkdir()
    (pc.drive_c / "tools" / "app.exe").write_bytes(b"MZ")
    (pc.drive_c / "tools" / "other.exe").write_bytes(b"MZ")
    (pc.drive_c / "bin" / "SendCmd.exe").write_bytes(b"MZ")
    pc.probe("shortcut", r"C:\links\app.lnk", r"C:\tools\app.exe", "-x")
    pc.probe("shortcut", r"C:\links\cmd.lnk", r"C:\bin\SendCmd.exe", "TMainForm 8001")
    running, form = open_form(zep)
    show_page(pc, form, 1)
    pc.click(form, "追加")
    editor = pc.find_window(title="ZEP! 自動起動設定", timeout_ms=30000, shot=False)

    def fields():
        c = pc.controls(editor)
        return [by_id(c, i).text for i in (NAME_EDIT, FILE_NAME_EDIT, PARAMETER_EDIT, WORK_EDIT)]

    # Several files: the first counts.
    pc.probe("drop", editor.arg, str(FILE_NAME_EDIT), r"C:\tools\app.exe", r"C:\tools\other.exe")
    assert fields() == ["設定0", r"C:\tools\app.exe", "", "C:\\tools\\"]
    # A shortcut to an ordinary program: the shortcut itself.
    pc.probe("drop", editor.arg, str(FILE_NAME_EDIT), r"C:\links\app.lnk")
    assert fields() == ["設定0", r"C:\links\app.lnk", "", "C:\\links\\"]
    # A shortcut to sendcmd.exe: a window command.
    pc.probe("drop", editor.arg, str(FILE_NAME_EDIT), r"C:\links\cmd.lnk")
    assert fields() == ["設定0", "WM_COMMAND", "TMainForm", "8001"]
    pc.find_window(title="ZEP! 自動起動設定", shot="entry-editor-window-command.png")
    pc.click(editor, "OK")
    pc.gone(editor)
    zep.quit(running)
    ini = zep.ini()
    assert (ini.get("0", "FileName"), ini.get("0", "Parameter"), ini.get("0", "Work")) == (
        "WM_COMMAND", "TMainForm", "8001")


def test_window_command_with_a_number_that_is_not_hexadecimal_is_told_on_saving(zep, lan):
    pc = lan.pc
    running, form = open_form(zep)
    show_page(pc, form, 1)
    pc.click(form, "追加")
    editor = pc.find_window(title="ZEP! 自動起動設定", timeout_ms=30000, shot=False)
    pc.set_text(editor, FILE_NAME_EDIT, "WM_COMMAND")
    pc.set_text(editor, PARAMETER_EDIT, "TMainForm")
    pc.set_text(editor, WORK_EDIT, "C:\\tools\\")
    pc.click(editor, "OK")
    box = pc.find_window(cls="#32770", title="エラー", timeout_ms=30000, shot="window-command-not-hex.png")
    text = "".join(c.text for c in pc.controls(box) if c.cls == "Static" and c.text)
    assert "16進数" in text
    pc.click(box, "OK")
    pc.gone(box)
    zep.quit(running)
    assert zep.ini().get("0", "FileName") == "WM_COMMAND"  # kept as entered


def test_library_in_use_fills_the_address_and_the_firmware_line(zep, lan):
    pc = lan.pc
    Library(zep, Address=0x0A0000FE, Firmware=0x2001A)  # router 10.0.0.254 with firmware 2.001A
    zep.write_ini("[ZEP]\nUseMRLDll=1\n")
    running = zep.start()
    zep.controller()
    form = pc.find_window(cls=FORM, timeout_ms=30000, visible=False, shot=False)
    pc.post(form, WM_COMMAND, ABOUT_BUTTON, 0)
    about = pc.find_window(title="バージョン情報", timeout_ms=30000, shot="about-box-library.png")
    assert "2.001A" in [c.text for c in pc.controls(about)]
    pc.click(about, "OK")
    pc.gone(about)
    controls = pc.controls(form)
    assert by_id(controls, IP_EDIT).text == "10.0.0.254"
    assert not by_id(controls, IP_EDIT).enabled
    zep.quit(running)
    ini = zep.ini()
    assert (ini.get("ZEP", "IPAddress"), ini.get("ZEP", "SetupUtility"), ini.get("ZEP", "UseMRLDll")) == (
        "10.0.0.254", "", "1")
