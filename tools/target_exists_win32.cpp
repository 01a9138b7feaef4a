// kerrow-check on Windows: whether a command's target is there.
#include <windows.h>

#include "link_check.h"

bool TargetExists(const char* path)
{
    // An empty disk drive fails the query quietly instead of asking for a disk.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    const bool found = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    const DWORD error = GetLastError();
    SetErrorMode(previousMode);
    // Only an answer that it is not there counts: a folder the user may not
    // read, or a network that does not answer, says nothing about the target.
    switch (found ? ERROR_SUCCESS : error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NOT_READY:
        return false;
    default:
        return true;
    }
}
