// One registration of a handler for one message type: who owns it, where it was entered, and the
// function that runs when a message of that type reaches the owner.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

class EventHandler;
class EventSystem;
class Message;

class EventHandlerFunction {
public:
    // Entered in an event system's table or the global table (and the owner's), or only in the owner's.
    enum Kind { Scoped = 0, Direct = 1 };

    explicit EventHandlerFunction(EventHandler* owner);
    EventHandlerFunction(const EventHandlerFunction&) = delete;
    EventHandlerFunction& operator=(const EventHandlerFunction&) = delete;
    virtual ~EventHandlerFunction();

    virtual void invoke(Message& message) = 0;

    int kind = Scoped;
    int messageType = 0;
    EventHandler* owner;
    EventSystem* eventSystem = nullptr;  // null for the global table and for direct registrations
    // Set while the record sits in its tables. Once cleared, owner and eventSystem may be gone.
    bool registered = false;

protected:
    // A message whose class does not match its type id is a sender's bug; it is reported and skipped
    // rather than cast blindly.
    static void reportClassMismatch(const Message& message, const char* expectedClass);
};

// Calls a function object with the owner as H and the message as M.
template <class H, class M>
class FunctorEventHandlerFunction : public EventHandlerFunction {
public:
    using Function = std::function<void(H&, M&)>;

    FunctorEventHandlerFunction(H* owner, Function function)
        : EventHandlerFunction(owner), target(owner), function(std::move(function)) {}

    void invoke(Message& message) override {
        if constexpr (std::is_same_v<M, Message>) {
            function(*target, message);
        } else {
            M* typed = dynamic_cast<M*>(&message);
            if (!typed) {
                reportClassMismatch(message, typeid(M).name());
                return;
            }
            function(*target, *typed);
        }
    }

    H* target;
    Function function;
};
