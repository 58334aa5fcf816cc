// Property bars over a running level's objects: the members the serializers make (names, types,
// offsets), edits landing in the objects and in the saved level, the buttons and their popups, and
// bars whose objects are replaced or freed under them.
#include "editor/TweakBar.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Configuration.h"
#include "core/OStreamWrapper.h"
#include "core/SerializeType.h"
#include "editor/EditorTestSupport.h"
#include "editor/TweakBarSerializer.h"
#include "effects/ParticleEmitter.h"
#include "effects/PatternDispenser.h"
#include "effects/WavePattern.h"
#include "engine/GameState.h"
#include "engine/Logic.h"
#include "engine/MainLoop.h"
#include "graphics/Graphics.h"
#include "engine/ClickMessage.h"
#include "engine/MouseMoveMessage.h"
#include "physics/Body.h"
#include "physics/Physics.h"
#include "physics/Sphere.h"
#include "platform/TweakBarWrapper.h"

namespace {

// What a bar's variable binds at one member path: its address and type.
struct Bound {
    bool found = false;
    void* address = nullptr;
    TwType type = TW_TYPE_UNDEF;
    std::string definition;
};

std::vector<TwMemberInfo> membersOf(TwType type) {
    std::string name;
    std::vector<TwMemberInfo> members;
    twDescribeStruct(type, name, members);
    return members;
}

std::vector<std::string> memberNames(TwType type) {
    std::vector<std::string> names;
    for (const TwMemberInfo& m : membersOf(type)) names.push_back(m.name);
    return names;
}

Bound follow(void* address, TwType type, const std::vector<std::string>& path) {
    Bound result{true, address, type, ""};
    for (const std::string& step : path) {
        bool found = false;
        for (const TwMemberInfo& m : membersOf(result.type))
            if (m.name == step) {
                result.address = reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(result.address) + m.offset);
                result.type = m.type;
                result.definition = m.definition;
                found = true;
                break;
            }
        if (!found) return Bound{};
    }
    return result;
}

std::vector<TwItemInfo> itemsOf(TweakBarBase& bar) { return twBarItems(bar.bar); }

std::vector<std::string> labels(TweakBarBase& bar) {
    std::vector<std::string> result;
    for (const TwItemInfo& item : itemsOf(bar))
        result.push_back(item.kind == TwItemInfo::Separator ? std::string("---") : item.name);
    return result;
}

// Presses a button as the layer does after a pass: its callback with its client data.
bool press(TweakBarBase& bar, const std::string& label) {
    for (const TwItemInfo& item : itemsOf(bar))
        if (item.kind == TwItemInfo::Button && item.name == label) {
            item.callback(item.address);
            return true;
        }
    return false;
}

Bound variable(TweakBarBase& bar, const std::vector<std::string>& path) {
    for (const TwItemInfo& item : itemsOf(bar))
        if (item.kind == TwItemInfo::Variable) return follow(item.address, item.type, path);
    return Bound{};
}

class TweakBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedTime = currentTime;
        currentGameState = &state;
        hero = addEntity(1.0f);
    }
    void TearDown() override {
        currentGameState = nullptr;
        currentTime = savedTime;
    }

    Entity* addEntity(float radius) {
        auto* entity = new Entity;
        auto* body = new Body;
        body->setShape(new Sphere(radius));
        entity->addComponent(body);
        entity->addComponent(new Graphics);
        state.addEntity(entity);
        state.flushAddedEntities();
        return entity;
    }

    // Lets the game clock run and delivers what falls due.
    void advance(double seconds) {
        currentTime += seconds;
        updateMessageQueues();
    }

    GameState state;
    Entity* hero = nullptr;
    double savedTime = 0.0;
};

