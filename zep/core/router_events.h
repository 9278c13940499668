// The router's datagrams drive the controller: its syslog (connection state, logs, sounds, the IP
// page, the setup utility's dialogs) and its clock, which the PC takes after the router reported
// that it set its own by NTP.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "controller_part.h"

namespace zep {

// Datagrams are handled up to this many bytes; the rest of a longer one is dropped.
inline constexpr size_t kSyslogDatagramLimit = 2048;

class Connection;
class LineCommands;
class LogWriter;
class PageUpload;
class TrayIcon;

class RouterEvents : ControllerPart {
public:
    // The syslog's lines move the tray and the connection, switch the destination, close the
    // setup utility's dialogs, go into the logs and make and upload the IP page.
    RouterEvents(const PartContext& context, TrayIcon& tray, Connection& connection, LineCommands& lineCommands,
                 PageUpload& pageUpload, LogWriter& logs)
        : ControllerPart(context),
          tray_(tray),
          connection_(connection),
          lineCommands_(lineCommands),
          pageUpload_(pageUpload),
          logs_(logs) {}

    // A datagram on the syslog port, with its sender's address as dotted text.
    void OnSyslogDatagram(const std::string& sender, std::string bytes);
    // A datagram on the time socket, with its sender's address and port: the router's SNTP reply
    // while one is awaited.
    void OnTimeDatagram(const std::string& sender, uint16_t port, const std::string& payload);

private:
    void AdjustClockFromRouter();

    TrayIcon& tray_;
    Connection& connection_;
    LineCommands& lineCommands_;
    PageUpload& pageUpload_;
    LogWriter& logs_;

    bool adjustingClock_ = false;  // its wait is running (see RunningWait)
    uint64_t sntpTransmit_ = 0;    // the transmit timestamp of the request awaiting its reply
    bool clockRefusalShown_ = false;  // the user has been told once that the clock cannot be set
};

}  // namespace zep
