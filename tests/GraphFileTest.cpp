// Saved graphs: opening the compound file and its "ActiveMovieGraph" stream
// (real structured storage written here), loading it into the graph manager,
// and checking the level filter in the loaded graph.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "DialogDriver.h"
#include "FakeTopology.h"
#include "GraphFileWriter.h"
#include "MessageBoxProbe.h"
#include "TraceCapture.h"
#include "WavFile.h"
#include "WindowText.h"
#include "../graph/Graph.h"
#include "../graph/GraphFileReader.h"
#include "../ui/resource.h"

#include <commctrl.h>

namespace {

// Writes a compound file; with strStream, an "ActiveMovieGraph" stream holding it.
std::string WriteCompoundFile(const char* pszName, const std::string* pstrStream)
{
    std::string strPath = TestFilePath(pszName);
    EXPECT_EQ(S_OK, WriteGraphFile(strPath, pstrStream)) << strPath;
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

// Wine's graph manager has no IPersistStream: our own reader takes the
// stream, and a stream it cannot read leaves no graph behind.
TEST(SavedGraphUnderWine, TheOwnReaderRefusesAStreamOfAnotherFormat)
{
    CTraceCapture trace;
    HWND hWnd = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    CGraph cgraph;
    std::string strDescription = "Q:io";
    EXPECT_EQ(VFW_E_INVALID_FILE_FORMAT,
              cgraph.BuildGraph(WriteCompoundFile("wine.grf", &strDescription).c_str(), hWnd, WM_APP));
    EXPECT_EQ((std::vector<std::string>{"CGraphFileReader::Load(): the stream does not follow the saved-graph format\n",
                                        "CGraph::BuildFromGRFFile(): Can't load data from .grf file\n"}),
              trace.Texts());
    EXPECT_TRUE(cgraph.IsEmpty());
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

// ---- Our own reader, with Wine's graph manager and real filters ------------

const wchar_t c_szRendererIn[] = L"Audio Input pin (rendered)";  // Wine's DirectSound renderer

// A text of the stream with one piece of it replaced.
std::string Replaced(std::string strStream, const std::wstring& strFrom, const std::wstring& strTo)
{
    std::string strFromBytes = WideBytes(strFrom);
    size_t nPos = strStream.find(strFromBytes);
    EXPECT_NE(std::string::npos, nPos) << "the stream lacks the piece to replace";
    if (nPos != std::string::npos)
        strStream.replace(nPos, strFromBytes.size(), WideBytes(strTo));
    return strStream;
}

// The level filter and the audio renderer, unconnected; filter data as given.
std::string LevelFilterAndRenderer(const std::string& strData = std::string())
{
    CGraphFileWriter writer;
    writer.Filter(1, L"Quelmar", CLSID_Quelmar, strData);
    writer.Filter(2, L"Renderer", CLSID_DSoundRender);
    return writer.Stream();
}

std::string WithConnection(uint32_t nInFilter, LPCWSTR pszOutPin)
{
    CGraphFileWriter writer;
    writer.Filter(1, L"Quelmar", CLSID_Quelmar);
    writer.Filter(2, L"Renderer", CLSID_DSoundRender);
    AM_MEDIA_TYPE mt = MakeAudioType();
    writer.Connection(1, pszOutPin, nInFilter, c_szRendererIn, mt);
    FreeMediaType(&mt);
    return writer.Stream();
}

struct CBadStreamCase {
    const char* pszName;
    std::string (*pfnStream)();
    HRESULT hrExpected;
    const char* pszReaderTrace;
};

const char c_szNotTheFormat[] = "CGraphFileReader::Load(): the stream does not follow the saved-graph format\n";

const CBadStreamCase g_rgBadStreams[] = {
    {"Empty", [] { return std::string(); }, VFW_E_INVALID_FILE_FORMAT, c_szNotTheFormat},
    {"Truncated", [] { return LevelFilterAndRenderer().substr(0, 120); }, VFW_E_INVALID_FILE_FORMAT, c_szNotTheFormat},
    {"CountPastTheEnd", [] { return Replaced(LevelFilterAndRenderer("abc"), L"0000000003", L"0000000999"); },
     VFW_E_INVALID_FILE_FORMAT, c_szNotTheFormat},
    {"AbsurdCount", [] { return Replaced(LevelFilterAndRenderer("abc"), L"0000000003", L"99999999999999999999"); },
     VFW_E_INVALID_FILE_FORMAT, c_szNotTheFormat},
    {"UnknownKeyword", [] { return Replaced(LevelFilterAndRenderer(), L"CONNECTIONS", L"PRIORITY 1\r\nCONNECTIONS"); },
     VFW_E_INVALID_FILE_FORMAT, c_szNotTheFormat},
    {"MissingEnd", [] { return Replaced(LevelFilterAndRenderer(), L"END", L""); }, VFW_E_INVALID_FILE_FORMAT,
     c_szNotTheFormat},
    {"VersionFour", [] { return Replaced(LevelFilterAndRenderer(), L"0003", L"0004"); }, VFW_E_INVALID_FILE_FORMAT,
     c_szNotTheFormat},
    {"FilterIdTwice", [] { return Replaced(LevelFilterAndRenderer(), L"0002", L"0001"); }, VFW_E_INVALID_FILE_FORMAT,
     c_szNotTheFormat},
    {"ConnectionToAnUnknownFilter", [] { return WithConnection(7, L"Out"); }, VFW_E_INVALID_FILE_FORMAT,
     c_szNotTheFormat},
    {"LargerThanAnyGraph", [] { return LevelFilterAndRenderer() + std::string(c_cbMaxSavedGraph, ' '); },
     VFW_E_INVALID_FILE_FORMAT, "CGraphFileReader::Load(): the stream is larger than any saved graph\n"},
    {"UnknownClass",
     [] { return Replaced(LevelFilterAndRenderer(), L"{380949BC", L"{0BADC1A5"); }, REGDB_E_CLASSNOTREG,
     "CGraphFileReader::Load(): CoCreateInstance() FAILED for a saved filter\n"},
    {"MissingPin", [] { return WithConnection(2, L"Nowhere"); }, VFW_E_NOT_FOUND,
     "CGraphFileReader::Load(): FindPin() FAILED for a saved connection\n"},
    {"DataWithoutIPersistStream", [] { return LevelFilterAndRenderer("settings"); }, E_NOINTERFACE,
     "CGraphFileReader::Load(): a filter with saved data has no IPersistStream\n"},
    {"SourceOnAFilterThatReadsNoFile",
     [] { return Replaced(LevelFilterAndRenderer(), L"0000000000 \r\n0002", L"SOURCE \"a.wav\" 0000000000 \r\n0002"); },
     E_NOINTERFACE, "CGraphFileReader::Load(): the file of a saved filter cannot be set\n"},
    {"ClockOfAFilterWithoutOne", [] { return Replaced(LevelFilterAndRenderer(), L"END", L"CLOCK 1 0001\r\nEND"); },
     E_NOINTERFACE, "CGraphFileReader::Load(): the saved clock cannot be had\n"},
};

class OwnReader : public testing::Test {
protected:
    OwnReader() { m_hWnd = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr); }
    ~OwnReader() override
    {
        m_cgraph.Reset();
        DestroyWindow(m_hWnd);
    }
    HRESULT Build(const std::string& strStream, const char* pszName = "own.grf")
    {
        return m_cgraph.BuildGraph(WriteCompoundFile(pszName, &strStream).c_str(), m_hWnd, WM_APP);
    }

    HWND m_hWnd;
    CTraceCapture m_trace;
    CGraph m_cgraph;
};

class OwnReaderBadStream : public OwnReader, public testing::WithParamInterface<CBadStreamCase> {};

TEST_P(OwnReaderBadStream, EndsWithItsStatusAndNoGraph)
{
    const CBadStreamCase& c = GetParam();
    EXPECT_EQ(c.hrExpected, Build(c.pfnStream()));
    EXPECT_EQ((std::vector<std::string>{c.pszReaderTrace, "CGraph::BuildFromGRFFile(): Can't load data from .grf file\n"}),
              m_trace.Texts());
    EXPECT_TRUE(m_cgraph.IsEmpty());
    EXPECT_EQ(nullptr, m_cgraph.GraphBuilder());
}

INSTANTIATE_TEST_SUITE_P(Streams, OwnReaderBadStream, testing::ValuesIn(g_rgBadStreams),
                         [](const testing::TestParamInfo<CBadStreamCase>& info) { return info.param.pszName; });

// What the graph manager itself says of connecting a WAV file's reader
// straight to the level filter's input with the file's stream type.
HRESULT DirectStatusOfReaderToLevelFilter(const std::wstring& strFile, const AM_MEDIA_TYPE& mt)
{
    CComPtr<IGraphBuilder> spGraph;
    CComPtr<IBaseFilter> spReader, spLevel;
    CComPtr<IPin> spOut, spIn;
    CComQIPtr<IFileSourceFilter> spSource;
    HRESULT hr = spGraph.CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER);
    if (hr == S_OK)
        hr = spReader.CoCreateInstance(CLSID_AsyncReader, nullptr, CLSCTX_INPROC_SERVER);
    if (hr == S_OK)
        hr = spLevel.CoCreateInstance(CLSID_Quelmar, nullptr, CLSCTX_INPROC_SERVER);
    if (hr == S_OK)
        hr = spGraph->AddFilter(spReader, L"Reader");
    if (hr == S_OK)
        hr = spGraph->AddFilter(spLevel, L"Quelmar");
    if (hr == S_OK && (spSource = spReader))
        hr = spSource->Load(strFile.c_str(), nullptr);
    if (hr == S_OK)
        hr = spReader->FindPin(L"Output", &spOut);
    if (hr == S_OK)
        hr = spLevel->FindPin(L"In", &spIn);
    EXPECT_EQ(S_OK, hr) << "setting up the direct connection";
    return hr == S_OK ? spGraph->ConnectDirect(spOut, spIn, &mt) : hr;
}

TEST_F(OwnReader, ARefusedConnectionEndsWithTheConnectionsStatus)
{
    std::string strWav = TestFilePath("refused.wav");
    ASSERT_TRUE(WriteWav(strWav, {WAVE_FORMAT_PCM, 16, 2, 44100, false}, Sines({-6.0, -6.0}, 1000.0, 44100, 0.5)));
    std::wstring strWideWav(CA2W(strWav.c_str()));
    AM_MEDIA_TYPE mt = {};
    mt.majortype = MEDIATYPE_Stream;
    mt.subtype = MEDIASUBTYPE_WAVE;
    HRESULT hrDirect = DirectStatusOfReaderToLevelFilter(strWideWav, mt);
    ASSERT_TRUE(FAILED(hrDirect));
    CGraphFileWriter writer;
    writer.Filter(1, L"Reader", CLSID_AsyncReader, std::string(), L"SOURCE", strWideWav.c_str());
    writer.Filter(2, L"Quelmar", CLSID_Quelmar);
    writer.Connection(1, L"Output", 2, L"In", mt);
    EXPECT_EQ(hrDirect, Build(writer.Stream()));
    EXPECT_TRUE(m_trace.Contains("CGraphFileReader::Load(): m_spGraph->ConnectDirect() FAILED\n"));
    EXPECT_TRUE(m_cgraph.IsEmpty());
}

// The level filter check after our reader: the statuses of the Windows path.
TEST_F(OwnReader, LoadedGraphsWhoseLevelFilterFailsTheCheck)
{
    CGraphFileWriter rendererOnly;
    rendererOnly.Filter(1, L"Renderer", CLSID_DSoundRender);
    EXPECT_EQ(E_FAIL, Build(rendererOnly.Stream(), "no-level-filter.grf"));
    EXPECT_EQ(std::vector<std::string>{"CGraph::CheckFilter(): Wanted filter not found\n"}, m_trace.Texts());
    EXPECT_FALSE(m_cgraph.IsEmpty());
    m_trace.Clear();
    EXPECT_EQ(E_FAIL, Build(LevelFilterAndRenderer(), "unconnected.grf"));
    EXPECT_EQ(std::vector<std::string>{"CGraph::CheckFilter(): Pin of wanted filter not connected\n"}, m_trace.Texts());
    EXPECT_FALSE(m_cgraph.IsEmpty());
}

// A filter that records what a saved graph hands it: its saved data and the
// name of the file it writes.
class CRecordingFilter : public CFakeFilter, public IPersistStream, public IFileSinkFilter {
public:
    CRecordingFilter() : CFakeFilter(L"recorder", c_clsid) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IPersistStream) {
            *ppv = static_cast<IPersistStream*>(this);
        } else if (riid == IID_IFileSinkFilter) {
            *ppv = static_cast<IFileSinkFilter*>(this);
        } else {
            return CFakeFilter::QueryInterface(riid, ppv);
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return CFakeFilter::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return CFakeFilter::Release(); }
    STDMETHODIMP GetClassID(CLSID* pClassID) override { return CFakeFilter::GetClassID(pClassID); }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(IStream* pStream) override
    {
        m_strLoaded = ReadStream(pStream);
        return S_OK;
    }
    STDMETHODIMP Save(IStream*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP SetFileName(LPCOLESTR pszFileName, const AM_MEDIA_TYPE*) override
    {
        m_strSinkFile = pszFileName;
        return S_OK;
    }
    STDMETHODIMP GetCurFile(LPOLESTR*, AM_MEDIA_TYPE*) override { return E_NOTIMPL; }

    static constexpr CLSID c_clsid = {0x5a1e0c7d, 0x33b2, 0x4f4e, {0x9d, 0x61, 0x0b, 0x7e, 0x2c, 0x55, 0x80, 0x13}};
    std::string m_strLoaded;
    std::wstring m_strSinkFile;
};

bool IsSameObject(IUnknown* p1, IUnknown* p2)
{
    CComPtr<IUnknown> spUnknown1, spUnknown2;
    p1->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&spUnknown1));
    p2->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&spUnknown2));
    return spUnknown1 && spUnknown1 == spUnknown2;
}

