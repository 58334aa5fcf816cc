// State-change announcement of the main loop.
#include "engine/GameStateMessage.h"

GameStateMessage::GameStateMessage(int type, GameState* gameState) : Message(type), gameState(gameState) {}

GameStateMessage::~GameStateMessage() = default;
