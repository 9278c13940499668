// The copies of the program on the LAN: the status query broadcast at start-up, the answers to
// other copies' queries, an answer taken over, and the paced sending (a datagram a second).
#pragma once
#include <deque>
#include <string>

#include "controller_part.h"

namespace zep {

class PageUpload;
class TrayIcon;

class Peers : ControllerPart {
public:
    // An answer taken over enables the tray's copy item and makes the IP page.
    Peers(const PartContext& context, TrayIcon& tray, PageUpload& pageUpload)
        : ControllerPart(context), tray_(tray), pageUpload_(pageUpload) {}

    // The broadcast query, and the answer to an asker.
    void StatusQuery();
    void StatusAnswer(const std::string& asker);
    // A datagram on the peer port.
    void OnPeerDatagram(const std::string& sender, const std::string& payload);
    // The pause after each datagram sent is over.
    void PeerPauseOver();

private:
    void QueuePeerSend(const std::string& address);
    void SendNextPeerDatagram();

    TrayIcon& tray_;
    PageUpload& pageUpload_;

    std::deque<std::string> peerSendQueue_;  // addresses waiting for a query or an answer
};

}  // namespace zep
