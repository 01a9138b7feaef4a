// What the native tests share: a temporary file holding given bytes, and
// bytes shown short and printable in assertion messages.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "table/shortcut_table.h"

struct TempFile {
    explicit TempFile(const std::string& bytes)
    {
        const int fd = mkstemp(path.data());
        if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            std::abort();
        close(fd);
    }
    ~TempFile() { unlink(path.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    std::string path = "/tmp/kerrow-test.XXXXXX";
};

inline std::string Shown(const std::string& bytes)
{
    std::string shown;
    for (const char c : bytes.substr(0, 60)) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X",
                      static_cast<unsigned char>(c));
        shown += escaped;
    }
    return shown + (bytes.size() > 60 ? "... (" + std::to_string(bytes.size()) + " bytes)" : "");
}
