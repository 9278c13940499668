"""The IP page published by FTP, against a real server on the test LAN: the automatic upload when
the address arrives, the disconnect page ahead of a disconnection from the window, the upload
buttons, the abort and the three-line log list; passive mode and TLS with the server's certificate
checked; zep's own files where its folder is closed to the user."""

import base64
import hashlib
import re
import shutil
import subprocess
import time
from contextlib import contextmanager

from Cryptodome.Cipher import Blowfish

from zepapp import Ini, Tool, Zep
from zeptest import ROUTER_ADDRESS, RouterSim, menu_keys, paths, popup_menu, tray_click, wait_for
from zeptest.ftp_server import FtpServer
from zeptest.tls import Authority

DIST = paths.REPO / "dist"
FTP_ADDRESS = "192.168.0.2"
USER, PASSWORD = "zepuser", "zep-secret"
LOGIN_DIR = "/home/zepuser"
DESTINATION = "/home/zepuser/www/ip.html"
FORM = "TZEPForm"
IP_PAGE = 3
# Control identifiers of the settings window (fixed in zep/settings_window.cpp).
DISCONNECT_BUTTON, FTP_CON_BUTTON, FTP_DISCON_BUTTON, FTP_LOG_LIST, FTP_ABORT_BUTTON = 102, 138, 141, 143, 144
WM_COMMAND, TCM_SETCURFOCUS = 0x111, 0x1330


def protect(password):
    """The settings file's form of the FTP password, computed here with another implementation."""
    key = hashlib.sha1(b"KLT by pavomire").digest()
    iv = Blowfish.new(key, Blowfish.MODE_ECB).encrypt(b"\xff" * 8)
    return base64.b64encode(Blowfish.new(key, Blowfish.MODE_CFB, iv=iv, segment_size=8).encrypt(password)).decode()


def serve_ftp(lan, **options):
    host = next((h for h in lan.hosts if h.name == "ftp"), None) or lan.add_host("ftp", FTP_ADDRESS)
    server = FtpServer(host, lan.workdir / "ftp-root", user=USER, password=PASSWORD, login_dir=LOGIN_DIR,
                       **options).start()
    server.local_path(LOGIN_DIR + "/www").mkdir(parents=True)
    return server


def start_zep(lan, extra="", host=FTP_ADDRESS):
    zep = Zep(lan.pc)
    for page in ("connect.htm", "discon.htm"):
        shutil.copy(DIST / page, zep.folder)
    tool = Tool(lan.pc, Status=3, Default=0)
    zep.write_ini(f"[ZEP]\nSetupUtility={tool.path}\nIPAddress={ROUTER_ADDRESS}\nHTMLAutoCreate=1\n{extra}"
                  f"FTPHost={host}\nFTPUserName={USER}\nFTPPassword={protect(PASSWORD.encode())}\n"
                  f"FTPDestination={DESTINATION}\n")
    running = zep.start()
    zep.controller()
    return zep, tool, running


def open_ip_page(pc):
    """The settings window from the tray's left menu, on its IP address page."""
    tray_click(pc, button=1)
    popup_menu(pc, shot=False)
    menu_keys(pc, "Down", "Return")  # 設定
    form = pc.find_window(cls=FORM, timeout_ms=30000, shot=False)
    tab = next(c for c in pc.controls(form) if c.cls == "SysTabControl32")
    pc.send(tab, TCM_SETCURFOCUS, IP_PAGE)
    return form


def control(pc, form, ident):
    return next(c for c in pc.controls(form) if c.id == ident)


def press(pc, form, ident):
    """A button's click as the window gets it (posted, so a running upload does not hold us)."""
    pc.post(form, WM_COMMAND, ident, control(pc, form, ident).hwnd)


def log_lines(pc, form):
    return [item.text for item in control(pc, form, FTP_LOG_LIST).items]


def wait_log(pc, form, count, timeout=30.0):
    return wait_for(lambda: (lines := log_lines(pc, form)) and len(lines) >= count and lines, timeout,
                    f"{count} lines in the FTP log list")


