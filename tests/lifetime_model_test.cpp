// A long random life of the module in the stand-in host, with a small model of the registry and
// the settings beside it. The model is written from the rules the registry and the buttons
// follow (which record a display takes, what a press changes, what a redraw repairs, what a
// scenario carries), not from the module's code; after every step the two must agree.
#include "module_fixture.h"

#include "sim/session.h"

#include <strings.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <random>
#include <sstream>

namespace {

// ---------------------------------------------------------------------------------------------
// The model

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

struct Record {
    std::string vessel;
    int id = 0;
    Settings settings;
    int owner = -1; // the display that holds it, -1 when free
};

struct VesselShape {
    size_t tanks = 0;
    size_t thrusters = 0;
    std::vector<double> capacities;
};

class Model {
public:
    std::map<int, Record> records;  // every record the registry or a display still refers to
    std::vector<int> registry;      // record keys in registry order
    std::vector<int> openOrder;     // display ids in the order they were opened
    std::array<int, MAXMFD> held{}; // display id -> record key, -1 when closed
    std::array<std::string, MAXMFD> displayVessel;
    std::map<std::string, VesselShape> shapes;
    std::map<std::string, std::vector<double>> levels;

    Model() { held.fill(-1); }

    bool IsOpen(int id) const { return held[id] >= 0; }

    // A display opens on a vessel: the first record of that vessel made for the same id (held
    // or not), else its first free record, else a new one.
    void Attach(int id, const std::string& vessel) {
        int taken = -1;
        for (int key : registry)
            if (records[key].vessel == vessel && records[key].id == id) {
                taken = key;
                break;
            }
        if (taken < 0)
            for (int key : registry)
                if (records[key].vessel == vessel && records[key].owner < 0) {
                    taken = key;
                    break;
                }
        if (taken < 0) {
            taken = nextKey++;
            Record r;
            r.vessel = vessel;
            r.id = id;
            records[taken] = r;
            registry.push_back(taken);
        }
        records[taken].owner = id;
        held[id] = taken;
        displayVessel[id] = vessel;
        openOrder.push_back(id);
    }

    // A display closes: its record becomes free, even if another display still uses it.
    void Detach(int id) {
        const int key = held[id];
        held[id] = -1;
        openOrder.erase(std::find(openOrder.begin(), openOrder.end(), id));
        records[key].owner = -1;
        Forget(key);
    }

    // A vessel goes: its records leave the registry; its displays close afterwards.
    void DeleteVesselRecords(const std::string& vessel) {
        std::vector<int> kept;
        for (int key : registry)
            if (records[key].vessel != vessel)
                kept.push_back(key);
        std::vector<int> dropped;
        for (int key : registry)
            if (records[key].vessel == vessel)
                dropped.push_back(key);
        registry = kept;
        for (int key : dropped)
            Forget(key);
    }

    // A display whose own status block names another id than its record's moves to its
    // vessel's first record of that id (a new one if there is none, or one another display
    // holds); the record it leaves is free again if the display was its owner.
    void Rebind(int display, int id) {
        const std::string vessel = displayVessel[display];
        int target = -1;
        for (int key : registry)
            if (records[key].vessel == vessel && records[key].id == id) {
                target = key;
                break;
            }
        if (target < 0) {
            target = nextKey++;
            Record r;
            r.vessel = vessel;
            r.id = id;
            records[target] = r;
            registry.push_back(target);
        }
        const int current = held[display];
        records[target].owner = display;
        if (current == target)
            return;
        held[display] = target;
        if (records[current].owner == display)
            records[current].owner = -1;
        Forget(current);
    }

    int AppendFree(const std::string& vessel, int id, const Settings& s) {
        const int key = nextKey++;
        Record r;
        r.vessel = vessel;
        r.id = id;
        r.settings = s;
        records[key] = r;
        registry.push_back(key);
        return key;
    }

