// The surface program: per-pass camera, light and ball-glow uniforms, per-object colours and texture,
// and the choice of the patterns each object shows.
#include "graphics/PatternShader.h"

#include <GL/glew.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <vector>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "effects/LiveOwner.h"
#include "effects/Pattern.h"
#include "effects/PatternDispenser.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/Camera.h"
#include "graphics/Graphics.h"
#include "graphics/Texture.h"
#include "physics/Body.h"
#include "physics/Shape.h"
#include "physics/Sphere.h"

namespace {

const auto& patternShaderType = registerType<PatternShader>("PatternShader");

constexpr float infinity = std::numeric_limits<float>::infinity();

const char* const patternIdNames[PatternSlots::slotCount] = {"patternID0", "patternID1", "patternID2", "patternID3",
                                                             "patternID4", "patternID5", "patternID6", "patternID7"};

void fillSlot(PatternSlots& slots, const Pattern& pattern, Vector4 centre, float cutOffStart, float cutOffEnd) {
    const int k = slots.filled++;
    slots.ids[k] = pattern.getPatternID();
    float* out = slots.params + k * PatternSlots::floatsPerSlot;
    out[0] = centre.x();
    out[1] = centre.y();
    out[2] = centre.z();
    out[3] = cutOffStart;
    out[4] = cutOffEnd;
    pattern.color.store(out + 5);
    std::copy(pattern.getParameters(), pattern.getParameters() + Pattern::parameterCount, out + 9);
}

struct Candidate {
    float distanceSquared;
    const PatternDispenser* dispenser;
    Vector4 centre;
};

// Farthest first; between equal distances the dispenser at the larger address first.
bool fartherFirst(const Candidate& a, const Candidate& b) {
    if (a.distanceSquared != b.distanceSquared) return a.distanceSquared > b.distanceSquared;
    return std::less<const PatternDispenser*>()(b.dispenser, a.dispenser);
}

// The bound texture of a Graphics, or the stand-by "whitePixel" when it has none on the GPU.
void bindObjectTexture(Graphics& graphics) {
    const Texture* texture = graphics.getTexture();
    unsigned name = texture ? texture->getGLName() : 0;
    if (name == 0 && currentGameState) name = currentGameState->get<Texture>("whitePixel").getGLName();
    glBindTexture(GL_TEXTURE_2D, name);
}

}  // namespace

void gatherPatternSlots(const Matrix& world, Graphics& graphics, PatternSlots& slots) {
    slots = PatternSlots();
    Entity* owner = graphics.getOwner();
    const Body* ownerBody = owner ? owner->body : nullptr;
    const Vector4 centre = ownerBody ? ownerBody->position : world.columns[3];

    for (const Pattern* pattern : graphics.patterns) {
        if (slots.filled == PatternSlots::slotCount) return;
        if (pattern) fillSlot(slots, *pattern, centre, infinity, infinity);
    }

    // Reused from draw to draw: the selection allocates nothing once it has grown.
    static std::vector<Candidate> candidates;
    candidates.clear();
    const float ownRadius = ownerBody && ownerBody->shape ? ownerBody->shape->getBoundingRadius() : 0.0f;
    for (ObjectCounter<PatternDispenser>* counter : livePatternDispensers()) {
        const PatternDispenser* dispenser = counter->object();
        if (dispenser->pattern == nullptr) continue;
        if (!dispenser->affectOwner && owner != nullptr && dispenser->owner == owner) continue;
        // The centre comes from the dispenser entity's body: a dispenser that stands on no live entity
        // with a body casts nothing.
        if (!isHeldByLiveEntity(*dispenser) || dispenser->owner->body == nullptr) continue;
        const Vector4 dispenserCentre = dispenser->owner->body->position;
        const Vector4 d = dispenserCentre - centre;
        const float distanceSquared = dot4(d, d);
        if (owner != nullptr) {
            const float reach = ownRadius + dispenser->cutOffEnd;
            const float reachSquared = reach * reach;
            if (!(distanceSquared <= reachSquared)) continue;
        }
        candidates.push_back(Candidate{distanceSquared, dispenser, dispenserCentre});
    }

    const std::size_t room = static_cast<std::size_t>(PatternSlots::slotCount - slots.filled);
    const std::size_t taken = std::min(room, candidates.size());
    std::partial_sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(taken), candidates.end(),
                      fartherFirst);
    for (std::size_t i = 0; i < taken; ++i) {
        const PatternDispenser& dispenser = *candidates[i].dispenser;
        fillSlot(slots, *dispenser.pattern, candidates[i].centre, dispenser.cutOffStart, dispenser.cutOffEnd);
    }
}

