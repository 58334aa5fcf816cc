// Receivers of messages.
#include "engine/EventHandler.h"

#include <utility>

EventHandler::EventHandler() { MessageDispatcher::addHandler(*this); }

EventHandler::EventHandler(const EventHandler& other) : ObjectCounter<EventHandler>(other), blocked(other.blocked) {
    MessageDispatcher::addHandler(*this);
}

EventHandler& EventHandler::operator=(const EventHandler& other) {
    blocked = other.blocked;
    return *this;
}

EventHandler::~EventHandler() {
    MessageDispatcher::dropQueue(*this);
    MessageDispatcher::clearTable(table);
    MessageDispatcher::removeHandler(*this);
}

void EventHandler::setActive(bool) {}

void EventHandler::deliver(Message& message) { MessageDispatcher::deliverNow(*this, message); }

void EventHandler::deliverDueMessages(double now) { MessageDispatcher::deliverDue(*this, now); }

UnregisterHandle EventHandler::addHandlerFunction(std::shared_ptr<EventHandlerFunction> record) {
    return MessageDispatcher::registerOwn(*this, std::move(record));
}

void EventHandler::removeHandlerFunction(const std::shared_ptr<EventHandlerFunction>& record) {
    if (record && record->owner == this) MessageDispatcher::unregister(*record);
}
