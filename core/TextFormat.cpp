// The non-template half of the text format: directives, strings, headers, container heads, class-part
// helpers and the loading-progress state.
#include "core/TextFormat.h"

#include <sys/stat.h>

#include <cmath>
#include <cstring>

#include "core/FileLookup.h"
#include "core/FileReader.h"
#include "core/Function.h"
#include "core/TextInStream.h"

// ---------------------------------------------------------------------------------------------------
// Loading progress

float progressBarStart = 0.0f;
float progressBarEnd = 1.0f;

namespace {
LoadProgressListener progressListener = nullptr;
float lastProgress = 0.0f;
ArchetypeInstantiator archetypeInstantiator = nullptr;

// A float from an attribute's text; fallback when the attribute is missing or empty.
float attributeFloat(const BaseInStream& in, const char* name, float fallback) {
    const std::string text = in.getAttribute(name);
    if (text.empty()) return fallback;
    float value = fallback;
    convertToken(text, value);
    return value;
}

// Takes the progress span from the stream's attributes (which are consumed) and posts 0.
void startProgress(BaseInStream& in) {
    progressBarStart = attributeFloat(in, "progressBarStart", progressBarStart);
    progressBarEnd = attributeFloat(in, "progressBarEnd", progressBarEnd);
    in.attributes.clear();
    reportLoadProgress(0.0f);
}

// Exact comparison with a literal; the length test first keeps the common mismatch cheap.
template <std::size_t N>
inline bool is(const std::string& token, const char (&word)[N]) {
    return token.size() == N - 1 && std::memcmp(token.data(), word, N - 1) == 0;
}

bool startsWithComment(const std::string& token) { return token.size() >= 2 && token[0] == '/' && token[1] == '/'; }

// Whether the double quote at index last of text is escaped: a backslash right before it (after first).
bool quoteEscaped(const std::string& text, std::size_t last, std::size_t first) {
    return last > first && text[last - 1] == '\\';
}

// Inside double quotes a backslash followed by a double quote stands for a double quote; every other
// character stands for itself (a backslash path reads back as it is written).
void unescape(std::string& text) {
    if (text.find("\\\"") == std::string::npos) return;
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '"') continue;
        result.push_back(text[i]);
    }
    text.swap(result);
}


// Whether a string must be written in double quotes to read back as itself.
bool needsQuotes(const std::string& value, bool quoteKeywords) {
    if (value.empty()) return false;
    if (value[0] == '"') return true;
    // Any blank, a trailing one included: written bare, a trailing blank would be lost on reading.
    const char* data = value.data();
    for (std::size_t i = 0; i < value.size(); ++i)
        if (isBlankChar(static_cast<unsigned char>(data[i]))) return true;
    if (quoteKeywords) {
        if (startsWithComment(value)) return true;
        switch (value[0]) {
        case 'e': return is(value, "end") || is(value, "externalFiles");
        case 'f': return is(value, "function");
        case 'N': return is(value, "NULL");
        case 's': return is(value, "size");
        case 'a': return is(value, "archetype");
        default: break;
        }
    }
    return false;
}

// Only a double quote is escaped: tabs, line ends and backslashes are written as they are, and the
// reader takes them back as they are. A backslash right before the closing quote would escape it, so
// backslashes ending the text are written as '/' (the same separator in a path).
std::string quoted(const std::string& value) {
    std::string result;
    result.reserve(value.size() + 8);
    result.push_back('"');
    std::size_t end = value.size();
    while (end > 0 && value[end - 1] == '\\') --end;
    for (std::size_t i = 0; i < end; ++i) {
        if (value[i] == '"') result.push_back('\\');
        result.push_back(value[i]);
    }
    result.append(value.size() - end, '/');
    result.push_back('"');
    return result;
}

BaseOutStream& writeString(BaseOutStream& out, const std::string& value, bool quoteKeywords) {
    if (out.writesPlainText()) {
        TextOutStream& text = static_cast<TextOutStream&>(out);
        if (value.empty()) {
            text.putText("\"\"", 2);
        } else if (needsQuotes(value, quoteKeywords)) {
            const std::string quotedValue = quoted(value);
            text.putText(quotedValue.data(), quotedValue.size());
        } else {
            text.putText(value.data(), value.size());
        }
        text.putChar(' ');
        return out;
    }
    BaseOutStream& s = out.simpleStream(const_cast<std::string*>(&value));
    if (value.empty())
        s.write(std::string("\"\""));
    else if (needsQuotes(value, quoteKeywords))
        s.write(quoted(value));
    else
        s.write(value);
    s.write(' ');
    return out;
}

