// The stand-in host ends the run wherever the simulator would crash. A display written for the
// test makes each call that the host does not survive; each must end the run with the host's
// own status and one line that names the call and the reason.
#include "sim/host.h"
#include "sim/host_crash.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// What the test's display does when it is made and when it is drawn.
std::function<void(MFD&)> g_whenMade;
std::function<void(VESSEL&)> g_whenDrawn;

class ProbeDisplay : public MFD {
public:
    ProbeDisplay(DWORD w, DWORD h, VESSEL* vessel) : MFD(w, h, vessel) {
        if (g_whenMade)
            g_whenMade(*this);
    }
    void Update(HDC) override {
        if (g_whenDrawn)
            g_whenDrawn(*pV);
    }
};

OAPI_MSGTYPE ProbeProc(UINT msg, UINT, WPARAM size, LPARAM vessel) {
    if (msg != OAPI_MSG_MFD_OPENED)
        return 0;
    return reinterpret_cast<OAPI_MSGTYPE>(new ProbeDisplay(static_cast<DWORD>(size & 0xFFFF),
                                                           static_cast<DWORD>(size >> 16),
                                                           reinterpret_cast<VESSEL*>(vessel)));
}

sim::VesselClass TankerClass() {
    sim::VesselClass c;
    c.name = "Tanker";
    c.emptyMass = 1000;
    c.tankCapacities = {500};
    c.thrusters.resize(1);
    return c;
}

struct CrashCase {
    const char* message; // after "kelvane-sim: the module called "
    std::function<void(sim::Host&)> run;
};

// The display's first redraw makes `call`.
std::function<void(sim::Host&)> Drawn(std::function<void(VESSEL&)> call) {
    return [call](sim::Host& host) {
        g_whenDrawn = call;
        host.Draw(MFD_LEFT);
    };
}

std::function<void(sim::Host&)> Made(std::function<void(MFD&)> call) {
    return [call](sim::Host& host) {
        g_whenMade = call;
        host.OpenDisplay(MFD_RIGHT, "Probe");
    };
}

TEST(HostCrash, EveryCallTheSimulatorDoesNotSurviveEndsTheRun) {
    VECTOR3 v;
    const CrashCase cases[] = {
        {"VESSEL::GetPropellantMass with a null handle",
         Drawn([](VESSEL& s) { s.GetPropellantMass(nullptr); })},
        {"VESSEL::GetPropellantMaxMass with a null handle",
         Drawn([](VESSEL& s) { s.GetPropellantMaxMass(s.GetPropellantHandleByIndex(1)); })},
        {"VESSEL::GetThrusterMax0 with a null handle",
         Drawn([](VESSEL& s) { s.GetThrusterMax0(s.GetThrusterHandleByIndex(1)); })},
        {"VESSEL::GetThrusterIsp0 with a null handle",
         Drawn([](VESSEL& s) { s.GetThrusterIsp0(nullptr); })},
        {"VESSEL::GetThrusterRef with a null handle",
         Drawn([&v](VESSEL& s) { s.GetThrusterRef(nullptr, v); })},
        {"VESSEL::GetThrusterDir with a null handle",
         Drawn([&v](VESSEL& s) { s.GetThrusterDir(nullptr, v); })},
        {"VESSEL::GetThrusterResource with a null handle",
         Drawn([](VESSEL& s) { s.GetThrusterResource(nullptr); })},
        {"VESSEL::GetPropellantMass with a handle that is no tank of a vessel that exists",
         Drawn([](VESSEL& s) { s.GetPropellantMass(s.GetThrusterHandleByIndex(0)); })},
        {"oapiGetVesselInterface with a null handle",
         [](sim::Host&) { oapiGetVesselInterface(oapiGetVesselByName(const_cast<char*>("No"))); }},
        {"oapiGetVesselInterface on the vessel Beta, which has been deleted",
         [](sim::Host& host) {
             OBJHANDLE beta = oapiGetVesselByName(const_cast<char*>("Beta"));
             host.DeleteVessel("Beta");
             oapiGetVesselInterface(beta);
         }},
        {"VESSEL::GetName on the vessel Beta, which has been deleted",
         [](sim::Host& host) {
             VESSEL* beta = host.FindVessel("Beta");
             host.DeleteVessel("Beta");
             beta->GetName();
         }},
        {"VESSEL::GetMass on the vessel Alpha, whose session has ended",
         [](sim::Host& host) {
             VESSEL* alpha = host.FindVessel("Alpha");
             host.EndSession();
             alpha->GetMass();
         }},
        {"MFD::Title before the host wrote its private pointer into the display",
         Made([](MFD& d) { d.Title(nullptr, "too early"); })},
        {"MFD::InvalidateDisplay before the host wrote its private pointer into the display",
         Made([](MFD& d) { d.InvalidateDisplay(); })},
        {"MFD::InvalidateButtons before the host wrote its private pointer into the display",
         Made([](MFD& d) { d.InvalidateButtons(); })},
    };
    for (const CrashCase& c : cases) {
        SCOPED_TRACE(c.message);
        const auto run = [&c] {
            sim::Host host;
            host.AddVessel("Alpha", TankerClass());
            host.AddVessel("Beta", TankerClass());
            char name[] = "Probe";
            MFDMODESPEC spec{name, 0, ProbeProc};
            oapiRegisterMFDMode(spec);
            g_whenMade = nullptr;
            g_whenDrawn = nullptr;
            host.OpenDisplay(MFD_LEFT, "Probe");
            c.run(host);
        };
        EXPECT_EXIT(run(), testing::ExitedWithCode(sim::kHostCrashStatus),
                    std::string("^kelvane-sim: the module called ") + c.message +
                        ".*; the simulator would crash here\n$");
    }
}

} // namespace
