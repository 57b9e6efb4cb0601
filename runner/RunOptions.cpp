#include "RunOptions.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double c_dblDefaultRampMs = 100;  // the dialog's ramp
constexpr double c_dblMinTimeoutSec = 0.1;
constexpr double c_dblMaxTimeoutSec = 86400.0;

const char c_szHelp[] =
    "Usage: QuelmarRun [options] FILE...\n"
    "Builds each file's graph with the level filter as QuelmarTest does, plays it to its end in real time\n"
    "and records what the filter reports. Channels count from 1; times are stream times in seconds.\n"
    "\n"
    "Filter settings:\n"
    "  --channels LIST            channels recorded, e.g. 1,2 (1 to 64; default: all)\n"
    "  --gain CH|all:DB[:MS]      gain -40 to 40 dB, ramp 0 to 10000 ms (default 100); repeatable\n"
    "  --auto-gain CH|all:THRESHOLD:GAIN\n"
    "                             auto gain, threshold and gain -20 to 0 dB; repeatable\n"
    "  --trigger CH:before|after:above|below:THRESHOLD[:MS]\n"
    "                             level notification, threshold -60 to 0 dB, minimum duration\n"
    "                             0 to 60000 ms (default 0)\n"
    "  --spectrum N               bands per octave: 0 (off), 1, 2, 3 or 6; N > 0 records the spectrum\n"
    "  --window NAME              uniform, bartlett, blackman, hamming or hann\n"
    "  --fft-order N              10 to 15\n"
    "  --from SECONDS             start playing here (0 or more)\n"
    "  --to SECONDS               stop playing here (after --from)\n"
    "  --timeout SECONDS          stop the run (exit 2) when a file is not built, played and closed\n"
    "                             within SECONDS, 0.1 to 86400 (default: 60 s to build the graph,\n"
    "                             the played length and 60 s to play, 30 s to close)\n"
    "\n"
    "Expectations (each with an optional range @FROM:TO in seconds):\n"
    "  --expect-level CH:MIN:MAX  every level reading within [MIN, MAX] dB (default range: the steady\n"
    "                             part, 0.25 s after the start to 0.25 s before the end)\n"
    "  --expect-max CH:MIN:MAX    the highest level within [MIN, MAX] dB (default: the whole run)\n"
    "  --expect-min CH:MIN:MAX    the lowest level within [MIN, MAX] dB (default: the whole run)\n"
    "  --expect-band CH:HZ:MIN:MAX\n"
    "                             every spectrum reading of the band holding HZ within [MIN, MAX] dB\n"
    "                             (needs --spectrum; default range: the steady part)\n"
    "  --expect-signals MIN:MAX   the number of trigger signals within [MIN, MAX] (needs --trigger)\n"
    "  --expect-first-signal SECONDS\n"
    "                             the first trigger signal no later than SECONDS (needs --trigger)\n"
    "\n"
    "Reports (with several files, -1, -2, ... is added to the CSV and PNG names):\n"
    "  --csv PATH                 one row per level reading: time, each channel's level and gain\n"
    "  --json PATH                settings, filter version, every reading, signals and results\n"
    "  --png PATH                 the levels over time and the spectrum as a picture\n"
    "  --help                     this text\n"
    "\n"
    "A trigger signal is a run of the filter's event being set with no pause over 300 ms.\n"
    "Exit code: 0 all expectations passed, 1 one failed, 2 the run could not be made.\n";

// Reads the colon-separated fields of one option's value; the first fault
// becomes the message.
class CFieldReader {
public:
    CFieldReader(const std::string& strOption, const std::string& strValue, std::string& strError)
        : m_strOption(strOption), m_strError(strError)
    {
        size_t nStart = 0;
        for (;;) {
            size_t nColon = strValue.find(':', nStart);
            m_rgFields.push_back(strValue.substr(nStart, nColon - nStart));
            if (nColon == std::string::npos)
                break;
            nStart = nColon + 1;
        }
    }

    // The field count within nMin .. nMax; otherwise the option's form is told.
    bool Count(size_t nMin, size_t nMax, const char* pszForm)
    {
        if (m_rgFields.size() >= nMin && m_rgFields.size() <= nMax)
            return true;
        return Fail(std::string("expected ") + pszForm);
    }
    size_t Size() const { return m_rgFields.size(); }

