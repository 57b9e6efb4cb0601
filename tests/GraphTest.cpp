// CGraph: building (forced through fakes, and for real with Wine's graph
// manager, the level filter and real media), media control, events, seeking
// and the typed access to the level filter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "BadFiles.h"
#include "FakeTopology.h"
#include "TraceCapture.h"
#include "WavFile.h"
#include "../graph/Graph.h"

namespace {

constexpr UINT c_uNotifyMessage = WM_APP + 0x7B;

// A window for the graph's notifications, owned by the test thread.
class CNotifyWindow {
public:
    CNotifyWindow() : m_hWnd(CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~CNotifyWindow() { DestroyWindow(m_hWnd); }
    CNotifyWindow(const CNotifyWindow&) = delete;
    CNotifyWindow& operator=(const CNotifyWindow&) = delete;

    HWND m_hWnd;
};

// ---- Forced paths: the fakes stand in for the graph manager and the filter

class FakeGraph : public testing::Test, public CFakeTopology {
public:
    ~FakeGraph() override
    {
        m_cgraph.Reset();
        for (ULONG nRefs : {m_graph.m_nRefs, m_quelmar.m_nRefs, m_source.m_nRefs, m_renderer.m_nRefs,
                            m_pSourceOut->m_nRefs, m_pRendererIn->m_nRefs})
            EXPECT_EQ(1u, nRefs);  // every reference the program took is back
    }
    HRESULT Build(LPCSTR pszName = "file.wav") { return m_cgraph.BuildGraph(pszName, m_window.m_hWnd, c_uNotifyMessage); }

