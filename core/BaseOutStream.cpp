// The default hooks of every output stream: each value goes into the stream itself.
#include "core/BaseOutStream.h"

BaseOutStream::~BaseOutStream() = default;

BaseOutStream& BaseOutStream::simpleStream(void*) { return *this; }
BaseOutStream& BaseOutStream::vector4Stream(void*) { return *this; }
BaseOutStream& BaseOutStream::quaternionStream(void*, int) { return *this; }
BaseOutStream& BaseOutStream::objectStream(void*, const std::string&) { return *this; }
BaseOutStream& BaseOutStream::containerStream(void*) { return *this; }
BaseOutStream& BaseOutStream::mapStream(void*) { return *this; }
BaseOutStream& BaseOutStream::passThrough(void*) { return *this; }

std::string BaseOutStream::getAttribute(const std::string& attributeName) const {
    auto found = attributes.find(attributeName);
    return found == attributes.end() ? std::string() : found->second;
}
