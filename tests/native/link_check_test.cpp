// kerrow-check: the table it prints, its findings and its exit status,
// through the check function and through the built program.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "link_check.h"
#include "test_support.h"

using namespace std::string_literals;

namespace {

struct CheckResult {
    int status;
    std::string out;
    std::string err;
};

// Checks bytes as the file "F": the temporary path is replaced by F in the
// messages.
CheckResult CheckBytes(std::string_view bytes, TargetExistsFunction targetExists = nullptr)
{
    const TempDir dir;
    const std::string path = dir.Write("F", bytes);
    CapturedStream out;
    CapturedStream err;
    const int status = CheckLinkFile(path.c_str(), out.File(), err.File(), targetExists);
    std::string messages = err.Text();
    for (std::size_t at; (at = messages.find(path)) != std::string::npos;)
        messages.replace(at, path.size(), "F");
    return {status, out.Text(), messages};
}

struct CheckCase {
    std::string bytes;
    std::string out;
    std::string err;
    int status;
};

const std::string kNulAdvice = "; a file in a 16-bit encoding such as UTF-16 gives no entries\n";

const CheckCase kCheckCases[] = {
    {"", "", "", kCheckClean},
    {"n\tnotepad.exe\r\nc\tC:\\Windows\\system32\\cmd.exe\t/k\r\n\r\nq\t#EXIT\r\n",
     "C\tC:\\Windows\\system32\\cmd.exe\t/k\nN\tnotepad.exe\nQ\t#EXIT\n", "", kCheckClean},
    {"nokey\n\tN x\nK  \t\n\nA\tb\n", "A\tb\n",
     "F:1: ignored: no TAB or SPACE after the key\n"
     "F:2: ignored: the line starts with a TAB or SPACE\n"
     "F:3: ignored: no command after the key\n",
     kCheckFindings},
    {"n\ta\nN\tb\nN\tc\n", "N\tc\n",
     "F:2: key \"N\" replaces key \"n\" on line 1: keys are compared in upper case\n"
     "F:3: key \"N\" replaces the one on line 2\n",
     kCheckFindings},
    {"abcde\tx\nabcd\ty\n", "ABCD\ty\nABCDE\tx\n",
     "F:1: key \"abcde\" has 5 characters: the input box holds four, so it can never be typed\n",
     kCheckFindings},
    {"\xE4q\tx\n", "\xE4Q\tx\n",
     "F:1: key \"\xE4q\" holds bytes from 0x80 to 0xFF: the input box may change such letters "
     "as they are typed, so it may never match\n",
     kCheckFindings},
    {"L\t" + std::string(260, 'x') + "\nM\t" + std::string(259, 'y'),
     "L\t" + std::string(260, 'x') + "\nM\t" + std::string(259, 'y') + "\n",
     "F:1: the command text is 260 bytes long: at most 259 fit, so this key never runs\n",
     kCheckFindings},
    {"a\t#exit\nb\t#Reload\tmore\nc\t#exit \nd\t#quit\ne\t#\nf\t#closeall  \targs\n",
     "A\t#exit\nB\t#Reload\tmore\nC\t#exit \nD\t#quit\nE\t#\nF\t#closeall  \targs\n",
     "F:3: \"#exit \" is no built-in command: the blanks at its end count, remove them\n"
     "F:4: \"#quit\" is no built-in command (#exit, #reload, #shutdown, #reboot, #empty, "
     "#closeall)\n"
     "F:5: \"#\" is no built-in command (#exit, #reload, #shutdown, #reboot, #empty, #closeall)\n"
     "F:6: \"#closeall  \" is no built-in command: the blanks at its end count, remove them\n",
     kCheckFindings},
    {"a\tx\nb\ty\x1Az\nc\tz\n\nd\tw", "A\tx\nB\ty\n",
     "F:2: a Ctrl-Z byte ends the data here: 4 lines after it are not read\n", kCheckFindings},
    {"a\tx\n\x1Ak\ty\r\n", "A\tx\n",
     "F:2: a Ctrl-Z byte ends the data here: 1 line after it is not read\n", kCheckFindings},
    {"a\tx\r\n\x1A", "A\tx\n", "", kCheckClean},
    {"a\tx\x1A\r\n", "A\tx\n", "", kCheckClean},
    {"\xFF\xFEn\0\t\0x\0\r\0\n\0m\0\t\0y\0\r\0\n\0"s, "",
     "F:1: a NUL byte ends the text of this line, and of 2 later lines" + kNulAdvice,
     kCheckFindings},
    {"bad\na\tx\0junk\n"s, "A\tx\n",
     "F:1: ignored: no TAB or SPACE after the key\nF:2: a NUL byte ends the text of this line" +
         kNulAdvice,
     kCheckFindings},
    {"a\tx\0\nbad\n"s, "A\tx\n",
     "F:1: a NUL byte ends the text of this line" + kNulAdvice +
         "F:2: ignored: no TAB or SPACE after the key\n",
     kCheckFindings},
    {"\xEF\xBB\xBFn\tnotepad.exe\nm\tx\n", "M\tx\n\xEF\xBB\xBFN\tnotepad.exe\n",
     "F:1: the key \"n\" starts with the byte-order mark EF BB BF, so it can never be typed; "
     "save the file without the mark\n",
     kCheckFindings},
};

TEST(LinkCheck, TableFindingsAndStatus)
{
    for (const CheckCase& c : kCheckCases) {
        const CheckResult result = CheckBytes(c.bytes);
        EXPECT_EQ(result.out, c.out) << "input " << Shown(c.bytes);
        EXPECT_EQ(result.err, c.err) << "input " << Shown(c.bytes);
        EXPECT_EQ(result.status, c.status) << "input " << Shown(c.bytes);
    }
}

// As on Windows where only C:\There is there: the targets looked for, and
// the path each finding names (none: "").
TEST(LinkCheck, MissingTargets)
{
    const auto onlyThere = [](const char* path) { return std::string_view(path) == "C:\\There"; };
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\There", ""},
        {"C:\\Gone\\app.exe\t-x C:\\There", "C:\\Gone\\app.exe"},
        {"c:/gone/app.exe", "c:/gone/app.exe"},
        {"\\\\server\\share\\app.exe", "\\\\server\\share\\app.exe"},
        {"https://example.org/", ""},
        {"notepad.exe", ""},
        {"Gone\\app.exe", ""},
        {"C:Gone", ""},
        {"\\Gone\\app.exe", ""},
        {"#exit", ""},
    };
    for (const auto& [value, missing] : cases) {
        const CheckResult result = CheckBytes("K\t" + value + "\n", onlyThere);
        const bool found = result.err.rfind("F:1: ", 0) == 0 &&
            result.err.find("\"" + missing + "\" ") != std::string::npos;
        EXPECT_EQ(found, !missing.empty()) << value << " gave " << Shown(result.err);
        EXPECT_EQ(result.status, missing.empty() ? kCheckClean : kCheckFindings) << value;
    }
}

