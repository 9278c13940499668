#include "line_commands.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "controller.h"
#include "controller_fixture.h"
#include "library_record.h"
#include "tick_count.h"

namespace zep {
namespace {

TEST(CommandLines, AddressRightAfterTheSwitch) {
    EXPECT_EQ(ConnectParameters("10.0.0.254"), "-i10.0.0.254 -con1");
    EXPECT_EQ(DisconnectParameters("10.0.0.254"), "-i10.0.0.254 -cut1");
    EXPECT_EQ(DefaultDestinationParameters("192.168.0.1", 2), "-i192.168.0.1 -def1 1");
    EXPECT_EQ(StatusParameters("192.168.0.1"), "-i192.168.0.1 -sts1 -w TZEPHiddenForm");
    EXPECT_EQ(DottedAddress(0xC0A80001u), "192.168.0.1");
    EXPECT_EQ(DestinationFilePath("C:\\Tools\\Velk.exe"), "C:\\Tools\\Velk.txt");
    EXPECT_EQ(DestinationFilePath("C:\\To.ols\\Velk"), "C:\\To.ols\\Velk.txt");
}

TEST(DestinationFile, ShortMissingAndOddLinesNeverFail) {
    DestinationList d = DestinationsFromFile("1:Main\r\n0:Sub\n1:\r0:Backup\r\n1:Fifth\r\n");
    EXPECT_EQ(d[0].caption, "Main");
    EXPECT_TRUE(d[0].usable);
    EXPECT_EQ(d[1].caption, "Sub");
    EXPECT_FALSE(d[1].usable);
    EXPECT_EQ(d[2].caption, "");
    EXPECT_TRUE(d[2].usable);
    EXPECT_EQ(d[3].caption, "Backup");
    EXPECT_FALSE(d[3].usable);

    d = DestinationsFromFile("1:Only\r\n1");
    EXPECT_EQ(d[0].caption, "Only");
    EXPECT_TRUE(d[1].usable);
    EXPECT_EQ(d[1].caption, "");
    EXPECT_FALSE(d[2].usable);
    EXPECT_FALSE(d[3].usable);
    for (const Destination& x : DestinationsFromFile("")) EXPECT_FALSE(x.usable);
}

class LineCommandsTest : public ControllerFixture {
protected:
    const std::string tool = "C:\\Tools\\Velk.exe";

