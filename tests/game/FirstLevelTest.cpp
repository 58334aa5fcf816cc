// The first level as shipped, loaded without its resources (no GL): it holds every gameplay object and
// its sky, its hero can jump from each kind of floor the level is built of, and the hero rides the patrol.
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "PlayScene.h"
#include "core/PngFile.h"
#include "game/EndGameBarrier.h"
#include "game/FirstScoreSphere.h"
#include "game/PatrollingComponent.h"
#include "game/ScoreSphereLogic.h"
#include "graphics/Sky.h"
#include "physics/Shape.h"

namespace {

class FirstLevel {
public:
    FirstLevel() : previous(currentGameState) {
        initializeLogicTypeIds();
        std::ifstream file(std::string(TOVIK_SOURCE_DIR) + "/Content/Levels/level1.lvl");
        std::stringstream text;
        text << file.rdbuf();
        std::string level = text.str();
        const std::string resources = "resourceFileName Content/Resources/level1.res";
        const auto at = level.find(resources);
        EXPECT_NE(std::string::npos, at);
        if (at != std::string::npos) level.replace(at, resources.size(), "resourceFileName \"\"");
        path = std::filesystem::temp_directory_path() / ("tovik-first-level-" + std::to_string(::getpid()) + ".lvl");
        std::ofstream(path) << level;
        state = std::make_unique<GameState>(path.string());
        currentGameState = state.get();
        currentTime = 500.0;
        testing::internal::CaptureStderr();  // every missing resource is reported
        state->load();
        state->initialize();
        sendMessage(new Message(MessageType::PlayMode), true);
        scoreSpheresAtPlayStart = static_cast<int>(liveScoreSpheres.count);
        testing::internal::GetCapturedStderr();
        PlayScene::releaseKeys();
    }
    ~FirstLevel() {
        PlayScene::releaseKeys();
        state.reset();
        currentGameState = previous;
        std::filesystem::remove(path);
        scoreSpheresAtPlayStart = 0;
    }
    void frame(int count = 1) {
        for (int i = 0; i < count; ++i) {
            currentTime += PlayScene::dt;
            frameDelta = PlayScene::dt;
            updateMessageQueues();
            state->update(PlayScene::dt);
        }
    }
    template <class T>
    std::vector<Entity*> with() {
        std::vector<Entity*> found;
        for (Entity* e : state->entities)
            if (e->getComponent<T>()) found.push_back(e);
        return found;
    }

    GameState* previous;
    std::filesystem::path path;
    std::unique_ptr<GameState> state;
};

}  // namespace

TEST(FirstLevel, HoldsEveryGameplayObject) {
    FirstLevel level;
    Entity* hero = level.state->rootEntity;
    ASSERT_NE(nullptr, hero);
    ASSERT_NE(nullptr, sphereOf(hero->body));
    EXPECT_NE(nullptr, hero->getComponent<Movement>());
    EXPECT_NE(nullptr, hero->getComponent<GrowShrink>());
    EXPECT_NE(nullptr, hero->getComponent<HeroLogic>());
    EXPECT_NE(nullptr, hero->getComponent<PatternDispenser>());
    EXPECT_LT(hero->body->acceleration.y(), 0.0f) << "the hero falls from the start";

    EXPECT_GE(liveScoreSpheres.count, 21u) << "two power-ups need twenty spheres after the first";
    EXPECT_EQ(1u, level.with<FirstScoreSphere>().size());
    std::map<std::string, int> logics;
    for (Entity* e : level.state->entities)
        if (Logic* logic = e->getComponent<Logic>()) ++logics[logic->typeName];
    for (const char* name : {"BUMPER", "DIRECTED_BUMPER", "CHECK_POINT", "DEREZ_ZONE", "FIRE_DEREZ_ZONE", "FALL_FASTER",
                             "BARRIER"})
        EXPECT_GE(logics[name], 1) << name;
    EXPECT_GE(logics["CHECK_POINT"], 2);
    for (const char* cls : {"PatrollingComponent", "EndOfFirstPart", "EndOfGameComponent", "EndGameReward"}) {
        int count = 0;
        for (Entity* e : level.state->entities)
            for (auto& c : e->components)
                if (typeName(typeid(*c)) == cls) ++count;
        EXPECT_EQ(1, count) << cls;
    }
    // The barrier opens with the first power-up, which the first sphere gives.
    GrowShrink* size = hero->getComponent<GrowShrink>();
    EndGameBarrier* barrier = level.with<EndGameBarrier>().front()->getComponent<EndGameBarrier>();
    EXPECT_GT(size->maxSize * 2.0f, barrier->entryRadius);
    EXPECT_LE(size->maxSize, barrier->entryRadius);
}

