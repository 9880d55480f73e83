// The four buttons: labels, menu and every transition a press makes.
#include "module_fixture.h"

#include <tuple>

namespace {

class ControlsTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        sim::VesselClass cls = EmptyClass("Probe");
        cls.tankCapacities = {10, 20, 30};
        for (int i = 0; i < 4; ++i)
            cls.thrusters.push_back(Thruster({{0, 0, 1}}, {{0, 0, 1}}, 1, 1, 0));
        host.AddVessel("Alpha", cls);
        display = Open(MFD_LEFT);
        ASSERT_NE(display, nullptr);
    }
    MfdSettings& S() { return *display->Settings(); }
    bool Press(int button, int event = PANEL_MOUSE_LBDOWN) {
        return display->ConsumeButton(button, event);
    }
    KelvaneMfd* display = nullptr;
};

struct Transition {
    int button;
    ParametersMode page;
    MassDisplay mass;
    EnginesDisplay engines;
    ParametersMode pageAfter;
    MassDisplay massAfter;
    EnginesDisplay enginesAfter;
};

TEST_F(ControlsTest, EveryTransitionOfPageAndUnit) {
    const Transition table[] = {
        {0, MASS, KILOGRAMS, RADIANS, TANKS, KILOGRAMS, RADIANS},
        {0, MASS, METRIC_TONS, RADIANS, TANKS, KILOGRAMS, RADIANS},
        {0, MASS, PERCENTAGE, RADIANS, TANKS, PERCENTAGE, RADIANS},
        {0, TANKS, PERCENTAGE, RADIANS, ENGINES, PERCENTAGE, RADIANS},
        {0, TANKS, METRIC_TONS, DEGREES, ENGINES, METRIC_TONS, DEGREES},
        {0, ENGINES, PERCENTAGE, RADIANS, MASS, KILOGRAMS, RADIANS},
        {0, ENGINES, METRIC_TONS, RADIANS, MASS, METRIC_TONS, RADIANS},
        {0, static_cast<ParametersMode>(7), PERCENTAGE, RADIANS, MASS, KILOGRAMS, RADIANS},
        {1, MASS, KILOGRAMS, RADIANS, MASS, METRIC_TONS, RADIANS},
        {1, MASS, METRIC_TONS, RADIANS, MASS, KILOGRAMS, RADIANS},
        {1, MASS, PERCENTAGE, RADIANS, MASS, KILOGRAMS, RADIANS},
        {1, TANKS, KILOGRAMS, RADIANS, TANKS, PERCENTAGE, RADIANS},
        {1, TANKS, PERCENTAGE, RADIANS, TANKS, KILOGRAMS, RADIANS},
        {1, TANKS, METRIC_TONS, RADIANS, TANKS, KILOGRAMS, RADIANS},
        {1, ENGINES, METRIC_TONS, RADIANS, ENGINES, METRIC_TONS, DEGREES},
        {1, ENGINES, PERCENTAGE, DEGREES, ENGINES, PERCENTAGE, RADIANS},
        {1, static_cast<ParametersMode>(-2), PERCENTAGE, DEGREES, static_cast<ParametersMode>(-2),
         PERCENTAGE, DEGREES},
        {3, MASS, METRIC_TONS, DEGREES, MASS, METRIC_TONS, DEGREES},
    };
    for (const Transition& t : table) {
        S().parametersMode = t.page;
        S().massDisplay = t.mass;
        S().enginesDisplay = t.engines;
        EXPECT_TRUE(Press(t.button));
        EXPECT_EQ(S().parametersMode, t.pageAfter) << t.button << " on " << t.page;
        EXPECT_EQ(S().massDisplay, t.massAfter) << t.button << " on " << t.page;
        EXPECT_EQ(S().enginesDisplay, t.enginesAfter) << t.button << " on " << t.page;
    }
}

TEST_F(ControlsTest, ButtonZeroCyclesThePagesAndCarriesPercentageThroughEngines) {
    S().parametersMode = TANKS;
    S().massDisplay = PERCENTAGE;
    Press(0);
    EXPECT_EQ(S().parametersMode, ENGINES);
    Press(0);
    EXPECT_EQ(S().parametersMode, MASS);
    EXPECT_EQ(S().massDisplay, KILOGRAMS);
    Press(0);
    EXPECT_EQ(S().parametersMode, TANKS);
}

TEST_F(ControlsTest, NotationTogglesOnEveryPage) {
    for (ParametersMode page : {MASS, TANKS, ENGINES, static_cast<ParametersMode>(9)}) {
        S().parametersMode = page;
        S().notation = SI;
        EXPECT_TRUE(Press(2));
        EXPECT_EQ(S().notation, EXP);
        Press(2);
        EXPECT_EQ(S().notation, SI);
    }
}

