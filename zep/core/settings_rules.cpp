#include "settings_rules.h"

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

}  // namespace zep
