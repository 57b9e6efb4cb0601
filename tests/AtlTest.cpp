// Our ATL subset: reference counting of the smart pointers, BSTRs, string
// conversions, registry keys, the trace and window message maps.
#include <gtest/gtest.h>

#include <atlwin.h>

#include <string>

#include "TraceCapture.h"

namespace {

// An object that counts its references and answers IUnknown and IPersist.
class CCountedObject : public IPersist {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IPersist) {
            *ppv = static_cast<IPersist*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_nRefs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_nRefs; }
    STDMETHODIMP GetClassID(CLSID* pClassID) override
    {
        *pClassID = CLSID_NULL;
        return S_OK;
    }

    ULONG m_nRefs = 1;
};

TEST(CComPtr, HoldsOneReferenceAndReleasesItOnEveryPath)
{
    CCountedObject object;
    {
        CComPtr<IPersist> sp(&object);
        EXPECT_EQ(2u, object.m_nRefs);
        CComPtr<IPersist> spCopy = sp;
        EXPECT_EQ(3u, object.m_nRefs);
        spCopy.Release();
        EXPECT_EQ(2u, object.m_nRefs);
        EXPECT_EQ(nullptr, spCopy.p);
        CComPtr<IPersist> spMoved(std::move(sp));
        EXPECT_EQ(2u, object.m_nRefs);
        IPersist* pOut = nullptr;
        EXPECT_EQ(S_OK, spMoved.CopyTo(&pOut));
        EXPECT_EQ(3u, object.m_nRefs);
        pOut->Release();
        EXPECT_EQ(E_POINTER, spMoved.CopyTo(nullptr));
        spMoved = &object;  // assigning the same object keeps one reference
        EXPECT_EQ(2u, object.m_nRefs);
    }
    EXPECT_EQ(1u, object.m_nRefs);
}

TEST(CComPtr, AttachAndDetachMoveTheReferenceWithoutCounting)
{
    CCountedObject object;
    object.AddRef();
    {
        CComPtr<IPersist> sp;
        sp.Attach(&object);
        EXPECT_EQ(2u, object.m_nRefs);
        IPersist* p = sp.Detach();
        EXPECT_EQ(&object, p);
        EXPECT_EQ(2u, object.m_nRefs);
        sp.Attach(p);
    }
    EXPECT_EQ(1u, object.m_nRefs);
}

TEST(CComQIPtr, QueriesTheInterfaceAndHoldsItsReference)
{
    CCountedObject object;
    {
        CComPtr<IUnknown> spUnknown(static_cast<IUnknown*>(&object));
        CComQIPtr<IPersist> spPersist(spUnknown);
        ASSERT_NE(nullptr, spPersist.p);
        EXPECT_EQ(3u, object.m_nRefs);
        CComQIPtr<IStream> spStream(spUnknown);
        EXPECT_EQ(nullptr, spStream.p);
        EXPECT_EQ(3u, object.m_nRefs);
        spPersist = static_cast<IUnknown*>(nullptr);
        EXPECT_EQ(2u, object.m_nRefs);
    }
    EXPECT_EQ(1u, object.m_nRefs);
}

TEST(CComBSTR, CopiesEmptiesAndHandsOverItsString)
{
    CComBSTR cbs(L"level");
    EXPECT_EQ(5u, cbs.Length());
    CComBSTR cbsCopy = cbs;
    EXPECT_NE(cbs.m_str, cbsCopy.m_str);
    EXPECT_STREQ(L"level", cbsCopy.m_str);
    cbsCopy = static_cast<LPCOLESTR>(nullptr);
    EXPECT_EQ(nullptr, cbsCopy.m_str);
    EXPECT_EQ(0u, cbsCopy.Length());
    BSTR bstr = cbs.Detach();
    EXPECT_EQ(nullptr, cbs.m_str);
    cbs.Attach(bstr);
    EXPECT_STREQ(L"level", cbs.m_str);
    cbs.Empty();
    EXPECT_TRUE(!cbs);
    EXPECT_EQ(nullptr, CComBSTR().Copy());
}

