// Cursor motion messages.
#include "engine/MouseMoveMessage.h"

MouseMoveMessage::MouseMoveMessage(int previousX, int previousY, int newX, int newY)
    : Message(9), previousX(previousX), previousY(previousY), newX(newX), newY(newY) {}

MouseMoveMessage::~MouseMoveMessage() = default;
