// The one registered type object of each serialisable class T: it creates, reads and skips objects of
// T by name and tells which kind of class T is. Each class's unit registers it during static
// initialisation:   static const auto& fooType = registerType<Foo>();
#pragma once

#include <string>
#include <typeinfo>

#include "core/TextFormat.h"
#include "core/Type.h"

template <class T>
class SerializeType : public Type {
public:
    // The name under which the type was entered in the registry (always equal to name).
    std::string key;

    explicit SerializeType(const std::string& registeredName) : Type(sizeof(T), typeName(typeid(T))) {
        key = registeredName;
        getTypeRegistry()[key] = this;
        registered = this;
    }

    ~SerializeType() override {
        auto& registry = getTypeRegistry();
        auto found = registry.find(key);
        if (found != registry.end() && found->second == this) registry.erase(found);
        if (registered == this) registered = nullptr;
    }

    // The registered type of T, or null before registration.
    static SerializeType<T>* get() { return registered; }
    // The id of T's type, or 0 when T is not registered.
    static int typeId() { return registered ? registered->id : 0; }

    void* create() const override { return new T(); }
    void* createAndRead(BaseInStream& in) const override {
        T* object = new T();
        readValue(in, *object);
        return object;
    }
    void readInto(BaseInStream& in, void* object) const override { readValue(in, *static_cast<T*>(object)); }
    void skip(BaseInStream& in) const override {
        T* object = new T();
        readValue(in, *object);
        delete object;
    }

    bool isComponent() const override { return (flags() & typeIsComponent) != 0; }
    bool isGameStateComponent() const override { return (flags() & typeIsGameStateComponent) != 0; }
    bool isLogic() const override { return (flags() & typeIsLogic) != 0; }
    bool isPattern() const override { return (flags() & typeIsPattern) != 0; }

    const std::type_info& getTypeInfo() const override { return typeid(T); }
    void destroy(void* object) const override { delete static_cast<T*>(object); }
    [[noreturn]] void throwPointer(void* object) const override { throw static_cast<T*>(object); }

    static constexpr unsigned flags() {
        if constexpr (requires { T::serializeFlags; })
            return static_cast<unsigned>(T::serializeFlags);
        else
            return 0u;
    }

private:
    static inline SerializeType<T>* registered = nullptr;
};

// Builds T's one type object, enters it in the registry under name (T's class name by default) and
// returns it. Later calls return the same object.
template <class T>
SerializeType<T>& registerType(const std::string& name = typeName(typeid(T))) {
    static SerializeType<T> type(name);
    return type;
}

// A new object of the named class as a B: null, after reporting, when the class is not registered or
// is not a B.
template <class B>
B* createObject(const std::string& className) {
    Type* type = findType(className);
    if (!type) {
        reportUnknownClass(className);
        return nullptr;
    }
    void* object = type->create();
    B* cast = pointerCast<B>(*type, object);
    if (!cast) {
        type->destroy(object);
        reportUnknownClass(className + " (not a " + typeName(typeid(B)) + ")");
    }
    return cast;
}

// A new object of the named class read from text (an archetype's stored definition), as a B; null
// after reporting when the class is unknown or not a B.
template <class B>
B* createObjectFromText(const std::string& className, const std::string& text) {
    void* object = nullptr;
    const Type* type = createObjectFromTextRaw(className, text, object);
    if (!type) return nullptr;
    B* cast = pointerCast<B>(*type, object);
    if (!cast) {
        type->destroy(object);
        reportUnknownClass(className + " (not a " + typeName(typeid(B)) + ")");
    }
    return cast;
}
