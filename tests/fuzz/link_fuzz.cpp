// libFuzzer target: any bytes read as link.dat give a table whose entries
// keep the reader's invariants, a second merge of the same file changes
// nothing, and kerrow-check prints that same table. Run by scripts/fuzz.sh.
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

bool Holds(const std::string& text, const char* bytes, std::size_t count)
{
    return text.find_first_of(bytes, 0, count) != std::string::npos;
}

void MergeFrom(std::FILE* file, ShortcutTable& table)
{
    std::rewind(file);
    LinkLineReader reader(file);
    for (std::string_view line; reader.Next(line);)
        MergeLinkLine(table, line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = size ? fmemopen(const_cast<std::uint8_t*>(data), size, "rb") : nullptr;
    if (!file)
        return 0;
    ShortcutTable table;
    MergeFrom(file, table);
    std::string printed;
    for (const auto& [key, command] : table) {
        Require(!key.empty() && !Holds(key, "\t \r\n\x1A", 6),
                "keys hold no blank, CR, LF, ^Z, NUL");
        Require(!Holds(key, "abcdefghijklmnopqrstuvwxyz", 26), "keys are upper-cased");
        Require(!command.empty() && !Holds(command, "\r\n\x1A", 4),
                "commands hold no CR, LF, ^Z, NUL");
        Require(command[0] != '\t' && command[0] != ' ', "commands start with no blank");
        printed += key + '\t' + command + '\n';
    }
    ShortcutTable again = table;
    MergeFrom(file, again);
    Require(again == table, "merging the same file again changes nothing");

    char* out = nullptr;
    std::size_t outSize = 0;
    std::FILE* outFile = open_memstream(&out, &outSize);
    std::FILE* errFile = std::fopen("/dev/null", "w");
    std::rewind(file);
    const int status = CheckLinkStream(file, "link.dat", outFile, errFile);
    std::fclose(outFile);
    std::fclose(errFile);
    Require(status != kCheckUnreadable, "a file in memory can be read");
    Require(printed == std::string(out, outSize), "kerrow-check prints the launcher's table");
    std::free(out);
    std::fclose(file);
    return 0;
}
