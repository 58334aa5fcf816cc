// Message dispatch: order of delivery, immediate and queued sending, handles, shut-down, and handlers
// that change the handler set while they are being served.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/TextFormat.h"
#include "engine/EventHandler.h"
#include "engine/GameState.h"
#include "engine/KeyboardMessage.h"
#include "engine/MainLoop.h"
#include "engine/PauseMessage.h"
#include "engine/PercentLoadedMessage.h"

namespace {

std::vector<std::string> deliveries;

struct Recorder : EventHandler {
    explicit Recorder(std::string name) : name(std::move(name)) {}
    std::string name;
};

// Records "<name>:<tag>" whenever the function runs.
UnregisterHandle record(EventSystem* system, int type, Recorder* owner, const std::string& tag = "") {
    return EventHandler::registerHandler<Message>(system, type, owner, [tag](Recorder& self, Message&) {
        deliveries.push_back(tag.empty() ? self.name : self.name + ":" + tag);
    });
}

UnregisterHandle recordDirect(int type, Recorder* owner, const std::string& tag = "") {
    return EventHandler::registerDirectHandler<Message>(type, owner, [tag](Recorder& self, Message&) {
        deliveries.push_back(tag.empty() ? self.name : self.name + ":" + tag);
    });
}

Message* messageAt(int type, double time) {
    Message* message = new Message(type);
    message->time = time;
    return message;
}

class MessageDispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        deliveries.clear();
        currentTime = 10.0;
    }
    void TearDown() override {
        shutdownMessaging();
        currentTime = 0.0;
    }
};

TEST_F(MessageDispatchTest, QueuedMessagesWaitForTheirTimeAndComeInTimeThenCreationOrder) {
    Recorder handler("h");
    EventHandler::registerHandler<Message>(nullptr, 5, &handler, [](Recorder&, Message& message) {
        deliveries.push_back(std::to_string(message.sequence));
    });
    Message* late = messageAt(5, 12.0);
    Message* first = messageAt(5, 9.0);
    Message* secondSameTime = messageAt(5, 9.0);
    Message* future = messageAt(5, 30.0);
    const std::uint32_t firstSequence = first->sequence;
    const std::uint32_t lateSequence = late->sequence;
    sendMessage(secondSameTime);
    sendMessage(future);
    sendMessage(late);
    sendMessage(first);

    EXPECT_TRUE(deliveries.empty()) << "queued messages must wait for updateMessageQueues";
    updateMessageQueues();
    const std::vector<std::string> dueNow = {std::to_string(firstSequence), std::to_string(firstSequence + 1)};
    EXPECT_EQ(deliveries, dueNow);

    currentTime = 12.0;
    updateMessageQueues();
    ASSERT_EQ(deliveries.size(), 3u);
    EXPECT_EQ(deliveries[2], std::to_string(lateSequence));
    EXPECT_EQ(queuedMessageCount(), 1u) << "the message for t=30 is still waiting";
}

TEST_F(MessageDispatchTest, GlobalTableComesFirstThenEventSystemsInCreationOrder) {
    EventSystem first;
    EventSystem second;
    Recorder inSecond("second");
    Recorder inFirst("first");
    Recorder global("global");
    // Registered in the opposite order to the expected delivery.
    record(&second, 3, &inSecond);
    record(&first, 3, &inFirst);
    record(nullptr, 3, &global);

    sendMessage(new Message(3), true);
    EXPECT_EQ(deliveries, (std::vector<std::string>{"global", "first", "second"}));
}

TEST_F(MessageDispatchTest, QueuedDeliveryServesHandlersInCreationOrderEachWithAllItsDueMessages) {
    Recorder older("older");
    Recorder newer("newer");
    EventSystem system;
    EventHandler::registerHandler<Message>(&system, 4, &newer, [](Recorder& self, Message& m) {
        deliveries.push_back(self.name + std::to_string(static_cast<int>(m.time)));
    });
    EventHandler::registerHandler<Message>(&system, 4, &older, [](Recorder& self, Message& m) {
        deliveries.push_back(self.name + std::to_string(static_cast<int>(m.time)));
    });
    sendMessage(messageAt(4, 2.0));
    sendMessage(messageAt(4, 1.0));
    updateMessageQueues();
    EXPECT_EQ(deliveries, (std::vector<std::string>{"older1", "older2", "newer1", "newer2"}));
}

