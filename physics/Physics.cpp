// One level's simulation step, the contact solver, the contact queries and the collision reports.
#include "physics/Physics.h"

#include <cmath>
#include <string>
#include <typeinfo>

#include "core/SerializeType.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "engine/PauseMessage.h"
#include "physics/Body.h"
#include "physics/CollisionMessage.h"
#include "physics/Ray.h"
#include "physics/Shape.h"

namespace {

const auto& registeredType = registerType<Physics>();

// Once the level is in, the hero's body gets the ray that sweeps it against tunnelling.
void prepareRootBody(GameState&, Entity& root) {
    if (root.body) root.body->setSweepRay(new Ray(Vector4(1.0f, 0.0f, 0.0f, 0.0f)));
}

const bool hooksInstalled = [] {
    gameStateHooks().prepareRootBody = &prepareRootBody;
    return true;
}();

EditorControlQuery& editorControlQuery() {
    static EditorControlQuery query = nullptr;
    return query;
}

Vector4 lanes3(float value) { return Vector4(value, value, value, 0.0f); }

// Only contacts between two enabled, resolving bodies are corrected.
bool qualifies(const Contact& contact) {
    return contact.bodyA->resolve && contact.bodyB->resolve && !contact.bodyA->disabled && !contact.bodyB->disabled;
}

Contact makeContact(Body* a, Body* b, Vector4 normal, float depth) {
    Contact contact;
    contact.bodyA = a;
    contact.bodyB = b;
    contact.normal = normal;
    contact.depth = depth;
    contact.separatingVelocity = dot4(a->velocity - b->velocity, normal);
    contact.restitution = (a->restitution + b->restitution) * 0.5f;
    return contact;
}

// The pair test of two bodies as a contact step sees it.
bool testPair(Body* a, Body* b, Vector4& normal, float& depth) {
    if (a->inverseMass == 0.0f && b->inverseMass == 0.0f) return false;
    if (!a->collides || !b->collides) return false;
    if (!a->shape || !b->shape) return false;
    return a->shape->intersect(*b->shape, normal, depth);
}

}  // namespace

void setEditorControlQuery(EditorControlQuery query) { editorControlQuery() = query; }

bool isHeroUnderEditorControl(Entity* hero) {
    if (!hero) return false;
    if (EditorControlQuery query = editorControlQuery()) return query(hero);
    // Without an installed answer: the hero's first component of the registered class
    // "EditorController", when it is enabled.
    static const std::string editorClass = "EditorController";
    const Type* type = findType(editorClass);
    if (!type) return false;
    const std::type_info& editorType = type->getTypeInfo();
    for (const std::unique_ptr<Component>& component : hero->components)
        if (component && typeid(*component) == editorType) return !component->disabled;
    return false;
}

Physics* currentPhysics() { return currentGameState ? currentGameState->getComponents<Physics>() : nullptr; }

bool collideBodies(Body* a, Body* b) {
    Vector4 normal;
    float depth;
    if (!testPair(a, b, normal, depth)) return false;
    if (Physics* world = currentPhysics()) world->addContact(a, b, normal, depth);
    return true;
}

std::map<float, Body*> castRay(const Ray& ray) {
    if (Physics* world = currentPhysics()) return world->castRay(ray);
    return {};
}

Physics::Physics() = default;

Physics::Physics(const Physics& other) : GameStateComponent(other), EventHandler(other), contacts(other.contacts) {}

Physics::~Physics() {
    contacts.clear();
    for (Body* body : bodies)
        if (body) body->physics = nullptr;
    bodies.clear();
    liveBodies = 0;
}

GameStateComponent* Physics::clone() const { return new Physics(*this); }

void Physics::read(BaseInStream& in, int version) {
    int baseVersion = readBaseHeader(in);
    GameStateComponent::read(in, baseVersion);
    std::string key;
    while (readKey(in, key)) {
        skipUnknownKey(in, key);
    }
}

void Physics::write(BaseOutStream& out, int version) {
    writeBaseHeader(out, GameStateComponent::getVersion(), "GameStateComponent");
    GameStateComponent::write(out, GameStateComponent::getVersion());
    writeBaseEnd(out);
    writeEnd(out);
}

void Physics::initialize() {
    EventSystem* system = owner ? static_cast<EventSystem*>(owner) : currentEventSystem();
    EventHandler::registerHandler<PauseMessage>(system, MessageType::Pause, this,
                                                [](Physics& physics, PauseMessage& m) { physics.onPause(m); });
    EventHandler::registerHandler<Message>(system, MessageType::PlayMode, this, [](Physics& physics, Message& m) { physics.onPlayMode(m); });
    EventHandler::registerHandler<Message>(system, MessageType::EditMode, this, [](Physics& physics, Message& m) { physics.onEditMode(m); });
}

