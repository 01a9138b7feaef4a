// What the Win32 tests share: a pump through the program's own loop step, a
// scratch folder made current (the tests run in a throw-away Wine prefix),
// and the popup InitInstance makes there.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "commands/current_command.h"
#include "popup_state.h"
#include "table/link_watch.h"
#include "table/shortcut_table.h"
#include "ui/message_loop.h"
#include "ui/popup.h"

inline void Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        ProcessMessage(message);
}

inline std::string ExeFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, strrchr(path, '\\'));
}

// One WriteFile over what was there, so that the change watch sees one write.
inline void WriteText(const std::string& path, const std::string& text)
{
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(file, text.data(), text.size(), &written, nullptr);
    CloseHandle(file);
}

// A new folder, made current: link.dat and Kerrow.ini are read from there.
inline std::string EnterScratchFolder()
{
    char temp[MAX_PATH];
    char folder[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    GetTempFileNameA(temp, "krw", 0, folder);
    DeleteFileA(folder);
    CreateDirectoryA(folder, nullptr);
    SetCurrentDirectoryA(folder);
    return std::string(folder) + "\\";
}

class PopupTest : public testing::Test {
protected:
    void SetUp() override { Open(); }
    void TearDown() override { Discard(); }
    void Open() { ASSERT_TRUE(InitInstance(GetModuleHandleA(nullptr))) << GetLastError(); }
    // Gone without the close handling: nothing is saved.
    static void Discard()
    {
        CloseLinkChangeWatch();
        DestroyWindow(gPopupState.popup);
        Pump();
        ClearCurrentCommand();
        gShortcutTable.clear();
    }
    static void SetText(const char* text)
    {
        SendMessageA(gPopupState.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }

    const std::string folder = EnterScratchFolder();
};
