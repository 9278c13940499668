// The FTP upload's dialogue with the server over an FtpTransport.
#include "ftp_upload.h"

#include <algorithm>

#include "texts_ja.h"

namespace zep {

const char16_t* FtpResultText(int result) {
    switch (result) {
        case kFtpNoConnection: return text::kFtpResultNoConnection;
        case kFtpNoAsciiMode: return text::kFtpResultNoAsciiMode;
        case kFtpNoDirectory: return text::kFtpResultNoDirectory;
        case kFtpTransferFailed: return text::kFtpResultTransferFailed;
        case kFtpAborted: return text::kFtpResultAborted;
        case kFtpNoTls: return text::kFtpResultNoTls;
        case kFtpUntrusted: return text::kFtpResultUntrusted;
        case kFtpTlsFailed: return text::kFtpResultTlsFailed;
        default: return text::kFtpResultUploaded;
    }
}

namespace {

// No server needs longer lines or replies; a stream that exceeds them is not spoken to further,
// so that a hostile server can neither fill the memory nor hold the upload with an endless reply.
constexpr size_t kMaxLineBytes = 4096;
constexpr size_t kMaxReplyBytes = 65536;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether a reply's first line can begin with `line`: three digits (a line still arriving may show
// fewer of them so far).
bool CanStartReply(std::string_view line, bool complete) {
    const std::string_view code = line.substr(0, 3);
    return std::all_of(code.begin(), code.end(), IsDigit) && (code.size() == 3 || !complete);
}

// Whether `line` is the last of the reply that began with `firstLine`: a single-line reply, or the
// line of a multi-line reply that starts with the same code and a blank.
bool EndsReply(std::string_view line, std::string_view firstLine, bool isFirst) {
    if (isFirst) return line.size() == 3 || line[3] != '-';
    return line.size() > 3 && line.substr(0, 3) == firstLine.substr(0, 3) && line[3] == ' ';
}

}  // namespace

void FtpReplyReader::Feed(std::string_view bytes) {
    if (!garbage_) pending_.append(bytes);
}

// Each call looks at the reply from its start again: replies are short, and this keeps the result
// the same however the bytes were cut into pieces. A line still arriving is judged by what it shows
// so far, less a last CR that may turn out to be its end: its bytes only grow from there.
std::optional<FtpReply> FtpReplyReader::Next() {
    FtpReply reply;
    size_t from = 0;  // where the reply's next line starts
    while (!garbage_) {
        const bool isFirst = from == 0;
        const size_t end = pending_.find('\n', from);
        const bool complete = end != std::string::npos;
        std::string_view line = std::string_view(pending_).substr(from, complete ? end - from : std::string::npos);
        if (line.ends_with('\r')) line.remove_suffix(1);
        garbage_ = line.size() > kMaxLineBytes || from + line.size() > kMaxReplyBytes ||
                   (isFirst && !CanStartReply(line, complete));
        if (garbage_ || !complete) break;

        if (isFirst) reply.code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
        else reply.text += '\n';
        reply.text.append(line);
        from = end + 1;
        if (EndsReply(line, reply.text, isFirst)) {
            pending_.erase(0, from);
            return reply;
        }
    }
    return std::nullopt;
}

std::string QuotedDirectory(const std::string& replyText) {
    const size_t open = replyText.find('"');
    const size_t close = open == std::string::npos ? open : replyText.find('"', open + 1);
    return close == std::string::npos ? std::string() : replyText.substr(open + 1, close - open - 1);
}

FtpTarget SplitFtpDestination(std::string destination, const std::string& currentDirectory,
                              const std::string& localFileName) {
    if (!currentDirectory.empty() && destination.starts_with(currentDirectory))
        destination.erase(0, currentDirectory.size());
    if (destination.starts_with('/')) destination.erase(0, 1);
    FtpTarget target;
    for (size_t slash; (slash = destination.find('/')) != std::string::npos; destination.erase(0, slash + 1))
        target.directories.push_back(destination.substr(0, slash));
    target.fileName = destination.empty() ? localFileName : destination;
    return target;
}

namespace {

// A decimal number of at most `maxDigits` digits at `at`, moving `at` past it.
std::optional<uint32_t> Number(const std::string& text, size_t& at, size_t maxDigits) {
    const size_t start = at;
    uint32_t value = 0;
    while (at < text.size() && IsDigit(text[at]) && at - start < maxDigits) value = value * 10 + (text[at++] - '0');
    if (at == start || (at < text.size() && IsDigit(text[at]))) return std::nullopt;
    return value;
}

std::optional<uint16_t> ValidPort(std::optional<uint32_t> port) {
    if (!port || *port == 0 || *port > 65535) return std::nullopt;
    return static_cast<uint16_t>(*port);
}

}  // namespace

std::optional<uint16_t> ExtendedPassivePort(const std::string& replyText) {
    // (<d><d><d>port<d>): the delimiter d is any printable character but a digit.
    const size_t open = replyText.find('(');
    if (open == std::string::npos || replyText.size() < open + 4) return std::nullopt;
    const char d = replyText[open + 1];
    if (d < 33 || d > 126 || IsDigit(d) || replyText[open + 2] != d || replyText[open + 3] != d) return std::nullopt;
    size_t at = open + 4;
    const std::optional<uint16_t> port = ValidPort(Number(replyText, at, 5));
    if (!port || replyText.compare(at, 2, std::string{d, ')'}) != 0) return std::nullopt;
    return port;
}

std::optional<uint16_t> PassivePort(const std::string& replyText) {
    // The first six numbers 0-255 joined by commas after the code, with or without parentheses.
    for (size_t from = 3; from < replyText.size(); ++from) {
        if (!IsDigit(replyText[from]) || IsDigit(replyText[from - 1])) continue;
        size_t at = from;
        uint32_t parts[6];
        int count = 0;
        for (; count < 6; ++count) {
            const std::optional<uint32_t> part = Number(replyText, at, 3);
            if (!part || *part > 255) break;
            parts[count] = *part;
            if (count < 5 && (at >= replyText.size() || replyText[at++] != ',')) break;
        }
        if (count == 6) return ValidPort(parts[4] * 256 + parts[5]);
    }
    return std::nullopt;
}

namespace {

// The reply codes with which a step's server refuses it.
struct Refusal {
    int lowest, highest;
};
constexpr Refusal kRefusedFrom400{400, 599};
constexpr Refusal kLoginRefused{401, 599};
constexpr Refusal kTransferRefused{301, 599};

// The control connection of one upload. A reply that does not come (time-out, the connection's
// end, garbage) leaves the connection broken: nothing more is sent on it. A wait that the abort
// ended leaves it working, so the server still hears QUIT.
class FtpSession {
public:
    FtpSession(FtpTransport& net, const std::function<bool()>& abortRequested)
        : net_(net), abortRequested_(abortRequested) {}

