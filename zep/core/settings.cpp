#include "settings.h"

#include "password_cipher.h"
#include "spin_field.h"
#include "value_codec.h"

namespace zep {
namespace {

// One key of section "ZEP" and the setting it holds. The table below lists them in the file's
// order; loading and saving both walk it.
struct Field {
    enum class Kind { Number, Flag, Text, Password, AutorunSections };
    // How a stored flag is taken on load.
    enum class FlagRule {
        Plain,
        OnlyAdds,      // only a stored "on" changes the value (a font style is added, never removed)
        NeedsLibrary,  // off unless the router maker's library is bound
    };

    const char* key;
    Kind kind;
    int32_t Settings::*number = nullptr;
    const SpinField* range = nullptr;  // a number held by a spin field: loaded into its range
    bool Settings::*flag = nullptr;
    FlagRule flagRule = FlagRule::Plain;
    std::string Settings::*text = nullptr;
};

constexpr Field Number(const char* key, int32_t Settings::*m, const SpinField* range = nullptr) {
    return {key, Field::Kind::Number, m, range};
}
constexpr Field Flag(const char* key, bool Settings::*m, Field::FlagRule rule = Field::FlagRule::Plain) {
    return {key, Field::Kind::Flag, nullptr, nullptr, m, rule};
}
constexpr Field Text(const char* key, std::string Settings::*m) {
    return {key, Field::Kind::Text, nullptr, nullptr, nullptr, Field::FlagRule::Plain, m};
}

constexpr char kIPPageName[] = "\\myip.html";

using S = Settings;
using Rule = Field::FlagRule;
constexpr Field kFields[] = {
    Number("PosX", &S::PosX),
    Number("PosY", &S::PosY),
    Text("SetupUtility", &S::SetupUtility),
    Text("IPAddress", &S::IPAddress),
    Flag("ShowTimePanel", &S::ShowTimePanel),
    Flag("DialogClose", &S::DialogClose),
    Flag("AutoConnect", &S::AutoConnect),
    Flag("AutoDisconnect", &S::AutoDisconnect),
    Number("AutoConnectHour", &S::AutoConnectHour, &kHourSpin),
    Number("AutoConnectMinute", &S::AutoConnectMinute, &kMinuteSpin),
    Number("AutoDisconnectHour", &S::AutoDisconnectHour, &kHourSpin),
    Number("AutoDisconnectMinute", &S::AutoDisconnectMinute, &kMinuteSpin),
    Flag("AutoTimeDisconnect", &S::AutoTimeDisconnect),
    Number("AutoTimeDisconnectSecond", &S::AutoTimeDisconnectSecond, &kSecondSpin),
    Flag("Easylog", &S::Easylog),
    Flag("Syslog", &S::Syslog),
    Text("LogFolder", &S::LogFolder),
    Flag("UseSNTP", &S::UseSNTP),
    Flag("WaveConnect", &S::WaveConnect),
    Flag("WaveDisconnect", &S::WaveDisconnect),
    Text("WaveConnectFile", &S::WaveConnectFile),
    Text("WaveDisconnectFile", &S::WaveDisconnectFile),
    Flag("HTMLAutoCreate", &S::HTMLAutoCreate),
    Text("HTMLFile", &S::HTMLFile),
    Flag("FTPAutoConnect", &S::FTPAutoConnect),
    Flag("FTPAutoConnectOnly", &S::FTPAutoConnectOnly),
    Flag("FTPAutoDiscon", &S::FTPAutoDiscon),
    Flag("ZEPConRequest", &S::ZEPConRequest),
    Flag("UseBeforeCon", &S::UseBeforeCon),
    Flag("AIlog", &S::AIlog),
    Text("AIExeFile", &S::AIExeFile),
    Flag("UseMRLDll", &S::UseMRLDll, Rule::NeedsLibrary),
    Text("FTPHost", &S::FTPHost),
    Text("FTPUserName", &S::FTPUserName),
    {"FTPPassword", Field::Kind::Password},
    Text("FTPDestination", &S::FTPDestination),
    Flag("FTPPassive", &S::FTPPassive),
    Flag("FTPUseTLS", &S::FTPUseTLS),
    {nullptr, Field::Kind::AutorunSections},  // sections "0" to "19"
    Number("TimePosX", &S::TimePosX),
    Number("TimePosY", &S::TimePosY),
    Text("TimeFontName", &S::TimeFontName),
    Number("TimeFontSize", &S::TimeFontSize),
    Flag("TimeFontBold", &S::TimeFontBold, Rule::OnlyAdds),
    Flag("TimeFontItalic", &S::TimeFontItalic, Rule::OnlyAdds),
    Flag("TimeStayOnTop", &S::TimeStayOnTop),
    Number("SetPosX", &S::SetPosX),
    Number("SetPosY", &S::SetPosY),
};

// Writes keys in order and remembers the first one that fails; later writes are skipped.
class OrderedWriter {
public:
    explicit OrderedWriter(ProfileFile& file) : file_(file) {}
    void Put(const std::string& section, const std::string& key, const std::string& value) {
        if (failedKey_) return;
        if (!file_.Write(section, key, value)) failedKey_ = key;
    }
    const std::optional<std::string>& failedKey() const { return failedKey_; }

private:
    ProfileFile& file_;
    std::optional<std::string> failedKey_;
};

void SaveAutorun(OrderedWriter& w, const Settings& s) {
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
}

}  // namespace

Settings SettingsStore::Defaults() const {
    Settings s;
    s.PosX = env_.desktopWidth / 2;
    s.PosY = env_.desktopHeight / 2;
    s.SetupUtility = kDefaultSetupUtility;
    s.IPAddress = kDefaultRouterAddress;
    s.LogFolder = env_.dataFolder;
    s.WaveConnectFile = env_.windowsFolder + "\\media\\tada.wav";
    s.WaveDisconnectFile = env_.windowsFolder + "\\media\\ding.wav";
    s.HTMLFile = env_.dataFolder + kIPPageName;
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
    for (const Field& f : kFields) {
        switch (f.kind) {
            case Field::Kind::Number: {
                const int32_t v = ReadInt(f.key, d.*f.number);
                s.*f.number = f.range ? f.range->Clamp(v) : v;
                break;
            }
            case Field::Kind::Flag:
                if (f.flagRule == Rule::OnlyAdds) {
                    if (ReadBool(f.key, false)) s.*f.flag = true;
                } else {
                    s.*f.flag = (f.flagRule != Rule::NeedsLibrary || env_.mrlLibraryBound) && ReadBool(f.key, d.*f.flag);
                }
                break;
            case Field::Kind::Text:
                s.*f.text = ReadString(f.key, d.*f.text);
                break;
            case Field::Kind::Password:
                TakeStoredPassword(s, ReadString(f.key, ""));
                break;
            case Field::Kind::AutorunSections:
                LoadAutorun(s);
                break;
        }
    }
    if (env_.folderExists && !env_.folderExists(s.LogFolder)) s.LogFolder = d.LogFolder;
    // A settings file taken over from beside the program names the program's folder, which the
    // user cannot write, where earlier starts wrote the defaults: they move along.
    if (env_.dataFolder != env_.programFolder) {
        if (s.LogFolder == env_.programFolder) s.LogFolder = d.LogFolder;
        if (s.HTMLFile == env_.programFolder + kIPPageName) s.HTMLFile = d.HTMLFile;
    }
}

void SettingsStore::TakeStoredPassword(Settings& s, const std::string& stored) {
    // A stored password that is not Base64 counts as empty, and its text is kept so that an exit
    // save does not destroy it unless the user gives a new password.
    auto password = PasswordCipher::Reveal(stored);
    s.ftpPassword_ = password.value_or(std::string());
    s.unreadableStoredPassword_.reset();
    if (!password) s.unreadableStoredPassword_ = stored;
}

std::string SettingsStore::StoredPassword(const Settings& s) {
    return s.unreadableStoredPassword_ ? *s.unreadableStoredPassword_ : PasswordCipher::Protect(s.ftpPassword_);
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
    for (const Field& f : kFields) {
        switch (f.kind) {
            case Field::Kind::Number:
                w.Put(kSettingsSection, f.key, WriteStoredInt(s.*f.number));
                break;
            case Field::Kind::Flag:
                w.Put(kSettingsSection, f.key, WriteStoredBool(s.*f.flag));
                break;
            case Field::Kind::Text:
                w.Put(kSettingsSection, f.key, s.*f.text);
                break;
            case Field::Kind::Password:
                w.Put(kSettingsSection, f.key, StoredPassword(s));
                break;
            case Field::Kind::AutorunSections:
                SaveAutorun(w, s);
                break;
        }
    }
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
