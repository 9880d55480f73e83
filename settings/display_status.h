// A display's own status lines, inside the host's block for that display.
#pragma once

#include "settings/mfd_settings.h"

void WriteDisplayStatus(ScenarioHandle scn, const MfdSettings& settings);

// How the search for a display's id line in its block ended.
enum class StatusIdLine {
    Own,       // the display's own id, or no line left: the settings lines follow
    OtherId,   // an id line of another id (in blockId): the settings lines follow
    BlockEnded // the block ended first: nothing of it is the display's
};

struct StatusIdSearch {
    StatusIdLine line;
    int32_t blockId; // the id read, for OtherId
};

// Skips to the display's id line: settings before it belong to no one. The id comes back by
// value: no caller's local is ever reachable from the search.
StatusIdSearch FindStatusIdLine(ScenarioHandle scn, int32_t mfdId);

// Reads the settings lines that follow the id line into the record, to the block's end.
void ReadDisplayStatus(ScenarioHandle scn, MfdSettings& settings);
