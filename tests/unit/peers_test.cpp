// Copies on one LAN asking each other for the line's details, and the router's clock.
#include <gtest/gtest.h>

#include "controller.h"
#include "controller_fixture.h"
#include "peer_datagrams.h"
#include "sntp.h"

namespace zep {
namespace {

TEST(PeerDatagramsTest, AnswerTextAndItsReadingAgree) {
    const PeerAnswer a{"203.0.113.7", 5'400'000, 5'390'000};
    EXPECT_EQ(StatusAnswerText(a), "Answer,203.0.113.7:5400000@5390000");
    auto back = ParseStatusAnswer(StatusAnswerText(a));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->wanIP, "203.0.113.7");
    EXPECT_EQ(back->connectedMs, 5'400'000u);
    EXPECT_EQ(back->ipAssignedMs, 5'390'000u);
    EXPECT_EQ(ParseStatusAnswer("Answer,1.2.3.4:4294967295@0")->connectedMs, 4294967295u);
}

TEST(PeerDatagramsTest, PayloadsThatAreNotUsableAnswers) {
    for (const char* p : {"Answer,1.2.3.4:100", "Answer1.2.3.4:100@5", "answer,1.2.3.4:1@2", " Answer,1.2.3.4:1@2",
                          "Answer,1.2.3.4:1x@2", "Answer,1.2.3.4:@2", "Answer,1.2.3.4:1@", "Answer,1.2.3.4:1@2\r\n",
                          "Answer,1.2.3.4:-1@2", "Answer,1.2.3.4:4294967296@2", "Answer,1.2.3.4:99999999999@2",
                          "Answer,:1@2", "Answer@1,2:3", "RequestNWGCondition",
                          "Answer,<script>x</script>:1@2", "Answer,1.2.3.4\r\n:1@2"})
        EXPECT_FALSE(ParseStatusAnswer(p)) << p;
    // The times are read from the first ":" on, the address up to the first ":" after the comma.
    auto odd = ParseStatusAnswer("Answer,host:80:1@2");
    EXPECT_FALSE(odd);  // "80:1" is not a number
    // The address as the other copy stored it, a leading blank included; not an essay.
    EXPECT_EQ(ParseStatusAnswer("Answer, 203.0.113.7:1@2")->wanIP, " 203.0.113.7");
    EXPECT_FALSE(ParseStatusAnswer("Answer," + std::string(65, '1') + ":1@2"));
}

class PeerQueryTest : public ControllerFixture {
protected:
    void SetUp() override {
        shell.files["C:\\zep\\connect.htm"] = "<!--ip-->";
        controller.Create();
    }
    void KnowAddress() {
        shell.tick = 100'000;
        state().ConnectStartTick = 10'000;
        state().IPAssignedTick = 20'000;
        state().WanIP = "203.0.113.7";
    }
    // The shell ends the pause after a datagram.
    void PauseOver() {
        shell.tick += 1000;
        controller.peers().PeerPauseOver();
    }
};

TEST_F(PeerQueryTest, AQueryIsAnsweredOnlyWhenTheAddressIsKnownAndTheWholePayloadMatches) {
    controller.peers().OnPeerDatagram("192.168.0.11", "RequestNWGCondition");
    EXPECT_TRUE(shell.peerDatagrams.empty());

    KnowAddress();
    controller.peers().OnPeerDatagram("192.168.0.11", "RequestNWGCondition\r\n");
    controller.peers().OnPeerDatagram("192.168.0.11", "requestnwgcondition");
    EXPECT_TRUE(shell.peerDatagrams.empty());

    controller.peers().OnPeerDatagram("192.168.0.11", "RequestNWGCondition");
    ASSERT_EQ(shell.peerDatagrams.size(), 1u);
    EXPECT_EQ(shell.peerDatagrams[0].address, "192.168.0.11");
    EXPECT_EQ(shell.peerDatagrams[0].payload, "Answer,203.0.113.7:90000@80000");
    EXPECT_TRUE(state().QueryBusy);
    EXPECT_EQ(shell.peerPauses, std::vector<uint32_t>{1000});
    PauseOver();
    EXPECT_FALSE(state().QueryBusy);
}

TEST_F(PeerQueryTest, AnAnswerIsAdoptedWhileTheAddressIsUnknownAndMakesThePageQuietly) {
    shell.tick = 5'000;  // the answering copy's times are larger than this copy's tick count
    shell.log.clear();
    controller.peers().OnPeerDatagram("192.168.0.11", "Answer,203.0.113.7:5400000@5390000");
    const ControllerState& s = state();
    EXPECT_EQ(s.WanIP, "203.0.113.7");
    EXPECT_EQ(s.ConnectStartTick, 5'000u - 5'400'000u);  // wraps like the tick count
    EXPECT_EQ(ElapsedMs(shell.tick, s.ConnectStartTick), 5'400'000u);
    EXPECT_EQ(ElapsedMs(shell.tick, s.IPAssignedTick), 5'390'000u);
    EXPECT_TRUE(menus().Item(kTrayIP).enabled);
    EXPECT_EQ(shell.files[settings.HTMLFile], "203.0.113.7\r\n");
    EXPECT_TRUE(shell.log.empty());  // no sound
    EXPECT_TRUE(shell.peerDatagrams.empty());

    // The first answer wins; its own answers carry what it learned.
    controller.peers().OnPeerDatagram("192.168.0.12", "Answer,198.51.100.9:1@1");
    EXPECT_EQ(s.WanIP, "203.0.113.7");
    shell.tick += 2'000;
    controller.peers().OnPeerDatagram("192.168.0.13", "RequestNWGCondition");
    ASSERT_EQ(shell.peerDatagrams.size(), 1u);
    EXPECT_EQ(shell.peerDatagrams[0].payload, "Answer,203.0.113.7:5402000@5392000");
}

TEST_F(PeerQueryTest, AnUnreadableAnswerChangesNothingAndShowsNothing) {
    const ControllerState before = state();
    controller.peers().OnPeerDatagram("192.168.0.11", "Answer,203.0.113.7:abc@5");
    controller.peers().OnPeerDatagram("192.168.0.11", "Answer,203.0.113.7:5@abc");
    EXPECT_EQ(state().ConnectStartTick, before.ConnectStartTick);
    EXPECT_EQ(state().IPAssignedTick, before.IPAssignedTick);
    EXPECT_TRUE(state().WanIP.empty());
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_FALSE(menus().Item(kTrayIP).enabled);
    // A good answer after it is still adopted.
    controller.peers().OnPeerDatagram("192.168.0.11", "Answer,203.0.113.7:5@5");
    EXPECT_EQ(state().WanIP, "203.0.113.7");
}

TEST_F(PeerQueryTest, AnAnswerWithoutThePageSettingMakesNoPage) {
    settings.HTMLAutoCreate = false;
    controller.peers().OnPeerDatagram("192.168.0.11", "Answer,203.0.113.7:5@5");
    EXPECT_EQ(shell.files.count(settings.HTMLFile), 0u);
}

TEST_F(PeerQueryTest, AFloodOfQueriesSendsOneDatagramASecondToABoundedQueue) {
    KnowAddress();
    for (int round = 0; round < 50; ++round)
        for (int host = 2; host < 40; ++host)
            controller.peers().OnPeerDatagram("192.168.0." + std::to_string(host), "RequestNWGCondition");
    EXPECT_EQ(shell.peerDatagrams.size(), 1u);  // the rest wait for the pause to end
    for (int i = 0; i < 20; ++i) PauseOver();
    ASSERT_EQ(shell.peerDatagrams.size(), 1 + kPeerSendQueueLimit);
    for (size_t i = 1; i < shell.peerDatagrams.size(); ++i)
        EXPECT_GE(shell.peerDatagrams[i].sentAt - shell.peerDatagrams[i - 1].sentAt, 1000u);
    // Each asker once: the queue does not hold the same asker twice.
    std::set<std::string> askers;
    for (const auto& d : shell.peerDatagrams) askers.insert(d.address);
    EXPECT_EQ(askers.size(), shell.peerDatagrams.size());
}

TEST_F(PeerQueryTest, AnAnswerThatWaitedPastTheLineGoingDownIsNotSent) {
    KnowAddress();
    controller.peers().OnPeerDatagram("192.168.0.11", "RequestNWGCondition");
    controller.peers().OnPeerDatagram("192.168.0.12", "RequestNWGCondition");
    controller.DoDisconnected();
    PauseOver();
    EXPECT_EQ(shell.peerDatagrams.size(), 1u);
    EXPECT_FALSE(state().QueryBusy);
}

TEST_F(PeerQueryTest, TheQueryIsBroadcastAfterAStatusRequestFindsTheLineUp) {
    settings.ZEPConRequest = true;
    controller.peers().StatusQuery();
    ASSERT_EQ(shell.peerDatagrams.size(), 1u);
    EXPECT_EQ(shell.peerDatagrams[0].address, "255.255.255.255");
    EXPECT_EQ(shell.peerDatagrams[0].payload, "RequestNWGCondition");
    // Hearing its own broadcast, the copy does not answer it.
    controller.peers().OnPeerDatagram("192.168.0.10", "RequestNWGCondition");
    PauseOver();
    EXPECT_EQ(shell.peerDatagrams.size(), 1u);
}

TEST(SntpTest, TheRequestIsVersionOneClientModeWithZeroTimestamps) {
    const std::string r = SntpRequest();
    ASSERT_EQ(r.size(), 48u);
    EXPECT_EQ(r[0], '\x0B');
    EXPECT_EQ(r.find_first_not_of('\0', 1), std::string::npos);
}

std::string Reply(uint32_t seconds, uint32_t fraction, size_t size = 48) {
    std::string r(size, '\0');
    for (int i = 0; i < 4; ++i) {
        if (40 + i < static_cast<int>(size)) r[40 + i] = static_cast<char>(seconds >> (24 - 8 * i));
        if (44 + i < static_cast<int>(size)) r[44 + i] = static_cast<char>(fraction >> (24 - 8 * i));
    }
    return r;
}

TEST(SntpTest, TransmitTimeToCalendar) {
    EXPECT_EQ(SntpTransmitTime(Reply(3'155'673'600u, 2'147'483'648u)), (UtcTime{2000, 1, 6, 1, 0, 0, 0, 500}));
    // 2026-12-08 12:34:56 UTC, a Tuesday, with a fraction just under a second that rounds up to the next one.
    EXPECT_EQ(SntpTransmitTime(Reply(4'005'722'096u, 0xFFFFFFFFu)), (UtcTime{2026, 12, 2, 8, 12, 34, 57, 0}));
    EXPECT_EQ(SntpTransmitTime(Reply(0, 0)), (UtcTime{1900, 1, 1, 1, 0, 0, 0, 0}));
    // Longer replies are fine; shorter ones are not used.
    EXPECT_TRUE(SntpTransmitTime(Reply(3'155'673'600u, 0, 68)));
    EXPECT_FALSE(SntpTransmitTime(Reply(3'155'673'600u, 0, 47)));
}

class RouterClockTest : public PeerQueryTest {
protected:
    void SetUp() override {
        PeerQueryTest::SetUp();
        settings.UseSNTP = true;
        settings.IPAddress = "192.168.0.1";
    }
    void NtpLine() { controller.routerEvents().OnSyslogDatagram("192.168.0.1", "<29>:NTP: clock adjusted"); }
    void ReplyAfter(uint32_t ms, const std::string& sender, std::string reply) {
        const uint32_t due = shell.tick + ms;
        shell.onPump = [=, this] {
            if (shell.tick >= due && state().SntpReply.empty()) controller.routerEvents().OnTimeDatagram(sender, reply);
        };
    }
};

TEST_F(RouterClockTest, AnNtpLineAsksTheRouterOnceAndSetsTheClockFromItsReply) {
    ReplyAfter(300, "192.168.0.1", Reply(3'155'673'600u, 2'147'483'648u));
    NtpLine();
    ASSERT_EQ(shell.timeRequests.size(), 1u);
    EXPECT_EQ(shell.timeRequests[0].address, "192.168.0.1");
    EXPECT_EQ(shell.timeRequests[0].payload, SntpRequest());
    ASSERT_EQ(shell.clockSettings.size(), 1u);
    EXPECT_EQ(shell.clockSettings[0], (UtcTime{2000, 1, 6, 1, 0, 0, 0, 500}));
}

TEST_F(RouterClockTest, TheClockIsLeftAloneWithoutAUsableReplyInTime) {
    ReplyAfter(300, "192.168.0.99", Reply(3'155'673'600u, 0));  // not the router
    NtpLine();
    ReplyAfter(300, "192.168.0.1", Reply(3'155'673'600u, 0, 47));
    NtpLine();
    ReplyAfter(3'100, "192.168.0.1", Reply(3'155'673'600u, 0));  // too late
    NtpLine();
    EXPECT_EQ(shell.timeRequests.size(), 3u);
    EXPECT_TRUE(shell.clockSettings.empty());
    EXPECT_TRUE(shell.boxes.empty());

    settings.UseSNTP = false;
    NtpLine();
    EXPECT_EQ(shell.timeRequests.size(), 3u);
}

}  // namespace
}  // namespace zep
