// Where a thread is stuck: the module of the innermost frame on its stack
// that is not the system's own plumbing (ntdll, kernel32, kernelbase,
// win32u, user32), found by walking the stack with dbghelp. Lets a test tell
// a hang inside the platform's code from one in ours.
#pragma once

#include <windows.h>

#include <string>

// The module's name in lower case without its extension ("quartz",
// "quelmartest"); empty when the stack cannot be read. The thread is
// suspended while its stack is read.
std::string InnermostCallerModule(HANDLE hProcess, DWORD dwThreadId);
