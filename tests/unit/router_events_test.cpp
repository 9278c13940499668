// The controller driven by the router's syslog datagrams.
#include <gtest/gtest.h>

#include <algorithm>

#include "controller.h"
#include "controller_fixture.h"
#include "tick_count.h"

namespace zep {
namespace {

class RouterEventsTest : public ControllerFixture {
protected:
    const std::string syslogFile = "C:\\logs\\syslog_202612.txt";
    const std::string conlogFile = "C:\\logs\\conlog_202612.txt";

    void SetUp() override {
        settings.LogFolder = "C:\\logs";
        settings.DialogClose = false;
        shell.now = {2026, 12, 8, 10, 0, 0};
        controller.Create();
    }
    void Router(const std::string& line) { controller.routerEvents().OnSyslogDatagram("192.168.0.1", line); }
    // The tool's destination list, read with `current` as the router's default destination.
    void KnowDestinations(int current) {
        settings.SetupUtility = "C:\\tools\\Velk.exe";
        shell.files["C:\\tools\\Velk.txt"] = "1:Main\r\n1:Office\r\n0:Backup\r\n1:Mobile\r\n";
        controller.lineCommands().BuildDestinationMenus(current);
    }
    size_t LinesIn(const std::string& path) {
        const std::string& text = shell.files[path];
        return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    }
};

TEST_F(RouterEventsTest, OnlyTheRoutersAddressIsHeard) {
    controller.routerEvents().OnSyslogDatagram("192.168.0.2", "PPP connect s01 <--");
    controller.routerEvents().OnSyslogDatagram("192.168.0.10", "PPP connect s01 <--");
    EXPECT_FALSE(state().Connected);
    EXPECT_FALSE(state().SyslogHeard);
    EXPECT_TRUE(shell.files.empty());
}

TEST_F(RouterEventsTest, AConnectionCycleMovesStateLogsAndPage) {
    shell.files["C:\\zep\\connect.htm"] = "<p><!--ip--></p>\n<a href=\"http://<!--IP-->/\">x</a>";
    shell.tick = 10'000;
    Router("<30>PPP connect s01 <-- dial (ISP1)");
    EXPECT_TRUE(state().Connected);
    EXPECT_TRUE(state().SyslogHeard);
    EXPECT_EQ(state().LineNumber, 1);
    ASSERT_EQ(shell.beforeConTimes.size(), 1u);
    EXPECT_EQ(shell.beforeConTimes[0], shell.now);

    shell.tick = 12'000;
    Router("<30>PPP IPCP up: my ip= 203.0.113.7, peer ip=198.51.100.1");
    EXPECT_EQ(state().WanIP, " 203.0.113.7");  // everything between "=" and ","
    EXPECT_EQ(state().IPAssignedTick, 12'000u);
    EXPECT_TRUE(menus().Item(kTrayIP).enabled);
    EXPECT_EQ(shell.files[settings.HTMLFile], "<p> 203.0.113.7</p>\r\n<a href=\"http:// 203.0.113.7/\">x</a>\r\n");
    controller.tray().TrayIPClick();
    EXPECT_EQ(shell.clipboard, " 203.0.113.7");

    shell.tick = 10'000 + 90'000;
    shell.now = {2026, 12, 8, 10, 1, 30};
    Router("<30>PPP disconnect successfully s01");
    EXPECT_FALSE(state().Connected);
    EXPECT_FALSE(menus().Item(kTrayIP).enabled);
    EXPECT_EQ(shell.beforeConTimes.back(), LocalDateTime{});  // deleted
    EXPECT_EQ(shell.files[conlogFile], "S01,2026/12/08 10:01:30,2026/12/08 10:00:00,00:01:30\r\n");
    EXPECT_EQ(LinesIn(syslogFile), 3u);
    EXPECT_EQ(shell.files[syslogFile].substr(0, 56), "2026/12/08 10:00:00,<30>PPP connect s01 <-- dial (ISP1)\r");
}

TEST_F(RouterEventsTest, DisconnectWithoutASeenConnectionLogsNoConnection) {
    settings.WaveDisconnect = true;
    Router("<30>PPP disconnect successfully");
    EXPECT_EQ(shell.files.count(conlogFile), 0u);
    EXPECT_EQ(shell.log.back(), "tray+");
    EXPECT_NE(std::find(shell.log.begin(), shell.log.end(), "sound " + settings.WaveDisconnectFile), shell.log.end());
}

TEST_F(RouterEventsTest, AccessLogOnlyWhileItsViewerExists) {
    settings.AIlog = true;
    settings.AIExeFile = "C:\\ai\\viewer.exe";
    shell.now = {2026, 12, 8, 9, 0, 0};  // a Tuesday
    Router("PPP connect s02 s01 <--");
    EXPECT_EQ(state().LineNumber, 2);
    shell.tick += 65'000;
    Router("PPP disconnect successfully");
    EXPECT_EQ(shell.files.count("C:\\logs\\AI2000RR.log"), 0u);

    shell.files[settings.AIExeFile] = "";
    KnowDestinations(1);
    Router("PPP connect s02 <--");
    Router("<30>connection switched to (ISP2)");
    shell.tick += 65'000;
    shell.now = {2026, 12, 8, 9, 1, 5};
    Router("PPP disconnect successfully");
    EXPECT_EQ(shell.files["C:\\logs\\AI2000RR.log"], "2026/12/08(d2) 09:00:00 00:01:05 > S02:Office\r\n");
}

TEST_F(RouterEventsTest, SwitchReportChecksOneTrayItem) {
    Router("connection switched (RAS)");
    EXPECT_TRUE(menus().ConnectItem(4).checked);
    Router("connection switched (ISP12)");
    EXPECT_TRUE(menus().ConnectItem(2).checked);
    EXPECT_FALSE(menus().ConnectItem(4).checked);
    Router("connection switched (ISP)");
    EXPECT_TRUE(menus().ConnectItem(2).checked);
    EXPECT_EQ(controller.lineCommands().destinationPanelTag(), -1) << "the settings window has no destinations to follow yet";
    EXPECT_EQ(shell.menusChanged, 0);
}

TEST_F(RouterEventsTest, SwitchReportMovesTheSettingsWindowsDestinationToo) {
    KnowDestinations(1);
    const int changes = shell.menusChanged;
    Router("<30>ROUTE default connection switched to (ISP2)");
    EXPECT_EQ(controller.lineCommands().destinationPanelTag(), 2);
    EXPECT_EQ(state().DefaultLineCaption, "Office");
    EXPECT_EQ(shell.menusChanged, changes + 1) << "the panel's caption follows";
    const std::vector<TrayMenuItem> popup = controller.lineCommands().DestinationPopup();
    EXPECT_FALSE(popup[0].checked);
    EXPECT_TRUE(popup[1].checked);
    EXPECT_TRUE(menus().ConnectItem(2).checked);
}

TEST_F(RouterEventsTest, WriteFailureIsReportedOnceAndEventsStillFire) {
    shell.failingFolder = "C:\\logs";
    Router("PPP connect s01 <--");
    Router("chatter");
    Router("PPP disconnect successfully");
    EXPECT_FALSE(state().Connected);
    EXPECT_EQ(shell.boxes.size(), 2u) << "one box for each file (syslog, conlog), none for their later lines";
    shell.failingFolder.clear();
    Router("chatter");
    shell.failingFolder = "C:\\logs";
    Router("chatter");
    EXPECT_EQ(shell.boxes.size(), 3u) << "reported again after it had worked";
}

TEST_F(RouterEventsTest, MissingTemplateIsReportedAndNothingWritten) {
    Router("PPP IPCP up my ip=1.2.3.4, peer");
    EXPECT_EQ(state().WanIP, "1.2.3.4");
    EXPECT_EQ(shell.files.count(settings.HTMLFile), 0u);
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0], u"connect.htm が見つかりません。\r\nもう一度ZEP!をセットアップしなおしてください。");
}

TEST_F(RouterEventsTest, ALockedTemplateIsAFileErrorNotAMissingOne) {
    shell.files["C:\\zep\\connect.htm"] = "<p><!--ip--></p>";
    shell.lockedFiles.insert("C:\\zep\\connect.htm");
    Router("PPP IPCP up my ip=1.2.3.4, peer");
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0], u"C:\\zep\\connect.htm\r\nused by another process");
    EXPECT_EQ(shell.files.count(settings.HTMLFile), 0u);
}