TEST(LinkCheck, UnreadableFiles)
{
    const TempDir dir;
    const std::pair<std::string, std::string> cases[] = {
        {(dir.Path() / "missing.dat").string(), ": cannot be read: No such file or directory\n"},
        {dir.Path().string(), ": cannot be read: Is a directory\n"},
    };
    for (const auto& [path, reason] : cases) {
        CapturedStream out;
        CapturedStream err;
        const int status = CheckLinkFile(path.c_str(), out.File(), err.File());
        EXPECT_EQ(status, kCheckUnreadable) << path;
        EXPECT_EQ(err.Text(), path + reason) << path;
        EXPECT_EQ(out.Text(), "") << path;
    }
}

// Runs the built kerrow-check in directory, its output caught in files there.
CheckResult RunCheck(const TempDir& directory, std::vector<std::string> arguments)
{
    const std::string outPath = (directory.Path() / "stdout.txt").string();
    const std::string errPath = (directory.Path() / "stderr.txt").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, directory.Path().c_str());
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    arguments.insert(arguments.begin(), KERROW_CHECK_PATH);
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    int status = -1;
    if (posix_spawn(&child, KERROW_CHECK_PATH, &actions, nullptr, argv.data(), environ) == 0)
        waitpid(child, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    const int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return {exitCode, ReadWhole(outPath), ReadWhole(errPath)};
}

TEST(LinkCheck, BuiltProgram)
{
    const TempDir dir;
    dir.Write("link.dat", "n\tnotepad.exe\r\nq\t#exit\r\n");
    dir.Write("-dash", "x\ty\n");
    dir.Write("findings.dat", "n\tnotepad.exe\nN\tcalc.exe\n");
    struct RunCase {
        std::vector<std::string> arguments;
        int status;
        std::string out;  // what stdout and stderr start with; empty: nothing at all
        std::string err;
    };
    const RunCase cases[] = {
        {{}, kCheckClean, "N\tnotepad.exe\nQ\t#exit\n", ""},
        {{"findings.dat"}, kCheckFindings, "N\tcalc.exe\n", "findings.dat:2: key \"N\" replaces"},
        {{"--", "-dash"}, kCheckClean, "X\ty\n", ""},
        {{"missing.dat"}, kCheckUnreadable, "", "missing.dat: cannot be read: "},
        {{"--help"}, kCheckClean, "usage: kerrow-check [FILE]\n", ""},
        {{"-h"}, kCheckClean, "usage: kerrow-check [FILE]\n", ""},
        {{"-x"}, kCheckUnreadable, "", "kerrow-check: unknown option -x\nusage: "},
        {{"link.dat", "findings.dat"}, kCheckUnreadable, "", "kerrow-check: only one FILE"},
    };
    const auto start = [](const std::string& text, const std::string& expected) {
        return expected.empty() ? text : text.substr(0, expected.size());
    };
    for (const RunCase& c : cases) {
        std::string shownArguments;
        for (const std::string& argument : c.arguments)
            shownArguments += " " + argument;
        const CheckResult result = RunCheck(dir, c.arguments);
        EXPECT_EQ(result.status, c.status) << "kerrow-check" << shownArguments;
        EXPECT_EQ(start(result.out, c.out), c.out)
            << "kerrow-check" << shownArguments << " printed " << Shown(result.out);
        EXPECT_EQ(start(result.err, c.err), c.err)
            << "kerrow-check" << shownArguments << " reported " << Shown(result.err);
    }
}

}  // namespace
