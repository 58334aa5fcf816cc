// Pause and resume messages.
#include "engine/PauseMessage.h"

PauseMessage::PauseMessage(bool paused) : Message(26), paused(paused) {}

PauseMessage::~PauseMessage() = default;
