#include "sim/host_class_file.h"

#include <strings.h>

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

// Looks items up through the class's own file and then its base classes, as the host overrides a
// base class with the class's own file.
class ItemReader {
public:
    ItemReader(const std::vector<ClassLines>& chain, std::vector<std::string>& warnings)
        : chain_(chain), warnings_(warnings) {}

    // The first line for `key` in a file, if it has a value; an empty value counts as absent.
    static const ItemLine* FirstLine(const ClassLines& file, const char* key) {
        for (const ItemLine& item : file.items)
            if (SameText(item.key, key))
                return item.value.empty() ? nullptr : &item;
        return nullptr;
    }

    const ItemLine* Text(const char* key, const ClassLines** where = nullptr) const {
        for (const ClassLines& file : chain_)
            if (const ItemLine* item = FirstLine(file, key)) {
                if (where)
                    *where = &file;
                return item;
            }
        return nullptr;
    }

    // Up to `count` leading numbers of the item, read as sscanf reads them; returns how many
    // were read (0: the item is absent). A value that is not a usable number is passed over
    // with a warning and the next file of the chain is asked.
    int Numbers(const char* key, int count, double* out, const char* expected,
                double largest = std::numeric_limits<double>::max()) const {
        for (const ClassLines& file : chain_) {
            const ItemLine* item = FirstLine(file, key);
            if (!item)
                continue;
            double v[3] = {0, 0, 0};
            const int read =
                count == 1   ? std::sscanf(item->value.c_str(), "%lf", &v[0])
                : count == 2 ? std::sscanf(item->value.c_str(), "%lf %lf", &v[0], &v[1])
                             : std::sscanf(item->value.c_str(), "%lf %lf %lf", &v[0], &v[1], &v[2]);
            bool usable = read >= 1;
            for (int i = 0; usable && i < read; ++i)
                usable = std::isfinite(v[i]) && v[i] >= 0 && v[i] <= largest;
            if (!usable) {
                warnings_.push_back(file.path + ":" + std::to_string(item->line) +
                                    ": passed over '" + item->key + " = " + item->value +
                                    "': expected " + expected);
                continue;
            }
            for (int i = 0; i < read; ++i)
                out[i] = v[i];
            return read;
        }
        return 0;
    }

    // Three moments of inertia: an item with fewer is passed over with a warning and the next
    // file asked; a moment below 0 is worked out from the size, also with a warning.
    std::optional<VECTOR3> Moments(const double worked[3]) const {
        for (const ClassLines& file : chain_) {
            const ItemLine* item = FirstLine(file, "Inertia");
            if (!item)
                continue;
            const std::string where = file.path + ":" + std::to_string(item->line) + ": ";
            double v[3] = {0, 0, 0};
            const int read = std::sscanf(item->value.c_str(), "%lf %lf %lf", &v[0], &v[1], &v[2]);
            bool usable = read == 3;
            for (int i = 0; usable && i < 3; ++i)
                usable = std::isfinite(v[i]);
            if (!usable) {
                warnings_.push_back(where + "passed over 'Inertia = " + item->value +
                                    "': expected three moments of inertia in m^2");
                continue;
            }
            if (v[0] < 0 || v[1] < 0 || v[2] < 0)
                warnings_.push_back(where + "'Inertia = " + item->value +
                                    "': a moment below 0 is worked out from the size");
            for (int i = 0; i < 3; ++i)
                if (v[i] < 0)
                    v[i] = worked[i];
            return VECTOR3{{v[0], v[1], v[2]}};
        }
        return std::nullopt;
    }

    std::optional<double> Number(const char* key, const char* expected,
                                 double largest = std::numeric_limits<double>::max()) const {
        double v = 0;
        if (Numbers(key, 1, &v, expected, largest) == 0)
            return std::nullopt;
        return v;
    }

private:
    const std::vector<ClassLines>& chain_;
    std::vector<std::string>& warnings_;
};

