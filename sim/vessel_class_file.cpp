#include "sim/vessel_class_file.h"

#include "sim/sample.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace sim {
namespace {

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    const size_t last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

struct Entry {
    std::string key; // as written, for messages
    std::string value;
    size_t line = 0;
};

struct Section {
    std::string header; // as written, e.g. "[THRUSTER_2]"
    size_t line = 0;
    std::map<std::string, Entry> entries; // by lower-case key
};

// Reads values of one section, naming the file and line of every fault.
class SectionReader {
public:
    // `missingAt` and `missingWhere` place a missing key of the file's head: the line where the
    // head ends and what stands there.
    SectionReader(const std::string& file, const Section& section, size_t missingAt = 0,
                  std::string missingWhere = std::string())
        : file_(file), section_(section), missingAt_(missingAt),
          missingWhere_(std::move(missingWhere)) {}

    const Entry* Find(const char* key) const {
        auto it = section_.entries.find(Lower(key));
        return it == section_.entries.end() ? nullptr : &it->second;
    }

    const Entry& Require(const char* key, const char* what) const {
        if (const Entry* e = Find(key))
            return *e;
        if (section_.header.empty())
            throw FileError(file_, missingAt_,
                            std::string("expected a line '") + key + " = " + what + "' before " +
                                missingWhere_);
        throw FileError(file_, section_.line,
                        section_.header + " has no line '" + key + " = " + what + "'");
    }

    double Number(const Entry& e, const char* what, bool nonNegative) const {
        std::vector<double> v = Numbers(e, 1, what);
        if (nonNegative && v[0] < 0)
            Fail(e, std::string("expected ") + what + " of 0 or more");
        return v[0];
    }

    VECTOR3 Vector(const Entry& e, const char* what, bool nonNegative) const {
        std::vector<double> v = Numbers(e, 3, what);
        for (double x : v)
            if (nonNegative && x < 0)
                Fail(e, std::string("expected ") + what + ", each 0 or more");
        return VECTOR3{{v[0], v[1], v[2]}};
    }

    long Integer(const Entry& e, const char* what) const {
        const char* text = e.value.c_str();
        char* end = nullptr;
        errno = 0;
        long n = std::strtol(text, &end, 10);
        if (e.value.empty() || *end != '\0' || errno == ERANGE)
            Fail(e, std::string("expected ") + what);
        return n;
    }

    [[noreturn]] void Fail(const Entry& e, const std::string& expected) const {
        std::string found = e.value.empty() ? "nothing" : "'" + e.value + "'";
        throw FileError(file_, e.line, expected + " after '" + e.key + " =', found " + found);
    }

private:
    std::vector<double> Numbers(const Entry& e, size_t count, const char* what) const {
        std::istringstream words(e.value);
        std::vector<double> values;
        std::string word;
        while (words >> word) {
            char* end = nullptr;
            double x = std::strtod(word.c_str(), &end);
            if (*end != '\0' || !std::isfinite(x))
                Fail(e, std::string("expected ") + what);
            values.push_back(x);
        }
        if (values.size() != count)
            Fail(e, std::string("expected ") + what);
        return values;
    }

