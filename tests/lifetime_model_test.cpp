// A long random life of the module in the stand-in host, with a small model beside it of what a
// pilot and the scenario file see: which settings a display shows when it opens, what a click
// shows next, what a redraw repairs and what a scenario carries. The model keeps settings the way
// the scenario file does, by vessel and display id, not the way the module does; after every
// step the two must agree.
#include "module_fixture.h"

#include "sim/session.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <random>
#include <sstream>

namespace {

// ---------------------------------------------------------------------------------------------
// The model, as a pilot and the scenario file see the module: a vessel keeps settings under the
// display ids they were made or saved for (the VESSEL and MFD_ID of the module's block), each
// open display shows one of them, and the buttons are a table of what a display shows next.

// The six settings, with the numbers the rules give them.
struct Settings {
    int page = 0;     // 0 mass, 1 tanks, 2 engines
    int massUnit = 0; // 0 kilograms, 1 metric tons, 2 percentage
    int angle = 1;    // 0 degrees, 1 radians
    int notation = 1; // 0 exponent form, 1 SI prefixes
    uint32_t tank = 0;
    uint32_t engine = 0;

    bool operator==(const Settings& o) const {
        return page == o.page && massUnit == o.massUnit && angle == o.angle &&
               notation == o.notation && tank == o.tank && engine == o.engine;
    }
};

enum Page { kMass = 0, kTanks = 1, kEngines = 2 };
enum Unit { kKilograms = 0, kTonnes = 1, kPercent = 2 };

// What MOD and UNT show next, for every page with every unit (a scenario may give a page a unit
// that is not its own). UNT on the ENGINES page switches the angle instead.
struct Shown {
    int page, unit;
};
const struct {
    Shown now, afterMod, afterUnt;
} kPageAndUnitButtons[] = {
    // {page, unit shown}, {after MOD}, {after UNT}
    {{kMass, kKilograms}, {kTanks, kKilograms}, {kMass, kTonnes}},
    {{kMass, kTonnes}, {kTanks, kKilograms}, {kMass, kKilograms}},
    {{kMass, kPercent}, {kTanks, kPercent}, {kMass, kKilograms}},
    {{kTanks, kKilograms}, {kEngines, kKilograms}, {kTanks, kPercent}},
    {{kTanks, kTonnes}, {kEngines, kTonnes}, {kTanks, kKilograms}},
    {{kTanks, kPercent}, {kEngines, kPercent}, {kTanks, kKilograms}},
    {{kEngines, kKilograms}, {kMass, kKilograms}, {kEngines, kKilograms}},
    {{kEngines, kTonnes}, {kMass, kTonnes}, {kEngines, kTonnes}},
    {{kEngines, kPercent}, {kMass, kKilograms}, {kEngines, kPercent}},
};

// TNK and ENG: the next one; after the last, or from one the vessel does not have, the first.
uint32_t NextOf(uint32_t shown, size_t count) {
    return uint64_t{shown} + 1 < count ? shown + 1 : 0;
}

// A click of the left mouse button on button 0 … 3 changes what the display shows and is taken;
// any other button or event is not.
bool Click(Settings& s, int button, int event, size_t tanks, size_t thrusters) {
    if (!(event & PANEL_MOUSE_LBDOWN) || button < 0 || button > 3)
        return false;
    if (button == 2) {
        s.notation = 1 - s.notation;
    } else if (button == 3) {
        if (s.page == kTanks)
            s.tank = NextOf(s.tank, tanks);
        if (s.page == kEngines)
            s.engine = NextOf(s.engine, thrusters);
    } else if (button == 1 && s.page == kEngines) {
        s.angle = 1 - s.angle;
    } else {
        for (const auto& row : kPageAndUnitButtons)
            if (row.now.page == s.page && row.now.unit == s.massUnit) {
                const Shown next = button == 0 ? row.afterMod : row.afterUnt;
                s.page = next.page;
                s.massUnit = next.unit;
                break;
            }
    }
    return true;
}

// One record of the module's block, or the status of one display, as the scenario writes it.
struct Record {
    std::string vessel;
    int id = 0;
    Settings settings;
};

struct VesselShape {
    size_t tanks = 0;
    size_t thrusters = 0;
    std::vector<double> capacities;
};

// Where settings are kept: for a vessel, under a display id.
using Slot = std::pair<std::string, int>;

class Model {
public:
    struct Kept {
        Settings settings;
        long made;       // the module lists kept settings in the order they came to be
        int holder = -1; // the open display holding them, -1 when none does
    };
    struct Display {
        Slot shows;
        long opened; // and open displays in the order they opened
    };