TEST_F(TweakBarTest, AnEntityBarBindsEveryFieldToTheObjectAndItsEditsAreSaved) {
    Body* body = hero->body;
    TweakBar<Entity> bar("Entity " + std::to_string(hero->id), hero);

    EXPECT_EQ(labels(bar), (std::vector<std::string>{"Entity " + std::to_string(hero->id), "---", "Add Component",
                                                     "Delete Component", "Add Pattern", "Add Logic", "Delete Logic"}));
    const TwItemInfo variableItem = itemsOf(bar).front();
    EXPECT_EQ(variableItem.address, hero);
    // The id is hidden; the components are listed by position and class.
    EXPECT_EQ(memberNames(variableItem.type), std::vector<std::string>{"components"});
    Bound components = variable(bar, {"components"});
    ASSERT_TRUE(components.found);
    EXPECT_EQ(components.address, &hero->components);
    EXPECT_EQ(memberNames(components.type), (std::vector<std::string>{"0: Body", "1: Graphics"}));

    // Every field sits on the object's own memory; floats step finely; the base part's "disabled" is a
    // member, its number and base-class name are not.
    struct Expected {
        std::vector<std::string> path;
        void* address;
        TwType type;
    } expected[] = {
        {{"0: Body", "position"}, &body->position, getVector4Type()},
        {{"0: Body", "rotation"}, &body->rotation, TW_TYPE_QUAT4F},
        {{"0: Body", "mass"}, &body->mass, TW_TYPE_FLOAT},
        {{"0: Body", "resolve"}, &body->resolve, TW_TYPE_BOOLCPP},
        {{"0: Body", "disabled"}, &body->disabled, TW_TYPE_BOOLCPP},
        {{"1: Graphics", "textureName"}, &hero->graphics->textureName, TW_TYPE_STDSTRING},
    };
    for (const Expected& e : expected) {
        std::vector<std::string> path{"components"};
        path.insert(path.end(), e.path.begin(), e.path.end());
        Bound b = variable(bar, path);
        EXPECT_EQ(b.address, e.address) << e.path.back();
        EXPECT_EQ(b.type, e.type) << e.path.back();
        EXPECT_EQ(b.definition, e.type == TW_TYPE_FLOAT ? " step=0.0001 " : "") << e.path.back();
    }
    EXPECT_EQ(memberNames(getVector4Type()), (std::vector<std::string>{"x", "y", "z", "w"}));
    EXPECT_EQ(memberNames(variable(bar, {"components", "0: Body"}).type).front(), "disabled");

    // The owned shape is its own struct at its own address.
    Bound radius = variable(bar, {"components", "0: Body", "shape", "radius"});
    ASSERT_TRUE(radius.found);
    EXPECT_EQ(radius.address, &static_cast<Sphere*>(body->shape)->radius);
    *static_cast<float*>(radius.address) = 2.75f;
    *static_cast<float*>(variable(bar, {"components", "0: Body", "position"}).address) = 12.5f;
    EXPECT_FLOAT_EQ(static_cast<Sphere*>(body->shape)->radius, 2.75f);

    const std::string file = writeTestFile("saved.lvl", "");
    state.resourcesOnly = false;
    ASSERT_TRUE(state.save(file));
    std::stringstream saved;
    saved << std::ifstream(file).rdbuf();
    EXPECT_NE(saved.str().find("radius 2.75"), std::string::npos) << saved.str();
    EXPECT_NE(saved.str().find("position 12.5 "), std::string::npos);
}

