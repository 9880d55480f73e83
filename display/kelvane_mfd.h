// The display: one object per cockpit display showing the mode, drawing the page its settings
// record selects.
#pragma once

#include "host/orbiter_api.h"
#include "settings/mfd_registry.h"
#include "settings/mfd_settings.h"

class KelvaneMfd : public MFD {
public:
    // The display holds a record of `registry` from here until it closes.
    KelvaneMfd(MfdRegistry& registry, int mfdId, DWORD width, DWORD height, VESSEL* vessel);
    ~KelvaneMfd() override;

    void Update(HDC hDC) override;
    bool ConsumeButton(int bt, int event) override;
    char* ButtonLabel(int bt) override;
    int ButtonMenu(const MFDBUTTONMENU** menu) const override;
    void WriteStatus(FILEHANDLE scn) const override;
    void ReadStatus(FILEHANDLE scn) override;

    MfdSettings* Settings() const { return settings; }
    VESSEL* Vessel() const { return pV; }
    // The id the host opened the display with: 0 … 11 for the cockpit's displays, whose status
    // the host saves; any other value for a display that only the module's block can keep.
    int DisplayId() const { return displayId; }
    DWORD Width() const { return W; }
    DWORD Height() const { return H; }

private:
    MfdRegistry& registry;
    MfdSettings* settings = nullptr; // owned by the registry; outlives the display
    int displayId;
};
