// The scene draw of a running level and the building of its box draw groups, installed into the
// engine's game state at start-up.
#include "graphics/SceneDraw.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <unordered_set>

#include "engine/Entity.h"
#include "engine/GameState.h"
#include "graphics/BoxDrawGroup.h"
#include "graphics/Camera.h"
#include "graphics/Graphics.h"
#include "graphics/MeshBuilder.h"
#include "graphics/Program.h"
#include "graphics/Sky.h"
#include "graphics/Texture.h"
#include "physics/Body.h"
#include "physics/Shape.h"

namespace {

void drawSceneHook(GameState& state, Camera* camera) {
    if (camera == nullptr) {
        state.drawStateComponents();
        return;
    }
    drawScene(state, *camera);
}

void buildDrawGroupsHook(GameState& state) {
    state.drawGroups.clear();
    for (auto& group : buildBoxDrawGroups(state.entities)) state.drawGroups.push_back(std::move(group));
}

void forgetEntityHook(GameState& state, Entity& entity) {
    state.drawGroups.remove_if([&entity](const auto& group) { return group && group->graphics.owner == &entity; });
}

const bool sceneHooksInstalled = [] {
    gameStateHooks().drawScene = &drawSceneHook;
    gameStateHooks().buildDrawGroups = &buildDrawGroupsHook;
    gameStateHooks().forgetEntity = &forgetEntityHook;
    return true;
}();

// Opaque means an alpha of at least 1; anything else (NaN included) blends.
bool isTranslucent(const Graphics& graphics) { return !(getDrawColor(graphics).w() >= 1.0f); }

std::uint32_t drawClassOf(const Entity* entity) {
    if (entity->graphics == nullptr || entity->body == nullptr) return 2;
    return isTranslucent(*entity->graphics) ? 1 : 0;
}

// The z row of the view: depth of a point without the rest of the transform.
Vector4 depthRow(const Camera& camera) {
    const Matrix& view = camera.getView();
    return Vector4(view.get(2, 0), view.get(2, 1), view.get(2, 2), view.get(2, 3));
}

float viewDepth(Vector4 row, const Body& body) {
    const float z = dot4(row, body.position);
    return std::isnan(z) ? std::numeric_limits<float>::infinity() : z;
}

// Whether a surface hides what lies behind it wherever it is drawn, whatever was drawn before: full
// alpha after this frame's fade, no specular alpha taken away, and no see-through texel.
bool coversWhatIsBehind(const Graphics& graphics) {
    const Texture* texture = graphics.getTexture();
    return getDrawColor(graphics).w() + graphics.diffuseColorOffset.w() >= 1.0f &&
           getDrawSpecularColor(graphics).w() + graphics.specularColorOffset.w() >= 0.0f &&
           (texture == nullptr || texture->isOpaque());
}

// Emitters are drawn with their owner's world matrix only while that owner is one of the scene's
// entities, holds the emitter and has a body; nothing is read through an owner that is not in the scene.
struct EmitterDrawContext {
    GameState* state;
    Camera* camera;
    std::unordered_set<const Entity*> sceneEntities;
    bool sceneEntitiesKnown = false;
};

void drawOneEmitter(Component& emitter, void* context) {
    auto& c = *static_cast<EmitterDrawContext*>(context);
    if (!c.sceneEntitiesKnown) {
        c.sceneEntities.reserve(c.state->entities.size());
        c.sceneEntities.insert(c.state->entities.begin(), c.state->entities.end());
        c.sceneEntitiesKnown = true;
    }
    const Entity* owner = emitter.owner;
    if (owner == nullptr || c.sceneEntities.count(owner) == 0 || owner->body == nullptr) return;
    // A copy of an emitter keeps its source's owner until it is added somewhere: it must be held too.
    bool held = false;
    for (const auto& component : owner->components) held = held || component.get() == &emitter;
    if (!held) return;
    particleDrawSupport().drawEmitter(emitter, getBodyWorldMatrix(*owner->body), *c.camera);
}

}  // namespace

ParticleDrawSupport& particleDrawSupport() {
    static ParticleDrawSupport support;
    return support;
}

bool drawOrderLess(const Entity* a, const Entity* b, const Camera& camera) {
    const std::uint32_t classA = drawClassOf(a), classB = drawClassOf(b);
    if (classA == 2) return false;
    if (classB == 2) return true;
    if (classA != classB) return classA < classB;
    const Vector4 row = depthRow(camera);
    return viewDepth(row, *a->body) < viewDepth(row, *b->body);
}

void sortForDrawing(std::vector<Entity*>& entities, const Camera& camera, std::vector<DrawOrderKey>& scratch) {
    scratch.clear();
    scratch.reserve(entities.size());
    const Vector4 row = depthRow(camera);
    for (Entity* entity : entities) {
        const std::uint32_t drawClass = drawClassOf(entity);
        const float z = drawClass == 2 ? 0.0f : viewDepth(row, *entity->body);
        scratch.push_back(DrawOrderKey{z, drawClass, entity});
    }
    std::sort(scratch.begin(), scratch.end(), [](const DrawOrderKey& a, const DrawOrderKey& b) {
        if (a.drawClass != b.drawClass) return a.drawClass < b.drawClass;
        if (a.drawClass == 2) return false;
        return a.z < b.z;
    });
    for (std::size_t i = 0; i < scratch.size(); ++i) entities[i] = scratch[i].entity;
}

