// A long random life of the module in the stand-in host, with a small model beside it of what a
// pilot and the scenario file see: which settings a display shows when it opens, in the cockpit
// or in an external window, what a click shows next, what a redraw repairs and what a scenario
// carries. The model keeps settings the way the scenario file does, by vessel and display id, not
// the way the module does; after every step the two must agree. Each run ends with the
// simulator's fast shutdown.
#include "module_fixture.h"

#include "sim/session.h"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

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

// Where a display is: in the cockpit, by id, or in an external window, by the window's name.
struct Place {
    int cockpit = -1; // 0 … 11; -1 for a window
    std::string window;

    static Place Cockpit(int id) { return {id, {}}; }
    static Place Window(const std::string& name) { return {-1, name}; }
    bool operator==(const Place& o) const { return cockpit == o.cockpit && window == o.window; }
    sim::DisplayRef Ref() const {
        return cockpit >= 0 ? sim::DisplayRef(cockpit) : sim::DisplayRef::Window(window);
    }
    std::string Name() const { return cockpit >= 0 ? std::to_string(cockpit) : "window " + window; }
};

class Model {
public:
    struct Kept {
        Settings settings;
        long made;        // the module lists kept settings in the order they came to be
        long holder = -1; // the open display holding them (by when it opened), -1 when none does
    };
    struct Display {
        Place place;
        int id; // what the host gave the module: the cockpit's id, or the window's address
        Slot shows;
    };
    struct Window {
        std::string name;
        int id;
        std::string vessel;
        bool stuck;
        DWORD width, height;
    };

    std::map<Slot, Kept> kept;
    // By when they opened: two displays may stand for one place, and share an id, for a moment.
    std::map<long, Display> open;
    std::vector<Window> windows; // in the order they opened
    std::map<std::string, VesselShape> shapes;
    std::map<std::string, std::vector<double>> levels;
    size_t handedOn = 0; // closes that passed what they held to another display

    // The display open at a place, -1 when none is; between steps a place has at most one.
    long At(const Place& place) const {
        for (const auto& [display, d] : open)
            if (d.place == place)
                return display;
        return -1;
    }
    bool IsOpen(int id) const { return At(Place::Cockpit(id)) >= 0; }
    const Slot& ShownBy(long display) const { return open.at(display).shows; }
    Settings& SettingsOf(long display) { return kept.at(ShownBy(display)).settings; }
    bool HeldByWindow(const Kept& k) const {
        return k.holder >= 0 && open.at(k.holder).place.cockpit < 0;
    }

    Window* FindWindow(const std::string& name) {
        for (Window& w : windows)
            if (w.name == name)
                return &w;
        return nullptr;
    }

    // A display opens on a vessel: it shows the vessel's settings for its id, taking them from a
    // display that holds them; else the earliest that no display holds, under the id they were
    // kept for; else new settings for its id.
    long Open(const Place& place, int id, const std::string& vessel) {
        const long display = clock++;
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
        kept[slot].holder = display;
        open[display] = Display{place, id, slot};
        return display;
    }

    // A display closes: what it held passes to the earliest opened display that shows it too,
    // or is held by none.
    void Close(long display) {
        const Slot slot = ShownBy(display);
        open.erase(display);
        Release(slot, display);
    }

    // The host puts a new display in a window (on the same vessel or another) before the old
    // one closes, with the window's one id.
    void Replace(Window& w, const std::string& vessel) {
        const long old = At(Place::Window(w.name));
        w.vessel = vessel;
        Open(Place::Window(w.name), w.id, vessel);
        Close(old);
    }

    // A resize: the window's display closes first, then one opens at the new size.
    void Reopen(Window& w, DWORD width, DWORD height) {
        Close(At(Place::Window(w.name)));
        w.width = width;
        w.height = height;
        Open(Place::Window(w.name), w.id, w.vessel);
    }

