// The guidance arrow's aim and fade.
#include "ui/ArrowLogic.h"

#include <algorithm>

#include "core/Quaternion.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "engine/GameplayMessages.h"
#include "engine/Input.h"
#include "game/ScoreSphereLogic.h"
#include "graphics/CameraComponent.h"
#include "graphics/Graphics.h"
#include "physics/Body.h"

const Vector4 arrowTargetBeforeReward(143469.0f, -49243.8984375f, 60754.0f, 1.0f);
const Vector4 arrowTargetAfterReward(75544.0f, 72275.0f, -86785.203125f, 1.0f);

namespace {

const auto& arrowType = registerType<ArrowLogic>("ArrowLogic");

const Field<ArrowLogic> arrowFields[] = {
    field<&ArrowLogic::alwaysShow>("alwaysShow"),
    field<&ArrowLogic::alpha>("alpha"),
    field<&ArrowLogic::fadeTime>("fadeTime"),
};

constexpr int shiftKey = -28;

}  // namespace

Component* ArrowLogic::clone() const { return new ArrowLogic(*this); }

void ArrowLogic::read(BaseInStream& in, int) {
    const int baseVersion = readBaseHeader(in);
    readLogicFields(in, *this, baseVersion);
    readFields(in, *this, arrowFields);
}

void ArrowLogic::write(BaseOutStream& out, int) {
    writeBaseHeader(out, 1, "Logic");
    writeLogicFields(out, *this, 1);
    writeBaseEnd(out);
    writeFields(out, *this, arrowFields);
}

void ArrowLogic::initialize() {
    const bool first = !initialised;
    Component::initialize();
    if (!first) return;
    registerHandler(MessageType::EndGameReward, this, [](ArrowLogic& arrow, Message&) { arrow.rewardReceived = true; });
    registerHandler<EndOfFirstPartMessage>(MessageType::EndOfFirstPart, this,
                                           [](ArrowLogic& arrow, EndOfFirstPartMessage& m) { arrow.onEndOfFirstPart(m); });
}

Vector4 ArrowLogic::target() const {
    if (liveScoreSpheres.count != 0) return nextScoreSpherePosition;
    return rewardReceived ? arrowTargetAfterReward : arrowTargetBeforeReward;
}

void ArrowLogic::update(float dt) {
    Entity* entity = getOwner();
    GameState* state = currentGameState;
    // Without its body or drawing, or without a hero or a camera to aim by, the arrow stays as it is.
    if (!entity || !entity->body || !entity->graphics || !state) return;
    Entity* hero = state->rootEntity;
    CameraComponent* cameraComponent = state->getComponents<CameraComponent>();
    if (hero && hero->body && cameraComponent) {
        const Matrix& view = cameraComponent->camera.getView();
        const Vector4 d = view * target() - view * hero->body->position;
        Quaternion q = quaternionFromDirection(d);
        const float lengthSquared = q.x() * q.x() + q.y() * q.y() + q.z() * q.z() + q.w() * q.w();
        const float scale = 1.5f - 0.5f * lengthSquared;
        entity->body->rotation = Quaternion(q.x() * scale, q.y() * scale, q.z() * scale, q.w() * scale);
    }
    if (alwaysShow) return;
    const bool held = Input::isKeyDown(shiftKey);
    if (fadeTime > 0.0f)
        alpha = std::clamp(alpha + (held ? dt : -dt) / fadeTime, 0.0f, 1.0f);
    else
        alpha = held ? 1.0f : 0.0f;
    Graphics& graphics = *entity->graphics;
    const Vector4 c = getDrawColor(graphics) + graphics.diffuseColorOffset;
    graphics.diffuseColorOffset.setW(-c.w() * (1.0f - alpha));
}

void ArrowLogic::onEndOfFirstPart(EndOfFirstPartMessage& message) {
    Entity* entity = getOwner();
    if (!entity || !entity->graphics) return;
    entity->graphics->diffuseColor = message.diffuseColor + Vector4(0.5f, 0.5f, 0.5f, 0.0f);
    entity->graphics->specularColor = message.specularColor;
}
