#pragma once
// The module's four callbacks and the process-wide references they keep.

#include "playerapi/VisRecords.h"

void VIS_CDECL Config(winampVisModule* module);
int VIS_CDECL Init(winampVisModule* module);
int VIS_CDECL Render(winampVisModule* module);
void VIS_CDECL Quit(winampVisModule* module);

// Reads plugin.ini (beside the host executable) into the settings record.
void LoadSettings();

// Ends whatever still runs when the library is unloaded without a Quit.
void ShutdownOnUnload();
