// Writes test media: WAV files of generated signals, in the temp folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CWavFormat {
    WORD wFormatTag;     // WAVE_FORMAT_PCM, WAVE_FORMAT_IEEE_FLOAT or WAVE_FORMAT_EXTENSIBLE
    WORD wBitsPerSample;
    WORD nChannels;
    DWORD nSamplesPerSec;
    bool bFloat;         // for WAVE_FORMAT_EXTENSIBLE: the sub-format
};

// Full path of a file in a folder of the test program's own; the folder is
// created on first use.
std::string TestFilePath(const std::string& strName);

// A file made by the build's media script, as a Windows path (drive Z:).
std::string MediaPath(const std::string& strName);

// Writes rgChannels (one vector of samples in [-1, 1] per channel, all of the
// same length) as a WAV file of the given format. False when it cannot.
bool WriteWav(const std::string& strPath, const CWavFormat& format, const std::vector<std::vector<double>>& rgChannels);

// A sine per channel of dblSeconds, peak levels rgdblLevelsDb (one a channel).
std::vector<std::vector<double>> Sines(const std::vector<double>& rgdblLevelsDb, double dblHz, DWORD nRate,
                                       double dblSeconds);
