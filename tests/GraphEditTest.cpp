// The graph editor bridge: the running object table entry, the rule that
// picks this process's graph from the editor's list, the property-page
// check, and the stand-in editor started, driven and ended for real.
#include <gtest/gtest.h>

#include <atlbase.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "TraceCapture.h"
#include "WavFile.h"
#include "WindowText.h"
#include "../graph/Graph.h"

namespace {

constexpr char c_szProppageKey[] = "CLSID\\{29E07010-BD27-11CE-AB59-00AA00577DA1}";
constexpr char c_szGraphEditKey[] = "Software\\Microsoft\\Shared Tools\\Graphedit";

std::string Hex(unsigned long ul, const char* pszFormat = "%08lx")
{
    char sz[32];
    snprintf(sz, sizeof(sz), pszFormat, ul);
    return sz;
}

struct CMatchCase {
    const char* pszName;
    std::string strEntry;
    bool bMatch;
};

TEST(MatchCookieName, AcceptsExactlyThisProcessAndGraph)
{
    const void* pGraph = reinterpret_cast<const void*>(static_cast<UINT_PTR>(0x12345678abcdef01ull));
    std::string strPid = Hex(GetCurrentProcessId());
    std::string strGraph = "abcdef01";
    const CMatchCase rgCases[] = {
        {"Plain", "pid " + strPid + " IFilterGraph = " + strGraph, true},
        {"WithPrefixAndUpperCase", "Graph pid 0x" + Hex(GetCurrentProcessId(), "%lX") + " IFilterGraph = 0XABCDEF01", true},
        {"ShortNumbers", "pid " + Hex(GetCurrentProcessId(), "%lx") + " IFilterGraph = abcdef01", true},
        {"AnotherPid", "pid " + Hex(GetCurrentProcessId() + 1) + " IFilterGraph = " + strGraph, false},
        {"ParenthesisAfterPid", "pid " + strPid + ") IFilterGraph = " + strGraph, false},
        {"TextAfterTheGraph", "pid " + strPid + " IFilterGraph = " + strGraph + " ", false},
        {"MissingGraphNumber", "pid " + strPid + " IFilterGraph = ", false},
        {"MissingPidNumber", "pid  IFilterGraph = " + strGraph, false},
        {"HighBitsWritten", "pid " + strPid + " IFilterGraph = 12345678abcdef01", false},
        {"AnotherGraph", "pid " + strPid + " IFilterGraph = abcdef02", false},
        {"NoPid", "IFilterGraph = " + strGraph, false},
    };
    for (const CMatchCase& c : rgCases)
        EXPECT_EQ(c.bMatch, CGraphEdit::MatchCookieName(c.strEntry.c_str(), pGraph)) << c.pszName << ": " << c.strEntry;
    EXPECT_FALSE(CGraphEdit::MatchCookieName(nullptr, pGraph));
}

// The display names in the running object table.
std::vector<std::string> RotNames()
{
    std::vector<std::string> rgNames;
    CComPtr<IRunningObjectTable> spROT;
    CComPtr<IEnumMoniker> spEnum;
    CComPtr<IBindCtx> spBindCtx;
    GetRunningObjectTable(0, &spROT);
    spROT->EnumRunning(&spEnum);
    CreateBindCtx(0, &spBindCtx);
    for (CComPtr<IMoniker> spMoniker; spEnum->Next(1, &spMoniker, nullptr) == S_OK; spMoniker.Release()) {
        LPOLESTR pszName = nullptr;
        if (SUCCEEDED(spMoniker->GetDisplayName(spBindCtx, nullptr, &pszName)))
            rgNames.push_back(std::string(CW2A(pszName)));
        CoTaskMemFree(pszName);
    }
    return rgNames;
}

int CountRotNamesOfThisProcess()
{
    int n = 0;
    for (const std::string& strName : RotNames())
        n += strName.find("pid " + Hex(GetCurrentProcessId())) != std::string::npos;
    return n;
}

TEST(RunningObjectTable, RegistersUnderTheThirtyThreeCharacterName)
{
    CComPtr<IGraphBuilder> spGraph;
    ASSERT_EQ(S_OK, spGraph.CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER));
    DWORD dwCookie = 99;
    ASSERT_EQ(S_OK, RegisterInRot(spGraph, &dwCookie));
    EXPECT_NE(0u, dwCookie);
    std::string strExpected = "!FilterGraph " + Hex(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(spGraph.p))) +
                              " pid " + Hex(GetCurrentProcessId());
    EXPECT_EQ(34u, strExpected.size());  // the delimiter and the 33-character name
    std::vector<std::string> rgNames = RotNames();
    EXPECT_NE(rgNames.end(), std::find(rgNames.begin(), rgNames.end(), strExpected));
    RevokeFromRot(dwCookie);
    rgNames = RotNames();
    EXPECT_EQ(rgNames.end(), std::find(rgNames.begin(), rgNames.end(), strExpected));
    RevokeFromRot(0);  // touches nothing
    EXPECT_EQ(E_INVALIDARG, RegisterInRot(nullptr, &dwCookie));
    EXPECT_EQ(E_POINTER, RegisterInRot(spGraph, nullptr));
}

