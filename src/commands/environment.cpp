// A resident launcher keeps the environment it was started with at sign-in,
// and every program it starts inherits that: a variable the user sets later
// (in the System settings, or with setx) would never reach them. Windows
// sends WM_SETTINGCHANGE with "Environment" to every top-level window when
// the user's variables change; the shell then builds its environment anew
// from the registry with CreateEnvironmentBlock, and so does Kerrow, with
// its own token. The block is built without inheriting Kerrow's environment
// (it holds only what the system and the user define), so it is merged:
// variables it does not define, such as those a script set before starting
// Kerrow, are kept. userenv.dll is loaded only then, the first time, from the
// system folder: Kerrow imports nothing more for it.
#include "commands/environment.h"

#include <cwchar>

#include "optional_functions.h"

namespace {

// The block's strings, "NAME=VALUE" one after the other, end with an empty
// one. A name never ends at a first '=' (the hidden "=C:" variables start
// with one). The block is ours until it is destroyed: each name is ended in
// place, where its '=' stood.
void SetEach(wchar_t* block)
{
    for (wchar_t* entry = block; *entry;) {
        const std::size_t length = std::wcslen(entry);
        if (wchar_t* equals = std::wcschr(entry + 1, L'=')) {
            *equals = L'\0';
            SetEnvironmentVariableW(entry, equals + 1);
        }
        entry += length + 1;
    }
}

}  // namespace

void RefreshEnvironment()
{
    FindUserEnvFunctions();
    const auto create = gOptionalFunctions.createEnvironmentBlock;
    const auto destroy = gOptionalFunctions.destroyEnvironmentBlock;
    HANDLE token;
    if (create && destroy &&
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &token)) {
        void* block;
        if (create(&block, token, FALSE)) {
            SetEach(static_cast<wchar_t*>(block));
            destroy(block);
        }
        CloseHandle(token);
    }
}
