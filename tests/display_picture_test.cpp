// Pictures of a display, checked pixel by pixel after reading the PNG back.
#include "module_fixture.h"
#include "png_reader.h"
#include "sim_test_support.h"
#include "sim/display_picture.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace picture_test;

Image Render(const sim::Frame& frame, const std::string& name) {
    ScratchFolder folder;
    const std::string path = folder.Path(name + ".png");
    sim::WriteDisplayPng(frame, path);
    return ReadPng(path);
}

sim::Frame EmptyFrame(int width, int height) {
    sim::Frame frame;
    frame.width = width;
    frame.height = height;
    DWORD cw, ch;
    sim::CellSizeFor(static_cast<DWORD>(height), cw, ch);
    frame.cellWidth = static_cast<int>(cw);
    frame.cellHeight = static_cast<int>(ch);
    return frame;
}

// The box of one character cell of a run, in picture pixels.
sim::PixelRect CellBox(const sim::PictureLayout& layout, const sim::Frame& frame,
                       const TextRun& run, size_t index) {
    return {layout.screen.x + run.x + static_cast<int>(index) * frame.cellWidth,
            layout.screen.y + run.y, frame.cellWidth, frame.cellHeight};
}

bool Inside(const sim::PixelRect& r, int x, int y) {
    return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
}

int LitPixels(const Image& image, const sim::PixelRect& r) {
    int n = 0;
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x)
            n += image.At(x, y).Black() ? 0 : 1;
    return n;
}

TEST(DisplayPicture, ScreenIsExactlyTheDisplaySizeAndBlackWhenNothingIsDrawn) {
    const int sizes[][2] = {{128, 128}, {256, 256}, {320, 200}, {200, 480}, {1024, 1024}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
        const sim::Frame frame = EmptyFrame(size[0], size[1]);
        const sim::PictureLayout layout = sim::LayoutPicture(size[0], size[1]);
        const Image image = Render(frame, "empty");
        ASSERT_EQ(image.width, layout.width);
        ASSERT_EQ(image.height, layout.height);
        const sim::PixelRect& sc = layout.screen;
        EXPECT_EQ(sc.width, size[0]);
        EXPECT_EQ(sc.height, size[1]);
        ASSERT_GT(sc.x, 0);
        ASSERT_GT(sc.y, 0);
        ASSERT_LT(sc.x + sc.width, image.width);
        ASSERT_LT(sc.y + sc.height, image.height);
        EXPECT_EQ(LitPixels(image, sc), 0);
        // The bezel begins right at the screen's edge on all four sides.
        int blackRim = 0;
        for (int x = sc.x; x < sc.x + sc.width; ++x)
            blackRim += image.At(x, sc.y - 1).Black() + image.At(x, sc.y + sc.height).Black();
        for (int y = sc.y; y < sc.y + sc.height; ++y)
            blackRim += image.At(sc.x - 1, y).Black() + image.At(sc.x + sc.width, y).Black();
        EXPECT_EQ(blackRim, 0);
    }
}