    bool Channel(size_t i, bool bAllowAll, ULONG& nChannel)
    {
        if (bAllowAll && m_rgFields[i] == "all") {
            nChannel = QUELMAR_ALL_CHANNELS;
            return true;
        }
        ULONG nOneBased = 0;
        if (!ParseUnsigned(m_rgFields[i], nOneBased) || nOneBased < 1 || nOneBased > c_nMaxChannels)
            return Fail("the channel must be 1 to 64" + std::string(bAllowAll ? " or all" : ""), i);
        nChannel = nOneBased - 1;
        return true;
    }

    bool Number(size_t i, const char* pszWhat, double dblLow, double dblHigh, const char* pszUnit, double& dbl)
    {
        if (!ParseNumber(m_rgFields[i], dbl) || dbl < dblLow || dbl > dblHigh)
            return Fail(std::string(pszWhat) + " must be " + Format(dblLow) + " to " + Format(dblHigh) + pszUnit, i);
        return true;
    }

    bool AnyNumber(size_t i, const char* pszWhat, double& dbl)
    {
        if (!ParseNumber(m_rgFields[i], dbl))
            return Fail(std::string(pszWhat) + " must be a number", i);
        return true;
    }

    bool Unsigned(size_t i, const char* pszWhat, ULONG nLow, ULONG nHigh, const char* pszUnit, ULONG& n)
    {
        if (!ParseUnsigned(m_rgFields[i], n) || n < nLow || n > nHigh)
            return Fail(std::string(pszWhat) + " must be " + std::to_string(nLow) + " to " + std::to_string(nHigh) +
                            pszUnit,
                        i);
        return true;
    }

    // Index of the field's word in rgszWords (a null-terminated list).
    bool Choice(size_t i, const char* pszWhat, const char* const* rgszWords, ULONG& nChoice)
    {
        std::string strWords;
        for (ULONG n = 0; rgszWords[n]; ++n) {
            if (m_rgFields[i] == rgszWords[n]) {
                nChoice = n;
                return true;
            }
            strWords += std::string(n ? ", " : "") + rgszWords[n];
        }
        return Fail(std::string(pszWhat) + " must be one of " + strWords, i);
    }

    // The range the low and high fields give must not be reversed.
    bool Ordered(double dblLow, double dblHigh)
    {
        if (dblLow <= dblHigh)
            return true;
        return Fail("the minimum " + Format(dblLow) + " is above the maximum " + Format(dblHigh));
    }

    bool Fail(const std::string& strWhy, size_t iField = std::string::npos)
    {
        m_strError = m_strOption + ": " + strWhy;
        if (iField != std::string::npos)
            m_strError += " (got \"" + m_rgFields[iField] + "\")";
        return false;
    }

    static bool ParseNumber(const std::string& str, double& dbl)
    {
        if (str.empty())
            return false;
        char* pszEnd = nullptr;
        dbl = strtod(str.c_str(), &pszEnd);
        return *pszEnd == '\0' && std::isfinite(dbl);
    }

    static bool ParseUnsigned(const std::string& str, ULONG& n)
    {
        if (str.empty() || str.size() > 9 || str.find_first_not_of("0123456789") != std::string::npos)
            return false;
        n = static_cast<ULONG>(strtoul(str.c_str(), nullptr, 10));
        return true;
    }

    static std::string Format(double dbl)
    {
        char sz[32];
        snprintf(sz, sizeof(sz), "%g", dbl);
        return sz;
    }

private:
    std::string m_strOption;
    std::string& m_strError;
    std::vector<std::string> m_rgFields;
};

const char* const s_rgszTriggerPositions[] = {"before", "after", nullptr};
const char* const s_rgszTriggerTypes[] = {"above", "below", nullptr};
const char* const s_rgszWindows[] = {"uniform", "bartlett", "blackman", "hamming", "hann", nullptr};

bool ReadChannels(const std::string& strOption, const std::string& strValue, CRunSettings& settings,
                  std::string& strError)
{
    settings.rgChannels.clear();
    size_t nStart = 0;
    for (;;) {
        size_t nComma = strValue.find(',', nStart);
        std::string strField = strValue.substr(nStart, nComma - nStart);
        CFieldReader reader(strOption, strField, strError);
        ULONG nChannel = 0;
        if (!reader.Count(1, 1, "a list of channels such as 1,2") || !reader.Channel(0, false, nChannel))
            return false;
        for (ULONG nKnown : settings.rgChannels)
            if (nKnown == nChannel)
                return reader.Fail("channel " + strField + " is listed twice");
        settings.rgChannels.push_back(nChannel);
        if (nComma == std::string::npos)
            return true;
        nStart = nComma + 1;
    }
}