    CNotifyWindow m_window;
    CTraceCapture m_trace;
    CGraph m_cgraph;
};

TEST_F(FakeGraph, InsertsTheFilterBeforeTheRenderer)
{
    ASSERT_EQ(S_OK, Build());
    EXPECT_EQ((std::vector<IPin*>{m_pSourceOut, m_pRendererIn}), m_graph.m_rgDisconnected);  // out, then in
    EXPECT_EQ(std::vector<std::wstring>{L"Quelmar"}, m_graph.m_rgAddedNames);
    EXPECT_EQ(m_quelmar.m_pIn, m_pSourceOut->m_pConnected);
    EXPECT_EQ(reinterpret_cast<OAHWND>(m_window.m_hWnd), m_graph.m_hwndNotify);
    EXPECT_EQ(static_cast<long>(c_uNotifyMessage), m_graph.m_lNotifyMessage);
    EXPECT_EQ(0, m_graph.m_lNotifyInstance);
    EXPECT_FALSE(m_cgraph.IsEmpty());
    EXPECT_EQ(2, m_cgraph.GetChannelCount());  // m_spQuelmar is the created filter
    EXPECT_TRUE(m_trace.Lines().empty());
}

TEST_F(FakeGraph, ResetWithdrawsTheNotificationAndReleasesEverything)
{
    ASSERT_EQ(S_OK, Build());
    m_cgraph.Reset();
    EXPECT_EQ(0, m_graph.m_hwndNotify);
    EXPECT_EQ(0, m_graph.m_lNotifyMessage);
    EXPECT_EQ(2, m_graph.m_nNotifyCalls);
    EXPECT_TRUE(m_cgraph.IsEmpty());
    EXPECT_EQ(1u, m_graph.m_nRefs);
    EXPECT_EQ(1u, m_quelmar.m_nRefs);
    m_cgraph.Reset();  // twice: nothing more happens
    EXPECT_EQ(2, m_graph.m_nNotifyCalls);
}

TEST_F(FakeGraph, DestructionAloneReleasesEverything)
{
    {
        CGraph cgraph;
        ASSERT_EQ(S_OK, cgraph.BuildGraph("file.wav", m_window.m_hWnd, c_uNotifyMessage));
        EXPECT_GT(m_graph.m_nRefs, 1u);
    }
    EXPECT_EQ(1u, m_graph.m_nRefs);
    EXPECT_EQ(1u, m_quelmar.m_nRefs);
    EXPECT_EQ(1, m_graph.m_nNotifyCalls);  // the destructor does not clear the notify window
}

TEST_F(FakeGraph, RefusedArgumentsKeepThePreviousGraph)
{
    ASSERT_EQ(S_OK, Build());
    EXPECT_EQ(E_INVALIDARG, m_cgraph.BuildGraph(nullptr, m_window.m_hWnd, c_uNotifyMessage));
    EXPECT_EQ(E_INVALIDARG, m_cgraph.BuildGraph("file.wav", reinterpret_cast<HWND>(0x1234), c_uNotifyMessage));
    EXPECT_FALSE(m_cgraph.IsEmpty());
    EXPECT_EQ(1, m_graph.m_nNotifyCalls);  // still notifying the window
    EXPECT_EQ(2, m_cgraph.GetChannelCount());
}

struct CStepFailure {
    const char* pszName;
    std::function<void(FakeGraph*)> fnSetUp;
    HRESULT hrExpected;
    const char* pszTrace;  // the one diagnostic line, or null for none
    bool bEmptyAfter;
};

class FakeGraphStep : public FakeGraph, public testing::WithParamInterface<CStepFailure> {
public:
    void RemoveRenderer() { m_graph.m_rgFilters = {&m_source}; }
    void RenderLeavesOutputFree()
    {
        m_graph.m_fnRender = [this](IPin*) { CFakePin::Join(m_pSourceOut, m_quelmar.m_pIn); };
    }
};

const CStepFailure g_rgStepFailures[] = {
    {"GraphManagerNotCreated", [](FakeGraph* p) { p->FailGraphCreation(E_OUTOFMEMORY); }, E_OUTOFMEMORY,
     "CGraph::BuildGraph(): m_spGraph.CoCreateInstance() FAILED\n", true},
    {"RenderFileFails", [](FakeGraph* p) { static_cast<FakeGraphStep*>(p)->m_graph.m_hrRenderFile = VFW_E_UNSUPPORTED_STREAM; },
     VFW_E_UNSUPPORTED_STREAM, nullptr, false},
    {"RenderFilePartly", [](FakeGraph* p) { static_cast<FakeGraphStep*>(p)->m_graph.m_hrRenderFile = VFW_S_PARTIAL_RENDER; },
     VFW_S_PARTIAL_RENDER, nullptr, false},
    {"EnumFiltersFails", [](FakeGraph* p) { static_cast<FakeGraphStep*>(p)->m_graph.m_hrEnumFilters = E_UNEXPECTED; },
     E_UNEXPECTED, nullptr, false},
    {"EnumFiltersSucceedsOddly", [](FakeGraph* p) { static_cast<FakeGraphStep*>(p)->m_graph.m_hrEnumFilters = S_FALSE; },
     E_FAIL, nullptr, false},
    {"NoAudioRenderer", [](FakeGraph* p) { static_cast<FakeGraphStep*>(p)->RemoveRenderer(); }, E_FAIL, nullptr, false},
    {"FilterListEndsInFailure",
     [](FakeGraph* p) {
         static_cast<FakeGraphStep*>(p)->RemoveRenderer();
         static_cast<FakeGraphStep*>(p)->m_graph.m_hrEnumFiltersAtEnd = VFW_E_ENUM_OUT_OF_SYNC;
     },
     VFW_E_ENUM_OUT_OF_SYNC, nullptr, false},
    {"LevelFilterNotRegistered", [](FakeGraph* p) { p->FailFilterCreation(REGDB_E_CLASSNOTREG); },
     REGDB_E_CLASSNOTREG, "CGraph::BuildGraph(): CoCreateInstance( Quelmar ) FAILED\n", false},
    {"AddFilterFails", [](FakeGraph* p) { static_cast<FakeGraphStep*>(p)->m_graph.m_hrAddFilter = E_OUTOFMEMORY; },
     E_OUTOFMEMORY, "CGraph::BuildGraph(): m_spGraph->AddFilter( Quelmar ) FAILED\n", false},
    {"AddFilterRenames", [](FakeGraph* p) { static_cast<FakeGraphStep*>(p)->m_graph.m_hrAddFilter = VFW_S_DUPLICATE_NAME; },
     VFW_S_DUPLICATE_NAME, "CGraph::BuildGraph(): m_spGraph->AddFilter( Quelmar ) FAILED\n", false},
    {"RenderFails", [](FakeGraph* p) { static_cast<FakeGraphStep*>(p)->m_graph.m_hrRender = VFW_E_CANNOT_CONNECT; },
     VFW_E_CANNOT_CONNECT, nullptr, false},
    {"RenderLeavesTheOutputFree", [](FakeGraph* p) { static_cast<FakeGraphStep*>(p)->RenderLeavesOutputFree(); }, E_FAIL,
     nullptr, false},
};

TEST_P(FakeGraphStep, FailsWithItsStatusAndUndoesNothing)
{
    const CStepFailure& failure = GetParam();
    failure.fnSetUp(this);
    EXPECT_EQ(failure.hrExpected, Build());
    std::vector<std::string> rgExpectedTrace;
    if (failure.pszTrace)
        rgExpectedTrace.push_back(failure.pszTrace);
    EXPECT_EQ(rgExpectedTrace, m_trace.Texts());
    EXPECT_EQ(failure.bEmptyAfter, m_cgraph.IsEmpty());
    EXPECT_EQ(0, m_cgraph.GetChannelCount());  // no level filter held
    EXPECT_EQ(E_FAIL, m_cgraph.SetGain(0, 0));
    EXPECT_EQ(0, m_graph.m_nNotifyCalls);
    EXPECT_TRUE(m_quelmar.m_rgCalls.empty());
}

INSTANTIATE_TEST_SUITE_P(EachStep, FakeGraphStep, testing::ValuesIn(g_rgStepFailures),
                         [](const testing::TestParamInfo<CStepFailure>& info) { return info.param.pszName; });

TEST_F(FakeGraph, PartialRenderingNeverCreatesTheFilter)
{
    m_graph.m_hrRenderFile = VFW_S_PARTIAL_RENDER;
    EXPECT_EQ(VFW_S_PARTIAL_RENDER, Build());
    EXPECT_EQ(0, m_spQuelmarFactory->m_nCreated);
    EXPECT_TRUE(m_graph.m_rgAddedNames.empty());
}

struct CRendererCase {
    const char* pszName;
    std::function<void(FakeGraph*)> fnSpoil;
};

class FakeGraphRenderer : public FakeGraph, public testing::WithParamInterface<CRendererCase> {};

const CRendererCase g_rgNotRenderers[] = {
    {"FirstPinIsAnOutput", [](FakeGraph* p) { p->m_pRendererIn->m_eDirection = PINDIR_OUTPUT; }},
    {"DirectionUnreadable", [](FakeGraph* p) { p->m_pRendererIn->m_hrQueryDirection = E_FAIL; }},
    {"Unconnected", [](FakeGraph* p) { p->m_pSourceOut->m_pConnected = p->m_pRendererIn->m_pConnected = nullptr; }},
    {"TypeUnreadable", [](FakeGraph* p) { p->m_pRendererIn->m_hrConnectionMediaType = VFW_E_NOT_CONNECTED; }},
    {"VideoMajorType", [](FakeGraph* p) { p->m_pRendererIn->m_mt.majortype = MEDIATYPE_Video; }},
    {"CompressedSubtype", [](FakeGraph* p) { p->m_pRendererIn->m_mt.subtype = MEDIASUBTYPE_MPEG1AudioPayload; }},
    {"OtherFormatType", [](FakeGraph* p) { p->m_pRendererIn->m_mt.formattype = FORMAT_VideoInfo; }},
    {"SecondPin", [](FakeGraph* p) { p->m_renderer.AddPin(PINDIR_OUTPUT); }},
};

TEST_P(FakeGraphRenderer, DoesNotQualify)
{
    GetParam().fnSpoil(this);
    EXPECT_EQ(E_FAIL, Build());
    EXPECT_TRUE(m_graph.m_rgDisconnected.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, FakeGraphRenderer, testing::ValuesIn(g_rgNotRenderers),
                         [](const testing::TestParamInfo<CRendererCase>& info) { return info.param.pszName; });

TEST_F(FakeGraph, FloatAudioQualifiesAndTheTypeIsFreed)
{
    CFakeFilter typeObject;  // rides along in the media type: its count shows the type was freed
    m_pRendererIn->m_mt.subtype = MEDIASUBTYPE_IEEE_FLOAT;
    m_pRendererIn->m_mt.pUnk = &typeObject;
    EXPECT_EQ(S_OK, Build());
    EXPECT_EQ(1u, typeObject.m_nRefs);
    m_pRendererIn->m_mt.pUnk = nullptr;
}

TEST_F(FakeGraph, OnlyTheFirstRendererIsRerouted)
{
    CFakeFilter secondSource{L"source 2"}, secondRenderer{L"renderer 2"};
    CFakePin* pOut2 = secondSource.AddPin(PINDIR_OUTPUT);
    CFakePin* pIn2 = secondRenderer.AddPin(PINDIR_INPUT);
    CFakePin::Join(pOut2, pIn2);
    m_graph.m_rgFilters = {&m_source, &m_renderer, &secondSource, &secondRenderer};
    ASSERT_EQ(S_OK, Build());
    EXPECT_EQ(m_quelmar.m_pOut, m_pRendererIn->m_pConnected);
    EXPECT_EQ(pOut2, pIn2->m_pConnected);  // the second path keeps its connection
    EXPECT_EQ(0, pIn2->m_nDisconnects);
}

struct CControlCase {
    const char* pszName;
    HRESULT hrGraph;
};

class FakeGraphControl : public FakeGraph, public testing::WithParamInterface<CControlCase> {};

TEST_P(FakeGraphControl, RunPauseStopPassTheStatusThrough)
{
    ASSERT_EQ(S_OK, Build());
    m_graph.m_hrRun = m_graph.m_hrPause = m_graph.m_hrStop = GetParam().hrGraph;
    EXPECT_EQ(GetParam().hrGraph, m_cgraph.Run());
    EXPECT_EQ(GetParam().hrGraph, m_cgraph.Pause());
    EXPECT_EQ(GetParam().hrGraph, m_cgraph.Stop());
    EXPECT_EQ((std::vector<std::string>{"Run", "Pause", "Stop"}), m_graph.m_rgCalls);
}

INSTANTIATE_TEST_SUITE_P(Statuses, FakeGraphControl,
                         testing::Values(CControlCase{"Ok", S_OK}, CControlCase{"StillChanging", S_FALSE},
                                         CControlCase{"Failure", VFW_E_NO_CLOCK}),
                         [](const testing::TestParamInfo<CControlCase>& info) { return info.param.pszName; });

TEST_F(FakeGraph, WithoutAGraphOrMediaControl)
{
    EXPECT_TRUE(m_cgraph.IsEmpty());
    EXPECT_FALSE(m_cgraph.HasGraph());
    EXPECT_TRUE(m_cgraph.IsRunning());
    EXPECT_EQ(E_FAIL, m_cgraph.Run());
    EXPECT_EQ(E_FAIL, m_cgraph.Pause());
    EXPECT_EQ(E_FAIL, m_cgraph.Stop());
    EXPECT_EQ(0, m_cgraph.GetEvent());
    ASSERT_EQ(S_OK, Build());
    m_graph.m_bMediaControl = false;
    EXPECT_EQ(E_FAIL, m_cgraph.Run());
    EXPECT_FALSE(m_cgraph.IsRunning());
}

TEST_F(FakeGraph, IsRunningAsksTheGraphWithoutWaiting)
{
    ASSERT_EQ(S_OK, Build());
    m_graph.m_eState = State_Running;
    EXPECT_TRUE(m_cgraph.IsRunning());
    m_graph.m_eState = State_Paused;
    m_graph.m_hrGetState = VFW_S_STATE_INTERMEDIATE;
    EXPECT_FALSE(m_cgraph.IsRunning());
    EXPECT_EQ((std::vector<std::string>{"GetState(0)", "GetState(0)"}), m_graph.m_rgCalls);
}

TEST_F(FakeGraph, GetEventDrainsInOrderAndFreesTheParameters)
{
    ASSERT_EQ(S_OK, Build());
    m_graph.m_rgEvents = {EC_CLOCK_CHANGED, EC_COMPLETE};
    EXPECT_EQ(EC_CLOCK_CHANGED, m_cgraph.GetEvent());
    EXPECT_EQ(EC_COMPLETE, m_cgraph.GetEvent());
    EXPECT_EQ(0, m_cgraph.GetEvent());
    EXPECT_EQ((std::vector<long>{EC_CLOCK_CHANGED, EC_COMPLETE}), m_graph.m_rgFreedEvents);
    EXPECT_EQ(std::vector<std::string>(3, "GetEvent(0)"), m_graph.m_rgCalls);
}

struct CRatioCase {
    double dblRatio;
    LONGLONG llExpected;
};

TEST_F(FakeGraph, SeekByRatioClampsTruncatesAndOnlySeeks)
{
    ASSERT_EQ(S_OK, Build());
    const CRatioCase rgCases[] = {{0.0, 0}, {1.0, 10000001}, {-0.5, 0}, {2.0, 10000001}, {0.5, 5000000}};
    for (const CRatioCase& c : rgCases) {
        m_graph.m_rgCalls.clear();
        EXPECT_EQ(S_OK, m_cgraph.SetPositionRatio(c.dblRatio));
        EXPECT_EQ(c.llExpected, m_graph.m_llSetCurrent) << c.dblRatio;
        EXPECT_EQ(static_cast<DWORD>(AM_SEEKING_AbsolutePositioning), m_graph.m_dwSetCurrentFlags);
        EXPECT_FALSE(m_graph.m_bSetStopGiven);
        EXPECT_EQ(static_cast<DWORD>(AM_SEEKING_NoPositioning), m_graph.m_dwSetStopFlags);
        EXPECT_EQ((std::vector<std::string>{"GetDuration", "SetPositions"}), m_graph.m_rgCalls);  // no stop, no pause
    }
    m_graph.m_hrGetDuration = E_NOTIMPL;
    EXPECT_EQ(S_OK, m_cgraph.SetPositionRatio(0.7));
    EXPECT_EQ(0, m_graph.m_llSetCurrent);  // duration unreadable: to the start
    m_graph.m_hrSetPositions = VFW_E_WRONG_STATE;
    EXPECT_EQ(VFW_E_WRONG_STATE, m_cgraph.SetPosition(123));
    EXPECT_EQ(123, m_graph.m_llSetCurrent);
}

TEST_F(FakeGraph, SeekByRatioNeverLeavesTheDuration)
{
    ASSERT_EQ(S_OK, Build());
    const LONGLONG llHuge = MAXLONGLONG - 100;  // as a double: 2^63, beyond LONGLONG
    const struct {
        LONGLONG llDuration;
        double dblRatio;
        LONGLONG llExpected;
    } rgCases[] = {{llHuge, 1.0, llHuge}, {MAXLONGLONG, 1.0, MAXLONGLONG}, {llHuge, 0.0, 0},
                   {10000001, std::nan(""), 0}, {-10000001, 0.5, 0}};
    for (const auto& c : rgCases) {
        m_graph.m_llDuration = c.llDuration;
        EXPECT_EQ(S_OK, m_cgraph.SetPositionRatio(c.dblRatio));
        EXPECT_EQ(c.llExpected, m_graph.m_llSetCurrent) << c.llDuration << " x " << c.dblRatio;
    }
}

struct CEnumCase {
    const char* pszName;
    std::function<void(CFakeTopology&)> fnSpoil;
    HRESULT hrExpected;
};

// A walk over filters or pins that cannot start or breaks part-way fails
// with its status; only a plain end of the list ends it.
TEST_F(FakeGraph, CheckFilterFailsWhenAnEnumerationFails)
{
    const CEnumCase rgCases[] = {
        {"FiltersSucceedWithoutEnumerator", [](CFakeTopology& t) { t.m_graph.m_hrEnumFilters = S_FALSE; }, E_FAIL},
        {"FiltersRefused", [](CFakeTopology& t) { t.m_graph.m_hrEnumFilters = E_OUTOFMEMORY; }, E_OUTOFMEMORY},
        {"FiltersBreakBeforeTheFilter",
         [](CFakeTopology& t) {
             std::vector<IBaseFilter*>& rgFilters = t.m_graph.m_rgFilters;
             rgFilters.erase(std::find(rgFilters.begin(), rgFilters.end(), static_cast<IBaseFilter*>(&t.m_quelmar)));
             t.m_graph.m_hrEnumFiltersAtEnd = VFW_E_ENUM_OUT_OF_SYNC;
         },
         VFW_E_ENUM_OUT_OF_SYNC},
        {"PinsSucceedWithoutEnumerator", [](CFakeTopology& t) { t.m_quelmar.m_hrEnumPins = S_FALSE; }, E_FAIL},
        {"PinsBreakAfterBoth", [](CFakeTopology& t) { t.m_quelmar.m_hrPinsAtEnd = VFW_E_ENUM_OUT_OF_SYNC; },
         VFW_E_ENUM_OUT_OF_SYNC},
    };
    ASSERT_EQ(S_OK, Build());
    CComPtr<IBaseFilter> spFilter;
    ASSERT_EQ(S_OK, m_cgraph.CheckFilter(CLSID_Quelmar, &spFilter));
    spFilter.Release();
    std::vector<IBaseFilter*> rgFilters = m_graph.m_rgFilters;
    for (const CEnumCase& c : rgCases) {
        c.fnSpoil(*this);
        EXPECT_EQ(c.hrExpected, m_cgraph.CheckFilter(CLSID_Quelmar, &spFilter)) << c.pszName;
        EXPECT_EQ(nullptr, spFilter.p) << c.pszName;
        m_graph.m_rgFilters = rgFilters;
        m_graph.m_hrEnumFilters = S_OK;
        m_graph.m_hrEnumFiltersAtEnd = S_FALSE;
        m_quelmar.m_hrEnumPins = S_OK;
        m_quelmar.m_hrPinsAtEnd = S_FALSE;
    }
}

TEST_F(FakeGraph, PositionGettersCheckTheirArgumentsFirst)
{
    LONGLONG ll1 = 5, ll2 = 5;
    EXPECT_EQ(E_POINTER, m_cgraph.GetPosition(nullptr));
    EXPECT_EQ(E_POINTER, m_cgraph.GetAvailable(&ll1, nullptr));
    EXPECT_EQ(5, ll1);  // untouched
    EXPECT_EQ(E_FAIL, m_cgraph.GetDuration(&ll1));
    EXPECT_EQ(0, ll1);  // zeroed even without a graph
    EXPECT_EQ(E_FAIL, m_cgraph.SetPosition(0));
    EXPECT_EQ(E_FAIL, m_cgraph.SetPositionRatio(0.5));
    ASSERT_EQ(S_OK, Build());
    m_graph.m_llPosition = 777;
    EXPECT_EQ(S_OK, m_cgraph.GetPosition(&ll1));
    EXPECT_EQ(777, ll1);
    EXPECT_EQ(S_OK, m_cgraph.GetAvailable(&ll1, &ll2));
    EXPECT_EQ(1, ll1);
    EXPECT_EQ(10000001, ll2);
    m_graph.m_hrGetDuration = E_NOTIMPL;
    EXPECT_EQ(E_NOTIMPL, m_cgraph.GetDuration(&ll1));
    EXPECT_EQ(0, ll1);
}

TEST_F(FakeGraph, FilterCallsReachTheFilterWithTheirArguments)
{
    ASSERT_EQ(S_OK, Build());
    double dbl1 = 0, dbl2 = 0;
    DWORD dwCookie = 0;
    HANDLE hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EXPECT_EQ(S_OK, m_cgraph.SetGain(0xFFFFFFFF, -40));
    EXPECT_EQ(S_OK, m_cgraph.SetAutoGain(1, -5, -10));
    EXPECT_EQ(S_OK, m_cgraph.AdviseEvent(hEvent, 0, 1, -20.0, 250, 0, &dwCookie));
    EXPECT_EQ(7u, dwCookie);
    EXPECT_EQ(hEvent, m_quelmar.m_hLastEvent);
    EXPECT_EQ(S_OK, m_cgraph.UnadviseEvent(7));
    EXPECT_EQ(S_OK, m_cgraph.GetGain(1, &dbl1));
    EXPECT_EQ(S_OK, m_cgraph.GetAutoGain(0, &dbl1, &dbl2));
    double dblLevel = 0.0;
    EXPECT_EQ(S_OK, m_cgraph.GetLevel(1, &dblLevel));
    EXPECT_EQ(-12.0, dblLevel);
    EXPECT_EQ(S_OK, m_cgraph.SetFFT(QUELMAR_WINDOW_HAMMING, 13));
    EXPECT_EQ(S_OK, m_cgraph.SetBandsPerOctave(6));
    EXPECT_EQ(
        (std::vector<std::string>{"SetGain(4294967295,-40,100)", "SetAutoGain(1,-5,-10)",
                                  "AdviseEvent(0,1,-20,250,0,event)", "Unadvise(7)", "GetGain(1)", "GetAutoGain(0)",
                                  "GetLevel(1)", "SetFFT(3,13)", "SetBandsPerOctave(6)"}),
        m_quelmar.m_rgCalls);
    CloseHandle(hEvent);
}

TEST_F(FakeGraph, FailingNotificationCallsAreTraced)
{
    ASSERT_EQ(S_OK, Build());
    m_quelmar.m_hrResult = E_INVALIDARG;
    DWORD dwCookie = 0;
    EXPECT_EQ(E_INVALIDARG, m_cgraph.AdviseEvent(nullptr, 1, 0, -10.0, 0, 1, &dwCookie));
    EXPECT_EQ(E_INVALIDARG, m_cgraph.UnadviseEvent(3));
    EXPECT_EQ((std::vector<std::string>{"CGraph::AdviseEvent(): m_spQuelmar->AdviseEvent() FAILED\n",
                                        "CGraph::UnadviseEvent(): m_spQuelmar->Unadvise() FAILED\n"}),
              m_trace.Texts());
}

TEST_F(FakeGraph, WithoutAFilterNothingReachesIt)
{
    double dbl = 1, dbl2 = 1;
    ULONG n = 0, nFilled = 0;
    QUELMAR_WINDOW eWindow;
    double rgBands[33];
    DWORD dwCookie = 0;
    EXPECT_EQ(0, m_cgraph.GetChannelCount());
    EXPECT_EQ(E_FAIL, m_cgraph.GetLevel(0, &dbl));
    EXPECT_EQ(E_FAIL, m_cgraph.GetGain(0, &dbl));
    EXPECT_EQ(E_FAIL, m_cgraph.SetGain(0, 3));
    EXPECT_EQ(E_FAIL, m_cgraph.GetAutoGain(0, &dbl, &dbl2));
    EXPECT_EQ(E_FAIL, m_cgraph.SetAutoGain(0, -3, -3));
    EXPECT_EQ(E_FAIL, m_cgraph.GetBandsPerOctave(&n));
    EXPECT_EQ(E_FAIL, m_cgraph.SetBandsPerOctave(3));
    EXPECT_EQ(E_FAIL, m_cgraph.GetFFT(&eWindow, &n));
    EXPECT_EQ(E_FAIL, m_cgraph.SetFFT(QUELMAR_WINDOW_HANN, 12));
    EXPECT_EQ(E_FAIL, m_cgraph.GetSpectrum(0, 33, &nFilled, rgBands));
    EXPECT_EQ(E_FAIL, m_cgraph.AdviseEvent(nullptr, 1, 0, -10.0, 0, 1, &dwCookie));
    EXPECT_EQ(E_FAIL, m_cgraph.UnadviseEvent(1));
    CComBSTR cbsVersion(L"old");
    EXPECT_EQ(S_FALSE, m_cgraph.GetFilterVersion(cbsVersion));
    EXPECT_EQ(nullptr, cbsVersion.m_str);
    // A graph without the filter: the same.
    m_graph.m_hrRender = VFW_E_CANNOT_CONNECT;
    EXPECT_EQ(VFW_E_CANNOT_CONNECT, Build());
    EXPECT_EQ(E_FAIL, m_cgraph.SetGain(0, 3));
    EXPECT_EQ(S_FALSE, m_cgraph.GetFilterVersion(cbsVersion));
    EXPECT_TRUE(m_quelmar.m_rgCalls.empty());
}

struct CVersionCase {
    const char* pszName;
    ULONG eType, eOS;
    const wchar_t *pszName_, *pszNumber, *pszDateTime;
    const wchar_t* pszExpected;
};

TEST_F(FakeGraph, VersionTextFromTheFilterFields)
{
    ASSERT_EQ(S_OK, Build());
    const CVersionCase rgCases[] = {
        {"Release64", 1, 1, L"Quelmar", L"2.5", L"Dec 10 2026", L"Quelmar [R64 v.2.5 Dec 10 2026]"},
        {"Debug64", 0, 1, L"Quelmar", L"2.5", L"x", L"Quelmar [D64 v.2.5 x]"},
        {"Release32", 7, 0, L"Q", L"1", L"y", L"Q [R32 v.1 y]"},
        {"EmptyFields", 1, 1, L"", L"", L"", L" [R64 v. ]"},
    };
    for (const CVersionCase& c : rgCases) {
        m_quelmar.m_eType = c.eType;
        m_quelmar.m_eOS = c.eOS;
        m_quelmar.m_strName = c.pszName_;
        m_quelmar.m_strNumber = c.pszNumber;
        m_quelmar.m_strDateTime = c.pszDateTime;
        CComBSTR cbsVersion;
        EXPECT_EQ(S_OK, m_cgraph.GetFilterVersion(cbsVersion)) << c.pszName;
        EXPECT_STREQ(c.pszExpected, cbsVersion.m_str) << c.pszName;
    }
    m_quelmar.m_strName = std::wstring(600, L'n');
    CComBSTR cbsLong;
    EXPECT_EQ(S_OK, m_cgraph.GetFilterVersion(cbsLong));
    EXPECT_EQ(511u, cbsLong.Length());  // cut to fit
}

// ---- The real path: Wine's graph manager, the level filter, real media --

struct CFilterLink {
    std::wstring strUpstream;    // the filter feeding the level filter
    std::wstring strDownstream;  // the filter it feeds
};

// Names of the filters on both sides of the "Quelmar" filter; empty names
// when a side is not connected.
bool FindLevelFilterLinks(IGraphBuilder* pGraph, CFilterLink* pLink)
{
    CComPtr<IBaseFilter> spQuelmar;
    if (pGraph->FindFilterByName(L"Quelmar", &spQuelmar) != S_OK)
        return false;
    auto NeighbourName = [&](LPCWSTR pszPin) {
        CComPtr<IPin> spPin, spConnected;
        PIN_INFO info = {};
        if (spQuelmar->FindPin(pszPin, &spPin) != S_OK || spPin->ConnectedTo(&spConnected) != S_OK ||
            spConnected->QueryPinInfo(&info) != S_OK)
            return std::wstring();
        FILTER_INFO filterInfo = {};
        info.pFilter->QueryFilterInfo(&filterInfo);
        if (filterInfo.pGraph)
            filterInfo.pGraph->Release();
        info.pFilter->Release();
        return std::wstring(filterInfo.achName);
    };
    pLink->strUpstream = NeighbourName(L"In");
    pLink->strDownstream = NeighbourName(L"Out");
    return true;
}

// The graph that CGraph holds: reached through the version of the level filter.
class RealGraph : public testing::Test {
protected:
    HRESULT Build(const std::string& strPath) { return m_cgraph.BuildGraph(strPath.c_str(), m_window.m_hWnd, c_uNotifyMessage); }
    // The filter graph manager of the built graph. CGraph hands out no
    // interface, but the level filter in it knows its graph.
    CComPtr<IGraphBuilder> Graph()
    {
        CComPtr<IBaseFilter> spFilter;
        CComPtr<IGraphBuilder> spGraph;
        if (m_cgraph.CheckFilter(CLSID_Quelmar, &spFilter) != S_OK)
            return spGraph;
        FILTER_INFO info = {};
        spFilter->QueryFilterInfo(&info);
        if (info.pGraph) {
            info.pGraph->QueryInterface(IID_IGraphBuilder, reinterpret_cast<void**>(&spGraph));
            info.pGraph->Release();
        }
        return spGraph;
    }
    std::string ToneWav(double dblSeconds = 1.0)
    {
        std::string strPath = TestFilePath("tone.wav");
        WriteWav(strPath, {WAVE_FORMAT_PCM, 16, 2, 44100, false}, Sines({-6.0, -20.0}, 1000.0, 44100, dblSeconds));
        return strPath;
    }
    // Plays to EC_COMPLETE through CGraph::GetEvent; false after dwTimeoutMs.
    bool PlayToTheEnd(DWORD dwTimeoutMs)
    {
        HRESULT hr = m_cgraph.Run();
        if (hr != S_OK && hr != S_FALSE)
            return false;
        DWORD dwStart = GetTickCount();
        while (GetTickCount() - dwStart < dwTimeoutMs) {
            for (long lCode = m_cgraph.GetEvent(); lCode != 0; lCode = m_cgraph.GetEvent())
                if (lCode == EC_COMPLETE)
                    return true;
            Sleep(20);
        }
        return false;
    }

    CNotifyWindow m_window;
    CGraph m_cgraph;
};

TEST_F(RealGraph, WavPlaysThroughTheLevelFilterBeforeTheRenderer)
{
    ASSERT_EQ(S_OK, Build(ToneWav()));
    CFilterLink link;
    ASSERT_TRUE(FindLevelFilterLinks(Graph(), &link));
    EXPECT_EQ(L"Default DirectSound Device", link.strDownstream);
    EXPECT_FALSE(link.strUpstream.empty());
    EXPECT_EQ(2, m_cgraph.GetChannelCount());
    LONGLONG llDuration = 0, llPosition = -1;
    EXPECT_EQ(S_OK, m_cgraph.GetDuration(&llDuration));
    EXPECT_NEAR(10000000, llDuration, 100000);
    EXPECT_EQ(S_OK, m_cgraph.GetPosition(&llPosition));
    EXPECT_EQ(0, llPosition);
    EXPECT_TRUE(PlayToTheEnd(10000));
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, m_window.m_hWnd, c_uNotifyMessage, c_uNotifyMessage, PM_REMOVE));
}

TEST_F(RealGraph, VersionTextOfTheLevelFilter)
{
    ASSERT_EQ(S_OK, Build(ToneWav()));
    CComBSTR cbsVersion;
    EXPECT_EQ(S_OK, m_cgraph.GetFilterVersion(cbsVersion));
    std::wstring strVersion = cbsVersion.m_str;
    EXPECT_EQ(0u, strVersion.find(L"Quelmar [R64 v.1.0.0 ")) << strVersion.c_str();
    EXPECT_EQ(L']', strVersion.back());
}

TEST_F(RealGraph, SeeksByRatio)
{
    ASSERT_EQ(S_OK, Build(ToneWav()));
    HRESULT hrPause = m_cgraph.Pause();
    EXPECT_TRUE(hrPause == S_OK || hrPause == S_FALSE) << hrPause;
    EXPECT_EQ(S_OK, m_cgraph.SetPositionRatio(0.5));
    LONGLONG llPosition = 0;
    EXPECT_EQ(S_OK, m_cgraph.GetPosition(&llPosition));
    EXPECT_NEAR(5000000, llPosition, 200000);
    m_cgraph.Stop();
}

struct CCompressedCase {
    const char* pszFile;
};

class RealGraphCompressed : public RealGraph, public testing::WithParamInterface<CCompressedCase> {};

TEST_P(RealGraphCompressed, TheFilterSitsAfterTheDecoder)
{
    ASSERT_EQ(S_OK, Build(MediaPath(GetParam().pszFile)));
    CFilterLink link;
    ASSERT_TRUE(FindLevelFilterLinks(Graph(), &link));
    EXPECT_EQ(L"Default DirectSound Device", link.strDownstream);
    EXPECT_FALSE(link.strUpstream.empty());
    EXPECT_EQ(2, m_cgraph.GetChannelCount());
    EXPECT_TRUE(PlayToTheEnd(10000));
}

INSTANTIATE_TEST_SUITE_P(Files, RealGraphCompressed,
                         testing::Values(CCompressedCase{"tone.mp3"}, CCompressedCase{"tone.flac"},
                                         CCompressedCase{"tone.m4a"}, CCompressedCase{"video-and-audio.avi"}),
                         [](const testing::TestParamInfo<CCompressedCase>& info) {
                             std::string strName = info.param.pszFile;
                             for (char& ch : strName)
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return strName;
                         });

// Counts the renderers (other than the level filter) fed by the level
// filter, the audio ones fed directly, and the video ones.
void CountAudioRenderers(IGraphBuilder* pGraph, int* pnThroughFilter, int* pnDirect, int* pnVideo)
{
    *pnThroughFilter = *pnDirect = *pnVideo = 0;
    CComPtr<IEnumFilters> spEnum;
    pGraph->EnumFilters(&spEnum);
    for (CComPtr<IBaseFilter> spFilter; spEnum->Next(1, &spFilter, nullptr) == S_OK; spFilter.Release()) {
        CLSID clsidFilter = CLSID_NULL;
        spFilter->GetClassID(&clsidFilter);
        if (IsEqualCLSID(clsidFilter, CLSID_Quelmar))
            continue;
        CComPtr<IEnumPins> spPins;
        spFilter->EnumPins(&spPins);
        CComPtr<IPin> spPin, spUpstream;
        if (spPins->Next(1, &spPin, nullptr) != S_OK || spPin->ConnectedTo(&spUpstream) != S_OK)
            continue;
        AM_MEDIA_TYPE mt = {};
        spPin->ConnectionMediaType(&mt);
        PIN_INFO info = {};
        spUpstream->QueryPinInfo(&info);
        CLSID clsid = CLSID_NULL;
        info.pFilter->GetClassID(&clsid);
        info.pFilter->Release();
        PIN_DIRECTION eDirection;
        spPin->QueryDirection(&eDirection);
        if (eDirection == PINDIR_INPUT && IsEqualGUID(mt.majortype, MEDIATYPE_Video))
            (*pnVideo)++;
        else if (eDirection == PINDIR_INPUT && IsEqualGUID(mt.majortype, MEDIATYPE_Audio))
            (IsEqualCLSID(clsid, CLSID_Quelmar) ? *pnThroughFilter : *pnDirect)++;
        FreeMediaType(&mt);
    }
}

TEST_F(RealGraph, VideoPathIsLeftAsRendered)
{
    ASSERT_EQ(S_OK, Build(MediaPath("video-and-audio.avi")));
    int nThrough = 0, nDirect = 0, nVideo = 0;
    CountAudioRenderers(Graph(), &nThrough, &nDirect, &nVideo);
    EXPECT_GE(nVideo, 1);
    EXPECT_EQ(1, nThrough);
}

TEST_F(RealGraph, OfTwoAudioStreamsOnlyOneIsRerouted)
{
    ASSERT_EQ(S_OK, Build(MediaPath("two-audio-streams.avi")));
    int nThrough = 0, nDirect = 0, nVideo = 0;
    CountAudioRenderers(Graph(), &nThrough, &nDirect, &nVideo);
    EXPECT_EQ(1, nThrough);
    EXPECT_EQ(1, nDirect);
}

TEST_F(RealGraph, VideoOnlyFileKeepsTheGraphWithoutTheFilter)
{
    EXPECT_EQ(E_FAIL, Build(MediaPath("video-only.avi")));
    EXPECT_FALSE(m_cgraph.IsEmpty());
    EXPECT_EQ(0, m_cgraph.GetChannelCount());
    EXPECT_EQ(E_FAIL, m_cgraph.SetGain(0, 0));
    CComBSTR cbsVersion;
    EXPECT_EQ(S_FALSE, m_cgraph.GetFilterVersion(cbsVersion));
}

class RealGraphBadFile : public RealGraph, public testing::WithParamInterface<CBadFileCase> {};

TEST_P(RealGraphBadFile, ReturnsThePlatformStatusAndAGoodFileBuildsAfterwards)
{
    std::string strPath = GetParam().pfnMake();
    HRESULT hrPlatform = RenderFileStatus(strPath);
    ASSERT_NE(S_OK, hrPlatform);
    EXPECT_EQ(hrPlatform, Build(strPath));
    EXPECT_EQ(S_OK, Build(ToneWav(0.2)));
}

INSTANTIATE_TEST_SUITE_P(Files, RealGraphBadFile, testing::ValuesIn(BadFiles()),
                         [](const testing::TestParamInfo<CBadFileCase>& info) { return info.param.pszName; });

}  // namespace
