#include "syslog_events.h"
#include "wan_address.h"

#include <gtest/gtest.h>

namespace zep {
namespace {

TEST(SyslogEvents, KeywordPairsFireIndependently) {
    SyslogEvents e = RecogniseSyslog("[:ntp:] clock adjusted; ppp ipcp up <-- connect");
    EXPECT_TRUE(e.ntpAdjusted);
    EXPECT_TRUE(e.ipAssigned);
    EXPECT_TRUE(e.connected);
    EXPECT_FALSE(e.lineSwitched);
    EXPECT_FALSE(e.requestAccepted);

    EXPECT_TRUE(RecogniseSyslog("connection switched (isp1)").lineSwitched);
    // One half of a pair is not enough.
    e = RecogniseSyslog("ntp adjust, connection, ipcp up, connect -->");
    EXPECT_FALSE(e.ntpAdjusted || e.lineSwitched || e.connected || e.ipAssigned);
}

TEST(SyslogEvents, DisconnectLineAlsoCountsAsAcceptedRequest) {
    SyslogEvents e = RecogniseSyslog("s01 disconnect successfully");
    EXPECT_TRUE(e.disconnected);
    EXPECT_TRUE(e.requestAccepted);
    e = RecogniseSyslog("s01 connect successfully");
    EXPECT_TRUE(e.requestAccepted);
    EXPECT_FALSE(e.disconnected);
}

TEST(SyslogEvents, WanAddressLiesBetweenEqualsAndComma) {
    EXPECT_EQ(ExtractWanIP("ipcp up: peer=10.0.0.1, my ip= 203.0.113.7, dns=1.1.1.1"), " 203.0.113.7");
    EXPECT_EQ(ExtractWanIP("ipcp up=198.51.100.2,x"), "198.51.100.2");  // no "my ip": whole line
    EXPECT_EQ(ExtractWanIP("my ip 198.51.100.2, up"), "");               // no "="
    EXPECT_EQ(ExtractWanIP("my ip=198.51.100.2"), "198.51.100.2");       // no ",": to the end
    EXPECT_EQ(ExtractWanIP("my ip, =198.51.100.2,"), "");                // "," before "="
}

TEST(SyslogEvents, WanAddressIsOnlyItsAddressText) {
    EXPECT_EQ(ExtractWanIP("my ip=198.51.100.2\r\n<b>x</b>, peer"), "198.51.100.2");
    EXPECT_EQ(ExtractWanIP("my ip=<script>x()</script>, peer"), "");
    EXPECT_EQ(ExtractWanIP("my ip=198.51.100.2\"onload=x, peer"), "198.51.100.2");
    EXPECT_EQ(ExtractWanIP("my ip = evil.example ,"), "");
    EXPECT_EQ(ExtractWanIP("my ip= 2001:db8::7, peer"), "");
    EXPECT_EQ(ExtractWanIP("my ip=" + std::string(100, '1')), "");
    EXPECT_EQ(ExtractWanIP("my ip = 203.0.113.7 , peer"), " 203.0.113.7");  // the blank after it is cut
}

TEST(WanAddress, OnlyAnIPv4LiteralIsAnAddress) {
    for (const char* good : {"0.0.0.0", "255.255.255.255", "203.0.113.7", " 203.0.113.7", "   10.0.0.1"})
        EXPECT_TRUE(IsWanAddressText(good)) << good;
    for (const char* bad : {"", " ", "evil.example", "1.2.3.4.example", "example.1.2.3.4", "x1.2.3.4", "1.2.3",
                            "1.2.3.4.5", "1.2.3.", ".1.2.3.4", "1..2.3", "256.1.1.1", "1.2.3.999", "1.2.3.1000",
                            "010.1.1.1", "1.2.3.00", "1.2.3.4 ", "1.2.3.4\r", "+1.2.3.4", "0x7f.0.0.1", "2001:db8::7"})
        EXPECT_FALSE(IsWanAddressText(bad)) << bad;
    EXPECT_FALSE(IsWanAddressText(std::string(60, ' ') + "1.2.3.4"));  // over the limit
}

TEST(WanAddress, AnAddressFollowedByOtherTextIsCutWhereTheAddressEnds) {
    const std::pair<std::string, std::string> cases[] = {
        {"1.2.3.4,", "1.2.3.4"}, {" 1.2.3.4 peer", " 1.2.3.4"}, {"1.2.3.4\"onload=x", "1.2.3.4"},
        {"1.2.3.4evil.example", "1.2.3.4"},
        // What runs on in digits and dots is not cut into an address.
        {"1.2.3.4.5", ""}, {"1.2.3.456", ""}, {"evil 1.2.3.4", ""}, {"1.2.3.4" + std::string(100, '5'), ""}};
    for (const auto& [text, address] : cases) EXPECT_EQ(WanAddressPrefix(text), address) << text;
}

TEST(SyslogEvents, ConnectLineNumber) {
    EXPECT_EQ(LineNumberOfConnect("s01 <-- connect", 0), 1);
    EXPECT_EQ(LineNumberOfConnect("s02 <-- connect", 1), 2);
    EXPECT_EQ(LineNumberOfConnect("s02 s01", 0), 2);
    EXPECT_EQ(LineNumberOfConnect("<-- connect", 2), 2);
}

TEST(SyslogEvents, SwitchTag) {
    const std::pair<const char*, int> cases[] = {
        {"connection switched (isp2)", 2}, {"connection switched (ras)", 4}, {"switched (isp12)", 2},
        {"switched (isp)", 0},             {"switched (isp3", 0},             {"(isp1) switched (isp3)", 3},
        {"connection (isp1)", 1},          {"switched (ras isp1)", 1},
    };
    for (auto [line, tag] : cases) EXPECT_EQ(SwitchReportTag(line), tag) << line;
}

}  // namespace
}  // namespace zep
