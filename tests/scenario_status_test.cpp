// A display's status lines in its own block, and the module's block for records no display holds.
#include "module_fixture.h"

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

class StatusTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        alpha = &host.AddVessel("Alpha", EmptyClass("Probe"));
    }
    KelvaneMfd* OpenWithId(int id) { return Open(id); }
    // Reads `lines` (as they stand in the file) into display `id`, as the host does after MODE.
    size_t Read(int id, const Lines& lines) {
        sim::ScenarioReader reader(lines);
        host.ReadStatus(id, reader);
        return reader.Position();
    }
    sim::Vessel* alpha = nullptr;
};

TEST_F(StatusTest, AFreshRecordWritesSevenLines) {
    OpenWithId(MFD_LEFT);
    const Lines expected = {
        "  MFD_ID 0",    "  PARAMETERSMODE MASS",   "  TANK_INDEX 0",          "  ENGINE_INDEX 0",
        "  NOTATION SI", "  MASSDISPLAY KILOGRAMS", "  ENGINESDISPLAY RADIANS"};
    EXPECT_EQ(host.WriteStatus(MFD_LEFT), expected);
}

TEST_F(StatusTest, WrittenKeywordsFollowTheWritingRule) {
    MfdSettings& s = *OpenWithId(MFD_RIGHT)->Settings();
    s.parametersMode = static_cast<ParametersMode>(9);
    s.massDisplay = METRIC_TONS;
    s.enginesDisplay = static_cast<EnginesDisplay>(5);
    s.notation = static_cast<Notation>(3);
    s.tankIndex = 0xFFFFFFFBu;
    const Lines expected = {"  MFD_ID 1",
                            "  PARAMETERSMODE MASS",
                            "  TANK_INDEX -5",
                            "  ENGINE_INDEX 0",
                            "  NOTATION EXP",
                            "  MASSDISPLAY METRIC_TONS",
                            "  ENGINESDISPLAY RADIANS"};
    EXPECT_EQ(host.WriteStatus(MFD_RIGHT), expected);
}

TEST_F(StatusTest, EverySettingSurvivesWritingAndReadingBack) {
    const struct {
        ParametersMode page;
        MassDisplay mass;
        EnginesDisplay engines;
        Notation notation;
        uint32_t tank, engine;
    } cases[] = {{TANKS, PERCENTAGE, DEGREES, EXP, 2, 7},
                 {ENGINES, METRIC_TONS, RADIANS, SI, 0, 20},
                 {MASS, KILOGRAMS, DEGREES, EXP, 0xFFFFFFFFu, 1}};
    for (int id : {0, 1, 2, 11}) {
        for (const auto& c : cases) {
            host.CloseAllDisplays();
            host.EndSession();
            alpha = &host.AddVessel("Alpha", EmptyClass("Probe"));
            MfdSettings& s = *OpenWithId(id)->Settings();
            s.parametersMode = c.page;
            s.massDisplay = c.mass;
            s.enginesDisplay = c.engines;
            s.notation = c.notation;
            s.tankIndex = c.tank;
            s.engineIndex = c.engine;
            Lines block = host.WriteStatus(id);
            block.push_back("END_MFD");
            host.EndSession(); // the vessel and its records go; a new session reads the block
            alpha = &host.AddVessel("Alpha", EmptyClass("Probe"));
            const MfdSettings& r = *OpenWithId(id)->Settings();
            Read(id, block);
            EXPECT_EQ(r.parametersMode, c.page) << id;
            EXPECT_EQ(r.massDisplay, c.mass) << id;
            EXPECT_EQ(r.enginesDisplay, c.engines) << id;
            EXPECT_EQ(r.notation, c.notation) << id;
            EXPECT_EQ(r.tankIndex, c.tank) << id;
            EXPECT_EQ(r.engineIndex, c.engine) << id;
        }
    }
}

TEST_F(StatusTest, SettingsBeforeTheIdLineAreNotRead) {
    const MfdSettings& s = *OpenWithId(MFD_LEFT)->Settings();
    Read(MFD_LEFT, {"  PARAMETERSMODE TANKS", "  MFD_ID 0", "  NOTATION EXP", "END_MFD"});
    EXPECT_EQ(s.parametersMode, MASS);
    EXPECT_EQ(s.notation, EXP);
}

