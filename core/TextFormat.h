// The reflective text format of every data file: readValue<T>/writeValue<T> for scalars, strings,
// vectors, objects with versioned class parts, object pointers, containers and maps, with "//" comments,
// "externalFiles" and "function" accepted in place of any value, and the loading-progress reports.
//
// How a type takes part:
// - A class with `int getVersion() const`, `void read(BaseInStream&, int version)` and
//   `void write(BaseOutStream&, int version) const` (const or not) is an object: written as its class
//   name, its version and its parts; read back by readObject. Register it with registerType<T>()
//   (core/SerializeType.h) so that pointers can name it.
// - Anything else specialises TextValue<T> with static read(BaseInStream&, T&) and
//   write(BaseOutStream&, const T&).
// - T* (plain), std::unique_ptr<T> (owning) and std::shared_ptr<T> are object pointers: "NULL",
//   "archetype" and a name, or a class name and the object.
// - std::vector, std::list, std::deque are containers; std::map and std::unordered_map are maps.
#pragma once

#include <algorithm>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <unordered_map>
#include <vector>

#include "core/BaseInStream.h"
#include "core/BaseOutStream.h"
#include "core/Quaternion.h"
#include "core/ResultTarget.h"
#include "core/TextOutStream.h"
#include "core/Type.h"
#include "core/Vector4.h"

// ---------------------------------------------------------------------------------------------------
// Loading progress

// The current span of the loading bar; "externalFiles" and "size" lines with progress set it.
extern float progressBarStart;
extern float progressBarEnd;

// Called at once with every loading-bar position posted (the engine turns it into a
// PercentLoadedMessage). With no listener the position is only recorded.
using LoadProgressListener = void (*)(float position);
void setLoadProgressListener(LoadProgressListener listener);
// The last position posted.
float getLoadProgress();
// Posts progressBarStart + (progressBarEnd - progressBarStart) * fraction.
void reportLoadProgress(float fraction);

// ---------------------------------------------------------------------------------------------------
// Archetypes (the engine installs the instantiator)

// Builds a new object from the archetype of that name; returns it and its type, or null after
// reporting when there is no such archetype.
using ArchetypeInstantiator = void* (*)(BaseInStream& in, const std::string& archetypeName, const Type*& type);
void setArchetypeInstantiator(ArchetypeInstantiator instantiator);
ArchetypeInstantiator getArchetypeInstantiator();

// ---------------------------------------------------------------------------------------------------
// Token level

// The next token with "//" comment lines skipped; false (token empty) at the end of the input.
bool nextToken(BaseInStream& in, std::string& token);
// Whether a token starts like a number (a sign, a point, then a digit), as the number readers take it.
bool isNumberToken(const std::string& token);
// Whether a token brings a value from elsewhere: "externalFiles" or "function", which stand in for any value.
bool isValueDirective(const std::string& token);

// Strings: a bare token, "" for the empty string, or a double-quoted text that may span tokens and
// lines (read exactly, white space included, on the text streams). Inside quotes \" is a double quote
// and every other character, a backslash included, stands for itself.
BaseInStream& readStringToken(BaseInStream& in, std::string& value);
// The same, with the string's first token already read.
BaseInStream& readStringFromToken(BaseInStream& in, std::string& token, std::string& value);
// Reads one string and discards it (the expected text is not compared).
BaseInStream& readLabel(BaseInStream& in, const char* expected = nullptr);
// Consumes an object's class-name header (not compared); reports a missing one at the end of input.
BaseInStream& readTypeHeader(BaseInStream& in, const std::type_info& type);
// The optional "size" line of a container: returns the count and sets progress when the stream's
// "progressBar" attribute is "yes" (progress then spans the "progressBarStart"/"progressBarEnd"
// attributes, which are consumed, and 0 is posted).
int readContainerSize(BaseInStream& in, bool& progress);
// Head of a container or map loop: false after consuming "end", or at the end of the input (reported
// as truncated), or once the stream has failed; true with the next element's first token pushed back.
bool nextElement(BaseInStream& in);

