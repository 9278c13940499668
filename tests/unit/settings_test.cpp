#include "settings.h"

#include <gtest/gtest.h>

#include "fake_profile.h"

namespace zep {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    FakeProfile file;
    SettingsEnvironment env = TestEnvironment();

    Settings Loaded() {
        SettingsStore store(file, env);
        Settings s = store.Defaults();
        store.Load(s);
        return s;
    }
    void SaveAgain(const Settings& s) {
        file.writeOrder.clear();
        EXPECT_EQ(SettingsStore(file, env).Save(s), std::nullopt);
    }
};

TEST_F(SettingsTest, FirstStartWritesEveryKeyInOrderWithTheDefaults) {
    Settings s = Loaded();
    SaveAgain(s);

    std::vector<std::string> zepKeys;
    for (auto& [section, key] : file.writeOrder)
        if (section == "ZEP") zepKeys.push_back(key);
    const std::vector<std::string> expected = {
        "PosX", "PosY", "SetupUtility", "IPAddress", "ShowTimePanel", "DialogClose", "AutoConnect",
        "AutoDisconnect", "AutoConnectHour", "AutoConnectMinute", "AutoDisconnectHour", "AutoDisconnectMinute",
        "AutoTimeDisconnect", "AutoTimeDisconnectSecond", "Easylog", "Syslog", "LogFolder", "UseSNTP",
        "WaveConnect", "WaveDisconnect", "WaveConnectFile", "WaveDisconnectFile", "HTMLAutoCreate", "HTMLFile",
        "FTPAutoConnect", "FTPAutoConnectOnly", "FTPAutoDiscon", "ZEPConRequest", "UseBeforeCon", "AIlog",
        "AIExeFile", "UseMRLDll", "FTPHost", "FTPUserName", "FTPPassword", "FTPDestination", "FTPPassive",
        "FTPUseTLS", "TimePosX",
        "TimePosY", "TimeFontName", "TimeFontSize", "TimeFontBold", "TimeFontItalic", "TimeStayOnTop", "SetPosX",
        "SetPosY"};
    EXPECT_EQ(zepKeys, expected);

    // Twenty autorun sections between FTPDestination and TimePosX, each with only an empty Name.
    size_t first = 38;
    for (int i = 0; i < kAutorunCount; ++i)
        EXPECT_EQ(file.writeOrder[first + i], (std::pair<std::string, std::string>{std::to_string(i), "Name"}));
    EXPECT_EQ(file.writeOrder[first + kAutorunCount].second, "TimePosX");

    EXPECT_EQ(file.Get("PosX"), "512");
    EXPECT_EQ(file.Get("PosY"), "384");
    EXPECT_EQ(file.Get("SetupUtility"), "C:\\Program Files\\MicroResearch\\NetGenesis\\NWGSet.exe");
    EXPECT_EQ(file.Get("IPAddress"), "192.168.0.1");
    EXPECT_EQ(file.Get("AutoConnectHour"), "23");
    EXPECT_EQ(file.Get("AutoDisconnectMinute"), "50");
    EXPECT_EQ(file.Get("AutoTimeDisconnectSecond"), "170");
    EXPECT_EQ(file.Get("LogFolder"), "C:\\zep");
    EXPECT_EQ(file.Get("WaveConnectFile"), "C:\\windows\\media\\tada.wav");
    EXPECT_EQ(file.Get("WaveDisconnectFile"), "C:\\windows\\media\\ding.wav");
    EXPECT_EQ(file.Get("HTMLFile"), "C:\\zep\\myip.html");
    EXPECT_EQ(file.Get("FTPAutoConnectOnly"), "1");
    EXPECT_EQ(file.Get("TimeFontName"), "Arial");
    EXPECT_EQ(file.Get("TimeFontSize"), "9");
    EXPECT_EQ(file.Get("FTPPassword"), "");
    EXPECT_EQ(file.Get("FTPPassive"), "0");  // active mode and clear text, as files without the keys had
    EXPECT_EQ(file.Get("FTPUseTLS"), "0");
    EXPECT_EQ(file.Get("BeforeConTime"), "<missing>");
}

