#include "controller.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "controller_fixture.h"
#include "instance.h"
#include "tick_count.h"

namespace zep {
namespace {

class ControllerTest : public ControllerFixture {
protected:
    void SetUp() override {
        settings.SetupUtility = "C:\\Tools\\Velk.exe";
        settings.IPAddress = "10.0.0.254";
        controller.Create();
    }
    void StartAt(int hour, int minute) {
        shell.now.hour = hour;
        shell.now.minute = minute;
        controller.connection().DoConnected();
    }
};

TEST(DailyWindow, InclusiveEndsAndMidnightSpan) {
    EXPECT_TRUE(InDailyWindow(2300, 750, 2330));
    EXPECT_TRUE(InDailyWindow(2300, 750, 750));
    EXPECT_TRUE(InDailyWindow(2300, 750, 0));
    EXPECT_FALSE(InDailyWindow(2300, 750, 800));
    EXPECT_FALSE(InDailyWindow(2300, 750, 2259));
    EXPECT_TRUE(InDailyWindow(900, 1700, 1700));
    EXPECT_TRUE(InDailyWindow(900, 1700, 900));
    EXPECT_FALSE(InDailyWindow(900, 1700, 1701));
    EXPECT_TRUE(InDailyWindow(1200, 1200, 1200));
}

TEST_F(ControllerTest, ConnectionStartDecidesTheDailyWindowFromTheSpinValues) {
    settings.AutoConnect = false;  // the decision does not depend on the daily switches
    StartAt(23, 30);
    EXPECT_TRUE(state().StartedInAutoWindow);
    StartAt(8, 0);
    EXPECT_FALSE(state().StartedInAutoWindow);
    settings.AutoConnectHour = 9, settings.AutoConnectMinute = 0;
    settings.AutoDisconnectHour = 17, settings.AutoDisconnectMinute = 0;
    StartAt(17, 0);
    EXPECT_TRUE(state().StartedInAutoWindow);
    StartAt(17, 1);
    EXPECT_FALSE(state().StartedInAutoWindow);
}

TEST_F(ControllerTest, TransitionsMoveTheStateAndThePicture) {
    auto& st = state();
    EXPECT_EQ(shell.pictures.back(), TrayPicture::Disconnect);
    st.WanIP = "1.2.3.4";
    settings.Autorun[3].Launched = true;
    st.ElapsedDisconnectRound = 4;
    shell.tick = 5000;
    StartAt(12, 0);
    EXPECT_TRUE(st.Connected);
    EXPECT_TRUE(st.WanIP.empty());
    EXPECT_EQ(st.ConnectStartTick, 5000u);
    EXPECT_EQ(st.IPAssignedTick, 5000u);
    EXPECT_EQ(st.ElapsedDisconnectRound, 1);
    EXPECT_FALSE(settings.Autorun[3].Launched);
    EXPECT_EQ(shell.pictures.back(), TrayPicture::Connect);
    EXPECT_EQ(shell.log.back(), "tray+");

    st.SyslogHeard = true;
    controller.tray().UpdateTrayIcon();
    EXPECT_EQ(shell.pictures.back(), TrayPicture::ConnectData);

    st.DisconnectRequested = true;
    st.WanIP = "1.2.3.4";
    menus().Item(kTrayIP).enabled = true;
    controller.connection().DoDisconnected();
    EXPECT_FALSE(st.Connected);
    EXPECT_FALSE(st.DisconnectRequested);
    EXPECT_FALSE(st.StartedInAutoWindow);
    EXPECT_FALSE(menus().Item(kTrayIP).enabled);
    EXPECT_EQ(shell.pictures.back(), TrayPicture::DisconnectData);
    st.SyslogHeard = false;
    controller.tray().UpdateTrayIcon();
    EXPECT_EQ(shell.pictures.back(), TrayPicture::Disconnect);
}

TEST_F(ControllerTest, TimePanelShownOnlyWhenSet) {
    settings.ShowTimePanel = false;
    StartAt(12, 0);
    EXPECT_EQ(std::count(shell.log.begin(), shell.log.end(), "panel-top"), 0);
    settings.ShowTimePanel = true;
    StartAt(12, 0);
    EXPECT_EQ(std::count(shell.log.begin(), shell.log.end(), "panel-top"), 1);
}

TEST_F(ControllerTest, RefusedTipReaddsTheIconAfterHalfASecond) {
    StartAt(12, 0);
    shell.refuseTip = true;
    shell.log.clear();
    const uint32_t before = shell.tick;
    controller.schedule().TimerTimer();  // the tip becomes the connection time
    EXPECT_EQ(shell.log, (std::vector<std::string>{"tray-", "tray+"}));
    EXPECT_EQ(ElapsedMs(shell.tick, before), 500u);
}

TEST_F(ControllerTest, RouterChatterTouchesTheTrayOnlyWhenWhatItShowsChanges) {
    const size_t pictures = shell.pictures.size(), tips = shell.tips.size();
    for (int i = 0; i < 100; ++i) controller.routerEvents().OnSyslogDatagram(settings.IPAddress, "<30>FILTER pass");
    EXPECT_EQ(shell.pictures.size(), pictures + 1) << "the Data picture once";
    EXPECT_EQ(shell.tips.size(), tips) << "the tip stays ZEP!";
    controller.schedule().TimerTimer();
    EXPECT_EQ(shell.pictures.back(), TrayPicture::Disconnect);
    controller.schedule().TimerTimer();
    EXPECT_EQ(shell.pictures.size(), pictures + 2);

    // While connected each tick shows the time; the chatter between ticks puts "ZEP!" back once.
    StartAt(12, 0);
    const size_t tipsConnected = shell.tips.size();
    controller.schedule().TimerTimer();
    for (int i = 0; i < 50; ++i) controller.routerEvents().OnSyslogDatagram(settings.IPAddress, "<30>FILTER pass");
    controller.schedule().TimerTimer();
    EXPECT_EQ(shell.tips.size(), tipsConnected + 3);
    EXPECT_EQ(shell.tips.back(), u"ZEP! - 00:00:00");
}

TEST_F(ControllerTest, ThePanelShownByItsBoxFollowsItsOwnOnTopItemAsTickedNow) {
    settings.TimeStayOnTop = true;     // as last loaded or saved
    shell.panelStaysOnTop = false;     // unticked on the panel since
    controller.TimeShowCheckChanged();
    EXPECT_TRUE(shell.log.empty() || shell.log.back() != "panel") << "nothing while the line is down";
    StartAt(12, 0);
    shell.log.clear();
    controller.TimeShowCheckChanged();
    EXPECT_EQ(shell.log, std::vector<std::string>{"panel"});
    shell.panelStaysOnTop = true;
    controller.TimeShowCheckChanged();
    EXPECT_EQ(shell.log.back(), "panel-top");
    settings.ShowTimePanel = false;
    controller.TimeShowCheckChanged();
    EXPECT_EQ(shell.log.back(), "panel-close");
}

TEST_F(ControllerTest, DisconnectTwiceIssuesOneCommandUntilTheLineIsDown) {
    StartAt(12, 0);
    shell.log.clear();
    controller.lineCommands().TrayDisconnectClick();
    controller.lineCommands().TrayDisconnectClick();
    ASSERT_EQ(shell.log.size(), 1u);
    EXPECT_EQ(shell.log[0], "open C:\\Tools\\Velk.exe [-i10.0.0.254 -cut1] in [C:\\Tools\\]");
    controller.connection().DoDisconnected();
    controller.lineCommands().TrayDisconnectClick();
    EXPECT_EQ(std::count(shell.log.begin(), shell.log.end(), shell.log[0]), 2);
}

TEST_F(ControllerTest, ConnectAndDisconnectGoThroughTheLibraryWhenChosen) {
    settings.UseMRLDll = true;
    controller.lineCommands().ConnectAction();
    controller.lineCommands().DisconnectAction();
    EXPECT_EQ(shell.log.back(), "lib disconnect");
    EXPECT_EQ(shell.log[shell.log.size() - 2], "lib connect");
    settings.UseMRLDll = false;
    controller.lineCommands().ConnectAction();
    EXPECT_EQ(shell.log.back(), "open C:\\Tools\\Velk.exe [-i10.0.0.254 -con1] in []");
    EXPECT_TRUE(state().ElapsedDisconnectArmed);
}

TEST_F(ControllerTest, QuitRequestDisconnectsAndExitsOnceTheLineIsDown) {
    StartAt(12, 0);
    shell.log.clear();
    controller.OnInstanceCommand(kInstanceQuit);
    EXPECT_EQ(shell.log, (std::vector<std::string>{"tray-", "tray+",
                                                   "open C:\\Tools\\Velk.exe [-i10.0.0.254 -cut1] in [C:\\Tools\\]"}))
        << "blink, disconnect, and no exit while the line is up";
    controller.tray().UpdateTrayIcon();  // other events go on meanwhile
    controller.connection().DoDisconnected();  // the router's report
    EXPECT_EQ(shell.log.back(), "exit");
}

TEST_F(ControllerTest, QuitRequestWithTheLineDownExitsAtOnce) {
    controller.OnInstanceCommand(kInstanceQuit);
    EXPECT_EQ(shell.log.back(), "exit");
}

TEST_F(ControllerTest, WakeRequestOnlyBlinks) {
    shell.log.clear();
    controller.OnInstanceCommand(kInstanceWake);
    EXPECT_EQ(shell.log, (std::vector<std::string>{"tray-", "tray+"}));
    controller.connection().DoDisconnected();
    EXPECT_EQ(std::count(shell.log.begin(), shell.log.end(), "exit"), 0);
}

TEST(SetupDialogs, OneWindowPerPatternInEnumerationOrder) {
    const std::vector<std::u16string> titles = {
        u"Explorer",
        u"NWGSET - status",            // matches "nwgset" whatever the case
        u"nwgset again",               // a second match is left alone
        u"ｎｅｔｇｅｎｅｓｉｓ セットアップ",  // full-width lower case: the third pattern
        u"NETGENESIS セットアップ ウィザード",
    };
    auto chosen = SetupDialogsToClose(titles);
    ASSERT_EQ(chosen.size(), 3u);
    EXPECT_EQ(chosen[0], std::optional<size_t>(1));
    EXPECT_EQ(chosen[1], std::optional<size_t>(4));
    EXPECT_EQ(chosen[2], std::optional<size_t>(3));
    EXPECT_EQ(SetupDialogsToClose({u"nothing"}), (std::vector<std::optional<size_t>>{{}, {}, {}}));
    // Only the first 254 characters of a title are read.
    std::u16string longTitle(254, u'x');
    EXPECT_EQ(SetupDialogsToClose({longTitle + u"nwgset"})[0], std::nullopt);
}

TEST_F(ControllerTest, SetupDialogsAreClosedWithTheirWaits) {
    shell.windows = {{11, u"NWGSet"}, {12, u"NetGenesis セットアップ"}};
    const uint32_t before = shell.tick;
    controller.lineCommands().CloseSetupDialogs();
    EXPECT_EQ(shell.closed, (std::vector<uintptr_t>{11, 12}));
    EXPECT_EQ(ElapsedMs(shell.tick, before), 2000u);
}

TEST(TrayMenusModel, InitialCaptionsOrderAndStates) {
    TrayMenus m;
    std::vector<std::u16string> captions;
    for (auto& item : m.right) captions.push_back(item.caption);
    EXPECT_EQ(captions, (std::vector<std::u16string>{u"接続", u"接続2", u"接続3", u"接続4", u"切断", u"", u"設定",
                                                     u"IPアドレスをコピー", u"", u"バージョン情報", u"終了"}));
    EXPECT_TRUE(m.Item(kTrayConnect).visible);
    EXPECT_FALSE(m.Item(kTrayConnect2).visible);
    EXPECT_TRUE(m.Item(kTrayConnect4).radio);
    EXPECT_FALSE(m.Item(kTrayIP).enabled);
    captions.clear();
    for (auto& item : m.left) captions.push_back(item.caption);
    EXPECT_EQ(captions, (std::vector<std::u16string>{u"設定", u"", u"AI2000ログ閲覧", u"簡易ログ閲覧", u"syslog閲覧"}));
    EXPECT_EQ(CutTrayTip(std::u16string(70, u'a')).size(), 62u);
}

TEST_F(ControllerTest, FirstShowLoadsTheSettingsThenTellsAFirstStartWhatToDo) {
    shell.files["C:\\zep\\AI98RR.log"] = "old";
    settings.LogFolder = "C:\\zep";
    controller.FirstShow();
    EXPECT_EQ(shell.log, (std::vector<std::string>{"tray+", "load settings", "settings loaded",
                                                   "rename C:\\zep\\AI98RR.log C:\\zep\\AI2000RR.log",
                                                   "settings window"}));
    EXPECT_EQ(shell.boxes.size(), 1u) << "no setup utility yet";
    EXPECT_EQ(shell.files["C:\\zep\\AI2000RR.log"], "old");
    EXPECT_FALSE(state().FirstShowPending);
    EXPECT_FALSE(state().DestinationListKnown);

    shell.log.clear();
    controller.FirstShow();
    EXPECT_TRUE(shell.log.empty()) << "once only";
}

TEST_F(ControllerTest, FirstShowWithAToolOrTheLibraryAsksTheRouter) {
    shell.files[settings.SetupUtility] = "exe";
    shell.internalNames[settings.SetupUtility] = "VELK";
    controller.FirstShow();
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_EQ(shell.log.back(), "open C:\\Tools\\Velk.exe [-i10.0.0.254 -sts1 -w TZEPHiddenForm] in []");

    FakeShell libraryShell;  // the library in use, no tool at all
    Settings librarySettings = DefaultSettings();
    librarySettings.UseMRLDll = true;
    Controller library(libraryShell, librarySettings);
    library.Create();
    library.FirstShow();
    EXPECT_TRUE(libraryShell.boxes.empty());
    EXPECT_EQ(libraryShell.log.back(), "settings loaded") << "the settings window switches the library on";
}

TEST_F(ControllerTest, TheAccessLogItemFollowsItsViewer) {
    controller.logs().CheckAccessLogViewer();
    EXPECT_FALSE(controller.menus().Item(kTrayAILog).enabled) << "no viewer set";
    settings.AIExeFile = "C:\\AI\\AI2000.EXE";
    controller.logs().CheckAccessLogViewer();
    EXPECT_FALSE(controller.logs().accessLogViewerFound());
    shell.files[settings.AIExeFile] = "exe";
    controller.logs().CheckAccessLogViewer();
    EXPECT_TRUE(controller.logs().accessLogViewerFound());
    EXPECT_TRUE(controller.menus().Item(kTrayAILog).enabled);
}

}  // namespace
}  // namespace zep
