#include "sim/scenario_stream.h"

#include <cctype>

namespace sim {

std::string ScenarioReader::Clean(const std::string& raw) {
    std::string line = raw.substr(0, raw.find(';'));
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    size_t last = line.find_last_not_of(" \t");
    return line.substr(first, last - first + 1);
}

bool ScenarioReader::NextLine(char*& line) {
    ++requests_;
    if (next_ >= lines_.size())
        return false;
    std::string cleaned = Clean(lines_[next_++]);
    current_.assign(cleaned.begin(), cleaned.end());
    current_.push_back('\0');
    line = current_.data();
    if (cleaned.size() == 3 && std::toupper(static_cast<unsigned char>(cleaned[0])) == 'E' &&
        std::toupper(static_cast<unsigned char>(cleaned[1])) == 'N' &&
        std::toupper(static_cast<unsigned char>(cleaned[2])) == 'D')
        return false;
    return true;
}

void ScenarioWriter::WriteItem(const char* item, const std::string& value) {
    lines_.push_back(std::string("  ") + item + " " + value);
}

} // namespace sim
