// The module's one registry: every settings record, and the displays of the mode that are open.
#pragma once

#include "host/orbiter_api.h"
#include "settings/mfd_settings.h"
#include "settings/pointer_list.h"

class MfdRegistry {
public:
    // Registers the given display mode with the host and keeps its identifier.
    explicit MfdRegistry(MFDMODESPEC& mode);
    MfdRegistry(const MfdRegistry&) = delete;
    MfdRegistry& operator=(const MfdRegistry&) = delete;

    MfdSettings* AttachDisplay(KelvaneMfd* display, VESSEL* vessel, int id);
    void DetachDisplay(KelvaneMfd* display);
    // Moves an open display to its vessel's record for `id` (a new one if there is none) and
    // frees the record it held. Used when the display's own scenario block names another id.
    MfdSettings* RebindDisplay(KelvaneMfd* display, int id);
    void DeleteVessel(VESSEL* vessel);
    void SaveState(ScenarioHandle scn) const;
    void LoadState(ScenarioHandle scn);
    // The session's end: every record goes, also those of deleted vessels that open displays
    // still hold, and every display is forgotten. The mode stays.
    void EndSession();
    // The session's end, and the mode unregistered: once, before the registry is freed.
    void ReleaseRegistry();

    size_t RecordCount() const { return records.Size(); }
    MfdSettings* RecordAt(size_t i) const { return records.At(i); }
    size_t OpenDisplayCount() const { return openDisplays.Size(); }
    KelvaneMfd* OpenDisplayAt(size_t i) const { return openDisplays.At(i); }

private:
    // The first open display other than `except` that uses the record; null when none does.
    KelvaneMfd* OpenDisplayUsing(const MfdSettings* record, const KelvaneMfd* except) const;
    // A display lets go of its record: when it holds it, the record passes to another open
    // display that still uses it, or becomes free; a record dropped with its vessel goes once no
    // display uses it.
    void LetGo(MfdSettings* record, const KelvaneMfd* display);

    int modeId;
    PointerList<KelvaneMfd> openDisplays;
    PointerList<MfdSettings> records;
};

// The one registry: created by InitModule, null before it and after ExitModule.
extern MfdRegistry* gRegistry;
