// The three pages: each is drawn from the vessel and the display's settings record alone, below
// the title and the vessel's name and class. The tank and engine pages bring an index that is
// out of range (another vessel's, or read back from a file) back to the first.
#pragma once

#include "host/orbiter_api.h"
#include "settings/mfd_settings.h"

void DrawMassPage(HDC hDC, VESSEL& vessel, const MfdSettings& settings);
void DrawTankPage(HDC hDC, VESSEL& vessel, MfdSettings& settings);
void DrawEnginePage(HDC hDC, VESSEL& vessel, MfdSettings& settings);

// The empty mass with every tank full.
double WetMass(VESSEL& vessel, double emptyMass);