    const std::string& file_;
    const Section& section_;
    size_t missingAt_;
    std::string missingWhere_;
};

// "[THRUSTER_12]" → 12 for a header with that prefix; nothing for other sections. A header with
// the prefix and no plain number is a fault.
std::optional<size_t> SectionNumber(const std::string& name, const char* prefix,
                                    const std::string& file, size_t line) {
    const size_t n = std::strlen(prefix);
    if (name.size() < n || strncasecmp(name.c_str(), prefix, n) != 0)
        return std::nullopt;
    const std::string digits = name.substr(n);
    if (digits.empty() || digits.size() > 6 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        throw FileError(file, line,
                        "expected [" + std::string(prefix) + "N] with N a number from 0, found [" +
                            name + "]");
    return static_cast<size_t>(std::stoul(digits));
}

// Sections numbered from 0 without gaps, in number order.
std::vector<const Section*>
Numbered(const std::string& file, const std::map<size_t, Section>& sections, const char* prefix) {
    std::vector<const Section*> ordered;
    size_t expected = 0;
    for (const auto& [number, section] : sections) {
        if (number != expected)
            throw FileError(file, section.line,
                            "expected [" + std::string(prefix) + std::to_string(expected) +
                                "] before " + section.header + ": sections are numbered from 0 " +
                                "without gaps");
        ordered.push_back(&section);
        ++expected;
    }
    return ordered;
}

// The file at `relative` (folders separated by '/' or the host's '\\') under `folder`, each name
// of both, the folder's own included, matched exactly or else without regard to case, as on the
// host's own file system.
std::optional<fs::path> FindInFolder(const fs::path& folder, const std::string& relative) {
    std::vector<std::string> names;
    for (const fs::path& name : folder.relative_path())
        names.push_back(name.string());
    for (size_t start = 0; start <= relative.size();) {
        size_t end = relative.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = relative.size();
        names.push_back(relative.substr(start, end - start));
        start = end + 1;
    }
    std::error_code ec;
    fs::path at = folder.root_path();
    for (const std::string& name : names) {
        if (name.empty() || name == ".")
            continue;
        const fs::path here = at.empty() ? fs::path(".") : at;
        if (!fs::is_directory(here, ec))
            return std::nullopt;
        fs::path next = at / name;
        if (name != ".." && !fs::exists(next, ec)) {
            next.clear();
            fs::directory_iterator entry(here, ec), end;
            for (; !ec && entry != end; entry.increment(ec))
                if (strcasecmp(entry->path().filename().string().c_str(), name.c_str()) == 0) {
                    next = at / entry->path().filename();
                    break;
                }
            if (next.empty())
                return std::nullopt;
        }
        at = next;
    }
    if (!fs::is_regular_file(at, ec))
        return std::nullopt;
    return at;
}

bool HasSectionHeader(const std::string& line, const char* prefix) {
    const size_t n = std::strlen(prefix);
    return line.size() > n && line[0] == '[' && strncasecmp(line.c_str() + 1, prefix, n) == 0;
}

// A class file's name for `name` as a class or BaseClass line gives it; nothing for a name that
// would leave the folders searched.
std::optional<std::string> ClassFileName(const std::string& name) {
    const std::string fileName = name + ".cfg";
    if (name.empty() || fileName.front() == '/' || fileName.front() == '\\' ||
        fileName.find("..") != std::string::npos || fileName.find('\0') != std::string::npos)
        return std::nullopt;
    return fileName;
}

ClassFileText ReadClassText(const fs::path& path) {
    ClassFileText file{path.string(), std::string(), std::string()};
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (in)
        text << in.rdbuf();
    if (!in || in.bad())
        file.readError = std::strerror(errno);
    else
        file.text = text.str();
    return file;
}

bool NamedInAnyCase(const fs::path& folder, const char* name) {
    return strcasecmp(folder.filename().string().c_str(), name) == 0;
}

// The installations' Config folders among `folders`: the parent of each .../Config/Vessels, and
// each folder named Config, in the order given.
std::vector<fs::path> ConfigFolders(const std::vector<std::string>& folders) {
    std::vector<fs::path> out;
    for (const std::string& folder : folders) {
        fs::path f = fs::path(folder).lexically_normal();
        if (!f.has_filename() && f.has_parent_path())
            f = f.parent_path(); // "Config/Vessels/"
        if (NamedInAnyCase(f, "Vessels") && NamedInAnyCase(f.parent_path(), "Config"))
            f = f.parent_path();
        else if (!NamedInAnyCase(f, "Config"))
            continue;
        if (std::find(out.begin(), out.end(), f) == out.end())
            out.push_back(f);
    }
    return out;
}

} // namespace

VesselClass ParseVesselClass(const std::string& text, const std::string& file,
                             const std::string& defaultName) {
    Section top;
    std::map<size_t, Section> tanks;
    std::map<size_t, Section> thrusters;
    Section ignored; // sections of other readers
    Section* current = &top;

    std::istringstream in(text);
    std::string raw;
    size_t lineNumber = 0;
    size_t topEnd = 0;
    std::string topEndText = "the end of the file";
    while (std::getline(in, raw)) {
        ++lineNumber;
        const std::string line = Trim(raw.substr(0, raw.find(';')));
        if (line.empty())
            continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3)
                throw FileError(file, lineNumber,
                                "expected a section name in brackets, found '" + line + "'");
            if (!topEnd) {
                topEnd = lineNumber;
                topEndText = line;
            }
            const std::string name = Trim(line.substr(1, line.size() - 2));
            std::map<size_t, Section>* group = nullptr;
            std::optional<size_t> number;
            if ((number = SectionNumber(name, "PROPELLANT_", file, lineNumber)))
                group = &tanks;
            else if ((number = SectionNumber(name, "THRUSTER_", file, lineNumber)))
                group = &thrusters;
            if (!group) {
                ignored = Section{};
                current = &ignored;
                continue;
            }
            auto [it, added] = group->try_emplace(*number);
            if (!added)
                throw FileError(file, lineNumber,
                                line + " appears twice (first on line " +
                                    std::to_string(it->second.line) + ")");
            it->second.header = line;
            it->second.line = lineNumber;
            current = &it->second;
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos || Trim(line.substr(0, eq)).empty())
            throw FileError(file, lineNumber,
                            "expected 'key = value' or a [SECTION] line, found '" + line + "'");
        Entry entry{Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)), lineNumber};
        auto [it, added] = current->entries.try_emplace(Lower(entry.key), entry);
        if (!added)
            throw FileError(file, lineNumber,
                            "'" + entry.key + "' is given twice in " +
                                (current->header.empty() ? "the file's head" : current->header) +
                                " (first on line " + std::to_string(it->second.line) + ")");
    }
    if (!topEnd)
        topEnd = lineNumber;

    VesselClass cls;
    SectionReader head(file, top, topEnd, topEndText);
    cls.name = defaultName;
    if (const Entry* e = head.Find("ClassName")) {
        if (e->value.empty())
            head.Fail(*e, "expected a class name");
        cls.name = e->value;
    }
    cls.emptyMass = head.Number(head.Require("EmptyMass", "kg"), "a mass in kg", true);
    cls.pmi = head.Vector(head.Require("PMI", "x y z"),
                          "three moments of inertia per unit mass in m^2", true);

    for (const Section* s : Numbered(file, tanks, "PROPELLANT_")) {
        SectionReader tank(file, *s);
        cls.tankCapacities.push_back(
            tank.Number(tank.Require("MaxMass", "kg"), "a capacity in kg", true));
    }
    for (const Section* s : Numbered(file, thrusters, "THRUSTER_")) {
        SectionReader t(file, *s);
        ThrusterSpec spec;
        spec.pos = t.Vector(t.Require("Pos", "x y z"), "a position: three numbers in m", false);
        const Entry& dir = t.Require("Dir", "x y z");
        spec.dir = t.Vector(dir, "a direction: three numbers", false);
        if (spec.dir.x == 0 && spec.dir.y == 0 && spec.dir.z == 0)
            t.Fail(dir, "expected a direction that is not zero");
        spec.max0 = t.Number(t.Require("Max0", "N"), "a vacuum thrust in N", true);
        spec.isp0 = t.Number(t.Require("Isp0", "m/s"), "a vacuum Isp in m/s", true);
        const size_t count = cls.tankCapacities.size();
        const std::string range =
            count == 0 ? std::string("-1 (the class has no tanks)")
                       : "a tank number from 0 to " + std::to_string(count - 1) + ", or -1";
        auto tankNumber = [&](const Entry& e) {
            long n = t.Integer(e, range.c_str());
            if (n < -1 || n >= static_cast<long>(count))
                t.Fail(e, "expected " + range);
            return static_cast<int>(n);
        };
        if (const Entry* e = t.Find("Propellant"))
            spec.tank = tankNumber(*e);
        // The DeltaGlider's retros: no tank until the ship's scenario opens the covers.
        if (const Entry* e = t.Find("CoverPropellant"))
            spec.coverTank = tankNumber(*e);
        if (const Entry* e = t.Find("Group")) {
            const std::string group = Lower(e->value);
            if (group == "main")
                spec.group = ThrusterSpec::Group::Main;
            else if (group == "retro")
                spec.group = ThrusterSpec::Group::Retro;
            else if (group == "hover")
                spec.group = ThrusterSpec::Group::Hover;
            else
                t.Fail(*e, "expected Main, Retro or Hover");
        }
        cls.thrusters.push_back(spec);
    }
    return cls;
}

