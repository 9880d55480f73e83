// The module's own block in a scenario, one for each record that no open display holds.
#pragma once

#include "settings/mfd_settings.h"

void WriteStateBlock(ScenarioHandle scn, const MfdSettings& record);

// How the search for the next block ended.
enum class StateBlockRead {
    Read,     // a block was read, and lines are left after it
    LastRead, // a block was read up to the end of the lines
    NoBlock   // the lines ended before another block began
};

// Reads the next block into the record (which starts with no vessel). The record's vessel stays
// null when the block names no vessel that is here; the rest of such a block is passed over.
StateBlockRead ReadStateBlock(ScenarioHandle scn, MfdSettings& record);
