// Vessel class files (CLASS.cfg, in the host's configuration style) and the places the host looks
// for them.
#pragma once

#include "sim/vessel.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sim {

// A fault in a file the host reads; the message names the file and the line.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& file, size_t line, const std::string& what)
        : std::runtime_error(file + (line ? ":" + std::to_string(line) : std::string()) + ": " +
                             what) {}
};

// Reads a class file's text. `file` names it in messages; `defaultName` is the class name when
// the file has no ClassName line (the file's name without .cfg).
VesselClass ParseVesselClass(const std::string& text, const std::string& file,
                             const std::string& defaultName);

// Finds CLASS.cfg in the given folders, in order, then among the built-in sample's classes.
class VesselClassFinder {
public:
    explicit VesselClassFinder(std::vector<std::string> folders = {})
        : folders_(std::move(folders)) {}

    // The folders the host searches for a scenario file: the given ones, then Config/Vessels
    // beside the scenario and beside the folder that holds it.
    static VesselClassFinder ForScenario(const std::vector<std::string>& extraFolders,
                                         const std::string& scenarioPath);

    // The class, or nothing when no place has a file for it. A file that exists but is malformed
    // throws FileError.
    std::optional<VesselClass> Find(const std::string& className) const;

    const std::vector<std::string>& Folders() const { return folders_; }

private:
    std::vector<std::string> folders_;
};

} // namespace sim