// Which line is the display's id line; the record it held before reading keeps its settings
// unless the line was its own.
TEST_F(StatusTest, TheIdLineDecidesWhichRecordTheBlockFills) {
    const struct {
        int id;
        const char* idLine;
        bool own;       // the line is the id line of the record the display holds
        int32_t moveTo; // otherwise: the id of the record the display moves to (-1: none)
    } cases[] = {
        {0, "MFD_ID 1", false, 1},   {1, "MFD_ID 0", false, 0},  {0, "MFD_ID 0", true, 0},
        {1, "MFD_ID 15", true, 1}, // only the first character counts for displays 0 and 1
        {0, "MFD_ID 07", true, 0},   {2, "MFD_ID 2", true, 2},   {2, "MFD_ID 22", false, 22},
        {11, "MFD_ID 11", true, 11}, {11, "MFD_ID 1", false, 1}, {5, "MFD_ID", false, -1},
        {5, "MFD_ID x", false, -1},  {5, "mfd_id   5", true, 5}, // the value is read from the
                                                                 // eighth character, blanks skipped
    };
    for (const auto& c : cases) {
        host.CloseAllDisplays();
        host.EndSession();
        host.AddVessel("Alpha", EmptyClass("Probe"));
        KelvaneMfd* display = OpenWithId(c.id);
        const MfdSettings* before = display->Settings();
        Read(c.id, {c.idLine, "NOTATION EXP", "END_MFD"});
        const MfdSettings* after = display->Settings();
        EXPECT_EQ(before->notation, c.own ? EXP : SI) << c.id << " / " << c.idLine;
        if (c.own || c.moveTo < 0) {
            EXPECT_EQ(after, before) << c.id << " / " << c.idLine;
        } else {
            ASSERT_NE(after, before) << c.id << " / " << c.idLine;
            EXPECT_EQ(after->mfdId, c.moveTo);
            EXPECT_EQ(after->notation, EXP);
            EXPECT_EQ(gRegistry->OwnerOf(after), display);
            EXPECT_EQ(gRegistry->OwnerOf(before),
                      nullptr); // free again for the display it was made for
        }
    }
}

// The host reads the module's block before it opens the displays, so a display may first take
// the free record of a closed display on the same vessel. Its own block names its own id: it
// moves to that record, and the closed display finds its settings when it opens again.
TEST_F(StatusTest, ADisplayGivesBackAnotherDisplaysRecordWhenItsBlockIsRead) {
    sim::ScenarioReader moduleBlock({"BEGIN_KX_MFD_INFO", "VESSEL Alpha", "MFD_ID 0",
                                     "PARAMETERSMODE ENGINES", "END_KX_MFD_INFO", "END"});
    host.LoadState(moduleBlock);
    ASSERT_EQ(gRegistry->RecordCount(), 1u);
    MfdSettings* leftRecord = gRegistry->RecordAt(0);

    KelvaneMfd* right = OpenWithId(MFD_RIGHT);
    EXPECT_EQ(right->Settings(), leftRecord); // taken as the vessel's free record
    Read(MFD_RIGHT, {"MFD_ID 1", "PARAMETERSMODE TANKS", "TANK_INDEX 1", "END_MFD"});
    ASSERT_NE(right->Settings(), leftRecord);
    EXPECT_EQ(right->Settings()->mfdId, 1);
    EXPECT_EQ(right->Settings()->parametersMode, TANKS);
    EXPECT_EQ(right->Settings()->tankIndex, 1u);
    EXPECT_EQ(gRegistry->OwnerOf(leftRecord), nullptr);
    EXPECT_EQ(leftRecord->parametersMode, ENGINES);

    KelvaneMfd* left = OpenWithId(MFD_LEFT);
    EXPECT_EQ(left->Settings(), leftRecord);
    EXPECT_EQ(gRegistry->RecordCount(), 2u);
}

// A display whose record went with its deleted vessel frees that record when it moves on.
TEST_F(StatusTest, MovingAwayFromADeletedVesselsRecordFreesIt) {
    KelvaneMfd* left = OpenWithId(MFD_LEFT);
    gRegistry->DeleteVessel(alpha);
    Read(MFD_LEFT, {"MFD_ID 4", "NOTATION EXP", "END_MFD"});
    EXPECT_EQ(left->Settings()->mfdId, 4);
    EXPECT_EQ(left->Settings()->notation, EXP);
}

