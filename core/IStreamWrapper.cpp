// Token input over a caller's std::istream, taken through its stream buffer one character at a time.
#include "core/IStreamWrapper.h"

IStreamWrapper::IStreamWrapper(std::istream& stream, const std::string& label) : buffer(stream.rdbuf()) {
    name = label;
}

namespace {
inline bool isSpaceChar(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
constexpr auto endOfFile = std::char_traits<char>::eof();
}  // namespace

BaseInStream& IStreamWrapper::readToken(std::string& token) {
    if (popPushedBack(token)) return *this;
    token.clear();
    if (failed || !buffer) return *this;
    skipSpace();
    takeRun(token);
    return *this;
}

// The stream buffer's own inline character access, without a virtual call per character.
void IStreamWrapper::skipSpace() {
    if (!buffer) return;
    for (auto c = buffer->sgetc(); c != endOfFile && isSpaceChar(c); c = buffer->snextc())
        if (c == '\n') ++line;
}

void IStreamWrapper::takeRun(std::string& token) {
    if (!buffer) return;
    char chunk[64];
    std::size_t length = 0;
    for (auto c = buffer->sgetc(); c != endOfFile && !isSpaceChar(c); c = buffer->snextc()) {
        chunk[length++] = std::char_traits<char>::to_char_type(c);
        if (length == sizeof chunk) {
            token.append(chunk, length);
            length = 0;
        }
    }
    token.append(chunk, length);
}

int IStreamWrapper::peekChar() {
    if (!buffer) return -1;
    const auto c = buffer->sgetc();
    return c == std::char_traits<char>::eof() ? -1 : static_cast<unsigned char>(std::char_traits<char>::to_char_type(c));
}

int IStreamWrapper::takeChar() {
    if (!buffer) return -1;
    const auto c = buffer->sbumpc();
    return c == std::char_traits<char>::eof() ? -1 : static_cast<unsigned char>(std::char_traits<char>::to_char_type(c));
}
