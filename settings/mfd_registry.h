// The module's one registry: every settings record, and which open display holds which. It is
// the only keeper of that fact; a display knows its record, and hands it back when it closes.
#pragma once

#include "host/orbiter_api.h"
#include "settings/flat_list.h"
#include "settings/mfd_settings.h"

class MfdRegistry {
public:
    // A display as the registry knows it: the host's display object, a key only. The registry
    // never calls into a display.
    typedef const MFD* Holder;

    // `modeId` is the display mode the module registered with the host; the registry keeps it
    // for the module to unregister.
    explicit MfdRegistry(int modeId) : modeId(modeId) {}
    MfdRegistry(const MfdRegistry&) = delete;
    MfdRegistry& operator=(const MfdRegistry&) = delete;

    // A display opens with the host's id `displayId` on `vessel`: it holds the vessel's record of
    // that id (taken over even from another open display), else the vessel's first free one,
    // else a new one.
    MfdSettings* TakeRecord(Holder display, VESSEL* vessel, int displayId);
    // The display's own scenario block names the record of another id: the display moves to its
    // vessel's record of `id` (a new one if there is none) and hands back the one it held. Null
    // for a display the registry does not know (its session has ended).
    MfdSettings* TakeRecordOfId(Holder display, int id);
    // The display closes and hands its record back. Once the module has released the registry,
    // the last display given a record frees it.
    void ReturnRecord(Holder display);

    void DeleteVessel(VESSEL* vessel);
    void SaveState(ScenarioHandle scn) const;
    void LoadState(ScenarioHandle scn);
    // The session's end: every record goes, also those of deleted vessels that open displays
    // still hold, and every display is forgotten.
    void EndSession();
    // The module lets go (ExitModule): the session ends, and the registry is freed now, or when
    // the last display given a record closes (the host may keep displays open to the process's
    // end). The caller uses it no more.
    void ReleaseRegistry();

    int ModeId() const { return modeId; }
    size_t RecordCount() const { return records.Size(); }
    MfdSettings* RecordAt(size_t i) const { return records.At(i); }
    size_t OpenDisplayCount() const { return holdings.Size(); }
    Holder OpenDisplayAt(size_t i) const { return holdings.At(i).display; }
    // The display whose id decides who saves the record: the last to take it, or, once that one
    // has closed, the earliest opened of those still holding it. Null when the record is free.
    Holder OwnerOf(const MfdSettings* record) const;

private:
    // One open display and the record it holds, in the order the displays opened.
    struct Holding {
        Holder display;
        MfdSettings* record;
        int displayId; // the host's id for it: 0 … 11 in the cockpit
        bool owner;    // exactly one holder of a held record is its owner
    };

    ~MfdRegistry();
    // Rows by what they hold or who holds them; holdings.Size() when there is none.
    size_t FirstHolding(const MfdSettings* record) const;
    size_t OwnerRow(const MfdSettings* record) const;
    size_t RowOf(Holder display) const;
    bool IsHeld(const MfdSettings* record) const { return FirstHolding(record) < holdings.Size(); }
    // The vessel's record of `id`, or null.
    MfdSettings* RecordOf(VESSEL* vessel, int id) const;
    // A new record at the end of the list; nothing changes when memory runs out.
    MfdSettings* AddRecord(VESSEL* vessel, int id);
    // Makes the row at `holding` the owner of its record, and no other row.
    void MakeOwner(size_t holding);
    // A display has let go of `record`: when it was the owner, the ownership passes to the
    // earliest holder left; a record dropped with its vessel goes once nobody holds it.
    void LetGo(MfdSettings* record, bool wasOwner);

    int modeId;
    FlatList<Holding> holdings;
    FlatList<MfdSettings*> records; // of the live vessels, in the order made or loaded
    size_t displaysGiven = 0;       // displays given a record and not yet closed, any session
    bool released = false;
};