std::optional<std::string> FindHostFile(const std::string& folder, const std::string& relative) {
    if (std::optional<fs::path> path = FindInFolder(folder, relative))
        return path->string();
    return std::nullopt;
}

bool IsSectionedClassFile(const std::string& text) {
    std::istringstream in(text);
    std::string raw;
    while (std::getline(in, raw)) {
        const std::string line = Trim(raw.substr(0, raw.find(';')));
        if (HasSectionHeader(line, "PROPELLANT_") || HasSectionHeader(line, "THRUSTER_"))
            return true;
        const size_t eq = line.find('=');
        if (eq != std::string::npos && Lower(Trim(line.substr(0, eq))) == "emptymass")
            return true;
    }
    return false;
}

std::optional<VesselClass> StockModuleClass(const std::string& module) {
    static const char* const kStockModules[] = {"DeltaGlider", "ShuttleA", "ShuttlePB"};
    for (const char* stock : kStockModules) {
        if (strcasecmp(module.c_str(), stock) != 0)
            continue;
        const std::string path = std::string("Config/Vessels/") + stock + ".cfg";
        if (std::optional<SampleText> sample = FindSampleFile(path))
            return ParseVesselClass(sample->text, "<built-in sample>/" + sample->path, stock);
    }
    return std::nullopt;
}

