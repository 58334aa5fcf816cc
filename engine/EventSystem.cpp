// Dispatch scopes.
#include "engine/EventSystem.h"

#include <utility>

#include "engine/MessageDispatcher.h"

EventSystem::EventSystem() { MessageDispatcher::addSystem(*this); }

EventSystem::EventSystem(const EventSystem& other) : ObjectCounter<EventSystem>(other), inactive(other.inactive) {
    MessageDispatcher::addSystem(*this);
}

EventSystem& EventSystem::operator=(const EventSystem& other) {
    inactive = other.inactive;
    return *this;
}

EventSystem::~EventSystem() {
    MessageDispatcher::clearTable(table);
    MessageDispatcher::removeSystem(*this);
}

UnregisterHandle EventSystem::registerHandler(int type, std::shared_ptr<EventHandlerFunction> record) {
    return MessageDispatcher::registerScoped(table, this, type, std::move(record));
}

void EventSystem::unregisterHandler(const std::shared_ptr<EventHandlerFunction>& record) {
    if (record && record->eventSystem == this) MessageDispatcher::unregister(*record);
}
