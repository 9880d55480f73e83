// A display block as the host hands it over, or any lines at all: the display reads at most up to
// the block's end, keeps a definite setting in every field, writes back what it read, and still
// draws every page.
#include "fuzz/fuzz_checks.h"
#include "fuzz/fuzz_support.h"

#include "sim/scenario_stream.h"

#include <strings.h>

namespace fuzz {
namespace {

// "Left", "Right", "3" … "12" as the host names its displays; any other name is the left one.
int DisplayIdNamed(const std::string& name) {
    for (int id = 0; id < MAXMFD; ++id)
        if (strcasecmp(name.c_str(), sim::DisplayName(id).c_str()) == 0)
            return id;
    return MFD_LEFT;
}

// Where the first line the host would hand out as the block's end stands; lines.size() if none.
size_t FirstBlockEnd(const std::vector<std::string>& lines) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string cleaned = sim::ScenarioReader::Clean(lines[i]);
        if (strncasecmp(cleaned.c_str(), "END_MFD", 7) == 0)
            return i;
    }
    return lines.size();
}

} // namespace

void CheckReadStatus(const uint8_t* data, size_t size) {
    const std::vector<std::string> file = SplitLines(data, size);
    // A block as the host writes it names its display on the BEGIN_MFD line, and the display
    // reads from the line after MODE; input without them is all status lines for display 0.
    int id = MFD_LEFT;
    size_t start = 0;
    if (!file.empty()) {
        const std::string first = sim::ScenarioReader::Clean(file[0]);
        if (strncasecmp(first.c_str(), "BEGIN_MFD", 9) == 0) {
            const size_t name = first.find_first_not_of(" \t", 9);
            id = DisplayIdNamed(name == std::string::npos ? std::string() : first.substr(name));
            start = 1;
            for (size_t i = 1; i < file.size(); ++i) {
                if (strncasecmp(sim::ScenarioReader::Clean(file[i]).c_str(), "MODE", 4) == 0) {
                    start = i + 1;
                    break;
                }
            }
        }
    }
    const std::vector<std::string> lines(file.begin() + static_cast<long>(start), file.end());

    MfdSettings read(nullptr, 0);
    {
        LinkedHost world;
        world.host.AddVessel("GL-01", GliderClass());
        Check(world.host.OpenDisplay(id, "Kelvane"), "display did not open");
        sim::ScenarioReader reader(lines);
        world.host.ReadStatus(id, reader);
        const size_t end = FirstBlockEnd(lines);
        Check(reader.Position() <= end + 1, "display read past its block's end",
              std::to_string(reader.Position()) + " > " + std::to_string(end + 1));

        const MfdSettings& s = *static_cast<KelvaneMfd*>(world.host.DisplayAt(id)->mfd)->Settings();
        Check(ValidSettings(s), "a setting without a definite value", Describe(s));
        Check(gRegistry->OwnerOf(&s) == world.host.DisplayAt(id)->mfd,
              "the display does not own its record");
        read = s;

        // What was read is written and read back unchanged by a display of the same id.
        std::vector<std::string> written = world.host.WriteStatus(id);
        written.push_back("END_MFD");
        world.host.EndSession();
        world.host.AddVessel("GL-01", GliderClass());
        Check(world.host.OpenDisplay(id, "Kelvane"), "display did not open again");
        sim::ScenarioReader again(written);
        world.host.ReadStatus(id, again);
        const MfdSettings& back =
            *static_cast<KelvaneMfd*>(world.host.DisplayAt(id)->mfd)->Settings();
        Check(SameSettings(back, read), "written status read back differently",
              Describe(read) + " / " + Describe(back));
        DrawEveryPage(world.host, id);
    }
    // The same settings on a vessel with no tanks and no thrusters.
    LinkedHost world;
    world.host.AddVessel("Probe-1", BareClass());
    Check(world.host.OpenDisplay(id, "Kelvane"), "display did not open on the bare vessel");
    MfdSettings& s = *static_cast<KelvaneMfd*>(world.host.DisplayAt(id)->mfd)->Settings();
    s.parametersMode = read.parametersMode;
    s.massDisplay = read.massDisplay;
    s.enginesDisplay = read.enginesDisplay;
    s.notation = read.notation;
    s.tankIndex = read.tankIndex;
    s.engineIndex = read.engineIndex;
    DrawEveryPage(world.host, id);
}

} // namespace fuzz
