// The three pages on vessels built in code: the figures, the units, the list of thrusters, the
// engine page's vector arithmetic, the order of host queries and the absence of allocations.
#include "module_fixture.h"

#include "display/pages.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace {
// The VESSEL queries the module makes, by name.
struct CallList : host_model::CallObserver, std::vector<std::string> {
    void Heard(const char* call) override { push_back(call); }
};
} // namespace

// This program's allocator (counting_allocator.cpp) counts while gCounting is set.
extern std::atomic<long> gAllocations;
extern std::atomic<bool> gCounting;

namespace {

class PagesTest : public ModuleTest {
protected:
    KelvaneMfd* OpenOn(const std::string& name, const sim::VesselClass& cls) {
        vessel = &host.AddVessel(name, cls);
        host.SetFocus(vessel);
        display = Open(MFD_LEFT);
        return display;
    }
    MfdSettings& S() { return *display->Settings(); }
    sim::Vessel* vessel = nullptr;
    KelvaneMfd* display = nullptr;
};

sim::VesselClass TwoTankClass() {
    sim::VesselClass c = EmptyClass("Tanker", 10000);
    c.tankCapacities = {5000, 3000};
    return c;
}

// --- mass page ---

TEST_F(PagesTest, MassPageUnitsFollowUnitAndNotation) {
    OpenOn("T-1", TwoTankClass());
    vessel->SetTankLevel(0, 0.8); // 4,000 kg: current mass 14,000 kg
    const struct {
        MassDisplay unit;
        Notation notation;
        const char *dry, *wet, *current;
    } cases[] = {
        {KILOGRAMS, EXP, "Dry Mass:      1.000e+004 kg", "Wet Mass:      1.800e+004 kg",
         "Current Mass:  1.400e+004 kg"},
        {PERCENTAGE, EXP, "Dry Mass:      1.000e+004 kg", "Wet Mass:      1.800e+004 kg",
         "Current Mass:  1.400e+004 kg"},
        {KILOGRAMS, SI, "Dry Mass:     10.00 Mg", "Wet Mass:     18.00 Mg",
         "Current Mass: 14.00 Mg"},
        {PERCENTAGE, SI, "Dry Mass:     10.00 Mg", "Wet Mass:     18.00 Mg",
         "Current Mass: 14.00 Mg"},
        {METRIC_TONS, SI, "Dry Mass:     10.00 t", "Wet Mass:     18.00 t",
         "Current Mass: 14.00 t"},
        {METRIC_TONS, EXP, "Dry Mass:      1.000e+001 t", "Wet Mass:      1.800e+001 t",
         "Current Mass:  1.400e+001 t"},
    };
    for (const auto& c : cases) {
        S().massDisplay = c.unit;
        S().notation = c.notation;
        const std::vector<std::string> rows = Rows(MFD_LEFT);
        ASSERT_GE(rows.size(), 8u);
        EXPECT_EQ(rows[5], c.dry);
        EXPECT_EQ(rows[6], c.wet);
        EXPECT_EQ(rows[7], c.current);
        EXPECT_EQ(rows.size(), 8u);
    }
}

TEST_F(PagesTest, WetMassWithoutTanksIsTheDryMass) {
    OpenOn("Bare", EmptyClass("Bare", 1234));
    EXPECT_EQ(WetMass(*display->Vessel(), 1234), 1234);
    S().notation = EXP;
    EXPECT_EQ(Row(MFD_LEFT, 6), "Wet Mass:      1.234e+003 kg");
}

// --- tank page ---

TEST_F(PagesTest, TankPageShowsCapacityAndContents) {
    sim::VesselClass cls = EmptyClass("Tanker", 500);
    cls.tankCapacities = {1000, 0, 2000};
    OpenOn("T-1", cls);
    vessel->SetTankLevel(0, 0.25);
    S().parametersMode = TANKS;

    S().tankIndex = 5; // beyond the three tanks: back to the first, for good
    std::vector<std::string> rows = Rows(MFD_LEFT);
    EXPECT_EQ(S().tankIndex, 0u);
    EXPECT_EQ(rows[5], "Tank 1");
    EXPECT_EQ(rows[6], "Full Mass: 1.000 Mg");
    EXPECT_EQ(rows[7], "Current Mass: 250.0 kg");

    S().notation = EXP;
    rows = Rows(MFD_LEFT);
    EXPECT_EQ(rows[6], "Full Mass:  1.000e+003 kg");
    EXPECT_EQ(rows[7], "Current Mass:  2.500e+002 kg");

    S().massDisplay = METRIC_TONS; // shown as kilograms on this page
    EXPECT_EQ(Row(MFD_LEFT, 7), "Current Mass:  2.500e+002 kg");

    S().massDisplay = PERCENTAGE;
    for (Notation n : {EXP, SI}) {
        S().notation = n;
        EXPECT_EQ(Row(MFD_LEFT, 7), "Current Mass:   25.000 %");
    }
    S().tankIndex = 1; // capacity 0
    EXPECT_EQ(Row(MFD_LEFT, 7), "Divide by zero error.");
    EXPECT_EQ(Row(MFD_LEFT, 5), "Tank 2");
}

// Thrusters fed by tank 0 (numbers are 1-based); the others draw from nothing.
sim::VesselClass FedBy(std::vector<int> fedNumbers, int count) {
    sim::VesselClass cls = EmptyClass("Lister", 1000);
    cls.tankCapacities = {1000};
    for (int n = 1; n <= count; ++n) {
        bool fed = false;
        for (int f : fedNumbers)
            fed = fed || f == n;
        cls.thrusters.push_back(Thruster({{0, 0, -1}}, {{0, 0, 1}}, 100, 1000, fed ? 0 : -1));
    }
    return cls;
}

TEST_F(PagesTest, ThrusterListWrapsByTheWidthOfItsNumbers) {
    const std::string lead(19, ' ');
    const struct {
        std::vector<int> fed;
        int count;
        std::vector<std::string> rows; // from row 9 on
    } cases[] = {
        {{1, 2, 3, 4, 5, 6, 7, 8, 9}, 9, {"Thrusters Serviced: 1 2 3 4 5 6 7 8", lead + " 9"}},
        {{10, 11, 12, 13, 14}, 14, {"Thrusters Serviced: 10 11 12 13 14"}},
        {{1, 2, 3, 4, 5, 6, 10, 11}, 11, {"Thrusters Serviced: 1 2 3 4 5 6 10", lead + " 11"}},
        {{5}, 9, {"Thrusters Serviced: 5"}},
        {{100, 101, 102, 103, 150}, 150, {"Thrusters Serviced: 100 101 102 103", lead + " 150"}},
        {{9, 10, 99, 100, 999}, 1000, {"Thrusters Serviced: 9 10 99 100 999"}},
    };
    for (const auto& c : cases) {
        host.EndSession();
        OpenOn("L-" + std::to_string(c.count), FedBy(c.fed, c.count));
        S().parametersMode = TANKS;
        const std::vector<std::string> rows = Rows(MFD_LEFT);
        ASSERT_EQ(rows.size(), 9 + c.rows.size()) << c.rows[0];
        for (size_t i = 0; i < c.rows.size(); ++i)
            EXPECT_EQ(rows[9 + i], c.rows[i]);
    }
}

TEST_F(PagesTest, DeltaVUsesTheBestImpulseOfTheFedThrusters) {
    sim::VesselClass cls = EmptyClass("Rocket", 5000);
    cls.tankCapacities = {5000, 100};
    cls.thrusters = {Thruster({{0, 0, -1}}, {{0, 0, 1}}, 1, 3000, 0),
                     Thruster({{0, 0, -1}}, {{0, 0, 1}}, 1, 2500, 0),
                     Thruster({{0, 0, -1}}, {{0, 0, 1}}, 1, 9000, 1)};
    OpenOn("R-1", cls);
    vessel->SetTankLevel(0, 1.0);
    S().parametersMode = TANKS;
    EXPECT_EQ(Row(MFD_LEFT, 8), "Delta-V: 2.079 km/s"); // 3000 × ln 2
    EXPECT_EQ(Row(MFD_LEFT, 9), "Thrusters Serviced: 1 2");
    vessel->SetTankLevel(0, 0.0);
    EXPECT_EQ(Row(MFD_LEFT, 8), "Delta-V: 0.000 m/s");
}

TEST_F(PagesTest, DeltaVOfZeroImpulseThrustersIsZero) {
    sim::VesselClass cls = EmptyClass("Cold", 1000);
    cls.tankCapacities = {1000};
    cls.thrusters = {Thruster({{0, 0, -1}}, {{0, 0, 1}}, 1, 0, 0)};
    OpenOn("C-1", cls);
    vessel->SetTankLevel(0, 1.0);
    S().parametersMode = TANKS;
    EXPECT_EQ(Row(MFD_LEFT, 8), "Delta-V: 0.000 m/s");
}

// No dry mass left: the quotient's divisor is zero; the page still draws a defined text.
TEST_F(PagesTest, DeltaVWithAZeroDivisorDrawsADefinedText) {
    sim::VesselClass cls = EmptyClass("Balloon", 0);
    cls.tankCapacities = {1000};
    cls.thrusters = {Thruster({{0, 0, -1}}, {{0, 0, 1}}, 1, 3000, 0)};
    OpenOn("B-1", cls);
    vessel->SetTankLevel(0, 1.0);
    S().parametersMode = TANKS;
    EXPECT_EQ(Row(MFD_LEFT, 8), "Delta-V: inf m/s");
    S().notation = EXP;
    EXPECT_EQ(Row(MFD_LEFT, 8), "Delta-V:         inf m/s");
    vessel->SetTankLevel(0, 0.0); // mass 0 and contents 0: 0/0
    S().notation = SI;
    EXPECT_EQ(Row(MFD_LEFT, 8), "Delta-V: nan m/s");
}

TEST_F(PagesTest, ATankFeedingNothingSaysNoneWithoutAskingForMasses) {
    sim::VesselClass cls = FedBy({}, 3);
    OpenOn("N-1", cls);
    S().parametersMode = TANKS;
    CallList calls;
    vessel->callLog = &calls;
    const std::vector<std::string> rows = Rows(MFD_LEFT);
    vessel->callLog = nullptr;
    EXPECT_EQ(rows[8], "Delta-V: None");
    EXPECT_EQ(rows[9], "Thrusters Serviced: None");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "GetMass"), 0);
}

