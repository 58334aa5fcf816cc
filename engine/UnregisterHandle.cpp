// Handles that end a registration on request.
#include "engine/UnregisterHandle.h"

#include <utility>

#include "engine/EventHandlerFunction.h"
#include "engine/MessageDispatcher.h"

UnregisterHandle::UnregisterHandle(std::shared_ptr<EventHandlerFunction> record) : record(std::move(record)) {}

UnregisterHandle::UnregisterHandle(const UnregisterHandle& other) : record(other.record) {}

UnregisterHandle::UnregisterHandle(UnregisterHandle&& other) noexcept
    : record(std::move(other.record)), active(other.active) {
    other.active = false;
}

UnregisterHandle& UnregisterHandle::operator=(const UnregisterHandle& other) {
    if (this == &other) return *this;
    std::shared_ptr<EventHandlerFunction> taken = other.record;  // survives our own release
    releaseIfActive();
    record = std::move(taken);
    active = false;
    return *this;
}

UnregisterHandle& UnregisterHandle::operator=(UnregisterHandle&& other) noexcept {
    if (this == &other) return *this;
    std::shared_ptr<EventHandlerFunction> taken = std::move(other.record);
    const bool takenActive = other.active;
    other.active = false;
    releaseIfActive();
    record = std::move(taken);
    active = takenActive;
    return *this;
}

UnregisterHandle::~UnregisterHandle() { releaseIfActive(); }

void UnregisterHandle::release() {
    if (record) MessageDispatcher::unregister(*record);
    record.reset();
    active = false;
}

void UnregisterHandle::setActive(bool value) { active = value; }

bool UnregisterHandle::isRegistered() const { return record && record->registered; }

void UnregisterHandle::releaseIfActive() {
    if (active) release();
}
