// Any scenario text: the reader either names the file and line of a fault or the session starts
// from it (ships, the module's block, the displays with their status). A pilot then works
// external windows in steps drawn from the input; every display draws, and what the session
// saves keeps every display's block, holds each window's record, and reads back and starts a
// session again, twice over.
#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_support.h"

#include "sim/scenario_file.h"
#include "sim/session.h"

#include <strings.h>

#include <array>

namespace fuzz {
namespace {

bool NamesFile(const std::exception& e, const char* path) {
    return std::string(e.what()).rfind(path, 0) == 0;
}

bool IsKelvane(const std::optional<std::string>& mode) {
    return mode && strcasecmp(mode->c_str(), "Kelvane") == 0;
}

using OpenSet = std::array<bool, MAXMFD>;

OpenSet OpenDisplays(sim::Host& host) {
    OpenSet open{};
    for (int id = 0; id < MAXMFD; ++id)
        open[id] = host.IsOpen(id);
    return open;
}

// A BEGIN_MFD block of the input, and whether the host may have opened it: only then may a save
// write it anew; any other must come back word for word.
struct InputBlock {
    const sim::DisplayBlock* block;
    bool mayOpen;
};

std::vector<InputBlock> InputBlocks(const sim::ScenarioFile& file, const OpenSet& open) {
    std::vector<InputBlock> blocks;
    for (const sim::DisplayBlock& b : file.displays) {
        // The host finds a block by its raw line's start and reads that line into 256 bytes.
        const std::string& begin = b.lines.front();
        const bool found = begin.size() < host_model::kHostLineSize &&
                           strncasecmp(begin.c_str(), "BEGIN_MFD ", 10) == 0;
        blocks.push_back({&b, found && IsKelvane(b.userMode) && open[b.id]});
    }
    return blocks;
}

// Window names are the check's own: W0, W1 …, new for each window of a session.
struct Pilot {
    uint64_t state;
    int windowsMade = 0;