TEST(DisplayPicture, LayoutKeepsButtonsAndLabelsOnTheBezel) {
    const int sizes[][2] = {{128, 128}, {256, 256}, {640, 480}, {1024, 1024}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
        const sim::PictureLayout l = sim::LayoutPicture(size[0], size[1]);
        auto onBezel = [&](const sim::PixelRect& r) {
            EXPECT_GE(r.x, 0);
            EXPECT_GE(r.y, 0);
            EXPECT_LE(r.x + r.width, l.width);
            EXPECT_LE(r.y + r.height, l.height);
            const bool apart = r.x + r.width <= l.screen.x || r.x >= l.screen.x + l.screen.width ||
                               r.y + r.height <= l.screen.y || r.y >= l.screen.y + l.screen.height;
            EXPECT_TRUE(apart) << r.x << "," << r.y;
        };
        for (size_t i = 0; i < 6; ++i) {
            onBezel(l.leftButtons[i]);
            onBezel(l.rightButtons[i]);
            EXPECT_LT(l.leftButtons[i].x + l.leftButtons[i].width, l.screen.x);
            EXPECT_GT(l.rightButtons[i].x, l.screen.x + l.screen.width);
            if (i > 0) { // top to bottom, not overlapping
                EXPECT_GE(l.leftButtons[i].y, l.leftButtons[i - 1].y + l.leftButtons[i - 1].height);
            }
        }
        for (size_t i = 0; i < 4; ++i) {
            onBezel(l.labels[i]);
            // Beside its button, between the button and the screen.
            EXPECT_EQ(l.labels[i].y, l.leftButtons[i].y);
            EXPECT_GE(l.labels[i].x, l.leftButtons[i].x + l.leftButtons[i].width);
            EXPECT_LE(l.labels[i].x + l.labels[i].width, l.screen.x);
        }
        for (const sim::PixelRect& b : l.bottomButtons) {
            onBezel(b);
            EXPECT_GE(b.y, l.screen.y + l.screen.height);
        }
    }
}

TEST(DisplayPicture, SizesOutOfRangeAreRefused) {
    const int sizes[][2] = {{0, 256}, {256, 0}, {-5, 256}, {15, 256}, {256, 4097}};
    for (const auto& size : sizes) {
        EXPECT_THROW(sim::LayoutPicture(size[0], size[1]), std::invalid_argument);
        EXPECT_THROW(sim::WriteDisplayPng(EmptyFrame(size[0], size[1]), "/tmp/unused.png"),
                     std::invalid_argument);
    }
}

TEST(DisplayPicture, UnwritablePathIsAnError) {
    EXPECT_THROW(sim::WriteDisplayPng(EmptyFrame(256, 256), "/nonexistent-dir/out.png"),
                 std::runtime_error);
}

// The module's own pages, as the host draws them at several display sizes.
class PicturedPages : public ModuleTest {};

TEST_F(PicturedPages, TextLandsInItsCellsInItsColourAndNowhereElse) {
    sim::Vessel& v = host.AddVessel("GL-01", DeltaGliderClass());
    v.SetTankLevel(0, 0.75);
    v.SetTankLevel(1, 1.0);
    const int sizes[][2] = {{256, 256}, {400, 300}, {512, 512}, {128, 128}};
    for (const auto& size : sizes) {
        ASSERT_TRUE(Open(MFD_LEFT, size[0], size[1]));
        for (int page = 0; page < 3; ++page) {
            SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]) + " page " +
                         std::to_string(page));
            const sim::Frame frame = host.Draw(MFD_LEFT);
            const sim::PictureLayout layout = sim::LayoutPicture(frame.width, frame.height);
            const Image image = Render(frame, "page");
            ASSERT_GE(frame.runs.size(), 5u);
            int titleRuns = 0;
            for (const TextRun& run : frame.runs) {
                titleRuns += run.title;
                const Rgb colour = FromColorref(run.colour);
                Rgb brightest;
                for (size_t i = 0; i < run.text.size(); ++i) {
                    const sim::PixelRect cell = CellBox(layout, frame, run, i);
                    const int lit = LitPixels(image, cell);
                    if (run.text[i] != ' ') {
                        EXPECT_GT(lit, 0) << "'" << run.text << "' cell " << i;
                    }
                    // Every lit pixel is the run's colour at some coverage.
                    for (int y = cell.y; y < cell.y + cell.height; ++y)
                        for (int x = cell.x; x < cell.x + cell.width; ++x) {
                            const Rgb p = image.At(x, y);
                            if (p.Black())
                                continue;
                            const double k =
                                std::max({p.r, p.g, p.b}) /
                                static_cast<double>(std::max({colour.r, colour.g, colour.b}));
                            EXPECT_NEAR(p.r, colour.r * k, 2.5) << run.text;
                            EXPECT_NEAR(p.g, colour.g * k, 2.5) << run.text;
                            EXPECT_NEAR(p.b, colour.b * k, 2.5) << run.text;
                            if (p.g + p.r + p.b > brightest.r + brightest.g + brightest.b)
                                brightest = p;
                        }
                }
                // Strokes fully cover some pixels: those carry the colour itself.
                if (run.text.find_first_not_of(' ') != std::string::npos && frame.cellHeight >= 9) {
                    EXPECT_EQ(brightest, colour) << run.text;
                }
            }
            EXPECT_EQ(titleRuns, 1);
            // Nothing lit outside the cells of the characters drawn.
            int stray = 0;
            for (int y = layout.screen.y; y < layout.screen.y + layout.screen.height; ++y)
                for (int x = layout.screen.x; x < layout.screen.x + layout.screen.width; ++x) {
                    if (image.At(x, y).Black())
                        continue;
                    bool inCell = false;
                    for (const TextRun& run : frame.runs)
                        for (size_t i = 0; i < run.text.size() && !inCell; ++i)
                            inCell =
                                run.text[i] != ' ' && Inside(CellBox(layout, frame, run, i), x, y);
                    stray += inCell ? 0 : 1;
                }
            EXPECT_EQ(stray, 0);
            host.Press(MFD_LEFT, 0, PANEL_MOUSE_LBDOWN); // next page
        }
        host.CloseDisplay(MFD_LEFT);
    }
}

