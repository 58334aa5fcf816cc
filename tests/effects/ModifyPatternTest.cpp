// The pattern modifier: the parameter follows the wave, waits for a missing pattern, and refuses an
// index outside the block or a wave of length 0.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "EffectsScene.h"
#include "effects/ModifyPatternComponent.h"
#include "effects/WavePattern.h"

namespace {

class ModifyPattern : public ::testing::Test {
protected:
    void SetUp() override {
        entity = scene.addEntity(Vector4(0.0f, 0.0f, 0.0f, 1.0f), nullptr, true);
        modifier = new ModifyPatternComponent();
        entity->addComponent(modifier);
    }
    WavePattern* addPattern() {
        auto* pattern = new WavePattern();
        entity->graphics->addPattern(pattern);
        return pattern;
    }
    void run(float seconds, float step) {
        const int frames = static_cast<int>(std::lround(seconds / step));
        for (int i = 0; i < frames; ++i) entity->update(step);
    }

    EffectsScene scene;
    Entity* entity = nullptr;
    ModifyPatternComponent* modifier = nullptr;
};

}  // namespace

TEST_F(ModifyPattern, ScaleRisesByTheAmplitudeOverHalfAWaveAndReturns) {
    WavePattern* pattern = addPattern();
    const float start = pattern->scale();
    run(0.5f, 0.01f);
    EXPECT_NEAR(pattern->scale(), start + 1.0f, 0.02f);
    run(0.5f, 0.01f);
    EXPECT_NEAR(pattern->scale(), start, 0.02f);
    EXPECT_NEAR(modifier->pointAlongWave, 1.0f, 1e-4f);
}

TEST_F(ModifyPattern, FollowsTheCurveOfAnyWave) {
    WavePattern* pattern = addPattern();
    modifier->whichParameter = 3;
    modifier->amplitude = -0.4f;
    modifier->waveLength = 2.0f;
    const float start = pattern->thinness();
    for (int frame = 1; frame <= 150; ++frame) {
        entity->update(0.005f);
        const float t = frame * 0.005f;
        const float expected = start - 0.4f * (1.0f - std::cos(6.2831855f * t / 2.0f)) / 2.0f;
        ASSERT_NEAR(pattern->thinness(), expected, 0.005f) << "at " << t;
    }
    // A negative amplitude dips first.
    EXPECT_LT(pattern->thinness(), start);
    EXPECT_FLOAT_EQ(pattern->scale(), 1.3f);
}

TEST_F(ModifyPattern, MissingPatternChangesNothingUntilItExists) {
    modifier->whichPattern = 2;
    addPattern();
    addPattern();
    run(0.3f, 0.1f);
    EXPECT_FLOAT_EQ(modifier->pointAlongWave, 0.0f);
    WavePattern* third = addPattern();
    run(0.3f, 0.1f);
    EXPECT_NEAR(modifier->pointAlongWave, 0.3f, 1e-6f);
    EXPECT_GT(third->scale(), 1.3f);

    modifier->whichPattern = -1;
    run(0.1f, 0.1f);
    EXPECT_NEAR(modifier->pointAlongWave, 0.3f, 1e-6f);
}

TEST_F(ModifyPattern, TwoModifiersOnOneEntryAddTheirSteps) {
    WavePattern* pattern = addPattern();
    entity->addComponent(new ModifyPatternComponent());
    run(0.5f, 0.01f);
    EXPECT_NEAR(pattern->scale(), 1.3f + 2.0f, 0.04f);
}

TEST_F(ModifyPattern, IndexOutsideTheBlockIsSkipped) {
    WavePattern* pattern = addPattern();
    auto* neighbour = new WavePattern();
    entity->graphics->addPattern(neighbour);
    float before[8];
    std::copy(neighbour->getParameters(), neighbour->getParameters() + 8, before);
    for (int index : {8, 9, 17, -1, 1000000}) {
        modifier->whichParameter = index;
        run(0.2f, 0.05f);
        EXPECT_FLOAT_EQ(modifier->pointAlongWave, 0.0f) << index;
    }
    for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(neighbour->getParameters()[i], before[i]);
    EXPECT_FLOAT_EQ(pattern->getParameters()[7], 0.0f);
}

TEST_F(ModifyPattern, ZeroOrUnknownWaveLengthIsSkippedAndSavesNoNaN) {
    WavePattern* pattern = addPattern();
    for (float length : {0.0f, -0.0f, std::numeric_limits<float>::quiet_NaN()}) {
        modifier->waveLength = length;
        run(0.2f, 0.05f);
        EXPECT_FLOAT_EQ(pattern->scale(), 1.3f);
        EXPECT_FLOAT_EQ(modifier->pointAlongWave, 0.0f);
    }
    modifier->waveLength = 1.0f;
    modifier->amplitude = std::numeric_limits<float>::infinity();
    run(0.5f, 0.25f);  // sin(pi) is not exactly 0: an infinite step is taken, but never a NaN one
    EXPECT_FALSE(std::isnan(pattern->scale()));
    EXPECT_EQ(writeText(*entity->graphics).find("nan"), std::string::npos);
}

TEST_F(ModifyPattern, DisabledKeepsItsPointAndTextRoundTrips) {
    WavePattern* pattern = addPattern();
    modifier->disabled = true;
    run(0.5f, 0.1f);
    EXPECT_FLOAT_EQ(modifier->pointAlongWave, 0.0f);
    EXPECT_FLOAT_EQ(pattern->scale(), 1.3f);

    modifier->whichPattern = 1;
    modifier->whichParameter = 4;
    modifier->amplitude = 2.5f;
    modifier->waveLength = 3.0f;
    modifier->pointAlongWave = 0.75f;
    ModifyPatternComponent back;
    EXPECT_EQ(readText(writeText(*modifier), back), "");
    EXPECT_TRUE(back.disabled);
    EXPECT_EQ(back.whichPattern, 1);
    EXPECT_EQ(back.whichParameter, 4);
    EXPECT_FLOAT_EQ(back.amplitude, 2.5f);
    EXPECT_FLOAT_EQ(back.waveLength, 3.0f);
    EXPECT_FLOAT_EQ(back.pointAlongWave, 0.75f);

    ModifyPatternComponent partial;
    EXPECT_EQ(readText("ModifyPatternComponent 0 0 Component end amplitude 4 end\n", partial), "");
    EXPECT_FLOAT_EQ(partial.amplitude, 4.0f);
    EXPECT_FLOAT_EQ(partial.waveLength, 1.0f);
}
