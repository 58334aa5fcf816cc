// SimpleAlternatingPattern: defaults, copies and the stored versions of its block.
#include "effects/SimpleAlternatingPattern.h"

#include <iterator>

#include "core/SerializeType.h"

namespace {

const auto& patternType = registerType<SimpleAlternatingPattern>("SimpleAlternatingPattern");

const PatternField currentKeys[] = {{"sharpness", 1}};
const PatternField version0Keys[] = {{"scale", Pattern::scaleAfterBlock}, {"sharpness", 1}};

}  // namespace

SimpleAlternatingPattern::SimpleAlternatingPattern() {
    parameters[0] = 1.0f;
    parameters[1] = 1.0f;
}

SimpleAlternatingPattern* SimpleAlternatingPattern::clone() const { return new SimpleAlternatingPattern(*this); }

void SimpleAlternatingPattern::read(BaseInStream& in, int version) {
    if (version <= 0) return readKindBlock(in, version0Keys, std::size(version0Keys));
    readKindBlock(in, currentKeys, std::size(currentKeys));
}

void SimpleAlternatingPattern::write(BaseOutStream& out, int version) {
    writeKindBlock(out, currentKeys, std::size(currentKeys));
}
