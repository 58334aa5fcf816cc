// Property-bar layer: retained bars, struct types and items, and real interaction through the Tw*
// input calls, laid out by ImGui without a GL context.
#include "platform/TweakBarLayer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

class TweakBarLayerTest : public ::testing::Test {
protected:
    void TearDown() override {
        TwTerminate();
        TwCopyStdStringToClientFunc(nullptr);
    }

    void start() {
        ASSERT_EQ(TwInit(TW_OPENGL, nullptr), 1);
        TwWindowSize(800, 600);
        draw(2);
    }

    static void draw(int frames) {
        for (int i = 0; i < frames; ++i) TwDraw();
    }

    static bool findRow(const std::string& label, TwRowInfo& row) {
        for (const TwRowInfo& r : twLastFrameRows())
            if (r.label == label) {
                row = r;
                return true;
            }
        return false;
    }

    // A click at the middle of a row, spread over frames as a real one would be.
    static void click(const std::string& label, float atX = 0.5f) {
        TwRowInfo row{};
        ASSERT_TRUE(findRow(label, row)) << label;
        int x = int(row.x0 + (row.x1 - row.x0) * atX);
        int y = int((row.y0 + row.y1) / 2);
        TwMouseMotion(x, y);
        draw(1);
        TwMouseButton(TW_MOUSE_PRESSED, TW_MOUSE_LEFT);
        TwMouseButton(TW_MOUSE_RELEASED, TW_MOUSE_LEFT);
        draw(3);
    }

    static void typeText(const std::string& text) {
        for (char c : text) TwKeyPressed(static_cast<unsigned char>(c), 0);
    }
};

struct Sample {
    float speed = 1.5f;
    int count = 3;
    bool on = false;
    std::string label = "x";
};

TwType defineSample() {
    TwStructMember members[] = {
        {"speed", TW_TYPE_FLOAT, offsetof(Sample, speed), " step=0.0001 "},
        {"count", TW_TYPE_INT32, offsetof(Sample, count), ""},
        {"on", TW_TYPE_BOOLCPP, offsetof(Sample, on), ""},
        {"label", TW_TYPE_STDSTRING, offsetof(Sample, label), ""},
    };
    return TwDefineStruct("Sample0", members, 4, sizeof(Sample), nullptr, nullptr);
}

int pressCount = 0;
void countPress(void* data) {
    ++pressCount;
    *static_cast<int*>(data) += 1;
}

TwBar* barToDelete = nullptr;
void deleteOwnBar(void*) { TwDeleteBar(barToDelete); }

}  // namespace

TEST_F(TweakBarLayerTest, BarsKeepTheirItemsInOrderAndStaleHandlesAreRefused) {
    TwBar* first = TwNewBar("Entity 7");
    TwBar* second = TwNewBar("Add Pattern");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(first, second);
    ASSERT_EQ(twBars().size(), 2u);
    EXPECT_EQ(twBars()[0], first);
    EXPECT_EQ(twBarName(second), "Add Pattern");

    float value = 2.0f;
    int data = 0;
    EXPECT_EQ(TwAddVarRW(first, "value", TW_TYPE_FLOAT, &value, ""), 1);
    EXPECT_EQ(TwAddSeparator(first, nullptr, ""), 1);
    EXPECT_EQ(TwAddButton(first, "Add Component", countPress, &data, ""), 1);
    auto items = twBarItems(first);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].kind, TwItemInfo::Variable);
    EXPECT_EQ(items[0].address, &value);
    EXPECT_EQ(items[0].type, TW_TYPE_FLOAT);
    EXPECT_EQ(items[1].kind, TwItemInfo::Separator);
    EXPECT_EQ(items[2].kind, TwItemInfo::Button);
    EXPECT_EQ(items[2].name, "Add Component");
    EXPECT_EQ(items[2].address, &data);

    EXPECT_EQ(TwRemoveAllVars(first), 1);
    EXPECT_TRUE(twBarItems(first).empty());

    EXPECT_EQ(TwDeleteBar(first), 1);
    EXPECT_EQ(TwDeleteBar(first), 0);
    EXPECT_EQ(TwAddVarRW(first, "value", TW_TYPE_FLOAT, &value, ""), 0);
    EXPECT_EQ(TwAddButton(first, "b", countPress, &data, ""), 0);
    EXPECT_EQ(TwAddSeparator(nullptr, nullptr, ""), 0);
    // A new bar never takes over the handle of a deleted one.
    TwBar* third = TwNewBar("Entity 7");
    EXPECT_NE(third, first);
    EXPECT_EQ(twBars().size(), 2u);
}

