// When a display opens, the host asks dynamic_cast<MFD2*> of it, to choose between the two
// display classes: one drawn through the host's drawing interface (MFD2) and one drawn through
// a GDI device context (MFD). Microsoft's runtime answers from the type information the
// compiler put beside the object's virtual table: the slot just before the table points at the
// complete-object locator, which leads to the class's name and the names of all its bases. A
// 32-bit locator (signature 0) holds addresses; a 64-bit one (signature 1) holds offsets from
// the image base and its own offset, from which the base is found. Every address read here is
// checked to lie inside the plug-in's image first, so a module without type information fails
// the check instead of crashing the host.
#include "standin/type_information.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

namespace standin {
namespace {

const char kDisplayClass[] = ".?AVKelvaneMfd@@";
const char kGdiDisplayClass[] = ".?AVMFD@@";
const char kSketchpadDisplayClass[] = ".?AVMFD2@@";
const uint32_t kLocatorSignature = sizeof(void*) == 8 ? 1 : 0;
const uint32_t kMaxBases = 16;

struct CompleteObjectLocator {
    uint32_t signature;
    uint32_t offset;
    uint32_t constructorDisplacementOffset;
    uint32_t typeDescriptor;
    uint32_t classDescriptor;
    uint32_t self; // 64-bit only
};

struct ClassHierarchyDescriptor {
    uint32_t signature;
    uint32_t attributes;
    uint32_t baseCount;
    uint32_t baseClassArray;
};

struct BaseClassDescriptor {
    uint32_t typeDescriptor;
    uint32_t containedBases;
    int32_t memberDisplacement[3];
    uint32_t attributes;
    uint32_t classDescriptor;
};

// The plug-in's image in memory, from its PE headers.
struct Image {
    uintptr_t base;
    uintptr_t size;

    bool Holds(uintptr_t address, size_t length) const {
        return address >= base && address - base <= size && length <= size - (address - base);
    }
    // A locator's reference: an address in a 32-bit image, an offset from its base in a 64-bit
    // one. Zero when it points outside the image.
    uintptr_t Resolve(uint32_t reference, size_t length) const {
        const uintptr_t address =
            sizeof(void*) == 8 ? base + reference : static_cast<uintptr_t>(reference);
        return Holds(address, length) ? address : 0;
    }
};

Image ImageOf(HMODULE module) {
    const unsigned char* image = reinterpret_cast<const unsigned char*>(module);
    uint32_t headers, size;
    memcpy(&headers, image + 0x3C, sizeof headers);
    // SizeOfImage sits 56 bytes into the optional header, in PE32 and PE32+ alike.
    memcpy(&size, image + headers + 24 + 56, sizeof size);
    return Image{reinterpret_cast<uintptr_t>(image), size};
}

// The decorated class name in a type descriptor (after its vftable and spare pointers), or null.
const char* TypeName(const Image& image, uint32_t reference) {
    const size_t nameOffset = 2 * sizeof(void*);
    const uintptr_t descriptor = image.Resolve(reference, nameOffset + 1);
    if (!descriptor)
        return nullptr;
    const char* name = reinterpret_cast<const char*>(descriptor + nameOffset);
    for (size_t n = 0; image.Holds(reinterpret_cast<uintptr_t>(name + n), 1); ++n)
        if (name[n] == '\0')
            return n > 0 ? name : nullptr;
    return nullptr;
}

template <class T> bool Read(const Image& image, uintptr_t address, T& into) {
    if (!image.Holds(address, sizeof into))
        return false;
    memcpy(&into, reinterpret_cast<const void*>(address), sizeof into);
    return true;
}

// Fills the class's name and whether MFD and MFD2 are among its bases; the reason when the
// type information cannot be read.
const char* ReadDisplayType(const MFD* display, const Image& image, const char*& className,
                            char* bases, size_t basesSize, bool& fromMfd, bool& fromMfd2) {
    uintptr_t vftable = 0;
    // The virtual table's address is the object's first pointer.
    memcpy(&vftable, static_cast<const void*>(display), sizeof vftable);
    uintptr_t locatorAddress = 0;
    if (vftable < sizeof(void*) || !Read(image, vftable - sizeof(void*), locatorAddress))
        return "the virtual table is not in the plug-in's image";
    CompleteObjectLocator locator;
    if (!Read(image, locatorAddress, locator))
        return "the slot before the virtual table points outside the plug-in's image";
    if (locator.signature != kLocatorSignature) {
        static char problem[96];
        _snprintf(problem, sizeof problem,
                  "the complete-object locator's signature is %lu, not %lu",
                  static_cast<unsigned long>(locator.signature),
                  static_cast<unsigned long>(kLocatorSignature));
        problem[sizeof problem - 1] = '\0';
        return problem;
    }
    if (sizeof(void*) == 8 && image.base + locator.self != locatorAddress)
        return "the complete-object locator's own offset does not lead back to it";
    className = TypeName(image, locator.typeDescriptor);
    if (!className)
        return "the locator's type descriptor is not in the plug-in's image";
    ClassHierarchyDescriptor hierarchy;
    const uintptr_t hierarchyAddress = image.Resolve(locator.classDescriptor, sizeof hierarchy);
    if (!hierarchyAddress || !Read(image, hierarchyAddress, hierarchy) ||
        hierarchy.baseCount == 0 || hierarchy.baseCount > kMaxBases)
        return "the class hierarchy descriptor cannot be read";
    bases[0] = '\0';
    for (uint32_t i = 0; i < hierarchy.baseCount; ++i) {
        uint32_t entry = 0;
        BaseClassDescriptor base;
        const uintptr_t array = image.Resolve(hierarchy.baseClassArray, 4 * hierarchy.baseCount);
        uintptr_t baseAddress = 0;
        if (!array || !Read(image, array + 4 * i, entry) ||
            !(baseAddress = image.Resolve(entry, sizeof base)) || !Read(image, baseAddress, base))
            return "a base class descriptor cannot be read";
        const char* name = TypeName(image, base.typeDescriptor);
        if (!name)
            return "a base class has no type descriptor in the plug-in's image";
        fromMfd = fromMfd || strcmp(name, kGdiDisplayClass) == 0;
        fromMfd2 = fromMfd2 || strcmp(name, kSketchpadDisplayClass) == 0;
        const size_t used = strlen(bases);
        _snprintf(bases + used, basesSize - used, "%s%s", i ? " " : "", name);
        bases[basesSize - 1] = '\0';
    }
    return nullptr;
}

bool gShown = false;

} // namespace

void CheckDisplayType(const MFD* display, HMODULE module) {
    const Image image = ImageOf(module);
    const char* className = nullptr;
    char bases[256];
    bool fromMfd = false, fromMfd2 = false;
    const char* problem =
        ReadDisplayType(display, image, className, bases, sizeof bases, fromMfd, fromMfd2);
    if (problem) {
        Fail("dynamic_cast: %s: the host's answer would rest on its catch-all handler", problem);
        return;
    }
    if (strcmp(className, kDisplayClass) != 0 || !fromMfd || fromMfd2) {
        Fail("dynamic_cast: the display is %s with the bases %s; expected %s, derived from MFD "
             "and not from MFD2",
             className, bases, kDisplayClass);
        return;
    }
    // The same words for both editions: the smoke test's transcript is one for both.
    if (!gShown)
        Say("dynamic_cast<MFD2*>: the complete-object locator names %s, with the bases %s: not "
            "an MFD2, so the host draws it through HDC",
            className, bases);
    gShown = true;
}

} // namespace standin
