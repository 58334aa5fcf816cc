// Base behaviour of game-state components and the text of their base part.
#include "engine/GameStateComponent.h"

#include "core/TextFormat.h"
#include "engine/Component.h"

GameStateComponent::GameStateComponent(const GameStateComponent& other)
    : owner(other.owner), disabled(other.disabled) {}

GameStateComponent& GameStateComponent::operator=(const GameStateComponent& other) {
    owner = other.owner;
    disabled = other.disabled;
    return *this;
}

GameStateComponent::~GameStateComponent() = default;

void GameStateComponent::read(BaseInStream& in, int) { readGameStateComponentFields(in, *this); }

void GameStateComponent::write(BaseOutStream& out, int) { writeGameStateComponentFields(out, *this); }

void GameStateComponent::initialize() {}

void GameStateComponent::update(float) {}

void GameStateComponent::draw() {}

void GameStateComponent::unload() {}

void GameStateComponent::onDisabledChanged(bool) {}

void GameStateComponent::copyBase(const GameStateComponent& other) {
    owner = other.owner;
    disabled = other.disabled;
}

void readGameStateComponentFields(BaseInStream& in, GameStateComponent& component) {
    readDisabledPart(in, component.disabled);
}

void writeGameStateComponentFields(BaseOutStream& out, const GameStateComponent& component) {
    writeDisabledPart(out, component.disabled);
}
