// The table from resource name to one shared asset, filled from a level's resource file; every game
// state is one, so lookups go through currentGameState.
#pragma once

#include <iostream>
#include <memory>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>
#include <vector>

#include "core/Type.h"
#include "engine/Resource.h"

class BaseInStream;
class BaseOutStream;

class ResourceManager {
public:
    ResourceManager();
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;
    // Deletes every stored resource.
    virtual ~ResourceManager();

    virtual int getVersion() const { return 1; }
    // Reads a resource file into the table: an optional "size" N (for the loading bar, 0 to 0.1),
    // name and resource pairs, "end". The first definition of a name wins, also over names already
    // in the table; "NULL" entries and objects that are not resources are reported and skipped.
    virtual void loadResourceFile(const std::string& fileName);
    // Deletes every stored resource and empties the table.
    virtual void clearResources();

    // The stored resource of that name. A missing name, or one that holds another kind of resource,
    // writes one error line and gives the manager's default T: one per kind, made at the first miss
    // and kept until the manager is destroyed, so that a lookup missing every frame costs no memory.
    template <class T>
    T& get(const std::string& name);

    // Stores a resource under a name (ownership passes) unless the name is taken; false then, and the
    // resource is deleted. The resource takes the name.
    bool addResource(const std::string& name, std::unique_ptr<Resource> resource);

    // The class part (version 0: the table alone; else "resources" and the table, then "end").
    void read(BaseInStream& in, int version);
    // Reads one table value (comments, "externalFiles" and "function" allowed in front of it).
    void readResourceTable(BaseInStream& in);
    // Gives every stored resource its table key as name.
    void nameResources();

    std::unordered_map<std::string, std::unique_ptr<Resource>> resources;

private:
    Resource* find(const std::string& name) const;
    void reportMissing(const std::string& name, const std::type_info& kind, bool present) const;
    void clearTable();

    // Defaults handed out by missed lookups, one per kind; callers copy them, the manager frees them.
    std::unordered_map<std::type_index, std::unique_ptr<Resource>> fallbacks;
};

template <class T>
T& ResourceManager::get(const std::string& name) {
    Resource* stored = find(name);
    if (stored) {
        if (T* typed = dynamic_cast<T*>(stored)) return *typed;
    }
    reportMissing(name, typeid(T), stored != nullptr);
    std::unique_ptr<Resource>& fallback = fallbacks[std::type_index(typeid(T))];
    if (!fallback) fallback = std::make_unique<T>();
    return static_cast<T&>(*fallback);
}
