#pragma once

#include <cstddef>

// Memory for large scratch arrays with its pages put in place when it is allocated, in
// one call, rather than by one fault each when first written. On some virtual machines a
// page fault costs more than the work done on the page: sorting 100,000 titles writes
// some ten megabytes of keys, and faulting them in one page at a time took longer than the
// sort itself. Small allocations come from the heap as usual.
namespace PrefaultedMemory {

// Throws std::bad_alloc when no memory is left.
void* allocate(std::size_t bytes);
// Takes back what allocate gave for the same size.
void release(void* memory, std::size_t bytes);

} // namespace PrefaultedMemory

template <class T> struct PrefaultingAllocator {
    using value_type = T;

    PrefaultingAllocator() = default;
    template <class U> PrefaultingAllocator(const PrefaultingAllocator<U>&) {}

    T* allocate(std::size_t count) {
        return static_cast<T*>(PrefaultedMemory::allocate(count * sizeof(T)));
    }
    void deallocate(T* memory, std::size_t count) {
        PrefaultedMemory::release(memory, count * sizeof(T));
    }

    template <class U> bool operator==(const PrefaultingAllocator<U>&) const { return true; }
    template <class U> bool operator!=(const PrefaultingAllocator<U>&) const { return false; }
};
