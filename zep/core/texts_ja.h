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

// The router's syslog cannot be received
inline constexpr char16_t kSyslogPortBusy[] =
    u"UDPポート514を使用できません。\r\n"
    u"他のsyslog受信ソフトがこのポートを使っていないか確認してください。\r\n"
    u"ZEP!を起動し直すまで、ルーターからの接続・切断の通知は受け取れません。";

// Tray tip while connected: this prefix and the elapsed time
inline constexpr char16_t kTipConnectedPrefix[] = u"ZEP! - ";

}  // namespace zep::text