CComPtr<IStream> StreamOf(const std::string& str)
{
    CComPtr<IStream> spStream;
    CreateStreamOnHGlobal(nullptr, TRUE, &spStream);
    ULONG cbWritten = 0;
    spStream->Write(str.data(), static_cast<ULONG>(str.size()), &cbWritten);
    LARGE_INTEGER liStart = {};
    spStream->Seek(liStart, STREAM_SEEK_SET, nullptr);
    return spStream;
}

TEST(OwnReaderSteps, SavedDataSinkFileNamesAndTheClockReachTheirFilters)
{
    CRecordingFilter recorder;
    {
        CRegisteredFake factory(CRecordingFilter::c_clsid, static_cast<IBaseFilter*>(&recorder));
        const std::string strData("\r\n\0\"END\x01", 7);  // line breaks, a zero, a quote, a keyword; odd size
        CGraphFileWriter writer;
        writer.Filter(1, L"Recorder", CRecordingFilter::c_clsid, strData, L"SINK", L"C:\\out\\saved.wav");
        writer.Filter(2, L"Renderer", CLSID_DSoundRender);
        writer.Clock(true, 2);
        CComPtr<IGraphBuilder> spGraph;
        ASSERT_EQ(S_OK, spGraph.CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER));
        EXPECT_EQ(S_OK, CGraphFileReader(spGraph).Load(StreamOf(writer.Stream())));
        EXPECT_EQ(strData, recorder.m_strLoaded);
        EXPECT_EQ(L"C:\\out\\saved.wav", recorder.m_strSinkFile);
        CComPtr<IBaseFilter> spFound, spRenderer;
        EXPECT_EQ(S_OK, spGraph->FindFilterByName(L"Recorder", &spFound));
        EXPECT_TRUE(spFound && IsSameObject(spFound, static_cast<IBaseFilter*>(&recorder)));
        ASSERT_EQ(S_OK, spGraph->FindFilterByName(L"Renderer", &spRenderer));
        CComQIPtr<IMediaFilter> spMediaFilter(spGraph);
        CComPtr<IReferenceClock> spClock;
        ASSERT_EQ(S_OK, spMediaFilter->GetSyncSource(&spClock));
        EXPECT_TRUE(spClock && IsSameObject(spClock, spRenderer));
    }
    EXPECT_EQ(1u, recorder.m_nRefs);  // the graph and the reader let it go
}

