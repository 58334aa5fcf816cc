// Announces a state change of the main loop: 1 entered, 2 left for good, 3 re-entered after a restart.
#pragma once

#include "engine/Message.h"

class GameState;

class GameStateMessage : public Message {
public:
    GameStateMessage(int type, GameState* gameState);
    ~GameStateMessage() override;

    GameState* gameState;  // only carried: a state that was left may already be gone
};
