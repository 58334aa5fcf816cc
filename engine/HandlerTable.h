// Registrations by message type, each type's list in registration order. Types are kept sorted so
// that walking a whole table (shut-down) is deterministic.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

class EventHandlerFunction;

class HandlerTable {
public:
    using Records = std::vector<std::shared_ptr<EventHandlerFunction>>;

    HandlerTable() = default;
    HandlerTable(const HandlerTable&) = delete;
    HandlerTable& operator=(const HandlerTable&) = delete;

    // The list for a type, or null when nothing is registered for it.
    const Records* find(int type) const;
    // Appends to the list of the record's message type.
    void add(std::shared_ptr<EventHandlerFunction> record);
    // Takes the record out and hands back the table's reference (null if it was not here); a list
    // left empty is dropped.
    std::shared_ptr<EventHandlerFunction> remove(const EventHandlerFunction* record);
    // The first record of the lowest type, or null.
    std::shared_ptr<EventHandlerFunction> first() const;

    bool empty() const { return entries.empty(); }
    std::size_t size() const;
    std::size_t count(int type) const;

private:
    struct Entry {
        int type;
        Records records;
    };
    std::vector<Entry> entries;  // sorted by type
};
