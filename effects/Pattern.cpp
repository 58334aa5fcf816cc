// The pattern base: defaults, the versioned Pattern part of every kind's text, and the hooks through
// which a Graphics copies, reads, writes and deletes the patterns it owns.
#include "effects/Pattern.h"

#include <string>

#include "core/TextFormat.h"
#include "graphics/Graphics.h"

namespace {

Pattern* clonePattern(const Pattern& pattern) { return pattern.clone(); }

void destroyPattern(Pattern* pattern) { delete pattern; }

Pattern* readPattern(BaseInStream& in) {
    Pattern* pattern = nullptr;
    readPointer(in, pattern);
    return pattern;
}

void writePattern(BaseOutStream& out, const Pattern* pattern) { writePointer(out, pattern); }

const bool patternSupportInstalled = [] {
    PatternSupport& support = patternSupport();
    support.clone = &clonePattern;
    support.destroy = &destroyPattern;
    support.read = &readPattern;
    support.write = &writePattern;
    return true;
}();

}  // namespace

Pattern::Pattern() : parameters{1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f}, color(1.0f, 1.0f, 1.0f, 0.0f) {}

Pattern::~Pattern() = default;

void Pattern::read(BaseInStream& in, int version) {
    // Hand-written: version 0 files still carry the cut-offs, which are read and dropped.
    std::string key;
    while (readKey(in, key)) {
        if (key == "color") {
            readValue(in, color);
        } else if (key == "scale") {
            readValue(in, parameters[0]);
        } else if (version == 0 && (key == "cutOffStart" || key == "cutOffEnd")) {
            // The cut-offs moved to the dispenser; the old values are read and dropped.
            int dropped = 0;
            readValue(in, dropped);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void Pattern::write(BaseOutStream& out, int version) {
    writeField(out, "color", color);
    writeField(out, "scale", parameters[0]);
    writeEnd(out);
}

void Pattern::readKindBlock(BaseInStream& in, const PatternField* storedKeys, std::size_t keyCount) {
    const int baseVersion = readBaseHeader(in, 1);
    Pattern::read(in, baseVersion);
    if (in.hasFailed()) return;

    bool haveScale = false;
    float heldScale = 0.0f;
    // Hand-written: each kind's keys come from its own table of parameter slots.
    std::string key;
    while (readKey(in, key)) {
        const PatternField* found = nullptr;
        for (std::size_t i = 0; i < keyCount; ++i)
            if (key == storedKeys[i].key) {
                found = &storedKeys[i];
                break;
            }
        if (!found) {
            skipUnknownKey(in, key);
            in.attributes.clear();
            continue;
        }
        if (found->slot == scaleAfterBlock) {
            readValue(in, heldScale);
            haveScale = true;
        } else {
            readValue(in, parameters[found->slot]);
        }
        in.attributes.clear();
    }
    if (haveScale) parameters[0] = heldScale;
}

void Pattern::writeKindBlock(BaseOutStream& out, const PatternField* fields, std::size_t fieldCount) {
    writeBaseHeader(out, 1, "Pattern");
    Pattern::write(out, 1);
    writeBaseEnd(out);
    for (std::size_t i = 0; i < fieldCount; ++i) writeField(out, fields[i].key, parameters[fields[i].slot]);
    writeEnd(out);
}
