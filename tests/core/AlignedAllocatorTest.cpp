// Checks that every form of the global allocation operators hands out aligned objects whose back word
// names a heap block that really holds them.
#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdint>
#include <cstring>
#include <list>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/AlignedAllocator.h"
#include "core/Matrix.h"

namespace {

std::uintptr_t address(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

// A size no heap can serve, hidden from the compiler's own size checks.
std::size_t impossibleSize() {
    volatile std::size_t size = SIZE_MAX - 4;
    return size;
}

// The object lies on the boundary, after its back word, and wholly inside the raw block.
void expectWellPlaced(void* object, std::size_t size, std::size_t alignment) {
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(address(object) % alignment, 0u) << "size " << size << " alignment " << alignment;
    void* raw = alignedRawBlock(object);
    EXPECT_EQ(static_cast<void**>(object)[-1], raw);
    EXPECT_LE(address(raw) + sizeof(void*), address(object));
    EXPECT_LT(address(object) - address(raw), sizeof(void*) + alignment);
    EXPECT_LE(address(object) + size, address(raw) + malloc_usable_size(raw));
    // The whole object is writable (the sanitizer build would catch an overrun here).
    std::memset(object, 0xAB, size);
}

struct alignas(64) CacheLineObject {
    float values[16];
};

struct alignas(4096) PageObject {
    char bytes[100];
};

}  // namespace

TEST(AlignedAllocatorTest, PlainAndArrayNewForSmallSizes) {
    for (std::size_t size = 0; size <= 64; ++size) {
        void* single = ::operator new(size);
        expectWellPlaced(single, size, 16);
        void* array = ::operator new[](size);
        expectWellPlaced(array, size, 16);
        EXPECT_NE(single, array);
        ::operator delete(single);
        ::operator delete[](array, size);
    }
}

TEST(AlignedAllocatorTest, NothrowAndSizedForms) {
    for (std::size_t size : {0u, 1u, 15u, 16u, 17u, 1000u, 100000u}) {
        void* single = ::operator new(size, std::nothrow);
        expectWellPlaced(single, size, 16);
        void* array = ::operator new[](size, std::nothrow);
        expectWellPlaced(array, size, 16);
        ::operator delete(single, std::nothrow);
        ::operator delete[](array, std::nothrow);

        void* sized = ::operator new(size);
        expectWellPlaced(sized, size, 16);
        ::operator delete(sized, size);
    }
}

TEST(AlignedAllocatorTest, LargerRequestedAlignmentsAreHonoured) {
    for (std::size_t alignment : {1u, 2u, 8u, 16u, 32u, 64u, 128u, 256u, 4096u}) {
        for (std::size_t size : {0u, 1u, 33u, 5000u}) {
            void* single = ::operator new(size, std::align_val_t(alignment));
            expectWellPlaced(single, size, std::max<std::size_t>(alignment, 16));
            void* array = ::operator new[](size, std::align_val_t(alignment), std::nothrow);
            expectWellPlaced(array, size, std::max<std::size_t>(alignment, 16));
            ::operator delete(single, size, std::align_val_t(alignment));
            ::operator delete[](array, std::align_val_t(alignment), std::nothrow);
        }
    }
    // new-expressions of over-aligned types pick the aligned forms by themselves.
    auto* line = new CacheLineObject[3];
    expectWellPlaced(line, sizeof(CacheLineObject) * 3, 64);
    delete[] line;
    auto* page = new PageObject;
    expectWellPlaced(page, sizeof(PageObject), 4096);
    delete page;
}

TEST(AlignedAllocatorTest, NullAndImpossibleRequests) {
    ::operator delete(nullptr);
    ::operator delete[](nullptr);
    ::operator delete(nullptr, std::align_val_t(64));
    alignedDelete(nullptr);

    EXPECT_EQ(alignedAllocate(SIZE_MAX), nullptr);
    EXPECT_EQ(alignedAllocate(SIZE_MAX - 8), nullptr);
    EXPECT_EQ(alignedAllocate(16, 48), nullptr) << "alignment must be a power of two";
    EXPECT_EQ(::operator new(impossibleSize(), std::nothrow), nullptr);
    EXPECT_THROW((void)::operator new(impossibleSize()), std::bad_alloc);
}

TEST(AlignedAllocatorTest, NewHandlerIsCalledBeforeGivingUp) {
    static int calls = 0;
    calls = 0;
    std::new_handler previous = std::set_new_handler([] {
        ++calls;
        std::set_new_handler(nullptr);
    });
    EXPECT_THROW((void)::operator new(impossibleSize()), std::bad_alloc);
    EXPECT_EQ(calls, 1);
    std::set_new_handler(previous);
}

TEST(AlignedAllocatorTest, LibraryContainersAndMathObjectsLandOnBoundaries) {
    std::list<Matrix> matrices(5);
    for (const Matrix& m : matrices) EXPECT_EQ(address(&m) % 16, 0u);
    std::map<int, Vector4> byKey;
    for (int i = 0; i < 20; ++i) byKey[i] = Vector4::splat(float(i));
    for (auto& entry : byKey) EXPECT_EQ(address(&entry.second) % 16, 0u);
    auto shared = std::make_shared<Quaternion>(1.0f, 2.0f, 3.0f, 4.0f);
    EXPECT_EQ(address(shared.get()) % 16, 0u);
    std::vector<char> bytes(3);
    expectWellPlaced(bytes.data(), bytes.size(), 16);
    std::string longText(200, 'x');
    expectWellPlaced(longText.data(), longText.size() + 1, 16);
}
