// A mouse button went down (10) or up (11); button -1 left, -2 middle, -3 right.
#pragma once

#include "engine/Message.h"

class ClickMessage : public Message {
public:
    ClickMessage(int type, int button);
    ~ClickMessage() override;

    int button;
};
