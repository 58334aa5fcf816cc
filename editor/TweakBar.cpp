// Property bars: filling a bar from its object's writer, the buttons and type-choice popups, the
// delayed refill after a change, and keeping bars off memory their objects no longer own.
#include "editor/TweakBar.h"

#include <algorithm>
#include <map>
#include <type_traits>

#include "core/Configuration.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"
#include "editor/TweakBarSerializer.h"
#include "effects/ParticleEmitter.h"
#include "effects/Pattern.h"
#include "effects/PatternDispenser.h"
#include "engine/Entity.h"
#include "engine/GameState.h"
#include "engine/GameStateComponent.h"
#include "engine/Logic.h"
#include "engine/MainLoop.h"
#include "engine/MessageDispatcher.h"
#include "engine/MessageTypes.h"
#include "graphics/Graphics.h"
#include "platform/TweakBarWrapper.h"

std::int32_t liveTweakBars = 0;

namespace {

using StateComponents = CloningContainer<GameStateComponent>;

std::vector<TweakBarBase*>& liveBars() {
    static std::vector<TweakBarBase*> bars;
    return bars;
}

// Popups released while a button callback runs, and how deep inside callbacks we are.
std::vector<std::shared_ptr<TweakBarBase>>& releasedBars() {
    static std::vector<std::shared_ptr<TweakBarBase>> bars;
    return bars;
}
int callbackDepth = 0;

constexpr float refillDelay = 0.2f;

}  // namespace

// --- Shared part ----------------------------------------------------------------------------------------

TweakBarBase::TweakBarBase(const std::string& barName) : name(barName), bar(TwNewBar(barName.c_str())) {
    ++liveTweakBars;
    liveBars().push_back(this);
    TwSetDrawPrologue(&validateTweakBars);
}

TweakBarBase::~TweakBarBase() {
    TwDeleteBar(bar);
    auto& bars = liveBars();
    bars.erase(std::remove(bars.begin(), bars.end(), this), bars.end());
    for (TwType type : ownedTypes) TwRemoveStruct(type);
    if (--liveTweakBars == 0) {
        vector4StructDefined = false;
        TwClearAllStructs();
    }
}

void TweakBarBase::clearContent() {
    TwRemoveAllVars(bar);
    for (TwType type : ownedTypes) TwRemoveStruct(type);
    ownedTypes.clear();
    layout.clear();
    filled = false;
}

void TweakBarBase::releaseLater(std::shared_ptr<TweakBarBase> released) {
    if (callbackDepth > 0) releasedBars().push_back(std::move(released));
}

void validateTweakBars() {
    std::vector<TweakBarBase*> snapshot = liveBars();
    for (TweakBarBase* bar : snapshot) {
        const auto& bars = liveBars();
        if (std::find(bars.begin(), bars.end(), bar) != bars.end()) bar->validate();
    }
}

// Every button goes through here, so that what its callback releases outlives the callback.
struct TweakBarCallbacks {
    template <class T>
    static void dispatch(void* clientData) {
        auto* record = static_cast<typename TweakBar<T>::ButtonRecord*>(clientData);
        ++callbackDepth;
        record->callback(record);
        if (--callbackDepth == 0) {
            std::vector<std::shared_ptr<TweakBarBase>> released;
            released.swap(releasedBars());
        }
    }
};

// --- Construction, filling and rebuilding -------------------------------------------------------------

template <class T>
TweakBar<T>::TweakBar(const std::string& barName, T* barObject, bool skipFill) : TweakBarBase(barName), object(barObject) {
    track();
    registerMessageHandler(MessageType::Generic, this, [](TweakBar& self, Message&) {
        self.awaitingRefill = false;
        self.fill();
    });
    if (std::is_same_v<T, Configuration> || !skipFill) fill();
}

// Objects of the running level are found again before every draw; others are the owner's care.
template <class T>
void TweakBar<T>::track() {
    tracked = false;
    if constexpr (std::is_same_v<T, Entity>) {
        if (object) ownerId = object->id, tracked = findEntityById(ownerId) == object;
    } else if constexpr (std::is_same_v<T, Graphics>) {
        if (object && object->getOwner()) {
            ownerId = object->getOwner()->id;
            Entity* entity = findEntityById(ownerId);
            tracked = entity && entity->graphics == object;
        }
    } else if constexpr (std::is_same_v<T, StateComponents>) {
        tracked = currentGameState && object == &currentGameState->stateComponents;
    }
}

template <class T>
void TweakBar<T>::follow(T* current) {
    if (current == object) return;
    for (auto& popup : popups) releaseLater(popup);
    popups.clear();
    object = current;
    track();
    awaitingRefill = false;
    if (current)
        fill();
    else
        clearContent();
}

