#include "link_check.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "commands/command_text.h"
#include "table/shortcut_table.h"

namespace {

// The key length finding spells the input box's length out in words.
static_assert(kInputBoxLength == 4, "the finding says the input box holds four");

constexpr std::string_view kByteOrderMarks[] = {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string CountOf(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "#exit, #reload, ..."
std::string BuiltinNameList()
{
    std::string list;
    for (const BuiltinName& entry : kBuiltinNames) {
        if (!list.empty())
            list += ", ";
        list += entry.name;
    }
    return list;
}

// "EF BB BF"
std::string HexBytes(std::string_view bytes)
{
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (!hex.empty())
            hex += ' ';
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xF];
    }
    return hex;
}

bool HoldsHighBytes(std::string_view text)
{
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::string_view ByteOrderMarkAtStart(std::string_view text)
{
    for (std::string_view mark : kByteOrderMarks) {
        if (text.substr(0, mark.size()) == mark)
            return mark;
    }
    return {};
}

// Orders keys as written the way the launcher tells them apart: letters a-z
// as A-Z, every other byte as it is.
struct KeyLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const
    {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                return static_cast<unsigned char>(UpperCaseKeyByte(x)) <
                    static_cast<unsigned char>(UpperCaseKeyByte(y));
            });
    }
};

// Says what it finds line by line, alongside the launcher's own merge. The
// findings go out at once, in line order: a file of a million lines keeps
// only its table and one key per entry in memory.
class LinkChecker {
public:
    LinkChecker(const char* name, std::FILE* err, TargetExistsFunction targetExists)
        : name_(name), err_(err), targetExists_(targetExists)
    {
    }
    void CountNulLines(std::FILE* file);
    void CheckLine(std::size_t number, std::string_view line);
    void CheckCtrlZ(std::FILE* file);
    // Says the NUL finding if it is still held back; returns the number of findings.
    std::size_t Finish();

private:
    void Ignored(std::size_t number, const ParsedLine& parsed, const char* reason);
    void CheckEntry(std::size_t number, const ParsedLine& parsed);
    void CheckKey(std::size_t number, std::string_view key);
    void CheckCommand(std::size_t number, std::string_view value);
    void SayNulFinding();
    void Add(std::size_t number, const std::string& message);

    const char* name_;
    std::FILE* err_;
    TargetExistsFunction targetExists_;
    std::size_t findings_ = 0;
    // The line of each key as last written there, found by its upper-case form.
    std::map<std::string, std::size_t, KeyLess> keyLines_;
    std::size_t firstNulLine_ = 0;
    std::size_t nulLines_ = 0;
    bool nulFindingHeld_ = false;
};

// The NUL finding counts every line a NUL cuts short, but belongs to the
// first of them: the count is taken before the findings go out.
void LinkChecker::CountNulLines(std::FILE* file)
{
    LinkLineReader reader(file);
    std::string_view line;
    while (reader.Next(line)) {
        if (line.find('\0') != std::string_view::npos && nulLines_++ == 0)
            firstNulLine_ = reader.LineNumber();
    }
    nulFindingHeld_ = nulLines_ > 0;
}

void LinkChecker::Add(std::size_t number, const std::string& message)
{
    // Findings come in line order; the NUL finding follows its line's others.
    if (nulFindingHeld_ && number > firstNulLine_)
        SayNulFinding();
    std::fprintf(err_, "%s:%lu: %s\n", name_, static_cast<unsigned long>(number), message.c_str());
    ++findings_;
}

void LinkChecker::SayNulFinding()
{
    nulFindingHeld_ = false;
    std::string message = "a NUL byte ends the text of this line";
    if (nulLines_ > 1)
        message += ", and of " + CountOf(nulLines_ - 1, "later line", "later lines");
    message += "; a file in a 16-bit encoding such as UTF-16 gives no entries";
    Add(firstNulLine_, message);
}

std::size_t LinkChecker::Finish()
{
    if (nulFindingHeld_)
        SayNulFinding();
    return findings_;
}

void LinkChecker::CheckLine(std::size_t number, std::string_view line)
{
    const ParsedLine parsed = ParseLinkLine(line);
    switch (parsed.kind) {
    case LineKind::Entry:
        CheckEntry(number, parsed);
        break;
    case LineKind::Empty:
        break;
    case LineKind::NoBlank:
        Ignored(number, parsed, "no TAB or SPACE after the key");
        break;
    case LineKind::StartsWithBlank:
        Ignored(number, parsed, "the line starts with a TAB or SPACE");
        break;
    case LineKind::NoCommand:
        Ignored(number, parsed, "no command after the key");
        break;
    }
}

void LinkChecker::Ignored(std::size_t number, const ParsedLine& parsed, const char* reason)
{
    // A line cut short by a NUL is explained by the NUL finding.
    if (!parsed.hadNul)
        Add(number, std::string("ignored: ") + reason);
}

