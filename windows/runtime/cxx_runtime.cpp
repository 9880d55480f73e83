// The pieces of a C++ runtime the plug-in needs without Microsoft's libraries: dynamic
// initialisers, operator new and delete on msvcrt.dll's heap, the standard allocation exception,
// the symbols the compiler's exception code refers to, and (32-bit only) the division helper and
// the load configuration that carries the table of registered exception handlers.
#include "runtime/cxx_runtime.h"
#include "runtime/standard_exceptions.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

// --- Dynamic initialisers ---
// The compiler puts a pointer to each initialiser in a section .CRT$XCU; the linker sorts the
// .CRT$XC* sections by name, so these two bracket them.
typedef void(__cdecl* StaticInitialiser)();
#pragma section(".CRT$XCA", read)
#pragma section(".CRT$XCZ", read)
__declspec(allocate(".CRT$XCA")) static StaticInitialiser firstInitialiser = nullptr;
__declspec(allocate(".CRT$XCZ")) static StaticInitialiser lastInitialiser = nullptr;

void RunStaticInitialisers() {
    StaticInitialiser* next = &firstInitialiser;
    StaticInitialiser* end = &lastInitialiser;
    // The two are different objects to the compiler; hide that they bracket one array.
    __asm__("" : "+r"(next), "+r"(end));
    for (++next; next < end; ++next)
        if (*next)
            (*next)();
}

// Every object file that uses floating point refers to this marker.
extern "C" int _fltused = 0;

#if defined(_M_IX86)
// --- 64-bit division ---
// A 32-bit processor divides 64-bit integers in a helper the compiler calls by name. Microsoft's
// static library supplies it; msvcrt.dll does not export it everywhere (Wine's has none), so it
// is here: restoring long division with only shifts, compares and subtractions, which the
// compiler does inline. The helper's convention is stdcall's: the callee pops both operands.
extern "C" unsigned long long __stdcall DivideUnsigned64(
    unsigned long long dividend, unsigned long long divisor) __asm__("__aulldiv");

extern "C" unsigned long long __stdcall DivideUnsigned64(unsigned long long dividend,
                                                         unsigned long long divisor) {
    if (divisor == 0) {
        // As the processor's own division does: raise the division-by-zero exception.
        volatile unsigned zero = 0;
        return 1u / zero;
    }
    unsigned long long quotient = 0, remainder = 0;
    for (int bit = 63; bit >= 0; --bit) {
        remainder = (remainder << 1) | ((dividend >> bit) & 1u);
        if (remainder >= divisor) {
            remainder -= divisor;
            quotient |= 1ull << bit;
        }
    }
    return quotient;
}
#endif

// --- Standard exceptions ---
std::exception::~exception() noexcept {}

const char* std::exception::what() const noexcept {
    return text_ ? text_ : "Unknown exception";
}

// --- Allocation ---
// Allocation failure passes to the caller as std::bad_alloc, as with Microsoft's library.
void* operator new(size_t size) {
    void* block = malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    return block;
}

void* operator new[](size_t size) {
    return operator new(size);
}

void operator delete(void* block) noexcept {
    free(block);
}

void operator delete[](void* block) noexcept {
    free(block);
}

void operator delete(void* block, size_t) noexcept {
    free(block);
}

void operator delete[](void* block, size_t) noexcept {
    free(block);
}

// --- Exception support ---
// Called when an exception leaves a noexcept function.
extern "C" void __std_terminate() {
    abort();
}

// Type descriptors (of thrown types, and the run-time type information of every class with
// virtual functions) point at type_info's virtual table, which lives in Microsoft's library.
// Only typeid would call through it; exception matching and the host's dynamic_cast compare
// names. Its one
// entry is the scalar deleting destructor, which here deletes nothing. (x64 has one calling
// convention, and C names without the leading underscore.)
#if defined(_M_IX86)
#define KELVANE_MEMBER_CALL __thiscall
#pragma comment(linker, "/alternatename:??_7type_info@@6B@=_TypeInfoVftableStandIn")
#else
#define KELVANE_MEMBER_CALL
#pragma comment(linker, "/alternatename:??_7type_info@@6B@=TypeInfoVftableStandIn")
#endif
static void* KELVANE_MEMBER_CALL DestroyNoTypeInfo(void* self, unsigned) {
    return self;
}
extern "C" const void* const TypeInfoVftableStandIn[1] = {
    reinterpret_cast<const void*>(&DestroyNoTypeInfo)};

#if defined(_M_IX86)
// --- Load configuration ---
// Windows runs an image's exception handlers only when they are listed in the SafeSEH table of
// its load configuration; without this directory the linker marks the image as having none.
// The linker fills in the table and its count.
extern "C" const void* __safe_se_handler_table[];
extern "C" const unsigned char __safe_se_handler_count;

namespace {
// IMAGE_LOAD_CONFIG_DIRECTORY32 up to the SafeSEH fields.
struct LoadConfigDirectory32 {
    uint32_t size;
    uint32_t timeDateStamp;
    uint16_t majorVersion;
    uint16_t minorVersion;
    uint32_t globalFlagsClear;
    uint32_t globalFlagsSet;
    uint32_t criticalSectionDefaultTimeout;
    uint32_t deCommitFreeBlockThreshold;
    uint32_t deCommitTotalFreeThreshold;
    uint32_t lockPrefixTable;
    uint32_t maximumAllocationSize;
    uint32_t virtualMemoryThreshold;
    uint32_t processHeapFlags;
    uint32_t processAffinityMask;
    uint16_t csdVersion;
    uint16_t dependentLoadFlags;
    uint32_t editList;
    uint32_t securityCookie;
    const void* seHandlerTable;
    const void* seHandlerCount; // the count is the symbol's address
};
static_assert(sizeof(LoadConfigDirectory32) == 72, "the 32-bit load configuration is 72 bytes");
} // namespace

extern "C" const LoadConfigDirectory32 _load_config_used = {sizeof(LoadConfigDirectory32),
                                                            0,
                                                            0,
                                                            0,
                                                            0,
                                                            0,
                                                            0,
                                                            0,
                                                            0,
                                                            0,
                                                            0,
                                                            0,
                                                            0,
                                                            0,
                                                            0,
                                                            0,
                                                            0,
                                                            0,
                                                            __safe_se_handler_table,
                                                            &__safe_se_handler_count};
#endif
