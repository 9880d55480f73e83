// The redraw of each page on the sample's vessels, and its floor: the same lines produced by one
// plain snprintf each into a buffer, from figures worked out beforehand, with no host call and
// no drawing. Before timing, the floor's lines are checked against what the redraw draws.
#include "bench_world.h"

#include "sim/frame_text.h"
#include "sim/session.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// The floor

// What one snprintf conversion needs to print a number as the display shows it.
struct NumberArgs {
    bool exponent;
    // SI prefixes: "%.*f %s"
    int decimals = 0;
    double scaled = 0;
    const char* prefix = "";
    // exponent form: "%6.3fe%c%03d "
    double mantissa = 0;
    char exponentSign = '+';
    int exponentDigits = 0;
};

NumberArgs Prefixed(double x) {
    struct Row {
        double bound, divisor;
        const char* prefix;
    };
    static const Row kRows[] = {{1e-6, 1e-9, "n"}, {1e-3, 1e-6, "\xB5"}, {1, 1e-3, "m"},
                                {1e3, 1, ""},      {1e6, 1e3, "k"},      {1e9, 1e6, "M"},
                                {1e12, 1e9, "G"},  {1e15, 1e12, "T"},    {1e18, 1e15, "P"}};
    NumberArgs n;
    n.exponent = false;
    n.scaled = x;
    for (const Row& row : kRows)
        if (std::fabs(x) != 0 && std::fabs(x) < row.bound) {
            n.scaled = x / row.divisor;
            n.prefix = row.prefix;
            break;
        }
    double a = std::fabs(n.scaled);
    while (a < 1000 && n.decimals < 3) {
        a *= 10;
        ++n.decimals;
    }
    return n;
}

NumberArgs Exponent(double x) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3e", x);
    NumberArgs n;
    n.exponent = true;
    char* e = std::strchr(text, 'e');
    const int exponent = std::atoi(e + 1);
    *e = '\0';
    n.mantissa = std::strtod(text, nullptr);
    n.exponentSign = exponent < 0 ? '-' : '+';
    n.exponentDigits = std::abs(exponent);
    return n;
}

NumberArgs Number(double x, bool exponent) {
    return exponent ? Exponent(x) : Prefixed(x);
}

// One line: the label, the number as the display writes it, and the unit.
int NumberLine(char* line, size_t size, const char* label, const NumberArgs& n, const char* unit,
               bool sign) {
    if (n.exponent)
        return std::snprintf(line, size, sign ? "%s%+6.3fe%c%03d %s" : "%s%6.3fe%c%03d %s", label,
                             n.mantissa, n.exponentSign, n.exponentDigits, unit);
    return std::snprintf(line, size, sign ? "%s%+.*f %s%s" : "%s%.*f %s%s", label, n.decimals,
                         n.scaled, n.prefix, unit);
}

// Everything a page shows, worked out from the vessel once.
struct PageFigures {
    std::string title, name, className;
    // mass page
    NumberArgs dry{}, wet{}, current{};
    const char* massUnit = "g";
    // tank page
    bool noTanks = false; // the page reads "No Tanks" alone
    int tankNumber = 1;
    NumberArgs capacity{}, contents{}, deltaV{};
    std::vector<int> serviced;
    // engine page
    bool noEngines = false; // the page reads "No Engines" alone
    int engineNumber = 1;
    NumberArgs thrust{}, isp{}, linear[3]{}, angular[3]{};
    const char* thrustUnit = "N";
    int feedingTank = 0; // 0: not connected
};

