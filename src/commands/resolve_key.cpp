// Every change of the input box rebuilds gCurrentCommand from scratch, its
// icon included. The icon comes from one of two owners: the system's warning
// and application icons (LoadIconA) are shared and never destroyed, while the
// icon SHGetFileInfoA hands out is the caller's, so ownsIcon marks it and
// ClearCurrentCommand destroys it before the next resolution. At most one
// shell icon is alive at any time, however much is typed.
//
// SHGetFileInfoA looks at the target itself, so that a path that names
// nothing gets no icon and shows the application icon; but on a network share
// or removable media that look can wait for the network or the device, for
// tens of seconds, and every keystroke resolves on the one thread. Such
// targets are asked for by name only (SHGFI_USEFILEATTRIBUTES): the icon of
// their file type, or of a folder for a path that ends in a backslash.
#include "commands/resolve_key.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>

#include "commands/current_command.h"
#include "commands/environment.h"
#include "table/shortcut_table.h"

namespace {

constexpr UINT kIconFlags = SHGFI_ICON | SHGFI_SMALLICON;

// A UNC path, or a path on a drive the system reports as remote, removable
// or a disc drive. GetDriveTypeA looks only at the drive's kind, never at
// the medium.
bool MayWaitForTarget(const char* command)
{
    switch (TargetKindOf(command)) {
    case TargetKind::UncPath:
        return true;
    case TargetKind::DrivePath: {
        const char root[] = {command[0], ':', '\\', '\0'};
        const UINT type = GetDriveTypeA(root);
        return type == DRIVE_REMOTE || type == DRIVE_REMOVABLE || type == DRIVE_CDROM;
    }
    case TargetKind::Other:
        break;
    }
    return false;
}

void ChooseIcon()
{
    if (IsBuiltinCommand(gCurrentCommand.command)) {
        gCurrentCommand.icon = LoadIconA(nullptr, IDI_EXCLAMATION);
        return;
    }
    const char* command = gCurrentCommand.command;
    const std::size_t length = std::strlen(command);
    const bool folder = length > 0 && command[length - 1] == '\\';
    const DWORD attributes = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    const UINT flags =
        MayWaitForTarget(command) ? kIconFlags | SHGFI_USEFILEATTRIBUTES : kIconFlags;
    SHFILEINFOA info = {};
    if (SHGetFileInfoA(command, attributes, &info, sizeof info, flags) && info.hIcon) {
        gCurrentCommand.icon = info.hIcon;
        gCurrentCommand.ownsIcon = true;
        return;
    }
    gCurrentCommand.icon = LoadIconA(nullptr, IDI_APPLICATION);
}

}  // namespace

void ResolveKey(std::string_view text)
{
    ClearCurrentCommand();
    const std::string* value = FindCommand(gShortcutTable, text);
    // The variables are expanded once, here, so that the icon lookup, the
    // working folder and the launch see the same path: SHGetFileInfoA does
    // not expand them, and ShellExecuteA's page does not say it would. A
    // value too long for the buffer, once expanded, resolves to nothing
    // rather than to a cut path that could name another program.
    if (value &&
        ExpandCommandValue(*value, ExpandWithEnvironment, gCurrentCommand.command,
                           gCurrentCommand.arguments))
        ChooseIcon();
}
