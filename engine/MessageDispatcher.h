// Sending, queuing and delivering messages, and the global table and queue behind them.
// Delivery order is fixed: messages by time, then creation; the global table before the event systems,
// event systems and queued handlers in the order they were made; functions in registration order.
#pragma once

#include <cstddef>
#include <memory>

#include "engine/UnregisterHandle.h"

class EventHandler;
class EventHandlerFunction;
class EventSystem;
class HandlerTable;
class Message;

// Takes ownership of a heap message. Immediate: delivered to every registered handler before this
// returns, then deleted. Otherwise queued and delivered by the first updateMessageQueues whose clock
// has reached the message's time.
void sendMessage(Message* message, bool immediate = false);
// The same for one handler alone: it reaches every function the handler registered for the type,
// direct ones included. A null handler drops the message.
void sendMessageToHandler(Message* message, EventHandler* handler, bool immediate = false);
// Broadcasts a message: global table, then every live active event system. Immediate runs the
// functions now; otherwise the message goes into each handler's own queue.
void dispatchMessage(const std::shared_ptr<Message>& message, bool immediate);
// Once per frame: moves every due message from the global queue to its handlers' queues, then lets
// every handler with due messages run them.
void updateMessageQueues();
// Empties every handler table (event systems first, in the order made, then the global table) and
// delivers the shutdown message (31) to the functions registered for it; drops the queued messages.
void shutdownMessaging();

UnregisterHandle registerGlobalHandler(int type, std::shared_ptr<EventHandlerFunction> record);
void unregisterGlobalHandler(const std::shared_ptr<EventHandlerFunction>& record);

// Messages waiting in the global queue.
std::size_t queuedMessageCount();
// Registrations in the global table.
const HandlerTable& globalHandlerTable();

// The machinery behind the functions above; EventHandler and EventSystem reach it as friends.
class MessageDispatcher {
public:
    static void post(Message* message);
    static void dispatchNow(Message& message);
    static void dispatchQueued(const std::shared_ptr<Message>& message);
    static void deliverNow(EventHandler& handler, Message& message);
    static void deliverDue(EventHandler& handler, double now);
    static void enqueue(EventHandler& handler, std::shared_ptr<Message> message);
    // Drops the messages waiting in a handler's own queue.
    static void dropQueue(EventHandler& handler);
    static void updateQueues();
    static void shutdown();

    static UnregisterHandle registerScoped(HandlerTable& table, EventSystem* system, int type,
                                           std::shared_ptr<EventHandlerFunction> record);
    static UnregisterHandle registerOwn(EventHandler& handler, std::shared_ptr<EventHandlerFunction> record);
    // Ends one registration; nothing when it has already ended.
    static void unregister(EventHandlerFunction& record);
    // Ends every registration in a table.
    static void clearTable(HandlerTable& table);

    static void addHandler(EventHandler& handler);
    static void removeHandler(EventHandler& handler);
    static void addSystem(EventSystem& system);
    static void removeSystem(EventSystem& system);
    static void compactRegistries();

private:
    static void enqueueTable(const HandlerTable& table, const std::shared_ptr<Message>& message);
    static void dispatchTableNow(const HandlerTable& table, Message& message);
    // Empties one table (or, with a null table, that of the event system at systemIndex, which a
    // shutdown function may destroy) and runs its shutdown functions.
    static void shutdownTable(HandlerTable* table, std::size_t systemIndex);
};
