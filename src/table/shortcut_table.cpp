// link.dat is read in chunks of 64 KiB. A line that lies within one chunk and
// holds no CR is handed out as a view into the chunk, without a copy; only a
// line that spans two chunks or holds a CR is put together in pending_.
// Loading merges into the table and never clears it: a key taken out of the
// file keeps its last command until the program restarts.
#include "table/shortcut_table.h"

#include <cstring>

ShortcutTable gShortcutTable;

namespace {

// Appends text to out without its CR bytes.
void AppendWithoutCr(std::string& out, const char* text, std::size_t length)
{
    const char* end = text + length;
    while (text < end) {
        const char* cr = static_cast<const char*>(std::memchr(text, '\r', end - text));
        const char* stop = cr ? cr : end;
        out.append(text, stop - text);
        text = cr ? cr + 1 : end;
    }
}

}  // namespace

bool LinkLineReader::Refill()
{
    if (endOfData_)
        return false;
    begin_ = 0;
    end_ = std::fread(chunk_, 1, kChunkSize, file_);
    if (end_ < kChunkSize)
        endOfData_ = true;  // end of file, or a read error: both end the load
    if (const void* ctrlZ = std::memchr(chunk_, kCtrlZ, end_)) {
        end_ = static_cast<const char*>(ctrlZ) - chunk_;
        endOfData_ = true;
        stoppedAtCtrlZ_ = true;
    }
    return end_ > 0;
}

bool LinkLineReader::Next(std::string_view& line)
{
    if (returnedPending_) {
        pending_.clear();
        returnedPending_ = false;
    }
    for (;;) {
        if (begin_ < end_) {
            const char* start = chunk_ + begin_;
            const std::size_t available = end_ - begin_;
            const char* lf = static_cast<const char*>(std::memchr(start, '\n', available));
            if (!lf) {
                AppendWithoutCr(pending_, start, available);
                pendingOpen_ = true;
                begin_ = end_;
                continue;
            }
            const std::size_t length = lf - start;
            begin_ += length + 1;
            ++lineNumber_;
            if (!pendingOpen_ && !std::memchr(start, '\r', length)) {
                line = std::string_view(start, length);
                return true;
            }
            AppendWithoutCr(pending_, start, length);
            pendingOpen_ = false;
            returnedPending_ = true;
            line = pending_;
            return true;
        }
        if (!Refill()) {
            if (!pendingOpen_)
                return false;
            // The last line, ended by the end of the data instead of a line feed.
            ++lineNumber_;
            pendingOpen_ = false;
            returnedPending_ = true;
            line = pending_;
            return true;
        }
    }
}

ParsedLine ParseLinkLine(std::string_view line)
{
    ParsedLine parsed;
    const std::size_t nul = line.find('\0');
    if (nul != std::string_view::npos) {
        parsed.hadNul = true;
        line = line.substr(0, nul);
    }
    if (line.empty())
        return parsed;

    std::size_t blank = 0;
    while (blank < line.size() && !IsBlank(line[blank]))
        ++blank;
    if (blank == line.size()) {
        parsed.kind = LineKind::NoBlank;
        return parsed;
    }
    if (blank == 0) {
        parsed.kind = LineKind::StartsWithBlank;
        return parsed;
    }
    std::size_t start = blank + 1;
    while (start < line.size() && IsBlank(line[start]))
        ++start;
    if (start == line.size()) {
        parsed.kind = LineKind::NoCommand;
        parsed.key = line.substr(0, blank);
        return parsed;
    }
    parsed.kind = LineKind::Entry;
    parsed.key = line.substr(0, blank);
    parsed.command = line.substr(start);
    return parsed;
}

void UpperCaseKey(std::string& key)
{
    for (char& c : key)
        c = UpperCaseKeyByte(c);
}

void MergeLinkLine(ShortcutTable& table, std::string_view line)
{
    const ParsedLine parsed = ParseLinkLine(line);
    if (parsed.kind != LineKind::Entry)
        return;
    std::string key(parsed.key);
    UpperCaseKey(key);
    // The command takes exactly its length: assign() into the empty value
    // would give spare room (twice the 15 bytes a string holds in itself),
    // and into a known key's value would keep its old, longer buffer.
    const auto [entry, added] = table.try_emplace(std::move(key), parsed.command);
    if (!added)
        std::string(parsed.command).swap(entry->second);
}

void MergeLinkStream(ShortcutTable& table, std::FILE* file)
{
    // The reader reads in chunks of its own: a buffer of the C library would
    // only add a heap block of its size to every load.
    std::setvbuf(file, nullptr, _IONBF, 0);
    LinkLineReader reader(file);
    std::string_view line;
    while (reader.Next(line))
        MergeLinkLine(table, line);
}

bool MergeLinkFile(ShortcutTable& table, const char* path)
{
    // Binary mode: the CR and Ctrl-Z rules are the reader's own, whatever the
    // C library's text mode would do.
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    MergeLinkStream(table, file);
    std::fclose(file);
    return true;
}

const std::string* FindCommand(const ShortcutTable& table, std::string_view key)
{
    const auto found = table.find(key);
    return found == table.end() ? nullptr : &found->second;
}
