// The FTP upload against scripted servers: each script is the whole expected transcript of the
// client's actions, each with the server's answer to it.
#include "ftp_upload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zep {
namespace {

// What the client does (a command line without its CR LF, or "[...]" for the transport's other
// actions) and the bytes the server answers with; "" for silence.
using Script = std::vector<std::pair<std::string, std::string>>;

Script operator+(Script a, const Script& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Quirks {
    size_t chunkSize = SIZE_MAX;  // the server's bytes arrive in pieces of this size
    bool refuseConnection = false;
    bool noListener = false;
    bool dataFails = false;
    bool endReadsEmpty = false;  // the connection's end reads as "" instead of nothing
    FtpTls tls = FtpTls::kUp;    // how the TLS handshake ends
    bool noDataConnection = false;  // the passive data connection cannot be opened
    std::string_view abortOn = {};  // the user aborts when the client does this
};

class ScriptedServer : public FtpTransport {
public:
    ScriptedServer(Script script, Quirks quirks) : script_(std::move(script)), quirks_(quirks) {}

    std::vector<std::string> transcript;
    bool abortRequested = false;

    bool Connect(const std::string& host) override {
        Record("[connect " + host + "]");
        return !quirks_.refuseConnection;
    }
    std::optional<std::string> Receive(uint32_t timeoutMs) override {
        EXPECT_EQ(timeoutMs, transcript.back() == "QUIT" ? kFtpQuitTimeoutMs : kFtpReplyTimeoutMs);
        if (unread_.empty()) return TheEnd();
        std::string piece = unread_.substr(0, quirks_.chunkSize);
        unread_.erase(0, piece.size());
        return piece;
    }
    bool Send(const std::string& bytes) override {
        const bool oneLine = bytes.ends_with("\r\n") && bytes.find_first_of("\r\n") == bytes.size() - 2;
        Record(oneLine ? bytes.substr(0, bytes.size() - 2) : "[not one line] " + bytes);
        return true;
    }
    FtpTls StartTls() override {
        Record("[tls]");
        return quirks_.tls;
    }
    std::optional<std::string> ListenForData() override {
        if (quirks_.noListener) return std::nullopt;
        return "127,0,0,1,4,1";
    }
    bool ConnectData(uint16_t port) override {
        Record("[data connection to port " + std::to_string(port) + "]");
        return !quirks_.noDataConnection;
    }
    bool SendData(const std::string& bytes, bool protect) override {
        Record((protect ? "[tls data " : "[data ") + bytes + "]");
        return !quirks_.dataFails;
    }
    void Close() override { Record("[close]"); }

private:
    // A time-out or the connection's end.
    std::optional<std::string> TheEnd() {
        if (!quirks_.endReadsEmpty) return std::nullopt;
        EXPECT_FALSE(endRead_) << "read on after the connection's end";
        return std::exchange(endRead_, true) ? std::nullopt : std::optional<std::string>("");
    }
    void Record(const std::string& action) {
        if (transcript.size() < script_.size()) unread_ += script_[transcript.size()].second;
        transcript.push_back(action);
        abortRequested = abortRequested || action == quirks_.abortOn;
    }

    Script script_;
    Quirks quirks_;
    std::string unread_;
    bool endRead_ = false;
};

const std::string kPage = "<p>203.0.113.7</p>\r\n";

FtpJob Job(std::string destination = "/public_html/myip.html", std::string user = "ann",
           std::string password = "secret") {
    return {"ftp.example.jp", std::move(user), std::move(password), std::move(destination), "connect.htm", kPage};
}

const std::string kConnect = "[connect ftp.example.jp]";
const std::string kStorPage = "[data " + kPage + "]";
const Script kQuit = {{"QUIT", "221 bye\r\n"}, {"[close]", ""}};
const Script kClose = {{"[close]", ""}};

Script Upload(const std::string& pwdReply, const std::vector<std::string>& directories,
              const std::string& fileName) {
    Script script = {{kConnect, "220 ready\r\n"},
                     {"USER ann", "331 password please\r\n"},
                     {"PASS secret", "230 logged in\r\n"},
                     {"TYPE A", "200 ok\r\n"},
                     {"PWD", pwdReply}};
    for (const std::string& directory : directories) script.push_back({"CWD " + directory, "250 ok\r\n"});
    return script + Script{{"PORT 127,0,0,1,4,1", "200 ok\r\n"},
                           {"STOR " + fileName, "150 opening\r\n"},
                           {kStorPage, "226 done\r\n"}} + kQuit;
}

const Script kUpload = Upload("257 \"/\" is the current directory\r\n", {"public_html"}, "myip.html");

Script::const_iterator Find(const std::string& action) {
    const auto at =
        std::find_if(kUpload.begin(), kUpload.end(), [&](const auto& step) { return step.first == action; });
    if (at == kUpload.end()) throw std::logic_error(action + " is not in the upload");
    return at;
}
// kUpload's steps before `action`, and from `action` on.
Script Before(const std::string& action) { return Script(kUpload.begin(), Find(action)); }
Script From(const std::string& action) { return Script(Find(action), kUpload.end()); }
// kUpload up to `action`, which the server answers with `answer`, and then `end`.
Script AnsweredWith(const std::string& action, const std::string& answer, const Script& end = kQuit) {
    return Before(action) + Script{{action, answer}} + end;
}

// `script` with the step `action` replaced by `steps`.
Script Replace(Script script, const std::string& action, const Script& steps) {
    const auto at = std::find_if(script.begin(), script.end(), [&](const auto& step) { return step.first == action; });
    if (at == script.end()) throw std::logic_error(action + " is not in the script");
    const auto next = script.erase(at);
    script.insert(next, steps.begin(), steps.end());
    return script;
}

const std::string kTlsStorPage = "[tls data " + kPage + "]";
const Script kPassive = {{"EPSV", "229 Entering Extended Passive Mode (|||50000|)\r\n"},
                         {"[data connection to port 50000]", ""}};
const Script kTlsLogin = {{kConnect, "220 ready\r\n"},
                          {"AUTH TLS", "234 AUTH TLS successful\r\n"},
                          {"[tls]", ""},
                          {"USER ann", "331 password please\r\n"},
                          {"PASS secret", "230 logged in\r\n"},
                          {"PBSZ 0", "200 PBSZ=0\r\n"},
                          {"PROT P", "200 protection set\r\n"}};

// kUpload through passive mode, or over TLS, or both.
Script Variant(bool passive, bool tls) {
    Script script = kUpload;
    if (passive) script = Replace(script, "PORT 127,0,0,1,4,1", kPassive);
    if (tls) {
        script = Replace(script, kStorPage, {{kTlsStorPage, "226 done\r\n"}});
        script.erase(script.begin(), script.begin() + 3);  // the clear-text login
        script.insert(script.begin(), kTlsLogin.begin(), kTlsLogin.end());
    }
    return script;
}
const Script kPassiveUpload = Variant(true, false);
const Script kTlsUpload = Variant(false, true);

FtpJob PassiveJob() {
    FtpJob job = Job();
    job.passive = true;
    return job;
}
FtpJob TlsJob(bool passive = false) {
    FtpJob job = Job();
    job.passive = passive;
    job.tls = true;
    return job;
}
// `script` up to `action`, which the server answers with `answer`, and then `end`.
Script Until(const Script& script, const std::string& action, const std::string& answer, const Script& end = kQuit) {
    const auto at = std::find_if(script.begin(), script.end(), [&](const auto& step) { return step.first == action; });
    if (at == script.end()) throw std::logic_error(action + " is not in the script");
    return Script(script.begin(), at) + Script{{action, answer}} + end;
}

struct DialogueCase {
    const char* name;
    Script script;
    int result;
    FtpJob job = Job();
    Quirks quirks = {};
};
void PrintTo(const DialogueCase& c, std::ostream* os) { *os << c.name; }

class FtpDialogue : public ::testing::TestWithParam<DialogueCase> {};

TEST_P(FtpDialogue, FollowsTheScript) {
    const DialogueCase& c = GetParam();
    ScriptedServer server(c.script, c.quirks);
    EXPECT_EQ(UploadByFtp(server, c.job, [&] { return server.abortRequested; }), c.result);
    std::vector<std::string> expected;
    for (const auto& step : c.script) expected.push_back(step.first);
    EXPECT_EQ(server.transcript, expected);
}

const std::string kHomeWww = "/home/user/www/ip.html";

INSTANTIATE_TEST_SUITE_P(
    Ftp, FtpDialogue,
    ::testing::Values(
        // Where the file goes
        DialogueCase{"RootLoginDirectory", kUpload, kFtpUploaded},
        DialogueCase{"LoginDirectoryPrefix", Upload("257 \"/home/user\" is cwd\r\n", {"www"}, "ip.html"),
                     kFtpUploaded, Job(kHomeWww)},
        DialogueCase{"UnquotedPwd", Upload("257 somewhere\r\n", {"home", "user", "www"}, "ip.html"),
                     kFtpUploaded, Job(kHomeWww)},
        DialogueCase{"DirectoryOnly", Upload("257 \"/\"\r\n", {"dir"}, "connect.htm"), kFtpUploaded, Job("dir/")},
        DialogueCase{"DoubleSlash", Upload("257 \"/\"\r\n", {"a", ""}, "b.html"), kFtpUploaded, Job("a//b.html")},
        DialogueCase{"FileNameOnly", Upload("257 \"/\"\r\n", {}, "myip.html"), kFtpUploaded, Job("myip.html")},
        // How the server talks
        DialogueCase{"OneBytePieces", kUpload, kFtpUploaded, Job(), {.chunkSize = 1}},
        DialogueCase{"MultiLineReplies",
                     Script{{kConnect, "220-Welcome\r\n220-to\r\nany text\r\n\r\n220 ready\r\n"},
                            {"USER ann", "331 password\r\n"},
                            {"PASS secret", "230-Hello\n 230 x\r\n230 in\r\n"}} + From("TYPE A"),
                     kFtpUploaded, Job(), {.chunkSize = 3}},
        DialogueCase{"ReadyLater", AnsweredWith(kConnect, "120 in 1 minute\r\n220 ready\r\n", From("USER ann")),
                     kFtpUploaded},
        DialogueCase{"NoPasswordNeeded", AnsweredWith("USER ann", "230 welcome\r\n", From("TYPE A")), kFtpUploaded},
        DialogueCase{"StorWithoutPreliminaryReply",
                     AnsweredWith("STOR myip.html", "226 done\r\n", Script{{kStorPage, ""}} + kQuit), kFtpUploaded},
        // Refusals
        DialogueCase{"ConnectionRefused", AnsweredWith(kConnect, "", kClose), kFtpNoConnection, Job(),
                     {.refuseConnection = true}},
        DialogueCase{"Greeting421", AnsweredWith(kConnect, "421 busy\r\n"), kFtpNoConnection},
        DialogueCase{"User530", AnsweredWith("USER ann", "530 no\r\n"), kFtpNoConnection},
        DialogueCase{"Pass530", AnsweredWith("PASS secret", "530 wrong\r\n"), kFtpNoConnection},
        DialogueCase{"Type504", AnsweredWith("TYPE A", "504 no\r\n"), kFtpNoAsciiMode},
        DialogueCase{"Pwd550", AnsweredWith("PWD", "550 no\r\n"), kFtpNoDirectory},
        DialogueCase{"Cwd550", AnsweredWith("CWD public_html", "550 no\r\n"), kFtpNoDirectory},
        DialogueCase{"NoListener", AnsweredWith("CWD public_html", "250 ok\r\n"), kFtpTransferFailed, Job(),
                     {.noListener = true}},
        DialogueCase{"Port500", AnsweredWith("PORT 127,0,0,1,4,1", "500 no\r\n"), kFtpTransferFailed},
        DialogueCase{"Stor553", AnsweredWith("STOR myip.html", "553 no\r\n"), kFtpTransferFailed},
        DialogueCase{"Final451", AnsweredWith(kStorPage, "451 failed\r\n"), kFtpTransferFailed},
        DialogueCase{"DataFails", AnsweredWith(kStorPage, ""), kFtpTransferFailed, Job(), {.dataFails = true}},
        // A connection without replies is closed without QUIT
        DialogueCase{"GreetingCut", AnsweredWith(kConnect, "220-hi\r\n22", kClose), kFtpNoConnection},
        DialogueCase{"GreetingCutEmptyRead", AnsweredWith(kConnect, "220-hi\r\n22", kClose), kFtpNoConnection, Job(),
                     {.endReadsEmpty = true}},
        DialogueCase{"GarbageGreeting", AnsweredWith(kConnect, "hello\r\n", kClose), kFtpNoConnection},
        DialogueCase{"TypeUnanswered", AnsweredWith("TYPE A", "", kClose), kFtpNoAsciiMode},
        DialogueCase{"FinalUnanswered", AnsweredWith(kStorPage, "", kClose), kFtpTransferFailed},
        // The user's abort
        DialogueCase{"AbortAfterLogin", AnsweredWith("PASS secret", "230 in\r\n"), kFtpAborted, Job(),
                     {.abortOn = "PASS secret"}},
        DialogueCase{"AbortBetweenDirectories", Before("CWD public_html") + Script{{"CWD a", "250 ok\r\n"}} + kQuit,
                     kFtpAborted, Job("a/b/c.html"), {.abortOn = "CWD a"}},
        DialogueCase{"AbortBeforeTransfer", AnsweredWith("CWD public_html", "250 ok\r\n"), kFtpAborted, Job(),
                     {.abortOn = "CWD public_html"}},
        DialogueCase{"AbortDuringTransfer", AnsweredWith(kStorPage, ""), kFtpAborted, Job(),
                     {.dataFails = true, .abortOn = kStorPage}},
        // A wait that the abort ended still lets the server hear QUIT.
        DialogueCase{"AbortWhileWaiting", AnsweredWith("TYPE A", ""), kFtpAborted, Job(),
                     {.abortOn = "TYPE A"}},
        // Line breaks in a name never reach the server
        DialogueCase{"BreakInUserName", Before("USER ann") + kQuit, kFtpNoConnection,
                     Job("x", "ann\r\nDELE index.html")},
        DialogueCase{"NulInPassword", Before("PASS secret") + kQuit, kFtpNoConnection,
                     Job("x", "ann", std::string("se\0cret", 7))},
        DialogueCase{"BreakInDirectory", AnsweredWith("PWD", "257 \"/\"\r\n"), kFtpNoDirectory,
                     Job("/pub\nDELE index.html/myip.html")},
        DialogueCase{"BreakInFileName", AnsweredWith("PORT 127,0,0,1,4,1", "200 ok\r\n"), kFtpTransferFailed,
                     Job("/public_html/my\rip.html")},
        // Passive mode: the port of the reply, never its address
        DialogueCase{"PassiveEpsv", kPassiveUpload, kFtpUploaded, PassiveJob()},
        DialogueCase{"PassiveFallsBackToPasv",
                     Replace(kPassiveUpload, "EPSV",
                             {{"EPSV", "500 EPSV not understood\r\n"},
                              {"PASV", "227 Entering Passive Mode (10,9,8,7,195,80)\r\n"}}),
                     kFtpUploaded, PassiveJob()},
        DialogueCase{"PassiveEpsvWithoutPort",
                     Replace(kPassiveUpload, "EPSV",
                             {{"EPSV", "229 Entering Extended Passive Mode\r\n"},
                              {"PASV", "227 Entering Passive Mode 10,9,8,7,195,80\r\n"}}),
                     kFtpUploaded, PassiveJob()},
        DialogueCase{"PassiveRefused",
                     Until(kPassiveUpload, "EPSV", "502 no\r\n", Script{{"PASV", "502 no\r\n"}} + kQuit),
                     kFtpTransferFailed, PassiveJob()},
        DialogueCase{"PassiveNoDataConnection", Until(kPassiveUpload, "[data connection to port 50000]", ""),
                     kFtpTransferFailed, PassiveJob(), {.noDataConnection = true}},
        // TLS: nothing of the account before the handshake, nothing in clear text after a refusal
        DialogueCase{"TlsActive", kTlsUpload, kFtpUploaded, TlsJob()},
        DialogueCase{"TlsPassive", Variant(true, true), kFtpUploaded, TlsJob(true)},
        DialogueCase{"AuthRefused", Until(kTlsUpload, "AUTH TLS", "502 Unrecognized encryption type\r\n"), kFtpNoTls,
                     TlsJob()},
        DialogueCase{"AuthSecurityData", Until(kTlsUpload, "AUTH TLS", "334 ADAT please\r\n"), kFtpNoTls, TlsJob()},
        DialogueCase{"AuthUnanswered", Until(kTlsUpload, "AUTH TLS", "", kClose), kFtpNoConnection, TlsJob()},
        DialogueCase{"CertificateUntrusted", Until(kTlsUpload, "[tls]", "", kClose), kFtpUntrusted, TlsJob(),
                     {.tls = FtpTls::kUntrusted}},
        DialogueCase{"HandshakeFails", Until(kTlsUpload, "[tls]", "", kClose), kFtpTlsFailed, TlsJob(),
                     {.tls = FtpTls::kFailed}},
        DialogueCase{"ClearTextAfterAuth", Until(kTlsUpload, "AUTH TLS", "234 go\r\n230 logged in\r\n", kClose),
                     kFtpTlsFailed, TlsJob()},
        DialogueCase{"PbszRefused", Until(kTlsUpload, "PBSZ 0", "503 no\r\n"), kFtpNoTls, TlsJob()},
        DialogueCase{"ProtRefused", Until(kTlsUpload, "PROT P", "534 policy\r\n"), kFtpNoTls, TlsJob()},
        DialogueCase{"TlsDataFails", Until(kTlsUpload, kTlsStorPage, ""), kFtpTransferFailed, TlsJob(),
                     {.dataFails = true}}),
    [](const ::testing::TestParamInfo<DialogueCase>& info) { return std::string(info.param.name); });

std::vector<FtpReply> ReadAll(FtpReplyReader& reader) {
    std::vector<FtpReply> replies;
    while (std::optional<FtpReply> reply = reader.Next()) replies.push_back(std::move(*reply));
    return replies;
}

TEST(FtpReplyReader, MultiLineRepliesEndAtTheirOwnCode) {
    FtpReplyReader reader;
    reader.Feed("230-Hi\r\n230-more\r\n\r\n450 not the end\r\n230x nor this\n230 end\r\n257 \"/\"\n250");
    const std::vector<FtpReply> replies = ReadAll(reader);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].code, 230);
    EXPECT_EQ(replies[0].text, "230-Hi\n230-more\n\n450 not the end\n230x nor this\n230 end");
    EXPECT_EQ(replies[1].code, 257);
    EXPECT_EQ(replies[1].text, "257 \"/\"");
    reader.Feed(" ok\r\n");
    EXPECT_EQ(ReadAll(reader).at(0).text, "250 ok");
    EXPECT_FALSE(reader.garbage());
}

