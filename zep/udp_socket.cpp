#include "udp_socket.h"

#include <ws2tcpip.h>

#include <optional>

namespace zep {
namespace {

// Nothing for a text that is not a dotted address: it is never sent anywhere.
std::optional<sockaddr_in> Endpoint(const std::string& address, u_short port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &to.sin_addr) != 1) return std::nullopt;
    return to;
}

void SendFrom(SOCKET s, const std::string& address, u_short port, const std::string& bytes) {
    if (const std::optional<sockaddr_in> to = Endpoint(address, port))
        sendto(s, bytes.data(), static_cast<int>(bytes.size()), 0, reinterpret_cast<const sockaddr*>(&*to), sizeof *to);
}

}  // namespace

bool UdpSocket::Bind(u_short port) {
    Close();
    socket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (socket_ == INVALID_SOCKET) return false;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) Close();
    return open();
}

bool UdpSocket::Listen(HWND window, UINT message) {
    // Datagrams that came between the bind and now are announced at once.
    if (open() && WSAAsyncSelect(socket_, window, message, FD_READ) != 0) Close();
    return open();
}

bool UdpSocket::ReadWaiting(const Handler& handle, size_t limit) {
    // Each datagram is read whole; the handler cuts what it does not want.
    static char buffer[65536];
    for (size_t read = 0; open(); ++read) {
        if (read == limit) return true;
        sockaddr_in from{};
        int fromLength = sizeof from;
        int n = recvfrom(socket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n < 0) return false;  // nothing more queued (or an error the next notice repeats)
        char sender[INET_ADDRSTRLEN] = "";
        inet_ntop(AF_INET, &from.sin_addr, sender, sizeof sender);
        handle(sender, ntohs(from.sin_port), std::string(buffer, static_cast<size_t>(n)));
    }
    return false;
}

void UdpSocket::SetReceiveBuffer(int bytes) {
    if (open()) setsockopt(socket_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
}

void UdpSocket::SendTo(const std::string& address, u_short port, const std::string& bytes) {
    if (open()) SendFrom(socket_, address, port, bytes);
}

void UdpSocket::Close() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
}

void SendDatagram(const std::string& address, u_short port, const std::string& bytes) {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return;
    BOOL allowed = TRUE;
    setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&allowed), sizeof allowed);
    SendFrom(s, address, port, bytes);
    closesocket(s);
}

}  // namespace zep