def test_the_page_goes_up_on_connection_and_discon_before_a_disconnect_from_the_window(lan):
    ftp = serve_ftp(lan)
    zep, tool, running = start_zep(lan, "FTPAutoConnect=1\nFTPAutoConnectOnly=0\nFTPAutoDiscon=1\n")
    sim = RouterSim(lan)
    sim.connect()
    sim.ip("198.51.100.7")

    stored = wait_for(lambda: [s for s in ftp.stores() if s.complete], 30, "the page on the server")
    assert stored[0].path == DESTINATION and stored[0].type == "A" and stored[0].mode == "active"
    page = (zep.folder / "myip.html").read_bytes()
    assert b"198.51.100.7" in page and ftp.local_path(DESTINATION).read_bytes() == page
    commands = ftp.commands()
    assert commands[:5] == [f"USER {USER}", f"PASS {PASSWORD}", "TYPE A", "PWD", "CWD www"]
    assert re.fullmatch(r"PORT 192,168,0,10,\d+,\d+", commands[5])
    assert commands[6:] == ["STOR ip.html", "QUIT"]

    form = open_ip_page(lan.pc)
    assert re.fullmatch(r"\d\d:\d\d:正常に転送できました", wait_log(lan.pc, form, 1)[0])

    # The window's disconnect: discon.htm replaces the page first, then the tool is started.
    press(lan.pc, form, DISCONNECT_BUTTON)
    tool.wait_call("-cut1")
    assert len(ftp.stores()) == 2
    assert ftp.local_path(DESTINATION).read_bytes() == (DIST / "discon.htm").read_bytes()
    assert ftp.local_path(DESTINATION).stat().st_mtime <= (tool.folder / f"{tool.stem}.log").stat().st_mtime
    assert len(wait_log(lan.pc, form, 2)) == 2

    # Once is enough: the next disconnect uploads nothing.
    press(lan.pc, form, DISCONNECT_BUTTON)
    tool.wait_call("-cut1", count=2)
    time.sleep(1)
    assert len(ftp.stores()) == 2
    lan.pc.find_window(cls=FORM, shot="ip-page-after-uploads.png")

    sim.disconnect()
    zep.quit(running)


def test_upload_now_is_refused_while_one_runs_and_the_abort_stops_it(lan):
    ftp = serve_ftp(lan, slow=2000)
    zep, _, running = start_zep(lan)
    big = b"<html><body>\r\n" + b"<p>203.0.113.45</p>\r\n" * 4000 + b"</body></html>\r\n"  # 40 s at the server's pace
    (zep.folder / "myip.html").write_bytes(big)
    form = open_ip_page(lan.pc)
    assert not control(lan.pc, form, FTP_ABORT_BUTTON).enabled

    press(lan.pc, form, FTP_CON_BUTTON)
    ftp.wait_for(r"^> STOR ip\.html$", 30)
    wait_for(lambda: control(lan.pc, form, FTP_ABORT_BUTTON).enabled, what="the abort button enabled")
    assert not control(lan.pc, form, FTP_CON_BUTTON).enabled
    assert not control(lan.pc, form, FTP_DISCON_BUTTON).enabled
    lan.pc.find_window(cls=FORM, shot="ip-page-while-uploading.png")

    # A second request while the upload runs does nothing.
    lan.pc.post(form, WM_COMMAND, FTP_CON_BUTTON, control(lan.pc, form, FTP_CON_BUTTON).hwnd)
    time.sleep(2)
    assert ftp.commands().count("STOR ip.html") == 1

    press(lan.pc, form, FTP_ABORT_BUTTON)
    lines = wait_log(lan.pc, form, 1, timeout=30)
    assert re.fullmatch(r"\d\d:\d\d:中止されました", lines[0])
    wait_for(lambda: not control(lan.pc, form, FTP_ABORT_BUTTON).enabled, what="the abort button disabled")
    assert control(lan.pc, form, FTP_CON_BUTTON).enabled
    assert [s.complete for s in wait_for(ftp.stores, 15, "the broken-off store")] == [False]
    assert "QUIT" in ftp.commands()

    # Three more results: the oldest line leaves the list.
    (zep.folder / "myip.html").write_bytes(b"<p>203.0.113.45</p>\r\n")
    for uploads in (1, 2, 3):
        press(lan.pc, form, FTP_CON_BUTTON)
        wait_for(lambda: sum(line.endswith("正常に転送できました") for line in log_lines(lan.pc, form)) == uploads,
                 30, f"upload {uploads} listed")
    lines = log_lines(lan.pc, form)
    assert len(lines) == 3 and not any(line.endswith("中止されました") for line in lines)
    lan.pc.find_window(cls=FORM, shot="ip-page-three-results.png")
    zep.quit(running)


