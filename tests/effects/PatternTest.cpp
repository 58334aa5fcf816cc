// Surface patterns: defaults and kind numbers of every kind, the parameter block behind the named
// fields, copies, and the reading of every stored version with the current one written back.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "EffectsScene.h"
#include "core/SerializeType.h"
#include "effects/BlobPattern.h"
#include "effects/ConcentricCirclePattern.h"
#include "effects/ConcentricCircleWorldPattern.h"
#include "effects/SimpleAlternatingPattern.h"
#include "effects/SlitherPattern.h"
#include "effects/StrangeLinePattern.h"
#include "effects/TexturePattern.h"
#include "effects/WavePattern.h"

namespace {

struct KindDefaults {
    const char* className;
    int kindNumber;
    int version;
    float slots[8];
};

const KindDefaults kinds[] = {
    {"SimpleAlternatingPattern", 1, 1, {1.0f, 1.0f, 0, 0, 0, 0, 0, 0}},
    {"WavePattern", 2, 1, {1.3f, 1.0f, 3.0f, 0.8f, 2.0f, 0, 0, 0}},
    {"BlobPattern", 3, 2, {2.0f, 6.5f, 0.5f, 1.5f, 0, 0, 0, 0}},
    {"StrangeLinePattern", 4, 1, {1.5f, 30.0f, 0.9f, 0.15f, 0, 0, 0, 0}},
    {"ConcentricCirclePattern", 5, 2, {18.0f, 0.7f, 1.2f, 0, 0, 0, 0, 0}},
    {"ConcentricCircleWorldPattern", 6, 0, {1.0f, 0.7f, 1.2f, 0, 0, 0, 0, 0}},
    {"SlitherPattern", 7, 0, {1.0f, 3.0f, 0.9f, 1.0f, 0.1f, 0, 0, 0}},
    {"TexturePattern", 8, 0, {1.0f, 0, 0, 0, 0, 0, 0, 0}},
};

std::unique_ptr<Pattern> create(const std::string& className) {
    return std::unique_ptr<Pattern>(createObject<Pattern>(className));
}

// Reads one pattern pointer (class name, version, block) from text.
std::unique_ptr<Pattern> readPattern(const std::string& text, std::string* errors = nullptr) {
    Pattern* pattern = nullptr;
    const std::string reported = readText(text, pattern);
    if (errors)
        *errors = reported;
    else
        EXPECT_EQ(reported, "") << text;
    return std::unique_ptr<Pattern>(pattern);
}

std::string writePattern(const Pattern& pattern) {
    const Pattern* pointer = &pattern;
    return writeText(pointer);
}

void expectSlots(const Pattern& pattern, const float (&expected)[8]) {
    for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(pattern.getParameters()[i], expected[i]) << "slot " << i;
}

}  // namespace

TEST(PatternKinds, EveryKindIsRegisteredWithItsNumberVersionAndDefaults) {
    for (const KindDefaults& kind : kinds) {
        SCOPED_TRACE(kind.className);
        Type* type = findType(kind.className);
        ASSERT_NE(type, nullptr);
        EXPECT_TRUE(type->isPattern());
        EXPECT_FALSE(type->isComponent());
        EXPECT_FALSE(type->isGameStateComponent());
        EXPECT_FALSE(type->isLogic());
        std::unique_ptr<Pattern> pattern = create(kind.className);
        ASSERT_NE(pattern, nullptr);
        EXPECT_EQ(pattern->getPatternID(), kind.kindNumber);
        EXPECT_EQ(pattern->getVersion(), kind.version);
        EXPECT_EQ(pattern->color, Vector4(1.0f, 1.0f, 1.0f, 0.0f));
        expectSlots(*pattern, kind.slots);
    }
}

