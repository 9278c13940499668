"""Where the programs find DLLs: never beside themselves under a system DLL's name, never in the
current folder or on PATH; a library setup only checks runs none of its code.

Wine loads its own builtin system DLLs whatever lies beside a program; a DLL override makes it
prefer a native file the way Windows does, so a winmm.dll planted beside a program that imports
it the ordinary way would be loaded before the program's first line. (version.dll and uxtheme.dll
cannot be shown so: Wine's own advapi32 and comctl32 import them, where Windows' do not.)"""

import re
import shutil

from setupapp import Distribution, answer_box, finish, main_window
from zepapp import EXE, Zep, install_tool
from zeptest import RouterSim, paths, wait_for


def planted():
    return paths.require_exe(paths.fixture("planted.dll"), "planted")


def loaded_markers(pc):
    """The planted DLLs that some process loaded (each leaves "<its path>.loaded")."""
    return sorted(str(p.relative_to(pc.drive_c)) for p in pc.drive_c.rglob("*.loaded"))


def test_zep_loads_no_dll_planted_beside_it_in_the_current_folder_or_on_path(lan):
    pc = lan.pc
    zep = Zep(pc)
    shutil.copy(planted(), zep.folder / "WINMM.dll")
    for folder in ("work", "onpath"):
        (pc.drive_c / folder).mkdir()
        shutil.copy(planted(), pc.drive_c / folder / "MRLExhibits.dll")
    tool, _ = install_tool(pc)
    zep.write_ini(f"[ZEP]\nSetupUtility={tool}\nWaveConnect=1\nWaveConnectFile=C:\\nosuch.wav\nHTMLAutoCreate=0\n")

    running = pc.run(EXE, [], cwd=pc.drive_c / "work", env={
        "WINEDLLOVERRIDES": "winemenubuilder.exe=d;winmm=n,b", "WINEPATH": r"C:\onpath",
        "WINEDEBUG": "-all,trace+winmm,trace+loaddll"})
    zep.controller()
    # The connect sound: winmm.dll is loaded at its first use, from the system folder.
    RouterSim(lan).ip("203.0.113.9")
    wait_for(lambda: "MULTIMEDIA_PlaySound" in running.error_output(), what="the connect sound")
    zep.quit(running)
    loads = re.findall(r'Loaded L"([^"]+)"', running.error_output())
    assert [p.lower() for p in loads if p.lower().endswith("winmm.dll")] == [r"c:\\windows\\system32\\winmm.dll"]
    assert not [p for p in loads if "mrlexhibits" in p.lower()]
    assert loaded_markers(pc) == []


GO2 = """
[Setup]
Name=TestApp
[Root]
Name=%programs%\\TestApp
[CopyFile]
0=check.dll
1=notes.txt
[Go2]
Make0=nothing.exe
Make1=%root%\\check.dll;#CheckExist;runtime
Make2=bare.dll;Start
Make3=%root%\\notes.txt;#CheckExist;text
"""


def test_setup_checks_a_library_without_running_it_and_loads_bare_names_from_the_system_folder(lan):
    pc = lan.pc
    dist = Distribution(pc, GO2, {"notes.txt": b"not a library"})
    shutil.copy(planted(), dist.folder / "check.dll")
    shutil.copy(planted(), dist.folder / "bare.dll")  # beside setup.exe and in its current folder
    setup = dist.start(cwd=dist.folder)
    pc.click(main_window(pc, "TestApp", timeout_ms=30000), "実行")
    assert answer_box(pc, "nothing.exe", "OK") == "実行を失敗しました"
    # bare.dll is looked for in the system folder only; check.dll is a library (no message), the
    # text file is none.
    assert answer_box(pc, "TestApp", "OK") == "ライブラリをロードできませんでした\n\nbare.dll\n"
    assert answer_box(pc, "TestApp", "OK") == (
        "ライブラリがありません\n\nC:\\Program Files\\TestApp\\notes.txt\n -> text\n")
    finish(setup)
    assert loaded_markers(pc) == []
