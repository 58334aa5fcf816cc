// Token output into a caller's standard output stream (often a string stream whose text is then used).
// Every write reaches the stream at once, so its text is complete whenever the caller looks.
#pragma once

#include <ostream>

#include "core/TextOutStream.h"

class OStreamWrapper : public TextOutStream {
public:
    // The stream is not owned and must outlive the wrapper.
    explicit OStreamWrapper(std::ostream& stream);

protected:
    void put(const char* data, std::size_t size) override;

private:
    std::ostream& stream;
};