def test_ticking_the_upload_without_a_server_opens_the_ftp_settings_but_loading_does_not(lan):
    zep = Zep(lan.pc)
    zep.write_ini("[ZEP]\nHTMLAutoCreate=1\nFTPAutoConnect=1\n")
    running = zep.start()
    zep.dismiss_first_show_info()
    form = lan.pc.find_window(cls=FORM, timeout_ms=30000, shot=False)
    time.sleep(1)
    assert not [w for w in lan.pc.windows() if w.title == "ZEP! FTP設定"]  # loaded ticked: no dialog

    tab = next(c for c in lan.pc.controls(form) if c.cls == "SysTabControl32")
    lan.pc.send(tab, TCM_SETCURFOCUS, IP_PAGE)
    lan.pc.click(form, "接続時にFTP自動転送する")  # unticked
    time.sleep(0.5)
    assert not [w for w in lan.pc.windows() if w.title == "ZEP! FTP設定"]
    lan.pc.click(form, "接続時にFTP自動転送する")  # ticked again, still no server
    dialog = lan.pc.find_window(title="ZEP! FTP設定", timeout_ms=30000, shot="ftp-settings-on-tick.png")
    lan.pc.click(dialog, "Cancel")
    lan.pc.gone(dialog)
    zep.quit(running)
    assert zep.ini().get("ZEP", "FTPHost") == ""


def test_quitting_during_an_upload_breaks_it_off_and_exits(lan):
    ftp = serve_ftp(lan, slow=500)
    zep, _, running = start_zep(lan)
    (zep.folder / "myip.html").write_bytes(b"<p>203.0.113.45</p>\r\n" * 4000)  # minutes at the server's pace
    form = open_ip_page(lan.pc)
    press(lan.pc, form, FTP_CON_BUTTON)
    ftp.wait_for(r"^> STOR ip\.html$", 30)
    zep.quit(running)
    assert [s.complete for s in wait_for(ftp.stores, 15, "the broken-off store")] == [False]


# -- TLS and passive mode: a server with a certificate of a test authority that the PC trusts

FTP_NAME = "ftp.zep.test"
FTP_SET_BUTTON = 142
TLS_REFUSED, UNTRUSTED = "サーバがTLSに対応していません", "サーバの証明書を確認できませんでした"


def trusting_pc(lan, authority):
    """The PC trusts `authority` (in its machine's Root store) and finds the FTP server by name."""
    assert "TRUSTED" in lan.pc.probe("trust-root", lan.pc.windows_path(authority.der_path))
    lan.pc.resolve({FTP_NAME: FTP_ADDRESS})


def start_tls_zep(lan, passive):
    zep, _, running = start_zep(lan, f"FTPUseTLS=1\nFTPPassive={int(passive)}\n", host=FTP_NAME)
    (zep.folder / "myip.html").write_bytes(b"<p>203.0.113.45</p>\r\n")
    return zep, running


def upload_now(lan, form, count):
    press(lan.pc, form, FTP_CON_BUTTON)
    return wait_log(lan.pc, form, count, timeout=60)[-1]


def test_the_page_goes_up_over_tls_in_passive_and_in_active_mode(lan):
    authority = Authority(lan.workdir / "ca")
    trusting_pc(lan, authority)
    ftp = serve_ftp(lan, tls=authority.server(FTP_NAME))
    zep, running = start_tls_zep(lan, passive=True)
    form = open_ip_page(lan.pc)

    assert upload_now(lan, form, 1).endswith("正常に転送できました")
    store = wait_for(ftp.stores, 15, "the page on the server")[0]
    assert (store.path, store.mode, store.complete, store.secure) == (DESTINATION, "passive", True, True)
    assert ftp.local_path(DESTINATION).read_bytes() == (zep.folder / "myip.html").read_bytes()
    assert ftp.commands()[:6] == ["AUTH TLS", f"USER {USER}", f"PASS {PASSWORD}", "PBSZ 0", "PROT P", "TYPE A"]
    assert "EPSV" in ftp.commands()

    # Passive mode off in the FTP settings: the same server, the data connection from the server.
    press(lan.pc, form, FTP_SET_BUTTON)
    dialog = lan.pc.find_window(title="ZEP! FTP設定", timeout_ms=30000, shot="ftp-settings-tls-passive.png")
    boxes = {c.text: c for c in lan.pc.controls(dialog) if c.cls == "Button" and c.text not in ("OK", "Cancel")}
    assert [(text, box.checked) for text, box in boxes.items()] == [
        ("パッシブモードで転送する", True), ("TLSで暗号化する（FTPS）", True)]
    lan.pc.click(dialog, "パッシブモードで転送する")
    lan.pc.click(dialog, "OK")
    lan.pc.gone(dialog)

    assert upload_now(lan, form, 2).endswith("正常に転送できました")
    store = wait_for(lambda: ftp.stores()[1:], 15, "the second upload")[0]
    assert (store.mode, store.complete, store.secure) == ("active", True, True)
    assert re.fullmatch(r"PORT 192,168,0,10,\d+,\d+", next(c for c in reversed(ftp.commands()) if c[:4] == "PORT"))
    zep.quit(running)
    assert (zep.ini().get("ZEP", "FTPPassive"), zep.ini().get("ZEP", "FTPUseTLS")) == ("0", "1")


