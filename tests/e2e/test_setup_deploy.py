"""What the people who deploy software read of an installation under Wine: the installed-programs
entry with version, publisher, site, size and the quiet removal; the install record kept through a
setup that is killed while it copies."""

import re
import zipfile

from setupapp import Distribution, finish, installed_ini, linux_path, record, reg
from zepdist import package
from zeptest import paths, wait_for

APP = r"C:\Program Files\Deployed"
ENTRY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Deployed"


def product(version, extra="", files=("app.exe", "lib.dll")):
    lines = "\n".join(f"{i}={name}" for i, name in enumerate(files))
    return f"""
[Setup]
Name=Deployed
Auto=1
Version={version}
{extra}
[Root]
Name=%programs%\\Deployed
[CopyFile]
{lines}
"""


def entry(pc):
    return reg(pc, ENTRY).get(ENTRY.split("\\", 1)[1], {})


def test_the_entry_tells_version_publisher_size_and_the_quiet_removal_and_a_version_up_renews_them(lan):
    pc = lan.pc
    dist = Distribution(pc, product("1.0", "Publisher=Acme\nURL=http://www.example.jp/deployed/"),
                        {"app.exe": b"M" * 3000, "lib.dll": b"L" * 2000})
    finish(dist.start())
    values = entry(pc)
    assert values["DisplayName"] == "sz:Deployed"
    assert values["DisplayVersion"] == "sz:1.0"
    assert values["Publisher"] == "sz:Acme"
    assert values["URLInfoAbout"] == "sz:http://www.example.jp/deployed/"
    assert values["EstimatedSize"] == "dword:5"  # 5000 bytes, rounded up to KiB
    assert values["NoModify"] == "dword:1" and values["NoRepair"] == "dword:1"
    assert values["UninstallString"] == f'sz:"{APP}\\Setup.exe"'
    assert values["QuietUninstallString"] == f'sz:"{APP}\\Setup.exe" uninstall /S'

    # A version-up from another distribution: the entry says what the new Setup.ini says.
    newer = Distribution(pc, product("1.1", files=("app.exe", "lib.dll", "big.dat")),
                         {"app.exe": b"N" * 3000, "lib.dll": b"L" * 2000, "big.dat": b"B" * 10000}, name="dist2",
                         env=dist.env)
    finish(newer.start())
    values = entry(pc)
    assert values["DisplayVersion"] == "sz:1.1"
    assert "Publisher" not in values and "URLInfoAbout" not in values
    assert values["EstimatedSize"] == "dword:15"
    assert values["QuietUninstallString"] == f'sz:"{APP}\\Setup.exe" uninstall /S'


def test_the_packages_setup_ini_carries_the_projects_version():
    version = re.search(r"project\(zep VERSION ([\d.]+)", (paths.REPO / "CMakeLists.txt").read_text()).group(1)
    with zipfile.ZipFile(package()) as z:
        name = next(n for n in z.namelist() if n.endswith("/Setup.ini"))
        text = z.read(name).decode("cp932")
    setup = text.split("[Setup]", 1)[1].split("\r\n[", 1)[0]
    assert f"\r\nVersion={version}\r\n" in setup
    assert "\r\nPublisher=ZEP!\r\n" in setup and "\r\nURL=http://" in setup


FILES = 3000


def journalled(text):
    """The files a journal names: its whole "+" lines less its "-" lines (each "+"/"-", path, "|")."""
    files = []
    for line in text.split("\r\n")[:-1]:
        if line.startswith("+") and line.endswith("|"):
            files.append(line[1:-1])
        elif line.startswith("-") and line.endswith("|") and line[1:-1] in files:
            del files[len(files) - 1 - files[::-1].index(line[1:-1])]
    return files


def test_a_setup_killed_while_copying_leaves_every_copied_file_on_record(lan):
    pc = lan.pc
    names = [f"f{i:04d}.dat" for i in range(FILES)]
    dist = Distribution(pc, product("1.0", files=names), {name: b"d" * 100 for name in names})
    installed = linux_path(pc, APP)
    setup = dist.start()
    wait_for(lambda: installed.exists() and len(list(installed.glob("*.dat"))) >= 20, 120, "copying under way")
    setup.kill()  # our own setup.exe, by its process
    setup.wait(30)
    copied = {p.name for p in installed.glob("*.dat")}
    journal = dist.folder / "Setup.ini.journal"
    assert journal.exists()
    on_record = {p.split("\\")[-1] for p in journalled(journal.read_bytes().decode("utf-8"))}
    assert copied <= on_record, sorted(copied - on_record)[:5]
    assert dict(dist.ini().sections.get("CopiedFile", [])).get("Count") in (None, "0")  # not marked installed

    # Run again: it installs (into C:\Deployed: setup wrote the folder's leaf back to Root Name when
    # it started) and writes the whole record, the killed run's files in it; the journal has done
    # its work.
    finish(dist.start(), timeout=300)
    assert not journal.exists()
    again = r"C:\Deployed"
    assert record(installed_ini(pc, again), "CopiedFile") == (
        [f"{again}\\{name}" for name in names] + [f"{APP}\\{name}" for name in sorted(copied)])