bool ReadGain(const std::string& strOption, const std::string& strValue, CRunSettings& settings,
              std::string& strError)
{
    CFieldReader reader(strOption, strValue, strError);
    CGainSetting gain = {0, 0.0, static_cast<ULONG>(c_dblDefaultRampMs)};
    if (!reader.Count(2, 3, "CH|all:DB[:MS]") || !reader.Channel(0, true, gain.nChannel) ||
        !reader.Number(1, "the gain", -c_dblMaxGainDb, c_dblMaxGainDb, " dB", gain.dblGainDb))
        return false;
    if (reader.Size() == 3 && !reader.Unsigned(2, "the ramp", 0, c_nMaxRampMs, " ms", gain.nRampMs))
        return false;
    settings.rgGains.push_back(gain);
    return true;
}

bool ReadAutoGain(const std::string& strOption, const std::string& strValue, CRunSettings& settings,
                  std::string& strError)
{
    CFieldReader reader(strOption, strValue, strError);
    CAutoGainSetting autoGain = {};
    if (!reader.Count(3, 3, "CH|all:THRESHOLD:GAIN") || !reader.Channel(0, true, autoGain.nChannel) ||
        !reader.Number(1, "the threshold", c_dblMinAutoGainDb, 0.0, " dB", autoGain.dblThresholdDb) ||
        !reader.Number(2, "the gain", c_dblMinAutoGainDb, 0.0, " dB", autoGain.dblGainDb))
        return false;
    settings.rgAutoGains.push_back(autoGain);
    return true;
}

bool ReadTrigger(const std::string& strOption, const std::string& strValue, CRunSettings& settings,
                 std::string& strError)
{
    CFieldReader reader(strOption, strValue, strError);
    if (settings.trigger.bArmed)
        return reader.Fail("only one trigger can be armed");
    CTriggerSetting trigger;
    ULONG nPosition = 0, nType = 0;
    if (!reader.Count(4, 5, "CH:before|after:above|below:THRESHOLD[:MS]") ||
        !reader.Channel(0, false, trigger.nChannel) ||
        !reader.Choice(1, "the position", s_rgszTriggerPositions, nPosition) ||
        !reader.Choice(2, "the type", s_rgszTriggerTypes, nType) ||
        !reader.Number(3, "the threshold", c_dblMinTriggerDb, 0.0, " dB", trigger.dblThresholdDb))
        return false;
    if (reader.Size() == 5 &&
        !reader.Unsigned(4, "the minimum duration", 0, c_nMaxMinDurationMs, " ms", trigger.nMinDurationMs))
        return false;
    trigger.bArmed = true;
    trigger.bBefore = nPosition == 0;
    trigger.bAbove = nType == 0;
    settings.trigger = trigger;
    return true;
}

bool ReadSpectrum(const std::string& strOption, const std::string& strValue, CRunSettings& settings,
                  std::string& strError)
{
    CFieldReader reader(strOption, strValue, strError);
    ULONG n = 0;
    if (!reader.Count(1, 1, "N") || !CFieldReader::ParseUnsigned(strValue, n) ||
        (n != 0 && n != 1 && n != 2 && n != 3 && n != 6))
        return reader.Fail("the bands per octave must be 0, 1, 2, 3 or 6", 0);
    settings.spectrum.bBandsGiven = true;
    settings.spectrum.nBandsPerOctave = n;
    return true;
}

bool ReadWindow(const std::string& strOption, const std::string& strValue, CRunSettings& settings,
                std::string& strError)
{
    CFieldReader reader(strOption, strValue, strError);
    ULONG nWindow = 0;
    if (!reader.Count(1, 1, "NAME") || !reader.Choice(0, "the window", s_rgszWindows, nWindow))
        return false;
    settings.spectrum.bWindowGiven = true;
    settings.spectrum.eWindow = static_cast<QUELMAR_WINDOW>(nWindow);
    return true;
}

bool ReadFftOrder(const std::string& strOption, const std::string& strValue, CRunSettings& settings,
                  std::string& strError)
{
    CFieldReader reader(strOption, strValue, strError);
    if (!reader.Count(1, 1, "N") ||
        !reader.Unsigned(0, "the FFT order", c_nMinFftOrder, c_nMaxFftOrder, "", settings.spectrum.nOrder))
        return false;
    settings.spectrum.bOrderGiven = true;
    return true;
}

