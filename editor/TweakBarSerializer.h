// Turns an object into one property-bar struct variable: the object's own writer writes into a tree of
// these output streams, one per value, which remember each value's address, display name and bar
// type; the tree then folds bottom-up into struct types whose members sit on the object's fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/BaseOutStream.h"
#include "platform/TweakBarLayer.h"

class TweakBarSerializer : public BaseOutStream {
public:
    // One member a struct of this serializer would get (address is absolute).
    struct Member {
        std::string name;
        TweakBarSerializer* value;
        std::string definition;
    };

    TweakBarSerializer(const std::string& name, void* address);
    ~TweakBarSerializer() override;

    BaseOutStream& write(const std::string& value) override;
    BaseOutStream& write(const long double& value) override;
    BaseOutStream& write(const double& value) override;
    BaseOutStream& write(const float& value) override;
    BaseOutStream& write(const unsigned long long& value) override;
    BaseOutStream& write(const long long& value) override;
    BaseOutStream& write(const unsigned long& value) override;
    BaseOutStream& write(const long& value) override;
    BaseOutStream& write(const unsigned int& value) override;
    BaseOutStream& write(const int& value) override;
    BaseOutStream& write(const unsigned short& value) override;
    BaseOutStream& write(const short& value) override;
    BaseOutStream& write(const unsigned char& value) override;
    BaseOutStream& write(const signed char& value) override;
    BaseOutStream& write(const char& value) override;
    BaseOutStream& write(const bool& value) override;
    using BaseOutStream::write;

    BaseOutStream& simpleStream(void* value) override;
    BaseOutStream& vector4Stream(void* value) override;
    BaseOutStream& quaternionStream(void* value, int form) override;
    BaseOutStream& objectStream(void* object, const std::string& className) override;
    BaseOutStream& containerStream(void* container) override;
    BaseOutStream& mapStream(void* map) override;
    BaseOutStream& passThrough(void* value) override;

    virtual void* getAddress();
    // The bar type that shows this value; 0 when it shows nothing. Classes, containers and maps
    // define their struct type here (once; later calls return the same type).
    virtual TwType getTwType() = 0;
    virtual const std::string& getName();
    // The members the struct of this value has (empty for values that are not structs), worked out
    // once the writer is done. It defines nothing, so a bar can compare what it would show now with
    // what it shows.
    const std::vector<Member>& members();

    // Appends every leaf the struct would bind, as (absolute address, type) pairs in order, and the
    // nested structure; two trees over the same live memory give equal layouts.
    void appendLayout(std::vector<std::uintptr_t>& layout);

    // Struct types defined by this tree are appended here (the owning bar drops them later).
    std::vector<TwType>* definedTypes = nullptr;
    // Set on a simple value whose text was a structural word ("end", "NULL", "size") rather than a
    // value: such words are written from the writer's own storage, never from a field.
    bool keyword = false;

    std::vector<std::shared_ptr<TweakBarSerializer>> children;
    std::int32_t tokenCount = 0;
    std::string name;
    void* address;
    TwType twType = TW_TYPE_UNDEF;

protected:
    virtual void collectMembers(std::vector<Member>& members);
    void countToken() { ++tokenCount; }
    BaseOutStream& begin(std::shared_ptr<TweakBarSerializer> child);
    // Drops the nameless children (layout codes, hidden values).
    void removeNameless();
    // Defines the struct of these members under getName() and the running counter; 0 when empty.
    TwType defineStruct(const std::vector<Member>& members);

    TwType definedType = TW_TYPE_UNDEF;
    bool typeDone = false;

private:
    std::vector<Member> collected;
    bool membersDone = false;
};

