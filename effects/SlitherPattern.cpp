// SlitherPattern: defaults, copies and the stored versions of its block.
#include "effects/SlitherPattern.h"

#include <iterator>

#include "core/SerializeType.h"

namespace {

const auto& patternType = registerType<SlitherPattern>("SlitherPattern");

const PatternField currentKeys[] = {{"width", 1}, {"thinness", 2}, {"frequency", 3}, {"amplitude", 4}};

}  // namespace

SlitherPattern::SlitherPattern() {
    parameters[0] = 1.0f;
    parameters[1] = 3.0f;
    parameters[2] = 0.9f;
    parameters[3] = 1.0f;
    parameters[4] = 0.1f;
}

SlitherPattern* SlitherPattern::clone() const { return new SlitherPattern(*this); }

void SlitherPattern::read(BaseInStream& in, int version) { readKindBlock(in, currentKeys, std::size(currentKeys)); }

void SlitherPattern::write(BaseOutStream& out, int version) {
    writeKindBlock(out, currentKeys, std::size(currentKeys));
}
