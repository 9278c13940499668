// Every Japanese text of zep, character for character, in one place.
// UTF-16 literals: the window layer shows them through the wide API, the core compares window
// titles with them. Texts that go into files or datagrams are converted to the ANSI code page at
// the boundary that writes them.
#pragma once

namespace zep::text {

// Application and tray
inline constexpr char16_t kAppTitle[] = u"ZEP!";
inline constexpr char16_t kTrayConnect[] = u"接続";
inline constexpr char16_t kTrayConnect2[] = u"接続2";
inline constexpr char16_t kTrayConnect3[] = u"接続3";
inline constexpr char16_t kTrayConnect4[] = u"接続4";
inline constexpr char16_t kTrayDisconnect[] = u"切断";
inline constexpr char16_t kTraySetting[] = u"設定";
inline constexpr char16_t kTrayIP[] = u"IPアドレスをコピー";
inline constexpr char16_t kTrayAbout[] = u"バージョン情報";
inline constexpr char16_t kTrayExit[] = u"終了";
inline constexpr char16_t kTrayAILog[] = u"AI2000ログ閲覧";
inline constexpr char16_t kTrayEasyLog[] = u"簡易ログ閲覧";
inline constexpr char16_t kTraySyslog[] = u"syslog閲覧";

// Message box captions
inline constexpr char16_t kCaptionError[] = u"エラー";
inline constexpr char16_t kCaptionInfo[] = u"情報";

// First show, when no setup utility is configured
inline constexpr char16_t kFirstShowInfo[] =
    u"最初に設定を開き、セットアップユーティリティを設定してください。\r\n"
    u"そこに拙作のVELKを指定すると、ちょっとだけこのソフトの機能が上がります。\r\n"
    u"詳細は付属ドキュメントの８章を見てください。\r\n"
    u"または、MRL公式I/F DLLを使っても同じく機能が上がります。\r\n"
    u"詳細は付属ドキュメントの２章を見てください。";

// Settings file
inline constexpr char16_t kCannotWriteFmt[] = u"%s に書き込めません";  // %s: the file name

// Tool version check
inline constexpr char16_t kNoVersionInfo[] = u"バージョン情報が取得できません.";

// Windows of the setup utility that are closed after a connect or disconnect, in this order
inline constexpr char16_t kSetupDialogPattern1[] = u"nwgset";
inline constexpr char16_t kSetupDialogPattern2[] = u"NetGenesis セットアップ";
inline constexpr char16_t kSetupDialogPattern3[] = u"ＮｅｔＧｅｎｅｓｉｓ セット";

// Log views (tray left menu)
inline constexpr char16_t kNoConlogThisMonth[] =
    u"今月の簡易ログはまだありません\r\n設定の「簡易接続ログを残す」にチェックを入れてください";
inline constexpr char16_t kNoSyslogThisMonth[] =
    u"今月のsyslogはまだありません\r\n設定の「syslogを残す」にチェックを入れてください";
inline constexpr char16_t kNoAccessLog[] =
    u"Access Informationログはまだありません\r\n設定の「AIログを残す」にチェックを入れてください";

// IP page
inline constexpr char16_t kConnectTemplateMissing[] =
    u"connect.htm が見つかりません。\r\nもう一度ZEP!をセットアップしなおしてください。";
inline constexpr char16_t kFtpSettingsIncomplete[] = u"FTP設定を正しく行ってください";
inline constexpr char16_t kIPPageNotMadeYet[] = u"まだHTMLが作成されていません";
inline constexpr char16_t kDisconnectPageMissing[] =
    u"discon.htm が見つかりません。\r\nもう一度ZEP!をセットアップしなおしてください。";
inline constexpr char16_t kDisconnectPageFailed[] = u"discon.htmの転送に失敗しました";

// The PC's clock cannot be set from the router (shown once a run, in a balloon at the tray icon)
inline constexpr char16_t kClockNotSetTitle[] = u"PCの時計を合わせられません";
inline constexpr char16_t kClockNotSet[] =
    u"ルーターの時刻を受け取りましたが、\r\nこのユーザーには時計を変更する権利"
    u"（ユーザー権利「システム時刻の変更」、SeSystemtimePrivilege）がありません。";

// The router's syslog cannot be received
inline constexpr char16_t kSyslogPortBusy[] =
    u"UDPポート514を使用できません。\r\n"
    u"他のsyslog受信ソフトがこのポートを使っていないか確認してください。\r\n"
    u"ZEP!を起動し直すまで、ルーターからの接続・切断の通知は受け取れません。";

// Tray tip while connected: this prefix and the elapsed time
inline constexpr char16_t kTipConnectedPrefix[] = u"ZEP! - ";

// Line commands: the destination menus and the tray's connect items
inline constexpr char16_t kTrayConnectPrefix[] = u"接続-";
inline constexpr char16_t kCaptionConnect[] = u"接続";
inline constexpr char16_t kDestinationLockedWhileConnected[] =
    u"接続中は接続先の変更を行えません。\r\nこれはNetGenesisの仕様です。";
inline constexpr char16_t kDefaultDestinationQuestion[] = u"デフォルトの接続先が変更されます。\r\nよろしいですか？";

// Countdown dialog of the connected-time disconnect
inline constexpr char16_t kCountdownCaption[] = u"切断確認";
inline constexpr char16_t kCountdownMessageHead[] = u"切断後";          // then the seconds
inline constexpr char16_t kCountdownMessageTail[] = u"秒が経過します。";
inline constexpr char16_t kCountdownQuestion[] = u"切断してもよろしいですか？";
inline constexpr char16_t kCountdownAccept[] = u"切断(&A)";
inline constexpr char16_t kCountdownCancel[] = u"キャンセル(&C)";
inline constexpr char16_t kCountdownTitleStart[] = u"まであと10秒";   // after the caption
inline constexpr char16_t kCountdownRemainingHead[] = u"あと";          // then the seconds
inline constexpr char16_t kCountdownRemainingTail[] = u"秒";

// Connection-time panel and its menu
inline constexpr char16_t kTimePanelTitle[] = u"接続時間";
inline constexpr char16_t kTimeDisconnect[] = u"切断";
inline constexpr char16_t kTimeEasyLog[] = u"簡易ログ閲覧";
inline constexpr char16_t kTimeSyslog[] = u"syslog閲覧";
inline constexpr char16_t kTimeIP[] = u"IPアドレスをコピー";
inline constexpr char16_t kTimeFont[] = u"フォント";
inline constexpr char16_t kTimeStayTop[] = u"常に手前に表示";
inline constexpr char16_t kTimeClose[] = u"閉じる";

// Settings window "ZEP!": tab captions, in page order
inline constexpr char16_t kTabSetting[] = u"基本設定";
inline constexpr char16_t kTabAutorun[] = u"自動起動";
inline constexpr char16_t kTabAutoconnect[] = u"自動接続";
inline constexpr char16_t kTabIP[] = u"IPアドレス";
inline constexpr char16_t kTabLog[] = u"接続ログ";
inline constexpr char16_t kTabEvent[] = u"その他";
inline constexpr char16_t kConnectButton[] = u"接続(&C)";
inline constexpr char16_t kDisconnectButton[] = u"切断(&D)";
inline constexpr char16_t kMinimizeButton[] = u"最小化(&M)";

// Page 基本設定
inline constexpr char16_t kLabel1[] = u"NetGenesisセットアップユーティリティの場所";
inline constexpr char16_t kLabel1Hint[] = u"ここに拙作のVELKを指定すると、ちょっとだけこのソフトの機能が上がります";
inline constexpr char16_t kLabel2[] = u"NetGenesisのIPアドレス";
inline constexpr char16_t kIPEditHint[] = u"通常は 192.168.0.1 です";
inline constexpr char16_t kLabel8[] = u"マルチアカウント接続先";
inline constexpr char16_t kLabel8Hint[] = u"これはFwがver2.204で、かつ、拙作VELKを使用したときのみ有効です";
inline constexpr char16_t kTimeShowCheck[] = u"接続時、接続時間パネルを表示する";
inline constexpr char16_t kDialogAutoCloseCheck[] = u"NWGSetのダイアログを自動的に閉じる";
inline constexpr char16_t kDialogAutoCloseHint[] = u"このチェックはVELKを使用している場合にも有効です";
inline constexpr char16_t kMRLCheck[] = u"MRL公式 I/F DLLを使用する";
inline constexpr char16_t kMRLCheckHint[] = u"詳細はドキュメントの2章を参照";
inline constexpr char16_t kAboutButtonHint[] = u"バージョン情報";
inline constexpr char16_t kDocumentButtonHint[] = u"説明ファイルを開く";

// Page 自動接続
inline constexpr char16_t kAutoConnectCheck[] = u"この時間になったら自動的に接続する";
inline constexpr char16_t kAutoDisconnectCheck[] = u"この時間になったら自動的に切断する";
inline constexpr char16_t kAutoDisconnectHint[] = u"無通信切断ではなく、強制切断です";
inline constexpr char16_t kAutoTimeDisconnectCheck[] = u"一定時間経ったら切断(上記時間帯は無効)";
inline constexpr char16_t kAutoTimeDisconnectHint[] = u"切断前に10秒のカウントダウンをします";
inline constexpr char16_t kAutoTimeAgainCheck[] = u"切断ダイアログを繰り返し表示する";
inline constexpr char16_t kAutoTimeAgainHint[] = u"一定時間経過後の切断ダイアログをキャンセルしても繰り返し表示";
inline constexpr char16_t kHourUnit[] = u"時";
inline constexpr char16_t kMinuteUnit[] = u"分";
inline constexpr char16_t kSecondUnit[] = u"秒";

// Page IPアドレス
inline constexpr char16_t kHTMLCheck[] = u"IPアドレスを含むHTMLを自動生成する";
inline constexpr char16_t kHTMLCheckHint[] = u"IPアドレスを埋め込んだHTMLを自動生成する";
inline constexpr char16_t kEllipsisButton[] = u"…";
inline constexpr char16_t kFTPConCheck[] = u"接続時にFTP自動転送する";
inline constexpr char16_t kFTPConCheckHint[] = u"接続時に上で作ったHTMLを自動転送する";
inline constexpr char16_t kUploadNow[] = u"今すぐ転送";
inline constexpr char16_t kFTPConButtonHint[] = u"上で作ったHTMLを今すぐ転送する";
inline constexpr char16_t kFTPConAutoCheck[] = u"自動接続時間中のみ";
inline constexpr char16_t kFTPDisconCheck[] = u"切断時にも自動転送する";
inline constexpr char16_t kFTPDisconCheckHint[] = u"接続時に転送して次に切断する時にdiscon.htmを転送する";
inline constexpr char16_t kFTPDisconButtonHint[] = u"discon.htmを今すぐ転送する";
inline constexpr char16_t kFTPSetButton[] = u"FTP設定";
inline constexpr char16_t kFTPSetButtonHint[] = u"FTP転送に使う、ホスト名等を設定します";
inline constexpr char16_t kFTPLogListHint[] = u"FTP転送のログが表示されます";
inline constexpr char16_t kFTPAbortButton[] = u"転送中止";
inline constexpr char16_t kFTPAbortButtonHint[] = u"FTP転送を中止します";

// Page 接続ログ
inline constexpr char16_t kEasylogCheck[] = u"簡易接続ログを残す";
inline constexpr char16_t kEasylogShowButton[] = u"簡易ログ閲覧";
inline constexpr char16_t kSyslogCheck[] = u"syslogを残す";
inline constexpr char16_t kSyslogShowButton[] = u"syslog閲覧";
inline constexpr char16_t kAILogCheck[] = u"AI2000ログを残す";
inline constexpr char16_t kAILogCheckHint[] = u"AccessInformation用ログを残す";
inline constexpr char16_t kAILogShowButton[] = u"AI2000ログ閲覧";
inline constexpr char16_t kAILogShowButtonHint[] = u"Access Informationを開いてログ閲覧";
inline constexpr char16_t kAISetButton[] = u"Access Informatoinの場所の指定";
inline constexpr char16_t kAISetButtonHint[] =
    u"詳しくは付属ドキュメントか、バージョン情報からAIのホームページに行ってください";
inline constexpr char16_t kLogFolderSetButton[] = u"ログを残すフォルダを指定する";
inline constexpr char16_t kLogFolderShowButton[] = u"ログを残すフォルダを開く";

// Page その他
inline constexpr char16_t kWaveConnectCheck[] = u"接続時にWaveを鳴らす";
inline constexpr char16_t kWaveDisconnectCheck[] = u"切断時にWaveを鳴らす";
inline constexpr char16_t kSNTPCheck[] = u"SNTPクライアント機能を使う";
inline constexpr char16_t kUseBeforeConCheck[] = u"切断しないでZEP!を再起動したとき、前回";
inline constexpr char16_t kLabel10[] = u"接続時の開始時間を採用する";
inline constexpr char16_t kNWGRequestCheck[] = u"起動時にNWGが既に接続状態にあった時、";
inline constexpr char16_t kLabel9[] = u"他PCのZEP!に接続状況を問い合わせる";
inline constexpr char16_t kSideEffectHint[] =
    u"これにチェックを入れると副作用が起こることがあります。詳しくはドキュメント参照";

// Page 自動起動
inline constexpr char16_t kAutoChangeButton[] = u"有/無効";
inline constexpr char16_t kAutoChangeHint[] = u"左ボックス内の選択している設定の有／無効を切り替える";
inline constexpr char16_t kAutoEditButton[] = u"編集";
inline constexpr char16_t kAutoEditHint[] = u"左ボックス内の選択している設定を編集する";
inline constexpr char16_t kAutoAddButton[] = u"追加";
inline constexpr char16_t kAutoAddHint[] = u"左ボックス内に設定を追加する";
inline constexpr char16_t kAutoDeleteButton[] = u"削除";
inline constexpr char16_t kAutoDeleteHint[] = u"左ボックス内の選択している設定を削除する";
inline constexpr char16_t kAutorunFull[] = u"これ以上増やすことはできません";

// The settings window's file and folder dialogs: titles and filters ("|" separates the parts)
inline constexpr char16_t kOpenDialogTitle[] = u"NetGenesisセットアップユーティリティの場所";
inline constexpr char16_t kOpenDialogFilter[] = u"実行ファイル(*.exe)|*.exe|すべてのファイル(*.*)|*.*";
inline constexpr char16_t kLogFolderTitle[] = u"ログを残すフォルダの選択";
inline constexpr char16_t kWaveFilter[] = u"Waveファイル(*.wav)|*.wav";
inline constexpr char16_t kWaveConnectTitle[] = u"接続時に鳴らすWaveの選択";
inline constexpr char16_t kWaveDisconnectTitle[] = u"切断時に鳴らすWaveの選択";
inline constexpr char16_t kHTMLSaveTitle[] = u"自動生成するHTMLの選択";
inline constexpr char16_t kHTMLSaveFilter[] = u"HTMLファイル|*.htm;*.html|テキストファイル|*.txt|すべてのファイル|*.*";
inline constexpr char16_t kAIOpenTitle[] = u"Access Information実行ファイルの場所";
inline constexpr char16_t kAIOpenFilter[] =
    u"Access Information実行ファイル (AI2000.EXE)|AI2000.EXE|実行ファイル(*.exe)|*.exe|すべてのファイル|*.*";

// The router maker's library, when switched on
inline constexpr char16_t kMrlNotFound[] = u"NetGenesisを発見する事ができませんでした";
inline constexpr char16_t kMrlInfoFailedPrefix[] = u"NetGenesisの状態取得に失敗しました(";  // then the number, ")"
inline constexpr char16_t kMrlFirmwareTooOld[] = u"ファームウェアのバージョンが古いため、MRLExhibits.dllが使えません";

// FTP settings dialog
inline constexpr char16_t kFtpNoHost[] = u"FTPサーバ名が指定されていません";
inline constexpr char16_t kFtpNoUser[] = u"ユーザー名が指定されていません";
inline constexpr char16_t kFtpNoPassword[] = u"パスワードが指定されていません";
inline constexpr char16_t kFtpNoDestination[] = u"転送先が指定されていません";

// About box
inline constexpr char16_t kAboutTitle[] = u"バージョン情報";
inline constexpr char16_t kVersionPrefix[] = u"Version ";
inline constexpr char16_t kRightsNotice[] = u"(C) 2001 ZEP! 開発チーム";
inline constexpr char16_t kFirmVersionLabel[] = u"Firmware Version";
inline constexpr char16_t kNoFirmVersion[] = u"---";
inline constexpr char16_t kComments[] =
    u"このソフトは、(株)マイクロ総合研究所製IPルータNetGenesis4専用のランチャユーティリティソフトです。"
    u"このソフトを動作させるためにはセットアップユーティリティ(動作確認を行っているのはver2.21)と、"
    u"syslogを発信させる設定が必須です。";
inline constexpr char16_t kGomrlLabel[] = u"(株)マイクロ総合研究所のホームページへ行く";
inline constexpr char16_t kGoAILabel[] = u"Access Informationのホームページへ行く";
inline constexpr char16_t kGoauthorLabel[] = u"ZEP!のホームページへ行く";
inline constexpr char16_t kAuthorMailLabel[] = u"ZEP!の作者にメールを送る";

// FTP settings dialog
inline constexpr char16_t kFtpSetTitle[] = u"ZEP! FTP設定";
inline constexpr char16_t kFtpHostLabel[] = u"FTPサーバ";
inline constexpr char16_t kFtpHostHint[] = u"例) ftp.example.jp";
inline constexpr char16_t kFtpUserLabel[] = u"ユーザー名";
inline constexpr char16_t kFtpPassLabel[] = u"パスワード";
inline constexpr char16_t kFtpDestLabel[] = u"転送先";
inline constexpr char16_t kFtpDestHint[] = u"例) /public_html/myip.html";
inline constexpr char16_t kFtpDestNote[] = u"↑注意！ 転送先のファイル名まで入れてください";
inline constexpr char16_t kFtpPassiveCheck[] = u"パッシブモードで転送する";
inline constexpr char16_t kFtpPassiveHint[] = u"サーバからPCへデータ接続できないとき（NATの内側など）に使います";
inline constexpr char16_t kFtpTlsCheck[] = u"TLSで暗号化する（FTPS）";
inline constexpr char16_t kFtpTlsHint[] = u"パスワードもファイルも暗号化して送ります。サーバの証明書を確認します";

// FTP upload results, shown in the FTP log list
inline constexpr char16_t kFtpResultUploaded[] = u"正常に転送できました";
inline constexpr char16_t kFtpResultNoConnection[] = u"サーバに接続できませんでした";
inline constexpr char16_t kFtpResultNoAsciiMode[] = u"ASCIIモードにできませんでした";
inline constexpr char16_t kFtpResultNoDirectory[] = u"転送先ディレクトリに移動できませんでした";
inline constexpr char16_t kFtpResultTransferFailed[] = u"ファイルの転送に失敗しました";
inline constexpr char16_t kFtpResultAborted[] = u"中止されました";
inline constexpr char16_t kFtpResultNoTls[] = u"サーバがTLSに対応していません";
inline constexpr char16_t kFtpResultUntrusted[] = u"サーバの証明書を確認できませんでした";
inline constexpr char16_t kFtpResultTlsFailed[] = u"TLSで接続できませんでした";

// Autorun list lines and the editor
inline constexpr char16_t kAutorunUsed[] = u"○：";
inline constexpr char16_t kAutorunUnused[] = u"×：";
inline constexpr char16_t kAutorunOnlyAuto[] = u"自：";
inline constexpr char16_t kAutorunEvery[] = u"毎：";
inline constexpr char16_t kAutorunDefaultName[] = u"設定";
inline constexpr char16_t kSetFormTitle[] = u"ZEP! 自動起動設定";
inline constexpr char16_t kSetNameLabel[] = u"名前";
inline constexpr char16_t kSetUseCheck[] = u"使用する";
inline constexpr char16_t kSetFileLabel[] = u"プログラム";
inline constexpr char16_t kSetDropLabel[] = u"↑ここにファイルをドロップできます";
inline constexpr char16_t kSetParameterLabel[] = u"起動オプション";
inline constexpr char16_t kSetWorkLabel[] = u"作業フォルダ";
inline constexpr char16_t kSetOnlyAutoCheck[] = u"自動接続時間中のみ使用する";
inline constexpr char16_t kSetWaitBefore[] = u"接続後";
inline constexpr char16_t kSetWaitAfter[] = u"秒したら起動";
inline constexpr char16_t kSetOpenTitle[] = u"自動起動プログラムの選択";
inline constexpr char16_t kSetOpenFilter[] = u"実行可能ファイル(*.exe;*.lnk)|*.exe;*.lnk|すべてのファイル(*.*)|*.*";
// A window command whose number cannot be read: said when the entry is saved
inline constexpr char16_t kWindowCommandNotHex[] =
    u"作業フォルダにはコマンド番号を16進数で入れてください。\r\nこのままではこの設定は起動されません。";

}  // namespace zep::text
