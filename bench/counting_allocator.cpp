// This program's global allocator: malloc and free, counted, so a benchmark can show how many
// heap allocations its loop made.
#include <cstdlib>
#include <new>

namespace {
long gAllocations = 0;

void* Allocate(std::size_t size) {
    ++gAllocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
} // namespace

namespace bench {
long AllocationCount() {
    return gAllocations;
}
} // namespace bench

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