// Writes a string as one token and a blank: bare, or in double quotes (a double quote inside as \",
// everything else as it is) when it holds a blank, a tab, a line end or a leading double quote; empty
// as "".
BaseOutStream& writeStringToken(BaseOutStream& out, const std::string& value);
BaseOutStream& writeCStringToken(BaseOutStream& out, const char* value);
// A string value: as writeStringToken, and also quoted when it would read back as a keyword ("end",
// "NULL", "size", "externalFiles", "function", "archetype", or a "//" comment). writeValue of a
// std::string uses it.
BaseOutStream& writeStringValue(BaseOutStream& out, const std::string& value);
// A structural token ("end", "NULL", "size") as it is, and a blank.
BaseOutStream& writeKeyword(BaseOutStream& out, const char* word);
// A layout code (BaseOutStream::lineEnd, indent, dedent), passed through simpleStream like any token.
BaseOutStream& writeCodeThroughHooks(BaseOutStream& out, char code);
inline BaseOutStream& writeCode(BaseOutStream& out, char code) {
    if (out.writesPlainText()) {
        static_cast<TextOutStream&>(out).putChar(code);
        return out;
    }
    return writeCodeThroughHooks(out, code);
}
// objectStream for the object, then its class name as a string token into the stream that returns.
BaseOutStream& writeTypeHeader(BaseOutStream& out, void* object, const std::type_info& type);
// "size" and the count, only when the stream's "progressBar" attribute is "yes".
BaseOutStream& writeContainerSize(BaseOutStream& out, int count);

// ---------------------------------------------------------------------------------------------------
// The value reader

template <class T>
BaseInStream& readValue(BaseInStream& in, T& value);
template <class T>
BaseOutStream& writeValue(BaseOutStream& out, const T& value);

// Per-type read step (after the directives) and writer. Specialise it for types that are neither
// objects nor one of the kinds handled below.
template <class T>
struct TextValue;

// Guards one level of value nesting; refuses (failing the stream) beyond BaseInStream::maxDepth.
class ValueDepth {
public:
    explicit ValueDepth(BaseInStream& in) : stream(in), entered(in.depth < BaseInStream::maxDepth) {
        if (entered)
            ++in.depth;
        else
            refuse();
    }
    ~ValueDepth() {
        if (entered) --stream.depth;
    }
    ValueDepth(const ValueDepth&) = delete;
    ValueDepth& operator=(const ValueDepth&) = delete;
    explicit operator bool() const { return entered; }

private:
    void refuse();
    BaseInStream& stream;
    bool entered;
};

