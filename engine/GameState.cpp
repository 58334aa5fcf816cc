// The game state: scene lists and their flush points, the frame update, entering and leaving a level,
// pausing, saving, and the level text.
#include "engine/GameState.h"

#include <algorithm>
#include <iostream>

#include "core/FileLookup.h"
#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "core/TextFormat.h"
#include "engine/EventHandler.h"
#include "engine/MainLoop.h"
#include "engine/MessageTypes.h"
#include "engine/PauseMessage.h"

namespace {

// Reading and writing a level run with the state as the current one, so that entities take their
// ids from it and archetype references find its archetypes, whoever calls them.
class CurrentStateScope {
public:
    explicit CurrentStateScope(GameState* state) : previous(currentGameState) { currentGameState = state; }
    ~CurrentStateScope() { currentGameState = previous; }
    CurrentStateScope(const CurrentStateScope&) = delete;
    CurrentStateScope& operator=(const CurrentStateScope&) = delete;

private:
    GameState* previous;
};

void setProgressSpan(BaseInStream& in, const char* start, const char* end) {
    in.attributes["progressBar"] = "yes";
    in.attributes["progressBarStart"] = start;
    in.attributes["progressBarEnd"] = end;
}

void setProgressSpan(BaseOutStream& out, const char* start, const char* end) {
    out.attributes["progressBar"] = "yes";
    out.attributes["progressBarStart"] = start;
    out.attributes["progressBarEnd"] = end;
}

// Entities in the order a level is written: the root entity first, then by id (as signed numbers).
std::vector<Entity*> sortedForSaving(std::vector<Entity*> order, const Entity* root) {
    std::sort(order.begin(), order.end(), [root](const Entity* a, const Entity* b) {
        if (a == root || b == root) return a == root && b != root;
        return static_cast<std::int32_t>(a->id) < static_cast<std::int32_t>(b->id);
    });
    return order;
}

}  // namespace

GameStateHooks& gameStateHooks() {
    static GameStateHooks hooks;
    return hooks;
}

GameState::GameState(const std::string& levelFile) : levelFileName(levelFile), loadedFrom(levelFile) {
    // The data file holds the first entity id; the copy shipped in Content serves when there is none
    // of the user's own. Read as any integer value of a data file, so that comments may stand before it.
    std::string found;
    const bool ownFile = findFile("nextID", found);
    FileReader reader(!ownFile && findFile("Content/nextID", found) ? "Content/nextID" : "nextID");
    if (reader.isOpen()) {
        int first = static_cast<int>(nextEntityId);
        readValue(reader, first);
        nextEntityId = static_cast<std::uint32_t>(first);
    }
}

GameState::~GameState() {
    // Components that look entities up while they are destroyed find none.
    entityIdMap.clear();
    rootEntity = nullptr;
    // The draw groups refer to their first members: they go first.
    drawGroups.clear();
    std::unordered_set<Entity*> deleted;
    for (auto it = entities.rbegin(); it != entities.rend(); ++it)
        if (deleted.insert(*it).second) delete *it;
    entities.clear();
    // Entities still waiting to join belong to the state as well.
    for (Entity* entity : pendingAddedEntities)
        if (deleted.insert(entity).second) delete entity;
    pendingAddedEntities.clear();
    pendingRemovedEntities.clear();
    pendingRemovedSet.clear();
    entityIdMap.clear();
    rootEntity = nullptr;
    archetypes.clear();
    drawGroups.clear();
    pendingRemovedComponents.clear();
    pendingAddedComponents.clear();
    while (!stateComponents.empty()) stateComponents.pop_back();
    stateComponentCache.clear();
}

const std::string& GameState::getLevelSource() const { return levelFileName.empty() ? loadedFrom : levelFileName; }

// ---------------------------------------------------------------------------------------------------
// Entities and ids

std::uint32_t GameState::allocateEntityId() {
    for (;;) {
        ++nextEntityId;
        if (entityIdMap.find(nextEntityId) == entityIdMap.end()) return nextEntityId;
        if (nextEntityId == 0) return 0;
    }
}