TEST(OwnReaderSteps, AFailureAfterSomeFiltersReleasesThemAll)
{
    CRecordingFilter recorder;
    {
        CRegisteredFake factory(CRecordingFilter::c_clsid, static_cast<IBaseFilter*>(&recorder));
        CGraphFileWriter writer;
        writer.Filter(1, L"Recorder", CRecordingFilter::c_clsid);
        writer.Filter(2, L"Unknown", CLSID_NULL);
        HWND hWnd = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        std::string strStream = writer.Stream();
        CGraph cgraph;
        EXPECT_EQ(REGDB_E_CLASSNOTREG, cgraph.BuildGraph(WriteCompoundFile("half.grf", &strStream).c_str(), hWnd, WM_APP));
        EXPECT_TRUE(cgraph.IsEmpty());
        DestroyWindow(hWnd);
    }
    EXPECT_EQ(1u, recorder.m_nRefs);
}

// A stream as another writer might lay it out from the documentation: a
// three-digit version, short ids, tabs and single spaces, small-letter ids,
// the clock by filter id. Reader, Wine's parser, the level filter, renderer.
TEST_F(OwnReader, AStreamOfAnotherWriterFollowingTheDocumentationLoads)
{
    std::string strWav = TestFilePath("other-writer.wav");
    ASSERT_TRUE(WriteWav(strWav, {WAVE_FORMAT_PCM, 16, 2, 44100, false}, Sines({-6.0, -6.0}, 1000.0, 44100, 0.5)));
    WAVEFORMATEX wfx = {WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};
    std::string strFormat(reinterpret_cast<const char*>(&wfx), sizeof(wfx));
    const std::wstring strAudio = L"{73647561-0000-0010-8000-00aa00389b71}\t{00000001-0000-0010-8000-00aa00389b71} 1 0 4 "
                                  L"{05589f81-c356-11ce-bf01-00aa0055595a} 18 ";
    std::string strStream =
        WideBytes(L"003\r\nFILTERS\r\n1 \"Reader\" {e436ebb5-524f-11ce-9f53-0020af0ba770} SOURCE \"" +
                  std::wstring(CA2W(strWav.c_str())) +
                  L"\" 0 \r\n2\t\"Splitter\"\t{f9d8d64e-a144-47dc-8ee0-f53498372c29}\t0 \r\n"
                  L"3 \"Quelmar\" {380949bc-ad26-4862-bf30-1f709075df5b} 0 \r\n"
                  L"4 \"Renderer\" {79376820-07d0-11cf-a24d-0020afd79767} 0 \r\nCONNECTIONS\r\n"
                  L"1 \"Output\" 2 \"input pin\" 1 {e436eb83-524f-11ce-9f53-0020af0ba770} "
                  L"{e436eb8b-524f-11ce-9f53-0020af0ba770} 1 0 1 {00000000-0000-0000-0000-000000000000} 0 \r\n"
                  L"2 \"Stream 00\" 3 \"In\" 0 ") +
        WideBytes(strAudio) + strFormat + WideBytes(L"\r\n3 \"Out\" 4 \"Audio Input pin (rendered)\" 0 ") +
        WideBytes(strAudio) + strFormat + WideBytes(L"\r\nCLOCK 1 4\r\nEND");
    EXPECT_EQ(S_OK, Build(strStream));
    EXPECT_EQ(2, m_cgraph.GetChannelCount());
    CComPtr<IBaseFilter> spRenderer;
    ASSERT_EQ(S_OK, m_cgraph.GraphBuilder()->FindFilterByName(L"Renderer", &spRenderer));
    CComQIPtr<IMediaFilter> spMediaFilter(m_cgraph.GraphBuilder());
    CComPtr<IReferenceClock> spClock;
    ASSERT_EQ(S_OK, spMediaFilter->GetSyncSource(&spClock));
    EXPECT_TRUE(spClock && IsSameObject(spClock, spRenderer));
}