TEST_F(StatusTest, ValuesAreReadByTheirBeginningInAnyCase) {
    const struct {
        const char* line;
        ParametersMode page;
        MassDisplay mass;
        EnginesDisplay engines;
        Notation notation;
    } cases[] = {
        {"notation exp", MASS, KILOGRAMS, RADIANS, EXP},
        {"NOTATION EXPONENT", MASS, KILOGRAMS, RADIANS, EXP},
        {"NOTATION sci", MASS, KILOGRAMS, RADIANS, SI},
        {"NOTATION", MASS, KILOGRAMS, RADIANS, SI},
        {"PARAMETERSMODE ENGINESXYZ", ENGINES, KILOGRAMS, RADIANS, SI},
        {"parametersmode tanks", TANKS, KILOGRAMS, RADIANS, SI},
        {"PARAMETERSMODE FOO", MASS, KILOGRAMS, RADIANS, SI},
        {"MASSDISPLAY METRIC_TONS_EXTRA", MASS, METRIC_TONS, RADIANS, SI},
        {"MASSDISPLAY percentage", MASS, PERCENTAGE, RADIANS, SI},
        {"MASSDISPLAY POUNDS", MASS, KILOGRAMS, RADIANS, SI},
        {"ENGINESDISPLAY degrees", MASS, KILOGRAMS, DEGREES, SI},
        {"ENGINESDISPLAY GRADS", MASS, KILOGRAMS, RADIANS, SI},
        {"PARAMETERSMODE\tTANKS", TANKS, KILOGRAMS, RADIANS, SI}, // any one separator
    };
    for (const auto& c : cases) {
        host.CloseAllDisplays();
        host.EndSession();
        host.AddVessel("Alpha", EmptyClass("Probe"));
        MfdSettings& s = *OpenWithId(MFD_LEFT)->Settings();
        s.notation = SI;
        s.enginesDisplay = RADIANS;
        Read(MFD_LEFT, {"MFD_ID 0", c.line, "END_MFD"});
        EXPECT_EQ(s.parametersMode, c.page) << c.line;
        EXPECT_EQ(s.massDisplay, c.mass) << c.line;
        EXPECT_EQ(s.enginesDisplay, c.engines) << c.line;
        EXPECT_EQ(s.notation, c.notation) << c.line;
    }
}

TEST_F(StatusTest, IndexLinesWithoutANumberLeaveTheIndex) {
    MfdSettings& s = *OpenWithId(MFD_LEFT)->Settings();
    s.tankIndex = 4;
    s.engineIndex = 6;
    Read(MFD_LEFT, {"MFD_ID 0", "TANK_INDEX x3", "ENGINE_INDEX", "END_MFD"});
    EXPECT_EQ(s.tankIndex, 4u);
    EXPECT_EQ(s.engineIndex, 6u);
    Read(MFD_LEFT, {"MFD_ID 0", "TANK_INDEX 3", "ENGINE_INDEX   -2", "END_MFD"});
    EXPECT_EQ(s.tankIndex, 3u);
    EXPECT_EQ(s.engineIndex, 0xFFFFFFFEu);
    // Numbers beyond 32 bits wrap instead of being undefined.
    Read(MFD_LEFT, {"MFD_ID 0", "TANK_INDEX 4294967297", "END_MFD"});
    EXPECT_EQ(s.tankIndex, 1u);
}

TEST_F(StatusTest, TheEndLineStopsReadingAndNothingAfterItIsTaken) {
    MfdSettings& s = *OpenWithId(MFD_LEFT)->Settings();
    const size_t read = Read(MFD_LEFT, {"MFD_ID 0", "END_MFD", "NOTATION EXP", "END_MFD_X"});
    EXPECT_EQ(s.notation, SI);
    EXPECT_EQ(read, 2u);
}

// The host's reader runs on past END_MFD; a display must not take the next display's settings.
TEST_F(StatusTest, ABlockWithoutItsIdLineNeverReadsTheNextBlock) {
    MfdSettings& left = *OpenWithId(MFD_LEFT)->Settings();
    MfdSettings& right = *OpenWithId(MFD_RIGHT)->Settings();
    const Lines file = {"BEGIN_MFD Left",
                        "  TYPE User",
                        "  MODE Kelvane",
                        "  NOTATION EXP",
                        "END_MFD",
                        "BEGIN_MFD Right",
                        "  TYPE User",
                        "  MODE Kelvane",
                        "  MFD_ID 0",
                        "  PARAMETERSMODE ENGINES",
                        "  TANK_INDEX 1",
                        "END_MFD",
                        "BEGIN_SHIPS",
                        "Alpha:Probe",
                        "END",
                        "END_SHIPS"};
    sim::ScenarioReader leftReader(file, 3);
    host.ReadStatus(MFD_LEFT, leftReader);
    EXPECT_EQ(leftReader.Position(), 5u); // stopped at its own END_MFD
    EXPECT_EQ(left.parametersMode, MASS);
    EXPECT_EQ(left.tankIndex, 0u);
    EXPECT_EQ(left.notation, SI);

    sim::ScenarioReader rightReader(file, 8);
    host.ReadStatus(MFD_RIGHT, rightReader);
    EXPECT_EQ(right.parametersMode, MASS); // its block's id line is for display 0
}