// Writes and removes the property-page server and editor registry values.
class CEditorRegistry {
public:
    ~CEditorRegistry()
    {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, c_szProppageKey);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, c_szGraphEditKey);
    }
    static void SetProppage(const char* pszServerValue, DWORD dwType = REG_SZ, bool bServerKey = true)
    {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, c_szProppageKey);
        CRegKey key;
        key.Create(HKEY_CLASSES_ROOT, c_szProppageKey);
        if (!bServerKey)
            return;
        CRegKey keyServer;
        keyServer.Create(key, "InprocServer32");
        if (pszServerValue)
            keyServer.SetValue(nullptr, dwType, pszServerValue, static_cast<ULONG>(lstrlenA(pszServerValue) + 1));
    }
    static void SetEditorPath(const std::string& strPath)
    {
        CRegKey key;
        key.Create(HKEY_LOCAL_MACHINE, c_szGraphEditKey);
        key.SetStringValue("Path", strPath.c_str());
    }
};

struct CProppageCase {
    const char* pszName;
    std::function<void()> fnSetUp;
    bool bRegistered;
    const char* pszPath;
};

TEST(Proppage, RegisteredOnlyWithAReadableServerPath)
{
    CEditorRegistry registry;
    std::string strLong(260, 'p');
    const DWORD dwOne = 1;
    const CProppageCase rgCases[] = {
        {"NoClassKey", [] { RegDeleteTreeA(HKEY_CLASSES_ROOT, c_szProppageKey); }, false, ""},
        {"NoServerKey", [] { CEditorRegistry::SetProppage(nullptr, REG_SZ, false); }, false, ""},
        {"NoDefaultValue", [] { CEditorRegistry::SetProppage(nullptr); }, false, ""},
        {"EmptyPath", [] { CEditorRegistry::SetProppage(""); }, true, ""},
        {"Path", [] { CEditorRegistry::SetProppage("C:\\dx\\Proppage.dll"); }, true, "C:\\dx\\Proppage.dll"},
        {"ExpandableUnexpanded", [] { CEditorRegistry::SetProppage("%SystemRoot%\\Proppage.dll", REG_EXPAND_SZ); }, true,
         "%SystemRoot%\\Proppage.dll"},
        {"DwordValue",
         [&] {
             CEditorRegistry::SetProppage(nullptr);
             CRegKey key;
             key.Open(HKEY_CLASSES_ROOT, (std::string(c_szProppageKey) + "\\InprocServer32").c_str());
             key.SetValue(nullptr, REG_DWORD, &dwOne, sizeof(dwOne));
         },
         false, ""},
        {"TooLong", [&] { CEditorRegistry::SetProppage(strLong.c_str()); }, false, ""},
    };
    for (const CProppageCase& c : rgCases) {
        c.fnSetUp();
        char szPath[MAX_PATH];
        lstrcpynA(szPath, "old", MAX_PATH);
        EXPECT_EQ(c.bRegistered, CGraphEdit::IsProppageRegistered(szPath)) << c.pszName;
        EXPECT_STREQ(c.pszPath, szPath) << c.pszName;
    }
    CEditorRegistry::SetProppage(nullptr);  // without a buffer both keys are enough
    EXPECT_TRUE(CGraphEdit::IsProppageRegistered(nullptr));
}

std::string BinFolder()
{
    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string strPath = szPath;
    return strPath.substr(0, strPath.find_last_of('\\') + 1);
}

