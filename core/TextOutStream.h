// The shared writing machinery of OStreamWrapper and FileWriter: numbers formatted without iostreams,
// layout codes turned into line ends and tabs, and the blank after a layout code dropped.
#pragma once

#include <cstddef>
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
    void putText(const char* data, std::size_t size) {
        lineStart = false;
        emit(data, size);
    }
    template <class T>
    BaseOutStream& writeInteger(T value);
    BaseOutStream& writeFloating(double value);
};

// Writes value with six significant digits exactly as printf's %g does; returns the length (at most 15).
std::size_t formatGeneral6(double value, char* out);
std::size_t formatGeneral6(float value, char* out);
