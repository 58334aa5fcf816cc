// The surface program: per-pass camera, light and ball-glow uniforms, per-object colours and texture,
// and the choice of the patterns each object shows.
#include "graphics/PatternShader.h"

#include <GL/glew.h>

#include <algorithm>
#include <array>
#include <functional>
#include <iostream>
#include <limits>
#include <sstream>
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
#include "graphics/Model.h"
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

// The programs made from one PatternShader for fixed lists of kinds, and which pass each last had its
// camera and light uniforms for (uniforms belong to a program, so every program gets them once a pass).
struct PatternVariants {
    struct Variant {
        std::array<int, PatternSlots::slotCount> kinds{};
        unsigned program = 0;
        Shader fragment;
        Shader vertex;
        int pass = -1;
        int paramsSize = 0;  // of "patternParams", which the compiler cuts to what the kinds read
    };

    PatternVariants() = default;
    PatternVariants(const PatternVariants&) = delete;
    PatternVariants& operator=(const PatternVariants&) = delete;
    ~PatternVariants() { clear(); }

    // Deletes the variants (made for another base program).
    void clear() {
        for (Variant& variant : list) {
            glDetachShader(variant.program, variant.fragment.getGLName());
            glDetachShader(variant.program, variant.vertex.getGLName());
            glDeleteProgram(variant.program);
        }
        list.clear();
        failed = false;
        basePass = -1;
    }

    // How many floats of "patternParams" `program` takes.
    int paramsSizeOf(unsigned program) const {
        for (const Variant& variant : list)
            if (variant.program == program) return variant.paramsSize;
        return PatternSlots::slotCount * PatternSlots::floatsPerSlot;
    }

    // The pass counter's value for `program`'s record (the base program's or a variant's).
    int& passOf(unsigned program) {
        for (Variant& variant : list)
            if (variant.program == program) return variant.pass;
        return basePass;
    }

    unsigned base = 0;
    int basePass = -1;
    int pass = 0;
    bool failed = false;  // a variant that did not link stops the making of more
    int limit = PatternShader::defaultVariantLimit;
    // The open pass's camera, for variants first used within it. Kept here rather than in one copy:
    // a pass is opened through one copy and continued through the others.
    Camera* passCamera = nullptr;
    std::vector<Variant> list;
};

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

// The variant table exists from the start, so that every copy shares it.
PatternShader::PatternShader() : variants(std::make_shared<PatternVariants>()) {}

PatternShader::PatternShader(Shader fragment, Shader vertex)
    : Program(fragment, vertex), variants(std::make_shared<PatternVariants>()) {}

PatternShader* PatternShader::clone() const { return new PatternShader(*this); }

unsigned PatternShader::programFor(const PatternSlots& slots) {
    if (glName == 0) return glName;
    if (variants->base != glName) {
        variants->clear();
        variants->base = glName;
    }
    std::array<int, PatternSlots::slotCount> kinds{};
    std::copy(slots.ids, slots.ids + PatternSlots::slotCount, kinds.begin());
    for (const PatternVariants::Variant& variant : variants->list)
        if (variant.kinds == kinds) return variant.program;
    if (variants->failed || static_cast<int>(variants->list.size()) >= variants->limit) return glName;

    std::ostringstream preamble;
    preamble << "#define FIXED_PATTERN_KINDS\n";
    for (int k = 0; k < PatternSlots::slotCount; ++k)
        preamble << "const int " << patternIdNames[k] << " = " << kinds[static_cast<std::size_t>(k)] << ";\n";
    PatternVariants::Variant variant;
    variant.kinds = kinds;
    variant.fragment = Shader(GL_FRAGMENT_SHADER, fragmentShader.getFileName(), preamble.str());
    variant.vertex = vertexShader;
    variant.program = glCreateProgram();
    glAttachShader(variant.program, variant.fragment.getGLName());
    glAttachShader(variant.program, variant.vertex.getGLName());
    glLinkProgram(variant.program);
    GLint linked = GL_FALSE;
    glGetProgramiv(variant.program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        std::cerr << "error: the surface program could not be specialised for its patterns; drawn with the general one"
                  << std::endl;
        glDetachShader(variant.program, variant.fragment.getGLName());
        glDetachShader(variant.program, variant.vertex.getGLName());
        glDeleteProgram(variant.program);
        variants->failed = true;
        return glName;
    }
    GLint uniforms = 0;
    glGetProgramiv(variant.program, GL_ACTIVE_UNIFORMS, &uniforms);
    for (GLint i = 0; i < uniforms; ++i) {
        GLchar name[64] = {};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(variant.program, static_cast<GLuint>(i), sizeof name, nullptr, &size, &type, name);
        if (std::string(name).rfind("patternParams", 0) == 0) variant.paramsSize = size;
    }
    variants->list.push_back(variant);
    return variant.program;
}

void PatternShader::setVariantLimit(int limit) { variants->limit = limit; }

int PatternShader::variantCount() const { return static_cast<int>(variants->list.size()); }

