// The program's own allocation: every heap object starts on a 16-byte boundary (the math types live in
// SSE registers), and the raw block's address sits in the pointer-sized word just before the object.
// The global operators new and delete, in every form, go through these functions.
#pragma once

#include <cstddef>

// Smallest alignment of every object the allocator hands out.
constexpr std::size_t allocationAlignment = 16;

// An object of size bytes (0 included) on a boundary of max(alignment, 16) bytes, or null when the
// heap is exhausted (or the size is too large to serve). alignment must be a power of two.
void* alignedAllocate(std::size_t size, std::size_t alignment = allocationAlignment) noexcept;

// Throwing form used by operator new: calls the new-handler and retries, and throws std::bad_alloc
// when there is none.
void* alignedNew(std::size_t size, std::size_t alignment = allocationAlignment);

// Frees an object from alignedAllocate or alignedNew; null does nothing.
void alignedDelete(void* object) noexcept;

// The raw heap block that holds the object (the word before it).
inline void* alignedRawBlock(void* object) noexcept { return static_cast<void**>(object)[-1]; }