    // What a press does to the record of an open display; whether the press was taken.
    bool Press(int id, int button, int event) {
        if (!(event & 1) || button < 0 || button > 3)
            return false;
        Settings& s = records[held[id]].settings;
        const VesselShape& shape = shapes[displayVessel[id]];
        switch (button) {
        case 0:
            if (s.page == 0) {
                s.page = 1;
                if (s.massUnit == 1)
                    s.massUnit = 0;
            } else if (s.page == 1) {
                s.page = 2;
            } else {
                s.page = 0;
                if (s.massUnit == 2)
                    s.massUnit = 0;
            }
            break;
        case 1:
            if (s.page == 0)
                s.massUnit = s.massUnit == 0 ? 1 : 0;
            else if (s.page == 1)
                s.massUnit = s.massUnit == 0 ? 2 : 0;
            else
                s.angle = s.angle == 1 ? 0 : 1;
            break;
        case 2:
            s.notation = s.notation == 0 ? 1 : 0;
            break;
        case 3:
            if (s.page == 1) {
                ++s.tank;
                if (s.tank >= shape.tanks)
                    s.tank = 0;
            } else if (s.page == 2) {
                ++s.engine;
                if (s.engine >= shape.thrusters)
                    s.engine = 0;
            }
            break;
        }
        return true;
    }

    // A redraw brings the index its page uses back to 0 when the vessel has no such item.
    void Redraw(int id) {
        Settings& s = records[held[id]].settings;
        const VesselShape& shape = shapes[displayVessel[id]];
        if (s.page == 1 && s.tank >= shape.tanks)
            s.tank = 0;
        if (s.page == 2 && s.engine >= shape.thrusters)
            s.engine = 0;
    }

private:
    // A record that no list and no display refers to any more is gone.
    void Forget(int key) {
        if (std::find(registry.begin(), registry.end(), key) != registry.end())
            return;
        for (int h : held)
            if (h == key)
                return;
        records.erase(key);
    }

    int nextKey = 0;
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
    tons.massUnit = 1;
    Settings wrapped;
    wrapped.page = 1;
    wrapped.tank = 0xFFFFFFFEu;
    plan.blocks = {{"PB-02", 1, engines, -1},
                   {"Ghost-9", 0, tons, -1},
                   {"gl-01", 1, tons, -1},
                   {"SH-03", 5, wrapped, -1},
                   {"GL-01", 0, engines, -1}};
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
        for (int id : OpenIds())
            model.Detach(id);
        for (const auto& v : host.Vessels())
            model.DeleteVesselRecords(v->Name());
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
                if (strcasecmp(ship.name.c_str(), block.vessel.c_str()) == 0)
                    model.AppendFree(ship.name, block.id, block.settings);
        for (const DisplayPlan& d : plan.displays) {
            model.Attach(d.id, plan.focus);
            if (!StatusIsOwn(model.records[model.held[d.id]].id, d.writtenId))
                model.Rebind(d.id, d.writtenId);
            model.records[model.held[d.id]].settings = d.settings;
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
            model.Attach(id, focus);
        session->Open(id);
    }

