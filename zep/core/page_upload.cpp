// The IP page and the disconnect page uploaded by FTP: the buttons' actions, the busy rule, the
// three-line log and ConnectPageUploaded.
#include "controller.h"
#include "ftp_upload.h"
#include "settings_form.h"
#include "texts_ja.h"

namespace zep {
namespace {

std::u16string TwoDigits(int n) {
    return {static_cast<char16_t>(u'0' + n / 10 % 10), static_cast<char16_t>(u'0' + n % 10)};
}

}  // namespace

bool Controller::FtpSettingsComplete() const {
    return !settings_.FTPHost.empty() && !settings_.FTPUserName.empty() && !settings_.FTPDestination.empty() &&
           !settings_.FTPPassword().empty();
}

bool Controller::BeginUpload() {
    if (!FtpSettingsComplete()) {
        shell_.ShowBox(BoxKind::Error, text::kFtpSettingsIncomplete);
        return false;
    }
    if (ftpUploading_) return false;  // one upload at a time; a second request is turned away
    ftpUploading_ = true;
    shell_.FtpUploadChanged();
    return true;
}

void Controller::EndUpload() {
    ftpUploading_ = false;
    shell_.FtpUploadChanged();
}

int Controller::UploadFile(const std::string& localPath) {
    state_.FtpAbortRequested = false;
    const FileRead contents = shell_.ReadWholeFile(localPath);
    int result = kFtpTransferFailed;
    if (contents.bytes) {
        const FtpJob job{settings_.FTPHost, settings_.FTPUserName, settings_.FTPPassword(), settings_.FTPDestination,
                         localPath.substr(FolderWithSlash(localPath).size()), *contents.bytes};
        std::unique_ptr<FtpTransport> net = shell_.OpenFtpTransport();
        result = UploadByFtp(*net, job, [this] { return state_.FtpAbortRequested; });
    }
    // The newest result last; the list never holds more than three.
    if (ftpLog_.size() >= kFtpLogLines) ftpLog_.erase(ftpLog_.begin());
    const LocalDateTime now = shell_.LocalNow();
    ftpLog_.push_back(TwoDigits(now.hour) + u":" + TwoDigits(now.minute) + u":" + FtpResultText(result));
    return result;
}

void Controller::UploadConnectPage() {
    if (!BeginUpload()) return;
    if (!shell_.FileExists(settings_.HTMLFile)) shell_.ShowBox(BoxKind::Error, text::kIPPageNotMadeYet);
    else if (UploadFile(settings_.HTMLFile) == kFtpUploaded) state_.ConnectPageUploaded = true;
    EndUpload();
}

bool Controller::UploadDisconnectPage() {
    if (!BeginUpload()) return false;
    const std::string page = shell_.ProgramFolder() + "\\discon.htm";
    if (!shell_.FileExists(page)) shell_.ShowBox(BoxKind::Error, text::kDisconnectPageMissing);
    else if (UploadFile(page) < 0) shell_.ShowBox(BoxKind::Error, text::kDisconnectPageFailed);
    EndUpload();
    state_.ConnectPageUploaded = false;
    return true;
}

void Controller::AbortUpload() {
    if (ftpUploading_) state_.FtpAbortRequested = true;
}

}  // namespace zep
