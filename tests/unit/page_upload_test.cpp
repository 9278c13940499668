// Uploading the IP page and the disconnect page: the busy rule, the log list, ConnectPageUploaded
// and the disconnect page ahead of a disconnection.
#include <gtest/gtest.h>

#include <functional>

#include "controller.h"
#include "controller_fixture.h"
#include "texts_ja.h"

namespace zep {
namespace {

class PageUploadTest : public ControllerFixture {
protected:
    const std::string page = "C:\\zep\\myip.html";

    void SetUp() override {
        settings.HTMLFile = page;
        settings.FTPHost = "192.168.0.2";
        settings.FTPUserName = "ann";
        settings.SetFTPPassword("secret");
        settings.FTPDestination = "/www/ip.html";
        settings.SetupUtility = "C:\\tools\\NWGSet.exe";
        shell.files[page] = "<p>203.0.113.7</p>\r\n";
        shell.files["C:\\zep\\discon.htm"] = "<p>down</p>\r\n";
        controller.Create();
        shell.log.clear();
    }
    std::vector<std::string> Stored() {
        std::vector<std::string> stored;
        for (const std::string& line : shell.log)
            if (line.rfind("ftp STOR", 0) == 0 || line.rfind("ftp [data", 0) == 0) stored.push_back(line);
        return stored;
    }
    size_t Count(const std::string& line) { return static_cast<size_t>(std::count(shell.log.begin(), shell.log.end(), line)); }
};

TEST_F(PageUploadTest, ThePageGoesUpAndTheLogListSaysSo) {
    shell.now = {2026, 12, 8, 9, 5, 0};
    controller.pageUpload().UploadConnectPage();
    EXPECT_EQ(Stored(), (std::vector<std::string>{"ftp STOR ip.html", "ftp [data <p>203.0.113.7</p>\r\n]"}));
    EXPECT_EQ(Count("ftp CWD www"), 1u);
    EXPECT_EQ(Count("ftp PASS secret"), 1u);
    EXPECT_TRUE(state().ConnectPageUploaded);
    EXPECT_EQ(controller.pageUpload().ftpLog(), std::vector<std::u16string>{u"09:05:正常に転送できました"});
    EXPECT_FALSE(controller.pageUpload().ftpUploading());
    EXPECT_EQ(shell.ftpChanges, 2);  // busy, then idle again
    EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(PageUploadTest, AFailureIsOnlyListedAndTheListKeepsTheLastThree) {
    shell.ftpRefuse = "CWD";
    for (int minute = 1; minute <= 4; ++minute) {
        shell.now.minute = minute;
        controller.pageUpload().UploadConnectPage();
    }
    EXPECT_EQ(controller.pageUpload().ftpLog(), (std::vector<std::u16string>{u"12:02:転送先ディレクトリに移動できませんでした",
                                                                 u"12:03:転送先ディレクトリに移動できませんでした",
                                                                 u"12:04:転送先ディレクトリに移動できませんでした"}));
    EXPECT_FALSE(state().ConnectPageUploaded);
    EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(PageUploadTest, NothingStartsWithoutCompleteSettingsOrWithoutThePage) {
    settings.SetFTPPassword("");
    controller.pageUpload().UploadConnectPage();
    EXPECT_EQ(controller.pageUpload().UploadDisconnectPage(), false);
    EXPECT_EQ(shell.boxes, (std::vector<std::u16string>{text::kFtpSettingsIncomplete, text::kFtpSettingsIncomplete}));
    EXPECT_EQ(shell.ftpChanges, 0);

    settings.SetFTPPassword("secret");
    shell.boxes.clear();
    shell.files.erase(page);
    shell.files.erase("C:\\zep\\discon.htm");
    state().ConnectPageUploaded = true;
    controller.pageUpload().UploadConnectPage();
    EXPECT_TRUE(controller.pageUpload().UploadDisconnectPage());
    EXPECT_EQ(shell.boxes, (std::vector<std::u16string>{text::kIPPageNotMadeYet, text::kDisconnectPageMissing}));
    EXPECT_TRUE(shell.log.empty());
    EXPECT_TRUE(controller.pageUpload().ftpLog().empty());
    EXPECT_FALSE(state().ConnectPageUploaded);  // cleared once the disconnect page's upload began
    EXPECT_FALSE(controller.pageUpload().ftpUploading());
}

TEST_F(PageUploadTest, ASecondRequestDuringAnUploadIsTurnedAway) {
    shell.whileUploading = [this] {
        controller.pageUpload().UploadConnectPage();
        EXPECT_FALSE(controller.pageUpload().UploadDisconnectPage());
        return true;
    };
    controller.pageUpload().UploadConnectPage();
    EXPECT_EQ(Count("ftp STOR ip.html"), 1u);
    EXPECT_EQ(controller.pageUpload().ftpLog().size(), 1u);
}

TEST_F(PageUploadTest, TheAbortEndsTheTransferWithItsOwnResult) {
    shell.whileUploading = [this] {
        controller.pageUpload().AbortUpload();
        return false;  // the transfer breaks off
    };
    controller.pageUpload().UploadConnectPage();
    EXPECT_EQ(controller.pageUpload().ftpLog(), std::vector<std::u16string>{u"12:00:中止されました"});
    EXPECT_EQ(Count("ftp QUIT"), 1u);
    EXPECT_FALSE(state().ConnectPageUploaded);
    // The next upload starts without the old abort.
    shell.whileUploading = [] { return true; };
    controller.pageUpload().UploadConnectPage();
    EXPECT_EQ(controller.pageUpload().ftpLog().back(), u"12:00:正常に転送できました");
}

TEST_F(PageUploadTest, TheDisconnectPageGoesUpBeforeTheDisconnectionAndOnlyOnce) {
    settings.FTPAutoDiscon = true;
    controller.pageUpload().UploadConnectPage();
    shell.log.clear();
    controller.lineCommands().DisconnectAction();
    ASSERT_GE(shell.log.size(), 2u);
    EXPECT_EQ(Stored(), (std::vector<std::string>{"ftp STOR ip.html", "ftp [data <p>down</p>\r\n]"}));
    EXPECT_EQ(shell.log.back().rfind("open C:\\tools\\NWGSet.exe", 0), 0u);  // the request comes last
    EXPECT_FALSE(state().ConnectPageUploaded);

    shell.log.clear();
    controller.lineCommands().DisconnectAction();
    EXPECT_TRUE(Stored().empty());
    EXPECT_EQ(shell.log.size(), 1u);
}

TEST_F(PageUploadTest, AFailedDisconnectPageIsShownAndTheDisconnectionGoesOn) {
    settings.FTPAutoDiscon = true;
    state().ConnectPageUploaded = true;
    shell.ftpRefuse = "STOR";
    controller.lineCommands().DisconnectAction();
    EXPECT_EQ(shell.boxes, std::vector<std::u16string>{text::kDisconnectPageFailed});
    EXPECT_EQ(controller.pageUpload().ftpLog(), std::vector<std::u16string>{u"12:00:ファイルの転送に失敗しました"});
    EXPECT_EQ(shell.log.back().rfind("open C:\\tools\\NWGSet.exe", 0), 0u);
}

TEST_F(PageUploadTest, PassiveModeAndTlsComeFromTheSettings) {
    settings.FTPPassive = true;
    settings.FTPUseTLS = true;
    controller.pageUpload().UploadConnectPage();
    EXPECT_EQ(shell.log, (std::vector<std::string>{
                             "ftp AUTH TLS", "ftp [tls]", "ftp USER ann", "ftp PASS secret", "ftp PBSZ 0",
                             "ftp PROT P", "ftp TYPE A", "ftp PWD", "ftp CWD www", "ftp EPSV",
                             "ftp [data connection to port 50000]", "ftp STOR ip.html",
                             "ftp [tls data <p>203.0.113.7</p>\r\n]", "ftp QUIT", "ftp [close]"}));
    EXPECT_EQ(controller.pageUpload().ftpLog().back(), u"12:00:正常に転送できました");
}

TEST_F(PageUploadTest, ATlsRefusalIsListedAndShownForTheDisconnectPage) {
    settings.FTPUseTLS = true;
    shell.ftpRefuse = "AUTH";
    controller.pageUpload().UploadConnectPage();
    state().ConnectPageUploaded = true;
    controller.pageUpload().UploadDisconnectPage();
    EXPECT_EQ(controller.pageUpload().ftpLog(), (std::vector<std::u16string>{u"12:00:サーバがTLSに対応していません",
                                                                 u"12:00:サーバがTLSに対応していません"}));
    EXPECT_EQ(shell.boxes, std::vector<std::u16string>{text::kDisconnectPageFailed});
    EXPECT_EQ(Count("ftp USER ann"), 0u);
}

TEST_F(PageUploadTest, ADisconnectionDuringTheConnectPagesUploadIsRequestedAtOnce) {
    settings.FTPAutoDiscon = true;
    state().ConnectPageUploaded = true;  // from an earlier upload
    shell.whileUploading = [this] {
        controller.lineCommands().TrayDisconnectClick();
        return true;
    };
    controller.pageUpload().UploadConnectPage();
    EXPECT_EQ(Count("ftp STOR ip.html"), 1u);  // no second upload inside the first
    EXPECT_EQ(std::count_if(shell.log.begin(), shell.log.end(),
                            [](const std::string& l) { return l.rfind("open C:\\tools\\NWGSet.exe", 0) == 0; }),
              1);
}

// The disconnect page on a slow line: three seconds on the wire, the timer ticking inside them.
class SlowDisconnectPageTest : public PageUploadTest {
protected:
    void SetUp() override {
        PageUploadTest::SetUp();
        settings.FTPAutoDiscon = true;
        settings.AutoDisconnect = true;
        settings.AutoDisconnectHour = 12, settings.AutoDisconnectMinute = 0;
        controller.connection().DoConnected();
        state().WanIP = "203.0.113.7";
        state().ConnectPageUploaded = true;
        shell.uploadMs = 3000;
        shell.log.clear();
    }
    // Every second inside the upload's wait a tick of the same minute; `then` after 1.5 s.
    void TicksDuringTheUpload(std::function<void()> then = nullptr) {
        shell.onPump = [this, then, pumps = 0]() mutable {
            ++pumps;
            if (pumps % 10 == 0) controller.schedule().TimerTimer();
            if (pumps == 15 && then) then();
        };
    }
    int Disconnects() {
        return static_cast<int>(std::count(shell.log.begin(), shell.log.end(),
                                           "open C:\\tools\\NWGSet.exe [-i192.168.0.1 -cut1] in [C:\\tools\\]"));
    }
};

TEST_F(SlowDisconnectPageTest, TheDailyDisconnectTickingInsideTheUploadAsksOnceAfterIt) {
    TicksDuringTheUpload();
    controller.schedule().TimerTimer();  // 12:00: the daily disconnect
    EXPECT_EQ(Disconnects(), 1);
    EXPECT_EQ(shell.log.back(), "open C:\\tools\\NWGSet.exe [-i192.168.0.1 -cut1] in [C:\\tools\\]")
        << "the request follows the whole upload";
    EXPECT_EQ(Count("ftp [data <p>down</p>\r\n]"), 1u);
    EXPECT_TRUE(shell.boxes.empty()) << "the upload was not cut off";
    EXPECT_TRUE(state().DisconnectRequested) << "the line is still up";
    controller.lineCommands().TrayDisconnectClick();
    EXPECT_EQ(Disconnects(), 1);
}

TEST_F(SlowDisconnectPageTest, ASecondClickInsideTheUploadAsksNothingMore) {
    shell.onPump = [this] {
        controller.lineCommands().TrayDisconnectClick();
        controller.lineCommands().DisconnectAction();  // the settings window's button
    };
    controller.lineCommands().TrayDisconnectClick();
    EXPECT_EQ(Disconnects(), 1);
    EXPECT_EQ(shell.deepestPump, 1);
}

TEST_F(SlowDisconnectPageTest, TheLineReportedDownDuringTheUploadLeavesNoRequestBehind) {
    TicksDuringTheUpload([this] {
        controller.routerEvents().OnSyslogDatagram(settings.IPAddress, "<30>PPP s01 disconnect successfully");
    });
    settings.DialogClose = false;
    controller.lineCommands().TrayDisconnectClick();
    EXPECT_FALSE(state().Connected);
    EXPECT_FALSE(state().DisconnectRequested);

    // The next connection can be taken down from the tray again.
    shell.onPump = nullptr;
    shell.uploadMs = 0;
    controller.routerEvents().OnSyslogDatagram(settings.IPAddress, "<30>PPP s01 connect <-- dial");
    const int before = Disconnects();
    controller.lineCommands().TrayDisconnectClick();
    EXPECT_EQ(Disconnects(), before + 1);
}

TEST_F(PageUploadTest, TheRoutersAddressUploadsThePageOnlyAsSet) {
    shell.files["C:\\zep\\connect.htm"] = "<p><!--ip--></p>";
    settings.HTMLAutoCreate = true;
    settings.FTPAutoConnect = true;
    settings.FTPAutoConnectOnly = true;
    controller.routerEvents().OnSyslogDatagram(settings.IPAddress, "PPP IPCP up: my ip=203.0.113.7, peer");
    EXPECT_EQ(shell.files[page], "<p>203.0.113.7</p>\r\n");
    EXPECT_TRUE(Stored().empty());  // the connection did not begin inside the daily window

    state().StartedInAutoWindow = true;
    controller.routerEvents().OnSyslogDatagram(settings.IPAddress, "PPP IPCP up: my ip=203.0.113.8, peer");
    EXPECT_EQ(Stored(), (std::vector<std::string>{"ftp STOR ip.html", "ftp [data <p>203.0.113.8</p>\r\n]"}));

    // Without a template the page stays as it was, but the upload still runs (a file error would
    // have stopped it).
    shell.files.erase("C:\\zep\\connect.htm");
    shell.log.clear();
    controller.routerEvents().OnSyslogDatagram(settings.IPAddress, "PPP IPCP up: my ip=203.0.113.9, peer");
    EXPECT_EQ(shell.boxes, std::vector<std::u16string>{text::kConnectTemplateMissing});
    EXPECT_EQ(Stored(), (std::vector<std::string>{"ftp STOR ip.html", "ftp [data <p>203.0.113.8</p>\r\n]"}));

    // A peer's answer makes the page but uploads nothing.
    shell.files["C:\\zep\\connect.htm"] = "<p><!--ip--></p>";
    state().WanIP.clear();
    shell.log.clear();
    controller.peers().OnPeerDatagram("192.168.0.11", "Answer,203.0.113.9:5@5");
    EXPECT_EQ(shell.files[page], "<p>203.0.113.9</p>\r\n");
    EXPECT_TRUE(Stored().empty());
}

}  // namespace
}  // namespace zep