TEST(Conversions, RoundTripShortLongAndNull)
{
    EXPECT_STREQ(L"F:\\Ref_movies", static_cast<LPWSTR>(CA2W("F:\\Ref_movies")));
    EXPECT_STREQ("Hann", static_cast<LPSTR>(CW2A(L"Hann")));
    std::string strLong(1000, 'x');  // beyond the inline buffer
    std::wstring strLongW(1000, L'x');
    EXPECT_EQ(strLongW, static_cast<LPWSTR>(CA2W(strLong.c_str())));
    EXPECT_EQ(strLong, static_cast<LPSTR>(CW2A(strLongW.c_str())));
    EXPECT_EQ(nullptr, static_cast<LPWSTR>(CA2W(nullptr)));
    EXPECT_EQ(nullptr, static_cast<LPSTR>(CW2A(nullptr)));
    EXPECT_STREQ(L"", static_cast<LPWSTR>(CA2W("")));
}

TEST(Conversions, UseTheGivenCodePage)
{
    EXPECT_STREQ(L"caf\u00e9", static_cast<LPWSTR>(CA2W("caf\xe9", 1252)));
    EXPECT_STREQ("caf\xe9", static_cast<LPSTR>(CW2A(L"caf\u00e9", 1252)));
    EXPECT_STREQ("caf\xc3\xa9", static_cast<LPSTR>(CW2A(L"caf\u00e9", CP_UTF8)));
}

TEST(CRegKey, CreatesWritesReadsAndDeletes)
{
    const char* pszKey = "Software\\QuelmarTest\\AtlTest";
    {
        CRegKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, pszKey));
        EXPECT_EQ(ERROR_SUCCESS, key.SetStringValue("Path", "C:\\graphedt.exe"));
        EXPECT_EQ(ERROR_SUCCESS, key.SetDWORDValue("Count", 7));
    }
    {
        CRegKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, pszKey, KEY_READ));
        char sz[64] = {};
        ULONG cb = sizeof(sz);
        DWORD dwType = 0;
        EXPECT_EQ(ERROR_SUCCESS, key.QueryValue("Path", &dwType, sz, &cb));
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), dwType);
        EXPECT_STREQ("C:\\graphedt.exe", sz);
        EXPECT_EQ(16u, cb);
        DWORD dw = 0;
        cb = sizeof(dw);
        EXPECT_EQ(ERROR_SUCCESS, key.QueryValue("Count", &dwType, &dw, &cb));
        EXPECT_EQ(7u, dw);
    }
    CRegKey parent;
    ASSERT_EQ(ERROR_SUCCESS, parent.Open(HKEY_CURRENT_USER, "Software"));
    EXPECT_EQ(ERROR_SUCCESS, parent.RecurseDeleteKey("QuelmarTest"));
    CRegKey gone;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, gone.Open(HKEY_CURRENT_USER, pszKey, KEY_READ));
    EXPECT_EQ(nullptr, gone.m_hKey);
}

TEST(Trace, SinkSeesCategoryLevelAndText)
{
    CTraceCapture capture;
    ATLTRACE("plain %d\n", 1);
    ATLTRACE2(atlTraceWindowing, 10, "windowing %s\n", "line");
    std::vector<CTraceLine> rgLines = capture.Lines();
    ASSERT_EQ(2u, rgLines.size());
    EXPECT_EQ("atlTraceGeneral", rgLines[0].strCategory);
    EXPECT_EQ(0u, rgLines[0].nLevel);
    EXPECT_EQ("plain 1\n", rgLines[0].strText);
    EXPECT_EQ("atlTraceWindowing", rgLines[1].strCategory);
    EXPECT_EQ(10u, rgLines[1].nLevel);
    EXPECT_EQ("windowing line\n", rgLines[1].strText);
}

