// Reading pictures back for pixel checks.
#pragma once

#include "host/windows_api.h"

#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace picture_test {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool Black() const { return r == 0 && g == 0 && b == 0; }
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

inline Rgb FromColorref(COLORREF c) {
    return {static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
            static_cast<int>((c >> 16) & 0xFF)};
}

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
    Rgb At(int x, int y) const { return pixels.at(static_cast<size_t>(y) * width + x); }
};

inline Image ReadPng(const std::string& path) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        throw std::runtime_error("cannot read " + path);
    }
    Image image;
    image.width = cairo_image_surface_get_width(s);
    image.height = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    for (int y = 0; y < image.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < image.width; ++x)
            image.pixels.push_back({static_cast<int>((row[x] >> 16) & 0xFF),
                                    static_cast<int>((row[x] >> 8) & 0xFF),
                                    static_cast<int>(row[x] & 0xFF)});
    }
    cairo_surface_destroy(s);
    return image;
}

} // namespace picture_test
