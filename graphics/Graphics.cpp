// The drawing component: copies, the text form of every stored version, resource lookups by name, the
// draw operations and the helpers every draw loop shares (draw colour, world matrix, pixel rectangle).
#include "graphics/Graphics.h"

#include <cmath>
#include <iostream>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/MainLoop.h"
#include "graphics/Camera.h"
#include "graphics/Model.h"
#include "graphics/Program.h"
#include "graphics/Texture.h"
#include "physics/Body.h"
#include "physics/Shape.h"

namespace {

const auto& graphicsType = registerType<Graphics>("Graphics");

// The owned copy becomes a clone of source (null when source is null); the old copy goes unless it
// is the very same object.
template <class T>
void assignClone(T*& owned, const T* source) {
    T* copy = source ? static_cast<T*>(source->clone()) : nullptr;
    if (owned != source) delete owned;
    owned = copy;
}

// Replaces the owned copy by a clone of the named resource of the running state.
template <class T>
void lookUp(const std::string& name, T*& owned) {
    if (name.empty() || currentGameState == nullptr) return;
    T& found = currentGameState->template get<T>(name);
    assignClone(owned, &found);
}

Pattern* clonePattern(const Pattern* pattern) {
    if (!pattern) return nullptr;
    PatternSupport& support = patternSupport();
    return support.clone ? support.clone(*pattern) : nullptr;
}

void destroyPattern(Pattern* pattern) {
    PatternSupport& support = patternSupport();
    if (pattern && support.destroy) support.destroy(pattern);
}

// Elements until "end"; each one through the pattern library, or stepped over when it is not linked.
void readPatternList(BaseInStream& in, std::vector<Pattern*>& patterns) {
    bool progress = false;
    const int count = readContainerSize(in, progress);
    int done = 0;
    while (nextElement(in)) {
        PatternSupport& support = patternSupport();
        if (support.read) {
            // A stored "NULL" stands for no pattern: nothing is kept for it.
            if (Pattern* pattern = support.read(in)) patterns.push_back(pattern);
        } else {
            const Type* type = nullptr;
            void* object = nullptr;
            using textformat_detail::PointerRead;
            switch (textformat_detail::beginPointer(in, type, object)) {
            case PointerRead::create:
                type->skip(in);
                break;
            case PointerRead::created:
                type->destroy(object);
                break;
            default:
                break;
            }
        }
        if (in.hasFailed()) break;
        ++done;
        if (progress) reportLoadProgress(static_cast<float>(done) / static_cast<float>(count));
    }
}

void writePatternList(BaseOutStream& out, const std::vector<Pattern*>& patterns) {
    BaseOutStream& s = out.containerStream(const_cast<std::vector<Pattern*>*>(&patterns));
    writeCode(s, BaseOutStream::lineEnd);
    writeContainerSize(out, static_cast<int>(patterns.size()));
    PatternSupport& support = patternSupport();
    for (const Pattern* pattern : patterns) {
        writeCode(s, BaseOutStream::indent);
        if (pattern && support.write) support.write(s, pattern);
        else writeStringToken(s, "NULL");
        writeCode(s, BaseOutStream::dedent);
        writeCode(s, BaseOutStream::lineEnd);
    }
    writeStringToken(s, "end");
}

}  // namespace

PatternSupport& patternSupport() {
    static PatternSupport support;
    return support;
}

Graphics::Graphics() = default;

Graphics::Graphics(const Graphics& other)
    : Component(other),
      textureName(other.textureName),
      modelName(other.modelName),
      programName(other.programName),
      diffuseColor(other.diffuseColor),
      specularColor(other.specularColor),
      diffuseColorOffset(other.diffuseColorOffset),
      specularColorOffset(other.specularColorOffset),
      translucentThisFrame(other.translucentThisFrame),
      shininess(other.shininess),
      drawGroup(other.drawGroup) {
    assignClone(texture, other.texture);
    assignClone(model, other.model);
    assignClone(program, other.program);
    patterns.reserve(other.patterns.size());
    for (const Pattern* pattern : other.patterns)
        if (Pattern* copy = clonePattern(pattern)) patterns.push_back(copy);
}

Graphics& Graphics::operator=(const Graphics& other) {
    if (this == &other) return *this;
    Component::operator=(other);
    textureName = other.textureName;
    assignClone(texture, other.texture);
    modelName = other.modelName;
    assignClone(model, other.model);
    programName = other.programName;
    assignClone(program, other.program);
    diffuseColor = other.diffuseColor;
    specularColor = other.specularColor;
    diffuseColorOffset = other.diffuseColorOffset;
    specularColorOffset = other.specularColorOffset;
    translucentThisFrame = other.translucentThisFrame;
    clearPatterns();
    for (const Pattern* pattern : other.patterns)
        if (Pattern* copy = clonePattern(pattern)) patterns.push_back(copy);
    shininess = other.shininess;
    drawGroup = other.drawGroup;
    return *this;
}

Graphics::~Graphics() {
    clearPatterns();
    delete program;
    delete model;
    delete texture;
}

Graphics* Graphics::clone() const { return new Graphics(*this); }

void Graphics::addPattern(Pattern* pattern) {
    if (pattern) patterns.push_back(pattern);
}

void Graphics::clearPatterns() {
    for (Pattern* pattern : patterns) destroyPattern(pattern);
    patterns.clear();
}

void Graphics::read(BaseInStream& in, int version) {
    readFields(in, version);
    refreshResources();
}

void Graphics::write(BaseOutStream& out, int version) {
    writeFields(out);
    refreshResources();
}