PageFigures Figures(const sim::Vessel& v, const MfdSettings& s) {
    const bool exponent = s.notation == EXP;
    PageFigures f;
    static const char* const kPages[] = {"Mass", "Tanks", "Engines"};
    f.title = std::string("KelvaneMFD: ") + kPages[s.parametersMode];
    f.name = v.Name();
    f.className = v.ClassName();
    const double scale = exponent ? 1 : 1000;
    f.massUnit = exponent ? "kg" : "g";
    double wet = v.EmptyMass();
    for (size_t t = 0; t < v.TankCount(); ++t)
        wet += v.TankAt(t).capacity;
    f.dry = Number(v.EmptyMass() * scale, exponent);
    f.wet = Number(wet * scale, exponent);
    f.current = Number(v.CurrentMass() * scale, exponent);

    f.noTanks = v.TankCount() == 0;
    f.noEngines = v.ThrusterCount() == 0;
    const size_t tank = s.tankIndex;
    f.tankNumber = static_cast<int>(tank) + 1;
    const double capacity = tank < v.TankCount() ? v.TankAt(tank).capacity : 0;
    const double contents = tank < v.TankCount() ? v.TankAt(tank).mass : 0;
    f.capacity = Number(capacity * scale, exponent);
    f.contents = Number(contents * scale, exponent);
    const void* tankHandle = v.TankHandle(tank);
    double isp = 0;
    for (size_t k = 0; k < v.ThrusterCount(); ++k)
        if (v.ThrusterAt(k).resource == tankHandle) {
            f.serviced.push_back(static_cast<int>(k) + 1);
            if (v.ThrusterAt(k).spec.isp0 > isp)
                isp = v.ThrusterAt(k).spec.isp0;
        }
    const double m = v.CurrentMass();
    f.deltaV = Number(isp * std::log(m / (m - contents)), exponent);

    const size_t engine = s.engineIndex;
    f.engineNumber = static_cast<int>(engine) + 1;
    if (engine < v.ThrusterCount()) {
        const sim::Thruster& t = v.ThrusterAt(engine);
        f.thrust = Number(exponent ? t.spec.max0 / 1000 : t.spec.max0, exponent);
        f.thrustUnit = exponent ? "kN" : "N";
        f.isp = Number(t.spec.isp0, exponent);
        const VECTOR3 r = t.spec.pos, d = t.spec.dir;
        const double dl = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        const double fx = d.x / dl * t.spec.max0, fy = d.y / dl * t.spec.max0,
                     fz = d.z / dl * t.spec.max0;
        const double rl = std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z);
        double lin[3], tq[3] = {0, 0, 0};
        if (rl == 0) {
            lin[0] = fx / m;
            lin[1] = fy / m;
            lin[2] = fz / m;
        } else {
            const double sl = -(r.x / rl * fx + r.y / rl * fy + r.z / rl * fz);
            lin[0] = sl * (d.x / dl) / m;
            lin[1] = sl * (d.y / dl) / m;
            lin[2] = sl * (d.z / dl) / m;
            tq[0] = -(fy * r.z - fz * r.y);
            tq[1] = -(fz * r.x - fx * r.z);
            tq[2] = -(fx * r.y - fy * r.x);
        }
        for (int i = 0; i < 3; ++i) {
            f.linear[i] = Number(lin[i], exponent);
            f.angular[i] = Number(tq[i] / (m * v.Pmi().data[i]), exponent);
        }
        for (size_t k = 0; k < v.TankCount(); ++k)
            if (v.TankHandle(k) == t.resource)
                f.feedingTank = static_cast<int>(k) + 1;
    }
    return f;
}

// The page's lines, one snprintf each (the thruster list one per number, as it is built).
template <class Emit> void FloorLines(const PageFigures& f, ParametersMode page, Emit&& emit) {
    char line[252];
    std::snprintf(line, sizeof line, "%s", f.title.c_str());
    emit(line);
    std::snprintf(line, sizeof line, "Name: %s", f.name.c_str());
    emit(line);
    std::snprintf(line, sizeof line, "Class: %s", f.className.c_str());
    emit(line);
    if (page == MASS) {
        NumberLine(line, sizeof line, "Dry Mass:     ", f.dry, f.massUnit, false);
        emit(line);
        NumberLine(line, sizeof line, "Wet Mass:     ", f.wet, f.massUnit, false);
        emit(line);
        NumberLine(line, sizeof line, "Current Mass: ", f.current, f.massUnit, false);
        emit(line);
    } else if (page == TANKS && f.noTanks) {
        std::snprintf(line, sizeof line, "No Tanks");
        emit(line);
    } else if (page == TANKS) {
        std::snprintf(line, sizeof line, "Tank %d", f.tankNumber);
        emit(line);
        NumberLine(line, sizeof line, "Full Mass: ", f.capacity, f.massUnit, false);
        emit(line);
        NumberLine(line, sizeof line, "Current Mass: ", f.contents, f.massUnit, false);
        emit(line);
        char list[64] = "Thrusters Serviced:";
        int used = 19, numbers = 0, width = 2;
        for (int n : f.serviced) {
            used += std::snprintf(list + used, sizeof list - used, " %d", n);
            width = n < 10 ? 2 : n < 100 ? 3 : 4;
            numbers += width;
            if (numbers + width >= 17) {
                emit(list);
                std::memset(list, ' ', 19);
                list[19] = '\0';
                used = 19;
                numbers = 0;
            }
        }
        if (numbers > 0)
            emit(list);
        if (f.serviced.empty()) {
            std::snprintf(line, sizeof line, "%s None", list);
            emit(line);
            std::snprintf(line, sizeof line, "Delta-V: None");
        } else {
            NumberLine(line, sizeof line, "Delta-V: ", f.deltaV, "m/s", false);
        }
        emit(line);
    } else if (f.noEngines) {
        std::snprintf(line, sizeof line, "No Engines");
        emit(line);
    } else {
        std::snprintf(line, sizeof line, "Engine %d", f.engineNumber);
        emit(line);
        NumberLine(line, sizeof line, "Vacuum Thrust: ", f.thrust, f.thrustUnit, false);
        emit(line);
        NumberLine(line, sizeof line, "ISP: ", f.isp, "N*s/kg", false);
        emit(line);
        std::snprintf(line, sizeof line, "Acceleration:");
        emit(line);
        std::snprintf(line, sizeof line, "    Linear:");
        emit(line);
        static const char* const kAxes[] = {"        X: ", "        Y: ", "        Z: "};
        for (int i = 0; i < 3; ++i) {
            NumberLine(line, sizeof line, kAxes[i], f.linear[i], "m/s^2", true);
            emit(line);
        }
        std::snprintf(line, sizeof line, "    Angular:");
        emit(line);
        for (int i = 0; i < 3; ++i) {
            NumberLine(line, sizeof line, kAxes[i], f.angular[i], "rad/s^2", true);
            emit(line);
        }
        if (f.feedingTank)
            std::snprintf(line, sizeof line, "Propellant Resource: Tank %d", f.feedingTank);
        else
            std::snprintf(line, sizeof line, "Propellant Resource: Not Connected");
        emit(line);
    }
}