// A vessel without tanks, or without thrusters, has nothing for the page to select: the page
// says so and asks the host for no handle (the host would read through a null one), and every
// button goes on working.
TEST_F(PagesTest, AVesselWithoutTanksOrThrustersSaysSoAndAsksForNoHandle) {
    sim::VesselClass noThrusters = TwoTankClass();
    sim::VesselClass noTanks = EmptyClass("Pod", 700);
    noTanks.thrusters = {Thruster({{0, 0, -1}}, {{0, 0, 1}}, 800, 2000, -1)};
    const struct {
        const char* name;
        sim::VesselClass cls;
        ParametersMode page;
        const char* row5;
        const char* handleQuery;
    } cases[] = {
        {"Pod-1", noTanks, TANKS, "No Tanks", "GetPropellantHandleByIndex"},
        {"Bare-1", EmptyClass("Bare", 700), TANKS, "No Tanks", "GetPropellantHandleByIndex"},
        {"Bare-2", EmptyClass("Bare", 700), ENGINES, "No Engines", "GetThrusterHandleByIndex"},
        {"Tanker-1", noThrusters, ENGINES, "No Engines", "GetThrusterHandleByIndex"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenOn(c.name, c.cls);
        S().parametersMode = c.page;
        S().tankIndex = 3;
        S().engineIndex = 3;
        CallList calls;
        vessel->callLog = &calls;
        const std::vector<std::string> title = {c.page == TANKS ? "KelvaneMFD: Tanks"
                                                                : "KelvaneMFD: Engines",
                                                "",
                                                "Name: " + std::string(c.name),
                                                "Class: " + c.cls.name,
                                                "",
                                                c.row5};
        EXPECT_EQ(Rows(MFD_LEFT), title);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), c.handleQuery), 0);
        EXPECT_EQ(c.page == TANKS ? S().tankIndex : S().engineIndex, 0u);
        // Every button, on the page and on the way round to it again.
        for (int button : {3, 1, 2, 3, 0, 3, 1, 0, 3, 1, 0})
            EXPECT_TRUE(host.Press(MFD_LEFT, button, PANEL_MOUSE_LBDOWN));
        EXPECT_EQ(S().parametersMode, c.page);
        EXPECT_EQ(Row(MFD_LEFT, 5), c.row5);
        vessel->callLog = nullptr;
        host.CloseDisplay(MFD_LEFT);
    }
}

