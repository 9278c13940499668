// Copies on one LAN asking each other for the line's details, and the router's clock.
#include <gtest/gtest.h>

#include <algorithm>

#include "controller.h"
#include "controller_fixture.h"
#include "peer_datagrams.h"
#include "sntp.h"
#include "texts_ja.h"

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
    // Only an IPv4 literal, and nothing after it.
    for (const char* p : {"Answer,evil.example:1@2", "Answer,1.2.3.256:1@2", "Answer,x1.2.3.4:1@2",
                          "Answer,1.2.3.4 :1@2", "Answer,1.2.3.4,:1@2", "Answer,2001:db8::7:1@2"})
        EXPECT_FALSE(ParseStatusAnswer(p)) << p;
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

TEST_F(PeerQueryTest, AForgedAnswerLeavesAddressPageAndCopyItemAsTheyWere) {
    settings.HTMLAutoCreate = true;
    controller.connection().DoConnected();
    const uint32_t started = state().ConnectStartTick;
    controller.peers().OnPeerDatagram("192.168.0.66", "Answer,evil.example:99000@98000");
    EXPECT_EQ(state().WanIP, "");
    EXPECT_EQ(state().ConnectStartTick, started);
    EXPECT_FALSE(menus().Item(kTrayIP).enabled);
    EXPECT_EQ(shell.files.count(settings.HTMLFile), 0u);
    // A real answer is still taken afterwards.
    controller.peers().OnPeerDatagram("192.168.0.11", "Answer,203.0.113.7:99000@98000");
    EXPECT_EQ(state().WanIP, "203.0.113.7");
    EXPECT_EQ(shell.files[settings.HTMLFile], "203.0.113.7\r\n");
}

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
    controller.connection().DoDisconnected();
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

constexpr uint64_t kTransmit = 0x0123456789ABCDEF;  // the fake shell's random number

TEST(SntpTest, TheRequestIsVersionOneClientModeCarryingItsTransmitTimestamp) {
    const std::string r = SntpRequest(kTransmit);
    ASSERT_EQ(r.size(), 48u);
    EXPECT_EQ(r[0], '\x0B');
    EXPECT_EQ(r.substr(40), "\x01\x23\x45\x67\x89\xAB\xCD\xEF");
    EXPECT_EQ(r.substr(1, 39), std::string(39, '\0'));
}

// A server's reply (leap 0, version 1, mode 4, stratum 2) to the request carrying `originate`.
std::string Reply(uint32_t seconds, uint32_t fraction, size_t size = 48, uint64_t originate = kTransmit) {
    std::string r(std::max<size_t>(size, 48), '\0');
    r[0] = '\x0C';
    r[1] = 2;
    for (int i = 0; i < 8; ++i) r[24 + i] = static_cast<char>(originate >> (56 - 8 * i));
    for (int i = 0; i < 4; ++i) {
        r[40 + i] = static_cast<char>(seconds >> (24 - 8 * i));
        r[44 + i] = static_cast<char>(fraction >> (24 - 8 * i));
    }
    r.resize(size);
    return r;
}

