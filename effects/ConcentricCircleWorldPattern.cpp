// ConcentricCircleWorldPattern: defaults, copies and the stored versions of its block.
#include "effects/ConcentricCircleWorldPattern.h"

#include <iterator>

#include "core/SerializeType.h"

namespace {

const auto& patternType = registerType<ConcentricCircleWorldPattern>("ConcentricCircleWorldPattern");

const PatternField currentKeys[] = {{"thinness", 1}, {"sharpness", 2}};

}  // namespace

ConcentricCircleWorldPattern::ConcentricCircleWorldPattern() {
    parameters[0] = 1.0f;
    parameters[1] = 0.7f;
    parameters[2] = 1.2f;
}

ConcentricCircleWorldPattern* ConcentricCircleWorldPattern::clone() const {
    return new ConcentricCircleWorldPattern(*this);
}

void ConcentricCircleWorldPattern::read(BaseInStream& in, int version) {
    readKindBlock(in, currentKeys, std::size(currentKeys));
}

void ConcentricCircleWorldPattern::write(BaseOutStream& out, int version) {
    writeKindBlock(out, currentKeys, std::size(currentKeys));
}
