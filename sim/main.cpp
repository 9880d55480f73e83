// kelvane-sim: the stand-in host as a program. It loads the built module the way the host does,
// starts a scenario (the built-in sample by default), runs script commands and prints displays.
#include "sim/cockpit.h"
#include "sim/display_picture.h"
#include "sim/frame_text.h"
#include "sim/host.h"
#include "sim/script.h"
#include "sim/session.h"

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

namespace {

constexpr const char* kModuleFile = "Kelvane.so";
// Exit statuses, listed in --help; the host's crash stop is sim::kHostCrashStatus (3).
constexpr int kRefusedStatus = 1;
constexpr int kUsageStatus = 2;

// The build puts the program in build/sim/ and the module in build/Modules/Plugin/.
std::string DefaultModuleFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return "Modules/Plugin";
    return (self.parent_path().parent_path() / "Modules" / "Plugin").string();
}

// The check of the folder options, worded as the program's other messages: CLI11's own begin
// with a capital ("Directory does not exist: X").
std::string ExistingFolderError(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status))
        return "directory does not exist: " + path;
    if (!fs::is_directory(status))
        return "not a directory: " + path;
    return std::string();
}

// CLI11's messages begin with a capital ("The following argument was not expected"); the
// program's begin in lower case. A word in capitals ("INI") stays as it is.
std::string LowerCaseStart(std::string message) {
    if (message.size() > 1 && std::isupper(static_cast<unsigned char>(message[0])) &&
        std::islower(static_cast<unsigned char>(message[1])))
        message[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(message[0])));
    return message;
}

struct ScriptSource {
    bool isFile = false;
    std::string text; // the commands, or the script file's path
};

} // namespace