// Whether path names the file one of the streams in the chain reads (a file including itself).
bool includedAlready(const BaseInStream& in, const std::string& path) {
    struct stat candidate {};
    if (::stat(path.c_str(), &candidate) != 0) return false;
    for (const BaseInStream* s = &in; s != nullptr; s = s->parent) {
        struct stat open {};
        if (!s->getName().empty() && ::stat(s->getName().c_str(), &open) == 0 && open.st_dev == candidate.st_dev &&
            open.st_ino == candidate.st_ino)
            return true;
    }
    return false;
}

void readExternalFiles(BaseInStream& in, const textformat_detail::ValueTarget& target) {
    const bool progress = in.getAttribute("progressBar") == "yes";
    if (progress) startProgress(in);
    int count = 0;
    in.read(count);
    std::string fileName;
    for (int i = 0; i < count; ++i) {
        in.readToken(fileName);
        if (fileName.empty()) {
            in.fail("unexpected end of input in the file list of \"externalFiles\"");
            return;
        }
        std::string path;
        findFile(fileName, path);
        if (includedAlready(in, path)) {
            in.warn("\"externalFiles\" names \"" + fileName + "\", which includes itself; skipped");
        } else {
            std::unique_ptr<FileReader> reader = openFile(fileName);
            reader->parent = &in;
            reader->depth = in.depth;
            target.read(*reader, target.value);
        }
        if (progress) reportLoadProgress(static_cast<float>(i + 1) / static_cast<float>(count));
    }
}
}  // namespace

void setLoadProgressListener(LoadProgressListener listener) { progressListener = listener; }

float getLoadProgress() { return lastProgress; }

void reportLoadProgress(float fraction) {
    if (!(fraction >= 0.0f)) fraction = 0.0f;
    if (fraction > 1.0f) fraction = 1.0f;
    const double start = progressBarStart;
    const double end = progressBarEnd;
    lastProgress = static_cast<float>(start + (end - start) * static_cast<double>(fraction));
    if (progressListener) progressListener(lastProgress);
}

void setArchetypeInstantiator(ArchetypeInstantiator instantiator) { archetypeInstantiator = instantiator; }

ArchetypeInstantiator getArchetypeInstantiator() { return archetypeInstantiator; }

// ---------------------------------------------------------------------------------------------------
// Token level

bool nextToken(BaseInStream& in, std::string& token) {
    in.readToken(token);
    while (startsWithComment(token)) {
        in.readLine();
        in.readToken(token);
    }
    return !token.empty();
}

BaseInStream& readStringToken(BaseInStream& in, std::string& value) {
    std::string token;
    in.readToken(token);
    return readStringFromToken(in, token, value);
}

BaseInStream& readStringFromToken(BaseInStream& in, std::string& token, std::string& value) {
    if (token.empty()) return in;
    if (token[0] != '"') {
        value.swap(token);
        return in;
    }
    if (token.size() == 2 && token[1] == '"') {
        value.clear();
        return in;
    }
    const std::size_t last = token.size() - 1;
    if (token.size() >= 3 && token[last] == '"' && !quoteEscaped(token, last, 0)) {
        value.assign(token, 1, token.size() - 2);
        unescape(value);
        return in;
    }
    // A quoted string spanning tokens: the characters up to the closing double quote, exactly.
    std::string result(token);
    bool closed = false;
    if (in.readQuotedRest(result, closed)) {
        if (!closed) {
            in.fail("unexpected end of input inside a quoted string");
            return in;
        }
        result.pop_back();
        result.erase(0, 1);
    } else {
        // A stream without characters: the tokens, one blank between them.
        result.erase(0, 1);
        std::string next;
        for (;;) {
            in.readToken(next);
            if (next.empty()) {
                in.fail("unexpected end of input inside a quoted string");
                return in;
            }
            result.push_back(' ');
            const std::size_t end = next.size() - 1;
            if (next[end] == '"' && !quoteEscaped(next, end, 0)) {
                result.append(next, 0, end);
                break;
            }
            result.append(next);
        }
    }
    unescape(result);
    value.swap(result);
    return in;
}

BaseInStream& readLabel(BaseInStream& in, const char*) {
    std::string label;
    return readStringToken(in, label);
}

