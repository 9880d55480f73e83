// What the stand-in orbiter.exe does to its own memory to put the plug-in to the test.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace standin {

// A 64-bit host hands the module pointers that do not fit 32 bits, and the message procedure
// must give back the display's address whole. Wine gives a new process its memory below 4 GiB,
// where a cut-off address would go unnoticed, so before the module loads and before each display
// opens the 64-bit host takes what is left of that range: address space until the system hands
// out ranges above it, then the C library's heap until it does (blocks freed in between, by the
// loader for one, come back there). What it takes stays taken for the whole run: a few MiB. A
// 32-bit host does nothing.
void TakeMemoryBelow4GiB();
bool Above4GiB(const void* p);

// To make an allocation fail for real: takes every free range of address space and then every
// block the C library's heap can still give, after putting aside one block of `keptBlockSize`
// bytes for the caller. False when a cap (kMaxReservedBytes, kMaxHeapBytes) stopped it before the
// memory ran out.
bool TakeAllMemory(size_t keptBlockSize, void*& keptBlock);
void GiveAllMemoryBack();

// A 32-bit process has at most 4 GiB to take. A 64-bit one has 128 TiB, far more than Wine can
// reserve in reasonable time, so it runs under a limit on its address space (the smoke test gives
// it 4 GiB with ulimit -v). Without one it stops taking memory at these caps, rather than using up
// the machine's.
#if defined(_WIN64)
const size_t kMaxReservedBytes = size_t(1) << 36;
const size_t kMaxHeapBytes = size_t(1) << 32;
#else
const size_t kMaxReservedBytes = ~size_t(0);
const size_t kMaxHeapBytes = ~size_t(0);
#endif

} // namespace standin
