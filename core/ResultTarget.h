// Where a data function's result goes: the value being read and how it is stored there (assigned to
// a value, or a new heap copy given to a plain, shared or owning pointer).
#pragma once

#include <typeinfo>

struct ResultTarget {
    // Result kinds.
    static constexpr int value = 0;         // the destination is the value itself; the result is assigned
    static constexpr int plainPointer = 1;  // a T*: receives a new copy; the old object is not freed
    static constexpr int sharedPointer = 2; // a std::shared_ptr<T>: receives a new copy
    static constexpr int owningPointer = 3; // a std::unique_ptr<T>: receives a new copy, frees the old object
    static constexpr int owningPointerKeepSame = 4;  // as 3

    void* destination = nullptr;
    int kind = value;
    // The destination's type (kind 0) or the type its pointer points to (other kinds).
    const std::type_info* type = nullptr;
    // Pointer kinds: takes over a new heap object of class `from` (thrown as a pointer to that class by
    // thrower) and stores it; returns false, taking nothing, when the class does not fit the pointer.
    bool (*adopt)(void* destination, const std::type_info& from, void (*thrower)(void*), void* object) = nullptr;
};
