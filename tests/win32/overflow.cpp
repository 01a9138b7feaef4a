// Built and linked like Kerrow. It prints the stack guard, then copies its
// argument into a buffer of 8 bytes: a longer one overwrites the guard's copy,
// and the guard must end the program at that function's return, before it
// prints "returned".
#include <cstdint>
#include <cstdio>

extern "C" uintptr_t __stack_chk_guard;  // NOLINT(bugprone-reserved-identifier)

[[gnu::noinline]] static void CopyPastEnd(const char* text)
{
    char buffer[8];
    for (char* volatile to = buffer; *text;)  // volatile: the compiler sees no bound to check
        *to++ = *text++;
}

int main(int argc, char** argv)
{
    std::fprintf(stderr, "guard %llx\n", static_cast<unsigned long long>(__stack_chk_guard));
    CopyPastEnd(argc > 1 ? argv[1] : "");
    std::puts("returned");
}
