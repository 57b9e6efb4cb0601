// Reference-counted interface pointers and the BSTR wrapper.
#pragma once

#include "atldef.h"

#include <ole2.h>
#include <oleauto.h>

namespace ATL {

// What operator-> of CComPtr returns: the interface with AddRef and Release
// hidden, so that the reference the smart pointer owns cannot be disturbed.
template <class T>
class _NoAddRefReleaseOnCComPtr : public T {
private:
    STDMETHOD_(ULONG, AddRef)() = 0;
    STDMETHOD_(ULONG, Release)() = 0;
};

template <class T>
class CComPtrBase {
protected:
    CComPtrBase() : p(nullptr) {}
    explicit CComPtrBase(T* lp) : p(lp)
    {
        if (p)
            p->AddRef();
    }

public:
    ~CComPtrBase()
    {
        if (p)
            p->Release();
    }

    operator T*() const { return p; }
    T& operator*() const { return *p; }
    T** operator&()
    {
        ATLASSERT(p == nullptr);
        return &p;
    }
    _NoAddRefReleaseOnCComPtr<T>* operator->() const
    {
        ATLASSERT(p != nullptr);
        return reinterpret_cast<_NoAddRefReleaseOnCComPtr<T>*>(p);
    }
    bool operator!() const { return p == nullptr; }
    bool operator==(T* pT) const { return p == pT; }
    bool operator!=(T* pT) const { return p != pT; }

    void Release()
    {
        T* pTemp = p;
        if (pTemp) {
            p = nullptr;
            pTemp->Release();
        }
    }
    void Attach(T* p2)
    {
        if (p)
            p->Release();
        p = p2;
    }
    T* Detach()
    {
        T* pt = p;
        p = nullptr;
        return pt;
    }
    HRESULT CopyTo(T** ppT)
    {
        if (!ppT)
            return E_POINTER;
        *ppT = p;
        if (p)
            p->AddRef();
        return S_OK;
    }
    HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter = nullptr, DWORD dwClsContext = CLSCTX_ALL)
    {
        ATLASSERT(p == nullptr);
        return ::CoCreateInstance(rclsid, pUnkOuter, dwClsContext, __uuidof(T), reinterpret_cast<void**>(&p));
    }
    template <class Q>
    HRESULT QueryInterface(Q** pp) const
    {
        ATLASSERT(pp != nullptr);
        return p->QueryInterface(__uuidof(Q), reinterpret_cast<void**>(pp));
    }

    T* p;
};

template <class T>
class CComPtr : public CComPtrBase<T> {
public:
    CComPtr() {}
    CComPtr(T* lp) : CComPtrBase<T>(lp) {}
    CComPtr(const CComPtr<T>& lp) : CComPtrBase<T>(lp.p) {}
    CComPtr(CComPtr<T>&& lp) noexcept { this->p = lp.Detach(); }

    T* operator=(T* lp)
    {
        if (this->p != lp) {
            if (lp)
                lp->AddRef();
            this->Attach(lp);
        }
        return this->p;
    }
    T* operator=(const CComPtr<T>& lp) { return *this = lp.p; }
    T* operator=(CComPtr<T>&& lp) noexcept
    {
        if (this != &lp)
            this->Attach(lp.Detach());
        return this->p;
    }
};

// A CComPtr filled by QueryInterface for the interface's own id (or piid).
template <class T, const IID* piid = nullptr>
class CComQIPtr : public CComPtr<T> {
public:
    CComQIPtr() {}
    CComQIPtr(T* lp) : CComPtr<T>(lp) {}
    CComQIPtr(const CComQIPtr<T, piid>& lp) : CComPtr<T>(lp.p) {}
    CComQIPtr(IUnknown* lp)
    {
        if (lp)
            lp->QueryInterface(Iid(), reinterpret_cast<void**>(&this->p));
    }

    T* operator=(T* lp) { return CComPtr<T>::operator=(lp); }
    T* operator=(const CComQIPtr<T, piid>& lp) { return CComPtr<T>::operator=(lp.p); }
    T* operator=(IUnknown* lp)
    {
        T* pNew = nullptr;
        if (lp)
            lp->QueryInterface(Iid(), reinterpret_cast<void**>(&pNew));
        this->Attach(pNew);
        return this->p;
    }

private:
    static const IID& Iid() { return piid ? *piid : __uuidof(T); }
};

class CComBSTR {
public:
    CComBSTR() : m_str(nullptr) {}
    CComBSTR(LPCOLESTR pSrc) : m_str(nullptr) { AssignCopy(pSrc); }
    CComBSTR(const CComBSTR& src) : m_str(src.Copy())
    {
        if (src.m_str && !m_str)
            AtlThrow(E_OUTOFMEMORY);
    }
    CComBSTR(CComBSTR&& src) noexcept : m_str(src.Detach()) {}
    ~CComBSTR() { ::SysFreeString(m_str); }

    CComBSTR& operator=(LPCOLESTR pSrc)
    {
        if (pSrc != m_str)
            AssignCopy(pSrc);
        return *this;
    }
    CComBSTR& operator=(const CComBSTR& src)
    {
        if (this != &src)
            AssignCopy(src.m_str);
        return *this;
    }

    operator BSTR() const { return m_str; }
    BSTR* operator&()
    {
        ATLASSERT(m_str == nullptr);
        return &m_str;
    }
    bool operator!() const { return m_str == nullptr; }

    unsigned int Length() const { return ::SysStringLen(m_str); }
    BSTR Copy() const { return m_str ? ::SysAllocStringByteLen(reinterpret_cast<char*>(m_str), ::SysStringByteLen(m_str)) : nullptr; }
    void Empty()
    {
        ::SysFreeString(m_str);
        m_str = nullptr;
    }
    void Attach(BSTR src)
    {
        if (m_str != src) {
            ::SysFreeString(m_str);
            m_str = src;
        }
    }
    BSTR Detach()
    {
        BSTR s = m_str;
        m_str = nullptr;
        return s;
    }

    BSTR m_str;

private:
    // A null source empties the string; a failed allocation raises E_OUTOFMEMORY.
    void AssignCopy(LPCOLESTR pSrc)
    {
        BSTR strNew = nullptr;
        if (pSrc) {
            strNew = ::SysAllocString(pSrc);
            if (!strNew)
                AtlThrow(E_OUTOFMEMORY);
        }
        ::SysFreeString(m_str);
        m_str = strNew;
    }
};

}  // namespace ATL
