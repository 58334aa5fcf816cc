// One level being run: its entities, named archetypes and state components, its resources (as a
// ResourceManager) and the scope its message handlers are registered in (as an EventSystem).
// Entities and state components join and leave only through pending lists flushed at fixed points,
// so nothing is destroyed while a list is being walked.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/Archetype.h"
#include "engine/CloningContainer.h"
#include "engine/Entity.h"
#include "engine/EventSystem.h"
#include "engine/GameStateComponent.h"
#include "engine/ResourceManager.h"

class BaseInStream;
class BaseOutStream;
class BoxDrawGroup;
class Camera;

class GameState : public ResourceManager, public EventSystem {
public:
    // An empty state for that level file; the first entity id comes from the data file "nextID".
    explicit GameState(const std::string& levelFileName = "");
    GameState(const GameState&) = delete;
    GameState& operator=(const GameState&) = delete;
    // Deletes the entities (also those still waiting to join), the archetypes and the state
    // components.
    ~GameState() override;

    int getVersion() const override { return 2; }

    // First phase of entering: reads the level's resource file name and loads that resource file.
    virtual void load();
    // Second phase of entering, and the whole of a restart: reads the level and initialises it.
    virtual void initialize();
    // One frame: pending changes, every entity unless paused, every enabled state component.
    virtual void update(float dt);
    // Draws the scene with the camera (through the hook graphics installs; without it only the state
    // components draw).
    virtual void draw(Camera* camera);
    // One whole frame on screen; nothing here.
    virtual void render();
    // First phase of leaving: every entity and state component goes; archetypes and resources stay.
    virtual void unload();

    // Level text: the first section ("resourceFileName") and, unless resourcesOnly, the second
    // ("components", "archetypes", "entities").
    void read(BaseInStream& in, int version);
    void write(BaseOutStream& out, int version);

    // Writes the level to the file, framed by the messages SavingLevel and LevelSaved (sent at once). Returns false,
    // after a report, when there is no file name or the file could not be written (an old file is
    // then left as it was). Safe to call from inside an update.
    bool save(const std::string& fileName);

    // The next free entity id (skips 0 unless the counter wrapped, and every id in use).
    std::uint32_t allocateEntityId();

    // Enters the entity in the id map and initialises it; it joins `entities` at the next flush and
    // belongs to the state from now on. An entity whose id another live entity holds gets a fresh id.
    void addEntity(Entity* entity);
    // Takes the entity out of the id map now and deletes it at the next flush (once, however often
    // it is queued).
    void removeEntity(Entity* entity);
    // The same by id; an id no entity has does nothing.
    void removeEntityById(std::uint32_t id);

    // Queues a state component (ownership passes); it joins, gets its owner and is initialised at the
    // next flush.
    void addStateComponent(GameStateComponent* component);
    void addStateComponent(std::unique_ptr<GameStateComponent> component) {
        addStateComponent(component.release());
    }
    // Queues a state component for destruction at the next flush; one that is not ours is ignored.
    void removeStateComponent(GameStateComponent* component);

    // Stores the flag and sends a PauseMessage carrying it at once (also when it did not change).
    void setPaused(bool newPaused);

    // The first state component that is a T, or null; cached per class.
    template <class T>
    T* getComponents();

    void flushAddedEntities();
    void flushRemovedEntities();
    void flushAddedComponents();
    // Flushes the pending state components, then draws every enabled one (the end of the scene draw).
    void drawStateComponents();
    // Batches the boxes of the level (through the hook graphics installs).
    void buildDrawGroups();

    // The file the level is read from: levelFileName, or, once that was cleared (a level loaded from
    // a temporary file has no save target), the file it was last read from.
    const std::string& getLevelSource() const;

    std::string levelFileName;     // where the level is saved to; "" for no save target
    std::string resourceFileName;  // named by the level
    bool resourcesOnly = true;     // while set, reading and writing stop after the first section
    bool started = false;          // set by initialize, cleared by unload
    bool paused = false;           // entities are not updated while set; change it with setPaused
    bool mainMenuOpen = false;     // the main menu stands over the running level

    CloningContainer<GameStateComponent> stateComponents;
    std::unordered_map<int, std::vector<GameStateComponent*>> stateComponentCache;
    std::unordered_map<std::uint32_t, Entity*> entityIdMap;
    std::vector<Entity*> entities;  // owned
    std::list<Entity*> pendingAddedEntities;
    std::list<Entity*> pendingRemovedEntities;
    std::list<std::unique_ptr<GameStateComponent>> pendingAddedComponents;
    std::list<GameStateComponent*> pendingRemovedComponents;
    std::map<std::string, std::unique_ptr<Archetype>> archetypes;
    Entity* rootEntity = nullptr;  // the first entity of the level (the hero) once initialised
    std::uint32_t nextEntityId = 1;
    std::list<std::shared_ptr<BoxDrawGroup>> drawGroups;
    // The file the level was last read from when that reading reported problems (keys or classes
    // stepped over, or reading stopped early); its first overwrite keeps the old file as "<name>.bak".
    std::string readWithErrors;

private:
    void readFirstSection(BaseInStream& in);
    void readSecondSection(BaseInStream& in);
    void readStateComponentList(BaseInStream& in);
    void readArchetypeMap(BaseInStream& in);
    void readEntityList(BaseInStream& in);
    void readLevelFile(bool wholeLevel);
    void renumberRepeatedIds();
    void deleteEntity(Entity* entity);
    const std::vector<GameStateComponent*>& cachedComponents(int key, bool (*matches)(GameStateComponent*));

    std::string loadedFrom;
    // While a save writes, the entities in the order they are written.
    const std::vector<Entity*>* writeOrder = nullptr;
    std::unordered_set<Entity*> pendingRemovedSet;
    // Depth of the entity and state-component walks of update: flushes wait while a walk runs.
    int entityWalks = 0;
    int componentWalks = 0;
};

template <class T>
T* GameState::getComponents() {
    const std::vector<GameStateComponent*>& found = cachedComponents(
        componentClassKey<T>(), [](GameStateComponent* c) { return dynamic_cast<T*>(c) != nullptr; });
    if (found.empty()) return nullptr;
    if constexpr (std::is_base_of_v<GameStateComponent, T>)
        return static_cast<T*>(found.front());
    else
        return dynamic_cast<T*>(found.front());
}

// What graphics and physics add to a game state without the engine knowing their classes.
struct GameStateHooks {
    // The scene draw: sorts and draws the entities, then calls state.drawStateComponents().
    void (*drawScene)(GameState& state, Camera* camera) = nullptr;
    // Builds state.drawGroups once the level is initialised.
    void (*buildDrawGroups)(GameState& state) = nullptr;
    // Prepares the root entity's Body (its sweep ray) once the level is initialised.
    void (*prepareRootBody)(GameState& state, Entity& root) = nullptr;
    // Drops what the scene keeps of an entity about to be deleted (the draw groups it owns).
    void (*forgetEntity)(GameState& state, Entity& entity) = nullptr;
};
GameStateHooks& gameStateHooks();

// Level text of a state's components, as the level file and the editor's property bar write it.
void writeGameStateComponentList(BaseOutStream& out, const CloningContainer<GameStateComponent>& components);
