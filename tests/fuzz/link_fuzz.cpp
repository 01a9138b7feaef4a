// libFuzzer target: any bytes read as link.dat give a table whose entries
// keep the reader's invariants, a second merge of the same file changes
// nothing, and kerrow-check prints that same table.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "link_check.h"
#include "table/shortcut_table.h"

namespace {

void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

ShortcutTable MergedFrom(std::FILE* file, ShortcutTable table)
{
    std::rewind(file);
    LinkLineReader reader(file);
    for (std::string_view line; reader.Next(line);)
        MergeLinkLine(table, line);
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = size ? fmemopen(const_cast<std::uint8_t*>(data), size, "rb") : nullptr;
    if (!file)
        return 0;
    const ShortcutTable table = MergedFrom(file, {});
    std::string printed;
    for (const auto& [key, command] : table) {
        Require(key.find_first_of(std::string("\t \r\n\x1A\0abcdefghijklmnopqrstuvwxyz", 32)) ==
                    std::string::npos,
                "keys hold no blank, CR, LF, ^Z, NUL or a-z");
        Require(command.find_first_of(std::string("\r\n\x1A\0", 4)) == std::string::npos,
                "commands hold no CR, LF, ^Z or NUL");
        Require(!key.empty() && !command.empty() && command[0] != '\t' && command[0] != ' ',
                "keys and commands are not empty, commands start with no blank");
        printed += key + '\t' + command + '\n';
    }
    Require(MergedFrom(file, table) == table, "merging the same file again changes nothing");
    char* out = nullptr;
    std::size_t outSize = 0;
    std::FILE* outFile = open_memstream(&out, &outSize);
    std::FILE* errFile = std::fopen("/dev/null", "w");
    std::rewind(file);
    Require(CheckLinkStream(file, "link.dat", outFile, errFile) != kCheckUnreadable, "readable");
    std::fclose(outFile);
    std::fclose(errFile);
    Require(printed == std::string(out, outSize), "kerrow-check prints the launcher's table");
    std::free(out);
    std::fclose(file);
    return 0;
}
