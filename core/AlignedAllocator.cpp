// Global allocation operators of the whole program, all forms, on top of malloc with 16-byte alignment.
#include "core/AlignedAllocator.h"

#include <cstdint>
#include <cstdlib>
#include <new>

void* alignedAllocate(std::size_t size, std::size_t alignment) noexcept {
    if (alignment < allocationAlignment) alignment = allocationAlignment;
    if ((alignment & (alignment - 1)) != 0) return nullptr;
    // Room for the back pointer plus the worst-case shift up to the boundary.
    const std::size_t overhead = sizeof(void*) + alignment - 1;
    if (size > SIZE_MAX - overhead) return nullptr;
    void* raw = std::malloc(size + overhead);
    if (!raw) return nullptr;
    std::uintptr_t first = reinterpret_cast<std::uintptr_t>(raw) + sizeof(void*);
    std::uintptr_t object = (first + alignment - 1) & ~static_cast<std::uintptr_t>(alignment - 1);
    reinterpret_cast<void**>(object)[-1] = raw;
    return reinterpret_cast<void*>(object);
}

void* alignedNew(std::size_t size, std::size_t alignment) {
    for (;;) {
        if (void* object = alignedAllocate(size, alignment)) return object;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

void alignedDelete(void* object) noexcept {
    if (object) std::free(alignedRawBlock(object));
}

namespace {

void* alignedNewNoThrow(std::size_t size, std::size_t alignment) noexcept {
    try {
        return alignedNew(size, alignment);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

void* operator new(std::size_t size) { return alignedNew(size); }
void* operator new[](std::size_t size) { return alignedNew(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return alignedNewNoThrow(size, 0); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return alignedNewNoThrow(size, 0); }

void* operator new(std::size_t size, std::align_val_t alignment) {
    return alignedNew(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return alignedNew(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return alignedNewNoThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return alignedNewNoThrow(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* object) noexcept { alignedDelete(object); }
void operator delete[](void* object) noexcept { alignedDelete(object); }
void operator delete(void* object, const std::nothrow_t&) noexcept { alignedDelete(object); }
void operator delete[](void* object, const std::nothrow_t&) noexcept { alignedDelete(object); }
void operator delete(void* object, std::size_t) noexcept { alignedDelete(object); }
void operator delete[](void* object, std::size_t) noexcept { alignedDelete(object); }
void operator delete(void* object, std::align_val_t) noexcept { alignedDelete(object); }
void operator delete[](void* object, std::align_val_t) noexcept { alignedDelete(object); }
void operator delete(void* object, std::size_t, std::align_val_t) noexcept { alignedDelete(object); }
void operator delete[](void* object, std::size_t, std::align_val_t) noexcept { alignedDelete(object); }
void operator delete(void* object, std::align_val_t, const std::nothrow_t&) noexcept { alignedDelete(object); }
void operator delete[](void* object, std::align_val_t, const std::nothrow_t&) noexcept { alignedDelete(object); }
