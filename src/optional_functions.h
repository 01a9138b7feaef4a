// Both programs start by taking every later DLL load by name out of the
// folders a user controls. Kerrow often lives in Downloads or on a USB stick,
// and the shell calls it makes (icons, launches) load further DLLs by name: a
// DLL dropped beside kerrow.exe or in its current folder would otherwise run
// inside it.
#pragma once

#include <windows.h>

// Restricts the DLL search to the system folder. Windows 7 without its
// update lacks SetDefaultDllDirectories: there, only the current folder is
// taken out of the search.
void RestrictDllSearch();

// A function that older Windows may lack, found in a DLL already loaded (or
// loaded from the system folder) at run time, so that the program still
// starts where it is missing; null there.
template <typename Function> Function FindFunction(HMODULE module, const char* name)
{
    return module
        ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
        : nullptr;
}