namespace textformat_detail {

// What readValue needs to carry out a directive for one value.
struct ValueTarget {
    void* value;
    void (*read)(BaseInStream& in, void* value);  // readValue<T> on another stream
    ResultTarget result;                          // for "function"
};

// Reads the value's first token into token. Comments are skipped; "externalFiles" and "function" are
// carried out here (returns false). Otherwise true asks for the type's own read step with that token.
bool beginValue(BaseInStream& in, std::string& token, const ValueTarget& target);

// A TextValue may read its value from the first token already taken (saving a push-back); otherwise the
// token is pushed back and its plain read runs.
template <class T>
concept ReadsFromToken = requires(BaseInStream& in, std::string& token, T& value) {
    TextValue<T>::readFromToken(in, token, value);
};

template <class T>
void readInto(BaseInStream& in, void* value) {
    readValue(in, *static_cast<T*>(value));
}

template <class B>
bool adoptPlain(void* destination, const std::type_info& from, void (*thrower)(void*), void* object) {
    B* cast = pointerCastWith<B>(from, thrower, object);
    if (!cast) return false;
    *static_cast<B**>(destination) = cast;
    return true;
}
template <class B>
bool adoptOwning(void* destination, const std::type_info& from, void (*thrower)(void*), void* object) {
    B* cast = pointerCastWith<B>(from, thrower, object);
    if (!cast) return false;
    static_cast<std::unique_ptr<B>*>(destination)->reset(cast);
    return true;
}
template <class B>
bool adoptShared(void* destination, const std::type_info& from, void (*thrower)(void*), void* object) {
    B* cast = pointerCastWith<B>(from, thrower, object);
    if (!cast) return false;
    *static_cast<std::shared_ptr<B>*>(destination) = std::shared_ptr<B>(cast);
    return true;
}

template <class T>
ResultTarget resultTargetFor(T& value) {
    ResultTarget target;
    target.destination = &value;
    target.kind = ResultTarget::value;
    target.type = &typeid(T);
    return target;
}
template <class B>
ResultTarget resultTargetFor(B*& value) {
    ResultTarget target;
    target.destination = &value;
    target.kind = ResultTarget::plainPointer;
    target.type = &typeid(B);
    target.adopt = &adoptPlain<B>;
    return target;
}
template <class B>
ResultTarget resultTargetFor(std::unique_ptr<B>& value) {
    ResultTarget target;
    target.destination = &value;
    target.kind = ResultTarget::owningPointer;
    target.type = &typeid(B);
    target.adopt = &adoptOwning<B>;
    return target;
}
template <class B>
ResultTarget resultTargetFor(std::shared_ptr<B>& value) {
    ResultTarget target;
    target.destination = &value;
    target.kind = ResultTarget::sharedPointer;
    target.type = &typeid(B);
    target.adopt = &adoptShared<B>;
    return target;
}

// Object pointers: what the token in front of the object says.
enum class PointerRead {
    null,      // "NULL"
    create,    // a registered class name (pushed back): create an object of `type` and read it
    created,   // "archetype" and a name: `object` is a new object of `type`
    keep,      // nothing usable (reported): leave the pointer as it is
};
PointerRead beginPointer(BaseInStream& in, const Type*& type, void*& object);
// Reports that a class does not fit the pointer being read.
void reportWrongClass(BaseInStream& in, const Type& type, const std::type_info& wanted);

}  // namespace textformat_detail

// Reads one value: "//" comment lines are skipped, "externalFiles" N name... reads the value from each
// file in turn, "function" name args... stores a data function's result; anything else is the value in
// the type's own form. Never throws; bad input is reported and leaves the value as it was.
template <class T>
BaseInStream& readValue(BaseInStream& in, T& value) {
    ValueDepth depth(in);
    if (!depth) return in;
    const textformat_detail::ValueTarget target{&value, &textformat_detail::readInto<T>,
                                                textformat_detail::resultTargetFor(value)};
    std::string token;
    if (!textformat_detail::beginValue(in, token, target)) return in;
    if constexpr (textformat_detail::ReadsFromToken<T>) {
        TextValue<T>::readFromToken(in, token, value);
    } else {
        in.unget(token);
        TextValue<T>::read(in, value);
    }
    return in;
}

template <class T>
BaseOutStream& writeValue(BaseOutStream& out, const T& value) {
    TextValue<T>::write(out, value);
    return out;
}

// ---------------------------------------------------------------------------------------------------
// Objects

template <class T>
concept TextObject = requires(T& object, BaseInStream& in, int version) {
    { object.getVersion() } -> std::convertible_to<int>;
    object.read(in, version);
};

// Class-name header (not compared), the version (preset to the object's own), a layout code, then the
// object's read with the version that was read.
template <class T>
BaseInStream& readObject(BaseInStream& in, T& object) {
    readTypeHeader(in, typeid(T));
    if (in.hasFailed()) return in;
    int version = object.getVersion();
    readValue(in, version);
    char code = BaseOutStream::lineEnd;
    in.read(code);
    object.read(in, version);
    return in;
}

// The dynamic class's name, its version and a line end, then the object's write with that version.
// All of it goes into the stream the object hook returns, given the whole object's address (text
// streams return themselves; the property bars give each object a stream of its own).
template <class T>
BaseOutStream& writeObject(BaseOutStream& out, const T& object) {
    T& target = const_cast<T&>(object);
    void* whole = &target;
    if constexpr (std::is_polymorphic_v<T>) whole = dynamic_cast<void*>(&target);
    const std::string& name = cachedTypeName(typeid(object));
    BaseOutStream& s = out.objectStream(whole, name);
    writeStringToken(s, name);
    int version = target.getVersion();
    writeValue(s, version);
    writeCode(s, BaseOutStream::lineEnd);
    target.write(s, version);
    return out;
}

