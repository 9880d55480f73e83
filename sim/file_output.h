// Files the stand-in host's tools write: scenarios and pictures.
#pragma once

#include <string>

namespace sim {

// Writes `bytes` to PATH.saving, then renames it to `path`, so that a failed write leaves no
// file and an older one as it was. Returns the reason of a failure (the system's, as strerror
// words it), or an empty string.
std::string WriteFileReplacing(const std::string& path, const std::string& bytes);

} // namespace sim
