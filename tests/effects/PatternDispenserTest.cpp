// Pattern dispensers: defaults, ownership of the cast pattern, the live set, and their text (no base
// part, so "disabled" is never kept).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "EffectsScene.h"
#include "core/SerializeType.h"
#include "effects/ConcentricCirclePattern.h"
#include "effects/PatternDispenser.h"
#include "effects/StrangeLinePattern.h"
#include "effects/WavePattern.h"

namespace {

bool isLive(const PatternDispenser* dispenser) {
    const auto& set = livePatternDispensers();
    return std::any_of(set.begin(), set.end(), [dispenser](auto* counter) { return counter->object() == dispenser; });
}

// Counts the patterns alive, to see which ones are deleted.
int livePatterns = 0;
class CountedPattern : public WavePattern {
public:
    CountedPattern() { ++livePatterns; }
    CountedPattern(const CountedPattern& other) : WavePattern(other) { ++livePatterns; }
    ~CountedPattern() override { --livePatterns; }
    CountedPattern* clone() const override { return new CountedPattern(*this); }
};

}  // namespace

TEST(PatternDispenserData, DefaultsAndRegistration) {
    Type* type = findType("PatternDispenser");
    ASSERT_NE(type, nullptr);
    EXPECT_TRUE(type->isComponent());
    EXPECT_FALSE(type->isPattern());
    EXPECT_FALSE(type->isLogic());
    std::unique_ptr<PatternDispenser> dispenser(createObject<PatternDispenser>("PatternDispenser"));
    ASSERT_NE(dispenser, nullptr);
    EXPECT_EQ(dispenser->pattern, nullptr);
    EXPECT_TRUE(dispenser->affectOwner);
    EXPECT_FLOAT_EQ(dispenser->cutOffStart, 1000.0f);
    EXPECT_FLOAT_EQ(dispenser->cutOffEnd, 1100.0f);
    EXPECT_TRUE(isLive(dispenser.get()));
    const PatternDispenser* gone = dispenser.get();
    dispenser.reset();
    EXPECT_FALSE(isLive(gone));
}

TEST(PatternDispenserData, SetPatternDeletesTheOldOneButNotItself) {
    livePatterns = 0;
    {
        PatternDispenser dispenser;
        auto* first = new CountedPattern();
        dispenser.setPattern(first);
        dispenser.setPattern(first);
        EXPECT_EQ(livePatterns, 1);
        EXPECT_EQ(dispenser.pattern, first);
        dispenser.setPattern(new CountedPattern());
        EXPECT_EQ(livePatterns, 1);
        EXPECT_NE(dispenser.pattern, first);
        dispenser.setPattern(nullptr);
        EXPECT_EQ(livePatterns, 0);
        dispenser.setPattern(new CountedPattern());
    }
    EXPECT_EQ(livePatterns, 0);
}

TEST(PatternDispenserData, CloneCopiesFieldsAndPatternAndJoinsTheSet) {
    PatternDispenser original;
    original.setPattern(new StrangeLinePattern(0.5f, 30.0f, -1.0f, 3.0f));
    original.affectOwner = false;
    original.cutOffStart = 5.0f;
    original.cutOffEnd = 9.0f;
    original.disabled = true;
    original.initialised = true;
    std::unique_ptr<PatternDispenser> copy(original.clone());
    EXPECT_TRUE(isLive(copy.get()));
    ASSERT_NE(copy->pattern, nullptr);
    EXPECT_NE(copy->pattern, original.pattern);
    EXPECT_EQ(copy->pattern->getPatternID(), 4);
    EXPECT_FALSE(copy->affectOwner);
    EXPECT_FLOAT_EQ(copy->cutOffStart, 5.0f);
    EXPECT_FLOAT_EQ(copy->cutOffEnd, 9.0f);
    EXPECT_TRUE(copy->disabled);
    EXPECT_FALSE(copy->initialised);

    PatternDispenser empty;
    std::unique_ptr<PatternDispenser> emptyCopy(empty.clone());
    EXPECT_EQ(emptyCopy->pattern, nullptr);
    // The copy outlives its source with its own pattern.
    original.setPattern(nullptr);
    EXPECT_EQ(copy->pattern->getPatternID(), 4);
}

TEST(PatternDispenserText, RoundTripKeepsPatternAndFieldsButNotDisabled) {
    PatternDispenser original;
    auto* circle = new ConcentricCirclePattern();
    circle->thinness() = 0.3f;
    circle->color = Vector4(0.0f, 0.5f, 1.0f, 1.0f);
    original.setPattern(circle);
    original.affectOwner = false;
    original.cutOffStart = 20.0f;
    original.cutOffEnd = 40.0f;
    original.disabled = true;
    const std::string text = writeText(original);
    EXPECT_EQ(text.find("Component"), std::string::npos) << text;
    EXPECT_EQ(text.find("disabled"), std::string::npos) << text;

    PatternDispenser back;
    EXPECT_EQ(readText(text, back), "") << text;
    ASSERT_NE(back.pattern, nullptr);
    EXPECT_EQ(back.pattern->getPatternID(), 5);
    EXPECT_FLOAT_EQ(back.pattern->getParameters()[1], 0.3f);
    EXPECT_EQ(back.pattern->color, circle->color);
    EXPECT_FALSE(back.affectOwner);
    EXPECT_FLOAT_EQ(back.cutOffStart, 20.0f);
    EXPECT_FLOAT_EQ(back.cutOffEnd, 40.0f);
    EXPECT_FALSE(back.disabled);
}

TEST(PatternDispenserText, NullPatternDeletesTheHeldOneAndMissingKeysKeepValues) {
    livePatterns = 0;
    PatternDispenser dispenser;
    dispenser.setPattern(new CountedPattern());
    dispenser.cutOffStart = 3.0f;
    EXPECT_EQ(readText("PatternDispenser 0 cutOffEnd 50 pattern NULL end\n", dispenser), "");
    EXPECT_EQ(dispenser.pattern, nullptr);
    EXPECT_EQ(livePatterns, 0);
    EXPECT_FLOAT_EQ(dispenser.cutOffStart, 3.0f);
    EXPECT_FLOAT_EQ(dispenser.cutOffEnd, 50.0f);

    // A pattern read over a held one replaces and deletes it.
    dispenser.setPattern(new CountedPattern());
    EXPECT_EQ(readText("PatternDispenser 0 pattern WavePattern 1 1 Pattern end end end\n", dispenser), "");
    EXPECT_EQ(livePatterns, 0);
    ASSERT_NE(dispenser.pattern, nullptr);
    EXPECT_EQ(dispenser.pattern->getPatternID(), 2);
}

TEST(PatternDispenserText, ClassThatIsNoPatternIsReportedAndKeepsTheHeldOne) {
    PatternDispenser dispenser;
    dispenser.setPattern(new WavePattern());
    Pattern* held = dispenser.pattern;
    const std::string errors = readText("PatternDispenser 0 pattern PatternDispenser 0 end end\n", dispenser);
    EXPECT_NE(errors, "");
    EXPECT_EQ(dispenser.pattern, held);
}
