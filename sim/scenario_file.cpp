#include "sim/scenario_file.h"

#include "host_model/host_model.h"

#include "sim/scenario_stream.h"
#include "sim/vessel_class_file.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace sim {
namespace {

bool EqualNoCase(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0;
}

bool StartsNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           strncasecmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

// Blanks and tabs cut at both ends, and nothing else: the host's ship reader keeps a CR that
// ends a vessel's name.
std::string TrimBlanksAndTabs(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The first word of a cleaned line, and the rest after the blanks that follow it.
std::string FirstWord(const std::string& line) {
    return line.substr(0, line.find_first_of(" \t"));
}

std::string AfterFirstWord(const std::string& line) {
    const size_t blank = line.find_first_of(" \t");
    if (blank == std::string::npos)
        return std::string();
    const size_t value = line.find_first_not_of(" \t", blank);
    return value == std::string::npos ? std::string() : line.substr(value);
}

// Reads the file's lines, one call at a time, with their 1-based numbers for messages.
class LineCursor {
public:
    explicit LineCursor(const ScenarioFile& file) : file_(file) {}

    bool AtEnd() const { return next_ >= file_.lines.size(); }
    size_t Index() const { return next_; }
    size_t Number() const { return next_ + 1; } // of the line Next() returns
    const std::string& Raw() const { return file_.lines[next_]; }
    std::string Clean() const { return ScenarioReader::Clean(file_.lines[next_]); }
    void Advance() { ++next_; }

    [[noreturn]] void Fail(size_t line, const std::string& what) const {
        throw FileError(file_.path, line, what);
    }

private:
    const ScenarioFile& file_;
    size_t next_ = 0;
};

// A level line as the host reads it: nothing in it refuses the file.
std::vector<LevelSetting> ParseLevels(const std::string& clean, size_t line) {
    std::vector<host_model::LevelPair> pairs(clean.size() / 2 + 1);
    const int count =
        host_model::ReadLevelLine(clean.c_str(), pairs.data(), static_cast<int>(pairs.size()));
    std::vector<LevelSetting> levels;
    for (int i = 0; i < count; ++i) {
        const host_model::LevelPair& p = pairs[static_cast<size_t>(i)];
        // A negative index is a tank no vessel has.
        const size_t tank = p.tank < 0 ? SIZE_MAX : static_cast<size_t>(p.tank);
        levels.push_back(LevelSetting{line, p.allTanks, tank, p.level,
                                      std::string(p.text, static_cast<size_t>(p.length)), p.read});
    }
    return levels;
}

void ParseFocus(LineCursor& cursor, ScenarioFile& file) {
    const size_t begin = cursor.Number();
    if (file.focusLine)
        cursor.Fail(begin, "a second BEGIN_FOCUS block (the first is on line " +
                               std::to_string(file.focusLine) + ")");
    file.focusLine = begin;
    file.focusLines.push_back(cursor.Raw());
    cursor.Advance();
    for (; !cursor.AtEnd(); cursor.Advance()) {
        const std::string clean = cursor.Clean();
        file.focusLines.push_back(cursor.Raw());
        if (EqualNoCase(clean, "END_FOCUS")) {
            cursor.Advance();
            return;
        }
        // The first Ship line names the focus; one that names nobody leaves the host's choice.
        if (EqualNoCase(FirstWord(clean), "Ship") && !file.focusShipLine) {
            file.focusShipLine = file.focusLines.size() - 1;
            const std::string name = AfterFirstWord(clean);
            if (!name.empty())
                file.focusName = name;
        }
    }
    cursor.Fail(begin, "BEGIN_FOCUS has no END_FOCUS line");
}

// The block as read, to its END_MFD. What it means is the host's to say: a block that the host
// does not open (another mode, a TYPE or MODE line missing or unreadable) is kept as it is.
void ParseDisplay(LineCursor& cursor, ScenarioFile& file, const std::string& name) {
    DisplayBlock block;
    block.line = cursor.Number();
    block.id = host_model::DisplayIdNamed(name.c_str());
    if (block.id < 0)
        cursor.Fail(block.line,
                    "expected Left, Right or 3 to 12 after BEGIN_MFD, found '" + name + "'");
    block.lines.push_back(cursor.Raw());
    cursor.Advance();
    for (; !cursor.AtEnd(); cursor.Advance()) {
        block.lines.push_back(cursor.Raw());
        if (!EqualNoCase(cursor.Clean(), "END_MFD"))
            continue;
        cursor.Advance();
        std::vector<const char*> raw;
        for (const std::string& line : block.lines)
            raw.push_back(line.c_str());
        char mode[host_model::kHostLineSize];
        int modeLine = -1;
        block.head = host_model::ReadDisplayBlockHead(raw.data(), static_cast<int>(raw.size()), 1,
                                                      mode, sizeof mode, modeLine);
        if (block.head == host_model::DisplayBlockHead::UserMode)
            block.userMode = mode;
        // The blank lines after a display block belong to it: the host writes one after each.
        ScenarioFile::Part part{
            ScenarioFile::PartKind::Display, std::string(), {}, file.displays.size()};
        while (!cursor.AtEnd() && cursor.Raw().find_first_not_of(" \t") == std::string::npos) {
            part.lines.push_back(cursor.Raw());
            cursor.Advance();
        }
        file.displays.push_back(std::move(block));
        file.parts.push_back(std::move(part));
        return;
    }
    cursor.Fail(block.line, "BEGIN_MFD " + name + " has no END_MFD line");
}

void ParseShip(LineCursor& cursor, ScenarioFile& file, const std::string& clean) {
    ShipEntry ship;
    ship.line = cursor.Number();
    ship.header = cursor.Raw();
    const size_t colon = clean.find(':');
    ship.name = TrimBlanksAndTabs(clean.substr(0, colon));
    ship.className =
        colon == std::string::npos ? ship.name : TrimBlanksAndTabs(clean.substr(colon + 1));
    if (ship.name.empty())
        cursor.Fail(ship.line, "expected a ship line 'NAME:CLASS', found '" + clean + "'");
    if (ship.className.empty())
        cursor.Fail(ship.line, "expected a class name after '" + ship.name + ":'");
    for (const ShipEntry& other : file.ships)
        if (strcasecmp(other.name.c_str(), ship.name.c_str()) == 0)
            cursor.Fail(ship.line, "a second ship named " + ship.name + " (the first is on line " +
                                       std::to_string(other.line) + ")");
    cursor.Advance();
    for (; !cursor.AtEnd(); cursor.Advance()) {
        const std::string item = cursor.Clean();
        if (EqualNoCase(item, "END")) {
            ship.end = cursor.Raw();
            cursor.Advance();
            file.shipsLayout.push_back({file.ships.size(), std::string()});
            file.ships.push_back(std::move(ship));
            return;
        }
        if (EqualNoCase(item, "END_SHIPS"))
            break;
        const std::string keyword = FirstWord(item);
        if (EqualNoCase(keyword, "PRPLEVEL") || EqualNoCase(keyword, "FUEL")) {
            ship.levels = ParseLevels(item, cursor.Number()); // the last line replaces the others
            ship.items.push_back({cursor.Raw(), ShipItem::Levels});
        } else {
            ship.items.push_back({cursor.Raw(), ShipItem::Other});
        }
    }
    cursor.Fail(ship.line, "ship " + ship.name + " has no END line");
}

void ParseShips(LineCursor& cursor, ScenarioFile& file) {
    const size_t begin = cursor.Number();
    if (!file.ships.empty() || !file.shipsLayout.empty())
        cursor.Fail(begin, "a second BEGIN_SHIPS block");
    file.shipsLine = begin;
    file.shipsBegin = cursor.Raw();
    cursor.Advance();
    while (!cursor.AtEnd()) {
        const std::string clean = cursor.Clean();
        if (EqualNoCase(clean, "END_SHIPS")) {
            file.shipsEnd = cursor.Raw();
            cursor.Advance();
            return;
        }
        if (clean.empty()) {
            file.shipsLayout.push_back({std::nullopt, cursor.Raw()});
            cursor.Advance();
            continue;
        }
        ParseShip(cursor, file, clean);
    }
    cursor.Fail(begin, "BEGIN_SHIPS has no END_SHIPS line");
}

// A block of another reader: it ends at END_NAME, or at END as plug-in blocks do.
std::vector<std::string> SkipBlock(LineCursor& cursor, const std::string& name) {
    const size_t begin = cursor.Number();
    std::vector<std::string> lines{cursor.Raw()};
    cursor.Advance();
    for (; !cursor.AtEnd(); cursor.Advance()) {
        const std::string clean = cursor.Clean();
        lines.push_back(cursor.Raw());
        if (EqualNoCase(clean, ("END_" + name).c_str()) || EqualNoCase(clean, "END")) {
            cursor.Advance();
            return lines;
        }
    }
    cursor.Fail(begin, "BEGIN_" + name + " has no END_" + name + " or END line");
}

size_t FindPart(const ScenarioFile& file, ScenarioFile::PartKind kind) {
    for (size_t i = 0; i < file.parts.size(); ++i)
        if (file.parts[i].kind == kind)
            return i;
    return file.parts.size();
}

// Places the interpreted parts the file lacks where the host would write them.
void PlaceMissingParts(ScenarioFile& file) {
    using Kind = ScenarioFile::PartKind;
    auto insert = [&](size_t at, Kind kind) {
        ScenarioFile::Part part;
        part.kind = kind;
        file.parts.insert(file.parts.begin() + static_cast<std::ptrdiff_t>(at), part);
    };
    if (FindPart(file, Kind::Ships) == file.parts.size())
        insert(FindPart(file, Kind::ModuleState), Kind::Ships);
    if (FindPart(file, Kind::ModuleState) == file.parts.size()) {
        // At the end, after a blank line as the host leaves between blocks.
        const bool blankBefore = !file.parts.empty() && file.parts.back().kind == Kind::Text &&
                                 !file.parts.back().lines.empty() &&
                                 file.parts.back().lines.back().empty();
        if (!file.parts.empty() && !blankBefore)
            file.parts.push_back(ScenarioFile::Part{Kind::Text, std::string(), {std::string()}});
        insert(file.parts.size(), Kind::ModuleState);
    }
    if (FindPart(file, Kind::Displays) == file.parts.size() &&
        FindPart(file, Kind::Display) == file.parts.size()) {
        // Before the panel, else right before the ships.
        size_t at = FindPart(file, Kind::Ships);
        for (size_t i = 0; i < at; ++i)
            if (EqualNoCase(file.parts[i].block, "PANEL"))
                at = i;
        insert(at, Kind::Displays);
    }
    if (FindPart(file, Kind::Focus) == file.parts.size()) {
        // After the environment, else before the first block.
        size_t at = file.parts.size();
        for (size_t i = 0; i < file.parts.size() && at == file.parts.size(); ++i)
            if (EqualNoCase(file.parts[i].block, "ENVIRONMENT"))
                at = i + 1;
        for (size_t i = 0; i < file.parts.size() && at == file.parts.size(); ++i)
            if (file.parts[i].kind != Kind::Text || !file.parts[i].block.empty())
                at = i;
        insert(at, Kind::Focus);
    }
}

// The focus block as read, with its Ship line changed only when the focus is another ship.
void WriteFocus(const ScenarioFile& file, const ScenarioContent& content,
                std::vector<std::string>& lines) {
    if (!content.focusName)
        return; // no vessel left: the host has no focus to write
    const std::string shipLine = "  Ship " + *content.focusName;
    if (file.focusLines.empty()) {
        lines.insert(lines.end(), {"BEGIN_FOCUS", shipLine, "END_FOCUS"});
        return;
    }
    std::vector<std::string> block = file.focusLines;
    const bool same =
        file.focusName && strcasecmp(file.focusName->c_str(), content.focusName->c_str()) == 0;
    if (file.focusShipLine && !same)
        block[*file.focusShipLine] = shipLine;
    else if (!file.focusShipLine)
        block.insert(block.begin() + 1, shipLine);
    lines.insert(lines.end(), block.begin(), block.end());
}

// Writes each display's block in the place the file had it, and blocks of displays the file did
// not have among them in id order, each followed by a blank line as the host writes them.
class DisplayWriter {
public:
    DisplayWriter(const ScenarioFile& file, const ScenarioContent& content)
        : file_(file), content_(content), written_(content.displayBlocks.size(), false),
          inFile_(content.displayBlocks.size(), false) {
        for (size_t i = 0; i < file.parts.size(); ++i)
            if (file.parts[i].kind == ScenarioFile::PartKind::Display) {
                const size_t id = static_cast<size_t>(file.displays[file.parts[i].display].id);
                if (id < inFile_.size() && !Kept(file.parts[i].display))
                    inFile_[id] = true;
                last_ = &file.parts[i];
            }
    }

    void Write(const ScenarioFile::Part& part, std::vector<std::string>& lines) {
        if (part.kind == ScenarioFile::PartKind::Displays) {
            WriteNew(content_.displayBlocks.size(), lines);
            return;
        }
        const DisplayBlock& block = file_.displays[part.display];
        const size_t id = static_cast<size_t>(block.id);
        WriteNew(id, lines);
        if (Kept(part.display)) {
            lines.insert(lines.end(), block.lines.begin(), block.lines.end());
            lines.insert(lines.end(), part.lines.begin(), part.lines.end());
        } else if (id < content_.displayBlocks.size() && content_.displayBlocks[id] &&
                   !written_[id]) {
            written_[id] = true;
            lines.insert(lines.end(), content_.displayBlocks[id]->begin(),
                         content_.displayBlocks[id]->end());
            lines.insert(lines.end(), part.lines.begin(), part.lines.end());
        }
        if (&part == last_)
            WriteNew(content_.displayBlocks.size(), lines);
    }

private:
    bool Kept(size_t display) const {
        return display < content_.keptDisplays.size() && content_.keptDisplays[display];
    }

    // The blocks of displays below `before` that the file did not have.
    void WriteNew(size_t before, std::vector<std::string>& lines) {
        for (size_t id = 0; id < before && id < content_.displayBlocks.size(); ++id) {
            if (written_[id] || (id < inFile_.size() && inFile_[id]) || !content_.displayBlocks[id])
                continue;
            written_[id] = true;
            lines.insert(lines.end(), content_.displayBlocks[id]->begin(),
                         content_.displayBlocks[id]->end());
            lines.push_back(std::string());
        }
    }

    const ScenarioFile& file_;
    const ScenarioContent& content_;
    std::vector<bool> written_;
    std::vector<bool> inFile_; // by id: the file has a block for the display that is not kept
    const ScenarioFile::Part* last_ = nullptr;
};

} // namespace

ScenarioFile ParseScenario(const std::string& text, const std::string& path,
                           const std::string& moduleName) {
    using Kind = ScenarioFile::PartKind;
    ScenarioFile file;
    file.path = path;
    {
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
                if (file.lines.empty())
                    file.lineEnd = "\r\n";
            }
            file.lines.push_back(std::move(line));
            start = end + 1;
            file.finalLineEnd = end < text.size();
        }
    }

    auto addPart = [&](Kind kind, std::string block, std::vector<std::string> lines) {
        ScenarioFile::Part part{kind, std::move(block), std::move(lines)};
        file.parts.push_back(std::move(part));
    };
    auto addPlaceholder = [&](Kind kind) {
        if (FindPart(file, kind) == file.parts.size())
            addPart(kind, std::string(), {});
    };

    LineCursor cursor(file);
    while (!cursor.AtEnd()) {
        const std::string clean = cursor.Clean();
        const std::string keyword = FirstWord(clean);
        if (!StartsNoCase(keyword, "BEGIN_")) {
            if (file.parts.empty() || file.parts.back().kind != Kind::Text ||
                !file.parts.back().block.empty())
                addPart(Kind::Text, std::string(), {});
            file.parts.back().lines.push_back(cursor.Raw());
            cursor.Advance();
            continue;
        }
        const std::string name = keyword.substr(6);
        if (EqualNoCase(keyword, "BEGIN_FOCUS")) {
            addPlaceholder(Kind::Focus);
            ParseFocus(cursor, file);
        } else if (EqualNoCase(keyword, "BEGIN_MFD")) {
            ParseDisplay(cursor, file, AfterFirstWord(clean));
        } else if (EqualNoCase(keyword, "BEGIN_SHIPS")) {
            addPlaceholder(Kind::Ships);
            ParseShips(cursor, file);
        } else if (!moduleName.empty() && EqualNoCase(name, moduleName.c_str())) {
            // The module reads on from here with the host's reader, which stops at END.
            addPlaceholder(Kind::ModuleState);
            cursor.Advance();
            file.moduleStateStarts.push_back(cursor.Index());
            for (; !cursor.AtEnd(); cursor.Advance())
                if (EqualNoCase(cursor.Clean(), "END")) {
                    cursor.Advance();
                    break;
                }
        } else {
            addPart(Kind::Text, name, SkipBlock(cursor, name));
        }
    }
    PlaceMissingParts(file);
    return file;
}

