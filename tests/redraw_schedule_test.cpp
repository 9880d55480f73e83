// The host's redraw schedule, and the display's request for a redraw when it takes a press.
#include "module_fixture.h"

namespace {

TEST(RedrawSchedule, DueOnSimulationTimeAtMostTenTimesASecondOrWhenAsked) {
    const struct {
        double simSince, realSince;
        bool asked, due;
    } cases[] = {
        {0.5, 0.5, false, true}, // one update interval of simulation time
        {0.49, 0.49, false, false},
        {0.0, 5.0, false, false},  // paused: real time alone brings nothing
        {2.0, 0.05, false, false}, // time acceleration: no more than ten a second of real time
        {2.0, 0.1, false, true},
        {0.0, 0.0, true, true}, // asked: the next frame, paused or not
    };
    for (const auto& c : cases) {
        host_model::RedrawSchedule schedule;
        host_model::HostClock clock;
        clock.simTime = 100;
        clock.realTime = 200;
        host_model::NoteRedrawInSchedule(schedule, clock);
        schedule.asked = c.asked;
        clock.simTime += c.simSince;
        clock.realTime += c.realSince;
        EXPECT_EQ(host_model::ScheduleDue(schedule, clock), c.due)
            << c.simSince << " s simulated, " << c.realSince << " s real, asked " << c.asked;
    }
}

class PausedPressTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        host.AddVessel("Alpha", EmptyClass("Probe"));
        ASSERT_NE(Open(MFD_LEFT), nullptr);
        ASSERT_EQ(host.RunFrame().size(), 1u); // a display just opened is drawn at once
        host.SetPaused(true);
    }
    int Requests() { return host.DisplayAt(MFD_LEFT)->displayInvalidations; }
    size_t RedrawsInAFrame() { return host.RunFrame().size(); }
};

TEST_F(PausedPressTest, OnlyAPressTheDisplayTakesAsksForARedraw) {
    const struct {
        int button, event;
        bool taken;
    } presses[] = {
        {0, PANEL_MOUSE_LBUP, false},      {0, PANEL_MOUSE_RBDOWN, false},
        {0, PANEL_MOUSE_LBPRESSED, false}, {4, PANEL_MOUSE_LBDOWN, false},
        {-1, PANEL_MOUSE_LBDOWN, false},   {1, PANEL_MOUSE_LBDOWN, true},
        {3, PANEL_MOUSE_LBDOWN, true},     {0, PANEL_MOUSE_LBDOWN | PANEL_MOUSE_LBUP, true},
    };
    for (const auto& p : presses) {
        const int before = Requests();
        EXPECT_EQ(host.Press(MFD_LEFT, p.button, p.event), p.taken) << p.button;
        EXPECT_EQ(Requests(), before + (p.taken ? 1 : 0)) << p.button << " " << p.event;
        EXPECT_EQ(RedrawsInAFrame(), p.taken ? 1u : 0u) << p.button << " " << p.event;
        EXPECT_EQ(RedrawsInAFrame(), 0u) << "paused, nothing more is asked";
    }
}

TEST_F(PausedPressTest, ThePressedPageIsWhatTheNextFrameDraws) {
    ASSERT_TRUE(host.Press(MFD_LEFT, 0, PANEL_MOUSE_LBDOWN));
    const std::vector<sim::ScheduledRedraw> redraws = host.RunFrame();
    ASSERT_EQ(redraws.size(), 1u);
    EXPECT_EQ(redraws[0].id, MFD_LEFT);
    EXPECT_EQ(sim::FrameRows(redraws[0].frame)[0], "KelvaneMFD: Tanks");
    host.SetPaused(false);
    for (int frame = 1; frame < 25; ++frame)
        EXPECT_EQ(RedrawsInAFrame(), 0u) << "frame " << frame;
    EXPECT_EQ(RedrawsInAFrame(), 1u) << "0.5 s of simulation time after the last redraw";
}

} // namespace
