#include "sim/host.h"

#include <dlfcn.h>
#include <strings.h>

#include <stdexcept>

namespace sim {
namespace {

Host* g_current = nullptr;

// A handle for a module linked into the program: any unique address serves.
char g_linkedModuleTag;

} // namespace

std::string DisplayName(int id) {
    if (id == MFD_LEFT)
        return "Left";
    if (id == MFD_RIGHT)
        return "Right";
    return std::to_string(id + 1);
}

Host::Host() : previous_(g_current) {
    g_current = this;
}

Host::~Host() {
    CloseAllDisplays();
    if (moduleLoaded_)
        UnloadModule();
    DestroyVessels();
    g_current = previous_;
}

Host* Host::Current() {
    return g_current;
}

HINSTANCE Host::LinkedModuleHandle() const {
    return reinterpret_cast<HINSTANCE>(&g_linkedModuleTag);
}

FARPROC Host::LinkedExport(const char* name) const {
    return linked_ ? ModuleEntryPointNamed(exports_, name) : nullptr;
}

void Host::ResolveExports(HINSTANCE handle) {
    exports_ = FindModuleEntryPoints(handle);
    moduleLoaded_ = true;
}

void Host::LoadModuleFile(const std::string& path) {
    if (moduleLoaded_)
        throw std::runtime_error("a module is already loaded");
    moduleFileName_ = path.substr(path.find_last_of('/') + 1);
    char name[256];
    ModuleNameOf(moduleFileName_.c_str(), name, sizeof name);
    moduleName_ = name;
    library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_)
        throw std::runtime_error(std::string("cannot load module: ") + dlerror());
    if (!moduleLoaded_) {
        dlclose(library_);
        library_ = nullptr;
        throw std::runtime_error("module " + path + " did not call InitLib when it was loaded");
    }
}

void Host::LinkModule(const ModuleExports& exports) {
    if (moduleLoaded_)
        throw std::runtime_error("a module is already loaded");
    exports_ = exports;
    linked_ = true;
    moduleName_ = "Kelvane";
    moduleFileName_ = "Kelvane.so"; // as the program loads it from Modules/Plugin
    InitLib(LinkedModuleHandle());
}

void Host::UnloadModule() {
    if (!moduleLoaded_)
        return;
    CloseAllDisplays();
    if (library_) {
        dlclose(library_); // the module's unload hook runs its detach step
        library_ = nullptr;
    } else if (exports_.exitModule) {
        exports_.exitModule(LinkedModuleHandle());
    }
    exports_ = ModuleExports{};
    moduleLoaded_ = false;
    linked_ = false;
}

Vessel& Host::AddVessel(const std::string& name, const VesselClass& cls) {
    if (FindVessel(name))
        throw std::runtime_error("a vessel named " + name + " exists already");
    vessels_.push_back(std::make_unique<Vessel>(name, cls));
    if (!focus_)
        focus_ = vessels_.back().get();
    return *vessels_.back();
}

Vessel* Host::FindVessel(const std::string& name) const {
    for (const auto& v : vessels_)
        if (strcasecmp(v->Name().c_str(), name.c_str()) == 0)
            return v.get();
    return nullptr;
}

bool Host::KnowsVessel(const void* handle) const {
    for (const auto& v : vessels_)
        if (static_cast<const void*>(v.get()) == handle)
            return true;
    return false;
}

void Host::DeleteVessel(const std::string& name) {
    Vessel* v = FindVessel(name);
    if (!v)
        throw std::runtime_error("no vessel named " + name);
    if (moduleLoaded_ && exports_.deleteVessel)
        exports_.deleteVessel(static_cast<OBJHANDLE>(v));
    for (auto& d : displays_)
        if (d && d->vessel == v)
            CloseDisplay(d->id);
    for (auto it = vessels_.begin(); it != vessels_.end(); ++it) {
        if (it->get() == v) {
            KeepTombstone(std::move(*it), VesselFate::Deleted);
            vessels_.erase(it);
            break;
        }
    }
    if (focus_ == v)
        focus_ = vessels_.empty() ? nullptr : vessels_.front().get();
}

void Host::DestroyVessels() {
    for (auto& v : vessels_)
        KeepTombstone(std::move(v), VesselFate::SessionEnded);
    vessels_.clear();
    focus_ = nullptr;
}

void Host::EndSession() {
    if (moduleLoaded_) {
        for (int id = 0; id < kDisplayCount; ++id)
            if (IsOpen(id))
                WriteStatus(id);
        SaveState();
    }
    CloseAllDisplays();
    DestroyVessels();
    if (moduleLoaded_ && exports_.closeRenderViewport)
        exports_.closeRenderViewport();
}

void Host::SetFocus(Vessel* vessel) {
    struct Reopen {
        int id;
        std::string mode;
        DWORD w, h;
    };
    std::vector<Reopen> reopen;
    for (auto& d : displays_)
        if (d)
            reopen.push_back({d->id, d->mode, d->width, d->height});
    CloseAllDisplays();
    focus_ = vessel;
    for (const Reopen& r : reopen)
        OpenDisplay(r.id, r.mode, r.w, r.h);
}