    void SetUp() override {
        settings.SetupUtility = tool;
        settings.IPAddress = "10.0.0.254";
        controller.Create();
        controller.lineCommands().ResetDestinationMenus();
        shell.files[tool] = "exe";
        shell.internalNames[tool] = " VELK ";
        shell.files["C:\\Tools\\Velk.txt"] = "1:Main\r\n1:Office\r\n0:Backup\r\n1:Mobile\r\n";
    }
    // The tool answers a status request `afterMs` after it was started.
    void AnswerStatus(uint32_t wParam, uint32_t lParam, uint32_t afterMs = 300) {
        shell.onPump = [this, wParam, lParam, afterMs] {
            auto it = std::find_if(shell.log.begin(), shell.log.end(),
                                   [](const std::string& l) { return l.find("-sts1") != std::string::npos; });
            if (it == shell.log.end()) return;
            if (!started_) started_ = shell.tick;
            if (shell.tick - started_ >= afterMs) controller.OnStatusReply(wParam, lParam);
        };
    }
    uint32_t started_ = 0;
    int Opens(const std::string& part) {
        return static_cast<int>(std::count_if(shell.log.begin(), shell.log.end(), [&](const std::string& l) {
            return l.rfind("open", 0) == 0 && l.find(part) != std::string::npos;
        }));
    }
};

TEST_F(LineCommandsTest, VelkIsTheTrimmedInternalNameExactly) {
    EXPECT_TRUE(controller.lineCommands().IsVelkTool(tool));
    shell.internalNames[tool] = "velk";
    EXPECT_FALSE(controller.lineCommands().IsVelkTool(tool));
    EXPECT_FALSE(controller.lineCommands().IsVelkTool("C:\\missing.exe"));
    EXPECT_TRUE(shell.boxes.empty());
    shell.internalNames.erase(tool);
    EXPECT_FALSE(controller.lineCommands().IsVelkTool(tool));
    EXPECT_EQ(shell.boxes, (std::vector<std::u16string>{u"バージョン情報が取得できません."}));
}

TEST_F(LineCommandsTest, StatusUpWithTheStoredStartAndDestinationTwo) {
    settings.UseBeforeCon = true;
    shell.beforeConTime = {2026, 12, 8, 11, 0, 0};  // an hour before now (12:00)
    AnswerStatus(5, 2);
    controller.lineCommands().FirstShowStatus();
    EXPECT_EQ(Opens("[-i10.0.0.254 -sts1 -w TZEPHiddenForm] in []"), 1);
    auto& st = state();
    EXPECT_TRUE(st.Connected);
    EXPECT_EQ(st.LineNumber, 1);
    EXPECT_EQ(ElapsedMs(shell.tick, st.IPAssignedTick), 3600000u);
    shell.onPump = nullptr;
    controller.schedule().TimerTimer();
    EXPECT_EQ(shell.panelText, "01:00:00");
    EXPECT_EQ(shell.tips.back(), u"ZEP! - 01:00:00");

    for (int n = 1; n <= 4; ++n) EXPECT_EQ(menus().ConnectItem(n).checked, n == 2) << n;
    EXPECT_EQ(controller.lineCommands().destinationPanelTag(), 2);
    EXPECT_EQ(st.DefaultLineCaption, "Office");
    EXPECT_TRUE(st.DestinationListKnown);
    // Line 3 "0:Backup": hidden in the tray, disabled in the settings popup.
    const TrayMenuItem& third = menus().ConnectItem(3);
    EXPECT_EQ(third.caption, u"接続-Backup");
    EXPECT_FALSE(third.visible);
    EXPECT_FALSE(controller.lineCommands().destinations()[2].usable);
    EXPECT_EQ(controller.lineCommands().destinations()[2].caption, "Backup");
}

TEST_F(LineCommandsTest, TheSettingsPopupOffersEveryDestinationAsOneRadioGroup) {
    AnswerStatus(5, 2);
    controller.lineCommands().RequestStatus();
    const std::vector<TrayMenuItem> popup = controller.lineCommands().DestinationPopup();
    ASSERT_EQ(popup.size(), 4u);
    const std::u16string captions[] = {u"Main", u"Office", u"Backup", u"Mobile"};
    for (int n = 1; n <= 4; ++n) {
        const TrayMenuItem& item = popup[n - 1];
        EXPECT_EQ(item.id, n);
        EXPECT_EQ(item.caption, captions[n - 1]);
        EXPECT_TRUE(item.visible) << "an unusable destination is shown, disabled";
        EXPECT_EQ(item.enabled, n != 3);
        EXPECT_TRUE(item.radio);
        EXPECT_EQ(item.checked, n == 2);
    }
}

TEST_F(LineCommandsTest, StoredStartInTheFutureCountsFromNow) {
    settings.UseBeforeCon = true;
    shell.beforeConTime = {2026, 12, 8, 13, 0, 0};
    AnswerStatus(5, 0);
    controller.lineCommands().RequestStatus();
    EXPECT_EQ(state().ConnectStartTick, shell.tick);
}

// Durations are unsigned 32-bit tick differences: a line up for 1,000 hours (past 2^31 ms)
// shows, answers and logs its whole time.
TEST_F(LineCommandsTest, ALineUpForAThousandHoursCountsEveryHour) {
    settings.UseBeforeCon = true;
    settings.Easylog = true;
    settings.DialogClose = false;  // its waits would add their seconds to the logged time
    settings.LogFolder = "C:\\logs";
    shell.beforeConTime = {2026, 10, 27, 20, 0, 0};  // 1,000 hours before now (12-08 12:00)
    AnswerStatus(5, 0);
    controller.lineCommands().RequestStatus();
    shell.onPump = nullptr;
    controller.schedule().TimerTimer();
    EXPECT_EQ(shell.panelText, "1000:00:00");
    EXPECT_EQ(shell.tips.back(), u"ZEP! - 1000:00:00");

    state().WanIP = "203.0.113.7";
    state().IPAssignedTick = shell.tick;
    controller.peers().OnPeerDatagram("192.168.0.11", "RequestNWGCondition");
    ASSERT_EQ(shell.peerDatagrams.size(), 1u);
    EXPECT_EQ(shell.peerDatagrams[0].payload, "Answer,203.0.113.7:3600000000@0");

    controller.routerEvents().OnSyslogDatagram("10.0.0.254", "PPP s01 disconnect successfully");
    EXPECT_EQ(shell.files["C:\\logs\\conlog_202612.txt"], "S01,2026/12/08 12:00:00,2026/10/27 20:00:00,1000:00:00\r\n");
}

// Beyond 49.7 days the tick count cannot hold the time: it counts from the longest it can.
TEST_F(LineCommandsTest, ALineUpLongerThanTheTickCountHoldsStartsFromItsLongestTime) {
    settings.UseBeforeCon = true;
    shell.beforeConTime = {2026, 9, 1, 0, 0, 0};
    AnswerStatus(5, 0);
    controller.lineCommands().RequestStatus();
    EXPECT_EQ(ElapsedMs(shell.tick, state().ConnectStartTick), UINT32_MAX);
}

TEST_F(LineCommandsTest, StatusDownLeavesTheMenusAndNoAnswerChangesNothing) {
    controller.connection().DoConnected();
    AnswerStatus(3, 0);
    controller.lineCommands().RequestStatus();
    EXPECT_FALSE(state().Connected);
    EXPECT_FALSE(state().DestinationListKnown);
    EXPECT_TRUE(menus().ConnectItem(1).visible);
    EXPECT_FALSE(menus().ConnectItem(2).visible);

    shell.onPump = nullptr;
    started_ = 0;
    shell.log.clear();
    controller.connection().DoConnected();
    const uint32_t before = shell.tick;
    controller.lineCommands().RequestStatus();
    EXPECT_EQ(ElapsedMs(shell.tick, before), 10000u);
    EXPECT_TRUE(state().Connected);

    // An answer that comes after the ten seconds is too late as well.
    shell.log.clear();
    controller.connection().DoDisconnected();
    AnswerStatus(5, 1, 10100);
    controller.lineCommands().RequestStatus();
    EXPECT_FALSE(state().Connected);
}

TEST_F(LineCommandsTest, ToolWindowDelaysTheRequestAndABoundEndsTheWait) {
    shell.windowClasses[u"VELKForm"] = 1;
    int pumps = 0;
    shell.onPump = [&] {
        if (++pumps == 20) shell.windowClasses[u"VELKForm"] = 0;  // closes after 2 s
        if (Opens("-sts1") && pumps > 20) controller.OnStatusReply(5, 0);
        EXPECT_TRUE(pumps > 20 || Opens("-sts1") == 0);
    };
    controller.lineCommands().RequestStatus();
    EXPECT_EQ(Opens("-sts1"), 1);
    EXPECT_TRUE(state().Connected);

    shell.windowClasses[u"VELKForm"] = 1;  // never closes
    shell.onPump = nullptr;
    shell.log.clear();
    controller.lineCommands().RequestStatus();
    EXPECT_EQ(Opens("-sts1"), 0);
}

TEST_F(LineCommandsTest, LibraryStatusReadsTheBufferAndNamesTheDestinations) {
    settings.UseMRLDll = true;
    shell.condition = 5;
    shell.libraryBuffer.assign(10240, '\0');
    shell.libraryBuffer[64] = 3;
    for (int i = 0; i < 4; ++i) {
        shell.libraryBuffer[68 + 2 * i] = 1;
        shell.libraryBuffer.replace(76 + 40 * i, 5, "Site" + std::to_string(i + 1));
    }
    controller.lineCommands().RequestStatus();
    EXPECT_TRUE(state().Connected);
    EXPECT_TRUE(menus().ConnectItem(4).checked);
    EXPECT_EQ(menus().ConnectItem(4).caption, u"接続-Site4");
    EXPECT_EQ(state().DefaultLineCaption, "Site4");
    EXPECT_EQ(Opens(""), 0);

    controller.lineCommands().SetDefaultDestination(2);
    controller.lineCommands().SetDefaultDestination(5);
    EXPECT_EQ(shell.log.back(), "lib site 1");
}

TEST_F(LineCommandsTest, MissingDestinationFileGivesUnusableItems) {
    shell.files.erase("C:\\Tools\\Velk.txt");
    controller.lineCommands().BuildDestinationMenus(1);
    for (int n = 1; n <= 4; ++n) {
        EXPECT_FALSE(menus().ConnectItem(n).visible);
        EXPECT_EQ(menus().ConnectItem(n).caption, u"接続-");
    }
    EXPECT_TRUE(menus().ConnectItem(1).checked);
}

TEST_F(LineCommandsTest, TrayConnectWithTheDestinationList) {
    controller.lineCommands().BuildDestinationMenus(1);
    // The current destination connects at once.
    controller.lineCommands().TrayConnectClick(1);
    EXPECT_TRUE(shell.questions.empty());
    EXPECT_EQ(shell.log.back(), "open C:\\Tools\\Velk.exe [-i10.0.0.254 -con1] in []");

    // Another one while the line is up: the error box and nothing issued.
    controller.connection().DoConnected();
    shell.log.clear();
    controller.lineCommands().TrayConnectClick(3);
    EXPECT_EQ(shell.boxes.back(), u"接続中は接続先の変更を行えません。\r\nこれはNetGenesisの仕様です。");
    EXPECT_EQ(Opens(""), 0);

    // Line down: asked; No issues nothing, Yes changes the destination and then connects.
    controller.connection().DoDisconnected();
    shell.answerYes = false;
    controller.lineCommands().TrayConnectClick(3);
    EXPECT_EQ(shell.questions.back(), u"デフォルトの接続先が変更されます。\r\nよろしいですか？");
    EXPECT_EQ(Opens(""), 0);
    shell.answerYes = true;
    shell.windowClasses[u"TVELKForm"] = 1;  // never closes: the look ends after 5 s
    const uint32_t before = shell.tick;
    controller.lineCommands().TrayConnectClick(3);
    EXPECT_GE(ElapsedMs(shell.tick, before), 5000u);
    EXPECT_LE(ElapsedMs(shell.tick, before), 5100u);
    ASSERT_GE(shell.log.size(), 2u);
    EXPECT_EQ(shell.log[shell.log.size() - 2], "open C:\\Tools\\Velk.exe [-i10.0.0.254 -def1 2] in []");
    EXPECT_EQ(shell.log.back(), "open C:\\Tools\\Velk.exe [-i10.0.0.254 -con1] in []");
    // Choosing does not move the marks: the router's report does.
    EXPECT_TRUE(menus().ConnectItem(1).checked);
}

TEST_F(LineCommandsTest, SettingsPopupChoosesWithoutAskingButNotWhileUp) {
    controller.lineCommands().BuildDestinationMenus(1);
    controller.lineCommands().DestinationPopupClick(4);
    EXPECT_EQ(shell.log.back(), "open C:\\Tools\\Velk.exe [-i10.0.0.254 -def1 3] in []");
    EXPECT_TRUE(shell.questions.empty());
    controller.connection().DoConnected();
    shell.log.clear();
    controller.lineCommands().DestinationPopupClick(2);
    EXPECT_EQ(Opens(""), 0);
    EXPECT_EQ(shell.boxes.size(), 1u);
    controller.lineCommands().ResetDestinationMenus();
    EXPECT_EQ(controller.lineCommands().destinationPanelTag(), -1);
    EXPECT_FALSE(menus().ConnectItem(2).visible);
}

TEST_F(LineCommandsTest, ResumeAsksOnlyVelkOrTheLibrary) {
    shell.internalNames[tool] = "NWGSet";
    controller.lineCommands().ResumedFromSuspend();
    EXPECT_EQ(Opens(""), 0);
    settings.UseMRLDll = true;
    controller.lineCommands().ResumedFromSuspend();
    EXPECT_EQ(shell.log.back(), "lib condition");
    shell.internalNames.erase(tool);  // no version: the error box, and the step stops
    shell.log.clear();
    controller.lineCommands().ResumedFromSuspend();
    EXPECT_TRUE(shell.log.empty());
    EXPECT_EQ(shell.boxes.size(), 1u);
}

TEST_F(LineCommandsTest, FindWritesTheAddressThenAsksTheStatus) {
    shell.onPump = [this] {
        if (Opens("-find") && !Opens("-sts1")) controller.OnStatusReply(256, 0xC0A80001u);
    };
    controller.lineCommands().FindRouter(tool);
    EXPECT_EQ(settings.IPAddress, "192.168.0.1");
    EXPECT_EQ(Opens("[-i192.168.0.1 -sts1 -w TZEPHiddenForm]"), 1);
}

TEST_F(LineCommandsTest, AToolWithoutAVersionStopsTheSearchAndKeepsTheDestinations) {
    AnswerStatus(kStatusLineDown, 2);  // the destinations are known
    controller.lineCommands().RequestStatus();
    shell.onPump = nullptr;
    ASSERT_TRUE(state().DestinationListKnown);
    shell.log.clear();
    shell.files["C:\\other\\noversion.exe"] = "exe";
    controller.lineCommands().FindRouter("C:\\other\\noversion.exe");
    EXPECT_EQ(shell.boxes.size(), 1u);
    EXPECT_TRUE(state().DestinationListKnown);
    EXPECT_EQ(Opens(""), 0);
}

TEST_F(LineCommandsTest, DisconnectPageThatDoesNotStartDoesNotHoldTheDisconnect) {
    state().ConnectPageUploaded = true;
    settings.FTPAutoDiscon = true;
    const uint32_t before = shell.tick;
    controller.lineCommands().DisconnectAction();
    EXPECT_EQ(shell.tick, before);
    EXPECT_EQ(Opens("-cut1"), 1);
}

TEST_F(LineCommandsTest, ToolsInAFolderWithDoubleByteNamesStartInThatFolder) {
    // "表" (0x95 0x5C) ends in the byte of a backslash: the folder is the whole name before the tool.
    const std::string folder = "C:\\\x95\x5C\\";
    settings.SetupUtility = folder + "Velk.exe";
    controller.lineCommands().ScheduledConnect();
    controller.lineCommands().DisconnectAction();
    controller.lineCommands().ConnectAction();
    EXPECT_EQ(shell.log[shell.log.size() - 3], "open " + folder + "Velk.exe [-i10.0.0.254 -con1] in [" + folder + "]");
    EXPECT_EQ(shell.log[shell.log.size() - 2], "open " + folder + "Velk.exe [-i10.0.0.254 -cut1] in [" + folder + "]");
    EXPECT_EQ(shell.log.back(), "open " + folder + "Velk.exe [-i10.0.0.254 -con1] in []");
}

class SwitchOnLibraryTest : public LineCommandsTest {
protected:
    void SetUp() override {
        LineCommandsTest::SetUp();
        settings.UseMRLDll = true;  // ticked in the settings window
        shell.informationRecord.assign(kLibraryRecordSize, '\0');
        SetRouter(0x0A0000FE, 0x0002001A);  // 10.0.0.254, firmware 2.001A
        shell.condition = 3;
        shell.log.clear();
    }
    void SetRouter(uint32_t address, uint32_t firmware) {
        for (int i = 0; i < 4; ++i) {
            shell.informationRecord[kRecordRouterAddress + i] = static_cast<char>(address >> (8 * i));
            shell.informationRecord[kRecordFirmware + i] = static_cast<char>(firmware >> (8 * i));
        }
    }
    // What a switch did besides the boxes: the library's calls, the address shown and the rest.
    std::vector<std::string> Refused(std::optional<bool> result) {
        EXPECT_EQ(result, std::optional<bool>(false));
        EXPECT_FALSE(settings.UseMRLDll) << "unticked again";
        EXPECT_EQ(settings.SetupUtility, tool) << "the tool stays";
        return std::exchange(shell.log, {});
    }
};

TEST_F(SwitchOnLibraryTest, TheRouterFoundWithNewFirmwareTakesOverFromTheTool) {
    EXPECT_EQ(controller.lineCommands().SwitchOnLibrary(), std::optional<bool>(true));
    EXPECT_TRUE(settings.UseMRLDll);
    EXPECT_EQ(settings.IPAddress, "10.0.0.254");
    EXPECT_EQ(settings.SetupUtility, "");
    EXPECT_EQ(controller.lineCommands().firmwareVersion(), 0x0002001Au);
    ASSERT_GE(shell.log.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(shell.log.begin(), shell.log.begin() + 4),
              (std::vector<std::string>{"lib find", "lib information", "address 10.0.0.254", "lib condition"}));
    EXPECT_FALSE(state().Connected) << "the library's status: the line is down";
    EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(SwitchOnLibraryTest, EachFailureEndsWithItsBoxAndTheBoxUnticked) {
    shell.libraryBound = false;
    EXPECT_EQ(Refused(controller.lineCommands().SwitchOnLibrary()), std::vector<std::string>{});

    shell.libraryBound = true;
    settings.UseMRLDll = true;
    shell.findResult = -1;
    EXPECT_EQ(Refused(controller.lineCommands().SwitchOnLibrary()), std::vector<std::string>{"lib find"});
    EXPECT_TRUE(shell.boxes.empty()) << "a refused search is not reported";

    shell.findResult = 0;
    shell.log.clear();
    for (std::optional<int32_t> notice : {std::optional<int32_t>(-2), std::optional<int32_t>()}) {
        settings.UseMRLDll = true;
        shell.notice = notice;
        const uint32_t before = shell.tick;
        EXPECT_EQ(Refused(controller.lineCommands().SwitchOnLibrary()).back(), "lib find");
        EXPECT_EQ(shell.boxes.back(), u"NetGenesisを発見する事ができませんでした");
        if (!notice) {
            EXPECT_EQ(ElapsedMs(shell.tick, before), kLibraryNoticeWaitMs) << "no notice: the bound";
        }
    }

    shell.notice = 0;
    settings.UseMRLDll = true;
    shell.informationResult = -5;
    EXPECT_EQ(Refused(controller.lineCommands().SwitchOnLibrary()).back(), "lib information");
    EXPECT_EQ(shell.boxes.back(), u"NetGenesisの状態取得に失敗しました(-5)");
}

TEST_F(SwitchOnLibraryTest, OldFirmwareShowsTheRouterAddressThenRefuses) {
    SetRouter(0xC0A80001, 8719);
    const std::vector<std::string> log = Refused(controller.lineCommands().SwitchOnLibrary());
    EXPECT_EQ(log.back(), "address 192.168.0.1") << "the address is shown before the box";
    EXPECT_EQ(shell.boxes, std::vector<std::u16string>{u"ファームウェアのバージョンが古いため、MRLExhibits.dllが使えません"});
    SetRouter(0xC0A80001, kMinimumFirmware);
    settings.UseMRLDll = true;
    EXPECT_EQ(controller.lineCommands().SwitchOnLibrary(), std::optional<bool>(true));
}

TEST_F(SwitchOnLibraryTest, ASecondSwitchInsideTheWaitForTheNoticeDoesNothing) {
    std::optional<std::optional<bool>> inner;
    shell.notice = std::nullopt;  // the notice comes on the third pump
    int pumps = 0;
    shell.onPump = [&] {
        if (++pumps == 1) inner = controller.lineCommands().SwitchOnLibrary();
        if (pumps == 3) controller.OnLibraryNotify(0, 0);
    };
    EXPECT_EQ(controller.lineCommands().SwitchOnLibrary(), std::optional<bool>(true));
    ASSERT_TRUE(inner.has_value());
    EXPECT_EQ(*inner, std::nullopt);
    EXPECT_EQ(std::count(shell.log.begin(), shell.log.end(), "lib find"), 1);
}

}  // namespace
}  // namespace zep