BaseInStream& readTypeHeader(BaseInStream& in, const std::type_info& type) {
    std::string header;
    in.readToken(header);
    if (header.empty()) {
        if (!in.hasFailed()) in.fail("unexpected end of input where a " + cachedTypeName(type) + " was expected");
        return in;
    }
    if (header[0] == '"') {
        in.unget(header);
        readStringToken(in, header);
    }
    return in;
}

int readContainerSize(BaseInStream& in, bool& progress) {
    progress = false;
    std::string token;
    if (!nextToken(in, token)) return 1;
    if (!is(token, "size")) {
        in.unget(token);
        return 1;
    }
    int count = 0;
    readValue(in, count);
    progress = in.getAttribute("progressBar") == "yes";
    if (progress) {
        startProgress(in);
        // A count that cannot scale the bar turns the reports off.
        if (count <= 0) progress = false;
    }
    return count;
}

bool nextElement(BaseInStream& in) {
    if (in.hasFailed()) return false;
    std::string token;
    if (!nextToken(in, token)) {
        in.fail("unexpected end of input: missing \"end\"");
        return false;
    }
    if (is(token, "end")) return false;
    in.unget(token);
    return true;
}

BaseOutStream& writeStringToken(BaseOutStream& out, const std::string& value) { return writeString(out, value, false); }

BaseOutStream& writeStringValue(BaseOutStream& out, const std::string& value) { return writeString(out, value, true); }

BaseOutStream& writeCStringToken(BaseOutStream& out, const char* value) {
    return writeStringToken(out, std::string(value ? value : ""));
}

BaseOutStream& writeKeyword(BaseOutStream& out, const char* word) {
    if (out.writesPlainText()) {
        TextOutStream& text = static_cast<TextOutStream&>(out);
        text.putText(word, std::char_traits<char>::length(word));
        text.putChar(' ');
        return out;
    }
    BaseOutStream& s = out.simpleStream(const_cast<char*>(word));
    s.write(std::string(word));
    s.write(' ');
    return out;
}

BaseOutStream& writeCodeThroughHooks(BaseOutStream& out, char code) {
    // Static storage, so a stream that keeps the address of what it is given keeps a valid one.
    static char codes[3] = {BaseOutStream::lineEnd, BaseOutStream::indent, BaseOutStream::dedent};
    char* stored = code == BaseOutStream::lineEnd  ? &codes[0]
                   : code == BaseOutStream::indent ? &codes[1]
                   : code == BaseOutStream::dedent ? &codes[2]
                                                   : nullptr;
    if (stored)
        out.simpleStream(stored).write(*stored);
    else
        out.write(code);
    return out;
}

BaseOutStream& writeTypeHeader(BaseOutStream& out, void* object, const std::type_info& type) {
    const std::string& name = cachedTypeName(type);
    BaseOutStream& header = out.objectStream(object, name);
    writeStringToken(header, name);
    return out;
}

BaseOutStream& writeContainerSize(BaseOutStream& out, int count) {
    if (out.getAttribute("progressBar") == "yes") {
        writeKeyword(out, "size");
        writeValue(out, count);
    }
    return out;
}

void textformat_detail::writeCharCode(BaseOutStream& out, unsigned char c, void* address) {
    const char code[5] = {'\\', static_cast<char>('0' + (c >> 6)), static_cast<char>('0' + ((c >> 3) & 7)),
                          static_cast<char>('0' + (c & 7)), 0};
    BaseOutStream& s = out.simpleStream(address);
    s.write(std::string(code, 4));
    s.write(' ');
}

BaseOutStream& textformat_detail::writeEmptyNested(BaseOutStream& out, void* container, bool isMap) {
    BaseOutStream& s = isMap ? out.mapStream(container) : out.containerStream(container);
    writeCode(s, BaseOutStream::lineEnd);
    writeKeyword(s, "size");
    const int zero = 0;
    writeValue(s, zero);
    writeKeyword(s, "end");
    return out;
}

// ---------------------------------------------------------------------------------------------------
// The value reader

void ValueDepth::refuse() {
    stream.fail("values nested more than " + std::to_string(BaseInStream::maxDepth) + " levels deep");
}