int Host::RegisterMode(const MFDMODESPEC& spec) {
    modes_.push_back(spec);
    modeNames_.push_back(spec.name ? spec.name : "");
    return static_cast<int>(modes_.size()) - 1;
}

bool Host::UnregisterMode(int id) {
    if (id < 0 || static_cast<size_t>(id) >= modes_.size() || !modes_[id])
        return false;
    modes_[id].reset();
    return true;
}

const MFDMODESPEC* Host::FindMode(const std::string& name) const {
    for (size_t i = 0; i < modes_.size(); ++i)
        if (modes_[i] && strcasecmp(modeNames_[i].c_str(), name.c_str()) == 0)
            return &*modes_[i];
    return nullptr;
}

size_t Host::ModeCount() const {
    size_t n = 0;
    for (const auto& m : modes_)
        n += m ? 1 : 0;
    return n;
}

bool Host::OpenDisplay(int id, const std::string& mode, DWORD width, DWORD height) {
    if (id < 0 || id >= kDisplayCount)
        throw std::out_of_range("display id must be 0 to 11");
    if (displays_[id])
        return true;
    const MFDMODESPEC* spec = FindMode(mode);
    if (!spec || !focus_)
        return false;
    auto instrument = std::make_unique<Instrument>();
    instrument->id = id;
    instrument->width = width;
    instrument->height = height;
    instrument->mode = mode;
    instrument->vessel = focus_;
    MFD* mfd = OpenModeDisplay(*spec, id, width, height, focus_).display;
    if (!mfd)
        return false;
    MfdHostAccess::AttachToInstrument(*mfd, instrument.get(), height);
    instrument->mfd = mfd;
    displays_[id] = std::move(instrument);
    return true;
}

bool Host::IsOpen(int id) const {
    return id >= 0 && id < kDisplayCount && displays_[id] != nullptr;
}

void Host::CloseDisplay(int id) {
    if (!IsOpen(id))
        return;
    std::unique_ptr<Instrument> d = std::move(displays_[id]);
    delete d->mfd; // the host destroys the display through its virtual destructor
}

void Host::CloseAllDisplays() {
    for (int id = 0; id < kDisplayCount; ++id)
        CloseDisplay(id);
}

Instrument* Host::DisplayAt(int id) {
    return IsOpen(id) ? displays_[id].get() : nullptr;
}

static Instrument& Require(Host& host, int id) {
    Instrument* d = host.DisplayAt(id);
    if (!d)
        throw std::runtime_error("display " + DisplayName(id) + " is not open");
    return *d;
}

Frame Host::Draw(int id) {
    Instrument& d = Require(*this, id);
    DeviceContext dc;
    DWORD cw, ch;
    CellSizeFor(d.height, cw, ch);
    dc.cellWidth = static_cast<int>(cw);
    d.mfd->Update(&dc);
    NoteRedraw(d.schedule, clock_);
    Frame frame;
    frame.width = static_cast<int>(d.width);
    frame.height = static_cast<int>(d.height);
    frame.cellWidth = static_cast<int>(cw);
    frame.cellHeight = static_cast<int>(ch);
    frame.runs = std::move(dc.runs);
    for (int b = 0; b < 4; ++b)
        frame.labels[b] = Label(id, b);
    return frame;
}

std::vector<ScheduledRedraw> Host::RunFrame(double seconds) {
    AdvanceFrame(clock_, seconds);
    std::vector<ScheduledRedraw> redraws;
    for (int id = 0; id < kDisplayCount; ++id)
        if (displays_[id] && RedrawDue(displays_[id]->schedule, clock_))
            redraws.push_back({id, Draw(id)});
    return redraws;
}

bool Host::Press(int id, int button, int event) {
    return Require(*this, id).mfd->ConsumeButton(button, event);
}

std::optional<std::string> Host::Label(int id, int button) {
    const char* label = Require(*this, id).mfd->ButtonLabel(button);
    if (!label)
        return std::nullopt;
    return std::string(label);
}

std::vector<std::string> Host::Menu(int id) {
    const MFDBUTTONMENU* menu = nullptr;
    int n = Require(*this, id).mfd->ButtonMenu(&menu);
    std::vector<std::string> lines;
    for (int i = 0; menu && i < n; ++i)
        lines.push_back(menu[i].line1 ? menu[i].line1 : "");
    return lines;
}

std::vector<std::string> Host::WriteStatus(int id) {
    ScenarioWriter writer;
    Require(*this, id).mfd->WriteStatus(static_cast<FILEHANDLE>(&writer));
    return writer.Lines();
}

void Host::ReadStatus(int id, ScenarioReader& reader) {
    Require(*this, id).mfd->ReadStatus(static_cast<FILEHANDLE>(&reader));
}

std::vector<std::string> Host::SaveState() {
    ScenarioWriter writer;
    if (moduleLoaded_ && exports_.saveState)
        exports_.saveState(static_cast<FILEHANDLE>(&writer));
    return writer.Lines();
}

void Host::LoadState(ScenarioReader& reader) {
    if (moduleLoaded_ && exports_.loadState)
        exports_.loadState(static_cast<FILEHANDLE>(&reader));
}

} // namespace sim