ClassLookup ReadClassFile(const ClassFileText& file, const std::string& className,
                          const BaseClassSource& baseClasses) {
    ClassLookup out;
    out.file = file.path;
    if (!file.readError.empty()) {
        out.warnings.push_back(file.path + ": cannot read the class file: " + file.readError);
        return out;
    }
    if (!IsSectionedClassFile(file.text)) {
        HostClassReading reading = ReadHostClass(file, className, baseClasses, StockModuleClass);
        out.cls = std::move(reading.cls);
        out.warnings = std::move(reading.warnings);
        return out;
    }
    try {
        out.cls = ParseVesselClass(file.text, file.path, fs::path(file.path).stem().string());
    } catch (const FileError& e) {
        out.warnings.push_back(std::string(e.what()) +
                               " (the file is read in the sectioned form, for its sections or "
                               "its EmptyMass line, and cannot be used)");
    }
    return out;
}

VesselClassFinder VesselClassFinder::ForScenario(const std::vector<std::string>& extraFolders,
                                                 const std::string& scenarioPath) {
    std::vector<std::string> folders = extraFolders;
    if (!scenarioPath.empty()) {
        // Relative to where the scenario was named, so that messages name short folders.
        fs::path dir = fs::path(scenarioPath).parent_path().lexically_normal();
        if (dir.empty())
            dir = ".";
        for (const std::string& f : InstallationFolders(dir.string()))
            folders.push_back(f);
        const fs::path above = (dir / "..").lexically_normal();
        if (above != dir)
            for (const std::string& f : InstallationFolders(above.string()))
                folders.push_back(f);
    }
    return VesselClassFinder(std::move(folders));
}

std::vector<std::string> VesselClassFinder::InstallationFolders(const std::string& root) {
    return {(fs::path(root) / "Config" / "Vessels").lexically_normal().string(),
            (fs::path(root) / "Config").lexically_normal().string()};
}

std::optional<ClassFileText> VesselClassFinder::FindFile(const std::string& className) const {
    // Class names may name sub-folders the host's way, with '\\'.
    const std::optional<std::string> fileName = ClassFileName(className);
    if (!fileName)
        return std::nullopt; // a class name never leaves the class folders
    for (const std::string& folder : folders_)
        if (std::optional<fs::path> path = FindInFolder(folder, *fileName))
            return ReadClassText(*path);
    if (std::optional<SampleText> sample = FindSampleFile("Config/Vessels/" + *fileName))
        return ClassFileText{"<built-in sample>/" + sample->path, sample->text, std::string()};
    return std::nullopt;
}

std::optional<ClassFileText> VesselClassFinder::FindBaseClassFile(const std::string& name) const {
    const std::optional<std::string> fileName = ClassFileName(name);
    if (!fileName)
        return std::nullopt;
    for (const fs::path& config : ConfigFolders(folders_))
        if (std::optional<fs::path> path = FindInFolder(config, *fileName))
            return ReadClassText(*path);
    if (std::optional<SampleText> sample = FindSampleFile("Config/" + *fileName))
        return ClassFileText{"<built-in sample>/" + sample->path, sample->text, std::string()};
    return std::nullopt;
}

std::string VesselClassFinder::Searched(const std::string& className) const {
    const std::optional<std::string> fileName = ClassFileName(className);
    if (!fileName)
        return "the name '" + className + "' would lead out of the class folders";
    // Each folder once, and only the first few of a long list, so that the line stays readable.
    constexpr size_t kListed = 6;
    std::vector<std::string> folders;
    for (const std::string& folder : folders_) {
        const std::string shown = fs::path(folder).lexically_normal().string();
        if (std::find(folders.begin(), folders.end(), shown) == folders.end())
            folders.push_back(shown);
    }
    std::string text = "no " + *fileName;
    if (folders.empty())
        return text + " among the built-in sample's classes";
    const size_t listed = folders.size() > kListed ? kListed - 1 : folders.size();
    for (size_t i = 0; i < listed; ++i)
        text += (i == 0 ? " in " : i + 1 == folders.size() ? " or " : ", ") + folders[i];
    if (listed < folders.size())
        text += " and " + std::to_string(folders.size() - listed) + " other folders";
    return text + ", nor among the built-in sample's classes";
}

ClassLookup VesselClassFinder::Lookup(const std::string& className) const {
    std::optional<ClassFileText> file = FindFile(className);
    if (!file) {
        ClassLookup none;
        none.searched = Searched(className);
        return none;
    }
    return ReadClassFile(*file, className,
                         [this](const std::string& base) { return FindBaseClassFile(base); });
}

} // namespace sim
