#include "ftp_transport.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tick_count.h"
#include "win_system.h"

namespace zep {
namespace {

constexpr u_short kFtpPort = 21;
constexpr uint32_t kConnectTimeoutMs = 30000;  // the name lookup included
constexpr uint32_t kControlStallMs = 30000;
constexpr uint32_t kAcceptTimeoutMs = 30000;
constexpr uint32_t kDataStallMs = 60000;
constexpr uint32_t kCloseDrainMs = 2000;
constexpr size_t kSendChunk = 65536;

bool WouldBlock() { return WSAGetLastError() == WSAEWOULDBLOCK; }

void CloseSocket(SOCKET& socket) {
    if (socket == INVALID_SOCKET) return;
    closesocket(socket);
    socket = INVALID_SOCKET;
}

// Closes with a reset instead of the normal end, so that the server cannot take the part it got
// for the whole file.
void ResetSocket(SOCKET& socket) {
    if (socket == INVALID_SOCKET) return;
    const linger abortive{1, 0};
    setsockopt(socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abortive), sizeof abortive);
    CloseSocket(socket);
}

// The name lookup under way on this thread. Its answer is posted to a window that does nothing
// with it, so a message hook notes the answer on its way to the window.
struct HostLookup {
    HWND window;
    UINT message;
    HANDLE task = nullptr;
    bool answered = false;
    int error = 0;
    alignas(hostent) char answer[MAXGETHOSTSTRUCT];
};
HostLookup* pendingLookup = nullptr;

LRESULT CALLBACK NoteLookupAnswer(int code, WPARAM removal, LPARAM message) {
    const MSG& m = *reinterpret_cast<const MSG*>(message);
    HostLookup* lookup = pendingLookup;
    if (code == HC_ACTION && lookup && m.hwnd == lookup->window && m.message == lookup->message &&
        reinterpret_cast<HANDLE>(m.wParam) == lookup->task) {
        lookup->answered = true;
        lookup->error = WSAGETASYNCERROR(m.lParam);
    }
    return CallNextHookEx(nullptr, code, removal, message);
}

std::optional<in_addr> FirstAddress(const HostLookup& lookup) {
    const auto& host = *reinterpret_cast<const hostent*>(lookup.answer);
    if (lookup.error != 0 || host.h_addrtype != AF_INET || host.h_length != sizeof(in_addr) || !host.h_addr_list ||
        !host.h_addr_list[0])
        return std::nullopt;
    in_addr address;
    std::memcpy(&address, host.h_addr_list[0], sizeof address);
    return address;
}

// The PORT command's argument: h1,h2,h3,h4,p1,p2 (address and port in network order).
std::string PortArgument(const sockaddr_in& local) {
    const auto* h = reinterpret_cast<const unsigned char*>(&local.sin_addr);
    const auto* p = reinterpret_cast<const unsigned char*>(&local.sin_port);
    char text[32];
    std::snprintf(text, sizeof text, "%u,%u,%u,%u,%u,%u", h[0], h[1], h[2], h[3], p[0], p[1]);
    return text;
}

}  // namespace

WinFtpTransport::WinFtpTransport(HWND window, UINT socketMessage, PumpUntil pump,
                                 std::function<bool()> abortRequested)
    : window_(window),
      socketMessage_(socketMessage),
      pump_(std::move(pump)),
      abortRequested_(std::move(abortRequested)) {}

WinFtpTransport::~WinFtpTransport() { Close(); }

// The abort ends waiting, not what needs no wait: after an abort, the QUIT still goes out.
bool WinFtpTransport::WaitFor(const std::function<Step()>& step, uint32_t timeoutMs) {
    Step last = Step::kWaiting;
    const bool ended = pump_(
        [&] {
            last = step();
            return last != Step::kWaiting || abortRequested_();
        },
        timeoutMs);
    return ended && last == Step::kDone;
}

bool WinFtpTransport::Connect(const std::string& host) {
    Close();
    serverName_ = WideFromAnsi(host);
    const uint32_t start = GetTickCount();
    const std::optional<in_addr> address = Resolve(host, kConnectTimeoutMs);
    const uint32_t spent = std::min(ElapsedMs(GetTickCount(), start), kConnectTimeoutMs);
    if (address) {
        control_ = WatchedSocket(FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE);
        sockaddr_in server{};
        server.sin_family = AF_INET;
        server.sin_port = htons(kFtpPort);
        server.sin_addr = *address;
        if (control_ != INVALID_SOCKET && ConnectTo(control_, server, kConnectTimeoutMs - spent)) return true;
    }
    Close();
    return false;
}

