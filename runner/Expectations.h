// Expectations evaluated over a time range of one file's record.
#pragma once

#include "RunRecord.h"
#include "RunSettings.h"

struct CExpectationResult {
    bool bPassed;
    std::string strWhat;      // "level of channel 1 within [-6.5, -5.5] dB, 0.25 to 4.75 s"
    std::string strMeasured;  // "-6.02 to -5.98 dB in 90 readings"
    double dblFromSec, dblToSec;
};

// Levels and bands settle after the start and may fade at the end: their
// default range leaves this much out at each end.
constexpr double c_dblSettleSec = 0.25;

// The steady part of a run: c_dblSettleSec in from each end, or the whole
// run when it is too short for that.
void SteadyPart(const CRunRecord& record, double& dblFromSec, double& dblToSec);

CExpectationResult EvaluateExpectation(const CExpectation& expectation, const CRunRecord& record);

// "ok   FILE: WHAT: MEASURED" or "FAIL FILE: WHAT: MEASURED".
std::string ResultLine(const CExpectationResult& result, const std::string& strFile);
