#include "host_rules/display_rules.h"

void CellSizeFor(DWORD height, DWORD& cw, DWORD& ch) {
    ch = height * 9 / 200;
    if (ch < 1)
        ch = 1;
    cw = (ch * 2 + 1) / 3;
    if (cw < 1)
        cw = 1;
}

OpenedDisplay OpenModeDisplay(const MFDMODESPEC& mode, int id, DWORD width, DWORD height,
                              VESSEL* vessel) {
    // The message's size word: the width in the low half, the height in the high one.
    const WPARAM size = (width & 0xFFFF) | ((height & 0xFFFF) << 16);
    const LPARAM pv = reinterpret_cast<LPARAM>(vessel);
    OpenedDisplay opened = {0, 0, nullptr};
    opened.extended = mode.msgproc(OAPI_MSG_MFD_OPENEDEX, static_cast<UINT>(id), size, pv);
    if (!opened.extended)
        opened.plain = mode.msgproc(OAPI_MSG_MFD_OPENED, static_cast<UINT>(id), size, pv);
    opened.display = reinterpret_cast<MFD*>(opened.extended ? opened.extended : opened.plain);
    return opened;
}

void MfdHostAccess::AttachToInstrument(MFD& display, void* instrument, DWORD height) {
    display.instrument = instrument;
    CellSizeFor(height, display.cw, display.ch);
}

// --- MFD base class: what a display that does not override an operation gets ---
// (Each host builds the constructor, the destructor, InvalidateDisplay, InvalidateButtons and
// Title on its own records of the instrument.)

bool MFD::ConsumeKeyBuffered(DWORD) {
    return false;
}
bool MFD::ConsumeKeyImmediate(char*) {
    return false;
}
bool MFD::ConsumeButton(int, int) {
    return false;
}
char* MFD::ButtonLabel(int) {
    return nullptr;
}
int MFD::ButtonMenu(const MFDBUTTONMENU**) const {
    return 0;
}
void MFD::WriteStatus(FILEHANDLE) const {}
void MFD::ReadStatus(FILEHANDLE) {}
void MFD::StoreStatus() const {}
void MFD::RecallStatus() {}
