#include "ProcessResources.h"

#include "WindowText.h"
#include "../../filter/DirectShow.h"

#include <atlbase.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// SystemExtendedHandleInformation: one entry per open handle in the system.
constexpr ULONG c_nSystemExtendedHandleInformation = 64;

struct CHandleEntry {
    PVOID pObject;
    ULONG_PTR nProcessId;
    ULONG_PTR nHandle;
    ULONG nGrantedAccess;
    USHORT nCreatorBackTraceIndex;
    USHORT nObjectTypeIndex;
    ULONG nAttributes;
    ULONG nReserved;
};

struct CHandleList {
    ULONG_PTR nCount;
    ULONG_PTR nReserved;
    CHandleEntry rgEntries[1];
};

// The GDI handle table a process maps, as its PEB points to it: 65536
// entries; a non-zero type marks an object in use. Its owner is the process
// or, for stock objects and under Wine, nobody (0).
constexpr size_t c_cbPebGdiHandleTable = 0xF8;
constexpr size_t c_nGdiHandles = 0x10000;

struct CGdiEntry {
    uint64_t nKernelObject;
    uint16_t nProcessId;
    uint16_t nCount;
    uint16_t nUnique;
    uint8_t nType;
    uint8_t nFlags;
    uint64_t nUserObject;
};
static_assert(sizeof(CGdiEntry) == 24, "the table's entry layout");

typedef NTSTATUS(WINAPI* PFN_QUERY_SYSTEM)(ULONG, PVOID, ULONG, PULONG);
typedef NTSTATUS(WINAPI* PFN_QUERY_PROCESS)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

template <class TFunction>
TFunction NtFunction(const char* pszName)
{
    return reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), pszName)));
}

// The system's handle list, or an empty buffer when it cannot be read.
std::vector<uint8_t> ReadHandleList()
{
    auto pfnQuery = NtFunction<PFN_QUERY_SYSTEM>("NtQuerySystemInformation");
    if (!pfnQuery)
        return {};
    std::vector<uint8_t> rgBuffer(1 << 20);
    ULONG cbNeeded = 0;
    NTSTATUS status;
    while ((status = pfnQuery(c_nSystemExtendedHandleInformation, rgBuffer.data(), static_cast<ULONG>(rgBuffer.size()),
                              &cbNeeded)) == static_cast<NTSTATUS>(0xC0000004L) &&  // STATUS_INFO_LENGTH_MISMATCH
           rgBuffer.size() < (64u << 20))
        rgBuffer.resize(rgBuffer.size() * 2);
    if (status != 0)
        rgBuffer.clear();
    return rgBuffer;
}

// The type index the list gives a handle of the calling process; -1 if absent.
int TypeIndexOf(const CHandleList& list, HANDLE hOwn)
{
    for (ULONG_PTR i = 0; i < list.nCount; i++)
        if (list.rgEntries[i].nProcessId == GetCurrentProcessId() &&
            list.rgEntries[i].nHandle == reinterpret_cast<ULONG_PTR>(hOwn))
            return list.rgEntries[i].nObjectTypeIndex;
    return -1;
}

long CountTableGdiObjects(HANDLE hProcess)
{
    auto pfnQuery = NtFunction<PFN_QUERY_PROCESS>("NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION pbi = {};
    if (!pfnQuery || pfnQuery(hProcess, ProcessBasicInformation, &pbi, sizeof(pbi), nullptr) != 0)
        return -1;
    void* pTable = nullptr;
    const auto* pbPeb = reinterpret_cast<const uint8_t*>(pbi.PebBaseAddress);
    if (!ReadProcessMemory(hProcess, pbPeb + c_cbPebGdiHandleTable, &pTable, sizeof(pTable), nullptr) || !pTable)
        return -1;
    std::vector<CGdiEntry> rgEntries(c_nGdiHandles);
    if (!ReadProcessMemory(hProcess, pTable, rgEntries.data(), rgEntries.size() * sizeof(CGdiEntry), nullptr))
        return -1;
    auto nProcessId = static_cast<uint16_t>(GetProcessId(hProcess));
    long nCount = 0;
    for (const CGdiEntry& entry : rgEntries)
        nCount += entry.nType != 0 && (entry.nProcessId == nProcessId || entry.nProcessId == 0) ? 1 : 0;
    return nCount;
}

}  // namespace

bool CountHandles(DWORD dwProcessId, CHandleCounts* pCounts)
{
    // A key and an event of our own tell which type indexes those kinds have.
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    HANDLE hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::vector<uint8_t> rgBuffer = ReadHandleList();
    bool bRead = !rgBuffer.empty();
    if (bRead) {
        const auto& list = *reinterpret_cast<const CHandleList*>(rgBuffer.data());
        int nKeyType = TypeIndexOf(list, hKey), nEventType = TypeIndexOf(list, hEvent);
        *pCounts = CHandleCounts();
        for (ULONG_PTR i = 0; i < list.nCount; i++) {
            const CHandleEntry& entry = list.rgEntries[i];
            if (entry.nProcessId != dwProcessId)
                continue;
            long& nCount = entry.nObjectTypeIndex == nKeyType     ? pCounts->nKeys
                           : entry.nObjectTypeIndex == nEventType ? pCounts->nEvents
                                                                  : pCounts->nOthers;
            nCount++;
        }
        bRead = nKeyType >= 0 && nEventType >= 0;
    }
    CloseHandle(hEvent);
    RegCloseKey(hKey);
    return bRead;
}

long GdiObjectCount(HANDLE hProcess)
{
    DWORD nCount = GetGuiResources(hProcess, GR_GDIOBJECTS);
    if (nCount != 0)
        return static_cast<long>(nCount);
    return CountTableGdiObjects(hProcess);
}

namespace {

// A graph of strPath rendered by the graph manager itself, played for half a
// second of stream time and stopped, as the program's cycles do.
void RenderAndPlay(const std::string& strPath)
{
    CComPtr<IGraphBuilder> spGraph;
    if (FAILED(spGraph.CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER)) ||
        FAILED(spGraph->RenderFile(CA2W(strPath.c_str()), nullptr)))
        return;
    CComQIPtr<IMediaControl> spControl(spGraph);
    CComQIPtr<IMediaSeeking> spSeeking(spGraph);
    if (!spControl || !spSeeking || FAILED(spControl->Run()))
        return;
    WaitUntil([&] {
        LONGLONG llPosition = 0;
        return SUCCEEDED(spSeeking->GetCurrentPosition(&llPosition)) && llPosition >= 5000000;
    });
    spControl->Stop();
}

}  // namespace

CHandleCounts PlatformLeakPerGraph(const std::string& strPath)
{
    CHandleCounts leak, before, after;
    RenderAndPlay(strPath);
    CountHandles(GetCurrentProcessId(), &before);
    for (int i = 0; i < 3; i++) {
        RenderAndPlay(strPath);
        CountHandles(GetCurrentProcessId(), &after);
        leak.nKeys = std::max(leak.nKeys, after.nKeys - before.nKeys);
        leak.nEvents = std::max(leak.nEvents, after.nEvents - before.nEvents);
        before = after;
    }
    return leak;
}
