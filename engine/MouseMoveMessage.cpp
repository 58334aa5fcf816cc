// Cursor motion messages.
#include "engine/MouseMoveMessage.h"
#include "engine/MessageTypes.h"

MouseMoveMessage::MouseMoveMessage(int previousX, int previousY, int newX, int newY)
    : Message(MessageType::MouseMove), previousX(previousX), previousY(previousY), newX(newX), newY(newY) {}

MouseMoveMessage::~MouseMoveMessage() = default;
