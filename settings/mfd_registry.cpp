#include "settings/mfd_registry.h"

#include "display/kelvane_mfd.h"
#include "settings/state_block.h"

MfdRegistry* gRegistry = nullptr;

MfdRegistry::MfdRegistry(MFDMODESPEC& mode) : modeId(oapiRegisterMFDMode(mode)) {}

KelvaneMfd* MfdRegistry::OpenDisplayUsing(const MfdSettings* record,
                                          const KelvaneMfd* except) const {
    for (size_t i = 0; i < openDisplays.Size(); ++i) {
        KelvaneMfd* display = openDisplays.At(i);
        if (display != except && display->Settings() == record)
            return display;
    }
    return nullptr;
}

// A display that took over another one's record (the host opens a new display before it closes
// the old one) keeps it when the old one closes: a record in use is never free for a third.
void MfdRegistry::LetGo(MfdSettings* record, const KelvaneMfd* display) {
    KelvaneMfd* other = OpenDisplayUsing(record, display);
    if (record->owner == display)
        record->owner = other;
    if (!other && records.IndexOf(record) == records.Size())
        delete record;
}

// Every allocation happens before the lists change, so running out of memory leaves the registry
// as it was and the failure passes to the host.
MfdSettings* MfdRegistry::AttachDisplay(KelvaneMfd* display, VESSEL* vessel, int id) {
    openDisplays.Reserve(openDisplays.Size() + 1);

    MfdSettings* firstFree = nullptr;
    for (size_t i = 0; i < records.Size(); ++i) {
        MfdSettings* record = records.At(i);
        if (record->vessel != vessel)
            continue;
        if (record->mfdId == id) {
            openDisplays.Append(display);
            record->owner = display; // taken over even from another open display
            return record;
        }
        if (!firstFree && !record->owner)
            firstFree = record;
    }
    if (firstFree) {
        openDisplays.Append(display);
        firstFree->owner = display;
        return firstFree;
    }

    records.Reserve(records.Size() + 1);
    MfdSettings* record = new MfdSettings(vessel, display, id);
    records.Append(record);
    openDisplays.Append(display);
    return record;
}

void MfdRegistry::DetachDisplay(KelvaneMfd* display) {
    const size_t at = openDisplays.IndexOf(display);
    if (at == openDisplays.Size())
        return;
    openDisplays.RemoveAt(at);
    if (MfdSettings* record = display->Settings())
        LetGo(record, display);
}

MfdSettings* MfdRegistry::RebindDisplay(KelvaneMfd* display, int id) {
    MfdSettings* current = display->Settings();
    VESSEL* vessel = display->Vessel();
    MfdSettings* target = nullptr;
    for (size_t i = 0; i < records.Size() && !target; ++i) {
        MfdSettings* record = records.At(i);
        if (record->vessel == vessel && record->mfdId == id)
            target = record;
    }
    if (!target) {
        records.Reserve(records.Size() + 1);
        target = new MfdSettings(vessel, display, id);
        records.Append(target);
    }
    target->owner = display;
    if (current && current != target)
        LetGo(current, display);
    return target;
}

void MfdRegistry::DeleteVessel(VESSEL* vessel) {
    records.RemoveWhere([this, vessel](MfdSettings* record) {
        if (record->vessel != vessel)
            return false;
        // Held records stay with their displays, which free them when the last one closes.
        if (!OpenDisplayUsing(record, nullptr))
            delete record;
        return true;
    });
}

// The host saves the status of its cockpit's displays (ids 0 to 11) and of no other: the records
// of displays in external windows would be lost with it, so they are written with the free ones.
void MfdRegistry::SaveState(ScenarioHandle scn) const {
    for (size_t i = 0; i < records.Size(); ++i) {
        const MfdSettings& record = *records.At(i);
        const bool savedByHost =
            record.owner && record.owner->DisplayId() >= 0 && record.owner->DisplayId() < MAXMFD;
        if (record.vessel && !savedByHost)
            WriteStateBlock(scn, record);
    }
}

void MfdRegistry::LoadState(ScenarioHandle scn) {
    for (;;) {
        // The block is read into a record on the stack: the host's reader and its vessel look-up
        // may run out of memory, and nothing may be left allocated when they do.
        MfdSettings block(nullptr, nullptr, 0);
        const StateBlockRead read = ReadStateBlock(scn, block);
        if (read == StateBlockRead::NoBlock)
            return;
        if (block.vessel) {
            // Room is made before the record exists, so the record can always be appended.
            records.Reserve(records.Size() + 1);
            records.Append(new MfdSettings(block));
        }
        if (read == StateBlockRead::LastRead)
            return;
    }
}

void MfdRegistry::ReleaseRegistry() {
    EndSession();
    oapiUnregisterMFDMode(modeId);
}

void MfdRegistry::EndSession() {
    // Records of deleted vessels that open displays still hold belong to nobody else.
    for (size_t i = 0; i < openDisplays.Size(); ++i) {
        MfdSettings* record = openDisplays.At(i)->Settings();
        if (!record || records.IndexOf(record) != records.Size())
            continue;
        bool seenEarlier = false;
        for (size_t j = 0; j < i && !seenEarlier; ++j)
            seenEarlier = openDisplays.At(j)->Settings() == record;
        if (!seenEarlier)
            delete record;
    }
    for (size_t i = 0; i < records.Size(); ++i)
        delete records.At(i);
    records.Clear();
    openDisplays.Clear();
}