bool ReadTime(const std::string& strOption, const std::string& strValue, bool& bGiven, double& dblSec,
              std::string& strError)
{
    CFieldReader reader(strOption, strValue, strError);
    if (!reader.Count(1, 1, "SECONDS") || !reader.Number(0, "the time", 0.0, 1e9, " s", dblSec))
        return false;
    bGiven = true;
    return true;
}

bool ReadFrom(const std::string& strOption, const std::string& strValue, CRunSettings& settings,
              std::string& strError)
{
    return ReadTime(strOption, strValue, settings.bFromGiven, settings.dblFromSec, strError);
}

bool ReadTo(const std::string& strOption, const std::string& strValue, CRunSettings& settings,
            std::string& strError)
{
    return ReadTime(strOption, strValue, settings.bToGiven, settings.dblToSec, strError);
}

bool ReadTimeout(const std::string& strOption, const std::string& strValue, CRunSettings& settings,
                 std::string& strError)
{
    CFieldReader reader(strOption, strValue, strError);
    if (!reader.Count(1, 1, "SECONDS") ||
        !reader.Number(0, "the timeout", c_dblMinTimeoutSec, c_dblMaxTimeoutSec, " s", settings.dblTimeoutSec))
        return false;
    settings.bTimeoutGiven = true;
    return true;
}

// The optional "@FROM:TO" after an expectation's fields.
bool ReadExpectationRange(const std::string& strOption, const std::string& strRange, CExpectation& expectation,
                          std::string& strError)
{
    CFieldReader reader(strOption, strRange, strError);
    if (!reader.Count(2, 2, "a range @FROM:TO in seconds") ||
        !reader.Number(0, "the range's start", 0.0, 1e9, " s", expectation.dblFromSec) ||
        !reader.Number(1, "the range's end", 0.0, 1e9, " s", expectation.dblToSec))
        return false;
    if (expectation.dblToSec <= expectation.dblFromSec)
        return reader.Fail("the range's end must be after its start");
    expectation.bRangeGiven = true;
    return true;
}

// The fields of one kind of expectation, without its range.
bool ReadExpectationFields(CFieldReader& reader, CExpectation& expectation)
{
    switch (expectation.eKind) {
    case EExpectation::Level:
    case EExpectation::Maximum:
    case EExpectation::Minimum:
        return reader.Count(3, 3, "CH:MIN:MAX[@FROM:TO]") && reader.Channel(0, false, expectation.nChannel) &&
               reader.AnyNumber(1, "the minimum", expectation.dblLow) &&
               reader.AnyNumber(2, "the maximum", expectation.dblHigh) &&
               reader.Ordered(expectation.dblLow, expectation.dblHigh);
    case EExpectation::Band:
        return reader.Count(4, 4, "CH:HZ:MIN:MAX[@FROM:TO]") && reader.Channel(0, false, expectation.nChannel) &&
               reader.Number(1, "the frequency", 1.0, 1e6, " Hz", expectation.dblHz) &&
               reader.AnyNumber(2, "the minimum", expectation.dblLow) &&
               reader.AnyNumber(3, "the maximum", expectation.dblHigh) &&
               reader.Ordered(expectation.dblLow, expectation.dblHigh);
    case EExpectation::SignalCount:
        return reader.Count(2, 2, "MIN:MAX[@FROM:TO]") &&
               reader.Number(0, "the minimum", 0.0, 1e9, " signals", expectation.dblLow) &&
               reader.Number(1, "the maximum", 0.0, 1e9, " signals", expectation.dblHigh) &&
               reader.Ordered(expectation.dblLow, expectation.dblHigh);
    case EExpectation::FirstSignal:
        return reader.Count(1, 1, "SECONDS[@FROM:TO]") &&
               reader.Number(0, "the time", 0.0, 1e9, " s", expectation.dblHigh);
    }
    return false;
}

template <EExpectation eKind>
bool ReadExpectation(const std::string& strOption, const std::string& strValue, CRunSettings& settings,
                     std::string& strError)
{
    CExpectation expectation = {eKind};
    size_t nAt = strValue.find('@');
    CFieldReader reader(strOption, strValue.substr(0, nAt), strError);
    if (!ReadExpectationFields(reader, expectation))
        return false;
    if (nAt != std::string::npos && !ReadExpectationRange(strOption, strValue.substr(nAt + 1), expectation, strError))
        return false;
    settings.rgExpectations.push_back(expectation);
    return true;
}

bool ReadPath(const std::string& strOption, const std::string& strValue, std::string& strPath, std::string& strError)
{
    if (strValue.empty()) {
        strError = strOption + ": expected a file name";
        return false;
    }
    strPath = strValue;
    return true;
}

