// RenderFileProbe PATH: the graph manager's own RenderFile of PATH on a new
// graph, in a process of its own, its status printed as 0x%08lX. Tests run
// it to learn what the platform makes of a file: when Wine's parser hangs on
// a broken file, the hang (and its threads, which can crash a process as it
// exits) stays in this process, which the test ends.
#include <cstdio>

#include <atlbase.h>

#include "../../filter/DirectShow.h"

int main(int nArgs, char** rgszArgs)
{
    if (nArgs != 2) {
        std::fprintf(stderr, "usage: RenderFileProbe PATH\n");
        return 2;
    }
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(hr)) {
        {
            CComPtr<IGraphBuilder> spGraph;
            hr = spGraph.CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER);
            wchar_t wszPath[MAX_PATH] = {};
            if (SUCCEEDED(hr) && MultiByteToWideChar(CP_ACP, 0, rgszArgs[1], -1, wszPath, MAX_PATH) == 0)
                hr = HRESULT_FROM_WIN32(GetLastError());
            if (SUCCEEDED(hr))
                hr = spGraph->RenderFile(wszPath, nullptr);
        }
        CoUninitialize();
    }
    std::printf("0x%08lX\n", static_cast<unsigned long>(hr));
    return 0;
}
