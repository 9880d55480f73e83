// The built-in sample: a scenario and the class files of its vessels, built into the program from
// sample/ so that it runs from any working directory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace sim {

struct EmbeddedFile {
    const char* path; // relative to sample/, e.g. "Config/Vessels/ShuttlePB.cfg"
    const unsigned char* data;
    size_t size;
};

extern const EmbeddedFile kSampleFiles[];
extern const size_t kSampleFileCount;

struct SampleText {
    std::string path;
    std::string text;
};

// The sample file at `path`, matched exactly or else ignoring case (as the host's file system).
std::optional<SampleText> FindSampleFile(const std::string& path);

// The sample scenario: what kelvane-sim runs when it is given no scenario file.
constexpr const char* kSampleScenarioPath = "Scenarios/Kelvane Sample.scn";
SampleText SampleScenario();

} // namespace sim