// --- engine page ---

struct EngineCase {
    VECTOR3 pos, dir;
    double thrust, mass;
    VECTOR3 pmi;
    double linear[3], angular[3];
};

// The prefix letter after the number scales it; read it back to compare with the expected figure.
double ScaledValueOf(const std::string& row) {
    char* end = nullptr;
    const double v = std::strtod(row.c_str() + 11, &end);
    const char prefix = end[1];
    return prefix == 'm' && end[2] != '/' ? v / 1000 : v;
}

TEST_F(PagesTest, EnginePageVectorArithmetic) {
    const EngineCase cases[] = {
        {{{0, 0, 0}}, {{3, 0, 4}}, 500, 100, {{1, 1, 1}}, {3, 0, 4}, {0, 0, 0}},
        {{{0, 0, -10}}, {{0, 0, 2}}, 1000, 100, {{1, 1, 1}}, {0, 0, 10}, {0, 0, 0}},
        {{{0, 0, 10}}, {{0, 0, 2}}, 1000, 100, {{1, 1, 1}}, {0, 0, -10}, {0, 0, 0}},
        {{{2, 0, -10}}, {{0, 0, 1}}, 20000, 10000, {{10, 10, 4}}, {0, 0, 1.9612}, {0, -0.4, 0}},
        {{{1, 0, 0}}, {{0, 1, 0}}, 100, 100, {{1, 2, 3}}, {0, 0, 0}, {0, 0, 1.0 / 3}},
    };
    for (const EngineCase& c : cases) {
        host.EndSession();
        sim::VesselClass cls = EmptyClass("Case", c.mass);
        cls.pmi = c.pmi;
        cls.thrusters = {Thruster(c.pos, c.dir, c.thrust, 1000, -1)};
        OpenOn("E", cls);
        S().parametersMode = ENGINES;
        const std::vector<std::string> rows = Rows(MFD_LEFT);
        ASSERT_EQ(rows.size(), 18u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(ScaledValueOf(rows[10 + i]), c.linear[i], 5e-4) << rows[10 + i];
            EXPECT_NEAR(ScaledValueOf(rows[14 + i]), c.angular[i], 5e-4) << rows[14 + i];
        }
    }
}

