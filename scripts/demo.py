"""The main job: the whole life of zep as a user lives it, under Wine and Xvfb on a PC of a test
network (router 192.168.0.1, PC 192.168.0.10, an FTP server at 192.168.0.2). The package is
unpacked and installed with its setup.exe through its windows; zep starts from what setup made and
is set up to publish the WAN address; the simulated router brings the line up and down; a new
version is installed while zep runs and replaces it at the restart; zep is removed from the user's
list of programs. The package installs for the user alone: nothing asks for administrator rights,
zep's files lie in the user's own program folder and its installed-programs entry under
HKEY_CURRENT_USER. A screenshot of every step, and the prefix's state before and after."""

import os
import shutil
import sys
import time
from datetime import datetime
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests/e2e"))

from setupapp import answer_box, finish, isolate, linux_path, main_window, snapshot, trash  # noqa: E402
from zepdist import (CONTROLLER, PROGRAMS, ROOT, UNINSTALL, close_readme, install, quit_zep,  # noqa: E402
                     registration, uninstall_command, unpack)
from zeptest import (  # noqa: E402
    Display, Lan, RouterSim, menu_keys, paths, popup_menu, proc, tray_click, tray_screenshot, wait_for)
from zeptest.ftp_server import FtpServer  # noqa: E402
from zeptest.wine import template_prefix  # noqa: E402

FTP_ADDRESS = "192.168.0.2"
TCM_SETCURFOCUS = 0x1330


def step(text):
    print(f"demo: {text}", flush=True)


def save_snapshot(pc, path):
    files, keys = snapshot(pc)
    lines = [f"file {f}" for f in files]
    lines += [f"key {k} {sorted(v.items())}" for k, v in sorted(keys.items())]
    path.write_text("\n".join(lines) + "\n", encoding="utf-8")
    return set(lines)


def publish_by_ftp(pc, form, ftp):
    """On the IP address page: upload when connected, also outside the daily window, with the
    server, account and path entered in the FTP settings dialog that opens."""
    tab = next(c for c in pc.controls(form) if c.cls == "SysTabControl32")
    pc.send(tab, TCM_SETCURFOCUS, 3)
    step("the IP address page: tick the FTP upload; with no server set the FTP settings open")
    pc.click(form, "接続時にFTP自動転送する")
    dialog = pc.find_window(title="ZEP! FTP設定", timeout_ms=5000, shot=False)
    edits = [c for c in pc.controls(dialog) if c.cls == "Edit"]
    for edit, value in zip(edits, (ftp.address, ftp.user, ftp.password, "/public_html/myip.html")):
        pc.set_text(dialog, edit.id, value)
    pc.find_window(title="ZEP! FTP設定", shot="05-ftp-settings.png")
    pc.click(dialog, "OK")
    pc.gone(dialog)
    pc.click(form, "自動接続時間中のみ")
    pc.click(form, "切断時にも自動転送する")
    pc.find_window(cls="TZEPForm", shot="06-settings-ip-page.png")


def install_package(pc, env):
    folder = unpack(pc)
    step(f"the package unpacked into Downloads: {', '.join(sorted(p.name for p in folder.iterdir()))}")
    step("setup.exe: the background and the readme page for a new installation, then the installer window")
    setup, window = install(pc, env, folder, "01-install", folder_page=True)
    pc.click(window, "実行")
    time.sleep(1.5)
    pc.screenshot(None, "02-installing.png")
    finish(setup)
    installed = linux_path(pc, ROOT)
    entry = registration(pc)  # asserts that nothing was registered for every user
    step(f"installed for this user alone, without administrator rights, into the user's own program folder "
         f"{ROOT}: {', '.join(sorted(p.name for p in installed.iterdir()))}; Start menu {PROGRAMS}\\ZEP! and "
         f"the Startup shortcut; the installed-programs entry {UNINSTALL} (UninstallString "
         f"{entry['UninstallString'].split(':', 1)[1]}), none under HKEY_LOCAL_MACHINE")


def first_start(pc, lan):
    step("setup's last step opened ZEP! from the Start menu: its first start asks for the setup utility")
    box = pc.find_window(cls="#32770", title="情報", timeout_ms=20000, shot="03-first-start-notice.png")
    pc.click(box, "OK")
    pc.gone(box)
    form = pc.find_window(cls="TZEPForm", timeout_ms=10000, shot="04-settings-window.png")
    ftp = FtpServer(lan.add_host("ftp", FTP_ADDRESS), lan.workdir / "ftp-root", login_dir="/home/zepuser")
    ftp.start()
    ftp.local_path("/home/zepuser/public_html").mkdir()
    publish_by_ftp(pc, form, ftp)
    tray_screenshot(pc, "07-tray.png")
    step("the tray icon's menus")
    tray_click(pc, button=1)
    popup_menu(pc, shot="08-tray-left-menu.png")
    menu_keys(pc, "Escape")
    time.sleep(0.5)
    tray_click(pc, button=3)
    popup_menu(pc, shot="09-tray-right-menu.png")
    menu_keys(pc, "Escape")
    time.sleep(0.5)
    return ftp