void LinkChecker::CheckEntry(std::size_t number, const ParsedLine& parsed)
{
    const auto known = keyLines_.find(parsed.key);
    if (known == keyLines_.end()) {
        keyLines_.emplace(parsed.key, number);
    } else {
        const std::string_view earlier = known->first;
        std::string message = "key " + Quoted(parsed.key) + " replaces ";
        if (earlier == parsed.key)
            message += "the one on line " + std::to_string(known->second);
        else
            message += "key " + Quoted(earlier) + " on line " + std::to_string(known->second) +
                ": keys are compared in upper case";
        Add(number, message);
        // Named as written on this line from now on.
        auto node = keyLines_.extract(known);
        node.key() = parsed.key;
        node.mapped() = number;
        keyLines_.insert(std::move(node));
    }

    std::string_view typed = parsed.key;
    const std::string_view mark = number == 1 ? ByteOrderMarkAtStart(typed) : std::string_view();
    if (!mark.empty()) {
        typed.remove_prefix(mark.size());
        Add(number,
            "the key " + Quoted(typed) + " starts with the byte-order mark " + HexBytes(mark) +
                ", so it can never be typed; save the file without the mark");
    }
    CheckKey(number, typed);
    CheckCommand(number, parsed.command);
}

void LinkChecker::CheckKey(std::size_t number, std::string_view key)
{
    if (key.size() > kInputBoxLength) {
        Add(number,
            "key " + Quoted(key) + " has " + std::to_string(key.size()) +
                " characters: the input box holds four, so it can never be typed");
    }
    if (HoldsHighBytes(key)) {
        Add(number,
            "key " + Quoted(key) +
                " holds bytes from 0x80 to 0xFF: the input box may change such letters as they are "
                "typed, so it may never match");
    }
}

void LinkChecker::CheckCommand(std::size_t number, std::string_view value)
{
    char command[kCommandBufferSize];
    const char* arguments;
    if (!SplitCommandValue(value, command, arguments)) {
        Add(number,
            "the command text is " + std::to_string(value.size()) + " bytes long: at most " +
                std::to_string(kCommandBufferSize - 1) + " fit, so this key never runs");
        return;
    }
    if (!IsBuiltinCommand(command)) {
        if (targetExists_ && IsAbsoluteTarget(command) && !targetExists_(command))
            Add(number,
                "the target " + Quoted(command) + " does not exist, so this key does nothing");
        return;
    }
    if (MatchBuiltin(command) != Builtin::None)
        return;
    std::string trimmed(command);
    while (!trimmed.empty() && IsBlank(trimmed.back()))
        trimmed.pop_back();
    std::string message = Quoted(command) + " is no built-in command";
    if (MatchBuiltin(trimmed.c_str()) != Builtin::None)
        message += ": the blanks at its end count, remove them";
    else
        message += " (" + BuiltinNameList() + ")";
    Add(number, message);
}

// The launcher stops at the first Ctrl-Z. Counted as left unread: the rest
// of the Ctrl-Z's own line when it holds text, every further physical line,
// and a last line without a line feed when it holds text. A Ctrl-Z with
// nothing after it (an old end-of-file mark) is no finding.
void LinkChecker::CheckCtrlZ(std::FILE* file)
{
    std::rewind(file);
    std::size_t line = 1;
    int c;
    while ((c = std::getc(file)) != EOF && c != kCtrlZ) {
        if (c == '\n')
            ++line;
    }
    std::size_t unread = 0;
    bool onCtrlZLine = true;
    bool holdsText = false;
    while ((c = std::getc(file)) != EOF) {
        if (c == '\n') {
            if (!onCtrlZLine || holdsText)
                ++unread;
            onCtrlZLine = false;
            holdsText = false;
        } else if (c != '\r') {
            holdsText = true;
        }
    }
    if (holdsText)
        ++unread;
    if (unread > 0) {
        Add(line,
            "a Ctrl-Z byte ends the data here: " +
                CountOf(unread, "line after it is", "lines after it are") + " not read");
    }
}

void PrintTable(const ShortcutTable& table, std::FILE* out)
{
    for (const auto& [key, command] : table) {
        std::fwrite(key.data(), 1, key.size(), out);
        std::fputc('\t', out);
        std::fwrite(command.data(), 1, command.size(), out);
        std::fputc('\n', out);
    }
}

}  // namespace

bool IsAbsoluteTarget(std::string_view command)
{
    const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    if (command.size() < 3)
        return false;
    const char drive = command[0];
    const bool letter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
    const bool driveLetter = letter && command[1] == ':' && isSeparator(command[2]);
    const bool unc = isSeparator(command[0]) && isSeparator(command[1]);
    return driveLetter || unc;
}

int CheckLinkStream(std::FILE* file, const char* name, std::FILE* out, std::FILE* err,
                    TargetExistsFunction targetExists)
{
    ShortcutTable table;
    LinkChecker checker(name, err, targetExists);
    errno = 0;
    // A first reading counts the NULs, and finds a file that cannot be read
    // before any finding is said.
    checker.CountNulLines(file);
    LinkLineReader reader(file);
    if (!std::ferror(file)) {
        std::rewind(file);
        std::string_view line;
        while (reader.Next(line)) {
            checker.CheckLine(reader.LineNumber(), line);
            MergeLinkLine(table, line);
        }
    }
    if (std::ferror(file)) {
        std::fprintf(err, "%s: cannot be read: %s\n", name,
                     errno ? std::strerror(errno) : "read error");
        return kCheckUnreadable;
    }
    if (reader.StoppedAtCtrlZ())
        checker.CheckCtrlZ(file);

    PrintTable(table, out);
    return checker.Finish() == 0 ? kCheckClean : kCheckFindings;
}

int CheckLinkFile(const char* path, std::FILE* out, std::FILE* err,
                  TargetExistsFunction targetExists)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::fprintf(err, "%s: cannot be read: %s\n", path, std::strerror(errno));
        return kCheckUnreadable;
    }
    const int result = CheckLinkStream(file, path, out, err, targetExists);
    std::fclose(file);
    return result;
}
