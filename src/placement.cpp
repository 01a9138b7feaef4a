// GetWindowPlacement never reports a hidden window as hidden (its show
// command is SW_SHOWNORMAL then): the record is marked SW_HIDE here, so that
// a start shows the popup only when it was closed shown, by #exit typed into
// it. The profile functions may keep what they wrote in a cache until the
// process ends, and at the end of a session the process is ended, not left
// to end: the file is flushed at once.
#include "placement.h"

#include "popup_state.h"
#include "table/link_files.h"

namespace {

constexpr const wchar_t* kSettingsSection = L"Window";
constexpr const wchar_t* kSettingsKey = L"Placement";

}  // namespace

bool ReadSavedPlacement(WINDOWPLACEMENT& placement)
{
    return GetPrivateProfileStructW(kSettingsSection, kSettingsKey, &placement, sizeof placement,
                                    gLinkFiles.settings);
}

void SavePlacement(bool asHidden)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(gPopupState.popup, &placement))
        return;
    if (asHidden || !IsWindowVisible(gPopupState.popup))
        placement.showCmd = SW_HIDE;
    WritePrivateProfileStructW(kSettingsSection, kSettingsKey, &placement, sizeof placement,
                               gLinkFiles.settings);
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, gLinkFiles.settings);
}