// The level stands before its sky: level data that its resource file and a picture back, and that
// reads back as written.
TEST(FirstLevel, StandsBeforeASkyItsResourcesName) {
    FirstLevel level;
    Sky* sky = level.state->getComponents<Sky>();
    ASSERT_NE(nullptr, sky);
    EXPECT_FALSE(sky->disabled);
    std::ifstream file(std::string(TOVIK_SOURCE_DIR) + "/Content/Resources/level1.res");
    std::stringstream resources, written;
    resources << file.rdbuf();
    for (const std::string& entry : {"\nsky\n\tTexture 1\n\t\tfileName Content/Images/sky.png\n",
                                     "\nskySphere\n\tfunction Model::createSphere ", "\nparticleShader\n"})
        EXPECT_NE(std::string::npos, resources.str().find(entry)) << entry;
    EXPECT_FALSE(readPngImage(std::string(TOVIK_SOURCE_DIR) + "/Content/Images/sky.png").empty());

    OStreamWrapper out(written);
    writeValue(out, *sky);
    Sky back;
    IStreamWrapper in(written);
    testing::internal::CaptureStderr();
    readValue(in, back);
    testing::internal::GetCapturedStderr();  // the resources are not loaded here
    EXPECT_EQ("sky skySphere particleShader", back.graphics.textureName + " " + back.graphics.modelName + " " +
                                                  back.graphics.programName);
}

// From the start floor and from every other resolving box the hero can land on, it jumps.
TEST(FirstLevel, TheHeroJumpsFromEveryFloorAndRidesThePatrol) {
    FirstLevel level;
    Entity* hero = level.state->rootEntity;
    Movement* movement = hero->getComponent<Movement>();
    level.frame(40);
    ASSERT_TRUE(movement->isOnGround()) << hero->body->position.y();
    int floors = 0;
    for (Entity* e : level.state->entities) {
        Body* b = e->body;
        if (e == hero || !b || !b->resolve || !b->shape || e->getComponent<Logic>()) continue;
        const int kind = b->shape->shapeType;
        ASSERT_TRUE(kind == Shape::RectKind || kind == Shape::OBBKind) << "entity " << e->id;
        const Vector4 size = b->shape->getSize();
        if (size.x() < 2.5f || size.z() < 2.5f || e->getComponent<PatrollingComponent>()) continue;
        ++floors;
        SCOPED_TRACE(testing::Message() << "floor entity " << e->id);
        hero->body->position = b->position + Vector4(0.0f, size.y() + 1.0f, 0.0f, 0.0f);
        hero->body->velocity = Vector4();
        level.frame(30);
        const float rest = hero->body->position.y();
        Input::isKeyDown(' ') = true;
        level.frame(2);
        Input::isKeyDown(' ') = false;
        float top = rest;
        for (int i = 0; i < 40; ++i) {
            level.frame();
            top = std::max(top, hero->body->position.y());
        }
        EXPECT_GT(top - rest, 1.5f);
    }
    EXPECT_GE(floors, 4);

    // Standing on the patrol platform, the hero is carried across the gap.
    Entity* platform = level.with<PatrollingComponent>().front();
    PatrollingComponent* patrol = platform->getComponent<PatrollingComponent>();
    // Set out from the near end (the one toward the start, larger z).
    if (patrol->startPosition.z() < patrol->endPosition.z()) std::swap(patrol->startPosition, patrol->endPosition);
    patrol->idling = false;
    platform->body->position = patrol->startPosition;
    const float startZ = platform->body->position.z();
    hero->body->position = platform->body->position + Vector4(0.0f, 1.6f, 0.0f, 0.0f);
    hero->body->velocity = Vector4();
    level.frame(4 * 64);
    EXPECT_LT(platform->body->position.z(), startZ - 20.0f);
    EXPECT_NEAR(platform->body->position.z(), hero->body->position.z(), 2.0f) << "the hero rode along";
    EXPECT_GT(hero->body->position.y(), platform->body->position.y()) << "and stayed on top";
}
