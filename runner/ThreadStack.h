// Where a thread is stuck: the module of the innermost frame on its stack
// that is not the system's own plumbing (ntdll, kernel32, kernelbase,
// win32u, user32), found by walking the stack with dbghelp. Tells a hang
// inside the platform's code (a decoder, the graph manager) from one in a
// filter or in ours, for the runner's stall reports and for the tests.
#pragma once

#include <windows.h>

#include <string>

// The module's name in lower case without its extension ("quartz",
// "quelmartest"); empty when the stack cannot be read. The thread is
// suspended while its stack is read.
std::string InnermostCallerModule(HANDLE hProcess, DWORD dwThreadId);