void GameState::addEntity(Entity* entity) {
    if (!entity) return;
    bool inScene = false;
    if (pendingRemovedSet.erase(entity)) {
        // Added again before its removal was carried out: the removal is called off.
        pendingRemovedEntities.remove(entity);
        inScene = std::find(entities.begin(), entities.end(), entity) != entities.end() ||
                  std::find(pendingAddedEntities.begin(), pendingAddedEntities.end(), entity) !=
                      pendingAddedEntities.end();
    }
    auto found = entityIdMap.find(entity->id);
    if (found != entityIdMap.end()) {
        if (found->second == entity) return;
        // Another live entity holds this id (an archetype that carries one, placed twice).
        entity->id = allocateEntityId();
    }
    entityIdMap[entity->id] = entity;
    if (!inScene) pendingAddedEntities.push_back(entity);
    entity->initialize();
}

void GameState::removeEntity(Entity* entity) {
    if (!entity) return;
    auto found = entityIdMap.find(entity->id);
    if (found != entityIdMap.end() && found->second == entity) entityIdMap.erase(found);
    if (pendingRemovedSet.insert(entity).second) pendingRemovedEntities.push_back(entity);
}

void GameState::removeEntityById(std::uint32_t id) {
    auto found = entityIdMap.find(id);
    if (found != entityIdMap.end()) removeEntity(found->second);
}

void GameState::deleteEntity(Entity* entity) {
    if (entity == rootEntity) rootEntity = nullptr;
    if (gameStateHooks().forgetEntity) gameStateHooks().forgetEntity(*this, *entity);
    delete entity;
}

void GameState::flushAddedEntities() {
    if (entityWalks > 0) return;
    while (!pendingAddedEntities.empty()) {
        entities.push_back(pendingAddedEntities.front());
        pendingAddedEntities.pop_front();
    }
}

void GameState::flushRemovedEntities() {
    if (entityWalks > 0) return;
    // Deleting an entity may queue further removals; they are carried out in the next round.
    while (!pendingRemovedEntities.empty()) {
        std::list<Entity*> batch;
        batch.swap(pendingRemovedEntities);
        pendingRemovedSet.clear();
        std::unordered_set<Entity*> doomed(batch.begin(), batch.end());
        std::unordered_set<Entity*> owned;
        auto keep = [&doomed, &owned](Entity* entity) {
            if (!doomed.count(entity)) return false;
            owned.insert(entity);
            return true;
        };
        entities.erase(std::remove_if(entities.begin(), entities.end(), keep), entities.end());
        pendingAddedEntities.remove_if(keep);
        // Only entities of this state are deleted, each once, in the order they were queued.
        for (Entity* entity : batch)
            if (owned.erase(entity)) deleteEntity(entity);
    }
}

// ---------------------------------------------------------------------------------------------------
// State components

void GameState::addStateComponent(GameStateComponent* component) {
    if (component) pendingAddedComponents.emplace_back(component);
}

void GameState::removeStateComponent(GameStateComponent* component) {
    if (component) pendingRemovedComponents.push_back(component);
}

void GameState::flushAddedComponents() {
    if (componentWalks > 0) return;
    while (!pendingAddedComponents.empty()) {
        std::unique_ptr<GameStateComponent> component = std::move(pendingAddedComponents.front());
        pendingAddedComponents.pop_front();
        GameStateComponent* joined = component.get();
        stateComponents.push_back(std::move(component));
        joined->owner = this;
        joined->initialize();
        stateComponentCache.clear();
    }
    while (!pendingRemovedComponents.empty()) {
        GameStateComponent* component = pendingRemovedComponents.front();
        pendingRemovedComponents.pop_front();
        auto found = std::find_if(stateComponents.begin(), stateComponents.end(),
                                  [component](const auto& c) { return c.get() == component; });
        if (found != stateComponents.end()) {
            std::unique_ptr<GameStateComponent> doomed = std::move(*found);
            stateComponents.erase(found);
            stateComponentCache.clear();
            doomed.reset();
        }
    }
}

