// What keeps the programs safe and at home on Windows: DLL loads by name
// restricted to the system folder; the version, manifest and icon the built
// programs carry (Wine shows the Linux root as drive Z:).
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "dll_search.h"
#include "kerrow_version.h"

namespace {

// Loads a DLL by name and unloads it again, so that the next load searches.
bool LoadsByName(const char* name)
{
    const HMODULE module = LoadLibraryA(name);
    FreeLibrary(module);
    return module != nullptr;
}

// kerrow_planted.dll is built beside this test, and copied into a scratch
// current folder; msimg32.dll stands for the system DLLs, which still load.
TEST(DllSearch, PlantedDllsLoadBeforeTheRestrictionAndNotAfter)
{
    const ScratchDirectory current;
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    const std::string beside = std::string(exe, std::strrchr(exe, '\\') + 1) + "kerrow_planted.dll";
    ASSERT_TRUE(CopyFileA(beside.c_str(), current.File("kerrow_here.dll").c_str(), FALSE));
    ASSERT_EQ(GetModuleHandleA("msimg32.dll"), nullptr);
    const std::pair<const char*, bool> cases[] = {
        {"kerrow_planted.dll", false}, {"kerrow_here.dll", false}, {"msimg32.dll", true}};
    for (const auto& [name, loadsAfter] : cases)
        EXPECT_TRUE(LoadsByName(name)) << name << " before the restriction";
    RestrictDllSearch();
    for (const auto& [name, loadsAfter] : cases)
        EXPECT_EQ(LoadsByName(name), loadsAfter) << name << " after the restriction";
    DeleteFileA(current.File("kerrow_here.dll").c_str());
}

std::string ResourceBytes(HMODULE module, LPCSTR type, int id)
{
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return found && data ? std::string(data, SizeofResource(module, found)) : "";
}

TEST(Resources, VersionAndManifest)
{
    for (const auto& [path, fileName] :
         {std::pair<std::string, const char*>{"Z:" KERROW_EXE, "kerrow.exe"},
          {"Z:" KERROW_CHECK_EXE, "kerrow-check.exe"}}) {
        std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), nullptr));
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, info.size(), info.data())) << path;
        for (const auto& [name, expected] :
             {std::pair{"ProductName", "Kerrow"}, {"OriginalFilename", fileName}}) {
            char* text = nullptr;
            UINT length = 0;
            VerQueryValueA(info.data(),
                           (std::string("\\StringFileInfo\\040904B0\\") + name).c_str(),
                           reinterpret_cast<void**>(&text), &length);
            EXPECT_STREQ(text, expected) << fileName << ": " << name;
        }
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(KERROW_VERSION_MINOR, KERROW_VERSION_MAJOR));
        EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, KERROW_VERSION_PATCH));

        // The manifest as Windows reads it when the program starts.
        ACTCTXA request = {};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path.c_str();
        request.lpResourceName = MAKEINTRESOURCEA(1);
        const HANDLE context = CreateActCtxA(&request);
        EXPECT_NE(context, INVALID_HANDLE_VALUE) << fileName << ": error " << GetLastError();
        ReleaseActCtx(context);
        const HMODULE module =
            LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        const std::string manifest = ResourceBytes(module, RT_MANIFEST, 1);
        FreeLibrary(module);
        // asInvoker; Windows 7, 8, 8.1, and 10 and 11; no DPI awareness, no UTF-8 code page.
        for (const char* text :
             {"\"asInvoker\"", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
              "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
              "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
            EXPECT_NE(manifest.find(text), std::string::npos) << fileName << " lacks " << text;
        for (const char* text : {"dpiAware", "activeCodePage"})
            EXPECT_EQ(manifest.find(text), std::string::npos) << fileName << " has " << text;
    }
}

// Each size is drawn, not scaled from another, and loads as an icon.
TEST(Resources, IconAtEachSize)
{
    const HMODULE kerrow = LoadLibraryExA("Z:" KERROW_EXE, nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    std::string group = ResourceBytes(kerrow, RT_GROUP_ICON, 1);
    ASSERT_NE(group, "");
    for (const int size : {16, 32, 48}) {
        const int id = LookupIconIdFromDirectoryEx(reinterpret_cast<BYTE*>(group.data()), TRUE,
                                                   size, size, LR_DEFAULTCOLOR);
        std::string image = ResourceBytes(kerrow, RT_ICON, id);
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER)) << size;
        EXPECT_EQ(reinterpret_cast<const BITMAPINFOHEADER*>(image.data())->biWidth, size);
        const HICON icon = CreateIconFromResourceEx(reinterpret_cast<BYTE*>(image.data()),
                                                    image.size(), TRUE, 0x00030000, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        DestroyIcon(icon);
    }
    FreeLibrary(kerrow);
}

}  // namespace
