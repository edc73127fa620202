#include "toolkit/PrefaultedMemory.h"

#include <new>

#ifdef __linux__
#include <sys/mman.h>

namespace {

// Below this, the heap's own pages are mostly in place already.
constexpr std::size_t prefaultFrom = std::size_t(256) << 10;

} // namespace
#endif

void* PrefaultedMemory::allocate(std::size_t bytes) {
#ifdef __linux__
    if (bytes >= prefaultFrom) {
        void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (memory == MAP_FAILED)
            throw std::bad_alloc();
        return memory;
    }
#endif
    return ::operator new(bytes);
}

void PrefaultedMemory::release(void* memory, std::size_t bytes) {
#ifdef __linux__
    if (bytes >= prefaultFrom) {
        munmap(memory, bytes);
        return;
    }
#endif
    ::operator delete(memory);
}
