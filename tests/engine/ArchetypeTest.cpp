// Archetypes: capturing inline definitions, storing and rereading their text, and the objects built
// from them through "archetype" references.
#include <gtest/gtest.h>

#include <sstream>

#include "SceneTestSupport.h"
#include "core/IStreamWrapper.h"

namespace {

class ArchetypeTest : public testing::Test {
protected:
    void SetUp() override { initializeLogicTypeIds(); }

    // Reads one archetype (header included) from text.
    std::unique_ptr<Archetype> readArchetype(const std::string& text) {
        std::istringstream stream(text);
        IStreamWrapper in(stream);
        std::unique_ptr<Archetype> archetype;
        readValue(in, archetype);
        return archetype;
    }

    void store(const std::string& name, const std::string& text) {
        auto archetype = readArchetype(text);
        ASSERT_NE(archetype, nullptr);
        state.archetypes[name] = std::move(archetype);
    }

    GameState state;
    CurrentState current{state};
};

const char* const gateEntity =
    "Entity 1\n"
    "id 7\n"
    "components\n"
    "\tLogic 1\n"
    "\t\t0 Component\n"
    "\t\t\tdisabled 0\n"
    "\t\t\tend\n"
    "\t\t// the gate's kind\n"
    "\t\ttypeName CHECK_POINT\n"
    "\t\tend\n"
    "\tend\n"
    "end\n";

TEST_F(ArchetypeTest, AnInlineDefinitionIsCapturedWithoutComments) {
    state.nextEntityId = 20;
    auto archetype = readArchetype(std::string("Archetype 0 ") + gateEntity + " after");
    ASSERT_NE(archetype, nullptr);
    EXPECT_EQ(archetype->className, "Entity");
    EXPECT_EQ(archetype->text,
              "Entity 1 id 7 components Logic 1 0 Component disabled 0 end typeName CHECK_POINT end end end ");
    EXPECT_TRUE(archetype->recordedTokens.empty());
    EXPECT_EQ(archetype->source, nullptr);
    // The throw-away entity of the capture took one id.
    EXPECT_EQ(state.nextEntityId, 21u);
}

TEST_F(ArchetypeTest, TheStoredTextIsWrittenBackUnchanged) {
    auto archetype = readArchetype(std::string("Archetype 0 ") + gateEntity);
    ASSERT_NE(archetype, nullptr);
    const std::string written = textOf(archetype);
    EXPECT_EQ(written,
              "Archetype 1 \n"
              "text \"Entity 1 id 7 components Logic 1 0 Component disabled 0 end typeName CHECK_POINT end end end \" \n"
              "end ");
    auto again = readArchetype(written);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->text, archetype->text);
    EXPECT_EQ(again->className, "Entity");
    EXPECT_EQ(textOf(again), written);
}

TEST_F(ArchetypeTest, QuotedStringsInsideADefinitionSurviveTheRoundTrip) {
    // A text field with blanks and a double quote inside the defined object.
    auto archetype = readArchetype("Archetype 0 Logic 1 0 Component disabled 0 end typeName \"two \\\"big\\\" words\" end");
    ASSERT_NE(archetype, nullptr);
    EXPECT_EQ(archetype->className, "Logic");
    auto again = readArchetype(textOf(archetype));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->text, archetype->text);

    Logic* logic = nullptr;
    instantiateArchetype(*again, logic);
    ASSERT_NE(logic, nullptr);
    EXPECT_EQ(logic->typeName, "two \"big\" words");
    delete logic;
}

TEST_F(ArchetypeTest, TheClassNameIsTheFirstTokenOfTheText) {
    auto archetype = readArchetype("Archetype 1 text \"Logic whatever follows\" end");
    ASSERT_NE(archetype, nullptr);
    EXPECT_EQ(archetype->className, "Logic");
}

