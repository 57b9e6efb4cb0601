// regsvr32 round trip of QuelmarFilter.dll in the test prefix: the COM class
// with ThreadingModel Both and the DirectShow filter in the legacy category
// with MERIT_DO_NOT_USE; unregistering removes both. Runs on its own, as the
// other tests need the registration.
#include <gtest/gtest.h>

#include <atlbase.h>

#include <string>

#include "../filter/DirectShow.h"
#include "../filter/Quelmar.h"

namespace {

constexpr char c_szClassKey[] = "CLSID\\{380949BC-AD26-4862-BF30-1F709075DF5B}";
constexpr char c_szInstanceKey[] =
    "CLSID\\{083863F1-70DE-11d0-BD40-00A0C911CE86}\\Instance\\{380949BC-AD26-4862-BF30-1F709075DF5B}";

std::string FilterPath()
{
    char szPath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string strPath = szPath;
    return strPath.substr(0, strPath.find_last_of('\\') + 1) + "QuelmarFilter.dll";
}

// Runs regsvr32 (silently) and returns its exit code.
DWORD RunRegsvr32(const std::string& strArguments)
{
    std::string strCommand = "regsvr32.exe /s " + strArguments + " \"" + FilterPath() + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return GetLastError();
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD dwExitCode = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &dwExitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return dwExitCode;
}

std::string ReadString(const char* pszKey, const char* pszValue)
{
    CRegKey key;
    if (key.Open(HKEY_CLASSES_ROOT, pszKey, KEY_READ) != ERROR_SUCCESS)
        return "<no key>";
    char sz[MAX_PATH] = {};
    ULONG cb = sizeof(sz);
    DWORD dwType = 0;
    if (key.QueryValue(pszValue, &dwType, sz, &cb) != ERROR_SUCCESS || dwType != REG_SZ)
        return "<no value>";
    return sz;
}

bool KeyExists(const char* pszKey)
{
    CRegKey key;
    return key.Open(HKEY_CLASSES_ROOT, pszKey, KEY_READ) == ERROR_SUCCESS;
}

// The merit in the filter data (a version-2 REGFILTER2 record: version, merit, ...).
DWORD RegisteredMerit()
{
    CRegKey key;
    if (key.Open(HKEY_CLASSES_ROOT, c_szInstanceKey, KEY_READ) != ERROR_SUCCESS)
        return 0;
    BYTE rgData[512] = {};
    ULONG cb = sizeof(rgData);
    DWORD dwType = 0;
    if (key.QueryValue("FilterData", &dwType, rgData, &cb) != ERROR_SUCCESS || cb < 8)
        return 0;
    DWORD dwMerit = 0;
    memcpy(&dwMerit, rgData + 4, sizeof(dwMerit));
    return dwMerit;
}

// Whatever a test does, the filter is registered again when it ends: the
// other tests and the run command use the same prefix.
class Registration : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(0u, RunRegsvr32("")); }
};

TEST_F(Registration, UnregisterRemovesBothAndRegisterRestoresThem)
{
    ASSERT_EQ(0u, RunRegsvr32("/u"));
    EXPECT_FALSE(KeyExists(c_szClassKey));
    EXPECT_FALSE(KeyExists(c_szInstanceKey));
    CComPtr<IBaseFilter> spFilter;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, spFilter.CoCreateInstance(CLSID_Quelmar, nullptr, CLSCTX_INPROC_SERVER));

    ASSERT_EQ(0u, RunRegsvr32(""));
    std::string strServerKey = std::string(c_szClassKey) + "\\InprocServer32";
    EXPECT_STRCASEEQ(FilterPath().c_str(), ReadString(strServerKey.c_str(), nullptr).c_str());
    EXPECT_EQ("Both", ReadString(strServerKey.c_str(), "ThreadingModel"));
    EXPECT_EQ("Quelmar", ReadString(c_szInstanceKey, "FriendlyName"));
    EXPECT_EQ(static_cast<DWORD>(MERIT_DO_NOT_USE), RegisteredMerit());
    EXPECT_EQ(S_OK, spFilter.CoCreateInstance(CLSID_Quelmar, nullptr, CLSCTX_INPROC_SERVER));
}

TEST_F(Registration, UnregisteringTwiceIsNotAnError)
{
    EXPECT_EQ(0u, RunRegsvr32("/u"));
    EXPECT_EQ(0u, RunRegsvr32("/u"));
    EXPECT_EQ(0u, RunRegsvr32(""));
    EXPECT_TRUE(KeyExists(c_szClassKey));
}

}  // namespace
