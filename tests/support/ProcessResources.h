// What another process holds, to see that repeated work leaks nothing: its
// open handles by kind, as the system's handle list shows them, and its GDI
// objects. Under Wine GetGuiResources is a stub that reports 0, so the GDI
// count is then taken from the process's GDI handle table.
#pragma once

#include <windows.h>

#include <string>

struct CHandleCounts {
    long nKeys = 0;    // registry keys
    long nEvents = 0;
    long nOthers = 0;  // threads, files, mutexes, sections, ...
};

// False when the system's handle list cannot be read.
bool CountHandles(DWORD dwProcessId, CHandleCounts* pCounts);

// -1 when the count cannot be taken.
long GdiObjectCount(HANDLE hProcess);

// Wine's graph manager keeps registry keys and an event of every graph it
// renders and plays after the graph is gone. What one graph of strPath,
// rendered by the graph manager itself and played briefly, leaves behind in
// this process: the most of three after a first.
CHandleCounts PlatformLeakPerGraph(const std::string& strPath);