// readObject after the class-name header's first token was taken.
template <class T>
BaseInStream& readObjectAfterHeader(BaseInStream& in, std::string& header, T& object) {
    if (!header.empty() && header[0] == '"') {
        // A quoted class name may span tokens.
        std::string ignored;
        readStringFromToken(in, header, ignored);
    }
    if (in.hasFailed()) return in;
    int version = object.getVersion();
    readValue(in, version);
    char code = BaseOutStream::lineEnd;
    in.read(code);
    object.read(in, version);
    return in;
}

// Other names the object reader goes by: the shared loader of one top-level object and the object
// reader with loading progress are both readValue.
template <class T>
BaseInStream& loadObjectFromText(BaseInStream& in, T& object) {
    return readValue(in, object);
}
template <class T>
BaseInStream& readObjectWithProgress(BaseInStream& in, T& object) {
    return readValue(in, object);
}

template <TextObject T>
struct TextValue<T> {
    static void read(BaseInStream& in, T& value) { readObject(in, value); }
    static void readFromToken(BaseInStream& in, std::string& token, T& value) {
        readObjectAfterHeader(in, token, value);
    }
    static void write(BaseOutStream& out, const T& value) { writeObject(out, value); }
};

// ---------------------------------------------------------------------------------------------------
// Scalars, enums, strings, vectors

namespace textformat_detail {
template <class T>
constexpr bool isCharValue = std::is_same_v<T, char> || std::is_same_v<T, signed char> || std::is_same_v<T, unsigned char>;
// A blank or control character would vanish between tokens (or be taken as layout): it is written as a
// backslash and three octal digits, which a char reads back; other chars stand as themselves.
inline bool needsCharCode(unsigned char c) { return c <= ' ' || c == 127; }
void writeCharCode(BaseOutStream& out, unsigned char c, void* address);
template <class T>
void convertCharToken(const std::string& token, T& value) {
    if (token.size() == 4 && token[0] == '\\' && token[1] >= '0' && token[1] <= '3' && token[2] >= '0' &&
        token[2] <= '7' && token[3] >= '0' && token[3] <= '7') {
        value = static_cast<T>((token[1] - '0') * 64 + (token[2] - '0') * 8 + (token[3] - '0'));
        return;
    }
    convertToken(token, value);
}
}  // namespace textformat_detail

template <class T>
    requires std::is_arithmetic_v<T>
struct TextValue<T> {
    static void read(BaseInStream& in, T& value) {
        if constexpr (textformat_detail::isCharValue<T>) {
            std::string token;
            in.readToken(token);
            textformat_detail::convertCharToken(token, value);
        } else {
            in.read(value);
        }
    }
    // Streams whose typed reads are the plain token conversions skip the push-back.
    static void readFromToken(BaseInStream& in, std::string& token, T& value) {
        if constexpr (textformat_detail::isCharValue<T>) {
            textformat_detail::convertCharToken(token, value);
        } else if (in.convertsTokensPlainly()) {
            convertToken(token, value);
        } else {
            in.unget(token);
            in.read(value);
        }
    }
    static void write(BaseOutStream& out, const T& value) {
        if constexpr (textformat_detail::isCharValue<T>) {
            if (textformat_detail::needsCharCode(static_cast<unsigned char>(value))) {
                textformat_detail::writeCharCode(out, static_cast<unsigned char>(value), const_cast<T*>(&value));
                return;
            }
        }
        if (out.writesPlainText()) {
            TextOutStream& text = static_cast<TextOutStream&>(out);
            text.putScalar(value);
            text.putChar(' ');
            return;
        }
        BaseOutStream& s = out.simpleStream(const_cast<T*>(&value));
        s.write(value);
        s.write(' ');
    }
};

template <class T>
    requires std::is_enum_v<T>
