#include "dll_search.h"

#include <windows.h>

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

}  // namespace

void RestrictDllSearch()
{
    // Looked up at run time, so that the program still starts where the
    // function is missing. kernel32 is always loaded: no search happens here.
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto setDefault =
        FindFunction<SetDefaultDllDirectoriesFunction>(kernel, "SetDefaultDllDirectories");
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    SetDllDirectoryA("");
}
