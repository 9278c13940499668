"""setup.exe and the folder it installs into: folder fields it refuses, another product's setup in the
chosen folder, and a start without the Setup.ini beside it."""

from setupapp import Distribution, answer_box, finish, installed_ini, linux_path, main_window, record

IDC_FOLDER = 1002
PROGRAMS = r"C:\users\root\AppData\Roaming\Microsoft\Windows\Start Menu\Programs"

APP = """
[Setup]
Name=TestApp
[Root]
Name=%programs%\\TestApp
[Menu]
Name=TestApp
[Menu0]
Name=TestApp
Path=app.exe
[Check]
Menu=2
[CopyFile]
0=app.exe
"""

ADVICE = "\n\n何もコピーしていません．別のフォルダーを指定してください．"


def test_folders_that_name_no_usable_folder_are_refused_before_anything_is_copied(lan):
    pc = lan.pc
    dist = Distribution(pc, APP, {"app.exe": b"MZ app"})
    setup = dist.start()
    window = main_window(pc, "TestApp", timeout_ms=30000)
    cases = [
        ("", "インストール先が入力されていません．" + ADVICE),
        # copied relative to the distribution until now
        ("TestApp", "インストール先は，ドライブ（C:\\…）またはネットワークの共有（\\\\サーバー\\共有\\…）から"
                    "始まる完全なパスで指定してください．\n\nTestApp" + ADVICE),
        # Windows makes C:\TestApp, the record said "C:\TestApp "
        ("C:\\TestApp ", "インストール先のフォルダー名が空白またはピリオドで終わっています．"
                         "Windows はこれを取り除いてしまいます．\n\nC:\\TestApp " + ADVICE),
        ("C:\\Test|App", "インストール先に，フォルダー名に使えない文字（/ : * ? \" < > |）または名前（CON，NUL など）が"
                         "含まれています．\n\nC:\\Test|App" + ADVICE),
        # outside code page 932: copied into, but written mangled into the record
        ("C:\\한글App", "インストール先に，このシステムの文字コードで表せない文字が含まれているため，"
                       "アンインストールのための記録ができません．\n\nC:\\한글App" + ADVICE),
    ]
    for i, (text, message) in enumerate(cases):
        pc.set_text(window, IDC_FOLDER, text)
        pc.click(window, "実行")
        assert answer_box(pc, "TestApp", "OK", shot=f"refused-{i}.png", timeout_ms=30000) == message
    pc.click(window, "中止")
    finish(setup)

    assert not (dist.folder / "TestApp").exists()
    assert not [p.name for p in pc.drive_c.iterdir() if "App" in p.name]
    assert "CopiedFile" not in dist.ini().sections
    assert not (linux_path(pc, PROGRAMS) / "TestApp").exists()


OTHER = r"C:\Tools"
OTHER_INI = f"""
[Setup]
Name=Other
[Root]
Name=Tools
Named={OTHER}
[Menu]
Named={PROGRAMS}\\Other
[Menu0]
Name=Other
[MakedDirectory]
0={OTHER}
Count=1
[CopiedFile]
0={OTHER}\\other.exe
Count=1
"""


def test_another_products_setup_in_the_folder_is_replaced_only_when_the_user_says_so(lan):
    pc = lan.pc
    dist = Distribution(pc, APP, {"app.exe": b"MZ app"})
    tools = linux_path(pc, OTHER)
    tools.mkdir()
    (tools / "other.exe").write_bytes(b"MZ other")
    (tools / "Setup.ini").write_bytes(OTHER_INI.strip().replace("\n", "\r\n").encode("cp932") + b"\r\n")
    other_menu = linux_path(pc, PROGRAMS) / "Other"
    other_menu.mkdir(parents=True)
    (other_menu / "Other.lnk").write_bytes(b"a shortcut of the other product")

    setup = dist.start()
    window = main_window(pc, "TestApp", timeout_ms=30000)
    pc.set_text(window, IDC_FOLDER, OTHER)
    pc.click(window, "実行")
    question = answer_box(pc, "TestApp", "いいえ", shot="foreign-setup.png", timeout_ms=30000)
    assert question == ("このフォルダーには別の製品「Other」のセットアップがあります．\n\nここにインストールすると，"
                        "その製品の Setup.exe と Setup.ini が置き換えられ，その製品はアンインストールできなくなります．"
                        "\n\nこのフォルダーにインストールしますか？")
    assert not (tools / "app.exe").exists()  # No: back to the window, nothing done

    pc.click(window, "実行")
    answer_box(pc, "TestApp", "はい", timeout_ms=30000)
    finish(setup)
    assert (tools / "app.exe").read_bytes() == b"MZ app"
    assert (other_menu / "Other.lnk").exists()  # its menu is its own removal's
    ini = installed_ini(pc, OTHER)
    assert ini.get("Setup", "Name") == "TestApp"
    assert record(ini, "CopiedFile") == [OTHER + r"\app.exe"]  # not merged with the other's record
    assert record(ini, "MakedDirectory") == [OTHER]


def test_a_start_without_its_setup_ini_says_to_extract_the_package_and_does_nothing_else(lan):
    pc = lan.pc
    dist = Distribution(pc, APP, {"app.exe": b"MZ app"})
    (dist.folder / "Setup.ini").unlink()
    setup = dist.start()
    text = answer_box(pc, "Setup", "OK", shot="settings-missing.png", timeout_ms=30000)
    assert text == ("このセットアップに必要な Setup.ini が，Setup.exe と同じフォルダーにありません．\n\n"
                    "ZIP などのパッケージの中から直接起動した場合は，パッケージのすべてのファイルを展開してから，"
                    "展開したフォルダーの Setup.exe を起動してください．")
    assert setup.wait(60) != 0
    assert sorted(p.name for p in dist.folder.iterdir()) == ["app.exe", "setup.exe"]
    assert not linux_path(pc, r"C:\Program Files\TestApp").exists()
