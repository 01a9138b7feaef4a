// The heap blocks of a program after its start-up, for the account of what
// Kerrow costs over the floor: linked into copies of both programs
// (kerrow_census, floor_census), never into kerrow.exe. A constructor hooks
// the messages the main thread takes from its queue; when it takes WM_CLOSE
// (the probe's close, once the program has started and waited for input),
// and before the program sees it, the hook walks every heap of the process
// (HeapWalk) and writes census.txt in the current folder: per heap, its
// committed bytes and its busy blocks (count, bytes asked for, the heap's own
// overhead), and for the C runtime's heap, which holds the table, the count
// of blocks of each size. Nothing is allocated until every heap is walked.
// (WaitForInputIdle cannot tell a program when it is itself idle: Wine
// returns at once for the calling process.)
#include <windows.h>

#include <malloc.h>

#include <cstdio>

namespace {

constexpr DWORD kMaxHeaps = 64;
constexpr int kMaxSizes = 256;

struct HeapFigures {
    const char* name;
    unsigned committed, busy, bytes, overhead;
    int sizeCount;                 // the C runtime's heap only
    unsigned sizes[kMaxSizes][2];  // bytes asked for, blocks
};

HeapFigures gHeaps[kMaxHeaps];

void WalkHeap(HANDLE heap, HeapFigures& figures, bool bySize)
{
    PROCESS_HEAP_ENTRY entry = {};
    HeapLock(heap);
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_REGION) {
            figures.committed += entry.Region.dwCommittedSize;
        } else if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
            ++figures.busy;
            figures.bytes += entry.cbData;
            figures.overhead += entry.cbOverhead;
            int i = 0;
            while (bySize && i < figures.sizeCount && figures.sizes[i][0] != entry.cbData)
                ++i;
            if (bySize && i == figures.sizeCount && i < kMaxSizes)
                figures.sizes[figures.sizeCount++][0] = entry.cbData;
            if (bySize && i < figures.sizeCount)
                ++figures.sizes[i][1];
        }
    }
    HeapUnlock(heap);
}

void TakeCensus()
{
    HANDLE heaps[kMaxHeaps];
    const DWORD count = GetProcessHeaps(kMaxHeaps, heaps);
    const HANDLE runtime = reinterpret_cast<HANDLE>(_get_heap_handle());
    for (DWORD i = 0; i < count && i < kMaxHeaps; ++i) {
        gHeaps[i].name = heaps[i] == GetProcessHeap() ? "process"
            : heaps[i] == runtime                     ? "C runtime"
                                                      : "other";
        WalkHeap(heaps[i], gHeaps[i], heaps[i] == runtime);
    }
    // Only now anything that may allocate: the figures are taken.
    std::FILE* file = std::fopen("census.tmp", "w");
    if (!file)
        return;
    for (DWORD i = 0; i < count && i < kMaxHeaps; ++i) {
        const HeapFigures& heap = gHeaps[i];
        std::fprintf(file,
                     "%s heap: %u bytes committed, %u blocks in use: %u bytes, %u of overhead\n",
                     heap.name, heap.committed, heap.busy, heap.bytes, heap.overhead);
        for (int j = 0; j < heap.sizeCount; ++j)
            std::fprintf(file, "  %u blocks of %u bytes\n", heap.sizes[j][1], heap.sizes[j][0]);
    }
    std::fclose(file);
    // Whole or not at all, for a script that waits for it.
    MoveFileExA("census.tmp", "census.txt", MOVEFILE_REPLACE_EXISTING);
}

LRESULT CALLBACK OnMessageTaken(int code, WPARAM removed, LPARAM message)
{
    static bool taken = false;
    if (code == HC_ACTION && removed == PM_REMOVE &&
        reinterpret_cast<const MSG*>(message)->message == WM_CLOSE && !taken) {
        taken = true;
        TakeCensus();
    }
    return CallNextHookEx(nullptr, code, removed, message);
}

// The hook itself adds a block or two to the process heap, in both programs
// alike.
struct StartCensus {
    StartCensus()
    {
        SetWindowsHookExA(WH_GETMESSAGE, OnMessageTaken, nullptr, GetCurrentThreadId());
    }
} gStartCensus;

}  // namespace