TEST_F(SettingsTest, EveryKeySavedIsReadBack) {
    // Every value away from its default; what a load reads must be what the next save writes.
    Settings s = Loaded();
    s.PosX = 11, s.PosY = 12, s.SetupUtility = "C:\\v.exe", s.IPAddress = "10.0.0.254";
    s.ShowTimePanel = false, s.DialogClose = false, s.AutoConnect = true, s.AutoDisconnect = true;
    s.AutoConnectHour = 1, s.AutoConnectMinute = 2, s.AutoDisconnectHour = 3, s.AutoDisconnectMinute = 4;
    s.AutoTimeDisconnect = true, s.AutoTimeDisconnectSecond = 600, s.Easylog = false, s.Syslog = false;
    s.LogFolder = "D:\\logs", s.UseSNTP = true, s.WaveConnect = true, s.WaveDisconnect = true;
    s.WaveConnectFile = "a.wav", s.WaveDisconnectFile = "b.wav", s.HTMLAutoCreate = false, s.HTMLFile = "p.html";
    s.FTPAutoConnect = true, s.FTPAutoConnectOnly = false, s.FTPAutoDiscon = true, s.ZEPConRequest = true;
    s.UseBeforeCon = true, s.AIlog = true, s.AIExeFile = "ai.exe", s.UseMRLDll = true;
    s.FTPHost = "h", s.FTPUserName = "u", s.FTPDestination = "/d", s.FTPPassive = true, s.FTPUseTLS = true;
    s.SetFTPPassword("pw");
    s.Autorun[0].Name = "mail", s.Autorun[0].Use = true, s.Autorun[0].Wait = 5;
    s.TimePosX = 21, s.TimePosY = 22, s.TimeFontName = "Courier", s.TimeFontSize = 12;
    s.TimeFontBold = true, s.TimeFontItalic = true, s.TimeStayOnTop = true, s.SetPosX = 31, s.SetPosY = 32;
    SaveAgain(s);
    const auto saved = file.values;

    env.mrlLibraryBound = true;
    SaveAgain(Loaded());
    EXPECT_EQ(file.values, saved);
}

TEST_F(SettingsTest, OutOfRangeAndMalformedValuesAreCorrected) {
    file.Set("AutoConnectHour", "30");
    file.Set("AutoConnectMinute", "-4");
    file.Set("AutoDisconnectHour", "0x1E");  // 30, clamped to 23
    file.Set("AutoTimeDisconnectSecond", "5");
    file.Set("AutoDisconnectMinute", "1E");  // not a number: default
    file.Set("Easylog", "yes");              // default (on)
    file.Set("UseSNTP", "-1");
    file.Set("PosX", "0x10");
    Settings s = Loaded();
    EXPECT_EQ(s.AutoConnectHour, 23);
    EXPECT_EQ(s.AutoConnectMinute, 0);
    EXPECT_EQ(s.AutoDisconnectHour, 23);
    EXPECT_EQ(s.AutoTimeDisconnectSecond, 10);
    EXPECT_EQ(s.AutoDisconnectMinute, 50);
    EXPECT_TRUE(s.Easylog);
    EXPECT_TRUE(s.UseSNTP);
    EXPECT_EQ(s.PosX, 16);
    SaveAgain(s);
    EXPECT_EQ(file.Get("AutoConnectHour"), "23");
    EXPECT_EQ(file.Get("UseSNTP"), "1");
}

TEST_F(SettingsTest, AutorunEntriesKeepTheirIndex) {
    file.values[{"0", "Name"}] = "mail";
    file.values[{"0", "Use"}] = "1";
    file.values[{"0", "Wait"}] = "0x0A";
    file.values[{"1", "Name"}] = "";
    file.values[{"1", "FileName"}] = "left alone";
    file.values[{"2", "Name"}] = "clock";
    file.values[{"2", "FileName"}] = "WM_COMMAND";
    file.values[{"2", "Parameter"}] = "TClockForm";
    file.values[{"2", "Work"}] = "9C4A";
    Settings s = Loaded();
    EXPECT_EQ(s.Autorun[0].Name, "mail");
    EXPECT_TRUE(s.Autorun[0].Use);
    EXPECT_EQ(s.Autorun[0].Wait, 10);
    EXPECT_TRUE(s.Autorun[1].Name.empty());
    EXPECT_TRUE(s.Autorun[1].FileName.empty());
    EXPECT_EQ(s.Autorun[2].Work, "9C4A");
    EXPECT_EQ(s.Autorun[2].Parameter, "TClockForm");

    SaveAgain(s);
    // An empty entry writes only its Name; what else its section holds is left as it was.
    EXPECT_EQ(file.Read("1", "FileName", ""), "left alone");
    EXPECT_EQ(file.Read("2", "FileName", ""), "WM_COMMAND");
    EXPECT_EQ(file.Read("0", "Wait", ""), "10");
}

