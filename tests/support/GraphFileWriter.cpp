#include "GraphFileWriter.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

std::string Number(uint32_t n, const char* pszFormat = "%010u")
{
    char sz[16];
    snprintf(sz, sizeof(sz), pszFormat, n);
    return WideBytes(std::wstring(sz, sz + strlen(sz)));
}

std::string Guid(REFGUID guid)
{
    wchar_t sz[40] = {};
    StringFromGUID2(guid, sz, 40);
    return WideBytes(sz);
}

std::string Quoted(LPCWSTR psz)
{
    return WideBytes(L"\"" + std::wstring(psz) + L"\"");
}

// A count, one space and the bytes.
std::string Block(const std::string& strBytes)
{
    return Number(static_cast<uint32_t>(strBytes.size())) + WideBytes(L" ") + strBytes;
}

const std::string& Space()
{
    static const std::string s_str = WideBytes(L" ");
    return s_str;
}

const std::string& LineBreak()
{
    static const std::string s_str = WideBytes(L"\r\n");
    return s_str;
}

// What the filter's IPersistStream saves; empty without one.
std::string SavedData(IBaseFilter* pFilter)
{
    CComQIPtr<IPersistStream> spPersistStream(pFilter);
    CComPtr<IStream> spStream;
    if (!spPersistStream || CreateStreamOnHGlobal(nullptr, TRUE, &spStream) != S_OK ||
        spPersistStream->Save(spStream, FALSE) != S_OK)
        return std::string();
    STATSTG stat = {};
    spStream->Stat(&stat, STATFLAG_NONAME);
    std::string str(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    LARGE_INTEGER liStart = {};
    ULONG cbRead = 0;
    spStream->Seek(liStart, STREAM_SEEK_SET, nullptr);
    spStream->Read(&str[0], static_cast<ULONG>(str.size()), &cbRead);
    str.resize(cbRead);
    return str;
}

std::wstring PinId(IPin* pPin)
{
    LPWSTR pszId = nullptr;
    std::wstring str;
    if (pPin->QueryId(&pszId) == S_OK && pszId)
        str = pszId;
    CoTaskMemFree(pszId);
    return str;
}

bool IsSameObject(IUnknown* p1, IUnknown* p2)
{
    CComPtr<IUnknown> spUnknown1, spUnknown2;
    return p1 && p2 && p1->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&spUnknown1)) == S_OK &&
           p2->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&spUnknown2)) == S_OK &&
           spUnknown1 == spUnknown2;
}

// The saved id of the filter that is pObject; 0 when none is.
uint32_t IdOf(const std::vector<CComPtr<IBaseFilter>>& rgFilters, IUnknown* pObject)
{
    for (size_t i = 0; i < rgFilters.size(); i++)
        if (IsSameObject(rgFilters[i], pObject))
            return static_cast<uint32_t>(i + 1);
    return 0;
}

HRESULT SaveFilter(CGraphFileWriter& writer, uint32_t nId, IBaseFilter* pFilter)
{
    FILTER_INFO info = {};
    HRESULT hr = pFilter->QueryFilterInfo(&info);
    if (hr != S_OK)
        return hr;
    if (info.pGraph)
        info.pGraph->Release();
    CLSID clsid = CLSID_NULL;
    pFilter->GetClassID(&clsid);
    LPOLESTR pszFile = nullptr;
    const wchar_t* pszKeyword = nullptr;
    CComQIPtr<IFileSourceFilter> spSource(pFilter);
    CComQIPtr<IFileSinkFilter> spSink(pFilter);
    if (spSource && spSource->GetCurFile(&pszFile, nullptr) == S_OK && pszFile)
        pszKeyword = L"SOURCE";
    else if (spSink && spSink->GetCurFile(&pszFile, nullptr) == S_OK && pszFile)
        pszKeyword = L"SINK";
    writer.Filter(nId, info.achName, clsid, SavedData(pFilter), pszKeyword, pszFile);
    CoTaskMemFree(pszFile);
    return S_OK;
}

HRESULT SaveConnections(CGraphFileWriter& writer, const std::vector<CComPtr<IBaseFilter>>& rgFilters,
                        uint32_t nId)
{
    CComPtr<IEnumPins> spEnumPins;
    HRESULT hr = rgFilters[nId - 1]->EnumPins(&spEnumPins);
    if (hr != S_OK)
        return hr;
    for (CComPtr<IPin> spPin; spEnumPins->Next(1, &spPin, nullptr) == S_OK; spPin.Release()) {
        PIN_DIRECTION eDirection = PINDIR_INPUT;
        CComPtr<IPin> spPeer;
        if (spPin->QueryDirection(&eDirection) != S_OK || eDirection != PINDIR_OUTPUT ||
            spPin->ConnectedTo(&spPeer) != S_OK)
            continue;
        PIN_INFO info = {};
        hr = spPeer->QueryPinInfo(&info);
        if (hr != S_OK)
            return hr;
        CComPtr<IBaseFilter> spPeerFilter;
        spPeerFilter.Attach(info.pFilter);
        AM_MEDIA_TYPE mt = {};
        hr = spPin->ConnectionMediaType(&mt);
        if (hr != S_OK)
            return hr;
        writer.Connection(nId, PinId(spPin).c_str(), IdOf(rgFilters, spPeerFilter), PinId(spPeer).c_str(), mt);
        FreeMediaType(&mt);
    }
    return S_OK;
}

