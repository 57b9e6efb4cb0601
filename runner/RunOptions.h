// The command line of QuelmarRun: options and file names into CRunSettings.
#pragma once

#include "RunSettings.h"

#include <string>
#include <vector>

// S_OK with the settings filled; E_INVALIDARG with a one-line message that
// names the option and what it accepts.
HRESULT ParseRunOptions(const std::vector<std::string>& rgArgs, CRunSettings& settings, std::string& strError);

// The text --help prints: every option with its values and ranges.
const char* RunHelpText();

// Limits the options accept.
constexpr ULONG c_nMaxChannels = 64;
constexpr double c_dblMaxGainDb = 40.0;
constexpr ULONG c_nMaxRampMs = 10000;
constexpr double c_dblMinAutoGainDb = -20.0;
constexpr double c_dblMinTriggerDb = -60.0;
constexpr ULONG c_nMaxMinDurationMs = 60000;
constexpr ULONG c_nMinFftOrder = 10;
constexpr ULONG c_nMaxFftOrder = 15;
