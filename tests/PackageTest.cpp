// The release zip as a Windows user meets it, unpacked into the folder named
// by QUELMAR_PACKAGE_DIR in a new, empty Wine prefix (scripts/check-package.sh
// prepares both): the binaries' version resources and the program's manifest
// read back with the system's own calls; register.cmd run through cmd; the
// program started from there building and playing a packaged sample;
// unregister.cmd, after which the program cannot build a graph.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "MessageBoxProbe.h"
#include "ProgramProcess.h"
#include "WindowText.h"
#include "../filter/Quelmar.h"
#include "../release/Version.h"
#include "../ui/resource.h"

namespace {

constexpr DWORD c_dwStepTimeoutMs = 20000;
constexpr DWORD c_dwScriptTimeoutMs = 60000;
constexpr char c_szSample[] = "samples\\Ref_movies\\Storage\\AAC\\Track No01.mp4";
constexpr char c_szToneSample[] = "samples\\sine-1kHz-minus6dB.wav";

std::string Quoted(const std::string& str)
{
    return "\"" + str + "\"";
}

std::wstring Widen(const std::string& str)
{
    std::wstring wstr(str.size(), L'\0');
    wstr.resize(MultiByteToWideChar(CP_ACP, 0, str.data(), static_cast<int>(str.size()), &wstr[0],
                                    static_cast<int>(wstr.size())));
    return wstr;
}

// The folder the zip was unpacked into, with a trailing backslash.
std::string PackageFolder()
{
    const char* pszFolder = getenv("QUELMAR_PACKAGE_DIR");
    return pszFolder ? std::string(pszFolder) + "\\" : std::string();
}

class Package : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_strFolder.empty()) << "QUELMAR_PACKAGE_DIR names no folder";
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(m_strFolder.c_str())) << m_strFolder;
    }
    std::string File(const char* pszName) const { return m_strFolder + pszName; }

    const std::string m_strFolder = PackageFolder();
};

// ---- Version resources

struct CVersionCase {
    const char* pszFile;
    DWORD dwFileType;
    const char* pszDescription;
};

const CVersionCase s_rgVersionCases[] = {
    {"QuelmarTest.exe", VFT_APP, "QuelmarTest: test bench for the Quelmar audio level filter"},
    {"QuelmarRun.exe", VFT_APP, "QuelmarRun: scripted checks of the Quelmar audio level filter"},
    {"QuelmarFilter.dll", VFT_DLL, "Quelmar audio level filter for DirectShow"},
};

class VersionResource {
public:
    explicit VersionResource(const std::string& strPath)
    {
        std::wstring wstrPath = Widen(strPath);
        DWORD dwHandle = 0;
        m_rgData.resize(GetFileVersionInfoSizeW(wstrPath.c_str(), &dwHandle));
        m_bRead = !m_rgData.empty() &&
                  GetFileVersionInfoW(wstrPath.c_str(), 0, static_cast<DWORD>(m_rgData.size()), m_rgData.data());
    }
    bool Read() const { return m_bRead != FALSE; }

    const VS_FIXEDFILEINFO* Fixed() const
    {
        UINT cbValue = 0;
        const void* pValue = Query(L"\\", &cbValue);
        return cbValue >= sizeof(VS_FIXEDFILEINFO) ? static_cast<const VS_FIXEDFILEINFO*>(pValue) : nullptr;
    }
    // The first language and code page of the translation table.
    DWORD Translation() const
    {
        UINT cbValue = 0;
        const WORD* pwTranslation = static_cast<const WORD*>(Query(L"\\VarFileInfo\\Translation", &cbValue));
        return cbValue >= 2 * sizeof(WORD) ? MAKELONG(pwTranslation[1], pwTranslation[0]) : 0;
    }
    // A string of the translation's table; "(none)" when it is missing.
    std::wstring String(const wchar_t* pszName) const
    {
        wchar_t szQuery[128];
        swprintf(szQuery, 128, L"\\StringFileInfo\\%08X\\%ls", static_cast<unsigned>(Translation()), pszName);
        UINT cchValue = 0;
        const wchar_t* pszValue = static_cast<const wchar_t*>(Query(szQuery, &cchValue));
        return cchValue ? std::wstring(pszValue) : L"(none)";
    }

private:
    // The value's address and its size (bytes, or characters for a string).
    const void* Query(const wchar_t* pszQuery, UINT* pcbValue) const
    {
        void* pValue = nullptr;
        if (!VerQueryValueW(m_rgData.data(), pszQuery, &pValue, pcbValue))
            *pcbValue = 0;
        return pValue;
    }

