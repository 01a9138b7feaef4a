#include "commands/current_command.h"

#include <shellapi.h>

#include "popup_state.h"
#include "table/shortcut_table.h"

CurrentCommand gCurrentCommand;

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

void ClearCurrentCommand()
{
    if (gCurrentCommand.ownsIcon)
        DestroyIcon(gCurrentCommand.icon);
    gCurrentCommand.icon = nullptr;
    gCurrentCommand.ownsIcon = false;
    gCurrentCommand.command[0] = '\0';
    gCurrentCommand.arguments = nullptr;
}

void ResolveKey(int controlId, int notificationCode)
{
    if (controlId != PopupState::EditControlId || notificationCode != EN_CHANGE)
        return;
    ClearCurrentCommand();
    char text[kCommandBufferSize];
    const LRESULT length =
        SendMessageA(gPopupState.edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    if (length > 0) {
        const std::string* value = FindCommand(gShortcutTable, std::string_view(text, length));
        // A value too long for the buffer resolves to nothing rather than to
        // a cut path that could name another program.
        if (value && SplitCommandValue(*value, gCurrentCommand.command, gCurrentCommand.arguments))
            ChooseIcon();
    }
    InvalidateRect(gPopupState.popup, nullptr, TRUE);
}
