// The FTP upload's network on Windows: non-blocking sockets whose events wake the program's
// message pump, so the one UI thread keeps handling messages while the upload waits; TLS on them
// through the system (tls_client).
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ftp_upload.h"
#include "tls_client.h"

namespace zep {

class WinFtpTransport : public FtpTransport {
public:
    // Processes window messages, sleeping between them: true as soon as done() holds, false after
    // timeoutMs or when the program is closing.
    using PumpUntil = std::function<bool(const std::function<bool()>& done, uint32_t timeoutMs)>;

    // The sockets' events and the answer of a name lookup are posted to `window` as
    // `socketMessage`; they only wake the pump, the window need not handle them.
    WinFtpTransport(HWND window, UINT socketMessage, PumpUntil pump, std::function<bool()> abortRequested);
    ~WinFtpTransport() override;
    WinFtpTransport(const WinFtpTransport&) = delete;
    WinFtpTransport& operator=(const WinFtpTransport&) = delete;

    bool Connect(const std::string& host) override;
    std::optional<std::string> Receive(uint32_t timeoutMs) override;
    bool Send(const std::string& bytes) override;
    FtpTls StartTls() override;
    std::optional<std::string> ListenForData() override;
    bool ConnectData(uint16_t port) override;
    bool SendData(const std::string& bytes, bool protect) override;
    void Close() override;

private:
    // What one look at a socket found.
    enum class Step { kWaiting, kDone, kFailed };

    // Pumps messages until `step` gives kDone (true), or kFailed, the time-out, the user's abort or
    // the program's end (false). `step` is looked at first, so what is ready needs no pumping.
    bool WaitFor(const std::function<Step()>& step, uint32_t timeoutMs);
    std::optional<in_addr> Resolve(const std::string& host, uint32_t timeoutMs);
    // Connects `socket` (made by WatchedSocket) to `address`.
    bool ConnectTo(SOCKET socket, const sockaddr_in& address, uint32_t timeoutMs);
    // A new TCP socket, non-blocking, whose `events` are posted to the window.
    SOCKET WatchedSocket(long events);
    bool SendAll(SOCKET socket, std::string_view bytes, uint32_t stallMs);
    std::optional<std::string> ReceiveSome(SOCKET socket, uint32_t timeoutMs);
    // The socket's bytes as they go over the wire (under TLS).
    TlsLink Link(SOCKET& socket, uint32_t stallMs);
    std::optional<in_addr> ControlPeer() const;
    bool AcceptData();
    bool SendProtected(const std::string& bytes);

    HWND window_;
    UINT socketMessage_;
    PumpUntil pump_;
    std::function<bool()> abortRequested_;
    SOCKET control_ = INVALID_SOCKET;
    SOCKET listener_ = INVALID_SOCKET;
    SOCKET data_ = INVALID_SOCKET;
    std::wstring serverName_;  // the host as given: the name the certificate must carry
    TlsCredentials credentials_;
    std::unique_ptr<TlsClient> controlTls_;  // once AUTH TLS was accepted
};

}  // namespace zep
