// Pattern dispensers: ownership of the cast pattern, copies and the dispenser's text.
#include "effects/PatternDispenser.h"

#include <memory>

#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "effects/Pattern.h"

namespace {
const auto& dispenserType = registerType<PatternDispenser>("PatternDispenser");
}  // namespace

PatternDispenser::PatternDispenser() = default;

PatternDispenser::PatternDispenser(const PatternDispenser& other)
    : Component(other),
      ObjectCounter<PatternDispenser>(other),
      pattern(other.pattern ? other.pattern->clone() : nullptr),
      affectOwner(other.affectOwner),
      cutOffStart(other.cutOffStart),
      cutOffEnd(other.cutOffEnd) {}

PatternDispenser::~PatternDispenser() { delete pattern; }

PatternDispenser* PatternDispenser::clone() const { return new PatternDispenser(*this); }

void PatternDispenser::setPattern(Pattern* newPattern) {
    if (newPattern == pattern) return;
    delete pattern;
    pattern = newPattern;
}

void PatternDispenser::read(BaseInStream& in, int version) {
    std::string key;
    while (readKey(in, key)) {
        if (key == "pattern") {
            // Read through an owning pointer: a replaced pattern, or one read as "NULL", is deleted.
            std::unique_ptr<Pattern> held(pattern);
            pattern = nullptr;
            readValue(in, held);
            pattern = held.release();
        } else if (key == "affectOwner") {
            readValue(in, affectOwner);
        } else if (key == "cutOffStart") {
            readValue(in, cutOffStart);
        } else if (key == "cutOffEnd") {
            readValue(in, cutOffEnd);
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
}

void PatternDispenser::write(BaseOutStream& out, int version) {
    writeField(out, "pattern", pattern);
    writeField(out, "affectOwner", affectOwner);
    writeField(out, "cutOffStart", cutOffStart);
    writeField(out, "cutOffEnd", cutOffEnd);
    writeEnd(out);
}