TEST_F(MessageDispatchTest, HandlerRegisteredTwiceInOneTableIsServedOnceWithBothFunctionsInOrder) {
    EventSystem system;
    Recorder handler("h");
    record(&system, 6, &handler, "a");
    record(&system, 6, &handler, "b");
    recordDirect(6, &handler, "direct");

    sendMessage(new Message(6), true);
    EXPECT_EQ(deliveries, (std::vector<std::string>{"h:a", "h:b", "h:direct"}));

    deliveries.clear();
    sendMessage(new Message(6));
    updateMessageQueues();
    EXPECT_EQ(deliveries, (std::vector<std::string>{"h:a", "h:b", "h:direct"}));
}

TEST_F(MessageDispatchTest, HandlerInTwoTablesGetsTheMessageOncePerTable) {
    EventSystem system;
    Recorder handler("h");
    record(nullptr, 6, &handler, "global");
    record(&system, 6, &handler, "scoped");
    sendMessage(new Message(6), true);
    EXPECT_EQ(deliveries, (std::vector<std::string>{"h:global", "h:scoped", "h:global", "h:scoped"}));
}

TEST_F(MessageDispatchTest, DirectRegistrationsAreReachedOnlyThroughTheHandler) {
    Recorder handler("h");
    recordDirect(13, &handler);
    sendMessage(new Message(13), true);
    sendMessage(new Message(13));
    updateMessageQueues();
    EXPECT_TRUE(deliveries.empty());

    sendMessageToHandler(new Message(13), &handler, true);
    EXPECT_EQ(deliveries.size(), 1u);
    sendMessageToHandler(new Message(13), &handler);
    EXPECT_EQ(deliveries.size(), 1u) << "queued for the handler, not yet due";
    EXPECT_EQ(handler.queuedMessageCount(), 1u);
    updateMessageQueues();
    EXPECT_EQ(deliveries.size(), 2u);
    EXPECT_EQ(handler.queuedMessageCount(), 0u);
}

TEST_F(MessageDispatchTest, ImmediateSendFromAHandlerIsDeliveredBeforeTheSenderReturns) {
    Recorder sender("sender");
    Recorder receiver("receiver");
    EventHandler::registerHandler<Message>(nullptr, 1, &sender, [](Recorder&, Message&) {
        deliveries.push_back("before");
        sendMessage(new Message(2), true);
        deliveries.push_back("after");
    });
    record(nullptr, 2, &receiver);
    sendMessage(new Message(1));
    updateMessageQueues();
    EXPECT_EQ(deliveries, (std::vector<std::string>{"before", "receiver", "after"}));
}

TEST_F(MessageDispatchTest, QueuedSendDuringDeliveryWaitsForTheNextFrameButDirectSendToALaterHandlerDoesNot) {
    Recorder sender("sender");
    Recorder later("later");
    EventHandler::registerHandler<Message>(nullptr, 1, &sender, [&later](Recorder&, Message&) {
        sendMessage(new Message(2));
        sendMessageToHandler(new Message(3), &later);
    });
    record(nullptr, 2, &later, "broadcast");
    recordDirect(3, &later, "direct");
    sendMessage(new Message(1));
    updateMessageQueues();
    EXPECT_EQ(deliveries, (std::vector<std::string>{"later:direct"}));
    updateMessageQueues();
    EXPECT_EQ(deliveries, (std::vector<std::string>{"later:direct", "later:broadcast"}));
}

TEST_F(MessageDispatchTest, HandlerReleasingItsOwnRegistrationStopsOnlyItsOwnRemainingFunctions) {
    EventSystem system;
    Recorder quitter("quitter");
    Recorder other("other");
    UnregisterHandle second;
    EventHandler::registerHandler<Message>(&system, 8, &quitter, [&second](Recorder&, Message&) {
        deliveries.push_back("quitter:first");
        second.release();
    });
    second = record(&system, 8, &quitter, "second");
    record(&system, 8, &other);

    sendMessage(new Message(8), true);
    EXPECT_EQ(deliveries, (std::vector<std::string>{"quitter:first", "other"}));
    EXPECT_FALSE(second.isRegistered());
    EXPECT_EQ(quitter.getHandlerTable().count(8), 1u);
}

TEST_F(MessageDispatchTest, HandlerDestroyingALaterHandlerDuringImmediateDispatchSkipsIt) {
    EventSystem system;
    Recorder killer("killer");
    auto victim = std::make_unique<Recorder>("victim");
    Recorder survivor("survivor");
    EventHandler::registerHandler<Message>(&system, 9, &killer, [&victim](Recorder&, Message&) {
        deliveries.push_back("killer");
        victim.reset();
    });
    record(&system, 9, victim.get());
    record(&system, 9, &survivor);

    sendMessage(new Message(9), true);
    EXPECT_EQ(deliveries, (std::vector<std::string>{"killer", "survivor"}));
    EXPECT_EQ(system.getHandlerTable().count(9), 2u);
}

