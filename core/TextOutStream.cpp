// Number formatting and layout codes of the text output streams.
#include "core/TextOutStream.h"

#include <charconv>
#include <cmath>

BaseOutStream& TextOutStream::write(const std::string& value) {
    putText(value.data(), value.size());
    return *this;
}

template <class T>
BaseOutStream& TextOutStream::writeInteger(T value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    putText(buffer, static_cast<std::size_t>(result.ptr - buffer));
    return *this;
}

std::size_t formatGeneral6(double value, char* out) {
    const auto result = std::to_chars(out, out + 32, value, std::chars_format::general, 6);
    return static_cast<std::size_t>(result.ptr - out);
}

// Floats from 1e-4 to 1e6 (nearly every value in the data) take a short path: a float times a power of
// ten up to 10^9 is exact in a double, so rounding that product to six digits (ties to even, as printf
// rounds the exact value) gives printf's digits. Everything else goes through to_chars.
std::size_t formatGeneral6(float value, char* out) {
    const double v = value;
    const double a = v < 0 ? -v : v;
    if (!(a >= 1e-4 && a < 1e6)) {
        if (v == 0.0) {
            if (std::signbit(v)) {
                out[0] = '-';
                out[1] = '0';
                return 2;
            }
            out[0] = '0';
            return 1;
        }
        return formatGeneral6(v, out);
    }
    static const double scale[10] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    static const double bounds[10] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5};
    int exponent = -4;  // 10^exponent <= a < 10^(exponent + 1)
    while (exponent < 5 && a >= bounds[exponent + 5]) ++exponent;
    const double scaled = a * scale[5 - exponent];
    if (!(scaled >= 99999.5 && scaled < 999999.5)) {
        // Rounds up to the next power of ten (or sits on a boundary): let the general path decide.
        return formatGeneral6(v, out);
    }
    const long long mantissa = static_cast<long long>(std::nearbyint(scaled));
    char digits[6];
    long long rest = mantissa;
    for (int i = 5; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    }
    int significant = 6;
    while (significant > 1 && digits[significant - 1] == '0') --significant;
    std::size_t length = 0;
    if (v < 0) out[length++] = '-';
    if (exponent >= 0) {
        const int whole = exponent + 1;
        for (int i = 0; i < whole; ++i) out[length++] = digits[i];
        if (significant > whole) {
            out[length++] = '.';
            for (int i = whole; i < significant; ++i) out[length++] = digits[i];
        }
    } else {
        out[length++] = '0';
        out[length++] = '.';
        for (int i = -1; i > exponent; --i) out[length++] = '0';
        for (int i = 0; i < significant; ++i) out[length++] = digits[i];
    }
    return length;
}

// Six significant digits in general notation, as printf's %g writes them.
BaseOutStream& TextOutStream::writeFloating(double value) {
    char buffer[32];
    putText(buffer, formatGeneral6(value, buffer));
    return *this;
}

BaseOutStream& TextOutStream::write(const long double& value) { return writeFloating(static_cast<double>(value)); }
BaseOutStream& TextOutStream::write(const double& value) { return writeFloating(value); }
BaseOutStream& TextOutStream::write(const float& value) {
    char buffer[32];
    putText(buffer, formatGeneral6(value, buffer));
    return *this;
}
BaseOutStream& TextOutStream::write(const unsigned long long& value) { return writeInteger(value); }
BaseOutStream& TextOutStream::write(const long long& value) { return writeInteger(value); }
BaseOutStream& TextOutStream::write(const unsigned long& value) { return writeInteger(value); }
BaseOutStream& TextOutStream::write(const long& value) { return writeInteger(value); }
BaseOutStream& TextOutStream::write(const unsigned int& value) { return writeInteger(value); }
BaseOutStream& TextOutStream::write(const int& value) { return writeInteger(value); }
BaseOutStream& TextOutStream::write(const unsigned short& value) { return writeInteger(value); }
BaseOutStream& TextOutStream::write(const short& value) { return writeInteger(value); }

BaseOutStream& TextOutStream::write(const unsigned char& value) {
    const char c = static_cast<char>(value);
    putText(&c, 1);
    return *this;
}

BaseOutStream& TextOutStream::write(const signed char& value) {
    const char c = static_cast<char>(value);
    putText(&c, 1);
    return *this;
}

BaseOutStream& TextOutStream::write(const bool& value) {
    putText(value ? "1" : "0", 1);
    return *this;
}

BaseOutStream& TextOutStream::write(const char& value) {
    switch (value) {
    case lineEnd: {
        // A line end followed by one tab per indentation level.
        char buffer[64];
        std::size_t length = 0;
        buffer[length++] = '\n';
        int tabs = indentation;
        for (; tabs > 0 && length < sizeof buffer; --tabs) buffer[length++] = '\t';
        emit(buffer, length);
        for (; tabs > 0; --tabs) emit("\t", 1);
        lineStart = true;
        break;
    }
    case indent:
        ++indentation;
        lineStart = true;
        break;
    case dedent:
        if (indentation > 0) --indentation;
        lineStart = true;
        break;
    case ' ':
        // Blanks that would start a line are dropped, so items can all end with a blank.
        if (!lineStart) emit(" ", 1);
        break;
    default:
        putText(&value, 1);
        break;
    }
    return *this;
}
