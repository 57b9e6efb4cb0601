// Writes a sample saved graph: the program's own graph for a media file
// (source, parser, the level filter, the audio renderer), built by the real
// graph manager, in the graph editor's file format.
//   MakeSampleGraph.exe <media file> <saved graph file>
#include <cstdio>

#include "../../graph/Graph.h"
#include "../support/GraphFileWriter.h"

namespace {

HRESULT MakeSampleGraph(LPCSTR pszMedia, LPCSTR pszGraph)
{
    HWND hWnd = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    CGraph graph;
    HRESULT hr = graph.BuildGraph(pszMedia, hWnd, WM_APP);
    std::string strStream;
    if (hr == S_OK)
        hr = SaveGraphStream(graph.GraphBuilder(), &strStream);
    if (hr == S_OK)
        hr = WriteGraphFile(pszGraph, &strStream);
    graph.Reset();
    if (hWnd)
        DestroyWindow(hWnd);
    return hr;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: MakeSampleGraph <media file> <saved graph file>\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HRESULT hr = MakeSampleGraph(argv[1], argv[2]);
    CoUninitialize();
    if (hr != S_OK)
        fprintf(stderr, "MakeSampleGraph: 0x%08lx for %s\n", static_cast<unsigned long>(hr), argv[1]);
    return hr == S_OK ? 0 : 1;
}
