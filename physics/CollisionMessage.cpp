// Message 13: a contact as one of its entities receives it.
#include "physics/CollisionMessage.h"

CollisionMessage::CollisionMessage(std::uint32_t otherEntityId, const Contact& contact)
    : Message(messageType), otherEntityId(otherEntityId), contact(contact) {}

CollisionMessage::~CollisionMessage() = default;
