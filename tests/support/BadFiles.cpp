#include "BadFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "ChildProcess.h"
#include "WavFile.h"

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

std::string TruncatedMp4File()
{
    std::string strBytes = ReadBytes(MediaPath("tone.m4a"));
    return WriteBytes("truncated.mp4", strBytes.substr(0, strBytes.size() / 2));
}

namespace {

constexpr DWORD c_dwRenderTimeoutMs = 20000;

std::string ProbePath()
{
    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string strPath = szPath;
    return strPath.substr(0, strPath.find_last_of('\\') + 1) + "RenderFileProbe.exe";
}

// False when RenderFile did not return in time (the probe is then ended) or
// the probe printed no status.
bool TryRenderFile(const std::string& strPath, HRESULT* phr)
{
    const std::string strProbe = ProbePath();
    if (GetFileAttributesA(strProbe.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ADD_FAILURE() << "no " << strProbe;
        return false;
    }
    CChildRun run = RunChild("\"" + strProbe + "\" \"" + strPath + "\"", c_dwRenderTimeoutMs);
    if (run.dwExitCode != 0)
        return false;
    // The platform may write its own messages too; the status is the line
    // that is nothing but a status.
    for (const std::string& strLine : run.Lines()) {
        unsigned long nStatus = 0;
        char chAfter = 0;
        if (strLine.size() == 10 && std::sscanf(strLine.c_str(), "0x%8lx%c", &nStatus, &chAfter) == 1) {
            *phr = static_cast<HRESULT>(nStatus);
            return true;
        }
    }
    return false;
}

}  // namespace

HRESULT RenderFileStatus(const std::string& strPath)
{
    HRESULT hr = HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    if (!TryRenderFile(strPath, &hr)) {
        // Wine's parser hangs now and then on a broken file.
        printf("[   NOTE   ] the graph manager's own RenderFile of %s did not return; tried once more\n",
               strPath.c_str());
        TryRenderFile(strPath, &hr);
    }
    return hr;
}
