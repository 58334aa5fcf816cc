// Base of every receiver of messages: its own registrations (whatever table they were also entered
// in) and its own queue of messages waiting for delivery. Including this header gives the whole
// messaging interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "core/ObjectCounter.h"
#include "engine/EventHandlerFunction.h"
#include "engine/EventSystem.h"
#include "engine/HandlerTable.h"
#include "engine/Message.h"
#include "engine/MessageDispatcher.h"
#include "engine/UnregisterHandle.h"

class EventHandler : public ObjectCounter<EventHandler> {
public:
    EventHandler();
    // A copy is a new live handler with the other's blocked flag, no registrations and an empty queue.
    EventHandler(const EventHandler& other);
    // Copies the blocked flag only; registrations and queue stay with their handler.
    EventHandler& operator=(const EventHandler& other);
    // Drops the queued messages, then ends every registration this handler owns.
    virtual ~EventHandler();

    // Hook for handlers that must follow their blocked state (editor modes); nothing here.
    virtual void setActive(bool active);

    // Runs this handler's functions for the message's type, in registration order, now. The caller
    // keeps the message. Functions may register or release handlers, this one included.
    void deliver(Message& message);
    // Delivers every queued message not later than `now`, earliest first.
    void deliverDueMessages(double now);

    // Enters a record in this handler's own table only (a direct registration when called alone).
    UnregisterHandle addHandlerFunction(std::shared_ptr<EventHandlerFunction> record);
    void removeHandlerFunction(const std::shared_ptr<EventHandlerFunction>& record);

    // Registers `function(owner, message)` for one type in an event system (null: the global table).
    template <class M = Message, class H, class F>
    static UnregisterHandle registerHandler(EventSystem* system, int type, H* owner, F&& function);
    // The same with the event system of the running game state (the global table while none runs).
    template <class M = Message, class H, class F>
    static UnregisterHandle registerHandler(int type, H* owner, F&& function);
    // Only in the owner's own table: reached by messages sent to this handler alone.
    template <class M = Message, class H, class F>
    static UnregisterHandle registerDirectHandler(int type, H* owner, F&& function);

    const HandlerTable& getHandlerTable() const { return table; }
    std::size_t queuedMessageCount() const { return queue.size(); }

    // While set, deliver() runs nothing for this handler.
    bool blocked = false;

private:
    friend class MessageDispatcher;

    HandlerTable table;
    std::vector<std::shared_ptr<Message>> queue;  // heap, earliest message at the front
    std::size_t registryIndex = 0;
    // Scratch of the dispatcher: serves each handler once per table and dispatch.
    std::uint64_t servedStamp = 0;
    std::size_t serveSlot = 0;
};

// The event system of currentGameState, or null when no state runs.
EventSystem* currentEventSystem();

template <class M, class H, class F>
UnregisterHandle EventHandler::registerHandler(EventSystem* system, int type, H* owner, F&& function) {
    auto record = std::make_shared<FunctorEventHandlerFunction<H, M>>(owner, std::forward<F>(function));
    if (system) return system->registerHandler(type, std::move(record));
    return registerGlobalHandler(type, std::move(record));
}

template <class M, class H, class F>
UnregisterHandle EventHandler::registerHandler(int type, H* owner, F&& function) {
    return registerHandler<M>(currentEventSystem(), type, owner, std::forward<F>(function));
}

template <class M, class H, class F>
UnregisterHandle EventHandler::registerDirectHandler(int type, H* owner, F&& function) {
    auto record = std::make_shared<FunctorEventHandlerFunction<H, M>>(owner, std::forward<F>(function));
    record->kind = EventHandlerFunction::Direct;
    record->messageType = type;
    EventHandler* handler = owner;
    return handler->addHandlerFunction(std::move(record));
}

// Registers `function(owner, message)` for one type in the global table, which every broadcast reaches
// before any event system.
template <class M = Message, class H, class F>
UnregisterHandle registerGlobalHandler(int type, H* owner, F&& function) {
    return EventHandler::registerHandler<M>(nullptr, type, owner, std::forward<F>(function));
}

// A direct registration for a plain Message of one type.
template <class H, class F>
UnregisterHandle registerMessageHandler(int type, H* owner, F&& function) {
    return EventHandler::registerDirectHandler<Message>(type, owner, std::forward<F>(function));
}
