// The paths are wide and the files opened with the wide functions, so that a
// folder named outside the ANSI code page is found; the files' contents stay
// in the ANSI code page. The settings file is read with the profile functions,
// which take the value as the system's own rules say (blanks trimmed, quotes
// taken off, the first of two equal names winning).
#include "table/link_files.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iterator>

#include "table/shortcut_table.h"

// The text core spells these out without the Win32 headers.
static_assert(kModAlt == MOD_ALT && kModControl == MOD_CONTROL && kModShift == MOD_SHIFT &&
              kModWin == MOD_WIN && kKeySpace == VK_SPACE);

LinkFiles gLinkFiles;

namespace {

constexpr wchar_t kLinkFileName[] = L"link.dat";
constexpr wchar_t kSettingsFileName[] = L"Kerrow.ini";
constexpr const wchar_t* kPlacementSection = L"Window";
constexpr const wchar_t* kPlacementKey = L"Placement";
constexpr const wchar_t* kSettingsSection = L"Settings";
constexpr const wchar_t* kHotKeyKey = L"HotKey";
// Longer than any value ParseHotKey takes ("Control+Shift+Alt+Win+Backspace").
constexpr DWORD kHotKeyTextSize = 64;
constexpr wchar_t kFirstNonAscii = 0x80;

bool ExistsAsFile(const wchar_t* path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void ChooseLinkFiles()
{
    if (ExistsAsFile(kLinkFileName))
        return;
    wchar_t folder[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    const wchar_t* backslash = std::wcsrchr(folder, L'\\');
    if (!backslash)
        return;
    // Room for the longer name, with its string end.
    const std::size_t folderLength = backslash + 1 - folder;
    if (folderLength + std::size(kSettingsFileName) > MAX_PATH)
        return;
    std::memcpy(gLinkFiles.link, folder, folderLength * sizeof(wchar_t));
    std::memcpy(gLinkFiles.link + folderLength, kLinkFileName, sizeof kLinkFileName);
    std::memcpy(gLinkFiles.settings, folder, folderLength * sizeof(wchar_t));
    std::memcpy(gLinkFiles.settings + folderLength, kSettingsFileName, sizeof kSettingsFileName);
}

void LoadLinkFile()
{
    // Binary mode: the CR and Ctrl-Z rules are the reader's own.
    std::FILE* file = _wfopen(gLinkFiles.link, L"rb");
    if (!file)
        return;
    MergeLinkStream(gShortcutTable, file);
    std::fclose(file);
}

bool ReadPlacement(WINDOWPLACEMENT& placement)
{
    return GetPrivateProfileStructW(kPlacementSection, kPlacementKey, &placement, sizeof placement,
                                    gLinkFiles.settings);
}

// The profile functions may keep what they wrote in a cache until the
// process ends; at the end of a session the process is ended, not left to
// end, so the file is flushed at once.
void WritePlacement(const WINDOWPLACEMENT& placement)
{
    WritePrivateProfileStructW(kPlacementSection, kPlacementKey,
                               const_cast<WINDOWPLACEMENT*>(&placement), sizeof placement,
                               gLinkFiles.settings);
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, gLinkFiles.settings);
}

HotKeySetting ReadHotKeySetting(HotKey& hotKey, std::string& text)
{
    hotKey = kDefaultHotKey;
    text.clear();
    wchar_t value[kHotKeyTextSize];
    const DWORD length = GetPrivateProfileStringW(kSettingsSection, kHotKeyKey, L"", value,
                                                  kHotKeyTextSize, gLinkFiles.settings);
    if (length == 0)
        return HotKeySetting::Absent;
    // Every name is ASCII: any other character makes the value unreadable.
    for (DWORD i = 0; i < length; ++i)
        text += value[i] < kFirstNonAscii ? static_cast<char>(value[i]) : '?';
    return ParseHotKey(text, hotKey) ? HotKeySetting::Read : HotKeySetting::Unreadable;
}
