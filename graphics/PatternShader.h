// The program that draws the game's surfaces: one far light, a glow around the hero ball, the object's
// colours, shininess and texture, and up to eight procedural patterns per object, gathered from the
// object's own list and from the pattern dispensers that reach it. Resource records name it
// "PatternShader".
#pragma once

#include <memory>

#include "core/Matrix.h"
#include "graphics/Program.h"

class Graphics;
struct PatternVariants;

// The patterns of one draw as the fragment program receives them: a kind number per slot (0 for an
// empty slot; the filled slots come first) and 17 floats per filled slot: the centre's x, y, z, the
// inner and outer cut-off distances, the colour r, g, b, a and the eight parameters.
struct PatternSlots {
    static constexpr int slotCount = 8;
    static constexpr int floatsPerSlot = 17;

    int ids[slotCount] = {};
    float params[slotCount * floatsPerSlot] = {};
    int filled = 0;
};

// Fills the slots for one drawn object: its own patterns first (centred on it, no cut-off), then the
// dispensers within reach, the farthest first, until the eight slots are full. The object's centre is
// its entity's body position, or the translation of world for a Graphics without owner.
void gatherPatternSlots(const Matrix& world, Graphics& graphics, PatternSlots& slots);

class PatternShader : public Program {
public:
    PatternShader();
    PatternShader(Shader fragment, Shader vertex);
    PatternShader(const PatternShader& other) = default;
    PatternShader& operator=(const PatternShader& other) = default;

    PatternShader* clone() const override;
    int getVersion() const override { return 0; }

    // Opens a pass: makes the program current and uploads the camera, the light and the ball glow.
    void setCamera(Camera& camera) override;
    // Everything for one object drawn alone; afterwards no program and no texture are bound.
    void drawGraphics(const Matrix& world, Camera& camera, Graphics& graphics) override;
    // The object's texture, colours, shininess and patterns, then its matrices and its model.
    void drawGraphicsInPass(const Matrix& world, Graphics& graphics) override;
    // Unbinds the texture and the program.
    void endPass() override;

    // The record: the "Program" part, then "end".
    virtual void read(BaseInStream& in, int version);
    virtual void write(BaseOutStream& out, int version);

    // Gathers the object's patterns and uploads "patternID0" to "patternID7" and "patternParams".
    void setPatterns(const Matrix& world, Graphics& graphics);

    // The GL program a draw with these slots goes through: a variant compiled for exactly their list of
    // kinds (a software renderer runs every kind's arithmetic for every fragment otherwise), or this
    // program itself when no variant can be made. Variants are made once and shared by the copies.
    unsigned programFor(const PatternSlots& slots);
    // How many variants have been made so far.
    int variantCount() const;

    // At most this many variants per program, for this copy and those sharing its program; further lists
    // of kinds use the program itself (0: every draw does, which gives the same picture more slowly).
    void setVariantLimit(int limit);
    static constexpr int defaultVariantLimit = 32;

private:
    void uploadPass(unsigned program, Camera& camera);
    void uploadCameraAndLight(unsigned program, Camera& camera);
    void uploadObject(unsigned program, Graphics& graphics);
    void uploadSlots(unsigned program, const PatternSlots& slots);
    void drawModel(unsigned program, const Matrix& world, Graphics& graphics);

    std::shared_ptr<PatternVariants> variants;
};
