// Saved graphs: opening the compound file and its "ActiveMovieGraph" stream
// (real structured storage written here), loading it into the graph manager,
// and checking the level filter in the loaded graph.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "DialogDriver.h"
#include "FakeTopology.h"
#include "TraceCapture.h"
#include "WavFile.h"
#include "../graph/Graph.h"
#include "../ui/resource.h"

namespace {

// Writes a compound file; with strStream, an "ActiveMovieGraph" stream holding it.
std::string WriteCompoundFile(const char* pszName, const std::string* pstrStream)
{
    std::string strPath = TestFilePath(pszName);
    CComPtr<IStorage> spStorage;
    StgCreateDocfile(CA2W(strPath.c_str()), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &spStorage);
    if (spStorage && pstrStream) {
        CComPtr<IStream> spStream;
        spStorage->CreateStream(L"ActiveMovieGraph", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &spStream);
        ULONG cbWritten = 0;
        spStream->Write(pstrStream->data(), static_cast<ULONG>(pstrStream->size()), &cbWritten);
    }
    return strPath;
}

std::string ReadStream(IStream* pStream)
{
    std::string str;
    char sz[256];
    ULONG cbRead = 0;
    while (SUCCEEDED(pStream->Read(sz, sizeof(sz), &cbRead)) && cbRead > 0)
        str.append(sz, cbRead);
    return str;
}

// The graph manager over the fakes, answering IPersistStream. Its Load reads
// the description the test wrote into the stream: filters separated by
// blanks, each a class letter (Q level filter, X other) and its pins:
// i/o connected input/output, I/O unconnected, e a pin whose direction
// cannot be read.
class SavedGraph : public testing::Test, public CFakeTopology {
protected:
    SavedGraph()
    {
        m_graph.m_bPersistStream = true;
        m_graph.m_fnLoad = [this](IStream* pStream) {
            LoadDescription(ReadStream(pStream));
            return m_hrLoad;
        };
        m_hWnd = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    ~SavedGraph() override
    {
        m_cgraph.Reset();
        DestroyWindow(m_hWnd);
    }
    void LoadDescription(const std::string& strDescription)
    {
        m_graph.m_rgFilters.clear();
        std::istringstream stream(strDescription);
        for (std::string strFilter; stream >> strFilter;) {
            CFakeFilter* pFilter = strFilter[0] == 'Q' ? NewLevelFilter() : NewFilter();
            for (char ch : strFilter.substr(2)) {
                CFakePin* pPin = pFilter->AddPin(ch == 'o' || ch == 'O' ? PINDIR_OUTPUT : PINDIR_INPUT);
                if (ch == 'e')
                    pPin->m_hrQueryDirection = E_UNEXPECTED;
                if (ch == 'i' || ch == 'o' || ch == 'e')
                    pPin->m_pConnected = &m_peer;
            }
            m_graph.m_rgFilters.push_back(pFilter);
        }
    }
    CFakeFilter* NewLevelFilter()
    {
        m_rgLevelFilters.push_back(std::make_unique<CFakeQuelmar>());
        m_rgLevelFilters.back()->m_rgPins.clear();
        return m_rgLevelFilters.back().get();
    }
    CFakeFilter* NewFilter()
    {
        m_rgFilters.push_back(std::make_unique<CFakeFilter>(L"other"));
        return m_rgFilters.back().get();
    }
    HRESULT BuildDescribed(const std::string& strDescription, const char* pszName = "saved.grf")
    {
        return m_cgraph.BuildGraph(WriteCompoundFile(pszName, &strDescription).c_str(), m_hWnd, WM_APP);
    }

    HRESULT m_hrLoad = S_OK;
    std::vector<std::unique_ptr<CFakeQuelmar>> m_rgLevelFilters;
    std::vector<std::unique_ptr<CFakeFilter>> m_rgFilters;
    CFakeFilter m_peerFilter{L"peer"};
    CFakePin m_peer{&m_peerFilter, PINDIR_OUTPUT};
    HWND m_hWnd;
    CTraceCapture m_trace;
    CGraph m_cgraph;
};

struct CCheckCase {
    const char* pszName;
    const char* pszDescription;
    HRESULT hrExpected;
    const char* pszTrace;
};

const CCheckCase g_rgCheckCases[] = {
    {"NoLevelFilter", "X:io", E_FAIL, "CGraph::CheckFilter(): Wanted filter not found\n"},
    {"NoPins", "Q:", E_FAIL, "CGraph::CheckFilter(): number of pins < 2\n"},
    {"OneInput", "Q:i", E_FAIL, "CGraph::CheckFilter(): number of pins < 2\n"},
    {"TwoInputs", "Q:ii", E_FAIL, "CGraph::CheckFilter(): Second input pin found\n"},
    {"TwoOutputs", "Q:oo", E_FAIL, "CGraph::CheckFilter(): Second output pin found\n"},
    {"OutputUnconnected", "Q:iO", E_FAIL, "CGraph::CheckFilter(): Pin of wanted filter not connected\n"},
    {"FirstPinUnconnected", "Q:Io", E_FAIL, "CGraph::CheckFilter(): Pin of wanted filter not connected\n"},
    {"ThirdPin", "Q:ioi", E_FAIL, "CGraph::CheckFilter(): number of pins > 2\n"},
    {"DirectionUnreadable", "Q:eo", E_UNEXPECTED, "CGraph::CheckFilter(): spPin->QueryDirection() FAILED\n"},
    {"InputThenOutput", "X:o Q:io X:i", S_OK, nullptr},
    {"OutputThenInput", "Q:oi", S_OK, nullptr},
    {"FirstOfTwoUnconnected", "Q:IO Q:io", E_FAIL, "CGraph::CheckFilter(): Pin of wanted filter not connected\n"},
};

class SavedGraphCheck : public SavedGraph, public testing::WithParamInterface<CCheckCase> {};

TEST_P(SavedGraphCheck, FindsAndChecksTheFirstLevelFilter)
{
    const CCheckCase& c = GetParam();
    EXPECT_EQ(c.hrExpected, BuildDescribed(c.pszDescription));
    EXPECT_EQ(c.pszTrace ? std::vector<std::string>{c.pszTrace} : std::vector<std::string>(), m_trace.Texts());
    EXPECT_FALSE(m_cgraph.IsEmpty());
    EXPECT_EQ(c.hrExpected == S_OK ? 1 : 0, m_graph.m_nNotifyCalls);
    if (c.hrExpected == S_OK) {
        EXPECT_EQ(2, m_cgraph.GetChannelCount());  // m_spQuelmar is the found filter
    } else {
        EXPECT_EQ(E_FAIL, m_cgraph.SetGain(0, 0));
    }
}

INSTANTIATE_TEST_SUITE_P(Pins, SavedGraphCheck, testing::ValuesIn(g_rgCheckCases),
                         [](const testing::TestParamInfo<CCheckCase>& info) { return info.param.pszName; });

TEST_F(SavedGraph, CheckFilterWithoutAnOutputChangesNothing)
{
    ASSERT_EQ(S_OK, BuildDescribed("Q:io"));
    m_trace.Clear();
    EXPECT_EQ(S_OK, m_cgraph.CheckFilter(CLSID_Quelmar, nullptr));
    CComPtr<IBaseFilter> spFilter;
    EXPECT_EQ(S_OK, m_cgraph.CheckFilter(CLSID_Quelmar, &spFilter));
    EXPECT_EQ(static_cast<IBaseFilter*>(m_rgLevelFilters[0].get()), spFilter.p);
    EXPECT_TRUE(m_trace.Lines().empty());
    EXPECT_TRUE(m_graph.m_rgDisconnected.empty());
}

TEST_F(SavedGraph, EmptyGraphFailsWithoutATrace)
{
    CGraph empty;
    CComPtr<IBaseFilter> spFilter;
    EXPECT_EQ(E_FAIL, empty.CheckFilter(CLSID_Quelmar, &spFilter));
    EXPECT_TRUE(m_trace.Lines().empty());
}

TEST_F(SavedGraph, LoadFailureAndInformativeSuccess)
{
    m_hrLoad = VFW_E_INVALID_FILE_FORMAT;
    EXPECT_EQ(VFW_E_INVALID_FILE_FORMAT, BuildDescribed("Q:io"));
    EXPECT_EQ(std::vector<std::string>{"CGraph::BuildFromGRFFile(): Can't load data from .grf file\n"}, m_trace.Texts());
    m_hrLoad = S_FALSE;  // a success other than S_OK is not passed on
    EXPECT_EQ(S_OK, BuildDescribed("Q:io"));
}

// What structured storage itself says of a file, for comparison.
HRESULT OpenStatus(const std::string& strPath)
{
    CComPtr<IStorage> spStorage;
    return StgOpenStorage(CA2W(strPath.c_str()), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &spStorage);
}

std::string WritePlainFile(const char* pszName, const std::string& strContent)
{
    std::string strPath = TestFilePath(pszName);
    std::ofstream(strPath, std::ios::binary) << strContent;
    return strPath;
}

TEST_F(SavedGraph, FilesThatAreNoCompoundFilesCannotBeOpened)
{
    std::string rgPaths[] = {TestFilePath("missing.grf"), WritePlainFile("text.grf", "not a graph"),
                             WritePlainFile("media.GRF", std::string("RIFF\x24\0\0\0WAVEfmt ", 16))};
    for (const std::string& strPath : rgPaths) {
        m_trace.Clear();
        HRESULT hrStorage = OpenStatus(strPath);
        ASSERT_TRUE(FAILED(hrStorage)) << strPath;
        EXPECT_EQ(hrStorage, m_cgraph.BuildGraph(strPath.c_str(), m_hWnd, WM_APP)) << strPath;
        EXPECT_EQ(std::vector<std::string>{"CGraph::BuildFromGRFFile(): Can't open .grf file\n"}, m_trace.Texts());
    }
}

TEST_F(SavedGraph, CompoundFileWithoutTheStreamIsInvalid)
{
    std::string strPath = WriteCompoundFile("document.grf", nullptr);
    EXPECT_EQ(STG_E_FILENOTFOUND, m_cgraph.BuildGraph(strPath.c_str(), m_hWnd, WM_APP));
    EXPECT_EQ(std::vector<std::string>{"CGraph::BuildFromGRFFile(): Invalid .grf file\n"}, m_trace.Texts());
}

TEST_F(SavedGraph, FileHeldOpenExclusivelyGivesTheSharingStatus)
{
    std::string strDescription = "Q:io";
    std::string strPath = WriteCompoundFile("held.grf", &strDescription);
    HANDLE hFile = CreateFileA(strPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    HRESULT hrStorage = OpenStatus(strPath);
    EXPECT_TRUE(FAILED(hrStorage));
    EXPECT_EQ(hrStorage, m_cgraph.BuildGraph(strPath.c_str(), m_hWnd, WM_APP));
    CloseHandle(hFile);
    EXPECT_EQ(S_OK, m_cgraph.BuildGraph(strPath.c_str(), m_hWnd, WM_APP));
}

TEST_F(SavedGraph, NamesEndingInGrfInAnyCaseAreSavedGraphs)
{
    std::string strDescription = "Q:io";
    for (const char* pszName : {"a.grf", "b.GRF", "c.Grf"})
        EXPECT_EQ(S_OK, BuildDescribed(strDescription, pszName)) << pszName;
    m_graph.m_hrRenderFile = VFW_E_UNKNOWN_FILE_TYPE;  // the media path says so
    for (const char* pszName : {"a.b", "grf", "x.grfx"})
        EXPECT_EQ(VFW_E_UNKNOWN_FILE_TYPE, m_cgraph.BuildGraph(pszName, m_hWnd, WM_APP)) << pszName;
}

// Wine's graph manager has no IPersistStream: saved graphs cannot be loaded.
TEST(SavedGraphUnderWine, TheGraphManagerCannotLoadSavedGraphs)
{
    CTraceCapture trace;
    HWND hWnd = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    CGraph cgraph;
    std::string strDescription = "Q:io";
    EXPECT_EQ(E_NOINTERFACE, cgraph.BuildGraph(WriteCompoundFile("wine.grf", &strDescription).c_str(), hWnd, WM_APP));
    EXPECT_EQ(std::vector<std::string>{"CGraph::BuildFromGRFFile(): the graph manager has no IPersistStream\n"},
              trace.Texts());
    cgraph.Reset();
    DestroyWindow(hWnd);
}

TEST(SavedGraphDialog, BuildingASavedGraphShowsTheFilterAndEnablesTheControls)
{
    std::unique_ptr<CFakeTopology> spTopology;
    std::unique_ptr<CFakeQuelmar> spLevelFilter;
    CDialogDriver dialog(
        [&] {
            spTopology.reset(new CFakeTopology);
            spLevelFilter.reset(new CFakeQuelmar);
            spTopology->m_graph.m_bPersistStream = true;
            CFakeQuelmar* pFilter = spLevelFilter.get();
            spTopology->m_graph.m_fnLoad = [pFilter, &spTopology](IStream*) {
                CFakePin::Join(pFilter->m_pIn, spTopology->m_pSourceOut);
                CFakePin::Join(pFilter->m_pOut, spTopology->m_pRendererIn);
                spTopology->m_graph.m_rgFilters = {pFilter};
                return S_OK;
            };
        },
        [&] {
            spTopology.reset();
            spLevelFilter.reset();
        });
    std::string strDescription = "Q:io";
    std::string strPath = WriteCompoundFile("dialog.grf", &strDescription);
    SendMessageA(dialog.Item(IDC_FILE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(strPath.c_str()));
    dialog.PostCommand(IDC_BUILD_GRAPH);
    dialog.Sync();
    char szCaption[256] = {};
    GetWindowTextA(dialog.Dialog(), szCaption, sizeof(szCaption));
    EXPECT_STREQ("Test for Quelmar [R64 v.2.5 Dec 10 2026]", szCaption);
    EXPECT_TRUE(IsWindowEnabled(dialog.Item(IDC_PLAY)));
}

}  // namespace