TEST_F(MessageDispatchTest, HandlerDeletingItselfInQueuedDeliveryDropsItsRemainingFunctionsAndMessages) {
    Recorder* doomed = new Recorder("doomed");
    Recorder after("after");
    EventHandler::registerHandler<Message>(nullptr, 10, doomed, [](Recorder& self, Message&) {
        deliveries.push_back("doomed");
        delete &self;
    });
    record(nullptr, 10, doomed, "never");
    record(nullptr, 10, &after);
    sendMessage(messageAt(10, 1.0));
    sendMessage(messageAt(10, 2.0));
    updateMessageQueues();
    EXPECT_EQ(deliveries, (std::vector<std::string>{"doomed", "after", "after"}));
    EXPECT_EQ(globalHandlerTable().count(10), 1u);
}

// The frame's walk over the handlers' own queues is skipped while they are all empty; messages that
// die with their handler must not hold back or hide those of the others.
TEST_F(MessageDispatchTest, HandlerQueuesAreServedWhateverDiedWithOtherHandlers) {
    Recorder kept("kept");
    auto* dropped = new Recorder("dropped");
    recordDirect(20, &kept);
    recordDirect(20, dropped);
    updateMessageQueues();  // nothing queued anywhere
    EXPECT_TRUE(deliveries.empty());
    sendMessageToHandler(messageAt(20, 11.0), dropped);
    sendMessageToHandler(messageAt(20, 12.0), dropped);
    sendMessageToHandler(messageAt(20, 11.0), &kept);
    delete dropped;
    currentTime = 11.0;
    updateMessageQueues();
    currentTime = 12.0;
    updateMessageQueues();
    EXPECT_EQ(deliveries, (std::vector<std::string>{"kept"}));
    sendMessageToHandler(messageAt(20, 12.5), &kept);
    updateMessageQueues();
    EXPECT_EQ(kept.queuedMessageCount(), 1u);
    currentTime = 13.0;
    updateMessageQueues();
    EXPECT_EQ(deliveries, (std::vector<std::string>{"kept", "kept"}));
    EXPECT_EQ(kept.queuedMessageCount(), 0u);
}

TEST_F(MessageDispatchTest, HandlersRegisteredDuringDeliveryWaitForTheNextMessage) {
    EventSystem system;
    Recorder spawner("spawner");
    std::vector<std::unique_ptr<Recorder>> spawned;
    EventHandler::registerHandler<Message>(&system, 11, &spawner, [&](Recorder&, Message&) {
        deliveries.push_back("spawner");
        const std::string suffix = std::to_string(spawned.size() / 2);
        spawned.push_back(std::make_unique<Recorder>("global" + suffix));
        record(nullptr, 11, spawned.back().get());
        spawned.push_back(std::make_unique<Recorder>("scoped" + suffix));
        record(&system, 11, spawned.back().get());
    });
    sendMessage(new Message(11), true);
    EXPECT_EQ(deliveries, (std::vector<std::string>{"spawner"}));
    deliveries.clear();
    sendMessage(new Message(11), true);
    EXPECT_EQ(deliveries, (std::vector<std::string>{"global0", "spawner", "scoped0"}));
}

TEST_F(MessageDispatchTest, EventSystemsMadeOrDestroyedDuringImmediateDispatchAreHandledSafely) {
    auto game = std::make_unique<EventSystem>();
    std::unique_ptr<EventSystem> menu;
    Recorder pauser("pauser");
    Recorder menuHandler("menu");
    Recorder gameListener("game");
    // Pausing opens a menu whose own handler listens for pause messages too, and closes the game scope.
    EventHandler::registerHandler<PauseMessage>(game.get(), 26, &pauser, [&](Recorder&, PauseMessage&) {
        deliveries.push_back("pauser");
        menu = std::make_unique<EventSystem>();
        record(menu.get(), 26, &menuHandler);
        game.reset();
    });
    record(game.get(), 26, &gameListener);
    sendMessage(new PauseMessage(true), true);
    EXPECT_EQ(deliveries, (std::vector<std::string>{"pauser"}));
    EXPECT_EQ(gameListener.getHandlerTable().size(), 0u) << "the game scope took its registrations along";

    deliveries.clear();
    sendMessage(new PauseMessage(false), true);
    EXPECT_EQ(deliveries, (std::vector<std::string>{"menu"}));
}

