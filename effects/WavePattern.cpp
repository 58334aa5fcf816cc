// WavePattern: defaults, copies and the stored versions of its block.
#include "effects/WavePattern.h"

#include <iterator>

#include "core/SerializeType.h"

namespace {

const auto& patternType = registerType<WavePattern>("WavePattern");

const PatternField currentKeys[] = {{"scaleX", 1}, {"scaleY", 2}, {"thinness", 3}, {"sharpness", 4}};
const PatternField version0Keys[] = {
    {"scale", Pattern::scaleAfterBlock}, {"scaleX", 1}, {"scaleY", 2}, {"thinness", 3}, {"sharpness", 4}};

}  // namespace

WavePattern::WavePattern() {
    parameters[0] = 1.3f;
    parameters[1] = 1.0f;
    parameters[2] = 3.0f;
    parameters[3] = 0.8f;
    parameters[4] = 2.0f;
}

WavePattern* WavePattern::clone() const { return new WavePattern(*this); }

void WavePattern::read(BaseInStream& in, int version) {
    if (version <= 0) return readKindBlock(in, version0Keys, std::size(version0Keys));
    readKindBlock(in, currentKeys, std::size(currentKeys));
}

void WavePattern::write(BaseOutStream& out, int version) { writeKindBlock(out, currentKeys, std::size(currentKeys)); }
