// The wheel turned (type 12); delta in notches, positive away from the user.
#pragma once

#include "engine/Message.h"

class MouseWheelMessage : public Message {
public:
    explicit MouseWheelMessage(float delta);
    ~MouseWheelMessage() override;

    float delta;
};