TEST_F(StatusTest, ABlockCutOffByTheEndOfTheFileIsHarmless) {
    MfdSettings& s = *OpenWithId(MFD_LEFT)->Settings();
    Read(MFD_LEFT, {"MFD_ID 0", "PARAMETERSMODE TANKS"});
    EXPECT_EQ(s.parametersMode, TANKS);
    Read(MFD_LEFT, {});
    Read(MFD_LEFT, {"NOTATION EXP"}); // no id line at all: nothing taken
    EXPECT_EQ(s.notation, SI);
}

TEST_F(StatusTest, LongAndStrangeLinesAreReadSafely) {
    MfdSettings& s = *OpenWithId(MFD_LEFT)->Settings();
    const std::string huge(100000, '9');
    Read(MFD_LEFT, {"MFD_ID 0", "TANK_INDEX " + huge, "NOTATION " + std::string(5000, 'E'),
                    std::string(70000, 'X'), "MFD_ID", "M", "", "\xFF\xFE\x01", "END_MFD"});
    EXPECT_EQ(s.notation, SI);
    EXPECT_EQ(s.parametersMode, MASS);
}

// --- the module's own block ---

class StateBlockTest : public StatusTest {
protected:
    Lines Save() { return host.SaveState(); }
    void Load(const Lines& lines) {
        sim::ScenarioReader reader(lines);
        host.LoadState(reader);
    }
    std::vector<const MfdSettings*> Records() {
        std::vector<const MfdSettings*> out;
        for (size_t i = 0; i < gRegistry->RecordCount(); ++i)
            out.push_back(gRegistry->RecordAt(i));
        return out;
    }
};

// The host saves only its cockpit's displays (ids 0 to 11); a display in an external window has
// an address for its id, and its record is written with the free ones, in the records' order.
TEST_F(StateBlockTest, FreeAndWindowRecordsAreWrittenInOrderAndCockpitOnesSkipped) {
    sim::Vessel* beta = &host.AddVessel("Beta", EmptyClass("Probe"));
    const int kWindowId = static_cast<int>(0x8D7A2E40u); // an address of 2^31 or more
    KelvaneMfd* panel = new KelvaneMfd(*gRegistry, 11, 256, 256, alpha);
    delete new KelvaneMfd(*gRegistry, 1, 256, 256, alpha);
    KelvaneMfd* held = new KelvaneMfd(*gRegistry, 0, 256, 256, beta);
    KelvaneMfd* window = new KelvaneMfd(*gRegistry, kWindowId, 256, 256, beta);
    window->Settings()->notation = EXP;
    KelvaneMfd* b = new KelvaneMfd(*gRegistry, 2, 256, 256, beta);
    b->Settings()->tankIndex = 2;
    delete b;
    const auto block = [](const char* vessel, const char* tank, const char* id,
                          const char* notation) {
        return Lines{"  BEGIN_KX_MFD_INFO ",
                     std::string("    VESSEL ") + vessel,
                     std::string("  TANK_INDEX ") + tank,
                     "  ENGINE_INDEX 0",
                     std::string("    MFD_ID ") + id,
                     std::string("  NOTATION ") + notation,
                     "    PARAMETERSMODE MASS",
                     "    MASSDISPLAY KILOGRAMS",
                     "    ENGINESDISPLAY RADIANS",
                     "  END_KX_MFD_INFO "};
    };
    Lines expected = block("Alpha", "0", "1", "SI");
    for (const Lines& more :
         {block("Beta", "0", "-1921372608", "EXP"), block("Beta", "2", "2", "SI")})
        expected.insert(expected.end(), more.begin(), more.end());
    Lines saved = Save();
    EXPECT_EQ(saved, expected);

    // The window's id comes back whole, negative as it is.
    saved.push_back("END");
    delete window;
    host.EndSession();
    host.AddVessel("Alpha", EmptyClass("Probe"));
    host.AddVessel("Beta", EmptyClass("Probe"));
    Load(saved);
    ASSERT_EQ(gRegistry->RecordCount(), 3u);
    EXPECT_EQ(gRegistry->RecordAt(1)->mfdId, kWindowId);
    EXPECT_EQ(gRegistry->RecordAt(1)->notation, EXP);
    delete held;
    delete panel;
}

