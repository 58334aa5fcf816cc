// Pause and resume messages.
#include "engine/PauseMessage.h"
#include "engine/MessageTypes.h"

PauseMessage::PauseMessage(bool paused) : Message(MessageType::Pause), paused(paused) {}

PauseMessage::~PauseMessage() = default;
