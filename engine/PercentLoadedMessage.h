// Loading progress (type 30), delivered at once so the loading screen can redraw mid-load.
#pragma once

#include "engine/Message.h"

class PercentLoadedMessage : public Message {
public:
    explicit PercentLoadedMessage(float percent);
    ~PercentLoadedMessage() override;

    float percent;  // position of the loading bar, 0 to 1
};

// The loading-progress listener the engine installs at start-up: sends a PercentLoadedMessage at once.
// Code that replaces the listener for a while puts this one back.
void postLoadProgress(float position);
