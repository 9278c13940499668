// The copies of the program on the LAN: the status query broadcast at start-up, the answers to
// other copies' queries, an answer taken over, and the paced sending (a datagram a second).
#pragma once
#include <deque>
#include <string>

#include "controller_part.h"

namespace zep {

class Peers : ControllerPart {
public:
    using ControllerPart::ControllerPart;

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

    std::deque<std::string> peerSendQueue_;  // addresses waiting for a query or an answer
};

}  // namespace zep