// Waits while pumping this thread's messages: the editor binds to our graph
// through this apartment.
template <class TCondition>
bool PumpUntil(TCondition fnCondition, DWORD dwTimeoutMs = c_dwDeadlineMs)
{
    DWORD dwStart = GetTickCount();
    while (!fnCondition()) {
        if (GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
    return true;
}

struct CWindowOfProcess {
    DWORD dwProcessId;
    HWND hWnd;
};

HWND MainWindowOf(DWORD dwProcessId)
{
    CWindowOfProcess search = {dwProcessId, nullptr};
    EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* p = reinterpret_cast<CWindowOfProcess*>(lParam);
            DWORD dwPid = 0;
            GetWindowThreadProcessId(hWnd, &dwPid);
            if (dwPid == p->dwProcessId && GetWindow(hWnd, GW_OWNER) == nullptr && IsWindowVisible(hWnd)) {
                p->hWnd = hWnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hWnd;
}

// Ends every stand-in editor still running: one that never became idle is
// left running by the program, by design, and would outlive the test.
void EndStrayEditors()
{
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = Process32First(hSnapshot, &entry); bMore; bMore = Process32Next(hSnapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, "StandInGraphEdit.exe") != 0 && lstrcmpiA(entry.szExeFile, "graphedt.exe") != 0)
            continue;
        HANDLE hProcess = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (hProcess) {
            TerminateProcess(hProcess, 1);
            WaitForSingleObject(hProcess, 2000);
            CloseHandle(hProcess);
        }
    }
    CloseHandle(hSnapshot);
}

class StandInEditor : public testing::Test {
protected:
    void SetUp() override
    {
        SetEnvironmentVariableA("QUELMAR_STANDIN", "");
        CEditorRegistry::SetProppage((BinFolder() + "Proppage.dll").c_str());
        CEditorRegistry::SetEditorPath(BinFolder() + "StandInGraphEdit.exe");
        m_hWnd = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        std::string strPath = TestFilePath("editor.wav");
        WriteWav(strPath, {WAVE_FORMAT_PCM, 16, 2, 44100, false}, Sines({-6.0, -6.0}, 1000.0, 44100, 0.3));
        ASSERT_EQ(S_OK, m_cgraph.BuildGraph(strPath.c_str(), m_hWnd, WM_APP));
    }
    void TearDown() override
    {
        m_cgraph.Reset();
        EndStrayEditors();
        DestroyWindow(m_hWnd);
        SetEnvironmentVariableA("QUELMAR_STANDIN", nullptr);
    }
    HANDLE OpenEditor() { return OpenProcess(SYNCHRONIZE, FALSE, m_cgraph.GraphEdit().EditorProcessId()); }
    // Serves our apartment, as the dialog's message loop does, until the
    // editor has bound to the graph.
    bool WaitForConnection()
    {
        DWORD dwEditor = m_cgraph.GraphEdit().EditorProcessId();
        return PumpUntil([&] { return GetText(MainWindowOf(dwEditor)) == "Connected"; });
    }

    CEditorRegistry m_registry;
    HWND m_hWnd = nullptr;
    CGraph m_cgraph;
    CTraceCapture m_trace;
};

TEST_F(StandInEditor, ShowGraphConnectsTheEditorToOurGraph)
{
    ASSERT_EQ(S_OK, m_cgraph.ShowGraph());
    EXPECT_NE(0u, m_cgraph.GraphEdit().EditorProcessId());
    EXPECT_TRUE(WaitForConnection());
    EXPECT_EQ(1, CountRotNamesOfThisProcess());
}

TEST_F(StandInEditor, SecondShowGraphEndsTheFirstEditor)
{
    ASSERT_EQ(S_OK, m_cgraph.ShowGraph());
    ASSERT_TRUE(WaitForConnection());
    HANDLE hFirst = OpenEditor();
    ASSERT_EQ(S_OK, m_cgraph.ShowGraph());
    // Asked to quit before the second started; its shutdown releases our
    // graph through our apartment, which the dialog's loop serves.
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(hFirst, 0) == WAIT_OBJECT_0; }));
    CloseHandle(hFirst);
    EXPECT_EQ(1, CountRotNamesOfThisProcess());
    HANDLE hSecond = OpenEditor();
    m_cgraph.Reset();  // rebuilding or closing the dialog ends it and revokes
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(hSecond, 0) == WAIT_OBJECT_0; }));
    CloseHandle(hSecond);
    EXPECT_EQ(0, CountRotNamesOfThisProcess());
}

TEST_F(StandInEditor, UserClosingTheEditorFirstLetsClosingProceedAtOnce)
{
    ASSERT_EQ(S_OK, m_cgraph.ShowGraph());
    ASSERT_TRUE(WaitForConnection());
    HANDLE hEditor = OpenEditor();
    HWND hWndEditor = MainWindowOf(m_cgraph.GraphEdit().EditorProcessId());
    PostThreadMessageA(GetWindowThreadProcessId(hWndEditor, nullptr), WM_QUIT, 0, 0);  // the user quits it
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(hEditor, 0) == WAIT_OBJECT_0; }));
    CloseHandle(hEditor);
    DWORD dwStart = GetTickCount();
    m_cgraph.Reset();
    EXPECT_LT(GetTickCount() - dwStart, 1000u) << "the second given to an editor to quit was waited out";
}

