// A procedural surface pattern: which look to draw (its kind number), in which colour and with which
// eight parameters. It holds no drawing code: the pattern shader uploads kind, colour and block, and
// the fragment program turns them into the look.
#pragma once

#include <cstddef>

#include "core/Type.h"
#include "core/Vector4.h"

class BaseInStream;
class BaseOutStream;

// One named parameter of a kind: its key in the text and its slot of the block.
struct PatternField {
    const char* key;
    int slot;
};

class Pattern {
public:
    // Every subclass is a pattern for the editor's class lists.
    static constexpr unsigned serializeFlags = typeIsPattern;
    static constexpr int parameterCount = 8;
    // The slot of a stored key whose value is held aside and written into slot 0 once the block has
    // been read (older files named the base's "scale" after the kind).
    static constexpr int scaleAfterBlock = -1;

    // Slot 0 ("scale") 1.0, the other slots 0.0, colour (1, 1, 1, 0).
    Pattern();
    Pattern(const Pattern& other) = default;
    Pattern& operator=(const Pattern& other) = default;
    virtual ~Pattern();

    // The format version of the object's own part; 1 for the Pattern part.
    virtual int getVersion() const { return 1; }
    // The Pattern part: "color" and "scale" (version 0 also "cutOffStart" and "cutOffEnd", which a
    // pattern no longer keeps), then "end". Kinds override these with their whole block and call them
    // for the part inside it.
    virtual void read(BaseInStream& in, int version);
    virtual void write(BaseOutStream& out, int version);
    // A new pattern of the same kind with the same colour and block.
    virtual Pattern* clone() const = 0;
    // The kind number, 1 to 8 (0 marks an empty slot of the pattern shader).
    virtual int getPatternID() const = 0;

    float* getParameters() { return parameters; }
    const float* getParameters() const { return parameters; }

    float& scale() { return parameters[0]; }
    float scale() const { return parameters[0]; }

    float parameters[parameterCount];
    Vector4 color;

protected:
    // A kind's whole block: the Pattern part (its version, the label "Pattern", its keys), then the
    // kind's keys of the stored version until "end". Keys may come in any order; absent keys keep
    // their values.
    void readKindBlock(BaseInStream& in, const PatternField* storedKeys, std::size_t keyCount);
    // The Pattern part at version 1, then every named field in order, then "end".
    void writeKindBlock(BaseOutStream& out, const PatternField* fields, std::size_t fieldCount);
};