void PatternShader::uploadPass(unsigned program, Camera& camera) {
    setUniformMatrix(program, "view", camera.getView());
    setUniformMatrix(program, "projection", camera.getProjection());
    setUniformFloat(program, "zFar", camera.getZFar());
    setUniformInt(program, "texture", 0);
    uploadCameraAndLight(program, camera);
}

void PatternShader::uploadCameraAndLight(unsigned program, Camera& camera) {
    Entity* hero = currentGameState ? currentGameState->rootEntity : nullptr;
    const Body* heroBody = hero ? hero->body : nullptr;
    if (heroBody) {
        setUniformInt(program, "haveBall", 1);
        setUniformVector(program, "ballPos", heroBody->position);
        float radius = 0.0f;
        if (const Shape* shape = heroBody->shape) {
            radius = shape->shapeType == Shape::SphereKind ? static_cast<const Sphere*>(shape)->radius
                                                           : shape->getBoundingRadius();
        }
        setUniformFloat(program, "ballRadiusSquared", radius * radius);
        setUniformVector(program, "ballGlow", Vector4(0.8f, 0.8f, 0.8f, 0.0f));
        setUniformFloat(program, "glowRadius", 1.0f);
    } else {
        setUniformInt(program, "haveBall", 0);
    }
    setUniformVector(program, "cameraPos", camera.getPosition());
    setUniformVector(program, "lightPos", Vector4(50000.0f, 100000.0f, 50000.0f, 1.0f));
    setUniformVector(program, "lightAmbient", Vector4(0.5f, 0.5f, 0.5f, 1.0f));
    setUniformVector(program, "lightDiffuse", Vector4(0.5f, 0.5f, 0.5f, 1.0f));
    setUniformVector(program, "lightSpecular", Vector4(0.5f, 0.5f, 0.5f, 0.0f));
}

void PatternShader::uploadObject(unsigned program, Graphics& graphics) {
    setUniformFloat(program, "shininess", graphics.shininess);
    setUniformVector(program, "colorDiffuse", getDrawColor(graphics) + graphics.diffuseColorOffset);
    setUniformVector(program, "colorSpecular", getDrawSpecularColor(graphics) + graphics.specularColorOffset);
}

void PatternShader::uploadSlots(unsigned program, const PatternSlots& slots) {
    // A variant has the kinds built in; GL ignores the names it does not know.
    for (int k = 0; k < PatternSlots::slotCount; ++k) setUniformInt(program, patternIdNames[k], slots.ids[k]);
    const int count = std::min(slots.filled * PatternSlots::floatsPerSlot, variants->paramsSizeOf(program));
    if (count > 0) glUniform1fv(glGetUniformLocation(program, "patternParams"), count, slots.params);
}

void PatternShader::drawModel(unsigned program, const Matrix& world, Graphics& graphics) {
    setUniformMatrix(program, "world", world);
    // Sent with the transpose flag, so the shader receives the inverse's transpose.
    setUniformMatrix(program, "worldInverseTranspose", world.inverse(), true);
    if (Model* model = graphics.getModel()) model->draw(program);
}

void PatternShader::setCamera(Camera& camera) {
    glUseProgram(glName);
    glActiveTexture(GL_TEXTURE0);
    uploadPass(glName, camera);
    variants->passCamera = &camera;
    variants->basePass = ++variants->pass;
}

void PatternShader::drawGraphicsInPass(const Matrix& world, Graphics& graphics) {
    PatternSlots slots;
    gatherPatternSlots(world, graphics, slots);
    // Without the pass's camera (a pass opened through a program that only shares the GL name) the
    // program the pass made current draws.
    Camera* camera = variants->passCamera;
    const unsigned program = camera ? programFor(slots) : glName;
    glUseProgram(program);
    if (camera) {
        int& pass = variants->passOf(program);
        if (program != glName && pass != variants->pass) uploadPass(program, *camera);
        pass = variants->pass;
    }
    bindObjectTexture(graphics);
    uploadObject(program, graphics);
    uploadSlots(program, slots);
    drawModel(program, world, graphics);
}

void PatternShader::drawGraphics(const Matrix& world, Camera& camera, Graphics& graphics) {
    PatternSlots slots;
    gatherPatternSlots(world, graphics, slots);
    const unsigned program = programFor(slots);
    glUseProgram(program);
    glActiveTexture(GL_TEXTURE0);
    bindObjectTexture(graphics);
    uploadPass(program, camera);
    uploadObject(program, graphics);
    uploadSlots(program, slots);
    drawModel(program, world, graphics);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
}

void PatternShader::endPass() {
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
    variants->passCamera = nullptr;
}

void PatternShader::setPatterns(const Matrix& world, Graphics& graphics) {
    PatternSlots slots;
    gatherPatternSlots(world, graphics, slots);
    uploadSlots(glName, slots);
}

void PatternShader::read(BaseInStream& in, int version) {
    readProgramPart(in);
    // New file names make a new program, which may reuse the old one's GL name and no longer be shared:
    // the variants go with the old one.
    variants = std::make_shared<PatternVariants>();
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
