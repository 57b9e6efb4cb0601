#include "atlmodule.h"

#include <new>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace ATL {

CAtlBaseModule _AtlBaseModule;
CAtlModule* _pAtlModule = nullptr;

HINSTANCE CAtlBaseModule::GetModuleInstance() const
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

HINSTANCE CAtlBaseModule::GetResourceInstance() const
{
    return GetModuleInstance();
}

CAtlModule::CAtlModule() : m_pCreateWndList(nullptr)
{
    ::InitializeCriticalSection(&m_csWindowCreate);
    ATLASSERT(_pAtlModule == nullptr);
    _pAtlModule = this;
}

CAtlModule::~CAtlModule()
{
    while (m_pCreateWndList) {
        CCreateWndData* pNext = m_pCreateWndList->m_pNext;
        delete m_pCreateWndList;
        m_pCreateWndList = pNext;
    }
    ::DeleteCriticalSection(&m_csWindowCreate);
    if (_pAtlModule == this)
        _pAtlModule = nullptr;
}

bool CAtlModule::AddCreateWndData(void* pObject)
{
    CCreateWndData* pData = new (std::nothrow) CCreateWndData;
    if (!pData)
        return false;
    pData->m_pObject = pObject;
    pData->m_dwThreadId = ::GetCurrentThreadId();
    ::EnterCriticalSection(&m_csWindowCreate);
    pData->m_pNext = m_pCreateWndList;
    m_pCreateWndList = pData;
    ::LeaveCriticalSection(&m_csWindowCreate);
    return true;
}

void* CAtlModule::ExtractCreateWndData()
{
    return UnlinkCreateWndData(nullptr);
}

void CAtlModule::RemoveCreateWndData(void* pObject)
{
    UnlinkCreateWndData(pObject);
}

void* CAtlModule::UnlinkCreateWndData(void* pWanted)
{
    void* pObject = nullptr;
    DWORD dwThreadId = ::GetCurrentThreadId();
    ::EnterCriticalSection(&m_csWindowCreate);
    for (CCreateWndData** ppEntry = &m_pCreateWndList; *ppEntry; ppEntry = &(*ppEntry)->m_pNext) {
        CCreateWndData* pEntry = *ppEntry;
        if (pEntry->m_dwThreadId == dwThreadId && (!pWanted || pEntry->m_pObject == pWanted)) {
            pObject = pEntry->m_pObject;
            *ppEntry = pEntry->m_pNext;
            delete pEntry;
            break;
        }
    }
    ::LeaveCriticalSection(&m_csWindowCreate);
    return pObject;
}

}  // namespace ATL
