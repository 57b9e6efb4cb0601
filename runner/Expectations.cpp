#include "Expectations.h"

#include "Bands.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Format(const char* pszFormat, double dbl)
{
    char sz[64];
    snprintf(sz, sizeof(sz), pszFormat, dbl);
    return sz;
}

std::string Range(const CExpectation& expectation, const char* pszUnit)
{
    return "[" + Format("%g", expectation.dblLow) + ", " + Format("%g", expectation.dblHigh) + "]" + pszUnit;
}

bool IsSteadyKind(EExpectation eKind)
{
    return eKind == EExpectation::Level || eKind == EExpectation::Band;
}

// The expectation's time range: as given, or the steady part of the run for
// levels and bands (the whole run when that is empty), or the whole run.
void TimeRange(const CExpectation& expectation, const CRunRecord& record, double& dblFrom, double& dblTo)
{
    if (expectation.bRangeGiven) {
        dblFrom = expectation.dblFromSec;
        dblTo = expectation.dblToSec;
        return;
    }
    if (IsSteadyKind(expectation.eKind)) {
        SteadyPart(record, dblFrom, dblTo);
        return;
    }
    dblFrom = record.dblStartSec;
    dblTo = record.dblEndSec;
}

bool InRange(double dblTime, double dblFrom, double dblTo)
{
    return dblTime >= dblFrom && dblTime <= dblTo;
}

// The lowest and highest of the values in range; false when there are none.
struct CSpan {
    double dblLow = 0.0, dblHigh = 0.0;
    double dblLowAt = 0.0, dblHighAt = 0.0;
    size_t nCount = 0;

    void Add(double dblValue, double dblTime)
    {
        if (nCount == 0 || dblValue < dblLow) {
            dblLow = dblValue;
            dblLowAt = dblTime;
        }
        if (nCount == 0 || dblValue > dblHigh) {
            dblHigh = dblValue;
            dblHighAt = dblTime;
        }
        ++nCount;
    }
};

CSpan LevelSpan(const CRunRecord& record, ULONG nChannel, double dblFrom, double dblTo)
{
    CSpan span;
    int iColumn = record.ColumnOf(nChannel);
    for (const CLevelReading& reading : record.rgLevels)
        if (iColumn >= 0 && InRange(reading.dblTimeSec, dblFrom, dblTo))
            span.Add(reading.rgdblLevelDb[iColumn], reading.dblTimeSec);
    return span;
}

CSpan BandSpan(const CRunRecord& record, ULONG nChannel, int iBand, double dblFrom, double dblTo)
{
    CSpan span;
    int iColumn = record.ColumnOf(nChannel);
    for (const CSpectrumReading& reading : record.rgSpectra) {
        if (iColumn < 0 || !InRange(reading.dblTimeSec, dblFrom, dblTo))
            continue;
        const std::vector<double>& rgdblBands = reading.rgrgdblBandsDb[iColumn];
        if (iBand < static_cast<int>(rgdblBands.size()))
            span.Add(rgdblBands[iBand], reading.dblTimeSec);
    }
    return span;
}

void EvaluateSpanOfAll(const CExpectation& expectation, const CSpan& span, CExpectationResult& result)
{
    if (span.nCount == 0) {
        result.strMeasured = "no readings in the range";
        return;
    }
    result.bPassed = span.dblLow >= expectation.dblLow && span.dblHigh <= expectation.dblHigh;
    result.strMeasured = Format("%.2f", span.dblLow) + " to " + Format("%.2f", span.dblHigh) + " dB in " +
                         std::to_string(span.nCount) + " readings";
}

void EvaluateExtreme(const CExpectation& expectation, const CSpan& span, bool bMaximum, CExpectationResult& result)
{
    if (span.nCount == 0) {
        result.strMeasured = "no readings in the range";
        return;
    }
    double dblValue = bMaximum ? span.dblHigh : span.dblLow;
    double dblAt = bMaximum ? span.dblHighAt : span.dblLowAt;
    result.bPassed = dblValue >= expectation.dblLow && dblValue <= expectation.dblHigh;
    result.strMeasured = Format("%.2f", dblValue) + " dB at " + Format("%.2f", dblAt) + " s";
}