template <class F>
void Physics::forEachBody(F&& f) const {
    ++walking;
    // Indexing rather than iterators: nothing here adds bodies during a walk, but a body's own step
    // might, and the vector may then grow.
    for (std::size_t i = 0; i < bodies.size(); ++i)
        if (Body* body = bodies[i]) f(body);
    --walking;
}

void Physics::addBody(Body* body) {
    if (!body || body->physics == this) return;
    if (body->physics) body->physics->removeBody(body);
    body->physics = this;
    body->physicsSlot = bodies.size();
    bodies.push_back(body);
    ++liveBodies;
    if (editing && !body->disabled) {
        body->disabled = true;
        body->onDisabledChanged(true);
    }
}

void Physics::removeBody(Body* body) {
    if (!body || body->physics != this) return;
    bodies[body->physicsSlot] = nullptr;
    body->physics = nullptr;
    --liveBodies;
    if (walking == 0 && bodies.size() > 64 && liveBodies * 2 < bodies.size()) compactBodies();
}

void Physics::compactBodies() {
    std::size_t kept = 0;
    for (Body* body : bodies) {
        if (!body) continue;
        body->physicsSlot = kept;
        bodies[kept++] = body;
    }
    bodies.resize(kept);
}

bool Physics::hasBody(const Body* body) const { return body && body->physics == this; }

std::vector<Body*> Physics::getBodies() const {
    std::vector<Body*> result;
    result.reserve(liveBodies);
    forEachBody([&result](Body* body) { result.push_back(body); });
    return result;
}

void Physics::update(float dt) {
    if (walking == 0 && liveBodies != bodies.size()) compactBodies();

    forEachBody([dt](Body* body) {
        if (!body->disabled) body->integrate(dt);
    });

    GameState* state = owner ? owner : currentGameState;
    Entity* hero = state ? state->rootEntity : nullptr;
    Body* heroBody = hero ? hero->body : nullptr;
    // While the editor steers the hero it flies through the level: nothing stops it or reacts to it.
    bool heroEdited = isHeroUnderEditorControl(hero);
    if (heroBody && !heroEdited) {
        heroBody->sweep();
        forEachBody([this, heroBody](Body* body) {
            if (body != heroBody) collide(heroBody, body);
        });
    }

    resolvePositions();
    resolveVelocities(dt);
    sendCollisionMessages();
}

bool Physics::collide(Body* a, Body* b) {
    Vector4 normal;
    float depth;
    if (!testPair(a, b, normal, depth)) return false;
    addContact(a, b, normal, depth);
    return true;
}

void Physics::addContact(Body* a, Body* b, Vector4 normal, float depth) {
    contacts.push_back(makeContact(a, b, normal, depth));
}

void Physics::resolvePositions() {
    const std::size_t limit = 5 * contacts.size();
    for (std::size_t iteration = 0; iteration < limit; ++iteration) {
        // The last penetrating contact in the list, not the deepest one.
        Contact* candidate = nullptr;
        for (Contact& contact : contacts)
            if (qualifies(contact) && contact.depth > 0.0f) candidate = &contact;
        if (!candidate) return;

        Body* a = candidate->bodyA;
        Body* b = candidate->bodyB;
        float inverseMassSum = a->inverseMass + b->inverseMass;
        // Two immovable bodies (or masses that cancel) cannot be pushed apart.
        float k = inverseMassSum != 0.0f ? candidate->depth / inverseMassSum : 0.0f;
        if (!std::isfinite(k)) k = 0.0f;
        Vector4 moveA = candidate->normal * lanes3(k * a->inverseMass);
        Vector4 moveB = candidate->normal * lanes3(-(k * b->inverseMass));
        a->position += moveA;
        b->position += moveB;

        for (Contact& contact : contacts) {
            if (contact.bodyA == a)
                contact.depth -= dot4(contact.normal, moveA);
            else if (contact.bodyB == a)
                contact.depth += dot4(contact.normal, moveA);
            if (contact.bodyA == b)
                contact.depth -= dot4(contact.normal, moveB);
            else if (contact.bodyB == b)
                contact.depth += dot4(contact.normal, moveB);
        }
    }
}

