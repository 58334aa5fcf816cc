// The shared reading machinery of FileReader and IStreamWrapper: tokens split at white space, typed
// reads converting one token each, comments skipped to the end of the line, line numbers counted.
#pragma once

#include "core/BaseInStream.h"

class TextInStream : public BaseInStream {
public:
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
    // Appends the run of non-space characters that starts here to token (faster sources override).
    virtual void takeRun(std::string& token);
    // Skips white space, counting lines.
    virtual void skipSpace();

    int line = 1;

private:
    template <class T>
    BaseInStream& readTyped(T& value);
    std::string scratch;
};