bool ReadCsv(const std::string& strOption, const std::string& strValue, CRunSettings& settings, std::string& strError)
{
    return ReadPath(strOption, strValue, settings.strCsvPath, strError);
}

bool ReadJson(const std::string& strOption, const std::string& strValue, CRunSettings& settings,
              std::string& strError)
{
    return ReadPath(strOption, strValue, settings.strJsonPath, strError);
}

bool ReadPng(const std::string& strOption, const std::string& strValue, CRunSettings& settings, std::string& strError)
{
    return ReadPath(strOption, strValue, settings.strPngPath, strError);
}

typedef bool (*OptionReader)(const std::string& strOption, const std::string& strValue, CRunSettings& settings,
                             std::string& strError);

struct COptionEntry {
    const char* pszName;
    OptionReader pfnRead;
};

const COptionEntry s_rgOptions[] = {
    {"--channels", ReadChannels},
    {"--gain", ReadGain},
    {"--auto-gain", ReadAutoGain},
    {"--trigger", ReadTrigger},
    {"--spectrum", ReadSpectrum},
    {"--window", ReadWindow},
    {"--fft-order", ReadFftOrder},
    {"--from", ReadFrom},
    {"--to", ReadTo},
    {"--timeout", ReadTimeout},
    {"--expect-level", ReadExpectation<EExpectation::Level>},
    {"--expect-max", ReadExpectation<EExpectation::Maximum>},
    {"--expect-min", ReadExpectation<EExpectation::Minimum>},
    {"--expect-band", ReadExpectation<EExpectation::Band>},
    {"--expect-signals", ReadExpectation<EExpectation::SignalCount>},
    {"--expect-first-signal", ReadExpectation<EExpectation::FirstSignal>},
    {"--csv", ReadCsv},
    {"--json", ReadJson},
    {"--png", ReadPng},
};

const COptionEntry* FindOption(const std::string& strName)
{
    for (const COptionEntry& entry : s_rgOptions)
        if (strName == entry.pszName)
            return &entry;
    return nullptr;
}

// What the options need of each other, checked once all are read.
bool CheckCombinations(const CRunSettings& settings, std::string& strError)
{
    if (settings.bFromGiven && settings.bToGiven && settings.dblToSec <= settings.dblFromSec) {
        strError = "--to: the end must be after --from";
        return false;
    }
    for (const CExpectation& expectation : settings.rgExpectations) {
        if (expectation.eKind == EExpectation::Band && !settings.RecordsSpectrum()) {
            strError = "--expect-band: needs --spectrum 1, 2, 3 or 6";
            return false;
        }
        bool bSignals = expectation.eKind == EExpectation::SignalCount || expectation.eKind == EExpectation::FirstSignal;
        if (bSignals && !settings.trigger.bArmed) {
            strError = expectation.eKind == EExpectation::SignalCount ? "--expect-signals: needs --trigger"
                                                                      : "--expect-first-signal: needs --trigger";
            return false;
        }
    }
    if (settings.rgFiles.empty()) {
        strError = "no file given; see --help";
        return false;
    }
    return true;
}

}  // namespace

const char* RunHelpText()
{
    return c_szHelp;
}

HRESULT ParseRunOptions(const std::vector<std::string>& rgArgs, CRunSettings& settings, std::string& strError)
{
    settings = CRunSettings();
    for (size_t i = 0; i < rgArgs.size(); ++i) {
        const std::string& strArg = rgArgs[i];
        if (strArg == "--help" || strArg == "-h" || strArg == "/?") {
            settings.bHelp = true;
            return S_OK;
        }
        if (strArg.compare(0, 2, "--") != 0) {
            settings.rgFiles.push_back(strArg);
            continue;
        }
        size_t nEquals = strArg.find('=');
        std::string strName = strArg.substr(0, nEquals);
        const COptionEntry* pEntry = FindOption(strName);
        if (!pEntry) {
            strError = strName + ": unknown option; see --help";
            return E_INVALIDARG;
        }
        std::string strValue;
        if (nEquals != std::string::npos) {
            strValue = strArg.substr(nEquals + 1);
        } else if (i + 1 < rgArgs.size()) {
            strValue = rgArgs[++i];
        } else {
            strError = strName + ": a value must follow; see --help";
            return E_INVALIDARG;
        }
        if (!pEntry->pfnRead(strName, strValue, settings, strError))
            return E_INVALIDARG;
    }
    return CheckCombinations(settings, strError) ? S_OK : E_INVALIDARG;
}
