// zep's settings: the live values every part of the program reads, and the settings file they are
// loaded from and saved to (sections "ZEP" and "0" to "19").
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "date_time.h"

namespace zep {

constexpr int kAutorunCount = 20;

// One autorun entry. An empty Name means there is no entry at this index.
struct TAutorunType {
    std::string Name;
    bool Use = false;
    bool OnlyAuto = false;
    std::string FileName;   // program or document, or "WM_COMMAND"
    std::string Parameter;  // parameters, or a window class
    std::string Work;       // working folder, or a command number in hexadecimal
    int32_t Wait = 0;       // seconds after the WAN address arrived
    bool Launched = false;  // never stored
};

struct Settings {
    int32_t PosX = 0, PosY = 0;
    std::string SetupUtility;
    std::string IPAddress;
    bool ShowTimePanel = true;
    bool DialogClose = true;
    bool AutoConnect = false;
    bool AutoDisconnect = false;
    int32_t AutoConnectHour = 23;
    int32_t AutoConnectMinute = 0;
    int32_t AutoDisconnectHour = 7;
    int32_t AutoDisconnectMinute = 50;
    bool AutoTimeDisconnect = false;
    int32_t AutoTimeDisconnectSecond = 170;
    bool Easylog = true;
    bool Syslog = true;
    std::string LogFolder;
    bool UseSNTP = false;
    bool WaveConnect = false;
    bool WaveDisconnect = false;
    std::string WaveConnectFile;
    std::string WaveDisconnectFile;
    bool HTMLAutoCreate = true;
    std::string HTMLFile;
    bool FTPAutoConnect = false;
    bool FTPAutoConnectOnly = true;
    bool FTPAutoDiscon = false;
    bool ZEPConRequest = false;
    bool UseBeforeCon = false;
    bool AIlog = false;
    std::string AIExeFile;
    bool UseMRLDll = false;
    std::string FTPHost;
    std::string FTPUserName;
    std::string FTPDestination;
    bool FTPPassive = false;  // the data connection opened by zep (EPSV/PASV), not by the server
    bool FTPUseTLS = false;   // explicit TLS on the control and the data connection
    std::array<TAutorunType, kAutorunCount> Autorun{};
    int32_t TimePosX = 0, TimePosY = 0;
    std::string TimeFontName = "Arial";
    int32_t TimeFontSize = 9;
    bool TimeFontBold = false;
    bool TimeFontItalic = false;
    bool TimeStayOnTop = false;
    int32_t SetPosX = 0, SetPosY = 0;
    bool AutoTimeAgainCheck = false;  // not stored: off at every start

    // The FTP password in plain text. Set it through SetFTPPassword so that a stored text that
    // could not be read is replaced only when the user gives a new password.
    const std::string& FTPPassword() const { return ftpPassword_; }
    void SetFTPPassword(std::string password) {
        ftpPassword_ = std::move(password);
        unreadableStoredPassword_.reset();
    }

private:
    friend class SettingsStore;
    std::string ftpPassword_;
    std::optional<std::string> unreadableStoredPassword_;  // kept as it was, written back unchanged
};

// What the settings depend on in the running system.
struct SettingsEnvironment {
    int32_t desktopWidth = 0, desktopHeight = 0;
    std::string windowsFolder;  // no trailing backslash
    std::string programFolder;  // no trailing backslash
    std::string dataFolder;     // where zep's own files go (the logs, the IP page); no trailing backslash
    bool mrlLibraryBound = false;
    std::function<bool(const std::string&)> folderExists;
};

// The settings file: a private-profile (INI) file. Missing keys read as the given default.
class ProfileFile {
public:
    virtual ~ProfileFile() = default;
    virtual std::string Read(const std::string& section, const std::string& key, const std::string& fallback) = 0;
    virtual bool Write(const std::string& section, const std::string& key, const std::string& value) = 0;
    virtual bool DeleteKey(const std::string& section, const std::string& key) = 0;
    virtual void Flush() = 0;
};

class SettingsStore {
public:
    SettingsStore(ProfileFile& file, const SettingsEnvironment& env) : file_(file), env_(env) {}

    // The values of a first start, before anything is read.
    Settings Defaults() const;

    // Reads every key. Never fails: what cannot be read keeps its default; numbers of the spin
    // fields are brought into their range, UseMRLDll stays off without the bound library and a log
    // folder that is gone gives way to the default.
    void Load(Settings& s);
    // Writes every key in the file's order; nullopt when all went through, else the key that could
    // not be written (the keys before it stay written).
    std::optional<std::string> Save(const Settings& s);

    void SaveBeforeConTime(const LocalDateTime& t, const LocaleFormats& f);
    LocalDateTime ReadBeforeConTime(const LocalDateTime& now, const LocaleFormats& f);

private:
    int32_t ReadInt(const char* key, int32_t fallback);
    bool ReadBool(const char* key, bool fallback);
    std::string ReadString(const char* key, const std::string& fallback);
    void LoadAutorun(Settings& s);
    static void TakeStoredPassword(Settings& s, const std::string& stored);
    static std::string StoredPassword(const Settings& s);

    ProfileFile& file_;
    SettingsEnvironment env_;
};

inline constexpr char kSettingsSection[] = "ZEP";
inline constexpr char kDefaultSetupUtility[] = "C:\\Program Files\\MicroResearch\\NetGenesis\\NWGSet.exe";
inline constexpr char kDefaultRouterAddress[] = "192.168.0.1";

}  // namespace zep