    // The upload from the connection to the end of the transfer, or to the first failure.
    int Upload(const FtpJob& job);
    // QUIT, when the connection still works, then closing it.
    void Disconnect();

private:
    int LogIn(const FtpJob& job);
    int StartTls();
    int ProtectData();
    bool OpenData(bool passive);
    std::optional<uint16_t> EnterPassive();
    int Store(const FtpJob& job, const std::string& fileName);

    // A command is sent only when it fits in one line: a CR, LF or NUL in a name would end it early
    // and let the rest of the name become a command of its own.
    bool Send(const std::string& command);
    std::optional<FtpReply> Reply(uint32_t timeoutMs = kFtpReplyTimeoutMs);
    // The command and its reply; nothing when the command cannot be sent.
    std::optional<FtpReply> Exchange(const std::string& command) {
        return Send(command) ? Reply() : std::nullopt;
    }
    static bool Refused(const std::optional<FtpReply>& reply, Refusal refusal) {
        return !reply || (reply->code >= refusal.lowest && reply->code <= refusal.highest);
    }

    FtpTransport& net_;
    const std::function<bool()>& abortRequested_;
    FtpReplyReader reader_;
    bool broken_ = false;
};

int FtpSession::Upload(const FtpJob& job) {
    if (const int result = LogIn(job); result != kFtpUploaded) return result;
    if (abortRequested_()) return kFtpAborted;
    if (Refused(Exchange("TYPE A"), kRefusedFrom400)) return kFtpNoAsciiMode;
    const std::optional<FtpReply> pwd = Exchange("PWD");
    if (Refused(pwd, kRefusedFrom400)) return kFtpNoDirectory;
    const FtpTarget target = SplitFtpDestination(job.destination, QuotedDirectory(pwd->text), job.localFileName);
    for (const std::string& directory : target.directories) {
        if (abortRequested_()) return kFtpAborted;
        if (Refused(Exchange("CWD " + directory), kRefusedFrom400)) return kFtpNoDirectory;
    }
    if (abortRequested_()) return kFtpAborted;
    return Store(job, target.fileName);
}

int FtpSession::LogIn(const FtpJob& job) {
    if (!net_.Connect(job.host)) {
        broken_ = true;
        return kFtpNoConnection;
    }
    std::optional<FtpReply> greeting = Reply();
    if (greeting && greeting->code / 100 == 1) greeting = Reply();  // "120 ready in n minutes", then the greeting
    if (Refused(greeting, kRefusedFrom400)) return kFtpNoConnection;
    if (job.tls) {
        if (const int result = StartTls(); result != kFtpUploaded) return result;
    }
    const std::optional<FtpReply> user = Exchange("USER " + job.userName);
    if (Refused(user, kLoginRefused)) return kFtpNoConnection;
    if (user->code == 331 && Refused(Exchange("PASS " + job.password), kLoginRefused)) return kFtpNoConnection;
    return job.tls ? ProtectData() : kFtpUploaded;
}

// Only 234 starts TLS; any other answer ends the upload before a name or a password is sent. Bytes
// that came after the 234 in clear text were put there by someone on the way (or by a broken
// server): they would be read as the first replies under TLS, so the upload stops there too.
int FtpSession::StartTls() {
    const std::optional<FtpReply> auth = Exchange("AUTH TLS");
    if (!auth || auth->code != 234) return broken_ ? kFtpNoConnection : kFtpNoTls;
    broken_ = !reader_.empty();
    if (broken_) return kFtpTlsFailed;
    const FtpTls tls = net_.StartTls();
    // After a failed handshake the connection carries neither TLS nor clear text: no QUIT.
    broken_ = tls != FtpTls::kUp;
    if (tls == FtpTls::kUntrusted) return kFtpUntrusted;
    return broken_ ? kFtpTlsFailed : kFtpUploaded;
}

// The data connections are protected too; a server that refuses gets no file in clear text.
int FtpSession::ProtectData() {
    const std::optional<FtpReply> pbsz = Exchange("PBSZ 0");
    if (!pbsz || pbsz->code / 100 != 2) return kFtpNoTls;
    const std::optional<FtpReply> prot = Exchange("PROT P");
    return prot && prot->code / 100 == 2 ? kFtpUploaded : kFtpNoTls;
}

// EPSV, and PASV when the server refuses it or its answer names no port.
std::optional<uint16_t> FtpSession::EnterPassive() {
    const std::optional<FtpReply> epsv = Exchange("EPSV");
    if (!epsv) return std::nullopt;
    if (epsv->code == 229) {
        if (const std::optional<uint16_t> port = ExtendedPassivePort(epsv->text)) return port;
    }
    const std::optional<FtpReply> pasv = Exchange("PASV");
    return pasv && pasv->code == 227 ? PassivePort(pasv->text) : std::nullopt;
}

bool FtpSession::OpenData(bool passive) {
    if (passive) {
        const std::optional<uint16_t> port = EnterPassive();
        return port && net_.ConnectData(*port);
    }
    const std::optional<std::string> address = net_.ListenForData();
    return address && !Refused(Exchange("PORT " + *address), kTransferRefused);
}

// A server that answers STOR at once without a preliminary reply still gets the data; its answer
// was the final one.
int FtpSession::Store(const FtpJob& job, const std::string& fileName) {
    if (!OpenData(job.passive)) return kFtpTransferFailed;
    const std::optional<FtpReply> store = Exchange("STOR " + fileName);
    if (Refused(store, kTransferRefused) || !net_.SendData(job.contents, job.tls)) return kFtpTransferFailed;
    if (store->code / 100 != 1) return kFtpUploaded;
    const std::optional<FtpReply> done = Reply();
    return done && done->code / 100 == 2 ? kFtpUploaded : kFtpTransferFailed;
}

void FtpSession::Disconnect() {
    if (Send("QUIT")) Reply(kFtpQuitTimeoutMs);
    net_.Close();
}

bool FtpSession::Send(const std::string& command) {
    if (command.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) return false;
    broken_ = broken_ || !net_.Send(command + "\r\n");
    return !broken_;
}

std::optional<FtpReply> FtpSession::Reply(uint32_t timeoutMs) {
    while (!broken_) {
        if (std::optional<FtpReply> reply = reader_.Next()) return reply;
        const std::optional<std::string> bytes = reader_.garbage() ? std::nullopt : net_.Receive(timeoutMs);
        if (!bytes && !reader_.garbage() && abortRequested_()) return std::nullopt;
        broken_ = !bytes || bytes->empty();
        if (!broken_) reader_.Feed(*bytes);
    }
    return std::nullopt;
}

}  // namespace

// A step that fails while the user asks to abort (a wait that the abort ended, most often) counts
// as aborted.
int UploadByFtp(FtpTransport& net, const FtpJob& job, const std::function<bool()>& abortRequested) {
    FtpSession session(net, abortRequested);
    int result = session.Upload(job);
    if (result != kFtpUploaded && abortRequested()) result = kFtpAborted;
    session.Disconnect();
    return result;
}

}  // namespace zep