template <class T>
TweakBar<T>::~TweakBar() {
    // Popups go before the base part deletes this bar's layer bar.
    popups.clear();
}

template <class T>
T* TweakBar<T>::locate() {
    if (!tracked) return object;
    if (!currentGameState) return nullptr;
    if constexpr (std::is_same_v<T, Entity>) {
        return findEntityById(ownerId);
    } else if constexpr (std::is_same_v<T, Graphics>) {
        Entity* entity = findEntityById(ownerId);
        return entity ? entity->graphics : nullptr;
    } else if constexpr (std::is_same_v<T, StateComponents>) {
        return &currentGameState->stateComponents;
    } else {
        return object;
    }
}

template <class T>
std::shared_ptr<TweakBarSerializer> TweakBar<T>::serialize(T* current, std::vector<TwType>* defined) {
    if constexpr (std::is_same_v<T, StateComponents>) {
        auto root = std::make_shared<TweakBarContainerSerializer>(current);
        root->definedTypes = defined;
        writeGameStateComponentList(*root, *current);
        return root;
    } else {
        std::string className = std::is_same_v<T, Configuration> ? std::string("Configuration") : dynamicTypeName(*current);
        std::size_t size = 0;
        if (const Type* type = findType(className)) size = type->getSize();
        if (size == 0) size = sizeof(T);
        auto root = std::make_shared<TweakBarClassSerializer>(current, className, size);
        root->definedTypes = defined;
        BaseOutStream& out = root->objectStream(current, className);
        if constexpr (std::is_same_v<T, Configuration>)
            writeConfiguration(out, *current);
        else
            writeObject(out, *current);
        return root;
    }
}

template <class T>
std::vector<std::uintptr_t> TweakBar<T>::currentLayout(T* current) {
    std::vector<std::uintptr_t> result;
    auto root = serialize(current, nullptr);
    root->appendLayout(result);
    return result;
}

template <class T>
void TweakBar<T>::fill() {
    clearContent();
    T* current = locate();
    if (!current) return;
    object = current;
    {
        auto root = serialize(object, &ownedTypes);
        TwType type = root->getTwType();
        TwAddVarRW(bar, name.c_str(), type, object, "");
        root->appendLayout(layout);
    }
    filled = true;
    if constexpr (!std::is_same_v<T, Configuration>) {
        TwAddSeparator(bar, nullptr, "");
        addButtons();
    }
}

template <class T>
void TweakBar<T>::rebuild() {
    std::vector<std::shared_ptr<TweakBar>> detached;
    detached.swap(popups);
    for (auto& popup : detached) releaseLater(popup);
    detached.clear();
    clearContent();
    awaitingRefill = true;
    auto* refill = new Message(MessageType::Generic);
    refill->time = currentTime + double(refillDelay);
    sendMessageToHandler(refill, this);
}

template <class T>
void TweakBar<T>::validate() {
    if (parent) return;
    T* current = locate();
    if (current != object) {
        // Popups list parts of the old object: they go, even while the bar waits for its refill.
        for (auto& popup : popups) releaseLater(popup);
        popups.clear();
        object = current;
        if (awaitingRefill) return;
        if (current)
            fill();
        else
            clearContent();
        return;
    }
    if (!current || awaitingRefill) return;
    if (!filled || currentLayout(current) != layout) {
        for (auto& popup : popups) releaseLater(popup);
        popups.clear();
        fill();
    }
}

template <class T>
void TweakBar<T>::addButton(const std::string& label, void (*callback)(ButtonRecord* record), void* data) {
    buttons.push_back(ButtonRecord{this, data, callback});
    TwAddButton(bar, label.c_str(), &TweakBarCallbacks::dispatch<T>, &buttons.back(), "");
}

template <class T>
void TweakBar<T>::addPopup(std::shared_ptr<TweakBar> popup) {
    popup->parent = this;
    popups.push_back(std::move(popup));
}

// --- Buttons, popups and choices ------------------------------------------------------------------------