    std::map<Slot, Kept> kept;
    std::map<int, Display> open; // by display id
    std::map<std::string, VesselShape> shapes;
    std::map<std::string, std::vector<double>> levels;

    bool IsOpen(int id) const { return open.count(id) != 0; }
    const Slot& ShownBy(int id) const { return open.at(id).shows; }
    Settings& SettingsOf(int id) { return kept.at(ShownBy(id)).settings; }

    // A display opens on a vessel: it shows the vessel's settings for its id, taking them from a
    // display that holds them; else the earliest that no display holds, under the id they were
    // kept for; else new settings for its id.
    void Open(int id, const std::string& vessel) {
        Slot slot{vessel, id};
        if (!kept.count(slot)) {
            const Kept* earliest = nullptr;
            for (const auto& [where, k] : kept)
                if (where.first == vessel && k.holder < 0 &&
                    (!earliest || k.made < earliest->made)) {
                    earliest = &k;
                    slot = where;
                }
            if (!earliest)
                kept[slot] = Kept{Settings{}, clock++};
        }
        kept[slot].holder = id;
        open[id] = Display{slot, clock++};
    }

    // A display closes: what it held passes to the earliest opened display that shows it too,
    // or is held by none.
    void Close(int id) {
        const Slot slot = ShownBy(id);
        open.erase(id);
        Release(slot, id);
    }

    // A vessel goes, with everything kept for it and its displays.
    void DeleteVessel(const std::string& vessel) {
        for (auto it = open.begin(); it != open.end();)
            it = it->second.shows.first == vessel ? open.erase(it) : std::next(it);
        for (auto it = kept.begin(); it != kept.end();)
            it = it->first.first == vessel ? kept.erase(it) : std::next(it);
    }

    // A display whose own status block names another id moves to its vessel's settings for that
    // id (new ones if there are none) and holds them; those it leaves are free if it held them.
    void MoveTo(int display, int id) {
        const Slot from = ShownBy(display);
        const Slot to{from.first, id};
        if (!kept.count(to))
            kept[to] = Kept{Settings{}, clock++};
        kept[to].holder = display;
        if (to == from)
            return;
        open[display].shows = to;
        Release(from, display);
    }

    // `display` no longer shows `slot`.
    void Release(const Slot& slot, int display) {
        Kept& k = kept.at(slot);
        if (k.holder != display)
            return;
        k.holder = -1;
        long earliest = 0;
        for (const auto& [id, d] : open)
            if (d.shows == slot && (k.holder < 0 || d.opened < earliest)) {
                k.holder = id;
                earliest = d.opened;
            }
    }

    // One record of a loaded module block; false if the vessel already keeps settings for the id
    // (the module would keep both, which this model does not follow).
    bool Load(const Record& r) {
        return kept.emplace(Slot{r.vessel, r.id}, Kept{r.settings, clock++}).second;
    }

    // A page showing a tank or thruster the vessel does not have shows the first one, and keeps
    // it selected.
    void Redraw(int id) {
        Settings& s = SettingsOf(id);
        const VesselShape& shape = shapes[ShownBy(id).first];
        if (s.page == kTanks && s.tank >= shape.tanks)
            s.tank = 0;
        if (s.page == kEngines && s.engine >= shape.thrusters)
            s.engine = 0;
    }

    bool Press(int id, int button, int event) {
        const VesselShape& shape = shapes[ShownBy(id).first];
        return Click(SettingsOf(id), button, event, shape.tanks, shape.thrusters);
    }

