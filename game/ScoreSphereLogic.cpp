// Score spheres: the live list, the pick-up and fade, the next target and their text.
#include "game/ScoreSphereLogic.h"

#include <cmath>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "editor/Editor.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "game/GameplayHelpers.h"
#include "game/HeroLogic.h"
#include "graphics/Graphics.h"
#include "physics/Body.h"

LiveScoreSphereList liveScoreSpheres;
Vector4 nextScoreSpherePosition(0.0f, 0.0f, 0.0f, 0.0f);

namespace {

const auto& scoreSphereType = registerType<ScoreSphereLogic>("ScoreSphereLogic");

const Field<ScoreSphereLogic> scoreSphereFields[] = {
    field<&ScoreSphereLogic::score>("score"),
    field<&ScoreSphereLogic::destroy>("destroy"),
};

// The level state asks for the count at the start of play and for the target once per frame.
const bool hooksInstalled = [] {
    editorHooks().liveScoreSphereCount = [] { return static_cast<int>(liveScoreSpheres.count); };
    editorHooks().updateNextTarget = &ScoreSphereLogic::updateNextTarget;
    return true;
}();

}  // namespace

void addLiveScoreSphere(ScoreSphereLogic* sphere) {
    if (!sphere || sphere->listed) return;
    sphere->previous = liveScoreSpheres.tail;
    sphere->next = nullptr;
    if (liveScoreSpheres.tail)
        liveScoreSpheres.tail->next = sphere;
    else
        liveScoreSpheres.head = sphere;
    liveScoreSpheres.tail = sphere;
    sphere->listed = true;
    ++liveScoreSpheres.count;
}

void removeLiveScoreSphere(ScoreSphereLogic* sphere) {
    if (!sphere || !sphere->listed) return;
    if (sphere->previous)
        sphere->previous->next = sphere->next;
    else
        liveScoreSpheres.head = sphere->next;
    if (sphere->next)
        sphere->next->previous = sphere->previous;
    else
        liveScoreSpheres.tail = sphere->previous;
    sphere->previous = sphere->next = nullptr;
    sphere->listed = false;
    --liveScoreSpheres.count;
}

std::uint32_t uncountedLiveScoreSpheres() {
    std::uint32_t n = 0;
    for (ScoreSphereLogic* s = liveScoreSpheres.head; s; s = s->next)
        if (!s->counted) ++n;
    return n;
}

ScoreSphereLogic::ScoreSphereLogic() : Logic("SCORE_SPHERE") {}

ScoreSphereLogic::ScoreSphereLogic(const ScoreSphereLogic& other)
    : Logic(other), distanceToHeroSquared(other.distanceToHeroSquared), score(other.score) {}

ScoreSphereLogic::~ScoreSphereLogic() {
    collisionHandle.release();
    removeLiveScoreSphere(this);
}

Component* ScoreSphereLogic::clone() const { return new ScoreSphereLogic(*this); }

void ScoreSphereLogic::read(BaseInStream& in, int version) {
    if (version == 1) {
        const int componentVersion = readBaseHeader(in);
        Component::read(in, componentVersion);
    }
    const int logicVersion = readBaseHeader(in);
    readLogicFields(in, *this, logicVersion);
    readFields(in, *this, scoreSphereFields);
}

void ScoreSphereLogic::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, Logic::getVersion(), "Logic");
    writeLogicFields(out, *this, Logic::getVersion());
    writeBaseEnd(out);
    writeFields(out, *this, scoreSphereFields);
}

void ScoreSphereLogic::initialize() {
    Component::initialize();
    addLiveScoreSphere(this);
    collisionHandle = onContact(getOwner(), [this](CollisionMessage& message) { onCollision(message); });
    followEditMode(this);
}

void ScoreSphereLogic::update(float dt) {
    if (disabled) return;
    Entity* entity = getOwner();
    Body* body = entity ? entity->body : nullptr;
    Entity* hero = heroEntity();
    if (body && hero && hero->body) {
        const Vector4 d = hero->body->position - body->position;
        distanceToHeroSquared = dot4(d, d);
    }
    if (!destroy || !entity) return;
    Graphics* graphics = entity->graphics;
    if (!graphics || getDrawColor(*graphics).w() <= 0.0f) {
        if (currentGameState) currentGameState->removeEntityById(entity->id);
        return;
    }
    Vector4 diffuse = getDrawColor(*graphics);
    Vector4 specular = getDrawSpecularColor(*graphics);
    diffuse.setW(diffuse.w() - 4.0f * dt);
    specular.setW(specular.w() - 4.0f * dt);
    graphics->diffuseColor = diffuse;
    graphics->specularColor = specular;
}

void ScoreSphereLogic::onCollision(CollisionMessage& message) {
    Entity* other = findEntityById(message.otherEntityId);
    if (other && other->getComponent<HeroLogic>()) collect();
}

void ScoreSphereLogic::collect() {
    if (disabled) return;
    destroy = true;
    Entity* entity = getOwner();
    Body* body = entity ? entity->body : nullptr;
    if (!body) return;
    body->collides = false;
    // The sound depends on the sphere's place only, so one sphere always sounds the same.
    const float x = body->position.x();
    bool even = true;
    if (std::isfinite(x)) even = static_cast<long long>(std::fmod(std::trunc(x), 2.0f)) == 0;
    playSoundAt(even ? "score1" : "score2", body->position);
}

void ScoreSphereLogic::updateNextTarget() {
    nextScoreSpherePosition = Vector4(0.0f, 0.0f, 0.0f, 0.0f);
    ScoreSphereLogic* best = liveScoreSpheres.head;
    if (!best) return;
    auto eligible = [](ScoreSphereLogic* s) {
        Entity* e = s->getOwner();
        return e && e->body && e->body->collides;
    };
    bool bestEligible = eligible(best);
    for (ScoreSphereLogic* s = best->next; s; s = s->next) {
        if (!eligible(s)) continue;
        if (!bestEligible || s->distanceToHeroSquared < best->distanceToHeroSquared) {
            best = s;
            bestEligible = true;
        }
    }
    Entity* owner = best->getOwner();
    if (owner && owner->body) nextScoreSpherePosition = owner->body->position;
}