namespace {

template <class T>
using Record = typename TweakBar<T>::ButtonRecord;
template <class T>
using Entries = std::vector<std::pair<std::string, void*>>;

template <class T>
void cancelButton(Record<T>* record) {
    TweakBar<T>* popup = record->owner;
    TweakBar<T>* opener = popup->parent;
    if (!opener) return;
    auto found = std::find_if(opener->popups.begin(), opener->popups.end(),
                              [popup](const std::shared_ptr<TweakBar<T>>& p) { return p.get() == popup; });
    if (found == opener->popups.end()) return;
    std::shared_ptr<TweakBar<T>> closing = *found;
    opener->popups.erase(found);
    TweakBarBase::releaseLater(std::move(closing));
}

template <class T>
void openPopup(TweakBar<T>* opener, const std::string& label, const Entries<T>& entries, void (*choice)(Record<T>*)) {
    auto popup = makePopup(label, opener->object);
    for (const auto& [entryLabel, data] : entries) popup->addButton(entryLabel, choice, data);
    TwAddSeparator(popup->bar, nullptr, "");
    popup->addButton("Cancel", &cancelButton<T>, nullptr);
    opener->addPopup(popup);
}

// The registered classes of one kind; by name when sorted, else in the registry's own order.
template <class T>
Entries<T> classEntries(bool (Type::*kind)() const, bool sorted) {
    Entries<T> entries;
    std::map<std::string, Type*> byName;
    for (Type* type : ObjectCounter<Type>::snapshot()) {
        if (!(type->*kind)()) continue;
        if (sorted)
            byName.emplace(type->getName(), type);
        else
            entries.emplace_back(type->getName(), type);
    }
    for (const auto& [typeName, type] : byName) entries.emplace_back(typeName, type);
    return entries;
}

// The parts an object has, labelled by class with a running number from the second of a class on.
template <class T, class Part>
Entries<T> partEntries(const std::vector<Part*>& parts) {
    Entries<T> entries;
    std::map<std::string, int> seen;
    for (Part* part : parts) {
        std::string label = dynamicTypeName(*part);
        int count = ++seen[label];
        if (count > 1) label += " " + std::to_string(count);
        entries.emplace_back(label, part);
    }
    return entries;
}

template <class B>
B* createAs(void* typeData) {
    const Type* type = static_cast<const Type*>(typeData);
    void* created = type->create();
    B* cast = pointerCast<B>(*type, created);
    if (!cast) type->destroy(created);
    return cast;
}

Graphics* graphicsOf(Entity* entity) { return entity->graphics; }
Graphics* graphicsOf(Graphics* graphics) { return graphics; }

// -- Patterns (entity and Graphics bars)

template <class T>
void addPatternChoice(Record<T>* record) {
    TweakBar<T>* opener = record->owner->parent;
    T* object = record->owner->object;
    Pattern* pattern = createAs<Pattern>(record->data);
    if (pattern) {
        bool placed = false;
        if constexpr (std::is_same_v<T, Entity>) {
            for (auto& component : object->components) {
                auto* dispenser = dynamic_cast<PatternDispenser*>(component.get());
                if (dispenser && !dispenser->pattern) {
                    dispenser->setPattern(pattern);
                    placed = true;
                    break;
                }
            }
        }
        Graphics* graphics = graphicsOf(object);
        if (!placed && graphics) {
            graphics->patterns.push_back(pattern);
            placed = true;
        }
        if (!placed) delete pattern;
    }
    if (opener) opener->rebuild();
}

template <class T>
void openAddPattern(TweakBar<T>* opener) {
    openPopup<T>(opener, "Add Pattern", classEntries<T>(&Type::isPattern, false), &addPatternChoice<T>);
}

template <class T>
void addPatternButton(Record<T>* record) {
    openAddPattern(record->owner);
}

template <class T>
void deletePatternChoice(Record<T>* record) {
    TweakBar<T>* opener = record->owner->parent;
    Graphics* graphics = graphicsOf(record->owner->object);
    auto* pattern = static_cast<Pattern*>(record->data);
    if (graphics) {
        auto found = std::find(graphics->patterns.begin(), graphics->patterns.end(), pattern);
        if (found != graphics->patterns.end()) {
            graphics->patterns.erase(found);
            delete pattern;
        }
    }
    if (opener) opener->rebuild();
}

template <class T>
void deletePatternButton(Record<T>* record) {
    Graphics* graphics = graphicsOf(record->owner->object);
    std::vector<Pattern*> patterns;
    if (graphics) patterns = graphics->patterns;
    openPopup<T>(record->owner, "Delete Pattern", partEntries<T>(patterns), &deletePatternChoice<T>);
}

// -- Entity bars

void addComponentChoice(Record<Entity>* record) {
    TweakBar<Entity>* opener = record->owner->parent;
    Entity* entity = record->owner->object;
    Component* component = createAs<Component>(record->data);
    bool dispenser = dynamic_cast<PatternDispenser*>(component) != nullptr;
    if (component) entity->addComponent(component);
    if (!opener) return;
    opener->rebuild();
    if (dispenser) openAddPattern(opener);
}

void addComponentButton(Record<Entity>* record) {
    openPopup<Entity>(record->owner, "Add Component", classEntries<Entity>(&Type::isComponent, true), &addComponentChoice);
}

void deleteComponentChoice(Record<Entity>* record) {
    TweakBar<Entity>* opener = record->owner->parent;
    record->owner->object->removeComponent(static_cast<Component*>(record->data));
    if (opener) opener->rebuild();
}

void deleteComponentButton(Record<Entity>* record) {
    Entity* entity = record->owner->object;
    if (entity->components.empty()) return;
    std::vector<Component*> parts;
    for (auto& component : entity->components) parts.push_back(component.get());
    openPopup<Entity>(record->owner, "Delete Component", partEntries<Entity>(parts), &deleteComponentChoice);
}

void addLogicChoice(Record<Entity>* record) {
    TweakBar<Entity>* opener = record->owner->parent;
    Entity* entity = record->owner->object;
    if (!entity->getComponent<Logic>())
        if (Logic* logic = createAs<Logic>(record->data)) entity->addComponent(logic);
    if (opener) opener->rebuild();
}

void addLogicButton(Record<Entity>* record) {
    openPopup<Entity>(record->owner, "Add Logic", classEntries<Entity>(&Type::isLogic, false), &addLogicChoice);
}

void deleteLogicButton(Record<Entity>* record) {
    Entity* entity = record->owner->object;
    Logic* logic = entity->getComponent<Logic>();
    if (!logic) return;
    entity->removeComponent(logic);
    record->owner->rebuild();
}

void resetParticleEmitterButton(Record<Entity>* record) {
    for (ParticleEmitter* emitter : record->owner->object->getComponents<ParticleEmitter>()) emitter->resetPool();
}

// -- State-component bars

void addGameStateComponentChoice(Record<StateComponents>* record) {
    TweakBar<StateComponents>* opener = record->owner->parent;
    StateComponents* container = record->owner->object;
    GameState* state = container->empty() || !container->front() ? currentGameState : container->front()->getOwner();
    if (GameStateComponent* component = createAs<GameStateComponent>(record->data)) {
        if (state)
            state->addStateComponent(component);
        else
            delete component;
    }
    if (opener) opener->rebuild();
}

void addGameStateComponentButton(Record<StateComponents>* record) {
    openPopup<StateComponents>(record->owner, "Add GameStateComponent",
                               classEntries<StateComponents>(&Type::isGameStateComponent, false), &addGameStateComponentChoice);
}

void deleteGameStateComponentChoice(Record<StateComponents>* record) {
    TweakBar<StateComponents>* opener = record->owner->parent;
    auto* component = static_cast<GameStateComponent*>(record->data);
    if (GameState* state = component->getOwner()) state->removeStateComponent(component);
    if (opener) opener->rebuild();
}

void deleteGameStateComponentButton(Record<StateComponents>* record) {
    std::vector<GameStateComponent*> parts;
    for (auto& component : *record->owner->object)
        if (component) parts.push_back(component.get());
    openPopup<StateComponents>(record->owner, "Delete GameStateComponent", partEntries<StateComponents>(parts),
                               &deleteGameStateComponentChoice);
}

}  // namespace

