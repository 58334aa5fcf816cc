// Pushed-back tokens, attributes, failure reports and the token conversions shared by every input stream.
#include "core/BaseInStream.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <limits>

#include "core/TextInStream.h"

BaseInStream::~BaseInStream() = default;

BaseInStream& BaseInStream::unget(const std::string& token) {
    if (pushedCount == pushed.size()) pushed.emplace_back();
    pushed[pushedCount++].assign(token);
    return *this;
}

std::string BaseInStream::getAttribute(const std::string& attributeName) const {
    auto found = attributes.find(attributeName);
    return found == attributes.end() ? std::string() : found->second;
}

namespace {
void report(const BaseInStream& in, const std::string& problem) {
    const std::string& source = in.getName();
    std::cerr << "Error reading \"" << (source.empty() ? std::string("<text>") : source) << "\"";
    if (in.getLine() > 0) std::cerr << " line " << in.getLine();
    std::cerr << ": " << problem << std::endl;
}
}  // namespace

void BaseInStream::fail(const std::string& problem) {
    if (!failed) report(*this, problem);
    failed = true;
    problems = true;
}

void BaseInStream::warn(const std::string& problem) const {
    if (!failed) report(*this, problem);
    problems = true;
}

bool BaseInStream::readQuotedRest(std::string&, bool& closed) {
    closed = false;
    return false;
}

// --- Conversions ---

