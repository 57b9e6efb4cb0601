// Files the graph manager cannot render, made on demand in the test folder,
// and what the graph manager itself says of a file, for comparison.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CBadFileCase {
    const char* pszName;
    std::string (*pfnMake)();  // makes the file (or folder) and returns its path
};

// Missing, empty, random bytes, truncated WAV, truncated MP4, a folder.
const std::vector<CBadFileCase>& BadFiles();

// Writes strBytes as the test file pszName; returns its path.
std::string WriteBytes(const char* pszName, const std::string& strBytes);

// The status of the graph manager's own RenderFile on a new graph; COM must
// be initialised on the calling thread.
HRESULT RenderFileStatus(const std::string& strPath);
