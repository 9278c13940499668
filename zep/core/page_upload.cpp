#include "page_upload.h"

#include "ansi_text.h"
#include "controller_state.h"
#include "settings.h"
#include "shell.h"
#include "ftp_upload.h"
#include "ip_page.h"
#include "paths.h"
#include "texts_ja.h"

namespace zep {

bool PageUpload::MakeIPPage() {
    const std::string templatePath = shell_.ProgramFolder() + "\\connect.htm";
    if (!shell_.FileExists(templatePath)) {
        // Said, and the page left as it was; only a file error stops what follows.
        shell_.ShowBox(BoxKind::Error, text::kConnectTemplateMissing);
        return true;
    }
    // A template that is there but cannot be read (another program holds it) is a file error.
    const FileRead page = shell_.ReadWholeFile(templatePath);
    if (!page.bytes) {
        shell_.ReportFileError(templatePath, page.error);
        return false;
    }
    if (auto error = shell_.WriteWholeFile(settings_.HTMLFile, MakeIPPageText(*page.bytes, state_.WanIP))) {
        shell_.ReportFileError(settings_.HTMLFile, *error);
        return false;
    }
    return true;
}

bool PageUpload::FtpSettingsComplete() const {
    return !settings_.FTPHost.empty() && !settings_.FTPUserName.empty() && !settings_.FTPDestination.empty() &&
           !settings_.FTPPassword().empty();
}

bool PageUpload::BeginUpload() {
    if (!FtpSettingsComplete()) {
        shell_.ShowBox(BoxKind::Error, text::kFtpSettingsIncomplete);
        return false;
    }
    if (ftpUploading_) return false;  // one upload at a time; a second request is turned away
    ftpUploading_ = true;
    shell_.FtpUploadChanged();
    return true;
}

void PageUpload::EndUpload() {
    ftpUploading_ = false;
    shell_.FtpUploadChanged();
}

int PageUpload::UploadFile(const std::string& localPath) {
    state_.FtpAbortRequested = false;
    const FileRead contents = shell_.ReadWholeFile(localPath);
    int result = kFtpTransferFailed;
    if (contents.bytes) {
        const FtpJob job{settings_.FTPHost, settings_.FTPUserName, settings_.FTPPassword(), settings_.FTPDestination,
                         LeafName(localPath), *contents.bytes, settings_.FTPPassive, settings_.FTPUseTLS};
        std::unique_ptr<FtpTransport> net = shell_.OpenFtpTransport();
        result = UploadByFtp(*net, job, [this] { return state_.FtpAbortRequested; });
    }
    // The newest result last; the list never holds more than three.
    if (ftpLog_.size() >= kFtpLogLines) ftpLog_.erase(ftpLog_.begin());
    const LocalDateTime now = shell_.LocalNow();
    const std::string time = ZeroPadded(now.hour, 2) + ":" + ZeroPadded(now.minute, 2) + ":";
    ftpLog_.push_back(std::u16string(time.begin(), time.end()) + FtpResultText(result));
    return result;
}

void PageUpload::UploadConnectPage() {
    if (!BeginUpload()) return;
    if (!shell_.FileExists(settings_.HTMLFile)) shell_.ShowBox(BoxKind::Error, text::kIPPageNotMadeYet);
    else if (UploadFile(settings_.HTMLFile) == kFtpUploaded) state_.ConnectPageUploaded = true;
    EndUpload();
}

bool PageUpload::UploadDisconnectPage() {
    if (!BeginUpload()) return false;
    const std::string page = shell_.ProgramFolder() + "\\discon.htm";
    if (!shell_.FileExists(page)) shell_.ShowBox(BoxKind::Error, text::kDisconnectPageMissing);
    else if (UploadFile(page) < 0) shell_.ShowBox(BoxKind::Error, text::kDisconnectPageFailed);
    EndUpload();
    state_.ConnectPageUploaded = false;
    return true;
}

void PageUpload::AbortUpload() {
    if (ftpUploading_) state_.FtpAbortRequested = true;
}

}  // namespace zep