struct TextValue<T> {
    static void read(BaseInStream& in, T& value) {
        int number = static_cast<int>(value);
        in.read(number);
        value = static_cast<T>(number);
    }
    static void write(BaseOutStream& out, const T& value) {
        int number = static_cast<int>(value);
        BaseOutStream& s = out.simpleStream(const_cast<T*>(&value));
        s.write(number);
        s.write(' ');
    }
};

template <>
struct TextValue<std::string> {
    static void read(BaseInStream& in, std::string& value) { readStringToken(in, value); }
    static void readFromToken(BaseInStream& in, std::string& token, std::string& value) {
        readStringFromToken(in, token, value);
    }
    static void write(BaseOutStream& out, const std::string& value) { writeStringValue(out, value); }
};

template <>
struct TextValue<Vector4> {
    static void read(BaseInStream& in, Vector4& value);
    static void write(BaseOutStream& out, const Vector4& value);
};

template <>
struct TextValue<Quaternion> {
    static void read(BaseInStream& in, Quaternion& value);
    static void write(BaseOutStream& out, const Quaternion& value);
};

// ---------------------------------------------------------------------------------------------------
// Object pointers

// "NULL" makes the pointer null (an owning pointer frees its object); "archetype" and a name builds a
// new object from that archetype; a class name creates an object of that registered class and reads
// it. A plain pointer's old object is never freed; an owning pointer's is, when it is replaced. An
// unknown class stops the stream (its text cannot be stepped over); a class that is not a T is read,
// reported and dropped. The pointer keeps its value whenever nothing usable was read.
template <class T, class Store>
BaseInStream& readPointerWith(BaseInStream& in, Store&& store) {
    using textformat_detail::PointerRead;
    const Type* type = nullptr;
    void* object = nullptr;
    switch (textformat_detail::beginPointer(in, type, object)) {
    case PointerRead::null:
        store(nullptr);
        break;
    case PointerRead::create: {
        object = type->create();
        T* cast = pointerCast<T>(*type, object);
        if (!cast) {
            type->destroy(object);
            textformat_detail::reportWrongClass(in, *type, typeid(T));
            type->skip(in);
            break;
        }
        // Stored before it is read, so that what was read is kept if reading stops halfway.
        store(cast);
        type->readInto(in, object);
        break;
    }
    case PointerRead::created: {
        T* cast = pointerCast<T>(*type, object);
        if (!cast) {
            type->destroy(object);
            textformat_detail::reportWrongClass(in, *type, typeid(T));
            break;
        }
        store(cast);
        break;
    }
    case PointerRead::keep:
        break;
    }
    return in;
}

template <class T>
BaseInStream& readPointer(BaseInStream& in, T*& pointer) {
    return readPointerWith<T>(in, [&pointer](T* value) { pointer = value; });
}
template <class T>
BaseInStream& readPointer(BaseInStream& in, std::unique_ptr<T>& pointer) {
    return readPointerWith<T>(in, [&pointer](T* value) {
        if (value != pointer.get()) pointer.reset(value);
    });
}
template <class T>
BaseInStream& readPointer(BaseInStream& in, std::shared_ptr<T>& pointer) {
    return readPointerWith<T>(in, [&pointer](T* value) {
        if (value != pointer.get()) pointer.reset(value);
    });
}

// "NULL" for a null pointer, else the object under its dynamic class's name.
template <class T>
BaseOutStream& writePointer(BaseOutStream& out, const T* pointer) {
    if (pointer == nullptr) return writeKeyword(out, "NULL");
    return writeObject(out, *pointer);
}

template <class T>
struct TextValue<T*> {
    static void read(BaseInStream& in, T*& value) { readPointer(in, value); }
    static void write(BaseOutStream& out, T* const& value) { writePointer(out, value); }
};
template <class T>
struct TextValue<std::unique_ptr<T>> {
    static void read(BaseInStream& in, std::unique_ptr<T>& value) { readPointer(in, value); }
    static void write(BaseOutStream& out, const std::unique_ptr<T>& value) { writePointer(out, value.get()); }
};
template <class T>
struct TextValue<std::shared_ptr<T>> {
    static void read(BaseInStream& in, std::shared_ptr<T>& value) { readPointer(in, value); }
    static void write(BaseOutStream& out, const std::shared_ptr<T>& value) { writePointer(out, value.get()); }
};

