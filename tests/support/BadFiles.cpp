#include "BadFiles.h"

#include <fstream>
#include <iterator>

#include <atlbase.h>
#include <atlconv.h>

#include "WavFile.h"
#include "../../filter/DirectShow.h"

namespace {

std::string ReadBytes(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::string RandomBytes()
{
    std::string strNoise(4096, '\0');
    for (size_t i = 0; i < strNoise.size(); i++)
        strNoise[i] = static_cast<char>((i * 2654435761u) >> 13);
    return WriteBytes("noise.wav", strNoise);
}

// The header and a few bytes of a good WAV.
std::string TruncatedWav()
{
    std::string strPath = TestFilePath("whole.wav");
    WriteWav(strPath, {WAVE_FORMAT_PCM, 16, 2, 44100, false}, Sines({-6.0, -6.0}, 1000.0, 44100, 0.5));
    return WriteBytes("truncated.wav", ReadBytes(strPath).substr(0, 30));
}

// The first half of an AAC-in-MP4 file, whose index comes last.
std::string TruncatedMp4()
{
    std::string strBytes = ReadBytes(MediaPath("tone.m4a"));
    return WriteBytes("truncated.mp4", strBytes.substr(0, strBytes.size() / 2));
}

std::string Folder()
{
    std::string strPath = TestFilePath("a folder.wav");
    CreateDirectoryA(strPath.c_str(), nullptr);
    return strPath;
}

}  // namespace

const std::vector<CBadFileCase>& BadFiles()
{
    static const std::vector<CBadFileCase> s_rgBadFiles = {
        {"Missing", [] { return TestFilePath("no such file.wav"); }},
        {"Empty", [] { return WriteBytes("empty.wav", ""); }},
        {"RandomBytes", RandomBytes},
        {"TruncatedWav", TruncatedWav},
        {"TruncatedMp4", TruncatedMp4},
        {"Directory", Folder},
    };
    return s_rgBadFiles;
}

std::string WriteBytes(const char* pszName, const std::string& strBytes)
{
    std::string strPath = TestFilePath(pszName);
    std::ofstream(strPath, std::ios::binary) << strBytes;
    return strPath;
}

HRESULT RenderFileStatus(const std::string& strPath)
{
    CComPtr<IGraphBuilder> spGraph;
    HRESULT hr = spGraph.CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER);
    if (FAILED(hr))
        return hr;
    return spGraph->RenderFile(CA2W(strPath.c_str()), nullptr);
}
