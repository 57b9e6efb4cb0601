// The CSV and JSON reports of a run.
#pragma once

#include "FileOutcome.h"
#include "RunSettings.h"

// One row per level reading: the stream time, each recorded channel's level,
// then each one's gain. False when the file cannot be written.
bool WriteCsvReport(const std::string& strPath, const CRunRecord& record);

// The settings and every file's outcome with all its readings.
bool WriteJsonReport(const std::string& strPath, const CRunSettings& settings,
                     const std::vector<CFileOutcome>& rgOutcomes);

// The name of one file's report when several files run: "-2" before the
// extension of the second.
std::string NumberedPath(const std::string& strPath, size_t nIndex, size_t nCount);