std::vector<const CTriggerSignal*> SignalsIn(const CRunRecord& record, double dblFrom, double dblTo)
{
    std::vector<const CTriggerSignal*> rgSignals;
    for (const CTriggerSignal& signal : record.rgSignals)
        if (InRange(signal.dblStartSec, dblFrom, dblTo))
            rgSignals.push_back(&signal);
    return rgSignals;
}

std::string Over(double dblFrom, double dblTo)
{
    return ", " + Format("%.2f", dblFrom) + " to " + Format("%.2f", dblTo) + " s";
}

std::string ChannelName(ULONG nChannel)
{
    return "channel " + std::to_string(nChannel + 1);
}

}  // namespace

void SteadyPart(const CRunRecord& record, double& dblFromSec, double& dblToSec)
{
    dblFromSec = record.dblStartSec;
    dblToSec = record.dblEndSec;
    if (dblToSec - dblFromSec > 2 * c_dblSettleSec) {
        dblFromSec += c_dblSettleSec;
        dblToSec -= c_dblSettleSec;
    }
}

CExpectationResult EvaluateExpectation(const CExpectation& expectation, const CRunRecord& record)
{
    CExpectationResult result = {false, "", "", 0.0, 0.0};
    double dblFrom = 0.0, dblTo = 0.0;
    TimeRange(expectation, record, dblFrom, dblTo);
    result.dblFromSec = dblFrom;
    result.dblToSec = dblTo;
    std::string strOver = Over(dblFrom, dblTo);
    switch (expectation.eKind) {
    case EExpectation::Level:
        result.strWhat = "level of " + ChannelName(expectation.nChannel) + " within " + Range(expectation, " dB") +
                         strOver;
        EvaluateSpanOfAll(expectation, LevelSpan(record, expectation.nChannel, dblFrom, dblTo), result);
        break;
    case EExpectation::Maximum:
    case EExpectation::Minimum: {
        bool bMaximum = expectation.eKind == EExpectation::Maximum;
        result.strWhat = std::string(bMaximum ? "highest" : "lowest") + " level of " +
                         ChannelName(expectation.nChannel) + " within " + Range(expectation, " dB") + strOver;
        EvaluateExtreme(expectation, LevelSpan(record, expectation.nChannel, dblFrom, dblTo), bMaximum, result);
        break;
    }
    case EExpectation::Band: {
        int iBand = BandOfFrequency(expectation.dblHz, record.nBandsPerOctave);
        result.strWhat = "band at " + Format("%g", expectation.dblHz) + " Hz of " + ChannelName(expectation.nChannel) +
                         " within " + Range(expectation, " dB") + strOver;
        if (iBand < 0) {
            result.strMeasured = "no band holds this frequency (15.6 Hz to 16 kHz)";
            break;
        }
        result.strWhat += " (band " + std::to_string(iBand + 1) + ", " +
                          Format("%.1f", BandCentreHz(iBand, record.nBandsPerOctave)) + " Hz)";
        EvaluateSpanOfAll(expectation, BandSpan(record, expectation.nChannel, iBand, dblFrom, dblTo), result);
        break;
    }
    case EExpectation::SignalCount: {
        size_t nSignals = SignalsIn(record, dblFrom, dblTo).size();
        result.strWhat = "trigger signals within " + Range(expectation, "") + strOver;
        result.bPassed = nSignals >= expectation.dblLow && nSignals <= expectation.dblHigh;
        result.strMeasured = std::to_string(nSignals) + " signal(s)";
        break;
    }
    case EExpectation::FirstSignal: {
        std::vector<const CTriggerSignal*> rgSignals = SignalsIn(record, dblFrom, dblTo);
        result.strWhat = "first trigger signal no later than " + Format("%g", expectation.dblHigh) + " s" + strOver;
        if (rgSignals.empty()) {
            result.strMeasured = "no signal";
            break;
        }
        result.bPassed = rgSignals.front()->dblStartSec <= expectation.dblHigh;
        result.strMeasured = "first at " + Format("%.2f", rgSignals.front()->dblStartSec) + " s";
        break;
    }
    }
    return result;
}

std::string ResultLine(const CExpectationResult& result, const std::string& strFile)
{
    return std::string(result.bPassed ? "ok   " : "FAIL ") + strFile + ": " + result.strWhat + ": " +
           result.strMeasured;
}
