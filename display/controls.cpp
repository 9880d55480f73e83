// The four buttons: labels, the menu and what a press changes in the display's record.
#include "display/kelvane_mfd.h"

namespace {

char kLabelMode[] = "MOD";
char kLabelUnits[] = "UNT";
char kLabelNotation[] = "NOT";
char kLabelTank[] = "TNK";
char kLabelEngine[] = "ENG";

const MFDBUTTONMENU kMenu[4] = {
    {"Change mode", nullptr, 0},
    {"Select units", nullptr, 0},
    {"Changes notation", nullptr, 0},
    {"Changes tank/engine", nullptr, 0},
};

} // namespace

char* KelvaneMfd::ButtonLabel(int bt) {
    switch (bt) {
    case 0:
        return kLabelMode;
    case 1:
        return kLabelUnits;
    case 2:
        return kLabelNotation;
    case 3:
        if (settings->parametersMode == TANKS)
            return kLabelTank;
        if (settings->parametersMode == ENGINES)
            return kLabelEngine;
        return nullptr;
    default:
        return nullptr;
    }
}

int KelvaneMfd::ButtonMenu(const MFDBUTTONMENU** menu) const {
    if (menu)
        *menu = kMenu;
    return 4;
}

bool KelvaneMfd::ConsumeButton(int bt, int event) {
    if (!(event & PANEL_MOUSE_LBDOWN))
        return false;
    if (bt < 0 || bt > 3)
        return false;

    MfdSettings& s = *settings;
    switch (bt) {
    case 0:
        if (s.parametersMode == MASS) {
            s.parametersMode = TANKS;
            if (s.massDisplay == METRIC_TONS)
                s.massDisplay = KILOGRAMS;
        } else if (s.parametersMode == TANKS) {
            s.parametersMode = ENGINES;
        } else {
            s.parametersMode = MASS;
            if (s.massDisplay == PERCENTAGE)
                s.massDisplay = KILOGRAMS;
        }
        break;
    case 1:
        if (s.parametersMode == MASS)
            s.massDisplay = s.massDisplay == KILOGRAMS ? METRIC_TONS : KILOGRAMS;
        else if (s.parametersMode == TANKS)
            s.massDisplay = s.massDisplay == KILOGRAMS ? PERCENTAGE : KILOGRAMS;
        else if (s.parametersMode == ENGINES)
            s.enginesDisplay = s.enginesDisplay == RADIANS ? DEGREES : RADIANS;
        break;
    case 2:
        s.notation = s.notation == EXP ? SI : EXP;
        break;
    case 3:
        // Unsigned arithmetic: an index read back as negative is huge and wraps to 0 here.
        if (s.parametersMode == TANKS) {
            s.tankIndex = s.tankIndex + 1u;
            if (s.tankIndex >= pV->GetPropellantCount())
                s.tankIndex = 0;
        } else if (s.parametersMode == ENGINES) {
            s.engineIndex = s.engineIndex + 1u;
            if (s.engineIndex >= pV->GetThrusterCount())
                s.engineIndex = 0;
        }
        break;
    }
    // The host redraws on simulation time only; without this a press made while the
    // simulation is paused would not show until it runs again.
    InvalidateDisplay();
    return true;
}
