#include <algorithm>

#include <gtest/gtest.h>

#include "controller.h"
#include "controller_fixture.h"
#include "date_time.h"

namespace zep {
namespace {

TEST(Countdown, RemainingSecondsAndTheLateTick) {
    EXPECT_EQ(CountdownAt(0).remaining, 10);
    EXPECT_EQ(CountdownAt(999).remaining, 10);
    EXPECT_EQ(CountdownAt(1000).remaining, 9);
    EXPECT_EQ(CountdownAt(9000).remaining, 1);
    EXPECT_FALSE(CountdownAt(9999).accept);
    EXPECT_TRUE(CountdownAt(10000).accept);
    const CountdownTick late = CountdownAt(10900);
    EXPECT_EQ(late.remaining, 0);
    EXPECT_EQ(late.gauge, 100);
    EXPECT_TRUE(late.accept);
    EXPECT_EQ(CountdownAt(60000).remaining, 0);
    EXPECT_TRUE(CountdownAt(500).attention);
    EXPECT_FALSE(CountdownAt(600).attention);
}

class TimerLoopTest : public ControllerFixture {
protected:
    void SetUp() override {
        settings.SetupUtility = "C:\\Tools\\Velk.exe";
        settings.IPAddress = "10.0.0.254";
        controller.Create();
    }
    // Ticks once a second on the virtual clock until `seconds` have passed; the local clock follows.
    void RunSeconds(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            const uint32_t before = shell.tick;
            shell.tick += 1000;
            Advance(1);
            controller.schedule().TimerTimer();
            // A modal countdown moves the clock on: the local time catches up.
            Advance(static_cast<int>(ElapsedMs(shell.tick, before) / 1000) - 1);
        }
    }
    void Advance(int s) {
        int total = shell.now.hour * 3600 + shell.now.minute * 60 + shell.now.second + s;
        total %= 86400;
        shell.now.hour = total / 3600, shell.now.minute = total / 60 % 60, shell.now.second = total % 60;
    }
    void SetTime(int h, int m, int s) { shell.now.hour = h, shell.now.minute = m, shell.now.second = s; }
    uint32_t Elapsed() { return ElapsedMs(shell.tick, state().ConnectStartTick) / 1000; }
    int Count(const std::string& line) { return static_cast<int>(std::count(shell.log.begin(), shell.log.end(), line)); }
    const std::string disconnect = "open C:\\Tools\\Velk.exe [-i10.0.0.254 -cut1] in [C:\\Tools\\]";
    const std::string scheduledConnect = "open C:\\Tools\\Velk.exe [-i10.0.0.254 -con1] in [C:\\Tools\\]";

