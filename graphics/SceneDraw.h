// The scene draw of a running level: the order entities are drawn in (opaque before translucent, far
// before near), the box draw groups, program passes, particles and the state components.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

class BoxDrawGroup;
class Camera;
class Component;
class Entity;
class GameState;
class Matrix;

// True when a is drawn before b: entities with both a Graphics and a Body first; among those opaque
// before translucent; within a class, smaller view-space z (farther) first.
bool drawOrderLess(const Entity* a, const Entity* b, const Camera& camera);

// One entity's place in the draw order, computed once per frame instead of once per comparison.
struct DrawOrderKey {
    float z;
    // 0 opaque, 1 translucent, 2 lacking a Graphics or a Body.
    std::uint32_t drawClass;
    Entity* entity;
};

// Puts the entities in draw order (the order drawOrderLess gives; a NaN depth sorts last in its
// class). scratch is reused between frames to spare allocations.
void sortForDrawing(std::vector<Entity*>& entities, const Camera& camera, std::vector<DrawOrderKey>& scratch);

// The order the entities, already in draw order, are drawn in: the leading opaque ones nearest first
// (by the far end of their bounding spheres), so that the depth test spares the shading of what they
// hide, as far as that cannot change the picture: opaque ones that still blend this frame (a fade,
// see-through texels) follow them far to near, then the rest as they stand.
void orderForDrawing(const std::vector<Entity*>& entities, const Camera& camera, std::vector<Entity*>& order);

// The body of GameState::draw: sorts state.entities, draws the box groups, the entities in program
// passes (with the state's Sky), the particle emitters, then the state components.
void drawScene(GameState& state, Camera& camera);
// The entity walk of drawScene alone, in the orderForDrawing of state.entities. The state's Sky is
// drawn once the surfaces that hide what lies behind them are down, before the first one that blends.
void drawEntities(GameState& state, Camera& camera);

// Groups the entities whose Graphics has a non-zero draw group, one BoxDrawGroup per key in
// ascending order (a key with more boxes than one mesh holds gets several groups).
std::list<std::shared_ptr<BoxDrawGroup>> buildBoxDrawGroups(const std::vector<Entity*>& entities);

// The particle emitters live in the effects library, which installs these when it is linked.
struct ParticleDrawSupport {
    // Calls visit(emitter, context) for every live emitter.
    void (*forEachEmitter)(void (*visit)(Component& emitter, void* context), void* context) = nullptr;
    // Draws one emitter's particles with its owner's world matrix.
    void (*drawEmitter)(Component& emitter, const Matrix& world, Camera& camera) = nullptr;
};
ParticleDrawSupport& particleDrawSupport();
