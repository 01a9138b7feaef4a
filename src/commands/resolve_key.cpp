// Every change of the input box rebuilds gCurrentCommand from scratch, its
// icon included. The icon comes from one of two owners: the system's warning
// and application icons (LoadIconA) are shared and never destroyed, while the
// icon SHGetFileInfoA hands out is the caller's, so ownsIcon marks it and
// ClearCurrentCommand destroys it before the next resolution. At most one
// shell icon is alive at any time, however much is typed.
//
// SHGetFileInfoA reads the file attributes it is given only together with
// SHGFI_USEFILEATTRIBUTES, which is not passed: the shell looks at the real
// file, so a path that names nothing gets no icon and shows the application
// icon. FILE_ATTRIBUTE_ARCHIVE (0x20), the mark of an ordinary file, is
// passed all the same, so that the call still asks for a plain file's icon
// should that flag ever be added.
#include "commands/resolve_key.h"

#include <windows.h>

#include <shellapi.h>

#include "commands/current_command.h"
#include "table/shortcut_table.h"

namespace {

constexpr DWORD kIconFileAttributes = FILE_ATTRIBUTE_ARCHIVE;

void ChooseIcon()
{
    if (IsBuiltinCommand(gCurrentCommand.command)) {
        gCurrentCommand.icon = LoadIconA(nullptr, IDI_EXCLAMATION);
        return;
    }
    SHFILEINFOA info = {};
    if (SHGetFileInfoA(gCurrentCommand.command, kIconFileAttributes, &info, sizeof info,
                       SHGFI_ICON | SHGFI_SMALLICON) &&
        info.hIcon) {
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
    // A value too long for the buffer resolves to nothing rather than to a
    // cut path that could name another program.
    if (value && SplitCommandValue(*value, gCurrentCommand.command, gCurrentCommand.arguments))
        ChooseIcon();
}
