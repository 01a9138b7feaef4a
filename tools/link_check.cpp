#include "link_check.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/command_text.h"
#include "table/shortcut_table.h"
#include "text_bytes.h"

namespace {

// The key length finding spells the input box's length out in words.
static_assert(kInputBoxLength == 4, "the finding says the input box holds four");

constexpr unsigned kUtf8CodePage = 65001;

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

std::string NulMessage(std::size_t nulLines)
{
    std::string message = "a NUL byte ends the text of this line";
    if (nulLines > 1)
        message += ", and of " + CountOf(nulLines - 1, "later line", "later lines");
    return message + "; a file in a 16-bit encoding such as UTF-16 gives no entries";
}

std::string Utf8Message(unsigned codePage)
{
    const std::string codePageName =
        codePage ? "ANSI code page " + std::to_string(codePage) : "the system's ANSI code page";
    return "the file looks like UTF-8: its bytes above 127, from this line on, all form UTF-8 "
           "sequences, but Kerrow reads it in " +
        codePageName + ", where they are other letters; save it as ANSI";
}

// Says what it finds line by line, alongside the launcher's own merge. The
// findings go out at once, in line order: a file of a million lines keeps
// only its table and one key per entry in memory.
class LinkChecker {
public:
    LinkChecker(const char* name, std::FILE* err, const SystemAnswers& system)
        : name_(name), err_(err), system_(system)
    {
    }
    void Survey(std::FILE* file);
    void CheckLine(std::size_t number, std::string_view line);
    void CheckCtrlZ(std::FILE* file);
    // Says the findings still held back; returns the number of findings.
    std::size_t Finish();

private:
    void Ignored(std::size_t number, const ParsedLine& parsed, const char* reason);
    void CheckEntry(std::size_t number, const ParsedLine& parsed);
    void CheckKey(std::size_t number, std::string_view key);
    void CheckCommand(std::size_t number, std::string_view value);
    void Add(std::size_t number, const std::string& message);
    void SayHeldBefore(std::size_t number);
    void Say(std::size_t number, const std::string& message);

    const char* name_;
    std::FILE* err_;
    SystemAnswers system_;
    std::size_t findings_ = 0;
    // The line of each key as last written there, found by its upper-case form.
    std::map<std::string, std::size_t, KeyLess> keyLines_;
    // Findings on a line that only the whole file tells, in line order; the
    // first nextHeld_ of them have been said.
    std::vector<std::pair<std::size_t, std::string>> held_;
    std::size_t nextHeld_ = 0;
};

// The NUL finding counts every line a NUL cuts short, and the UTF-8 finding
// needs every byte above 127; both belong to the first line concerned. So
// the file is read once for them before the findings go out.
void LinkChecker::Survey(std::FILE* file)
{
    LinkLineReader reader(file);
    std::size_t firstNulLine = 0, nulLines = 0, firstHighLine = 0;
    bool utf8 = true;
    std::string_view line;
    while (reader.Next(line)) {
        if (line.find('\0') != std::string_view::npos && nulLines++ == 0)
            firstNulLine = reader.LineNumber();
        if (HoldsHighBytes(line)) {
            if (firstHighLine == 0)
                firstHighLine = reader.LineNumber();
            utf8 = utf8 && FormsUtf8(line);
        }
    }
    if (nulLines > 0)
        held_.emplace_back(firstNulLine, NulMessage(nulLines));
    // Where the ANSI code page is UTF-8 itself, such a file is read right.
    if (firstHighLine > 0 && utf8 && system_.ansiCodePage != kUtf8CodePage)
        held_.emplace_back(firstHighLine, Utf8Message(system_.ansiCodePage));
    std::stable_sort(held_.begin(), held_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

// Findings come in line order; a held finding follows its line's others.
void LinkChecker::SayHeldBefore(std::size_t number)
{
    while (nextHeld_ < held_.size() && held_[nextHeld_].first < number) {
        const auto& [line, message] = held_[nextHeld_++];
        Say(line, message);
    }
}

void LinkChecker::Add(std::size_t number, const std::string& message)
{
    SayHeldBefore(number);
    Say(number, message);
}

void LinkChecker::Say(std::size_t number, const std::string& message)
{
    std::fprintf(err_, "%s:%lu: %s\n", name_, static_cast<unsigned long>(number), message.c_str());
    ++findings_;
}

std::size_t LinkChecker::Finish()
{
    SayHeldBefore(std::numeric_limits<std::size_t>::max());
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
    const auto control = std::find_if(key.begin(), key.end(), IsControlByte);
    if (control != key.end()) {
        Add(number,
            "the key holds the control byte 0x" + HexBytes(std::string_view(&*control, 1)) +
                ", which cannot be typed into the input box, so it can never match");
    }
    if (system_.typedAs) {
        const std::string typed = system_.typedAs(key);
        std::string stored(key);
        UpperCaseKey(stored);
        if (typed != stored)
            Add(number,
                "key " + Quoted(key) +
                    " can never be typed: the input box turns it into upper case; write it as " +
                    Quoted(typed));
    } else if (HoldsHighBytes(key)) {
        Add(number,
            "key " + Quoted(key) +
                " holds bytes from 0x80 to 0xFF: the input box may change such letters as they are "
                "typed, so it may never match");
    }
}

void LinkChecker::CheckCommand(std::size_t number, std::string_view value)
{
    char written[kCommandBufferSize], command[kCommandBufferSize];
    const char* arguments;
    if (!SplitCommandValue(value, written, arguments)) {
        Add(number,
            "the command text is " + std::to_string(value.size()) + " bytes long: at most " +
                std::to_string(kCommandBufferSize - 1) + " fit, so this key never runs");
        return;
    }
    if (system_.expand && !ExpandCommandValue(value, system_.expand, command, arguments)) {
        Add(number,
            "the command " + Quoted(written) +
                " with its variables expanded, and its arguments, are more than " +
                std::to_string(kCommandBufferSize - 1) + " bytes, so this key never runs");
        return;
    }
    if (!system_.expand)
        std::memcpy(command, written, sizeof command);
    if (!IsBuiltinCommand(command)) {
        // Only a path on a drive or a share is looked for: not a URL, nor a
        // name the shell finds by itself.
        if (system_.targetState && TargetKindOf(command) != TargetKind::Other &&
            system_.targetState(command) == TargetState::Missing) {
            std::string target = Quoted(written);
            if (std::strcmp(written, command) != 0)
                target += ", that is " + Quoted(command) + ",";
            Add(number, "the target " + target + " does not exist, so this key does nothing");
        }
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

int CheckLinkStream(std::FILE* file, const char* name, std::FILE* out, std::FILE* err,
                    const SystemAnswers& system)
{
    ShortcutTable table;
    LinkChecker checker(name, err, system);
    errno = 0;
    // The first reading also finds a file that cannot be read before any
    // finding is said.
    checker.Survey(file);
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

int CheckLinkFile(const char* path, std::FILE* out, std::FILE* err, const SystemAnswers& system)
{
    return CheckOpenedLinkFile(std::fopen(path, "rb"), path, out, err, system);
}

int CheckOpenedLinkFile(std::FILE* file, const char* name, std::FILE* out, std::FILE* err,
                        const SystemAnswers& system)
{
    if (!file) {
        std::fprintf(err, "%s: cannot be read: %s\n", name, std::strerror(errno));
        return kCheckUnreadable;
    }
    const int result = CheckLinkStream(file, name, out, err, system);
    std::fclose(file);
    return result;
}