const std::vector<GameStateComponent*>& GameState::cachedComponents(int key, bool (*matches)(GameStateComponent*)) {
    auto found = stateComponentCache.find(key);
    if (found != stateComponentCache.end()) return found->second;
    std::vector<GameStateComponent*>& entry = stateComponentCache[key];
    for (const auto& component : stateComponents)
        if (component && matches(component.get())) entry.push_back(component.get());
    return entry;
}

// ---------------------------------------------------------------------------------------------------
// Frames

void GameState::update(float dt) {
    flushAddedEntities();
    flushRemovedEntities();
    if (!paused) {
        ++entityWalks;
        for (std::size_t i = 0; i < entities.size(); ++i) entities[i]->update(dt);
        --entityWalks;
    }
    flushAddedComponents();
    ++componentWalks;
    for (std::size_t i = 0; i < stateComponents.size(); ++i) {
        GameStateComponent* component = stateComponents[i].get();
        if (!component->disabled) component->update(dt);
    }
    --componentWalks;
    flushAddedComponents();
    flushAddedEntities();
    flushRemovedEntities();
}

void GameState::draw(Camera* camera) {
    if (gameStateHooks().drawScene)
        gameStateHooks().drawScene(*this, camera);
    else
        drawStateComponents();
}

void GameState::drawStateComponents() {
    flushAddedComponents();
    for (std::size_t i = 0; i < stateComponents.size(); ++i) {
        GameStateComponent* component = stateComponents[i].get();
        if (!component->disabled) component->draw();
    }
}

void GameState::render() {}

void GameState::buildDrawGroups() {
    if (gameStateHooks().buildDrawGroups) gameStateHooks().buildDrawGroups(*this);
}

void GameState::setPaused(bool newPaused) {
    paused = newPaused;
    sendMessage(new PauseMessage(newPaused), true);
}

// ---------------------------------------------------------------------------------------------------
// Entering and leaving

void GameState::readLevelFile(bool wholeLevel) {
    resourcesOnly = !wholeLevel;
    if (!levelFileName.empty()) loadedFrom = levelFileName;
    const std::string& source = getLevelSource();
    if (source.empty()) {
        std::cerr << "No level file to read: the state has no level file name" << std::endl;
        return;
    }
    FileReader reader(source);
    if (!reader.isOpen()) return;  // reported by the reader
    readValue(reader, *this);
    // Whatever the reader stepped over or stopped at would be lost by overwriting the file.
    if (reader.hadProblems()) readWithErrors = reader.getPath();
}

void GameState::load() {
    CurrentStateScope scope(this);
    readLevelFile(false);
    if (!resourceFileName.empty()) ResourceManager::loadResourceFile(resourceFileName);
    resourcesOnly = false;
}

void GameState::renumberRepeatedIds() {
    // Every id read is entered first, so that a fresh id never takes one a later entity holds.
    std::vector<Entity*> repeated;
    for (Entity* entity : entities)
        if (!entityIdMap.emplace(entity->id, entity).second) repeated.push_back(entity);
    for (Entity* entity : repeated) {
        const std::uint32_t taken = entity->id;
        entity->id = allocateEntityId();
        entityIdMap[entity->id] = entity;
        std::cerr << "Level \"" << getLevelSource() << "\": entity id " << taken
                  << " is taken; the later entity with it gets id " << entity->id << std::endl;
    }
}

void GameState::initialize() {
    CurrentStateScope scope(this);
    readLevelFile(true);
    resourcesOnly = false;
    renumberRepeatedIds();

    progressBarStart = 0.8f;
    progressBarEnd = 0.95f;
    const std::size_t entityCount = entities.size();
    for (std::size_t i = 0; i < entityCount; ++i) {
        Entity* entity = entities[i];
        entityIdMap[entity->id] = entity;
        entity->initialize();
        reportLoadProgress(static_cast<float>(i + 1) / static_cast<float>(entityCount));
    }

    rootEntity = entities.empty() ? nullptr : entities.front();
    if (!rootEntity) {
        std::cerr << "Level \"" << getLevelSource() << "\" has no entity: there is no hero" << std::endl;
    } else if (!rootEntity->body) {
        std::cerr << "Level \"" << getLevelSource() << "\": the first entity (id " << rootEntity->id
                  << ") has no Body" << std::endl;
    } else if (gameStateHooks().prepareRootBody) {
        gameStateHooks().prepareRootBody(*this, *rootEntity);
    }

    progressBarStart = 0.95f;
    progressBarEnd = 1.0f;
    const std::size_t componentCount = stateComponents.size();
    for (std::size_t i = 0; i < componentCount && i < stateComponents.size(); ++i) {
        GameStateComponent* component = stateComponents[i].get();
        component->owner = this;
        component->initialize();
        reportLoadProgress(static_cast<float>(i + 1) / static_cast<float>(componentCount));
    }

    flushAddedComponents();
    buildDrawGroups();
    started = true;
}

