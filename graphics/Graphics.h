// The component that makes an entity visible: the texture, model and program it is drawn with (own
// copies of named resources), its colours, surface patterns, shininess and box draw group.
#pragma once

#include <string>
#include <vector>

#include "core/Matrix.h"
#include "core/Vector4.h"
#include "engine/Component.h"

class BaseInStream;
class BaseOutStream;
class Body;
class Camera;
class Entity;
class Model;
class Pattern;
class Program;
class Texture;

class alignas(16) Graphics : public Component {
public:
    static constexpr int currentVersion = 5;

    // Texture "whitePixel", no model or program yet, white, shininess 5, draw group 0.
    Graphics();
    // Fresh shared copies of the three resources and clones of every pattern.
    Graphics(const Graphics& other);
    // The same into this object (its initialised flag stays); assigning to itself changes nothing.
    Graphics& operator=(const Graphics& other);
    ~Graphics() override;

    Graphics* clone() const override;
    int getVersion() const override { return currentVersion; }
    // Every stored version (0 to 5), then the named resources are looked up again.
    void read(BaseInStream& in, int version) override;
    // Always the current version, then the named resources are looked up again.
    void write(BaseOutStream& out, int version) override;
    // A second Graphics added to a drawn entity takes over the first one's look and removes it.
    void setOwner(Entity* owner) override;
    Graphics* asGraphics() override { return this; }

    // Draws with the full camera set-up, then clears the per-frame offsets and translucency.
    // A Graphics in a box draw group draws nothing and clears nothing.
    virtual void draw(const Matrix& world, Camera& camera);
    // The same inside a pass whose camera uniforms the scene draw has set.
    virtual void drawInPass(const Matrix& world, Camera& camera);

    // The field block alone (no version, no closing "end" for version 0), for subclasses that
    // wrap it in their own part.
    void readFields(BaseInStream& in, int version);
    void writeFields(BaseOutStream& out);
    // Looks model, program and texture up again by every name that is not empty.
    void refreshResources();

    // By name: looked up in the running state's resources (a missing name is reported there and gives
    // a default object).
    void setTextureName(const std::string& name);
    void setModelName(const std::string& name);
    void setProgramName(const std::string& name);
    // By object: this Graphics keeps its own copy (a texture it already holds is shared into, not
    // replaced) and forgets the name.
    void setTexture(const Texture& value);
    void setModel(const Model& value);
    void setProgram(const Program& value);

    Texture* getTexture() const { return texture; }
    Model* getModel() const { return model; }
    Program* getProgram() const { return program; }
    const std::string& getTextureName() const { return textureName; }
    const std::string& getModelName() const { return modelName; }
    const std::string& getProgramName() const { return programName; }

    // Takes ownership of the pattern.
    void addPattern(Pattern* pattern);
    void clearPatterns();

    std::string textureName = "whitePixel";
    Texture* texture = nullptr;  // owned
    std::string modelName;
    Model* model = nullptr;  // owned
    std::string programName;
    Program* program = nullptr;  // owned
    Vector4 diffuseColor{1.0f, 1.0f, 1.0f, 1.0f};
    Vector4 specularColor{1.0f, 1.0f, 1.0f, 0.0f};
    // Added to the uploaded colours for the next draw only (fades, gameplay tints).
    Vector4 diffuseColorOffset{0.0f, 0.0f, 0.0f, 0.0f};
    Vector4 specularColorOffset{0.0f, 0.0f, 0.0f, 0.0f};
    // Set for one frame by whoever wants the object see-through (the camera, for what hides the hero).
    bool translucentThisFrame = false;
    std::vector<Pattern*> patterns;  // owned
    float shininess = 5.0f;
    // 0: drawn alone; otherwise merged into the box draw group of that key.
    int drawGroup = 0;

protected:
    // What both draw operations do after the program has drawn.
    void clearFrameInputs();
};

// The diffuse colour drawn and sorted with: its alpha is a quarter while translucentThisFrame is set
// and the alpha is above 0.25.
Vector4 getDrawColor(const Graphics& graphics);
// The same rule on the specular colour.
Vector4 getDrawSpecularColor(const Graphics& graphics);

// The world matrix a body's entity is drawn with: the shape's scale, the body's rotation and position.
// A body without a shape is drawn at its position and turned, unscaled.
Matrix getBodyWorldMatrix(const Body& body);

// The pixel rectangle of the owner's body circle inside the given viewport rectangle (in and out).
void toPixelRect(const Graphics& graphics, int& x, int& y, int& width, int& height);

// Patterns belong to the effects library, which fills these in when it is linked; until then no
// pattern can exist and Graphics only skips stored ones.
struct PatternSupport {
    Pattern* (*clone)(const Pattern& pattern) = nullptr;
    void (*destroy)(Pattern* pattern) = nullptr;
    // One element of a "patterns" list; null for "NULL" (and for anything that is not a pattern).
    Pattern* (*read)(BaseInStream& in) = nullptr;
    void (*write)(BaseOutStream& out, const Pattern* pattern) = nullptr;
};
PatternSupport& patternSupport();