TEST_F(TweakBarLayerTest, VariablesNeedAKnownTypeAndAnAddress) {
    TwBar* bar = TwNewBar("bar");
    float value = 0.0f;
    EXPECT_EQ(TwAddVarRW(bar, "undefined", TW_TYPE_UNDEF, &value, ""), 0);
    EXPECT_EQ(TwAddVarRW(bar, "unknown", static_cast<TwType>(0x7777), &value, ""), 0);
    EXPECT_EQ(TwAddVarRW(bar, "null", TW_TYPE_FLOAT, nullptr, ""), 0);
    EXPECT_EQ(TwAddVarRW(bar, "", TW_TYPE_FLOAT, &value, ""), 0);
    EXPECT_TRUE(twBarItems(bar).empty());
}

TEST_F(TweakBarLayerTest, StructTypesAreUniqueByNameAndNeverReuseAnId) {
    TwType sample = defineSample();
    ASSERT_NE(sample, TW_TYPE_UNDEF);
    std::string name;
    std::vector<TwMemberInfo> members;
    ASSERT_TRUE(twDescribeStruct(sample, name, members));
    EXPECT_EQ(name, "Sample0");
    ASSERT_EQ(members.size(), 4u);
    EXPECT_EQ(members[1].name, "count");
    EXPECT_EQ(members[1].offset, offsetof(Sample, count));
    EXPECT_EQ(members[0].definition, " step=0.0001 ");

    EXPECT_EQ(defineSample(), TW_TYPE_UNDEF) << "a second struct of the same name";

    TwStructMember bad[] = {{"x", static_cast<TwType>(0x7777), 0, ""}};
    EXPECT_EQ(TwDefineStruct("Bad", bad, 1, 4, nullptr, nullptr), TW_TYPE_UNDEF);
    EXPECT_EQ(TwDefineStruct("Empty", bad, 0, 4, nullptr, nullptr), TW_TYPE_UNDEF);
    EXPECT_EQ(TwDefineStruct("", bad, 1, 4, nullptr, nullptr), TW_TYPE_UNDEF);

    // Nesting: a member may be of an older struct type; the size may be the largest size_t.
    TwStructMember outer[] = {{"inner", sample, 0, ""}};
    TwType outerType = TwDefineStruct("Outer1", outer, 1, SIZE_MAX, nullptr, nullptr);
    EXPECT_NE(outerType, TW_TYPE_UNDEF);
    EXPECT_NE(outerType, sample);

    TwClearAllStructs();
    EXPECT_FALSE(twDescribeStruct(sample, name, members));
    TwType again = defineSample();
    EXPECT_NE(again, TW_TYPE_UNDEF) << "the name is free again after clearing";
    EXPECT_NE(again, sample);
    EXPECT_NE(again, outerType);
}

TEST_F(TweakBarLayerTest, AVariableKeepsItsLayoutAfterTheStructTypesAreCleared) {
    start();
    Sample sample;
    TwType type = defineSample();
    TwBar* bar = TwNewBar("Sample");
    ASSERT_EQ(TwAddVarRW(bar, "Sample", type, &sample, ""), 1);
    TwClearAllStructs();
    draw(2);
    TwRowInfo row{};
    EXPECT_TRUE(findRow("Sample", row));
    EXPECT_TRUE(findRow("Sample/count", row));
    EXPECT_TRUE(findRow("Sample/label", row));
}

TEST_F(TweakBarLayerTest, AClickOnAButtonRunsItsCallbackOnceAfterThePass) {
    start();
    TwBar* bar = TwNewBar("Buttons");
    int data = 0;
    pressCount = 0;
    TwAddButton(bar, "Add Logic", countPress, &data, "");
    draw(2);
    click("Add Logic");
    EXPECT_EQ(pressCount, 1);
    EXPECT_EQ(data, 1);
    draw(3);
    EXPECT_EQ(pressCount, 1) << "no repeat without a new click";
}

TEST_F(TweakBarLayerTest, ACallbackMayDeleteItsOwnBar) {
    start();
    TwBar* other = TwNewBar("Other");
    barToDelete = TwNewBar("Popup");  // the newer bar lies on top
    TwAddButton(barToDelete, "Cancel", deleteOwnBar, nullptr, "");
    draw(2);
    click("Cancel");
    EXPECT_EQ(twBars().size(), 1u);
    EXPECT_EQ(twBars()[0], other);
    draw(2);
}