TEST_F(TweakBarTest, GraphicsSettingsAndStateComponentBarsShowTheirOwnShapes) {
    Graphics* graphics = hero->graphics;
    graphics->patterns.push_back(new WavePattern);
    {
        TweakBar<Graphics> material("Material", graphics);
        EXPECT_EQ(labels(material), (std::vector<std::string>{"Material", "---", "Add Pattern", "Delete Pattern"}));
        Bound diffuse = variable(material, {"diffuseColor"});
        EXPECT_EQ(diffuse.address, &graphics->diffuseColor);
        Bound patterns = variable(material, {"patterns"});
        EXPECT_EQ(patterns.address, &graphics->patterns);
        EXPECT_EQ(memberNames(patterns.type), std::vector<std::string>{"0: WavePattern"});
        Bound wave = variable(material, {"patterns", "0: WavePattern"});
        EXPECT_EQ(wave.address, graphics->patterns[0]);
    }

    Configuration settings;
    settings.bools["fullscreen"] = true;
    settings.floats["gravity"] = 9.5f;
    settings.ints["numAutoSaveFiles"] = 4;
    settings.strings["autoSaveFileName"] = "";
    TweakBar<Configuration> settingsBar("Settings", &settings);
    EXPECT_EQ(labels(settingsBar), std::vector<std::string>{"Settings"}) << "no separator, no buttons";
    EXPECT_EQ(memberNames(itemsOf(settingsBar).front().type),
              (std::vector<std::string>{"bools", "ints", "floats", "strings"}));
    Bound key = variable(settingsBar, {"floats", "key 0: gravity"});
    Bound value = variable(settingsBar, {"floats", "value 0: 9.5"});
    ASSERT_TRUE(key.found && value.found);
    EXPECT_EQ(key.address, &settings.floats.begin()->first);
    EXPECT_NE(key.definition.find("readonly"), std::string::npos) << "keys order the map";
    EXPECT_EQ(value.address, &settings.floats.begin()->second);
    EXPECT_EQ(value.definition, " step=0.0001 ");
    EXPECT_EQ(variable(settingsBar, {"bools", "value 0: 1"}).type, TW_TYPE_BOOLCPP);
    // An empty string still pairs with its key.
    EXPECT_TRUE(variable(settingsBar, {"strings", "value 0:  "}).found);
    settings.ints.clear();
    TweakBar<Configuration> fewerSettings("Fewer settings", &settings);
    EXPECT_EQ(memberNames(itemsOf(fewerSettings).front().type), (std::vector<std::string>{"bools", "floats", "strings"}))
        << "an empty map shows nothing";

    state.addStateComponent(new Physics);
    state.flushAddedComponents();
    TweakBar<CloningContainer<GameStateComponent>> components("Components", &state.stateComponents);
    EXPECT_EQ(labels(components), (std::vector<std::string>{"Components", "---", "Add GameStateComponent",
                                                            "Delete GameStateComponent"}));
    EXPECT_EQ(memberNames(itemsOf(components).front().type), std::vector<std::string>{"0: Container"});
    Bound physics = variable(components, {"0: Container", "0: Physics"});
    ASSERT_TRUE(physics.found);
    EXPECT_EQ(physics.address, state.stateComponents.front().get());
}

// A class with a field of every width the writers know, and values written from temporaries.
struct Widths {
    long big = 1L << 40;
    unsigned long bigUnsigned = 7;
    long long huge = 5;
    short small = 3;
    char letter = 'q';
    std::vector<std::vector<float>> nested{{1.5f, 2.5f}};
    std::vector<Pattern*> maybe{nullptr};
    int getVersion() const { return 0; }
    void read(BaseInStream&, int) {}
    void write(BaseOutStream& out, int) {
        writeField(out, "big", big);
        writeField(out, "bigUnsigned", bigUnsigned);
        writeField(out, "huge", huge);
        writeField(out, "small", small);
        writeField(out, "letter", letter);
        writeField(out, "nested", nested);
        writeField(out, "maybe", maybe);
        writeField(out, "computed", int(small) * 2);  // lives on the stack, never in the object
        writeEnd(out);
    }
};

