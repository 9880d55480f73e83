#include "sim/display_picture.h"

#include "sim/file_output.h"

#include "sim/frame_text.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace sim {

const char* const kScreenFontFamily = "DejaVu Sans Mono";

namespace {

struct Rgb {
    double r, g, b;
};

Rgb FromColorref(COLORREF c) {
    return {(c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0};
}

Rgb FromHex(unsigned rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

// The panel's colours: a dark blue-grey bezel, raised grey buttons, pale labels.
const Rgb kBezel = FromHex(0x34383D);
const Rgb kBezelLight = FromHex(0x4A4F55);
const Rgb kBezelShadow = FromHex(0x1E2124);
const Rgb kScreenRim = FromHex(0x141618);
const Rgb kButtonFace = FromHex(0x6A7077);
const Rgb kButtonLight = FromHex(0x9AA0A6);
const Rgb kButtonShadow = FromHex(0x2A2D31);
const Rgb kLabel = FromHex(0xE8E4D0);
const Rgb kEngraving = FromHex(0xB8B4A4);

void SetColour(cairo_t* cr, const Rgb& c) {
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
}

struct CairoDeleter {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, CairoDeleter>;
using ContextPtr = std::unique_ptr<cairo_t, CairoDeleter>;

void RoundedRectangle(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min(r, std::min(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void DrawBezel(cairo_t* cr, const PictureLayout& layout) {
    const double s = layout.scale;
    // The panel with a light upper-left and a dark lower-right edge, so that it reads as raised.
    SetColour(cr, kBezelShadow);
    cairo_paint(cr);
    const double edge = std::max(1.0, std::round(2 * s));
    SetColour(cr, kBezelLight);
    RoundedRectangle(cr, 0, 0, layout.width - edge, layout.height - edge, 6 * s);
    cairo_fill(cr);
    SetColour(cr, kBezel);
    RoundedRectangle(cr, edge, edge, layout.width - 2 * edge, layout.height - 2 * edge, 5 * s);
    cairo_fill(cr);

    // A recessed rim around the glass.
    const PixelRect& sc = layout.screen;
    const double rim = std::max(2.0, std::round(3 * s));
    SetColour(cr, kScreenRim);
    cairo_rectangle(cr, sc.x - rim, sc.y - rim, sc.width + 2 * rim, sc.height + 2 * rim);
    cairo_fill(cr);
    SetColour(cr, kBezelShadow);
    cairo_rectangle(cr, sc.x - 1, sc.y - 1, sc.width + 2, sc.height + 2);
    cairo_fill(cr);
}

void DrawButton(cairo_t* cr, const PixelRect& b, double s) {
    const double r = 3 * s;
    SetColour(cr, kButtonShadow);
    RoundedRectangle(cr, b.x, b.y, b.width + s, b.height + s, r);
    cairo_fill(cr);
    SetColour(cr, kButtonLight);
    RoundedRectangle(cr, b.x, b.y, b.width, b.height, r);
    cairo_fill(cr);
    SetColour(cr, kButtonFace);
    RoundedRectangle(cr, b.x + s, b.y + s, b.width - 1.5 * s, b.height - 1.5 * s, r);
    cairo_fill(cr);
}

// Text centred in a box (horizontally), or from its left edge, baseline on the box's middle.
void DrawBoxText(cairo_t* cr, const PixelRect& box, const std::string& utf8, bool centre) {
    cairo_text_extents_t te;
    cairo_text_extents(cr, utf8.c_str(), &te);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    const double x = centre ? box.x + (box.width - te.x_advance) / 2 : box.x;
    const double y = box.y + box.height / 2.0 + (fe.ascent - fe.descent) / 2;
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, utf8.c_str());
}

void DrawButtonsAndLabels(cairo_t* cr, const PictureLayout& layout, const Frame& frame) {
    const double s = layout.scale;
    for (const PixelRect& b : layout.leftButtons)
        DrawButton(cr, b, s);
    for (const PixelRect& b : layout.rightButtons)
        DrawButton(cr, b, s);
    for (const PixelRect& b : layout.bottomButtons)
        DrawButton(cr, b, s);

    cairo_select_font_face(cr, kScreenFontFamily, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 10.5 * s);
    SetColour(cr, kLabel);
    for (size_t i = 0; i < layout.labels.size(); ++i)
        if (frame.labels[i])
            DrawBoxText(cr, layout.labels[i], Cp1252ToUtf8(*frame.labels[i]), true);

    static const char* const kBottomNames[] = {"PWR", "SEL", "MNU"};
    cairo_set_font_size(cr, 8 * s);
    SetColour(cr, kEngraving);
    for (size_t i = 0; i < layout.bottomButtons.size(); ++i) {
        PixelRect engraving = layout.bottomButtons[i];
        engraving.y += engraving.height + static_cast<int>(std::lround(1 * s));
        engraving.height = static_cast<int>(std::lround(9 * s));
        DrawBoxText(cr, engraving, kBottomNames[i], true);
    }
}

// The screen font: a cell of cw × ch as the host's font, so a character cell holds the glyph's
// full height from ascent to descent, and the glyph is widened or narrowed to advance exactly cw.
void SelectScreenFont(cairo_t* cr, int cw, int ch) {
    cairo_select_font_face(cr, kScreenFontFamily, CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 100);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    cairo_text_extents_t te;
    cairo_text_extents(cr, "M", &te);
    const double em = 100 * ch / (fe.ascent + fe.descent);
    const double width = te.x_advance > 0 ? 100 * cw / te.x_advance : em;
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, width, em);
    cairo_set_font_matrix(cr, &m);

    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

void DrawScreen(cairo_t* cr, const PictureLayout& layout, const Frame& frame) {
    const PixelRect& sc = layout.screen;
    cairo_save(cr);
    cairo_rectangle(cr, sc.x, sc.y, sc.width, sc.height);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);

    const int cw = std::max(1, frame.cellWidth);
    const int ch = std::max(1, frame.cellHeight);
    SelectScreenFont(cr, cw, ch);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    // Baselines on whole pixels, so that hinted stems cover whole pixels in the run's colour.
    const double ascent = std::round(fe.ascent);

    for (const TextRun& run : frame.runs) {
        const Rgb c = FromColorref(run.colour);
        cairo_set_source_rgb(cr, c.r, c.g, c.b);
        // One glyph per cell, so that rounding never drifts a long line out of its cells.
        for (size_t i = 0; i < run.text.size(); ++i) {
            const unsigned char byte = static_cast<unsigned char>(run.text[i]);
            if (byte <= ' ' || byte == 0x7F)
                continue;
            const std::string glyph = Cp1252ToUtf8(std::string(1, static_cast<char>(byte)));
            cairo_move_to(cr, sc.x + run.x + static_cast<double>(i) * cw, sc.y + run.y + ascent);
            cairo_show_text(cr, glyph.c_str());
        }
    }
    cairo_restore(cr);
}

int Scaled(double v, double s) {
    return static_cast<int>(std::lround(v * s));
}

// cairo's stream writer appends the picture here, so that it is written as any other file.
cairo_status_t AppendPngBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

PictureLayout LayoutPicture(int screenWidth, int screenHeight) {
    if (screenWidth < kMinPictureSide || screenWidth > kMaxPictureSide ||
        screenHeight < kMinPictureSide || screenHeight > kMaxPictureSide)
        throw std::invalid_argument("display size " + std::to_string(screenWidth) + "x" +
                                    std::to_string(screenHeight) + " is out of range " +
                                    std::to_string(kMinPictureSide) + " to " +
                                    std::to_string(kMaxPictureSide));
    PictureLayout l;
    // Below 192 pixels the bezel stops shrinking, so that its labels stay readable.
    l.scale = std::clamp(std::min(screenWidth, screenHeight) / 256.0, 0.75, 4.0);
    const double s = l.scale;
    const int outer = Scaled(8, s);         // panel edge to button
    const int buttonWidth = Scaled(24, s);  // side buttons
    const int buttonHeight = Scaled(17, s); // side buttons
    const int labelGap = Scaled(3, s);
    const int labelWidth = Scaled(26, s); // three bold letters
    const int side = outer + buttonWidth + labelGap + labelWidth + labelGap;
    const int top = Scaled(16, s);
    const int bottom = Scaled(40, s);

    l.screen = {side, top, screenWidth, screenHeight};
    l.width = screenWidth + 2 * side;
    l.height = top + screenHeight + bottom;

    // Six slots down each side of the screen, evenly spaced, as on the cockpit panel.
    for (int i = 0; i < 6; ++i) {
        const int centre = top + (2 * i + 1) * screenHeight / 12;
        const int y = centre - buttonHeight / 2;
        l.leftButtons[i] = {outer, y, buttonWidth, buttonHeight};
        l.rightButtons[i] = {l.width - outer - buttonWidth, y, buttonWidth, buttonHeight};
        if (i < 4)
            l.labels[i] = {outer + buttonWidth + labelGap, y, labelWidth, buttonHeight};
    }
    const int bottomWidth = Scaled(30, s);
    const int bottomHeight = Scaled(14, s);
    const int bottomY = top + screenHeight + Scaled(9, s);
    const int spacing = Scaled(56, s);
    const int middle = l.width / 2;
    for (int i = 0; i < 3; ++i)
        l.bottomButtons[i] = {middle + (i - 1) * spacing - bottomWidth / 2, bottomY, bottomWidth,
                              bottomHeight};
    return l;
}

void WriteDisplayPng(const Frame& frame, const std::string& path) {
    const PictureLayout layout = LayoutPicture(frame.width, frame.height);
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, layout.width, layout.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot create a picture of " + std::to_string(layout.width) +
                                 "x" + std::to_string(layout.height) + " pixels");
    ContextPtr cr(cairo_create(surface.get()));
    DrawBezel(cr.get(), layout);
    DrawButtonsAndLabels(cr.get(), layout, frame);
    DrawScreen(cr.get(), layout, frame);
    cairo_surface_flush(surface.get());
    std::string png;
    const cairo_status_t status =
        cairo_surface_write_to_png_stream(surface.get(), AppendPngBytes, &png);
    cr.reset();
    surface.reset();
    // Font caches would otherwise live until exit and show up as leaks; a picture is rare
    // enough that loading the fonts again costs nothing noticeable.
    cairo_debug_reset_static_data();
    FcFini();
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + path + ": " + cairo_status_to_string(status));
    if (const std::string reason = WriteFileReplacing(path, png); !reason.empty())
        throw std::runtime_error("cannot write " + path + ": " + reason);
}

} // namespace sim
