#include "sim/scenario_stream.h"

#include "host_rules/scenario_lines.h"

namespace sim {

std::string ScenarioReader::Clean(const std::string& raw) {
    std::vector<char> text(raw.size() + 1);
    ReaderLineText(raw.c_str(), text.data(), text.size());
    return text.data();
}

bool ScenarioReader::NextLine(char*& line) {
    ++requests_;
    if (next_ >= lines_.size())
        return false;
    const std::string& raw = lines_[next_++];
    current_.assign(raw.size() + 1, '\0');
    ReaderLineText(raw.c_str(), current_.data(), current_.size());
    line = current_.data();
    return !EndsReading(line);
}

void ScenarioWriter::WriteItem(const char* item, const std::string& value) {
    lines_.push_back(std::string("  ") + item + " " + value);
}

} // namespace sim
