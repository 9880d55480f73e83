// Vessel class files: the built-in sample's classes, both file forms and their faults, and where
// the host looks for a class.
#include "sim/vessel_class_file.h"

#include "sim_test_support.h"

#include <cmath>
#include <map>

namespace {

using sim::VesselClass;
using sim::VesselClassFinder;

VesselClass SampleClass(const std::string& name) {
    std::optional<VesselClass> cls = VesselClassFinder().Lookup(name).cls;
    if (!cls)
        throw std::runtime_error("the sample has no class " + name);
    return *cls;
}

void ExpectVector(const VECTOR3& v, double x, double y, double z) {
    EXPECT_DOUBLE_EQ(v.x, x);
    EXPECT_DOUBLE_EQ(v.y, y);
    EXPECT_DOUBLE_EQ(v.z, z);
}

TEST(SampleClasses, CarryTheStockFigures) {
    const struct {
        const char* name;
        double emptyMass;
        double pmi[3];
        std::vector<double> tanks;
        size_t thrusters;
    } cases[] = {
        {"ShuttlePB", 500, {2.28, 2.31, 0.79}, {750}, 16},
        {"DeltaGlider", 11000, {15.5, 22.1, 7.7}, {12900, 600}, 21},
        {"ShuttleA", 13000, {86.6, 89.8, 5.5}, {71500, 2700}, 20},
        {"CargoPod", 2400, {1.6, 1.6, 0.9}, {}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const VesselClass cls = SampleClass(c.name);
        EXPECT_EQ(cls.name, c.name);
        EXPECT_DOUBLE_EQ(cls.emptyMass, c.emptyMass);
        ExpectVector(cls.pmi, c.pmi[0], c.pmi[1], c.pmi[2]);
        EXPECT_EQ(cls.tankCapacities, c.tanks);
        EXPECT_EQ(cls.thrusters.size(), c.thrusters);
    }
}

TEST(SampleClasses, ThrustersFollowTheStockVessels) {
    const VesselClass pb = SampleClass("ShuttlePB");
    ExpectVector(pb.thrusters[0].pos, 0, 0, -4.35);
    ExpectVector(pb.thrusters[1].pos, 0, -1.5, 0);
    for (size_t i = 0; i < pb.thrusters.size(); ++i) {
        EXPECT_DOUBLE_EQ(pb.thrusters[i].isp0, 50000) << i;
        EXPECT_EQ(pb.thrusters[i].tank, 0) << i;
        EXPECT_DOUBLE_EQ(pb.thrusters[i].max0, i == 0 ? 30000 : i == 1 ? 15000 : 200) << i;
    }

    const VesselClass dg = SampleClass("DeltaGlider");
    ExpectVector(dg.thrusters[0].pos, -1, 0, -7.7);
    ExpectVector(dg.thrusters[1].pos, 1, 0, -7.7);
    EXPECT_DOUBLE_EQ(dg.thrusters[0].max0, 160000);
    ExpectVector(dg.thrusters[3].pos, 3, -0.236, 5.6);
    ExpectVector(dg.thrusters[3].dir, 0, 0.0421, -0.9991);
    EXPECT_DOUBLE_EQ(dg.thrusters[3].max0, 34000);
    ExpectVector(dg.thrusters[4].pos, 0, 0, 3);
    EXPECT_DOUBLE_EQ(dg.thrusters[4].max0, 110000);
    EXPECT_DOUBLE_EQ(dg.thrusters[6].max0, 36263.7);
    ExpectVector(dg.thrusters[20].pos, 0, 0, 7);
    ExpectVector(dg.thrusters[20].dir, 0, 0, -1);
    EXPECT_DOUBLE_EQ(dg.thrusters[20].max0, 5000);
    for (size_t i = 0; i < dg.thrusters.size(); ++i) {
        EXPECT_DOUBLE_EQ(dg.thrusters[i].isp0, 40000) << i;
        // The retros (2, 3) burn no tank until the ship's scenario opens their covers.
        const bool retro = i == 2 || i == 3;
        EXPECT_EQ(dg.thrusters[i].tank, retro ? -1 : i < 7 ? 0 : 1) << i;
        EXPECT_EQ(dg.thrusters[i].coverTank, retro ? 0 : -1) << i;
        if (i >= 7 && i < 19) {
            EXPECT_DOUBLE_EQ(dg.thrusters[i].max0, 2500) << i;
        }
    }
    // The check figure: a full glider's main tank gives 40000 × ln(24500 / 11600) m/s.
    double full = dg.emptyMass;
    for (double capacity : dg.tankCapacities)
        full += capacity;
    EXPECT_DOUBLE_EQ(full, 24500);
    EXPECT_NEAR(dg.thrusters[0].isp0 * std::log(full / (full - dg.tankCapacities[0])), 29907, 0.5);

    const VesselClass sa = SampleClass("ShuttleA");
    ExpectVector(sa.thrusters[0].pos, -1.7598, 0, -13.87);
    ExpectVector(sa.thrusters[1].pos, 1.7598, 0, -13.87);
    const double mainHoverPod[] = {1064360, 1064360, 744975, 744975, 385000, 385000};
    for (size_t i = 0; i < sa.thrusters.size(); ++i) {
        EXPECT_EQ(sa.thrusters[i].tank, i < 6 ? 0 : 1) << i;
        EXPECT_DOUBLE_EQ(sa.thrusters[i].isp0, i < 6 ? 33000 : 30000) << i;
        EXPECT_DOUBLE_EQ(sa.thrusters[i].max0, i < 6 ? mainHoverPod[i] : 4500) << i;
    }

    for (const sim::ThrusterSpec& t : SampleClass("CargoPod").thrusters)
        EXPECT_EQ(t.tank, -1);

    // Main, retro and hover thrusters are marked, so that the host's items find them.
    using G = sim::ThrusterSpec::Group;
    const struct {
        const VesselClass& cls;
        std::vector<G> groups; // the thrusters after these are of no group
    } marked[] = {
        {pb, {G::Main, G::Hover}},
        {dg, {G::Main, G::Main, G::Retro, G::Retro, G::Hover, G::Hover, G::Hover}},
        {sa, {G::Main, G::Main, G::Hover, G::Hover}},
    };
    for (const auto& m : marked)
        for (size_t i = 0; i < m.cls.thrusters.size(); ++i)
            EXPECT_EQ(m.cls.thrusters[i].group, i < m.groups.size() ? m.groups[i] : G::Other)
                << m.cls.name << " " << i;
}

TEST(ClassFile, ReadsKeysInAnyCaseWithCommentsAndOtherReadersLines) {
    const VesselClass cls = sim::ParseVesselClass("; a probe\n"
                                                  "MeshName = probe      ; another reader's key\n"
                                                  "emptymass\t=\t120.5\n"
                                                  "pmi = 1 2.5e-1 3\n"
                                                  "[propellant_1]\n"
                                                  "maxmass = 20\n"
                                                  "[PROPELLANT_0]\n"
                                                  "MAXMASS = 10\n"
                                                  "[ATTACHMENT]\n"
                                                  "Pos = not read here\n"
                                                  "[Thruster_0]\n"
                                                  "POS = 0 0 -1\r\n"
                                                  "dir = 0 0 2\n"
                                                  "max0 = 50\n"
                                                  "ISP0 = 3000\n"
                                                  "propellant = 1\n"
                                                  "group = retro\n"
                                                  "COVERPROPELLANT = 0\n"
                                                  "[THRUSTER_1]\n"
                                                  "Pos = 1 0 0\n"
                                                  "Dir = 0 1 0\n"
                                                  "Max0 = 0\n"
                                                  "Isp0 = 0\n"
                                                  "Propellant = -1\n",
                                                  "Probe.cfg", "Probe");
    EXPECT_EQ(cls.name, "Probe"); // no ClassName line: the file's name
    EXPECT_DOUBLE_EQ(cls.emptyMass, 120.5);
    ExpectVector(cls.pmi, 1, 0.25, 3);
    EXPECT_EQ(cls.tankCapacities, (std::vector<double>{10, 20})); // by number, not file order
    ASSERT_EQ(cls.thrusters.size(), 2u);
    ExpectVector(cls.thrusters[0].dir, 0, 0, 2); // any length, kept as given
    EXPECT_EQ(cls.thrusters[0].tank, 1);
    EXPECT_EQ(cls.thrusters[0].group, sim::ThrusterSpec::Group::Retro);
    EXPECT_EQ(cls.thrusters[0].coverTank, 0);
    EXPECT_EQ(cls.thrusters[1].tank, -1);
    EXPECT_EQ(cls.thrusters[1].group, sim::ThrusterSpec::Group::Other);
    EXPECT_EQ(cls.thrusters[1].coverTank, -1);

    const VesselClass named =
        sim::ParseVesselClass("ClassName = Probe Mk 2\nEmptyMass = 1\nPMI = 1 1 1\n", "p.cfg", "p");
    EXPECT_EQ(named.name, "Probe Mk 2");
    EXPECT_TRUE(named.tankCapacities.empty());
    EXPECT_TRUE(named.thrusters.empty());
}

TEST(ClassFile, FaultsNameTheFileTheLineAndWhatWasExpected) {
    const std::string head = "EmptyMass = 100\nPMI = 1 1 1\n"; // lines 1 and 2
    const std::string tank = "[PROPELLANT_0]\nMaxMass = 50\n"; // lines 3 and 4
    const std::string thruster = "[THRUSTER_0]\nPos = 0 0 0\nDir = 0 0 1\nMax0 = 10\nIsp0 = 100\n";
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"EmptyMass = heavy\nPMI = 1 1 1\n",
         "X.cfg:1: expected a mass in kg after 'EmptyMass =', found 'heavy'"},
        {"EmptyMass =\nPMI = 1 1 1\n",
         "X.cfg:1: expected a mass in kg after 'EmptyMass =', found nothing"},
        {"EmptyMass = 12kg\nPMI = 1 1 1\n",
         "X.cfg:1: expected a mass in kg after 'EmptyMass =', found '12kg'"},
        {"EmptyMass = -5\nPMI = 1 1 1\n",
         "X.cfg:1: expected a mass in kg of 0 or more after 'EmptyMass =', found '-5'"},
        {"EmptyMass = nan\nPMI = 1 1 1\n",
         "X.cfg:1: expected a mass in kg after 'EmptyMass =', found 'nan'"},
        {"EmptyMass = 1e999\nPMI = 1 1 1\n",
         "X.cfg:1: expected a mass in kg after 'EmptyMass =', found '1e999'"},
        {"EmptyMass = 1\nPMI = 1 2\n", "X.cfg:2: expected three moments of inertia per unit mass "
                                       "in m^2 after 'PMI =', found '1 2'"},
        {"EmptyMass = 1\nPMI = 1 2 3 4\n", "X.cfg:2: expected three moments of inertia per unit "
                                           "mass in m^2 after 'PMI =', found '1 2 3 4'"},
        {"EmptyMass = 1\nPMI = 1,2,3\n", "X.cfg:2: expected three moments of inertia per unit "
                                         "mass in m^2 after 'PMI =', found '1,2,3'"},
        {"PMI = 1 1 1\n" + tank, "X.cfg:2: expected a line 'EmptyMass = kg' before [PROPELLANT_0]"},
        {"EmptyMass = 1\n\n; end\n", "X.cfg:3: expected a line 'PMI = x y z' before the end of "
                                     "the file"},
        {"", "X.cfg: expected a line 'EmptyMass = kg' before the end of the file"},
        {"ClassName =\n" + head,
         "X.cfg:1: expected a class name after 'ClassName =', found nothing"},
        {head + "[PROPELLANT_0]\n", "X.cfg:3: [PROPELLANT_0] has no line 'MaxMass = kg'"},
        {head + "[THRUSTER_0]\nPos = 0 0 0\nDir = 0 0 1\nMax0 = 10\n",
         "X.cfg:3: [THRUSTER_0] has no line 'Isp0 = m/s'"},
        {head + tank + "[PROPELLANT_2]\nMaxMass = 1\n",
         "X.cfg:5: expected [PROPELLANT_1] before [PROPELLANT_2]: sections are numbered from 0 "
         "without gaps"},
        {head + "[THRUSTER_1]\nPos = 0 0 0\n",
         "X.cfg:3: expected [THRUSTER_0] before [THRUSTER_1]: sections are numbered from 0 without "
         "gaps"},
        {head + tank + "[PROPELLANT_0]\n",
         "X.cfg:5: [PROPELLANT_0] appears twice (first on line 3)"},
        {head + "pmi = 2 2 2\n",
         "X.cfg:3: 'pmi' is given twice in the file's head (first on line 2)"},
        {head + tank + "maxmass = 3\n",
         "X.cfg:5: 'maxmass' is given twice in [PROPELLANT_0] (first on line 4)"},
        {head + "Thrusters 2\n",
         "X.cfg:3: expected 'key = value' or a [SECTION] line, found 'Thrusters 2'"},
        {head + "= 5\n", "X.cfg:3: expected 'key = value' or a [SECTION] line, found '= 5'"},
        {head + "[THRUSTER_0\n",
         "X.cfg:3: expected a section name in brackets, found '[THRUSTER_0'"},
        {head + "[]\n", "X.cfg:3: expected a section name in brackets, found '[]'"},
        {head + "[THRUSTER_]\n",
         "X.cfg:3: expected [THRUSTER_N] with N a number from 0, found [THRUSTER_]"},
        {head + "[propellant_x1]\n",
         "X.cfg:3: expected [PROPELLANT_N] with N a number from 0, found [propellant_x1]"},
        {head + "[PROPELLANT_99999999999999999999]\n",
         "X.cfg:3: expected [PROPELLANT_N] with N a number from 0, found "
         "[PROPELLANT_99999999999999999999]"},
        {head + tank + thruster + "Propellant = 1\n",
         "X.cfg:10: expected a tank number from 0 to 0, or -1 after 'Propellant =', found '1'"},
        {head + tank + thruster + "Propellant = -2\n",
         "X.cfg:10: expected a tank number from 0 to 0, or -1 after 'Propellant =', found '-2'"},
        {head + tank + thruster + "Propellant = 0.5\n",
         "X.cfg:10: expected a tank number from 0 to 0, or -1 after 'Propellant =', found '0.5'"},
        {head + thruster + "Propellant = 0\n",
         "X.cfg:8: expected -1 (the class has no tanks) after 'Propellant =', found '0'"},
        {head + tank + thruster + "CoverPropellant = 1\n",
         "X.cfg:10: expected a tank number from 0 to 0, or -1 after 'CoverPropellant =', found "
         "'1'"},
        {head + thruster + "Group = Attitude\n",
         "X.cfg:8: expected Main, Retro or Hover after 'Group =', found 'Attitude'"},
        {head + "[THRUSTER_0]\nPos = 0 0 0\nDir = 0 0 0\nMax0 = 10\nIsp0 = 100\n",
         "X.cfg:5: expected a direction that is not zero after 'Dir =', found '0 0 0'"},
        {head + "[THRUSTER_0]\nPos = 0 0\nDir = 0 0 1\nMax0 = 10\nIsp0 = 100\n",
         "X.cfg:4: expected a position: three numbers in m after 'Pos =', found '0 0'"},
        {head + "[THRUSTER_0]\nPos = 0 0 0\nDir = 0 0 1\nMax0 = -10\nIsp0 = 100\n",
         "X.cfg:6: expected a vacuum thrust in N of 0 or more after 'Max0 =', found '-10'"},
        {head + "[THRUSTER_0]\nPos = 0 0 0\nDir = 0 0 1\nMax0 = 10\nIsp0 = inf\n",
         "X.cfg:7: expected a vacuum Isp in m/s after 'Isp0 =', found 'inf'"},
        {head + "[PROPELLANT_0]\nMaxMass = -1\n",
         "X.cfg:4: expected a capacity in kg of 0 or more after 'MaxMass =', found '-1'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            sim::ParseVesselClass(c.text, "X.cfg", "X");
            ADD_FAILURE() << "accepted";
        } catch (const sim::FileError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

// Places, in the host's order: --vessels folders, Config/Vessels beside the scenario, beside the
// scenario's folder, then the sample's classes.
TEST(ClassFinder, SearchesTheHostsPlacesInOrder) {
    ScratchFolder root;
    auto cls = [](double mass) {
        return "EmptyMass = " + std::to_string(mass) + "\nPMI = 1 1 1\n";
    };
    root.Write("extra/Probe.cfg", cls(1));
    root.Write("game/Scenarios/Config/Vessels/Probe.cfg", cls(2));
    root.Write("game/Config/Vessels/Probe.cfg", cls(3));
    root.Write("game/Config/Vessels/Tug.cfg", cls(3));
    root.Write("game/Config/Vessels/ShuttlePB.cfg", cls(4));
    root.Write("game/Config/Vessels/Sub/Rover.cfg", cls(5));
    root.Write("game/Config/Tanker.cfg", cls(6));
    const std::string scenario = root.Write("game/Scenarios/x.scn", "");

    const VesselClassFinder withExtra =
        VesselClassFinder::ForScenario({root.Path("extra")}, scenario);
    const VesselClassFinder plain = VesselClassFinder::ForScenario({}, scenario);
    const VesselClassFinder noScenario = VesselClassFinder::ForScenario({}, "");
    EXPECT_DOUBLE_EQ(withExtra.Lookup("Probe").cls->emptyMass, 1);
    EXPECT_DOUBLE_EQ(plain.Lookup("Probe").cls->emptyMass, 2);
    EXPECT_DOUBLE_EQ(plain.Lookup("Tug").cls->emptyMass, 3);
    EXPECT_DOUBLE_EQ(plain.Lookup("ShuttlePB").cls->emptyMass, 4); // a file beats the sample
    EXPECT_DOUBLE_EQ(noScenario.Lookup("ShuttlePB").cls->emptyMass, 500);
    EXPECT_DOUBLE_EQ(plain.Lookup("DeltaGlider").cls->emptyMass, 11000);
    EXPECT_DOUBLE_EQ(plain.Lookup("Sub\\Rover").cls->emptyMass, 5); // the host's sub-folder form
    EXPECT_DOUBLE_EQ(plain.Lookup("sub\\rover").cls->emptyMass, 5); // every name in any case
    EXPECT_DOUBLE_EQ(plain.Lookup("Tanker").cls->emptyMass, 6);     // Config/ after Config/Vessels
    EXPECT_DOUBLE_EQ(plain.Lookup("tug").cls->emptyMass, 3);        // file names match in any case
    EXPECT_EQ(plain.Lookup("tug").cls->name, "Tug");
    EXPECT_DOUBLE_EQ(noScenario.Lookup("deltaglider").cls->emptyMass, 11000);
    EXPECT_FALSE(plain.Lookup("Mir").cls);
    EXPECT_FALSE(
        plain.Lookup("../Config/Vessels/Tug").cls); // a class name stays in the class folders
    EXPECT_FALSE(plain.Lookup("").cls);
}

// A file that cannot be used is one warning naming the file and line, not the end of the run.
TEST(ClassFinder, AMalformedFileIsAWarningNotAMissingClass) {
    ScratchFolder root;
    root.Write("v/Broken.cfg", "EmptyMass = 1\nPMI = 1 1\n");
    const sim::ClassLookup found = VesselClassFinder({root.Path("v")}).Lookup("Broken");
    EXPECT_FALSE(found.cls);
    EXPECT_EQ(found.file, root.Path("v/Broken.cfg"));
    EXPECT_EQ(found.warnings,
              std::vector<std::string>{root.Path("v/Broken.cfg") +
                                       ":2: expected three moments of inertia per unit mass in "
                                       "m^2 after 'PMI =', found '1 1' (the file is read in the "
                                       "sectioned form, for its sections or its EmptyMass line, "
                                       "and cannot be used)"});
}

// The host's form: each item looked up on its own, the first line winning, in any case; what
// is not a usable number is passed over with a warning; defaults for what no line gives.
TEST(HostClassForm, ItemsFollowTheHostsReadingRules) {
    const struct {
        const char* text;
        double mass;
        VECTOR3 pmi;
        std::vector<double> tanks;
        size_t thrusters;
        std::vector<std::string> warnings; // after "H.cfg:"
    } cases[] = {
        {"", 1000, {{20, 20, 10}}, {}, 0, {}},
        {"mass = 5 ; kg\nMASS = 7\nSize=2\n", 5, {{4, 4, 2}}, {}, 0, {}},
        {"Mass = 12kg and more\n", 12, {{20, 20, 10}}, {}, 0, {}},
        {"Mass =\nMass = 9\n", 1000, {{20, 20, 10}}, {}, 0, {}},
        {"Mass = heavy\nMass = 9\n",
         1000,
         {{20, 20, 10}},
         {},
         0,
         {"1: passed over 'Mass = heavy': expected a mass in kg, 0 or more"}},
        // A size whose moments (2 * size) would overflow is no size.
        {"Mass = -5\nSize = 1e308\n",
         1000,
         {{20, 20, 10}},
         {},
         0,
         {"1: passed over 'Mass = -5': expected a mass in kg, 0 or more",
          "2: passed over 'Size = 1e308': expected a radius in m, from 0 to half the largest "
          "number"}},
        {"Size = 4\nInertia = 1 x 3\n",
         1000,
         {{8, 8, 4}},
         {},
         0,
         {"2: passed over 'Inertia = 1 x 3': expected three moments of inertia in m^2"}},
        {"Size = 4\nInertia = 1 -2 -3\n",
         1000,
         {{1, 8, 4}},
         {},
         0,
         {"2: 'Inertia = 1 -2 -3': a moment below 0 is worked out from the size"}},
        {"Inertia = 1 2 3 4\n", 1000, {{1, 2, 3}}, {}, 0, {}},
        {"; a station\nBEGIN_DOCKLIST\n0 10 0  0 1 0  0 0 1\nEND_DOCKLIST\nMass = 5\n",
         5,
         {{20, 20, 10}},
         {},
         0,
         {}},
        {"Mass = 5\n  end_parse ; the rest is for others\nMass = 6\nMaxFuel = 1\n",
         5,
         {{20, 20, 10}},
         {},
         0,
         {}},
        {"MaxFuel = 300\n", 1000, {{20, 20, 10}}, {300}, 0, {}},
        {"PropellantResource2 = 5\nPropellantResource1 = 10 0.9\nMaxFuel = 300\n"
         "PropellantResource4 = 5\n",
         1000,
         {{20, 20, 10}},
         {10, 5},
         0,
         {}},
        {"PropellantResource1 = 10\nPropellantResource2 = lots\nPropellantResource3 = 5\n"
         "PropellantResource5 = 1\n",
         1000,
         {{20, 20, 10}},
         {10, 5},
         0,
         {"2: passed over 'PropellantResource2 = lots': expected a capacity in kg and an "
          "efficiency, 0 or more"}},
        {"PropellantResource1 = -10\nMaxFuel = 3\n",
         1000,
         {{20, 20, 10}},
         {3},
         0,
         {"1: passed over 'PropellantResource1 = -10': expected a capacity in kg and an "
          "efficiency, 0 or more"}},
        {"Module = DeltaGlider\nMass = 12000\nMaxMainThrust = 1\n",
         12000,
         {{15.5, 22.1, 7.7}},
         {12900, 600},
         21,
         {}},
        {"Module = shuttlepb\n", 500, {{2.28, 2.31, 0.79}}, {750}, 16, {}},
        {"Module = DeltaGlider\nScramjet = TRUE\n",
         11000,
         {{15.5, 22.1, 7.7}},
         {12900, 600},
         21,
         {"1: class H is the DeltaGlider with a scramjet (Scramjet = TRUE), which the stand-in "
          "does not model: it has the DeltaGlider's figures, without the scramjet engines and "
          "their tank"}},
        {"Module = Mir\nMass = 5\nMaxHoverThrust = 10\n",
         5,
         {{20, 20, 10}},
         {},
         1,
         {"1: class H uses the vessel module Mir, which the stand-in does not model: its figures "
          "come from the class file's items alone"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const sim::ClassLookup read = sim::ReadClassFile({"H.cfg", c.text, ""}, "H", nullptr);
        ASSERT_TRUE(read.cls);
        EXPECT_EQ(read.cls->name, "H");
        EXPECT_DOUBLE_EQ(read.cls->emptyMass, c.mass);
        ExpectVector(read.cls->pmi, c.pmi.x, c.pmi.y, c.pmi.z);
        EXPECT_EQ(read.cls->tankCapacities, c.tanks);
        EXPECT_EQ(read.cls->thrusters.size(), c.thrusters);
        std::vector<std::string> expected;
        for (const std::string& w : c.warnings)
            expected.push_back("H.cfg:" + w);
        EXPECT_EQ(read.warnings, expected);
    }
}

// Main, retro, hover, then the six linear and twelve turning attitude thrusters, in the host's
// order and geometry, all with the class's Isp and fed by tank 0.
TEST(HostClassForm, ThrustItemsBuildTheHostsThrusters) {
    const sim::ClassLookup read =
        sim::ReadClassFile({"T.cfg",
                            "maxattitudethrust = 200\nMaxHoverThrust = 30\nMaxRetroThrust = 20\n"
                            "MAXMAINTHRUST = 10\nIsp = 3000\nSize = 4\nPropellantResource1 = 100\n",
                            ""},
                           "T", nullptr);
    ASSERT_TRUE(read.cls);
    const struct {
        VECTOR3 pos, dir;
        double thrust;
    } expected[] = {
        {{{0, 0, 0}}, {{0, 0, 1}}, 10},    {{{0, 0, 0}}, {{0, 0, -1}}, 20},
        {{{0, 0, 0}}, {{0, 1, 0}}, 30},    {{{0, 0, 0}}, {{0, 1, 0}}, 200},
        {{{0, 0, 0}}, {{0, -1, 0}}, 200},  {{{0, 0, 0}}, {{-1, 0, 0}}, 200},
        {{{0, 0, 0}}, {{1, 0, 0}}, 200},   {{{0, 0, 0}}, {{0, 0, 1}}, 200},
        {{{0, 0, 0}}, {{0, 0, -1}}, 200},  {{{0, 0, 4}}, {{0, 1, 0}}, 100},
        {{{0, 0, -4}}, {{0, -1, 0}}, 100}, {{{0, 0, 4}}, {{0, -1, 0}}, 100},
        {{{0, 0, -4}}, {{0, 1, 0}}, 100},  {{{0, 0, 4}}, {{-1, 0, 0}}, 100},
        {{{0, 0, -4}}, {{1, 0, 0}}, 100},  {{{0, 0, 4}}, {{1, 0, 0}}, 100},
        {{{0, 0, -4}}, {{-1, 0, 0}}, 100}, {{{4, 0, 0}}, {{0, 1, 0}}, 100},
        {{{-4, 0, 0}}, {{0, -1, 0}}, 100}, {{{-4, 0, 0}}, {{0, 1, 0}}, 100},
        {{{4, 0, 0}}, {{0, -1, 0}}, 100},
    };
    ASSERT_EQ(read.cls->thrusters.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const sim::ThrusterSpec& t = read.cls->thrusters[i];
        ExpectVector(t.pos, expected[i].pos.x, expected[i].pos.y, expected[i].pos.z);
        ExpectVector(t.dir, expected[i].dir.x, expected[i].dir.y, expected[i].dir.z);
        EXPECT_DOUBLE_EQ(t.max0, expected[i].thrust);
        EXPECT_DOUBLE_EQ(t.isp0, 3000);
        EXPECT_EQ(t.tank, 0);
    }
    // Without a tank the thrusters are fed by none.
    const sim::ClassLookup dry =
        sim::ReadClassFile({"D.cfg", "MaxMainThrust = 10\n", ""}, "D", nullptr);
    EXPECT_EQ(dry.cls->thrusters.at(0).tank, -1);
    EXPECT_DOUBLE_EQ(dry.cls->thrusters.at(0).isp0, 50000);
}

// BaseClass = NAME is Config/NAME.cfg, never Config/Vessels; the class's own file replaces its
// bases' single items. A loop or a missing base ends the chain with a warning.
TEST(HostClassForm, BaseClassesComeFromConfigAndAreReadFirst) {
    ScratchFolder root;
    root.Write("Config/Vessels/Tug.cfg", "BaseClass = Hull\nMass = 1\nSize =\n");
    root.Write("Config/hull.cfg", "BaseClass = base\\FRAME\nMass = 2\nSize = 3\nMaxFuel = 4\n");
    root.Write("Config/Vessels/Hull.cfg", "Size = 50\n"); // a class, not a base class
    root.Write("Config/Base/Frame.cfg", "Isp = 7\nMaxMainThrust = 8\nBaseClass = Vessels\\TUG\n");
    root.Write("Config/Vessels/Lost.cfg", "BaseClass = Decoy\n");
    root.Write("Config/Vessels/Decoy.cfg", "Mass = 5\n");
    root.Write("kit/CONFIG/vessels/Kit.cfg", "BaseClass = Hull.cfg\n");
    root.Write("kit/CONFIG/Hull.cfg.cfg", "Mass = 6\n"); // the host adds .cfg to what it is given
    const VesselClassFinder finder(VesselClassFinder::InstallationFolders(root.Path()));

    const sim::ClassLookup tug = finder.Lookup("Tug");
    ASSERT_TRUE(tug.cls);
    EXPECT_DOUBLE_EQ(tug.cls->emptyMass, 1);
    ExpectVector(tug.cls->pmi, 6, 6, 3);
    EXPECT_EQ(tug.cls->tankCapacities, std::vector<double>{4});
    ASSERT_EQ(tug.cls->thrusters.size(), 1u);
    EXPECT_DOUBLE_EQ(tug.cls->thrusters[0].isp0, 7);
    EXPECT_DOUBLE_EQ(tug.cls->thrusters[0].max0, 8);
    EXPECT_EQ(tug.cls->thrusters[0].tank, -1); // Frame is read before hull made its tank
    EXPECT_EQ(tug.warnings,
              std::vector<std::string>{root.Path("Config/Base/Frame.cfg") +
                                       ":3: passed over 'BaseClass = Vessels\\TUG': " +
                                       root.Path("Config/Vessels/Tug.cfg") +
                                       " is already one of this class's files"});

    const sim::ClassLookup lost = finder.Lookup("lost");
    ASSERT_TRUE(lost.cls);
    EXPECT_DOUBLE_EQ(lost.cls->emptyMass, 1000);
    EXPECT_EQ(lost.warnings,
              std::vector<std::string>{root.Path("Config/Vessels/Lost.cfg") +
                                       ":1: passed over 'BaseClass = Decoy': no class file "
                                       "Config/Decoy.cfg"});

    // A --vessels folder .../Config/Vessels leads to its Config, in any case.
    const sim::ClassLookup kit = VesselClassFinder({root.Path("kit/CONFIG/vessels")}).Lookup("Kit");
    ASSERT_TRUE(kit.cls);
    EXPECT_DOUBLE_EQ(kit.cls->emptyMass, 6);
}

// Generic items apply on top of what the vessel module and the base classes made: more tanks,
// a main, retro or hover thruster where there is none of that kind (the thrust of the only one
// where there is one), and 18 more attitude thrusters.
TEST(HostClassForm, ItemsAddToWhatTheModuleAndTheBaseClassesMade) {
    const std::map<std::string, std::string> bases = {
        {"Hull", "Size = 3\nIsp = 7\nPropellantResource1 = 40\nMaxMainThrust = 8\n"
                 "MaxHoverThrust = 9\nMaxAttitudeThrust = 4\n"},
        {"PB", "Module = ShuttlePB\nPropellantResource1 = 9\n"},
    };
    const sim::BaseClassSource source = [&bases](const std::string& name) {
        const auto it = bases.find(name);
        return it == bases.end()
                   ? std::nullopt
                   : std::optional<sim::ClassFileText>({name + ".cfg", it->second, ""});
    };
    using G = sim::ThrusterSpec::Group;
    const struct {
        const char* text;
        std::vector<double> tanks;
        size_t thrusters;
        struct {
            size_t index;
            double max0, isp0;
            int tank;
            G group;
        } checks[5];
    } cases[] = {
        {"Module = ShuttlePB\nIsp = 900\nPropellantResource1 = 10\nPropellantResource2 = 20\n"
         "MaxFuel = 5\nMaxMainThrust = 111\nMaxHoverThrust = 333\nMaxRetroThrust = 222\n"
         "MaxAttitudeThrust = 4\n",
         {750, 10, 20},
         16 + 1 + 18,
         {{0, 111, 50000, 0, G::Main},
          {1, 333, 50000, 0, G::Hover},
          {16, 222, 900, 0, G::Retro},
          {17, 4, 900, 0, G::Other},
          {34, 2, 900, 0, G::Other}}},
        // Two mains, two retros, three hovers: the items leave them as they are.
        {"Module = DeltaGlider\nMaxMainThrust = 1\nMaxRetroThrust = 2\nMaxHoverThrust = 3\n",
         {12900, 600},
         21,
         {{0, 160000, 40000, 0, G::Main},
          {1, 160000, 40000, 0, G::Main},
          {2, 34000, 40000, -1, G::Retro},
          {4, 110000, 40000, 0, G::Hover},
          {6, 36263.7, 40000, 0, G::Hover}}},
        {"Module = ShuttleA\nMaxRetroThrust = 5\n",
         {71500, 2700},
         21,
         {{0, 1064360, 33000, 0, G::Main},
          {2, 744975, 33000, 0, G::Hover},
          {4, 385000, 33000, 0, G::Other},
          {19, 4500, 30000, 1, G::Other},
          {20, 5, 50000, 0, G::Retro}}},
        {"BaseClass = Hull\nIsp = 600\nPropellantResource1 = 60\nMaxFuel = 1\n"
         "MaxMainThrust = 70\nMaxRetroThrust = 80\nMaxAttitudeThrust = 2\n",
         {40, 60},
         2 + 18 + 1 + 18,
         {{0, 70, 7, 0, G::Main},
          {1, 9, 7, 0, G::Hover},
          {2, 4, 7, 0, G::Other},
          {20, 80, 600, 0, G::Retro},
          {21, 2, 600, 0, G::Other}}},
        // The module a base class names comes first, then the base's items, then the class's.
        {"BaseClass = PB\nMaxMainThrust = 5\nPropellantResource1 = 3\n",
         {750, 9, 3},
         16,
         {{0, 5, 50000, 0, G::Main},
          {1, 15000, 50000, 0, G::Hover},
          {2, 200, 50000, 0, G::Other},
          {14, 200, 50000, 0, G::Other},
          {15, 200, 50000, 0, G::Other}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const sim::ClassLookup read = sim::ReadClassFile({"A.cfg", c.text, ""}, "A", source);
        ASSERT_TRUE(read.cls);
        EXPECT_EQ(read.warnings, std::vector<std::string>{});
        EXPECT_EQ(read.cls->tankCapacities, c.tanks);
        ASSERT_EQ(read.cls->thrusters.size(), c.thrusters);
        for (const auto& check : c.checks) {
            SCOPED_TRACE(check.index);
            const sim::ThrusterSpec& t = read.cls->thrusters[check.index];
            EXPECT_DOUBLE_EQ(t.max0, check.max0);
            EXPECT_DOUBLE_EQ(t.isp0, check.isp0);
            EXPECT_EQ(t.tank, check.tank);
            EXPECT_EQ(t.group, check.group);
        }
    }
}

} // namespace