TEST_F(StateBlockTest, SavedRecordsLoadBackEqualAfterExistingOnes) {
    sim::Vessel* beta = &host.AddVessel("Beta", EmptyClass("Probe"));
    KelvaneMfd* a = new KelvaneMfd(*gRegistry, 1, 256, 256, alpha);
    *a->Settings() = MfdSettings(alpha, 1);
    a->Settings()->parametersMode = ENGINES;
    a->Settings()->massDisplay = METRIC_TONS;
    a->Settings()->enginesDisplay = DEGREES;
    a->Settings()->notation = EXP;
    a->Settings()->tankIndex = 3;
    a->Settings()->engineIndex = 0xFFFFFFF0u;
    delete a;
    KelvaneMfd* b = new KelvaneMfd(*gRegistry, 7, 256, 256, beta);
    b->Settings()->massDisplay = PERCENTAGE;
    delete b;
    const std::vector<const MfdSettings*> before = Records();
    std::vector<MfdSettings> copies;
    for (const MfdSettings* r : before)
        copies.push_back(*r);

    Lines file = Save();
    file.push_back("END");
    Load(file);
    const std::vector<const MfdSettings*> after = Records();
    ASSERT_EQ(after.size(), 4u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(after[i], before[i]);
        const MfdSettings& loaded = *after[2 + i];
        EXPECT_NE(&loaded, before[i]);
        EXPECT_EQ(loaded.parametersMode, copies[i].parametersMode);
        EXPECT_EQ(loaded.massDisplay, copies[i].massDisplay);
        EXPECT_EQ(loaded.enginesDisplay, copies[i].enginesDisplay);
        EXPECT_EQ(loaded.notation, copies[i].notation);
        EXPECT_EQ(loaded.tankIndex, copies[i].tankIndex);
        EXPECT_EQ(loaded.engineIndex, copies[i].engineIndex);
        EXPECT_EQ(loaded.vessel, copies[i].vessel);
        EXPECT_EQ(loaded.mfdId, copies[i].mfdId);
        EXPECT_EQ(gRegistry->OwnerOf(&loaded), nullptr);
    }
}

TEST_F(StateBlockTest, BlocksForMissingVesselsOrWithoutVesselAddNothing) {
    Load({"BEGIN_KX_MFD_INFO", "VESSEL Nobody", "MFD_ID 1", "END_KX_MFD_INFO", "BEGIN_KX_MFD_INFO",
          "MFD_ID 1", "NOTATION EXP", "END_KX_MFD_INFO", "BEGIN_KX_MFD_INFO", "VESSEL",
          "END_KX_MFD_INFO", "BEGIN_KX_MFD_INFO", "VESSEL alpha", "MFD_ID 3", "END_KX_MFD_INFO",
          "END"});
    ASSERT_EQ(gRegistry->RecordCount(), 1u);
    EXPECT_EQ(gRegistry->RecordAt(0)->vessel, alpha); // names match in any case
    EXPECT_EQ(gRegistry->RecordAt(0)->mfdId, 3);
}

