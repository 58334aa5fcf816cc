// The game-state component that runs one level's simulation: it integrates the registered bodies,
// sweeps the hero, tests the hero's body against every other body, pushes penetrating bodies apart,
// bounces them with restitution and reports every contact to both entities as a CollisionMessage.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <vector>

#include "core/Vector4.h"
#include "engine/EventHandler.h"
#include "engine/GameStateComponent.h"
#include "physics/Contact.h"

class Body;
class Entity;
class PauseMessage;
class Ray;

class Physics : public GameStateComponent, public EventHandler {
public:
    Physics();
    // Same owner and "disabled" flag and a copy of the contact list, but no bodies: a body belongs to
    // one world only, and joins the copy when it is initialised under it. No registrations until
    // the copy's own initialize.
    Physics(const Physics& other);
    Physics& operator=(const Physics&) = delete;
    // Lets go of every body (they no longer refer to this world) and drops the registrations.
    ~Physics() override;

    GameStateComponent* clone() const override;
    int getVersion() const override { return 0; }
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // Listens for pause (26), play mode (20) and edit mode (21) in the owning state's event system.
    void initialize() override;
    // One step of dt seconds.
    void update(float dt) override;

    // The body set keeps bodies in the order they joined, so that one level and one input give one
    // simulation. Adding a body of another world moves it here; removing an absent body does nothing.
    void addBody(Body* body);
    void removeBody(Body* body);
    bool hasBody(const Body* body) const;
    std::size_t bodyCount() const { return liveBodies; }
    // The registered bodies in the order they joined.
    std::vector<Body*> getBodies() const;

    // Records one contact of a and b (normal from b towards a) with its separating velocity and mean
    // restitution. Flags are not looked at: triggers and disabled bodies are reported too.
    void addContact(Body* a, Body* b, Vector4 normal, float depth);
    // The overlaps of body with every other registered body, in registration order, whatever their
    // flags and masses; shapeless bodies are passed over. The contact list is not touched.
    std::vector<Contact> findContacts(Body* body) const;
    // Pushes body out of the others with the position pass; true when every remaining contact of a
    // resolving body is shallower than 0.001. On false the body is put back where it was.
    bool tryResolveBody(Body* body);
    // The bodies with "collides" set that the ray hits, nearest first, keyed by hit distance.
    std::map<float, Body*> castRay(const Ray& ray) const;

    // The narrow-phase test of one pair; a contact is recorded here.
    bool collide(Body* a, Body* b);
    void resolvePositions();
    void resolveVelocities(float dt);
    // Queues a CollisionMessage to each entity of every contact, then empties the list.
    void sendCollisionMessages();

    // While the level is edited nothing moves by itself: the bodies present are disabled, and so is
    // every body that joins until play mode is on again.
    bool isEditing() const { return editing; }

    void onPause(PauseMessage& message);
    void onPlayMode(Message& message);
    void onEditMode(Message& message);

    const std::deque<Contact>& getContacts() const { return contacts; }

private:
    // Runs f on every registered body in order; bodies removed meanwhile are passed over.
    template <class F>
    void forEachBody(F&& f) const;
    void compactBodies();

    std::vector<Body*> bodies;  // in joining order; a removed body leaves a null until compaction
    std::size_t liveBodies = 0;
    mutable int walking = 0;    // compaction waits while the set is being walked
    std::deque<Contact> contacts;
    bool editing = false;
};

// The Physics of the current game state, or null.
Physics* currentPhysics();
// collide on the current game state's Physics; without one a hit is still answered but not recorded.
bool collideBodies(Body* a, Body* b);
// castRay on the current game state's Physics; empty without one.
std::map<float, Body*> castRay(const Ray& ray);

// Whether the level editor is steering the hero: the hero's first component of the registered class
// "EditorController" is enabled. While it is, the hero is not swept and its contacts are neither
// detected nor reported. The editor may install its own answer instead (null restores the lookup).
using EditorControlQuery = bool (*)(Entity* hero);
void setEditorControlQuery(EditorControlQuery query);
bool isHeroUnderEditorControl(Entity* hero);
