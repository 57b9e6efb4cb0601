// What one run of QuelmarRun is asked to do: the filter settings, the time
// range, the reports and the expectations, as read from the command line.
// Channels are indexes from 0 here (the command line counts from 1).
#pragma once

#include "../filter/Quelmar.h"

#include <string>
#include <vector>

struct CGainSetting {
    ULONG nChannel;  // QUELMAR_ALL_CHANNELS for all
    double dblGainDb;
    ULONG nRampMs;
};

struct CAutoGainSetting {
    ULONG nChannel;  // QUELMAR_ALL_CHANNELS for all
    double dblThresholdDb;
    double dblGainDb;
};

struct CTriggerSetting {
    bool bArmed = false;
    ULONG nChannel = 0;
    bool bBefore = true;  // the level before gain and auto gain
    bool bAbove = true;
    double dblThresholdDb = 0.0;
    ULONG nMinDurationMs = 0;
};

struct CSpectrumSetting {
    bool bBandsGiven = false;
    ULONG nBandsPerOctave = 0;  // 0: analysis off
    bool bWindowGiven = false;
    QUELMAR_WINDOW eWindow = QUELMAR_WINDOW_HANN;
    bool bOrderGiven = false;
    ULONG nOrder = 12;
};

enum class EExpectation { Level, Maximum, Minimum, Band, SignalCount, FirstSignal };

struct CExpectation {
    EExpectation eKind;
    ULONG nChannel = 0;     // Level, Maximum, Minimum, Band
    double dblHz = 0.0;     // Band: the band that holds this frequency
    double dblLow = 0.0;    // the accepted range (FirstSignal: dblHigh is the latest time, s)
    double dblHigh = 0.0;
    bool bRangeGiven = false;  // otherwise the default range of its kind
    double dblFromSec = 0.0;
    double dblToSec = 0.0;
};

struct CRunSettings {
    bool bHelp = false;
    std::vector<ULONG> rgChannels;  // recorded channels; empty: all of the file's
    std::vector<CGainSetting> rgGains;
    std::vector<CAutoGainSetting> rgAutoGains;
    CTriggerSetting trigger;
    CSpectrumSetting spectrum;
    bool bFromGiven = false;
    double dblFromSec = 0.0;
    bool bToGiven = false;
    double dblToSec = 0.0;
    bool bTimeoutGiven = false;  // otherwise each step has its own allowance
    double dblTimeoutSec = 0.0;
    std::string strCsvPath, strJsonPath, strPngPath;
    std::vector<CExpectation> rgExpectations;
    std::vector<std::string> rgFiles;

    // Whether spectrum readings are taken (analysis switched on here).
    bool RecordsSpectrum() const { return spectrum.bBandsGiven && spectrum.nBandsPerOctave != 0; }
};
