// The allocation-failure run: the module lets an allocation failure pass to the host as
// std::bad_alloc. To provoke one for real, the host takes all memory but one block the size of the
// display object (address_space.h); the display's own allocation gets that block and the
// module's next allocation fails.
#include "runtime/standard_exceptions.h"
#include "standin/address_space.h"
#include "standin/module_driver.h"
#include "standin/run_modes.h"
#include "standin/win32_extra.h"

#include <stdio.h>
#include <stdlib.h>

namespace standin {

namespace {

__attribute__((noinline)) void ThrowAndCatchOnce() {
    try {
        throw std::bad_alloc();
    } catch (const std::exception&) {
    }
}

} // namespace

void OpenWithoutMemory(Vessel& vessel) {
    // The C library sets up its per-thread exception state on first use; do that while memory
    // is there, so the failure below is the module's alone.
    ThrowAndCatchOnce();
    TakeMemoryBelow4GiB();
    const MFDMODESPEC* mode = host_model::FindMode("Kelvane");
    if (!mode) {
        Fail("allocation failure: the mode is not registered");
        return;
    }
    // The display object: the host's MFD part, the module's reference to its registry, its
    // pointer to its settings and the id it was opened with, padded to the pointer's alignment.
    const size_t kDisplayObjectSize =
        (sizeof(MFD) + 2 * sizeof(void*) + sizeof(int) + sizeof(void*) - 1) / sizeof(void*) *
        sizeof(void*);
    const int constructionsBefore = host_model::gHost.displaysMade,
              destructionsBefore = host_model::gHost.displaysGone;
    const WPARAM size = 256 | (256 << 16);
    const LPARAM pv = reinterpret_cast<LPARAM>(static_cast<VESSEL*>(&vessel));

    void* kept = nullptr;
    if (!TakeAllMemory(kDisplayObjectSize, kept)) {
        GiveAllMemoryBack();
        free(kept);
        Fail("allocation failure: memory did not run out within %lu MiB of address space and "
             "%lu MiB of heap; run the host under a limit (ulimit -v)",
             static_cast<unsigned long>(kMaxReservedBytes >> 20),
             static_cast<unsigned long>(kMaxHeapBytes >> 20));
        return;
    }
    const bool exhausted = malloc(sizeof(void*)) == nullptr;
    free(kept);
    bool caught = false, otherException = false, returned = false;
    char what[64] = "";
    try {
        returned = mode->msgproc(OAPI_MSG_MFD_OPENED, MFD_LEFT, size, pv) != 0;
    } catch (const std::bad_alloc& e) {
        caught = true;
        _snprintf(what, sizeof what, "%s", e.what());
        what[sizeof what - 1] = '\0';
    } catch (...) {
        otherException = true;
    }
    void* again = malloc(kDisplayObjectSize);
    const bool sameBlock = again == kept;
    free(again);
    GiveAllMemoryBack();

    if (!exhausted || !kept) {
        Fail("allocation failure: the heap could not be used up");
        return;
    }
    Say("allocation failure while Left opens: %s", caught ? "std::bad_alloc reached the host"
                                                   : otherException
                                                       ? "another exception reached the host"
                                                   : returned ? "a display was made"
                                                              : "0 was returned");
    if (!caught)
        Fail("allocation failure: no std::bad_alloc reached the host");
    Say("what(): %s", what);
    Say("display object: %s, base part destroyed: %s, its memory given back: %s",
        host_model::gHost.displaysMade == constructionsBefore + 1 &&
                host_model::gHost.lastDisplayMade == kept
            ? "made"
            : "not made",
        host_model::gHost.displaysGone == destructionsBefore + 1 ? "yes" : "no",
        sameBlock ? "yes" : "no");
}

} // namespace standin
