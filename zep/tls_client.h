// TLS as the client through the system's SChannel, over a connection whose bytes the caller moves
// (the FTP client's sockets, whose waits pump the program's messages).
#pragma once
#include <winsock2.h>
#include <windows.h>
#define SECURITY_WIN32
#include <security.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ftp_upload.h"

namespace zep {

// The connection under TLS.
struct TlsLink {
    std::function<bool(std::string_view)> send;  // every byte, or false
    // Some bytes; nothing at the connection's end, after the time-out, on an error or the abort.
    std::function<std::optional<std::string>(uint32_t timeoutMs)> receive;
};

// The client's credentials of one upload: the control and the data connection share them, so that
// the system can resume the control connection's session on the data connection.
class TlsCredentials {
public:
    TlsCredentials() = default;
    ~TlsCredentials();
    TlsCredentials(const TlsCredentials&) = delete;
    TlsCredentials& operator=(const TlsCredentials&) = delete;
    CredHandle* Get();  // acquired on first use; nullptr when the system gives none

private:
    CredHandle handle_{};
    bool acquired_ = false;
};

// One TLS connection. The server's certificate must chain to a root the system trusts and carry
// the server's name; nothing is sent through a connection whose handshake did not end so.
class TlsClient {
public:
    TlsClient(TlsCredentials& credentials, std::wstring serverName, uint32_t stallMs)
        : credentials_(credentials), serverName_(std::move(serverName)), stallMs_(stallMs) {}
    ~TlsClient();
    TlsClient(const TlsClient&) = delete;
    TlsClient& operator=(const TlsClient&) = delete;

    FtpTls Handshake(const TlsLink& link);
    bool Send(const TlsLink& link, std::string_view plain);
    // The next plain bytes; nothing at the end (the server's close included) or on a failure.
    std::optional<std::string> Receive(const TlsLink& link, uint32_t timeoutMs);
    // Tells the server that nothing more comes (close_notify).
    void Shutdown(const TlsLink& link);

private:
    // One handshake step with what was received so far; SEC_E_INCOMPLETE_MESSAGE asks for more.
    SECURITY_STATUS Step(const TlsLink& link, bool first);
    bool CertificateTrusted();

    TlsCredentials& credentials_;
    std::wstring serverName_;
    uint32_t stallMs_;
    CtxtHandle context_{};
    bool hasContext_ = false;
    bool up_ = false;
    SecPkgContext_StreamSizes sizes_{};
    std::string incoming_;  // received bytes not yet decrypted
};

}  // namespace zep
