// Registration records.
#include "engine/EventHandlerFunction.h"

#include <iostream>

#include "engine/Message.h"

EventHandlerFunction::EventHandlerFunction(EventHandler* owner) : owner(owner) {}

EventHandlerFunction::~EventHandlerFunction() = default;

void EventHandlerFunction::reportClassMismatch(const Message& message, const char* expectedClass) {
    std::cerr << "error: message of type " << message.type << " is not a " << expectedClass
              << "; handler skipped" << std::endl;
}
