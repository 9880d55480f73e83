#include "settings/mfd_registry.h"

#include "settings/state_block.h"

MfdRegistry::~MfdRegistry() = default;

size_t MfdRegistry::FirstHolding(const MfdSettings* record) const {
    return holdings.IndexWhere([record](const Holding& h) { return h.record == record; });
}

size_t MfdRegistry::OwnerRow(const MfdSettings* record) const {
    return holdings.IndexWhere(
        [record](const Holding& h) { return h.record == record && h.owner; });
}

size_t MfdRegistry::RowOf(Holder display) const {
    return holdings.IndexWhere([display](const Holding& h) { return h.display == display; });
}

MfdRegistry::Holder MfdRegistry::OwnerOf(const MfdSettings* record) const {
    const size_t at = OwnerRow(record);
    return at < holdings.Size() ? holdings.At(at).display : nullptr;
}

MfdSettings* MfdRegistry::RecordOf(VESSEL* vessel, int id) const {
    const size_t at = records.IndexWhere(
        [vessel, id](const MfdSettings* r) { return r->vessel == vessel && r->mfdId == id; });
    return at < records.Size() ? records.At(at) : nullptr;
}

MfdSettings* MfdRegistry::AddRecord(VESSEL* vessel, int id) {
    // Room is made before the record exists, so the record can always be appended.
    records.Reserve(records.Size() + 1);
    MfdSettings* record = new MfdSettings(vessel, id);
    records.Append(record);
    return record;
}

void MfdRegistry::MakeOwner(size_t holding) {
    MfdSettings* record = holdings.At(holding).record;
    for (size_t i = 0; i < holdings.Size(); ++i)
        if (holdings.At(i).record == record)
            holdings.At(i).owner = i == holding;
}

// A display that took over another one's record (the host opens a new display before it closes
// the old one) keeps it when the old one closes: a record in use is never free for a third.
void MfdRegistry::LetGo(MfdSettings* record, bool wasOwner) {
    const size_t next = FirstHolding(record);
    if (next < holdings.Size()) {
        if (wasOwner)
            holdings.At(next).owner = true;
    } else if (records.IndexOf(record) == records.Size()) {
        delete record;
    }
}

// Every allocation happens before the tables change, so running out of memory leaves the
// registry as it was and the failure passes to the host.
MfdSettings* MfdRegistry::TakeRecord(Holder display, VESSEL* vessel, int displayId) {
    holdings.Reserve(holdings.Size() + 1);

    // The vessel's record of this id is taken over even from another open display.
    MfdSettings* taken = RecordOf(vessel, displayId);
    for (size_t i = 0; i < records.Size() && !taken; ++i)
        if (records.At(i)->vessel == vessel && !IsHeld(records.At(i)))
            taken = records.At(i);
    if (!taken)
        taken = AddRecord(vessel, displayId);
    holdings.Append({display, taken, displayId, true});
    MakeOwner(holdings.Size() - 1);
    ++displaysGiven;
    return taken;
}

MfdSettings* MfdRegistry::TakeRecordOfId(Holder display, int id) {
    const size_t at = RowOf(display);
    if (at == holdings.Size())
        return nullptr;
    MfdSettings* current = holdings.At(at).record;
    MfdSettings* target = RecordOf(current->vessel, id);
    if (!target)
        target = AddRecord(current->vessel, id);
    const bool ownedCurrent = holdings.At(at).owner;
    holdings.At(at).record = target;
    MakeOwner(at);
    if (current != target)
        LetGo(current, ownedCurrent);
    return target;
}

void MfdRegistry::ReturnRecord(Holder display) {
    const size_t at = RowOf(display);
    if (at < holdings.Size()) {
        const Holding leaving = holdings.At(at);
        holdings.RemoveAt(at);
        LetGo(leaving.record, leaving.owner);
    }
    if (displaysGiven > 0)
        --displaysGiven;
    if (released && displaysGiven == 0)
        delete this;
}

void MfdRegistry::DeleteVessel(VESSEL* vessel) {
    records.RemoveWhere([this, vessel](MfdSettings* record) {
        if (record->vessel != vessel)
            return false;
        // Held records stay in the holdings, and go when their last display closes.
        if (!IsHeld(record))
            delete record;
        return true;
    });
}

// The host saves the status of its cockpit's displays (ids 0 to 11) and of no other: the records
// of displays in external windows would be lost with it, so they are written with the free ones.
void MfdRegistry::SaveState(ScenarioHandle scn) const {
    for (size_t i = 0; i < records.Size(); ++i) {
        const MfdSettings& record = *records.At(i);
        const size_t owner = OwnerRow(&record);
        const bool savedByHost = owner < holdings.Size() && holdings.At(owner).displayId >= 0 &&
                                 holdings.At(owner).displayId < MAXMFD;
        if (record.vessel && !savedByHost)
            WriteStateBlock(scn, record);
    }
}

void MfdRegistry::LoadState(ScenarioHandle scn) {
    for (;;) {
        // The block is read into a record on the stack: the host's reader and its vessel look-up
        // may run out of memory, and nothing may be left allocated when they do.
        MfdSettings block(nullptr, 0);
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

void MfdRegistry::EndSession() {
    // Records of deleted vessels that open displays still hold are in the holdings alone.
    for (size_t i = 0; i < holdings.Size(); ++i) {
        MfdSettings* record = holdings.At(i).record;
        if (records.IndexOf(record) == records.Size() && FirstHolding(record) == i)
            delete record;
    }
    for (size_t i = 0; i < records.Size(); ++i)
        delete records.At(i);
    records.Clear();
    holdings.Clear();
}

void MfdRegistry::ReleaseRegistry() {
    EndSession();
    released = true;
    if (displaysGiven == 0)
        delete this;
}