TEST(SntpTest, OnlyAServersSynchronisedReplyToOurRequestCounts) {
    const std::string good = Reply(3'155'673'600u, 0);
    EXPECT_TRUE(SntpReplyAnswers(good, kTransmit));
    EXPECT_TRUE(SntpReplyAnswers(Reply(3'155'673'600u, 0, 68), kTransmit));
    auto changed = [&good](size_t at, char value) {
        std::string r = good;
        r[at] = value;
        return r;
    };
    const std::pair<const char*, std::string> refused[] = {
        {"47 bytes", Reply(3'155'673'600u, 0, 47)},
        {"another request's originate", Reply(3'155'673'600u, 0, 48, kTransmit + 1)},
        {"no originate", Reply(3'155'673'600u, 0, 48, 0)},
        {"client mode", changed(0, '\x0B')},
        {"broadcast mode", changed(0, '\x0D')},
        {"leap indicator 3", changed(0, '\xCC')},
        {"stratum 0 (kiss of death)", changed(1, 0)},
        {"stratum 16", changed(1, 16)},
        {"transmit time zero", Reply(0, 0)},
    };
    for (const auto& [what, reply] : refused) EXPECT_FALSE(SntpReplyAnswers(reply, kTransmit)) << what;
    // Leap indicators 1 and 2 announce a leap second; stratum 1 and 15 are the ends of the range.
    EXPECT_TRUE(SntpReplyAnswers(changed(0, '\x4C'), kTransmit));
    EXPECT_TRUE(SntpReplyAnswers(changed(0, '\x8C'), kTransmit));
    EXPECT_TRUE(SntpReplyAnswers(changed(1, 1), kTransmit));
    EXPECT_TRUE(SntpReplyAnswers(changed(1, 15), kTransmit));
    // Only the seconds' fraction is there: still a time.
    EXPECT_TRUE(SntpReplyAnswers(Reply(0, 1), kTransmit));
}

TEST(SntpTest, TransmitTimeToCalendarAcrossTheEras) {
    EXPECT_EQ(SntpTransmitTime(Reply(3'155'673'600u, 2'147'483'648u)), (UtcTime{2000, 1, 6, 1, 0, 0, 0, 500}));
    // 2026-12-08 12:34:56 UTC, a Tuesday, with a fraction just under a second that rounds up to the next one.
    EXPECT_EQ(SntpTransmitTime(Reply(4'005'722'096u, 0xFFFFFFFFu)), (UtcTime{2026, 12, 2, 8, 12, 34, 57, 0}));
    // The last second of era 0, and the seconds after the wrap: 2036-02-07 06:28:15 / 06:28:16, a Thursday.
    EXPECT_EQ(SntpTransmitTime(Reply(0xFFFFFFFFu, 0)), (UtcTime{2036, 2, 4, 7, 6, 28, 15, 0}));
    EXPECT_EQ(SntpTransmitTime(Reply(0, 0)), (UtcTime{2036, 2, 4, 7, 6, 28, 16, 0}));
    // 2040-01-01 00:00:00.250, a Sunday: 2^32 seconds less in era 1.
    EXPECT_EQ(SntpTransmitTime(Reply(static_cast<uint32_t>(4'417'977'600u - 4'294'967'296u), 1u << 30)),
              (UtcTime{2040, 1, 0, 1, 0, 0, 0, 250}));
    // The top bit set: era 0 from 1968-01-20 03:14:08 on, before the Unix epoch too.
    EXPECT_EQ(SntpTransmitTime(Reply(0x80000000u, 0)), (UtcTime{1968, 1, 6, 20, 3, 14, 8, 0}));
    EXPECT_EQ(SntpTransmitTime(Reply(2'208'988'799u, 3u << 30)), (UtcTime{1969, 12, 3, 31, 23, 59, 59, 750}));
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
    // Datagrams on the time socket, each at its moment after the NTP line.
    struct Arrival {
        uint32_t afterMs;
        std::string sender;
        uint16_t port;
        std::string payload;
    };
    void Arrive(std::vector<Arrival> arrivals) {
        const uint32_t start = shell.tick;
        shell.onPump = [=, this, next = size_t{0}]() mutable {
            while (next < arrivals.size() && shell.tick - start >= arrivals[next].afterMs) {
                const Arrival& a = arrivals[next++];
                controller.routerEvents().OnTimeDatagram(a.sender, a.port, a.payload);
            }
        };
    }
};

TEST_F(RouterClockTest, AnNtpLineAsksTheRouterOnceAndSetsTheClockFromItsReply) {
    Arrive({{300, "192.168.0.1", 123, Reply(3'155'673'600u, 2'147'483'648u)}});
    NtpLine();
    ASSERT_EQ(shell.timeRequests.size(), 1u);
    EXPECT_EQ(shell.timeRequests[0].address, "192.168.0.1");
    EXPECT_EQ(shell.timeRequests[0].payload, SntpRequest(kTransmit));
    ASSERT_EQ(shell.clockSettings.size(), 1u);
    EXPECT_EQ(shell.clockSettings[0], (UtcTime{2000, 1, 6, 1, 0, 0, 0, 500}));
}

TEST_F(RouterClockTest, ForgedRepliesAreDroppedAndTheWaitGoesOnForTheRoutersOwn) {
    Arrive({{100, "192.168.0.99", 123, Reply(3'155'673'600u, 0)},               // not the router
            {200, "192.168.0.1", 5123, Reply(3'155'673'600u, 0)},               // not its port 123
            {300, "192.168.0.1", 123, Reply(3'155'673'600u, 0, 48, kTransmit ^ 1)},  // wrong originate
            {400, "192.168.0.1", 123, Reply(4'005'722'096u, 0)}});
    NtpLine();
    ASSERT_EQ(shell.clockSettings.size(), 1u);
    EXPECT_EQ(shell.clockSettings[0].year, 2026);
}

TEST_F(RouterClockTest, EachRequestCarriesItsOwnRandomNumber) {
    Arrive({{300, "192.168.0.1", 123, Reply(3'155'673'600u, 0)}});
    NtpLine();
    // The second request's reply must echo the second number: the first one's no longer counts.
    shell.randomNumber = 42;
    Arrive({{300, "192.168.0.1", 123, Reply(3'155'673'600u, 0)},
            {400, "192.168.0.1", 123, Reply(4'005'722'096u, 0, 48, 42)}});
    NtpLine();
    ASSERT_EQ(shell.timeRequests.size(), 2u);
    EXPECT_EQ(shell.timeRequests[1].payload, SntpRequest(42));
    ASSERT_EQ(shell.clockSettings.size(), 2u);
    EXPECT_EQ(shell.clockSettings[1].year, 2026);
}

TEST_F(RouterClockTest, TheClockIsLeftAloneWithoutAUsableReplyInTime) {
    Arrive({{300, "192.168.0.1", 123, Reply(3'155'673'600u, 0, 47)}});
    NtpLine();
    Arrive({{3'100, "192.168.0.1", 123, Reply(3'155'673'600u, 0)}});  // too late
    NtpLine();
    // A reply outside any wait is not taken either.
    controller.routerEvents().OnTimeDatagram("192.168.0.1", 123, Reply(3'155'673'600u, 0));
    EXPECT_TRUE(state().SntpReply.empty());
    EXPECT_EQ(shell.timeRequests.size(), 2u);
    EXPECT_TRUE(shell.clockSettings.empty());
    EXPECT_TRUE(shell.boxes.empty());

    settings.UseSNTP = false;
    NtpLine();
    EXPECT_EQ(shell.timeRequests.size(), 2u);
}

TEST_F(RouterClockTest, AUserWithoutTheRightToSetTheClockIsToldOnceARun) {
    shell.clockRefused = true;
    for (int i = 0; i < 3; ++i) {
        Arrive({{300, "192.168.0.1", 123, Reply(3'155'673'600u, 0)}});
        NtpLine();
    }
    EXPECT_EQ(shell.clockSettings.size(), 3u);
    EXPECT_EQ(shell.notices, (std::vector<std::u16string>{text::kClockNotSet}));
    EXPECT_TRUE(shell.boxes.empty());
}

}  // namespace
}  // namespace zep
