// Decisions of the settings window and its small dialogs that need no window: which controls are
// enabled, the firmware line of the about box, the check of the FTP settings.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "settings.h"

namespace zep {

// Controls whose enabled state follows a condition; every other control is always enabled.
enum class Ruled {
    AutoConHourSpin, AutoConMinuteSpin,
    AutoDisHourSpin, AutoDisMinuteSpin,
    AutoDisSecondSpin, AutoTimeAgainCheck,
    WaveConnectButton, WaveConnectBitbtn,
    WaveDisconnectButton, WaveDisconnectBitbtn,
    HTMLFileEdit, HTMLSaveButton, FTPConButton, FTPDisconButton, FTPSetButton, FTPLogList, FTPConCheck,
    FTPConAutoCheck, FTPDisconCheck, FTPAbortButton,
    IPEdit, SetupUtilPanelClicks,
    AILogCheck, AILogShowButton, TrayAILog,
    MRLCheck,
    Count
};
inline constexpr size_t kRuledCount = static_cast<size_t>(Ruled::Count);

// What the rules know besides the settings.
struct FormFacts {
    bool aiExeExists = false;     // tested at start-up and after choosing the file
    bool libraryBound = false;    // the router maker's library was bound at start
    bool ftpUploading = false;    // an upload runs: only its abort button works
};

using EnableStates = std::array<bool, kRuledCount>;
EnableStates ComputeEnableStates(const Settings& s, const FormFacts& facts);
inline bool Enabled(const EnableStates& e, Ruled r) { return e[static_cast<size_t>(r)]; }

// The about box's firmware line: upper half in hexadecimal, ".", lower half in four hex digits.
std::string FirmwareVersionText(uint32_t version);

// The FTP settings dialog's four fields and two boxes after OK: the first empty field's message,
// or nothing.
struct FtpFields {
    std::string host, user, password, destination;
    bool passive = false, tls = false;
};
const char16_t* FtpFieldsProblem(const FtpFields& f);

}  // namespace zep
