// Message stamping: every message records when and in which order it was made.
#include "engine/Message.h"

#include "engine/MainLoop.h"

std::uint32_t messageSequence = 0;

Message::Message(int type) : type(type), time(currentTime), sequence(messageSequence++) {}

Message::~Message() = default;
