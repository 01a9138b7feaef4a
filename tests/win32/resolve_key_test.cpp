// Key resolution on a real popup and EDIT box, the change watch on a real
// directory, and the life of the icons the shell hands out.
#include "test_support.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

const char* IconKind()
{
    const HICON icon = gCurrentCommand.icon;
    if (!icon)
        return "none";
    if (icon == LoadIconA(nullptr, IDI_EXCLAMATION))
        return "warning";
    if (icon == LoadIconA(nullptr, IDI_APPLICATION))
        return "application";
    return gCurrentCommand.ownsIcon ? "shell" : "unowned";
}

std::string Arguments()
{
    const char* arguments = gCurrentCommand.arguments;
    return arguments ? "\"" + std::string(arguments) + "\"" : "(none)";
}

bool IconAlive(HICON icon)
{
    ICONINFO info;
    if (!GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

const std::string kMissing = "C:\\no such folder\\app.exe";

TEST(ResolveKey, SetsTheRecordFromTheBoxText)
{
    TestPopup popup;
    popup.Show();
    const std::string notepad = SystemNotepad();
    ASSERT_NE(notepad, "") << "no notepad.exe in this prefix";
    const std::string longest = "C:\\" + std::string(kCommandBufferSize - 4, 'a');
    gShortcutTable = {
        {"N", notepad + "\t-x  y"}, {"P", kMissing}, {"E", kMissing + "\t \t "}, {"B", "#reload"},
        {"H", "#nothing\targ"},     {"K", longest},  {"L", longest + "a"},
    };
    const struct {
        const char* text;
        std::string command;
        const char* arguments;  // quoted, or "(none)"
        const char* icon;
    } cases[] = {
        {"N", notepad, "\"-x  y\"", "shell"},
        {"P", kMissing, "(none)", "application"},
        {"E", kMissing, "\"\"", "application"},
        {"B", "#reload", "(none)", "warning"},
        {"H", "#nothing", "\"arg\"", "warning"},
        {"K", longest, "(none)", "application"},
        {"L", "", "(none)", "none"},  // one byte too long for the buffer
        {"ZZ", "", "(none)", "none"},
        {"", "", "(none)", "none"},
    };
    for (const auto& c : cases) {
        ValidateRect(popup.Window(), nullptr);
        popup.SetText(c.text);
        EXPECT_EQ(gCurrentCommand.command, c.command) << "text \"" << c.text << "\"";
        EXPECT_EQ(Arguments(), c.arguments) << "text \"" << c.text << "\"";
        EXPECT_STREQ(IconKind(), c.icon) << "text \"" << c.text << "\"";
        EXPECT_TRUE(GetUpdateRect(popup.Window(), nullptr, FALSE))
            << "popup not invalidated after text \"" << c.text << "\"";
    }

    // A WM_COMMAND that is not the box's EN_CHANGE leaves record and popup alone.
    popup.SetText("N");
    for (const WPARAM wParam : {MAKEWPARAM(PopupState::EditControlId + 1, EN_CHANGE),
                                MAKEWPARAM(PopupState::EditControlId, EN_UPDATE)}) {
        ValidateRect(popup.Window(), nullptr);
        SendMessageA(popup.Window(), WM_COMMAND, wParam, reinterpret_cast<LPARAM>(popup.Box()));
        EXPECT_EQ(gCurrentCommand.command, notepad) << "wParam " << std::hex << wParam;
        EXPECT_FALSE(GetUpdateRect(popup.Window(), nullptr, FALSE))
            << "wParam " << std::hex << wParam;
    }
}

TEST(ResolveKey, TypedKeyResolvesAndOneMoreCharacterClears)
{
    TestPopup popup;
    gShortcutTable = {{"N", kMissing + "\t-x"}};
    PostMessageA(popup.Box(), WM_CHAR, 'n', 0);
    ASSERT_TRUE(WaitUntil([&] { return popup.Text() == "N"; })) << "box: " << popup.Text();
    EXPECT_EQ(gCurrentCommand.command, kMissing);
    EXPECT_EQ(Arguments(), "\"-x\"");

    PostMessageA(popup.Box(), WM_CHAR, 'x', 0);
    ASSERT_TRUE(WaitUntil([&] { return popup.Text() == "NX"; })) << "box: " << popup.Text();
    EXPECT_STREQ(gCurrentCommand.command, "");
    EXPECT_STREQ(IconKind(), "none");
}

// The watch is polled by hand, on the scratch folder; the popup stays
// hidden, so that its own show handling never polls it.
TEST(RefreshIfChanged, ReloadsOnceAfterAWriteAndMerges)
{
    ScratchDirectory folder;  // removed after the popup has closed the watch
    TestPopup popup;
    EXPECT_NE(gPopupState.LinkChangeWatch, INVALID_HANDLE_VALUE) << "InitInstance started no watch";
    ASSERT_TRUE(folder.Write("link.dat", "A\tone\n"));
    gShortcutTable = {{"OLD", "kept"}};
    const auto has = [](const char* key) { return gShortcutTable.count(key) == 1; };

    CloseLinkChangeWatch();
    RefreshIfChanged();
    EXPECT_FALSE(has("A")) << "reloaded without a watch";

    const HANDLE watch =
        FindFirstChangeNotificationA(folder.Path().c_str(), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE);
    ASSERT_NE(watch, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    gPopupState.LinkChangeWatch = watch;
    RefreshIfChanged();
    EXPECT_FALSE(has("A")) << "reloaded with no write";

    for (int round = 1; round <= 2; ++round) {
        gShortcutTable.erase("B");
        ASSERT_TRUE(folder.Write("link.dat", "A\tone\nB\ttwo\n"));
        ASSERT_EQ(WaitForSingleObject(watch, kDeadlineMs), WAIT_OBJECT_0)
            << "round " << round << ": the watch did not fire";
        RefreshIfChanged();
        EXPECT_TRUE(has("A") && has("B")) << "round " << round << ": not reloaded";
        EXPECT_TRUE(has("OLD")) << "round " << round << ": the table was cleared";

        // Re-armed: a further poll without a write reloads nothing.
        gShortcutTable.erase("B");
        RefreshIfChanged();
        EXPECT_FALSE(has("B")) << "round " << round << ": reloaded again without a write";
    }
}

TEST(Icons, ShellIconsAreDestroyedWithTheRecordSystemIconsNever)
{
    TestPopup popup;
    const std::string notepad = SystemNotepad();
    gShortcutTable = {{"N", notepad}, {"M", notepad + "\t-y"}, {"B", "#reload"}, {"P", kMissing}};
    // Each text replaces the record of the one before it.
    for (const char* text : {"N", "", "N", "M", "B", "", "P", "N", "P", ""}) {
        const HICON before = gCurrentCommand.icon;
        const bool owned = gCurrentCommand.ownsIcon;
        popup.SetText(text);
        if (before) {
            EXPECT_EQ(IconAlive(before), !owned) << "icon " << before << (owned ? " (shell)" : "")
                                                 << " after text \"" << text << "\"";
        }
    }
}

// GetGuiResources reports 0 under Wine, so the count comes from the handle
// tables themselves: Wine takes a USER or GDI handle whose high word is 0 as
// "this slot, whatever its generation", so probing every slot with
// GetIconInfo and GetObjectType counts this process's live icons and GDI
// objects (a shell icon holds two or three bitmaps). The count is first shown
// to see a deliberate leak; where handles are checked whole it would see
// nothing, and the test would fail rather than pass.
struct LiveObjects {
    int icons = 0;
    int gdi = 0;
};

LiveObjects CountLiveObjects()
{
    constexpr UINT_PTR kFirstUserHandle = 0x20;  // USER slots are even from here
    LiveObjects live;
    for (UINT_PTR slot = 1; slot <= 0xFFFF; ++slot)
        live.gdi += GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0;
    for (UINT_PTR slot = kFirstUserHandle; slot <= 0xFFFF; slot += 2)
        live.icons += IconAlive(reinterpret_cast<HICON>(slot));
    return live;
}

TEST(Icons, ThousandsOfResolutionsLeaveNoIconBehind)
{
    TestPopup popup;
    const std::string notepad = SystemNotepad();
    gShortcutTable = {{"N", notepad}};
    popup.SetText("N");  // lets the shell fill its caches first
    popup.SetText("");
    constexpr int kLeaked = 200;
    constexpr int kResolutions = 3000;
    constexpr int kSlack = 10;

    const LiveObjects beforeLeak = CountLiveObjects();
    std::vector<HICON> leaked;
    for (int i = 0; i < kLeaked; ++i) {
        SHFILEINFOA info = {};
        SHGetFileInfoA(notepad.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON);
        leaked.push_back(info.hIcon);
    }
    const LiveObjects withLeak = CountLiveObjects();
    for (const HICON icon : leaked)
        DestroyIcon(icon);
    ASSERT_GE(withLeak.icons - beforeLeak.icons, kLeaked) << "the count misses leaked icons";
    ASSERT_GE(withLeak.gdi - beforeLeak.gdi, kLeaked) << "the count misses their bitmaps";

    const LiveObjects before = CountLiveObjects();
    for (int i = 0; i < kResolutions / 2; ++i) {
        popup.SetText("N");
        ASSERT_TRUE(gCurrentCommand.ownsIcon) << "round " << i;
        popup.SetText("");
    }
    const LiveObjects after = CountLiveObjects();
    EXPECT_LE(after.icons - before.icons, kSlack)
        << "live icons " << before.icons << " -> " << after.icons << " over " << kResolutions;
    EXPECT_LE(after.gdi - before.gdi, kSlack)
        << "live GDI objects " << before.gdi << " -> " << after.gdi << " over " << kResolutions;
}

}  // namespace
