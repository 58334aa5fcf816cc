// Undo records and the entity text they keep.
#include "editor/UndoRecord.h"

#include <sstream>
#include <utility>

#include "core/IStreamWrapper.h"
#include "core/OStreamWrapper.h"
#include "core/TextFormat.h"
#include "engine/Entity.h"

UndoRecord::UndoRecord(std::uint32_t entityId, int kind, std::string text)
    : entityId(entityId), kind(kind), text(std::move(text)) {}

UndoRecord::UndoRecord(std::vector<std::uint32_t> entityIds, int kind, std::string text)
    : entityIds(std::move(entityIds)), kind(kind), text(std::move(text)) {}

std::string entityToText(Entity* entity) {
    std::ostringstream text;
    OStreamWrapper out(text);
    writeValue(out, entity);
    return text.str();
}

std::string entitiesToText(const std::vector<Entity*>& entities) {
    std::ostringstream text;
    OStreamWrapper out(text);
    writeValue(out, entities);
    return text.str();
}

Entity* entityFromText(const std::string& text) {
    std::istringstream stream(text);
    IStreamWrapper in(stream, "undo record");
    Entity* entity = nullptr;
    readValue(in, entity);
    return entity;
}

std::vector<Entity*> entitiesFromText(const std::string& text) {
    std::istringstream stream(text);
    IStreamWrapper in(stream, "undo record");
    std::vector<Entity*> entities;
    readValue(in, entities);
    std::erase(entities, nullptr);
    return entities;
}
