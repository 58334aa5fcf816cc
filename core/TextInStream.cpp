// Tokenising and typed reads shared by the file and std-stream readers.
#include "core/TextInStream.h"

namespace {
// The stream's own character access, one virtual call a character.
struct CharSource {
    TextInStream& stream;
    int (*peekOf)(TextInStream&);
    int (*takeOf)(TextInStream&);
    int peek() { return peekOf(stream); }
    int advance() {
        takeOf(stream);
        return peekOf(stream);
    }
};
}  // namespace

BaseInStream& TextInStream::readToken(std::string& token) {
    CharSource source{*this, [](TextInStream& s) { return s.peekChar(); }, [](TextInStream& s) { return s.takeChar(); }};
    return readTokenFrom(source, token);
}

template <class T>
BaseInStream& TextInStream::readTyped(T& value) {
    readToken(scratch);
    convertToken(scratch, value);
    return *this;
}

BaseInStream& TextInStream::read(long double& value) { return readTyped(value); }
BaseInStream& TextInStream::read(double& value) { return readTyped(value); }
BaseInStream& TextInStream::read(float& value) { return readTyped(value); }
BaseInStream& TextInStream::read(unsigned long long& value) { return readTyped(value); }
BaseInStream& TextInStream::read(long long& value) { return readTyped(value); }
BaseInStream& TextInStream::read(unsigned long& value) { return readTyped(value); }
BaseInStream& TextInStream::read(long& value) { return readTyped(value); }
BaseInStream& TextInStream::read(unsigned int& value) { return readTyped(value); }
BaseInStream& TextInStream::read(int& value) { return readTyped(value); }
BaseInStream& TextInStream::read(unsigned short& value) { return readTyped(value); }
BaseInStream& TextInStream::read(short& value) { return readTyped(value); }
BaseInStream& TextInStream::read(unsigned char& value) { return readTyped(value); }
BaseInStream& TextInStream::read(signed char& value) { return readTyped(value); }
BaseInStream& TextInStream::read(bool& value) { return readTyped(value); }

BaseInStream& TextInStream::read(char& value) {
    // A destination preset to a layout code marks layout that the writer turned into white space.
    if (value == 10 || value == 14 || value == 15) return *this;
    return readTyped(value);
}

BaseInStream& TextInStream::readLine() {
    for (int c = takeChar(); c >= 0; c = takeChar())
        if (c == '\n') {
            ++line;
            break;
        }
    return *this;
}

bool TextInStream::readQuotedRest(std::string& text, bool& closed) {
    closed = false;
    // Characters taken after a pushed-back token would not follow it.
    if (hasPushedBack() || failed) return false;
    for (int c = takeChar(); c >= 0; c = takeChar()) {
        if (c == '\n') ++line;
        const bool escaped = !text.empty() && text.back() == '\\';
        text.push_back(static_cast<char>(c));
        if (c == '"' && !escaped) {
            const int next = peekChar();
            if (next < 0 || isBlankChar(next)) {
                closed = true;
                return true;
            }
        }
    }
    return true;
}