TEST(PatternKinds, NamedFieldsAreViewsOfTheBlock) {
    WavePattern wave;
    wave.thinness() = 0.25f;
    EXPECT_FLOAT_EQ(wave.getParameters()[3], 0.25f);
    wave.getParameters()[0] = 7.0f;
    EXPECT_FLOAT_EQ(wave.scale(), 7.0f);
    EXPECT_NE(writePattern(wave).find("scale 7"), std::string::npos) << writePattern(wave);

    SlitherPattern slither;
    slither.amplitude() = 0.5f;
    EXPECT_FLOAT_EQ(slither.getParameters()[4], 0.5f);
}

TEST(PatternKinds, CloneOwnsItsOwnBlock) {
    for (const KindDefaults& kind : kinds) {
        SCOPED_TRACE(kind.className);
        std::unique_ptr<Pattern> original = create(kind.className);
        original->color = Vector4(0.1f, 0.2f, 0.3f, 0.4f);
        original->getParameters()[7] = 5.0f;
        std::unique_ptr<Pattern> copy(original->clone());
        EXPECT_EQ(copy->getPatternID(), original->getPatternID());
        EXPECT_EQ(copy->color, original->color);
        EXPECT_FLOAT_EQ(copy->getParameters()[7], 5.0f);
        copy->scale() = 99.0f;
        copy->getParameters()[3] = -2.0f;
        EXPECT_FLOAT_EQ(original->scale(), kind.slots[0]);
        EXPECT_FLOAT_EQ(original->getParameters()[3], kind.slots[3]);
        EXPECT_FLOAT_EQ(copy->getParameters()[0], 99.0f);
    }
}

TEST(PatternKinds, StrangeLineFromFourNumbers) {
    StrangeLinePattern line(0.5f, 30.0f, -1.0f, 3.0f);
    const float expected[8] = {0.5f, 30.0f, -1.0f, 3.0f, 0, 0, 0, 0};
    expectSlots(line, expected);
    EXPECT_EQ(line.color, Vector4(1.0f, 1.0f, 1.0f, 0.0f));
    EXPECT_EQ(line.getPatternID(), 4);
}

TEST(PatternText, EveryKindRoundTripsAtItsCurrentVersion) {
    for (const KindDefaults& kind : kinds) {
        SCOPED_TRACE(kind.className);
        std::unique_ptr<Pattern> original = create(kind.className);
        original->color = Vector4(0.5f, 0.25f, 1.0f, 0.75f);
        for (int i = 0; i < 8; ++i)
            if (kind.slots[i] != 0.0f || i == 0) original->getParameters()[i] = kind.slots[i] + 0.5f * (i + 1);
        const std::string text = writePattern(*original);
        EXPECT_EQ(text.rfind(std::string(kind.className) + " " + std::to_string(kind.version), 0), 0u) << text;
        std::unique_ptr<Pattern> back = readPattern(text);
        ASSERT_NE(back, nullptr) << text;
        EXPECT_EQ(back->getPatternID(), kind.kindNumber);
        EXPECT_EQ(back->color, original->color);
        for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(back->getParameters()[i], original->getParameters()[i]) << i;
    }
}

TEST(PatternText, TexturePatternBlockHoldsOnlyThePatternPart) {
    TexturePattern pattern;
    pattern.getParameters()[5] = 4.0f;  // unnamed: not written
    const std::string text = writePattern(pattern);
    EXPECT_EQ(text.find("4"), std::string::npos) << text;
    std::unique_ptr<Pattern> back = readPattern(text);
    ASSERT_NE(back, nullptr);
    EXPECT_FLOAT_EQ(back->getParameters()[5], 0.0f);
}