def test_another_name_an_unknown_authority_and_a_server_without_tls_hear_no_password(lan):
    authority = Authority(lan.workdir / "ca")
    trusting_pc(lan, authority)
    zep, running = start_tls_zep(lan, passive=True)
    form = open_ip_page(lan.pc)
    servers = [
        (dict(tls=authority.server("other.zep.test")), UNTRUSTED),
        (dict(tls=Authority(lan.workdir / "stranger", "stranger root").server(FTP_NAME)), UNTRUSTED),
        ({}, TLS_REFUSED),
    ]
    for count, (options, result) in enumerate(servers, 1):
        ftp = serve_ftp(lan, **options)
        try:
            assert upload_now(lan, form, count).endswith(result)
            assert ftp.commands()[:1] == ["AUTH TLS"]
            assert not [c for c in ftp.commands() if c.startswith(("USER", "PASS"))]
            assert not ftp.stores()
        finally:
            ftp.stop()
            shutil.rmtree(ftp.root)
    lan.pc.find_window(cls=FORM, shot="ip-page-tls-refusals.png")
    zep.quit(running)


def test_in_active_mode_a_data_connection_from_another_host_is_turned_away(lan):
    # The server agrees to PORT and STOR but never connects: the router's host does instead.
    ftp = serve_ftp(lan, replies={"PORT": "200 PORT ok.", "STOR": "150 Opening data connection."})
    zep, _, running = start_zep(lan)
    (zep.folder / "myip.html").write_bytes(b"<p>203.0.113.45</p>\r\n")
    form = open_ip_page(lan.pc)
    press(lan.pc, form, FTP_CON_BUTTON)
    port = ftp.wait_for(r"^> PORT 192,168,0,10,(\d+),(\d+)$", 30)
    intruder = lan.router.python(
        "import socket, sys\n"
        "s = socket.create_connection(('192.168.0.10', int(sys.argv[1])), timeout=30)\n"
        "try:\n"
        "    print('GOT', s.recv(4096).hex())\n"
        "except ConnectionResetError:\n"
        "    print('RESET')\n",
        int(port[1]) * 256 + int(port[2]), timeout=60, check=False)
    # Closed (or reset) without a byte of the page.
    assert intruder.stdout.strip() in ("GOT", "RESET"), f"{intruder.stdout}{intruder.stderr}"
    assert control(lan.pc, form, FTP_ABORT_BUTTON).enabled  # the upload still waits for the server
    press(lan.pc, form, FTP_ABORT_BUTTON)
    assert wait_log(lan.pc, form, 1)[0].endswith("中止されました")
    zep.quit(running)


@contextmanager
def immutable(*paths_):
    """Neither root nor the wineserver (which opens files for Wine's programs) can make, change or
    remove anything in these folders and files: a folder under Program Files for a standard user."""
    subprocess.run(["chattr", "+i", *map(str, paths_)], check=True)
    try:
        yield
    finally:
        subprocess.run(["chattr", "-i", *map(str, paths_)], check=True)


def test_a_zep_that_cannot_write_its_folder_keeps_its_settings_in_application_data(lan):
    zep = Zep(lan.pc)
    zep.write_ini(f"[ZEP]\nIPAddress={ROUTER_ADDRESS}\nSetupUtility=C:\\none.exe\nFTPHost=kept.example\n")
    mine = lan.pc.drive_c / "users/root/AppData/Roaming/ZEP!"
    before = zep.ini_path.read_bytes()
    with immutable(zep.folder, zep.ini_path):
        running = zep.start()
        zep.controller()
        zep.quit(running)
        settings = Ini.parse((mine / "zep.ini").read_bytes())
        assert settings.get("ZEP", "FTPHost") == "kept.example"  # taken over from beside the program
        assert settings.get("ZEP", "LogFolder") == lan.pc.windows_path(mine)
        assert settings.get("ZEP", "HTMLFile") == lan.pc.windows_path(mine / "myip.html")

        # The second start reads the file it wrote, not the one beside the program.
        (mine / "zep.ini").write_bytes(settings.raw.replace(b"kept.example", b"changed.example"))
        running = zep.start()
        zep.controller()
        zep.quit(running)
        assert Ini.parse((mine / "zep.ini").read_bytes()).get("ZEP", "FTPHost") == "changed.example"
    assert zep.ini_path.read_bytes() == before and sorted(p.name for p in zep.folder.iterdir()) == ["zep.exe", "zep.ini"]

    # Where the folder is writable, nothing changes: zep.ini stays beside the program.
    (mine / "zep.ini").unlink()
    running = zep.start()
    zep.controller()
    zep.quit(running)
    assert zep.ini().get("ZEP", "LogFolder") == "C:\\zep" and zep.ini().get("ZEP", "FTPHost") == "kept.example"
    assert not (mine / "zep.ini").exists()
