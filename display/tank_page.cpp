#include "display/pages.h"

#include "display/number_format.h"
#include "display/text_format.h"
#include "display/text_layout.h"

#include <math.h>
#include <string.h>

namespace {

int DecimalDigits(unsigned long n) {
    int digits = 1;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}

void DrawThrustersServiced(HDC hDC, VESSEL& vessel, const MfdSettings& settings) {
    static const char kLead[] = "Thrusters Serviced:";
    char list[64];
    FormatText(list, sizeof list, "%s", kLead);
    size_t used = sizeof kLead - 1;
    int row = 9;
    int lineLength = 0;
    int entryWidth = 2;
    double highestIsp = 0.0;

    const DWORD thrusters = vessel.GetThrusterCount();
    const PROPELLANT_HANDLE tank = vessel.GetPropellantHandleByIndex(settings.tankIndex);
    for (DWORD k = 0; k < thrusters; ++k) {
        const THRUSTER_HANDLE thruster = vessel.GetThrusterHandleByIndex(k);
        if (vessel.GetThrusterResource(thruster) == tank) {
            // k is below a 32-bit count, so k + 1 fits; "%lu" reads the same on every C library.
            const unsigned long number = static_cast<unsigned long>(k) + 1;
            used +=
                static_cast<size_t>(FormatText(list + used, sizeof list - used, " %lu", number));
            entryWidth = 1 + DecimalDigits(number);
            lineLength += entryWidth;
            const double isp = vessel.GetThrusterIsp0(thruster);
            if (isp > highestIsp)
                highestIsp = isp;
        }
        // Close the line once one more number as wide as the last would reach 17 characters.
        if (lineLength + entryWidth >= 17) {
            PrintAt(hDC, 0, row, "%s", list);
            ++row;
            memset(list, ' ', sizeof kLead - 1);
            list[sizeof kLead - 1] = '\0';
            used = sizeof kLead - 1;
            lineLength = 0;
        }
    }
    if (lineLength > 0)
        PrintAt(hDC, 0, row, "%s", list);

    if (row == 9 && lineLength == 0) {
        FormatText(list + used, sizeof list - used, "%s", " None");
        PrintAt(hDC, 0, 9, "%s", list);
        PrintAt(hDC, 0, 8, "Delta-V: None");
        return;
    }

    const double mass = vessel.GetMass();
    const double propellant = vessel.GetPropellantMass(tank);
    // A zero divisor (no dry mass left) gives an infinite or undefined figure, which the
    // formatter shows as text.
    const double deltaV = highestIsp * log(mass / (mass - propellant));
    char value[kValueBufferSize];
    FormatValue(value, deltaV, settings.notation);
    PrintAt(hDC, 0, 8, "Delta-V: %sm/s", value);
}

} // namespace

void DrawTankPage(HDC hDC, VESSEL& vessel, MfdSettings& settings) {
    const DWORD tanks = vessel.GetPropellantCount();
    if (settings.tankIndex >= tanks)
        settings.tankIndex = 0;
    // Without tanks there is no handle to ask about: the host would read through a null one.
    if (tanks == 0) {
        PrintAt(hDC, 0, 5, "No Tanks");
        return;
    }

    double capacity =
        vessel.GetPropellantMaxMass(vessel.GetPropellantHandleByIndex(settings.tankIndex));
    double contents =
        vessel.GetPropellantMass(vessel.GetPropellantHandleByIndex(settings.tankIndex));

    const char* unit = "kg";
    if (settings.notation == SI) {
        capacity *= 1000;
        contents *= 1000;
        unit = "g";
    }

    char value[kValueBufferSize];
    PrintAt(hDC, 0, 5, "Tank %d", static_cast<int>(settings.tankIndex + 1));
    FormatValue(value, capacity, settings.notation);
    PrintAt(hDC, 0, 6, "Full Mass: %s%s", value, unit);
    if (settings.massDisplay == PERCENTAGE) {
        if (capacity == 0)
            PrintAt(hDC, 0, 7, "Divide by zero error.");
        else
            PrintAt(hDC, 0, 7, "Current Mass: %8.3lf %%", contents / capacity * 100);
    } else {
        FormatValue(value, contents, settings.notation);
        PrintAt(hDC, 0, 7, "Current Mass: %s%s", value, unit);
    }

    DrawThrustersServiced(hDC, vessel, settings);
}