namespace {
bool isSpace(char c) { return isBlankChar(static_cast<unsigned char>(c)); }

// Decimal integer with optional sign after leading blanks; saturates at the 64-bit range.
// Returns false when no digit was found (the value is then 0).
bool parseInteger(const std::string& token, long long& result, bool& negative) {
    std::size_t i = 0;
    const std::size_t n = token.size();
    while (i < n && isSpace(token[i])) ++i;
    negative = false;
    if (i < n && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
    unsigned long long magnitude = 0;
    bool overflow = false;
    bool any = false;
    for (; i < n && token[i] >= '0' && token[i] <= '9'; ++i) {
        any = true;
        const unsigned digit = static_cast<unsigned>(token[i] - '0');
        if (magnitude > (ULLONG_MAX - digit) / 10) {
            overflow = true;
        } else {
            magnitude = magnitude * 10 + digit;
        }
    }
    if (!any) {
        result = 0;
        return false;
    }
    if (negative) {
        result = (overflow || magnitude > static_cast<unsigned long long>(LLONG_MAX) + 1ull)
                     ? LLONG_MIN
                     : static_cast<long long>(0ull - magnitude);
    } else {
        result = (overflow || magnitude > static_cast<unsigned long long>(LLONG_MAX)) ? LLONG_MAX
                                                                                         : static_cast<long long>(magnitude);
    }
    return true;
}

// Unsigned extraction: a minus sign negates modulo 2^64 as strtoull does; too large saturates.
unsigned long long parseUnsigned(const std::string& token) {
    std::size_t i = 0;
    const std::size_t n = token.size();
    while (i < n && isSpace(token[i])) ++i;
    bool negative = false;
    if (i < n && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
    unsigned long long magnitude = 0;
    for (; i < n && token[i] >= '0' && token[i] <= '9'; ++i) {
        const unsigned digit = static_cast<unsigned>(token[i] - '0');
        if (magnitude > (ULLONG_MAX - digit) / 10) return ULLONG_MAX;
        magnitude = magnitude * 10 + digit;
    }
    return negative ? 0ull - magnitude : magnitude;
}

// atof: leading blanks, sign, digits, point, exponent, "inf", "nan" and hexadecimal; 0 when nothing fits.
double parseDouble(const std::string& token) {
    const char* begin = token.data();
    const char* end = begin + token.size();
    while (begin < end && isSpace(*begin)) ++begin;
    bool negative = false;
    const char* digits = begin;
    if (digits < end && (*digits == '+' || *digits == '-')) negative = *digits++ == '-';
    const bool hex = end - digits >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    if (!hex) {
        // Plain decimals of up to 15 digits: the digits as an exact integer divided by an exact power
        // of ten is the correctly rounded value, the same that from_chars gives, only sooner.
        static const double powers[16] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                                          1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        const char* p = digits;
        std::uint64_t mantissa = 0;
        int count = 0;
        int fraction = -1;
        for (; p < end && count <= 15; ++p) {
            if (*p >= '0' && *p <= '9') {
                mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
                ++count;
                if (fraction >= 0) ++fraction;
            } else if (*p == '.' && fraction < 0) {
                fraction = 0;
            } else {
                break;
            }
        }
        const bool simpleEnd = p == end || (*p != 'e' && *p != 'E' && (*p < '0' || *p > '9'));
        if (count > 0 && count <= 15 && simpleEnd) {
            double value = static_cast<double>(mantissa);
            if (fraction > 0) value /= powers[fraction];
            return negative ? -value : value;
        }
    }
    if (!hex && digits < end && *digits != '+' && *digits != '-') {
        double value = 0.0;
        const auto result = std::from_chars(digits, end, value);
        if (result.ec == std::errc()) return negative ? -value : value;
        if (result.ec == std::errc::invalid_argument) return 0.0;
    }
    // Hexadecimal and out-of-range values take the C library's path (which gives HUGE_VAL or 0).
    return std::strtod(std::string(begin, end).c_str(), nullptr);
}

template <class T>
T clampTo(long long value) {
    if (value < static_cast<long long>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
    if (value > static_cast<long long>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
    return static_cast<T>(value);
}

// atoi: the 64-bit result cut to the low 32 bits, as the C library does on this platform.
int atoiLike(const std::string& token) {
    long long value = 0;
    bool negative = false;
    parseInteger(token, value, negative);
    return static_cast<int>(static_cast<unsigned int>(static_cast<unsigned long long>(value)));
}
}  // namespace

void convertToken(const std::string& token, long double& value) {
    if (token.empty()) return;
    value = std::strtold(token.c_str(), nullptr);
}

void convertToken(const std::string& token, double& value) {
    if (token.empty()) return;
    value = parseDouble(token);
}

void convertToken(const std::string& token, float& value) {
    if (token.empty()) return;
    const double d = parseDouble(token);
    // Out of float range: infinity, as a hardware conversion would give, without undefined behaviour.
    if (std::isfinite(d) && std::fabs(d) > static_cast<double>(FLT_MAX))
        value = d > 0 ? INFINITY : -INFINITY;
    else
        value = static_cast<float>(d);
}

void convertToken(const std::string& token, unsigned long long& value) {
    if (token.empty()) return;
    value = parseUnsigned(token);
}

void convertToken(const std::string& token, long long& value) {
    if (token.empty()) return;
    bool negative = false;
    parseInteger(token, value, negative);
}

void convertToken(const std::string& token, unsigned long& value) {
    if (token.empty()) return;
    value = static_cast<unsigned long>(parseUnsigned(token));
}

void convertToken(const std::string& token, long& value) {
    if (token.empty()) return;
    long long result = 0;
    bool negative = false;
    parseInteger(token, result, negative);
    value = clampTo<long>(result);
}

void convertToken(const std::string& token, unsigned int& value) {
    if (token.empty()) return;
    const unsigned long long result = parseUnsigned(token);
    value = result > UINT_MAX ? UINT_MAX : static_cast<unsigned int>(result);
}

void convertToken(const std::string& token, int& value) {
    if (token.empty()) return;
    value = atoiLike(token);
}

void convertToken(const std::string& token, unsigned short& value) {
    if (token.empty()) return;
    value = static_cast<unsigned short>(static_cast<unsigned int>(atoiLike(token)) & 0xFFFFu);
}

void convertToken(const std::string& token, short& value) {
    if (token.empty()) return;
    const unsigned int low = static_cast<unsigned int>(atoiLike(token)) & 0xFFFFu;
    value = static_cast<short>(low >= 0x8000u ? static_cast<int>(low) - 0x10000 : static_cast<int>(low));
}

void convertToken(const std::string& token, unsigned char& value) {
    if (token.empty()) return;
    value = static_cast<unsigned char>(token[0]);
}

void convertToken(const std::string& token, signed char& value) {
    if (token.empty()) return;
    value = static_cast<signed char>(token[0]);
}

void convertToken(const std::string& token, char& value) {
    if (token.empty()) return;
    value = token[0];
}

void convertToken(const std::string& token, bool& value) {
    if (token.empty()) return;
    if (token == "true")
        value = true;
    else if (token == "false")
        value = false;
    else
        value = atoiLike(token) != 0;
}