void SaveClock(CGraphFileWriter& writer, IFilterGraph* pGraph, const std::vector<CComPtr<IBaseFilter>>& rgFilters)
{
    CComQIPtr<IMediaFilter> spMediaFilter(pGraph);
    CComPtr<IReferenceClock> spClock;
    if (!spMediaFilter || spMediaFilter->GetSyncSource(&spClock) != S_OK || !spClock)
        return;
    if (uint32_t nId = IdOf(rgFilters, spClock))
        writer.Clock(true, nId);
}

}  // namespace

std::string WideBytes(const std::wstring& str)
{
    std::string strBytes;
    for (wchar_t ch : str) {
        strBytes.push_back(static_cast<char>(ch & 0xFF));
        strBytes.push_back(static_cast<char>(ch >> 8));
    }
    return strBytes;
}

void CGraphFileWriter::Filter(uint32_t nId, LPCWSTR pszName, REFCLSID clsid, const std::string& strData,
                              LPCWSTR pszFileKeyword, LPCWSTR pszFile)
{
    m_strFilters += Number(nId, "%04u") + Space() + Quoted(pszName) + Space() + Guid(clsid) + Space();
    if (pszFileKeyword)
        m_strFilters += WideBytes(pszFileKeyword) + Space() + Quoted(pszFile) + Space();
    m_strFilters += Block(strData) + LineBreak();
}

void CGraphFileWriter::Connection(uint32_t nOutFilter, LPCWSTR pszOutPin, uint32_t nInFilter, LPCWSTR pszInPin,
                                  const AM_MEDIA_TYPE& mt)
{
    std::string strType = Guid(mt.majortype) + Space() + Guid(mt.subtype) + Space() +
                          Number(mt.bFixedSizeSamples ? 1 : 0, "%u") + Space() +
                          Number(mt.bTemporalCompression ? 1 : 0, "%u") + Space() + Number(mt.lSampleSize) +
                          Space() + Guid(mt.formattype) + Space() +
                          Block(std::string(reinterpret_cast<const char*>(mt.pbFormat), mt.cbFormat));
    m_strConnections += Number(nOutFilter, "%04u") + Space() + Quoted(pszOutPin) + Space() +
                        Number(nInFilter, "%04u") + Space() + Quoted(pszInPin) + Space() + Block(strType) +
                        LineBreak();
}

void CGraphFileWriter::Clock(bool bRequired, uint32_t nFilter)
{
    m_strClock = WideBytes(L"CLOCK ") + Number(bRequired ? 1 : 0, "%u") + Space() + Number(nFilter, "%04u") +
                 LineBreak();
}

std::string CGraphFileWriter::Stream() const
{
    return Number(m_nVersion, "%04u") + LineBreak() + WideBytes(L"FILTERS") + LineBreak() + m_strFilters +
           WideBytes(L"CONNECTIONS") + LineBreak() + m_strConnections + m_strClock + WideBytes(L"END");
}

HRESULT SaveGraphStream(IFilterGraph* pGraph, std::string* pstrStream)
{
    CComPtr<IEnumFilters> spEnumFilters;
    HRESULT hr = pGraph->EnumFilters(&spEnumFilters);
    if (hr != S_OK)
        return hr;
    std::vector<CComPtr<IBaseFilter>> rgFilters;
    for (CComPtr<IBaseFilter> spFilter; spEnumFilters->Next(1, &spFilter, nullptr) == S_OK; spFilter.Release())
        rgFilters.push_back(spFilter);
    CGraphFileWriter writer;
    for (uint32_t nId = 1; nId <= rgFilters.size(); nId++) {
        hr = SaveFilter(writer, nId, rgFilters[nId - 1]);
        if (hr != S_OK)
            return hr;
    }
    for (uint32_t nId = 1; nId <= rgFilters.size(); nId++) {
        hr = SaveConnections(writer, rgFilters, nId);
        if (hr != S_OK)
            return hr;
    }
    SaveClock(writer, pGraph, rgFilters);
    *pstrStream = writer.Stream();
    return S_OK;
}

HRESULT WriteGraphFile(const std::string& strPath, const std::string* pstrStream)
{
    CComPtr<IStorage> spStorage;
    HRESULT hr = StgCreateDocfile(CA2W(strPath.c_str()), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                  &spStorage);
    if (hr != S_OK || !pstrStream)
        return hr;
    CComPtr<IStream> spStream;
    hr = spStorage->CreateStream(L"ActiveMovieGraph", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                 &spStream);
    if (hr != S_OK)
        return hr;
    ULONG cbWritten = 0;
    return spStream->Write(pstrStream->data(), static_cast<ULONG>(pstrStream->size()), &cbWritten);
}
