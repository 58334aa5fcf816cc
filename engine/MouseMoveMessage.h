// The cursor moved (type 9): previous and new position in client pixels, y from the top.
#pragma once

#include "engine/Message.h"

class MouseMoveMessage : public Message {
public:
    MouseMoveMessage(int previousX, int previousY, int newX, int newY);
    ~MouseMoveMessage() override;

    int previousX;
    int previousY;
    int newX;
    int newY;
};
