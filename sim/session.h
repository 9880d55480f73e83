// A running session of the stand-in host: the scenario it was started from, its vessels and
// cockpit displays, and the host's steps for loading, saving, switching the focus and deleting
// vessels. The module must be loaded into the host before a scenario starts.
#pragma once

#include "sim/host.h"
#include "sim/scenario_file.h"
#include "sim/vessel_class_file.h"

#include <array>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sim {

// A request the host refuses (unknown vessel, closed display, bad level …); nothing was changed.
class SessionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SessionOptions {
    std::vector<std::string> vesselFolders; // --vessels, searched first
    DWORD displayWidth = 256;
    DWORD displayHeight = 256;
    std::ostream* warnings = nullptr; // where warnings go (stderr in the program)
};

class Session {
public:
    Session(Host& host, SessionOptions options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Host& GetHost() { return host_; }
    const SessionOptions& Options() const { return options_; }

    // Ends the current session as the host does and starts the scenario. Everything that can be
    // wrong with the file (its lines, its class files) is found before the old session ends.
    void LoadFile(const std::string& path);
    void LoadSample();
    // A scenario's text; `path` names it in messages and places its class folders (empty: none).
    void LoadText(const std::string& text, const std::string& path);

    std::string SaveText() const;
    // Writes to a temporary file first, so that a failed write leaves the target as it was.
    void SaveFile(const std::string& path) const;

    // Cockpit operations, by display id 0 … 11.
    void SetFocus(const std::string& vesselName);
    void Open(int id);
    void Close(int id);
    Frame Draw(int id);
    bool Press(int id, int button, int event);
    std::vector<std::string> Menu(int id);
    void DeleteVessel(const std::string& vesselName);
    // Sets tank `tank` of the vessel to `level` (a fraction of its capacity, 0 … 1).
    void SetTankLevel(const std::string& vesselName, size_t tank, double level);

    Vessel& RequireVessel(const std::string& name) const;
    // A display showing another mode, kept from the scenario as it was read.
    bool HasOtherMode(int id) const { return id >= 0 && id < kDisplayCount && otherModes_[id]; }

private:
    void Start(ScenarioFile file, const VesselClassFinder& finder);
    Instrument& RequireOpen(int id);
    void Warn(const std::string& message) const;

    Host& host_;
    SessionOptions options_;
    ScenarioFile file_;
    std::vector<bool> classKnown_; // by file_.ships
    std::array<std::optional<DisplayBlock>, kDisplayCount> otherModes_;
};

// "Left", "Right" or a display id 0 … 11, as the script names displays; -1 for anything else.
int ParseDisplayId(const std::string& text);

} // namespace sim