struct CEditorFailure {
    const char* pszName;
    const char* pszOption;
    HRESULT hrExpected;
};

class StandInEditorFailure : public StandInEditor, public testing::WithParamInterface<CEditorFailure> {};

TEST_P(StandInEditorFailure, GivesItsStatus)
{
    SetEnvironmentVariableA("QUELMAR_STANDIN", GetParam().pszOption);
    EXPECT_EQ(GetParam().hrExpected, m_cgraph.ShowGraph());
}

INSTANTIATE_TEST_SUITE_P(Options, StandInEditorFailure,
                         testing::Values(CEditorFailure{"NeverShowsItsWindow", "hidden", S_FALSE},
                                         CEditorFailure{"SlowToBecomeIdle", "slow-idle", E_FAIL},
                                         CEditorFailure{"LateConnectDialog", "late-dialog", S_OK}),
                         [](const testing::TestParamInfo<CEditorFailure>& info) { return info.param.pszName; });

TEST_F(StandInEditor, WithoutAGraphOrProppageNothingStarts)
{
    CGraph empty;
    EXPECT_EQ(E_FAIL, empty.ShowGraph());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, c_szProppageKey);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, m_cgraph.ShowGraph());
    EXPECT_EQ(std::vector<std::string>{"CGraphEdit::ShowGraph(): Proppage.dll is not registered\n"}, m_trace.Texts());
    EXPECT_EQ(0u, m_cgraph.GraphEdit().EditorProcessId());
    EXPECT_EQ(0, CountRotNamesOfThisProcess());
}

TEST_F(StandInEditor, EditorFoundNextToTheProppageServer)
{
    std::string strFolder = TestFilePath("dx\\");
    CreateDirectoryA(strFolder.c_str(), nullptr);
    CopyFileA((BinFolder() + "StandInGraphEdit.exe").c_str(), (strFolder + "graphedt.exe").c_str(), FALSE);
    CEditorRegistry::SetProppage((strFolder + "Proppage.dll").c_str());
    CEditorRegistry::SetEditorPath(BinFolder() + "no-such-editor.exe");  // ERROR_FILE_NOT_FOUND first
    EXPECT_EQ(S_OK, m_cgraph.ShowGraph());
    EXPECT_NE(0u, m_cgraph.GraphEdit().EditorProcessId());
}

TEST_F(StandInEditor, OtherLaunchErrorsComeBackAtOnce)
{
    CEditorRegistry::SetEditorPath(BinFolder() + "no-such-folder\\graphedt.exe");
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), m_cgraph.ShowGraph());
    CEditorRegistry::SetProppage("Proppage.dll");  // no folder: no second attempt
    CEditorRegistry::SetEditorPath(BinFolder() + "no-such-editor.exe");
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), m_cgraph.ShowGraph());
}

// Our graph as the running object table hands it out (the editor's view).
HRESULT GraphFromRot(IMediaControl** ppControl)
{
    CComPtr<IRunningObjectTable> spROT;
    CComPtr<IEnumMoniker> spEnum;
    CComPtr<IBindCtx> spBindCtx;
    HRESULT hr = GetRunningObjectTable(0, &spROT);
    if (FAILED(hr) || FAILED(hr = spROT->EnumRunning(&spEnum)) || FAILED(hr = CreateBindCtx(0, &spBindCtx)))
        return hr;
    for (CComPtr<IMoniker> spMoniker; spEnum->Next(1, &spMoniker, nullptr) == S_OK; spMoniker.Release()) {
        LPOLESTR pszName = nullptr;
        bool bOurs = SUCCEEDED(spMoniker->GetDisplayName(spBindCtx, nullptr, &pszName)) &&
                     std::string(CW2A(pszName)).find("pid " + Hex(GetCurrentProcessId())) != std::string::npos;
        CoTaskMemFree(pszName);
        CComPtr<IUnknown> spGraph;
        if (bOurs && spROT->GetObject(spMoniker, &spGraph) == S_OK)
            return spGraph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(ppControl));
    }
    return E_FAIL;
}

