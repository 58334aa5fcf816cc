// Message delivery. Handlers run inside walks over tables and registries and may create or destroy
// handlers, event systems and registrations while they do, so every walk works on a snapshot:
// registrations that end meanwhile are skipped, registries keep their slots until the outermost walk
// is over, and ended records stay allocated until then.
#include "engine/MessageDispatcher.h"

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <utility>
#include <vector>

#include "engine/EventHandler.h"
#include "engine/EventSystem.h"
#include "engine/MainLoop.h"
#include "engine/Message.h"

namespace {

// Live objects in the order they were made. A slot is cleared when its object goes and the holes are
// squeezed out only while nothing walks, so a walk can hold on to indices.
template <class T>
struct LiveRegistry {
    std::vector<T*> slots;
    std::size_t holes = 0;

    std::size_t add(T* object) {
        slots.push_back(object);
        return slots.size() - 1;
    }
    void remove(std::size_t index, const T* object) {
        if (index < slots.size() && slots[index] == object) {
            slots[index] = nullptr;
            ++holes;
        }
    }
    T* at(std::size_t index) const { return index < slots.size() ? slots[index] : nullptr; }
    template <class Reindex>
    void compact(Reindex reindex) {
        if (holes < 32 || holes * 2 < slots.size()) return;
        std::size_t next = 0;
        for (T* object : slots) {
            if (!object) continue;
            reindex(*object, next);
            slots[next++] = object;
        }
        slots.resize(next);
        holes = 0;
    }
};

struct ServeEntry {
    EventHandlerFunction* record;
    std::size_t leader;  // entry of the same owner's first registration in this walk
    bool served;
};

struct SharedMessageOrder {
    bool operator()(const std::shared_ptr<Message>& a, const std::shared_ptr<Message>& b) const {
        return MessageOrder()(a.get(), b.get());
    }
};

struct DispatchState {
    HandlerTable globalTable;
    std::vector<std::shared_ptr<Message>> messageQueue;  // heap, earliest at the front
    LiveRegistry<EventHandler> handlers;
    LiveRegistry<EventSystem> systems;
    std::vector<ServeEntry> serveScratch;
    std::vector<EventHandlerFunction*> deliverScratch;
    std::vector<std::shared_ptr<EventHandlerFunction>> retired;
    int walkDepth = 0;
    std::uint64_t dispatchStamp = 0;
    // Messages waiting in the handlers' own queues, all together: with none, the walk over every
    // handler (one per entity) is skipped, which matters when the loading screen delivers due
    // messages at every progress report of a large level.
    std::size_t handlerMessages = 0;
};

// Never destroyed: event systems and handlers with static storage (the sentinel states) leave it
// during exit in an order nobody controls.
DispatchState& dispatchState() {
    static DispatchState* state = new DispatchState;
    return *state;
}

void reportRegistrationError(const char* what) {
    std::cerr << "error: handler registration " << what << std::endl;
}

// Marks a walk over tables or registries; the outermost one frees the records ended meanwhile and
// squeezes the registries.
class WalkGuard {
public:
    WalkGuard() : state(dispatchState()) { ++state.walkDepth; }
    ~WalkGuard() {
        if (--state.walkDepth > 0) return;
        // Records ended during the walk may own captures whose destruction ends more records.
        while (!state.retired.empty()) {
            std::vector<std::shared_ptr<EventHandlerFunction>> dead;
            dead.swap(state.retired);
        }
        MessageDispatcher::compactRegistries();
    }
    WalkGuard(const WalkGuard&) = delete;
    WalkGuard& operator=(const WalkGuard&) = delete;

private:
    DispatchState& state;
};

}  // namespace

void MessageDispatcher::compactRegistries() {
    DispatchState& state = dispatchState();
    if (state.walkDepth > 0) return;
    state.handlers.compact([](EventHandler& handler, std::size_t index) { handler.registryIndex = index; });
    state.systems.compact([](EventSystem& system, std::size_t index) { system.registryIndex = index; });
}

void MessageDispatcher::addHandler(EventHandler& handler) {
    handler.registryIndex = dispatchState().handlers.add(&handler);
}

void MessageDispatcher::removeHandler(EventHandler& handler) {
    dispatchState().handlers.remove(handler.registryIndex, &handler);
    compactRegistries();
}

void MessageDispatcher::addSystem(EventSystem& system) {
    system.registryIndex = dispatchState().systems.add(&system);
}

void MessageDispatcher::removeSystem(EventSystem& system) {
    dispatchState().systems.remove(system.registryIndex, &system);
    compactRegistries();
}

UnregisterHandle MessageDispatcher::registerScoped(HandlerTable& table, EventSystem* system, int type,
                                                   std::shared_ptr<EventHandlerFunction> record) {
    if (!record || !record->owner) {
        reportRegistrationError("without an owner ignored");
        return {};
    }
    if (record->registered) {
        reportRegistrationError("made twice ignored");
        return {};
    }
    record->kind = EventHandlerFunction::Scoped;
    record->messageType = type;
    record->eventSystem = system;
    table.add(record);
    record->owner->table.add(record);
    record->registered = true;
    return UnregisterHandle(std::move(record));
}

