// What the Win32 tests share: the popup InitInstance makes, a scratch
// directory made current, and a wait that pumps the queue until a condition
// holds or a deadline passes.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "commands/current_command.h"
#include "popup_state.h"
#include "table/link_watch.h"
#include "table/shortcut_table.h"
#include "ui/popup.h"

constexpr DWORD kDeadlineMs = 20000;

inline void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Pumps until done() holds; false when the deadline passes first. Between
// checks it waits for input or a short interval, whichever comes first.
inline bool WaitUntil(const std::function<bool()>& done, void (*pump)() = PumpMessages)
{
    const ULONGLONG deadline = GetTickCount64() + kDeadlineMs;
    for (;;) {
        pump();
        if (done())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline std::string ReadFileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A fresh directory under the temporary folder, current while the object
// lives (link.dat is read from there). Files are written with one WriteFile
// over what was there (no truncation), so that a change watch sees a single
// write.
class ScratchDirectory {
public:
    ScratchDirectory()
    {
        GetCurrentDirectoryA(sizeof previous_, previous_);
        char temp[MAX_PATH];
        char name[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        GetTempFileNameA(temp, "krw", 0, name);  // a unique name, made as a file
        DeleteFileA(name);
        path_ = name;
        CreateDirectoryA(name, nullptr);
        SetCurrentDirectoryA(name);
    }
    ~ScratchDirectory()
    {
        SetCurrentDirectoryA(previous_);
        for (const char* name : {"link.dat", "recorder.log"})
            DeleteFileA(File(name).c_str());
        RemoveDirectoryA(path_.c_str());
    }

    const std::string& Path() const { return path_; }
    std::string File(const char* name) const { return path_ + "\\" + name; }
    bool Write(const char* name, const std::string& text) const
    {
        const HANDLE file = CreateFileA(File(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
        return written == text.size();
    }

private:
    char previous_[MAX_PATH] = "";
    std::string path_;
};

// The popup and its box as InitInstance makes them: hidden, as no test
// directory holds a Kerrow.ini, with the hot key registered and the change
// watch started. The table and the current command start and end empty.
// Alt+Space can be registered only once on a desktop: the Win32 and the
// end-to-end tests run one at a time.
class TestPopup {
public:
    TestPopup()
    {
        gShortcutTable.clear();
        ClearCurrentCommand();
        EXPECT_TRUE(InitInstance(GetModuleHandleA(nullptr))) << "error " << GetLastError();
    }
    ~TestPopup()
    {
        CloseLinkChangeWatch();
        DestroyWindow(gPopupState.popup);  // the hot key goes with it
        PumpMessages();                    // takes the WM_QUIT that WM_DESTROY posts
        gPopupState.popup = gPopupState.edit = nullptr;
        ClearCurrentCommand();
        gShortcutTable.clear();
    }

    // Without activating it; a hidden window keeps no update region.
    void Show() const { ShowWindow(gPopupState.popup, SW_SHOWNOACTIVATE); }
    HWND Window() const { return gPopupState.popup; }
    HWND Box() const { return gPopupState.edit; }

    // The box reports EN_CHANGE, which resolves the text.
    void SetText(const std::string& text) const
    {
        SendMessageA(gPopupState.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    std::string Text() const
    {
        char text[16] = "";
        GetWindowTextA(gPopupState.edit, text, sizeof text);
        return text;
    }
};

// A program that every Windows and every Wine prefix has.
inline std::string SystemNotepad()
{
    for (const char* path : {"C:\\windows\\notepad.exe", "C:\\windows\\system32\\notepad.exe"}) {
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
            return path;
    }
    return "";
}