TEST_F(TweakBarTest, MembersAreWholeValuesTheObjectHolds) {
    Widths widths;
    TweakBarClassSerializer root(&widths, "Widths", sizeof widths);
    writeObject(root.objectStream(&widths, "Widths"), widths);
    TwType type = root.getTwType();
    EXPECT_EQ(memberNames(type), (std::vector<std::string>{"big", "bigUnsigned", "small", "letter", "nested"}));
    Bound big = follow(&widths, type, {"big"});
    EXPECT_EQ(big.type, TW_TYPE_INT64);
    EXPECT_EQ(big.address, &widths.big);
    EXPECT_EQ(follow(&widths, type, {"bigUnsigned"}).type, TW_TYPE_UINT64);
    EXPECT_EQ(follow(&widths, type, {"small"}).type, TW_TYPE_INT16);
    EXPECT_EQ(follow(&widths, type, {"letter"}).type, TW_TYPE_CHAR);
    // A nested container's "size" line and count are the writer's own, not members.
    Bound inner = follow(&widths, type, {"nested", "0: Container"});
    ASSERT_TRUE(inner.found) << ::testing::PrintToString(memberNames(follow(&widths, type, {"nested"}).type));
    EXPECT_EQ(inner.address, &widths.nested[0]);
    EXPECT_EQ(memberNames(inner.type), (std::vector<std::string>{"0: 1.5", "1: 2.5"}));
    EXPECT_EQ(follow(&widths, type, {"nested", "0: Container", "1: 2.5"}).address, &widths.nested[0][1]);
}

TEST_F(TweakBarTest, ButtonsAddAndDeletePartsThroughPopupsAndTheBarRefillsLater) {
    TweakBar<Entity> bar("Entity", hero);

    ASSERT_TRUE(press(bar, "Add Component"));
    ASSERT_EQ(bar.popups.size(), 1u);
    TweakBar<Entity>& addPopup = *bar.popups.front();
    EXPECT_EQ(twBarName(addPopup.bar), "Add Component");
    std::vector<std::string> classes = labels(addPopup);
    ASSERT_GE(classes.size(), 4u);
    EXPECT_EQ(classes[classes.size() - 2], "---");
    EXPECT_EQ(classes.back(), "Cancel");
    classes.resize(classes.size() - 2);
    EXPECT_TRUE(std::is_sorted(classes.begin(), classes.end()));
    EXPECT_NE(std::find(classes.begin(), classes.end(), "PatternDispenser"), classes.end());
    for (const std::string& name : classes) EXPECT_TRUE(findType(name)->isComponent()) << name;

    // A second popup, then Cancel on the first: only that one closes.
    ASSERT_TRUE(press(bar, "Add Logic"));
    ASSERT_EQ(bar.popups.size(), 2u);
    ASSERT_TRUE(press(addPopup, "Cancel"));
    ASSERT_EQ(bar.popups.size(), 1u);
    EXPECT_EQ(twBarName(bar.popups.front()->bar), "Add Logic");
    ASSERT_TRUE(press(bar, "Add Component"));

    // A dispenser closes every popup, empties the bar and asks for its pattern at once.
    ASSERT_TRUE(press(*bar.popups.back(), "PatternDispenser"));
    auto* dispenser = hero->getComponent<PatternDispenser>();
    ASSERT_NE(dispenser, nullptr);
    EXPECT_TRUE(itemsOf(bar).empty());
    ASSERT_EQ(bar.popups.size(), 1u);
    EXPECT_EQ(twBarName(bar.popups.front()->bar), "Add Pattern");
    ASSERT_TRUE(press(*bar.popups.front(), "WavePattern"));
    ASSERT_NE(dispenser->pattern, nullptr);
    EXPECT_EQ(dynamicTypeName(*dispenser->pattern), "WavePattern");
    EXPECT_TRUE(hero->graphics->patterns.empty());
    EXPECT_TRUE(bar.popups.empty());

    advance(0.1);
    EXPECT_TRUE(itemsOf(bar).empty()) << "the refill waits 0.2 s";
    advance(0.15);
    EXPECT_EQ(memberNames(variable(bar, {"components"}).type),
              (std::vector<std::string>{"0: Body", "1: Graphics", "2: PatternDispenser"}));

    // The next pattern goes to the Graphics; a second Graphics shows as "Graphics 2" for deletion.
    ASSERT_TRUE(press(bar, "Add Pattern"));
    ASSERT_TRUE(press(*bar.popups.front(), "WavePattern"));
    ASSERT_EQ(hero->graphics->patterns.size(), 1u);
    advance(0.25);
    EXPECT_NE(std::find(labels(bar).begin(), labels(bar).end(), "Delete Pattern"), labels(bar).end());
    hero->addComponent(new Graphics);
    ASSERT_TRUE(press(bar, "Delete Component"));
    EXPECT_EQ(labels(*bar.popups.front()),
              (std::vector<std::string>{"Body", "Graphics", "PatternDispenser", "Graphics 2", "---", "Cancel"}));
    Component* second = hero->components[3].get();
    hero->flushRemovedComponents();
    ASSERT_TRUE(press(*bar.popups.front(), "Graphics 2"));
    ASSERT_EQ(hero->pendingRemovals.size(), 1u) << dynamicTypeName(*hero->pendingRemovals.front());
    EXPECT_EQ(hero->pendingRemovals.front(), second);
    hero->flushRemovedComponents();

    // One logic at most through "Add Logic"; "Delete Logic" takes it away again.
    advance(0.25);
    ASSERT_TRUE(press(bar, "Add Logic"));
    std::vector<std::string> logics = labels(*bar.popups.front());
    ASSERT_GE(logics.size(), 3u);
    ASSERT_TRUE(press(*bar.popups.front(), logics.front()));
    ASSERT_NE(hero->getComponent<Logic>(), nullptr);
    advance(0.25);
    ASSERT_TRUE(press(bar, "Add Logic"));
    ASSERT_TRUE(press(*bar.popups.front(), logics.front()));
    EXPECT_EQ(hero->getComponents<Logic>().size(), 1u);
    advance(0.25);
    ASSERT_TRUE(press(bar, "Delete Logic"));
    hero->flushRemovedComponents();
    EXPECT_EQ(hero->getComponent<Logic>(), nullptr);
    advance(0.25);
    ASSERT_TRUE(press(bar, "Delete Logic"));
    EXPECT_FALSE(itemsOf(bar).empty()) << "nothing to delete: no rebuild";

    // An emitter brings the reset button, last; the reset empties its pool and leaves the bar be.
    auto* emitter = new ParticleEmitter;
    hero->addComponent(emitter);
    emitter->particles.resize(3);
    emitter->unusedIDs = {0, 1};
    validateTweakBars();  // before the next draw the bar sees the new component and refills
    EXPECT_EQ(labels(bar).back(), "Reset ParticleEmitter");
    const std::size_t items = itemsOf(bar).size();
    ASSERT_TRUE(press(bar, "Reset ParticleEmitter"));
    EXPECT_TRUE(emitter->particles.empty());
    EXPECT_TRUE(emitter->unusedIDs.empty());
    EXPECT_EQ(itemsOf(bar).size(), items);
}

