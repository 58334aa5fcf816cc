// Token output into a caller's standard output stream (often a string stream whose text is then used).
// Every write reaches the stream at once, so its text is complete whenever the caller looks.
#pragma once

#include <ostream>

#include <typeinfo>

#include "core/TextOutStream.h"

class OStreamWrapper : public TextOutStream {
public:
    // The stream is not owned and must outlive the wrapper.
    explicit OStreamWrapper(std::ostream& stream);

protected:
    bool computeWritesPlainText() const override { return typeid(*this) == typeid(OStreamWrapper); }
    void put(const char* data, std::size_t size) override;

private:
    std::ostream& stream;
};
