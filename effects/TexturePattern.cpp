// TexturePattern: defaults, copies and the stored versions of its block.
#include "effects/TexturePattern.h"

#include "core/SerializeType.h"

namespace {

const auto& patternType = registerType<TexturePattern>("TexturePattern");

// The kind names no parameter of its own: its block is the Pattern part and "end".
const PatternField* const currentKeys = nullptr;

}  // namespace

TexturePattern::TexturePattern() { parameters[0] = 1.0f; }

TexturePattern* TexturePattern::clone() const { return new TexturePattern(*this); }

void TexturePattern::read(BaseInStream& in, int version) { readKindBlock(in, currentKeys, 0); }

void TexturePattern::write(BaseOutStream& out, int version) { writeKindBlock(out, currentKeys, 0); }
