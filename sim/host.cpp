#include "sim/host.h"

#include "sim/host_crash.h"

#include <dlfcn.h>
#include <string.h>

#include <stdexcept>

namespace sim {
namespace {

// A handle for a module linked into the program: any unique address serves.
char g_linkedModuleTag;
ModuleExports g_linkedExports;
bool g_linked = false;

Instrument& Require(int id) {
    if (!host_model::IsOpen(id))
        throw std::runtime_error("display " + DisplayName(id) + " is not open");
    return *host_model::CockpitDisplay(id);
}

// Window ids as a host's heap hands out addresses: new for every window of the run, taken in
// turn from two ranges, one of them at 2^31 and above, where an id is negative as a 32-bit int.
UINT g_windowsMade = 0;

} // namespace

host_model::VesselFigures FiguresOf(const VesselClass& cls,
                                    std::vector<host_model::ThrusterFigures>& thrusters) {
    thrusters.clear();
    for (const ThrusterSpec& t : cls.thrusters)
        thrusters.push_back({t.pos, t.dir, t.max0, t.isp0, t.tank, t.coverTank});
    return {cls.name.c_str(),
            cls.emptyMass,
            cls.pmi,
            static_cast<int>(cls.tankCapacities.size()),
            cls.tankCapacities.data(),
            static_cast<int>(thrusters.size()),
            thrusters.data()};
}

HINSTANCE Host::LinkedModuleHandle() {
    return reinterpret_cast<HINSTANCE>(&g_linkedModuleTag);
}

std::string DisplayName(int id) {
    return host_model::DisplayName(id);
}

DisplayRef DisplayRef::Window(std::string name) {
    DisplayRef display(-1);
    display.window = std::move(name);
    return display;
}

std::string DisplayRef::Heading() const {
    return IsWindow() ? "Window " + window : "MFD " + DisplayName(id);
}

std::string DisplayRef::Description() const {
    return IsWindow() ? "window " + window : "display " + DisplayName(id);
}

std::string ScheduledRedraw::Heading() const {
    return id < 0 ? DisplayRef::Window(window).Heading() : DisplayRef(id).Heading();
}

// Window ids start again with each host, so that a run gives the module the same ids whatever
// ran before it in the process.
Host::Host() {
    host_model::StartHost("kelvane-sim", kDisplayCount);
    g_windowsMade = 0;
}

Host::~Host() {
    host_model::CloseAllDisplays();
    UnloadModule();
    host_model::StopHost();
}

void Host::LoadModuleFile(const std::string& path) {
    if (ModuleLoaded())
        throw std::runtime_error("a module is already loaded");
    library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_)
        throw std::runtime_error(std::string("cannot load module: ") + dlerror());
    if (!ModuleLoaded()) {
        dlclose(library_);
        library_ = nullptr;
        throw std::runtime_error("module " + path + " did not call InitLib when it was loaded");
    }
    host_model::LogModuleLoaded();
}

void Host::LinkModule(const ModuleExports& exports) {
    if (ModuleLoaded())
        throw std::runtime_error("a module is already loaded");
    g_linkedExports = exports;
    g_linked = true;
    InitLib(LinkedModuleHandle());
    host_model::LogModuleLoaded();
}

void Host::UnloadModule() {
    if (!ModuleLoaded())
        return;
    host_model::CloseAllDisplays();
    ReleaseModule();
}

void Host::ShutDownFast() {
    host_model::CloseRenderViewportForShutdown();
    ReleaseModule(); // with the displays open: ExitModule runs while they are
    host_model::EndProcess();
}

void Host::ReleaseModule() {
    if (library_) {
        dlclose(library_); // the module's unload hook runs its detach step
        library_ = nullptr;
    } else if (ModuleLoaded() && Module().exitModule) {
        Module().exitModule(LinkedModuleHandle());
    }
    host_model::gHost.module = ModuleExports{};
    host_model::gHost.moduleLoaded = false;
    g_linked = false;
}