    std::vector<BYTE> m_rgData;
    BOOL m_bRead = FALSE;
};

TEST_F(Package, EachBinaryCarriesItsVersionResource)
{
    const DWORD dwVersionMS = MAKELONG(QUELMAR_VERSION_MINOR, QUELMAR_VERSION_MAJOR);
    const DWORD dwVersionLS = MAKELONG(0, QUELMAR_VERSION_PATCH);
    for (const CVersionCase& versionCase : s_rgVersionCases) {
        SCOPED_TRACE(versionCase.pszFile);
        VersionResource version(File(versionCase.pszFile));
        ASSERT_TRUE(version.Read()) << "error " << GetLastError();
        const VS_FIXEDFILEINFO* pFixed = version.Fixed();
        ASSERT_NE(nullptr, pFixed);
        EXPECT_EQ(0xFEEF04BDu, pFixed->dwSignature);
        EXPECT_EQ(dwVersionMS, pFixed->dwFileVersionMS);
        EXPECT_EQ(dwVersionLS, pFixed->dwFileVersionLS);
        EXPECT_EQ(dwVersionMS, pFixed->dwProductVersionMS);
        EXPECT_EQ(dwVersionLS, pFixed->dwProductVersionLS);
        EXPECT_EQ(versionCase.dwFileType, pFixed->dwFileType);
        EXPECT_EQ(0u, pFixed->dwFileFlags & pFixed->dwFileFlagsMask) << "no debug, pre-release or patched flag";
        EXPECT_EQ(MAKELONG(1200, 0x409), version.Translation()) << "US English, Unicode";
        EXPECT_EQ(L"QuelmarTest", version.String(L"ProductName"));
        EXPECT_EQ(Widen(QUELMAR_VERSION_TEXT), version.String(L"ProductVersion"));
        EXPECT_EQ(Widen(QUELMAR_VERSION_TEXT), version.String(L"FileVersion"));
        EXPECT_EQ(Widen(versionCase.pszDescription), version.String(L"FileDescription"));
        EXPECT_EQ(Widen(versionCase.pszFile), version.String(L"OriginalFilename"));
        EXPECT_EQ(L"Copyright (C) 2026 the QuelmarTest developers", version.String(L"LegalCopyright"));
    }
}

// ---- The program's manifest, through the activation context Windows makes of it

class ActivationContext {
public:
    explicit ActivationContext(const std::string& strModule)
    {
        std::wstring wstrModule = Widen(strModule);
        ACTCTXW actctx = {};
        actctx.cbSize = sizeof(actctx);
        actctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        actctx.lpSource = wstrModule.c_str();
        actctx.lpResourceName = MAKEINTRESOURCEW(1);  // the process manifest
        m_hContext = CreateActCtxW(&actctx);
    }
    ~ActivationContext()
    {
        if (m_hContext != INVALID_HANDLE_VALUE)
            ReleaseActCtx(m_hContext);
    }
    ActivationContext(const ActivationContext&) = delete;
    ActivationContext& operator=(const ActivationContext&) = delete;

    bool Made() const { return m_hContext != INVALID_HANDLE_VALUE; }

    bool RunLevel(ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION* pInfo) const
    {
        return QueryActCtxW(0, m_hContext, nullptr, RunlevelInformationInActivationContext, pInfo, sizeof(*pInfo),
                            nullptr) != FALSE;
    }
    // The supported-OS entries; empty when the query fails. Since Windows 10
    // (and in Wine) each entry also holds a 64-bit MaxVersionTested, which
    // mingw-w64's declaration lacks: the entries' size is told by the total.
    std::set<std::wstring> SupportedOs() const
    {
        std::vector<BYTE> rgBuffer(1024);
        SIZE_T cbWritten = 0;
        std::set<std::wstring> setIds;
        if (!QueryActCtxW(0, m_hContext, nullptr, CompatibilityInformationInActivationContext, rgBuffer.data(),
                          rgBuffer.size(), &cbWritten))
            return setIds;
        DWORD nElements = *reinterpret_cast<const DWORD*>(rgBuffer.data());
        bool bWithMaxVersion = cbWritten == sizeof(ULONGLONG) + nElements * sizeof(CElementWithMaxVersion);
        for (DWORD i = 0; i < nElements; i++)
            setIds.insert(bWithMaxVersion ? OsId(reinterpret_cast<const CElementWithMaxVersion*>(&rgBuffer[8])[i])
                                          : OsId(reinterpret_cast<const ACTIVATION_CONTEXT_COMPATIBILITY_INFORMATION*>(
                                                     rgBuffer.data())->Elements[i]));
        return setIds;
    }
    // A value of the manifest's windowsSettings; "(none)" when it has none.
    std::wstring Setting(const wchar_t* pszNamespace, const wchar_t* pszName) const
    {
        wchar_t szValue[64] = {};
        SIZE_T cchWritten = 0;
        if (!QueryActCtxSettingsW(0, m_hContext, pszNamespace, pszName, szValue, 64, &cchWritten))
            return L"(none)";
        return szValue;
    }

private:
    struct CElementWithMaxVersion {
        GUID Id;
        ACTCTX_COMPATIBILITY_ELEMENT_TYPE Type;
        ULONGLONG ullMaxVersionTested;
    };
    template <class TElement>
    static std::wstring OsId(const TElement& element)
    {
        wchar_t szId[40] = {};
        StringFromGUID2(element.Id, szId, 40);
        return element.Type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS ? szId : L"not an OS entry";
    }

