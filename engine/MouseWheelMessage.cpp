// Mouse wheel messages.
#include "engine/MouseWheelMessage.h"
#include "engine/MessageTypes.h"

MouseWheelMessage::MouseWheelMessage(float delta) : Message(MessageType::MouseWheel), delta(delta) {}

MouseWheelMessage::~MouseWheelMessage() = default;