// The program's own graph for a WAV file, saved by our writer.
std::string SaveProgramGraph(const std::string& strMedia, const char* pszName, CSavedGraph* pSaved)
{
    HWND hWnd = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    CGraph cgraph;
    EXPECT_EQ(S_OK, cgraph.BuildGraph(strMedia.c_str(), hWnd, WM_APP));
    std::string strStream;
    EXPECT_EQ(S_OK, SaveGraphStream(cgraph.GraphBuilder(), &strStream));
    cgraph.Reset();
    DestroyWindow(hWnd);
    EXPECT_TRUE(ParseSavedGraph(reinterpret_cast<const uint8_t*>(strStream.data()), strStream.size(), pSaved));
    return WriteCompoundFile(pszName, &strStream);
}

TEST(OwnReaderDialog, ASavedGraphOfTheProgramBuildsAndPlaysThroughTheLevelFilter)
{
    std::string strWav = TestFilePath("round-trip.wav");
    ASSERT_TRUE(WriteWav(strWav, {WAVE_FORMAT_PCM, 16, 2, 44100, false}, Sines({-3.0, -20.0}, 1000.0, 44100, 1.5)));
    CSavedGraph saved;
    std::string strGraph = SaveProgramGraph(strWav, "round-trip.grf", &saved);
    EXPECT_EQ(4u, saved.rgFilters.size());  // reader, parser, level filter, renderer
    EXPECT_EQ(3u, saved.rgConnections.size());
    CDialogDriver dialog;
    SendMessageA(dialog.Item(IDC_FILE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(strGraph.c_str()));
    dialog.PostCommand(IDC_BUILD_GRAPH);
    dialog.Sync();
    CMessageBoxInfo info;
    if (FindMessageBox(dialog.ThreadId(), dialog.Dialog(), 0, &info)) {
        ADD_FAILURE() << "the build failed: " << info.strText;
        PressMessageBoxButton(info, IDOK);
        dialog.Sync();
        return;
    }
    EXPECT_EQ(0u, GetText(dialog.Dialog()).find("Test for Quelmar [R64 v.1.0.0 ")) << GetText(dialog.Dialog());
    EXPECT_EQ("0.0000000 : 1.5000000", dialog.Text(IDC_POSITION_TEXT));
    ASSERT_TRUE(IsWindowEnabled(dialog.Item(IDC_PLAY)));
    dialog.PostCommand(IDC_PLAY);
    EXPECT_TRUE(WaitUntil([&] { return dialog.Send(IDC_LEVEL, PBM_GETPOS) > 30; }, 10000))
        << dialog.Send(IDC_LEVEL, PBM_GETPOS);  // -3 dB shows as 37
    ASSERT_TRUE(FindMessageBox(dialog.ThreadId(), dialog.Dialog(), 20000, &info));
    EXPECT_EQ("The end", info.strText);
    PressMessageBoxButton(info, IDOK);
    dialog.Sync();
}

TEST(OwnReaderDialog, ABrokenStreamShowsCantBuildGraphWithItsStatus)
{
    std::string strStream = Replaced(LevelFilterAndRenderer(), L"END", L"");
    std::string strGraph = WriteCompoundFile("broken.grf", &strStream);
    CDialogDriver dialog;
    SendMessageA(dialog.Item(IDC_FILE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(strGraph.c_str()));
    dialog.PostCommand(IDC_BUILD_GRAPH);
    CMessageBoxInfo info;
    ASSERT_TRUE(FindMessageBox(dialog.ThreadId(), dialog.Dialog(), 10000, &info));
    EXPECT_EQ(0u, info.strText.find("Can't build graph\n")) << info.strText;
    EXPECT_NE(std::string::npos, info.strText.find("Error 0x8004022F")) << info.strText;
    PressMessageBoxButton(info, IDOK);
    dialog.Sync();
    EXPECT_FALSE(IsWindowEnabled(dialog.Item(IDC_PLAY)));
}

}  // namespace
