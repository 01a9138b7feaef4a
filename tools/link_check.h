// What kerrow-check does: reads a link file with the launcher's own reader
// and table, prints the table it gives and says what in the file will not
// work as its author probably meant.
#pragma once

#include <cstdio>

constexpr int kCheckClean = 0;       // read, nothing to say
constexpr int kCheckFindings = 1;    // read, with findings
constexpr int kCheckUnreadable = 2;  // cannot be opened or read

// Reads the open file (binary mode; name is only used in messages). Prints
// the table on out, one entry per line in table order as the key, a TAB,
// the command text and a line feed, raw bytes. Prints the findings on err,
// one per line as "name:LINE: message", LINE counting physical lines from 1.
// The file must be seekable: after a Ctrl-Z it is read again to tell how
// much the launcher leaves unread.
int CheckLinkStream(std::FILE* file, const char* name, std::FILE* out, std::FILE* err);

// Opens path and checks it as above; when it cannot be opened, says so on
// err in one line and returns kCheckUnreadable.
int CheckLinkFile(const char* path, std::FILE* out, std::FILE* err);
