// Entities: ids, the component list and its cache, the cached Graphics and Body, copies, and text.
#include <gtest/gtest.h>

#include <sstream>

#include "SceneTestSupport.h"
#include "core/IStreamWrapper.h"

namespace {

class EntityTest : public testing::Test {
protected:
    void SetUp() override { initializeLogicTypeIds(); }

    GameState state;
    CurrentState current{state};
};

Entity* readEntity(const std::string& text) {
    std::istringstream stream(text);
    IStreamWrapper in(stream);
    Entity* entity = nullptr;
    readValue(in, entity);
    return entity;
}

TEST_F(EntityTest, IdsSkipThoseInUseAndWrap) {
    state.nextEntityId = 41;
    Entity a;
    Entity b;
    state.entityIdMap[42] = &a;
    state.entityIdMap[43] = &b;
    EXPECT_EQ(state.allocateEntityId(), 44u);
    EXPECT_EQ(state.nextEntityId, 44u);

    state.entityIdMap.clear();
    state.nextEntityId = 4294967294u;
    state.entityIdMap[4294967295u] = &a;
    // The search stops at the wrap-around even when 0 is taken.
    state.entityIdMap[0] = &b;
    EXPECT_EQ(state.allocateEntityId(), 0u);
    state.entityIdMap.clear();
}

TEST_F(EntityTest, NewEntitiesTakeIdsFromTheCurrentState) {
    state.nextEntityId = 10;
    Entity a;
    Entity b;
    EXPECT_EQ(a.id, 11u);
    EXPECT_EQ(b.id, 12u);
    Entity copy(a);
    EXPECT_EQ(copy.id, 13u);
}

TEST_F(EntityTest, GetComponentFindsSubclassesAndIsAnsweredFromTheCache) {
    Entity entity;
    EXPECT_EQ(entity.getComponent<Logic>(), nullptr);
    // The miss is cached too, and addComponent empties the cache.
    auto* logic = new Logic("HERO");
    entity.addComponent(logic);
    EXPECT_EQ(entity.getComponent<Logic>(), logic);
    EXPECT_EQ(entity.getComponent<Component>(), logic);

    auto* second = new Logic("BUMPER");
    entity.addComponent(second);
    EXPECT_EQ(entity.getComponents<Logic>(), (std::vector<Logic*>{logic, second}));
    EXPECT_EQ(entity.getComponent<CountingComponent>(), nullptr);
}

TEST_F(EntityTest, CachedGraphicsAndBodyFollowAdditionsAndRemovals) {
    Entity entity;
    auto* first = new Graphics;
    auto* second = new Graphics;
    auto* body = new Body;
    entity.addComponent(first);
    entity.addComponent(body);
    entity.addComponent(second);
    EXPECT_EQ(entity.graphics, first);
    EXPECT_EQ(entity.body, body);

    entity.removeComponent(first);
    EXPECT_EQ(entity.graphics, first);  // nothing happens before the flush
    entity.flushRemovedComponents();
    EXPECT_EQ(entity.graphics, second);
    entity.removeComponent(body);
    entity.flushRemovedComponents();
    EXPECT_EQ(entity.body, nullptr);
    EXPECT_EQ(entity.components.size(), 1u);
}

TEST_F(EntityTest, UpdateSkipsDisabledAndCachedComponents) {
    Entity entity;
    auto* graphics = new Graphics;
    auto* body = new Body;
    auto* active = new CountingComponent;
    auto* disabled = new CountingComponent;
    disabled->disabled = true;
    for (Component* c : std::initializer_list<Component*>{graphics, body, active, disabled}) entity.addComponent(c);
    entity.update(0.1f);
    entity.update(0.1f);
    EXPECT_EQ(active->updates, 2);
    EXPECT_EQ(disabled->updates, 0);
    EXPECT_EQ(graphics->updates, 0);
    EXPECT_EQ(body->updates, 0);
    EXPECT_EQ(disabled->owner, &entity);
    EXPECT_EQ(entity.components.size(), 4u);
}

TEST_F(EntityTest, AComponentRemovingItselfIsDeletedAfterTheWalk) {
    Entity entity;
    auto* quitter = new CountingComponent;
    auto* after = new CountingComponent;
    const int destroyedBefore = CountingComponent::destroyed;
    quitter->onUpdate = [&entity, destroyedBefore](CountingComponent& self, float) {
        entity.removeComponent(&self);
        entity.removeComponent(&self);  // twice: still deleted once
        EXPECT_EQ(CountingComponent::destroyed, destroyedBefore);  // not during the walk
    };
    entity.addComponent(quitter);
    entity.addComponent(after);
    entity.update(0.016f);
    EXPECT_EQ(after->updates, 1);
    EXPECT_EQ(CountingComponent::destroyed, destroyedBefore + 1);
    ASSERT_EQ(entity.components.size(), 1u);
    EXPECT_EQ(entity.components[0].get(), after);
    // A component that is not the entity's is ignored.
    CountingComponent stranger;
    entity.removeComponent(&stranger);
    entity.flushRemovedComponents();
    EXPECT_EQ(entity.components.size(), 1u);
}

TEST_F(EntityTest, AComponentAddedDuringUpdateIsUpdatedInTheSamePass) {
    Entity entity;
    auto* spawner = new CountingComponent;
    CountingComponent* spawned = nullptr;
    spawner->onUpdate = [&](CountingComponent&, float) {
        if (!spawned) {
            spawned = new CountingComponent;
            entity.addComponent(spawned);
        }
    };
    entity.addComponent(spawner);
    entity.update(0.016f);
    ASSERT_NE(spawned, nullptr);
    EXPECT_EQ(spawned->updates, 1);
    EXPECT_EQ(spawned->initializations, 1);
    EXPECT_EQ(spawned->owner, &entity);
}

TEST_F(EntityTest, InitializeSetsOwnersAndInitialisesOnce) {
    Entity entity;
    auto* counting = new CountingComponent;
    entity.components.emplace_back(counting);
    entity.initialize();
    entity.initialize();
    EXPECT_EQ(counting->owner, &entity);
    EXPECT_EQ(counting->initializations, 1);
}

TEST_F(EntityTest, CopiesHaveNewIdsAndFreshClones) {
    Entity original;
    auto* logic = new Logic("CHECK_POINT");
    logic->disabled = true;
    original.addComponent(logic);
    original.addComponent(new CountingComponent);

    std::unique_ptr<Entity> copy(original.clone());
    EXPECT_NE(copy->id, original.id);
    ASSERT_EQ(copy->components.size(), 2u);
    auto* copiedLogic = dynamic_cast<Logic*>(copy->components[0].get());
    ASSERT_NE(copiedLogic, nullptr);
    EXPECT_NE(copiedLogic, logic);
    EXPECT_EQ(copiedLogic->logicType, 10);
    EXPECT_EQ(copiedLogic->owner, nullptr);
    EXPECT_FALSE(copiedLogic->disabled);
    EXPECT_FALSE(copiedLogic->initialised);
    EXPECT_NE(dynamic_cast<CountingComponent*>(copy->components[1].get()), nullptr);
}

TEST_F(EntityTest, CloneComponentsFromLeavesNoStaleCache) {
    Entity source;
    auto* sourceGraphics = new Graphics;
    source.addComponent(sourceGraphics);
    source.addComponent(new Body);

    Entity target;
    auto* oldGraphics = new Graphics;
    target.addComponent(oldGraphics);
    target.addComponent(new Logic("ARROW"));
    ASSERT_NE(target.getComponent<Logic>(), nullptr);
    target.removeComponent(oldGraphics);  // queued before the components are replaced

    target.cloneComponentsFrom(source);
    EXPECT_EQ(target.graphics, nullptr);
    EXPECT_EQ(target.body, nullptr);
    EXPECT_EQ(target.getComponent<Logic>(), nullptr);
    target.initialize();
    ASSERT_NE(target.graphics, nullptr);
    EXPECT_NE(target.graphics, sourceGraphics);
    EXPECT_EQ(target.graphics, target.components[0].get());
    EXPECT_EQ(target.body, target.components[1].get());
    target.flushRemovedComponents();
    EXPECT_EQ(target.components.size(), 2u);

    target.cloneComponentsFrom(target);  // from itself: nothing
    EXPECT_EQ(target.components.size(), 2u);
}

TEST_F(EntityTest, TextOfAnEntityWithOneLogic) {
    Entity entity;
    entity.id = 5;
    entity.addComponent(new Logic("HERO"));
    const std::string expected =
        "Entity 1 \n"
        "id 5 \n"
        "components \n"
        "\tLogic 1 \n"
        "\t\t0 Component \n"
        "\t\t\tdisabled 0 \n"
        "\t\t\tend \n"
        "\t\ttypeName HERO \n"
        "\t\tend \n"
        "\tend \n"
        "end ";
    EXPECT_EQ(textOf(&entity), expected);

    std::unique_ptr<Entity> back(readEntity(expected));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->id, 5u);
    ASSERT_EQ(back->components.size(), 1u);
    auto* logic = dynamic_cast<Logic*>(back->components[0].get());
    ASSERT_NE(logic, nullptr);
    EXPECT_EQ(logic->logicType, 1);
    EXPECT_EQ(textOf(back.get()), expected);
}

