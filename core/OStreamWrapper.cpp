// Token output into a caller's std::ostream through its stream buffer.
#include "core/OStreamWrapper.h"

OStreamWrapper::OStreamWrapper(std::ostream& target) : stream(target) {}

void OStreamWrapper::put(const char* data, std::size_t size) {
    std::streambuf* buffer = stream.rdbuf();
    if (!buffer) {
        stream.setstate(std::ios::badbit);
        return;
    }
    // Short pieces (nearly every token) go in through the buffer's inline single-character path.
    if (size <= 16) {
        for (std::size_t i = 0; i < size; ++i)
            if (std::char_traits<char>::eq_int_type(buffer->sputc(data[i]), std::char_traits<char>::eof())) {
                stream.setstate(std::ios::badbit);
                return;
            }
        return;
    }
    if (static_cast<std::size_t>(buffer->sputn(data, static_cast<std::streamsize>(size))) != size)
        stream.setstate(std::ios::badbit);
}
