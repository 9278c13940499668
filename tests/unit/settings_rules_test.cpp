#include <gtest/gtest.h>

#include "settings_rules.h"
#include "spin_field.h"
#include "texts_ja.h"

namespace zep {
namespace {

TEST(SpinField, ReadsTheDecimalTextOrTheMinimum) {
    EXPECT_EQ(kSecondSpin.Read("170"), 170);
    EXPECT_EQ(kSecondSpin.Read(""), 10);  // empty reads as the minimum
    EXPECT_EQ(kSecondSpin.Read("-"), 10);
    EXPECT_EQ(kSecondSpin.Read("1-2"), 10);
    EXPECT_EQ(kSecondSpin.Read("99999999999"), 10);  // beyond 32 bits: not a number
    EXPECT_EQ(kHourSpin.Read("+7"), 7);
    EXPECT_EQ(kHourSpin.Read("-5"), -5);  // read unchanged while the field has the focus
    EXPECT_EQ(kSecondSpin.Read("100000"), 100000);
}

TEST(SpinField, ClampsAndStepsWithinTheRange) {
    EXPECT_EQ(kSecondSpin.Clamp(kSecondSpin.Read("100000")), 99999);
    EXPECT_EQ(kHourSpin.Clamp(-5), 0);
    EXPECT_EQ(kSecondSpin.Stepped("170", 1), 230);  // the seconds field steps by 60
    EXPECT_EQ(kSecondSpin.Stepped("30", -1), 10);
    EXPECT_EQ(kSecondSpin.Stepped("99990", 1), 99999);
    EXPECT_EQ(kMinuteSpin.Stepped("", 1), 1);
    EXPECT_EQ(kHourSpin.Stepped("23", 1), 23);
}

TEST(SpinField, AcceptsDigitsSignsAndControlKeysOnly) {
    for (char16_t c : std::u16string(u"0123456789+-\b")) EXPECT_TRUE(SpinField::Accepts(c)) << int(c);
    for (char16_t c : std::u16string(u"a .,x０")) EXPECT_FALSE(SpinField::Accepts(c)) << int(c);
}

TEST(EnableRules, FollowTheirBoxes) {
    Settings s;
    s.HTMLAutoCreate = false;
    s.FTPAutoConnect = true;
    FormFacts f;
    EnableStates e = ComputeEnableStates(s, f);
    EXPECT_FALSE(Enabled(e, Ruled::AutoConHourSpin));
    EXPECT_FALSE(Enabled(e, Ruled::FTPConCheck));
    EXPECT_FALSE(Enabled(e, Ruled::FTPConAutoCheck));  // needs both boxes
    EXPECT_TRUE(Enabled(e, Ruled::IPEdit));
    EXPECT_FALSE(Enabled(e, Ruled::MRLCheck));
    EXPECT_FALSE(Enabled(e, Ruled::TrayAILog));

    s.HTMLAutoCreate = true;
    s.AutoConnect = true;
    s.AutoTimeDisconnect = true;
    s.UseMRLDll = true;
    f.aiExeExists = true;
    f.libraryBound = true;
    e = ComputeEnableStates(s, f);
    EXPECT_TRUE(Enabled(e, Ruled::AutoConMinuteSpin));
    EXPECT_FALSE(Enabled(e, Ruled::AutoDisHourSpin));
    EXPECT_TRUE(Enabled(e, Ruled::AutoTimeAgainCheck));
    EXPECT_TRUE(Enabled(e, Ruled::FTPDisconCheck));
    EXPECT_FALSE(Enabled(e, Ruled::IPEdit));
    EXPECT_FALSE(Enabled(e, Ruled::SetupUtilPanelClicks));
    EXPECT_TRUE(Enabled(e, Ruled::AILogShowButton));
    EXPECT_TRUE(Enabled(e, Ruled::MRLCheck));
}

TEST(EnableRules, AnUploadLeavesOnlyItsAbortButton) {
    Settings s;
    s.HTMLAutoCreate = true;
    FormFacts f;
    EnableStates e = ComputeEnableStates(s, f);
    EXPECT_TRUE(Enabled(e, Ruled::FTPConButton));
    EXPECT_FALSE(Enabled(e, Ruled::FTPAbortButton));
    f.ftpUploading = true;
    e = ComputeEnableStates(s, f);
    EXPECT_FALSE(Enabled(e, Ruled::FTPConButton));
    EXPECT_FALSE(Enabled(e, Ruled::FTPDisconButton));
    EXPECT_TRUE(Enabled(e, Ruled::FTPAbortButton));
    EXPECT_TRUE(Enabled(e, Ruled::FTPSetButton));
    // The page's own rule still holds once the upload has ended.
    s.HTMLAutoCreate = false;
    f.ftpUploading = false;
    e = ComputeEnableStates(s, f);
    EXPECT_FALSE(Enabled(e, Ruled::FTPConButton));
}

TEST(AboutBox, FirmwareVersionText) {
    EXPECT_EQ(FirmwareVersionText(0x0002001A), "2.001A");
    EXPECT_EQ(FirmwareVersionText(0x00002210), "0.2210");
    EXPECT_EQ(FirmwareVersionText(0xABCD0001), "ABCD.0001");
}

TEST(FtpSettings, TheFirstEmptyFieldInOrderIsReported) {
    EXPECT_EQ(FtpFieldsProblem({"", "", "", ""}), std::u16string(text::kFtpNoHost));
    EXPECT_EQ(FtpFieldsProblem({"h", "u", "", "/x.html"}), std::u16string(text::kFtpNoPassword));
    EXPECT_EQ(FtpFieldsProblem({"h", "u", "p", ""}), std::u16string(text::kFtpNoDestination));
    EXPECT_EQ(FtpFieldsProblem({" ", "u", "p", "d"}), nullptr);  // taken as typed
}

}  // namespace
}  // namespace zep
