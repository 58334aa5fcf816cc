// Message 13: a contact reported to one of its two entities, with the other entity's id. The normal
// points towards the receiver (for every pair with the usual convention).
#pragma once

#include <cstdint>

#include "engine/Message.h"
#include "physics/Contact.h"

class CollisionMessage : public Message {
public:
    static constexpr int messageType = 13;

    CollisionMessage(std::uint32_t otherEntityId, const Contact& contact);
    ~CollisionMessage() override;

    std::uint32_t otherEntityId;
    Contact contact;
};
