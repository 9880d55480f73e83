// The bodies of the fuzz targets. Each takes any bytes, drives one reader with them and checks
// what must hold for every input; a broken promise aborts with a message. The libFuzzer targets
// call them, and so does tests/fuzz_corpus_test.cpp, which replays the seed corpus and every
// input that once failed under the ordinary test builds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// What a broken promise calls before it aborts; a handler that throws takes the place of abort.
using FailureHandler = void (*)(const std::string& message);
inline FailureHandler& OnFailure() {
    static FailureHandler handler = nullptr;
    return handler;
}

// 8 bytes as a double, and the whole input as a decimal text, through the four formatters.
void CheckNumberFormat(const uint8_t* data, size_t size);

// A display block ("BEGIN_MFD Right", TYPE, MODE, status lines, END_MFD, and whatever follows):
// the named display reads the lines after MODE.
void CheckReadStatus(const uint8_t* data, size_t size);

// Ship lines ("GL-01:DeltaGlider") and then a BEGIN_Kelvane block: the ships exist, the module
// loads the lines after BEGIN_Kelvane.
void CheckLoadState(const uint8_t* data, size_t size);

// A class file (CLASS.cfg) as the stand-in host reads it.
void CheckVesselClass(const uint8_t* data, size_t size);

// A whole scenario file, started as a session of the stand-in host with the module loaded.
void CheckScenarioFile(const uint8_t* data, size_t size);

} // namespace fuzz
