#include "Reports.h"

#include "Bands.h"

#include <cstdio>
#include <memory>

namespace {

struct CFileCloser {
    void operator()(FILE* pFile) const { fclose(pFile); }
};
typedef std::unique_ptr<FILE, CFileCloser> CFilePtr;

// Writes JSON with commas and nesting kept track of.
class CJsonWriter {
public:
    explicit CJsonWriter(FILE* pFile) : m_pFile(pFile) {}

    CJsonWriter& Begin(char chOpen)
    {
        Separate();
        fputc(chOpen, m_pFile);
        m_bFirst = true;
        return *this;
    }
    CJsonWriter& End(char chClose)
    {
        fputc(chClose, m_pFile);
        m_bFirst = false;
        return *this;
    }
    CJsonWriter& Key(const char* pszKey)
    {
        Separate();
        WriteString(pszKey);
        fputc(':', m_pFile);
        m_bAfterKey = true;
        return *this;
    }
    CJsonWriter& Number(double dbl)
    {
        Separate();
        fprintf(m_pFile, "%.4f", dbl);
        return *this;
    }
    CJsonWriter& Integer(unsigned long long n)
    {
        Separate();
        fprintf(m_pFile, "%llu", n);
        return *this;
    }
    CJsonWriter& Bool(bool b)
    {
        Separate();
        fputs(b ? "true" : "false", m_pFile);
        return *this;
    }
    CJsonWriter& Null()
    {
        Separate();
        fputs("null", m_pFile);
        return *this;
    }
    CJsonWriter& String(const std::string& str)
    {
        Separate();
        WriteString(str.c_str());
        return *this;
    }
    CJsonWriter& Numbers(const std::vector<double>& rgdbl)
    {
        Begin('[');
        for (double dbl : rgdbl)
            Number(dbl);
        return End(']');
    }
    // A channel from 0 as the command line counts it, or "all".
    CJsonWriter& Channel(ULONG nChannel)
    {
        return nChannel == QUELMAR_ALL_CHANNELS ? String("all") : Integer(nChannel + 1);
    }

private:
    void Separate()
    {
        if (m_bAfterKey)
            m_bAfterKey = false;
        else if (!m_bFirst)
            fputc(',', m_pFile);
        m_bFirst = false;
    }
    void WriteString(const char* psz)
    {
        fputc('"', m_pFile);
        for (; *psz; ++psz) {
            unsigned char ch = static_cast<unsigned char>(*psz);
            if (ch == '"' || ch == '\\')
                fprintf(m_pFile, "\\%c", ch);
            else if (ch < 0x20)
                fprintf(m_pFile, "\\u%04x", ch);
            else
                fputc(ch, m_pFile);
        }
        fputc('"', m_pFile);
    }

