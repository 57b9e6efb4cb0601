// What one file's run recorded: the filter's readings on the stream's time
// line, the trigger signals, and what describes the run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One reading every 50 ms of stream time: each recorded channel's level and
// gain read back, in the order of CRunRecord::rgChannels.
struct CLevelReading {
    double dblTimeSec;
    std::vector<double> rgdblLevelDb;
    std::vector<double> rgdblGainDb;
};

// One reading every 100 ms while the spectrum is recorded: the bands of each
// recorded channel (an empty vector while the filter has none yet).
struct CSpectrumReading {
    double dblTimeSec;
    std::vector<std::vector<double>> rgrgdblBandsDb;
};

// A run of the trigger's event being set without a pause over 300 ms: the
// stream times of its first and last setting.
struct CTriggerSignal {
    double dblStartSec;
    double dblEndSec;
};

struct CRunRecord {
    std::string strFile;
    std::string strFilterVersion;
    ULONG nFileChannels = 0;
    std::vector<ULONG> rgChannels;  // the recorded channels, from 0
    double dblDurationSec = 0.0;
    double dblStartSec = 0.0;        // where playing started
    double dblEndSec = 0.0;          // where it ended
    ULONG nBandsPerOctave = 0;       // of the spectrum readings; 0 without
    std::vector<CLevelReading> rgLevels;
    std::vector<CSpectrumReading> rgSpectra;
    std::vector<CTriggerSignal> rgSignals;

    // Position of a channel (from 0) among the recorded ones; -1 when not recorded.
    int ColumnOf(ULONG nChannel) const
    {
        for (size_t i = 0; i < rgChannels.size(); ++i)
            if (rgChannels[i] == nChannel)
                return static_cast<int>(i);
        return -1;
    }
};
