#include "sim/frame_text.h"

namespace sim {

std::string Cp1252ToUtf8(const std::string& text) {
    // 0x80 … 0x9F differ from Latin-1; the rest map straight to U+00A0 … U+00FF.
    static const char16_t high[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        char32_t cp = c < 0x80 ? c : (c < 0xA0 ? high[c - 0x80] : c);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
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

std::string FrameListing(const Frame& frame, const std::string& displayName) {
    std::string out = "[MFD " + displayName + "]\n";
    for (const std::string& row : FrameRows(frame))
        out += row + "\n";
    out += "[buttons]";
    for (const auto& label : frame.labels)
        out += " " + (label ? *label : std::string("-"));
    out += "\n";
    return out;
}

} // namespace sim
