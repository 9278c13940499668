// Waits that handle messages, with the events that arrive inside them delivered through the fake
// shell's pump: every wait bounds its own nesting. A request that reaches a running wait again is
// merged into it, never nested inside it (a burst of router lines once nested the dialog-closing
// wait 760 deep and overflowed the stack).
#include <gtest/gtest.h>

#include "controller.h"
#include "controller_fixture.h"
#include "instance.h"
#include "tick_count.h"

namespace zep {
namespace {

class NestedWaitsTest : public ControllerFixture {
protected:
    void SetUp() override {
        settings.SetupUtility = "C:\\tools\\NWGSet.exe";
        controller.Create();
        shell.log.clear();
    }
    void Router(const std::string& line) { controller.routerEvents().OnSyslogDatagram(settings.IPAddress, line); }
    // `count` router lines, one every pumped 100 ms, delivered inside whatever wait is running.
    void LinesDuringWaits(const std::string& line, int count) {
        shell.onPump = [this, line, count, sent = 0]() mutable {
            if (sent < count) {
                ++sent;
                Router(line);
            }
        };
    }
};

TEST_F(NestedWaitsTest, AcceptedLinesInsideTheDialogClosingAreMergedIntoIt) {
    shell.windows = {{11, u"NWGSet - 接続"}, {12, u"NetGenesis セットアップ"}};
    LinesDuringWaits("<30>PPP s01 connect successfully", 50);
    const uint32_t before = shell.tick;
    Router("<30>PPP s01 connect successfully");
    EXPECT_EQ(shell.deepestPump, 1) << "no wait inside the running one";
    // The lines came during the first two runs; each run closes the two dialogs once.
    EXPECT_EQ(shell.closed, (std::vector<uintptr_t>{11, 12, 11, 12, 11, 12, 11, 12}));
    EXPECT_EQ(ElapsedMs(shell.tick, before), 4u * 2000);
    EXPECT_EQ(shell.files.size(), 1u);  // the syslog file
    Router("<30>PPP s01 connect successfully");
    EXPECT_EQ(shell.closed.size(), 10u) << "a line after the flood closes them again";
}

TEST_F(NestedWaitsTest, ADisconnectLineInsideTheDialogClosingStillTakesTheLineDown) {
    Router("<30>PPP s01 connect <-- dial");
    ASSERT_TRUE(state().Connected);
    LinesDuringWaits("<30>PPP s01 disconnect successfully", 1);
    Router("<30>PPP s01 connect successfully");
    EXPECT_FALSE(state().Connected);
    EXPECT_EQ(shell.deepestPump, 1);
}

TEST_F(NestedWaitsTest, SecondCopiesStartedDuringTheBlinkBlinkItOnce) {
    shell.onPump = [this, n = 0]() mutable {
        if (++n <= 20) controller.OnInstanceCommand(kInstanceWake);
    };
    controller.OnInstanceCommand(kInstanceWake);
    EXPECT_EQ(shell.deepestPump, 1);
    EXPECT_EQ(shell.log, (std::vector<std::string>{"tray-", "tray+"}));
}

TEST_F(NestedWaitsTest, RefusedTipsDuringTheBlinkDoNotBlinkInsideIt) {
    controller.connection().DoConnected();
    shell.refuseTip = true;
    shell.log.clear();
    // Every pumped 100 ms a tick, which changes the tip, and a router line, which changes it back.
    shell.onPump = [this, n = 0]() mutable {
        if (++n > 30) return;
        shell.tick += 900;
        controller.schedule().TimerTimer();
        Router("<30>FILTER pass");
    };
    controller.schedule().TimerTimer();
    EXPECT_EQ(shell.deepestPump, 1);
}

TEST_F(NestedWaitsTest, NtpLinesInsideTheClockRequestAreMergedIntoIt) {
    settings.UseSNTP = true;
    std::string reply(48, '\0');
    reply[0] = '\x0C', reply[1] = 2;  // a server's reply
    reply.replace(24, 8, SntpRequest(shell.randomNumber).substr(40));
    reply[40] = '\xBC', reply[41] = '\x17', reply[42] = '\xC2', reply[43] = '\x00';  // 2000-01-01
    shell.onPump = [this, reply, n = 0]() mutable {
        ++n;
        if (n <= 10) Router("<30>CLOCK:NTP: adjust +3 sec");
        if (n == 12) controller.routerEvents().OnTimeDatagram(settings.IPAddress, kSntpPort, reply);
    };
    Router("<30>CLOCK:NTP: adjust +3 sec");
    EXPECT_EQ(shell.deepestPump, 1);
    EXPECT_EQ(shell.timeRequests.size(), 1u);
    ASSERT_EQ(shell.clockSettings.size(), 1u);
    EXPECT_EQ(shell.clockSettings[0].year, 2000);
}

TEST_F(NestedWaitsTest, AFindRequestInsideTheFindIsNotStarted) {
    const std::string tool = "C:\\tools\\Velk.exe";
    shell.files[tool] = "exe";
    shell.internalNames[tool] = "VELK";
    shell.onPump = [this, tool, depth = 0]() mutable {
        EXPECT_TRUE(controller.lineCommands().findingRouter());
        if (depth > 3) return;  // a bound for the fault this test looks for
        ++depth;
        controller.lineCommands().FindRouter(tool);
        --depth;
    };
    controller.lineCommands().FindRouter(tool);
    EXPECT_FALSE(controller.lineCommands().findingRouter());
    EXPECT_EQ(std::count(shell.log.begin(), shell.log.end(), "open " + tool + " [-find -w TZEPHiddenForm] in []"), 1);
    EXPECT_EQ(shell.deepestPump, 1);
}

}  // namespace
}  // namespace zep