void orderForDrawing(const std::vector<Entity*>& entities, const Camera& camera, std::vector<Entity*>& order) {
    order.clear();
    order.reserve(entities.size());
    std::size_t opaqueEnd = 0;
    while (opaqueEnd < entities.size() && drawClassOf(entities[opaqueEnd]) == 0) ++opaqueEnd;
    // Nearest first by the far end of each bounding sphere: a floor under everything reaches far
    // behind the objects standing on it, so it comes after them instead of being drawn over.
    static std::vector<DrawOrderKey> covering;
    covering.clear();
    const Vector4 row = depthRow(camera);
    for (std::size_t i = opaqueEnd; i-- > 0;) {
        Entity* entity = entities[i];
        if (!coversWhatIsBehind(*entity->graphics)) continue;
        const float radius = entity->body->shape ? entity->body->shape->getBoundingRadius() : 0.0f;
        covering.push_back(DrawOrderKey{viewDepth(row, *entity->body) - radius, 0, entity});
    }
    std::stable_sort(covering.begin(), covering.end(),
                     [](const DrawOrderKey& a, const DrawOrderKey& b) { return a.z > b.z; });
    for (const DrawOrderKey& key : covering) order.push_back(key.entity);
    for (std::size_t i = 0; i < opaqueEnd; ++i)
        if (!coversWhatIsBehind(*entities[i]->graphics)) order.push_back(entities[i]);
    order.insert(order.end(), entities.begin() + static_cast<std::ptrdiff_t>(opaqueEnd), entities.end());
}

void drawEntities(GameState& state, Camera& camera) {
    bool translucentPhase = false;
    Program* lastProgram = nullptr;
    unsigned lastName = 0;
    std::vector<Entity*> order;
    orderForDrawing(state.entities, camera, order);
    // The backdrop fills what the covering surfaces left empty, before anything blends over it.
    Sky* sky = state.getComponents<Sky>();
    auto drawSky = [&] {
        if (lastProgram) lastProgram->endPass();
        lastProgram = nullptr;
        lastName = 0;
        sky->drawBehind(camera);
        sky = nullptr;
    };
    for (Entity* entity : order) {
        Graphics* graphics = entity->graphics;
        if (graphics == nullptr || graphics->disabled) continue;
        if (sky && !coversWhatIsBehind(*graphics)) drawSky();
        if (!translucentPhase && isTranslucent(*graphics)) {
            // From the first see-through object on, nothing writes depth and both faces show.
            translucentPhase = true;
            glDepthMask(GL_FALSE);
            glDisable(GL_CULL_FACE);
        }
        const Body* body = entity->body;
        if (body == nullptr) continue;
        if (entity != state.rootEntity && camera.isCulled(*body)) continue;
        const Matrix world = getBodyWorldMatrix(*body);

        Program* program = graphics->program;
        const unsigned name = program ? program->getGLName() : 0;
        if (name == 0) {
            if (lastProgram) lastProgram->endPass();
            lastProgram = nullptr;
            lastName = 0;
            graphics->draw(world, camera);
        } else if (name == lastName) {
            graphics->drawInPass(world, camera);
        } else {
            if (lastProgram) lastProgram->endPass();
            program->setCamera(camera);
            lastProgram = program;
            lastName = name;
            graphics->drawInPass(world, camera);
        }
    }
    if (sky) drawSky();
    if (lastProgram) lastProgram->endPass();
}

void drawScene(GameState& state, Camera& camera) {
    // Errors left by earlier code are not ours; a lost context would answer forever, hence the bound.
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
    }

    static std::vector<DrawOrderKey> scratch;
    sortForDrawing(state.entities, camera, scratch);

    glEnable(GL_MULTISAMPLE);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);

    static const Matrix identity;
    for (const auto& group : state.drawGroups) {
        if (!group || camera.isCulled(group->body)) continue;
        group->graphics.draw(identity, camera);
    }

    drawEntities(state, camera);

    ParticleDrawSupport& particles = particleDrawSupport();
    if (particles.forEachEmitter && particles.drawEmitter) {
        EmitterDrawContext context{&state, &camera, {}, false};
        particles.forEachEmitter(&drawOneEmitter, &context);
    }

    glDepthMask(GL_TRUE);
    state.drawStateComponents();
    glDisable(GL_MULTISAMPLE);
}

std::list<std::shared_ptr<BoxDrawGroup>> buildBoxDrawGroups(const std::vector<Entity*>& entities) {
    std::map<int, std::vector<Entity*>> byKey;
    for (Entity* entity : entities) {
        if (entity == nullptr || entity->graphics == nullptr || entity->body == nullptr) continue;
        if (entity->graphics->drawGroup != 0) byKey[entity->graphics->drawGroup].push_back(entity);
    }
    std::list<std::shared_ptr<BoxDrawGroup>> groups;
    for (const auto& [key, members] : byKey) {
        // One mesh holds so many boxes with 16-bit indices; a larger group becomes several meshes.
        for (std::size_t first = 0; first < members.size(); first += MeshBuilder::maxBoxesPerGroup) {
            const std::size_t last = std::min(members.size(), first + MeshBuilder::maxBoxesPerGroup);
            groups.push_back(std::make_shared<BoxDrawGroup>(
                std::vector<Entity*>(members.begin() + static_cast<std::ptrdiff_t>(first),
                                     members.begin() + static_cast<std::ptrdiff_t>(last))));
        }
    }
    return groups;
}
