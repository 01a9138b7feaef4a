// What keeps the programs safe and at home on Windows: DLL loads by name
// restricted to the system folder.
#include "test_support.h"

#include <gtest/gtest.h>

#include "dll_search.h"

namespace {

// Built by the test's CMake beside this executable; copied under a second
// name into a scratch current folder.
constexpr const char* kPlantedBesideExe = "kerrow_planted.dll";
constexpr const char* kPlantedInCurrent = "kerrow_planted_here.dll";
// A system DLL that nothing here has loaded yet.
constexpr const char* kSystemDll = "msimg32.dll";

std::string BesideExe(const char* name)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1) + name;
}

// Loads the DLL by name and unloads it again, so that the next load searches.
bool LoadsByName(const char* name)
{
    const HMODULE module = LoadLibraryA(name);
    if (module)
        FreeLibrary(module);
    return module != nullptr;
}

TEST(DllSearch, PlantedDllsLoadBeforeTheRestrictionAndNotAfter)
{
    const ScratchDirectory current;
    const std::string copied = current.File(kPlantedInCurrent);
    ASSERT_TRUE(CopyFileA(BesideExe(kPlantedBesideExe).c_str(), copied.c_str(), FALSE));
    ASSERT_EQ(GetModuleHandleA(kSystemDll), nullptr) << kSystemDll << " is loaded already";
    const struct {
        const char* name;
        bool loadsAfter;
    } cases[] = {{kPlantedBesideExe, false}, {kPlantedInCurrent, false}, {kSystemDll, true}};

    for (const auto& c : cases)
        EXPECT_TRUE(LoadsByName(c.name)) << c.name << " did not load before the restriction";
    RestrictDllSearch();
    for (const auto& c : cases)
        EXPECT_EQ(LoadsByName(c.name), c.loadsAfter) << c.name << " after the restriction";
    DeleteFileA(copied.c_str());
}

}  // namespace
