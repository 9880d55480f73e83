// Scenario streams as the host hands them to a module (FILEHANDLE): a reader over the lines of a
// file that behaves as the simulator's line reader, and a writer that collects written lines.
#pragma once

#include <string>
#include <vector>

namespace sim {

class ScenarioReader {
public:
    explicit ScenarioReader(std::vector<std::string> lines, size_t start = 0)
        : lines_(std::move(lines)), next_(start) {}

    // The host's rule: cut from ';', trim blanks and tabs, stop (false) at the end of the lines or
    // at a line that is exactly "END" in any case. It does not stop at END_MFD.
    bool NextLine(char*& line);
    size_t Position() const { return next_; }
    // How many lines the reader has handed out or stopped at.
    size_t LinesRequested() const { return requests_; }

    static std::string Clean(const std::string& raw);

private:
    std::vector<std::string> lines_;
    size_t next_ = 0;
    size_t requests_ = 0;
    std::vector<char> current_;
};

class ScenarioWriter {
public:
    void WriteItem(const char* item, const std::string& value);
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

} // namespace sim
