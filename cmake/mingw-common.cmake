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
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s -Wl,--gc-sections")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