TEST_F(PagesTest, EnginePageTextsInBothUnitsAndNotations) {
    sim::VesselClass cls = EmptyClass("Case", 10000);
    cls.pmi = VECTOR3{{10, 10, 4}};
    cls.thrusters = {Thruster({{2, 0, -10}}, {{0, 0, 1}}, 20000, 3000, -1)};
    OpenOn("E", cls);
    S().parametersMode = ENGINES;
    std::vector<std::string> rows = Rows(MFD_LEFT);
    const char* radians[] = {"Engine 1",
                             "Vacuum Thrust: 20.00 kN",
                             "ISP: 3.000 kN*s/kg",
                             "Acceleration:",
                             "    Linear:",
                             "        X: +0.000 m/s^2",
                             "        Y: +0.000 m/s^2",
                             "        Z: +1.961 m/s^2",
                             "    Angular:",
                             "        X: +0.000 rad/s^2",
                             "        Y: -400.0 mrad/s^2",
                             "        Z: -0.000 rad/s^2", // the negated cross product's zero
                             "Propellant Resource: Not Connected"};
    for (size_t i = 0; i < 13; ++i)
        EXPECT_EQ(rows[5 + i], radians[i]);

    S().enginesDisplay = DEGREES;
    S().notation = EXP;
    rows = Rows(MFD_LEFT);
    EXPECT_EQ(rows[6], "Vacuum Thrust:  2.000e+001 kN");
    EXPECT_EQ(rows[7], "ISP:  3.000e+003 N*s/kg");
    EXPECT_EQ(rows[12], "        Z: +1.961e+000 m/s^2"); // linear rows never converted
    EXPECT_EQ(rows[15], "        Y: -2.292e+001 deg/s^2");
}

