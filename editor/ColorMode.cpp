// Colour mode: the material preview, picking up and painting materials.
#include "editor/ColorMode.h"

#include <algorithm>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "editor/EditorTransforms.h"
#include "editor/PlaceMode.h"
#include "editor/UndoRecord.h"
#include "engine/Archetype.h"
#include "engine/ClickMessage.h"
#include "engine/GameState.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "engine/MouseWheelMessage.h"
#include "graphics/Graphics.h"
#include "physics/Body.h"
#include "physics/Sphere.h"

namespace {

const auto& registeredType = registerType<ColorMode>();

void setAlpha(Graphics& graphics, float alpha) {
    Vector4 colour = graphics.diffuseColor;
    colour.setW(alpha);
    graphics.diffuseColor = colour;
}

// Copies the material of one Graphics onto another, keeping the target's owner and model.
void copyMaterial(Graphics& target, const Graphics& source) {
    Entity* owner = target.getOwner();
    const std::string model = target.getModelName();
    target = source;
    target.setOwner(owner);
    target.setModelName(model);
}

}  // namespace

ColorMode::~ColorMode() { tweakBar.reset(); }

State* ColorMode::clone() const { return new ColorMode(*this); }

void ColorMode::read(BaseInStream& in, int) {
    readBasePart(in, false);
    std::string key;
    while (readKey(in, key)) {
        skipUnknownKey(in, key);
    }
}

void ColorMode::write(BaseOutStream& out, int) {
    writeBasePart(out, false);
    writeEnd(out);
}

void ColorMode::enter() {
    EditorState::enter();
    registerInputHandler<KeyboardMessage>(MessageType::KeyDown, this,
                                          [](ColorMode& self, KeyboardMessage& m) { self.onKey(m); });
    registerInputHandler<MouseWheelMessage>(MessageType::MouseWheel, this,
                                            [](ColorMode& self, MouseWheelMessage& m) { self.onWheel(m); });
    registerInputHandler<ClickMessage>(MessageType::MouseDown, this,
                                       [](ColorMode& self, ClickMessage& m) { self.onClick(m); });
    if (!mouseCaptured) setMouseCaptured(true);
    const std::vector<std::string> names = archetypeNamesOfClass("Graphics");
    if (!names.empty()) archetypeName = names.front();
    makePreview();
}

Graphics* ColorMode::previewGraphics() const {
    Entity* preview = getCursorEntity();
    return preview ? preview->graphics : nullptr;
}

void ColorMode::makePreview() {
    auto* preview = new Entity();
    auto* body = new Body();
    body->position = getCursorPoint();
    body->setShape(new Sphere(1.0f));
    body->shape->scale(lastGrowSize);
    body->resolve = false;
    preview->addComponent(body);

    Graphics* graphics = nullptr;
    if (Archetype* archetype = findArchetype(archetypeName); archetype && archetype->className == "Graphics")
        instantiateArchetype(*archetype, graphics);
    if (!graphics) {
        graphics = new Graphics();
        graphics->setTextureName("whitePixel");
        graphics->setModelName("sphere");
        graphics->setProgramName("patternShader");
    }
    preview->addComponent(graphics);
    const Vector4 colour = getDrawColor(*graphics);
    savedAlpha = colour.w();
    graphics->diffuseColor = Vector4(colour.x(), colour.y(), colour.z(), 0.3f);
    setCursorEntity(preview);
}

void ColorMode::update(float dt) {
    if (tweakBar) tweakBar->follow(previewGraphics());
    Entity* preview = getCursorEntity();
    if (!preview) {
        if (machine) machine->setNextState(new PlaceMode(nullptr));
        return;
    }
    if (!mouseCaptured) return;
    flyEntity(*preview, dt);
    growEntity(*preview, dt);
}

void ColorMode::onWheel(MouseWheelMessage& message) {
    if (!mouseCaptured) return;
    const std::vector<std::string> names = archetypeNamesOfClass("Graphics");
    if (names.empty()) return;
    archetypeName = stepArchetypeName(names, archetypeName, message.delta);
    makePreview();
}

void ColorMode::onClick(ClickMessage& message) {
    if (message.button == MouseButton::right) openPropertyBars();
}

void ColorMode::openPropertyBars() {
    toggleCaptureForBars();
    if (tweakBar) return;
    if (Graphics* material = previewGraphics()) tweakBar = std::make_shared<TweakBar<Graphics>>("Material", material, false);
}

void ColorMode::onKey(KeyboardMessage& message) {
    if (!mouseCaptured || (message.key != 'C' && message.key != EditorKey::space)) return;
    Entity* preview = getCursorEntity();
    if (!preview || !preview->body || !preview->graphics) return;
    Graphics& material = *preview->graphics;
    const std::vector<Contact> contacts = liveContacts(preview->body);

    if (message.key == 'C') {
        const Contact* best = nullptr;
        for (const Contact& contact : contacts) {
            Entity* entity = contact.bodyB->getOwner();
            if (!entity || !entity->graphics) continue;
            if (!best || contact.depth > best->depth) best = &contact;
        }
        if (!best) return;
        copyMaterial(material, *best->bodyB->getOwner()->graphics);
        savedAlpha = getDrawColor(material).w();
        setAlpha(material, 0.3f);
        return;
    }

    setAlpha(material, savedAlpha);
    for (const Contact& contact : contacts) {
        Entity* entity = contact.bodyB->getOwner();
        if (!entity || !entity->graphics) continue;
        pushUndo(UndoRecord(entity->id, UndoRecord::restoreOne, entityToText(entity)));
        copyMaterial(*entity->graphics, material);
    }
    setAlpha(material, 0.3f);
}