std::vector<std::string> ShipLines(const ShipEntry& ship, const Vessel& vessel, bool classKnown) {
    std::vector<std::string> lines{ship.header};
    if (!classKnown || vessel.TankCount() == 0) {
        for (const ShipItem& item : ship.items)
            lines.push_back(item.raw);
        lines.push_back(ship.end);
        return lines;
    }
    std::vector<char> text(16 + 24 * vessel.TankCount());
    host_model::FormatLevelLine(vessel, text.data(), text.size());
    std::string levelLine = text.data();
    // Pairs the vessel cannot take are kept as read, so that nothing is lost.
    for (const LevelSetting& s : ship.levels)
        if (!s.read || (!s.allTanks && s.tank >= vessel.TankCount()))
            levelLine += (levelLine.empty() ? "  PRPLEVEL " : " ") + s.text;

    // Without a level line of its own, the ship gets one where the host writes it: after its
    // state items, before the items the host writes after the levels.
    const size_t none = ship.items.size();
    size_t firstAfter = none, lastBefore = none;
    bool hasLevelsLine = false;
    for (size_t i = 0; i < ship.items.size(); ++i) {
        hasLevelsLine = hasLevelsLine || ship.items[i].kind == ShipItem::Levels;
        const std::string keyword = FirstWord(ScenarioReader::Clean(ship.items[i].raw));
        if (firstAfter == none && host_model::WrittenAfterLevels(keyword.c_str()))
            firstAfter = i;
        if (firstAfter == none && host_model::WrittenBeforeLevels(keyword.c_str()))
            lastBefore = i;
    }
    const size_t insertAt = lastBefore != none ? lastBefore + 1 : firstAfter;
    bool written = false;
    for (size_t i = 0; i <= ship.items.size(); ++i) {
        if (!hasLevelsLine && i == insertAt && !levelLine.empty())
            lines.push_back(levelLine);
        if (i == ship.items.size())
            break;
        const ShipItem& item = ship.items[i];
        if (item.kind == ShipItem::Other) {
            lines.push_back(item.raw);
        } else if (!written) {
            written = true;
            if (!levelLine.empty())
                lines.push_back(levelLine);
        }
    }
    lines.push_back(ship.end);
    return lines;
}