// ---------------------------------------------------------------------------------------------
// The sample

const char* const kSampleVessels[] = {"GL-01", "PB-01", "SH-01", "CP-7"};
const char* const kPageNames[] = {"Mass", "Tanks", "Engines"};

// The sample scenario loaded, display 0 open on `vessel` with the page and notation set.
KelvaneMfd* SampleDisplay(const char* vessel, ParametersMode page, Notation notation) {
    static sim::Session* session = nullptr;
    if (!session) {
        bench::Restart();
        session = new sim::Session(bench::TheHost(), sim::SessionOptions{});
        session->LoadSample();
    }
    sim::Host& host = bench::TheHost();
    session->SetFocus(vessel);
    KelvaneMfd* display = bench::OpenDisplay(host, 0);
    if (!display)
        return nullptr;
    display->Settings()->parametersMode = page;
    display->Settings()->notation = notation;
    return display;
}

void BM_Redraw(benchmark::State& state, const char* vessel, ParametersMode page,
               Notation notation) {
    KelvaneMfd* display = SampleDisplay(vessel, page, notation);
    if (!display) {
        state.SkipWithError("the sample's display did not open");
        return;
    }
    bench::TimeRedraws(state, *display);
}

void BM_Floor(benchmark::State& state, const char* vessel, ParametersMode page, Notation notation) {
    KelvaneMfd* display = SampleDisplay(vessel, page, notation);
    if (!display) {
        state.SkipWithError("the sample's display did not open");
        return;
    }
    sim::Host& host = bench::TheHost();
    const sim::Frame frame = host.Draw(0);
    const PageFigures figures = Figures(*bench::TheHost().FindVessel(vessel), *display->Settings());

    // The floor must produce what the display draws, line for line.
    std::vector<std::string> drawn, floor;
    for (const TextRun& run : frame.runs)
        drawn.push_back(run.text);
    FloorLines(figures, page, [&](const char* line) { floor.emplace_back(line); });
    if (drawn != floor) {
        std::string message = "the floor's lines differ from the redraw's:";
        for (size_t i = 0; i < drawn.size() || i < floor.size(); ++i)
            message += "\n  '" + (i < drawn.size() ? drawn[i] : "") + "' / '" +
                       (i < floor.size() ? floor[i] : "") + "'";
        state.SkipWithError(message.c_str());
        return;
    }

    char sink[256];
    for (auto _ : state) {
        FloorLines(figures, page, [&](const char* line) {
            std::memcpy(sink, line, 8);
            benchmark::DoNotOptimize(sink);
        });
    }
}

void RegisterPages() {
    for (const char* vessel : kSampleVessels)
        for (ParametersMode page : {MASS, TANKS, ENGINES})
            for (Notation notation : {SI, EXP}) {
                const std::string suffix = std::string(kPageNames[page]) + "/" + vessel + "/" +
                                           (notation == SI ? "SI" : "EXP");
                benchmark::RegisterBenchmark(("Redraw/" + suffix).c_str(), BM_Redraw, vessel, page,
                                             notation);
                benchmark::RegisterBenchmark(("Floor/" + suffix).c_str(), BM_Floor, vessel, page,
                                             notation);
            }
}

const int kRegistered = (RegisterPages(), 0);

} // namespace