TEST(PatternText, VersionZeroPatternPartDropsTheCutOffs) {
    const std::string text =
        "SimpleAlternatingPattern 1\n"
        "0 Pattern cutOffStart 3 cutOffEnd 12 color 0.5 0.5 0.5 1 scale 2.5 end\n"
        "sharpness 4 end\n";
    std::unique_ptr<Pattern> pattern = readPattern(text);
    ASSERT_NE(pattern, nullptr);
    EXPECT_EQ(pattern->color, Vector4(0.5f, 0.5f, 0.5f, 1.0f));
    EXPECT_FLOAT_EQ(pattern->scale(), 2.5f);
    EXPECT_FLOAT_EQ(pattern->getParameters()[1], 4.0f);
    const std::string written = writePattern(*pattern);
    EXPECT_EQ(written.find("cutOff"), std::string::npos) << written;
    EXPECT_NE(written.find("1 Pattern"), std::string::npos) << written;
}

TEST(PatternText, EmptyPatternPartAndAnyKeyOrderLeaveDefaults) {
    std::unique_ptr<Pattern> empty = readPattern("WavePattern 1 1 Pattern end end\n");
    ASSERT_NE(empty, nullptr);
    const float defaults[8] = {1.3f, 1.0f, 3.0f, 0.8f, 2.0f, 0, 0, 0};
    expectSlots(*empty, defaults);
    EXPECT_EQ(empty->color, Vector4(1.0f, 1.0f, 1.0f, 0.0f));

    std::unique_ptr<Pattern> reordered =
        readPattern("WavePattern 1 1 Pattern scale 4 color 0 1 0 1 end sharpness 9 scaleX 2 end\n");
    ASSERT_NE(reordered, nullptr);
    EXPECT_FLOAT_EQ(reordered->scale(), 4.0f);
    EXPECT_EQ(reordered->color, Vector4(0.0f, 1.0f, 0.0f, 1.0f));
    EXPECT_FLOAT_EQ(reordered->getParameters()[4], 9.0f);
    EXPECT_FLOAT_EQ(reordered->getParameters()[1], 2.0f);
}

TEST(PatternText, OlderScaleKeysReplaceThePatternPartsScale) {
    // The kind's own older "scale2" wins over the Pattern part's "scale".
    std::unique_ptr<Pattern> circle =
        readPattern("ConcentricCirclePattern 1 1 Pattern scale 5 end scale2 20 thinness 0.5 end\n");
    ASSERT_NE(circle, nullptr);
    EXPECT_FLOAT_EQ(circle->scale(), 20.0f);
    EXPECT_FLOAT_EQ(circle->getParameters()[1], 0.5f);
    // Held aside until the end, whatever the order.
    circle = readPattern("ConcentricCirclePattern 1 1 Pattern end scale2 20 end\n");
    EXPECT_FLOAT_EQ(circle->scale(), 20.0f);
    circle = readPattern("ConcentricCirclePattern 1 1 Pattern scale 5 end end\n");
    EXPECT_FLOAT_EQ(circle->scale(), 5.0f);
    circle = readPattern("ConcentricCirclePattern 0 1 Pattern scale 5 end scale 7 sharpness 3 end\n");
    EXPECT_FLOAT_EQ(circle->scale(), 7.0f);
    EXPECT_FLOAT_EQ(circle->getParameters()[2], 3.0f);

    std::unique_ptr<Pattern> wave = readPattern("WavePattern 0 1 Pattern scale 6 end scaleY 2 end\n");
    EXPECT_FLOAT_EQ(wave->scale(), 6.0f);
    EXPECT_FLOAT_EQ(wave->getParameters()[2], 2.0f);
    wave = readPattern("WavePattern 0 1 Pattern scale 6 end scale 8 end\n");
    EXPECT_FLOAT_EQ(wave->scale(), 8.0f);

    std::unique_ptr<Pattern> simple = readPattern("SimpleAlternatingPattern 0 1 Pattern end scale 3 end\n");
    EXPECT_FLOAT_EQ(simple->scale(), 3.0f);
}

