// Key press and release messages.
#include "engine/KeyboardMessage.h"

KeyboardMessage::KeyboardMessage(int type, int key) : Message(type), key(key) {}

KeyboardMessage::~KeyboardMessage() = default;
