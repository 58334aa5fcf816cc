// Base of every message the engine sends: a type id, the time it was made and its creation number.
// Handlers look only at the type; subclasses carry the payload.
#pragma once

#include <cstdint>

// Incremented by every message made; ties in time are broken by it.
extern std::uint32_t messageSequence;

class Message {
public:
    // Stamps the message with currentTime and the next sequence number.
    explicit Message(int type = 0);
    Message(const Message& other) = default;
    Message& operator=(const Message& other) = default;
    virtual ~Message();

    int type;
    double time;  // seconds; a sender may move it before queuing to delay delivery
    std::uint32_t sequence;
};

// Heap comparator of the message queues: true when a is due after b, so the heap's front is the
// earliest message (time first, then creation sequence).
struct MessageOrder {
    bool operator()(const Message* a, const Message* b) const {
        if (a->time != b->time) return a->time > b->time;
        if (a->sequence != b->sequence) return a->sequence > b->sequence;
        return a > b;
    }
};
