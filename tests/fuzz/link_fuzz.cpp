// libFuzzer target for the link.dat reader, the table and kerrow-check's
// findings. Built and run by scripts/fuzz.sh.
//
// Every input is read through a FILE, as the launcher reads link.dat, and
// the table must equal the one a plain second reading of the whole buffer
// gives: CRs dropped, data cut at the first Ctrl-Z, lines split at LF, each
// line cut at its first NUL, key up to the first blank, command after the
// blanks.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "link_check.h"
#include "table/shortcut_table.h"
#include "test_support.h"

namespace {

void Require(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

struct Reading {
    ShortcutTable table;
    std::size_t lines = 0;
    bool stoppedAtCtrlZ = false;
};

void MergeThroughReader(std::FILE* file, Reading& reading)
{
    LinkLineReader reader(file);
    std::string_view line;
    while (reader.Next(line)) {
        Require(reader.LineNumber() == reading.lines + 1, "line numbers go up by one");
        reading.lines = reader.LineNumber();
        MergeLinkLine(reading.table, line);
    }
    reading.stoppedAtCtrlZ = reader.StoppedAtCtrlZ();
}

Reading ReadPlainly(std::string_view data)
{
    Reading reading;
    const std::size_t ctrlZ = data.find(kCtrlZ);
    reading.stoppedAtCtrlZ = ctrlZ != std::string_view::npos;
    data = data.substr(0, ctrlZ);
    for (std::size_t start = 0; start < data.size();) {
        std::size_t end = data.find('\n', start);
        if (end == std::string_view::npos)
            end = data.size();
        ++reading.lines;
        std::string line;
        for (const char c : data.substr(start, end - start)) {
            if (c != '\r')
                line += c;
        }
        line = line.substr(0, line.find('\0'));
        const std::size_t blank = line.find_first_of(" \t");
        const std::size_t command = line.find_first_not_of(" \t", blank);
        if (blank != std::string::npos && blank > 0 && command != std::string::npos) {
            std::string key = line.substr(0, blank);
            for (char& c : key) {
                if (c >= 'a' && c <= 'z')
                    c = static_cast<char>(c - 'a' + 'A');
            }
            reading.table[key] = line.substr(command);
        }
        start = end + 1;
    }
    return reading;
}

bool HoldsAny(const std::string& text, std::string_view bytes)
{
    return text.find_first_of(bytes.data(), 0, bytes.size()) != std::string::npos;
}

void CheckEntries(const ShortcutTable& table)
{
    using namespace std::string_view_literals;
    for (const auto& [key, command] : table) {
        Require(!key.empty(), "keys are not empty");
        Require(!HoldsAny(key, "\t \r\n\x1A\0"sv), "keys hold no blank, CR, LF, Ctrl-Z or NUL");
        Require(!HoldsAny(key, "abcdefghijklmnopqrstuvwxyz"sv), "keys hold no a-z");
        Require(!command.empty(), "commands are not empty");
        Require(!HoldsAny(command, "\r\n\x1A\0"sv), "commands hold no CR, LF, Ctrl-Z or NUL");
        Require(command[0] != '\t' && command[0] != ' ', "commands do not start with a blank");
    }
}

std::string Printed(const ShortcutTable& table)
{
    std::string printed;
    for (const auto& [key, command] : table)
        printed.append(key).append(1, '\t').append(command).append(1, '\n');
    return printed;
}

// Every finding reads "name:LINE: message" with LINE from 1.
void CheckFindings(const std::string& findings, const std::string& name)
{
    std::istringstream lines(findings);
    for (std::string finding; std::getline(lines, finding);) {
        Require(finding.compare(0, name.size() + 1, name + ":") == 0,
                "a finding starts with the file name");
        const std::size_t digits = finding.find_first_not_of("0123456789", name.size() + 1);
        Require(digits > name.size() + 1 && digits != std::string::npos,
                "a finding has a line number");
        Require(finding[name.size() + 1] != '0', "line numbers start at 1");
        Require(finding.compare(digits, 2, ": ") == 0 && finding.size() > digits + 2,
                "a finding has a message");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!file)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    Reading reading;
    MergeThroughReader(file, reading);
    CheckEntries(reading.table);
    const Reading plain = ReadPlainly(bytes);
    Require(reading.table == plain.table, "the reader's table equals the plain reading's");
    Require(reading.lines == plain.lines, "the reader counts the lines of the plain reading");
    Require(reading.stoppedAtCtrlZ == plain.stoppedAtCtrlZ, "the reader stops at a Ctrl-Z");

    const ShortcutTable once = reading.table;
    Reading again{once};
    std::rewind(file);
    MergeThroughReader(file, again);
    Require(again.table == once, "merging the same file again changes nothing");

    std::rewind(file);
    const std::string name = "link.dat";
    CapturedStream out;
    CapturedStream err;
    const int status = CheckLinkStream(file, name.c_str(), out.File(), err.File());
    Require(status == kCheckClean || status == kCheckFindings,
            "a file in memory can always be read");
    Require(out.Text() == Printed(once), "kerrow-check prints the launcher's table");
    Require((status == kCheckFindings) == !err.Text().empty(), "findings and status agree");
    CheckFindings(err.Text(), name);

    std::fclose(file);
    return 0;
}