    unsigned Next(unsigned n) {
        // splitmix64: every bit of the input's hash reaches each choice.
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<unsigned>((z ^ (z >> 31)) % n);
    }
};

uint64_t HashOf(const uint8_t* data, size_t size) {
    uint64_t h = 0xCBF29CE484222325ull; // FNV-1a
    for (size_t i = 0; i < size; ++i)
        h = (h ^ data[i]) * 0x100000001B3ull;
    return h;
}

// A refused step is a broken promise: each one is taken only where the host allows it.
template <typename Step> void Take(const char* what, Step step) {
    try {
        step();
    } catch (const sim::SessionError& e) {
        Fail(what, e.what());
    }
}

// A vessel by a name that finds it and no other (the host's ship reading and the scenario's may
// disagree on what ships there are, and names are looked up in any case).
bool FoundByName(sim::Host& host, const sim::Vessel* v) {
    return host.FindVessel(v->Name()) == v;
}

// One step on the window `name`, or with a vessel a window shows.
void TakeStep(sim::Session& session, Pilot& pilot, unsigned step, const std::string& name) {
    sim::Host& host = session.GetHost();
    const auto& windows = host_model::gHost.windows;
    switch (step) {
    case 2: {
        const std::vector<sim::Vessel*> vessels = host.Vessels();
        sim::Vessel* v = vessels[pilot.Next(static_cast<unsigned>(vessels.size()))];
        if (FoundByName(host, v))
            session.SetFocus(v->Name());
        break;
    }
    case 3:
        // A vessel some window shows that is not the focus: the window moves off it.
        for (int w = 0; w < host_model::gHost.windowCount; ++w)
            if (windows[w].vessel != host.Focus() && FoundByName(host, windows[w].vessel)) {
                session.DeleteVessel(windows[w].vessel->Name());
                break;
            }
        break;
    case 4:
        session.ChooseWindowMode(name);
        break;
    case 5:
        session.ResizeWindow(name, 128 + pilot.Next(897), 128 + pilot.Next(897));
        break;
    case 6:
        session.CloseWindow(name);
        break;
    case 7:
        for (unsigned press = 1 + pilot.Next(3); press > 0; --press)
            session.Press(sim::DisplayRef::Window(name), static_cast<int>(pilot.Next(5)),
                          PANEL_MOUSE_LBDOWN);
        break;
    default:
        session.StickWindow(name, !host_model::FindExternalWindow(name.c_str())->stuck);
        break;
    }
}

// A few steps a pilot takes with external windows, each a choice drawn from the input.
void WorkWindows(sim::Session& session, Pilot& pilot) {
    sim::Host& host = session.GetHost();
    if (!host.Focus())
        return; // no vessel: no window can open
    auto& windows = host_model::gHost.windows;
    const int& count = host_model::gHost.windowCount;
    const unsigned steps = 2 + pilot.Next(4);
    for (unsigned i = 0; i < steps; ++i) {
        const unsigned step = pilot.Next(9);
        if (step <= 1 || count == 0) {
            if (count == host_model::kMaxWindows)
                continue;
            const std::string name = "W" + std::to_string(pilot.windowsMade++);
            Take("a window did not open", [&] {
                session.OpenWindow(name);
                if (step == 1)
                    session.StickWindow(name, true);
            });
            continue;
        }
        const std::string name = windows[pilot.Next(static_cast<unsigned>(count))].name;
        Take("a window step was refused", [&] { TakeStep(session, pilot, step, name); });
    }
}

// The host's vessels by name, in order.
std::vector<std::string> VesselNames(sim::Host& host) {
    std::vector<std::string> names;
    for (const sim::Vessel* vessel : host.Vessels())
        names.push_back(vessel->Name());
    return names;
}

void DrawEveryDisplay(sim::Host& host) {
    for (int id = 0; id < MAXMFD; ++id)
        if (host.IsOpen(id))
            DrawEveryPage(host, id);
    for (int w = 0; w < host_model::gHost.windowCount; ++w) {
        sim::Instrument* shown = host_model::gHost.windows[w].shown;
        Check(shown != nullptr, "a window shows no display");
        DrawEveryPage(host, *shown);
    }
}

// Vessel name and MFD_ID of each record in the saved module block.
std::vector<std::pair<std::string, long>> SavedRecords(const sim::ScenarioFile& saved) {
    std::vector<std::pair<std::string, long>> records;
    Check(saved.moduleStateStarts.size() == 1, "a save writes other than one module block",
          std::to_string(saved.moduleStateStarts.size()));
    std::pair<std::string, long> record;
    for (size_t i = saved.moduleStateStarts[0]; i < saved.lines.size(); ++i) {
        const std::string line = sim::ScenarioReader::Clean(saved.lines[i]);
        const size_t blank = line.find_first_of(" \t");
        const std::string word = line.substr(0, blank);
        const size_t at = line.find_first_not_of(" \t", blank);
        const std::string value = at == std::string::npos ? std::string() : line.substr(at);
        if (strcasecmp(line.c_str(), "END") == 0)
            break;
        if (word == "BEGIN_KX_MFD_INFO")
            record = {std::string(), 0};
        else if (word == "VESSEL")
            record.first = value;
        else if (word == "MFD_ID")
            record.second = std::strtol(value.c_str(), nullptr, 10);
        else if (word == "END_KX_MFD_INFO")
            records.push_back(record);
    }
    return records;
}

// What a save must keep: a block for each display the input has one for and each open display,
// every block the host did not open word for word, and the record of each window that holds it.
void CheckSaved(sim::Host& host, const sim::ScenarioFile& saved,
                const std::vector<InputBlock>& input, const std::string& text) {
    OpenSet named{}, kelvane{};
    for (const sim::DisplayBlock& b : saved.displays) {
        named[b.id] = true;
        kelvane[b.id] = kelvane[b.id] || IsKelvane(b.userMode);
    }
    for (const InputBlock& in : input)
        Check(named[in.block->id], "a save dropped the block of a display",
              sim::DisplayName(in.block->id) + "\n" + text);
    for (int id = 0; id < MAXMFD; ++id)
        Check(!host.IsOpen(id) || kelvane[id], "a save wrote no block for an open display",
              sim::DisplayName(id) + "\n" + text);

    std::vector<bool> matched(saved.displays.size(), false);
    for (const InputBlock& in : input) {
        if (in.mayOpen)
            continue;
        bool kept = false;
        for (size_t i = 0; i < saved.displays.size() && !kept; ++i)
            if (!matched[i] && saved.displays[i].lines == in.block->lines)
                matched[i] = kept = true;
        Check(kept, "a save changed a block the host did not open",
              in.block->lines.front() + " (line " + std::to_string(in.block->line) + ")\n" + text);
    }

    std::vector<std::pair<std::string, long>> records = SavedRecords(saved);
    for (int w = 0; w < host_model::gHost.windowCount; ++w) {
        const KelvaneMfd* display =
            static_cast<const KelvaneMfd*>(host_model::gHost.windows[w].shown->mfd);
        const MfdSettings* record = display->Settings();
        if (!record || gRegistry->OwnerOf(record) != display)
            continue;
        // The name as the saved line reads back, cleaned as the host's reader cleans it.
        const std::pair<std::string, long> key{
            sim::ScenarioReader::Clean(record->vessel->GetName()), record->mfdId};
        bool found = false;
        for (auto it = records.begin(); it != records.end() && !found; ++it)
            if (*it == key) {
                records.erase(it);
                found = true;
            }
        Check(found, "a save lost the record of a window",
              std::string(host_model::gHost.windows[w].name) + ": " + Describe(*record) + "\n" +
                  text);
    }
}

} // namespace

void CheckScenarioFile(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::optional<sim::ScenarioFile> file;
    try {
        file = sim::ParseScenario(text, "Fuzz.scn", "Kelvane");
    } catch (const sim::FileError& e) {
        Check(NamesFile(e, "Fuzz.scn"), "a fault that names no file", e.what());
        return;
    } catch (const std::exception& e) {
        Fail("a scenario fault reported as something else than a file error", e.what());
    }

    LinkedHost world;
    sim::Session session(world.host, sim::SessionOptions{});
    // Faults the reader leaves to the session (a tank a class does not have, an unknown focus)
    // are file errors too.
    try {
        session.LoadText(text, "");
    } catch (const sim::FileError&) {
        return;
    } catch (const std::exception& e) {
        Fail("a scenario the reader took failed to start otherwise than by a file error", e.what());
    }
    const std::vector<InputBlock> input = InputBlocks(*file, OpenDisplays(world.host));
    // The file's reader and the host find the ships block each their own way; where a broken
    // file may make them disagree (more than one BEGIN_SHIPS, or one inside a block the reader
    // passes over), the ships are not followed through the saves.
    size_t shipsBlocks = 0;
    for (const std::string& line : file->lines)
        shipsBlocks +=
            strncasecmp(sim::ScenarioReader::Clean(line).c_str(), "BEGIN_SHIPS", 11) == 0;
    const bool shipsAgree = shipsBlocks == 1 && file->ships.size() == world.host.Vessels().size();

    // Worked, drawn and saved; what is saved reads back and starts again, twice over.
    Pilot pilot{HashOf(data, size)};
    for (int round = 0;; ++round) {
        WorkWindows(session, pilot);
        DrawEveryDisplay(world.host);
        const std::string saved = session.SaveText();
        std::optional<sim::ScenarioFile> back;
        try {
            back = sim::ParseScenario(saved, "Saved.scn", "Kelvane");
        } catch (const std::exception& e) {
            Fail("a saved scenario does not read", std::string(e.what()) + "\n" + saved);
        }
        CheckSaved(world.host, *back, input, saved);
        if (round == 2)
            break;
        const OpenSet open = OpenDisplays(world.host);
        const std::vector<std::string> vessels = VesselNames(world.host);
        try {
            session.LoadText(saved, "");
        } catch (const std::exception& e) {
            Fail("a saved scenario does not load", std::string(e.what()) + "\n" + saved);
        }
        Check(!shipsAgree || VesselNames(world.host) == vessels,
              "a saved vessel does not come back", saved);
        // With a vessel to show, each display comes back from its block.
        for (int id = 0; id < MAXMFD && world.host.Focus(); ++id)
            Check(!open[id] || world.host.IsOpen(id), "a saved display does not open again",
                  sim::DisplayName(id) + "\n" + saved);
    }
}

} // namespace fuzz
