#include "sim/host_class_file.h"

#include <strings.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

namespace sim {
namespace {

constexpr double kDefaultMass = 1000.0;   // kg
constexpr double kDefaultSize = 10.0;     // m
constexpr double kDefaultIsp = 50000.0;   // m/s
constexpr size_t kMaxBaseClassDepth = 32; // a longer chain is a loop the host would never leave

std::string TrimBlanks(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool SameText(const std::string& a, const char* b) {
    // Compares the whole string, so that a NUL byte in a line cannot make a shorter key match.
    const size_t n = std::char_traits<char>::length(b);
    return a.size() == n && strncasecmp(a.c_str(), b, n) == 0;
}

// One file's lines up to END_PARSE, with their keys and values split the host's way.
struct ItemLine {
    std::string key;
    std::string value;
    size_t line = 0;
};

struct ClassLines {
    std::string path;
    std::vector<ItemLine> items; // only lines with '='
};

ClassLines SplitItems(const ClassFileText& file) {
    ClassLines out{file.path, {}};
    size_t start = 0;
    size_t number = 0;
    while (start <= file.text.size()) {
        size_t end = file.text.find('\n', start);
        if (end == std::string::npos)
            end = file.text.size();
        ++number;
        std::string text = file.text.substr(start, end - start);
        text = TrimBlanks(text.substr(0, text.find(';')));
        if (SameText(text, "END_PARSE"))
            break;
        const size_t eq = text.find('=');
        if (eq != std::string::npos)
            out.items.push_back(
                {TrimBlanks(text.substr(0, eq)), TrimBlanks(text.substr(eq + 1)), number});
        if (end == file.text.size())
            break;
        start = end + 1;
    }
    return out;
}

// The first line for `key` in a file, if it has a value; an empty value counts as absent.
const ItemLine* FirstLine(const ClassLines& file, const char* key) {
    for (const ItemLine& item : file.items)
        if (SameText(item.key, key))
            return item.value.empty() ? nullptr : &item;
    return nullptr;
}

// The first of the class's files (its own, then its bases) that gives `key`.
const ItemLine* FirstInChain(const std::vector<ClassLines>& chain, const char* key,
                             const ClassLines** where = nullptr) {
    for (const ClassLines& file : chain)
        if (const ItemLine* item = FirstLine(file, key)) {
            if (where)
                *where = &file;
            return item;
        }
    return nullptr;
}

// One file's items, read as the host reads them; what is not usable is passed over with a
// warning naming the line.
class FileItems {
public:
    FileItems(const ClassLines& file, std::vector<std::string>& warnings)
        : file_(file), warnings_(warnings) {}

    // Up to `count` (1 to 3) leading numbers of the item, read as sscanf reads them, into
    // `out`; `read` says how many. Null when the file does not give the item.
    const ItemLine* Scan(const char* key, int count, double* out, int& read) const {
        read = 0;
        const ItemLine* item = FirstLine(file_, key);
        if (!item)
            return nullptr;
        const char* text = item->value.c_str();
        read = count == 1   ? std::sscanf(text, "%lf", &out[0])
               : count == 2 ? std::sscanf(text, "%lf %lf", &out[0], &out[1])
                            : std::sscanf(text, "%lf %lf %lf", &out[0], &out[1], &out[2]);
        read = std::max(read, 0); // EOF: no number at all
        if (std::any_of(out, out + read, [](double x) { return !std::isfinite(x); }))
            read = 0; // nan and inf are no figures
        return item;
    }

    // The item's leading number when it is one from 0 to `largest`; nothing when the file does
    // not give the item or (with a warning) gives something else.
    std::optional<double> Number(const char* key, const char* expected,
                                 double largest = std::numeric_limits<double>::max()) const {
        double v = 0;
        int read = 0;
        const ItemLine* item = Scan(key, 1, &v, read);
        if (!item)
            return std::nullopt;
        if (read < 1 || v < 0 || v > largest) {
            PassOver(*item, std::string("expected ") + expected);
            return std::nullopt;
        }
        return v;
    }

    void PassOver(const ItemLine& item, const std::string& why) const {
        Warn(item, "passed over '" + item.key + " = " + item.value + "': " + why);
    }
    void Warn(const ItemLine& item, const std::string& what) const {
        warnings_.push_back(file_.path + ":" + std::to_string(item.line) + ": " + what);
    }

private:
    const ClassLines& file_;
    std::vector<std::string>& warnings_;
};

// The class's own file, then each BaseClass file it leads to.
std::vector<ClassLines> ReadChain(const ClassFileText& file, const BaseClassSource& baseClasses,
                                  std::vector<std::string>& warnings) {
    std::vector<ClassLines> chain{SplitItems(file)};
    while (const ItemLine* base = FirstLine(chain.back(), "BaseClass")) {
        const std::string where = chain.back().path + ":" + std::to_string(base->line) + ": ";
        if (chain.size() > kMaxBaseClassDepth) {
            warnings.push_back(where + "passed over 'BaseClass = " + base->value +
                               "': base classes nested more than " +
                               std::to_string(kMaxBaseClassDepth) + " deep");
            break;
        }
        std::optional<ClassFileText> next = baseClasses ? baseClasses(base->value) : std::nullopt;
        if (!next) {
            warnings.push_back(where + "passed over 'BaseClass = " + base->value +
                               "': no class file Config/" + base->value + ".cfg");
            break;
        }
        if (!next->readError.empty()) {
            warnings.push_back(where + "passed over 'BaseClass = " + base->value +
                               "': cannot read " + next->path + ": " + next->readError);
            break;
        }
        bool loop = false;
        for (const ClassLines& seen : chain)
            loop = loop || seen.path == next->path;
        if (loop) {
            warnings.push_back(where + "passed over 'BaseClass = " + base->value +
                               "': " + next->path + " is already one of this class's files");
            break;
        }
        chain.push_back(SplitItems(*next));
    }
    return chain;
}

bool IsTrue(const std::string& value) {
    return strncasecmp(value.c_str(), "TRUE", 4) == 0;
}

// What the files read so far have set: a later file's item replaces an earlier one's, and the
// thrusters a file's items make take the size and Isp in force when it is read.
struct Layered {
    double size = kDefaultSize;
    double isp = kDefaultIsp;
    std::optional<std::array<double, 3>> inertia; // a moment below 0: from the final size
};

void AddTanks(const FileItems& items, VesselClass& cls) {
    // Up to the first item that is missing; one that is not a capacity makes no tank.
    for (int n = 1;; ++n) {
        const std::string key = "PropellantResource" + std::to_string(n);
        double v[2] = {0, 1}; // capacity, efficiency (not modelled)
        int read = 0;
        const ItemLine* item = items.Scan(key.c_str(), 2, v, read);
        if (!item)
            break;
        if (read < 1 || v[0] < 0 || v[1] < 0)
            items.PassOver(*item, "expected a capacity in kg and an efficiency, 0 or more");
        else
            cls.tankCapacities.push_back(v[0]);
    }
    if (auto fuel = items.Number("MaxFuel", "a capacity in kg, 0 or more"))
        if (cls.tankCapacities.empty())
            cls.tankCapacities.push_back(*fuel);
}

// A main, retro or hover thruster: made when the vessel has none of that kind, setting the
// thrust of the one it has, and leaving more than one as they are.
void AddOrSetThruster(VesselClass& cls, ThrusterSpec::Group group, VECTOR3 dir, double thrust,
                      double isp) {
    ThrusterSpec* only = nullptr;
    size_t count = 0;
    for (ThrusterSpec& t : cls.thrusters)
        if (t.group == group && count++ == 0)
            only = &t;
    if (count == 1) {
        only->max0 = thrust;
    } else if (count == 0) {
        ThrusterSpec t{VECTOR3{{0, 0, 0}}, dir, thrust, isp, cls.tankCapacities.empty() ? -1 : 0};
        t.group = group;
        cls.thrusters.push_back(t);
    }
}

void AddThrusters(const FileItems& items, const Layered& at, VesselClass& cls) {
    const char* thrust = "a thrust in N, 0 or more";
    using G = ThrusterSpec::Group;
    if (auto f = items.Number("MaxMainThrust", thrust))
        AddOrSetThruster(cls, G::Main, {{0, 0, 1}}, *f, at.isp);
    if (auto f = items.Number("MaxRetroThrust", thrust))
        AddOrSetThruster(cls, G::Retro, {{0, 0, -1}}, *f, at.isp);
    if (auto f = items.Number("MaxHoverThrust", thrust))
        AddOrSetThruster(cls, G::Hover, {{0, 1, 0}}, *f, at.isp);
    if (auto f = items.Number("MaxAttitudeThrust", thrust)) {
        const int tank = cls.tankCapacities.empty() ? -1 : 0;
        auto add = [&](VECTOR3 pos, VECTOR3 dir, double f) {
            cls.thrusters.push_back(ThrusterSpec{pos, dir, f, at.isp, tank});
        };
        // Six linear thrusters, then six pairs that turn the vessel about its three axes.
        const VECTOR3 origin{{0, 0, 0}};
        const VECTOR3 linear[] = {{{0, 1, 0}}, {{0, -1, 0}}, {{-1, 0, 0}},
                                  {{1, 0, 0}}, {{0, 0, 1}},  {{0, 0, -1}}};
        for (const VECTOR3& dir : linear)
            add(origin, dir, *f);
        const double s = at.size;
        const struct {
            VECTOR3 pos, dir;
        } rotation[] = {
            {{{0, 0, s}}, {{0, 1, 0}}},   {{{0, 0, -s}}, {{0, -1, 0}}}, {{{0, 0, s}}, {{0, -1, 0}}},
            {{{0, 0, -s}}, {{0, 1, 0}}},  {{{0, 0, s}}, {{-1, 0, 0}}},  {{{0, 0, -s}}, {{1, 0, 0}}},
            {{{0, 0, s}}, {{1, 0, 0}}},   {{{0, 0, -s}}, {{-1, 0, 0}}}, {{{s, 0, 0}}, {{0, 1, 0}}},
            {{{-s, 0, 0}}, {{0, -1, 0}}}, {{{-s, 0, 0}}, {{0, 1, 0}}},  {{{s, 0, 0}}, {{0, -1, 0}}},
        };
        for (const auto& r : rotation)
            add(r.pos, r.dir, *f / 2);
    }
}

// One file's items on top of what the module and the files before it made.
void ApplyFile(const FileItems& items, Layered& at, VesselClass& cls) {
    if (auto mass = items.Number("Mass", "a mass in kg, 0 or more"))
        cls.emptyMass = *mass;
    // The moments worked out from the size are 2 * size: a larger size would give none.
    if (auto size = items.Number("Size", "a radius in m, from 0 to half the largest number",
                                 std::numeric_limits<double>::max() / 2))
        at.size = *size;
    double moments[3] = {0, 0, 0};
    int read = 0;
    if (const ItemLine* inertia = items.Scan("Inertia", 3, moments, read)) {
        if (read < 3) {
            items.PassOver(*inertia, "expected three moments of inertia in m^2");
        } else {
            at.inertia = {{moments[0], moments[1], moments[2]}};
            if (moments[0] < 0 || moments[1] < 0 || moments[2] < 0)
                items.Warn(*inertia, "'Inertia = " + inertia->value +
                                         "': a moment below 0 is worked out from the size");
        }
    }
    AddTanks(items, cls);
    if (auto isp = items.Number("Isp", "an Isp in m/s, 0 or more"))
        at.isp = *isp;
    AddThrusters(items, at, cls);
}

} // namespace

HostClassReading ReadHostClass(const ClassFileText& file, const std::string& className,
                               const BaseClassSource& baseClasses,
                               const StockModuleSource& stockModules) {
    HostClassReading out;
    const std::vector<ClassLines> chain = ReadChain(file, baseClasses, out.warnings);
    VesselClass& cls = out.cls;

    bool fromModule = false;
    const ClassLines* moduleFile = nullptr;
    if (const ItemLine* module = FirstInChain(chain, "Module", &moduleFile)) {
        const std::string where = moduleFile->path + ":" + std::to_string(module->line) + ": ";
        std::optional<VesselClass> stock =
            stockModules ? stockModules(module->value) : std::nullopt;
        if (stock) {
            cls = *stock;
            fromModule = true;
            const ItemLine* scramjet = FirstInChain(chain, "Scramjet");
            if (SameText(module->value, "DeltaGlider") && scramjet && IsTrue(scramjet->value))
                out.warnings.push_back(
                    where + "class " + className +
                    " is the DeltaGlider with a scramjet (Scramjet = TRUE), which the stand-in "
                    "does not model: it has the DeltaGlider's figures, without the scramjet "
                    "engines and their tank");
        } else {
            out.warnings.push_back(where + "class " + className + " uses the vessel module " +
                                   module->value +
                                   ", which the stand-in does not model: its figures come from "
                                   "the class file's items alone");
        }
    }
    cls.name = className;
    if (!fromModule)
        cls.emptyMass = kDefaultMass;

    // The module's figures first; then the base classes' items, the deepest first, and the
    // class's own on top of them.
    Layered at;
    for (auto file = chain.rbegin(); file != chain.rend(); ++file)
        ApplyFile(FileItems(*file, out.warnings), at, cls);

    const double worked[3] = {2 * at.size, 2 * at.size, at.size};
    if (at.inertia) {
        std::array<double, 3>& given = *at.inertia;
        for (int i = 0; i < 3; ++i)
            if (given[i] < 0)
                given[i] = worked[i];
        cls.pmi = VECTOR3{{given[0], given[1], given[2]}};
    } else if (!fromModule) {
        cls.pmi = VECTOR3{{worked[0], worked[1], worked[2]}};
    }
    return out;
}

} // namespace sim