PatternShader* PatternShader::clone() const { return new PatternShader(*this); }

void PatternShader::uploadCameraAndLight(Camera& camera) {
    Entity* hero = currentGameState ? currentGameState->rootEntity : nullptr;
    const Body* heroBody = hero ? hero->body : nullptr;
    if (heroBody) {
        setUniformInt(glName, "haveBall", 1);
        setUniformVector(glName, "ballPos", heroBody->position);
        float radius = 0.0f;
        if (const Shape* shape = heroBody->shape) {
            radius = shape->shapeType == Shape::SphereKind ? static_cast<const Sphere*>(shape)->radius
                                                           : shape->getBoundingRadius();
        }
        setUniformFloat(glName, "ballRadiusSquared", radius * radius);
        setUniformVector(glName, "ballGlow", Vector4(0.8f, 0.8f, 0.8f, 0.0f));
        setUniformFloat(glName, "glowRadius", 1.0f);
    } else {
        setUniformInt(glName, "haveBall", 0);
    }
    setUniformVector(glName, "cameraPos", camera.getPosition());
    setUniformVector(glName, "lightPos", Vector4(50000.0f, 100000.0f, 50000.0f, 1.0f));
    setUniformVector(glName, "lightAmbient", Vector4(0.5f, 0.5f, 0.5f, 1.0f));
    setUniformVector(glName, "lightDiffuse", Vector4(0.5f, 0.5f, 0.5f, 1.0f));
    setUniformVector(glName, "lightSpecular", Vector4(0.5f, 0.5f, 0.5f, 0.0f));
}

void PatternShader::uploadObject(Graphics& graphics) {
    setUniformFloat(glName, "shininess", graphics.shininess);
    setUniformVector(glName, "colorDiffuse", getDrawColor(graphics) + graphics.diffuseColorOffset);
    setUniformVector(glName, "colorSpecular", getDrawSpecularColor(graphics) + graphics.specularColorOffset);
}

void PatternShader::setCamera(Camera& camera) {
    glUseProgram(glName);
    setUniformMatrix(glName, "view", camera.getView());
    setUniformMatrix(glName, "projection", camera.getProjection());
    setUniformFloat(glName, "zFar", camera.getZFar());
    glActiveTexture(GL_TEXTURE0);
    setUniformInt(glName, "texture", 0);
    uploadCameraAndLight(camera);
}

void PatternShader::drawGraphicsInPass(const Matrix& world, Graphics& graphics) {
    bindObjectTexture(graphics);
    uploadObject(graphics);
    setPatterns(world, graphics);
    Program::drawGraphicsInPass(world, graphics);
}

void PatternShader::drawGraphics(const Matrix& world, Camera& camera, Graphics& graphics) {
    glUseProgram(glName);
    setUniformFloat(glName, "zFar", camera.getZFar());
    glActiveTexture(GL_TEXTURE0);
    bindObjectTexture(graphics);
    setUniformInt(glName, "texture", 0);
    uploadCameraAndLight(camera);
    uploadObject(graphics);
    setPatterns(world, graphics);
    Program::drawGraphics(world, camera, graphics);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
}

void PatternShader::endPass() {
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
}

void PatternShader::setPatterns(const Matrix& world, Graphics& graphics) {
    PatternSlots slots;
    gatherPatternSlots(world, graphics, slots);
    for (int k = 0; k < PatternSlots::slotCount; ++k) setUniformInt(glName, patternIdNames[k], slots.ids[k]);
    if (slots.filled > 0)
        glUniform1fv(glGetUniformLocation(glName, "patternParams"), slots.filled * PatternSlots::floatsPerSlot,
                     slots.params);
}

void PatternShader::read(BaseInStream& in, int version) {
    readProgramPart(in);
    // The record's own part holds nothing more than its closing "end".
    std::string key;
    while (readKey(in, key)) {
        skipUnknownKey(in, key);
    }
}

void PatternShader::write(BaseOutStream& out, int version) {
    writeProgramPart(out);
    writeEnd(out);
}