TEST_F(RouterEventsTest, AnIPLineWithoutAnAddressChangesNothingButTheLog) {
    shell.files["C:\\zep\\connect.htm"] = "<p><!--ip--></p>";
    settings.FTPAutoConnect = true;
    settings.WaveConnect = true;
    Router("PPP connect s01 <--");
    shell.tick += 5000;
    for (const char* forged : {"<30>PPP IPCP up: my ip = evil.example , peer ip=203.0.113.1",
                               "<30>PPP IPCP up: my ip=<script>x()</script>, peer ip=203.0.113.1",
                               "<30>PPP IPCP up: my ip=203.0.113.256, peer", "<30>PPP IPCP up: my ip=, peer"}) {
        Router(forged);
        EXPECT_EQ(state().WanIP, "") << forged;
    }
    EXPECT_EQ(ElapsedMs(shell.tick, state().IPAssignedTick), 5000u);
    EXPECT_FALSE(menus().Item(kTrayIP).enabled);
    EXPECT_EQ(shell.files.count(settings.HTMLFile), 0u);
    EXPECT_FALSE(std::any_of(shell.log.begin(), shell.log.end(),
                             [](const std::string& l) { return l.rfind("ftp", 0) == 0 || l.rfind("sound", 0) == 0; }));
    EXPECT_EQ(LinesIn(syslogFile), 5u);

    // Once the router has named the address, a forged line leaves it as it is.
    Router("<30>PPP IPCP up: my ip=203.0.113.7, peer ip=203.0.113.1");
    const std::string page = shell.files[settings.HTMLFile];
    EXPECT_EQ(page, "<p>203.0.113.7</p>\r\n");
    Router("<30>PPP IPCP up: my ip = evil.example , peer ip=203.0.113.1");
    EXPECT_EQ(state().WanIP, "203.0.113.7");
    EXPECT_EQ(shell.files[settings.HTMLFile], page);
}