    // The kept settings in the module's order.
    std::vector<std::pair<Slot, const Kept*>> InOrder() const {
        std::vector<std::pair<Slot, const Kept*>> all;
        for (const auto& [slot, k] : kept)
            all.push_back({slot, &k});
        std::sort(all.begin(), all.end(),
                  [](const auto& a, const auto& b) { return a.second->made < b.second->made; });
        return all;
    }

private:
    long clock = 0;
};

// The scenario texts the rules give for a record: the display's status lines and the module's
// block, as the stand-in host's writer puts an item and its value on a line.
const char* PageWord(int page) {
    return page == 1 ? "TANKS" : page == 2 ? "ENGINES" : "MASS";
}
const char* MassWord(int unit) {
    return unit == 1 ? "METRIC_TONS" : unit == 2 ? "PERCENTAGE" : "KILOGRAMS";
}
const char* AngleWord(int angle) {
    return angle == 0 ? "DEGREES" : "RADIANS";
}
const char* NotationWord(int notation) {
    return notation == 1 ? "SI" : "EXP";
}
std::string Item(const std::string& item, const std::string& value) {
    return "  " + item + " " + value;
}
std::string Number(uint32_t n) {
    return std::to_string(static_cast<int32_t>(n));
}

std::vector<std::string> StatusLines(const Record& r) {
    const Settings& s = r.settings;
    return {Item("MFD_ID", std::to_string(r.id)),       Item("PARAMETERSMODE", PageWord(s.page)),
            Item("TANK_INDEX", Number(s.tank)),         Item("ENGINE_INDEX", Number(s.engine)),
            Item("NOTATION", NotationWord(s.notation)), Item("MASSDISPLAY", MassWord(s.massUnit)),
            Item("ENGINESDISPLAY", AngleWord(s.angle))};
}

std::vector<std::string> BlockLines(const Record& r) {
    const Settings& s = r.settings;
    return {Item("BEGIN_KX_MFD_INFO", ""),
            Item("  VESSEL", r.vessel),
            Item("TANK_INDEX", Number(s.tank)),
            Item("ENGINE_INDEX", Number(s.engine)),
            Item("  MFD_ID", std::to_string(r.id)),
            Item("NOTATION", NotationWord(s.notation)),
            Item("  PARAMETERSMODE", PageWord(s.page)),
            Item("  MASSDISPLAY", MassWord(s.massUnit)),
            Item("  ENGINESDISPLAY", AngleWord(s.angle)),
            Item("END_KX_MFD_INFO", "")};
}

// Whether a status block whose id line says `writtenId` is the own block of a record that
// carries `recordId`: records 0 and 1 go by the first character of the value, the others by the
// whole number. Otherwise the display moves to the record of the written id before it reads.
// The display never reads past its block's END_MFD.
bool StatusIsOwn(int recordId, int writtenId) {
    const char first = std::to_string(writtenId)[0];
    if (recordId == 0)
        return first == '0';
    if (recordId == 1)
        return first == '1';
    return writtenId == recordId;
}

// ---------------------------------------------------------------------------------------------
// Scenarios

const double kLevels[] = {0.0, 0.25, 0.5, 0.75, 1.0};

// What a scenario file carries that the model needs, and the file's text written from it.
struct ShipPlan {
    std::string name;
    std::string className; // a class of the built-in sample, or one without a class file
    std::vector<double> levels;
};

struct DisplayPlan {
    int id;
    int writtenId; // the id line the status carries
    Settings settings;
};

struct ScenarioPlan {
    std::vector<ShipPlan> ships;
    std::string focus;
    std::vector<DisplayPlan> displays; // by id
    std::vector<Record> blocks;        // the module's block; a vessel may be absent
};

std::string ScenarioText(const ScenarioPlan& plan) {
    std::vector<std::string> lines = {"BEGIN_DESC",  "Kelvane lifetime test", "END_DESC",  "",
                                      "BEGIN_FOCUS", "  Ship " + plan.focus,  "END_FOCUS", ""};
    for (const DisplayPlan& d : plan.displays) {
        lines.push_back("BEGIN_MFD " + sim::DisplayName(d.id));
        lines.push_back("  TYPE User");
        lines.push_back("  MODE Kelvane");
        Record r;
        r.id = d.writtenId;
        r.settings = d.settings;
        for (const std::string& line : StatusLines(r))
            lines.push_back(line);
        lines.push_back("END_MFD");
    }
    lines.push_back("BEGIN_SHIPS");
    for (const ShipPlan& ship : plan.ships) {
        lines.push_back(ship.name + ":" + ship.className);
        lines.push_back("  STATUS Landed Earth");
        std::string levels;
        for (size_t t = 0; t < ship.levels.size(); ++t) {
            char text[32];
            std::snprintf(text, sizeof text, " %zu:%.3f", t, ship.levels[t]);
            levels += text;
        }
        if (!levels.empty())
            lines.push_back("  PRPLEVEL" + levels);
        lines.push_back("END");
    }
    lines.push_back("END_SHIPS");
    lines.push_back("BEGIN_Kelvane");
    for (const Record& r : plan.blocks)
        for (const std::string& line : BlockLines(r))
            lines.push_back(line);
    lines.push_back("END");
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// The scenario every run starts from, and starts again from when its vessels are used up: the
// sample's classes, one class without a file (no tanks, no thrusters), displays whose status
// lines match their records or do not, and a module block with a vessel that is not there and
// one named in other letter case.
ScenarioPlan BasePlan() {
    ScenarioPlan plan;
    plan.ships = {{"GL-01", "DeltaGlider", {1.0, 0.5}},
                  {"PB-02", "ShuttlePB", {0.75}},
                  {"SH-03", "ShuttleA", {0.25, 1.0}},
                  {"CP-04", "CargoPod", {}},
                  {"XR-05", "Mystery", {}}};
    plan.focus = "GL-01";
    Settings tanks;
    tanks.page = 1;
    tanks.massUnit = 2;
    tanks.tank = 1;
    Settings engines;
    engines.page = 2;
    engines.angle = 0;
    engines.notation = 0;
    engines.engine = 20;
    plan.displays = {{0, 0, tanks}, {1, 11, engines}, {4, 3, tanks}, {6, 6, engines}};
    Settings tons;
    tons.massUnit = kTonnes;
    // Units a page does not offer itself, as a hand-edited file may give them.
    Settings percentOnMass;
    percentOnMass.massUnit = kPercent;
    Settings wrapped;
    wrapped.page = kTanks;
    wrapped.massUnit = kTonnes;
    wrapped.tank = 0xFFFFFFFEu;
    plan.blocks = {{"PB-02", 1, engines}, {"Ghost-9", 0, tons},        {"gl-01", 1, tons},
                   {"SH-03", 5, wrapped}, {"SH-03", 2, percentOnMass}, {"GL-01", 0, engines}};
    return plan;
}

std::vector<std::string> SplitText(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool ContainsRun(const std::vector<std::string>& lines, const std::vector<std::string>& run) {
    return std::search(lines.begin(), lines.end(), run.begin(), run.end()) != lines.end();
}

// ---------------------------------------------------------------------------------------------
// The run

class LifetimeTest : public ModuleTest, public testing::WithParamInterface<unsigned> {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        rng.seed(GetParam());
        session.emplace(host, sim::SessionOptions{});
        Load(BasePlan(), ScenarioText(BasePlan()));
    }

    void TearDown() override {
        session.reset(); // ends the session: displays close, vessels go
        ModuleTest::TearDown();
    }

    size_t Pick(size_t n) { return static_cast<size_t>(rng() % n); }

    void Log(const std::string& what) {
        history.push_back(what);
        if (history.size() > 25)
            history.pop_front();
    }

    std::string History() const {
        std::string text = "seed " + std::to_string(GetParam()) + ", step " + std::to_string(step) +
                           "; last steps:\n";
        for (const std::string& h : history)
            text += "  " + h + "\n";
        return text;
    }

    std::string FocusName() const { return host.Focus() ? host.Focus()->Name() : std::string(); }

    KelvaneMfd* DisplayOf(int id) { return static_cast<KelvaneMfd*>(host.DisplayAt(id)->mfd); }

    std::vector<int> OpenIds() const {
        std::vector<int> ids;
        for (int id = 0; id < MAXMFD; ++id)
            if (model.IsOpen(id))
                ids.push_back(id);
        return ids;
    }

    // Loads a scenario with the session, and the model from what the scenario carries, in the
    // host's order: the old session ends (displays close by id, vessels go), the ships come,
    // then the module's block, then the displays, each reading the lines after its MODE line.
    void Load(const ScenarioPlan& plan, const std::string& text) {
        model.open.clear();
        model.kept.clear();
        session->LoadText(text, "");
        ASSERT_EQ(host.Vessels().size(), plan.ships.size());
        for (size_t i = 0; i < plan.ships.size(); ++i) {
            const sim::Vessel& v = *host.Vessels()[i];
            ASSERT_EQ(v.Name(), plan.ships[i].name);
            VesselShape shape;
            shape.tanks = v.TankCount();
            shape.thrusters = v.ThrusterCount();
            for (size_t t = 0; t < v.TankCount(); ++t)
                shape.capacities.push_back(v.TankAt(t).capacity);
            model.shapes[v.Name()] = shape;
            std::vector<double> levels = plan.ships[i].levels;
            levels.resize(shape.tanks, 0.0);
            model.levels[v.Name()] = levels;
        }
        for (const Record& block : plan.blocks)
            for (const ShipPlan& ship : plan.ships)
                if (strcasecmp(ship.name.c_str(), block.vessel.c_str()) == 0) {
                    ASSERT_TRUE(model.Load({ship.name, block.id, block.settings})) << History();
                }
        for (const DisplayPlan& d : plan.displays) {
            model.Open(d.id, plan.focus);
            if (!StatusIsOwn(model.ShownBy(d.id).second, d.writtenId))
                model.MoveTo(d.id, d.writtenId);
            model.SettingsOf(d.id) = d.settings;
        }
        loadedRecords += gRegistry->RecordCount();
    }

    // --- steps -------------------------------------------------------------------------------

    void OpenStep() {
        const int id = static_cast<int>(Pick(MAXMFD));
        const std::string focus = FocusName();
        Log("open " + std::to_string(id) + " on " + (focus.empty() ? "(no vessel)" : focus));
        if (!model.IsOpen(id) && focus.empty()) {
            EXPECT_THROW(session->Open(id), sim::SessionError) << History();
            return;
        }
        if (!model.IsOpen(id))
            model.Open(id, focus);
        session->Open(id);
    }

    void CloseStep() {
        const int id = static_cast<int>(Pick(MAXMFD));
        Log("close " + std::to_string(id));
        if (!model.IsOpen(id)) {
            EXPECT_THROW(session->Close(id), sim::SessionError) << History();
            return;
        }
        model.Close(id);
        session->Close(id);
    }

    void PressStep() {
        const std::vector<int> open = OpenIds();
        if (open.empty())
            return;
        const int id = open[Pick(open.size())];
        const int button = static_cast<int>(Pick(16)) - 2; // -2 … 13
        const int event = static_cast<int>(Pick(64));      // any mix of the six mouse bits
        Log("press " + std::to_string(id) + " button " + std::to_string(button) + " event " +
            std::to_string(event));
        const bool expected = model.Press(id, button, event);
        ASSERT_EQ(session->Press(id, button, event), expected) << History();
    }

    void RedrawStep() {
        const std::vector<int> open = OpenIds();
        if (open.empty())
            return;
        const int id = open[Pick(open.size())];
        Log("redraw " + std::to_string(id));
        model.Redraw(id);
        const std::vector<std::string> rows = sim::FrameRows(session->Draw(id));
        const std::string& vessel = model.ShownBy(id).first;
        const Settings& s = model.SettingsOf(id);
        static const char* const kTitles[] = {"KelvaneMFD: Mass", "KelvaneMFD: Tanks",
                                              "KelvaneMFD: Engines"};
        ASSERT_GT(rows.size(), 5u) << History();
        EXPECT_EQ(rows[0], kTitles[s.page]) << History();
        EXPECT_EQ(rows[2], "Name: " + vessel) << History();
        const VesselShape& shape = model.shapes[vessel];
        if (s.page == 1 && shape.tanks == 0) {
            EXPECT_EQ(rows[5], "No Tanks") << History();
            EXPECT_EQ(rows.size(), 6u) << History();
        } else if (s.page == 2 && shape.thrusters == 0) {
            EXPECT_EQ(rows[5], "No Engines") << History();
            EXPECT_EQ(rows.size(), 6u) << History();
        } else if (s.page == 1) {
            ASSERT_GT(rows.size(), 7u) << History();
            EXPECT_EQ(rows[5], "Tank " + std::to_string(s.tank + 1)) << History();
            if (s.massUnit == 2) {
                std::string expected = "Divide by zero error.";
                if (s.tank < shape.tanks && shape.capacities[s.tank] != 0) {
                    char text[64];
                    std::snprintf(text, sizeof text, "Current Mass: %8.3f %%",
                                  model.levels[vessel][s.tank] * 100);
                    expected = text;
                }
                EXPECT_EQ(rows[7], expected) << History();
            }
        } else if (s.page == 2) {
            EXPECT_EQ(rows[5], "Engine " + std::to_string(s.engine + 1)) << History();
        }
        const char* const kThirdLabel[] = {nullptr, "TNK", "ENG"};
        const std::optional<std::string> label = host.Label(id, 3);
        EXPECT_EQ(label.has_value(), kThirdLabel[s.page] != nullptr) << History();
        if (label && kThirdLabel[s.page]) {
            EXPECT_EQ(*label, kThirdLabel[s.page]) << History();
        }
    }

    void DeleteVesselStep() {
        if (host.Vessels().empty())
            return;
        const std::vector<sim::Vessel*> vessels = host.Vessels();
        const std::string name = vessels[Pick(vessels.size())]->Name();
        Log("delete vessel " + name + (name == FocusName() ? " (the focus)" : ""));
        if (name == FocusName()) {
            // The host moves the focus to another vessel first, and keeps the last one.
            if (vessels.size() == 1) {
                EXPECT_THROW(session->DeleteVessel(name), sim::SessionError) << History();
                return;
            }
            const std::string next = vessels[vessels[0]->Name() == name ? 1 : 0]->Name();
            const std::vector<int> open = OpenIds();
            for (int id : open)
                model.Close(id);
            for (int id : open)
                model.Open(id, next);
        }
        model.DeleteVessel(name);
        session->DeleteVessel(name);
    }

    // Switching the focus to another vessel closes every display and opens it again there, by
    // id; switching to the focused vessel changes nothing.
    void FocusStep() {
        if (host.Vessels().empty())
            return;
        sim::Vessel* vessel = host.Vessels()[Pick(host.Vessels().size())];
        Log("focus " + std::string(vessel->Name()));
        if (vessel->Name() != FocusName()) {
            const std::vector<int> open = OpenIds();
            for (int id : open)
                model.Close(id);
            for (int id : open)
                model.Open(id, vessel->Name());
        }
        session->SetFocus(vessel->Name());
    }

    void TankStep() {
        if (host.Vessels().empty())
            return;
        sim::Vessel& vessel = *host.Vessels()[Pick(host.Vessels().size())];
        if (vessel.TankCount() == 0)
            return;
        const size_t tank = Pick(vessel.TankCount());
        const double level = kLevels[Pick(5)];
        Log("tank " + std::to_string(tank) + " of " + vessel.Name() + " to " +
            std::to_string(level));
        session->SetTankLevel(vessel.Name(), tank, level);
        model.levels[vessel.Name()][tank] = level;
    }

    // Saves the whole scenario and loads it again. The saved text must hold each open display's
    // block with the status the model gives its record, and the module's block with every free
    // record; after loading, the free records are back as they were, in order, and every display
    // that finds its own status line shows the settings it was saved with.
    void SaveAndLoadStep() {
        Log("save and load");
        const std::vector<std::string> saved = SplitText(session->SaveText());

        ScenarioPlan plan;
        plan.focus = FocusName();
        for (const auto& v : host.Vessels())
            plan.ships.push_back({v->Name(), v->ClassName(), model.levels[v->Name()]});
        for (int id : OpenIds()) {
            const Record r{model.ShownBy(id).first, model.ShownBy(id).second, model.SettingsOf(id)};
            plan.displays.push_back({id, r.id, r.settings});
            std::vector<std::string> block = {"BEGIN_MFD " + sim::DisplayName(id), "  TYPE User",
                                              "  MODE Kelvane"};
            for (const std::string& line : StatusLines(r))
                block.push_back(line);
            block.push_back("END_MFD");
            ASSERT_TRUE(ContainsRun(saved, block)) << "display " << id << "\n" << History();
        }
        std::vector<std::string> moduleBlock = {"BEGIN_Kelvane"};
        for (const auto& [slot, kept] : model.InOrder()) {
            if (kept->holder >= 0)
                continue;
            const Record r{slot.first, slot.second, kept->settings};
            plan.blocks.push_back(r);
            for (const std::string& line : BlockLines(r))
                moduleBlock.push_back(line);
        }
        moduleBlock.push_back("END");
        ASSERT_TRUE(ContainsRun(saved, moduleBlock)) << History();

        std::string text;
        for (const std::string& line : saved)
            text += line + "\n";
        Load(plan, text);
        if (HasFatalFailure())
            return;

        // The free records come back first, as they were saved, unless a display opening on
        // their vessel took one up and read its own status into it.
        ASSERT_GE(gRegistry->RecordCount(), plan.blocks.size()) << History();
        for (size_t i = 0; i < plan.blocks.size(); ++i) {
            const MfdSettings& loaded = *gRegistry->RecordAt(i);
            bool taken = false;
            for (int id : OpenIds())
                taken = taken || DisplayOf(id)->Settings() == &loaded;
            if (taken)
                continue;
            ++freeRecordsBack;
            EXPECT_EQ(static_cast<sim::Vessel*>(loaded.vessel)->Name(), plan.blocks[i].vessel);
            EXPECT_EQ(loaded.mfdId, plan.blocks[i].id);
            EXPECT_TRUE(ModuleSettings(loaded) == plan.blocks[i].settings) << History();
        }
        // Every display shows what it was saved with, unless a display opened after it took
        // over its record (the same vessel and id) and read its own status into it.
        std::map<const MfdSettings*, Settings> lastWritten;
        for (const DisplayPlan& d : plan.displays) {
            ASSERT_TRUE(host.IsOpen(d.id)) << History();
            lastWritten[DisplayOf(d.id)->Settings()] = d.settings;
        }
        for (const DisplayPlan& d : plan.displays) {
            const MfdSettings* shown = DisplayOf(d.id)->Settings();
            EXPECT_TRUE(ModuleSettings(*shown) == lastWritten[shown]) << "display " << d.id << "\n"
                                                                      << History();
            if (ModuleSettings(*shown) == d.settings)
                ++restoredDisplays;
        }
    }

    // Starts again from the base scenario, as a pilot loading another scenario would.
    void NewScenarioStep() {
        Log("load the base scenario");
        Load(BasePlan(), ScenarioText(BasePlan()));
    }

    // --- comparison --------------------------------------------------------------------------

    static Settings ModuleSettings(const MfdSettings& s) {
        Settings out;
        out.page = static_cast<int>(s.parametersMode);
        out.massUnit = static_cast<int>(s.massDisplay);
        out.angle = static_cast<int>(s.enginesDisplay);
        out.notation = static_cast<int>(s.notation);
        out.tank = s.tankIndex;
        out.engine = s.engineIndex;
        return out;
    }

    static std::string Describe(const Settings& s) {
        std::ostringstream text;
        text << "{page " << s.page << ", mass " << s.massUnit << ", angle " << s.angle
             << ", notation " << s.notation << ", tank " << s.tank << ", engine " << s.engine
             << "}";
        return text.str();
    }

    // The module's record for kept settings: the same object for as long as they are kept.
    testing::AssertionResult SameRecord(long made, const MfdSettings* record) {
        auto known = identity.find(made);
        if (known == identity.end()) {
            for (const auto& other : identity)
                if (other.second == record)
                    return testing::AssertionFailure()
                           << "one module record stands for two kept settings";
            identity[made] = record;
            return testing::AssertionSuccess();
        }
        if (known->second != record)
            return testing::AssertionFailure() << "kept settings " << made << " are another object";
        return testing::AssertionSuccess();
    }

    testing::AssertionResult Agree() {
        const auto kept = model.InOrder();
        std::map<long, const MfdSettings*> stillKept;
        for (const auto& entry : kept)
            if (identity.count(entry.second->made))
                stillKept[entry.second->made] = identity[entry.second->made];
        identity = stillKept;

        const MfdRegistry& registry = *gRegistry;
        if (registry.RecordCount() != kept.size())
            return testing::AssertionFailure()
                   << "records: module " << registry.RecordCount() << ", model " << kept.size();
        for (size_t i = 0; i < kept.size(); ++i) {
            const auto& [slot, m] = kept[i];
            const MfdSettings& r = *registry.RecordAt(i);
            if (testing::AssertionResult same = SameRecord(m->made, &r); !same)
                return same << " (record " << i << ")";
            sim::Vessel* vessel = host.FindVessel(slot.first);
            if (!vessel || r.vessel != static_cast<VESSEL*>(vessel))
                return testing::AssertionFailure() << "record " << i << " is not on " << slot.first;
            if (r.mfdId != slot.second)
                return testing::AssertionFailure()
                       << "record " << i << " id " << r.mfdId << ", model " << slot.second;
            if (!(ModuleSettings(r) == m->settings))
                return testing::AssertionFailure()
                       << "record " << i << " settings " << Describe(ModuleSettings(r))
                       << ", model " << Describe(m->settings);
            const MFD* owner = m->holder >= 0 ? host.DisplayAt(m->holder)->mfd : nullptr;
            if (static_cast<const MFD*>(r.owner) != owner)
                return testing::AssertionFailure()
                       << "record " << i << " owner differs; model says display " << m->holder;
        }
        std::vector<std::pair<long, int>> opened; // when, which display
        for (const auto& [id, d] : model.open)
            opened.push_back({d.opened, id});
        std::sort(opened.begin(), opened.end());
        if (registry.OpenDisplayCount() != opened.size())
            return testing::AssertionFailure()
                   << "open displays: module " << registry.OpenDisplayCount() << ", model "
                   << opened.size();
        for (size_t i = 0; i < opened.size(); ++i) {
            const sim::Instrument* shown = host.DisplayAt(opened[i].second);
            if (!shown || static_cast<MFD*>(registry.OpenDisplayAt(i)) != shown->mfd)
                return testing::AssertionFailure()
                       << "open display " << i << " is not display " << opened[i].second;
        }
        for (int id = 0; id < MAXMFD; ++id) {
            if (host.IsOpen(id) != model.IsOpen(id))
                return testing::AssertionFailure() << "display " << id << " open differs";
            if (!model.IsOpen(id))
                continue;
            const MfdSettings* record = DisplayOf(id)->Settings();
            if (testing::AssertionResult same =
                    SameRecord(model.kept.at(model.ShownBy(id)).made, record);
                !same)
                return same << " (display " << id << ")";
            if (!(ModuleSettings(*record) == model.SettingsOf(id)))
                return testing::AssertionFailure() << "display " << id << " shows other settings";
        }
        return testing::AssertionSuccess();
    }

    std::mt19937 rng;
    std::optional<sim::Session> session;
    Model model;
    std::map<long, const MfdSettings*> identity; // kept settings, by when they were made
    std::deque<std::string> history;
    int step = 0;
    size_t loadedRecords = 0;
    size_t restoredDisplays = 0;
    size_t freeRecordsBack = 0;
};

TEST_P(LifetimeTest, ModuleAndModelAgreeAfterEveryStep) {
    ASSERT_TRUE(Agree()) << "after loading the base scenario";
    const int kSteps = 4000;
    size_t presses = 0, redraws = 0, deletions = 0, loads = 0;
    for (step = 0; step < kSteps; ++step) {
        const size_t roll = Pick(1000);
        if (host.Vessels().size() < 2 || roll < 5) {
            NewScenarioStep();
        } else if (roll < 220) {
            OpenStep();
        } else if (roll < 340) {
            CloseStep();
        } else if (roll < 620) {
            PressStep();
            ++presses;
        } else if (roll < 780) {
            RedrawStep();
            ++redraws;
        } else if (roll < 810) {
            DeleteVesselStep();
            ++deletions;
        } else if (roll < 860) {
            FocusStep();
        } else if (roll < 950) {
            TankStep();
        } else {
            SaveAndLoadStep();
            ++loads;
        }
        if (HasFatalFailure() || HasNonfatalFailure())
            return;
        ASSERT_TRUE(Agree()) << History();
    }
    // The run went through what it is meant to: every kind of step, records carried through the
    // module's block and displays given back their settings.
    EXPECT_GT(presses, 500u);
    EXPECT_GT(redraws, 300u);
    EXPECT_GT(deletions, 50u);
    EXPECT_GT(loads, 100u);
    EXPECT_GT(loadedRecords, 100u);
    EXPECT_GT(restoredDisplays, 100u);
    EXPECT_GT(freeRecordsBack, 100u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, LifetimeTest, testing::Values(1u, 2u, 3u, 42u, 2006u, 60425u));

} // namespace
