#include "WavFile.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mmreg.h>

#include "../filter/DirectShow.h"

std::string TestFilePath(const std::string& strName)
{
    char szTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, szTemp);
    char szFolder[MAX_PATH] = {};
    snprintf(szFolder, MAX_PATH, "%squelmar-tests-%lu\\", szTemp, GetCurrentProcessId());
    CreateDirectoryA(szFolder, nullptr);
    return std::string(szFolder) + strName;
}

std::string MediaPath(const std::string& strName)
{
    std::string strPath = std::string("Z:") + QUELMAR_TEST_MEDIA + "/" + strName;
    for (char& ch : strPath)
        if (ch == '/')
            ch = '\\';
    return strPath;
}

namespace {

void PutSample(std::vector<uint8_t>& rgData, const CWavFormat& format, double dbl)
{
    bool bFloat = format.wFormatTag == WAVE_FORMAT_IEEE_FLOAT || format.bFloat;
    uint8_t rgBytes[8] = {};
    if (bFloat && format.wBitsPerSample == 32) {
        float f = static_cast<float>(dbl);
        memcpy(rgBytes, &f, 4);
    } else if (bFloat) {
        memcpy(rgBytes, &dbl, 8);
    } else if (format.wBitsPerSample == 8) {
        rgBytes[0] = static_cast<uint8_t>(std::lrint(std::fmax(-128.0, std::fmin(127.0, dbl * 128.0))) + 128);
    } else {
        double dblScale = std::ldexp(1.0, format.wBitsPerSample - 1);
        int64_t n = std::llrint(std::fmax(-dblScale, std::fmin(dblScale - 1, dbl * dblScale)));
        memcpy(rgBytes, &n, 8);  // little-endian: the low bytes come first
    }
    rgData.insert(rgData.end(), rgBytes, rgBytes + format.wBitsPerSample / 8);
}

template <class T>
void Append(std::vector<uint8_t>& rgFile, const T& value)
{
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&value);
    rgFile.insert(rgFile.end(), p, p + sizeof(T));
}

}  // namespace

bool WriteWav(const std::string& strPath, const CWavFormat& format, const std::vector<std::vector<double>>& rgChannels)
{
    std::vector<uint8_t> rgData;
    for (size_t f = 0; f < rgChannels[0].size(); f++)
        for (const std::vector<double>& rgChannel : rgChannels)
            PutSample(rgData, format, rgChannel[f]);

    WAVEFORMATEXTENSIBLE wfx = {};
    wfx.Format.wFormatTag = format.wFormatTag;
    wfx.Format.nChannels = format.nChannels;
    wfx.Format.nSamplesPerSec = format.nSamplesPerSec;
    wfx.Format.wBitsPerSample = format.wBitsPerSample;
    wfx.Format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
    wfx.Format.nAvgBytesPerSec = wfx.Format.nBlockAlign * format.nSamplesPerSec;
    DWORD cbFormat = sizeof(WAVEFORMATEX);
    if (format.wFormatTag == WAVE_FORMAT_EXTENSIBLE) {
        wfx.Format.cbSize = 22;
        wfx.Samples.wValidBitsPerSample = format.wBitsPerSample;
        wfx.dwChannelMask = 0;
        wfx.SubFormat = format.bFloat ? MEDIASUBTYPE_IEEE_FLOAT : MEDIASUBTYPE_PCM;
        cbFormat = sizeof(WAVEFORMATEXTENSIBLE);
    }

    std::vector<uint8_t> rgFile;
    rgFile.insert(rgFile.end(), {'R', 'I', 'F', 'F'});
    Append<DWORD>(rgFile, static_cast<DWORD>(4 + 8 + cbFormat + 8 + rgData.size()));
    rgFile.insert(rgFile.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Append<DWORD>(rgFile, cbFormat);
    const uint8_t* pFormat = reinterpret_cast<const uint8_t*>(&wfx);
    rgFile.insert(rgFile.end(), pFormat, pFormat + cbFormat);
    rgFile.insert(rgFile.end(), {'d', 'a', 't', 'a'});
    Append<DWORD>(rgFile, static_cast<DWORD>(rgData.size()));
    rgFile.insert(rgFile.end(), rgData.begin(), rgData.end());

    FILE* pFile = fopen(strPath.c_str(), "wb");
    if (!pFile)
        return false;
    bool bWritten = fwrite(rgFile.data(), 1, rgFile.size(), pFile) == rgFile.size();
    return fclose(pFile) == 0 && bWritten;
}

std::vector<std::vector<double>> Sines(const std::vector<double>& rgdblLevelsDb, double dblHz, DWORD nRate,
                                       double dblSeconds)
{
    size_t nFrames = static_cast<size_t>(dblSeconds * nRate);
    std::vector<std::vector<double>> rgChannels;
    for (double dblLevelDb : rgdblLevelsDb) {
        double dblAmplitude = std::pow(10.0, dblLevelDb / 20.0);
        std::vector<double> rgSamples(nFrames);
        for (size_t i = 0; i < nFrames; i++)
            rgSamples[i] = dblAmplitude * std::sin(2.0 * 3.14159265358979323846 * dblHz * i / nRate);
        rgChannels.push_back(rgSamples);
    }
    return rgChannels;
}
