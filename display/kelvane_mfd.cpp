#include "display/kelvane_mfd.h"

#include "display/pages.h"
#include "display/text_format.h"
#include "display/text_layout.h"
#include "settings/display_status.h"

KelvaneMfd::KelvaneMfd(MfdRegistry& registry, int mfdId, DWORD width, DWORD height, VESSEL* vessel)
    : MFD(width, height, vessel), registry(registry), displayId(mfdId) {
    settings = registry.TakeRecord(this, vessel, mfdId);
}

// A registry the module has released lives on until its last display closes here.
KelvaneMfd::~KelvaneMfd() {
    registry.ReturnRecord(this);
}

void KelvaneMfd::Update(HDC hDC) {
    InvalidateButtons(); // the label of button 3 follows the page
    SetCharSize(hDC, static_cast<int>(cw), static_cast<int>(ch));

    const char* pageWord = "Mass";
    switch (settings->parametersMode) {
    case TANKS:
        pageWord = "Tanks";
        break;
    case ENGINES:
        pageWord = "Engines";
        break;
    case MASS:
        break;
    default:
        settings->parametersMode = MASS;
        break;
    }
    char title[64];
    FormatText(title, sizeof title, "KelvaneMFD: %s", pageWord);
    Title(hDC, title);

    SetTextColour(hDC, kTextColour);
    char name[64];
    char className[64];
    FormatText(name, sizeof name, "%s", pV->GetName());
    FormatText(className, sizeof className, "%s", pV->GetClassNameA());
    PrintAt(hDC, 0, 2, "Name: %s", name);
    PrintAt(hDC, 0, 3, "Class: %s", className);

    switch (settings->parametersMode) {
    case TANKS:
        DrawTankPage(hDC, *pV, *settings);
        break;
    case ENGINES:
        DrawEnginePage(hDC, *pV, *settings);
        break;
    default:
        DrawMassPage(hDC, *pV, *settings);
        break;
    }
}

void KelvaneMfd::WriteStatus(FILEHANDLE scn) const {
    WriteDisplayStatus(scn, *settings);
}

void KelvaneMfd::ReadStatus(FILEHANDLE scn) {
    const StatusIdSearch search = FindStatusIdLine(scn, settings->mfdId);
    if (search.line == StatusIdLine::BlockEnded)
        return;
    // An id line of another id: the block is this display's own, but it was saved from the
    // record of another id. On opening, the display took a free record that belongs to another
    // display (the module's block is read before the displays open). Move to the record of the
    // block's id, so neither display loses its settings to the other.
    if (search.line == StatusIdLine::OtherId)
        if (MfdSettings* moved = registry.TakeRecordOfId(this, search.blockId))
            settings = moved;
    ReadDisplayStatus(scn, *settings);
}
