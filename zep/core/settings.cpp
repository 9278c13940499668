#include "settings.h"

#include "password_cipher.h"
#include "value_codec.h"

namespace zep {
namespace {

// Writes keys in order and remembers the first one that fails; later writes are skipped.
class OrderedWriter {
public:
    explicit OrderedWriter(ProfileFile& file) : file_(file) {}
    void Put(const std::string& section, const std::string& key, const std::string& value) {
        if (failedKey_) return;
        if (!file_.Write(section, key, value)) failedKey_ = key;
    }
    void Int(const char* key, int32_t v) { Put(kSettingsSection, key, WriteStoredInt(v)); }
    void Bool(const char* key, bool v) { Put(kSettingsSection, key, WriteStoredBool(v)); }
    void Str(const char* key, const std::string& v) { Put(kSettingsSection, key, v); }
    const std::optional<std::string>& failedKey() const { return failedKey_; }

private:
    ProfileFile& file_;
    std::optional<std::string> failedKey_;
};

}  // namespace

Settings SettingsStore::Defaults() const {
    Settings s;
    s.PosX = env_.desktopWidth / 2;
    s.PosY = env_.desktopHeight / 2;
    s.SetupUtility = kDefaultSetupUtility;
    s.IPAddress = kDefaultRouterAddress;
    s.LogFolder = env_.programFolder;
    s.WaveConnectFile = env_.windowsFolder + "\\media\\tada.wav";
    s.WaveDisconnectFile = env_.windowsFolder + "\\media\\ding.wav";
    s.HTMLFile = env_.programFolder + "\\myip.html";
    return s;
}

int32_t SettingsStore::ReadInt(const char* key, int32_t fallback) {
    return ReadStoredInt(file_.Read(kSettingsSection, key, WriteStoredInt(fallback)), fallback);
}

bool SettingsStore::ReadBool(const char* key, bool fallback) {
    return ReadStoredBool(file_.Read(kSettingsSection, key, WriteStoredBool(fallback)), fallback);
}

std::string SettingsStore::ReadString(const char* key, const std::string& fallback) {
    return file_.Read(kSettingsSection, key, fallback);
}

void SettingsStore::Load(Settings& s) {
    const Settings d = Defaults();
    s.PosX = ReadInt("PosX", d.PosX);
    s.PosY = ReadInt("PosY", d.PosY);
    s.SetupUtility = ReadString("SetupUtility", d.SetupUtility);
    s.IPAddress = ReadString("IPAddress", d.IPAddress);
    s.ShowTimePanel = ReadBool("ShowTimePanel", d.ShowTimePanel);
    s.DialogClose = ReadBool("DialogClose", d.DialogClose);
    s.AutoConnect = ReadBool("AutoConnect", d.AutoConnect);
    s.AutoDisconnect = ReadBool("AutoDisconnect", d.AutoDisconnect);
    s.AutoConnectHour = kHourRange.Clamp(ReadInt("AutoConnectHour", d.AutoConnectHour));
    s.AutoConnectMinute = kMinuteRange.Clamp(ReadInt("AutoConnectMinute", d.AutoConnectMinute));
    s.AutoDisconnectHour = kHourRange.Clamp(ReadInt("AutoDisconnectHour", d.AutoDisconnectHour));
    s.AutoDisconnectMinute = kMinuteRange.Clamp(ReadInt("AutoDisconnectMinute", d.AutoDisconnectMinute));
    s.AutoTimeDisconnect = ReadBool("AutoTimeDisconnect", d.AutoTimeDisconnect);
    s.AutoTimeDisconnectSecond = kSecondRange.Clamp(ReadInt("AutoTimeDisconnectSecond", d.AutoTimeDisconnectSecond));
    s.Easylog = ReadBool("Easylog", d.Easylog);
    s.Syslog = ReadBool("Syslog", d.Syslog);
    s.UseSNTP = ReadBool("UseSNTP", d.UseSNTP);
    s.WaveConnect = ReadBool("WaveConnect", d.WaveConnect);
    s.WaveDisconnect = ReadBool("WaveDisconnect", d.WaveDisconnect);
    s.WaveConnectFile = ReadString("WaveConnectFile", d.WaveConnectFile);
    s.WaveDisconnectFile = ReadString("WaveDisconnectFile", d.WaveDisconnectFile);
    s.LogFolder = ReadString("LogFolder", d.LogFolder);
    s.HTMLAutoCreate = ReadBool("HTMLAutoCreate", d.HTMLAutoCreate);
    s.HTMLFile = ReadString("HTMLFile", d.HTMLFile);
    s.FTPAutoConnect = ReadBool("FTPAutoConnect", d.FTPAutoConnect);
    s.FTPAutoConnectOnly = ReadBool("FTPAutoConnectOnly", d.FTPAutoConnectOnly);
    s.FTPAutoDiscon = ReadBool("FTPAutoDiscon", d.FTPAutoDiscon);
    s.FTPHost = ReadString("FTPHost", d.FTPHost);
    s.FTPUserName = ReadString("FTPUserName", d.FTPUserName);
    const std::string storedPassword = ReadString("FTPPassword", "");
    s.FTPDestination = ReadString("FTPDestination", d.FTPDestination);
    s.ZEPConRequest = ReadBool("ZEPConRequest", d.ZEPConRequest);
    s.UseBeforeCon = ReadBool("UseBeforeCon", d.UseBeforeCon);
    s.AIlog = ReadBool("AIlog", d.AIlog);
    s.AIExeFile = ReadString("AIExeFile", d.AIExeFile);

    // A stored password that is not Base64 counts as empty, and its text is kept so that an exit
    // save does not destroy it unless the user gives a new password.
    auto password = PasswordCipher::Reveal(storedPassword);
    s.ftpPassword_ = password.value_or(std::string());
    s.unreadableStoredPassword_.reset();
    if (!password) s.unreadableStoredPassword_ = storedPassword;

    if (env_.folderExists && !env_.folderExists(s.LogFolder)) s.LogFolder = d.LogFolder;

    LoadAutorun(s);

    s.TimePosX = ReadInt("TimePosX", d.TimePosX);
    s.TimePosY = ReadInt("TimePosY", d.TimePosY);
    s.TimeFontName = ReadString("TimeFontName", d.TimeFontName);
    s.TimeFontSize = ReadInt("TimeFontSize", d.TimeFontSize);
    // A false value removes nothing: only a stored "on" adds the style.
    if (ReadBool("TimeFontBold", false)) s.TimeFontBold = true;
    if (ReadBool("TimeFontItalic", false)) s.TimeFontItalic = true;
    s.TimeStayOnTop = ReadBool("TimeStayOnTop", d.TimeStayOnTop);
    s.SetPosX = ReadInt("SetPosX", d.SetPosX);
    s.SetPosY = ReadInt("SetPosY", d.SetPosY);

    // Last, so that a router search started by it sees every other setting in place.
    s.UseMRLDll = env_.mrlLibraryBound && ReadBool("UseMRLDll", d.UseMRLDll);
}

void SettingsStore::LoadAutorun(Settings& s) {
    for (int i = 0; i < kAutorunCount; ++i) {
        const std::string section = std::to_string(i);
        TAutorunType& e = s.Autorun[i];
        std::string name = file_.Read(section, "Name", "");
        if (name.empty()) continue;
        e.Name = name;
        e.Use = ReadStoredBool(file_.Read(section, "Use", "0"), false);
        e.OnlyAuto = ReadStoredBool(file_.Read(section, "OnlyAuto", "0"), false);
        e.FileName = file_.Read(section, "FileName", "");
        e.Parameter = file_.Read(section, "Parameter", "");
        e.Work = file_.Read(section, "Work", "");
        e.Wait = ReadStoredInt(file_.Read(section, "Wait", "0"), 0);
    }
    for (TAutorunType& e : s.Autorun) e.Launched = false;
}

std::optional<std::string> SettingsStore::Save(const Settings& s) {
    OrderedWriter w(file_);
    w.Int("PosX", s.PosX);
    w.Int("PosY", s.PosY);
    w.Str("SetupUtility", s.SetupUtility);
    w.Str("IPAddress", s.IPAddress);
    w.Bool("ShowTimePanel", s.ShowTimePanel);
    w.Bool("DialogClose", s.DialogClose);
    w.Bool("AutoConnect", s.AutoConnect);
    w.Bool("AutoDisconnect", s.AutoDisconnect);
    w.Int("AutoConnectHour", s.AutoConnectHour);
    w.Int("AutoConnectMinute", s.AutoConnectMinute);
    w.Int("AutoDisconnectHour", s.AutoDisconnectHour);
    w.Int("AutoDisconnectMinute", s.AutoDisconnectMinute);
    w.Bool("AutoTimeDisconnect", s.AutoTimeDisconnect);
    w.Int("AutoTimeDisconnectSecond", s.AutoTimeDisconnectSecond);
    w.Bool("Easylog", s.Easylog);
    w.Bool("Syslog", s.Syslog);
    w.Str("LogFolder", s.LogFolder);
    w.Bool("UseSNTP", s.UseSNTP);
    w.Bool("WaveConnect", s.WaveConnect);
    w.Bool("WaveDisconnect", s.WaveDisconnect);
    w.Str("WaveConnectFile", s.WaveConnectFile);
    w.Str("WaveDisconnectFile", s.WaveDisconnectFile);
    w.Bool("HTMLAutoCreate", s.HTMLAutoCreate);
    w.Str("HTMLFile", s.HTMLFile);
    w.Bool("FTPAutoConnect", s.FTPAutoConnect);
    w.Bool("FTPAutoConnectOnly", s.FTPAutoConnectOnly);
    w.Bool("FTPAutoDiscon", s.FTPAutoDiscon);
    w.Bool("ZEPConRequest", s.ZEPConRequest);
    w.Bool("UseBeforeCon", s.UseBeforeCon);
    w.Bool("AIlog", s.AIlog);
    w.Str("AIExeFile", s.AIExeFile);
    w.Bool("UseMRLDll", s.UseMRLDll);

    const std::string storedPassword =
        s.unreadableStoredPassword_ ? *s.unreadableStoredPassword_ : PasswordCipher::Protect(s.ftpPassword_);
    w.Str("FTPHost", s.FTPHost);
    w.Str("FTPUserName", s.FTPUserName);
    w.Str("FTPPassword", storedPassword);
    w.Str("FTPDestination", s.FTPDestination);

    for (int i = 0; i < kAutorunCount; ++i) {
        const std::string section = std::to_string(i);
        const TAutorunType& e = s.Autorun[i];
        w.Put(section, "Name", e.Name);
        if (e.Name.empty()) continue;
        w.Put(section, "Use", WriteStoredBool(e.Use));
        w.Put(section, "OnlyAuto", WriteStoredBool(e.OnlyAuto));
        w.Put(section, "FileName", e.FileName);
        w.Put(section, "Parameter", e.Parameter);
        w.Put(section, "Work", e.Work);
        w.Put(section, "Wait", WriteStoredInt(e.Wait));
    }

    w.Int("TimePosX", s.TimePosX);
    w.Int("TimePosY", s.TimePosY);
    w.Str("TimeFontName", s.TimeFontName);
    w.Int("TimeFontSize", s.TimeFontSize);
    w.Bool("TimeFontBold", s.TimeFontBold);
    w.Bool("TimeFontItalic", s.TimeFontItalic);
    w.Bool("TimeStayOnTop", s.TimeStayOnTop);
    w.Int("SetPosX", s.SetPosX);
    w.Int("SetPosY", s.SetPosY);
    return w.failedKey();
}

void SettingsStore::SaveBeforeConTime(const LocalDateTime& t, const LocaleFormats& f) {
    if (t.IsZero()) file_.DeleteKey(kSettingsSection, "BeforeConTime");
    else file_.Write(kSettingsSection, "BeforeConTime", FormatDateTimeC(t, f));
    file_.Flush();
}

LocalDateTime SettingsStore::ReadBeforeConTime(const LocalDateTime& now, const LocaleFormats& f) {
    std::string text = file_.Read(kSettingsSection, "BeforeConTime", "");
    return ParseDateTimeC(text, f).value_or(now);
}

}  // namespace zep
