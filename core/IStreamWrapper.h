// Token input over a caller's standard input stream (usually a string stream over text held elsewhere).
// Reads take characters one at a time, so nothing beyond the tokens read is consumed.
#pragma once

#include <istream>
#include <string>

#include "core/TextInStream.h"

class IStreamWrapper : public TextInStream {
public:
    // The stream is not owned and must outlive the wrapper; name is used in messages only.
    explicit IStreamWrapper(std::istream& stream, const std::string& name = "<text>");

    BaseInStream& readToken(std::string& token) override;

protected:
    int peekChar() override;
    int takeChar() override;

private:
    std::streambuf* buffer;
};
