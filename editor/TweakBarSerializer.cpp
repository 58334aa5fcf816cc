// The serializer tree behind a property bar: counting plain tokens, beginning a child per value, the
// display names of simple values, and the struct types of objects, containers and maps.
#include "editor/TweakBarSerializer.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <sstream>

#include "core/IStreamWrapper.h"
#include "core/TextFormat.h"
#include "core/Type.h"
#include "platform/TweakBarWrapper.h"

namespace {

// Struct names stay unique across fills and rebuilds: the counter is never reset.
int structNameCounter = 0;

bool isLayoutChar(char c) { return c == BaseOutStream::lineEnd || c == BaseOutStream::indent || c == BaseOutStream::dedent || c == ' '; }

bool allDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

template <class T>
std::string integerText(T value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string floatText(float value) {
    char buffer[16];
    return std::string(buffer, formatGeneral6(value, buffer));
}

std::string doubleText(double value) {
    char buffer[16];
    return std::string(buffer, formatGeneral6(value, buffer));
}

std::uintptr_t addressOf(TweakBarSerializer* s) { return reinterpret_cast<std::uintptr_t>(s->getAddress()); }

}  // namespace

std::string memberDefinition(TwType type) { return getDefaultVarOptions(type); }

// --- Base ----------------------------------------------------------------------------------------------

TweakBarSerializer::TweakBarSerializer(const std::string& serializerName, void* value)
    : name(serializerName), address(value) {}

TweakBarSerializer::~TweakBarSerializer() = default;

BaseOutStream& TweakBarSerializer::write(const std::string&) { countToken(); return *this; }
BaseOutStream& TweakBarSerializer::write(const long double&) { countToken(); return *this; }
BaseOutStream& TweakBarSerializer::write(const double&) { countToken(); return *this; }
BaseOutStream& TweakBarSerializer::write(const float&) { countToken(); return *this; }
BaseOutStream& TweakBarSerializer::write(const unsigned long long&) { countToken(); return *this; }
BaseOutStream& TweakBarSerializer::write(const long long&) { countToken(); return *this; }
BaseOutStream& TweakBarSerializer::write(const unsigned long&) { countToken(); return *this; }
BaseOutStream& TweakBarSerializer::write(const long&) { countToken(); return *this; }
BaseOutStream& TweakBarSerializer::write(const unsigned int&) { countToken(); return *this; }
BaseOutStream& TweakBarSerializer::write(const int&) { countToken(); return *this; }
BaseOutStream& TweakBarSerializer::write(const unsigned short&) { countToken(); return *this; }
BaseOutStream& TweakBarSerializer::write(const short&) { countToken(); return *this; }
BaseOutStream& TweakBarSerializer::write(const unsigned char&) { countToken(); return *this; }
BaseOutStream& TweakBarSerializer::write(const signed char&) { countToken(); return *this; }
BaseOutStream& TweakBarSerializer::write(const char& value) {
    if (value != BaseOutStream::lineEnd && value != BaseOutStream::indent && value != BaseOutStream::dedent && value != ' ')
        countToken();
    return *this;
}
BaseOutStream& TweakBarSerializer::write(const bool&) { countToken(); return *this; }

BaseOutStream& TweakBarSerializer::begin(std::shared_ptr<TweakBarSerializer> child) {
    if (getAttribute("tweakBar") == "no") child = std::make_shared<TweakBarNoopSerializer>();
    child->definedTypes = definedTypes;
    children.push_back(child);
    return *child;
}

BaseOutStream& TweakBarSerializer::simpleStream(void* value) {
    return begin(std::make_shared<TweakBarSimpleSerializer>(value));
}
BaseOutStream& TweakBarSerializer::vector4Stream(void* value) {
    return begin(std::make_shared<TweakBarVector4Serializer>(value, false));
}
BaseOutStream& TweakBarSerializer::quaternionStream(void* value, int) {
    return begin(std::make_shared<TweakBarVector4Serializer>(value, true));
}
BaseOutStream& TweakBarSerializer::objectStream(void* object, const std::string& className) {
    return begin(std::make_shared<TweakBarClassSerializer>(object, className));
}
BaseOutStream& TweakBarSerializer::containerStream(void* container) {
    return begin(std::make_shared<TweakBarContainerSerializer>(container));
}
BaseOutStream& TweakBarSerializer::mapStream(void* map) {
    return begin(std::make_shared<TweakBarMapSerializer>(map));
}
BaseOutStream& TweakBarSerializer::passThrough(void*) { return *this; }

void* TweakBarSerializer::getAddress() { return address; }
const std::string& TweakBarSerializer::getName() { return name; }
void TweakBarSerializer::collectMembers(std::vector<Member>&) {}

const std::vector<TweakBarSerializer::Member>& TweakBarSerializer::members() {
    if (!membersDone) {
        membersDone = true;
        collectMembers(collected);
    }
    return collected;
}

void TweakBarSerializer::removeNameless() {
    std::vector<std::shared_ptr<TweakBarSerializer>> named;
    named.reserve(children.size());
    for (auto& child : children)
        if (!child->getName().empty()) named.push_back(std::move(child));
    children.swap(named);
}

TwType TweakBarSerializer::defineStruct(const std::vector<Member>& members) {
    std::vector<TwStructMember> records;
    records.reserve(members.size());
    const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(getAddress());
    for (const Member& m : members) {
        TwType type = m.value->getTwType();
        if (type == TW_TYPE_UNDEF) continue;
        records.push_back(TwStructMember{m.name.c_str(), type, std::size_t(addressOf(m.value) - base), m.definition.c_str()});
    }
    if (records.empty()) return TW_TYPE_UNDEF;
    std::string structName = getName() + std::to_string(structNameCounter++);
    TwType type = TwDefineStruct(structName.c_str(), records.data(), unsigned(records.size()),
                                 std::numeric_limits<std::size_t>::max(), nullptr, nullptr);
    if (type != TW_TYPE_UNDEF && definedTypes) definedTypes->push_back(type);
    return type;
}

void TweakBarSerializer::appendLayout(std::vector<std::uintptr_t>& layout) {
    for (const Member& m : members()) {
        layout.push_back(addressOf(m.value));
        if (m.value->members().empty()) {
            layout.push_back(std::uintptr_t(m.value->getTwType()));
        } else {
            layout.push_back(~std::uintptr_t(0));
            m.value->appendLayout(layout);
            layout.push_back(~std::uintptr_t(1));
        }
    }
}

// --- Noop ---------------------------------------------------------------------------------------------

TweakBarNoopSerializer::TweakBarNoopSerializer() : TweakBarSerializer("NOOP", nullptr) {}

const std::string& TweakBarNoopSerializer::getName() {
    static const std::string empty;
    return empty;
}

// --- Simple -------------------------------------------------------------------------------------------

TweakBarSimpleSerializer::TweakBarSimpleSerializer(void* value) : TweakBarSerializer("", value) {}

void TweakBarSimpleSerializer::setNameFromText(const std::string& text) {
    if (text == "\"\"") {
        name = " ";  // the empty string still pairs with its key
        return;
    }
    if (text.empty()) return;
    if (text[0] != '"') {
        name = text.substr(0, text.find_first_of(" \t\n"));
        return;
    }
    std::istringstream source(text + " ");
    IStreamWrapper in(source);
    std::string value;
    readStringToken(in, value);
    name = in.hasFailed() ? std::string() : value;
}

BaseOutStream& TweakBarSimpleSerializer::write(const std::string& value) {
    twType = TW_TYPE_STDSTRING;
    keyword = value == "end" || value == "NULL" || value == "size";
    setNameFromText(value);
    return *this;
}
BaseOutStream& TweakBarSimpleSerializer::write(const long double& value) {
    setNameFromText(doubleText(double(value)));
    return *this;
}
BaseOutStream& TweakBarSimpleSerializer::write(const double& value) {
    twType = TW_TYPE_DOUBLE;
    setNameFromText(doubleText(value));
    return *this;
}
BaseOutStream& TweakBarSimpleSerializer::write(const float& value) {
    twType = TW_TYPE_FLOAT;
    setNameFromText(floatText(value));
    return *this;
}
BaseOutStream& TweakBarSimpleSerializer::write(const unsigned long long& value) {
    setNameFromText(integerText(value));
    return *this;
}
BaseOutStream& TweakBarSimpleSerializer::write(const long long& value) {
    setNameFromText(integerText(value));
    return *this;
}
// long is 64 bits here: a 32-bit member would leave half of it unwritten.
BaseOutStream& TweakBarSimpleSerializer::write(const unsigned long& value) {
    twType = sizeof(unsigned long) == 8 ? TW_TYPE_UINT64 : TW_TYPE_UINT32;
    setNameFromText(integerText(value));
    return *this;
}
BaseOutStream& TweakBarSimpleSerializer::write(const long& value) {
    twType = sizeof(long) == 8 ? TW_TYPE_INT64 : TW_TYPE_INT32;
    setNameFromText(integerText(value));
    return *this;
}
BaseOutStream& TweakBarSimpleSerializer::write(const unsigned int& value) {
    twType = TW_TYPE_UINT32;
    setNameFromText(integerText(value));
    return *this;
}
BaseOutStream& TweakBarSimpleSerializer::write(const int& value) {
    twType = TW_TYPE_INT32;
    setNameFromText(integerText(value));
    return *this;
}
BaseOutStream& TweakBarSimpleSerializer::write(const unsigned short& value) {
    twType = TW_TYPE_UINT16;
    setNameFromText(integerText(value));
    return *this;
}
BaseOutStream& TweakBarSimpleSerializer::write(const short& value) {
    twType = TW_TYPE_INT16;
    setNameFromText(integerText(value));
    return *this;
}
BaseOutStream& TweakBarSimpleSerializer::write(const unsigned char& value) { return write(char(value)); }
BaseOutStream& TweakBarSimpleSerializer::write(const signed char& value) { return write(char(value)); }
BaseOutStream& TweakBarSimpleSerializer::write(const char& value) {
    if (isLayoutChar(value)) return *this;
    twType = TW_TYPE_CHAR;
    setNameFromText(std::string(1, value));
    return *this;
}
BaseOutStream& TweakBarSimpleSerializer::write(const bool& value) {
    twType = TW_TYPE_BOOLCPP;
    setNameFromText(value ? "1" : "0");
    return *this;
}

// --- Vector4 and Quaternion -------------------------------------------------------------------------

TweakBarVector4Serializer::TweakBarVector4Serializer(void* value, bool quaternion)
    : TweakBarSerializer(quaternion ? "Quaternion" : "Vector4", value) {
    twType = quaternion ? TW_TYPE_QUAT4F : getVector4Type();
}

// --- Class --------------------------------------------------------------------------------------------

TweakBarClassSerializer::TweakBarClassSerializer(void* object, const std::string& className, std::size_t objectSize)
    : TweakBarSerializer(className, object), size(objectSize) {
    if (size == 0)
        if (const Type* type = findType(className)) size = type->getSize();
}

bool TweakBarClassSerializer::holds(void* value) const {
    if (size == 0) return true;
    auto start = reinterpret_cast<std::uintptr_t>(address);
    auto at = reinterpret_cast<std::uintptr_t>(value);
    return at >= start && at - start < size;
}

BaseOutStream& TweakBarClassSerializer::simpleStream(void* value) {
    if (tokenCount <= 1) return *this;  // the object's own class name and version
    return TweakBarSerializer::simpleStream(value);
}

BaseOutStream& TweakBarClassSerializer::objectStream(void* object, const std::string& className) {
    if (tokenCount <= 1) return *this;
    return TweakBarSerializer::objectStream(object, className);
}

void TweakBarClassSerializer::collectMembers(std::vector<Member>& members) {
    removeNameless();
    std::size_t i = 0;
    const std::size_t n = children.size();
    while (i < n) {
        const std::string& key = children[i]->getName();
        if (key == "end") {
            ++i;
            continue;
        }
        ++i;
        if (i >= n) break;
        if (allDigits(key)) {
            ++i;  // a class part opens with its number and the base class's name
            continue;
        }
        TweakBarSerializer* value = children[i].get();
        ++i;
        if (value->keyword || value->getName() == "NULL") continue;
        bool nested = dynamic_cast<TweakBarClassSerializer*>(value) != nullptr;
        // Fields live inside the object; owned objects live elsewhere and bring their own checks.
        if (!nested && !holds(value->getAddress())) continue;
        bool shows = dynamic_cast<TweakBarSimpleSerializer*>(value) || dynamic_cast<TweakBarVector4Serializer*>(value)
                         ? value->getTwType() != TW_TYPE_UNDEF
                         : !value->members().empty();
        if (!shows) continue;
        TwType type = dynamic_cast<TweakBarSimpleSerializer*>(value) ? value->getTwType() : TW_TYPE_UNDEF;
        members.push_back(Member{key, value, memberDefinition(type)});
    }
}

TwType TweakBarClassSerializer::getTwType() {
    if (typeDone) return definedType;
    typeDone = true;
    definedType = defineStruct(members());
    return definedType;
}

// --- Containers and maps ------------------------------------------------------------------------------

namespace {

// The elements of a container or map: structural words and the count after "size" left out, every
// other child with its position among the named children.
template <class Label>
void collectElements(std::vector<std::shared_ptr<TweakBarSerializer>>& children,
                     std::vector<TweakBarSerializer::Member>& members, Label label) {
    int position = 0;
    for (std::size_t i = 0; i < children.size(); ++i) {
        TweakBarSerializer* child = children[i].get();
        if (child->keyword && child->getName() == "size") {
            ++i;
            continue;
        }
        int index = position++;
        if (child->keyword || child->getName() == "end" || child->getName() == "NULL") continue;
        bool leaf = dynamic_cast<TweakBarSimpleSerializer*>(child) || dynamic_cast<TweakBarVector4Serializer*>(child);
        if (leaf ? child->getTwType() == TW_TYPE_UNDEF : child->members().empty()) continue;
        TwType type = dynamic_cast<TweakBarSimpleSerializer*>(child) ? child->getTwType() : TW_TYPE_UNDEF;
        members.push_back(TweakBarSerializer::Member{label(index, child->getName()), child, memberDefinition(type)});
    }
}

}  // namespace

TweakBarContainerSerializer::TweakBarContainerSerializer(void* container) : TweakBarSerializer("Container", container) {}

void TweakBarContainerSerializer::collectMembers(std::vector<Member>& members) {
    removeNameless();
    collectElements(children, members,
                    [](int index, const std::string& childName) { return std::to_string(index) + ": " + childName; });
}

TwType TweakBarContainerSerializer::getTwType() {
    if (typeDone) return definedType;
    typeDone = true;
    definedType = defineStruct(members());
    return definedType;
}

TweakBarMapSerializer::TweakBarMapSerializer(void* map) : TweakBarSerializer("Map", map) {}

void TweakBarMapSerializer::collectMembers(std::vector<Member>& members) {
    removeNameless();
    collectElements(children, members, [](int index, const std::string& childName) {
        return (index % 2 == 0 ? "key " + std::to_string(index / 2) : "value " + std::to_string((index - 1) / 2)) +
               ": " + childName;
    });
    // Keys are the map's order: shown, never edited in place.
    for (Member& m : members)
        if (m.name.rfind("key ", 0) == 0) m.definition += " readonly=true ";
}

TwType TweakBarMapSerializer::getTwType() {
    if (typeDone) return definedType;
    typeDone = true;
    definedType = defineStruct(members());
    return definedType;
}
