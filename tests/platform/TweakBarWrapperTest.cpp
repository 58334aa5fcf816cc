// The property-bar frame: start-up, mouse and window messages forwarded to the bars only while
// editing, the wheel's running position, the shared "Vector4" type and shut-down.
#include <gtest/gtest.h>

#include "engine/ClickMessage.h"
#include "engine/EventHandler.h"
#include "engine/MainLoop.h"
#include "engine/MouseMoveMessage.h"
#include "engine/MouseWheelMessage.h"
#include "platform/TweakBarWrapper.h"

namespace {

void deliver(Message* message) { sendMessage(message, true); }

int presses = 0;
void press(void*) { ++presses; }

class TweakBarWrapperTest : public ::testing::Test {
protected:
    void SetUp() override {
        viewportWidth = 800;
        viewportHeight = 600;
        TweakBarWrapper::initialize();
        ASSERT_NE(tweakBarEventHandler, nullptr);
    }
    void TearDown() override {
        if (tweakBarEventHandler) deliver(new Message(31));
        TwTerminate();
    }

    // A bar with one button, laid out, and the button's centre.
    static void buttonBar(int& x, int& y) {
        TwBar* bar = TwNewBar("Bar");
        TwAddButton(bar, "Press", press, nullptr, "");
        TwDraw();
        TwDraw();
        for (const TwRowInfo& row : twLastFrameRows())
            if (row.label == "Press") {
                x = int((row.x0 + row.x1) / 2);
                y = int((row.y0 + row.y1) / 2);
            }
    }

    static void clickThroughMessages(int x, int y, int button) {
        deliver(new MouseMoveMessage(0, 0, x, y));
        TwDraw();
        deliver(new ClickMessage(10, button));
        deliver(new ClickMessage(11, button));
        for (int i = 0; i < 3; ++i) TwDraw();
    }
};

}  // namespace

TEST_F(TweakBarWrapperTest, StartUpGivesTheBarsTheWindowSize) {
    int width = 0, height = 0;
    twWindowSize(width, height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    EXPECT_EQ(TwDraw(), 1);
    EXPECT_TRUE(tweakBarEventHandler->enabled);
    EXPECT_FLOAT_EQ(tweakBarEventHandler->wheelPosition, 0.0f);
}

TEST_F(TweakBarWrapperTest, ClicksReachTheBarsOnlyInEditMode) {
    int x = -1, y = -1;
    buttonBar(x, y);
    ASSERT_GE(x, 0);
    presses = 0;
    clickThroughMessages(x, y, -1);
    EXPECT_EQ(presses, 1);

    clickThroughMessages(x, y, -3);  // the right button does not press
    EXPECT_EQ(presses, 1);

    deliver(new Message(20));  // play mode
    EXPECT_FALSE(tweakBarEventHandler->enabled);
    clickThroughMessages(x, y, -1);
    EXPECT_EQ(presses, 1);

    deliver(new Message(21));  // edit mode
    clickThroughMessages(x, y, -1);
    EXPECT_EQ(presses, 2);
}

TEST_F(TweakBarWrapperTest, TheWheelIsForwardedAsARunningPositionTruncatedTowardZero) {
    deliver(new MouseWheelMessage(0.5f));
    EXPECT_EQ(twWheelPosition(), 0);
    deliver(new MouseWheelMessage(0.5f));
    EXPECT_EQ(twWheelPosition(), 1);
    deliver(new MouseWheelMessage(0.5f));
    EXPECT_EQ(twWheelPosition(), 1);
    deliver(new MouseWheelMessage(-2.0f));
    EXPECT_FLOAT_EQ(tweakBarEventHandler->wheelPosition, -0.5f);
    EXPECT_EQ(twWheelPosition(), 0);

    deliver(new MouseWheelMessage(3.0f));
    EXPECT_EQ(twWheelPosition(), 2);
    deliver(new Message(20));
    deliver(new MouseWheelMessage(5.0f));
    EXPECT_FLOAT_EQ(tweakBarEventHandler->wheelPosition, 2.5f) << "play mode leaves the wheel alone";
    EXPECT_EQ(twWheelPosition(), 2);
}

TEST_F(TweakBarWrapperTest, ResizesReachTheBarsEvenInPlayMode) {
    deliver(new Message(20));
    viewportWidth = 1280;
    viewportHeight = 720;
    deliver(new Message(6));
    int width = 0, height = 0;
    twWindowSize(width, height);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
}

TEST_F(TweakBarWrapperTest, Vector4IsDefinedOnceUntilTheStructTypesAreCleared) {
    vector4StructDefined = false;
    TwType first = getVector4Type();
    ASSERT_NE(first, TW_TYPE_UNDEF);
    EXPECT_EQ(getVector4Type(), first);
    std::string name;
    std::vector<TwMemberInfo> members;
    ASSERT_TRUE(twDescribeStruct(first, name, members));
    EXPECT_EQ(name, "Vector4");
    ASSERT_EQ(members.size(), 4u);
    const char* names[] = {"x", "y", "z", "w"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(members[i].name, names[i]);
        EXPECT_EQ(members[i].type, TW_TYPE_FLOAT);
        EXPECT_EQ(members[i].offset, std::size_t(4 * i));
        EXPECT_EQ(members[i].definition, " step=0.0001 ");
    }
    vector4StructDefined = false;
    TwClearAllStructs();
    TwType second = getVector4Type();
    EXPECT_NE(second, TW_TYPE_UNDEF);
    EXPECT_NE(second, first);

    EXPECT_EQ(getDefaultVarOptions(TW_TYPE_DOUBLE), " step=0.0001 ");
    EXPECT_EQ(getDefaultVarOptions(TW_TYPE_INT32), "");
    EXPECT_EQ(getDefaultVarOptions(TW_TYPE_STDSTRING), "");
}

TEST_F(TweakBarWrapperTest, ShutdownRemovesTheHandlerAndStopsTheBars) {
    getVector4Type();
    deliver(new Message(31));
    EXPECT_EQ(tweakBarEventHandler, nullptr);
    EXPECT_FALSE(vector4StructDefined);
    EXPECT_EQ(TwDraw(), 0);
    deliver(new MouseWheelMessage(4.0f));  // nobody listens any more
    EXPECT_EQ(twWheelPosition(), 0);

    std::string copied = "old";
    copyStdStringToClient(copied, "new text");
    EXPECT_EQ(copied, "new text");
}
