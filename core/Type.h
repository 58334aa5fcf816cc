// Run-time description of a serialisable class (size, id, class name) and the registry that finds the
// description by class name, so that objects named in data files can be created.
#pragma once

#include <cstdint>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>

#include "core/ObjectCounter.h"

class BaseInStream;

// Kinds a serialisable class can be, for the editor's class lists. A base class announces its kind by
// declaring `static constexpr unsigned serializeFlags = ...;`, which its subclasses inherit (a class
// deriving two announcing bases declares its own). SerializeType<T> reads it.
enum TypeFlag : unsigned {
    typeIsComponent = 1u,
    typeIsGameStateComponent = 2u,
    typeIsLogic = 4u,
    typeIsPattern = 8u,
};

// The class name of a run-time type: the demangled name without a leading "class " or "struct ".
std::string typeName(const std::type_info& type);

// The class name of an object's dynamic type; the name under which its class is registered.
template <class T>
std::string dynamicTypeName(const T& object) {
    return typeName(typeid(object));
}

// Same as typeName, answered from a cache (writers call it for every object they write).
const std::string& cachedTypeName(const std::type_info& type);

class Type : public ObjectCounter<Type> {
public:
    std::uint32_t size;
    std::string name;
    std::int32_t id;

    Type(std::uint32_t size, const std::string& name);
    ~Type() override;

    virtual std::uint32_t getSize() const { return size; }
    virtual const std::string& getName() const { return name; }

    // A new default-constructed object of the class (the address of the class's own object).
    virtual void* create() const = 0;
    // A new object read from the stream (comments, "externalFiles", "function", then the class-name
    // header, the version and the object's parts).
    virtual void* createAndRead(BaseInStream& in) const = 0;
    // Reads into an object made by create (as createAndRead does after creating it).
    virtual void readInto(BaseInStream& in, void* object) const = 0;
    // Reads one object from the stream and throws it away.
    virtual void skip(BaseInStream& in) const = 0;
    virtual bool isComponent() const = 0;
    virtual bool isGameStateComponent() const = 0;
    virtual bool isLogic() const = 0;
    virtual bool isPattern() const = 0;

    // The C++ type of the objects this type creates.
    virtual const std::type_info& getTypeInfo() const = 0;
    // Deletes an object made by create or createAndRead.
    virtual void destroy(void* object) const = 0;
    // Throws the object as a pointer to its class; lets pointerCast find any public base of it.
    [[noreturn]] virtual void throwPointer(void* object) const = 0;
};

// Name -> type of every registered class; created on first use, never freed.
std::unordered_map<std::string, Type*>& getTypeRegistry();

// The registered type of that exact (case-sensitive) class name, or null.
Type* findType(const std::string& className);

// One line on std::cerr: the class name is not registered (or not of the kind wanted).
void reportUnknownClass(const std::string& className);

// Reads an object of the named class from text through an in-memory stream; returns its type and sets
// object, or returns null (reported) when the class is not registered.
const Type* createObjectFromTextRaw(const std::string& className, const std::string& text, void*& object);

// The id the next registration gets (ids count from 1 in registration order).
std::int32_t& nextTypeId();

namespace typecast_detail {
// Offset from an object of dynamic type `from` to its base `to`, cached after the first lookup.
// Returns false when `to` is not a public, unambiguous base of `from`.
bool findCachedOffset(std::type_index from, std::type_index to, std::ptrdiff_t& offset, bool& isBase);
void storeOffset(std::type_index from, std::type_index to, std::ptrdiff_t offset, bool isBase);
}  // namespace typecast_detail

// The object (of class `from`, which `thrower` throws as a pointer to that class) as a B, or null
// when B is not a public unambiguous base of that class. The first conversion of each pair of classes
// asks the C++ exception machinery, which knows every base of a class; later ones reuse the offset.
template <class B, class Thrower>
B* pointerCastWith(const std::type_info& from, Thrower&& thrower, void* object) {
    if (object == nullptr) return nullptr;
    if (from == typeid(B)) return static_cast<B*>(object);
    std::ptrdiff_t offset = 0;
    bool isBase = false;
    if (typecast_detail::findCachedOffset(std::type_index(from), std::type_index(typeid(B)), offset, isBase))
        return isBase ? reinterpret_cast<B*>(static_cast<char*>(object) + offset) : nullptr;
    B* result = nullptr;
    try {
        thrower(object);
    } catch (B* base) {
        result = base;
    } catch (...) {
        result = nullptr;
    }
    offset = result ? reinterpret_cast<char*>(result) - static_cast<char*>(object) : 0;
    typecast_detail::storeOffset(std::type_index(from), std::type_index(typeid(B)), offset, result != nullptr);
    return result;
}

// An object made by a registered type, as a B (null when the class is not a B).
template <class B>
B* pointerCast(const Type& type, void* object) {
    return pointerCastWith<B>(type.getTypeInfo(), [&type](void* p) { type.throwPointer(p); }, object);
}

// Throws p as a T*; the thrower pointerCastWith needs for a statically known class.
template <class T>
[[noreturn]] void throwAsPointer(void* p) {
    throw static_cast<T*>(p);
}
