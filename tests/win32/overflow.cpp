// Built and linked like Kerrow: its stack guard and its way of ending.
// With a text, it prints the stack guard, then copies the text into a buffer
// of 8 bytes: a longer one overwrites the guard's copy, and the guard must end
// the program at that function's return, before it prints "returned".
// With --length or --memory, it asks the C++ library for a string past its
// largest or for more memory than there is: nothing catches that, and the
// program must end at once, with exit code 3 and no message.
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>

extern "C" uintptr_t __stack_chk_guard;  // NOLINT(bugprone-reserved-identifier)

[[gnu::noinline]] static void CopyPastEnd(const char* text)
{
    char buffer[8];
    for (char* volatile to = buffer; *text;)  // volatile: the compiler sees no bound to check
        *to++ = *text++;
}

int main(int argc, char** argv)
{
    const std::string_view how = argc > 1 ? argv[1] : "";
    void* volatile kept = nullptr;  // volatile: the allocation is not left out
    if (how == "--length") {
        std::string().reserve(std::string().max_size() + 1);
    } else if (how == "--memory") {
        kept = ::operator new(SIZE_MAX);
    } else {
        std::fprintf(stderr, "guard %llx\n", static_cast<unsigned long long>(__stack_chk_guard));
        CopyPastEnd(argv[1]);
    }
    std::printf("returned %p\n", kept);
}