TEST_F(EntityTest, EmptyAndDisabledAndNullEntities) {
    Entity empty;
    empty.id = 9;
    EXPECT_EQ(textOf(&empty), "Entity 1 \nid 9 \ncomponents \n\tend \nend ");
    Entity* none = nullptr;
    EXPECT_EQ(textOf(none), "NULL ");

    Entity withDisabled;
    withDisabled.id = 3;
    auto* counting = new CountingComponent;
    counting->disabled = true;
    counting->count = 7;
    withDisabled.addComponent(counting);
    std::unique_ptr<Entity> back(readEntity(textOf(&withDisabled)));
    ASSERT_NE(back, nullptr);
    auto* readBack = back->getComponent<CountingComponent>();
    ASSERT_NE(readBack, nullptr);
    EXPECT_TRUE(readBack->disabled);
    EXPECT_EQ(readBack->count, 7);

    // "NULL" elements of the component list hold nothing.
    std::unique_ptr<Entity> withNull(readEntity("Entity 1 id 4 components NULL end end"));
    ASSERT_NE(withNull, nullptr);
    EXPECT_TRUE(withNull->components.empty());
}

TEST_F(EntityTest, VersionZeroHoldsOnlyTheComponentsAndKeepsTheAllocatedId) {
    state.nextEntityId = 100;
    std::unique_ptr<Entity> entity(readEntity("Entity 0 Logic 1 0 Component disabled 0 end typeName BUMPER end end"));
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(entity->id, 101u);
    ASSERT_EQ(entity->components.size(), 1u);
    EXPECT_EQ(static_cast<Logic*>(entity->components[0].get())->logicType, 3);
}

