// What keeps the programs safe and at home on Windows: DLL loads by name
// restricted to the system folder, and the version, manifest and icon the
// built programs carry (Wine shows the Linux root as drive Z:).
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

// The version resource reads back, Windows accepts the manifest, and
// kerrow.exe carries its icon at each size.
TEST(Resources, VersionManifestAndIcon)
{
    for (const char* path : {"Z:" KERROW_EXE, "Z:" KERROW_CHECK_EXE}) {
        char info[4096];
        void* product = nullptr;
        UINT length = 0;
        EXPECT_TRUE(
            GetFileVersionInfoA(path, 0, sizeof info, info) &&
            VerQueryValueA(info, "\\StringFileInfo\\040904B0\\ProductName", &product, &length) &&
            static_cast<const char*>(product) == std::string("Kerrow"))
            << path;
        ACTCTXA manifest = {};
        manifest.cbSize = sizeof manifest;
        manifest.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        manifest.lpSource = path;
        manifest.lpResourceName = MAKEINTRESOURCEA(1);
        const HANDLE context = CreateActCtxA(&manifest);
        EXPECT_NE(context, INVALID_HANDLE_VALUE) << path << ": manifest error " << GetLastError();
        ReleaseActCtx(context);
    }
    // The directory's closest entry to each size is one of that size.
    const HMODULE kerrow = LoadLibraryExA("Z:" KERROW_EXE, nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const auto resource = [kerrow](int id, LPCSTR type) {
        return static_cast<BYTE*>(
            LockResource(LoadResource(kerrow, FindResourceA(kerrow, MAKEINTRESOURCEA(id), type))));
    };
    ASSERT_TRUE(resource(1, RT_GROUP_ICON)) << "kerrow.exe has no icon";
    for (const int size : {16, 32, 48}) {
        const int id = LookupIconIdFromDirectoryEx(resource(1, RT_GROUP_ICON), TRUE, size, size, 0);
        const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(resource(id, RT_ICON));
        EXPECT_TRUE(header && header->biWidth == size) << "no icon of " << size << " pixels";
    }
    FreeLibrary(kerrow);
}

}  // namespace