TEST_F(PagesTest, DegreesUseTheDisplaysOwnFactor) {
    // An angular acceleration that is 57.305000000000010 deg/s^2 with the display's factor and
    // 57.304999999999950 with the double nearest 180/pi: only the right factor rounds up.
    sim::VesselClass cls = EmptyClass("Spin", 1);
    cls.pmi = VECTOR3{{1, 1, 1}};
    cls.thrusters = {Thruster({{1, 0, 0}}, {{0, 1, 0}}, 1.0001609278553496, 1, -1)};
    OpenOn("S", cls);
    S().parametersMode = ENGINES;
    S().enginesDisplay = DEGREES;
    EXPECT_EQ(Row(MFD_LEFT, 16), "        Z: +57.31 deg/s^2");
}

TEST_F(PagesTest, FeedingTankIsNamedByItsNumber) {
    sim::VesselClass cls = EmptyClass("Feeds", 1000);
    cls.tankCapacities = {10, 20, 30};
    cls.thrusters = {Thruster({{0, 0, -1}}, {{0, 0, 1}}, 1, 1, 1),
                     Thruster({{0, 0, -1}}, {{0, 0, 1}}, 1, 1, -1)};
    OpenOn("F", cls);
    S().parametersMode = ENGINES;
    EXPECT_EQ(Row(MFD_LEFT, 17), "Propellant Resource: Tank 2");
    S().engineIndex = 1;
    EXPECT_EQ(Row(MFD_LEFT, 17), "Propellant Resource: Not Connected");
    // A resource handle that is none of the vessel's tanks: one past the count.
    int stray = 0;
    vessel->SetThrusterResource(1, &stray);
    EXPECT_EQ(Row(MFD_LEFT, 17), "Propellant Resource: Tank 4");

    host.EndSession();
    sim::VesselClass noTanks = EmptyClass("NoTanks", 1000);
    noTanks.thrusters = {Thruster({{0, 0, -1}}, {{0, 0, 1}}, 1, 1, -1)};
    OpenOn("G", noTanks);
    vessel->SetThrusterResource(0, &stray);
    S().parametersMode = ENGINES;
    EXPECT_EQ(Row(MFD_LEFT, 17), "Propellant Resource: Tank 1");
}

TEST_F(PagesTest, ZeroMassAndInertiaDrawDefinedTexts) {
    sim::VesselClass cls = EmptyClass("Ghost", 0);
    cls.pmi = VECTOR3{{0, 0, 0}};
    cls.thrusters = {Thruster({{1, 0, 0}}, {{0, 1, 0}}, 100, 1, -1)};
    OpenOn("Z", cls);
    S().parametersMode = ENGINES;
    const std::vector<std::string> rows = Rows(MFD_LEFT);
    ASSERT_EQ(rows.size(), 18u);
    EXPECT_EQ(rows[11], "        Y: nan m/s^2"); // -0 × 1 / 0
    EXPECT_EQ(rows[16], "        Z: +inf rad/s^2");
}

// --- the stock DeltaGlider ---

