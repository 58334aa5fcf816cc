// A dispatch scope with its own registrations: every game state and every menu is one. A queued or
// broadcast message reaches the global table first, then every live, active event system in the order
// they were made.
#pragma once

#include <cstddef>
#include <memory>

#include "core/ObjectCounter.h"
#include "engine/EventHandlerFunction.h"
#include "engine/HandlerTable.h"
#include "engine/UnregisterHandle.h"

class EventSystem : public ObjectCounter<EventSystem> {
public:
    EventSystem();
    // A copy is a new scope with no registrations.
    EventSystem(const EventSystem& other);
    EventSystem& operator=(const EventSystem& other);
    // Ends every registration still entered here.
    virtual ~EventSystem();

    // Enters the record here and in its owner's own table.
    UnregisterHandle registerHandler(int type, std::shared_ptr<EventHandlerFunction> record);
    void unregisterHandler(const std::shared_ptr<EventHandlerFunction>& record);

    const HandlerTable& getHandlerTable() const { return table; }

    // While set, broadcasts skip this scope.
    bool inactive = false;

private:
    friend class MessageDispatcher;

    HandlerTable table;
    std::size_t registryIndex = 0;
};