TEST_F(SettingsTest, PasswordIsStoredProtectedAndReadBack) {
    Settings s = Loaded();
    s.SetFTPPassword("secret");
    SaveAgain(s);
    EXPECT_EQ(file.Get("FTPPassword"), "70hicIS0");
    EXPECT_EQ(Loaded().FTPPassword(), "secret");
}

TEST_F(SettingsTest, UnreadablePasswordCountsAsEmptyAndSurvivesAnUnchangedSave) {
    file.Set("FTPPassword", "not base64!");
    file.Set("FTPDestination", "/www");
    file.Set("AIlog", "1");
    Settings s = Loaded();
    EXPECT_EQ(s.FTPPassword(), "");
    EXPECT_EQ(s.FTPDestination, "/www");  // later keys still read
    EXPECT_TRUE(s.AIlog);
    SaveAgain(s);
    EXPECT_EQ(file.Get("FTPPassword"), "not base64!");

    s.SetFTPPassword("new");  // the user gave a new password: it replaces the stored text
    SaveAgain(s);
    EXPECT_EQ(Loaded().FTPPassword(), "new");
}

TEST_F(SettingsTest, MissingLogFolderFallsBackToTheProgramFolder) {
    file.Set("LogFolder", "D:\\gone");
    EXPECT_EQ(Loaded().LogFolder, "C:\\zep");
    file.Set("LogFolder", "D:\\logs");
    EXPECT_EQ(Loaded().LogFolder, "D:\\logs");
}

TEST_F(SettingsTest, OwnFilesElsewhereTakeTheDefaultsThatNamedTheProgramFolder) {
    env.dataFolder = "C:\\Users\\ann\\AppData\\Roaming\\ZEP!";
    EXPECT_EQ(Loaded().LogFolder, env.dataFolder);
    EXPECT_EQ(Loaded().HTMLFile, env.dataFolder + "\\myip.html");

    // A file copied from beside the program: its defaults move, the user's own choices stay.
    file.Set("LogFolder", "C:\\zep");
    file.Set("HTMLFile", "C:\\zep\\myip.html");
    EXPECT_EQ(Loaded().LogFolder, env.dataFolder);
    EXPECT_EQ(Loaded().HTMLFile, env.dataFolder + "\\myip.html");
    file.Set("LogFolder", "D:\\logs");
    file.Set("HTMLFile", "C:\\zep\\page.html");
    EXPECT_EQ(Loaded().LogFolder, "D:\\logs");
    EXPECT_EQ(Loaded().HTMLFile, "C:\\zep\\page.html");
}

TEST_F(SettingsTest, LibrarySettingNeedsTheBoundLibrary) {
    file.Set("UseMRLDll", "1");
    EXPECT_FALSE(Loaded().UseMRLDll);
    env.mrlLibraryBound = true;
    EXPECT_TRUE(Loaded().UseMRLDll);
}

TEST_F(SettingsTest, FailedWriteStopsTheSaveAtThatKey) {
    Settings s = Loaded();
    file.readOnlyKey = "IPAddress";
    auto failed = SettingsStore(file, env).Save(s);
    EXPECT_EQ(failed, std::optional<std::string>("IPAddress"));
    EXPECT_EQ(file.Get("SetupUtility"), std::string(kDefaultSetupUtility));
    EXPECT_EQ(file.Get("ShowTimePanel"), "<missing>");
}

TEST_F(SettingsTest, BeforeConTimeIsWrittenFlushedAndDeleted) {
    SettingsStore store(file, env);
    LocaleFormats f;
    store.SaveBeforeConTime({2026, 12, 8, 9, 5, 7}, f);
    EXPECT_EQ(file.Get("BeforeConTime"), "2026/12/08 9:05:07");
    EXPECT_EQ(file.flushes, 1);
    LocalDateTime now{2026, 12, 8, 10, 0, 0};
    EXPECT_EQ(store.ReadBeforeConTime(now, f), (LocalDateTime{2026, 12, 8, 9, 5, 7}));
    store.SaveBeforeConTime({}, f);
    EXPECT_EQ(file.Get("BeforeConTime"), "<missing>");
    EXPECT_EQ(file.flushes, 2);
    EXPECT_EQ(store.ReadBeforeConTime(now, f), now);
}

}  // namespace
}  // namespace zep
