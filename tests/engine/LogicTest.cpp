// Logic components: the type table, the text of the Logic part and copies.
#include <gtest/gtest.h>

#include <sstream>

#include "SceneTestSupport.h"
#include "core/IStreamWrapper.h"

// A Logic subclass without fields of its own, written through writeLogicSection. (Outside the
// anonymous namespace: its class name is its registered name.)
class PlainLogic : public Logic {
public:
    PlainLogic() : Logic("CHECK_POINT") {}
    Component* clone() const override { return new PlainLogic(*this); }
    int getVersion() const override { return 2; }
    void read(BaseInStream& in, int) override { readLogicSection(in, *this); }
    void write(BaseOutStream& out, int) override { writeLogicSection(out, *this); }
};

namespace {

const auto& plainLogicType = registerType<PlainLogic>();

template <class T>
std::unique_ptr<T> readFrom(const std::string& text) {
    std::istringstream stream(text);
    IStreamWrapper in(stream);
    std::unique_ptr<T> object;
    readValue(in, object);
    return object;
}

TEST(LogicTypes, NamesMapToTheirNumbers) {
    initializeLogicTypeIds();
    EXPECT_EQ(logicTypeFromName("HERO"), 1);
    EXPECT_EQ(logicTypeFromName("FLIPPER"), 4);
    EXPECT_EQ(logicTypeFromName("BARRIER"), 13);
    EXPECT_EQ(logicTypeFromName("MAX_TYPE"), 0);
    EXPECT_EQ(logicTypeFromName("INVALID_TYPE"), 0);
    EXPECT_EQ(logicTypeFromName("hero"), 0);
    EXPECT_EQ(logicTypeFromName(""), 0);
    EXPECT_EQ(logicTypeIds().size(), 13u);
    // Filling again changes nothing.
    initializeLogicTypeIds();
    EXPECT_EQ(logicTypeIds().size(), 13u);
}

TEST(LogicTypes, RegisteredWithItsFlags) {
    const Type* type = findType("Logic");
    ASSERT_NE(type, nullptr);
    EXPECT_TRUE(type->isComponent());
    EXPECT_TRUE(type->isLogic());
    EXPECT_FALSE(type->isGameStateComponent());
    EXPECT_FALSE(type->isPattern());
}

TEST(LogicText, WrittenWithItsComponentPart) {
    initializeLogicTypeIds();
    std::unique_ptr<Logic> logic = std::make_unique<Logic>("CHECK_POINT");
    const std::string expected =
        "Logic 1 \n"
        "0 Component \n"
        "\tdisabled 0 \n"
        "\tend \n"
        "typeName CHECK_POINT \n"
        "end ";
    EXPECT_EQ(textOf(logic), expected);
    auto back = readFrom<Component>(expected);
    auto* read = dynamic_cast<Logic*>(back.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->typeName, "CHECK_POINT");
    EXPECT_EQ(read->logicType, 10);
}

TEST(LogicText, VersionZeroHasNoBasePart) {
    initializeLogicTypeIds();
    auto back = readFrom<Component>("Logic 0 typeName FLIPPER end");
    auto* read = dynamic_cast<Logic*>(back.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->logicType, 4);
    EXPECT_FALSE(read->disabled);
}

TEST(LogicText, UnknownNamesGiveZeroAndKeepTheName) {
    initializeLogicTypeIds();
    auto back = readFrom<Component>("Logic 1 0 Component disabled 1 end typeName Hero end");
    auto* read = dynamic_cast<Logic*>(back.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->logicType, 0);
    EXPECT_EQ(read->typeName, "Hero");
    EXPECT_TRUE(read->disabled);
}

TEST(LogicText, SectionOfASubclassWithoutFields) {
    initializeLogicTypeIds();
    std::unique_ptr<Component> logic = std::make_unique<PlainLogic>();
    const std::string expected =
        "PlainLogic 2 \n"
        "1 Logic \n"
        "\t0 Component \n"
        "\t\tdisabled 0 \n"
        "\t\tend \n"
        "\ttypeName CHECK_POINT \n"
        "\tend \n"
        "end ";
    EXPECT_EQ(textOf(logic), expected);
    auto back = readFrom<Component>(expected);
    auto* read = dynamic_cast<PlainLogic*>(back.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->logicType, 10);
    EXPECT_EQ(textOf(back), expected);
}

TEST(LogicCopies, StartUnownedEnabledAndWithoutRegistrations) {
    initializeLogicTypeIds();
    Logic original("DEREZ_ZONE");
    Entity owner;
    original.owner = &owner;
    original.disabled = true;
    original.initialised = true;
    EventHandler::registerDirectHandler<Message>(99, &original, [](Logic&, Message&) {});
    ASSERT_FALSE(original.getHandlerTable().empty());

    std::unique_ptr<Component> copy(original.clone());
    auto* logic = dynamic_cast<Logic*>(copy.get());
    ASSERT_NE(logic, nullptr);
    EXPECT_EQ(logic->logicType, 9);
    EXPECT_EQ(logic->typeName, "DEREZ_ZONE");
    EXPECT_EQ(logic->owner, nullptr);
    EXPECT_FALSE(logic->disabled);
    EXPECT_FALSE(logic->initialised);
    EXPECT_TRUE(logic->getHandlerTable().empty());
}

TEST(LogicCopies, AnEntityFindsItsLogicThroughSubclasses) {
    initializeLogicTypeIds();
    GameState state;
    CurrentState current(state);
    Entity entity;
    auto* plain = new PlainLogic;
    entity.addComponent(plain);
    Logic* found = entity.getComponent<Logic>();
    ASSERT_EQ(found, plain);
    EXPECT_EQ(found->logicType, 10);
}

}  // namespace