std::string WriteScenario(const ScenarioFile& file, const ScenarioContent& content) {
    using Kind = ScenarioFile::PartKind;
    std::vector<std::string> lines;
    DisplayWriter displays(file, content);
    auto append = [&](const std::vector<std::string>& more) {
        lines.insert(lines.end(), more.begin(), more.end());
    };
    for (const ScenarioFile::Part& part : file.parts) {
        switch (part.kind) {
        case Kind::Text:
            append(part.lines);
            break;
        case Kind::Focus:
            WriteFocus(file, content, lines);
            break;
        case Kind::Display:
        case Kind::Displays:
            displays.Write(part, lines);
            break;
        case Kind::Ships:
            lines.push_back(file.shipsBegin);
            for (const ScenarioFile::ShipsLine& entry : file.shipsLayout) {
                if (!entry.ship)
                    lines.push_back(entry.raw);
                else if (*entry.ship < content.ships.size() && content.ships[*entry.ship])
                    append(*content.ships[*entry.ship]);
            }
            lines.push_back(file.shipsEnd);
            break;
        case Kind::ModuleState:
            if (content.moduleName.empty())
                break; // no module loaded: no block of its own
            lines.push_back("BEGIN_" + content.moduleName);
            append(content.moduleState);
            lines.push_back("END");
            break;
        }
    }
    // A line whose text ends in a CR (read from "\r\r\n") keeps it only before a CR LF, which
    // the host's text-mode reading takes as the line end.
    std::string text;
    size_t lastEnd = 0;
    for (const std::string& line : lines) {
        const std::string end = !line.empty() && line.back() == '\r' ? "\r\n" : file.lineEnd;
        text += line + end;
        lastEnd = end.size();
    }
    if (!file.finalLineEnd && !text.empty())
        text.resize(text.size() - lastEnd);
    return text;
}

} // namespace sim