TEST(PatternText, BlobVersionZeroScaleIsItsSecondScale) {
    std::unique_ptr<Pattern> blob = readPattern("BlobPattern 0 1 Pattern scale 2.5 end scale 4 thinness 0.1 end\n");
    ASSERT_NE(blob, nullptr);
    EXPECT_FLOAT_EQ(blob->getParameters()[1], 4.0f);
    EXPECT_FLOAT_EQ(blob->scale(), 2.5f);
    EXPECT_FLOAT_EQ(blob->getParameters()[2], 0.1f);

    blob = readPattern("BlobPattern 1 1 Pattern scale 2.5 end scale1 9 scale2 3 end\n");
    EXPECT_FLOAT_EQ(blob->scale(), 9.0f);
    EXPECT_FLOAT_EQ(blob->getParameters()[1], 3.0f);
    // Written back at version 2, without the old key.
    const std::string written = writePattern(*blob);
    EXPECT_EQ(written.rfind("BlobPattern 2", 0), 0u) << written;
    EXPECT_EQ(written.find("scale1"), std::string::npos) << written;
}

TEST(PatternText, OldStrangeLineIsWrittenWithoutScale1) {
    std::unique_ptr<Pattern> line =
        readPattern("StrangeLinePattern 0 0 Pattern cutOffStart 1 cutOffEnd 2 scale 1 end scale1 0.5 scale2 12 end\n");
    ASSERT_NE(line, nullptr);
    EXPECT_FLOAT_EQ(line->scale(), 0.5f);
    EXPECT_FLOAT_EQ(line->getParameters()[1], 12.0f);
    const std::string written = writePattern(*line);
    EXPECT_EQ(written.find("scale1"), std::string::npos) << written;
    EXPECT_NE(written.find("scale2"), std::string::npos) << written;
    EXPECT_NE(written.find("thinness"), std::string::npos) << written;
    EXPECT_NE(written.find("sharpness"), std::string::npos) << written;
}

TEST(PatternText, KeyOfAnotherVersionIsReportedAndStopsTheStream) {
    std::string errors;
    std::unique_ptr<Pattern> pattern = readPattern("ConcentricCirclePattern 2 1 Pattern end scale2 20 end\n", &errors);
    EXPECT_NE(errors.find("scale2"), std::string::npos) << errors;
    ASSERT_NE(pattern, nullptr);
    EXPECT_FLOAT_EQ(pattern->scale(), 18.0f);
    // The dropped cut-offs are known only to the version-0 Pattern part.
    pattern = readPattern("WavePattern 1 1 Pattern cutOffStart 3 end end\n", &errors);
    EXPECT_NE(errors.find("cutOffStart"), std::string::npos) << errors;
}

TEST(PatternText, GraphicsOwnsReadsCopiesAndWritesItsPatterns) {
    EffectsScene scene(false);
    const std::string text =
        "Graphics 5 0 Component disabled 0 end diffuseColor 1 1 1 1 patterns\n"
        "  WavePattern 1 1 Pattern color 1 0 0 1 scale 2 end scaleX 4 end\n"
        "  NULL\n"
        "  BlobPattern 2 1 Pattern end end\n"
        "end end\n";
    Graphics graphics;
    EXPECT_EQ(readText(text, graphics), "");
    ASSERT_EQ(graphics.patterns.size(), 2u);
    EXPECT_EQ(graphics.patterns[0]->getPatternID(), 2);
    EXPECT_EQ(graphics.patterns[1]->getPatternID(), 3);

    Graphics copy(graphics);
    ASSERT_EQ(copy.patterns.size(), 2u);
    EXPECT_NE(copy.patterns[0], graphics.patterns[0]);
    copy.patterns[0]->scale() = 11.0f;
    EXPECT_FLOAT_EQ(graphics.patterns[0]->scale(), 2.0f);

    Graphics back;
    EXPECT_EQ(readText(writeText(graphics), back), "");
    ASSERT_EQ(back.patterns.size(), 2u);
    EXPECT_FLOAT_EQ(back.patterns[0]->getParameters()[1], 4.0f);
    EXPECT_EQ(back.patterns[0]->color, Vector4(1.0f, 0.0f, 0.0f, 1.0f));
}
