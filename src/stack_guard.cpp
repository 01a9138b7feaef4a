// The stack protector's guard and its failure handlers, in place of libssp's.
// With -fstack-protector-strong, a function with a local array or a local
// whose address is taken copies __stack_chk_guard next to its return address
// on entry and calls __stack_chk_fail when the copy differs at its return.
// libssp seeds that guard with CryptGenRandom, which loads a cryptographic
// provider into every process at start-up: about 96 KiB of private memory
// under Wine, as measured (docs/wine-notes.md).
//
// Here it is seeded the way Windows' own compilers seed their stack cookie:
// from the time, the tick count, the performance counter and the process and
// thread ids, and also from where the stack and this image lie, which
// address-space layout randomisation moves per process. That is enough for
// what the guard is for: an overflow from input (a long line of link.dat)
// cannot know the guard, so it cannot write it back unchanged. The counter's
// fast bits and the two addresses differ at every start and cannot be read
// from outside the process; each value is multiplied into the whole guard, so
// that none cancels the bits of another.
//
// When: a constructor of the first priority open to programs. The CRT runs
// the constructors in __main, which its own main calls before WinMain and GCC
// calls at the top of a console program's main, before main stores its copy
// of the guard; only the CRT's start-up code, which is not protected, is on
// the stack then. A protected function that is on the stack while the guard
// changes fails at its return, so this file is built without the protector
// (CMakeLists.txt).
//
// The file is a source of every Windows program, not of a library: its
// object then stands in for libssp's whole, which the linker never takes.
#include <windows.h>

#include <cstdint>

extern "C" {
uintptr_t __stack_chk_guard;  // NOLINT(bugprone-reserved-identifier)
void __stack_chk_fail();      // NOLINT(bugprone-reserved-identifier)
void __chk_fail();            // NOLINT(bugprone-reserved-identifier)
}

namespace {

constexpr uint64_t kMixFactor = 0x9E3779B97F4A7C15;  // odd, its bits well spread

// Multiplying spreads each value over the whole guard, so that the few
// changing bits of one value do not just cancel those of another.
constexpr uint64_t Mix(uint64_t seed, uint64_t value)
{
    seed = (seed ^ value) * kMixFactor;
    return seed ^ (seed >> 32);
}

[[gnu::constructor(101)]] void SeedStackGuard()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    uint64_t seed = Mix(0, uint64_t{now.dwHighDateTime} << 32 | now.dwLowDateTime);
    seed = Mix(seed, static_cast<uint64_t>(counter.QuadPart));
    seed = Mix(seed, GetTickCount64());
    seed = Mix(seed, uint64_t{GetCurrentProcessId()} << 32 | GetCurrentThreadId());
    seed = Mix(seed, reinterpret_cast<uintptr_t>(&counter));
    seed = Mix(seed, reinterpret_cast<uintptr_t>(&__stack_chk_guard));
    __stack_chk_guard = static_cast<uintptr_t>(seed);
}

// The stack or a buffer is already overwritten: nothing in the process can be
// trusted to run, so it ends without unwinding, handlers or a message.
// Windows 8 and later end it in the kernel on int 0x29 with the reason in ecx
// (the __fastfail of Windows' compilers, which MinGW-w64 lacks); older systems
// would take that for an access violation, so they are asked first. There,
// TerminateProcess ends the calling process without returning.
[[noreturn]] void FailFast(unsigned int failFastCode)
{
    if (IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE))
        __asm__ volatile("int $0x29" : : "c"(failFastCode) : "memory");
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    __builtin_trap();  // only if even that failed
}

}  // namespace

void __stack_chk_fail()
{
    FailFast(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE);
}

// Called by the fortified string and stdio functions of MinGW-w64's headers.
void __chk_fail()
{
    FailFast(FAST_FAIL_RANGE_CHECK_FAILURE);
}