TEST_F(MessageDispatchTest, BlockedHandlersAndInactiveEventSystemsReceiveNothing) {
    EventSystem system;
    Recorder blocked("blocked");
    Recorder open("open");
    record(&system, 12, &blocked);
    record(&system, 12, &open);
    blocked.blocked = true;
    sendMessage(new Message(12), true);
    EXPECT_EQ(deliveries, (std::vector<std::string>{"open"}));

    deliveries.clear();
    system.inactive = true;
    sendMessage(new Message(12), true);
    EXPECT_TRUE(deliveries.empty());
}

TEST_F(MessageDispatchTest, MessageOfTheWrongClassForItsTypeIsSkippedNotCast) {
    Recorder handler("h");
    int keySeen = 0;
    EventHandler::registerHandler<KeyboardMessage>(nullptr, 7, &handler,
                                                   [&](Recorder&, KeyboardMessage& m) { keySeen = m.key; });
    testing::internal::CaptureStderr();
    sendMessage(new Message(7), true);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(keySeen, 0);
    EXPECT_NE(errors.find("message of type 7"), std::string::npos);
    sendMessage(new KeyboardMessage(7, 65), true);
    EXPECT_EQ(keySeen, 65);
}

TEST_F(MessageDispatchTest, HandlesAreInactiveUntilActivatedAndHarmlessAfterTheOwnerIsGone) {
    EventSystem system;
    Recorder handler("h");
    {
        UnregisterHandle dropped = record(&system, 14, &handler, "kept");
    }
    sendMessage(new Message(14), true);
    EXPECT_EQ(deliveries, (std::vector<std::string>{"h:kept"})) << "dropping an inactive handle keeps it";

    deliveries.clear();
    {
        UnregisterHandle scoped = record(&system, 14, &handler, "scoped");
        scoped.setActive(true);
    }
    sendMessage(new Message(14), true);
    EXPECT_EQ(deliveries, (std::vector<std::string>{"h:kept"})) << "an active handle ends it on destruction";

    UnregisterHandle outliving;
    {
        Recorder shortLived("short");
        outliving = record(&system, 14, &shortLived);
        outliving.setActive(true);
        EXPECT_TRUE(outliving.isRegistered());
    }
    EXPECT_FALSE(outliving.isRegistered());
    outliving.release();  // owner gone: nothing to do, and nothing touched
    EXPECT_EQ(system.getHandlerTable().count(14), 1u);
}

TEST_F(MessageDispatchTest, AssigningOverAnActiveHandleEndsItsRegistrationAndLeavesTheTargetInactive) {
    EventSystem system;
    Recorder handler("h");
    UnregisterHandle target = record(&system, 15, &handler, "old");
    target.setActive(true);
    UnregisterHandle source = record(&system, 15, &handler, "new");
    target = source;
    EXPECT_FALSE(target.isActive());
    EXPECT_EQ(target.getRecord(), source.getRecord());
    sendMessage(new Message(15), true);
    EXPECT_EQ(deliveries, (std::vector<std::string>{"h:new"}));
}

TEST_F(MessageDispatchTest, DestroyedHandlerDropsItsQueueAndLeavesEveryTable) {
    EventSystem system;
    auto handler = std::make_unique<Recorder>("h");
    record(&system, 16, handler.get());
    record(nullptr, 16, handler.get());
    recordDirect(17, handler.get());
    sendMessage(new Message(16));
    updateMessageQueues();  // moves nothing yet: time 10 is due, so it is delivered
    deliveries.clear();
    Message* pending = messageAt(16, 20.0);
    sendMessageToHandler(pending, handler.get());
    handler.reset();
    EXPECT_EQ(system.getHandlerTable().size(), 0u);
    EXPECT_EQ(globalHandlerTable().count(16), 0u);
    currentTime = 30.0;
    updateMessageQueues();
    EXPECT_TRUE(deliveries.empty());
}

TEST_F(MessageDispatchTest, CopiedHandlerStartsWithoutRegistrationsButKeepsTheBlockedFlag) {
    EventSystem system;
    Recorder original("original");
    record(&system, 18, &original);
    original.blocked = true;
    const std::size_t liveBefore = ObjectCounter<EventHandler>::liveCount();
    Recorder copy(original);
    EXPECT_TRUE(copy.blocked);
    EXPECT_EQ(copy.getHandlerTable().size(), 0u);
    EXPECT_EQ(system.getHandlerTable().count(18), 1u);
    EXPECT_EQ(ObjectCounter<EventHandler>::liveCount(), liveBefore + 1);
}

