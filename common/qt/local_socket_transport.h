// The message channel over a local socket: the client side used by the
// drilling program (and by a second start of the message window program to
// wake the first). The server side is MessageLinkServer (message_link.h).
#pragma once

#include <memory>

#include "common/message_transport.h"

namespace common {

// How long a line may wait for the window's acknowledgement. A window that
// stops answering (hung, stopped) must not hold the drilling program for
// ever: after this wait the line counts as not delivered.
constexpr int kDefaultAckWaitMs = 3000;

// A transport that reaches message windows through local sockets named from
// their identity and the user. One connection per identity is kept open
// between reports.
std::unique_ptr<MessageTransport> MakeLocalSocketTransport(int ackWaitMs = kDefaultAckWaitMs);

}  // namespace common
