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

    // Cockpit operations, by display id 0 … 11. Open picks the Kelvane mode on a display: one
    // that shows it already stays as it is.
    void SetFocus(const std::string& vesselName);
    void Open(int id);
    void Close(int id);
    // Any open display: a cockpit display by id, or a window by its name.
    Frame Draw(const DisplayRef& display);
    bool Press(const DisplayRef& display, int button, int event);
    std::vector<std::string> Menu(const DisplayRef& display);
    // The open display, or a SessionError that says why there is none.
    Instrument& RequireOpen(const DisplayRef& display);
    void DeleteVessel(const std::string& vesselName);
    // Sets tank `tank` of the vessel to `level` (a fraction of its capacity, 0 … 1).
    void SetTankLevel(const std::string& vesselName, size_t tank, double level);

    // External MFD windows, by the script's name for each: a word that is no cockpit display's
    // name. A window opens in the Kelvane mode on the focus vessel, at the cockpit's display size,
    // and follows the focus until it is stuck to its vessel.
    void OpenWindow(const std::string& name);
    void ResizeWindow(const std::string& name, DWORD width, DWORD height);
    void ChooseWindowMode(const std::string& name); // Kelvane again: new display, then old closes
    void StickWindow(const std::string& name, bool stuck);
    void CloseWindow(const std::string& name);
    bool HasWindow(const std::string& name) const;

    // The fast shutdown: the host's save on exit (into `path`, unless it is empty), then
    // opcCloseRenderViewport and the unload with the displays open; the process has ended.
    void QuitFast(const std::string& path);
    bool Ended() const { return host_.ProcessEnded(); }

    Vessel& RequireVessel(const std::string& name) const;
    // A display whose scenario block the host did not open, kept as it was read.
    bool HasOtherMode(int id) const { return KeptBlockOf(id) != nullptr; }

private:
    void Start(ScenarioFile file, const VesselClassFinder& finder);
    void Warn(const std::string& message) const;
    ExternalWindow& RequireWindow(const std::string& name);
    // The first kept block of a display that is not open; null when there is none.
    const DisplayBlock* KeptBlockOf(int id) const;
    // The display now shows the Kelvane mode, or is off: its kept blocks are not written again.
    void DropKeptBlocks(int id);

    Host& host_;
    SessionOptions options_;
    ScenarioFile file_;
    std::vector<bool> classKnown_;   // by file_.ships
    std::vector<bool> keptDisplays_; // by file_.displays: blocks the host did not open
};

// Whether a script may name a window `name`: a word that is no cockpit display's name.
bool IsWindowName(const std::string& name);

// "Left", "Right" or a display id 0 … 11, as the script names displays; -1 for anything else.
int ParseDisplayId(const std::string& text);

} // namespace sim
