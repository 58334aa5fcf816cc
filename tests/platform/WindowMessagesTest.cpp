// What translated window input does to the engine: queued messages of the right types and payloads,
// characters straight to the property bars, and the close request.
#include <gtest/gtest.h>

#include <vector>

#include "engine/ClickMessage.h"
#include "engine/EventHandler.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/MouseMoveMessage.h"
#include "engine/MouseWheelMessage.h"
#include "platform/SdlPlatform.h"
#include "platform/WindowEvents.h"

namespace {

// Records every delivered message of the input and window types.
class Recorder : public EventHandler {
public:
    struct Seen {
        int type;
        int a = 0, b = 0, c = 0, d = 0;
        float amount = 0.0f;
    };
    std::vector<Seen> seen;

    Recorder() {
        for (int type : {7, 8})
            registerGlobalHandler<KeyboardMessage>(type, this, [](Recorder& r, KeyboardMessage& m) {
                r.seen.push_back({m.type, m.key});
            });
        registerGlobalHandler<MouseMoveMessage>(9, this, [](Recorder& r, MouseMoveMessage& m) {
            r.seen.push_back({9, m.previousX, m.previousY, m.newX, m.newY});
        });
        for (int type : {10, 11})
            registerGlobalHandler<ClickMessage>(type, this, [](Recorder& r, ClickMessage& m) {
                r.seen.push_back({m.type, m.button});
            });
        registerGlobalHandler<MouseWheelMessage>(12, this, [](Recorder& r, MouseWheelMessage& m) {
            Seen s{12};
            s.amount = m.delta;
            r.seen.push_back(s);
        });
        for (int type : {4, 5, 6})
            registerGlobalHandler<Message>(type, this, [](Recorder& r, Message& m) { r.seen.push_back({m.type}); });
    }
};

WindowInput input(WindowInput::Kind kind, int code = 0, int x = 0, int y = 0, float amount = 0.0f) {
    WindowInput i{kind};
    i.code = code;
    i.x = x;
    i.y = y;
    i.amount = amount;
    return i;
}

class WindowMessagesTest : public ::testing::Test {
protected:
    void SetUp() override { realExit = SdlPlatform::exitProcess; }
    void TearDown() override {
        SdlPlatform::exitProcess = realExit;
        nextGameState = nullptr;
        loadingScreenUp = false;
    }
    std::function<void(int)> realExit;
    SdlPlatform shell;  // without a window: input handling only
    Recorder recorder;
};

}  // namespace

TEST_F(WindowMessagesTest, InputIsQueuedNotDelivered) {
    lastCursorPosition = CursorPosition{10, 20};
    shell.handle(input(WindowInput::KeyDown, -39));
    shell.handle(input(WindowInput::KeyUp, 65));
    shell.handle(input(WindowInput::MouseMove, 0, 30, 40));
    shell.handle(input(WindowInput::ButtonDown, -3));
    shell.handle(input(WindowInput::ButtonUp, -2));
    shell.handle(input(WindowInput::Wheel, 0, 0, 0, -1.0f));
    shell.handle(input(WindowInput::Activated));
    shell.handle(input(WindowInput::Minimised));
    EXPECT_TRUE(recorder.seen.empty()) << "nothing is acted on inside the pump";

    updateMessageQueues();
    ASSERT_EQ(recorder.seen.size(), 8u);
    EXPECT_EQ(recorder.seen[0].type, 7);
    EXPECT_EQ(recorder.seen[0].a, -39);
    EXPECT_EQ(recorder.seen[1].type, 8);
    EXPECT_EQ(recorder.seen[1].a, 65);
    EXPECT_EQ(recorder.seen[2].type, 9);
    EXPECT_EQ(recorder.seen[2].a, 10) << "the previous position is the last known one";
    EXPECT_EQ(recorder.seen[2].b, 20);
    EXPECT_EQ(recorder.seen[2].c, 30);
    EXPECT_EQ(recorder.seen[2].d, 40);
    EXPECT_EQ(recorder.seen[3].type, 10);
    EXPECT_EQ(recorder.seen[3].a, -3);
    EXPECT_EQ(recorder.seen[4].type, 11);
    EXPECT_EQ(recorder.seen[4].a, -2);
    EXPECT_EQ(recorder.seen[5].type, 12);
    EXPECT_FLOAT_EQ(recorder.seen[5].amount, -1.0f);
    EXPECT_EQ(recorder.seen[6].type, 4);
    EXPECT_EQ(recorder.seen[7].type, 5);
}

TEST_F(WindowMessagesTest, CharactersGoToTheBarsWithoutAMessage) {
    std::size_t before = queuedMessageCount();
    shell.handle(input(WindowInput::Character, 'x'));
    shell.handle(input(WindowInput::Character, 8));
    EXPECT_EQ(queuedMessageCount(), before);
    updateMessageQueues();
    EXPECT_TRUE(recorder.seen.empty());
}

TEST_F(WindowMessagesTest, ClosingAsksTheLoopToQuit) {
    int exits = 0;
    SdlPlatform::exitProcess = [&](int) { ++exits; };
    nextGameState = nullptr;
    shell.handle(input(WindowInput::CloseRequest));
    EXPECT_EQ(nextGameState, &quitGameState);
    EXPECT_EQ(exits, 0);
}

TEST_F(WindowMessagesTest, ClosingDuringLoadingEndsTheProcessAtOnce) {
    int exitCode = -1;
    SdlPlatform::exitProcess = [&](int code) { exitCode = code; };
    loadingScreenUp = true;
    nextGameState = nullptr;
    shell.handle(input(WindowInput::CloseRequest));
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(nextGameState, nullptr);
}
