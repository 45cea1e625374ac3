#pragma once

#include "service/ChatClient.h"

// How copywriting words the chat service's failures (a status, an empty or malformed reply, an
// unusable address); the service's own error codes read as the chat client's table says.
namespace CopywritingErrors {

const ChatClient::Wording& ChatWording();

} // namespace CopywritingErrors
