// Which patterns an object drawn with the pattern shader shows: its own first, then the dispensers
// that reach it, the farthest first, at most eight, in the slot layout the fragment program reads.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "EffectsScene.h"
#include "effects/BlobPattern.h"
#include "effects/PatternDispenser.h"
#include "effects/SimpleAlternatingPattern.h"
#include "effects/WavePattern.h"
#include "graphics/PatternShader.h"
#include "physics/Sphere.h"

namespace {

constexpr float inf = std::numeric_limits<float>::infinity();

class PatternSelection : public ::testing::Test {
protected:
    // An entity at the position with a sphere body, a Graphics, and optionally a dispenser.
    Entity* addObject(Vector4 position, float radius = 1.0f) {
        return scene.addEntity(position, new Sphere(radius), true);
    }
    PatternDispenser* addDispenser(Entity* entity, float cutOffEnd, int blobScale = 0) {
        auto* dispenser = new PatternDispenser();
        auto* pattern = new BlobPattern();
        pattern->scale() = static_cast<float>(blobScale);
        dispenser->setPattern(pattern);
        dispenser->cutOffStart = cutOffEnd * 0.5f;
        dispenser->cutOffEnd = cutOffEnd;
        entity->addComponent(dispenser);
        return dispenser;
    }
    PatternSlots gather(Entity* drawn) {
        PatternSlots slots;
        gatherPatternSlots(Matrix(), *drawn->graphics, slots);
        return slots;
    }
    static const float* slot(const PatternSlots& slots, int k) { return slots.params + 17 * k; }

    EffectsScene scene;
};

}  // namespace

TEST_F(PatternSelection, OwnPatternsComeFirstWithInfiniteCutOffs) {
    Entity* drawn = addObject(Vector4(1.0f, 2.0f, 3.0f, 1.0f));
    auto* wave = new WavePattern();
    wave->color = Vector4(0.1f, 0.2f, 0.3f, 0.4f);
    drawn->graphics->addPattern(wave);
    drawn->graphics->addPattern(new SimpleAlternatingPattern());
    const PatternSlots slots = gather(drawn);
    ASSERT_EQ(slots.filled, 2);
    EXPECT_EQ(slots.ids[0], 2);
    EXPECT_EQ(slots.ids[1], 1);
    for (int k = 2; k < 8; ++k) EXPECT_EQ(slots.ids[k], 0);
    const float* first = slot(slots, 0);
    EXPECT_FLOAT_EQ(first[0], 1.0f);
    EXPECT_FLOAT_EQ(first[1], 2.0f);
    EXPECT_FLOAT_EQ(first[2], 3.0f);
    EXPECT_EQ(first[3], inf);
    EXPECT_EQ(first[4], inf);
    EXPECT_FLOAT_EQ(first[5], 0.1f);
    EXPECT_FLOAT_EQ(first[8], 0.4f);
    EXPECT_FLOAT_EQ(first[9], 1.3f);   // scale
    EXPECT_FLOAT_EQ(first[11], 3.0f);  // scaleY
    EXPECT_FLOAT_EQ(first[16], 0.0f);
}

TEST_F(PatternSelection, AtMostEightOwnPatterns) {
    Entity* drawn = addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f));
    for (int i = 0; i < 10; ++i) drawn->graphics->addPattern(new WavePattern());
    addDispenser(addObject(Vector4(1.0f, 0.0f, 0.0f, 1.0f)), 100.0f);
    const PatternSlots slots = gather(drawn);
    EXPECT_EQ(slots.filled, 8);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(slots.ids[k], 2);
}

TEST_F(PatternSelection, AffectOwnerDecidesWhetherTheOwnEntityGetsItsDispenser) {
    Entity* drawn = addObject(Vector4(5.0f, 0.0f, 0.0f, 1.0f));
    PatternDispenser* dispenser = addDispenser(drawn, 10.0f);
    dispenser->affectOwner = false;
    EXPECT_EQ(gather(drawn).filled, 0);
    dispenser->affectOwner = true;
    const PatternSlots slots = gather(drawn);
    ASSERT_EQ(slots.filled, 1);
    EXPECT_EQ(slots.ids[0], 3);
    EXPECT_FLOAT_EQ(slot(slots, 0)[0], 5.0f);
    EXPECT_FLOAT_EQ(slot(slots, 0)[3], 5.0f);
    EXPECT_FLOAT_EQ(slot(slots, 0)[4], 10.0f);
    // Disabled changes nothing: the dispenser still casts.
    dispenser->disabled = true;
    EXPECT_EQ(gather(drawn).filled, 1);
}

TEST_F(PatternSelection, ReachIsCutOffPlusTheDrawnBoundingRadiusInclusive) {
    Entity* drawn = addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f), 2.0f);
    Entity* source = addObject(Vector4(12.0f, 0.0f, 0.0f, 1.0f));
    addDispenser(source, 10.0f);
    EXPECT_EQ(gather(drawn).filled, 1);
    source->body->position = Vector4(12.001f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(gather(drawn).filled, 0);
    // Distances count every lane, w included.
    source->body->position = Vector4(12.0f, 0.0f, 0.0f, 1.5f);
    EXPECT_EQ(gather(drawn).filled, 0);
}