void GameState::unload() {
    CurrentStateScope scope(this);
    rootEntity = nullptr;
    started = false;
    // The draw groups refer to their first members: they go first.
    drawGroups.clear();
    flushAddedEntities();
    flushRemovedEntities();
    // Deleting an entity may add or remove others; go on until the scene is empty.
    while (!entities.empty() || !pendingAddedEntities.empty()) {
        flushAddedEntities();
        std::vector<Entity*> batch;
        batch.swap(entities);
        entityIdMap.clear();
        for (Entity* entity : batch) delete entity;
        pendingRemovedEntities.clear();
        pendingRemovedSet.clear();
    }
    entityIdMap.clear();
    flushAddedComponents();
    for (std::size_t i = 0; i < stateComponents.size(); ++i) stateComponents[i]->unload();
    while (!stateComponents.empty()) stateComponents.pop_back();
    stateComponentCache.clear();
    drawGroups.clear();
}

// ---------------------------------------------------------------------------------------------------
// Saving

bool GameState::save(const std::string& fileName) {
    sendMessage(new Message(MessageType::SavingLevel), true);
    bool written = false;
    if (fileName.empty()) {
        std::cerr << "Level not saved: it has no file to be saved to (it was read from \"" << getLevelSource()
                  << "\")" << std::endl;
    } else {
        CurrentStateScope scope(this);
        flushAddedEntities();
        flushRemovedEntities();
        flushAddedComponents();
        // Sorted in place, unless an update is walking the list (an autosave from a component).
        std::vector<Entity*> order = sortedForSaving(entities, rootEntity);
        if (entityWalks == 0) entities = order;
        const bool wasResourcesOnly = resourcesOnly;
        resourcesOnly = false;
        writeOrder = &order;
        FileWriter writer(fileName);
        writeObject(writer, *this);
        writeOrder = nullptr;
        resourcesOnly = wasResourcesOnly;
        written = closeKeepingFileReadWithErrors(writer, readWithErrors);
    }
    sendMessage(new Message(MessageType::LevelSaved), true);
    return written;
}

// ---------------------------------------------------------------------------------------------------
// Level text

void GameState::read(BaseInStream& in, int) {
    readFirstSection(in);
    if (resourcesOnly || in.hasFailed()) return;
    readSecondSection(in);
    stateComponentCache.clear();
}

