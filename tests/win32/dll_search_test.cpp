// DLL loads by name restricted to the system folder, so that a DLL dropped
// beside the program or in its current folder never runs inside it.
#include "support.h"

#include "dll_search.h"

namespace {

// Loads a DLL by name and frees it again, so that the next load searches.
bool LoadsByName(const char* name)
{
    const HMODULE module = LoadLibraryA(name);
    FreeLibrary(module);
    return module != nullptr;
}

// kerrow_planted.dll is built beside this test and copied into the current
// folder; msimg32.dll stands for the system DLLs, which still load.
TEST(DllSearch, PlantedDllsLoadBeforeTheRestrictionAndNotAfter)
{
    const std::string here = EnterScratchFolder() + "kerrow_here.dll";
    ASSERT_TRUE(CopyFileA((ExeFolder() + "kerrow_planted.dll").c_str(), here.c_str(), FALSE));
    const std::pair<const char*, bool> rows[] = {
        {"kerrow_planted.dll", false}, {"kerrow_here.dll", false}, {"msimg32.dll", true}};
    for (const auto& [name, loadsAfter] : rows)
        EXPECT_TRUE(LoadsByName(name)) << name << " before the restriction";
    RestrictDllSearch();
    for (const auto& [name, loadsAfter] : rows)
        EXPECT_EQ(LoadsByName(name), loadsAfter) << name << " after the restriction";
}

}  // namespace
