// GetWindowPlacement never reports a hidden window as hidden (its show
// command is SW_SHOWNORMAL then): the record is marked SW_HIDE here, so that
// a start shows the popup only when it was closed shown, by #exit typed into
// it. The profile functions may keep what they wrote in a cache until the
// process ends, and at the end of a session the process is ended, not left
// to end: the file is flushed at once.
#include "placement.h"

#include "popup_state.h"

namespace {

constexpr const char* kSettingsSection = "Window";
constexpr const char* kSettingsKey = "Placement";
constexpr const char* kSettingsPath = ".\\Kerrow.ini";  // in the current directory

}  // namespace

bool ReadSavedPlacement(WINDOWPLACEMENT& placement)
{
    return GetPrivateProfileStructA(kSettingsSection, kSettingsKey, &placement, sizeof placement,
                                    kSettingsPath);
}

void SavePlacement(bool asHidden)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(gPopupState.popup, &placement))
        return;
    if (asHidden || !IsWindowVisible(gPopupState.popup))
        placement.showCmd = SW_HIDE;
    WritePrivateProfileStructA(kSettingsSection, kSettingsKey, &placement, sizeof placement,
                               kSettingsPath);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, kSettingsPath);
}