TEST_F(PicturedPages, TitleIsInTheHostsTitleColour) {
    host.AddVessel("GL-01", DeltaGliderClass());
    ASSERT_TRUE(Open(MFD_LEFT));
    const sim::Frame frame = host.Draw(MFD_LEFT);
    const sim::PictureLayout layout = sim::LayoutPicture(frame.width, frame.height);
    const Image image = Render(frame, "title");
    const Rgb title = FromColorref(sim::kTitleColour);
    int titleColoured = 0;
    for (const TextRun& run : frame.runs) {
        const sim::PixelRect row{layout.screen.x + run.x, layout.screen.y + run.y,
                                 static_cast<int>(run.text.size()) * frame.cellWidth,
                                 frame.cellHeight};
        for (int y = row.y; y < row.y + row.height; ++y)
            for (int x = row.x; x < row.x + row.width; ++x)
                if (image.At(x, y) == title) {
                    ++titleColoured;
                    EXPECT_TRUE(run.title) << "title colour in '" << run.text << "'";
                }
    }
    EXPECT_GT(titleColoured, 20);
}

TEST_F(PicturedPages, ButtonLabelsStandBesideTheirButtons) {
    host.AddVessel("GL-01", DeltaGliderClass());
    ASSERT_TRUE(Open(MFD_LEFT));
    const sim::Frame mass = host.Draw(MFD_LEFT); // MOD UNT NOT, no label on button 3
    ASSERT_FALSE(mass.labels[3]);
    host.Press(MFD_LEFT, 0, PANEL_MOUSE_LBDOWN);
    const sim::Frame tanks = host.Draw(MFD_LEFT); // TNK on button 3
    ASSERT_TRUE(tanks.labels[3]);
    const sim::PictureLayout layout = sim::LayoutPicture(256, 256);
    const Image massImage = Render(mass, "mass");
    const Image tankImage = Render(tanks, "tanks");

    auto labelInk = [&](const Image& image, size_t i) {
        // The bezel behind a label is one flat colour; the label is brighter than it.
        const sim::PixelRect& box = layout.labels[i];
        const Rgb bezel = image.At(box.x, box.y);
        int ink = 0;
        for (int y = box.y; y < box.y + box.height; ++y)
            for (int x = box.x; x < box.x + box.width; ++x)
                ink += image.At(x, y).g > bezel.g + 60 ? 1 : 0;
        return ink;
    };
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_GT(labelInk(massImage, i), 15) << i;
        EXPECT_GT(labelInk(tankImage, i), 15) << i;
    }
    EXPECT_EQ(labelInk(massImage, 3), 0);
    EXPECT_GT(labelInk(tankImage, 3), 15);
    // Different labels give different pictures: MOD against UNT.
    int differ = 0;
    const sim::PixelRect& a = layout.labels[0];
    const sim::PixelRect& b = layout.labels[1];
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            differ += massImage.At(a.x + x, a.y + y) == massImage.At(b.x + x, b.y + y) ? 0 : 1;
    EXPECT_GT(differ, 10);
}

