// What the Win32 tests share: a pump through the program's own loop step, a
// scratch folder made current (link.dat and Kerrow.ini are read from there),
// and the popup InitInstance makes.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "commands/current_command.h"
#include "optional_functions.h"
#include "popup_state.h"
#include "table/link_files.h"
#include "table/link_watch.h"
#include "table/shortcut_table.h"
#include "ui/message_loop.h"
#include "ui/popup.h"

inline void Pump()
{
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
        ProcessMessage(message);
}

// This test program's folder, with its last backslash.
inline std::string ExeFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, strrchr(path, '\\') + 1);
}

// A new folder, made current; RemoveScratchFolder takes it and the files in it
// away again.
inline std::string EnterScratchFolder()
{
    char temp[MAX_PATH], folder[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    GetTempFileNameA(temp, "krw", 0, folder);  // a name no file or folder has yet
    DeleteFileA(folder);
    CreateDirectoryA(folder, nullptr);
    SetCurrentDirectoryA(folder);
    return std::string(folder) + "\\";
}

inline void RemoveScratchFolder(std::string folder)
{
    SetCurrentDirectoryA(ExeFolder().c_str());
    folder.back() = '\0';  // the backslash: the list of names ends with a second string end
    SHFILEOPSTRUCTA remove = {nullptr, FO_DELETE, folder.c_str(), nullptr, FOF_NO_UI, {}, {}, {}};
    SHFileOperationA(&remove);
}

class PopupTest : public testing::Test {
protected:
    void SetUp() override { Open(); }
    void TearDown() override
    {
        Discard();
        RemoveScratchFolder(folder);
    }
    void Open()
    {
        FindOptionalFunctions();
        ASSERT_TRUE(InitInstance(GetModuleHandleA(nullptr))) << GetLastError();
    }
    // Gone without the close handling: nothing is saved.
    static void Discard()
    {
        CloseLinkChangeWatch();
        DestroyWindow(gPopupState.popup);
        Pump();
        ClearCurrentCommand();
        gShortcutTable.clear();
    }

    const std::string folder = EnterScratchFolder();
};
