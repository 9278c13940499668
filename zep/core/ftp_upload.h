// The IP page's upload by FTP: the dialogue with the server, its result codes and their texts.
// The network lies behind FtpTransport, so the dialogue is tested against scripted servers.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zep {

// FtpUploadResult
inline constexpr int kFtpUploaded = 0;
inline constexpr int kFtpNoConnection = -1;   // no connection or login refused
inline constexpr int kFtpNoAsciiMode = -2;    // TYPE A refused
inline constexpr int kFtpNoDirectory = -3;    // a directory of the destination refused (also PWD refused)
inline constexpr int kFtpTransferFailed = -4;  // PORT, STOR or the data connection failed
inline constexpr int kFtpAborted = -5;        // the user's abort, also during the transfer
inline constexpr int kFtpNoTls = -6;          // AUTH TLS, PBSZ or PROT refused: nothing goes in clear text
inline constexpr int kFtpUntrusted = -7;      // the server's certificate: no trusted chain, or another name
inline constexpr int kFtpTlsFailed = -8;      // the TLS handshake of the control connection failed

// The log list's text of a result; any unknown value reads as success.
const char16_t* FtpResultText(int result);

// One reply of the server: its three-digit code and its whole text (all lines of a multi-line
// reply as they came, codes included, joined by "\n", without the line ends).
struct FtpReply {
    int code = 0;
    std::string text;
};

// Collects the bytes of the control connection into replies: single lines "ddd text", multi-line
// replies "ddd-..." up to the line that starts with the same "ddd ". Lines end with LF (a CR
// before it is dropped). A line that cannot start a reply, a line longer than 4096 bytes or a reply
// longer than 64 KiB makes the stream garbage.
class FtpReplyReader {
public:
    void Feed(std::string_view bytes);
    // The next complete reply, if one is there.
    std::optional<FtpReply> Next();
    // The server sent something that is not an FTP reply; nothing more is read.
    bool garbage() const { return garbage_; }
    // No byte is waiting beyond the replies taken.
    bool empty() const { return pending_.empty(); }

private:
    std::string pending_;
    bool garbage_ = false;
};

// The text between the first two double quotes of a PWD reply; empty without them.
std::string QuotedDirectory(const std::string& replyText);

// Where the destination leads, after PWD gave `currentDirectory`: the directories to enter in
// turn (an empty name for two slashes in a row) and the remote file name (the local file's name
// when the destination ends in "/").
struct FtpTarget {
    std::vector<std::string> directories;
    std::string fileName;
};
FtpTarget SplitFtpDestination(std::string destination, const std::string& currentDirectory,
                              const std::string& localFileName);

// The data port of a passive-mode reply: "229 ... (|||port|)" to EPSV, "227 ... h1,h2,h3,h4,p1,p2"
// to PASV. The address of a PASV reply is not taken: the data connection goes to the control
// connection's peer, so that a server cannot send the upload elsewhere.
std::optional<uint16_t> ExtendedPassivePort(const std::string& replyText);
std::optional<uint16_t> PassivePort(const std::string& replyText);

// What starting TLS on the control connection came to.
enum class FtpTls { kUp, kFailed, kUntrusted };

// The network under the dialogue. Every wait ends after its time-out, when the connection closes
// or fails, or when the user asked to abort.
class FtpTransport {
public:
    virtual ~FtpTransport() = default;
    // Opens the control connection to port 21 of the host (a name or a dotted address).
    virtual bool Connect(const std::string& host) = 0;
    // The next bytes of the control connection; nothing after the time-out, at the end of the
    // connection, on an error or on the abort.
    virtual std::optional<std::string> Receive(uint32_t timeoutMs) = 0;
    virtual bool Send(const std::string& bytes) = 0;
    // The TLS handshake on the control connection, as the client; the server's certificate must
    // chain to a trusted root and name the host given to Connect. Up: Send and Receive carry
    // plain text through TLS from then on.
    virtual FtpTls StartTls() = 0;
    // Active mode: listens for the data connection on the control connection's local address; the
    // PORT command's argument ("h1,h2,h3,h4,p1,p2"), or nothing when it cannot.
    virtual std::optional<std::string> ListenForData() = 0;
    // Passive mode: opens the data connection to `port` of the control connection's peer.
    virtual bool ConnectData(uint16_t port) = 0;
    // Sends every byte on the data connection and closes it (in active mode it accepts it first,
    // only from the control connection's peer); with `protect`, through TLS as the client, the
    // certificate verified as on the control connection. False when it broke, timed out or was
    // aborted.
    virtual bool SendData(const std::string& bytes, bool protect) = 0;
    // Closes every connection that is still open.
    virtual void Close() = 0;
};

// How long the dialogue waits for each reply, and for the reply to QUIT.
inline constexpr uint32_t kFtpReplyTimeoutMs = 30000;
inline constexpr uint32_t kFtpQuitTimeoutMs = 5000;

struct FtpJob {
    std::string host, userName, password;
    std::string destination;    // FTPDestination
    std::string localFileName;  // the local file's name without its folder
    std::string contents;       // the file's bytes, sent unchanged
    bool passive = false;       // EPSV (PASV when refused) instead of PORT
    bool tls = false;           // AUTH TLS before the login, PBSZ 0 and PROT P after it
};

// The whole upload: (AUTH TLS,) log in, (PBSZ 0, PROT P,) TYPE A, PWD, the directories, PORT or
// EPSV/PASV and STOR, QUIT after every outcome but a broken connection.
// `abortRequested` is looked at between the steps.
int UploadByFtp(FtpTransport& net, const FtpJob& job, const std::function<bool()>& abortRequested);

}  // namespace zep
