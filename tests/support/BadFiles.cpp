#include "BadFiles.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

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

// One RenderFile on a thread of its own; the thread and whoever waits for it
// share this, so a thread that never returns leaves nothing dangling.
struct CRenderAttempt {
    CRenderAttempt() : hDone(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~CRenderAttempt() { CloseHandle(hDone); }
    CRenderAttempt(const CRenderAttempt&) = delete;
    CRenderAttempt& operator=(const CRenderAttempt&) = delete;

    HANDLE hDone;
    HRESULT hr = E_PENDING;
};

void RenderFileOnThread(const std::string& strPath, CRenderAttempt* pAttempt)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        CComPtr<IGraphBuilder> spGraph;
        HRESULT hr = spGraph.CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER);
        if (SUCCEEDED(hr))
            hr = spGraph->RenderFile(CA2W(strPath.c_str()), nullptr);
        pAttempt->hr = hr;
    }
    CoUninitialize();
    SetEvent(pAttempt->hDone);
}

// False when RenderFile did not return in time; its thread is then left.
bool TryRenderFile(const std::string& strPath, HRESULT* phr)
{
    auto spAttempt = std::make_shared<CRenderAttempt>();
    std::thread thread([strPath, spAttempt] { RenderFileOnThread(strPath, spAttempt.get()); });
    if (WaitForSingleObject(spAttempt->hDone, c_dwRenderTimeoutMs) != WAIT_OBJECT_0) {
        thread.detach();
        return false;
    }
    thread.join();
    *phr = spAttempt->hr;
    return true;
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
