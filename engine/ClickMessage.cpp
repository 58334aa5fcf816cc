// Mouse button messages.
#include "engine/ClickMessage.h"

ClickMessage::ClickMessage(int type, int button) : Message(type), button(button) {}

ClickMessage::~ClickMessage() = default;
