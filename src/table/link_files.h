// Where Kerrow finds link.dat and Kerrow.ini, chosen once at start-up: the
// current directory when it holds a link.dat, as it always did; otherwise the
// program's own folder, the one the change watch watches. Started from the
// Run key, Task Scheduler or a shortcut without "Start in", the current
// directory is some other folder (often System32), where the table would be
// empty and the placement written to a file nobody reads.
#pragma once

#include <windows.h>

#include <string>

#include "table/hot_key.h"

struct LinkFiles {
    // Relative until ChooseLinkFiles finds none in the current directory.
    wchar_t link[MAX_PATH] = L".\\link.dat";
    wchar_t settings[MAX_PATH] = L".\\Kerrow.ini";
};

extern LinkFiles gLinkFiles;

// Chooses the folder as above. The program's folder is taken with the wide
// functions (a folder name outside the ANSI code page); when its path is too
// long, the current directory stays.
void ChooseLinkFiles();

// Merges the chosen link.dat into the process's table.
void LoadLinkFile();

// The popup's place between runs: one WINDOWPLACEMENT record in the chosen
// Kerrow.ini. Read is false when there is none or it cannot be read; Write
// flushes the file at once.
bool ReadPlacement(WINDOWPLACEMENT& placement);
void WritePlacement(const WINDOWPLACEMENT& placement);

enum class HotKeySetting { Absent, Read, Unreadable };

// The [Settings] HotKey= value of the chosen Kerrow.ini: hotKey is what it
// names, or Alt+Space when it is absent or cannot be read; text is the value
// as written (empty when absent).
HotKeySetting ReadHotKeySetting(HotKey& hotKey, std::string& text);
