// Token input over a caller's std::istream, taken through its stream buffer one character at a time.
#include "core/IStreamWrapper.h"

IStreamWrapper::IStreamWrapper(std::istream& stream, const std::string& label) : buffer(stream.rdbuf()) {
    name = label;
}

namespace {
constexpr auto endOfFile = std::char_traits<char>::eof();

// The stream buffer as a source of the token loop, through its own inline character access (no
// virtual call a character); a run is gathered in chunks.
struct BufferSource {
    std::streambuf* buffer;
    static int character(std::char_traits<char>::int_type c) {
        return c == endOfFile ? -1 : static_cast<unsigned char>(std::char_traits<char>::to_char_type(c));
    }
    int peek() { return buffer ? character(buffer->sgetc()) : -1; }
    int advance() { return buffer ? character(buffer->snextc()) : -1; }
    void appendRun(std::string& token) {
        char chunk[64];
        std::size_t length = 0;
        for (int c = peek(); c >= 0 && !isBlankChar(c); c = advance()) {
            chunk[length++] = static_cast<char>(c);
            if (length == sizeof chunk) {
                token.append(chunk, length);
                length = 0;
            }
        }
        token.append(chunk, length);
    }
};
}  // namespace

BaseInStream& IStreamWrapper::readToken(std::string& token) {
    BufferSource source{buffer};
    return readTokenFrom(source, token);
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
