// kelvane-sim's host: the shared model of the simulator (host_model/) with what only this
// stand-in has: a module loaded from a shared object or linked into the program, redraws recorded
// as text runs, and C++ access for the program, its tools and the tests. One Host runs at a time.
#pragma once

#include "host_model/host_model.h"
#include "sim/device_context.h"
#include "sim/scenario_stream.h"
#include "sim/vessel.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace sim {

using host_model::Instrument;
using host_model::kTitleColour;
constexpr int kDisplayCount = MAXMFD;

// What the host finds in a module by name (host_model/module_loading.h).
using ModuleExports = host_model::ModuleEntryPoints;

// What one redraw of a display produced.
struct Frame {
    int width = 0;
    int height = 0;
    int cellWidth = 1;
    int cellHeight = 1;
    std::vector<TextRun> runs;
    std::array<std::optional<std::string>, 4> labels;
};

using host_model::CellSizeFor;
using host_model::ExternalWindow;
std::string DisplayName(int id); // "Left", "Right", "3" … "12"

// A display as kelvane-sim names it: a cockpit display by its id, or an external window by the
// script's name for it.
struct DisplayRef {
    int id = -1;        // 0 … 11; -1 for a window
    std::string window; // the window's name
    DisplayRef(int cockpitId) : id(cockpitId) {}
    static DisplayRef Window(std::string name);
    bool IsWindow() const { return id < 0; }
    // How listings and messages name it: "MFD Left", "Window W1".
    std::string Heading() const;
    // "display Left", "window W1".
    std::string Description() const;
};

// One display redrawn by the host's schedule in a frame.
struct ScheduledRedraw {
    int id;             // a cockpit display's id; -1 for a window
    std::string window; // the window's name
    Frame frame;
    std::string Heading() const;
};

class Host {
public:
    Host();
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Module loading. LoadModuleFile maps a shared library (its load hook runs InitLib);
    // LinkModule uses a module linked into the program, through the same InitLib path.
    void LoadModuleFile(const std::string& path);
    void LinkModule(const ModuleExports& exports);
    // Unloads the module as the host does at its end, once every display is closed.
    void UnloadModule();
    // The fast shutdown, once the state is saved: opcCloseRenderViewport and the unload with
    // every display still open, and the end of the process (no display is ever closed).
    void ShutDownFast();
    bool ProcessEnded() const { return host_model::gHost.processEnded; }
    bool ModuleLoaded() const { return host_model::gHost.moduleLoaded; }
    const ModuleExports& Module() const { return host_model::gHost.module; }
    std::string ModuleName() const { return host_model::gHost.moduleName; }
    std::string ModuleFileName() const { return host_model::gHost.moduleFileName; }
    std::vector<std::string> Log() const; // as the simulator's Orbiter.log
    int Date2IntCalls() const { return host_model::gHost.date2IntCalls; }
    // The handle a linked module is given (any unique address serves).
    static HINSTANCE LinkedModuleHandle();

    // Vessels, made with empty tanks; the first becomes the focus.
    Vessel& AddVessel(const std::string& name, const VesselClass& cls);
    Vessel* FindVessel(const std::string& name) const; // case-insensitive, as the host
    std::vector<Vessel*> Vessels() const;
    // The host's order: the focus moves away first, then opcDeleteVessel, then the vessel goes.
    // Throws for the last vessel, which the host keeps.
    void DeleteVessel(const std::string& name);
    void EndSession() { host_model::EndSession(); }
    Vessel* Focus() const { return host_model::gHost.focus; }
    void SetFocus(Vessel* vessel) { host_model::SetFocus(vessel); }

    const MFDMODESPEC* FindMode(const std::string& name) const;
    size_t ModeCount() const;

    // Cockpit displays, by id 0 … 11, in a mode the pilot picks: a display that shows the mode
    // already stays as it is. False when the mode is unknown or refused.
    bool OpenDisplay(int id, const std::string& mode, DWORD width = 256, DWORD height = 256);
    bool IsOpen(int id) const { return host_model::IsOpen(id); }
    void CloseDisplay(int id) { host_model::CloseDisplay(id); }
    // Every display: the cockpit's and the windows'.
    void CloseAllDisplays() { host_model::CloseAllDisplays(); }
    Instrument* DisplayAt(int id);
    std::string ModeOf(int id) const; // the mode an open display shows
    // What the host does with any open display, in the cockpit or in a window. A redraw on
    // demand counts in the schedule as the display's last.
    Frame Draw(Instrument& display);
    bool Press(Instrument& display, int button, int event);
    std::optional<std::string> Label(Instrument& display, int button);
    std::vector<std::string> Menu(Instrument& display);
    // The same for a cockpit display that must be open.
    Frame Draw(int id);
    bool Press(int id, int button, int event);
    std::optional<std::string> Label(int id, int button);
    std::vector<std::string> Menu(int id);
    std::vector<std::string> WriteStatus(int id);
    void ReadStatus(int id, ScenarioReader& reader);

    // The host's clock. RunFrame advances it by one frame and redraws every open display that is
    // due: the cockpit's in id order, then the windows in the order they were opened.
    const host_model::HostClock& Clock() const { return host_model::gHost.clock; }
    void SetPaused(bool paused) { host_model::gHost.clock.paused = paused; }
    std::vector<ScheduledRedraw> RunFrame(double seconds = host_model::kFrameSeconds);

    // The module's state block.
    std::vector<std::string> SaveState();
    void LoadState(ScenarioReader& reader);

private:
    // The library's unload, or a linked module's ExitModule, whatever displays are open.
    void ReleaseModule();

    void* library_ = nullptr;
};

} // namespace sim
