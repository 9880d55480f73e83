// A stand-in host with the module linked into the test program, and vessels built in code.
#pragma once

#include "display/kelvane_mfd.h"
#include "tests/linked_module.h"
#include "module/module.h"
#include "settings/mfd_registry.h"
#include "sim/frame_text.h"
#include "sim/host.h"
#include "sim/vessel_class_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline sim::ThrusterSpec Thruster(VECTOR3 pos, VECTOR3 dir, double max0, double isp0, int tank) {
    sim::ThrusterSpec t;
    t.pos = pos;
    t.dir = dir;
    t.max0 = max0;
    t.isp0 = isp0;
    t.tank = tank;
    return t;
}

// The stock DeltaGlider as the built-in sample's class file gives it: 21 thrusters, 1 … 7 on the
// main tank, 8 … 21 on the RCS tank.
inline sim::VesselClass DeltaGliderClass() {
    return *sim::StockModuleClass("DeltaGlider");
}

inline sim::VesselClass EmptyClass(const std::string& name, double emptyMass = 1000) {
    sim::VesselClass c;
    c.name = name;
    c.emptyMass = emptyMass;
    c.pmi = VECTOR3{{1, 1, 1}};
    return c;
}

class ModuleTest : public testing::Test {
protected:
    void SetUp() override {
        ResetModuleStateForTesting();
        host.LinkModule(LinkedExports());
    }
    void TearDown() override { host.UnloadModule(); }

    KelvaneMfd* Open(int id, DWORD width = 256, DWORD height = 256) {
        if (!host.OpenDisplay(id, "Kelvane", width, height))
            return nullptr;
        return dynamic_cast<KelvaneMfd*>(host.DisplayAt(id)->mfd);
    }

    std::vector<std::string> Rows(int id) { return sim::FrameRows(host.Draw(id)); }

    std::string Row(int id, size_t row) {
        const std::vector<std::string> rows = Rows(id);
        return row < rows.size() ? rows[row] : std::string();
    }

    sim::Host host;
};
