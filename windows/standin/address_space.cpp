#include "standin/address_space.h"

#include "standin/win32_extra.h"

#include <stdlib.h>

namespace standin {

namespace {

const uintptr_t kFourGiB = uintptr_t(0xFFFFFFFFu) + 1;

struct HeldBlock {
    HeldBlock* next;
};
HeldBlock* gLowBlocks = nullptr; // kept for the whole run
HeldBlock* gHogs = nullptr;      // given back by GiveAllMemoryBack
void* gReservations[16384];
int gReservationCount = 0;

} // namespace

bool Above4GiB(const void* p) {
    return reinterpret_cast<uintptr_t>(p) >= kFourGiB;
}

void TakeMemoryBelow4GiB() {
    if (sizeof(void*) < 8)
        return; // all of a 32-bit host's memory is below 4 GiB
    for (size_t size = size_t(1) << 30; size >= 64 * 1024; size /= 2) {
        for (int i = 0; i < 4096; ++i) {
            void* range = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
            if (range && !Above4GiB(range))
                continue;
            if (range)
                VirtualFree(range, 0, MEM_RELEASE);
            break;
        }
    }
    for (size_t size = 64 * 1024; size >= sizeof(HeldBlock); size /= 2) {
        while (void* block = malloc(size)) {
            if (Above4GiB(block)) {
                free(block);
                break;
            }
            HeldBlock* low = static_cast<HeldBlock*>(block);
            low->next = gLowBlocks;
            gLowBlocks = low;
        }
    }
}

bool TakeAllMemory(size_t keptBlockSize, void*& keptBlock) {
    keptBlock = malloc(keptBlockSize);
    size_t reserved = 0;
    for (size_t size = size_t(1) << 30; size >= 64 * 1024; size /= 2) {
        while (gReservationCount <
               static_cast<int>(sizeof gReservations / sizeof gReservations[0])) {
            if (size > kMaxReservedBytes - reserved)
                return false;
            void* range = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
            if (!range)
                break;
            gReservations[gReservationCount++] = range;
            reserved += size;
        }
    }
    size_t taken = 0;
    for (size_t size = 64 * 1024; size >= sizeof(HeldBlock); size /= 2) {
        while (void* block = malloc(size)) {
            HeldBlock* hog = static_cast<HeldBlock*>(block);
            hog->next = gHogs;
            gHogs = hog;
            if (size > kMaxHeapBytes - taken)
                return false;
            taken += size;
        }
    }
    return true;
}

void GiveAllMemoryBack() {
    while (gHogs) {
        HeldBlock* next = gHogs->next;
        free(gHogs);
        gHogs = next;
    }
    while (gReservationCount > 0)
        VirtualFree(gReservations[--gReservationCount], 0, MEM_RELEASE);
}

} // namespace standin
