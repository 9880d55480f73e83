// The text grid helpers and the frame every page shares.
#include "display/text_layout.h"
#include "host_model/drawn_text.h"
#include "module_fixture.h"

#include <iconv.h>

#include <cstring>
#include <string>

namespace {

struct PrintCase {
    int column, row, x, y;
};

TEST(TextLayout, CellsMapToPixelsWithAHalfCellIndent) {
    const PrintCase cases[] = {{0, 2, 4, 28}, {3, 5, 28, 70}, {0, 0, 4, 0}, {10, 17, 84, 238}};
    for (const PrintCase& c : cases) {
        sim::DeviceContext dc;
        dc.cellWidth = 8;
        SetCharSize(&dc, 8, 14);
        EXPECT_EQ(dc.align, static_cast<UINT>(TA_UPDATECP));
        PrintAt(&dc, c.column, c.row, "%s", "text");
        ASSERT_EQ(dc.runs.size(), 1u);
        EXPECT_EQ(dc.runs[0].x, c.x) << c.column << "," << c.row;
        EXPECT_EQ(dc.runs[0].y, c.y) << c.column << "," << c.row;
        EXPECT_EQ(dc.x, c.x + 4 * 8); // drawing advanced the current position
    }
}

TEST(TextLayout, OddCellWidthTruncatesTheHalfCell) {
    sim::DeviceContext dc;
    SetCharSize(&dc, 7, 11);
    EXPECT_EQ(dc.x, 3);
    EXPECT_EQ(dc.y, 0);
}

TEST(TextLayout, NegativeCoordinatesKeepTheCurrentOne) {
    sim::DeviceContext dc;
    SetCharSize(&dc, 8, 14);
    MoveToEx(&dc, 44, 30, nullptr);
    const CellPosition previous = MoveToCell(&dc, -1, 4);
    EXPECT_EQ(previous.column, 5);
    EXPECT_EQ(previous.row, 2);
    EXPECT_EQ(dc.x, 44);
    EXPECT_EQ(dc.y, 56);
    MoveToCell(&dc, 2, -1);
    EXPECT_EQ(dc.x, 20);
    EXPECT_EQ(dc.y, 56);
}

TEST(TextLayout, GetCursorLeavesThePositionWhereItWas) {
    sim::DeviceContext dc;
    MoveToEx(&dc, 13, 27, nullptr);
    const POINT p = GetCursor(&dc);
    EXPECT_EQ(p.x, 13);
    EXPECT_EQ(p.y, 27);
    EXPECT_EQ(dc.x, 13);
    EXPECT_EQ(dc.y, 27);
}

TEST(TextLayout, ColourIsSetOnATransparentBackground) {
    sim::DeviceContext dc;
    SetTextColour(&dc, kTextColour);
    EXPECT_EQ(dc.bkMode, TRANSPARENT);
    EXPECT_EQ(dc.textColour, 0xC0C0C0u);
}

TEST(TextLayout, OverlongLinesAreCutAt251Characters) {
    sim::DeviceContext dc;
    SetCharSize(&dc, 8, 14);
    const std::string longText(400, 'x');
    PrintAt(&dc, 0, 0, "%s%s", longText.c_str(), "tail");
    ASSERT_EQ(dc.runs.size(), 1u);
    EXPECT_EQ(dc.runs[0].text, std::string(251, 'x'));
}

class FrameTest : public ModuleTest {};

TEST_F(FrameTest, TitleNamesThePageAndRowsNameTheVessel) {
    host.AddVessel("GL-01", DeltaGliderClass());
    KelvaneMfd* d = Open(MFD_LEFT);
    ASSERT_NE(d, nullptr);
    const struct {
        ParametersMode mode;
        const char* title;
    } pages[] = {
        {MASS, "KelvaneMFD: Mass"}, {TANKS, "KelvaneMFD: Tanks"}, {ENGINES, "KelvaneMFD: Engines"}};
    for (const auto& page : pages) {
        d->Settings()->parametersMode = page.mode;
        const sim::Frame frame = host.Draw(MFD_LEFT);
        ASSERT_FALSE(frame.runs.empty());
        EXPECT_TRUE(frame.runs[0].title);
        EXPECT_EQ(frame.runs[0].text, page.title);
        EXPECT_EQ(frame.runs[0].x, frame.cellWidth / 2);
        const std::vector<std::string> rows = sim::FrameRows(frame);
        EXPECT_EQ(rows[2], "Name: GL-01");
        EXPECT_EQ(rows[3], "Class: DeltaGlider");
        EXPECT_EQ(rows[1], "");
        EXPECT_EQ(rows[4], "");
        for (size_t i = 1; i < frame.runs.size(); ++i)
            EXPECT_EQ(frame.runs[i].colour, 0xC0C0C0u) << frame.runs[i].text;
    }
}

TEST_F(FrameTest, AnUnknownPageIsDrawnAsMassAndRepaired) {
    host.AddVessel("GL-01", DeltaGliderClass());
    KelvaneMfd* d = Open(MFD_LEFT);
    for (int32_t bad : {3, -1, 1000}) {
        d->Settings()->parametersMode = static_cast<ParametersMode>(bad);
        EXPECT_EQ(Row(MFD_LEFT, 0), "KelvaneMFD: Mass");
        EXPECT_EQ(d->Settings()->parametersMode, MASS);
        EXPECT_EQ(Row(MFD_LEFT, 5).rfind("Dry Mass:", 0), 0u);
    }
}

TEST_F(FrameTest, RedrawMakesTheHostAskForLabelsAgain) {
    host.AddVessel("GL-01", DeltaGliderClass());
    Open(MFD_LEFT);
    const int before = host.DisplayAt(MFD_LEFT)->buttonInvalidations;
    host.Draw(MFD_LEFT);
    host.Draw(MFD_LEFT);
    EXPECT_EQ(host.DisplayAt(MFD_LEFT)->buttonInvalidations, before + 2);
}

TEST_F(FrameTest, NamesLongerThan63CharactersAreCut) {
    const std::string name63(63, 'N'), name64 = std::string(63, 'M') + "X";
    sim::VesselClass cls = EmptyClass(std::string(80, 'C'));
    host.AddVessel(name63, cls);
    host.AddVessel(name64, cls);
    Open(MFD_LEFT);
    EXPECT_EQ(Row(MFD_LEFT, 2), "Name: " + name63);
    EXPECT_EQ(Row(MFD_LEFT, 3), "Class: " + std::string(63, 'C'));
    host.SetFocus(host.FindVessel(name64));
    EXPECT_EQ(Row(MFD_LEFT, 2), "Name: " + std::string(63, 'M'));
}

TEST_F(FrameTest, DisplaysOfDifferentSizesEachUseTheirOwnCells) {
    host.AddVessel("GL-01", DeltaGliderClass());
    Open(MFD_LEFT, 256, 256);
    Open(MFD_RIGHT, 400, 600);
    const sim::Frame small = host.Draw(MFD_LEFT);
    const sim::Frame large = host.Draw(MFD_RIGHT);
    const sim::Frame smallAgain = host.Draw(MFD_LEFT);
    ASSERT_NE(small.cellHeight, large.cellHeight);
    for (const sim::Frame* f : {&small, &large, &smallAgain}) {
        const TextRun& name = f->runs[1]; // "Name: …" at cell (0, 2)
        EXPECT_EQ(name.y, 2 * f->cellHeight);
        EXPECT_EQ(name.x, f->cellWidth / 2);
    }
}

} // namespace