void Physics::resolveVelocities(float dt) {
    const std::size_t limit = 5 * contacts.size();
    for (std::size_t iteration = 0; iteration < limit; ++iteration) {
        // The most negative separating velocity; of equal ones the first in the list.
        Contact* candidate = nullptr;
        float minimum = 0.0f;
        for (Contact& contact : contacts) {
            if (qualifies(contact) && contact.separatingVelocity < 0.0f && contact.separatingVelocity < minimum) {
                candidate = &contact;
                minimum = contact.separatingVelocity;
            }
        }
        if (!candidate) return;

        Body* a = candidate->bodyA;
        Body* b = candidate->bodyB;
        Vector4 normal = candidate->normal;
        float separating = candidate->separatingVelocity;
        float restitution = candidate->restitution;
        float newSeparating = -separating * restitution;
        // Velocity that this step's acceleration alone pushed into the contact is not bounced back,
        // so a resting body stays at rest.
        float fromAcceleration = dot4(a->acceleration - b->acceleration, normal) * dt;
        if (fromAcceleration < 0.0f) {
            newSeparating += restitution * fromAcceleration;
            if (newSeparating < 0.0f) newSeparating = 0.0f;
        }
        float inverseMassSum = a->inverseMass + b->inverseMass;
        float j = inverseMassSum != 0.0f ? (newSeparating - separating) / inverseMassSum : 0.0f;
        if (!std::isfinite(j)) j = 0.0f;
        Vector4 changeA = normal * lanes3(j * a->inverseMass);
        Vector4 changeB = normal * lanes3(-(j * b->inverseMass));
        a->velocity += changeA;
        b->velocity += changeB;
        candidate->separatingVelocity = newSeparating;

        for (Contact& contact : contacts) {
            if (&contact == candidate) continue;
            if (contact.bodyA == a)
                contact.separatingVelocity += dot4(contact.normal, changeA);
            else if (contact.bodyB == a)
                contact.separatingVelocity -= dot4(contact.normal, changeA);
            if (contact.bodyA == b)
                contact.separatingVelocity += dot4(contact.normal, changeB);
            else if (contact.bodyB == b)
                contact.separatingVelocity -= dot4(contact.normal, changeB);
        }
    }
}

void Physics::sendCollisionMessages() {
    for (Contact& contact : contacts) {
        Entity* entityA = contact.bodyA->getOwner();
        Entity* entityB = contact.bodyB->getOwner();
        if (entityA) sendMessageToHandler(new CollisionMessage(entityB ? entityB->id : 0, contact), entityA, false);
        contact.normal = -contact.normal;
        if (entityB) sendMessageToHandler(new CollisionMessage(entityA ? entityA->id : 0, contact), entityB, false);
    }
    contacts.clear();
}

std::vector<Contact> Physics::findContacts(Body* body) const {
    std::vector<Contact> found;
    if (!body || !body->shape) return found;
    forEachBody([&found, body](Body* other) {
        if (other == body || !other->shape) return;
        Vector4 normal;
        float depth;
        if (body->shape->intersect(*other->shape, normal, depth)) found.push_back(makeContact(body, other, normal, depth));
    });
    return found;
}

bool Physics::tryResolveBody(Body* body) {
    if (!body) return false;
    const Vector4 kept = body->position;
    auto collideWithAll = [this, body]() {
        forEachBody([this, body](Body* other) {
            if (other != body) collide(body, other);
        });
    };
    collideWithAll();
    resolvePositions();
    contacts.clear();
    collideWithAll();
    bool fits = true;
    for (const Contact& contact : contacts)
        if (!(contact.depth < 0.001f) && contact.bodyB->resolve) fits = false;
    contacts.clear();
    if (!fits) body->position = kept;
    return fits;
}

std::map<float, Body*> Physics::castRay(const Ray& ray) const {
    std::map<float, Body*> hits;
    forEachBody([&hits, &ray](Body* body) {
        if (!body->collides || !body->shape) return;
        Vector4 normal;
        float depth, distance;
        // A later body at exactly the same distance replaces the earlier one.
        if (Ray::intersectWithDistance(ray, *body->shape, normal, depth, distance) && !std::isnan(distance))
            hits[distance] = body;
    });
    return hits;
}

void Physics::onPause(PauseMessage& message) {
    disabled = message.paused;
    onDisabledChanged(disabled);
}

void Physics::onPlayMode(Message&) {
    editing = false;
    forEachBody([](Body* body) {
        body->disabled = false;
        body->onDisabledChanged(false);
    });
}

void Physics::onEditMode(Message&) {
    editing = true;
    forEachBody([](Body* body) {
        body->disabled = true;
        body->onDisabledChanged(true);
    });
}
