// The status query between program copies.
#include "controller.h"

namespace zep {

void Controller::SendPeerStatusQuery() {
    // The datagram to the other copies comes with the peer query.
}

}  // namespace zep