TEST_F(TweakBarTest, StateComponentButtonsQueueAdditionsAndRemovalsOnTheOwningState) {
    TweakBar<CloningContainer<GameStateComponent>> bar("Components", &state.stateComponents);
    EXPECT_EQ(labels(bar), (std::vector<std::string>{"---", "Add GameStateComponent"})) << "nothing to show";
    ASSERT_TRUE(press(bar, "Add GameStateComponent"));
    std::vector<std::string> classes = labels(*bar.popups.front());
    ASSERT_NE(std::find(classes.begin(), classes.end(), "Physics"), classes.end());
    ASSERT_TRUE(press(*bar.popups.front(), "Physics"));
    ASSERT_EQ(state.pendingAddedComponents.size(), 1u);
    state.flushAddedComponents();
    advance(0.25);
    ASSERT_TRUE(press(bar, "Delete GameStateComponent"));
    EXPECT_EQ(labels(*bar.popups.front()), (std::vector<std::string>{"Physics", "---", "Cancel"}));
    ASSERT_TRUE(press(*bar.popups.front(), "Physics"));
    EXPECT_EQ(state.pendingRemovedComponents.size(), 1u);
}

TEST_F(TweakBarTest, BarsFollowReplacedObjectsAndDropFreedOnes) {
    TwInit(TW_OPENGL, nullptr);
    TwWindowSize(800, 600);
    Entity* other = addEntity(4.0f);
    const std::uint32_t id = other->id;
    TweakBar<Entity> bar("Entity", other);
    TweakBar<Graphics> material("Material", other->graphics);
    TweakBar<Entity> heroBar("Hero", hero);
    TwType heroType = itemsOf(heroBar).front().type;

    // Undo puts a new entity with the same id in place of the old one.
    state.removeEntity(other);
    state.flushRemovedEntities();
    auto* replacement = new Entity;
    replacement->id = id;
    auto* body = new Body;
    body->setShape(new Sphere(6.0f));
    replacement->addComponent(body);
    replacement->addComponent(new Graphics);
    state.addEntity(replacement);
    state.flushAddedEntities();
    TwDraw();  // laid out without a GL context: every bound value is read
    EXPECT_EQ(bar.object, replacement);
    EXPECT_EQ(material.object, replacement->graphics);
    EXPECT_EQ(variable(bar, {"components", "0: Body", "shape", "radius"}).address,
              &static_cast<Sphere*>(body->shape)->radius);

    // The material swapped for another Graphics on the same entity.
    replacement->removeComponent(replacement->graphics);
    replacement->flushRemovedComponents();
    replacement->addComponent(new Graphics);
    TwDraw();
    EXPECT_EQ(material.object, replacement->graphics);
    EXPECT_EQ(variable(material, {"diffuseColor"}).address, &replacement->graphics->diffuseColor);

    // Gone altogether: the bars empty, and fill again when it comes back.
    state.removeEntity(replacement);
    state.flushRemovedEntities();
    TwDraw();
    EXPECT_TRUE(itemsOf(bar).empty());
    EXPECT_TRUE(itemsOf(material).empty());
    // The other bars' struct types were left alone by all of this.
    EXPECT_FALSE(membersOf(heroType).empty());

    TwTerminate();
}

