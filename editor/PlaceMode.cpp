// Place mode: the preview, the wheel through the archetypes, placing and picking.
#include "editor/PlaceMode.h"

#include <algorithm>

#include "core/Configuration.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "editor/EditorTransforms.h"
#include "editor/ModifyMode.h"
#include "engine/Archetype.h"
#include "engine/ClickMessage.h"
#include "engine/GameState.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "engine/MouseWheelMessage.h"
#include "graphics/Graphics.h"
#include "physics/Body.h"
#include "physics/Shape.h"
#include "physics/Sphere.h"

namespace {

const auto& registeredType = registerType<PlaceMode>();

}  // namespace

std::vector<std::string> archetypeNamesOfClass(const std::string& className) {
    std::vector<std::string> names;
    if (!currentGameState) return names;
    for (const auto& [name, archetype] : currentGameState->archetypes)
        if (archetype && archetype->className == className) names.push_back(name);
    return names;
}

std::string stepArchetypeName(const std::vector<std::string>& names, const std::string& current, float delta) {
    if (names.empty()) return current;
    auto found = std::find(names.begin(), names.end(), current);
    if (found == names.end()) return names.front();
    if (delta > 0.0f) return ++found == names.end() ? names.front() : *found;
    if (delta < 0.0f) return found == names.begin() ? names.back() : *--found;
    return current;
}

PlaceMode::PlaceMode(Entity* pending) : pendingEntity(pending) {
    const std::vector<std::string> names = archetypeNamesOfClass("Entity");
    if (!names.empty()) archetypeName = names.front();
}

PlaceMode::PlaceMode(const PlaceMode& other)
    : EditorState(other),
      archetypeName(other.archetypeName),
      pendingEntity(other.pendingEntity ? other.pendingEntity->clone() : nullptr),
      savedAlpha(other.savedAlpha),
      savedResolve(other.savedResolve),
      componentsBar(other.componentsBar),
      configurationBar(other.configurationBar) {}

PlaceMode::~PlaceMode() {
    if (entered && mouseCaptured) setMouseCaptured(false);
    delete pendingEntity;
    pendingEntity = nullptr;
    configurationBar.reset();
    componentsBar.reset();
}

State* PlaceMode::clone() const { return new PlaceMode(*this); }

void PlaceMode::read(BaseInStream& in, int version) {
    readBasePart(in, version >= 3);
    std::string key;
    while (readKey(in, key)) {
        if (key == "archetypeName") {
            readValue(in, archetypeName);
        } else if (key == "lastGrowSize" && version < 3) {
            readValue(in, lastGrowSize);
        } else if ((key == "type" && version <= 1) || (key == "entityId" && version == 0)) {
            int dropped = 0;
            readValue(in, dropped);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void PlaceMode::write(BaseOutStream& out, int) {
    writeBasePart(out, true);
    writeField(out, "archetypeName", archetypeName);
    writeEnd(out);
}

void PlaceMode::enter() {
    EditorState::enter();
    registerInputHandler<KeyboardMessage>(MessageType::KeyDown, this,
                                          [](PlaceMode& self, KeyboardMessage& m) { self.onKey(m); });
    registerInputHandler<MouseWheelMessage>(MessageType::MouseWheel, this,
                                            [](PlaceMode& self, MouseWheelMessage& m) { self.onWheel(m); });
    registerInputHandler<ClickMessage>(MessageType::MouseDown, this,
                                       [](PlaceMode& self, ClickMessage& m) { self.onClick(m); });
    if (!mouseCaptured) setMouseCaptured(true);
    makePreview();
}

void PlaceMode::makePreview() {
    Entity* preview = nullptr;
    if (pendingEntity) {
        preview = pendingEntity;
        pendingEntity = nullptr;
        preview->refreshCachedComponents();
    } else {
        Archetype* archetype = findArchetype(archetypeName);
        // Without an entity archetype the preview stays as it is.
        if (!archetype || archetype->className != "Entity") return;
        instantiateArchetype(*archetype, preview);
        if (!preview) return;
        preview->refreshCachedComponents();
        if (preview->body) {
            if (preview->body->shape) preview->body->shape->scale(lastGrowSize);
            preview->body->position = getCursorPoint();
        }
    }
    if (preview->body) {
        savedResolve = preview->body->resolve;
        preview->body->resolve = false;
    }
    if (preview->graphics) {
        const Vector4 colour = getDrawColor(*preview->graphics);
        savedAlpha = colour.w();
        preview->graphics->diffuseColor = Vector4(colour.x(), colour.y(), colour.z(), 0.3f);
    }
    setCursorEntity(preview);
}

Entity* PlaceMode::findEntityUnderPreview() {
    Entity* preview = getCursorEntity();
    if (!preview || !preview->body || !preview->body->shape) return nullptr;
    Body probe;
    probe.position = preview->body->position;
    probe.setShape(new Sphere(0.01f * preview->body->shape->getBoundingRadius()));
    // The preview's own body is passed over by identity, whether or not it has joined the world yet,
    // so that a preview inside another entity always finds that entity.
    const Contact* best = nullptr;
    const std::vector<Contact> contacts = liveContacts(&probe);
    for (const Contact& contact : contacts) {
        if (contact.bodyB == preview->body) continue;
        if (!best || contact.depth > best->depth) best = &contact;
    }
    return best ? best->bodyB->getOwner() : nullptr;
}

void PlaceMode::update(float dt) {
    if (!mouseCaptured) return;
    Entity* preview = getCursorEntity();
    if (!preview) return;
    flyEntity(*preview, dt);
    const bool inside = findEntityUnderPreview() != nullptr;
    if (preview->graphics) {
        preview->graphics->disabled = inside;
        preview->graphics->onDisabledChanged(inside);
    }
    growEntity(*preview, dt);
}

void PlaceMode::onKey(KeyboardMessage& message) {
    if (!mouseCaptured || message.key != EditorKey::space || !machine) return;
    Entity* preview = getCursorEntity();
    if (!preview) return;
    if (Entity* found = findEntityUnderPreview()) {
        machine->setNextState(new ModifyMode(found->id, false));
        return;
    }
    if (preview->body) preview->body->resolve = savedResolve;
    if (preview->graphics) {
        preview->graphics->disabled = false;
        const Vector4 colour = getDrawColor(*preview->graphics);
        preview->graphics->diffuseColor = Vector4(colour.x(), colour.y(), colour.z(), savedAlpha);
    }
    machine->setNextState(new ModifyMode(preview->id, true));
    cursorEntityId = 0;
}

void PlaceMode::onWheel(MouseWheelMessage& message) {
    if (!mouseCaptured) return;
    const std::vector<std::string> names = archetypeNamesOfClass("Entity");
    if (names.empty()) return;
    archetypeName = stepArchetypeName(names, archetypeName, message.delta);
    makePreview();
}

void PlaceMode::onClick(ClickMessage& message) {
    if (message.button == MouseButton::right) openPropertyBars();
}

void PlaceMode::openPropertyBars() {
    toggleCaptureForBars();
    if (!componentsBar && currentGameState)
        componentsBar = std::make_shared<TweakBar<CloningContainer<GameStateComponent>>>(
            "GameStateComponents", &currentGameState->stateComponents);
    if (!configurationBar) configurationBar = std::make_shared<TweakBar<Configuration>>("Configuration", &configuration);
}
