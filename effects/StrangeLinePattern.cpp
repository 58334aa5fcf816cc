// StrangeLinePattern: defaults, copies and the stored versions of its block.
#include "effects/StrangeLinePattern.h"

#include <iterator>

#include "core/SerializeType.h"

namespace {

const auto& patternType = registerType<StrangeLinePattern>("StrangeLinePattern");

const PatternField currentKeys[] = {{"scale2", 1}, {"thinness", 2}, {"sharpness", 3}};
const PatternField version0Keys[] = {
    {"scale1", Pattern::scaleAfterBlock}, {"scale2", 1}, {"thinness", 2}, {"sharpness", 3}};

}  // namespace

StrangeLinePattern::StrangeLinePattern() {
    parameters[0] = 1.5f;
    parameters[1] = 30.0f;
    parameters[2] = 0.9f;
    parameters[3] = 0.15f;
}

StrangeLinePattern::StrangeLinePattern(float scale, float scale2, float thinness, float sharpness) {
    parameters[0] = scale;
    parameters[1] = scale2;
    parameters[2] = thinness;
    parameters[3] = sharpness;
}

StrangeLinePattern* StrangeLinePattern::clone() const { return new StrangeLinePattern(*this); }

void StrangeLinePattern::read(BaseInStream& in, int version) {
    if (version <= 0) return readKindBlock(in, version0Keys, std::size(version0Keys));
    readKindBlock(in, currentKeys, std::size(currentKeys));
}

void StrangeLinePattern::write(BaseOutStream& out, int version) {
    writeKindBlock(out, currentKeys, std::size(currentKeys));
}
