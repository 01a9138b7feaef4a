// The popup's place between runs: one WINDOWPLACEMENT record in Kerrow.ini,
// read at start-up and written whenever Kerrow ends: at a close, at the end
// of the session, and before #shutdown and #reboot end it.
#pragma once

#include <windows.h>

// The saved record; false when there is none or it cannot be read.
bool ReadSavedPlacement(WINDOWPLACEMENT& placement);

// Saves where the popup is, and whether it is shown: as hidden when it is
// hidden or when asHidden asks it (the session that follows must not start
// with the popup taking the keys).
void SavePlacement(bool asHidden);