// Both stand-in hosts show drawn bytes through this one conversion; glibc's own Windows-1252
// converter is the reference, and a byte it has no character for shows as U+FFFD.
TEST(DrawnText, EveryPrintableByteBecomesItsCodePageCharacter) {
    iconv_t cp1252 = iconv_open("UTF-8", "CP1252");
    ASSERT_NE(cp1252, reinterpret_cast<iconv_t>(-1));
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        char in[1] = {static_cast<char>(byte)};
        char expected[8] = {0};
        char* from = in;
        char* to = expected;
        size_t left = 1, room = sizeof expected - 1;
        if (iconv(cp1252, &from, &left, &to, &room) == static_cast<size_t>(-1))
            std::strcpy(expected, "\xEF\xBF\xBD");
        char shown[8];
        const size_t n = host_model::DrawnTextToUtf8(in, 1, shown, sizeof shown);
        EXPECT_STREQ(shown, expected) << "byte 0x" << std::hex << byte;
        EXPECT_EQ(n, std::strlen(expected));
    }
    iconv_close(cp1252);
    // Only whole characters are written, and the text always ends in a zero.
    char small[3];
    EXPECT_EQ(host_model::DrawnTextToUtf8("a\xB5", 2, small, sizeof small), 1u);
    EXPECT_STREQ(small, "a");
}
