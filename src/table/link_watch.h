// The change watch on the program's directory, which tells the popup when
// link.dat may have been written.
#pragma once

// Starts watching the directory of the program's executable for writes and
// for names that change.
// Without a watch (the path is too long, the call fails) nothing is ever
// reloaded, silently.
void StartLinkChangeWatch();

// Re-arms the watch when it has fired, and reloads link.dat. Does nothing
// while the watch is invalid or quiet.
void RefreshIfChanged();

// Lets go of the watch; safe to call when there is none.
void CloseLinkChangeWatch();
