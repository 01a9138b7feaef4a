// How kerrow.exe ends when the C++ library cannot go on: at once, with no
// message. Only running out of memory (or a string past the library's
// largest) gets here, nothing catches it, and the popup has no console to
// print to. Not through std::abort, which in the system's C runtime shows a
// "Runtime error" box in a program without a console.
//
// These replace the library's own: its verbose terminate handler, and the
// helpers its string and allocator code call to throw. The verbose handler
// would bring the library's name demangler in; the throwing helpers bring
// the exception classes, and with them a second, reference-counted string
// implementation for their messages and the library's random device: some
// 40 KiB of a program that can only end there anyway. What the user sees is
// the same as before: a throw that nothing catches ended in the terminate
// handler. The file is a source of the executable itself, not of a library:
// the linker takes an object out of a library only for a name still missing,
// and nothing asks for these before the C++ library, which has its own, is
// searched. Should the library ever ask for a helper not here, its own
// object comes in and the link fails on the names defined twice.
//
// The same goes for the four functions that allocate an exception object.
// The library's own come with an emergency pool for throwing when memory is
// short, which a static constructor takes from the heap at start-up (18,944
// bytes on i686, 74,752 on x86_64) and which a process that only ends on a
// throw never uses: measured under Wine, 8 KiB of private memory for nothing.
// A throw now ends the program when it allocates its exception, as it ended
// in the terminate handler before.
#include <cstddef>
#include <cstdlib>

namespace {

constexpr int kExitTerminated = 3;  // what abort would have given

[[noreturn]] void ExitWithoutMessage()
{
    std::_Exit(kExitTerminated);
}

}  // namespace

namespace __gnu_cxx {               // NOLINT(bugprone-reserved-identifier)
void __verbose_terminate_handler()  // NOLINT(bugprone-reserved-identifier)
{
    ExitWithoutMessage();
}
}  // namespace __gnu_cxx

// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl58-cpp)
namespace std {
void __throw_bad_alloc()
{
    ExitWithoutMessage();
}
void __throw_length_error(const char*)
{
    ExitWithoutMessage();
}
void __throw_logic_error(const char*)
{
    ExitWithoutMessage();
}
void __throw_out_of_range_fmt(const char*, ...)
{
    ExitWithoutMessage();
}
}  // namespace std

extern "C" {
void* __cxa_allocate_exception(std::size_t) noexcept
{
    ExitWithoutMessage();
}
void __cxa_free_exception(void*) noexcept
{
    ExitWithoutMessage();
}
void* __cxa_allocate_dependent_exception() noexcept
{
    ExitWithoutMessage();
}
void __cxa_free_dependent_exception(void*) noexcept
{
    ExitWithoutMessage();
}
}
// NOLINTEND(bugprone-reserved-identifier,cert-dcl58-cpp)