std::vector<std::string> Host::Log() const {
    return std::vector<std::string>(host_model::gHost.log,
                                    host_model::gHost.log + host_model::gHost.logCount);
}

Vessel& Host::AddVessel(const std::string& name, const VesselClass& cls) {
    if (FindVessel(name))
        throw std::runtime_error("a vessel named " + name + " exists already");
    std::vector<host_model::ThrusterFigures> thrusters;
    return *host_model::AddVessel(name.c_str(), FiguresOf(cls, thrusters));
}

Vessel* Host::FindVessel(const std::string& name) const {
    return host_model::FindVessel(name.c_str());
}

std::vector<Vessel*> Host::Vessels() const {
    return std::vector<Vessel*>(host_model::gHost.vessels,
                                host_model::gHost.vessels + host_model::gHost.vesselCount);
}

void Host::DeleteVessel(const std::string& name) {
    Vessel* v = FindVessel(name);
    if (!v)
        throw std::runtime_error("no vessel named " + name);
    if (!host_model::DeleteVessel(v))
        throw std::runtime_error("vessel " + name +
                                 " is the last one: the host deletes no vessel that nothing "
                                 "else could take the focus from");
}

const MFDMODESPEC* Host::FindMode(const std::string& name) const {
    return host_model::FindMode(name.c_str());
}

size_t Host::ModeCount() const {
    size_t n = 0;
    for (int i = 0; i < host_model::gHost.modeCount; ++i)
        n += host_model::gHost.modes[i].registered ? 1 : 0;
    return n;
}

bool Host::OpenDisplay(int id, const std::string& mode, DWORD width, DWORD height) {
    if (id < 0 || id >= kDisplayCount)
        throw std::out_of_range("display id must be 0 to 11");
    return host_model::ChooseMode(id, mode.c_str(), width, height).display != nullptr;
}

Instrument* Host::DisplayAt(int id) {
    return host_model::CockpitDisplay(id);
}

std::string Host::ModeOf(int id) const {
    const MFDMODESPEC& spec = host_model::gHost.modes[Require(id).mode].spec;
    return spec.name ? spec.name : "";
}

Frame Host::Draw(Instrument& d) {
    DeviceContext dc;
    DWORD cw, ch;
    CellSizeFor(d.height, cw, ch);
    dc.cellWidth = static_cast<int>(cw);
    d.mfd->Update(&dc);
    host_model::NoteRedraw(d);
    Frame frame;
    frame.width = static_cast<int>(d.width);
    frame.height = static_cast<int>(d.height);
    frame.cellWidth = static_cast<int>(cw);
    frame.cellHeight = static_cast<int>(ch);
    frame.runs = std::move(dc.runs);
    for (int b = 0; b < 4; ++b)
        frame.labels[b] = Label(d, b);
    return frame;
}

std::vector<ScheduledRedraw> Host::RunFrame(double seconds) {
    host_model::AdvanceClock(seconds);
    std::vector<ScheduledRedraw> redraws;
    for (int id = 0; id < kDisplayCount; ++id)
        if (host_model::RedrawDue(id))
            redraws.push_back({id, std::string(), Draw(id)});
    for (int i = 0; i < host_model::gHost.windowCount; ++i) {
        ExternalWindow& window = host_model::gHost.windows[i];
        if (window.shown && host_model::RedrawDue(*window.shown))
            redraws.push_back({-1, window.name, Draw(*window.shown)});
    }
    return redraws;
}

bool Host::Press(Instrument& d, int button, int event) {
    return d.mfd->ConsumeButton(button, event);
}

std::optional<std::string> Host::Label(Instrument& d, int button) {
    const char* label = d.mfd->ButtonLabel(button);
    if (!label)
        return std::nullopt;
    return std::string(label);
}

