// Held-key state and the input handler's reactions to delivered keyboard, mouse and window messages.
#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "engine/Input.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MouseMoveMessage.h"

namespace {

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        currentTime = 5.0;
        mouseCaptured = false;
        lastCursorPosition = {};
        handler = new Input::InputEventHandler;
    }
    void TearDown() override {
        shutdownMessaging();  // the handler deletes itself on the shutdown message
        mouseCaptured = false;
        currentTime = 0.0;
    }

    Input::InputEventHandler* handler = nullptr;
    FakePlatform fake;
};

TEST_F(InputTest, KeyNeverSeenReadsAsNotHeldAndIsEntered) {
    bool& flag = Input::isKeyDown(-39);
    EXPECT_FALSE(flag);
    EXPECT_EQ(&flag, &Input::isKeyDown(-39)) << "the same key gives the same flag";
}

TEST_F(InputTest, KeyIsHeldFromTheDeliveryOfItsPressUntilTheDeliveryOfItsRelease) {
    sendMessage(new KeyboardMessage(7, 'W'));
    EXPECT_FALSE(Input::isKeyDown('W')) << "nothing changes before delivery";
    updateMessageQueues();
    EXPECT_TRUE(Input::isKeyDown('W'));
    updateMessageQueues();
    EXPECT_TRUE(Input::isKeyDown('W')) << "still held in the next frame without new messages";
    sendMessage(new KeyboardMessage(8, 'W'));
    updateMessageQueues();
    EXPECT_FALSE(Input::isKeyDown('W'));
}

TEST_F(InputTest, KeyPressedAndReleasedInOneFrameReadsAsReleased) {
    sendMessage(new KeyboardMessage(7, -24));
    sendMessage(new KeyboardMessage(8, -24));
    updateMessageQueues();
    EXPECT_FALSE(Input::isKeyDown(-24));
}

TEST_F(InputTest, CursorMovesAreRecordedUntilCaptureRecentresTheCursorInstead) {
    sendMessage(new MouseMoveMessage(0, 0, 120, 45));
    updateMessageQueues();
    EXPECT_EQ(lastCursorPosition.x, 120);
    EXPECT_EQ(lastCursorPosition.y, 45);
    EXPECT_EQ(fake.warps, 0);

    setMouseCaptured(true);
    EXPECT_FALSE(fake.cursorVisible);
    EXPECT_TRUE(fake.grabbed);
    EXPECT_EQ(fake.warps, 1);
    sendMessage(new MouseMoveMessage(400, 300, 410, 290));
    updateMessageQueues();
    EXPECT_EQ(fake.warps, 2);
    EXPECT_EQ(lastCursorPosition.x, 400) << "odd widths round down to the centre pixel";
    EXPECT_EQ(lastCursorPosition.y, 300);
    EXPECT_EQ(fake.cursorX, 400);
}

TEST_F(InputTest, CaptureRequestsThatMatchTheCurrentStateDoNothing) {
    setMouseCaptured(true);
    setMouseCaptured(true);
    EXPECT_EQ(fake.warps, 1);
    setMouseCaptured(false);
    EXPECT_TRUE(fake.cursorVisible);
    EXPECT_FALSE(fake.grabbed);
    fake.cursorVisible = false;  // someone else hid it: a repeated release must not touch it
    setMouseCaptured(false);
    EXPECT_FALSE(fake.cursorVisible);
    EXPECT_FALSE(mouseCaptured);
}

TEST_F(InputTest, MinimisingFreesTheCursorAndShowingTheWindowCapturesItAgain) {
    setMouseCaptured(true);
    sendMessage(new Message(5));
    updateMessageQueues();
    EXPECT_TRUE(fake.cursorVisible);
    EXPECT_FALSE(fake.grabbed);
    EXPECT_TRUE(mouseCaptured) << "capture stays on while the window is away";

    fake.clientWidth = 1024;
    fake.clientHeight = 768;
    sendMessage(new Message(4));
    updateMessageQueues();
    EXPECT_FALSE(fake.cursorVisible);
    EXPECT_TRUE(fake.grabbed);
    EXPECT_EQ(lastCursorPosition.x, 512);
    EXPECT_EQ(lastCursorPosition.y, 384);
}

TEST_F(InputTest, ShowingTheWindowWithoutCaptureLeavesTheCursorAlone) {
    sendMessage(new Message(4));
    updateMessageQueues();
    EXPECT_TRUE(fake.cursorVisible);
    EXPECT_FALSE(fake.grabbed);
    EXPECT_EQ(fake.warps, 0);
}

TEST_F(InputTest, ShutdownDeletesTheHandlerAndKeyStatesOutliveIt) {
    sendMessage(new KeyboardMessage(7, 'Q'));
    updateMessageQueues();
    const std::size_t liveBefore = ObjectCounter<EventHandler>::liveCount();
    shutdownMessaging();
    EXPECT_EQ(ObjectCounter<EventHandler>::liveCount(), liveBefore - 1);
    EXPECT_TRUE(Input::isKeyDown('Q'));
    sendMessage(new KeyboardMessage(8, 'Q'));
    updateMessageQueues();
    EXPECT_TRUE(Input::isKeyDown('Q')) << "nobody records keys after shut-down";
    Input::isKeyDown('Q') = false;
}

}  // namespace