TEST_F(EntityTest, AnEntityReadIntoARunningLevelIsInitialisedAtOnce) {
    const std::string text = "Entity 1 id 77 components CountingComponent 3 0 Component disabled 0 end count 2 end end end";
    std::unique_ptr<Entity> loading(readEntity(text));
    ASSERT_NE(loading, nullptr);
    EXPECT_EQ(loading->getComponent<CountingComponent>()->initializations, 0);

    state.started = true;
    std::unique_ptr<Entity> running(readEntity(text));
    ASSERT_NE(running, nullptr);
    auto* counting = running->getComponent<CountingComponent>();
    EXPECT_EQ(counting->initializations, 1);
    EXPECT_EQ(counting->owner, running.get());
    state.started = false;
}

TEST_F(EntityTest, AnUnknownComponentClassIsReportedAndBuildsNothing) {
    std::unique_ptr<Entity> entity;
    const std::string errors = capturedErrors([&] {
        entity.reset(readEntity("Entity 1 id 8 components Logic 1 0 Component disabled 0 end typeName HERO end "
                                "Frobnicator 2 speed 3 end end end"));
    });
    EXPECT_NE(errors.find("Frobnicator"), std::string::npos) << errors;
    ASSERT_NE(entity, nullptr);
    // What came before the unknown class is kept.
    ASSERT_EQ(entity->components.size(), 1u);
    EXPECT_NE(dynamic_cast<Logic*>(entity->components[0].get()), nullptr);
}

TEST_F(EntityTest, FindEntityByIdAndEntityReferences) {
    Entity entity;
    state.entityIdMap[entity.id] = &entity;
    EXPECT_EQ(findEntityById(entity.id), &entity);
    EXPECT_EQ(findEntityById(entity.id + 1000), nullptr);
    state.entityIdMap.clear();

    std::istringstream stream("size 3 12 7 -1 end");
    IStreamWrapper in(stream);
    std::vector<std::uint32_t> ids{1};
    readEntityReferences(in, false, ids);
    EXPECT_EQ(ids, (std::vector<std::uint32_t>{1, 12, 7, 4294967295u}));
}

}  // namespace
