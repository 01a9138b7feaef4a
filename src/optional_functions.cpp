#include "optional_functions.h"

OptionalFunctions gOptionalFunctions;

namespace {

template <typename Function> void Find(HMODULE module, const char* name, Function& function)
{
    function = module
        ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
        : nullptr;
}

// From the system folder only, never by the search that RestrictDllSearch
// narrows; kept loaded for the rest of the process.
HMODULE LoadSystemDll(const char* name)
{
    return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

void FindOptionalFunctions()
{
    // Both are always loaded: no search happens here.
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const HMODULE user = GetModuleHandleA("user32.dll");
    OptionalFunctions& found = gOptionalFunctions;
    Find(kernel, "SetDefaultDllDirectories", found.setDefaultDllDirectories);
    Find(user, "GetDpiForWindow", found.getDpiForWindow);
    Find(user, "AdjustWindowRectExForDpi", found.adjustWindowRectExForDpi);
}

void FindDwmFunctions()
{
    OptionalFunctions& found = gOptionalFunctions;
    if (found.dwmSearched)
        return;
    found.dwmSearched = true;
    Find(LoadSystemDll("dwmapi.dll"), "DwmGetWindowAttribute", found.dwmGetWindowAttribute);
}

void FindUserEnvFunctions()
{
    OptionalFunctions& found = gOptionalFunctions;
    if (found.userEnvSearched)
        return;
    found.userEnvSearched = true;
    const HMODULE userEnv = LoadSystemDll("userenv.dll");
    Find(userEnv, "CreateEnvironmentBlock", found.createEnvironmentBlock);
    Find(userEnv, "DestroyEnvironmentBlock", found.destroyEnvironmentBlock);
}

void RestrictDllSearch()
{
    const auto setDefault = gOptionalFunctions.setDefaultDllDirectories;
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    SetDllDirectoryA("");
}