void Graphics::readFields(BaseInStream& in, int version) {
    // Versions up to 3 keep one colour for both diffuse and specular; absent, the diffuse colour
    // held before reading stands for it.
    Vector4 color = diffuseColor;
    if (version == 0) {
        readValue(in, color);
        readValue(in, modelName);
        readValue(in, programName);
    } else {
        if (version >= 5) {
            const int baseVersion = readBaseHeader(in, Component::getVersion());
            Component::read(in, baseVersion);
        }
        // Hand-written: "color" is read only by old versions, and the pattern list has its own reader.
        std::string key;
        while (readKey(in, key)) {
            if (key == "color" && version <= 3) {
                readValue(in, color);
            } else if (key == "diffuseColor") {
                readValue(in, diffuseColor);
            } else if (key == "specularColor") {
                readValue(in, specularColor);
            } else if (key == "textureName") {
                readValue(in, textureName);
            } else if (key == "modelName") {
                readValue(in, modelName);
            } else if (key == "programName") {
                readValue(in, programName);
            } else if (key == "patterns") {
                readPatternList(in, patterns);
            } else if (key == "solid") {
                // Collision moved to the body long ago; the flag is read and dropped.
                bool solid = false;
                readValue(in, solid);
            } else if (key == "shininess") {
                readValue(in, shininess);
            } else if (key == "drawGroup") {
                readValue(in, drawGroup);
            } else {
                skipUnknownKey(in, key);
            }
            in.attributes.clear();
        }
    }
    if (version <= 3) {
        diffuseColor = color;
        specularColor = color;
    }
}

void Graphics::writeFields(BaseOutStream& out) {
    writeBaseHeader(out, Component::getVersion(), "Component");
    Component::write(out, Component::getVersion());
    writeBaseEnd(out);
    writeField(out, "diffuseColor", diffuseColor);
    writeField(out, "specularColor", specularColor);
    writeField(out, "textureName", textureName);
    writeField(out, "modelName", modelName);
    writeField(out, "programName", programName);
    writeStringToken(out, "patterns");
    writeCode(out, BaseOutStream::indent);
    writePatternList(out, patterns);
    writeCode(out, BaseOutStream::dedent);
    writeCode(out, BaseOutStream::lineEnd);
    out.attributes.clear();
    writeField(out, "shininess", shininess);
    writeField(out, "drawGroup", drawGroup);
    writeEnd(out);
}

void Graphics::refreshResources() {
    lookUp(modelName, model);
    lookUp(programName, program);
    lookUp(textureName, texture);
}

void Graphics::setTextureName(const std::string& name) {
    textureName = name;
    lookUp(textureName, texture);
}

void Graphics::setModelName(const std::string& name) {
    modelName = name;
    lookUp(modelName, model);
}

void Graphics::setProgramName(const std::string& name) {
    programName = name;
    lookUp(programName, program);
}

void Graphics::setTexture(const Texture& value) {
    // Assigning into the copy already owned shares the GL texture without a heap block: animations
    // change the texture of thousands of particles every frame.
    if (texture) *texture = value;
    else texture = value.clone();
    textureName.clear();
}

void Graphics::setModel(const Model& value) {
    assignClone(model, &value);
    modelName.clear();
}

void Graphics::setProgram(const Program& value) {
    assignClone(program, &value);
    programName.clear();
}

void Graphics::setOwner(Entity* entity) {
    Component::setOwner(entity);
    if (entity == nullptr || entity->graphics == this) return;
    for (const auto& component : entity->components) {
        Component* other = component.get();
        if (other == this) continue;
        if (Graphics* previous = other->asGraphics()) {
            *this = *previous;
            entity->removeComponent(previous);
            return;
        }
    }
}

void Graphics::draw(const Matrix& world, Camera& camera) {
    if (drawGroup != 0) return;
    if (program) program->drawGraphics(world, camera, *this);
    clearFrameInputs();
}

void Graphics::drawInPass(const Matrix& world, Camera& camera) {
    if (drawGroup != 0) return;
    if (program) program->drawGraphicsInPass(world, *this);
    clearFrameInputs();
}

void Graphics::clearFrameInputs() {
    translucentThisFrame = false;
    diffuseColorOffset = Vector4(0.0f, 0.0f, 0.0f, 0.0f);
    specularColorOffset = Vector4(0.0f, 0.0f, 0.0f, 0.0f);
}

namespace {
Vector4 thinned(const Graphics& graphics, Vector4 color) {
    if (graphics.translucentThisFrame && color.w() > 0.25f) color.setW(color.w() * 0.25f);
    return color;
}
}  // namespace

Vector4 getDrawColor(const Graphics& graphics) { return thinned(graphics, graphics.diffuseColor); }

Vector4 getDrawSpecularColor(const Graphics& graphics) { return thinned(graphics, graphics.specularColor); }

Matrix getBodyWorldMatrix(const Body& body) {
    if (body.shape) return body.shape->transform();
    return Matrix::makeTranslation(body.position) * Matrix::fromQuaternion(quaternionNormalized(body.rotation));
}

void toPixelRect(const Graphics& graphics, int& x, int& y, int& width, int& height) {
    const Entity* entity = graphics.owner;
    if (entity == nullptr || entity->body == nullptr) return;
    const Body& body = *entity->body;
    const float r = body.shape ? body.shape->getBoundingRadius() : 0.0f;
    const float px = body.position.x(), py = body.position.y();
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    auto round = [](float v) { return static_cast<int>(std::floor(v + 0.5f)); };
    const int newWidth = round(r * h * w / h);
    const int newX = round((px + 1.0f) * w * 0.5f + static_cast<float>(x) - static_cast<float>(newWidth / 2));
    const int newY = round((py + 1.0f) * h * 0.5f + static_cast<float>(y) - r * h * 0.5f);
    const int newHeight = round(r * h);
    x = newX;
    y = newY;
    width = newWidth;
    height = newHeight;
}
