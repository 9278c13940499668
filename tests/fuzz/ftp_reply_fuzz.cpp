// Fuzzes what an FTP server says. The input's first byte tells how many of the following bytes give
// the sizes of the pieces in which the rest arrives (its low three bits), and whether the upload
// uses passive mode and TLS (the next two). The reply reader must give the same replies however
// the stream is cut, and the upload, talking to a server that says the rest, must end with a
// result and a closed connection, never sending the account before TLS is up.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "ftp_upload.h"

namespace {

// The stream cut into pieces whose sizes (1 to 256) repeat the size bytes.
class Pieces {
public:
    Pieces(std::string_view sizes, std::string_view stream) : sizes_(sizes), rest_(stream) {}
    bool empty() const { return rest_.empty(); }
    std::string_view Next() {
        const size_t size = sizes_.empty() ? rest_.size() : static_cast<uint8_t>(sizes_[count_++ % sizes_.size()]) + 1u;
        const std::string_view piece = rest_.substr(0, size);
        rest_.remove_prefix(piece.size());
        return piece;
    }

private:
    std::string_view sizes_, rest_;
    size_t count_ = 0;
};

std::vector<zep::FtpReply> Drain(zep::FtpReplyReader& reader, std::vector<zep::FtpReply> replies = {}) {
    while (std::optional<zep::FtpReply> reply = reader.Next()) replies.push_back(*reply);
    return replies;
}

// A server that says the stream whatever it is told; everything else always works.
class StreamServer : public zep::FtpTransport {
public:
    explicit StreamServer(Pieces pieces) : pieces_(pieces) {}
    bool closed = false;
    bool tlsRequired = false;
    bool tlsUp = false;

    bool Connect(const std::string&) override { return true; }
    std::optional<std::string> Receive(uint32_t) override {
        if (pieces_.empty()) return std::nullopt;
        return std::string(pieces_.Next());
    }
    bool Send(const std::string& bytes) override {
        if (closed || !bytes.ends_with("\r\n") || bytes.find_first_of("\r\n") != bytes.size() - 2) std::abort();
        if (tlsRequired && !tlsUp && (bytes.starts_with("USER") || bytes.starts_with("PASS"))) std::abort();
        return true;
    }
    zep::FtpTls StartTls() override {
        tlsUp = true;
        return zep::FtpTls::kUp;
    }
    std::optional<std::string> ListenForData() override { return "127,0,0,1,4,1"; }
    bool ConnectData(uint16_t port) override { return port != 0; }
    bool SendData(const std::string&, bool protect) override { return protect == tlsRequired; }
    void Close() override { closed = true; }

private:
    Pieces pieces_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.empty()) return 0;
    const size_t sizeCount = static_cast<uint8_t>(input[0]) % 8;
    if (input.size() < 1 + sizeCount) return 0;
    const std::string_view sizes = input.substr(1, sizeCount), stream = input.substr(1 + sizeCount);

    zep::FtpReplyReader whole;
    whole.Feed(stream);
    const std::vector<zep::FtpReply> expected = Drain(whole);

    zep::FtpReplyReader cut;
    std::vector<zep::FtpReply> replies;
    for (Pieces pieces(sizes, stream); !pieces.empty();) {
        cut.Feed(pieces.Next());
        replies = Drain(cut, std::move(replies));
    }
    const auto same = [](const zep::FtpReply& a, const zep::FtpReply& b) {
        return a.code == b.code && a.text == b.text;
    };
    if (!std::equal(replies.begin(), replies.end(), expected.begin(), expected.end(), same) ||
        cut.garbage() != whole.garbage())
        std::abort();
    for (const zep::FtpReply& reply : replies) {
        if (std::to_string(reply.code + 1000).substr(1) != reply.text.substr(0, 3)) std::abort();
        if (reply.text.find(zep::QuotedDirectory(reply.text)) == std::string::npos) std::abort();
        if (zep::ExtendedPassivePort(reply.text) == 0 || zep::PassivePort(reply.text) == 0) std::abort();
    }

    StreamServer server{Pieces(sizes, stream)};
    const bool passive = input[0] & 8, tls = input[0] & 16;
    server.tlsRequired = tls;
    const zep::FtpJob job{"ftp.example.jp", "ann", "secret", "/a//b/c.html", "connect.htm", "<p>x</p>", passive, tls};
    const int result = zep::UploadByFtp(server, job, [] { return false; });
    // Without the user's abort, any of the others; the TLS ones only with TLS.
    const int lowest = tls ? zep::kFtpTlsFailed : zep::kFtpTransferFailed;
    if (result > zep::kFtpUploaded || result < lowest || result == zep::kFtpAborted || !server.closed) std::abort();
    return 0;
}
