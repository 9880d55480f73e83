#include "sim/session.h"

#include "sim/file_output.h"
#include "sim/sample.h"

#include <strings.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

namespace sim {
namespace {

constexpr const char* kModeName = "Kelvane";

std::string ReadWholeFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) // a stream would read a folder as empty
        throw FileError(path, 0, std::string("cannot read the scenario: ") + std::strerror(EISDIR));
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FileError(path, 0, std::string("cannot read the scenario: ") + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        throw FileError(path, 0, "cannot read the scenario");
    return text.str();
}

} // namespace

int ParseDisplayId(const std::string& text) {
    if (strcasecmp(text.c_str(), "Left") == 0)
        return MFD_LEFT;
    if (strcasecmp(text.c_str(), "Right") == 0)
        return MFD_RIGHT;
    if (text.empty() || text.size() > 2 || (text.size() == 2 && text[0] == '0'))
        return -1;
    for (char c : text)
        if (c < '0' || c > '9')
            return -1;
    const int id = std::stoi(text);
    return id < kDisplayCount ? id : -1;
}

Session::Session(Host& host, SessionOptions options)
    : host_(host), options_(std::move(options)), file_(ParseScenario("", "", "")) {}

// The session ends as the host ends one: displays close, vessels go. After a fast shutdown the
// process has ended, and nothing more happens.
Session::~Session() {
    if (!Ended())
        host_.EndSession();
}

void Session::Warn(const std::string& message) const {
    if (options_.warnings)
        *options_.warnings << "kelvane-sim: warning: " << message << "\n";
}

void Session::LoadFile(const std::string& path) {
    const std::string text = ReadWholeFile(path);
    // The host reads a scenario as text and takes its vessels from BEGIN_SHIPS: a file without
    // either is some other file named by mistake.
    if (text.find('\0') != std::string::npos)
        throw FileError(path, 0,
                        "not a scenario: it holds NUL bytes, as a binary file (or UTF-16 text) "
                        "does");
    ScenarioFile file = ParseScenario(text, path, host_.ModuleName());
    if (!file.shipsLine)
        throw FileError(path, 0, "not a scenario: it has no BEGIN_SHIPS block");
    Start(std::move(file), VesselClassFinder::ForScenario(options_.vesselFolders, path));
}

void Session::LoadSample() {
    const SampleText sample = SampleScenario();
    Start(ParseScenario(sample.text, "<built-in sample>/" + sample.path, host_.ModuleName()),
          VesselClassFinder(options_.vesselFolders));
}

void Session::LoadText(const std::string& text, const std::string& path) {
    Start(ParseScenario(text, path, host_.ModuleName()),
          path.empty() ? VesselClassFinder(options_.vesselFolders)
                       : VesselClassFinder::ForScenario(options_.vesselFolders, path));
}