TEST(FtpReplyReader, AnyCutGivesTheSameReplies) {
    const std::string stream = "220-a\r\n b\r\n220 c\r\n331 d\n200\r\n257 \"/x\"\r\n";
    for (size_t piece = 1; piece <= stream.size(); ++piece) {
        FtpReplyReader reader;
        std::vector<std::string> texts;
        for (size_t at = 0; at < stream.size(); at += piece) {
            reader.Feed(std::string_view(stream).substr(at, piece));
            for (const FtpReply& reply : ReadAll(reader))
                texts.push_back(std::to_string(reply.code) + reply.text);
        }
        EXPECT_EQ(texts, (std::vector<std::string>{"220220-a\n b\n220 c", "331331 d", "200200", "257257 \"/x\""}))
            << "pieces of " << piece;
    }
}

TEST(FtpReplyReader, GarbageStopsTheStream) {
    const std::string longLine(4096, '1');
    std::string longReply = "220-\r\n";
    for (int i = 0; i < 20; ++i) longReply += std::string(4000, 'x') + "\r\n";
    const struct {
        std::string stream;
        size_t replies;
        bool garbage;
    } cases[] = {
        {"220 ok\r\nHTTP/1.0 400\r\n226 ok\r\n", 1, true},
        {"2x", 0, true},
        {"22", 0, false},
        {"22\r\n", 0, true},
        {"\r\n", 0, true},
        {longLine + "\r\n", 1, false},
        {longLine + "\r", 0, false},
        {longLine + "1", 0, true},
        {longReply, 0, true},
    };
    for (const auto& c : cases) {
        FtpReplyReader reader;
        reader.Feed(c.stream);
        EXPECT_EQ(ReadAll(reader).size(), c.replies) << c.stream.substr(0, 30);
        EXPECT_EQ(reader.garbage(), c.garbage) << c.stream.substr(0, 30);
        reader.Feed("\n200 ok\r\n");
        EXPECT_TRUE(!c.garbage || ReadAll(reader).empty()) << "read on after " << c.stream.substr(0, 30);
    }
}