    // The focus moves to another vessel: every cockpit display closes and opens again there, by
    // id; then each window that follows the focus moves there, in opening order. Gives how many
    // windows moved.
    size_t MoveFocus(const std::string& vessel) {
        std::vector<int> ids;
        for (int id = 0; id < MAXMFD; ++id)
            if (IsOpen(id))
                ids.push_back(id);
        for (int id : ids)
            Close(At(Place::Cockpit(id)));
        for (int id : ids)
            Open(Place::Cockpit(id), id, vessel);
        size_t moved = 0;
        for (Window& w : windows)
            if (!w.stuck && w.vessel != vessel) {
                Replace(w, vessel);
                ++moved;
            }
        return moved;
    }

    // A vessel goes with everything kept for it; then each window showing it, stuck or not,
    // moves to the focus.
    void DeleteVessel(const std::string& vessel, const std::string& focus) {
        for (auto it = kept.begin(); it != kept.end();)
            it = it->first.first == vessel ? kept.erase(it) : std::next(it);
        for (Window& w : windows)
            if (w.vessel == vessel)
                Replace(w, focus);
    }

    // A display whose own status block names another id moves to its vessel's settings for that
    // id (new ones if there are none) and holds them; those it leaves are free if it held them.
    void MoveTo(long display, int id) {
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

    // `display` no longer shows `slot`. Settings that went with their vessel are no one's.
    void Release(const Slot& slot, long display) {
        auto k = kept.find(slot);
        if (k == kept.end() || k->second.holder != display)
            return;
        k->second.holder = -1;
        for (const auto& [other, d] : open) // the earliest opened first
            if (d.shows == slot) {
                k->second.holder = other;
                ++handedOn;
                break;
            }
    }

    // One record of a loaded module block; false if the vessel already keeps settings for the id
    // (the module would keep both, which this model does not follow).
    bool Load(const Record& r) {
        return kept.emplace(Slot{r.vessel, r.id}, Kept{r.settings, clock++}).second;
    }

    // A page showing a tank or thruster the vessel does not have shows the first one, and keeps
    // it selected.
    void Redraw(long display) {
        Settings& s = SettingsOf(display);
        const VesselShape& shape = shapes[ShownBy(display).first];
        if (s.page == kTanks && s.tank >= shape.tanks)
            s.tank = 0;
        if (s.page == kEngines && s.engine >= shape.thrusters)
            s.engine = 0;
    }

    bool Press(long display, int button, int event) {
        const VesselShape& shape = shapes[ShownBy(display).first];
        return Click(SettingsOf(display), button, event, shape.tanks, shape.thrusters);
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

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
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
        session.reset(); // ends the session: displays close, vessels go (not after a fast shutdown)
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

    // The host's record of the display at a place; null when none is open there.
    sim::Instrument* InstrumentAt(const Place& place) {
        if (place.cockpit >= 0)
            return host.DisplayAt(place.cockpit);
        const sim::ExternalWindow* w = host_model::FindExternalWindow(place.window.c_str());
        return w ? w->shown : nullptr;
    }

    KelvaneMfd* DisplayOf(const Place& place) {
        const sim::Instrument* shown = InstrumentAt(place);
        return shown ? static_cast<KelvaneMfd*>(shown->mfd) : nullptr;
    }

    std::vector<int> CockpitIds() const {
        std::vector<int> ids;
        for (int id = 0; id < MAXMFD; ++id)
            if (model.IsOpen(id))
                ids.push_back(id);
        return ids;
    }

    // Any open display, in the cockpit or in a window; -1 when none is.
    long PickDisplay() {
        if (model.open.empty())
            return -1;
        return std::next(model.open.begin(), static_cast<long>(Pick(model.open.size())))->first;
    }

    // Loads a scenario with the session, and the model from what the scenario carries, in the
    // host's order: the old session ends (displays and windows close, vessels go), the ships
    // come, then the module's block, then the displays, each reading the lines after its MODE
    // line. No window comes back.
    void Load(const ScenarioPlan& plan, const std::string& text) {
        sessionsEndedWithWindows += !model.windows.empty();
        model.open.clear();
        model.kept.clear();
        model.windows.clear();
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
            const long display = model.Open(Place::Cockpit(d.id), d.id, plan.focus);
            if (!StatusIsOwn(model.ShownBy(display).second, d.writtenId))
                model.MoveTo(display, d.writtenId);
            model.SettingsOf(display) = d.settings;
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
            model.Open(Place::Cockpit(id), id, focus);
        session->Open(id);
    }

    void CloseStep() {
        const int id = static_cast<int>(Pick(MAXMFD));
        Log("close " + std::to_string(id));
        if (!model.IsOpen(id)) {
            EXPECT_THROW(session->Close(id), sim::SessionError) << History();
            return;
        }
        model.Close(model.At(Place::Cockpit(id)));
        session->Close(id);
    }

    void PressStep() {
        const long display = PickDisplay();
        if (display < 0)
            return;
        const Place place = model.open.at(display).place;
        const int button = static_cast<int>(Pick(16)) - 2; // -2 … 13
        const int event = static_cast<int>(Pick(64));      // any mix of the six mouse bits
        Log("press " + place.Name() + " button " + std::to_string(button) + " event " +
            std::to_string(event));
        const bool expected = model.Press(display, button, event);
        ASSERT_EQ(session->Press(place.Ref(), button, event), expected) << History();
    }

    void RedrawStep() {
        const long display = PickDisplay();
        if (display < 0)
            return;
        const Place place = model.open.at(display).place;
        Log("redraw " + place.Name());
        model.Redraw(display);
        const std::vector<std::string> rows = sim::FrameRows(session->Draw(place.Ref()));
        const std::string& vessel = model.ShownBy(display).first;
        const Settings& s = model.SettingsOf(display);
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
        const std::optional<std::string> label = host.Label(*InstrumentAt(place), 3);
        EXPECT_EQ(label.has_value(), kThirdLabel[s.page] != nullptr) << History();
        if (label && kThirdLabel[s.page]) {
            EXPECT_EQ(*label, kThirdLabel[s.page]) << History();
        }
    }

    // A vessel goes: one that a window shows and the cockpit does not, when there is one;
    // otherwise half the time one a window shows.
    void DeleteVesselStep() {
        const std::vector<sim::Vessel*> vessels = host.Vessels();
        if (vessels.empty())
            return;
        std::string focus = FocusName();
        std::string name = vessels[Pick(vessels.size())]->Name();
        if (const Model::Window* w =
                PickWindow([&](const Model::Window& w) { return w.vessel != focus; }))
            name = w->vessel;
        else if (!model.windows.empty() && Pick(2) == 0)
            name = model.windows[Pick(model.windows.size())].vessel;
        const bool shownAway =
            name != focus && std::any_of(model.windows.begin(), model.windows.end(),
                                         [&](const Model::Window& w) { return w.vessel == name; });
        Log("delete vessel " + name +
            (name == focus ? " (the focus)"
             : shownAway   ? " (a window shows it)"
                           : ""));
        if (name == focus) {
            // The host moves the focus to another vessel first, and keeps the last one.
            if (vessels.size() == 1) {
                EXPECT_THROW(session->DeleteVessel(name), sim::SessionError) << History();
                return;
            }
            focus = vessels[vessels[0]->Name() == name ? 1 : 0]->Name();
            windowsMovedByFocus += model.MoveFocus(focus);
        }
        model.DeleteVessel(name, focus);
        session->DeleteVessel(name);
        shownVesselDeletes += shownAway;
    }

    // Switching the focus to another vessel moves the cockpit's displays and the windows that
    // follow it; switching to the focused vessel changes nothing.
    void FocusStep() {
        if (!host.Vessels().empty())
            Focus(host.Vessels()[Pick(host.Vessels().size())]->Name());
    }

    void Focus(const std::string& vessel) {
        Log("focus " + vessel);
        if (vessel != FocusName())
            windowsMovedByFocus += model.MoveFocus(vessel);
        session->SetFocus(vessel);
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

    // --- windows -----------------------------------------------------------------------------

    static constexpr size_t kWindowNames = 18; // more than the host keeps open at once

    std::string AnyWindowName() { return "W" + std::to_string(1 + Pick(kWindowNames)); }

    // An open window's name; now and then any name, which may be no open window's.
    std::string PickWindowName() {
        if (model.windows.empty() || Pick(10) == 0)
            return AnyWindowName();
        return model.windows[Pick(model.windows.size())].name;
    }

    // One of the open windows `which` accepts, picked at random; null when there is none.
    template <typename Which> const Model::Window* PickWindow(Which which) {
        std::vector<const Model::Window*> found;
        for (const Model::Window& w : model.windows)
            if (which(w))
                found.push_back(&w);
        return found.empty() ? nullptr : found[Pick(found.size())];
    }

    // A window opens on the focus, at the session's display size, with an id of its own; the
    // host refuses a name that is open, and a window beyond the ones it keeps.
    void OpenWindowStep(const std::string& name) {
        const std::string focus = FocusName();
        Log("open window " + name + " on " + focus);
        if (model.FindWindow(name) || model.windows.size() == size_t{host_model::kMaxWindows}) {
            windowsRefused += !model.FindWindow(name);
            EXPECT_THROW(session->OpenWindow(name), sim::SessionError) << History();
            return;
        }
        session->OpenWindow(name);
        const int id = static_cast<int>(session->RequireOpen(sim::DisplayRef::Window(name)).id);
        const sim::SessionOptions& options = session->Options();
        model.windows.push_back(
            {name, id, focus, false, options.displayWidth, options.displayHeight});
        model.Open(Place::Window(name), id, focus);
        ++windowOpens;
    }

    // The pilot opens windows until the host refuses one for being one too many.
    void FillWindowsStep() {
        for (size_t n = 1; n <= kWindowNames; ++n) {
            const std::string name = "W" + std::to_string(n);
            if (model.FindWindow(name))
                continue;
            const bool full = model.windows.size() == size_t{host_model::kMaxWindows};
            OpenWindowStep(name);
            if (full || HasFailure())
                return;
        }
        ADD_FAILURE() << "no window was refused\n" << History();
    }

    void ChooseWindowModeStep() {
        const std::string name = PickWindowName();
        Log("choose Kelvane again on window " + name);
        Model::Window* w = model.FindWindow(name);
        if (!w) {
            EXPECT_THROW(session->ChooseWindowMode(name), sim::SessionError) << History();
            return;
        }
        model.Replace(*w, w->vessel);
        session->ChooseWindowMode(name);
        ++windowRechoices;
    }

    void ResizeWindowStep() {
        static const DWORD kSizes[][2] = {
            {160, 160}, {256, 256}, {300, 200}, {400, 400}, {512, 384}};
        const std::string name = PickWindowName();
        const auto& size = kSizes[Pick(std::size(kSizes))];
        Log("resize window " + name + " to " + std::to_string(size[0]) + "x" +
            std::to_string(size[1]));
        Model::Window* w = model.FindWindow(name);
        if (!w) {
            EXPECT_THROW(session->ResizeWindow(name, size[0], size[1]), sim::SessionError)
                << History();
            return;
        }
        model.Reopen(*w, size[0], size[1]);
        session->ResizeWindow(name, size[0], size[1]);
        ++windowResizes;
    }

    // Sticks a window that follows the focus, or unsticks a stuck one, which moves it to the
    // focus when it shows another vessel; half the time one that does, if there is one.
    void StickWindowStep() {
        const Model::Window* away =
            PickWindow([&](const Model::Window& w) { return w.vessel != FocusName(); });
        const std::string name = away && Pick(2) == 0 ? away->name : PickWindowName();
        Model::Window* w = model.FindWindow(name);
        const bool stuck = !w || !w->stuck;
        Log(std::string(stuck ? "stick" : "unstick") + " window " + name);
        if (!w) {
            EXPECT_THROW(session->StickWindow(name, stuck), sim::SessionError) << History();
            return;
        }
        w->stuck = stuck;
        if (!stuck && w->vessel != FocusName()) {
            model.Replace(*w, FocusName());
            ++windowsMovedByUnsticking;
        }
        session->StickWindow(name, stuck);
    }

    // The pilot sticks a window and flies another vessel than the window's, leaving it behind.
    void LeaveWindowStep() {
        if (model.windows.empty())
            return;
        Model::Window& w = model.windows[Pick(model.windows.size())];
        if (!w.stuck) {
            Log("stick window " + w.name);
            w.stuck = true;
            session->StickWindow(w.name, true);
        }
        std::vector<std::string> others;
        for (const sim::Vessel* v : host.Vessels())
            if (v->Name() != w.vessel)
                others.push_back(v->Name());
        if (!others.empty())
            Focus(others[Pick(others.size())]);
    }

    void CloseWindowStep() {
        const std::string name = PickWindowName();
        Log("close window " + name);
        Model::Window* w = model.FindWindow(name);
        if (!w) {
            EXPECT_THROW(session->CloseWindow(name), sim::SessionError) << History();
            return;
        }
        model.Close(model.At(Place::Window(name)));
        model.windows.erase(model.windows.begin() + (w - model.windows.data()));
        session->CloseWindow(name);
        ++windowCloses;
    }

    // --- saves -------------------------------------------------------------------------------

    // The scenario a save describes, as the model gives it: the vessels, each open cockpit
    // display with the status of its record, and the module's block: in order, every record no
    // display holds or a window's display holds (the host writes no window's status). `byWindow`
    // says which of the block's records a window held.
    ScenarioPlan SavePlan(std::vector<bool>& byWindow) {
        ScenarioPlan plan;
        plan.focus = FocusName();
        for (const auto& v : host.Vessels())
            plan.ships.push_back({v->Name(), v->ClassName(), model.levels[v->Name()]});
        for (int id : CockpitIds()) {
            const long display = model.At(Place::Cockpit(id));
            plan.displays.push_back({id, model.ShownBy(display).second, model.SettingsOf(display)});
        }
        for (const auto& [slot, kept] : model.InOrder()) {
            const bool window = model.HeldByWindow(*kept);
            if (kept->holder >= 0 && !window)
                continue;
            plan.blocks.push_back({slot.first, slot.second, kept->settings});
            byWindow.push_back(window);
        }
        return plan;
    }

    // The saved text holds the plan's block of each cockpit display, no other display block,
    // and exactly the plan's module block.
    void ExpectSaved(const std::vector<std::string>& saved, const ScenarioPlan& plan) {
        for (const DisplayPlan& d : plan.displays) {
            std::vector<std::string> block = {"BEGIN_MFD " + sim::DisplayName(d.id), "  TYPE User",
                                              "  MODE Kelvane"};
            for (const std::string& line : StatusLines({"", d.writtenId, d.settings}))
                block.push_back(line);
            block.push_back("END_MFD");
            ASSERT_TRUE(ContainsRun(saved, block)) << "display " << d.id << "\n" << History();
        }
        const auto displayBlocks = std::count_if(saved.begin(), saved.end(), [](const auto& line) {
            return line.rfind("BEGIN_MFD", 0) == 0;
        });
        ASSERT_EQ(static_cast<size_t>(displayBlocks), plan.displays.size()) << History();
        std::vector<std::string> moduleBlock = {"BEGIN_Kelvane"};
        for (const Record& r : plan.blocks)
            for (const std::string& line : BlockLines(r))
                moduleBlock.push_back(line);
        moduleBlock.push_back("END");
        const auto begin = std::find(saved.begin(), saved.end(), "BEGIN_Kelvane");
        const auto end = std::find(begin, saved.end(), "END");
        const std::vector<std::string> written(begin, end == saved.end() ? end : end + 1);
        ASSERT_TRUE(written == moduleBlock) << "the module's block:\n"
                                            << JoinLines(written) << "the model's:\n"
                                            << JoinLines(moduleBlock) << History();
    }

    // Saves the whole scenario and loads it again. The saved text must hold what the model gives
    // a save; after loading, the module block's records are back as they were, free and in
    // order, and every display that finds its own status line shows the settings it was saved
    // with. The windows are gone, their settings kept in the module's block.
    void SaveAndLoadStep() {
        Log("save and load");
        const std::vector<std::string> saved = SplitText(session->SaveText());
        std::vector<bool> byWindow;
        const ScenarioPlan plan = SavePlan(byWindow);
        ExpectSaved(saved, plan);
        if (HasFatalFailure())
            return;
        windowRecordsSaved +=
            static_cast<size_t>(std::count(byWindow.begin(), byWindow.end(), true));

        Load(plan, JoinLines(saved));
        if (HasFatalFailure())
            return;

        // The block's records come back first, as they were saved, unless a display opening on
        // their vessel took one up and read its own status into it.
        ASSERT_GE(gRegistry->RecordCount(), plan.blocks.size()) << History();
        for (size_t i = 0; i < plan.blocks.size(); ++i) {
            const MfdSettings& loaded = *gRegistry->RecordAt(i);
            bool taken = false;
            for (int id : CockpitIds())
                taken = taken || DisplayOf(Place::Cockpit(id))->Settings() == &loaded;
            if (taken)
                continue;
            ++freeRecordsBack;
            windowRecordsBack += byWindow[i];
            windowRecordsBackNegative += byWindow[i] && loaded.mfdId < 0;
            EXPECT_EQ(gRegistry->OwnerOf(&loaded), nullptr) << History();
            EXPECT_EQ(static_cast<sim::Vessel*>(loaded.vessel)->Name(), plan.blocks[i].vessel);
            EXPECT_EQ(loaded.mfdId, plan.blocks[i].id);
            EXPECT_TRUE(ModuleSettings(loaded) == plan.blocks[i].settings) << History();
        }
        // Every display shows what it was saved with, unless a display opened after it took
        // over its record (the same vessel and id) and read its own status into it.
        std::map<const MfdSettings*, Settings> lastWritten;
        for (const DisplayPlan& d : plan.displays) {
            ASSERT_TRUE(host.IsOpen(d.id)) << History();
            lastWritten[DisplayOf(Place::Cockpit(d.id))->Settings()] = d.settings;
        }
        for (const DisplayPlan& d : plan.displays) {
            const MfdSettings* shown = DisplayOf(Place::Cockpit(d.id))->Settings();
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

    // The simulator's fast shutdown: the save on exit into a file, then opcCloseRenderViewport
    // and the unload with every display open; the process is over. The file holds what the
    // model gives a save.
    void QuitFastStep() {
        Log("fast shutdown");
        const std::string path = (std::filesystem::temp_directory_path() /
                                  ("kelvane-lifetime-" + std::to_string(getpid()) + "-" +
                                   std::to_string(GetParam()) + ".scn"))
                                     .string();
        std::vector<bool> byWindow;
        const ScenarioPlan plan = SavePlan(byWindow);
        session->QuitFast(path);
        ASSERT_TRUE(session->Ended()) << History();
        ASSERT_EQ(gRegistry, nullptr) << History(); // ExitModule ran
        std::ostringstream text;
        {
            std::ifstream in(path, std::ios::binary);
            ASSERT_TRUE(in) << path;
            text << in.rdbuf();
        }
        std::remove(path.c_str());
        ExpectSaved(SplitText(text.str()), plan);
        windowRecordsAtQuit =
            static_cast<size_t>(std::count(byWindow.begin(), byWindow.end(), true));
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
            const auto holder = model.open.find(m->holder);
            const MFD* owner =
                holder != model.open.end() ? DisplayOf(holder->second.place) : nullptr;
            if (registry.OwnerOf(&r) != owner)
                return testing::AssertionFailure()
                       << "record " << i << " owner differs; model says "
                       << (holder != model.open.end() ? holder->second.place.Name() : "none");
        }
        // Every open display, in opening order, is the one at its place and shows its record.
        if (registry.OpenDisplayCount() != model.open.size())
            return testing::AssertionFailure()
                   << "open displays: module " << registry.OpenDisplayCount() << ", model "
                   << model.open.size();
        std::map<const MfdSettings*, std::pair<int, bool>> shownBy; // by how many, a window too
        size_t i = 0;
        for (const auto& [display, d] : model.open) {
            const auto* shown = static_cast<const KelvaneMfd*>(registry.OpenDisplayAt(i++));
            if (shown != DisplayOf(d.place))
                return testing::AssertionFailure()
                       << "open display " << i - 1 << " is not " << d.place.Name();
            if (shown->DisplayId() != d.id)
                return testing::AssertionFailure()
                       << d.place.Name() << " has id " << shown->DisplayId() << ", model " << d.id;
            const auto k = model.kept.find(d.shows);
            if (k == model.kept.end())
                return testing::AssertionFailure()
                       << d.place.Name() << " shows settings the model no longer keeps";
            if (testing::AssertionResult same = SameRecord(k->second.made, shown->Settings());
                !same)
                return same << " (" << d.place.Name() << ")";
            if (!(ModuleSettings(*shown->Settings()) == k->second.settings))
                return testing::AssertionFailure() << d.place.Name() << " shows other settings";
            auto& [displays, window] = shownBy[shown->Settings()];
            ++displays;
            window = window || d.place.cockpit < 0;
        }
        sharedWithWindow += std::any_of(shownBy.begin(), shownBy.end(), [](const auto& record) {
            return record.second.first > 1 && record.second.second;
        });
        for (int id = 0; id < MAXMFD; ++id)
            if (host.IsOpen(id) != model.IsOpen(id))
                return testing::AssertionFailure() << "display " << id << " open differs";
        // The windows, in opening order, each on the vessel and at the size the model gives.
        const host_model::HostState& h = host_model::gHost;
        if (static_cast<size_t>(h.windowCount) != model.windows.size())
            return testing::AssertionFailure()
                   << "windows: host " << h.windowCount << ", model " << model.windows.size();
        for (size_t w = 0; w < model.windows.size(); ++w) {
            const Model::Window& m = model.windows[w];
            const sim::ExternalWindow& shown = h.windows[w];
            if (m.name != shown.name || m.stuck != shown.stuck || !shown.vessel ||
                m.vessel != shown.vessel->Name())
                return testing::AssertionFailure()
                       << "window " << w << " is " << shown.name << (shown.stuck ? " stuck" : "")
                       << ", model " << m.name << " on " << m.vessel << (m.stuck ? " stuck" : "");
            const KelvaneMfd* display = DisplayOf(Place::Window(m.name));
            if (!display || display->Width() != m.width || display->Height() != m.height)
                return testing::AssertionFailure() << "window " << m.name << " has another size";
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
    size_t sharedWithWindow = 0; // steps after which a window and another display showed one record
    size_t windowOpens = 0, windowsRefused = 0, windowRechoices = 0, windowResizes = 0,
           windowCloses = 0;
    size_t windowsMovedByFocus = 0, windowsMovedByUnsticking = 0;
    size_t shownVesselDeletes = 0; // of a vessel that is not the focus, shown by a window
    size_t sessionsEndedWithWindows = 0;
    size_t windowRecordsSaved = 0, windowRecordsBack = 0, windowRecordsBackNegative = 0;
    size_t windowRecordsAtQuit = 0;
};

TEST_P(LifetimeTest, ModuleAndModelAgreeAfterEveryStep) {
    ASSERT_TRUE(Agree()) << "after loading the base scenario";
    const int kSteps = 4000;
    size_t presses = 0, redraws = 0, deletions = 0, loads = 0;
    for (step = 0; step < kSteps; ++step) {
        const size_t roll = Pick(1000);
        if (host.Vessels().size() < 2 || roll < 5) {
            NewScenarioStep();
        } else if (roll < 145) {
            OpenStep();
        } else if (roll < 225) {
            CloseStep();
        } else if (roll < 415) {
            PressStep();
            ++presses;
        } else if (roll < 535) {
            RedrawStep();
            ++redraws;
        } else if (roll < 570) {
            DeleteVesselStep();
            ++deletions;
        } else if (roll < 645) {
            FocusStep();
        } else if (roll < 695) {
            TankStep();
        } else if (roll < 780) {
            OpenWindowStep(AnyWindowName());
        } else if (roll < 785) {
            FillWindowsStep();
        } else if (roll < 825) {
            ChooseWindowModeStep();
        } else if (roll < 865) {
            ResizeWindowStep();
        } else if (roll < 900) {
            StickWindowStep();
        } else if (roll < 925) {
            LeaveWindowStep();
        } else if (roll < 965) {
            CloseWindowStep();
        } else {
            SaveAndLoadStep();
            ++loads;
        }
        if (HasFatalFailure() || HasNonfatalFailure())
            return;
        ASSERT_TRUE(Agree()) << History();
    }
    // The run ends with a window open, whose record only the module's block can keep, and the
    // fast shutdown.
    OpenWindowStep("Last");
    ASSERT_TRUE(Agree()) << History();
    QuitFastStep();
    if (HasFatalFailure() || HasNonfatalFailure())
        return;

    // The run went through what it is meant to: every kind of step, records carried through the
    // module's block, displays given back their settings, and windows opened, refused, chosen
    // again, resized, moved by the focus, unstuck, left on a vessel that went, sharing a record
    // with another display, and carried through saves (ids of 2^31 and more among them).
    EXPECT_GT(presses, 500u);
    EXPECT_GT(redraws, 300u);
    EXPECT_GT(deletions, 50u);
    EXPECT_GT(loads, 100u);
    EXPECT_GT(loadedRecords, 100u);
    EXPECT_GT(restoredDisplays, 100u);
    EXPECT_GT(freeRecordsBack, 100u);
    EXPECT_GT(model.handedOn, 5u);
    EXPECT_GT(windowOpens, 200u);
    EXPECT_GT(windowsRefused, 5u);
    EXPECT_GT(windowRechoices, 30u);
    EXPECT_GT(windowResizes, 30u);
    EXPECT_GT(windowCloses, 30u);
    EXPECT_GT(windowsMovedByFocus, 100u);
    EXPECT_GT(windowsMovedByUnsticking, 3u);
    EXPECT_GT(shownVesselDeletes, 5u);
    EXPECT_GT(sharedWithWindow, 5u);
    EXPECT_GT(sessionsEndedWithWindows, 50u);
    EXPECT_GT(windowRecordsSaved, 100u);
    EXPECT_GT(windowRecordsBack, 100u);
    EXPECT_GT(windowRecordsBackNegative, 30u);
    EXPECT_GT(windowRecordsAtQuit, 0u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, LifetimeTest, testing::Values(1u, 2u, 3u, 42u, 2006u, 60425u));

} // namespace
