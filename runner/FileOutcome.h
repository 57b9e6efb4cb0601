// One file's run as the reports show it: the record, or why there is none,
// and the expectations' results.
#pragma once

#include "Expectations.h"
#include "RunRecord.h"

struct CFileOutcome {
    CRunRecord record;
    bool bPlayed = false;
    std::string strError;  // when not played
    std::vector<CExpectationResult> rgResults;
};