def connection_cycle(lan, pc, ftp, shots):
    installed = linux_path(pc, ROOT)
    sim = RouterSim(lan)
    step("the router brings its line up: connect line, then the WAN address")
    sim.connect(line=1)
    time.sleep(0.3)
    tray_screenshot(pc, "10-tray-connected-data.png")
    sim.ip("198.51.100.7")
    sim.accepted()
    time.sleep(1.5)
    tray_screenshot(pc, "11-tray-connected.png")
    page = installed / "myip.html"
    step(f"the IP page: {page.read_text(encoding='cp932').count('198.51.100.7')} occurrences of the address "
         "in myip.html")
    time.sleep(2)
    step("the router takes the line down")
    sim.disconnect()
    time.sleep(0.3)
    tray_screenshot(pc, "12-tray-disconnected-data.png")
    month = f"{datetime.now():%Y%m}"
    for kind in ("syslog", "conlog"):
        log = installed / f"{kind}_{month}.txt"
        wait_for(log.exists, 10, log.name)
        shutil.copy(log, shots)
        step(f"{log.name}:\n    " + log.read_text(encoding="cp932").strip().replace("\r\n", "\n    "))
    uploaded = ftp.local_path("/home/zepuser/public_html/myip.html")
    step(f"the FTP server got {uploaded.stat().st_size} bytes at /home/zepuser/public_html/myip.html")
    pc.find_window(cls="TZEPForm", shot="13-settings-ip-page-uploaded.png")


def version_up(pc, env):
    step("a new version, installed while ZEP! runs: its zep.exe is newer")
    folder = unpack(pc, "Desktop")
    newer = (folder / "zep.exe").read_bytes() + b"\0next version"
    (folder / "zep.exe").write_bytes(newer)
    later = time.time() + 86400
    os.utime(folder / "zep.exe", (later, later))
    setup, window = install(pc, env, folder, "14-versionup")
    pc.click(window, "実行")
    finish(setup)
    answer_box(pc, "ZEP!", "いいえ", shot="15-versionup-restart-question.png", timeout_ms=20000)
    step("the running zep.exe is replaced at the restart: the restart question was answered No, so now "
         "zep.exe -quit (it uploads discon.htm, disconnects, saves its settings) and Wine's restart")
    quit_zep(pc, env)
    pc.wine("wineboot", "-r", timeout=120)
    replaced = (linux_path(pc, ROOT) / "zep.exe").read_bytes() == newer
    step(f"after the restart zep.exe is the new one: {replaced}; ZEP! starts from the Startup shortcut")
    pc.run("start", [PROGRAMS + r"\StartUp\ZEP!.lnk"], env=env)
    pc.find_window(cls=CONTROLLER, visible=False, shot=False, timeout_ms=20000)
    time.sleep(1)
    tray_screenshot(pc, "16-tray-after-restart.png")


def removal(pc, env):
    command = uninstall_command(pc)
    step(f"removal from the user's list of programs (HKEY_CURRENT_USER), no elevation: {command}")
    process = pc.run(command, env=env)
    close_readme(pc, "17-removal-readme.png")
    window = main_window(pc, "ZEP!", shot="18-removal-window.png")
    pc.click(window, "実行")
    time.sleep(1.0)
    pc.screenshot(None, "19-removing.png")
    listed = answer_box(pc, "ファイル・フォルダの削除", "OK", shot="20-removal-kept.png", timeout_ms=30000)
    step("the running ZEP! was told to quit; what the user keeps is listed:\n    " + listed.replace("\n", "\n    "))
    finish(process)
    installed = linux_path(pc, ROOT)
    wait_for(lambda: not (installed / "Setup.exe").exists(), 15, "Setup.exe gone")
    step(f"left in {ROOT}: {', '.join(sorted(p.name for p in installed.iterdir()))}; in the recycle bin: "
         f"{', '.join(trash(env))}; the installed-programs entry is gone: {registration(pc) == {}}")


def main():
    shots = paths.e2e_dir() / "demo"
    shutil.rmtree(shots, ignore_errors=True)
    display = Display(log_dir=paths.e2e_dir() / "logs").start()
    try:
        template, _ = template_prefix()
        with Lan(display, template, pcs=1, artifacts=shots) as lan:
            pc = lan.pc
            env = isolate(pc)
            step(f"router at {lan.router.address}, PC at {pc.address}; the prefix before: prefix-before.txt")
            before = save_snapshot(pc, shots / "prefix-before.txt")
            install_package(pc, env)
            ftp = first_start(pc, lan)
            connection_cycle(lan, pc, ftp, shots)
            version_up(pc, env)
            removal(pc, env)
            after = save_snapshot(pc, shots / "prefix-after.txt")
            changes = sorted(f"+ {line}" for line in after - before) + sorted(f"- {line}" for line in before - after)
            step("the prefix after removal, against before (prefix-after.txt; the user's own program folder "
                 "stays once made, as on Windows; the kept logs are in it): " +
                 ("\n    " + "\n    ".join(changes) if changes else "no difference"))
    finally:
        display.stop()
    step(f"done. Screenshots, the logs and the prefix's state before and after are in {shots}")


if __name__ == "__main__":
    proc.install_signal_handlers()
    main()
