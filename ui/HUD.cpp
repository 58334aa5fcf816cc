// The HUD state component: its file, its entities' life and their drawing over the scene.
#include "ui/HUD.h"

#include <GL/glew.h>

#include "core/FileReader.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/GameState.h"
#include "engine/MessageTypes.h"
#include "engine/PauseMessage.h"
#include "graphics/Graphics.h"
#include "physics/Body.h"
#include "ui/Menu.h"
#include "ui/OwnViewport.h"

namespace {

const auto& hudType = registerType<HUD>("HUD");

void readEntities(BaseInStream& in, std::vector<std::unique_ptr<Entity>>& entities) {
    bool progress = false;
    readContainerSize(in, progress);
    while (nextElement(in)) {
        Entity* entity = nullptr;
        readValue(in, entity);
        if (entity) entities.emplace_back(entity);
        if (in.hasFailed()) break;
    }
}

}  // namespace

HUD::HUD(const HUD& other)
    : GameStateComponent(other), EventHandler(other), fileName(other.fileName), camera(other.camera) {
    entities.reserve(other.entities.size());
    for (const auto& entity : other.entities) entities.emplace_back(entity->clone());
}

HUD::~HUD() = default;

GameStateComponent* HUD::clone() const { return new HUD(*this); }

void HUD::read(BaseInStream& in, int version) {
    if (version >= 2) GameStateComponent::read(in, readBaseHeader(in));
    std::string key;
    while (readKey(in, key)) {
        if (version >= 2 && key == "fileName") {
            readValue(in, fileName);
        } else if (version >= 2 && key == "camera") {
            readValue(in, camera);
        } else if (version >= 1 && key == "entities") {
            readEntities(in, entities);
        } else if (version == 0 && key == "arrow") {
            Entity* arrow = nullptr;
            readValue(in, arrow);
            if (arrow) entities.emplace_back(arrow);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void HUD::write(BaseOutStream& out, int) {
    writeBaseHeader(out, 0, "GameStateComponent");
    GameStateComponent::write(out, 0);
    writeBaseEnd(out);
    writeField(out, "fileName", fileName);
    writeField(out, "camera", camera);
    writeStringToken(out, "entities");
    writeCode(out, BaseOutStream::indent);
    writeCode(out, BaseOutStream::lineEnd);
    writeKeyword(out, "size");
    writeValue(out, static_cast<int>(entities.size()));
    for (const auto& entity : entities) {
        writeCode(out, BaseOutStream::indent);
        writePointer(out, entity.get());
        writeCode(out, BaseOutStream::dedent);
        writeCode(out, BaseOutStream::lineEnd);
    }
    writeKeyword(out, "end");
    writeCode(out, BaseOutStream::dedent);
    writeCode(out, BaseOutStream::lineEnd);
    writeEnd(out);
}

void HUD::loadFile() {
    FileReader reader(fileName);
    if (!reader.isOpen()) return;
    readValue(reader, *this);
}

void HUD::initialize() {
    if (entities.empty()) loadFile();
    // Screen entities, as menu items are: a HUD file need not say "collides 0" to keep its bodies out
    // of the level.
    for (const auto& entity : entities) initializeScreenEntity(*entity);
    if (!pauseRegistered && owner) {
        registerHandler<PauseMessage>(owner, MessageType::Pause, this,
                                      [](HUD& hud, PauseMessage& message) { hud.onPause(message); });
        pauseRegistered = true;
    }
}

void HUD::update(float dt) {
    for (const auto& entity : entities) entity->update(dt);
}

void HUD::draw() {
    glClear(GL_DEPTH_BUFFER_BIT);
    for (const auto& entity : entities) {
        // An entity without what drawing needs is left out rather than guessed at.
        if (!entity->graphics || entity->graphics->disabled || !entity->body) continue;
        drawEntityInOwnViewport(*entity, camera);
    }
}

void HUD::unload() { entities.clear(); }

void HUD::onPause(PauseMessage& message) {
    disabled = message.paused;
    onDisabledChanged(disabled);
}
