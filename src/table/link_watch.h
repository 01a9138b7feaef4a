#pragma once

// Reloads link.dat when the watch on the program's directory has fired, and
// re-arms it. Does nothing while the watch is invalid or quiet.
void RefreshIfChanged();
