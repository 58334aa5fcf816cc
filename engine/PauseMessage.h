// The running state was paused or resumed (type 26); sent at once by GameState::setPaused.
#pragma once

#include "engine/Message.h"

class PauseMessage : public Message {
public:
    explicit PauseMessage(bool paused);
    ~PauseMessage() override;

    bool paused;
};
