// Vessel class files (CLASS.cfg) in either of their two forms, and the places the host looks for
// them. The sectioned form ([PROPELLANT_n] and [THRUSTER_n] sections) spells out every tank and
// thruster; the host's own form is read item by item (sim/host_class_file.h).
#pragma once

#include "sim/host_class_file.h"
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

// Reads a class file's text in the sectioned form. `file` names it in messages; `defaultName` is
// the class name when the file has no ClassName line (the file's name without .cfg).
VesselClass ParseVesselClass(const std::string& text, const std::string& file,
                             const std::string& defaultName);

// The file at `relative` under `folder` ('/' or '\\' between names), each name of both matched
// exactly or else without regard to case, as on the host's file system; nothing when there is none.
std::optional<std::string> FindHostFile(const std::string& folder, const std::string& relative);

// A file is in the sectioned form when it has a [PROPELLANT_n] or [THRUSTER_n] section or an
// EmptyMass item; anything else is read in the host's form.
bool IsSectionedClassFile(const std::string& text);

// The figures of a stock vessel module the stand-in knows (DeltaGlider, ShuttleA, ShuttlePB), from
// the built-in sample's class files.
std::optional<VesselClass> StockModuleClass(const std::string& module);

struct ClassLookup {
    std::optional<VesselClass> cls;    // nothing: no file, or a file that cannot be used
    std::string file;                  // the file found, empty when there is none
    std::vector<std::string> warnings; // "FILE:LINE: ..."
    std::string searched;              // when there is no file: where it was looked for
};

// Reads a class file of either form; `baseClasses` finds what a host-form BaseClass line names.
ClassLookup ReadClassFile(const ClassFileText& file, const std::string& className,
                          const BaseClassSource& baseClasses);

// Finds CLASS.cfg in the given folders, in order, then among the built-in sample's classes.
class VesselClassFinder {
public:
    explicit VesselClassFinder(std::vector<std::string> folders = {})
        : folders_(std::move(folders)) {}

    // The folders the host searches for a scenario file: the given ones, then Config/Vessels and
    // Config beside the scenario and beside the folder that holds it, named from the scenario's
    // path as given.
    static VesselClassFinder ForScenario(const std::vector<std::string>& extraFolders,
                                         const std::string& scenarioPath);
    // Where an installation keeps its class files: ROOT/Config/Vessels, then ROOT/Config.
    static std::vector<std::string> InstallationFolders(const std::string& root);

    // The class's file: the first folder's CLASS.cfg, names matched without regard to case, else
    // the built-in sample's. Nothing when no place has one.
    std::optional<ClassFileText> FindFile(const std::string& className) const;
    // The file a BaseClass line names: NAME.cfg (the host adds .cfg) in an installation's
    // Config folder, never in Config/Vessels; names matched without regard to case. The Config
    // folders are those of the folders searched: the parent of each .../Config/Vessels, and each
    // folder named Config; then the built-in sample's.
    std::optional<ClassFileText> FindBaseClassFile(const std::string& name) const;
    // The class as read from its file, with what the reader noticed. Never throws for what a
    // file holds.
    ClassLookup Lookup(const std::string& className) const;
    // Where CLASS.cfg was looked for, for a message: "no CLASS.cfg in A, B or C, nor among the
    // built-in sample's classes".
    std::string Searched(const std::string& className) const;

    const std::vector<std::string>& Folders() const { return folders_; }

private:
    std::vector<std::string> folders_;
};

} // namespace sim
