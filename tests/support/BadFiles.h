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

// Missing, empty, random bytes, truncated WAV, a folder.
const std::vector<CBadFileCase>& BadFiles();

// The first half of an AAC-in-MP4 file, whose index comes last. Wine's
// GStreamer parser now and then never returns from such a file.
std::string TruncatedMp4File();

// Writes strBytes as the test file pszName; returns its path.
std::string WriteBytes(const char* pszName, const std::string& strBytes);

// The status of the graph manager's own RenderFile on a new graph, run in a
// process of its own (RenderFileProbe.exe); tried once more when it does not
// return within 20 s, then HRESULT_FROM_WIN32(ERROR_TIMEOUT). A hung probe is
// ended, so no hung platform thread stays in the test's process (one left
// there made the process crash as it exited).
HRESULT RenderFileStatus(const std::string& strPath);