std::vector<std::string> Host::Menu(Instrument& d) {
    const MFDBUTTONMENU* menu = nullptr;
    const int n = d.mfd->ButtonMenu(&menu);
    std::vector<std::string> lines;
    for (int i = 0; menu && i < n; ++i)
        lines.push_back(menu[i].line1 ? menu[i].line1 : "");
    return lines;
}

Frame Host::Draw(int id) {
    return Draw(Require(id));
}

bool Host::Press(int id, int button, int event) {
    return Press(Require(id), button, event);
}

std::optional<std::string> Host::Label(int id, int button) {
    return Label(Require(id), button);
}

std::vector<std::string> Host::Menu(int id) {
    return Menu(Require(id));
}

std::vector<std::string> Host::WriteStatus(int id) {
    ScenarioWriter writer;
    Require(id).mfd->WriteStatus(writer.Handle());
    return writer.Lines();
}

void Host::ReadStatus(int id, ScenarioReader& reader) {
    Require(id).mfd->ReadStatus(reader.Handle());
}

std::vector<std::string> Host::SaveState() {
    ScenarioWriter writer;
    if (ModuleLoaded() && Module().saveState)
        Module().saveState(writer.Handle());
    return writer.Lines();
}

void Host::LoadState(ScenarioReader& reader) {
    if (ModuleLoaded() && Module().loadState)
        Module().loadState(reader.Handle());
}

ScenarioReader::ScenarioReader(std::vector<std::string> lines, size_t start)
    : lines_(std::move(lines)), start_(start < lines_.size() ? start : lines_.size()) {
    for (size_t i = start_; i < lines_.size(); ++i)
        raw_.push_back(lines_[i].c_str());
    host_model::OpenReader(stream_, raw_.data(), static_cast<int>(raw_.size()));
}

std::string ScenarioReader::Clean(const std::string& raw) {
    std::vector<char> text(raw.size() + 1);
    host_model::ReaderLineText(raw.c_str(), text.data(), text.size());
    return text.data();
}

} // namespace sim

// --- What only this stand-in supplies to the host's model ---

void host_model::DrawHostText(HDC dc, int x, int y, const char* text, int length) {
    if (!dc->recording)
        return;
    TextRun run;
    run.x = x;
    run.y = y;
    run.colour = dc->textColour;
    run.text.assign(text, static_cast<size_t>(length));
    run.title = true;
    dc->runs.push_back(std::move(run));
}

// Each range holds 2^20 windows before it starts again: more than any run keeps open at once.
UINT host_model::NewWindowId() {
    const UINT n = sim::g_windowsMade++;
    return (n % 2 == 0 ? 0x00C4E9A0u : 0xB13F6E40u) + (n / 2 % 0x100000u) * 0x2A0u;
}

// A module's handle here is any address inside the module's image (its load hook passes one);
// a linked module has the host's own tag handle instead.
void host_model::ModuleFileNameOf(HINSTANCE module, char* name, size_t size) {
    Dl_info info;
    const char* path = "Kelvane.so"; // as the program loads it from Modules/Plugin
    if (module != sim::Host::LinkedModuleHandle() &&
        dladdr(static_cast<const void*>(module), &info) && info.dli_fname)
        path = info.dli_fname;
    const char* slash = strrchr(path, '/');
    FormatText(name, size, "%s", slash ? slash + 1 : path);
}

extern "C" FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    if (!name)
        return nullptr;
    if (module == sim::Host::LinkedModuleHandle())
        return sim::g_linked ? host_model::ModuleEntryPointNamed(sim::g_linkedExports, name)
                             : nullptr;
    Dl_info info;
    if (!module || !dladdr(static_cast<const void*>(module), &info) || !info.dli_fname)
        return nullptr;
    void* library = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    if (!library)
        return nullptr;
    void* symbol = dlsym(library, name);
    dlclose(library);
    return reinterpret_cast<FARPROC>(symbol);
}
