// The message channel over a local socket: the client side used by the
// drilling program. The server side lives in the message window program.
#pragma once

#include <memory>

#include "common/message_transport.h"

namespace common {

// A transport that reaches message windows through local sockets named from
// their identity and the user.
std::unique_ptr<MessageTransport> MakeLocalSocketTransport();

}  // namespace common
