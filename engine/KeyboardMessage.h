// A key went down (7) or up (8); the key is the engine's key code (letters and digits as themselves,
// Escape -24, Enter -25, arrows -20 to -23, F1..F12 -43..-32).
#pragma once

#include "engine/Message.h"

class KeyboardMessage : public Message {
public:
    KeyboardMessage(int type, int key);
    ~KeyboardMessage() override;

    int key;
};
