// Mouse wheel messages.
#include "engine/MouseWheelMessage.h"

MouseWheelMessage::MouseWheelMessage(float delta) : Message(12), delta(delta) {}

MouseWheelMessage::~MouseWheelMessage() = default;
