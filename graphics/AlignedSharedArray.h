// A reference-counted, 16-byte-aligned array: copies share the records and the last copy frees them.
// Meshes hand their vertex records around in one of these without copying.
#pragma once

#include <algorithm>
#include <new>

template <typename T>
class AlignedSharedArray {
public:
    // More records than this are refused with std::bad_alloc.
    static constexpr int maxCount = 0x3FFFFFF;

    AlignedSharedArray() : refCount(new int(1)) {}
    // count default-initialised records.
    explicit AlignedSharedArray(int count) : refCount(nullptr) {
        if (count < 0 || count > maxCount) throw std::bad_alloc();
        data = count > 0 ? new T[count] : nullptr;
        this->count = count;
        refCount = new int(1);
    }
    AlignedSharedArray(const AlignedSharedArray& other)
        : data(other.data), refCount(other.refCount), count(other.count) {
        ++*refCount;
    }
    AlignedSharedArray& operator=(const AlignedSharedArray& other) {
        if (refCount == other.refCount) return *this;
        ++*other.refCount;
        release();
        data = other.data;
        refCount = other.refCount;
        count = other.count;
        return *this;
    }
    virtual ~AlignedSharedArray() { release(); }

    T* begin() { return data; }
    T* end() { return data + count; }
    const T* begin() const { return data; }
    const T* end() const { return data + count; }
    T& operator[](int index) { return data[index]; }
    const T& operator[](int index) const { return data[index]; }
    int size() const { return count; }
    bool empty() const { return count == 0; }
    // How many arrays share these records.
    int useCount() const { return *refCount; }

    T* data = nullptr;
    int* refCount;
    int count = 0;

private:
    void release() {
        if (refCount && --*refCount == 0) {
            delete[] data;
            delete refCount;
        }
        data = nullptr;
        refCount = nullptr;
        count = 0;
    }
};
