// Token output of the text format: one virtual write per scalar type, hooks that hand out the stream
// for each value about to be written (the editor's property bars override them), and an attribute map.
#pragma once

#include <map>
#include <string>

class BaseOutStream {
public:
    // Layout codes the writers emit as chars; text streams turn them into line ends and indentation.
    static constexpr char lineEnd = 10;
    static constexpr char indent = 14;
    static constexpr char dedent = 15;

    // Callers set entries by name ("progressBar", "tweakBar"); field writers empty it after each field.
    std::map<std::string, std::string> attributes;

    BaseOutStream() = default;
    BaseOutStream(const BaseOutStream&) = delete;
    BaseOutStream& operator=(const BaseOutStream&) = delete;
    virtual ~BaseOutStream();

    // Strings go out as they are (quoting is writeStringToken's); numbers in decimal, floating values
    // with six significant digits, bools as 1 or 0. The char codes 10, 14 and 15 are layout, and a
    // blank right after a layout code is dropped.
    virtual BaseOutStream& write(const std::string& value) = 0;
    virtual BaseOutStream& write(const long double& value) = 0;
    virtual BaseOutStream& write(const double& value) = 0;
    virtual BaseOutStream& write(const float& value) = 0;
    virtual BaseOutStream& write(const unsigned long long& value) = 0;
    virtual BaseOutStream& write(const long long& value) = 0;
    virtual BaseOutStream& write(const unsigned long& value) = 0;
    virtual BaseOutStream& write(const long& value) = 0;
    virtual BaseOutStream& write(const unsigned int& value) = 0;
    virtual BaseOutStream& write(const int& value) = 0;
    virtual BaseOutStream& write(const unsigned short& value) = 0;
    virtual BaseOutStream& write(const short& value) = 0;
    virtual BaseOutStream& write(const unsigned char& value) = 0;
    virtual BaseOutStream& write(const signed char& value) = 0;
    virtual BaseOutStream& write(const char& value) = 0;
    virtual BaseOutStream& write(const bool& value) = 0;
    // A string literal is a string (without this it would convert to bool).
    BaseOutStream& write(const char* value) { return write(std::string(value)); }

    // Each hook receives the address of the value about to be written and returns the stream that is
    // to receive it. Here, and in the text streams, that is the stream itself.
    virtual BaseOutStream& simpleStream(void* value);
    virtual BaseOutStream& vector4Stream(void* value);
    // form: 0 for an orientation; other values are free for callers.
    virtual BaseOutStream& quaternionStream(void* value, int form);
    virtual BaseOutStream& objectStream(void* object, const std::string& className);
    virtual BaseOutStream& containerStream(void* container);
    virtual BaseOutStream& mapStream(void* map);
    // Returns the stream and does nothing else, in every stream.
    virtual BaseOutStream& passThrough(void* value);

    // The attribute's value, or "" when it is not set (the map is not changed).
    std::string getAttribute(const std::string& name) const;

    int getIndentation() const { return indentation; }

    // True when every hook hands back the stream itself and the writes are the plain text writes (a
    // text stream, not a subclass that changes it), so writers may go straight to the text.
    bool writesPlainText() const {
        if (plainText < 0) plainText = computeWritesPlainText() ? 1 : 0;
        return plainText != 0;
    }

protected:
    virtual bool computeWritesPlainText() const { return false; }

    int indentation = 0;
    bool lineStart = false;

private:
    mutable signed char plainText = -1;
};
