// The property bars in the running editor: the right click of each mode frees the cursor and opens
// its bars once; bars stay on live memory while undo, the wheel and saving replace what they show.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "editor/ColorMode.h"
#include "editor/EditorSceneSupport.h"
#include "editor/ModifyMode.h"
#include "editor/PlaceMode.h"
#include "editor/TweakBar.h"
#include "physics/Sphere.h"
#include "platform/TweakBarLayer.h"

namespace {

class PropertyBarModes : public EditorScene {
protected:
    void SetUp() override {
        EditorScene::SetUp();
        TwInit(TW_OPENGL, nullptr);
        TwWindowSize(800, 600);
    }
    void TearDown() override {
        EditorScene::TearDown();
        TwTerminate();
    }

    static std::vector<std::string> barNames() {
        std::vector<std::string> names;
        for (TwBar* bar : twBars()) names.push_back(twBarName(bar));
        return names;
    }
    // Where a member of a bar's variable lives.
    static void* member(TweakBarBase& bar, const std::vector<std::string>& path) {
        std::vector<TwItemInfo> items = twBarItems(bar.bar);
        if (items.empty() || items.front().kind != TwItemInfo::Variable) return nullptr;
        auto address = reinterpret_cast<std::uintptr_t>(items.front().address);
        TwType type = items.front().type;
        for (const std::string& step : path) {
            std::string name;
            std::vector<TwMemberInfo> members;
            twDescribeStruct(type, name, members);
            auto found = std::find_if(members.begin(), members.end(), [&](const TwMemberInfo& m) { return m.name == step; });
            if (found == members.end()) return nullptr;
            address += found->offset;
            type = found->type;
        }
        return reinterpret_cast<void*>(address);
    }
};

TEST_F(PropertyBarModes, RightClicksOpenEachModesBarsOnceAndEditsAreSaved) {
    enterEditing();
    ASSERT_NE(nullptr, mode<PlaceMode>());
    ASSERT_TRUE(mouseCaptured);
    click(MouseButton::right);
    EXPECT_FALSE(mouseCaptured);
    EXPECT_EQ(barNames(), (std::vector<std::string>{"GameStateComponents", "Configuration"}));
    click(MouseButton::right);
    EXPECT_TRUE(mouseCaptured);
    EXPECT_EQ(barNames().size(), 2u) << "the bars are made once";
    PlaceMode* place = mode<PlaceMode>();
    EXPECT_EQ(place->componentsBar->object, &editor->stateComponents);
    EXPECT_EQ(place->configurationBar->object, &configuration);

    // Picking entity 2 closes Place mode with its bars; the entity's bar is named after its id.
    place->getCursorEntity()->body->position = Vector4(10, 0, 0, 1);
    key(EditorKey::space);
    frame();
    ModifyMode* modify = mode<ModifyMode>();
    ASSERT_NE(nullptr, modify);
    EXPECT_TRUE(barNames().empty());
    click(MouseButton::right);
    EXPECT_EQ(barNames(), std::vector<std::string>{"Entity 2"});
    auto* x = static_cast<float*>(member(*modify->tweakBar, {"components", "0: Body", "position", "x"}));
    ASSERT_EQ(static_cast<void*>(x), static_cast<void*>(&entity(2)->body->position));
    *x = 17.25f;
    click(MouseButton::right);
    key('P');
    std::stringstream saved;
    saved << std::ifstream(editor->levelFileName).rdbuf();
    EXPECT_NE(saved.str().find("position 17.25 "), std::string::npos);
}

TEST_F(PropertyBarModes, BarsStayOnLiveMemoryWhenUndoTheWheelOrASaveReplaceTheirObjects) {
    enterEditing();
    auto pick = [this](Vector4 where) {
        mode<PlaceMode>()->getCursorEntity()->body->position = where;
        key(EditorKey::space);
        frame();
        return mode<ModifyMode>();
    };
    // A visit leaves a record of entity 2; the next visit's bar is open when undo recreates it.
    ASSERT_NE(nullptr, pick(Vector4(10, 0, 0, 1)));
    key(EditorKey::space);
    frame();
    ModifyMode* modify = pick(Vector4(10, 0, 0, 1));
    ASSERT_NE(nullptr, modify);
    click(MouseButton::right);
    click(MouseButton::right);
    Entity* before = entity(2);
    testing::internal::CaptureStdout();
    key('U');
    testing::internal::GetCapturedStdout();
    TwDraw();  // lays every member out, reading the values it binds
    Entity* after = entity(2);
    ASSERT_NE(nullptr, after);
    EXPECT_EQ(modify->tweakBar->object, after);
    EXPECT_EQ(member(*modify->tweakBar, {"components", "0: Body", "position"}), &after->body->position);
    (void)before;

    // Colour mode: the wheel and a save each put a new preview in place of the one the bar shows.
    key('2');
    frame();
    ColorMode* colour = mode<ColorMode>();
    ASSERT_NE(nullptr, colour);
    click(MouseButton::right);
    EXPECT_EQ(barNames(), std::vector<std::string>{"Material"});
    EXPECT_EQ(colour->tweakBar->object, colour->previewGraphics());
    click(MouseButton::right);
    wheel(1.0f);
    TwDraw();
    frame();
    TwDraw();
    EXPECT_EQ(colour->tweakBar->object, colour->previewGraphics());
    EXPECT_EQ(member(*colour->tweakBar, {"diffuseColor"}), &colour->previewGraphics()->diffuseColor);
    key('P');
    TwDraw();
    frame();
    TwDraw();
    EXPECT_EQ(colour->tweakBar->object, colour->previewGraphics());
    EXPECT_EQ(member(*colour->tweakBar, {"diffuseColor"}), &colour->previewGraphics()->diffuseColor);
}

}  // namespace
