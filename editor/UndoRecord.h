// One step the editor can take back: the text of entities as they were before an edit, or the ids of
// the entities the edit created. Taking it back deletes and re-creates entities.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Entity;

struct UndoRecord {
    // What undoing the record does.
    enum Kind : int {
        recreateOne = 0,     // re-create one deleted entity from text
        restoreOne = 1,      // delete the entity entityId, re-create it from text
        deleteOne = 2,       // delete the created entity entityId
        recreateMany = 3,    // re-create every entity of the text
        restoreMany = 4,     // delete the entities entityIds, re-create every entity of the text
        deleteMany = 5,      // delete the created entities entityIds
    };

    UndoRecord(std::uint32_t entityId, int kind, std::string text);
    UndoRecord(std::vector<std::uint32_t> entityIds, int kind, std::string text);

    std::uint32_t entityId = 0;
    std::vector<std::uint32_t> entityIds;
    int kind = 0;
    std::string text;
};

// The level text of one entity (written as an entity pointer), and of a list of them (a container).
std::string entityToText(Entity* entity);
std::string entitiesToText(const std::vector<Entity*>& entities);
// New entities read back from such text; they belong to no game state yet. Null or empty when the
// text holds none.
Entity* entityFromText(const std::string& text);
std::vector<Entity*> entitiesFromText(const std::string& text);