void Session::Start(ScenarioFile file, const VesselClassFinder& finder) {
    // Everything that can fail is checked before the old session ends. Each class is read once,
    // so that a class file's warnings come once however many ships use it.
    struct KnownClass {
        ClassLookup lookup;
        std::vector<host_model::ThrusterFigures> thrusters;
        host_model::VesselFigures figures{};
    };
    std::vector<std::string> warnings;
    std::map<std::string, KnownClass> classes; // by lower-case class name
    auto key = [](std::string name) {
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return name;
    };
    classKnown_.clear();
    for (const ShipEntry& ship : file.ships) {
        auto [it, added] = classes.try_emplace(key(ship.className));
        KnownClass& known = it->second;
        if (added) {
            known.lookup = finder.Lookup(ship.className);
            warnings.insert(warnings.end(), known.lookup.warnings.begin(),
                            known.lookup.warnings.end());
            if (known.lookup.cls)
                known.figures = FiguresOf(*known.lookup.cls, known.thrusters);
        }
        const ClassLookup& found = known.lookup;
        classKnown_.push_back(found.cls.has_value());
        const std::string where = file.path + ":" + std::to_string(ship.line) + ": ship " +
                                  ship.name + " has class " + ship.className + ", ";
        if (!found.cls && found.file.empty())
            warnings.push_back(where + "which has no class file (" + found.searched +
                               "): it has no tanks, no thrusters and no mass");
        else if (!found.cls)
            warnings.push_back(where + "whose class file " + found.file +
                               " cannot be used: it has no tanks, no thrusters and no mass");
        if (!found.cls)
            continue;
        const size_t tanks = found.cls->tankCapacities.size();
        for (const LevelSetting& s : ship.levels) {
            const std::string at = file.path + ":" + std::to_string(s.line) + ": ship " +
                                   ship.name + " of class " + ship.className;
            if (!s.read)
                warnings.push_back(at + ": the level '" + s.text +
                                   "' cannot be read, and the host passes it over: it is kept "
                                   "as read");
            else if (!s.allTanks && s.tank >= tanks)
                warnings.push_back(at + " has no tank " +
                                   (s.tank == SIZE_MAX ? s.text.substr(0, s.text.find(':'))
                                                       : std::to_string(s.tank)) +
                                   " (it has " + std::to_string(tanks) + "): the level '" + s.text +
                                   "' is kept as read");
        }
    }

    host_.EndSession();
    keptDisplays_.assign(file.displays.size(), true);
    for (const std::string& warning : warnings)
        Warn(warning);

    // The host's own start: ships, focus, the module's block, then the displays.
    std::vector<const char*> lines;
    for (const std::string& line : file.lines)
        lines.push_back(line.c_str());
    struct Context {
        Session* session;
        std::map<std::string, KnownClass>* classes;
        decltype(key)* lower;
        const ScenarioFile* file;
    } context{this, &classes, &key, &file};
    host_model::ScenarioStart start{};
    start.path = file.path.c_str();
    start.lines = lines.data();
    start.lineCount = static_cast<int>(lines.size());
    start.classOf = [](void* c, const char* name) -> const host_model::VesselFigures* {
        Context& context = *static_cast<Context*>(c);
        auto it = context.classes->find((*context.lower)(name));
        return it != context.classes->end() && it->second.lookup.cls ? &it->second.figures
                                                                     : nullptr;
    };
    start.warn = [](void* c, const char* message) {
        static_cast<Context*>(c)->session->Warn(message);
    };
    // A block the host opens is written anew from its display; any other stays as read.
    start.displayBlock = [](void* c, int line, bool opened) {
        Context& context = *static_cast<Context*>(c);
        const std::vector<DisplayBlock>& blocks = context.file->displays;
        for (size_t i = 0; i < blocks.size(); ++i)
            if (blocks[i].line == static_cast<size_t>(line) + 1 && opened)
                context.session->keptDisplays_[i] = false;
    };
    start.context = &context;
    start.width = options_.displayWidth;
    start.height = options_.displayHeight;
    host_model::StartScenario(start);
    file_ = std::move(file);
}

std::string Session::SaveText() const {
    ScenarioContent content;
    if (const Vessel* focus = host_.Focus())
        content.focusName = focus->Name();
    // The host writes a block for each open cockpit display, and none for a window.
    content.displayBlocks.resize(kDisplayCount);
    for (int id = 0; id < kDisplayCount; ++id) {
        if (!host_.IsOpen(id))
            continue;
        const MFDMODESPEC* spec = host_.FindMode(host_.ModeOf(id));
        std::vector<std::string> block{"BEGIN_MFD " + DisplayName(id), "  TYPE User",
                                       "  MODE " + std::string(spec ? spec->name : kModeName)};
        for (const std::string& line : host_.WriteStatus(id))
            block.push_back(line);
        block.push_back("END_MFD");
        content.displayBlocks[id] = std::move(block);
    }
    content.keptDisplays = keptDisplays_;
    for (size_t i = 0; i < file_.ships.size(); ++i) {
        const Vessel* vessel = host_.FindVessel(file_.ships[i].name);
        if (vessel)
            content.ships.push_back(ShipLines(file_.ships[i], *vessel, classKnown_[i]));
        else
            content.ships.push_back(std::nullopt); // deleted during the session
    }
    content.moduleName = host_.ModuleName();
    content.moduleState = host_.SaveState();
    return WriteScenario(file_, content);
}

