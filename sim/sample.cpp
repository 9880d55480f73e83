#include "sim/sample.h"

#include <strings.h>

#include <stdexcept>

namespace sim {

std::optional<SampleText> FindSampleFile(const std::string& path) {
    const EmbeddedFile* found = nullptr;
    for (size_t i = 0; i < kSampleFileCount && !found; ++i)
        if (path == kSampleFiles[i].path)
            found = &kSampleFiles[i];
    for (size_t i = 0; i < kSampleFileCount && !found; ++i)
        if (strcasecmp(path.c_str(), kSampleFiles[i].path) == 0)
            found = &kSampleFiles[i];
    if (!found)
        return std::nullopt;
    return SampleText{found->path,
                      std::string(reinterpret_cast<const char*>(found->data), found->size)};
}

SampleText SampleScenario() {
    std::optional<SampleText> scenario = FindSampleFile(kSampleScenarioPath);
    if (!scenario)
        throw std::logic_error("the program was built without its sample scenario");
    return *scenario;
}

} // namespace sim
