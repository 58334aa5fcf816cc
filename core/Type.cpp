// The type registry, class names from run-time type information, and the cached base-class offsets
// behind pointerCast.
#include "core/Type.h"

#include <cxxabi.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>
#include <utility>

#include "core/IStreamWrapper.h"

std::string typeName(const std::type_info& type) {
    if (type == typeid(std::string)) return "std::string";
    const char* mangled = type.name();
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string result = (status == 0 && demangled) ? demangled : mangled;
    std::free(demangled);
    // Some run-time type names start with the word class or struct; only that first word goes.
    for (const char* prefix : {"class ", "struct "}) {
        const std::string p(prefix);
        if (result.compare(0, p.size(), p) == 0) return result.substr(p.size());
    }
    return result;
}

const std::string& cachedTypeName(const std::type_info& type) {
    static auto* names = new std::unordered_map<std::type_index, std::string>();
    auto found = names->find(std::type_index(type));
    if (found != names->end()) return found->second;
    return names->emplace(std::type_index(type), typeName(type)).first->second;
}

std::int32_t& nextTypeId() {
    static std::int32_t next = 1;
    return next;
}

Type::Type(std::uint32_t size, const std::string& name) : size(size), name(name), id(nextTypeId()++) {}

Type::~Type() = default;

std::unordered_map<std::string, Type*>& getTypeRegistry() {
    // Never freed: types leaving it at exit may run after any other static is gone.
    static auto* registry = new std::unordered_map<std::string, Type*>();
    return *registry;
}

Type* findType(const std::string& className) {
    auto& registry = getTypeRegistry();
    auto found = registry.find(className);
    return found == registry.end() ? nullptr : found->second;
}

void reportUnknownClass(const std::string& className) {
    std::cerr << "Unknown class \"" << className << "\": not a registered serialisable class" << std::endl;
}

const Type* createObjectFromTextRaw(const std::string& className, const std::string& text, void*& object) {
    object = nullptr;
    const Type* type = findType(className);
    if (!type) {
        reportUnknownClass(className);
        return nullptr;
    }
    std::istringstream stream(text);
    IStreamWrapper in(stream, "archetype " + className);
    object = type->createAndRead(in);
    return type;
}

namespace typecast_detail {
namespace {
struct OffsetEntry {
    std::ptrdiff_t offset;
    bool isBase;
};
std::map<std::pair<std::type_index, std::type_index>, OffsetEntry>& offsets() {
    static auto* table = new std::map<std::pair<std::type_index, std::type_index>, OffsetEntry>();
    return *table;
}
}  // namespace

bool findCachedOffset(std::type_index from, std::type_index to, std::ptrdiff_t& offset, bool& isBase) {
    auto& table = offsets();
    auto found = table.find({from, to});
    if (found == table.end()) return false;
    offset = found->second.offset;
    isBase = found->second.isBase;
    return true;
}

void storeOffset(std::type_index from, std::type_index to, std::ptrdiff_t offset, bool isBase) {
    offsets()[{from, to}] = OffsetEntry{offset, isBase};
}
}  // namespace typecast_detail
