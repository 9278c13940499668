#include "texts.h"

#include "control_ids.h"

namespace setup {

Language LanguageForOemCodePage(unsigned codePage) {
    return codePage == 932 ? Language::Japanese : Language::English;
}

namespace {

const Texts kJapanese = {
    .installerGroup = L"インストーラー",
    .uninstallBox = L"アンインストール",
    .installed = L"インストール済です．",
    .versionUpLabel = L"(&F)バージョンアップ先",
    .copying = L"ファイルをコピーしています．",
    .systemSetup = L"システムの設定をしています．",
    .completed = L"終了しました．",
    .unsetupSystem = L"システムの設定を削除しています．",
    .deletingFiles = L"ファイルを削除しています．",
    .uninstallCompleted = L"アンインストールは終了しました",
    .browseTitle = L"ｲﾝｽﾄｰﾙ先の指定",
    .menuPickerBefore = L"ﾒﾆｭｰ ",
    .menuPickerAfter = L" の作成位置",
    .menuNotMade = L"メニューを作成できませんでした",
    .agree = L"(&A) 同意します",
    .refuse = L"(&C) 中止",
    .readmeCut = L"\r\n（説明が長すぎるため，ここから後は表示していません）\r\n",
    .newerExist = L"以下のファイルは新しいものが存在します．\r\n\r\n",
    .overwrite = L"\r\n上書きしますか？",
    .notCopied = L"以下のファイルはコピーできませんでした\r\n\r\n",
    .noRoom = L"ディスクの空きが足りません",
    .continuing = L"処理は継続します",
    .executeFailed = L"実行を失敗しました",
    .loadFailed = L"ライブラリをロードできませんでした\n\n",
    .notLibrary = L"ライブラリがありません\n\n",
    .entryMissing = L"エントリポイントを見つけられませんでした\n\n",
    .restartAfterInstall = L"いくつかのファイルは\n再起動後に有効になります\n\n今すぐ再起動しますか？",
    .restartAfterRemoval = L"いくつかのファイルは\n再起動後に削除されます\n\n今すぐ再起動しますか？",
    .setupNotCopied = L"セットアップをインストール先にコピーできなかったため，そこからは何も起動しません．\n"
                      L"再起動が必要な場合は，ご自分でコンピューターを再起動してください．\n\n",
    .notStartedAsUser = L"次のプログラムは，管理者の権限で動かないよう，今は起動しませんでした．\n\n",
    .startsAtNextLogon = L"\n次回ログオンしたときに起動します（スタートアップに登録されていれば）．"
                         L"スタートメニューからも起動できます．",
    .folderOwnedByOther = L"このインストール先は，管理者以外のアカウントが所有しているため使えません．\n\n",
    .folderWritableByOthers = L"このインストール先は，管理者以外のユーザーが書き込めるため使えません．\n\n",
    .folderMovableByOthers = L"このインストール先は，上のフォルダーを管理者以外のユーザーが変更できるため"
                             L"使えません．\n\n",
    .folderUnreadable = L"このインストール先は，アクセス権を確認できないため使えません．\n\n",
    .folderRefusedAdvice = L"\n\n何もコピーしていません．管理者だけが変更できるフォルダーを選んでください．",
    .folderEmpty = L"インストール先が入力されていません．",
    .folderNotFullPath = L"インストール先は，ドライブ（C:\\…）またはネットワークの共有（\\\\サーバー\\共有\\…）から"
                         L"始まる完全なパスで指定してください．\n\n",
    .folderBadName = L"インストール先に，フォルダー名に使えない文字（/ : * ? \" < > |）または名前（CON，NUL など）が"
                     L"含まれています．\n\n",
    .folderTrailingBlank = L"インストール先のフォルダー名が空白またはピリオドで終わっています．"
                           L"Windows はこれを取り除いてしまいます．\n\n",
    .folderNotRecordable = L"インストール先に，このシステムの文字コードで表せない文字が含まれているため，"
                           L"アンインストールのための記録ができません．\n\n",
    .folderFieldAdvice = L"\n\n何もコピーしていません．別のフォルダーを指定してください．",
    .foreignSetupBefore = L"このフォルダーには別の製品「",
    .foreignSetupAfter = L"」のセットアップがあります．\n\nここにインストールすると，その製品の Setup.exe と "
                         L"Setup.ini が置き換えられ，その製品はアンインストールできなくなります．\n\n"
                         L"このフォルダーにインストールしますか？",
    .notDeleted = L"次のものは削除されませんでした．\n\n",
    .deleteAfterRestart = L"次のものは再起動後に削除されます．\n\n",
    .deleteCaption = L"ファイル・フォルダの削除",
    .installedSetupNotStarted = L"この製品はインストール済みですが，インストール先のセットアップを起動できなかったため，"
                                L"何も変更せずに終了します．インストール先の Setup.exe を確かめてから，"
                                L"もう一度お試しください．\n\n",
    .notElevated = L"このセットアップはコンピューターのすべてのユーザーのためにインストール・アンインストール"
                   L"するので，管理者の権限が必要です．\n\n管理者として実行することが許可されなかったため，"
                   L"何も変更せずに終了します．",
    .settingsMissing = L"このセットアップに必要な Setup.ini が，Setup.exe と同じフォルダーにありません．\n\n"
                       L"ZIP などのパッケージの中から直接起動した場合は，パッケージのすべてのファイルを展開してから，"
                       L"展開したフォルダーの Setup.exe を起動してください．",
    .driveTooFull = L"インストール先のドライブに空きが足りません．\n\n",
    .roomNeeded = L"\n\n必要な空き: ",
    .roomFree = L"\n現在の空き: ",
    .nothingCopied = L"\n\n何もコピーしていません．空きを作るか，別のインストール先を選んでください．",
    .usage = L"setup.exe [uninstall] [スイッチ...] [/D=フォルダー]\n\n"
             L"/S\tサイレント：ウィンドウを出さず，何も尋ねません\n"
             L"/D=フォルダー\tインストール先（行の最後に，引用符なしで）\n"
             L"/LOG=ファイル\tログを追記します（UTF-8）\n"
             L"/NORESTART\t再起動しません\n"
             L"/RESTART\tサイレント：必要なら再起動します\n"
             L"/ACCEPT\tサイレント：使用許諾に同意します\n"
             L"uninstall\t\tアンインストールします\n"
             L"\n「/」の代わりに「-」も使えます．大文字・小文字は区別しません．\n\n"
             L"サイレント時の終了コード：0 完了，3010 完了（再起動が必要），1602 中止・使用許諾に未同意，"
             L"1603 コピーできないファイルあり・インストール済みのセットアップを起動できない，1223 管理者の権限なし，267 インストール先を使えない，"
             L"112 空き不足，1618 ほかのセットアップが実行中，1639 不明なスイッチ",
};

const Texts kEnglish = {
    .installerGroup = L"Installer",
    .uninstallBox = L"Uninstall",
    .installed = L"Installed",
    .versionUpLabel = L"&Folder to version up",
    .copying = L"Copying files...",
    .systemSetup = L"System setup...",
    .completed = L"Completed.",
    .unsetupSystem = L"Unsetup system...",
    .deletingFiles = L"Deleting files...",
    .uninstallCompleted = L"Uninstall completed.",
    .browseTitle = L"Install to...",
    .menuPickerBefore = L"Where ",
    .menuPickerAfter = L" is ?",
    .menuNotMade = L"Could not make menu.",
    .agree = L"I &agree.",
    .refuse = L"&Cancel",
    .readmeCut = L"\r\n(The readme is too long: the rest is not shown.)\r\n",
    .newerExist = L"New file exist...\r\n\r\n",
    .overwrite = L"\r\nOverwrite?",
    .notCopied = L"Could not copy these...\r\n\r\n",
    .noRoom = L"not enough room",
    .continuing = L"Continue...",
    .executeFailed = L"Could not execute.",
    .loadFailed = L"Could not load library.\n\n",
    .notLibrary = L"Here is not library.\n\n",
    .entryMissing = L"Could not find entry.\n\n",
    .restartAfterInstall = L"Some files will be enabled\nafter reboot.\n\nReboot now?",
    .restartAfterRemoval = L"Some files will delete\nafter reboot.\n\nReboot now?",
    .setupNotCopied = L"Setup could not be copied into the install folder, so nothing is started from there.\n"
                      L"If a restart is needed, restart the computer yourself.\n\n",
    .notStartedAsUser = L"These programs were not started now, so that they do not run with administrator rights:\n\n",
    .startsAtNextLogon = L"\nThey start at your next logon (if they are in Startup), or start them from the Start menu.",
    .folderOwnedByOther = L"This install folder cannot be used: an account other than the administrators owns it.\n\n",
    .folderWritableByOthers = L"This install folder cannot be used: users other than the administrators can write into "
                              L"it.\n\n",
    .folderMovableByOthers = L"This install folder cannot be used: users other than the administrators can change a "
                             L"folder above it.\n\n",
    .folderUnreadable = L"This install folder cannot be used: its access rights cannot be checked.\n\n",
    .folderRefusedAdvice = L"\n\nNothing was copied. Choose a folder that only administrators can change.",
    .folderEmpty = L"No install folder is given.",
    .folderNotFullPath = L"The install folder must be a full path that starts with a drive (C:\\...) or a network "
                         L"share (\\\\server\\share\\...):\n\n",
    .folderBadName = L"The install folder holds a character (/ : * ? \" < > |) or a name (CON, NUL and the like) "
                     L"that no folder can have:\n\n",
    .folderTrailingBlank = L"A folder name in the install folder ends with a blank or a period, which Windows drops "
                           L"from it:\n\n",
    .folderNotRecordable = L"The install folder holds characters that this system's code page cannot hold, so setup "
                           L"could not record it for the removal:\n\n",
    .folderFieldAdvice = L"\n\nNothing was copied. Enter another folder.",
    .foreignSetupBefore = L"This folder holds the setup of another product, \"",
    .foreignSetupAfter = L"\".\n\nInstalling here replaces its Setup.exe and Setup.ini: that product could no longer "
                         L"be removed.\n\nInstall into this folder anyway?",
    .notDeleted = L"Could not delete these...\n\n",
    .deleteAfterRestart = L"These will delete after reboot.\n\n",
    .deleteCaption = L"Delete files and folders",
    .installedSetupNotStarted = L"This product is installed, but the setup in its install folder could not be "
                                L"started: setup ends without changing anything. Check the Setup.exe in the install "
                                L"folder and try again.\n\n",
    .notElevated = L"This setup installs and removes for all users of this computer and needs administrator "
                   L"rights.\n\nRunning as administrator was not allowed: setup ends without changing anything.",
    .settingsMissing = L"The Setup.ini that this setup needs is not in the folder of Setup.exe.\n\n"
                       L"If you started it from inside a package such as a ZIP file, extract all files of the "
                       L"package first, then start Setup.exe in the extracted folder.",
    .driveTooFull = L"There is not enough free space on the drive of the install folder.\n\n",
    .roomNeeded = L"\n\nNeeded: ",
    .roomFree = L"\nFree: ",
    .nothingCopied = L"\n\nNothing was copied. Make room, or choose another install folder.",
    .usage = L"setup.exe [uninstall] [switches...] [/D=folder]\n\n"
             L"/S\tsilent: no window, nothing asked\n"
             L"/D=folder\tinstall folder (last on the line, unquoted)\n"
             L"/LOG=file\tappend a log (UTF-8)\n"
             L"/NORESTART\tnever restart\n"
             L"/RESTART\tsilent: restart when needed\n"
             L"/ACCEPT\tsilent: accept the agreement\n"
             L"uninstall\t\tremove the installed product\n"
             L"\n\"-\" may stand for \"/\"; case does not matter.\n\n"
             L"Exit codes of a silent run: 0 done, 3010 done (restart needed), 1602 cancelled or agreement not "
             L"accepted, 1603 files not copied or installed setup not started, 1223 no administrator rights, 267 install folder refused, "
             L"112 too little room, 1618 another setup running, 1639 unknown switch",
};

constexpr ControlCaption kEnglishCaptions[] = {
    // the installer window
    {IDC_FOLDER_LABEL, L"&Folder to install..."},
    {IDC_MENU, L"&Menu"},
    {IDC_SHORTCUT, L"Short&Cut"},
    {IDC_STARTUP, L"&Startup"},
    {IDC_ASSOCIATE, L"&Associate ext."},
    {IDC_SENDTO, L"Send &To"},
    {IDC_COPY, L"Co&py"},
    {IDC_DELETE_AFTER, L"&Delete after..."},
    {IDC_OK, L"OK"},
    {IDC_CANCEL, L"Cancel"},
    {IDC_README, L"Readme"},
    // the readme window
    {IDC_END_README, L"&End readme"},
};

}  // namespace

const Texts& TextsFor(Language language) { return language == Language::Japanese ? kJapanese : kEnglish; }

std::span<const ControlCaption> EnglishCaptions() { return kEnglishCaptions; }

}  // namespace setup