    HANDLE m_hContext = INVALID_HANDLE_VALUE;
};

// The manifest's text as stored in the module; empty when there is none.
std::string ManifestText(const std::string& strModule)
{
    HMODULE hModule = LoadLibraryExA(strModule.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!hModule)
        return std::string();
    std::string strText;
    if (HRSRC hResource = FindResourceA(hModule, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST)) {
        const char* pText = static_cast<const char*>(LockResource(LoadResource(hModule, hResource)));
        if (pText)
            strText.assign(pText, SizeofResource(hModule, hResource));
    }
    FreeLibrary(hModule);
    return strText;
}

TEST_F(Package, TheProgramsManifestRunsAsInvokerOnWindows7To11SystemDpiAware)
{
    std::string strProgram = File("QuelmarTest.exe");
    std::string strManifest = ManifestText(strProgram);
    ASSERT_FALSE(strManifest.empty()) << "no RT_MANIFEST 1 in " << strProgram;
    EXPECT_EQ(std::string::npos, strManifest.find("Microsoft.Windows.Common-Controls")) << "the classic controls";

    ActivationContext context(strProgram);
    ASSERT_TRUE(context.Made()) << "the manifest does not parse: error " << GetLastError();
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION runLevel = {};
    ASSERT_TRUE(context.RunLevel(&runLevel)) << GetLastError();
    EXPECT_EQ(ACTCTX_RUN_LEVEL_AS_INVOKER, runLevel.RunLevel);
    EXPECT_EQ(0u, runLevel.UiAccess);

    const std::set<std::wstring> setWindows7To11 = {
        L"{35138B9A-5D96-4FBD-8E2D-A2440225F93A}",  // 7
        L"{4A2F28E3-53B9-4441-BA9C-D69D4A4A6E38}",  // 8
        L"{1F676C76-80E1-4239-95BB-83D0F6D0DA78}",  // 8.1
        L"{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}",  // 10 and 11
    };
    std::set<std::wstring> setSupported = context.SupportedOs();
    std::wstring wstrSupported;
    for (const std::wstring& wstrId : setSupported)
        wstrSupported += wstrId + L" ";
    EXPECT_TRUE(setWindows7To11 == setSupported) << std::string(wstrSupported.begin(), wstrSupported.end());

    EXPECT_EQ(L"true", context.Setting(nullptr, L"dpiAware"));
    EXPECT_EQ(L"system", context.Setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"));
}

// ---- The clean machine: register, play, unregister

// Runs a command line through cmd, as typed at a prompt.
CChildRun RunCommand(const std::string& strCommandLine)
{
    return RunChild("cmd.exe /c \"" + strCommandLine + "\"", c_dwScriptTimeoutMs, CREATE_NO_WINDOW);
}

HRESULT CreateLevelFilter()
{
    IUnknown* pUnknown = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_Quelmar, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&pUnknown));
    if (pUnknown)
        pUnknown->Release();
    return hr;
}

// The server path registered for the level filter; empty when there is none.
std::string RegisteredServer()
{
    wchar_t szClsid[40] = {};
    StringFromGUID2(CLSID_Quelmar, szClsid, 40);
    std::string strKey = "CLSID\\" + std::string(szClsid, szClsid + wcslen(szClsid)) + "\\InprocServer32";
    char szPath[MAX_PATH] = {};
    DWORD cbPath = sizeof(szPath);
    if (RegGetValueA(HKEY_CLASSES_ROOT, strKey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, szPath, &cbPath) != ERROR_SUCCESS)
        return std::string();
    return szPath;
}