TEST_F(ArchetypeTest, TwoUsesGiveTwoIndependentObjects) {
    store("Sphere", "Archetype 1 text \"Entity 1 components Logic 1 0 Component disabled 0 end typeName "
                    "SCORE_SPHERE end end end\" end");
    state.nextEntityId = 50;
    Entity* first = nullptr;
    Entity* second = nullptr;
    instantiateArchetype(*state.archetypes["Sphere"], first);
    instantiateArchetype(*state.archetypes["Sphere"], second);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    // No "id" in the text: fresh ids.
    EXPECT_NE(first->id, second->id);
    ASSERT_EQ(first->components.size(), 1u);
    ASSERT_EQ(second->components.size(), 1u);
    EXPECT_NE(first->components[0].get(), second->components[0].get());
    static_cast<Logic*>(first->components[0].get())->typeName = "changed";
    EXPECT_EQ(static_cast<Logic*>(second->components[0].get())->typeName, "SCORE_SPHERE");
    delete first;
    delete second;
}

TEST_F(ArchetypeTest, ReferencesInPointerFields) {
    store("Gate", std::string("Archetype 0 ") + gateEntity);
    store("Kind", "Archetype 1 text \"Logic 1 0 Component disabled 0 end typeName BUMPER end\" end");

    std::istringstream stream("archetype Gate archetype Kind NULL archetype Kind");
    IStreamWrapper in(stream);
    Entity* entity = nullptr;
    readValue(in, entity);
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(entity->id, 7u);  // the id written in the text
    ASSERT_EQ(entity->components.size(), 1u);

    std::unique_ptr<Component> owned;
    readValue(in, owned);
    ASSERT_NE(dynamic_cast<Logic*>(owned.get()), nullptr);
    EXPECT_EQ(static_cast<Logic*>(owned.get())->logicType, 3);

    // "NULL" frees what an owning pointer held; a plain pointer is only cleared.
    const int destroyedBefore = CountingComponent::destroyed;
    std::unique_ptr<Component> counting = std::make_unique<CountingComponent>();
    std::istringstream nulls("NULL NULL");
    IStreamWrapper nullIn(nulls);
    readValue(nullIn, counting);
    EXPECT_EQ(counting, nullptr);
    EXPECT_EQ(CountingComponent::destroyed, destroyedBefore + 1);
    Entity* plain = entity;
    readValue(nullIn, plain);
    EXPECT_EQ(plain, nullptr);
    EXPECT_EQ(entity->components.size(), 1u);  // still alive
    delete entity;
}

TEST_F(ArchetypeTest, AnUnknownArchetypeNameIsReportedAndLeavesThePointer) {
    std::istringstream stream("archetype Nowhere 5");
    IStreamWrapper in(stream);
    Entity* entity = nullptr;
    const std::string errors = capturedErrors([&] { readValue(in, entity); });
    EXPECT_EQ(entity, nullptr);
    EXPECT_NE(errors.find("Nowhere"), std::string::npos) << errors;
    int next = 0;
    readValue(in, next);
    EXPECT_EQ(next, 5);  // the reader goes on after the name
}

TEST_F(ArchetypeTest, AnArchetypeOfAnUnregisteredClassIsReported) {
    std::unique_ptr<Archetype> archetype;
    const std::string errors = capturedErrors([&] { archetype = readArchetype("Archetype 0 Whatsit 1 end"); });
    EXPECT_NE(errors.find("Whatsit"), std::string::npos) << errors;

    store("Broken", "Archetype 1 text \"Whatsit 1 end\" end");
    Entity* entity = nullptr;
    const std::string useErrors =
        capturedErrors([&] { instantiateArchetype(*state.archetypes["Broken"], entity); });
    EXPECT_EQ(entity, nullptr);
    EXPECT_NE(useErrors.find("Whatsit"), std::string::npos) << useErrors;
}

TEST_F(ArchetypeTest, CreateObjectFromTextReplacesTheOwnedObject) {
    store("Kind", "Archetype 1 text \"Logic 1 0 Component disabled 0 end typeName HERO end\" end");
    const int destroyedBefore = CountingComponent::destroyed;
    std::unique_ptr<Component> owned = std::make_unique<CountingComponent>();
    createObjectFromText(*state.archetypes["Kind"], owned);
    EXPECT_EQ(CountingComponent::destroyed, destroyedBefore + 1);
    ASSERT_NE(dynamic_cast<Logic*>(owned.get()), nullptr);
    EXPECT_EQ(static_cast<Logic*>(owned.get())->logicType, 1);
}

}  // namespace