TEST(FtpQuotedDirectory, TextBetweenTheFirstTwoQuotes) {
    EXPECT_EQ(QuotedDirectory("257 \"/home/user\" is cwd"), "/home/user");
    EXPECT_EQ(QuotedDirectory("257-\"/a\"\n257 \"/b\""), "/a");
    EXPECT_EQ(QuotedDirectory("257 \"\" empty"), "");
    EXPECT_EQ(QuotedDirectory("257 \"/unclosed"), "");
    EXPECT_EQ(QuotedDirectory("257 /"), "");
}

TEST(FtpResultText, EveryResultHasItsText) {
    EXPECT_EQ(std::u16string(FtpResultText(kFtpUploaded)), u"正常に転送できました");
    EXPECT_EQ(std::u16string(FtpResultText(kFtpNoConnection)), u"サーバに接続できませんでした");
    EXPECT_EQ(std::u16string(FtpResultText(kFtpNoAsciiMode)), u"ASCIIモードにできませんでした");
    EXPECT_EQ(std::u16string(FtpResultText(kFtpNoDirectory)), u"転送先ディレクトリに移動できませんでした");
    EXPECT_EQ(std::u16string(FtpResultText(kFtpTransferFailed)), u"ファイルの転送に失敗しました");
    EXPECT_EQ(std::u16string(FtpResultText(kFtpAborted)), u"中止されました");
    EXPECT_EQ(std::u16string(FtpResultText(kFtpNoTls)), u"サーバがTLSに対応していません");
    EXPECT_EQ(std::u16string(FtpResultText(kFtpUntrusted)), u"サーバの証明書を確認できませんでした");
    EXPECT_EQ(std::u16string(FtpResultText(kFtpTlsFailed)), u"TLSで接続できませんでした");
    EXPECT_EQ(std::u16string(FtpResultText(-9)), u"正常に転送できました");
    EXPECT_EQ(std::u16string(FtpResultText(1)), u"正常に転送できました");
}

