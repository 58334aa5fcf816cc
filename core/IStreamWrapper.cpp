// Token input over a caller's std::istream, taken through its stream buffer one character at a time.
#include "core/IStreamWrapper.h"

IStreamWrapper::IStreamWrapper(std::istream& stream, const std::string& label) : buffer(stream.rdbuf()) {
    name = label;
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