TEST_F(RouterEventsTest, AnAddressWithMarkupOrLineEndsNeverReachesPageClipboardOrPeers) {
    shell.files["C:\\zep\\connect.htm"] = "<p><!--ip--></p>";

    // Without a comma only the address text is taken, not the rest of the datagram.
    Router("<30>PPP IPCP up: my ip=203.0.113.7\r\n<b>forged</b>\r\n");
    EXPECT_EQ(state().WanIP, "203.0.113.7");
    EXPECT_EQ(shell.files[settings.HTMLFile], "<p>203.0.113.7</p>\r\n");
    controller.tray().TrayIPClick();
    EXPECT_EQ(shell.clipboard, "203.0.113.7");
    controller.peers().OnPeerDatagram("192.168.0.11", "RequestNWGCondition");
    ASSERT_EQ(shell.peerDatagrams.size(), 1u);
    EXPECT_EQ(shell.peerDatagrams[0].payload.rfind("Answer,203.0.113.7:", 0), 0u);
}

TEST_F(RouterEventsTest, ADatagramWithLineEndsIsOneLineOfTheSyslog) {
    Router(std::string("<30>a\r\nforged line\0b\\r", 22));
    Router("<30>FILTER pass C:\\x \x83\x5C");  // backslashes and Shift-JIS stay as received
    EXPECT_EQ(shell.files[syslogFile],
              "2026/12/08 10:00:00,<30>a\\r\\nforged line\\0b\\r\r\n"
              "2026/12/08 10:00:00,<30>FILTER pass C:\\x \x83\x5C\r\n");
}

TEST_F(RouterEventsTest, OverlongDatagramIsCut) {
    Router("PPP connect <--" + std::string(5000, 'x'));
    EXPECT_TRUE(state().Connected);
    EXPECT_EQ(shell.files[syslogFile].size(), std::string("2026/12/08 10:00:00,").size() + 2048 + 2);
}

TEST_F(RouterEventsTest, LogViewsOpenThisMonthsFileOrSayWhy) {
    controller.logs().TraySyslogClick();
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0], u"今月のsyslogはまだありません\r\n設定の「syslogを残す」にチェックを入れてください");
    Router("chatter");
    controller.logs().TraySyslogClick();
    EXPECT_EQ(shell.log.back(), "open " + syslogFile + " [] in []");
    controller.logs().TrayAILogClick();
    EXPECT_EQ(shell.boxes.back(), u"Access Informationログはまだありません\r\n設定の「AIログを残す」にチェックを入れてください");
}

}  // namespace
}  // namespace zep