std::optional<in_addr> WinFtpTransport::Resolve(const std::string& host, uint32_t timeoutMs) {
    in_addr address;
    if (inet_pton(AF_INET, host.c_str(), &address) == 1) return address;
    if (pendingLookup) return std::nullopt;  // one lookup at a time on the thread

    auto* lookup = new HostLookup{window_, socketMessage_};
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, NoteLookupAnswer, nullptr, GetCurrentThreadId());
    if (hook) {
        pendingLookup = lookup;
        lookup->task =
            WSAAsyncGetHostByName(window_, socketMessage_, host.c_str(), lookup->answer, sizeof lookup->answer);
        if (lookup->task) WaitFor([&] { return lookup->answered ? Step::kDone : Step::kWaiting; }, timeoutMs);
        pendingLookup = nullptr;
        UnhookWindowsHookEx(hook);
    }
    if (lookup->task && !lookup->answered) {
        // The system may still write its answer there, so the block is left to it: under Wine the
        // cancel does not stop the lookup. Only a lookup cut short by the abort or the time-out.
        WSACancelAsyncRequest(lookup->task);
        return std::nullopt;
    }
    std::optional<in_addr> found = FirstAddress(*lookup);
    delete lookup;
    return found;
}

SOCKET WinFtpTransport::WatchedSocket(long events) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET && WSAAsyncSelect(s, window_, socketMessage_, events) != 0) CloseSocket(s);
    return s;
}

bool WinFtpTransport::ConnectTo(SOCKET socket, const sockaddr_in& address, uint32_t timeoutMs) {
    if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
    if (!WouldBlock()) return false;
    // Connected when writable; a refused or unreachable server shows in the exception set.
    return WaitFor(
        [&] {
            fd_set writable, failed;
            FD_ZERO(&writable);
            FD_ZERO(&failed);
            FD_SET(socket, &writable);
            FD_SET(socket, &failed);
            timeval now{0, 0};
            if (select(0, nullptr, &writable, &failed, &now) == SOCKET_ERROR || FD_ISSET(socket, &failed))
                return Step::kFailed;
            return FD_ISSET(socket, &writable) ? Step::kDone : Step::kWaiting;
        },
        timeoutMs);
}

std::optional<std::string> WinFtpTransport::ReceiveSome(SOCKET socket, uint32_t timeoutMs) {
    if (socket == INVALID_SOCKET) return std::nullopt;
    char buffer[16384];
    int got = 0;
    // recv also asks for the next FD_READ notice, so nothing arriving later is missed.
    const bool received = WaitFor(
        [&] {
            got = recv(socket, buffer, sizeof buffer, 0);
            if (got > 0) return Step::kDone;
            return got == SOCKET_ERROR && WouldBlock() ? Step::kWaiting : Step::kFailed;  // 0: the server closed
        },
        timeoutMs);
    if (!received) return std::nullopt;
    return std::string(buffer, static_cast<size_t>(got));
}

std::optional<std::string> WinFtpTransport::Receive(uint32_t timeoutMs) {
    if (controlTls_) return controlTls_->Receive(Link(control_, kControlStallMs), timeoutMs);
    return ReceiveSome(control_, timeoutMs);
}

TlsLink WinFtpTransport::Link(SOCKET& socket, uint32_t stallMs) {
    return {[this, &socket, stallMs](std::string_view bytes) {
                return socket != INVALID_SOCKET && SendAll(socket, bytes, stallMs);
            },
            [this, &socket](uint32_t timeoutMs) { return ReceiveSome(socket, timeoutMs); }};
}

bool WinFtpTransport::SendAll(SOCKET socket, std::string_view bytes, uint32_t stallMs) {
    // Each wait is for progress: a full buffer makes send fail with WSAEWOULDBLOCK, and FD_WRITE
    // follows when there is room again.
    while (!bytes.empty()) {
        const bool progressed = WaitFor(
            [&] {
                const int n = send(socket, bytes.data(), static_cast<int>(std::min(bytes.size(), kSendChunk)), 0);
                if (n > 0) {
                    bytes.remove_prefix(static_cast<size_t>(n));
                    return Step::kDone;
                }
                return n == SOCKET_ERROR && WouldBlock() ? Step::kWaiting : Step::kFailed;
            },
            stallMs);
        if (!progressed) return false;
    }
    return true;
}

bool WinFtpTransport::Send(const std::string& bytes) {
    if (controlTls_) return controlTls_->Send(Link(control_, kControlStallMs), bytes);
    return control_ != INVALID_SOCKET && SendAll(control_, bytes, kControlStallMs);
}

