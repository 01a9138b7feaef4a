// Replaces the C++ library's verbose terminate handler in kerrow.exe. Only
// running out of memory can throw there, and the popup has no console to
// print to: it ends at once, with no message. Not through std::abort, which
// in the system's C runtime shows a "Runtime error" box in a program without
// a console. The verbose handler would also bring the library's name
// demangler in, which makes the executable some 40% bigger. The file is a
// source of the executable itself, not of a library: the linker takes an
// object out of a library only for a name still missing, and nothing asks
// for this one before the C++ library, which has its own, is searched.
#include <cstdlib>

namespace {

constexpr int kExitTerminated = 3;  // what abort would have given

}  // namespace

namespace __gnu_cxx {               // NOLINT(bugprone-reserved-identifier)
void __verbose_terminate_handler()  // NOLINT(bugprone-reserved-identifier)
{
    std::_Exit(kExitTerminated);
}
}  // namespace __gnu_cxx
