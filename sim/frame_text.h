// Turns a recorded frame into the text a pilot reads: rows of character cells.
#pragma once

#include "sim/host.h"

#include <string>
#include <vector>

namespace sim {

// Windows-1252 bytes to UTF-8 (0xB5 becomes µ).
std::string Cp1252ToUtf8(const std::string& text);

// Rows 0 … last row with text; a run's cell is (x / cw, y / ch); trailing blanks removed.
std::vector<std::string> FrameRows(const Frame& frame);

// The `draw` output: the heading in brackets ("[MFD Left]", "[Window W1]"), the rows,
// "[buttons]" and the four labels.
std::string FrameListing(const Frame& frame, const std::string& heading);

} // namespace sim
