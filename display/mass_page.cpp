#include "display/pages.h"

#include "display/number_format.h"
#include "display/text_layout.h"

double WetMass(VESSEL& vessel, double emptyMass) {
    const DWORD tanks = vessel.GetPropellantCount();
    double wet = emptyMass;
    for (DWORD i = 0; i < tanks; ++i)
        wet += vessel.GetPropellantMaxMass(vessel.GetPropellantHandleByIndex(i));
    return wet;
}

void DrawMassPage(HDC hDC, VESSEL& vessel, const MfdSettings& settings) {
    double dry = vessel.GetEmptyMass();
    double wet = WetMass(vessel, dry);
    double current = vessel.GetMass();

    const char* unit = "kg";
    if (settings.massDisplay == METRIC_TONS) {
        dry /= 1000;
        wet /= 1000;
        current /= 1000;
        unit = "t";
    } else if (settings.notation == SI) {
        // Grams, so that the SI prefix reads naturally: 1,234 kg shows as 1.234 Mg.
        dry *= 1000;
        wet *= 1000;
        current *= 1000;
        unit = "g";
    }

    char value[kValueBufferSize];
    FormatValue(value, dry, settings.notation);
    PrintAt(hDC, 0, 5, "Dry Mass:     %s%s", value, unit);
    FormatValue(value, wet, settings.notation);
    PrintAt(hDC, 0, 6, "Wet Mass:     %s%s", value, unit);
    FormatValue(value, current, settings.notation);
    PrintAt(hDC, 0, 7, "Current Mass: %s%s", value, unit);
}