TEST(FtpPassivePort, OnlyTheDataPortIsTaken) {
    EXPECT_EQ(ExtendedPassivePort("229 Entering Extended Passive Mode (|||6446|)"), 6446);
    EXPECT_EQ(ExtendedPassivePort("229 ok (!!!65535!)"), 65535);
    for (const char* bad : {"229 (|||0|)", "229 (|||65536|)", "229 (|||6446)", "229 (||6446|)", "229 (|||6446!)",
                            "229 (1116441)", "229 (|||123456|)", "229 (|||x|)", "229 (|1|2|3|)", "229 (|"})
        EXPECT_EQ(ExtendedPassivePort(bad), std::nullopt) << bad;

    EXPECT_EQ(PassivePort("227 Entering Passive Mode (192,168,0,2,4,1)"), 1025);
    EXPECT_EQ(PassivePort("227 Entering Passive Mode 203,0,113,9,255,255"), 65535);
    EXPECT_EQ(PassivePort("227 =1,2,3,4,0,21"), 21);
    for (const char* bad : {"227 (256,1,1,1,4,1)", "227 (1,2,3,4,0,0)", "227 (1,2,3,4,5)", "227 (1,2,3,4,5,1000)",
                            "227 (1,2,3,4,5,-1)", "227 passive"})
        EXPECT_EQ(PassivePort(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace zep