// ---------------------------------------------------------------------------------------------------
// Containers and maps

// Optional "size" line, then elements appended (nothing is cleared first) until "end". An element
// that reading stopped in the middle of is dropped.
template <class C>
BaseInStream& readContainer(BaseInStream& in, C& container) {
    using Element = typename C::value_type;
    bool progress = false;
    const int count = readContainerSize(in, progress);
    int done = 0;
    while (nextElement(in)) {
        if constexpr (std::is_same_v<Element, bool>) {
            bool element = false;
            readValue(in, element);
            if (in.hasFailed()) break;
            container.push_back(element);
        } else {
            readValue(in, container.emplace_back());
            if (in.hasFailed()) {
                container.pop_back();
                break;
            }
        }
        ++done;
        if (progress) reportLoadProgress(static_cast<float>(done) / static_cast<float>(count));
    }
    return in;
}

namespace textformat_detail {
template <class T>
struct IsContainerValue : std::false_type {};
template <class E, class A>
struct IsContainerValue<std::vector<E, A>> : std::true_type {};
template <class E, class A>
struct IsContainerValue<std::list<E, A>> : std::true_type {};
template <class E, class A>
struct IsContainerValue<std::deque<E, A>> : std::true_type {};
template <class K, class V, class C, class A>
struct IsContainerValue<std::map<K, V, C, A>> : std::true_type {};
template <class K, class V, class H, class E, class A>
struct IsContainerValue<std::unordered_map<K, V, H, E, A>> : std::true_type {};

// An empty container standing as an element of another would read as that container's "end"; it is
// written with a "size 0" line, which every reader accepts.
BaseOutStream& writeEmptyNested(BaseOutStream& out, void* container, bool isMap);

template <class E>
void writeElement(BaseOutStream& out, const E& element) {
    if constexpr (IsContainerValue<E>::value) {
        if (element.empty()) {
            writeEmptyNested(out, const_cast<E*>(&element), requires { typename E::mapped_type; });
            return;
        }
    }
    writeValue(out, element);
}
}  // namespace textformat_detail

// A line end, the optional size line, one indented element per line, then "end". A container of
// containers always has its size line: its first element may itself begin with "size".
template <class C>
BaseOutStream& writeContainer(BaseOutStream& out, const C& container) {
    BaseOutStream& s = out.containerStream(const_cast<C*>(&container));
    writeCode(s, BaseOutStream::lineEnd);
    const int count = static_cast<int>(container.size());
    if constexpr (textformat_detail::IsContainerValue<typename C::value_type>::value) {
        if (s.getAttribute("progressBar") != "yes") {
            writeKeyword(s, "size");
            writeValue(s, count);
        } else {
            writeContainerSize(s, count);
        }
    } else {
        writeContainerSize(s, count);
    }
    for (const auto& element : container) {
        writeCode(s, BaseOutStream::indent);
        textformat_detail::writeElement(s, element);
        writeCode(s, BaseOutStream::dedent);
        writeCode(s, BaseOutStream::lineEnd);
    }
    writeKeyword(s, "end");
    return out;
}

// Optional "size" line, then key and value pairs until "end". A key already present keeps its first
// value; the later one is dropped (an owning pointer frees it).
template <class M>
BaseInStream& readMap(BaseInStream& in, M& map) {
    bool progress = false;
    const int count = readContainerSize(in, progress);
    int done = 0;
    while (nextElement(in)) {
        typename M::key_type key{};
        readValue(in, key);
        typename M::mapped_type value{};
        char code = BaseOutStream::lineEnd;
        in.read(code);
        readValue(in, value);
        if (in.hasFailed()) {
            // Keep a value that was read whole before the key that stopped the stream.
            break;
        }
        map.emplace(std::move(key), std::move(value));
        ++done;
        if (progress) reportLoadProgress(static_cast<float>(done) / static_cast<float>(count));
    }
    return in;
}