    void CloseStep() {
        const int id = static_cast<int>(Pick(MAXMFD));
        Log("close " + std::to_string(id));
        if (!model.IsOpen(id)) {
            EXPECT_THROW(session->Close(id), sim::SessionError) << History();
            return;
        }
        model.Detach(id);
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
        const Record& r = model.records[model.held[id]];
        const Settings& s = r.settings;
        static const char* const kTitles[] = {"KelvaneMFD: Mass", "KelvaneMFD: Tanks",
                                              "KelvaneMFD: Engines"};
        ASSERT_GT(rows.size(), 7u) << History();
        EXPECT_EQ(rows[0], kTitles[s.page]) << History();
        EXPECT_EQ(rows[2], "Name: " + r.vessel) << History();
        if (s.page == 1) {
            EXPECT_EQ(rows[5], "Tank " + std::to_string(s.tank + 1)) << History();
            if (s.massUnit == 2) {
                const VesselShape& shape = model.shapes[r.vessel];
                std::string expected = "Divide by zero error.";
                if (s.tank < shape.tanks && shape.capacities[s.tank] != 0) {
                    char text[64];
                    std::snprintf(text, sizeof text, "Current Mass: %8.3f %%",
                                  model.levels[r.vessel][s.tank] * 100);
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
        const std::string name = host.Vessels()[Pick(host.Vessels().size())]->Name();
        Log("delete vessel " + name + (name == FocusName() ? " (with its displays)" : ""));
        model.DeleteVesselRecords(name);
        for (int id = 0; id < MAXMFD; ++id)
            if (model.IsOpen(id) && model.displayVessel[id] == name)
                model.Detach(id);
        session->DeleteVessel(name);
    }

    // Switching the focus to another vessel closes every display and opens it again there, by
    // id; switching to the focused vessel changes nothing.
    void FocusStep() {
        if (host.Vessels().empty())
            return;
        sim::Vessel* vessel = host.Vessels()[Pick(host.Vessels().size())].get();
        Log("focus " + vessel->Name());
        if (vessel->Name() != FocusName()) {
            const std::vector<int> open = OpenIds();
            for (int id : open)
                model.Detach(id);
            for (int id : open)
                model.Attach(id, vessel->Name());
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
            const Record& r = model.records[model.held[id]];
            plan.displays.push_back({id, r.id, r.settings});
            std::vector<std::string> block = {"BEGIN_MFD " + sim::DisplayName(id), "  TYPE User",
                                              "  MODE Kelvane"};
            for (const std::string& line : StatusLines(r))
                block.push_back(line);
            block.push_back("END_MFD");
            ASSERT_TRUE(ContainsRun(saved, block)) << "display " << id << "\n" << History();
        }
        std::vector<std::string> moduleBlock = {"BEGIN_Kelvane"};
        for (int key : model.registry) {
            const Record& r = model.records[key];
            if (r.owner >= 0)
                continue;
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

    // The module's record for a model record: the same object for as long as the model's lives.
    testing::AssertionResult SameRecord(int key, const MfdSettings* record) {
        auto known = identity.find(key);
        if (known == identity.end()) {
            for (const auto& other : identity)
                if (other.second == record)
                    return testing::AssertionFailure()
                           << "one module record stands for two model records";
            identity[key] = record;
            return testing::AssertionSuccess();
        }
        if (known->second != record)
            return testing::AssertionFailure() << "model record " << key << " is another object";
        return testing::AssertionSuccess();
    }

    testing::AssertionResult Agree() {
        for (auto it = identity.begin(); it != identity.end();)
            it = model.records.count(it->first) ? std::next(it) : identity.erase(it);

        const MfdRegistry& registry = *gRegistry;
        if (registry.RecordCount() != model.registry.size())
            return testing::AssertionFailure() << "records: module " << registry.RecordCount()
                                               << ", model " << model.registry.size();
        for (size_t i = 0; i < model.registry.size(); ++i) {
            const int key = model.registry[i];
            const Record& m = model.records[key];
            const MfdSettings& r = *registry.RecordAt(i);
            if (testing::AssertionResult same = SameRecord(key, &r); !same)
                return same << " (record " << i << ")";
            sim::Vessel* vessel = host.FindVessel(m.vessel);
            if (!vessel || r.vessel != static_cast<VESSEL*>(vessel))
                return testing::AssertionFailure() << "record " << i << " is not on " << m.vessel;
            if (r.mfdId != m.id)
                return testing::AssertionFailure()
                       << "record " << i << " id " << r.mfdId << ", model " << m.id;
            if (!(ModuleSettings(r) == m.settings))
                return testing::AssertionFailure()
                       << "record " << i << " settings " << Describe(ModuleSettings(r))
                       << ", model " << Describe(m.settings);
            const MFD* owner = m.owner >= 0 ? host.DisplayAt(m.owner)->mfd : nullptr;
            if (static_cast<const MFD*>(r.owner) != owner)
                return testing::AssertionFailure()
                       << "record " << i << " owner differs; model says display " << m.owner;
        }
        if (registry.OpenDisplayCount() != model.openOrder.size())
            return testing::AssertionFailure()
                   << "open displays: module " << registry.OpenDisplayCount() << ", model "
                   << model.openOrder.size();
        for (size_t i = 0; i < model.openOrder.size(); ++i) {
            const sim::Instrument* shown = host.DisplayAt(model.openOrder[i]);
            if (!shown || static_cast<MFD*>(registry.OpenDisplayAt(i)) != shown->mfd)
                return testing::AssertionFailure()
                       << "open display " << i << " is not display " << model.openOrder[i];
        }
        for (int id = 0; id < MAXMFD; ++id) {
            if (host.IsOpen(id) != model.IsOpen(id))
                return testing::AssertionFailure() << "display " << id << " open differs";
            if (!model.IsOpen(id))
                continue;
            const MfdSettings* record = DisplayOf(id)->Settings();
            if (testing::AssertionResult same = SameRecord(model.held[id], record); !same)
                return same << " (display " << id << ")";
            if (!(ModuleSettings(*record) == model.records[model.held[id]].settings))
                return testing::AssertionFailure() << "display " << id << " shows other settings";
        }
        return testing::AssertionSuccess();
    }

    std::mt19937 rng;
    std::optional<sim::Session> session;
    Model model;
    std::map<int, const MfdSettings*> identity;
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