void Session::SaveFile(const std::string& path) const {
    if (const std::string reason = WriteFileReplacing(path, SaveText()); !reason.empty())
        throw SessionError("cannot write " + path + ": " + reason);
}

Vessel& Session::RequireVessel(const std::string& name) const {
    if (Vessel* v = host_.FindVessel(name))
        return *v;
    std::string known;
    for (const auto& v : host_.Vessels())
        known += (known.empty() ? "" : ", ") + std::string(v->Name());
    throw SessionError("no vessel named " + name +
                       (known.empty() ? std::string(" (there are no vessels)")
                                      : " (the vessels are " + known + ")"));
}

const DisplayBlock* Session::KeptBlockOf(int id) const {
    if (host_.IsOpen(id))
        return nullptr;
    for (size_t i = 0; i < file_.displays.size() && i < keptDisplays_.size(); ++i)
        if (keptDisplays_[i] && file_.displays[i].id == id)
            return &file_.displays[i];
    return nullptr;
}

void Session::DropKeptBlocks(int id) {
    for (size_t i = 0; i < file_.displays.size() && i < keptDisplays_.size(); ++i)
        if (file_.displays[i].id == id)
            keptDisplays_[i] = false;
}

Instrument& Session::RequireOpen(const DisplayRef& display) {
    if (display.IsWindow()) {
        ExternalWindow& window = RequireWindow(display.window);
        if (!window.shown)
            throw SessionError("window " + display.window +
                               " shows no display (the module did "
                               "not open one)");
        return *window.shown;
    }
    const int id = display.id;
    if (id < 0 || id >= kDisplayCount)
        throw SessionError("no display " + std::to_string(id) + " (the ids are 0 to 11)");
    if (const DisplayBlock* kept = KeptBlockOf(id)) {
        if (kept->head == host_model::DisplayBlockHead::OtherType || kept->userMode)
            throw SessionError("display " + DisplayName(id) + " shows another mode (" +
                               kept->userMode.value_or("not a User mode") +
                               "), which the stand-in host does not run");
        throw SessionError("display " + DisplayName(id) +
                           " is off: the host does not read its scenario block");
    }
    Instrument* d = host_.DisplayAt(id);
    if (!d)
        throw SessionError("display " + DisplayName(id) + " is not open");
    return *d;
}

void Session::SetFocus(const std::string& vesselName) {
    Vessel& vessel = RequireVessel(vesselName);
    if (&vessel != host_.Focus())
        host_.SetFocus(&vessel);
}

void Session::Open(int id) {
    if (id < 0 || id >= kDisplayCount)
        throw SessionError("no display " + std::to_string(id) + " (the ids are 0 to 11)");
    if (host_.IsOpen(id))
        return;
    if (!host_.Focus())
        throw SessionError("there is no vessel to open display " + DisplayName(id) + " on");
    if (!host_.OpenDisplay(id, kModeName, options_.displayWidth, options_.displayHeight))
        throw SessionError("display " + DisplayName(id) + " did not open in the " +
                           std::string(kModeName) + " mode (is the module loaded?)");
    DropKeptBlocks(id); // the display switched from another mode to this one
}

void Session::Close(int id) {
    if (KeptBlockOf(id)) {
        DropKeptBlocks(id);
        return;
    }
    RequireOpen(id);
    host_.CloseDisplay(id);
}

Frame Session::Draw(const DisplayRef& display) {
    return host_.Draw(RequireOpen(display));
}

bool Session::Press(const DisplayRef& display, int button, int event) {
    return host_.Press(RequireOpen(display), button, event);
}

