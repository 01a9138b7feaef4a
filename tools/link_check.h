// What kerrow-check does: reads a link file with the launcher's own reader
// and table, prints the table it gives and says what in the file will not
// work as its author probably meant.
#pragma once

#include <cstdio>
#include <string_view>

constexpr int kCheckClean = 0;       // read, nothing to say
constexpr int kCheckFindings = 1;    // read, with findings
constexpr int kCheckUnreadable = 2;  // cannot be opened or read

// Whether a file or folder is there. Only the Windows build can tell
// (TargetExists); the native build checks no targets.
using TargetExistsFunction = bool (*)(const char* path);
#ifdef _WIN32
bool TargetExists(const char* path);
#endif

// True for a command whose target can be looked for: an absolute path with a
// drive letter ("C:\..." or "C:/...") or a UNC path ("\\server\share...").
// URLs, bare names the shell finds on the path, relative paths and built-in
// commands are not looked for.
bool IsAbsoluteTarget(std::string_view command);

// Reads the open file (binary mode; name is only used in messages). Says
// the findings on err as it reads, one per line as "name:LINE: message",
// LINE counting physical lines from 1; then prints the table on out, one
// entry per line in table order as the key, a TAB, the command text and a
// line feed, raw bytes. The file must be seekable: it is read once to count
// its NULs, and after a Ctrl-Z read again to tell how much the launcher
// leaves unread. With targetExists, a command whose absolute target is not
// there is a finding.
int CheckLinkStream(std::FILE* file, const char* name, std::FILE* out, std::FILE* err,
                    TargetExistsFunction targetExists = nullptr);

// Opens path and checks it as above; when it cannot be opened, says so on
// err in one line and returns kCheckUnreadable.
int CheckLinkFile(const char* path, std::FILE* out, std::FILE* err,
                  TargetExistsFunction targetExists = nullptr);