namespace textformat_detail {

bool beginValue(BaseInStream& in, std::string& token, const ValueTarget& target) {
    if (!nextToken(in, token)) {
        if (!in.hasFailed()) in.fail("unexpected end of input where a value was expected");
        return false;
    }
    if (token[0] == 'e' && is(token, "externalFiles")) {
        readExternalFiles(in, target);
        return false;
    }
    if (token[0] == 'f' && is(token, "function")) {
        std::string name;
        in.readToken(name);
        if (name.empty()) {
            in.fail("unexpected end of input after \"function\"");
            return false;
        }
        callFunction(in, name, target.result);
        return false;
    }
    return true;
}

PointerRead beginPointer(BaseInStream& in, const Type*& type, void*& object) {
    type = nullptr;
    object = nullptr;
    std::string token;
    in.readToken(token);
    if (token.empty()) return PointerRead::keep;
    if (is(token, "NULL")) return PointerRead::null;
    if (is(token, "archetype")) {
        std::string name;
        readStringToken(in, name);
        if (name.empty()) {
            in.fail("unexpected end of input after \"archetype\"");
            return PointerRead::keep;
        }
        ArchetypeInstantiator instantiator = getArchetypeInstantiator();
        if (!instantiator) {
            in.warn("archetype \"" + name + "\" is used where no archetypes are known");
            return PointerRead::keep;
        }
        object = instantiator(in, name, type);
        return object && type ? PointerRead::created : PointerRead::keep;
    }
    type = findType(token);
    if (!type) {
        // The object's text cannot be stepped over without its class, so reading stops here.
        in.fail("unknown class \"" + token + "\"");
        return PointerRead::keep;
    }
    in.unget(token);
    return PointerRead::create;
}

void reportWrongClass(BaseInStream& in, const Type& type, const std::type_info& wanted) {
    in.warn("class \"" + type.getName() + "\" is not a " + cachedTypeName(wanted) + "; it was skipped");
}

}  // namespace textformat_detail

void TextValue<Vector4>::read(BaseInStream& in, Vector4& value) {
    float x = value.x(), y = value.y(), z = value.z(), w = value.w();
    readValue(in, x);
    readValue(in, y);
    readValue(in, z);
    readValue(in, w);
    value = Vector4(x, y, z, w);
}

void TextValue<Vector4>::write(BaseOutStream& out, const Vector4& value) {
    const float lanes[4] = {value.x(), value.y(), value.z(), value.w()};
    if (out.writesPlainText()) {
        TextOutStream& text = static_cast<TextOutStream&>(out);
        for (float lane : lanes) {
            text.putFloat(lane);
            text.putChar(' ');
        }
        return;
    }
    BaseOutStream& s = out.vector4Stream(const_cast<Vector4*>(&value));
    for (float lane : lanes) {
        s.write(lane);
        s.write(' ');
    }
}

void TextValue<Quaternion>::read(BaseInStream& in, Quaternion& value) {
    float x = value.x(), y = value.y(), z = value.z(), w = value.w();
    readValue(in, x);
    readValue(in, y);
    readValue(in, z);
    readValue(in, w);
    value = Quaternion(x, y, z, w);
}

void TextValue<Quaternion>::write(BaseOutStream& out, const Quaternion& value) {
    const float lanes[4] = {value.x(), value.y(), value.z(), value.w()};
    if (out.writesPlainText()) {
        TextOutStream& text = static_cast<TextOutStream&>(out);
        for (float lane : lanes) {
            text.putFloat(lane);
            text.putChar(' ');
        }
        return;
    }
    BaseOutStream& s = out.quaternionStream(const_cast<Quaternion*>(&value), 0);
    for (float lane : lanes) {
        s.write(lane);
        s.write(' ');
    }
}

// ---------------------------------------------------------------------------------------------------
// Class parts

int readBaseHeader(BaseInStream& in, int defaultVersion) {
    int version = defaultVersion;
    readValue(in, version);
    readLabel(in);
    return version;
}

bool readKey(BaseInStream& in, std::string& key) {
    if (in.hasFailed()) return false;
    std::string token;
    if (!nextToken(in, token)) {
        in.fail("unexpected end of input: missing \"end\"");
        return false;
    }
    if (is(token, "end")) return false;
    if (token[0] != '"' && !isValueDirective(token)) {
        key.swap(token);
        return true;
    }
    in.unget(token);
    readValue(in, key);
    return !in.hasFailed();
}

