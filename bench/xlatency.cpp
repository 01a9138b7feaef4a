// Measures a hot-key popup running in a Wine virtual desktop from the X side,
// where the user's keys come from and where its pixels end up:
//   xlatency ROUNDS TITLE KEY
// Each round sends Alt+Space as X key events (XTest) and times until the
// popup's X window is mapped, waits for the X input focus to reach it, sends
// KEY and times until its 16 x 16 icon area holds a pixel other than the light
// grey background (checked at every damage report of the window), then sends
// Escape and waits until the popup is unmapped and the desktop has the focus
// back. Prints "round visible_us icon_us" lines; exits 1 at any deadline.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kIconSize = 16;
constexpr unsigned long kBackground = 0xC0C0C0;
constexpr int kDeadlineMs = 10000;
// Conditions are looked at when X events arrive (map, damage, focus); this
// only guards against an event that never comes, without adding X traffic
// that would slow the programs measured.
constexpr int kRecheckMs = 50;

Display* gDisplay;
Window gDesktop;
Window gPopup;
int gDamageEvent;

long long MicrosecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
}

[[noreturn]] void Fail(const char* what, int round)
{
    std::fprintf(stderr, "xlatency: round %d: %s\n", round, what);
    std::exit(1);
}

// The first child of PARENT whose name holds NAME (whole, or at the end).
Window ChildNamed(Window parent, const char* name, bool suffix)
{
    Window root, up, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    XQueryTree(gDisplay, parent, &root, &up, &children, &count);
    for (unsigned int i = 0; i < count && !found; ++i) {
        char* text = nullptr;
        if (XFetchName(gDisplay, children[i], &text) && text) {
            const size_t length = std::strlen(text), wanted = std::strlen(name);
            if (suffix ? length >= wanted && !std::strcmp(text + length - wanted, name)
                       : !std::strcmp(text, name))
                found = children[i];
        }
        XFree(text);
    }
    XFree(children);
    return found;
}

void SendKey(KeySym symbol, bool down)
{
    XTestFakeKeyEvent(gDisplay, XKeysymToKeycode(gDisplay, symbol), down, CurrentTime);
}

void Tap(KeySym symbol)
{
    SendKey(symbol, true);
    SendKey(symbol, false);
    XFlush(gDisplay);
}

bool Mapped()
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(gDisplay, gPopup, &attributes) &&
        attributes.map_state == IsViewable;
}

Window Focus()
{
    Window focus;
    int revert;
    XGetInputFocus(gDisplay, &focus, &revert);
    return focus;
}

// Whether the icon area holds a pixel other than the background; false when
// the window cannot be read (not mapped). The area is the top left of the
// client area, inside the popup's border (as wide as the client area is
// short of the window's height).
bool IconPainted()
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(gDisplay, gPopup, &attributes))
        return false;
    const int inset = (attributes.height - kIconSize) / 2;
    XImage* image =
        XGetImage(gDisplay, gPopup, inset, inset, kIconSize, kIconSize, AllPlanes, ZPixmap);
    if (!image)
        return false;
    bool painted = false;
    for (int y = 0; y < kIconSize && !painted; ++y)
        for (int x = 0; x < kIconSize && !painted; ++x)
            painted = (XGetPixel(image, x, y) & 0xFFFFFF) != kBackground;
    XDestroyImage(image);
    return painted;
}

// Handles X events until DONE holds, checking it after every batch of events;
// false at the deadline.
bool WaitUntil(const std::function<bool()>& done)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kDeadlineMs);
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        if (!XPending(gDisplay)) {
            pollfd connection = {ConnectionNumber(gDisplay), POLLIN, 0};
            poll(&connection, 1, kRecheckMs);
        }
        while (XPending(gDisplay)) {
            XEvent event;
            XNextEvent(gDisplay, &event);
            if (event.type == gDamageEvent) {
                const auto* damage = reinterpret_cast<XDamageNotifyEvent*>(&event);
                XDamageSubtract(gDisplay, damage->damage, None, None);
            }
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: xlatency ROUNDS TITLE KEY\n");
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    const KeySym key = XStringToKeysym(argv[3]);
    gDisplay = XOpenDisplay(nullptr);
    int eventBase, errorBase, major, minor;
    if (!gDisplay || !XTestQueryExtension(gDisplay, &eventBase, &errorBase, &major, &minor) ||
        !XDamageQueryExtension(gDisplay, &gDamageEvent, &errorBase) || key == NoSymbol) {
        std::fprintf(stderr, "xlatency: needs a display with XTEST and DAMAGE, and a key\n");
        return 2;
    }
    gDamageEvent += XDamageNotify;
    gDesktop = ChildNamed(DefaultRootWindow(gDisplay), "Wine desktop", true);
    gPopup = gDesktop ? ChildNamed(gDesktop, argv[2], false) : 0;
    if (!gPopup) {
        std::fprintf(stderr, "xlatency: no popup named \"%s\" in a Wine desktop\n", argv[2]);
        return 2;
    }
    XSelectInput(gDisplay, gDesktop, SubstructureNotifyMask | FocusChangeMask);
    XSelectInput(gDisplay, gPopup, FocusChangeMask);
    XDamageCreate(gDisplay, gPopup, XDamageReportNonEmpty);

    for (int round = 1; round <= rounds; ++round) {
        if (!WaitUntil([] { return !Mapped() && Focus() == gDesktop; }))
            Fail("the popup is shown, or the desktop lacks the focus", round);

        const Clock::time_point pressed = Clock::now();
        SendKey(XK_Alt_L, true);
        SendKey(XK_space, true);
        SendKey(XK_space, false);
        SendKey(XK_Alt_L, false);
        XFlush(gDisplay);
        if (!WaitUntil(Mapped))
            Fail("the popup was not shown", round);
        const long long visible = MicrosecondsSince(pressed);

        if (!WaitUntil([] { return Focus() == gPopup && !IconPainted(); }))
            Fail("the popup has no focus, or its icon area is not blank", round);
        const Clock::time_point typed = Clock::now();
        Tap(key);
        if (!WaitUntil(IconPainted))
            Fail("no icon was painted", round);
        const long long icon = MicrosecondsSince(typed);

        Tap(XK_Escape);
        std::printf("%d %lld %lld\n", round, visible, icon);
    }
    if (!WaitUntil([] { return !Mapped() && Focus() == gDesktop; }))
        Fail("the popup did not hide", rounds);
    return 0;
}