TEST_F(PatternSelection, TheEightFarthestWinAndFarthestComesFirst) {
    Entity* drawn = addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f));
    for (int i = 1; i <= 10; ++i) addDispenser(addObject(Vector4(static_cast<float>(i), 0.0f, 0.0f, 1.0f)), 100.0f, i);
    const PatternSlots slots = gather(drawn);
    ASSERT_EQ(slots.filled, 8);
    for (int k = 0; k < 8; ++k) {
        EXPECT_FLOAT_EQ(slot(slots, k)[0], static_cast<float>(10 - k)) << k;
        EXPECT_FLOAT_EQ(slot(slots, k)[9], static_cast<float>(10 - k)) << k;
    }
}

TEST_F(PatternSelection, OwnPatternsLeaveTheRemainingSlotsToTheFarthestDispensers) {
    Entity* drawn = addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f));
    for (int i = 0; i < 6; ++i) drawn->graphics->addPattern(new WavePattern());
    for (int i = 1; i <= 4; ++i) addDispenser(addObject(Vector4(0.0f, static_cast<float>(i), 0.0f, 1.0f)), 100.0f, i);
    const PatternSlots slots = gather(drawn);
    ASSERT_EQ(slots.filled, 8);
    EXPECT_EQ(slots.ids[5], 2);
    EXPECT_EQ(slots.ids[6], 3);
    EXPECT_FLOAT_EQ(slot(slots, 6)[1], 4.0f);
    EXPECT_FLOAT_EQ(slot(slots, 7)[1], 3.0f);
}

TEST_F(PatternSelection, EqualDistancesGoByTheLargerAddressFirst) {
    Entity* drawn = addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f));
    std::vector<PatternDispenser*> dispensers;
    for (int i = 0; i < 10; ++i) {
        const float angle = static_cast<float>(i) * 0.6f;
        // All at distance 3, in different directions.
        dispensers.push_back(
            addDispenser(addObject(Vector4(3.0f * std::cos(angle), 0.0f, 3.0f * std::sin(angle), 1.0f)), 100.0f, i));
    }
    for (PatternDispenser* d : dispensers) d->owner->body->position = Vector4(3.0f, 0.0f, 0.0f, 1.0f);
    std::sort(dispensers.begin(), dispensers.end(), [](auto* a, auto* b) { return a > b; });
    const PatternSlots slots = gather(drawn);
    ASSERT_EQ(slots.filled, 8);
    for (int k = 0; k < 8; ++k) EXPECT_FLOAT_EQ(slot(slots, k)[9], dispensers[k]->pattern->scale()) << k;
}

TEST_F(PatternSelection, ObjectWithoutOwnerGetsEveryDispenserWhateverItsDistance) {
    addDispenser(addObject(Vector4(1.0e6f, 0.0f, 0.0f, 1.0f)), 1.0f);
    Graphics loose;
    PatternSlots slots;
    gatherPatternSlots(Matrix::makeTranslation(Vector4(7.0f, 8.0f, 9.0f, 1.0f)), loose, slots);
    ASSERT_EQ(slots.filled, 1);
    loose.addPattern(new WavePattern());
    gatherPatternSlots(Matrix::makeTranslation(Vector4(7.0f, 8.0f, 9.0f, 1.0f)), loose, slots);
    ASSERT_EQ(slots.filled, 2);
    // Own patterns of an ownerless object are centred on the world matrix's translation.
    EXPECT_FLOAT_EQ(slot(slots, 0)[0], 7.0f);
    EXPECT_FLOAT_EQ(slot(slots, 0)[2], 9.0f);
}

TEST_F(PatternSelection, InfiniteCutOffReachesAnywhereAndNaNReachesNothing) {
    Entity* drawn = addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f));
    PatternDispenser* far = addDispenser(addObject(Vector4(3.0e18f, 0.0f, 0.0f, 1.0f)), inf);
    EXPECT_EQ(gather(drawn).filled, 1);
    far->cutOffEnd = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(gather(drawn).filled, 0);
    far->cutOffEnd = inf;
    far->owner->body->position = Vector4(std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(gather(drawn).filled, 0);
}

TEST_F(PatternSelection, DispensersWithoutPatternOwnerOrBodyAreSkipped) {
    Entity* drawn = addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f));
    PatternDispenser* empty = addDispenser(addObject(Vector4(1.0f, 0.0f, 0.0f, 1.0f)), 100.0f);
    empty->setPattern(nullptr);

    // Not on any entity.
    PatternDispenser loose;
    loose.setPattern(new WavePattern());

    // On an entity without a body.
    auto* bodiless = new Entity();
    auto* onBodiless = new PatternDispenser();
    onBodiless->setPattern(new WavePattern());
    bodiless->addComponent(onBodiless);
    scene.state.addEntity(bodiless);
    scene.state.flushAddedEntities();
    EXPECT_EQ(gather(drawn).filled, 0);
}

TEST_F(PatternSelection, CopiesWhoseOwnerIsGoneOrElsewhereAreSkipped) {
    Entity* drawn = addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f));
    Entity* source = addObject(Vector4(1.0f, 0.0f, 0.0f, 1.0f));
    PatternDispenser* original = addDispenser(source, 100.0f);
    // A copy keeps the source's owner until it joins an entity of its own (as the editor's undo
    // copies never do): it is not cast twice, nor read through a deleted entity.
    std::unique_ptr<PatternDispenser> copy(original->clone());
    EXPECT_EQ(copy->owner, source);
    EXPECT_EQ(gather(drawn).filled, 1);
    scene.state.removeEntity(source);
    scene.state.flushRemovedEntities();
    EXPECT_EQ(gather(drawn).filled, 0);
}
