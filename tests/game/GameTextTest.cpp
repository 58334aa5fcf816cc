// The text form of every gameplay class: defaults write and read back unchanged (the endless lifetime
// included), and the older forms still read.
#include <cmath>
#include <limits>

#include "PlayScene.h"
#include "game/BumperLogic.h"
#include "game/CheckPointLogic.h"
#include "game/DerezZoneLogic.h"
#include "game/DirectedBumperLogic.h"
#include "game/EndGameBarrier.h"
#include "game/EndGameReward.h"
#include "game/EndOfFirstPart.h"
#include "game/EndOfGameComponent.h"
#include "game/FallFasterField.h"
#include "game/FireDerezZone.h"
#include "game/FirstScoreSphere.h"
#include "game/LifetimeComponent.h"
#include "game/PatrollingComponent.h"
#include "game/ScoreSphereLogic.h"

TEST(GameText, EveryClassReadsBackItsDefaults) {
    PlayScene scene;
    std::vector<std::unique_ptr<Component>> defaults;
    defaults.emplace_back(new Movement());
    defaults.emplace_back(new GrowShrink());
    defaults.emplace_back(new HeroLogic());
    defaults.emplace_back(new DerezZoneLogic());
    defaults.emplace_back(new FireDerezZone());
    defaults.emplace_back(new ScoreSphereLogic());
    defaults.emplace_back(new FirstScoreSphere());
    defaults.emplace_back(new BumperLogic());
    defaults.emplace_back(new DirectedBumperLogic());
    defaults.emplace_back(new CheckPointLogic());
    defaults.emplace_back(new LifetimeComponent());
    defaults.emplace_back(new EndGameBarrier());
    defaults.emplace_back(new FallFasterField());
    defaults.emplace_back(new PatrollingComponent());
    defaults.emplace_back(new EndOfFirstPart());
    defaults.emplace_back(new EndOfGameComponent());
    defaults.emplace_back(new EndGameReward());
    for (auto& original : defaults) {
        Component* pointer = original.get();
        const std::string text = writeText(pointer);
        SCOPED_TRACE(text);
        Component* copy = nullptr;
        EXPECT_EQ("", readText(text, copy));
        ASSERT_NE(nullptr, copy);
        std::unique_ptr<Component> owned(copy);
        EXPECT_EQ(typeid(*original), typeid(*copy));
        EXPECT_EQ(text, writeText(copy));
        if (auto* logic = dynamic_cast<Logic*>(copy)) {
            EXPECT_NE(0, logic->logicType);
            EXPECT_EQ(dynamic_cast<Logic*>(pointer)->logicType, logic->logicType);
        }
    }
}

TEST(GameText, AnEndlessLifetimeStaysEndless) {
    PlayScene scene;
    LifetimeComponent endless;
    Component* pointer = &endless;
    Component* copy = nullptr;
    readText(writeText(pointer), copy);
    ASSERT_NE(nullptr, copy);
    std::unique_ptr<Component> owned(copy);
    auto* lifetime = static_cast<LifetimeComponent*>(copy);
    EXPECT_TRUE(std::isinf(lifetime->time));
    EXPECT_GT(lifetime->time, 0.0f);
    Entity* entity = scene.addObject(Vector4(0.0f, 0.0f, 0.0f, 1.0f), new Sphere(1.0f), {owned.release()}, false);
    scene.frame(10);
    EXPECT_EQ(entity, findEntityById(entity->id));
}

TEST(GameText, OlderFormsStillRead) {
    PlayScene scene;
    // The end of the first part once had one target colour for both.
    EndOfFirstPart both;
    readText("EndOfFirstPart 0 0 Component end targetColor 1 0 0 1 targetSpecularColor 0 0 1 1 time 3 end", both);
    EXPECT_EQ(Vector4(1.0f, 0.0f, 0.0f, 1.0f), both.targetDiffuseColor);
    EXPECT_EQ(Vector4(1.0f, 0.0f, 0.0f, 1.0f), both.targetSpecularColor);
    EXPECT_EQ(3.0f, both.time);
    EndOfFirstPart neither;
    readText("EndOfFirstPart 0 0 Component end targetDiffuseColor 0 1 0 1 targetSpecularColor 0 0 1 1 end", neither);
    EXPECT_EQ(Vector4(1.0f, 1.0f, 1.0f, 1.0f), neither.targetDiffuseColor);
    EXPECT_EQ(Vector4(1.0f, 1.0f, 1.0f, 1.0f), neither.targetSpecularColor);

    // Score spheres before "destroy", and with the Component part outside the Logic part.
    ScoreSphereLogic old;
    EXPECT_EQ("", readText("ScoreSphereLogic 0 0 Logic typeName SCORE_SPHERE end score 7 end", old));
    EXPECT_EQ(7u, old.score);
    EXPECT_EQ(5, old.logicType);
    ScoreSphereLogic middle;
    readText("ScoreSphereLogic 1 0 Component disabled 1 end 0 Logic typeName SCORE_SPHERE end score 3 destroy 1 end",
             middle);
    EXPECT_TRUE(middle.disabled);
    EXPECT_TRUE(middle.destroy);
    EXPECT_EQ(3u, middle.score);

    // The reward keeps no "disabled"; a patrol keeps its turned ends.
    EndGameReward reward;
    reward.disabled = true;
    EndGameReward fresh;
    readText(writeText(reward), fresh);
    EXPECT_FALSE(fresh.disabled);
    PatrollingComponent patrol(Vector4(1.0f, 2.0f, 3.0f, 1.0f), Vector4(4.0f, 5.0f, 6.0f, 1.0f));
    std::swap(patrol.startPosition, patrol.endPosition);
    PatrollingComponent readBack;
    readText(writeText(patrol), readBack);
    EXPECT_EQ(Vector4(4.0f, 5.0f, 6.0f, 1.0f), readBack.startPosition);
    EXPECT_EQ(Vector4(1.0f, 2.0f, 3.0f, 1.0f), readBack.endPosition);
}
