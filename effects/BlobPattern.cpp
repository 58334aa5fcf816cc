// BlobPattern: defaults, copies and the stored versions of its block.
#include "effects/BlobPattern.h"

#include <iterator>

#include "core/SerializeType.h"

namespace {

const auto& patternType = registerType<BlobPattern>("BlobPattern");

const PatternField currentKeys[] = {{"scale2", 1}, {"thinness", 2}, {"sharpness", 3}};
const PatternField version0Keys[] = {{"scale", 1}, {"thinness", 2}, {"sharpness", 3}};
const PatternField version1Keys[] = {
    {"scale1", Pattern::scaleAfterBlock}, {"scale2", 1}, {"thinness", 2}, {"sharpness", 3}};

}  // namespace

BlobPattern::BlobPattern() {
    parameters[0] = 2.0f;
    parameters[1] = 6.5f;
    parameters[2] = 0.5f;
    parameters[3] = 1.5f;
}

BlobPattern* BlobPattern::clone() const { return new BlobPattern(*this); }

void BlobPattern::read(BaseInStream& in, int version) {
    if (version <= 0) return readKindBlock(in, version0Keys, std::size(version0Keys));
    if (version == 1) return readKindBlock(in, version1Keys, std::size(version1Keys));
    readKindBlock(in, currentKeys, std::size(currentKeys));
}

void BlobPattern::write(BaseOutStream& out, int version) { writeKindBlock(out, currentKeys, std::size(currentKeys)); }