// A hidden value: it takes every write and shows nothing.
class TweakBarNoopSerializer : public TweakBarSerializer {
public:
    TweakBarNoopSerializer();
    BaseOutStream& write(const std::string&) override { return *this; }
    BaseOutStream& write(const long double&) override { return *this; }
    BaseOutStream& write(const double&) override { return *this; }
    BaseOutStream& write(const float&) override { return *this; }
    BaseOutStream& write(const unsigned long long&) override { return *this; }
    BaseOutStream& write(const long long&) override { return *this; }
    BaseOutStream& write(const unsigned long&) override { return *this; }
    BaseOutStream& write(const long&) override { return *this; }
    BaseOutStream& write(const unsigned int&) override { return *this; }
    BaseOutStream& write(const int&) override { return *this; }
    BaseOutStream& write(const unsigned short&) override { return *this; }
    BaseOutStream& write(const short&) override { return *this; }
    BaseOutStream& write(const unsigned char&) override { return *this; }
    BaseOutStream& write(const signed char&) override { return *this; }
    BaseOutStream& write(const char&) override { return *this; }
    BaseOutStream& write(const bool&) override { return *this; }
    using BaseOutStream::write;
    BaseOutStream& simpleStream(void*) override { return *this; }
    BaseOutStream& vector4Stream(void*) override { return *this; }
    BaseOutStream& quaternionStream(void*, int) override { return *this; }
    BaseOutStream& objectStream(void*, const std::string&) override { return *this; }
    BaseOutStream& containerStream(void*) override { return *this; }
    BaseOutStream& mapStream(void*) override { return *this; }
    void* getAddress() override { return nullptr; }
    TwType getTwType() override { return TW_TYPE_UNDEF; }
    const std::string& getName() override;
};

// One scalar or string: its type and its text (the display name) come from the write.
class TweakBarSimpleSerializer : public TweakBarSerializer {
public:
    explicit TweakBarSimpleSerializer(void* value);
    BaseOutStream& write(const std::string& value) override;
    BaseOutStream& write(const long double& value) override;
    BaseOutStream& write(const double& value) override;
    BaseOutStream& write(const float& value) override;
    BaseOutStream& write(const unsigned long long& value) override;
    BaseOutStream& write(const long long& value) override;
    BaseOutStream& write(const unsigned long& value) override;
    BaseOutStream& write(const long& value) override;
    BaseOutStream& write(const unsigned int& value) override;
    BaseOutStream& write(const int& value) override;
    BaseOutStream& write(const unsigned short& value) override;
    BaseOutStream& write(const short& value) override;
    BaseOutStream& write(const unsigned char& value) override;
    BaseOutStream& write(const signed char& value) override;
    BaseOutStream& write(const char& value) override;
    BaseOutStream& write(const bool& value) override;
    using BaseOutStream::write;
    TwType getTwType() override { return twType; }

private:
    // Sets the display name from the value's text as the text format writes it.
    void setNameFromText(const std::string& text);
};

// Four floats: a Vector4 (the shared "Vector4" struct) or an orientation (the rotation type).
class TweakBarVector4Serializer : public TweakBarSerializer {
public:
    TweakBarVector4Serializer(void* value, bool quaternion);
    TwType getTwType() override { return twType; }
};

// An object: its fields become members named by their keys.
class TweakBarClassSerializer : public TweakBarSerializer {
public:
    // The object's memory is [address, address + size); values outside it were written from
    // temporaries or from memory the object does not hold, and never become members. A size of 0
    // looks the class up in the type registry (no check when it is not registered).
    TweakBarClassSerializer(void* address, const std::string& className, std::size_t size = 0);
    BaseOutStream& simpleStream(void* value) override;
    BaseOutStream& objectStream(void* object, const std::string& className) override;
    TwType getTwType() override;

protected:
    void collectMembers(std::vector<Member>& members) override;

private:
    bool holds(void* value) const;
    std::size_t size;
};

// A container: its elements become members labelled with their positions.
class TweakBarContainerSerializer : public TweakBarSerializer {
public:
    explicit TweakBarContainerSerializer(void* container);
    TwType getTwType() override;

protected:
    void collectMembers(std::vector<Member>& members) override;
};

// A map: keys and values become members "key i" and "value i". Keys are shown but not editable, since
// changing a key in place would break the map's order.
class TweakBarMapSerializer : public TweakBarSerializer {
public:
    explicit TweakBarMapSerializer(void* map);
    TwType getTwType() override;

protected:
    void collectMembers(std::vector<Member>& members) override;
};

// Definition of a member of that type: " step=0.0001 " for floats and doubles, "" otherwise.
std::string memberDefinition(TwType type);
