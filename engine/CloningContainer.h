// A vector of owned polymorphic objects whose copy clones every element (the game state's list of
// state components, which the editor's property bar edits as one value).
#pragma once

#include <memory>
#include <vector>

#include "core/TextFormat.h"

template <class T>
class CloningContainer : public std::vector<std::unique_ptr<T>> {
public:
    using Base = std::vector<std::unique_ptr<T>>;

    CloningContainer() = default;
    CloningContainer(CloningContainer&&) noexcept = default;
    CloningContainer& operator=(CloningContainer&&) noexcept = default;
    ~CloningContainer() = default;

    CloningContainer(const CloningContainer& other) { copyFrom(other); }
    CloningContainer& operator=(const CloningContainer& other) {
        if (this != &other) {
            Base::clear();
            copyFrom(other);
        }
        return *this;
    }

private:
    void copyFrom(const CloningContainer& other) {
        Base::reserve(other.size());
        for (const std::unique_ptr<T>& element : other)
            Base::emplace_back(element ? static_cast<T*>(element->clone()) : nullptr);
    }
};

template <class T>
struct TextValue<CloningContainer<T>> {
    static void read(BaseInStream& in, CloningContainer<T>& value) { readContainer(in, value); }
    static void write(BaseOutStream& out, const CloningContainer<T>& value) { writeContainer(out, value); }
};