// A line end, the optional size line, then per entry in ascending key order the key and the value,
// each on its own line, then "end".
template <class M>
BaseOutStream& writeMap(BaseOutStream& out, const M& map) {
    BaseOutStream& s = out.mapStream(const_cast<M*>(&map));
    writeCode(s, BaseOutStream::lineEnd);
    writeContainerSize(s, static_cast<int>(map.size()));
    auto writeEntry = [&s](const auto& entry) {
        writeCode(s, BaseOutStream::indent);
        writeValue(s, entry.first);
        writeCode(s, BaseOutStream::dedent);
        writeCode(s, BaseOutStream::lineEnd);
        writeCode(s, BaseOutStream::indent);
        writeValue(s, entry.second);
        writeCode(s, BaseOutStream::dedent);
        writeCode(s, BaseOutStream::lineEnd);
    };
    if constexpr (requires { typename M::key_compare; }) {
        for (const auto& entry : map) writeEntry(entry);
    } else {
        std::vector<const typename M::value_type*> entries;
        entries.reserve(map.size());
        for (const auto& entry : map) entries.push_back(&entry);
        std::sort(entries.begin(), entries.end(), [](auto* a, auto* b) { return a->first < b->first; });
        for (auto* entry : entries) writeEntry(*entry);
    }
    writeKeyword(s, "end");
    return out;
}

template <class E, class A>
struct TextValue<std::vector<E, A>> {
    static void read(BaseInStream& in, std::vector<E, A>& value) { readContainer(in, value); }
    static void write(BaseOutStream& out, const std::vector<E, A>& value) { writeContainer(out, value); }
};
template <class E, class A>
struct TextValue<std::list<E, A>> {
    static void read(BaseInStream& in, std::list<E, A>& value) { readContainer(in, value); }
    static void write(BaseOutStream& out, const std::list<E, A>& value) { writeContainer(out, value); }
};
template <class E, class A>
struct TextValue<std::deque<E, A>> {
    static void read(BaseInStream& in, std::deque<E, A>& value) { readContainer(in, value); }
    static void write(BaseOutStream& out, const std::deque<E, A>& value) { writeContainer(out, value); }
};
template <class K, class V, class C, class A>
struct TextValue<std::map<K, V, C, A>> {
    static void read(BaseInStream& in, std::map<K, V, C, A>& value) { readMap(in, value); }
    static void write(BaseOutStream& out, const std::map<K, V, C, A>& value) { writeMap(out, value); }
};
template <class K, class V, class H, class E, class A>
struct TextValue<std::unordered_map<K, V, H, E, A>> {
    static void read(BaseInStream& in, std::unordered_map<K, V, H, E, A>& value) { readMap(in, value); }
    static void write(BaseOutStream& out, const std::unordered_map<K, V, H, E, A>& value) { writeMap(out, value); }
};

// ---------------------------------------------------------------------------------------------------
// Class parts

// Reading one class part:
//     int baseVersion = readBaseHeader(in);     // when the class has a serialisable base
//     Base::read(in, baseVersion);
//     std::string key;
//     readFields(in, *this, fields);
// A part the table cannot say (values by position, a key whose reading needs more than its member)
// keeps its own loop, with one line saying why:
//     while (readKey(in, key)) {
//         if (key == "speed") readValue(in, speed);
//         else skipUnknownKey(in, key);
//         in.attributes.clear();
//     }