TEST_F(StandInEditor, AnEditorHoldingTheGraphEndsWhileClosingAndTheGraphStops)
{
    SetEnvironmentVariableA("QUELMAR_STANDIN", "hold-graph");
    ASSERT_EQ(S_OK, m_cgraph.ShowGraph());
    ASSERT_TRUE(WaitForConnection());
    CComPtr<IMediaControl> spControl;  // stands for the editor's hold on the graph after we let go
    ASSERT_EQ(S_OK, GraphFromRot(&spControl));
    ASSERT_TRUE(SUCCEEDED(m_cgraph.Run()));
    HANDLE hEditor = OpenEditor();
    m_cgraph.Reset();  // as a rebuild does
    // Its release of our graph came through this apartment while closing waited.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hEditor, 0));
    OAFilterState eState = State_Running;
    EXPECT_EQ(S_OK, spControl->GetState(5000, &eState));
    EXPECT_EQ(State_Stopped, eState);  // nothing plays on through the rebuild
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(hEditor, 0) == WAIT_OBJECT_0; }, 5000));
    CloseHandle(hEditor);
}

TEST_F(StandInEditor, AHungEditorCannotHangShowGraph)
{
    SetEnvironmentVariableA("QUELMAR_STANDIN", "hung-list");
    // On a thread of its own, so that a hang shows as a missed deadline.
    HANDLE hReturned = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HRESULT hrShown = E_UNEXPECTED;
    DWORD dwEditor = 0;
    std::thread thread([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            CComPtr<IGraphBuilder> spGraph;
            spGraph.CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER);
            CGraphEdit graphEdit;
            hrShown = graphEdit.ShowGraph(spGraph);
            dwEditor = graphEdit.EditorProcessId();
            SetEvent(hReturned);
        }
        CoUninitialize();
    });
    bool bReturned = WaitForSingleObject(hReturned, 20000) == WAIT_OBJECT_0;
    EXPECT_TRUE(bReturned) << "ShowGraph still waits on the hung editor";
    if (bReturned) {
        EXPECT_EQ(S_OK, hrShown);  // started and asked; no entry could be chosen
        char szTitle[32] = {};
        GetWindowTextA(MainWindowOf(dwEditor), szTitle, sizeof(szTitle));
        EXPECT_STREQ("Hung", szTitle);  // the list box was asked and did hang
    }
    EndStrayEditors();  // lets a thread stuck in a message to it go
    thread.join();
    CloseHandle(hReturned);
}

TEST_F(StandInEditor, AnEditorThatWasNotIdleInTimeIsEndedAtTheNextClose)
{
    SetEnvironmentVariableA("QUELMAR_STANDIN", "slow-idle");
    ASSERT_EQ(E_FAIL, m_cgraph.ShowGraph());
    DWORD dwEditor = m_cgraph.GraphEdit().EditorProcessId();
    ASSERT_NE(0u, dwEditor) << "the editor was forgotten";
    HANDLE hEditor = OpenEditor();
    ASSERT_NE(nullptr, hEditor);
    // It comes up late, as such an editor does, and is then the user's to see.
    ASSERT_TRUE(PumpUntil([&] { return MainWindowOf(dwEditor) != nullptr; }, 10000));
    m_cgraph.Reset();
    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(hEditor, 0) == WAIT_OBJECT_0; }, 10000));
    CloseHandle(hEditor);
}

TEST(NarrowEntry, FitsSixtyThreeBytesWithTheTerminatorOrFails)
{
    // A multi-byte code page: U+3042 is two bytes in code page 932.
    LCID lcidBefore = GetThreadLocale();
    ASSERT_TRUE(SetThreadLocale(MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT)));
    char szProbe[8] = {};
    ASSERT_EQ(3, WideCharToMultiByte(CP_THREAD_ACP, 0, L"\x3042", -1, szProbe, sizeof(szProbe), nullptr, nullptr));
    const struct {
        std::wstring strEntry;
        bool bConverts;
    } rgCases[] = {
        {std::wstring(60, L'x') + L"\x3042", true},   // 62 bytes and the terminator
        {std::wstring(61, L'x') + L"\x3042", false},  // 63 bytes: no room left for the terminator
        {std::wstring(62, L'x') + L"\x3042", false},  // 64 bytes: the whole buffer
        {std::wstring(31, L'\x3042'), true},
        {std::wstring(32, L'\x3042'), false},
        {L"pid 0000002a IFilterGraph = 12345678", true},
    };
    for (const auto& c : rgCases) {
        char szEntry[64];
        memset(szEntry, 'z', sizeof(szEntry));
        EXPECT_EQ(c.bConverts, CGraphEdit::NarrowEntry(c.strEntry.c_str(), szEntry)) << c.strEntry.size();
        EXPECT_EQ('\0', szEntry[63]) << c.strEntry.size();
        if (c.bConverts) {
            EXPECT_EQ(std::string(CW2A(c.strEntry.c_str(), 932)), szEntry);
        }
    }
    SetThreadLocale(lcidBefore);
}

}  // namespace
