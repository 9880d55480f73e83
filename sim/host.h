// The stand-in simulator: it owns vessels, loads the display module the way the simulator does,
// keeps the registered display modes, opens, redraws and closes cockpit displays, and hands the
// module scenario streams. One Host is current at a time; the host functions the module calls
// reach it through Host::Current().
#pragma once

#include "host/orbiter_api.h"
#include "host_rules/display_rules.h"
#include "host_rules/module_rules.h"
#include "host_rules/redraw_schedule.h"
#include "sim/device_context.h"
#include "sim/scenario_stream.h"
#include "sim/vessel.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sim {

using ::kTitleColour;
constexpr int kDisplayCount = MAXMFD;

// What the host finds in a module by name (host_rules/module_rules.h).
using ModuleExports = ModuleEntryPoints;

// What one redraw of a display produced.
struct Frame {
    int width = 0;
    int height = 0;
    int cellWidth = 1;
    int cellHeight = 1;
    std::vector<TextRun> runs;
    std::array<std::optional<std::string>, 4> labels;
};

// The host's record of one cockpit display (the simulator calls it an instrument).
struct Instrument {
    int id = 0;
    DWORD width = 256;
    DWORD height = 256;
    std::string mode;
    Vessel* vessel = nullptr;
    MFD* mfd = nullptr;
    int buttonInvalidations = 0;
    int displayInvalidations = 0; // MFD::InvalidateDisplay calls
    RedrawSchedule schedule;
};

// One display redrawn by the host's schedule in a frame.
struct ScheduledRedraw {
    int id;
    Frame frame;
};

using ::CellSizeFor; // the display's character cell (host_rules/display_rules.h)

std::string DisplayName(int id); // "Left", "Right", "3" … "12"

class Host {
public:
    Host();
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    static Host* Current();

    // Module loading. LoadModuleFile maps a shared library (its load hook runs InitLib);
    // LinkModule uses a module linked into the program, through the same InitLib path.
    void LoadModuleFile(const std::string& path);
    void LinkModule(const ModuleExports& exports);
    void UnloadModule();
    bool ModuleLoaded() const { return moduleLoaded_; }
    const ModuleExports& Module() const { return exports_; }
    std::string ModuleName() const { return moduleName_; }
    // The module's file name, as the host's log names it.
    std::string ModuleFileName() const { return moduleFileName_; }
    std::vector<std::string> log; // the host's log, as the simulator's Orbiter.log
    int date2IntCalls = 0;

    // Vessels.
    Vessel& AddVessel(const std::string& name, const VesselClass& cls);
    Vessel* FindVessel(const std::string& name) const; // case-insensitive, as the host
    bool KnowsVessel(const void* handle) const;
    const std::vector<std::unique_ptr<Vessel>>& Vessels() const { return vessels_; }
    // The host's order: opcDeleteVessel first, then the displays on the vessel close, then the
    // vessel goes. The focus moves to the first remaining vessel.
    void DeleteVessel(const std::string& name);
    // Ends the session as the host ends one: it saves the state (each open display's status,
    // then the module's block, both dropped here), closes every display, destroys every vessel
    // without opcDeleteVessel, and then calls the module's opcCloseRenderViewport.
    void EndSession();
    Vessel* Focus() const { return focus_; }
    // Switching the focus destroys every open display and opens it again on the new vessel.
    void SetFocus(Vessel* vessel);

    // Display modes.
    int RegisterMode(const MFDMODESPEC& spec);
    bool UnregisterMode(int id);
    const MFDMODESPEC* FindMode(const std::string& name) const;
    size_t ModeCount() const;

    // Displays, by id 0 … 11. Open returns false when the mode is unknown or refused.
    bool OpenDisplay(int id, const std::string& mode, DWORD width = 256, DWORD height = 256);
    bool IsOpen(int id) const;
    void CloseDisplay(int id);
    void CloseAllDisplays();
    Instrument* DisplayAt(int id);
    // A redraw on demand; the schedule counts it as the display's last.
    Frame Draw(int id);
    bool Press(int id, int button, int event);
    std::optional<std::string> Label(int id, int button);
    std::vector<std::string> Menu(int id);
    std::vector<std::string> WriteStatus(int id);
    void ReadStatus(int id, ScenarioReader& reader);

    // The host's clock and its redraw schedule. RunFrame advances the clock by one frame and
    // redraws every open display that is due, in id order.
    const HostClock& Clock() const { return clock_; }
    void SetPaused(bool paused) { clock_.paused = paused; }
    std::vector<ScheduledRedraw> RunFrame(double seconds = kFrameSeconds);

    // Module state block.
    std::vector<std::string> SaveState();
    void LoadState(ScenarioReader& reader);

    // Used by the host functions the module calls.
    HINSTANCE LinkedModuleHandle() const;
    FARPROC LinkedExport(const char* name) const;
    // Called from InitLib: looks up the module's exports through its handle.
    void ResolveExports(HINSTANCE handle);

private:
    // Every vessel goes to the tombstones (vessel.h), never freed while the process runs.
    void DestroyVessels();

    std::vector<std::unique_ptr<Vessel>> vessels_;
    Vessel* focus_ = nullptr;
    std::vector<std::optional<MFDMODESPEC>> modes_;
    std::vector<std::string> modeNames_;
    std::array<std::unique_ptr<Instrument>, kDisplayCount> displays_;
    ModuleExports exports_;
    bool moduleLoaded_ = false;
    bool linked_ = false;
    void* library_ = nullptr;
    std::string moduleName_;
    std::string moduleFileName_;
    HostClock clock_;
    Host* previous_ = nullptr;
};

} // namespace sim
