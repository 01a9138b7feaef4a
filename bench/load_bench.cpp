// Loading link.dat against the least any loader must do (read the file and
// find its line ends), and resolving a typed key.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "commands/command_text.h"
#include "table/shortcut_table.h"

namespace {

// The one scratch file of a run, removed when the run ends.
char gPath[] = "/tmp/kerrow-bench-XXXXXX";
bool gMade = false;

std::string LinkFileOf(int lines)
{
    char* path = gPath;
    if (!gMade) {
        close(mkstemp(path));
        gMade = true;
    }
    std::FILE* file = std::fopen(path, "wb");
    for (int i = 0; i < lines; ++i)
        std::fprintf(file, "k%d\tC:\\Program Files\\Tools %d\\tool.exe\t-x --name=%d\r\n", i, i, i);
    std::fclose(file);
    return path;
}

void Floor(benchmark::State& state)
{
    const std::string path = LinkFileOf(static_cast<int>(state.range(0)));
    static char chunk[64 * 1024];
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::size_t lineEnds = 0;
        std::size_t length;
        while ((length = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
            for (const char* p = chunk;
                 (p = static_cast<const char*>(std::memchr(p, '\n', chunk + length - p))); ++p)
                ++lineEnds;
        }
        std::fclose(file);
        benchmark::DoNotOptimize(lineEnds);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Load(benchmark::State& state)
{
    const std::string path = LinkFileOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ShortcutTable table;
        MergeLinkFile(table, path.c_str());
        benchmark::DoNotOptimize(table.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The text part of a keystroke: look the key up and split its value.
void Resolve(benchmark::State& state)
{
    const std::string path = LinkFileOf(static_cast<int>(state.range(0)));
    ShortcutTable table;
    MergeLinkFile(table, path.c_str());
    const std::string key = "K" + std::to_string(state.range(0) / 2);
    char command[kCommandBufferSize];
    const char* arguments;
    for (auto _ : state) {
        const std::string* value = FindCommand(table, key);
        benchmark::DoNotOptimize(value && SplitCommandValue(*value, command, arguments));
    }
}

}  // namespace

BENCHMARK(Floor)->Arg(100)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(Load)->Arg(100)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(Resolve)->Arg(1000)->Arg(1000000);
int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (gMade)
        unlink(gPath);
}
