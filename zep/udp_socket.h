// UDP sockets of the controller window: bound to a port, their datagrams announced to the window
// by a message and read on the window's thread.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <string>

namespace zep {

class UdpSocket {
public:
    UdpSocket() = default;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;
    ~UdpSocket() { Close(); }

    // Binds to the port on every address (0: a port the system chooses); false when it cannot.
    bool Bind(u_short port);
    // Announces arriving datagrams to `window` with `message`; false (and closed) when it cannot.
    bool Listen(HWND window, UINT message);
    // Reads the queued datagrams, at most `limit`, handing each over with its sender's dotted
    // address and port; true when it stopped at the limit (more may be waiting). Stops when the
    // socket was closed meanwhile (a handler may process messages).
    using Handler = std::function<void(const std::string& sender, u_short port, std::string bytes)>;
    bool ReadWaiting(const Handler& handle, size_t limit);
    // Asks the system for a receive buffer of this many bytes (it may give less).
    void SetReceiveBuffer(int bytes);
    void SendTo(const std::string& address, u_short port, const std::string& bytes);
    bool open() const { return socket_ != INVALID_SOCKET; }
    void Close();

private:
    SOCKET socket_ = INVALID_SOCKET;
};

// One datagram from a socket of its own, closed after sending; a broadcast address is allowed.
void SendDatagram(const std::string& address, u_short port, const std::string& bytes);

}  // namespace zep
