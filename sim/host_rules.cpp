#include "sim/host_rules.h"

void CellSizeFor(DWORD height, DWORD& cw, DWORD& ch) {
    ch = height * 9 / 200;
    if (ch < 1)
        ch = 1;
    cw = (ch * 2 + 1) / 3;
    if (cw < 1)
        cw = 1;
}

// --- MFD base class: what a display that does not override an operation gets ---
// (Each host builds the constructor, the destructor, InvalidateButtons and Title on its own
// records of the instrument.)

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
void MFD::InvalidateDisplay() {}
