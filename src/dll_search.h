// Both programs start by taking every later DLL load by name out of the
// folders a user controls. Kerrow often lives in Downloads or on a USB stick,
// and the shell calls it makes (icons, launches) load further DLLs by name: a
// DLL dropped beside kerrow.exe or in its current folder would otherwise run
// inside it.
#pragma once

// Restricts the DLL search to the system folder. Windows 7 without its
// update lacks SetDefaultDllDirectories: there, only the current folder is
// taken out of the search.
void RestrictDllSearch();
