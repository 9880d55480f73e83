// Pictures of a display as the pilot sees it in the cockpit: the screen with the module's text at
// the pixels it drew, inside a bezel that carries the buttons and their labels.
#pragma once

#include "sim/host.h"

#include <array>
#include <string>

namespace sim {

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where the parts of a picture sit. The screen is exactly the display's W × H pixels; the bezel
// around it is wider on the sides, which hold six button slots each as in the cockpit, and at the
// bottom, which holds the PWR, SEL and MNU buttons. Buttons 0 … 3 are the top four on the left.
struct PictureLayout {
    int width = 0; // the whole picture, bezel included
    int height = 0;
    double scale = 1; // bezel sizes relative to a 256-pixel display
    PixelRect screen;
    std::array<PixelRect, 6> leftButtons;
    std::array<PixelRect, 6> rightButtons;
    std::array<PixelRect, 4> labels; // label boxes of buttons 0 … 3, between button and screen
    std::array<PixelRect, 3> bottomButtons;
};

constexpr int kMinPictureSide = 16;
constexpr int kMaxPictureSide = 4096;

// Throws std::invalid_argument for a screen side outside kMinPictureSide … kMaxPictureSide.
PictureLayout LayoutPicture(int screenWidth, int screenHeight);

// The fixed-width font of the screen, DejaVu Sans Mono, and the bezel's font.
extern const char* const kScreenFontFamily;

// Paints the frame and writes it as a PNG. Throws std::runtime_error naming the file and why
// when it cannot be written (leaving no file), std::invalid_argument when the frame's size is out
// of range.
void WriteDisplayPng(const Frame& frame, const std::string& path);

} // namespace sim