int main(int argc, char** argv) {
    // The command list for --help comes from the interpreter's own table.
    std::string commandHelp;
    {
        sim::Host helpHost;
        sim::Session helpSession(helpHost, sim::SessionOptions{});
        commandHelp = sim::ScriptInterpreter(helpSession, std::cout).CommandHelp();
    }

    CLI::App app("kelvane-sim: the stand-in host for the Kelvane display module. It loads the "
                 "module, starts a scenario, runs script commands and prints the displays.",
                 "kelvane-sim");
    app.set_version_flag("--version", "kelvane-sim " KELVANE_VERSION,
                         "print the release's version and exit");
    std::string scenario;
    std::vector<std::string> commands;
    std::vector<std::string> scriptFiles;
    std::string saveFile;
    std::vector<std::string> vesselFolders;
    std::string moduleFolder = DefaultModuleFolder();
    std::string size = "256x256";

    app.add_option("SCENARIO", scenario,
                   "scenario file to start (default: the built-in sample scenario)")
        ->type_name("FILE");
    CLI::Option* execute =
        app.add_option("-e,--execute", commands, "script commands, separated by ';'")
            ->type_name("'CMD; CMD...'")
            ->expected(1)
            ->allow_extra_args(false)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    CLI::Option* script =
        app.add_option("--script", scriptFiles, "script file: commands one per line or ';'")
            ->type_name("FILE")
            ->expected(1)
            ->allow_extra_args(false)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_option("--save", saveFile, "after the script, save the scenario to FILE")
        ->type_name("FILE");
    std::string pngFile;
    bool interactive = false;
    app.add_option("--png", pngFile,
                   "after the script, write a picture of the Left display to FILE (PNG; the "
                   "display is switched on if it is off): the --size screen inside its bezel")
        ->type_name("FILE");
    app.add_flag("--interactive", interactive,
                 "after the script, run the live cockpit in this terminal: the Left and Right "
                 "displays, keys 1-4 and 7-0 for their buttons, q to quit");
    app.add_option("--vessels", vesselFolders,
                   "folder of vessel class files (CLASS.cfg), searched before Config/Vessels "
                   "beside the scenario; may be given more than once")
        ->type_name("DIR")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check(ExistingFolderError, "");
    std::string orbiterRoot;
    app.add_option("--orbiter-root", orbiterRoot,
                   "root folder of a host installation: class files come from its Config/Vessels "
                   "and Config (after --vessels), and SCENARIO may be given relative to it or to "
                   "its Scenarios; folder and file names match in any case, as on Windows")
        ->type_name("DIR")
        ->check(ExistingFolderError, "");
    app.add_option("--modules", moduleFolder, "folder that holds Kelvane.so")
        ->type_name("DIR")
        ->capture_default_str();
    app.add_option("--size", size, "size of every display in pixels, each side 128 to 1024")
        ->type_name("WxH")
        ->capture_default_str()
        ->check(sim::DisplaySizeError, "");
    app.footer("Script commands ('-e' and --script run in the order given). MFD is Left or Right "
               "(in any case) or a display id 0 to 11. Listings, messages and scenario blocks "
               "name the displays Left, Right and 3 to 12 for the ids 0, 1 and 2 to 11: 'draw 11' "
               "prints [MFD 12].\n" +
               commandHelp +
               "\nWithout -e, --script, --save, --png or --interactive it opens the Left "
               "display on the focus vessel and prints it.\n"
               "Errors go to stderr, each as one line 'kelvane-sim: MESSAGE'; a command's says "
               "where it stands, as -e:1: or steps.txt:5:, with 'command N:' after it on a line "
               "of several commands ('-e:1: command 3:'). When the script fails, --save and --png "
               "write nothing.\n"
               "Exit status:\n"
               "  0  success\n"
               "  1  refused input: a scenario, script or command it refuses, a file it cannot "
               "read or write (the module too), or --interactive without a terminal (a class "
               "file it cannot find or use is a warning)\n"
               "  2  usage error: an unknown option, an option or argument missing or out of "
               "range, or a --vessels or --orbiter-root folder that does not exist (or is a file)\n"
               "  3  the module made a call on which the simulator would crash (the line says "
               "which)\n"
               "  130  --interactive ended by Ctrl-C");

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) { // --help, --version
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // One form for every error, and one status for every usage error.
        std::cerr << "kelvane-sim: " << LowerCaseStart(e.what()) << " (see kelvane-sim --help)\n";
        return kUsageStatus;
    }

    // -e and --script in the order they were given.
    std::vector<ScriptSource> sources;
    {
        size_t nextCommand = 0, nextFile = 0;
        for (CLI::Option* option : app.parse_order()) {
            if (option == execute && nextCommand < commands.size())
                sources.push_back({false, commands[nextCommand++]});
            else if (option == script && nextFile < scriptFiles.size())
                sources.push_back({true, scriptFiles[nextFile++]});
        }
    }

    if (!orbiterRoot.empty()) {
        for (const std::string& folder : sim::VesselClassFinder::InstallationFolders(orbiterRoot))
            vesselFolders.push_back(folder);
        // A scenario that is not where it is named is looked for in the installation.
        std::error_code ec;
        if (!scenario.empty() && !fs::exists(scenario, ec) && fs::path(scenario).is_relative()) {
            for (const std::string& under : {std::string(), std::string("Scenarios")})
                if (std::optional<std::string> found =
                        sim::FindHostFile((fs::path(orbiterRoot) / under).string(), scenario)) {
                    scenario = *found;
                    break;
                }
        }
    }

    DWORD displayWidth = 0, displayHeight = 0;
    sim::ParseDisplaySize(size, displayWidth, displayHeight);
    int status = 0;
    sim::Host host;
    try {
        host.LoadModuleFile((fs::path(moduleFolder) / kModuleFile).string());
    } catch (const std::exception& e) {
        std::cerr << "kelvane-sim: " << e.what() << " (name the module's folder with --modules)\n";
        return kRefusedStatus;
    }
    try {
        sim::SessionOptions options;
        options.vesselFolders = vesselFolders;
        options.displayWidth = displayWidth;
        options.displayHeight = displayHeight;
        options.warnings = &std::cerr;
        sim::Session session(host, options);
        if (scenario.empty())
            session.LoadSample();
        else
            session.LoadFile(scenario);

        sim::ScriptInterpreter interpreter(session, std::cout);
        if (sources.empty() && saveFile.empty() && pngFile.empty() && !interactive) {
            // The user wrote no script: name the scenario, not the built-in one's text.
            try {
                session.Open(MFD_LEFT);
                std::cout << sim::FrameListing(session.Draw(MFD_LEFT),
                                               sim::DisplayRef(MFD_LEFT).Heading());
            } catch (const sim::SessionError& e) {
                throw sim::SessionError((scenario.empty() ? "the built-in sample" : scenario) +
                                        ": " + e.what());
            }
        }
        for (const ScriptSource& source : sources) {
            if (session.Ended())
                break;
            if (source.isFile)
                interpreter.RunFile(source.text);
            else
                interpreter.Run(source.text, "-e");
        }
        if (session.Ended()) {
            // A fast shutdown ended the process: the module is gone, and nothing more runs.
            for (const auto& [option, given] :
                 {std::pair<const char*, bool>{"--png", !pngFile.empty()},
                  {"--save", !saveFile.empty()},
                  {"--interactive", interactive}})
                if (given)
                    std::cerr << "kelvane-sim: warning: " << option
                              << " is not done: 'quit fast' ended the run"
                              << (option[2] == 's' ? " (give quit fast the file instead)" : "")
                              << "\n";
            std::cout.flush();
            return status;
        }
        if (!pngFile.empty()) {
            session.Open(MFD_LEFT);
            sim::WriteDisplayPng(session.Draw(MFD_LEFT), pngFile);
        }
        if (!saveFile.empty())
            session.SaveFile(saveFile);
        if (interactive) {
            // Both displays start on, unless there is no ship to show.
            if (host.Focus()) {
                session.Open(MFD_LEFT);
                session.Open(MFD_RIGHT);
            }
            sim::CockpitOptions cockpit;
            cockpit.width = displayWidth;
            cockpit.height = displayHeight;
            cockpit.saveScenario = [&session](const std::string& path) { session.SaveFile(path); };
            cockpit.openDisplay = [&session](int id) { session.Open(id); };
            cockpit.closeDisplay = [&session](int id) { session.Close(id); };
            std::cout.flush();
            status = sim::RunCockpit(host, cockpit);
        }
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "kelvane-sim: " << e.what() << "\n";
        status = kRefusedStatus;
    }
    std::cout.flush();
    host.UnloadModule(); // displays close first, then the module's detach step runs
    return status;
}
