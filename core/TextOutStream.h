// The shared writing machinery of OStreamWrapper and FileWriter: numbers formatted without iostreams,
// layout codes turned into line ends and tabs, and the blank after a layout code dropped.
#pragma once

#include <charconv>
#include <cstddef>
#include <type_traits>
#include <string>

#include "core/BaseOutStream.h"

class TextOutStream : public BaseOutStream {
public:
    BaseOutStream& write(const std::string& value) override;
    BaseOutStream& write(const long double& value) override;
    BaseOutStream& write(const double& value) override;
    BaseOutStream& write(const float& value) override;
    BaseOutStream& write(const unsigned long long& value) override;
    BaseOutStream& write(const long long& value) override;
    BaseOutStream& write(const unsigned long& value) override;
    BaseOutStream& write(const long& value) override;
    BaseOutStream& write(const unsigned int& value) override;
    BaseOutStream& write(const int& value) override;
    BaseOutStream& write(const unsigned short& value) override;
    BaseOutStream& write(const short& value) override;
    BaseOutStream& write(const unsigned char& value) override;
    BaseOutStream& write(const signed char& value) override;
    BaseOutStream& write(const char& value) override;
    BaseOutStream& write(const bool& value) override;
    using BaseOutStream::write;

    // The writes without a virtual call, for writers that know the stream writes plain text.
    void putChar(char value) {
        switch (value) {
        case lineEnd: putLineEnd(); break;
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
            if (!lineStart) emitChar(' ');
            break;
        default:
            lineStart = false;
            emitChar(value);
            break;
        }
    }
    void putText(const char* data, std::size_t size) {
        lineStart = false;
        emit(data, size);
    }
    void putFloat(float value);
    void putDouble(double value);
    template <class T>
    void putInteger(T value);
    template <class T>
    void putScalar(const T& value) {
        if constexpr (std::is_same_v<T, char>)
            putChar(value);
        else if constexpr (std::is_same_v<T, bool>)
            putText(value ? "1" : "0", 1);
        else if constexpr (std::is_same_v<T, float>)
            putFloat(value);
        else if constexpr (std::is_floating_point_v<T>)
            putDouble(static_cast<double>(value));
        else if constexpr (std::is_same_v<T, unsigned char> || std::is_same_v<T, signed char>) {
            const char c = static_cast<char>(value);
            putText(&c, 1);
        } else
            putInteger(value);
    }

protected:
    // Receives the characters to write (unless a direct sink is set).
    virtual void put(const char* data, std::size_t size) = 0;
    // A string that collects the text directly, without a call per piece (the file writer's buffer).
    std::string* directSink = nullptr;

private:
    void emit(const char* data, std::size_t size) {
        if (directSink)
            directSink->append(data, size);
        else
            put(data, size);
    }
    void emitChar(char c) {
        if (directSink)
            directSink->push_back(c);
        else
            put(&c, 1);
    }
    void putLineEnd();
};

template <class T>
void TextOutStream::putInteger(T value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    putText(buffer, static_cast<std::size_t>(result.ptr - buffer));
}

// Writes value with six significant digits exactly as printf's %g does; returns the length (at most 15).
std::size_t formatGeneral6(double value, char* out);
std::size_t formatGeneral6(float value, char* out);