FtpTls WinFtpTransport::StartTls() {
    if (control_ == INVALID_SOCKET) return FtpTls::kFailed;
    auto tls = std::make_unique<TlsClient>(credentials_, serverName_, kControlStallMs);
    const FtpTls result = tls->Handshake(Link(control_, kControlStallMs));
    if (result == FtpTls::kUp) controlTls_ = std::move(tls);
    return result;
}

std::optional<in_addr> WinFtpTransport::ControlPeer() const {
    sockaddr_in peer{};
    int length = sizeof peer;
    if (control_ == INVALID_SOCKET || getpeername(control_, reinterpret_cast<sockaddr*>(&peer), &length) != 0)
        return std::nullopt;
    return peer.sin_addr;
}

std::optional<std::string> WinFtpTransport::ListenForData() {
    CloseSocket(data_);
    CloseSocket(listener_);
    sockaddr_in local{};
    int length = sizeof local;
    if (control_ == INVALID_SOCKET || getsockname(control_, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return std::nullopt;
    local.sin_port = 0;
    listener_ = WatchedSocket(FD_ACCEPT);
    if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        listen(listener_, 1) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        CloseSocket(listener_);
        return std::nullopt;
    }
    return PortArgument(local);
}

bool WinFtpTransport::ConnectData(uint16_t port) {
    CloseSocket(data_);
    CloseSocket(listener_);
    const std::optional<in_addr> peer = ControlPeer();
    if (!peer) return false;
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr = *peer;
    data_ = WatchedSocket(FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE);
    if (data_ != INVALID_SOCKET && ConnectTo(data_, server, kConnectTimeoutMs)) return true;
    CloseSocket(data_);
    return false;
}

// Only the server may connect: a connection from any other address is closed at once, and the
// wait goes on for the server's.
bool WinFtpTransport::AcceptData() {
    const std::optional<in_addr> peer = ControlPeer();
    if (listener_ == INVALID_SOCKET || !peer) return false;
    // accept also asks for the next FD_ACCEPT notice.
    const bool accepted = WaitFor(
        [&] {
            sockaddr_in from{};
            int length = sizeof from;
            data_ = accept(listener_, reinterpret_cast<sockaddr*>(&from), &length);
            if (data_ == INVALID_SOCKET) return WouldBlock() ? Step::kWaiting : Step::kFailed;
            if (from.sin_family == AF_INET && from.sin_addr.s_addr == peer->s_addr) return Step::kDone;
            ResetSocket(data_);
            return Step::kWaiting;
        },
        kAcceptTimeoutMs);
    CloseSocket(listener_);
    // The accepted socket took the listener's FD_ACCEPT; it needs to hear of bytes and of room to
    // write.
    return accepted && WSAAsyncSelect(data_, window_, socketMessage_, FD_READ | FD_WRITE | FD_CLOSE) == 0;
}

// The data connection's own TLS session, the certificate checked as on the control connection;
// the close_notify tells the server that the file is whole.
bool WinFtpTransport::SendProtected(const std::string& bytes) {
    TlsClient tls(credentials_, serverName_, kDataStallMs);
    const TlsLink link = Link(data_, kDataStallMs);
    if (tls.Handshake(link) != FtpTls::kUp || !tls.Send(link, bytes)) return false;
    tls.Shutdown(link);
    return true;
}

bool WinFtpTransport::SendData(const std::string& bytes, bool protect) {
    const bool connected = listener_ == INVALID_SOCKET ? data_ != INVALID_SOCKET : AcceptData();
    const bool sent = connected && (protect ? SendProtected(bytes) : SendAll(data_, bytes, kDataStallMs)) &&
                      shutdown(data_, SD_SEND) == 0;
    // After the shutdown the system delivers what is still buffered, then ends the connection.
    // The socket stays open until the server's answer: the system may hold much of the file yet,
    // and an abort while the server reads it must still break the transfer off.
    if (!sent) ResetSocket(data_);
    return sent;
}

void WinFtpTransport::Close() {
    if (abortRequested_()) ResetSocket(data_);
    CloseSocket(data_);
    CloseSocket(listener_);
    if (control_ == INVALID_SOCKET) return;
    if (controlTls_) controlTls_->Shutdown(Link(control_, kCloseDrainMs));
    controlTls_.reset();
    // The normal end: what the server still says (the answer to QUIT after an abort, a 426) is
    // read and dropped until it closes too. Closing over unread bytes would reset the connection,
    // and the reset would throw away the QUIT the server had not yet read. Not ended by the abort.
    shutdown(control_, SD_SEND);
    pump_(
        [this] {
            char discard[512];
            int n;
            while ((n = recv(control_, discard, sizeof discard, 0)) > 0) {
            }
            return n == 0 || !WouldBlock();
        },
        kCloseDrainMs);
    CloseSocket(control_);
}

}  // namespace zep
