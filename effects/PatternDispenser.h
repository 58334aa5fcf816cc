// The component that casts one pattern onto the surfaces around its entity: every surface drawn with
// the pattern shader near the entity shows it, centred on the entity's body and limited by the two
// cut-off distances. It only holds data; the pattern shader walks every live dispenser per draw.
#pragma once

#include "core/ObjectCounter.h"
#include "engine/Component.h"

class Pattern;

class PatternDispenser : public Component, public ObjectCounter<PatternDispenser> {
public:
    // No pattern, affects its own entity, cut-offs 1000 and 1100.
    PatternDispenser();
    // Same owner, "disabled" and fields, a clone of the pattern; not initialised.
    PatternDispenser(const PatternDispenser& other);
    PatternDispenser& operator=(const PatternDispenser&) = delete;
    // Deletes the pattern.
    ~PatternDispenser() override;

    PatternDispenser* clone() const override;
    int getVersion() const override { return 0; }
    // The block has no base part: "pattern", "affectOwner", "cutOffStart", "cutOffEnd", "end". Owner
    // and "disabled" are never stored, so a dispenser read from a file starts enabled.
    void read(BaseInStream& in, int version) override;
    void write(BaseOutStream& out, int version) override;
    // The keys of the class part, in the order they are written (defined beside read).
    static const auto& fields();

    // Takes ownership of the pattern (null for none); the previous one is deleted unless it is the
    // very pattern passed in.
    void setPattern(Pattern* newPattern);

    Pattern* pattern = nullptr;  // owned
    bool affectOwner = true;     // also cast onto the dispenser's own entity
    float cutOffStart = 1000.0f;
    // Also the reach: an object farther than this (plus its own bounding radius) gets no slot.
    float cutOffEnd = 1100.0f;
};

// The live dispensers, as the pattern shader walks them.
inline ObjectCounter<PatternDispenser>::Set& livePatternDispensers() {
    return ObjectCounter<PatternDispenser>::liveObjects();
}