    void ManualConnectionWithAddress() {
        settings.AutoTimeDisconnect = true;
        settings.AutoTimeDisconnectSecond = 170;
        SetTime(12, 0, 0);
        controller.lineCommands().ConnectAction();
        controller.connection().DoConnected();
        state().WanIP = "203.0.113.7";
    }
};

TEST_F(TimerLoopTest, OfferAt160sAcceptedUntouchedAt170s) {
    ManualConnectionWithAddress();
    RunSeconds(159);
    EXPECT_TRUE(shell.countdowns.empty());
    RunSeconds(1);
    ASSERT_EQ(shell.countdowns.size(), 1u);
    EXPECT_EQ(shell.countdowns[0].caption, u"切断確認");
    EXPECT_EQ(shell.countdowns[0].message, u"切断後170秒が経過します。\r\n切断してもよろしいですか？");
    EXPECT_EQ(shell.countdowns[0].accept, u"切断(&A)");
    EXPECT_EQ(ElapsedMs(shell.countdowns[0].shownAt, state().ConnectStartTick), 160000u);
    EXPECT_EQ(Elapsed(), 170u);
    EXPECT_EQ(shell.log[shell.log.size() - 3], "beep");
    EXPECT_EQ(shell.log.back(), disconnect);
    EXPECT_TRUE(state().DisconnectRequested);
    RunSeconds(400);
    EXPECT_EQ(shell.countdowns.size(), 1u);
    EXPECT_EQ(Count(disconnect), 1);
}

TEST_F(TimerLoopTest, CancelledOffersComeBackAt330And500OnlyWithTheRepeatOption) {
    settings.AutoTimeAgainCheck = true;
    shell.countdownAnswers = {false, false, false};
    ManualConnectionWithAddress();
    RunSeconds(600);
    ASSERT_EQ(shell.countdowns.size(), 3u);
    const uint32_t start = state().ConnectStartTick;
    EXPECT_EQ(ElapsedMs(shell.countdowns[1].shownAt, start), 330000u);
    EXPECT_EQ(ElapsedMs(shell.countdowns[2].shownAt, start), 500000u);
    EXPECT_EQ(shell.countdowns[2].message.substr(0, 7), u"切断後170秒");
    EXPECT_EQ(Count(disconnect), 0);

    settings.AutoTimeAgainCheck = false;
    shell.countdowns.clear();
    shell.countdownAnswers = {false};
    ManualConnectionWithAddress();
    RunSeconds(600);
    EXPECT_EQ(shell.countdowns.size(), 1u);
}

TEST_F(TimerLoopTest, NoOfferAndNoAutorunWithoutTheAddress) {
    settings.Autorun[0] = {"tool", true, false, "x.exe", "", "", 0, false};
    ManualConnectionWithAddress();
    state().WanIP.clear();
    RunSeconds(400);
    EXPECT_TRUE(shell.countdowns.empty());
    EXPECT_FALSE(settings.Autorun[0].Launched);
}

TEST_F(TimerLoopTest, DailyWindowAndUnarmedConnectionsAreNotOffered) {
    settings.AutoTimeDisconnect = true;
    settings.AutoTimeDisconnectSecond = 20;
    SetTime(23, 30, 0);  // inside 23:00-7:50
    controller.lineCommands().ConnectAction();
    controller.connection().DoConnected();
    state().WanIP = "203.0.113.7";
    RunSeconds(60);
    controller.connection().DoDisconnected();
    state().ElapsedDisconnectArmed = false;  // as at start-up
    SetTime(12, 0, 0);
    controller.connection().DoConnected();  // the router came up on its own: not armed
    state().WanIP = "203.0.113.7";
    RunSeconds(60);
    EXPECT_TRUE(shell.countdowns.empty());
}

TEST_F(TimerLoopTest, AutorunWaitsForItsSecondsAndStopsAtAnEmptyName) {
    settings.Autorun[0] = {"a", true, false, "a.exe", "", "", 0, false};
    settings.Autorun[1] = {"b", true, false, "b.exe", "", "", 30, false};
    settings.Autorun[3] = {"d", true, false, "d.exe", "", "", 0, false};  // behind the empty entry 2
    settings.Autorun[4] = {"e", true, true, "e.exe", "", "", 0, false};
    SetTime(12, 0, 0);
    controller.connection().DoConnected();
    RunSeconds(5);
    state().WanIP = "203.0.113.7";
    state().IPAssignedTick = shell.tick;
    RunSeconds(1);
    EXPECT_TRUE(settings.Autorun[0].Launched);
    EXPECT_FALSE(settings.Autorun[1].Launched);
    RunSeconds(29);
    EXPECT_TRUE(settings.Autorun[1].Launched);
    EXPECT_FALSE(settings.Autorun[3].Launched);
    settings.Autorun[2] = {"c", false, false, "c.exe", "", "", 0, false};
    RunSeconds(1);
    EXPECT_TRUE(settings.Autorun[3].Launched);
    EXPECT_FALSE(settings.Autorun[4].Launched) << "only for connections of the daily window";
}

TEST_F(TimerLoopTest, AnEntryWhoseStartRunsAMessageLoopStartsOnce) {
    // Opening a document runs its association, which handles messages for a while: the timer
    // ticks inside the start.
    settings.Autorun[0] = {"page", true, false, "C:\\notes\\today.txt", "", "", 0, false};
    controller.connection().DoConnected();
    state().WanIP = "203.0.113.7";
    shell.openPumpsMs = 2000;
    shell.onPump = [this, depth = 0]() mutable {
        if (depth > 3) return;  // a bound for the fault this test looks for
        ++depth;
        controller.schedule().TimerTimer();
        --depth;
    };
    controller.schedule().TimerTimer();
    EXPECT_EQ(Count("open C:\\notes\\today.txt [] in []"), 1);
}

TEST_F(TimerLoopTest, DailyDisconnectOncePerRequest) {
    settings.AutoDisconnect = true;
    SetTime(7, 49, 0);
    controller.connection().DoConnected();
    controller.lineCommands().TrayDisconnectClick();
    RunSeconds(90);  // through 07:50
    EXPECT_EQ(Count(disconnect), 1);

    controller.connection().DoDisconnected();
    SetTime(7, 49, 58);
    controller.connection().DoConnected();
    RunSeconds(90);
    EXPECT_EQ(Count(disconnect), 2);
}

TEST_F(TimerLoopTest, DailyConnectAfterTheLineWentDownInTheSameMinute) {
    settings.AutoConnect = true;
    SetTime(22, 59, 50);
    controller.connection().DoConnected();
    RunSeconds(40);  // 23:00:30, line up: nothing
    EXPECT_EQ(Count(scheduledConnect), 0);
    controller.connection().DoDisconnected();
    RunSeconds(1);
    EXPECT_EQ(Count(scheduledConnect), 1);
    EXPECT_TRUE(state().AutoConnectFired);
    RunSeconds(120);
    EXPECT_EQ(Count(scheduledConnect), 1);
    EXPECT_FALSE(state().AutoConnectFired) << "re-armed after 60 s";
    EXPECT_FALSE(state().ElapsedDisconnectArmed) << "the schedule does not arm the offer";
}

TEST_F(TimerLoopTest, DailyConnectMissedWhenTheLineWentDownAfterTheMinute) {
    settings.AutoConnect = true;
    SetTime(22, 59, 50);
    controller.connection().DoConnected();
    RunSeconds(70);  // 23:01:00
    controller.connection().DoDisconnected();
    RunSeconds(3600);
    EXPECT_EQ(Count(scheduledConnect), 0);
}

TEST_F(TimerLoopTest, DailyConnectThroughTheLibrary) {
    settings.AutoConnect = true;
    settings.UseMRLDll = true;
    state().ConnectPageUploaded = true;
    SetTime(22, 59, 59);
    RunSeconds(1);
    EXPECT_EQ(shell.log.back(), "lib connect");
    EXPECT_FALSE(state().ConnectPageUploaded);
}

TEST_F(TimerLoopTest, TimesAcrossTheTickCountWrap) {
    settings.AutoConnect = true;
    shell.tick = 0xFFFFFFFFu - 30000;
    SetTime(23, 0, 0);
    RunSeconds(1);
    EXPECT_TRUE(state().AutoConnectFired);
    RunSeconds(59);  // the count has wrapped
    EXPECT_TRUE(state().AutoConnectFired);
    RunSeconds(2);
    EXPECT_FALSE(state().AutoConnectFired);

    shell.tick = 0xFFFFFFFFu - 1500;
    controller.connection().DoConnected();
    RunSeconds(3);
    EXPECT_EQ(shell.panelText, "00:00:03");
}

TEST_F(TimerLoopTest, HundredHoursAndTheSyslogPicture) {
    controller.connection().DoConnected();
    state().ConnectStartTick = shell.tick - 100u * 3600 * 1000 + 1000;
    state().SyslogHeard = true;
    RunSeconds(1);
    EXPECT_EQ(shell.panelText, "100:00:00");
    EXPECT_EQ(shell.tips.back(), u"ZEP! - 100:00:00");
    EXPECT_EQ(shell.pictures.back(), TrayPicture::Connect);
    EXPECT_FALSE(state().SyslogHeard);
}

TEST_F(TimerLoopTest, AnOfferForAConnectionThatEndedMeanwhileIsDropped) {
    ManualConnectionWithAddress();
    shell.onPump = [this] {
        if (!shell.countdowns.empty() && state().Connected) controller.connection().DoDisconnected();
    };
    RunSeconds(160);
    ASSERT_EQ(shell.countdowns.size(), 1u);
    EXPECT_EQ(Count(disconnect), 0);
}

}  // namespace
}  // namespace zep
