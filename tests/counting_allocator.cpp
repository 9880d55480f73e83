// kelvane_tests' allocator: malloc and free, counted while gCounting is set. A file of its own:
// inlined next to a new-expression, its free() looks to GCC like a mismatch with operator new.
#include <atomic>
#include <cstdlib>
#include <new>

std::atomic<long> gAllocations{0};
std::atomic<bool> gCounting{false};

void* operator new(std::size_t size) {
    if (gCounting)
        ++gAllocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
