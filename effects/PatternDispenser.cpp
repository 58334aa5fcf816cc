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

const auto& PatternDispenser::fields() {
    static constexpr Field<PatternDispenser> table[] = {
        {"pattern", 7,
         [](BaseInStream& in, PatternDispenser& dispenser) {
             // Read through an owning pointer: a replaced pattern, or one read as "NULL", is deleted.
             std::unique_ptr<Pattern> held(dispenser.pattern);
             dispenser.pattern = nullptr;
             readValue(in, held);
             dispenser.pattern = held.release();
         },
         [](BaseOutStream& out, const PatternDispenser& dispenser) { writeValue(out, dispenser.pattern); }},
        field<&PatternDispenser::affectOwner>("affectOwner"),
        field<&PatternDispenser::cutOffStart>("cutOffStart"),
        field<&PatternDispenser::cutOffEnd>("cutOffEnd"),
    };
    return table;
}

void PatternDispenser::read(BaseInStream& in, int version) { readFields(in, *this, fields()); }

void PatternDispenser::write(BaseOutStream& out, int version) {
    writeFields(out, *this, fields());
}
