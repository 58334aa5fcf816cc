// Multiple select mode: the selection sphere and gathering entities by click.
#include "editor/MultipleSelectMode.h"

#include <algorithm>
#include <utility>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "editor/EditorTransforms.h"
#include "editor/MultipleModifyMode.h"
#include "editor/PlaceMode.h"
#include "engine/ClickMessage.h"
#include "engine/GameState.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "graphics/Graphics.h"
#include "physics/Body.h"
#include "physics/Sphere.h"

namespace {

const auto& registeredType = registerType<MultipleSelectMode>();

}  // namespace

bool tintSelection(std::vector<std::uint32_t>& selection, std::vector<Entity*>& live) {
    for (auto it = selection.begin(); it != selection.end(); ++it) {
        Entity* entity = findEntityById(*it);
        if (!entity) {
            selection.erase(it);
            return false;
        }
        if (entity->graphics) entity->graphics->diffuseColorOffset = Vector4(1.0f, -1.0f, -1.0f, 0.0f);
        live.push_back(entity);
    }
    return true;
}

MultipleSelectMode::MultipleSelectMode(std::vector<std::uint32_t>&& selection) : selectedEntities(std::move(selection)) {}

MultipleSelectMode::~MultipleSelectMode() = default;

State* MultipleSelectMode::clone() const { return new MultipleSelectMode(*this); }

void MultipleSelectMode::read(BaseInStream& in, int) {
    readBasePart(in, true);
    std::string key;
    while (readKey(in, key)) {
        if (key == "selectedEntities") {
            selectedEntities.clear();
            readValue(in, selectedEntities);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void MultipleSelectMode::write(BaseOutStream& out, int) {
    writeBasePart(out, true);
    writeField(out, "selectedEntities", selectedEntities);
    writeEnd(out);
}

void MultipleSelectMode::enter() {
    EditorState::enter();
    registerInputHandler<KeyboardMessage>(MessageType::KeyDown, this,
                                          [](MultipleSelectMode& self, KeyboardMessage& m) { self.onKey(m); });
    registerInputHandler<ClickMessage>(MessageType::MouseDown, this,
                                       [](MultipleSelectMode& self, ClickMessage& m) { self.onClick(m); });
    if (!mouseCaptured) setMouseCaptured(true);
    createCursorEntity();
}

void MultipleSelectMode::createCursorEntity() {
    auto* cursor = new Entity();
    auto* body = new Body();
    body->position = getCursorPoint();
    body->setShape(new Sphere(1.0f));
    body->shape->scale(lastGrowSize);
    body->resolve = false;
    cursor->addComponent(body);
    auto* graphics = new Graphics();
    graphics->setTextureName("whitePixel");
    graphics->setModelName("sphere");
    graphics->setProgramName("patternShader");
    graphics->diffuseColor = Vector4(1.0f, 1.0f, 1.0f, 0.3f);
    cursor->addComponent(graphics);
    setCursorEntity(cursor);
}

void MultipleSelectMode::update(float dt) {
    Entity* cursor = getCursorEntity();
    if (!cursor) {
        if (machine) machine->setNextState(new PlaceMode(nullptr));
        return;
    }
    if (mouseCaptured) {
        flyEntity(*cursor, dt);
        growEntity(*cursor, dt);
    }
    std::vector<Entity*> live;
    tintSelection(selectedEntities, live);
}

void MultipleSelectMode::onKey(KeyboardMessage& message) {
    if (message.key != EditorKey::space || !machine) return;
    machine->setNextState(new MultipleModifyMode(std::move(selectedEntities), false));
    selectedEntities.clear();
}

void MultipleSelectMode::onClick(ClickMessage& message) {
    if (message.button != MouseButton::left && message.button != MouseButton::right) return;
    Entity* cursor = getCursorEntity();
    if (!cursor || !cursor->body) return;
    for (const Contact& contact : liveContacts(cursor->body)) {
        Entity* entity = contact.bodyB->getOwner();
        if (!entity) continue;
        auto found = std::find(selectedEntities.begin(), selectedEntities.end(), entity->id);
        if (message.button == MouseButton::right) {
            if (found != selectedEntities.end()) selectedEntities.erase(found);
        } else if (found == selectedEntities.end()) {
            selectedEntities.push_back(entity->id);
        }
    }
}
