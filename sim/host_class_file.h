// Vessel class files in the host's own form: plain `key = value` lines, each item looked up on its
// own, with BaseClass files read first and the host's defaults for what no file gives.
#pragma once

#include "sim/vessel.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct ClassFileText {
    std::string path; // names the file in messages
    std::string text;
    std::string readError; // why the file could not be read; empty when it was
};

// The file Config/NAME.cfg for a line `BaseClass = NAME`, or nothing when there is none.
using BaseClassSource = std::function<std::optional<ClassFileText>(const std::string& name)>;
// The figures a stock vessel module sets, or nothing for a module the stand-in does not know.
using StockModuleSource = std::function<std::optional<VesselClass>(const std::string& module)>;

struct HostClassReading {
    VesselClass cls;
    std::vector<std::string> warnings; // "FILE:LINE: ..." for lines passed over and stand-ins used
};

// Reads class `className` (as the scenario names it) from `file` by the host's rules. Never
// throws for what the file holds: the host reads any text, and what it cannot use is a warning.
HostClassReading ReadHostClass(const ClassFileText& file, const std::string& className,
                               const BaseClassSource& baseClasses,
                               const StockModuleSource& stockModules);

} // namespace sim
