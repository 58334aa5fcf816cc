// Number formatting and layout codes of the text output streams.
#include "core/TextOutStream.h"

#include <charconv>
#include <cmath>
#include <cstdint>

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
    // 10^exponent <= a < 10^(exponent + 1)
    int exponent = a >= 1.0 ? (a >= 1e3 ? (a >= 1e5 ? 5 : a >= 1e4 ? 4 : 3) : (a >= 1e2 ? 2 : a >= 1e1 ? 1 : 0))
                            : (a >= 1e-2 ? (a >= 1e-1 ? -1 : -2) : (a >= 1e-3 ? -3 : -4));
    const double scaled = a * scale[5 - exponent];
    if (!(scaled >= 99999.5 && scaled < 999999.5)) {
        // Rounds up to the next power of ten (or sits on a boundary): let the general path decide.
        return formatGeneral6(v, out);
    }
    // Round half to even; every step is exact in double.
    double whole = static_cast<double>(static_cast<std::uint32_t>(scaled));
    const double fraction = scaled - whole;
    std::uint32_t mantissa = static_cast<std::uint32_t>(whole);
    if (fraction > 0.5 || (fraction == 0.5 && (mantissa & 1u))) ++mantissa;
    char digits[6];
    for (int i = 5; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + mantissa % 10u);
        mantissa /= 10u;
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

void TextOutStream::putFloat(float value) {
    char buffer[32];
    putText(buffer, formatGeneral6(value, buffer));
}

void TextOutStream::putDouble(double value) {
    char buffer[32];
    putText(buffer, formatGeneral6(value, buffer));
}

void TextOutStream::putLineEnd() {
    // A line end followed by one tab per indentation level.
    if (directSink) {
        directSink->push_back('\n');
        directSink->append(static_cast<std::size_t>(indentation), '\t');
    } else {
        char buffer[64];
        std::size_t length = 0;
        buffer[length++] = '\n';
        int tabs = indentation;
        for (; tabs > 0 && length < sizeof buffer; --tabs) buffer[length++] = '\t';
        emit(buffer, length);
        for (; tabs > 0; --tabs) emit("\t", 1);
    }
    lineStart = true;
}

BaseOutStream& TextOutStream::write(const std::string& value) {
    putText(value.data(), value.size());
    return *this;
}

BaseOutStream& TextOutStream::write(const long double& value) {
    putScalar(value);
    return *this;
}
BaseOutStream& TextOutStream::write(const double& value) {
    putScalar(value);
    return *this;
}
BaseOutStream& TextOutStream::write(const float& value) {
    putScalar(value);
    return *this;
}
BaseOutStream& TextOutStream::write(const unsigned long long& value) {
    putScalar(value);
    return *this;
}
BaseOutStream& TextOutStream::write(const long long& value) {
    putScalar(value);
    return *this;
}
BaseOutStream& TextOutStream::write(const unsigned long& value) {
    putScalar(value);
    return *this;
}
BaseOutStream& TextOutStream::write(const long& value) {
    putScalar(value);
    return *this;
}
BaseOutStream& TextOutStream::write(const unsigned int& value) {
    putScalar(value);
    return *this;
}
BaseOutStream& TextOutStream::write(const int& value) {
    putScalar(value);
    return *this;
}
BaseOutStream& TextOutStream::write(const unsigned short& value) {
    putScalar(value);
    return *this;
}
BaseOutStream& TextOutStream::write(const short& value) {
    putScalar(value);
    return *this;
}
BaseOutStream& TextOutStream::write(const unsigned char& value) {
    putScalar(value);
    return *this;
}
BaseOutStream& TextOutStream::write(const signed char& value) {
    putScalar(value);
    return *this;
}
BaseOutStream& TextOutStream::write(const bool& value) {
    putScalar(value);
    return *this;
}
BaseOutStream& TextOutStream::write(const char& value) {
    putChar(value);
    return *this;
}
