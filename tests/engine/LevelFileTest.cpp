// Level files: reading the two sections into a state, writing them back, and loading, saving and
// loading again without a byte changing; the faults a level file may carry.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include <sstream>

#include "SceneTestSupport.h"
#include "core/IStreamWrapper.h"

namespace {

const std::string testLevel = "Content/Levels/test.lvl";

class LevelFileTest : public testing::Test {
protected:
    void SetUp() override {
        initializeLogicTypeIds();
        folder = scratchFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    std::string path(const std::string& name) const { return (folder / name).string(); }

    std::string file(const std::string& name, const std::string& text) const {
        writeTextFile(folder / name, text);
        return path(name);
    }

    // Enters a new state on the file as the main loop does, runs f on it, then leaves it.
    template <class F>
    void withLevel(const std::string& levelFile, F&& f) {
        GameState state(levelFile);
        CurrentState current(state);
        state.load();
        state.initialize();
        f(state);
        state.unload();
        state.clearResources();
    }

    // Loads the file and saves it under another name; returns that file's text.
    std::string loadAndSave(const std::string& levelFile, const std::string& target) {
        withLevel(levelFile, [&](GameState& state) { EXPECT_TRUE(state.save(target)); });
        return readTextFile(target);
    }

    std::filesystem::path folder;
};

// Tokens of a text, for comparing layouts by their words.
std::vector<std::string> tokensOf(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> tokens;
    std::string token;
    while (stream >> token) tokens.push_back(token);
    return tokens;
}

TEST_F(LevelFileTest, TheTestLevelLoads) {
    std::string errors;
    errors = capturedErrors([&] {
        withLevel(testLevel, [](GameState& state) {
            EXPECT_EQ(state.resourceFileName, "Content/Resources/test.res");
            ASSERT_EQ(state.entities.size(), 5u);
            ASSERT_NE(state.rootEntity, nullptr);
            EXPECT_EQ(state.rootEntity->id, 1u);
            EXPECT_EQ(state.rootEntity->getComponent<Logic>()->logicType, 1);
            EXPECT_EQ(state.archetypes.size(), 1u);
            EXPECT_EQ(state.archetypes.begin()->second->className, "Entity");
            // The two uses of the archetype are two entities with ids of their own.
            Entity* first = state.entities[3];
            Entity* second = state.entities[4];
            EXPECT_NE(first->id, second->id);
            EXPECT_EQ(first->getComponent<Logic>()->logicType, 5);
            EXPECT_EQ(findEntityById(second->id), second);
            EXPECT_TRUE(state.started);
        });
    });
    // The test level's hero has no Body (no physics here): said once, nothing else goes wrong.
    EXPECT_NE(errors.find("has no Body"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("Error"), std::string::npos) << errors;
}

TEST_F(LevelFileTest, TheTestLevelSavesLoadsAndSavesAgainByteForByte) {
    const std::string first = loadAndSave(testLevel, path("first.lvl"));
    const std::string second = loadAndSave(path("first.lvl"), path("second.lvl"));
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first, second);
    // The keys of the two sections, in order.
    const std::vector<std::string> tokens = tokensOf(first);
    ASSERT_GE(tokens.size(), 6u);
    EXPECT_EQ(tokens[0], "GameState");
    EXPECT_EQ(tokens[1], "2");
    EXPECT_EQ(tokens[2], "resourceFileName");
    EXPECT_EQ(tokens[4], "end");
    EXPECT_EQ(tokens[5], "components");
    EXPECT_EQ(tokens.back(), "end");
    const auto archetypes = std::find(tokens.begin(), tokens.end(), "archetypes");
    const auto entities = std::find(tokens.begin(), tokens.end(), "entities");
    EXPECT_LT(archetypes, entities);
}

TEST_F(LevelFileTest, ASavedArchetypeKeepsItsText) {
    std::string archetypeText;
    withLevel(testLevel, [&](GameState& state) { archetypeText = state.archetypes["ScoreSphere"]->text; });
    const std::string saved = loadAndSave(testLevel, path("saved.lvl"));
    EXPECT_NE(saved.find("\"" + archetypeText + "\""), std::string::npos) << saved;
}

// A level of generated entities with state components, archetypes and several component classes.
std::string generatedLevel(int entityCount) {
    std::ostringstream text;
    text << "Editor 2 resourceFileName \"level resources.res\" end\n"
         << "components size 2\n"
         << "TestStateComponent 1 0 GameStateComponent disabled 0 end speed 2.5 end\n"
         << "OtherStateComponent 1 0 GameStateComponent disabled 1 end speed 0.125 end\n"
         << "end\n"
         << "archetypes\n"
         << "Bumper Archetype 1 text \"Entity 1 components Logic 1 0 Component disabled 0 end typeName BUMPER end "
            "end end \" end\n"
         << "Counter Archetype 0 Entity 1 id 900 components CountingComponent 3 0 Component disabled 0 end "
            "count 3 end end end\n"
         << "end\n"
         << "entities size " << entityCount << "\n";
    for (int i = 0; i < entityCount; ++i) {
        if (i > 0 && i % 10 == 0) {
            text << "archetype Bumper\n";
            continue;
        }
        text << "Entity 1 id " << (i * 3 + 1) << " components Logic 1 0 Component disabled " << (i % 2)
             << " end typeName " << (i == 0 ? "HERO" : "SCORE_SPHERE") << " end CountingComponent 3 0 Component "
             << "disabled 0 end count " << i << " end end end\n";
    }
    text << "end end\n";
    return text.str();
}

TEST_F(LevelFileTest, AGeneratedLevelSavesLoadsAndSavesAgainByteForByte) {
    const std::string source = file("generated.lvl", generatedLevel(40));
    const std::string first = loadAndSave(source, path("first.lvl"));
    const std::string second = loadAndSave(path("first.lvl"), path("second.lvl"));
    EXPECT_EQ(first, second);
    withLevel(path("second.lvl"), [](GameState& state) {
        EXPECT_EQ(state.resourceFileName, "level resources.res");
        ASSERT_EQ(state.stateComponents.size(), 2u);
        auto* speedy = dynamic_cast<TestStateComponent*>(state.stateComponents[0].get());
        ASSERT_NE(speedy, nullptr);
        EXPECT_FLOAT_EQ(speedy->speed, 2.5f);
        EXPECT_EQ(speedy->initializations, 1);
        EXPECT_TRUE(state.stateComponents[1]->disabled);
        EXPECT_EQ(state.entities.size(), 40u);
        EXPECT_EQ(state.archetypes.size(), 2u);
        EXPECT_EQ(state.archetypes["Counter"]->className, "Entity");
    });
}

TEST_F(LevelFileTest, SavingPutsTheHeroFirstThenIds) {
    const std::string source = file("order.lvl",
                                    "Editor 2 resourceFileName x end entities "
                                    "Entity 1 id 50 components end end "
                                    "Entity 1 id 7 components end end "
                                    "Entity 1 id -3 components end end "
                                    "Entity 1 id 20 components end end end end");
    const std::string saved = loadAndSave(source, path("saved.lvl"));
    std::vector<std::string> ids;
    const std::vector<std::string> tokens = tokensOf(saved);
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i)
        if (tokens[i] == "id") ids.push_back(tokens[i + 1]);
    EXPECT_EQ(ids, (std::vector<std::string>{"50", "-3", "7", "20"}));
}

TEST_F(LevelFileTest, SectionKeysMayComeInAnyOrder) {
    ProgressLog log;
    const std::vector<float>& positions = log.positions;
    const std::string source = file("reversed.lvl",
                                    "Editor 2 resourceFileName x end "
                                    "entities size 2 Entity 1 id 1 components end end Entity 1 id 2 components end "
                                    "end end "
                                    "archetypes end "
                                    "components size 1 TestStateComponent 1 0 GameStateComponent disabled 0 end "
                                    "speed 3 end end "
                                    "end");
    withLevel(source, [](GameState& state) {
        EXPECT_EQ(state.entities.size(), 2u);
        EXPECT_EQ(state.stateComponents.size(), 1u);
    });
    // Entities 0.2 to 0.8 first, then the components 0.1 to 0.2, then initialisation up to 1.
    const std::vector<float> expected{0.2f, 0.5f, 0.8f, 0.1f, 0.2f, 0.875f, 0.95f, 1.0f};
    ASSERT_EQ(positions.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(positions[i], expected[i], 1e-6) << i;
}

TEST_F(LevelFileTest, LoadReadsOnlyTheFirstSection) {
    const std::string source = file("first.lvl", "Editor 2 resourceFileName stuff.res end components Nonsense 1 end");
    GameState state(source);
    CurrentState current(state);
    const std::string errors = capturedErrors([&] {
        state.resourcesOnly = true;
        std::istringstream stream(readTextFile(source));
        IStreamWrapper in(stream);
        readValue(in, state);
    });
    EXPECT_EQ(state.resourceFileName, "stuff.res");
    EXPECT_TRUE(errors.empty()) << errors;

    GameState empty(file("empty-first.lvl", "Editor 2 end end"));
    CurrentState emptyCurrent(empty);
    empty.load();
    EXPECT_TRUE(empty.resourceFileName.empty());
    EXPECT_FALSE(empty.resourcesOnly);
}

TEST_F(LevelFileTest, AnArchetypeNameGivenTwiceKeepsTheFirst) {
    const std::string source = file("twice.lvl",
                                    "Editor 2 resourceFileName x end archetypes "
                                    "A Archetype 1 text \"Logic 1 0 Component disabled 0 end typeName HERO end\" end "
                                    "A Archetype 1 text \"Logic 1 0 Component disabled 0 end typeName BUMPER end\" end "
                                    "end end");
    withLevel(source, [](GameState& state) {
        ASSERT_EQ(state.archetypes.size(), 1u);
        EXPECT_NE(state.archetypes["A"]->text.find("HERO"), std::string::npos);
    });
}

TEST_F(LevelFileTest, ARestartReadsTheLevelAgainButKeepsTheFirstArchetypes) {
    const std::string source = file("restart.lvl",
                                    "Editor 2 resourceFileName x end archetypes "
                                    "A Archetype 1 text \"Logic 1 0 Component disabled 0 end typeName HERO end\" end end "
                                    "entities Entity 1 id 4 components end end end end");
    GameState state(source);
    CurrentState current(state);
    state.load();
    state.initialize();
    file("restart.lvl",
         "Editor 2 resourceFileName x end archetypes "
         "A Archetype 1 text \"Logic 1 0 Component disabled 0 end typeName BUMPER end\" end end "
         "entities Entity 1 id 4 components end end Entity 1 id 5 components end end end end");
    state.unload();
    state.initialize();
    EXPECT_EQ(state.entities.size(), 2u);
    EXPECT_NE(state.archetypes["A"]->text.find("HERO"), std::string::npos);
}

TEST_F(LevelFileTest, ALevelFromATemporaryFileStillRestarts) {
    const std::string source = file("tempLevelState.levelFile",
                                    "Editor 2 resourceFileName x end entities "
                                    "Entity 1 id 1 components end end Entity 1 id 2 components end end end end");
    GameState state(source);
    CurrentState current(state);
    state.load();
    state.initialize();
    // The level state drops the name of a temporary file: it is no target for saving.
    state.levelFileName.clear();
    state.unload();
    state.initialize();
    EXPECT_EQ(state.entities.size(), 2u);
    EXPECT_EQ(state.getLevelSource(), source);
    const std::string errors = capturedErrors([&] { EXPECT_FALSE(state.save(state.levelFileName)); });
    EXPECT_NE(errors.find("not saved"), std::string::npos) << errors;
}

TEST_F(LevelFileTest, RepeatedIdsAreReportedAndTheLaterEntitiesGetFreshIds) {
    const std::string source = file("dups.lvl",
                                    "Editor 2 resourceFileName x end entities "
                                    "Entity 1 id 1 components CountingComponent 3 0 Component disabled 0 end count 1 "
                                    "end end end "
                                    "Entity 1 id 1 components CountingComponent 3 0 Component disabled 0 end count 2 "
                                    "end end end "
                                    "Entity 1 id 2 components end end "
                                    "Entity 1 id 1 components CountingComponent 3 0 Component disabled 0 end count 3 "
                                    "end end end end end");
    const int aliveBefore = CountingComponent::alive;
    const std::string errors = capturedErrors([&] {
        withLevel(source, [&](GameState& state) {
            ASSERT_EQ(state.entities.size(), 4u) << "every entity read is kept";
            EXPECT_EQ(state.entities[0]->getComponent<CountingComponent>()->count, 1);
            EXPECT_EQ(state.entities[3]->getComponent<CountingComponent>()->count, 3);
            EXPECT_EQ(CountingComponent::alive, aliveBefore + 3);
            EXPECT_EQ(findEntityById(1), state.entities[0]) << "the first holder keeps its id";
            EXPECT_EQ(findEntityById(2), state.entities[2]);
            std::set<std::uint32_t> ids;
            for (Entity* entity : state.entities) {
                ids.insert(entity->id);
                EXPECT_EQ(findEntityById(entity->id), entity);
            }
            EXPECT_EQ(ids.size(), 4u);
        });
    });
    // One line for each entity that got a fresh id.
    int freshIds = 0;
    const std::string line = "entity id 1 is taken; the later entity with it gets id ";
    for (std::size_t at = errors.find(line); at != std::string::npos; at = errors.find(line, at + 1)) ++freshIds;
    EXPECT_EQ(freshIds, 2) << errors;
    EXPECT_EQ(CountingComponent::alive, aliveBefore);
}

TEST_F(LevelFileTest, LevelsWithoutEntitiesOrBodiesLoadAndSaySo) {
    std::string errors = capturedErrors([&] {
        withLevel(file("none.lvl", "Editor 2 resourceFileName x end components end archetypes end entities end end"),
                  [](GameState& state) {
                      EXPECT_EQ(state.rootEntity, nullptr);
                      state.update(0.01f);
                      state.draw(nullptr);
                  });
    });
    EXPECT_NE(errors.find("no entity"), std::string::npos) << errors;

    // A root entity with a Body gets it prepared by the physics hook.
    static Entity* prepared = nullptr;
    prepared = nullptr;
    GameStateHooks saved = gameStateHooks();
    gameStateHooks().prepareRootBody = [](GameState&, Entity& root) { prepared = &root; };
    errors = capturedErrors([&] {
        withLevel(file("body.lvl",
                       "Editor 2 resourceFileName Content/Resources/test.res end entities Entity 1 id 3 "
                       "components Body 0 disabled 0 end "
                       "end end end end"),
                  [](GameState& state) {
                      ASSERT_NE(state.rootEntity, nullptr);
                      EXPECT_NE(state.rootEntity->body, nullptr);
                      EXPECT_EQ(prepared, state.rootEntity);
                  });
    });
    gameStateHooks() = saved;
    EXPECT_TRUE(errors.empty()) << errors;
}

TEST_F(LevelFileTest, AnUnknownClassIsReportedAndBuildsNothing) {
    const std::string source = file("unknown.lvl",
                                    "Editor 2 resourceFileName x end entities "
                                    "Entity 1 id 1 components end end "
                                    "Mystery 1 whatever 3 end "
                                    "Entity 1 id 2 components end end end end");
    const std::string errors = capturedErrors([&] {
        withLevel(source, [](GameState& state) {
            ASSERT_EQ(state.entities.size(), 1u);
            EXPECT_EQ(state.entities[0]->id, 1u);
        });
    });
    EXPECT_NE(errors.find("Mystery"), std::string::npos) << errors;
}

TEST_F(LevelFileTest, ForeignKeysTruncatedFilesAndNullComponentsEndTheRead) {
    std::string errors = capturedErrors([&] {
        withLevel(file("foreign.lvl", "Editor 2 resourceFileName x end gadgets 3 entities end end"),
                  [](GameState& state) { EXPECT_TRUE(state.entities.empty()); });
    });
    EXPECT_NE(errors.find("gadgets"), std::string::npos) << errors;

    errors = capturedErrors([&] {
        withLevel(file("cut.lvl", "Editor 2 resourceFileName x end entities Entity 1 id 1 components"),
                  [](GameState& state) { EXPECT_LE(state.entities.size(), 1u); });
    });
    EXPECT_FALSE(errors.empty());

    errors = capturedErrors([&] {
        withLevel(file("null.lvl",
                       "Editor 2 resourceFileName x end components NULL TestStateComponent 1 0 GameStateComponent "
                       "disabled 0 end end end end"),
                  [](GameState& state) { EXPECT_EQ(state.stateComponents.size(), 1u); });
    });
    EXPECT_NE(errors.find("NULL"), std::string::npos) << errors;

    errors = capturedErrors([&] { withLevel(path("absent.lvl"), [](GameState& state) {}); });
    EXPECT_NE(errors.find("Could not open file \""), std::string::npos) << errors;
}

}  // namespace