UnregisterHandle MessageDispatcher::registerOwn(EventHandler& handler, std::shared_ptr<EventHandlerFunction> record) {
    if (!record || record->owner != &handler) {
        reportRegistrationError("for another owner ignored");
        return {};
    }
    if (record->registered) {
        reportRegistrationError("made twice ignored");
        return {};
    }
    record->kind = EventHandlerFunction::Direct;
    record->eventSystem = nullptr;
    handler.table.add(record);
    record->registered = true;
    return UnregisterHandle(std::move(record));
}

void MessageDispatcher::unregister(EventHandlerFunction& record) {
    if (!record.registered) return;
    DispatchState& state = dispatchState();
    record.registered = false;
    std::shared_ptr<EventHandlerFunction> held = record.owner->table.remove(&record);
    if (record.kind == EventHandlerFunction::Scoped) {
        HandlerTable& table = record.eventSystem ? record.eventSystem->table : state.globalTable;
        std::shared_ptr<EventHandlerFunction> other = table.remove(&record);
        if (!held) held = std::move(other);
    }
    // A walk may still hold the raw record (or be running its function): keep it until the walk ends.
    if (held && state.walkDepth > 0) state.retired.push_back(std::move(held));
}

void MessageDispatcher::clearTable(HandlerTable& table) {
    while (std::shared_ptr<EventHandlerFunction> record = table.first()) {
        if (record->registered) {
            unregister(*record);
        } else {
            table.remove(record.get());
        }
    }
}

void MessageDispatcher::enqueue(EventHandler& handler, std::shared_ptr<Message> message) {
    handler.queue.push_back(std::move(message));
    std::push_heap(handler.queue.begin(), handler.queue.end(), SharedMessageOrder());
    ++dispatchState().handlerMessages;
}

void MessageDispatcher::dropQueue(EventHandler& handler) {
    dispatchState().handlerMessages -= handler.queue.size();
    handler.queue.clear();
}

void MessageDispatcher::enqueueTable(const HandlerTable& table, const std::shared_ptr<Message>& message) {
    const HandlerTable::Records* records = table.find(message->type);
    if (!records) return;
    DispatchState& state = dispatchState();
    const std::uint64_t stamp = ++state.dispatchStamp;
    for (const auto& record : *records) {
        EventHandler* owner = record->owner;
        if (owner->servedStamp == stamp) continue;
        owner->servedStamp = stamp;
        enqueue(*owner, message);
    }
}

void MessageDispatcher::dispatchQueued(const std::shared_ptr<Message>& message) {
    DispatchState& state = dispatchState();
    enqueueTable(state.globalTable, message);
    for (std::size_t i = 0; i < state.systems.slots.size(); ++i) {
        EventSystem* system = state.systems.slots[i];
        if (system && !system->inactive) enqueueTable(system->table, message);
    }
}

void MessageDispatcher::dispatchTableNow(const HandlerTable& table, Message& message) {
    const HandlerTable::Records* records = table.find(message.type);
    if (!records) return;
    DispatchState& state = dispatchState();
    std::vector<ServeEntry>& scratch = state.serveScratch;
    const std::size_t base = scratch.size();
    const std::uint64_t stamp = ++state.dispatchStamp;
    for (const auto& record : *records) {
        EventHandler* owner = record->owner;
        std::size_t leader = scratch.size();
        if (owner->servedStamp == stamp) {
            leader = owner->serveSlot;
        } else {
            owner->servedStamp = stamp;
            owner->serveSlot = leader;
        }
        scratch.push_back(ServeEntry{record.get(), leader, false});
    }
    // From here on the table itself may change or go; only the snapshot is used. A handler is served
    // once, at its first registration that still stands when the walk reaches it.
    const std::size_t end = scratch.size();
    for (std::size_t i = base; i < end; ++i) {
        EventHandlerFunction* record = scratch[i].record;
        if (!record->registered) continue;
        const std::size_t leader = scratch[i].leader;
        if (scratch[leader].served) continue;
        scratch[leader].served = true;
        deliverNow(*record->owner, message);
    }
    scratch.resize(base);
}

void MessageDispatcher::dispatchNow(Message& message) {
    DispatchState& state = dispatchState();
    WalkGuard guard;
    dispatchTableNow(state.globalTable, message);
    // Event systems made while this message is delivered do not receive it.
    const std::size_t count = state.systems.slots.size();
    for (std::size_t i = 0; i < count; ++i) {
        EventSystem* system = state.systems.slots[i];
        if (system && !system->inactive) dispatchTableNow(system->table, message);
    }
}

