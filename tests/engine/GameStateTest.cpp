// The game state's scene: pending additions and removals at the fixed points of update, pausing,
// state components, saving from inside an update, and entering and leaving a level.
#include <gtest/gtest.h>

#include "SceneTestSupport.h"
#include "engine/PauseMessage.h"

namespace {

class GameStateTest : public testing::Test {
protected:
    void SetUp() override { initializeLogicTypeIds(); }

    // A new entity with one counting component, added to the state.
    Entity* addCounting(CountingComponent** component = nullptr) {
        auto* entity = new Entity;
        auto* counting = new CountingComponent;
        entity->addComponent(counting);
        state.addEntity(entity);
        if (component) *component = counting;
        return entity;
    }

    TestStateComponent* addStateComponent(TestStateComponent* component = new TestStateComponent) {
        state.addStateComponent(component);
        return component;
    }

    GameState state;
    CurrentState current{state};
};

// Counts the messages of some types dispatched while it lives.
struct MessageLog : EventHandler {
    explicit MessageLog(GameState& state, std::initializer_list<int> types) {
        for (int type : types)
            registerHandler<Message>(&state, type, this, [](MessageLog& log, Message& m) {
                log.types.push_back(m.type);
                if (m.type == 26) log.paused.push_back(static_cast<PauseMessage&>(m).paused);
            });
    }
    std::vector<int> types;
    std::vector<bool> paused;
};

TEST_F(GameStateTest, AnEntityAddedDuringUpdateJoinsAtTheEndAndUpdatesNextFrame) {
    CountingComponent* spawner = nullptr;
    addCounting(&spawner);
    state.update(0.01f);
    CountingComponent* spawned = nullptr;
    Entity* child = nullptr;
    spawner->onUpdate = [&](CountingComponent&, float) {
        if (child) return;
        child = addCounting(&spawned);
        EXPECT_EQ(findEntityById(child->id), child);  // in the id map at once
    };
    state.update(0.01f);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(state.entities.size(), 2u);
    EXPECT_EQ(state.entities.back(), child);
    EXPECT_EQ(spawned->initializations, 1);
    EXPECT_EQ(spawned->updates, 0);
    state.update(0.01f);
    EXPECT_EQ(spawned->updates, 1);
}

TEST_F(GameStateTest, AnEntityRemovedDuringUpdateIsDeletedBeforeItReturns) {
    CountingComponent* killer = nullptr;
    addCounting(&killer);
    Entity* victim = addCounting();
    state.update(0.01f);
    const std::uint32_t victimId = victim->id;
    const int destroyedBefore = CountingComponent::destroyed;
    killer->onUpdate = [&](CountingComponent&, float) {
        if (!victim) return;
        state.removeEntity(victim);
        state.removeEntity(victim);  // queued twice: deleted once
        EXPECT_EQ(findEntityById(victimId), nullptr);
        victim = nullptr;
    };
    state.update(0.01f);
    EXPECT_EQ(CountingComponent::destroyed, destroyedBefore + 1);
    EXPECT_EQ(state.entities.size(), 1u);
    state.update(0.01f);
    EXPECT_EQ(CountingComponent::destroyed, destroyedBefore + 1);
}

TEST_F(GameStateTest, RemovingUnknownEntitiesDoesNothing) {
    Entity* kept = addCounting();
    state.update(0.01f);
    const int destroyedBefore = CountingComponent::destroyed;
    state.removeEntityById(kept->id + 12345);
    Entity stranger;  // never added: not the state's to delete
    state.removeEntity(&stranger);
    state.update(0.01f);
    EXPECT_EQ(CountingComponent::destroyed, destroyedBefore);
    EXPECT_EQ(state.entities.size(), 1u);
    state.removeEntityById(kept->id);
    state.update(0.01f);
    EXPECT_TRUE(state.entities.empty());
    EXPECT_EQ(CountingComponent::destroyed, destroyedBefore + 1);
}

TEST_F(GameStateTest, AddedAndRemovedInOneFrameIsAppendedThenDeleted) {
    const int destroyedBefore = CountingComponent::destroyed;
    Entity* brief = addCounting();
    state.removeEntity(brief);
    state.update(0.01f);
    EXPECT_TRUE(state.entities.empty());
    EXPECT_EQ(CountingComponent::destroyed, destroyedBefore + 1);
}

TEST_F(GameStateTest, RemovingAndAddingAgainKeepsTheEntity) {
    Entity* entity = addCounting();
    state.update(0.01f);
    state.removeEntity(entity);
    state.addEntity(entity);
    state.update(0.01f);
    ASSERT_EQ(state.entities.size(), 1u);
    EXPECT_EQ(state.entities[0], entity);
    EXPECT_EQ(findEntityById(entity->id), entity);
}

TEST_F(GameStateTest, AnEntityWhoseIdIsTakenGetsAFreshOne) {
    Entity* first = addCounting();
    auto* second = new Entity;
    second->id = first->id;
    state.addEntity(second);
    EXPECT_NE(second->id, first->id);
    EXPECT_EQ(findEntityById(first->id), first);
    EXPECT_EQ(findEntityById(second->id), second);
    // Adding the same entity again changes nothing.
    state.addEntity(second);
    state.update(0.01f);
    EXPECT_EQ(state.entities.size(), 2u);
}

TEST_F(GameStateTest, RemovingTheRootEntityClearsIt) {
    Entity* root = addCounting();
    state.update(0.01f);
    state.rootEntity = root;
    state.removeEntity(root);
    state.update(0.01f);
    EXPECT_EQ(state.rootEntity, nullptr);
}

TEST_F(GameStateTest, PausedStatesUpdateOnlyTheirStateComponents) {
    CountingComponent* counting = nullptr;
    addCounting(&counting);
    TestStateComponent* component = addStateComponent();
    MessageLog log(state, {26});
    state.setPaused(true);
    state.setPaused(true);
    EXPECT_EQ(log.paused, (std::vector<bool>{true, true}));
    state.update(0.01f);
    EXPECT_EQ(counting->updates, 0);
    EXPECT_EQ(component->updates, 1);
    state.setPaused(false);
    state.update(0.01f);
    EXPECT_EQ(counting->updates, 1);
    EXPECT_EQ(log.paused.back(), false);
}

TEST_F(GameStateTest, DisabledStateComponentsAreInitialisedAndUnloadedButNotRun) {
    auto* disabled = new TestStateComponent;
    disabled->disabled = true;
    addStateComponent(disabled);
    state.update(0.01f);
    state.draw(nullptr);
    EXPECT_EQ(disabled->initializations, 1);
    EXPECT_EQ(disabled->updates, 0);
    EXPECT_EQ(disabled->draws, 0);
    EXPECT_EQ(disabled->owner, &state);
    // Unloading calls unload and then destroys the component: count outside it.
    int unloads = 0;
    struct Watch : TestStateComponent {
        int* unloads;
        explicit Watch(int* u) : unloads(u) {}
        void unload() override { ++*unloads; }
    };
    auto* watched = new Watch(&unloads);
    watched->disabled = true;
    addStateComponent(watched);
    state.update(0.01f);
    state.unload();
    EXPECT_EQ(unloads, 1);
    EXPECT_TRUE(state.stateComponents.empty());
}

TEST_F(GameStateTest, StateComponentLookupsRescanAfterChanges) {
    EXPECT_EQ(state.getComponents<TestStateComponent>(), nullptr);
    auto* other = new OtherStateComponent;
    addStateComponent(other);
    EXPECT_EQ(state.getComponents<TestStateComponent>(), nullptr);  // not joined yet
    state.update(0.01f);
    // Subclasses count: OtherStateComponent is a TestStateComponent.
    EXPECT_EQ(state.getComponents<TestStateComponent>(), other);
    EXPECT_EQ(state.getComponents<OtherStateComponent>(), other);
    auto* plain = addStateComponent();
    state.update(0.01f);
    EXPECT_EQ(state.getComponents<TestStateComponent>(), other);  // the first in list order
    state.removeStateComponent(other);
    state.removeStateComponent(other);
    TestStateComponent stranger;
    state.removeStateComponent(&stranger);
    state.update(0.01f);
    EXPECT_EQ(state.getComponents<TestStateComponent>(), plain);
    EXPECT_EQ(state.getComponents<OtherStateComponent>(), nullptr);
    EXPECT_EQ(state.stateComponents.size(), 1u);
}

TEST_F(GameStateTest, AStateComponentQueuedBeforeTheDrawIsInitialisedAndDrawn) {
    state.update(0.01f);
    TestStateComponent* late = addStateComponent();
    state.draw(nullptr);
    EXPECT_EQ(late->initializations, 1);
    EXPECT_EQ(late->draws, 1);
}

TEST_F(GameStateTest, TheSceneDrawHookDrawsWhenInstalled) {
    TestStateComponent* component = addStateComponent();
    static int sceneDraws = 0;
    sceneDraws = 0;
    GameStateHooks saved = gameStateHooks();
    gameStateHooks().drawScene = [](GameState& drawn, Camera*) {
        ++sceneDraws;
        drawn.drawStateComponents();
    };
    state.draw(nullptr);
    gameStateHooks() = saved;
    EXPECT_EQ(sceneDraws, 1);
    EXPECT_EQ(component->draws, 1);
}

TEST_F(GameStateTest, AnAutosaveFromAStateComponentLeavesTheWalkIntact) {
    const std::filesystem::path folder = scratchFolder("autosave");
    const std::string path = (folder / "auto.lvl").string();
    addCounting();
    TestStateComponent* doomed = nullptr;
    TestStateComponent* after = nullptr;
    auto* saver = new TestStateComponent;
    saver->onUpdate = [&](TestStateComponent&, float) {
        if (saver->updates > 1) return;
        // Changes queued during the walk, then a save that flushes.
        state.removeStateComponent(doomed);
        state.addStateComponent(new TestStateComponent);
        EXPECT_TRUE(state.save(path));
    };
    addStateComponent(saver);
    doomed = addStateComponent();
    after = addStateComponent();
    state.update(0.01f);
    state.update(0.01f);
    ASSERT_EQ(saver->updates, 2);
    EXPECT_EQ(after->updates, 2);
    EXPECT_EQ(state.stateComponents.size(), 3u);  // saver, after and the new one
    EXPECT_NE(readTextFile(path).find("TestStateComponent"), std::string::npos);
}

TEST_F(GameStateTest, AnAutosaveFromAnEntityLeavesTheWalkIntact) {
    const std::filesystem::path folder = scratchFolder("entity-save");
    const std::string path = (folder / "auto.lvl").string();
    CountingComponent* saver = nullptr;
    addCounting(&saver);
    CountingComponent* victim = nullptr;
    Entity* victimEntity = addCounting(&victim);
    CountingComponent* last = nullptr;
    addCounting(&last);
    state.update(0.01f);
    saver->onUpdate = [&](CountingComponent&, float) {
        if (!victimEntity) return;
        state.removeEntity(victimEntity);
        victimEntity = nullptr;
        addCounting();
        EXPECT_TRUE(state.save(path));
    };
    state.update(0.01f);
    EXPECT_EQ(last->updates, 2);
    EXPECT_EQ(state.entities.size(), 3u);
}

TEST_F(GameStateTest, SavingIsFramedByItsNotices) {
    const std::filesystem::path folder = scratchFolder("notices");
    MessageLog log(state, {24, 25});
    EXPECT_TRUE(state.save((folder / "a.lvl").string()));
    EXPECT_EQ(log.types, (std::vector<int>{24, 25}));

    // No target: reported, nothing written, still framed.
    log.types.clear();
    std::string errors = capturedErrors([&] { EXPECT_FALSE(state.save("")); });
    EXPECT_NE(errors.find("not saved"), std::string::npos) << errors;
    EXPECT_EQ(log.types, (std::vector<int>{24, 25}));

    // A file that cannot be written: reported, still framed.
    log.types.clear();
    errors = capturedErrors([&] { EXPECT_FALSE(state.save((folder / "no-such-folder" / "a.lvl").string())); });
    EXPECT_NE(errors.find("Could not open file \""), std::string::npos) << errors;
    EXPECT_EQ(log.types, (std::vector<int>{24, 25}));
}

TEST_F(GameStateTest, AFailedSaveLeavesWhatWasThere) {
    const std::filesystem::path folder = scratchFolder("blocked");
    // A folder where the level should go cannot be replaced by a file.
    std::filesystem::create_directories(folder / "level.lvl");
    writeTextFile(folder / "level.lvl" / "inside.txt", "kept");
    addCounting();
    const std::string errors = capturedErrors([&] { EXPECT_FALSE(state.save((folder / "level.lvl").string())); });
    EXPECT_NE(errors.find("Could not open file \""), std::string::npos) << errors;
    EXPECT_EQ(readTextFile(folder / "level.lvl" / "inside.txt"), "kept");
    // No temporary file is left beside it.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST_F(GameStateTest, UnloadEmptiesTheSceneButKeepsArchetypesAndResources) {
    addCounting();
    addCounting();
    addStateComponent();
    state.archetypes["Kind"] = std::make_unique<Archetype>();
    state.addResource("crate", std::make_unique<TestTexture>());
    state.update(0.01f);
    state.started = true;
    const int destroyedBefore = CountingComponent::destroyed;
    state.unload();
    EXPECT_FALSE(state.started);
    EXPECT_TRUE(state.entities.empty());
    EXPECT_TRUE(state.entityIdMap.empty());
    EXPECT_TRUE(state.stateComponents.empty());
    EXPECT_EQ(CountingComponent::destroyed, destroyedBefore + 2);
    EXPECT_EQ(state.archetypes.size(), 1u);
    EXPECT_EQ(state.resources.size(), 1u);
}

TEST_F(GameStateTest, DestroyingAStateDeletesEntitiesThatHaveNotJoinedYet) {
    const int aliveBefore = CountingComponent::alive;
    {
        GameState other;
        CurrentState otherCurrent(other);
        auto* entity = new Entity;
        entity->addComponent(new CountingComponent);
        other.addEntity(entity);
        other.addStateComponent(new TestStateComponent);
    }
    EXPECT_EQ(CountingComponent::alive, aliveBefore);
}

}  // namespace
