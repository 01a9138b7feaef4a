// The environment the programs Kerrow starts are given: Kerrow's own, with
// the user's %VARIABLES% taken from it.
#pragma once

#include <windows.h>

#include <cstddef>

// ExpandEnvironmentStringsA with the expander's contract of command_text.h.
inline std::size_t ExpandWithEnvironment(const char* text, char* out, std::size_t size)
{
    return ExpandEnvironmentStringsA(text, out, static_cast<DWORD>(size));
}

// Takes the user's current environment as the shell does when the system
// says it changed: every variable it defines gets its value, new ones
// appear, and the others stay as they are. Does nothing where userenv.dll or
// the process's token cannot be had.
void RefreshEnvironment();