TEST_F(TweakBarLayerTest, TheMouseOverABarIsReported) {
    start();
    TwBar* bar = TwNewBar("Hover");
    int data = 0;
    TwAddButton(bar, "Press", countPress, &data, "");
    draw(2);
    TwRowInfo row{};
    ASSERT_TRUE(findRow("Press", row));
    TwMouseMotion(int(row.x0 + 2), int(row.y0 + 2));
    draw(2);
    EXPECT_EQ(TwMouseMotion(int(row.x0 + 3), int(row.y0 + 2)), 1);
    TwMouseMotion(790, 590);
    draw(2);
    EXPECT_EQ(TwMouseMotion(791, 590), 0);
}

TEST_F(TweakBarLayerTest, TypedNumbersLandInTheStructMemberAtItsOffset) {
    start();
    Sample sample;
    TwBar* bar = TwNewBar("Sample");
    ASSERT_EQ(TwAddVarRW(bar, "Sample", defineSample(), &sample, ""), 1);
    draw(2);
    click("Sample/count", 0.2f);  // a click selects the whole number
    typeText("42");
    TwKeyPressed(13, 0);
    draw(4);
    EXPECT_EQ(sample.count, 42);
    EXPECT_FLOAT_EQ(sample.speed, 1.5f) << "the neighbour is untouched";

    click("Sample/on", 0.05f);
    EXPECT_TRUE(sample.on);
}

TEST_F(TweakBarLayerTest, AStringIsHandedToTheClientCopyWhenTheEditEnds) {
    static int copies = 0;
    copies = 0;
    TwCopyStdStringToClientFunc([](std::string& destination, const std::string& source) {
        ++copies;
        destination = source;
    });
    start();
    Sample sample;
    TwBar* bar = TwNewBar("Sample");
    ASSERT_EQ(TwAddVarRW(bar, "Sample", defineSample(), &sample, ""), 1);
    draw(2);
    click("Sample/label");
    typeText("ab");
    TwKeyPressed(8, 0);  // Backspace
    typeText("c");
    draw(6);
    EXPECT_EQ(sample.label, "x") << "nothing is written while the edit goes on";
    TwKeyPressed(13, 0);
    draw(3);
    EXPECT_EQ(sample.label, "xac");
    EXPECT_EQ(copies, 1);

    click("Sample/label");
    typeText("zz");
    TwKeyPressed(27, 0);  // Escape reverts
    draw(4);
    EXPECT_EQ(sample.label, "xac");
    EXPECT_EQ(copies, 1);
}

TEST_F(TweakBarLayerTest, AMemberMayLieBelowTheVariable) {
    // Offsets are address differences and may wrap, as for a container element stored apart.
    start();
    struct Pair {
        int below = 5;
        int variable = 0;
    } pair;
    TwStructMember members[] = {
        {"below", TW_TYPE_INT32, static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(&pair.below) -
                                                           reinterpret_cast<std::uintptr_t>(&pair.variable)),
         ""},
    };
    TwType type = TwDefineStruct("Wrapped", members, 1, SIZE_MAX, nullptr, nullptr);
    TwBar* bar = TwNewBar("Wrapped");
    ASSERT_EQ(TwAddVarRW(bar, "Wrapped", type, &pair.variable, ""), 1);
    draw(2);
    click("Wrapped/below", 0.2f);
    typeText("51");
    TwKeyPressed(13, 0);
    draw(4);
    EXPECT_EQ(pair.below, 51);
    EXPECT_EQ(pair.variable, 0);
}

TEST_F(TweakBarLayerTest, DrawingNeedsInitialisationAndAWindowSize) {
    EXPECT_EQ(TwDraw(), 0);
    ASSERT_EQ(TwInit(TW_OPENGL, nullptr), 1);
    EXPECT_EQ(TwInit(TW_OPENGL, nullptr), 0) << "a second start is refused";
    TwWindowSize(0, 0);
    EXPECT_EQ(TwDraw(), 0);
    TwWindowSize(640, 480);
    EXPECT_EQ(TwDraw(), 1);
    EXPECT_EQ(TwTerminate(), 1);
    EXPECT_EQ(TwDraw(), 0);
    EXPECT_TRUE(twBars().empty());
}
