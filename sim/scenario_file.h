// Whole scenario files as the host reads and writes them. Reading keeps every line, so that what
// the host does not interpret is written back as it was; the parts it does interpret (the focus,
// the displays, the ships' propellant levels, this module's block) are written from the running
// session in the host's order and format.
#pragma once

#include "host_model/host_model.h"
#include "sim/vessel.h"

#include <optional>
#include <string>
#include <vector>

namespace sim {

// A PRPLEVEL pair or a FUEL level, as read.
struct LevelSetting {
    size_t line = 0;
    bool allTanks = false; // FUEL: every tank
    size_t tank = 0;
    double level = 0.0;
    std::string text; // the pair as written, "2:0.995", kept for a tank the vessel lacks
    bool read = true; // false: the host passes the pair over
};

struct ShipItem {
    enum Kind { Other, Levels }; // Levels: a PRPLEVEL or FUEL line
    std::string raw;
    Kind kind = Other;
};

struct ShipEntry {
    std::string name;
    std::string className;
    size_t line = 0; // of the NAME:CLASS line
    std::string header;
    std::vector<ShipItem> items;
    std::string end;
    std::vector<LevelSetting> levels; // of the last level line, which the host applies
};

struct DisplayBlock {
    int id = 0;
    size_t line = 0;                // of BEGIN_MFD
    std::vector<std::string> lines; // the block as read, BEGIN_MFD to END_MFD
    // How the host reads the block's TYPE and MODE lines, and the mode it names.
    host_model::DisplayBlockHead head = host_model::DisplayBlockHead::NoType;
    std::optional<std::string> userMode; // the MODE of a TYPE User block
};

struct ScenarioFile {
    // Display: one BEGIN_MFD block of the file, in its place; Displays: where new display blocks
    // go in a file that has none.
    enum class PartKind { Text, Focus, Display, Displays, Ships, ModuleState };
    struct Part {
        PartKind kind = PartKind::Text;
        std::string block; // a text part's block name ("ENVIRONMENT"), empty for loose lines
        std::vector<std::string> lines; // a Display part: the blank lines after the block
        size_t display = 0;             // a Display part: index into displays
    };

    std::string path;               // names the file in messages
    std::vector<std::string> lines; // every line as read, without its line end
    std::string lineEnd = "\n";
    bool finalLineEnd = true; // false: the last line had no line end

    std::vector<Part> parts; // in file order; each placeholder kind once

    std::optional<std::string> focusName; // nothing when BEGIN_FOCUS names no ship
    size_t focusLine = 0;                 // of BEGIN_FOCUS; 0: the file has no focus block
    std::vector<std::string> focusLines;  // the block as read, BEGIN_FOCUS to END_FOCUS
    std::optional<size_t> focusShipLine;  // index in focusLines of the Ship line

    std::vector<DisplayBlock> displays;

    size_t shipsLine = 0; // of BEGIN_SHIPS; 0: the file has no ships block
    std::string shipsBegin = "BEGIN_SHIPS";
    std::string shipsEnd = "END_SHIPS";
    struct ShipsLine {
        std::optional<size_t> ship; // index into ships, or a loose line
        std::string raw;
    };
    std::vector<ShipsLine> shipsLayout;
    std::vector<ShipEntry> ships;

    std::vector<size_t> moduleStateStarts; // index of the line after each BEGIN_<module>
};

// Reads a scenario's text. Faults in lines the host must understand throw FileError naming
// `path` and the line.
ScenarioFile ParseScenario(const std::string& text, const std::string& path,
                           const std::string& moduleName);

// The ship's lines as the host saves them: its item lines as read, with the host's PRPLEVEL line
// of the vessel's current levels in place of the level lines read, or where the host writes it.
// Pairs that the vessel cannot take (tanks it lacks, text the host cannot read) follow as read;
// a ship without tanks, of a class the stand-in knows or not, keeps its level lines as read.
std::vector<std::string> ShipLines(const ShipEntry& ship, const Vessel& vessel, bool classKnown);

// What the running session puts into the interpreted parts.
struct ScenarioContent {
    std::optional<std::string> focusName;
    // Whole blocks of the open displays, by id: each in the place of the file's first block for
    // its display that is not kept, or among them by id.
    std::vector<std::optional<std::vector<std::string>>> displayBlocks;
    // By ScenarioFile::displays: the blocks written as read, in their places.
    std::vector<bool> keptDisplays;
    std::vector<std::optional<std::vector<std::string>>>
        ships; // by ScenarioFile::ships; none: gone
    std::string moduleName;
    std::vector<std::string> moduleState;
};

std::string WriteScenario(const ScenarioFile& file, const ScenarioContent& content);

} // namespace sim