TEST_F(StateBlockTest, ModuleBlockReadingRules) {
    const struct {
        Lines items;
        ParametersMode page;
        MassDisplay mass;
        EnginesDisplay engines;
        Notation notation;
        int32_t id;
    } cases[] = {
        {{"MASSDISPLAY METRIC_TONS"}, MASS, METRIC_TONS, RADIANS, SI, 0},
        {{"MASSDISPLAY METRIC_TONSX"}, MASS, KILOGRAMS, RADIANS, SI, 0}, // must end the line here
        {{"massdisplay percentage_and_more"}, MASS, PERCENTAGE, RADIANS, SI, 0},
        {{"PARAMETERSMODE ENGINES2", "ENGINESDISPLAY DEG"}, ENGINES, KILOGRAMS, RADIANS, SI, 0},
        {{"NOTATION Exp", "ENGINESDISPLAY DEGREES!"}, MASS, KILOGRAMS, DEGREES, EXP, 0},
        {{"MFD_ID x", "MFD_ID -4", "MFD_ID"}, MASS, KILOGRAMS, RADIANS, SI, -4},
        {{"BEGIN_KX_MFD_INFO", "MFD_ID 9"}, MASS, KILOGRAMS, RADIANS, SI, 9}, // same record
    };
    for (const auto& c : cases) {
        host.EndSession();
        alpha = &host.AddVessel("Alpha", EmptyClass("Probe"));
        Lines file = {"BEGIN_KX_MFD_INFO", "VESSEL Alpha"};
        file.insert(file.end(), c.items.begin(), c.items.end());
        file.push_back("END_KX_MFD_INFO");
        file.push_back("END");
        Load(file);
        ASSERT_EQ(gRegistry->RecordCount(), 1u) << c.items[0];
        const MfdSettings& r = *gRegistry->RecordAt(0);
        EXPECT_EQ(r.parametersMode, c.page) << c.items[0];
        EXPECT_EQ(r.massDisplay, c.mass) << c.items[0];
        EXPECT_EQ(r.enginesDisplay, c.engines) << c.items[0];
        EXPECT_EQ(r.notation, c.notation) << c.items[0];
        EXPECT_EQ(r.mfdId, c.id) << c.items[0];
    }
}

// A vessel's name is the rest of the line without blanks at either end, as names may hold
// blanks, and at most 63 characters. A name that finds no vessel abandons its block.
TEST_F(StateBlockTest, VesselNamesAreTheRestOfTheLineOfAtMost63Characters) {
    const std::string name63(63, 'a'), name64(64, 'b');
    host.AddVessel(name63, EmptyClass("Probe"));
    host.AddVessel(name64, EmptyClass("Probe"));
    host.AddVessel("Blue", EmptyClass("Probe"));
    host.AddVessel("Blue Bird", EmptyClass("Probe"));
    Load({"BEGIN_KX_MFD_INFO", "VESSEL " + name63, "END_KX_MFD_INFO", "BEGIN_KX_MFD_INFO",
          "VESSEL " + name64, "END_KX_MFD_INFO", "BEGIN_KX_MFD_INFO", "VESSEL \t blue bird ",
          "NOTATION EXP", "END_KX_MFD_INFO", "BEGIN_KX_MFD_INFO", "VESSEL Blue Bird Two",
          "END_KX_MFD_INFO", "BEGIN_KX_MFD_INFO", "VESSEL Alpha", "VESSEL Ghost", "NOTATION EXP",
          "END_KX_MFD_INFO", "END"});
    ASSERT_EQ(gRegistry->RecordCount(), 2u);
    EXPECT_EQ(gRegistry->RecordAt(0)->vessel, host.FindVessel(name63));
    EXPECT_EQ(gRegistry->RecordAt(1)->vessel, host.FindVessel("Blue Bird"));
    EXPECT_EQ(gRegistry->RecordAt(1)->notation, EXP);
    // Written back whole.
    const Lines saved = host.SaveState();
    ASSERT_EQ(saved.size(), 20u);
    EXPECT_EQ(saved[11], "    VESSEL Blue Bird");
}

TEST_F(StateBlockTest, ACutOffBlockStillCountsAndTheScenarioEndStopsTheLoad) {
    Load({"noise", "BEGIN_KX_MFD_INFO", "VESSEL Alpha", "TANK_INDEX 4"});
    ASSERT_EQ(gRegistry->RecordCount(), 1u);
    EXPECT_EQ(gRegistry->RecordAt(0)->tankIndex, 4u);
    // After END the host's reader reports nothing more: later blocks belong to other modules.
    Load({"END", "BEGIN_KX_MFD_INFO", "VESSEL Alpha", "END_KX_MFD_INFO"});
    EXPECT_EQ(gRegistry->RecordCount(), 1u);
}

TEST_F(StateBlockTest, ADisplayOpenedLaterTakesTheLoadedRecord) {
    Load({"BEGIN_KX_MFD_INFO", "VESSEL Alpha", "MFD_ID 1", "PARAMETERSMODE TANKS",
          "END_KX_MFD_INFO", "END"});
    KelvaneMfd* right = Open(MFD_RIGHT);
    EXPECT_EQ(right->Settings()->parametersMode, TANKS);
    EXPECT_EQ(Row(MFD_RIGHT, 0), "KelvaneMFD: Tanks");
}

} // namespace