template <class T>
void TweakBar<T>::addButtons() {
    if constexpr (std::is_same_v<T, Entity>) {
        addButton("Add Component", &addComponentButton, this);
        if (!object->components.empty()) addButton("Delete Component", &deleteComponentButton, this);
        if (object->graphics) {
            addButton("Add Pattern", &addPatternButton<Entity>, this);
            if (!object->graphics->patterns.empty()) addButton("Delete Pattern", &deletePatternButton<Entity>, this);
        }
        addButton("Add Logic", &addLogicButton, this);
        addButton("Delete Logic", &deleteLogicButton, this);
        if (object->template getComponent<ParticleEmitter>())
            addButton("Reset ParticleEmitter", &resetParticleEmitterButton, this);
    } else if constexpr (std::is_same_v<T, Graphics>) {
        addButton("Add Pattern", &addPatternButton<Graphics>, this);
        if (!object->patterns.empty()) addButton("Delete Pattern", &deletePatternButton<Graphics>, this);
    } else if constexpr (std::is_same_v<T, StateComponents>) {
        addButton("Add GameStateComponent", &addGameStateComponentButton, this);
        if (!object->empty()) addButton("Delete GameStateComponent", &deleteGameStateComponentButton, this);
    }
}

template class TweakBar<Entity>;
template class TweakBar<Graphics>;
template class TweakBar<Configuration>;
template class TweakBar<StateComponents>;