// The class's own file, then each BaseClass file it leads to.
std::vector<ClassLines> ReadChain(const ClassFileText& file, const BaseClassSource& baseClasses,
                                  std::vector<std::string>& warnings) {
    std::vector<ClassLines> chain{SplitItems(file)};
    while (const ItemLine* base = ItemReader::FirstLine(chain.back(), "BaseClass")) {
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

void AddThrusters(const ItemReader& items, double size, VesselClass& cls) {
    const double isp = items.Number("Isp", "an Isp in m/s, 0 or more").value_or(kDefaultIsp);
    const int tank = cls.tankCapacities.empty() ? -1 : 0;
    const char* thrust = "a thrust in N, 0 or more";
    auto add = [&](VECTOR3 pos, VECTOR3 dir, double f) {
        cls.thrusters.push_back(ThrusterSpec{pos, dir, f, isp, tank});
    };
    const VECTOR3 origin{{0, 0, 0}};
    if (auto f = items.Number("MaxMainThrust", thrust))
        add(origin, {{0, 0, 1}}, *f);
    if (auto f = items.Number("MaxRetroThrust", thrust))
        add(origin, {{0, 0, -1}}, *f);
    if (auto f = items.Number("MaxHoverThrust", thrust))
        add(origin, {{0, 1, 0}}, *f);
    if (auto f = items.Number("MaxAttitudeThrust", thrust)) {
        // Six linear thrusters, then six pairs that turn the vessel about its three axes.
        const VECTOR3 linear[] = {{{0, 1, 0}}, {{0, -1, 0}}, {{-1, 0, 0}},
                                  {{1, 0, 0}}, {{0, 0, 1}},  {{0, 0, -1}}};
        for (const VECTOR3& dir : linear)
            add(origin, dir, *f);
        const double s = size;
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

void AddTanks(const ItemReader& items, VesselClass& cls) {
    for (int n = 1;; ++n) {
        const std::string key = "PropellantResource" + std::to_string(n);
        double v[2] = {0, 1}; // capacity, efficiency (not modelled)
        if (items.Numbers(key.c_str(), 2, v, "a capacity in kg and an efficiency, 0 or more") == 0)
            break;
        cls.tankCapacities.push_back(v[0]);
    }
    if (cls.tankCapacities.empty())
        if (auto fuel = items.Number("MaxFuel", "a capacity in kg, 0 or more"))
            cls.tankCapacities.push_back(*fuel);
}

} // namespace

HostClassReading ReadHostClass(const ClassFileText& file, const std::string& className,
                               const BaseClassSource& baseClasses,
                               const StockModuleSource& stockModules) {
    HostClassReading out;
    const std::vector<ClassLines> chain = ReadChain(file, baseClasses, out.warnings);
    const ItemReader items(chain, out.warnings);
    VesselClass& cls = out.cls;

    bool fromModule = false;
    const ClassLines* moduleFile = nullptr;
    if (const ItemLine* module = items.Text("Module", &moduleFile)) {
        const std::string where = moduleFile->path + ":" + std::to_string(module->line) + ": ";
        std::optional<VesselClass> stock =
            stockModules ? stockModules(module->value) : std::nullopt;
        if (stock) {
            cls = *stock;
            fromModule = true;
            const ItemLine* scramjet = items.Text("Scramjet");
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

    // The module's figures first; the file's items then apply on top.
    if (auto mass = items.Number("Mass", "a mass in kg, 0 or more"))
        cls.emptyMass = *mass;
    else if (!fromModule)
        cls.emptyMass = kDefaultMass;
    // The moments worked out from the size are 2 * size: a larger size would give none.
    const double size = items
                            .Number("Size", "a radius in m, from 0 to half the largest number",
                                    std::numeric_limits<double>::max() / 2)
                            .value_or(kDefaultSize);
    const double worked[3] = {2 * size, 2 * size, size};
    if (std::optional<VECTOR3> given = items.Moments(worked))
        cls.pmi = *given;
    else if (!fromModule)
        cls.pmi = VECTOR3{{worked[0], worked[1], worked[2]}};
    // A module defines its own tanks and thrusters; the generic ones come only where it has none.
    if (cls.tankCapacities.empty())
        AddTanks(items, cls);
    if (cls.thrusters.empty())
        AddThrusters(items, size, cls);
    return out;
}

} // namespace sim