// The base part's version (defaultVersion when it is missing) and its label (not compared).
int readBaseHeader(BaseInStream& in, int defaultVersion = 0);
// The next key of a part, any "//" comments skipped; false after consuming "end", and at the end of
// the input (reported once as a truncated object) or once the stream has failed.
bool readKey(BaseInStream& in, std::string& key);
// Reports a key the class does not know and steps over its value, so that the part goes on with its
// next key. A value whose end cannot be known (an object of a class that is not registered) stops the
// stream instead, as any unreadable input does: the object keeps what was read.
void skipUnknownKey(BaseInStream& in, const std::string& key);
// Reads one value of any kind and throws it away: "NULL", "archetype" and a name, "function" and its
// arguments, "externalFiles" and its names, a quoted string, an object of a registered class, a
// container or map (a "size" line, or elements starting on a line after `line`, up to "end"), or a
// bare token with the numbers that follow it on its line. False once the stream has failed.
bool skipValue(BaseInStream& in, int line = 0);
// Reports a key the class does not know and stops the stream, keeping what was read: for a loop that
// leaves right after it. Parts use skipUnknownKey (or readFields), which go on.
void reportUnknownKey(BaseInStream& in, const std::string& key);

// Writing one class part: writeBaseHeader, the base's part, writeBaseEnd; writeField per field; writeEnd.
// The base's version and name, then an indent and a line end.
BaseOutStream& writeBaseHeader(BaseOutStream& out, int baseVersion, const std::string& baseName);
// A dedent and a line end after the base's part.
BaseOutStream& writeBaseEnd(BaseOutStream& out);
// The key, an indent, the value, a dedent and a line end; then the stream's attributes are emptied.
template <class T>
BaseOutStream& writeField(BaseOutStream& out, const std::string& key, const T& value) {
    writeStringToken(out, key);
    writeCode(out, BaseOutStream::indent);
    writeValue(out, value);
    writeCode(out, BaseOutStream::dedent);
    writeCode(out, BaseOutStream::lineEnd);
    out.attributes.clear();
    return out;
}
// The token "end" that closes a part.
BaseOutStream& writeEnd(BaseOutStream& out);

// A field table entry: a key and the member it reads and writes.
template <class C>
struct Field {
    const char* key;
    std::size_t keyLength;
    void (*read)(BaseInStream& in, C& object);
    void (*write)(BaseOutStream& out, const C& object);

    bool matches(const std::string& candidate) const {
        return candidate.size() == keyLength && candidate[0] == key[0] &&
               std::char_traits<char>::compare(candidate.data(), key, keyLength) == 0;
    }
};

template <class M>
struct MemberTraits;
template <class C, class V>
struct MemberTraits<V C::*> {
    using Class = C;
    using Value = V;
};

// field<&Foo::speed>("speed")
template <auto Member>
constexpr Field<typename MemberTraits<decltype(Member)>::Class> field(const char* key) {
    using C = typename MemberTraits<decltype(Member)>::Class;
    return Field<C>{key, std::char_traits<char>::length(key),
                    [](BaseInStream& in, C& object) { readValue(in, object.*Member); },
                    [](BaseOutStream& out, const C& object) { writeValue(out, object.*Member); }};
}

// Keys in any order until "end"; a key may be left out (its field keeps its value); an unknown key is
// reported and stepped over (skipUnknownKey). The input attributes are emptied after every key. given[i]
// is set for each field the input held.
template <class C, std::size_t N>
BaseInStream& readFields(BaseInStream& in, C& object, const Field<C> (&fields)[N], bool (&given)[N]) {
    std::string key;
    while (readKey(in, key)) {
        std::size_t found = 0;
        while (found < N && !fields[found].matches(key)) ++found;
        if (found < N) {
            fields[found].read(in, object);
            given[found] = true;
        } else {
            skipUnknownKey(in, key);
        }
        in.attributes.clear();
    }
    return in;
}

template <class C, std::size_t N>
BaseInStream& readFields(BaseInStream& in, C& object, const Field<C> (&fields)[N]) {
    bool given[N] = {};
    return readFields(in, object, fields, given);
}

// Every field in table order, then "end".
template <class C, std::size_t N>
BaseOutStream& writeFields(BaseOutStream& out, const C& object, const Field<C> (&fields)[N]) {
    for (const Field<C>& f : fields) {
        writeStringToken(out, f.key);
        writeCode(out, BaseOutStream::indent);
        f.write(out, object);
        writeCode(out, BaseOutStream::dedent);
        writeCode(out, BaseOutStream::lineEnd);
        out.attributes.clear();
    }
    return writeEnd(out);
}
