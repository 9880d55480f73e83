// Helpers for the stand-in host's program tests: scratch folders, files, and runs of kelvane-sim.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

// A fresh folder under the test temp dir, removed when the test ends.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelvane-sim-XXXXXX");
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a scratch folder");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string Path(const std::string& relative = std::string()) const {
        return relative.empty() ? path_.string() : (path_ / relative).string();
    }
    std::string Write(const std::string& relative, const std::string& text) const {
        const std::filesystem::path file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

private:
    std::filesystem::path path_;
};

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// `scenario` with the PRPLEVEL line of each named ship in six decimals, as a save writes them.
inline std::string SixDecimalLevels(std::string scenario, const std::vector<std::string>& ships) {
    for (const std::string& ship : ships) {
        const size_t header = scenario.find("\n" + ship + ":");
        const size_t line = scenario.find("PRPLEVEL", header);
        const size_t end = scenario.find('\n', line);
        if (header == std::string::npos || line == std::string::npos ||
            scenario.find("\nEND\n", header) < line)
            throw std::runtime_error("no PRPLEVEL line for ship " + ship);
        std::istringstream pairs(scenario.substr(line + 8, end - line - 8));
        std::string pair, written = "PRPLEVEL";
        while (pairs >> pair) {
            char text[64];
            const size_t colon = pair.find(':');
            std::snprintf(text, sizeof text, " %s:%.6f", pair.substr(0, colon).c_str(),
                          std::stod(pair.substr(colon + 1)));
            written += text;
        }
        scenario.replace(line, end - line, written);
    }
    return scenario;
}

inline bool FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

// `s` as one word for the shell.
inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct ShellResult {
    int status = -1;
    std::string out; // stdout and stderr together
};

inline ShellResult Shell(const std::string& command) {
    ShellResult r;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return r;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        r.out.append(buffer, n);
    const int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

// kelvane-sim's run: its exit status and what it printed to each stream.
struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs kelvane-sim with `arguments` (shell words) in `folder`.
inline RunResult RunSim(const ScratchFolder& folder, const std::string& arguments) {
    const std::string command = "cd '" + folder.Path() + "' && '" KELVANE_SIM_PATH "' " +
                                arguments + " >stdout.txt 2>stderr.txt </dev/null";
    const int raw = std::system(command.c_str());
    RunResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ReadText(folder.Path("stdout.txt"));
    result.err = ReadText(folder.Path("stderr.txt"));
    return result;
}