std::vector<std::string> Session::Menu(const DisplayRef& display) {
    return host_.Menu(RequireOpen(display));
}

bool IsWindowName(const std::string& name) {
    return !name.empty() && name.size() < sizeof(ExternalWindow::name) &&
           name.find_first_of(" \t\r\n") == std::string::npos && ParseDisplayId(name) < 0 &&
           host_model::DisplayIdNamed(name.c_str()) < 0;
}

bool Session::HasWindow(const std::string& name) const {
    return host_model::FindExternalWindow(name.c_str()) != nullptr;
}

ExternalWindow& Session::RequireWindow(const std::string& name) {
    if (ExternalWindow* window = host_model::FindExternalWindow(name.c_str()))
        return *window;
    std::string open;
    for (int i = 0; i < host_model::gHost.windowCount; ++i)
        open += (open.empty() ? "" : ", ") + std::string(host_model::gHost.windows[i].name);
    throw SessionError("no window named " + name +
                       (open.empty() ? std::string(" (no window is open)")
                                     : " (the open windows are " + open + ")"));
}

void Session::OpenWindow(const std::string& name) {
    if (!IsWindowName(name))
        throw SessionError("a window's name is one word of at most " +
                           std::to_string(sizeof(ExternalWindow::name) - 1) +
                           " characters that is no display's name, found '" + name + "'");
    if (HasWindow(name))
        throw SessionError("window " + name + " is open already");
    if (!host_.Focus())
        throw SessionError("there is no vessel to open window " + name + " on");
    if (host_model::gHost.windowCount == host_model::kMaxWindows)
        throw SessionError("window " + name + " would be one more than the " +
                           std::to_string(host_model::kMaxWindows) +
                           " the stand-in host keeps open");
    ExternalWindow* window = host_model::OpenExternalWindow(
        name.c_str(), kModeName, options_.displayWidth, options_.displayHeight);
    if (!window || !window->shown)
        throw SessionError("window " + name + " did not open in the " + std::string(kModeName) +
                           " mode (is the module loaded?)");
}

void Session::ResizeWindow(const std::string& name, DWORD width, DWORD height) {
    host_model::ResizeExternalWindow(RequireWindow(name), width, height);
}

void Session::ChooseWindowMode(const std::string& name) {
    host_model::ChooseExternalWindowMode(RequireWindow(name), kModeName);
}

void Session::StickWindow(const std::string& name, bool stuck) {
    host_model::StickExternalWindow(RequireWindow(name), stuck);
}

void Session::CloseWindow(const std::string& name) {
    host_model::CloseExternalWindow(RequireWindow(name));
}

void Session::QuitFast(const std::string& path) {
    // The host's save on exit; without a file it goes to the host's own, which is dropped here.
    if (path.empty())
        SaveText();
    else
        SaveFile(path);
    host_.ShutDownFast();
}

void Session::DeleteVessel(const std::string& vesselName) {
    Vessel& vessel = RequireVessel(vesselName);
    if (!host_model::DeleteVessel(&vessel))
        throw SessionError("vessel " + std::string(vessel.Name()) +
                           " is the last one: the host deletes no vessel that no other could "
                           "take the focus from");
}

void Session::SetTankLevel(const std::string& vesselName, size_t tank, double level) {
    Vessel& vessel = RequireVessel(vesselName);
    if (tank >= vessel.TankCount())
        throw SessionError(
            "vessel " + std::string(vessel.Name()) + " has no tank " + std::to_string(tank) +
            (vessel.TankCount() == 0
                 ? std::string(" (it has no tanks)")
                 : " (its tanks are 0 to " + std::to_string(vessel.TankCount() - 1) + ")"));
    if (!(level >= 0.0 && level <= 1.0))
        throw SessionError("a tank level is a fraction of the capacity, from 0 to 1");
    vessel.SetTankLevel(tank, level);
}

} // namespace sim
