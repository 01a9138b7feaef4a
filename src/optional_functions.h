// Functions that older Windows lacks, found at run time so that the program
// still starts where they are missing, once, into one record: every caller
// reads the record and has its fallback beside the call. Nothing here is
// imported, so the program loads on Windows 7.
//
// Those of kernel32 and user32, which every process has loaded, are found
// first thing at start-up. Those of dwmapi and userenv, DLLs that only
// #closeall and a change of the user's environment need, are found when
// first needed: the DLL is then loaded from the system folder and kept, so
// that a launcher waiting for its hot key does not carry them.
#pragma once

#include <windows.h>

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD flags);
using GetDpiForWindowFunction = UINT(WINAPI*)(HWND window);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT* rect, DWORD style, BOOL menu,
                                                       DWORD exStyle, UINT dpi);
using DwmGetWindowAttributeFunction = HRESULT(WINAPI*)(HWND window, DWORD attribute, void* value,
                                                       DWORD size);
using CreateEnvironmentBlockFunction = BOOL(WINAPI*)(void** block, HANDLE token, BOOL inherit);
using DestroyEnvironmentBlockFunction = BOOL(WINAPI*)(void* block);

// A null function is missing; the one record is a global, all zero at
// first.
struct OptionalFunctions {
    // kernel32: Windows 8, or Windows 7 with KB2533623.
    SetDefaultDllDirectoriesFunction setDefaultDllDirectories;
    // user32: Windows 10 1607.
    GetDpiForWindowFunction getDpiForWindow;
    AdjustWindowRectExForDpiFunction adjustWindowRectExForDpi;
    // dwmapi: Vista, and none where the desktop window manager is missing.
    bool dwmSearched;
    DwmGetWindowAttributeFunction dwmGetWindowAttribute;
    // userenv: every Windows, but loaded only for a new environment.
    bool userEnvSearched;
    CreateEnvironmentBlockFunction createEnvironmentBlock;
    DestroyEnvironmentBlockFunction destroyEnvironmentBlock;
};

extern OptionalFunctions gOptionalFunctions;

// Finds the functions of kernel32 and user32.
void FindOptionalFunctions();

// Finds DwmGetWindowAttribute, and the environment block functions, the
// first time they are asked for.
void FindDwmFunctions();
void FindUserEnvFunctions();

// Both programs start by taking every later DLL load by name out of the
// folders a user controls. Kerrow often lives in Downloads or on a USB
// stick, and the shell calls it makes (icons, launches) load further DLLs
// by name: a DLL dropped beside kerrow.exe or in its current folder would
// otherwise run inside it. Where SetDefaultDllDirectories is missing, only
// the current folder is taken out of the search. Needs FindOptionalFunctions
// first.
void RestrictDllSearch();
