#include "display/kelvane_mfd.h"

#include "display/number_format.h"
#include "display/text_layout.h"

double KelvaneMfd::WetMass(double emptyMass) const {
    const DWORD tanks = pV->GetPropellantCount();
    double wet = emptyMass;
    for (DWORD i = 0; i < tanks; ++i)
        wet += pV->GetPropellantMaxMass(pV->GetPropellantHandleByIndex(i));
    return wet;
}

void KelvaneMfd::DrawMassPage(HDC hDC) {
    double dry = pV->GetEmptyMass();
    double wet = WetMass(dry);
    double current = pV->GetMass();

    const char* unit = "kg";
    if (settings->massDisplay == METRIC_TONS) {
        dry /= 1000;
        wet /= 1000;
        current /= 1000;
        unit = "t";
    } else if (settings->notation == SI) {
        // Grams, so that the SI prefix reads naturally: 1,234 kg shows as 1.234 Mg.
        dry *= 1000;
        wet *= 1000;
        current *= 1000;
        unit = "g";
    }

    char value[kValueBufferSize];
    FormatValue(value, dry);
    PrintAt(hDC, 0, 5, "Dry Mass:     %s%s", value, unit);
    FormatValue(value, wet);
    PrintAt(hDC, 0, 6, "Wet Mass:     %s%s", value, unit);
    FormatValue(value, current);
    PrintAt(hDC, 0, 7, "Current Mass: %s%s", value, unit);
}