TEST(Trace, OverlongLineIsCutNotOverrun)
{
    CTraceCapture capture;
    std::string strLong(5000, 'z');
    ATLTRACE("%s", strLong.c_str());
    ASSERT_EQ(1u, capture.Lines().size());
    EXPECT_EQ(std::string(1023, 'z'), capture.Lines()[0].strText);
}

// A window of our own class with a two-entry message map.
class CProbeWindow : public CWindowImpl<CProbeWindow> {
public:
    BEGIN_MSG_MAP(CProbeWindow)
        MESSAGE_HANDLER(WM_USER, OnUser)
        MESSAGE_HANDLER(WM_USER + 1, OnDeclined)
    END_MSG_MAP()

    LRESULT OnUser(UINT, WPARAM wParam, LPARAM, BOOL&) { return static_cast<LRESULT>(wParam) * 2; }
    LRESULT OnDeclined(UINT, WPARAM, LPARAM, BOOL& bHandled)
    {
        bHandled = FALSE;
        return 99;
    }
    void OnFinalMessage(HWND hWnd) override { m_hWndFinal = hWnd; }

    HWND m_hWndFinal = nullptr;
};

TEST(CWindowImpl, RegistersItsClassAndRoutesMessagesThroughTheMap)
{
    CProbeWindow wnd;
    RECT rc = {0, 0, 100, 50};
    HWND hWnd = wnd.Create(nullptr, rc, "probe", WS_POPUP);
    ASSERT_NE(nullptr, hWnd);
    EXPECT_EQ(hWnd, wnd.m_hWnd);
    char szClass[64] = {};
    GetClassNameA(hWnd, szClass, sizeof(szClass));
    EXPECT_EQ(0, strncmp(szClass, "ATL:", 4)) << szClass;
    EXPECT_EQ(static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS), GetClassLongPtrA(hWnd, GCL_STYLE));
    EXPECT_EQ(static_cast<ULONG_PTR>(COLOR_WINDOW + 1), GetClassLongPtrA(hWnd, GCLP_HBRBACKGROUND));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(LoadCursorA(nullptr, IDC_ARROW)), GetClassLongPtrA(hWnd, GCLP_HCURSOR));
    EXPECT_EQ(0u, GetClassLongPtrA(hWnd, GCL_CBWNDEXTRA));

    EXPECT_EQ(42, SendMessageA(hWnd, WM_USER, 21, 0));
    EXPECT_EQ(0, SendMessageA(hWnd, WM_USER + 1, 0, 0));  // declined: the default procedure answers
    EXPECT_EQ(5, SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));

    DestroyWindow(hWnd);
    EXPECT_EQ(hWnd, wnd.m_hWndFinal);
    EXPECT_EQ(nullptr, wnd.m_hWnd);
}

TEST(CWindowImpl, SecondWindowSharesTheClass)
{
    CProbeWindow wnd1, wnd2;
    RECT rc = {0, 0, 10, 10};
    ASSERT_NE(nullptr, wnd1.Create(nullptr, rc, "", WS_POPUP));
    ASSERT_NE(nullptr, wnd2.Create(nullptr, rc, "", WS_POPUP));
    EXPECT_EQ(GetClassLongPtrA(wnd1.m_hWnd, GCW_ATOM), GetClassLongPtrA(wnd2.m_hWnd, GCW_ATOM));
    EXPECT_EQ(8, SendMessageA(wnd2.m_hWnd, WM_USER, 4, 0));
    wnd1.DestroyWindow();
    wnd2.DestroyWindow();
}

TEST(MessageMap, UnknownMapIdIsTracedAndNotHandled)
{
    CTraceCapture capture;
    CProbeWindow wnd;
    LRESULT lResult = 0;
    EXPECT_FALSE(wnd.ProcessWindowMessage(nullptr, WM_USER, 0, 0, lResult, 3));
    ASSERT_EQ(1u, capture.Lines().size());
    EXPECT_EQ("Invalid message map ID (3)\n", capture.Lines()[0].strText);
    EXPECT_EQ("atlTraceWindowing", capture.Lines()[0].strCategory);
}

}  // namespace