void GameState::readFirstSection(BaseInStream& in) {
    int count = 0;
    std::string key;
    while (!in.hasFailed()) {
        if (!nextToken(in, key)) {
            in.fail("the level ends before the end of its first section");
            return;
        }
        if (key == "end") {
            in.unget(key);
            break;
        }
        if (key == "resourceFileName") {
            readValue(in, resourceFileName);
            ++count;
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
        if (count >= 1) break;
    }
    in.attributes.clear();
    if (!in.hasFailed()) readLabel(in, "end");
}

void GameState::readSecondSection(BaseInStream& in) {
    enum class Outcome { matched, other, end };
    std::string key;
    // One attempt at one key: its value is read when the next key is that one.
    auto attempt = [this, &in, &key](const char* wanted, const char* start, const char* end,
                                     void (GameState::*readPart)(BaseInStream&)) {
        if (start) setProgressSpan(in, start, end);
        Outcome outcome = Outcome::other;
        if (!nextToken(in, key)) {
            in.attributes.clear();
            in.fail("the level ends before the end of its second section");
            return Outcome::end;
        }
        if (key == "end") {
            in.unget(key);
            outcome = Outcome::end;
        } else if (key == wanted) {
            (this->*readPart)(in);
            outcome = Outcome::matched;
        } else {
            in.unget(key);
        }
        in.attributes.clear();
        return outcome;
    };

    int count = 0;
    while (count < 3 && !in.hasFailed()) {
        bool matchedAny = false;
        Outcome outcome = attempt("components", "0.1 ", "0.2 ", &GameState::readStateComponentList);
        if (outcome == Outcome::end) break;
        if (outcome == Outcome::matched) ++count, matchedAny = true;
        if (in.hasFailed()) break;
        outcome = attempt("archetypes", nullptr, nullptr, &GameState::readArchetypeMap);
        if (outcome == Outcome::end) break;
        if (outcome == Outcome::matched) ++count, matchedAny = true;
        if (in.hasFailed()) break;
        outcome = attempt("entities", "0.2 ", "0.8 ", &GameState::readEntityList);
        if (outcome == Outcome::end) break;
        if (outcome == Outcome::matched) ++count, matchedAny = true;
        if (!matchedAny && !in.hasFailed()) {
            nextToken(in, key);
            skipUnknownKey(in, key);
        }
    }
    if (!in.hasFailed()) readLabel(in, "end");
}

void GameState::readStateComponentList(BaseInStream& in) {
    bool progress = false;
    const int count = readContainerSize(in, progress);
    int done = 0;
    while (nextElement(in)) {
        std::unique_ptr<GameStateComponent> component;
        readValue(in, component);
        if (in.hasFailed()) break;  // a component read halfway is not kept
        ++done;
        if (progress && count > 0) reportLoadProgress(static_cast<float>(done) / static_cast<float>(count));
        if (!component) {
            in.warn("a NULL state component is left out");
            continue;
        }
        stateComponents.push_back(std::move(component));
    }
}

void GameState::readArchetypeMap(BaseInStream& in) {
    bool progress = false;
    readContainerSize(in, progress);
    while (nextElement(in)) {
        std::string name;
        readValue(in, name);
        char code = BaseOutStream::lineEnd;
        in.read(code);
        std::unique_ptr<Archetype> archetype;
        readValue(in, archetype);
        if (in.hasFailed()) break;
        if (!archetype) {
            in.warn("archetype \"" + name + "\" is NULL and left out");
            continue;
        }
        // A name already present keeps the archetype stored first (also across restarts).
        archetypes.emplace(name, std::move(archetype));
    }
}

void GameState::readEntityList(BaseInStream& in) {
    bool progress = false;
    const int count = readContainerSize(in, progress);
    int done = 0;
    while (nextElement(in)) {
        Entity* entity = nullptr;
        readValue(in, entity);
        // What was read of an entity before the input went wrong is kept.
        if (entity) entities.push_back(entity);
        if (in.hasFailed()) break;
        if (!entity) in.warn("a NULL entity is left out");
        ++done;
        if (progress && count > 0) reportLoadProgress(static_cast<float>(done) / static_cast<float>(count));
    }
}

void GameState::write(BaseOutStream& out, int) {
    writeField(out, "resourceFileName", resourceFileName);
    writeEnd(out);
    writeCode(out, BaseOutStream::lineEnd);
    if (!resourcesOnly) {
        setProgressSpan(out, "0.1 ", "0.2 ");
        writeStringToken(out, "components");
        writeCode(out, BaseOutStream::indent);
        writeGameStateComponentList(out, stateComponents);
        writeCode(out, BaseOutStream::dedent);
        writeCode(out, BaseOutStream::lineEnd);
        out.attributes.clear();
        writeField(out, "archetypes", archetypes);
        setProgressSpan(out, "0.2 ", "0.8 ");
        writeField(out, "entities", writeOrder ? *writeOrder : entities);
    }
    writeEnd(out);
    stateComponentCache.clear();
}

void writeGameStateComponentList(BaseOutStream& out, const CloningContainer<GameStateComponent>& components) {
    writeContainer(out, components);
}
