// Shared reference counting and naming of resources.
#include "engine/Resource.h"

namespace {
const std::string emptyName;
}

Resource::Resource() : count(new int(1)), name(new std::string()) {}

Resource::Resource(const Resource& other) : count(other.count), name(other.name) {
    if (count) ++*count;
}

Resource& Resource::operator=(const Resource& other) {
    shareFrom(other);
    return *this;
}

Resource::~Resource() {
    if (!released) release();
}

bool Resource::release() {
    if (released) return false;
    released = true;
    if (!count) return false;
    bool last = --*count <= 0;
    if (last) {
        delete count;
        delete name;
    }
    count = nullptr;
    name = nullptr;
    return last;
}

bool Resource::shareFrom(const Resource& other) {
    if (this == &other) return false;
    bool last = release();
    count = other.count;
    name = other.name;
    if (count) ++*count;
    released = false;
    return last;
}

const std::string& Resource::getName() const { return name ? *name : emptyName; }

void Resource::setName(const std::string& newName) {
    if (name) *name = newName;
}