TEST_F(TweakBarTest, ClicksReachTheBarsOnlyWhileTheMouseIsFree) {
    TwInit(TW_OPENGL, nullptr);
    TwWindowSize(800, 600);
    auto* handler = new TweakBarWrapper::TweakBarWrapperEventHandler;
    TweakBar<Entity> bar("Entity", hero);
    TwDraw();
    TwRowInfo row{};
    for (const TwRowInfo& r : twLastFrameRows())
        if (r.label == "Add Component") row = r;
    ASSERT_GT(row.x1, row.x0);
    auto click = [&](bool captured) {
        mouseCaptured = captured;
        sendMessage(new MouseMoveMessage(0, 0, int((row.x0 + row.x1) / 2), int((row.y0 + row.y1) / 2)), true);
        TwDraw();
        sendMessage(new ClickMessage(10, -1), true);
        TwDraw();
        sendMessage(new ClickMessage(11, -1), true);
        TwDraw();
        TwDraw();
        mouseCaptured = false;
    };
    click(true);
    EXPECT_TRUE(bar.popups.empty());
    click(false);
    EXPECT_EQ(bar.popups.size(), 1u);
    bar.popups.clear();

    // Cancel, clicked in a popup, closes the popup from inside its own callback.
    auto rowOf = [](const std::string& label) {
        TwRowInfo found{};
        for (const TwRowInfo& r : twLastFrameRows())
            if (r.label == label) found = r;
        return found;
    };
    TwDraw();
    row = rowOf("Delete Component");
    click(false);
    ASSERT_EQ(bar.popups.size(), 1u);
    row = rowOf("Cancel");
    ASSERT_GT(row.x1, row.x0);
    const int barsBefore = liveTweakBars;
    click(false);
    EXPECT_TRUE(bar.popups.empty());
    EXPECT_EQ(liveTweakBars, barsBefore - 1);
    delete handler;
    TwTerminate();
}

}  // namespace
