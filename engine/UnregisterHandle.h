// What every registration returns. A handle comes back inactive: dropping it leaves the registration
// in force until its owner goes. An activated handle ends the registration when released, destroyed
// or overwritten. Releasing after the owner is gone does nothing.
#pragma once

#include <memory>

class EventHandlerFunction;

class UnregisterHandle {
public:
    UnregisterHandle() = default;
    explicit UnregisterHandle(std::shared_ptr<EventHandlerFunction> record);
    // A copy refers to the same registration but is inactive, so one registration has one releaser.
    UnregisterHandle(const UnregisterHandle& other);
    UnregisterHandle(UnregisterHandle&& other) noexcept;
    // Releases this handle's own registration when active, then takes the other's record, inactive.
    UnregisterHandle& operator=(const UnregisterHandle& other);
    // As above, but the active flag moves along with the record.
    UnregisterHandle& operator=(UnregisterHandle&& other) noexcept;
    virtual ~UnregisterHandle();

    // Ends the registration (if it still stands), drops the record and clears the flag.
    void release();

    void setActive(bool active);
    bool isActive() const { return active; }
    // Whether the registration this handle refers to is still in force.
    bool isRegistered() const;
    const std::shared_ptr<EventHandlerFunction>& getRecord() const { return record; }

private:
    void releaseIfActive();

    std::shared_ptr<EventHandlerFunction> record;
    bool active = false;
};