TEST(DisplayPicture, ColoursFollowTheDeviceContextsByteOrder) {
    // COLORREF is 0x00BBGGRR: 0x0000FF is red, 0xFF0000 blue.
    struct Case {
        COLORREF colour;
        Rgb expected;
    };
    const Case cases[] = {
        {0x0000FF, {255, 0, 0}}, {0xFF0000, {0, 0, 255}}, {0x00FF00, {0, 255, 0}}};
    for (const Case& c : cases) {
        sim::Frame frame = EmptyFrame(256, 256);
        frame.runs.push_back({3, 22, c.colour, "HHHH", false});
        const sim::PictureLayout layout = sim::LayoutPicture(256, 256);
        const Image image = Render(frame, "colour");
        int exact = 0;
        for (int y = layout.screen.y; y < layout.screen.y + layout.screen.height; ++y)
            for (int x = layout.screen.x; x < layout.screen.x + layout.screen.width; ++x)
                exact += image.At(x, y) == c.expected ? 1 : 0;
        EXPECT_GT(exact, 10) << std::hex << c.colour;
    }
}

TEST(DisplayPicture, MicroSignShowsAsAGlyphWithADescender) {
    // 0xB5 in Windows-1252 is µ, which reaches below the baseline; u does not.
    sim::Frame frame = EmptyFrame(512, 512); // a cell of 15 × 23 pixels
    frame.runs.push_back({frame.cellWidth / 2, 2 * frame.cellHeight, 0xC0C0C0, "\xB5u", false});
    const sim::PictureLayout layout = sim::LayoutPicture(512, 512);
    const Image image = Render(frame, "micro");
    const TextRun& run = frame.runs[0];
    auto lowerInk = [&](size_t i) {
        sim::PixelRect cell = CellBox(layout, frame, run, i);
        const int lower = cell.height * 4 / 5;
        cell.y += lower;
        cell.height -= lower;
        return LitPixels(image, cell);
    };
    EXPECT_GT(LitPixels(image, CellBox(layout, frame, run, 0)), 20);
    EXPECT_GT(lowerInk(0), 0);
    EXPECT_GT(LitPixels(image, CellBox(layout, frame, run, 1)), 20);
    EXPECT_EQ(lowerInk(1), 0);
}

TEST(DisplayPicture, TextNeverSpillsOntoTheBezel) {
    // Runs reaching past every edge of the screen: the bezel stays as it is without them.
    const sim::Frame plain = EmptyFrame(256, 256);
    sim::Frame spilling = plain;
    spilling.runs.push_back({250, 100, 0xFFFFFF, "WWWWWW", false});
    spilling.runs.push_back({-20, 120, 0xFFFFFF, "WWWWWW", false});
    spilling.runs.push_back({100, -6, 0xFFFFFF, "WWWWWW", false});
    spilling.runs.push_back({100, 250, 0xFFFFFF, "WWWWWW", false});
    const sim::PictureLayout layout = sim::LayoutPicture(256, 256);
    const Image a = Render(plain, "plain");
    const Image b = Render(spilling, "spilling");
    int changedOnBezel = 0;
    int changedOnScreen = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            if (a.At(x, y) == b.At(x, y))
                continue;
            if (Inside(layout.screen, x, y))
                ++changedOnScreen;
            else
                ++changedOnBezel;
        }
    EXPECT_EQ(changedOnBezel, 0);
    EXPECT_GT(changedOnScreen, 40); // the parts inside the screen are drawn
}

} // namespace
