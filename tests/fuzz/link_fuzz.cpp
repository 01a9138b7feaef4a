// libFuzzer target: any bytes read as link.dat give a table whose entries
// keep the reader's invariants, and kerrow-check reads them too. A broken
// rule aborts at its line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "link_check.h"
#include "table/shortcut_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = size ? fmemopen(const_cast<std::uint8_t*>(data), size, "rb") : nullptr;
    if (!file)
        return 0;
    ShortcutTable table;
    LinkLineReader reader(file);
    for (std::string_view line; reader.Next(line);)
        MergeLinkLine(table, line);
    const std::string notInKeys("\t \r\n\x1A\0abcdefghijklmnopqrstuvwxyz", 32);
    for (const auto& [key, command] : table) {
        // Keys: no blank, line end, ^Z, NUL or a-z. Commands: none of the
        // last four, and a first byte that is no blank.
        if (key.empty() || key.find_first_of(notInKeys) != std::string::npos || command.empty() ||
            command.find_first_of(notInKeys.substr(2, 4)) != std::string::npos ||
            command[0] == '\t' || command[0] == ' ')
            std::abort();
    }
    // kerrow-check reads the same bytes without failing.
    std::FILE* null = std::fopen("/dev/null", "w");
    std::rewind(file);
    if (CheckLinkStream(file, "link.dat", null, null) == kCheckUnreadable)
        std::abort();
    std::fclose(null);
    std::fclose(file);
    return 0;
}
