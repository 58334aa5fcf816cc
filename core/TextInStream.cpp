// Tokenising and typed reads shared by the file and std-stream readers.
#include "core/TextInStream.h"

namespace {
inline bool isSpaceChar(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
}  // namespace

void TextInStream::skipSpace() {
    for (int c = peekChar(); c >= 0 && isSpaceChar(c); c = peekChar()) {
        if (c == '\n') ++line;
        takeChar();
    }
}

void TextInStream::takeRun(std::string& token) {
    for (int c = peekChar(); c >= 0 && !isSpaceChar(c); c = peekChar()) token.push_back(static_cast<char>(takeChar()));
}

BaseInStream& TextInStream::readToken(std::string& token) {
    if (popPushedBack(token)) return *this;
    token.clear();
    if (failed) return *this;
    skipSpace();
    takeRun(token);
    return *this;
}

template <class T>
BaseInStream& TextInStream::readTyped(T& value) {
    if (!popPushedBack(scratch)) {
        scratch.clear();
        if (failed) return *this;
        skipSpace();
        takeRun(scratch);
    }
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
            if (next < 0 || isSpaceChar(next)) {
                closed = true;
                return true;
            }
        }
    }
    return true;
}
