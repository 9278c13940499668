#include "settings_form.h"

#include <cstdio>

#include "texts_ja.h"

namespace zep {

EnableStates ComputeEnableStates(const Settings& s, const FormFacts& facts) {
    EnableStates e{};
    auto set = [&e](Ruled r, bool v) { e[static_cast<size_t>(r)] = v; };
    set(Ruled::AutoConHourSpin, s.AutoConnect);
    set(Ruled::AutoConMinuteSpin, s.AutoConnect);
    set(Ruled::AutoDisHourSpin, s.AutoDisconnect);
    set(Ruled::AutoDisMinuteSpin, s.AutoDisconnect);
    set(Ruled::AutoDisSecondSpin, s.AutoTimeDisconnect);
    set(Ruled::AutoTimeAgainCheck, s.AutoTimeDisconnect);
    set(Ruled::WaveConnectButton, s.WaveConnect);
    set(Ruled::WaveConnectBitbtn, s.WaveConnect);
    set(Ruled::WaveDisconnectButton, s.WaveDisconnect);
    set(Ruled::WaveDisconnectBitbtn, s.WaveDisconnect);
    for (Ruled r : {Ruled::HTMLFileEdit, Ruled::HTMLSaveButton, Ruled::FTPSetButton, Ruled::FTPLogList,
                    Ruled::FTPConCheck})
        set(r, s.HTMLAutoCreate);
    set(Ruled::FTPConButton, s.HTMLAutoCreate && !facts.ftpUploading);
    set(Ruled::FTPDisconButton, s.HTMLAutoCreate && !facts.ftpUploading);
    set(Ruled::FTPAbortButton, facts.ftpUploading);
    set(Ruled::FTPConAutoCheck, s.HTMLAutoCreate && s.FTPAutoConnect);
    set(Ruled::FTPDisconCheck, s.HTMLAutoCreate && s.FTPAutoConnect);
    set(Ruled::IPEdit, !s.UseMRLDll);
    set(Ruled::SetupUtilPanelClicks, !s.UseMRLDll);
    set(Ruled::AILogCheck, facts.aiExeExists);
    set(Ruled::AILogShowButton, facts.aiExeExists);
    set(Ruled::TrayAILog, facts.aiExeExists);
    set(Ruled::MRLCheck, facts.libraryBound);
    return e;
}

std::string FirmwareVersionText(uint32_t version) {
    char text[16];
    std::snprintf(text, sizeof text, "%X.%04X", static_cast<unsigned>(version >> 16),
                  static_cast<unsigned>(version & 0xFFFF));
    return text;
}

const char16_t* FtpFieldsProblem(const FtpFields& f) {
    if (f.host.empty()) return text::kFtpNoHost;
    if (f.user.empty()) return text::kFtpNoUser;
    if (f.password.empty()) return text::kFtpNoPassword;
    if (f.destination.empty()) return text::kFtpNoDestination;
    return nullptr;
}

bool IsLeadByte932(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

namespace {
// Index of the last single-byte `c` in `path`, walking whole characters of code page 932.
size_t LastChar(const std::string& path, char c, size_t from = 0) {
    size_t found = std::string::npos;
    for (size_t i = from; i < path.size(); ++i) {
        if (path[i] == c) found = i;
        else if (IsLeadByte932(static_cast<unsigned char>(path[i]))) ++i;
    }
    return found;
}
}  // namespace

std::string FolderWithSlash(const std::string& path) {
    size_t slash = LastChar(path, '\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string WithExtension(const std::string& path, const std::string& extension) {
    size_t slash = LastChar(path, '\\');
    size_t dot = LastChar(path, '.', slash == std::string::npos ? 0 : slash + 1);
    return (dot == std::string::npos ? path : path.substr(0, dot)) + extension;
}

}  // namespace zep
