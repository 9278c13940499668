// The IP page: written from the connect template when the WAN address arrives, and uploaded by
// FTP (the settings window's buttons and the automatic uploads), with the disconnect page before
// a disconnection; one upload at a time, and the log of the last three results.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "controller_part.h"

namespace zep {

// The settings window's FTP log list keeps this many results.
inline constexpr size_t kFtpLogLines = 3;

class PageUpload : ControllerPart {
public:
    using ControllerPart::ControllerPart;

    // Writes the IP page from the connect template; false after a file error, which stops what
    // was to follow (a missing template is only said).
    bool MakeIPPage();
    // Uploads the IP page; and the disconnect page (false when it did not start: settings
    // incomplete or another upload running). The abort ends a running upload.
    void UploadConnectPage();
    bool UploadDisconnectPage();
    void AbortUpload();
    bool ftpUploading() const { return ftpUploading_; }
    const std::vector<std::u16string>& ftpLog() const { return ftpLog_; }

private:
    bool FtpSettingsComplete() const;
    bool BeginUpload();
    void EndUpload();
    int UploadFile(const std::string& localPath);

    bool ftpUploading_ = false;
    std::vector<std::u16string> ftpLog_;
};

}  // namespace zep