TEST_F(ControlsTest, ButtonThreeStepsTanksAndThrustersAndWraps) {
    S().parametersMode = TANKS;
    for (uint32_t expected : {1u, 2u, 0u, 1u}) {
        EXPECT_TRUE(Press(3));
        EXPECT_EQ(S().tankIndex, expected);
    }
    S().parametersMode = ENGINES;
    for (uint32_t expected : {1u, 2u, 3u, 0u}) {
        Press(3);
        EXPECT_EQ(S().engineIndex, expected);
    }
    // An index read back as a negative number is huge as unsigned and wraps to 0.
    S().parametersMode = TANKS;
    S().tankIndex = static_cast<uint32_t>(-5);
    Press(3);
    EXPECT_EQ(S().tankIndex, 0u);
    S().parametersMode = ENGINES;
    S().engineIndex = 0xFFFFFFFFu;
    Press(3);
    EXPECT_EQ(S().engineIndex, 0u);
}

TEST_F(ControlsTest, ButtonThreeOnAVesselWithoutTanksStaysAtZero) {
    host.AddVessel("Bare", EmptyClass("Bare"));
    host.SetFocus(host.FindVessel("Bare"));
    display = dynamic_cast<KelvaneMfd*>(host.DisplayAt(MFD_LEFT)->mfd);
    S().parametersMode = TANKS;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(Press(3));
        EXPECT_EQ(S().tankIndex, 0u);
    }
    S().parametersMode = ENGINES;
    Press(3);
    EXPECT_EQ(S().engineIndex, 0u);
}

TEST_F(ControlsTest, OnlyAPressOfButtonsZeroToThreeIsTaken) {
    const MfdSettings before = S();
    for (int event : {0, PANEL_MOUSE_RBDOWN, PANEL_MOUSE_LBUP, PANEL_MOUSE_LBPRESSED, 0x3E})
        EXPECT_FALSE(Press(0, event)) << event;
    for (int button : {-1, 4, 100})
        EXPECT_FALSE(Press(button)) << button;
    // Field by field: a byte comparison would read the record's padding, which is never written.
    const auto fields = [](const MfdSettings& s) {
        return std::make_tuple(s.parametersMode, s.massDisplay, s.enginesDisplay, s.notation,
                               s.tankIndex, s.engineIndex, s.vessel, s.mfdId);
    };
    EXPECT_EQ(fields(before), fields(S()));
    // Any mask with the press bit counts.
    EXPECT_TRUE(Press(2, PANEL_MOUSE_LBDOWN | PANEL_MOUSE_RBDOWN));
    EXPECT_EQ(S().notation, EXP);
}

TEST_F(ControlsTest, LabelsFollowThePage) {
    const struct {
        ParametersMode page;
        const char* third;
    } pages[] = {{MASS, nullptr}, {TANKS, "TNK"}, {ENGINES, "ENG"}};
    for (const auto& p : pages) {
        S().parametersMode = p.page;
        EXPECT_STREQ(display->ButtonLabel(0), "MOD");
        EXPECT_STREQ(display->ButtonLabel(1), "UNT");
        EXPECT_STREQ(display->ButtonLabel(2), "NOT");
        if (p.third)
            EXPECT_STREQ(display->ButtonLabel(3), p.third);
        else
            EXPECT_EQ(display->ButtonLabel(3), nullptr);
        EXPECT_EQ(display->ButtonLabel(4), nullptr);
        EXPECT_EQ(display->ButtonLabel(-1), nullptr);
    }
}

TEST_F(ControlsTest, MenuHasFourEntriesOnEveryPage) {
    static_assert(sizeof(MFDBUTTONMENU) == 2 * sizeof(char*) + 1, "entries are packed");
    EXPECT_EQ(display->ButtonMenu(nullptr), 4);
    const char* lines[] = {"Change mode", "Select units", "Changes notation",
                           "Changes tank/engine"};
    for (ParametersMode page : {MASS, TANKS, ENGINES}) {
        S().parametersMode = page;
        const MFDBUTTONMENU* menu = nullptr;
        ASSERT_EQ(display->ButtonMenu(&menu), 4);
        ASSERT_NE(menu, nullptr);
        for (int i = 0; i < 4; ++i) {
            // Entries are packed: copy the fields out before comparing.
            const char* line1 = menu[i].line1;
            const char* line2 = menu[i].line2;
            const char selchar = menu[i].selchar;
            EXPECT_STREQ(line1, lines[i]);
            EXPECT_EQ(line2, nullptr);
            EXPECT_EQ(selchar, 0);
        }
    }
}

} // namespace
