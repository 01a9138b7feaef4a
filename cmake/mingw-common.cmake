# Shared by the MinGW-w64 toolchain files; KERROW_MINGW_TRIPLET is set first.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: GoogleTest needs std::mutex, which the win32 model
# lacks. Everything is linked statically, so no threading DLL comes along.
set(CMAKE_C_COMPILER ${KERROW_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KERROW_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KERROW_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KERROW_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Only Windows' own DLLs in the import table, and no time stamp in the PE
# header so that two builds of one commit are byte for byte the same.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")
set(CMAKE_C_FLAGS_RELEASE_INIT "-O2 -DNDEBUG -ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_RELEASE_INIT "-O2 -DNDEBUG -ffunction-sections -fdata-sections")

# Hardened executables: address-space layout randomisation (with the
# relocations it needs), DEP, terminal-server aware, high-entropy addresses
# on x86_64; the stack protector, and the fortified string functions of
# MinGW-w64's headers. The stack protector's guard and failure handlers are
# the programs' own (src/stack_guard.cpp, linked into each program), which
# seed the guard without loading a cryptographic provider; libssp, linked
# statically by -fstack-protector-strong, is left to give only the fortified
# functions' checked versions where a program needs one.
set(kerrowHardening "-fstack-protector-strong")
# The oldest Windows the programs start on is 7: the headers declare nothing
# newer, so a direct call to a function Windows 7 lacks fails the build
# instead of the start on such a system. Newer functions are found at run
# time (src/optional_functions.h).
set(kerrowWindows "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")
set(CMAKE_C_FLAGS_INIT "${kerrowHardening} ${kerrowWindows}")
set(CMAKE_CXX_FLAGS_INIT "${kerrowHardening} ${kerrowWindows}")
string(APPEND CMAKE_C_FLAGS_RELEASE_INIT " -D_FORTIFY_SOURCE=2")
string(APPEND CMAKE_CXX_FLAGS_RELEASE_INIT " -D_FORTIFY_SOURCE=2")
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT
  " ${kerrowHardening} -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware")
if(KERROW_MINGW_TRIPLET MATCHES "^x86_64")
  string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--high-entropy-va")
endif()

# Every section starts at a page boundary in the file, as it does in memory.
# Windows shares an image's pages with its file either way; Wine maps a
# section from the file only where the two line up, and otherwise reads it
# into private pages of every process: the whole program, code included,
# would count as its private memory.
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--file-alignment,4096")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s -Wl,--gc-sections")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
