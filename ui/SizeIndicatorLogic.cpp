// The size gauge's scale and motion.
#include "ui/SizeIndicatorLogic.h"

#include <cmath>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "engine/GameplayMessages.h"
#include "game/GrowShrink.h"
#include "physics/Body.h"
#include "physics/Sphere.h"

namespace {

const auto& sizeIndicatorType = registerType<SizeIndicatorLogic>("SizeIndicatorLogic");

const Field<SizeIndicatorLogic> indicatorFields[] = {
    field<&SizeIndicatorLogic::lowDisplayHeight>("lowDisplayHeight"),
    field<&SizeIndicatorLogic::highDisplayHeight>("highDisplayHeight"),
    field<&SizeIndicatorLogic::adjustmentTime>("adjustmentTime"),
    field<&SizeIndicatorLogic::lowRelativeRadius>("lowRelativeRadius"),
    field<&SizeIndicatorLogic::highRelativeRadius>("highRelativeRadius"),
    field<&SizeIndicatorLogic::overrideBodyRadius>("overrideBodyRadius"),
};

Sphere* gaugeSphere(Entity* entity) {
    if (!entity || !entity->body) return nullptr;
    return dynamic_cast<Sphere*>(entity->body->shape);
}

}  // namespace

Component* SizeIndicatorLogic::clone() const { return new SizeIndicatorLogic(*this); }

void SizeIndicatorLogic::read(BaseInStream& in, int version) {
    const int baseVersion = readBaseHeader(in);
    readLogicFields(in, *this, baseVersion);
    // Older gauges know fewer fields: three from version 1, five from 2, all six from 3.
    const std::size_t known = version >= 3 ? 6 : version == 2 ? 5 : version == 1 ? 3 : 0;
    std::string key;
    while (readKey(in, key)) {
        const Field<SizeIndicatorLogic>* found = nullptr;
        for (std::size_t i = 0; i < known; ++i)
            if (indicatorFields[i].matches(key)) found = &indicatorFields[i];
        if (!found) {
            skipUnknownKey(in, key);
            in.attributes.clear();
            continue;
        }
        found->read(in, *this);
        in.attributes.clear();
    }
}

void SizeIndicatorLogic::write(BaseOutStream& out, int) {
    writeBaseHeader(out, 1, "Logic");
    writeLogicFields(out, *this, 1);
    writeBaseEnd(out);
    writeFields(out, *this, indicatorFields);
}

void SizeIndicatorLogic::initialize() {
    const bool first = !initialised;
    Component::initialize();
    Entity* hero = currentGameState ? currentGameState->rootEntity : nullptr;
    if (GrowShrink* size = hero ? hero->getComponent<GrowShrink>() : nullptr) {
        minSize = size->minSize;
        maxSize = size->maxSize;
        growFactor = size->growFactor;
        currentSize = size->currentTargetSize;
    }
    if (Sphere* sphere = gaugeSphere(getOwner())) sphere->radius = overrideBodyRadius;
    computeTargets();
    if (!first) return;
    registerHandler<PowerUpMessage>(MessageType::PowerUp, this, [](SizeIndicatorLogic& gauge, PowerUpMessage& m) {
        gauge.onPowerUp(m.minSize, m.maxSize, m.growFactor);
    });
    registerHandler<SizeChangeMessage>(MessageType::SizeChange, this,
                                       [](SizeIndicatorLogic& gauge, SizeChangeMessage& m) { gauge.onSizeChange(m.newSize); });
}

void SizeIndicatorLogic::computeTargets() {
    const float heightSpan = highDisplayHeight - lowDisplayHeight;
    const float radiusSpan = (highRelativeRadius - lowRelativeRadius) * overrideBodyRadius;
    const float stepLog = std::log(growFactor);
    const float steps = std::log(maxSize / minSize) / stepLog;
    float t = (std::log(currentSize / minSize) / stepLog) / steps;
    // Coinciding limits, a grow factor of 1 or sizes that are not positive give no scale: the middle.
    if (steps == 0.0f || !std::isfinite(t)) t = 0.5f;
    targetHeight = lowDisplayHeight + t * heightSpan;
    targetRadius = lowRelativeRadius * overrideBodyRadius + t * radiusSpan;
}

void SizeIndicatorLogic::update(float dt) {
    Entity* entity = getOwner();
    Sphere* sphere = gaugeSphere(entity);
    if (!sphere) return;
    Body& body = *entity->body;
    const float y = body.position.y();
    const float r = sphere->radius;
    float newY = targetHeight, newR = targetRadius;
    if (adjustmentTime > 0.0f) {
        newY = (targetHeight * dt + y * (adjustmentTime - dt)) / adjustmentTime;
        newR = (targetRadius * dt + r * (adjustmentTime - dt)) / adjustmentTime;
    }
    if (newY == y && newR == r) return;
    body.position.setY(newY);
    sphere->radius = newR;
}

void SizeIndicatorLogic::onPowerUp(float newMinSize, float newMaxSize, float newGrowFactor) {
    minSize = newMinSize;
    maxSize = newMaxSize;
    growFactor = newGrowFactor;
    computeTargets();
}

void SizeIndicatorLogic::onSizeChange(float newSize) {
    currentSize = newSize;
    computeTargets();
}