bool isNumberToken(const std::string& token) {
    std::size_t i = !token.empty() && (token[0] == '-' || token[0] == '+') ? 1 : 0;
    if (i < token.size() && token[i] == '.') ++i;
    return i < token.size() && token[i] >= '0' && token[i] <= '9';
}

bool isValueDirective(const std::string& token) { return is(token, "externalFiles") || is(token, "function"); }

namespace {
bool isIntegerToken(const std::string& token) {
    std::size_t i = token[0] == '-' || token[0] == '+' ? 1 : 0;
    if (i == token.size()) return false;
    for (; i < token.size(); ++i)
        if (token[i] < '0' || token[i] > '9') return false;
    return true;
}

// Whether the next token stands on that line and passes the test; it is left unread either way.
template <class Test>
bool nextOnLine(BaseInStream& in, int line, Test&& test) {
    std::string token;
    in.readToken(token);
    if (token.empty()) return false;
    const bool onLine = line <= 0 || in.getLine() == line;
    const bool passes = onLine && !startsWithComment(token) && test(token);
    in.unget(token);
    return passes;
}

// Takes the tokens that follow on the line while they pass the test.
template <class Test>
void skipOnLine(BaseInStream& in, int line, Test&& test) {
    std::string token;
    while (nextOnLine(in, line, test)) in.readToken(token);
}

bool skipContainer(BaseInStream& in) {
    std::string token;
    if (nextToken(in, token) && is(token, "size")) {
        int count = 0;
        in.read(count);
    } else if (!token.empty()) {
        in.unget(token);
    }
    while (nextElement(in))
        if (!skipValue(in)) return false;
    return !in.hasFailed();
}
}  // namespace

bool skipValue(BaseInStream& in, int anchorLine) {
    ValueDepth depth(in);
    if (!depth) return false;
    std::string token;
    if (!nextToken(in, token)) {
        if (!in.hasFailed()) in.fail("unexpected end of input where a value was expected");
        return false;
    }
    const int line = in.getLine();
    if (is(token, "end")) {
        // No value at all: the "end" closes what holds the key.
        in.unget(token);
        return true;
    }
    if (is(token, "NULL")) return true;
    if (is(token, "archetype")) {
        std::string name;
        readStringToken(in, name);
        return !in.hasFailed();
    }
    if (is(token, "externalFiles")) {
        int count = 0;
        in.read(count);
        for (int i = 0; i < count; ++i) {
            in.readToken(token);
            if (token.empty()) {
                in.fail("unexpected end of input in the file list of \"externalFiles\"");
                return false;
            }
        }
        return true;
    }
    if (is(token, "function")) {
        std::string name;
        in.readToken(name);
        skipFunctionCall(in, name, line);
        return !in.hasFailed();
    }
    if (token[0] == '"') {
        std::string ignored;
        readStringFromToken(in, token, ignored);
        return !in.hasFailed();
    }
    if (is(token, "size") || (anchorLine > 0 && line > anchorLine)) {
        in.unget(token);
        return skipContainer(in);
    }
    if (const Type* type = findType(token)) {
        in.unget(token);
        type->skip(in);
        return !in.hasFailed();
    }
    if (isNumberToken(token)) {
        // A number, or a vector's lanes.
        skipOnLine(in, line, isNumberToken);
        return !in.hasFailed();
    }
    // A word followed by a version number reads as an object of a class that is not registered: its
    // text cannot be stepped over.
    if (nextOnLine(in, line, isIntegerToken)) {
        in.fail("unknown class \"" + token + "\"; its text cannot be stepped over");
        return false;
    }
    return true;
}

void reportUnknownKey(BaseInStream& in, const std::string& key) { in.fail("unknown key \"" + key + "\""); }

void skipUnknownKey(BaseInStream& in, const std::string& key) {
    in.warn("unknown key \"" + key + "\" is skipped with its value");
    skipValue(in, in.getLine());
}

BaseOutStream& writeBaseHeader(BaseOutStream& out, int baseVersion, const std::string& baseName) {
    writeValue(out, baseVersion);
    writeStringToken(out, baseName);
    writeCode(out, BaseOutStream::indent);
    writeCode(out, BaseOutStream::lineEnd);
    return out;
}

BaseOutStream& writeBaseEnd(BaseOutStream& out) {
    writeCode(out, BaseOutStream::dedent);
    writeCode(out, BaseOutStream::lineEnd);
    return out;
}

BaseOutStream& writeEnd(BaseOutStream& out) { return writeKeyword(out, "end"); }