class CleanMachine : public Package {
protected:
    // Starts the unpacked program, types the sample's path and clicks "Build graph".
    bool StartAndBuild()
    {
        m_pProgram.reset(new CProgram(File("QuelmarTest.exe")));
        m_hWndDialog = m_pProgram->Started() ? m_pProgram->WaitForDialog() : nullptr;
        if (!m_hWndDialog)
            return false;
        TypeText(Control(IDC_FILE), File(c_szSample));
        Click(Control(IDC_BUILD_GRAPH));
        return true;
    }
    HWND Control(int nID) const { return GetDlgItem(m_hWndDialog, nID); }
    int LevelBar() const { return static_cast<int>(SendWithin(Control(IDC_LEVEL), PBM_GETPOS, 0, 0)); }
    std::string PositionText() const { return GetText(Control(IDC_POSITION_TEXT)); }
    bool CloseWithEsc() const
    {
        PressKeyInDialog(m_hWndDialog, VK_ESCAPE);
        return m_pProgram->WaitForExit() == 0;
    }

    std::unique_ptr<CProgram> m_pProgram;
    HWND m_hWndDialog = nullptr;
};

TEST_F(CleanMachine, RegisterPlayASampleUnregister)
{
    ASSERT_EQ(REGDB_E_CLASSNOTREG, CreateLevelFilter()) << "the prefix is not new: the filter is registered already";

    CChildRun registered = RunCommand(Quoted(File("register.cmd")));
    ASSERT_EQ(0u, registered.dwExitCode) << registered.strOutput;
    EXPECT_NE(std::string::npos, registered.strOutput.find("Registered the Quelmar level filter \"" + File("QuelmarFilter.dll") + "\""))
        << registered.strOutput;
    EXPECT_EQ(File("QuelmarFilter.dll"), RegisteredServer());
    EXPECT_EQ(S_OK, CreateLevelFilter());

    // Built and played: the level bar rises to the -6 dB tone and the position moves.
    ASSERT_TRUE(StartAndBuild()) << "error " << GetLastError();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(Control(IDC_PLAY)) != FALSE; }, c_dwStepTimeoutMs)) << PositionText();
    EXPECT_EQ(0, GetText(m_hWndDialog).rfind("Test for Quelmar [R64 v." QUELMAR_VERSION_TEXT " ", 0)) << GetText(m_hWndDialog);
    EXPECT_EQ(0, LevelBar());
    Click(Control(IDC_PLAY));
    EXPECT_TRUE(WaitUntil([&] { return LevelBar() >= 32 && LevelBar() <= 36; }, c_dwStepTimeoutMs)) << LevelBar();
    EXPECT_TRUE(WaitUntil([&] { return atof(PositionText().c_str()) > 0.5; }, c_dwStepTimeoutMs)) << PositionText();
    EXPECT_TRUE(CloseWithEsc());

    // The runner from the same folder passes on the -6 dB tone and fails
    // (exit code 1) when told to expect silence.
    const std::string strRunner = Quoted(File("QuelmarRun.exe")) + " --expect-level 1:";
    const std::string strTone = " " + Quoted(File(c_szToneSample));
    CChildRun passed = RunCommand(strRunner + "-6.5:-5.5" + strTone);
    EXPECT_EQ(0u, passed.dwExitCode) << passed.strOutput;
    CChildRun failed = RunCommand(strRunner + "-120:-100" + strTone);
    EXPECT_EQ(1u, failed.dwExitCode) << failed.strOutput;

    CChildRun unregistered = RunCommand(Quoted(File("unregister.cmd")));
    ASSERT_EQ(0u, unregistered.dwExitCode) << unregistered.strOutput;
    EXPECT_NE(std::string::npos, unregistered.strOutput.find("Removed the registration")) << unregistered.strOutput;
    EXPECT_EQ("", RegisteredServer());

    ASSERT_TRUE(StartAndBuild()) << "error " << GetLastError();
    CMessageBoxInfo box;
    ASSERT_TRUE(FindMessageBox(m_pProgram->ThreadId(), m_hWndDialog, c_dwStepTimeoutMs, &box));
    EXPECT_EQ(0, box.strText.rfind("Can't build graph\n", 0)) << box.strText;
    const std::string strStatus = "Error 0x80040154";
    EXPECT_TRUE(box.strText.size() > strStatus.size() &&
                box.strText.compare(box.strText.size() - strStatus.size(), strStatus.size(), strStatus) == 0)
        << box.strText;
    PressMessageBoxButton(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box.hWnd); }, c_dwStepTimeoutMs));
    EXPECT_TRUE(CloseWithEsc());
}

}  // namespace
