// The functions the simulator's executable exports to modules, implemented by the stand-in host,
// together with the Windows calls the module makes on the display's device context.
#include "sim/host.h"
#include "sim/host_crash.h"

#include <dlfcn.h>
#include <string.h>

#include <stdexcept>
#include <string>

using sim::Host;

namespace {

Host& CurrentHost() {
    Host* host = Host::Current();
    if (!host)
        throw std::logic_error("no stand-in host is running");
    return *host;
}

// The host reaches its instrument through the display's private pointer, with no check.
sim::Instrument& InstrumentOf(const MFD& display, const char* call) {
    void* instrument = MfdHostAccess::InstrumentOf(display);
    if (!instrument)
        sim::HostCrash(call, "before the host wrote its private pointer into the display (as "
                             "from the display's constructor)");
    return *static_cast<sim::Instrument*>(instrument);
}

} // namespace

// --- MFD base class ---

// The host writes its private pointer only after the message procedure has returned the new
// display (Host::OpenDisplay).
MFD::MFD(DWORD w, DWORD h, VESSEL* vessel)
    : W(w), H(h), cw(0), ch(0), pV(vessel), instrument(nullptr) {}

MFD::~MFD() = default;

void MFD::InvalidateDisplay() {
    sim::Instrument& i = InstrumentOf(*this, "MFD::InvalidateDisplay");
    ++i.displayInvalidations;
    i.schedule.asked = true;
}

void MFD::InvalidateButtons() {
    ++InstrumentOf(*this, "MFD::InvalidateButtons").buttonInvalidations;
}

// The host draws the title in its own colour at (cw / 2, 0) and leaves the device context's
// position, alignment and colours as it found them.
void MFD::Title(HDC hDC, const char* title) const {
    InstrumentOf(*this, "MFD::Title");
    if (!hDC || !title || !hDC->recording)
        return;
    TextRun run;
    run.x = TitleX(cw);
    run.y = 0;
    run.colour = sim::kTitleColour;
    run.text = title;
    run.title = true;
    hDC->runs.push_back(std::move(run));
}

// --- oapi functions ---

int oapiRegisterMFDMode(MFDMODESPEC& spec) {
    return CurrentHost().RegisterMode(spec);
}

bool oapiUnregisterMFDMode(int mode) {
    return CurrentHost().UnregisterMode(mode);
}

OBJHANDLE oapiGetVesselByName(char* name) {
    if (!name)
        return nullptr;
    return static_cast<OBJHANDLE>(CurrentHost().FindVessel(name));
}

// The host calls a virtual function through the handle.
VESSEL* oapiGetVesselInterface(OBJHANDLE hVessel) {
    const char* call = "oapiGetVesselInterface";
    if (!hVessel)
        sim::HostCrash(call, "with a null handle");
    if (!CurrentHost().KnowsVessel(hVessel)) {
        if (const sim::Vessel* dead = sim::FindTombstone(hVessel))
            dead->CheckAlive(call);
        sim::HostCrash(call, "with a handle that is no vessel of the session");
    }
    return static_cast<sim::Vessel*>(hVessel);
}

void oapiWriteScenario_string(FILEHANDLE scn, char* item, char* string) {
    static_cast<sim::ScenarioWriter*>(scn)->WriteItem(item ? item : "", string ? string : "");
}

void oapiWriteScenario_int(FILEHANDLE scn, char* item, int value) {
    static_cast<sim::ScenarioWriter*>(scn)->WriteItem(item ? item : "", std::to_string(value));
}

bool oapiReadScenario_nextline(FILEHANDLE scn, char*& line) {
    return static_cast<sim::ScenarioReader*>(scn)->NextLine(line);
}

// Counted, so that tests see how often the module asks.
int Date2Int(char* date) {
    if (Host* host = Host::Current())
        ++host->date2IntCalls;
    return ModuleDateNumber(date);
}

void InitLib(HINSTANCE hModule) {
    Host& host = CurrentHost();
    // The exports are looked up before InitModule runs, as the simulator does.
    host.ResolveExports(hModule);
    char line[128];
    FormatModuleLogLine(line, sizeof line, host.ModuleFileName().c_str(), host.Module());
    host.log.emplace_back(line);
    if (host.Module().initModule)
        host.Module().initModule(hModule);
}

// --- Windows calls ---

extern "C" {

UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
    UINT previous = hdc->align;
    hdc->align = align;
    return previous;
}

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
    if (previous) {
        previous->x = hdc->x;
        previous->y = hdc->y;
    }
    hdc->x = x;
    hdc->y = y;
    return 1;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    int previous = hdc->bkMode;
    hdc->bkMode = mode;
    return previous;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF colour) {
    COLORREF previous = hdc->textColour;
    hdc->textColour = colour;
    return previous;
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR text, int length) {
    if (!text || length < 0)
        return 0;
    if (!hdc->recording) {
        if (hdc->align & TA_UPDATECP)
            hdc->x += length * hdc->cellWidth;
        return 1;
    }
    TextRun run;
    run.colour = hdc->textColour;
    run.text.assign(text, static_cast<size_t>(length));
    if (hdc->align & TA_UPDATECP) {
        run.x = hdc->x;
        run.y = hdc->y;
        hdc->x += length * hdc->cellWidth;
    } else {
        run.x = x;
        run.y = y;
    }
    hdc->runs.push_back(std::move(run));
    return 1;
}

int WINAPI lstrlenA(LPCSTR text) {
    return text ? static_cast<int>(strlen(text)) : 0;
}

// A module's handle here is any address inside the module's image (its load hook passes one);
// a module linked into the program has the host's own tag handle instead.
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    if (!name)
        return nullptr;
    Host* host = Host::Current();
    if (host && module == host->LinkedModuleHandle())
        return host->LinkedExport(name);
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

} // extern "C"
