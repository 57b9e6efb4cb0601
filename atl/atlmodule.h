// The module objects. _AtlBaseModule supplies the instance handles; the one
// CAtlExeModuleT-derived object of a process keeps the window-creation
// records through which a window being created finds the C++ object that
// owns it (one record per pending creation, matched by thread).
#pragma once

#include "atldef.h"

namespace ATL {

class CAtlBaseModule {
public:
    HINSTANCE GetModuleInstance() const;
    HINSTANCE GetResourceInstance() const;
};

extern CAtlBaseModule _AtlBaseModule;

class CAtlModule {
public:
    CAtlModule();
    virtual ~CAtlModule();
    CAtlModule(const CAtlModule&) = delete;
    CAtlModule& operator=(const CAtlModule&) = delete;

    // Records pObject as the owner of the next window this thread creates.
    // False when the record cannot be allocated.
    bool AddCreateWndData(void* pObject);
    // Takes back the newest record of this thread; null when there is none.
    void* ExtractCreateWndData();
    // Drops the record of pObject if it is still pending (a creation failed).
    void RemoveCreateWndData(void* pObject);

private:
    struct CCreateWndData {
        void* m_pObject;
        DWORD m_dwThreadId;
        CCreateWndData* m_pNext;
    };

    // Unlinks the newest record of this thread (of pWanted, when given).
    void* UnlinkCreateWndData(void* pWanted);

    CRITICAL_SECTION m_csWindowCreate;
    CCreateWndData* m_pCreateWndList;
};

extern CAtlModule* _pAtlModule;

template <class T>
class CAtlModuleT : public CAtlModule {};

template <class T>
class CAtlExeModuleT : public CAtlModuleT<T> {
public:
    CAtlExeModuleT() : m_dwMainThreadID(::GetCurrentThreadId()) {}

    DWORD m_dwMainThreadID;
};

}  // namespace ATL
