// DLL loads by name restricted to the system folder, so that a DLL dropped
// beside the program or in its current folder never runs inside it.
#include "support.h"

#include "optional_functions.h"

namespace {

// kerrow_planted.dll is built beside this test and copied into the current
// folder; msimg32.dll stands for the system DLLs, which still load.
TEST(DllSearch, PlantedDllsLoadBeforeTheRestrictionAndNotAfter)
{
    const std::string folder = EnterScratchFolder(), here = folder + "kerrow_here.dll";
    ASSERT_TRUE(CopyFileA((ExeFolder() + "kerrow_planted.dll").c_str(), here.c_str(), FALSE));
    // Loaded, and freed again so that the next load searches anew.
    const auto loadsByName = [](const char* name) { return FreeLibrary(LoadLibraryA(name)) != 0; };
    const std::pair<const char*, bool> rows[] = {
        {"kerrow_planted.dll", false}, {"kerrow_here.dll", false}, {"msimg32.dll", true}};
    for (const auto& [name, loadsAfter] : rows)
        EXPECT_TRUE(loadsByName(name)) << name << " before the restriction";
    FindOptionalFunctions();
    RestrictDllSearch();
    for (const auto& [name, loadsAfter] : rows)
        EXPECT_EQ(loadsByName(name), loadsAfter) << name << " after the restriction";
    RemoveScratchFolder(folder);
}

}  // namespace
