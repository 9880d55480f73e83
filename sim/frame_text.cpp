#include "sim/frame_text.h"

#include "host_model/drawn_text.h"

namespace sim {

std::string Cp1252ToUtf8(const std::string& text) {
    std::string out(text.size() * host_model::kUtf8BytesPerDrawnByte + 1, '\0');
    out.resize(host_model::DrawnTextToUtf8(text.data(), text.size(), &out[0], out.size()));
    return out;
}

std::vector<std::string> FrameRows(const Frame& frame) {
    std::vector<std::string> rows; // Windows-1252 bytes, one per cell
    const int cw = frame.cellWidth > 0 ? frame.cellWidth : 1;
    const int ch = frame.cellHeight > 0 ? frame.cellHeight : 1;
    for (const TextRun& run : frame.runs) {
        if (run.x < 0 || run.y < 0)
            continue;
        size_t row = static_cast<size_t>(run.y / ch);
        size_t col = static_cast<size_t>(run.x / cw);
        if (rows.size() <= row)
            rows.resize(row + 1);
        std::string& line = rows[row];
        if (line.size() < col + run.text.size())
            line.resize(col + run.text.size(), ' ');
        line.replace(col, run.text.size(), run.text);
    }
    for (std::string& line : rows) {
        size_t end = line.find_last_not_of(' ');
        line.erase(end == std::string::npos ? 0 : end + 1);
        line = Cp1252ToUtf8(line);
    }
    return rows;
}

std::string FrameListing(const Frame& frame, const std::string& heading) {
    std::string out = "[" + heading + "]\n";
    for (const std::string& row : FrameRows(frame))
        out += row + "\n";
    out += "[buttons]";
    for (const auto& label : frame.labels)
        out += " " + (label ? *label : std::string("-"));
    out += "\n";
    return out;
}

} // namespace sim
