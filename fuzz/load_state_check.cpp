// A scenario's ships and its BEGIN_Kelvane block, or any lines at all: the load stops at the
// block's END, keeps only records of vessels that exist, free and with definite settings, saves
// them so that they load back the same, and every page of windows and cockpit displays draws with
// what was loaded.
#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_support.h"

#include "sim/scenario_stream.h"

#include <strings.h>

#include <algorithm>

namespace fuzz {
namespace {

// The vessels of the session: "NAME:CLASS" lines before BEGIN_Kelvane, as in a scenario's ships
// section (at most eight; a DeltaGlider class gets tanks and thrusters, any other none).
struct Vessel {
    std::string name;
    bool glider;
};

std::vector<Vessel> ShipsBefore(const std::vector<std::string>& file, size_t blockStart) {
    std::vector<Vessel> ships;
    for (size_t i = 0; i < blockStart && ships.size() < 8; ++i) {
        const std::string line = sim::ScenarioReader::Clean(file[i]);
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0 || line.find_first_of(" \t") < colon)
            continue; // an item line such as "PRPLEVEL 0:1.000"
        const std::string name = line.substr(0, colon);
        bool known = false;
        for (const Vessel& v : ships)
            known = known || strcasecmp(v.name.c_str(), name.c_str()) == 0;
        if (!known)
            ships.push_back({name, strcasecmp(line.c_str() + colon + 1, "DeltaGlider") == 0});
    }
    return ships;
}

void AddVessels(sim::Host& host, const std::vector<Vessel>& ships) {
    for (const Vessel& v : ships)
        if (!host.FindVessel(v.name))
            host.AddVessel(v.name, v.glider ? GliderClass() : BareClass());
}

// The host's END: the whole cleaned line, so "END" followed by a NUL byte and more is not it.
size_t FirstEnd(const std::vector<std::string>& lines) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string cleaned = sim::ScenarioReader::Clean(lines[i]);
        if (cleaned.size() == 3 && strncasecmp(cleaned.c_str(), "END", 3) == 0)
            return i;
    }
    return lines.size();
}

struct Loaded {
    std::string vessel;
    MfdSettings settings;
};

std::vector<Loaded> Records() {
    std::vector<Loaded> out;
    for (size_t i = 0; i < gRegistry->RecordCount(); ++i) {
        const MfdSettings& r = *gRegistry->RecordAt(i);
        Check(r.vessel != nullptr && host_model::IsLiveVessel(r.vessel),
              "a record kept for a vessel that is not here");
        out.push_back({static_cast<sim::Vessel*>(r.vessel)->Name(), r});
    }
    return out;
}

} // namespace

void CheckLoadState(const uint8_t* data, size_t size) {
    const std::vector<std::string> file = SplitLines(data, size);
    // The host hands the module the lines after BEGIN_Kelvane; input without it is all block.
    size_t begin = file.size();
    for (size_t i = 0; i < file.size() && begin == file.size(); ++i)
        if (strcasecmp(sim::ScenarioReader::Clean(file[i]).c_str(), "BEGIN_Kelvane") == 0)
            begin = i;
    const std::vector<Vessel> ships = ShipsBefore(file, begin);
    const std::vector<std::string> lines(
        file.begin() + static_cast<long>(begin == file.size() ? 0 : begin + 1), file.end());

    LinkedHost world;
    AddVessels(world.host, ships);
    sim::ScenarioReader reader(lines);
    world.host.LoadState(reader);
    Check(reader.Position() <= FirstEnd(lines) + 1, "load read past the block's END");

    const std::vector<Loaded> loaded = Records();
    for (const Loaded& r : loaded)
        Check(ValidSettings(r.settings), "a setting without a definite value",
              Describe(r.settings));
    for (size_t i = 0; i < gRegistry->RecordCount(); ++i)
        Check(!gRegistry->OwnerOf(gRegistry->RecordAt(i)), "a loaded record has an owner");

    // Saved, and loaded by a new session with the same vessels: the same records, in order.
    std::vector<std::string> saved = world.host.SaveState();
    saved.push_back("END");
    world.host.EndSession();
    Check(gRegistry->RecordCount() == 0, "records outlive their vessels");
    AddVessels(world.host, ships);
    sim::ScenarioReader again(saved);
    world.host.LoadState(again);
    const std::vector<Loaded> back = Records();
    Check(back.size() == loaded.size(), "saved records load back as another number",
          std::to_string(loaded.size()) + " / " + std::to_string(back.size()));
    for (size_t i = 0; i < back.size(); ++i) {
        Check(strcasecmp(back[i].vessel.c_str(), loaded[i].vessel.c_str()) == 0,
              "a saved record loads back on another vessel");
        Check(SameSettings(back[i].settings, loaded[i].settings) &&
                  back[i].settings.mfdId == loaded[i].settings.mfdId,
              "a saved record loads back differently",
              Describe(loaded[i].settings) + " / " + Describe(back[i].settings));
    }

    // Displays take the loaded records up and draw every page with them: a window stuck to each
    // vessel, which takes a loaded record when its vessel has a free one, then cockpit displays.
    int windows = 0;
    for (const auto& vessel : world.host.Vessels()) {
        world.host.SetFocus(vessel);
        std::vector<const MfdSettings*> before;
        bool freeRecord = false;
        for (size_t i = 0; i < gRegistry->RecordCount(); ++i) {
            before.push_back(gRegistry->RecordAt(i));
            freeRecord = freeRecord ||
                         (before.back()->vessel == vessel && !gRegistry->OwnerOf(before.back()));
        }
        const std::string name = "W" + std::to_string(windows++);
        host_model::ExternalWindow* window =
            host_model::OpenExternalWindow(name.c_str(), "Kelvane", 256, 256);
        Check(window && window->shown, "window did not open");
        host_model::StickExternalWindow(*window, true);
        const MfdSettings* taken = static_cast<KelvaneMfd*>(window->shown->mfd)->Settings();
        Check(!freeRecord || std::find(before.begin(), before.end(), taken) != before.end(),
              "a window passed over its vessel's free record", name);
        DrawEveryPage(world.host, *window->shown);
        for (int id : {0, 1, 5})
            Check(world.host.OpenDisplay(id, "Kelvane"), "display did not open");
        for (int id : {0, 1, 5})
            DrawEveryPage(world.host, id);
    }
}

} // namespace fuzz
