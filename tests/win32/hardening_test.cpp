// What keeps the programs safe and at home on Windows: DLL loads by name
// restricted to the system folder, and the version, manifest and icon the
// built programs carry (Wine shows the Linux root as drive Z:).
#include "support.h"

#include <vector>

#include "dll_search.h"
#include "kerrow_version.h"

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
    const std::string current = EnterScratchFolder() + "kerrow_here.dll";
    ASSERT_TRUE(CopyFileA((ExeFolder() + "\\kerrow_planted.dll").c_str(), current.c_str(), FALSE));
    const std::pair<const char*, bool> rows[] = {
        {"kerrow_planted.dll", false}, {"kerrow_here.dll", false}, {"msimg32.dll", true}};
    for (const auto& [name, loadsAfter] : rows)
        EXPECT_TRUE(LoadsByName(name)) << name << " before the restriction";
    RestrictDllSearch();
    for (const auto& [name, loadsAfter] : rows)
        EXPECT_EQ(LoadsByName(name), loadsAfter) << name << " after the restriction";
}

std::string Resource(HMODULE module, LPCSTR type, int id)
{
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return found && data ? std::string(data, SizeofResource(module, found)) : "";
}

std::string VersionText(const std::vector<char>& info, const char* name)
{
    char* text = nullptr;
    UINT length = 0;
    VerQueryValueA(info.data(), (std::string("\\StringFileInfo\\040904B0\\") + name).c_str(),
                   reinterpret_cast<void**>(&text), &length);
    return text ? text : "";
}

TEST(Resources, VersionManifestAndIcon)
{
    for (const auto& [path, name] :
         {std::pair{"Z:" KERROW_EXE, "kerrow.exe"}, {"Z:" KERROW_CHECK_EXE, "kerrow-check.exe"}}) {
        std::vector<char> info(GetFileVersionInfoSizeA(path, nullptr));
        ASSERT_TRUE(GetFileVersionInfoA(path, 0, info.size(), info.data())) << path;
        EXPECT_EQ(VersionText(info, "ProductName"), "Kerrow");
        EXPECT_EQ(VersionText(info, "OriginalFilename"), name);
        EXPECT_EQ(VersionText(info, "FileVersion").rfind(KERROW_VERSION_TEXT, 0), 0u) << name;

        // The manifest as Windows reads it when the program starts: well-formed,
        // asInvoker, Windows 7 to 11, and nothing that changes behaviour.
        ACTCTXA request = {};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path;
        request.lpResourceName = MAKEINTRESOURCEA(1);
        const HANDLE context = CreateActCtxA(&request);
        EXPECT_NE(context, INVALID_HANDLE_VALUE) << name << ": error " << GetLastError();
        ReleaseActCtx(context);
        const HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        const std::string manifest = Resource(module, RT_MANIFEST, 1);
        for (const char* text : {"\"asInvoker\"", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                 "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
            EXPECT_NE(manifest.find(text), std::string::npos) << name << " lacks " << text;
        for (const char* text : {"dpiAware", "activeCodePage"})
            EXPECT_EQ(manifest.find(text), std::string::npos) << name << " has " << text;
        FreeLibrary(module);
    }
    const HMODULE kerrow = LoadLibraryExA("Z:" KERROW_EXE, nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    for (const int size : {16, 32, 48}) {
        const auto icon =
            static_cast<HICON>(LoadImageA(kerrow, MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, 0));
        ICONINFO info = {};
        BITMAP bitmap = {};
        ASSERT_TRUE(icon && GetIconInfo(icon, &info)) << size;
        GetObjectA(info.hbmMask, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size) << "no icon of " << size << " pixels";
        DestroyIcon(icon);
    }
    FreeLibrary(kerrow);
}

}  // namespace
