// Per-type registration lists kept sorted by type.
#include "engine/HandlerTable.h"

#include <algorithm>

#include "engine/EventHandlerFunction.h"

namespace {

template <class Entries>
auto findEntry(Entries& entries, int type) {
    return std::lower_bound(entries.begin(), entries.end(), type,
                            [](const auto& entry, int value) { return entry.type < value; });
}

}  // namespace

const HandlerTable::Records* HandlerTable::find(int type) const {
    auto it = findEntry(entries, type);
    if (it == entries.end() || it->type != type) return nullptr;
    return &it->records;
}

void HandlerTable::add(std::shared_ptr<EventHandlerFunction> record) {
    const int type = record->messageType;
    auto it = findEntry(entries, type);
    if (it == entries.end() || it->type != type) it = entries.insert(it, Entry{type, {}});
    it->records.push_back(std::move(record));
}

std::shared_ptr<EventHandlerFunction> HandlerTable::remove(const EventHandlerFunction* record) {
    auto it = findEntry(entries, record->messageType);
    if (it == entries.end() || it->type != record->messageType) return nullptr;
    Records& records = it->records;
    // Scenes tear down newest first, so search from the back.
    for (auto position = records.end(); position != records.begin();) {
        --position;
        if (position->get() != record) continue;
        std::shared_ptr<EventHandlerFunction> taken = std::move(*position);
        records.erase(position);
        if (records.empty()) entries.erase(it);
        return taken;
    }
    return nullptr;
}

std::shared_ptr<EventHandlerFunction> HandlerTable::first() const {
    if (entries.empty()) return nullptr;
    return entries.front().records.front();
}

std::size_t HandlerTable::size() const {
    std::size_t total = 0;
    for (const Entry& entry : entries) total += entry.records.size();
    return total;
}

std::size_t HandlerTable::count(int type) const {
    const Records* records = find(type);
    return records ? records->size() : 0;
}
