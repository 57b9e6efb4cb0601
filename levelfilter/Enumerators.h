// The pin enumerator and the media-type enumerator of the level filter: one
// enumerator over a short fixed list, with traits that say how an item is
// held, handed out and dropped.
#pragma once

#include "../filter/DirectShow.h"

#include <atomic>
#include <new>

#include "ComObject.h"
#include "MediaType.h"

template <class TEnum, class TTraits>
class CFixedEnum : public TEnum {
public:
    typedef typename TTraits::Item Item;
    typedef typename TTraits::Out Out;
    static constexpr ULONG c_nMaxItems = 2;

    CFixedEnum(const Item* rgItems, ULONG nItems, ULONG nPosition = 0) : m_nPosition(nPosition)
    {
        for (ULONG i = 0; i < nItems && i < c_nMaxItems; i++)
            if (TTraits::Hold(&m_rgItems[m_nItems], rgItems[i]))
                m_nItems++;
        g_nObjects++;
    }
    virtual ~CFixedEnum()
    {
        for (ULONG i = 0; i < m_nItems; i++)
            TTraits::Drop(&m_rgItems[i]);
        g_nObjects--;
    }
    CFixedEnum(const CFixedEnum&) = delete;
    CFixedEnum& operator=(const CFixedEnum&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(TEnum)))
            return HandOut(static_cast<TEnum*>(this), ppv);
        return NoInterface(ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_nRefs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG nRefs = --m_nRefs;
        if (nRefs == 0)
            delete this;
        return nRefs;
    }

    STDMETHODIMP Next(ULONG cItems, Out* ppItems, ULONG* pcFetched) override
    {
        if (!ppItems || (cItems > 1 && !pcFetched))
            return E_POINTER;
        ULONG nFetched = 0;
        while (nFetched < cItems && m_nPosition < m_nItems && TTraits::HandOut(m_rgItems[m_nPosition], &ppItems[nFetched])) {
            nFetched++;
            m_nPosition++;
        }
        if (pcFetched)
            *pcFetched = nFetched;
        return nFetched == cItems ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG cItems) override
    {
        ULONG nLeft = m_nItems - m_nPosition;
        m_nPosition += cItems < nLeft ? cItems : nLeft;
        return cItems <= nLeft ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        m_nPosition = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(TEnum** ppEnum) override
    {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = new (std::nothrow) CFixedEnum(m_rgItems, m_nItems, m_nPosition);
        return *ppEnum ? S_OK : E_OUTOFMEMORY;
    }

private:
    std::atomic<ULONG> m_nRefs{1};
    Item m_rgItems[c_nMaxItems] = {};
    ULONG m_nItems = 0;
    ULONG m_nPosition;
};

struct CPinItemTraits {
    typedef IPin* Item;
    typedef IPin* Out;
    static bool Hold(IPin** ppHeld, IPin* pPin)
    {
        *ppHeld = pPin;
        pPin->AddRef();
        return true;
    }
    static void Drop(IPin** ppHeld) { (*ppHeld)->Release(); }
    static bool HandOut(IPin* pPin, IPin** ppOut)
    {
        *ppOut = pPin;
        pPin->AddRef();
        return true;
    }
};

struct CMediaTypeItemTraits {
    typedef AM_MEDIA_TYPE Item;
    typedef AM_MEDIA_TYPE* Out;
    static bool Hold(AM_MEDIA_TYPE* pmtHeld, const AM_MEDIA_TYPE& mt) { return SUCCEEDED(CopyMediaType(pmtHeld, &mt)); }
    static void Drop(AM_MEDIA_TYPE* pmtHeld) { FreeMediaType(pmtHeld); }
    static bool HandOut(const AM_MEDIA_TYPE& mt, AM_MEDIA_TYPE** ppmtOut)
    {
        AM_MEDIA_TYPE* pmt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
        if (!pmt || FAILED(CopyMediaType(pmt, &mt))) {
            CoTaskMemFree(pmt);
            return false;
        }
        *ppmtOut = pmt;
        return true;
    }
};

typedef CFixedEnum<IEnumPins, CPinItemTraits> CEnumPins;
typedef CFixedEnum<IEnumMediaTypes, CMediaTypeItemTraits> CEnumMediaTypes;