TEST_F(PagesTest, FullDeltaGliderFigures) {
    OpenOn("GL-01", DeltaGliderClass());
    vessel->SetAllTankLevels(1.0);
    EXPECT_EQ(Row(MFD_LEFT, 7), "Current Mass: 24.50 Mg");
    S().parametersMode = TANKS;
    std::vector<std::string> rows = Rows(MFD_LEFT);
    EXPECT_EQ(rows[8], "Delta-V: 29.91 km/s");
    EXPECT_EQ(rows[9], "Thrusters Serviced: 1 2 5 6 7"); // the retros' covers are closed
    S().tankIndex = 1;
    rows = Rows(MFD_LEFT);
    const std::string lead(19, ' ');
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[9], "Thrusters Serviced: 8 9 10 11 12 13");
    EXPECT_EQ(rows[10], lead + " 14 15 16 17 18");
    EXPECT_EQ(rows[11], lead + " 19 20 21");
    S().parametersMode = ENGINES;
    rows = Rows(MFD_LEFT);
    EXPECT_EQ(rows[6], "Vacuum Thrust: 160.0 kN");
    EXPECT_EQ(rows[12], "        Z: +6.476 m/s^2");
    EXPECT_EQ(rows[15], "        Y: +295.5 mrad/s^2");
    EXPECT_EQ(rows[17], "Propellant Resource: Tank 1");
}

// --- what a redraw asks the host, and in which order ---

TEST_F(PagesTest, EachPageAsksTheHostAfreshInOrder) {
    sim::VesselClass cls = EmptyClass("Order", 100);
    cls.tankCapacities = {10, 20};
    cls.thrusters = {Thruster({{0, 0, -1}}, {{0, 0, 1}}, 1, 1, 1),
                     Thruster({{0, 0, -1}}, {{0, 0, 1}}, 1, 1, 0)};
    OpenOn("O", cls);
    const std::vector<std::string> frame = {"GetName", "GetClassNameA"};
    const struct {
        ParametersMode page;
        std::vector<std::string> calls;
    } cases[] = {
        {MASS,
         {"GetEmptyMass", "GetPropellantCount", "GetPropellantHandleByIndex",
          "GetPropellantMaxMass", "GetPropellantHandleByIndex", "GetPropellantMaxMass", "GetMass"}},
        {TANKS,
         {"GetPropellantCount", "GetPropellantHandleByIndex", "GetPropellantMaxMass",
          "GetPropellantHandleByIndex", "GetPropellantMass", "GetThrusterCount",
          "GetPropellantHandleByIndex", "GetThrusterHandleByIndex", "GetThrusterResource",
          "GetThrusterHandleByIndex", "GetThrusterResource", "GetThrusterIsp0", "GetMass",
          "GetPropellantMass"}},
        {ENGINES,
         {"GetThrusterCount", "GetThrusterHandleByIndex", "GetMass", "GetPMI", "GetThrusterMax0",
          "GetThrusterIsp0", "GetThrusterRef", "GetThrusterDir", "GetThrusterResource",
          "GetPropellantCount", "GetPropellantHandleByIndex", "GetPropellantHandleByIndex"}},
    };
    for (const auto& c : cases) {
        S().parametersMode = c.page;
        for (int pass = 0; pass < 2; ++pass) {
            CallList calls;
            vessel->callLog = &calls;
            host.Draw(MFD_LEFT);
            vessel->callLog = nullptr;
            std::vector<std::string> expected = frame;
            expected.insert(expected.end(), c.calls.begin(), c.calls.end());
            EXPECT_EQ(static_cast<const std::vector<std::string>&>(calls), expected)
                << "page " << c.page << " pass " << pass;
        }
    }
}

TEST_F(PagesTest, RedrawAllocatesNothing) {
    OpenOn("GL-01", DeltaGliderClass());
    vessel->SetAllTankLevels(0.5);
    MFD* mfd = host.DisplayAt(MFD_LEFT)->mfd;
    for (ParametersMode page : {MASS, TANKS, ENGINES}) {
        for (Notation n : {SI, EXP}) {
            S().parametersMode = page;
            S().notation = n;
            S().tankIndex = 1;
            sim::DeviceContext dc;
            dc.recording = false; // the host draws nothing, so every allocation is the module's
            gAllocations = 0;
            gCounting = true;
            mfd->Update(&dc);
            gCounting = false;
            EXPECT_EQ(gAllocations.load(), 0) << "page " << page;
        }
    }
}

} // namespace
