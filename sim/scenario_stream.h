// Scenario streams as kelvane-sim hands them to a module: the host's stream (host_model/) over
// lines the reader owns, and a writer that collects the written lines.
#pragma once

#include "host_model/scenario_streams.h"

#include <string>
#include <vector>

namespace sim {

class ScenarioReader {
public:
    explicit ScenarioReader(std::vector<std::string> lines, size_t start = 0);
    ~ScenarioReader() { host_model::CloseStream(stream_); }
    ScenarioReader(const ScenarioReader&) = delete;
    ScenarioReader& operator=(const ScenarioReader&) = delete;

    FILEHANDLE Handle() { return &stream_; }
    bool NextLine(char*& line) { return oapiReadScenario_nextline(&stream_, line); }
    size_t Position() const { return start_ + static_cast<size_t>(stream_.next); }
    // How many lines the module asked for, the one it stopped at included.
    size_t LinesRequested() const { return static_cast<size_t>(stream_.requests); }

    static std::string Clean(const std::string& raw);

private:
    std::vector<std::string> lines_;
    std::vector<const char*> raw_;
    size_t start_;
    host_model::ScenarioStream stream_;
};

class ScenarioWriter {
public:
    ScenarioWriter() { host_model::OpenWriter(stream_); }
    ~ScenarioWriter() { host_model::CloseStream(stream_); }
    ScenarioWriter(const ScenarioWriter&) = delete;
    ScenarioWriter& operator=(const ScenarioWriter&) = delete;

    FILEHANDLE Handle() { return &stream_; }
    std::vector<std::string> Lines() const {
        return std::vector<std::string>(stream_.written, stream_.written + stream_.writtenCount);
    }

private:
    host_model::ScenarioStream stream_;
};

} // namespace sim
