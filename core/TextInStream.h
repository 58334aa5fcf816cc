// The shared reading machinery of FileReader and IStreamWrapper: tokens split at white space, typed
// reads converting one token each, comments skipped to the end of the line, line numbers counted.
// Both streams run the one token loop here over their own way of reaching the characters.
#pragma once

#include <string>

#include "core/BaseInStream.h"

// White space as every text stream sees it: blank, tab, line end, vertical tab, form feed, carriage
// return. c is a character as an unsigned char, or -1 (the end), which is no blank.
struct BlankTable {
    bool blank[257] = {};
    constexpr BlankTable() {
        for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) blank[c + 1] = true;
    }
};
inline constexpr BlankTable blankTable;
inline bool isBlankChar(int c) { return blankTable.blank[c + 1]; }

// The token loop. A source gives `int peek()` (the character at the read position as an unsigned char,
// -1 at the end) and `int advance()` (moves past it and returns the next one); it may also give
// `void appendRun(std::string&)`, taking the whole run of non-blanks at once. Blanks are skipped with
// their line ends counted, then the run is appended to token.
template <class Source>
void scanToken(Source& source, int& line, std::string& token) {
    for (int c = source.peek(); isBlankChar(c); c = source.advance()) line += c == '\n';
    if constexpr (requires { source.appendRun(token); }) {
        source.appendRun(token);
    } else {
        for (int c = source.peek(); c >= 0 && !isBlankChar(c); c = source.advance()) token.push_back(static_cast<char>(c));
    }
}


class TextInStream : public BaseInStream {
public:
    // The next token through the stream's own character access (see readTokenFrom).
    BaseInStream& readToken(std::string& token) override;
    BaseInStream& read(long double& value) override;
    BaseInStream& read(double& value) override;
    BaseInStream& read(float& value) override;
    BaseInStream& read(unsigned long long& value) override;
    BaseInStream& read(long long& value) override;
    BaseInStream& read(unsigned long& value) override;
    BaseInStream& read(long& value) override;
    BaseInStream& read(unsigned int& value) override;
    BaseInStream& read(int& value) override;
    BaseInStream& read(unsigned short& value) override;
    BaseInStream& read(short& value) override;
    BaseInStream& read(unsigned char& value) override;
    BaseInStream& read(signed char& value) override;
    BaseInStream& read(char& value) override;
    BaseInStream& read(bool& value) override;
    BaseInStream& readLine() override;
    bool readQuotedRest(std::string& text, bool& closed) override;

    int getLine() const override { return line; }
    bool convertsTokensPlainly() const override { return true; }

protected:
    // Next character of the source without taking it, or -1 at the end.
    virtual int peekChar() = 0;
    // Takes the next character of the source, or returns -1 at the end.
    virtual int takeChar() = 0;

    // readToken over a source of scanToken: the last pushed-back token first, nothing once failed.
    // Streams with faster character access than peekChar and takeChar override readToken with it.
    template <class Source>
    BaseInStream& readTokenFrom(Source& source, std::string& token) {
        if (popPushedBack(token)) return *this;
        token.clear();
        if (!failed) scanToken(source, line, token);
        return *this;
    }

    int line = 1;

private:
    template <class T>
    BaseInStream& readTyped(T& value);
    std::string scratch;
};