TEST_F(MessageDispatchTest, ShutdownEmptiesEventSystemsFirstThenTheGlobalTableCallingOnlyShutdownFunctions) {
    EventSystem first;
    EventSystem second;
    Recorder input("input");
    Recorder sound("sound");
    Recorder menu("menu");
    Recorder level("level");
    record(nullptr, 7, &input, "key");
    record(nullptr, 31, &input, "shutdown");
    record(nullptr, 31, &sound, "shutdown");
    record(&second, 31, &menu, "shutdown");
    record(&first, 31, &level, "shutdown");
    record(&first, 2, &level, "left");
    sendMessage(new Message(7));
    sendMessage(new Message(2));
    EXPECT_EQ(queuedMessageCount(), 2u);

    shutdownMessaging();
    EXPECT_EQ(deliveries,
              (std::vector<std::string>{"level:shutdown", "menu:shutdown", "input:shutdown", "sound:shutdown"}));
    EXPECT_EQ(queuedMessageCount(), 0u);
    EXPECT_EQ(globalHandlerTable().size(), 0u);
    EXPECT_EQ(first.getHandlerTable().size(), 0u);
    EXPECT_EQ(second.getHandlerTable().size(), 0u);
    EXPECT_EQ(input.getHandlerTable().size(), 0u);
}

TEST_F(MessageDispatchTest, ShutdownFunctionMayDeleteItsOwnerAndEvenAnEventSystem) {
    auto system = new EventSystem;
    auto owner = new Recorder("owner");
    Recorder other("other");
    EventHandler::registerHandler<Message>(system, 31, owner, [system](Recorder& self, Message& m) {
        deliveries.push_back("owner:" + std::to_string(m.type));
        delete &self;
        delete system;
    });
    record(system, 31, &other, "never");  // its system is gone before its turn
    record(nullptr, 31, &other, "global");
    shutdownMessaging();
    EXPECT_EQ(deliveries, (std::vector<std::string>{"owner:31", "other:global"}));
}

TEST_F(MessageDispatchTest, LoadProgressReachesHandlersAtOnceAsPercentLoaded) {
    Recorder screen("screen");
    std::vector<float> seen;
    EventHandler::registerHandler<PercentLoadedMessage>(
        nullptr, 30, &screen, [&](Recorder&, PercentLoadedMessage& m) { seen.push_back(m.percent); });
    const float savedStart = progressBarStart;
    const float savedEnd = progressBarEnd;
    progressBarStart = 0.2f;
    progressBarEnd = 0.8f;
    reportLoadProgress(0.25f);
    progressBarStart = savedStart;
    progressBarEnd = savedEnd;
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NEAR(seen[0], 0.35f, 1e-6);
    EXPECT_EQ(queuedMessageCount(), 0u);
}

TEST_F(MessageDispatchTest, ManyHandlersComingAndGoingKeepCreationOrder) {
    std::vector<std::unique_ptr<Recorder>> handlers;
    for (int i = 0; i < 200; ++i) {
        handlers.push_back(std::make_unique<Recorder>(std::to_string(i)));
        // Registered newest first, so registration order cannot explain the delivery order.
    }
    for (int i = 199; i >= 0; --i) recordDirect(19, handlers[i].get());
    for (int i = 0; i < 200; ++i) {
        if (i % 10 != 3) handlers[i].reset();  // leaves 20, enough holes to squeeze the registry
    }
    for (auto& handler : handlers) {
        if (handler) sendMessageToHandler(new Message(19), handler.get());
    }
    // Delivering to handler 3 destroys 23, 43, ..., 183 before their turn.
    Recorder* third = handlers[3].get();
    EventHandler::registerDirectHandler<Message>(19, third, [&handlers](Recorder&, Message&) {
        for (std::size_t i = 23; i < handlers.size(); i += 20) handlers[i].reset();
    });
    updateMessageQueues();
    std::vector<std::string> expected;
    for (int i = 3; i < 200; i += 10) {
        if (i < 23 || (i - 23) % 20 != 0) expected.push_back(std::to_string(i));
    }
    EXPECT_EQ(deliveries, expected);
}

TEST_F(MessageDispatchTest, RegistrationWithoutAScopeGoesToTheRunningState) {
    GameState level;
    Recorder handler("h");
    currentGameState = &level;
    record(currentEventSystem(), 20, &handler, "scoped");
    EventHandler::registerHandler<Message>(21, &handler, [](Recorder&, Message&) { deliveries.push_back("running"); });
    currentGameState = nullptr;
    EventHandler::registerHandler<Message>(21, &handler, [](Recorder&, Message&) { deliveries.push_back("global"); });
    EXPECT_EQ(level.getHandlerTable().count(20), 1u);
    EXPECT_EQ(level.getHandlerTable().count(21), 1u);
    EXPECT_EQ(globalHandlerTable().count(21), 1u);
}

}  // namespace