void MessageDispatcher::deliverNow(EventHandler& handler, Message& message) {
    if (handler.blocked) return;
    const HandlerTable::Records* records = handler.table.find(message.type);
    if (!records) return;
    DispatchState& state = dispatchState();
    WalkGuard guard;
    if (records->size() == 1) {
        records->front()->invoke(message);
        return;
    }
    std::vector<EventHandlerFunction*>& scratch = state.deliverScratch;
    const std::size_t base = scratch.size();
    for (const auto& record : *records) scratch.push_back(record.get());
    const std::size_t end = scratch.size();
    for (std::size_t i = base; i < end; ++i) {
        EventHandlerFunction* record = scratch[i];
        if (record->registered) record->invoke(message);
    }
    scratch.resize(base);
}

void MessageDispatcher::deliverDue(EventHandler& handler, double now) {
    DispatchState& state = dispatchState();
    WalkGuard guard;
    const std::size_t index = handler.registryIndex;
    EventHandler* current = &handler;
    while (current && !current->queue.empty() && !(current->queue.front()->time > now)) {
        std::pop_heap(current->queue.begin(), current->queue.end(), SharedMessageOrder());
        std::shared_ptr<Message> message = std::move(current->queue.back());
        current->queue.pop_back();
        --state.handlerMessages;
        deliverNow(*current, *message);
        current = state.handlers.at(index);  // null once the handler is gone
    }
}

void MessageDispatcher::updateQueues() {
    DispatchState& state = dispatchState();
    WalkGuard guard;
    const double now = currentTime;
    std::vector<std::shared_ptr<Message>>& queue = state.messageQueue;
    while (!queue.empty() && !(queue.front()->time > now)) {
        std::pop_heap(queue.begin(), queue.end(), SharedMessageOrder());
        std::shared_ptr<Message> message = std::move(queue.back());
        queue.pop_back();
        dispatchQueued(message);
    }
    // Handlers made during this walk are visited too: a message sent to one of them for now is due.
    for (std::size_t i = 0; i < state.handlers.slots.size() && state.handlerMessages > 0; ++i) {
        EventHandler* handler = state.handlers.slots[i];
        if (handler && !handler->queue.empty()) deliverDue(*handler, now);
    }
}

void MessageDispatcher::shutdownTable(HandlerTable* table, std::size_t systemIndex) {
    DispatchState& state = dispatchState();
    Message shutdown(31);
    for (;;) {
        HandlerTable* current = table;
        if (!current) {
            EventSystem* system = state.systems.at(systemIndex);
            if (!system) break;
            current = &system->table;
        }
        std::shared_ptr<EventHandlerFunction> record = current->first();
        if (!record) break;
        if (!record->registered) {
            current->remove(record.get());
            continue;
        }
        unregister(*record);
        if (record->messageType == 31) record->invoke(shutdown);
    }
}

void MessageDispatcher::shutdown() {
    DispatchState& state = dispatchState();
    WalkGuard guard;
    for (std::size_t i = 0; i < state.systems.slots.size(); ++i) {
        if (state.systems.slots[i]) shutdownTable(nullptr, i);
    }
    shutdownTable(&state.globalTable, 0);
    std::vector<std::shared_ptr<Message>> dropped;
    dropped.swap(state.messageQueue);
}

void MessageDispatcher::post(Message* message) {
    std::vector<std::shared_ptr<Message>>& queue = dispatchState().messageQueue;
    queue.push_back(std::shared_ptr<Message>(message));
    std::push_heap(queue.begin(), queue.end(), SharedMessageOrder());
}

void sendMessage(Message* message, bool immediate) {
    if (!message) return;
    if (immediate) {
        std::unique_ptr<Message> owned(message);
        MessageDispatcher::dispatchNow(*owned);
    } else {
        MessageDispatcher::post(message);
    }
}

void sendMessageToHandler(Message* message, EventHandler* handler, bool immediate) {
    if (!message) return;
    if (!handler) {
        delete message;
        return;
    }
    if (immediate) {
        std::unique_ptr<Message> owned(message);
        handler->deliver(*owned);
    } else {
        MessageDispatcher::enqueue(*handler, std::shared_ptr<Message>(message));
    }
}

void dispatchMessage(const std::shared_ptr<Message>& message, bool immediate) {
    if (!message) return;
    if (immediate) {
        MessageDispatcher::dispatchNow(*message);
    } else {
        MessageDispatcher::dispatchQueued(message);
    }
}

void updateMessageQueues() { MessageDispatcher::updateQueues(); }

void shutdownMessaging() { MessageDispatcher::shutdown(); }

UnregisterHandle registerGlobalHandler(int type, std::shared_ptr<EventHandlerFunction> record) {
    return MessageDispatcher::registerScoped(dispatchState().globalTable, nullptr, type, std::move(record));
}

void unregisterGlobalHandler(const std::shared_ptr<EventHandlerFunction>& record) {
    if (record && record->kind == EventHandlerFunction::Scoped && !record->eventSystem) {
        MessageDispatcher::unregister(*record);
    }
}

std::size_t queuedMessageCount() { return dispatchState().messageQueue.size(); }

const HandlerTable& globalHandlerTable() { return dispatchState().globalTable; }