    FILE* m_pFile;
    bool m_bFirst = true;
    bool m_bAfterKey = false;
};

const char* const s_rgszWindowNames[] = {"uniform", "bartlett", "blackman", "hamming", "hann"};

void WriteSettings(CJsonWriter& json, const CRunSettings& settings)
{
    json.Key("settings").Begin('{');
    json.Key("channels");
    if (settings.rgChannels.empty()) {
        json.String("all");
    } else {
        json.Begin('[');
        for (ULONG nChannel : settings.rgChannels)
            json.Channel(nChannel);
        json.End(']');
    }
    json.Key("gains").Begin('[');
    for (const CGainSetting& gain : settings.rgGains) {
        json.Begin('{').Key("channel").Channel(gain.nChannel).Key("gain_db").Number(gain.dblGainDb);
        json.Key("ramp_ms").Integer(gain.nRampMs).End('}');
    }
    json.End(']').Key("auto_gains").Begin('[');
    for (const CAutoGainSetting& autoGain : settings.rgAutoGains) {
        json.Begin('{').Key("channel").Channel(autoGain.nChannel);
        json.Key("threshold_db").Number(autoGain.dblThresholdDb).Key("gain_db").Number(autoGain.dblGainDb).End('}');
    }
    json.End(']').Key("trigger");
    const CTriggerSetting& trigger = settings.trigger;
    if (trigger.bArmed) {
        json.Begin('{').Key("channel").Channel(trigger.nChannel);
        json.Key("position").String(trigger.bBefore ? "before" : "after");
        json.Key("type").String(trigger.bAbove ? "above" : "below");
        json.Key("threshold_db").Number(trigger.dblThresholdDb).Key("min_duration_ms").Integer(trigger.nMinDurationMs);
        json.End('}');
    } else {
        json.Null();
    }
    const CSpectrumSetting& spectrum = settings.spectrum;
    json.Key("spectrum").Begin('{').Key("bands_per_octave");
    spectrum.bBandsGiven ? json.Integer(spectrum.nBandsPerOctave) : json.Null();
    json.Key("window");
    spectrum.bWindowGiven ? json.String(s_rgszWindowNames[spectrum.eWindow]) : json.Null();
    json.Key("fft_order");
    spectrum.bOrderGiven ? json.Integer(spectrum.nOrder) : json.Null();
    json.End('}').Key("from_s");
    settings.bFromGiven ? json.Number(settings.dblFromSec) : json.Null();
    json.Key("to_s");
    settings.bToGiven ? json.Number(settings.dblToSec) : json.Null();
    json.End('}');
}

void WriteReadings(CJsonWriter& json, const CRunRecord& record)
{
    json.Key("levels").Begin('[');
    for (const CLevelReading& reading : record.rgLevels) {
        json.Begin('{').Key("t").Number(reading.dblTimeSec).Key("level_db").Numbers(reading.rgdblLevelDb);
        json.Key("gain_db").Numbers(reading.rgdblGainDb).End('}');
    }
    json.End(']').Key("spectrum");
    if (record.nBandsPerOctave) {
        json.Begin('{').Key("bands_per_octave").Integer(record.nBandsPerOctave).Key("centres_hz").Begin('[');
        for (unsigned i = 0; i < c_nOctaves * record.nBandsPerOctave; ++i)
            json.Number(BandCentreHz(static_cast<int>(i), record.nBandsPerOctave));
        json.End(']').Key("readings").Begin('[');
        for (const CSpectrumReading& reading : record.rgSpectra) {
            json.Begin('{').Key("t").Number(reading.dblTimeSec).Key("bands_db").Begin('[');
            for (const std::vector<double>& rgdblBands : reading.rgrgdblBandsDb)
                json.Numbers(rgdblBands);
            json.End(']').End('}');
        }
        json.End(']').End('}');
    } else {
        json.Null();
    }
    json.Key("signals").Begin('[');
    for (const CTriggerSignal& signal : record.rgSignals)
        json.Begin('{').Key("start_s").Number(signal.dblStartSec).Key("end_s").Number(signal.dblEndSec).End('}');
    json.End(']');
}

void WriteOutcome(CJsonWriter& json, const CFileOutcome& outcome)
{
    const CRunRecord& record = outcome.record;
    json.Begin('{').Key("file").String(record.strFile).Key("played").Bool(outcome.bPlayed);
    if (!outcome.bPlayed)
        json.Key("error").String(outcome.strError);
    json.Key("filter_version").String(record.strFilterVersion).Key("file_channels").Integer(record.nFileChannels);
    json.Key("recorded_channels").Begin('[');
    for (ULONG nChannel : record.rgChannels)
        json.Channel(nChannel);
    json.End(']').Key("duration_s").Number(record.dblDurationSec);
    json.Key("start_s").Number(record.dblStartSec).Key("end_s").Number(record.dblEndSec);
    WriteReadings(json, record);
    json.Key("expectations").Begin('[');
    for (const CExpectationResult& result : outcome.rgResults) {
        json.Begin('{').Key("expectation").String(result.strWhat).Key("passed").Bool(result.bPassed);
        json.Key("measured").String(result.strMeasured).Key("from_s").Number(result.dblFromSec);
        json.Key("to_s").Number(result.dblToSec).End('}');
    }
    json.End(']').End('}');
}

}  // namespace

bool WriteCsvReport(const std::string& strPath, const CRunRecord& record)
{
    CFilePtr spFile(fopen(strPath.c_str(), "w"));
    if (!spFile)
        return false;
    FILE* pFile = spFile.get();
    fputs("time_s", pFile);
    for (ULONG nChannel : record.rgChannels)
        fprintf(pFile, ",level_ch%lu_db", nChannel + 1);
    for (ULONG nChannel : record.rgChannels)
        fprintf(pFile, ",gain_ch%lu_db", nChannel + 1);
    fputc('\n', pFile);
    for (const CLevelReading& reading : record.rgLevels) {
        fprintf(pFile, "%.3f", reading.dblTimeSec);
        for (double dbl : reading.rgdblLevelDb)
            fprintf(pFile, ",%.3f", dbl);
        for (double dbl : reading.rgdblGainDb)
            fprintf(pFile, ",%.3f", dbl);
        fputc('\n', pFile);
    }
    return ferror(pFile) == 0 && fclose(spFile.release()) == 0;
}

bool WriteJsonReport(const std::string& strPath, const CRunSettings& settings,
                     const std::vector<CFileOutcome>& rgOutcomes)
{
    CFilePtr spFile(fopen(strPath.c_str(), "w"));
    if (!spFile)
        return false;
    CJsonWriter json(spFile.get());
    size_t nPassed = 0, nFailed = 0;
    json.Begin('{');
    WriteSettings(json, settings);
    json.Key("files").Begin('[');
    for (const CFileOutcome& outcome : rgOutcomes) {
        WriteOutcome(json, outcome);
        for (const CExpectationResult& result : outcome.rgResults)
            ++(result.bPassed ? nPassed : nFailed);
    }
    json.End(']').Key("passed").Integer(nPassed).Key("failed").Integer(nFailed).End('}');
    fputc('\n', spFile.get());
    return ferror(spFile.get()) == 0 && fclose(spFile.release()) == 0;
}

std::string NumberedPath(const std::string& strPath, size_t nIndex, size_t nCount)
{
    if (nCount <= 1)
        return strPath;
    size_t nDot = strPath.find_last_of('.');
    size_t nSlash = strPath.find_last_of("\\/");
    if (nDot == std::string::npos || (nSlash != std::string::npos && nDot < nSlash))
        nDot = strPath.size();
    return strPath.substr(0, nDot) + "-" + std::to_string(nIndex + 1) + strPath.substr(nDot);
}
