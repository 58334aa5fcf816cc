// The resource table: reading resource files into it, typed lookups and their defaults.
#include "engine/ResourceManager.h"

#include "core/FileReader.h"
#include "core/SerializeType.h"
#include "core/TextFormat.h"

namespace {

// The table as one value of the text format, so that comments, "externalFiles" and "function" may
// stand in front of it like in front of any value.
struct ResourceTable {
    ResourceManager* manager;
};

const auto& managerRegistration = registerType<ResourceManager>();

}  // namespace

template <>
struct TextValue<ResourceTable> {
    static void read(BaseInStream& in, ResourceTable& table) {
        bool progress = false;
        const int count = readContainerSize(in, progress);
        int done = 0;
        while (nextElement(in)) {
            std::string name;
            readValue(in, name);
            std::unique_ptr<Resource> resource;
            readValue(in, resource);
            if (in.hasFailed()) break;  // a resource read halfway is not kept
            ++done;
            if (progress && count > 0) reportLoadProgress(static_cast<float>(done) / static_cast<float>(count));
            // An object of another class was reported by the pointer reader already.
            if (!resource) {
                in.warn("resource \"" + name + "\" is NULL or not a resource, and left out");
                continue;
            }
            table.manager->addResource(name, std::move(resource));
        }
    }
};

ResourceManager::ResourceManager() = default;

ResourceManager::~ResourceManager() {
    clearTable();
    fallbacks.clear();
}

void ResourceManager::loadResourceFile(const std::string& fileName) {
    FileReader reader(fileName);
    reader.attributes["progressBar"] = "yes";
    reader.attributes["progressBarStart"] = "0 ";
    reader.attributes["progressBarEnd"] = "0.1 ";
    if (reader.isOpen()) readResourceTable(reader);
    nameResources();
}

void ResourceManager::clearResources() { clearTable(); }

void ResourceManager::clearTable() {
    // Taken out of the table before they are deleted, so that a resource's destructor never sees a
    // half-cleared table.
    std::unordered_map<std::string, std::unique_ptr<Resource>> doomed;
    doomed.swap(resources);
    doomed.clear();
}

bool ResourceManager::addResource(const std::string& name, std::unique_ptr<Resource> resource) {
    if (!resource) return false;
    auto [entry, inserted] = resources.try_emplace(name);
    if (!inserted) return false;  // the first definition of a name wins
    entry->second = std::move(resource);
    entry->second->setName(name);
    return true;
}

void ResourceManager::readResourceTable(BaseInStream& in) {
    ResourceTable table{this};
    readValue(in, table);
}

void ResourceManager::nameResources() {
    for (auto& [name, resource] : resources)
        if (resource) resource->setName(name);
}

void ResourceManager::read(BaseInStream& in, int version) {
    if (version == 0) {
        readResourceTable(in);
    } else {
        // Hand-written: "resources" is the table's own reader, not a member.
        std::string key;
        while (readKey(in, key)) {
            if (key == "resources") {
                readResourceTable(in);
            } else {
                skipUnknownKey(in, key);
            }
            in.attributes.clear();
        }
    }
    nameResources();
}

Resource* ResourceManager::find(const std::string& name) const {
    auto found = resources.find(name);
    return found == resources.end() ? nullptr : found->second.get();
}

void ResourceManager::reportMissing(const std::string& name, const std::type_info& kind, bool present) const {
    if (present)
        std::cerr << "error: resource \"" << name << "\" is not a " << typeName(kind) << std::endl;
    else
        std::cerr << "error: tried to load a resource that doesn't exist" << std::endl;
}
