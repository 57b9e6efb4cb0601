#include "GraphFileReader.h"

#include <cstring>

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide text is UTF-16 on the target");
static_assert(sizeof(CSavedGuid) == sizeof(GUID), "a saved id has the layout of a GUID");

GUID ToGuid(const CSavedGuid& saved)
{
    GUID guid;
    memcpy(&guid, &saved, sizeof(guid));
    return guid;
}

LPCWSTR ToWide(const std::u16string& str)
{
    return reinterpret_cast<LPCWSTR>(str.c_str());
}

}  // namespace

HRESULT CGraphFileReader::Load(IStream* pStream)
{
    std::vector<uint8_t> rgBytes;
    HRESULT hr = ReadStream(pStream, &rgBytes);
    if (hr != S_OK)
        return hr;
    CSavedGraph graph;
    if (!ParseSavedGraph(rgBytes.data(), rgBytes.size(), &graph)) {
        ATLTRACE("CGraphFileReader::Load(): the stream does not follow the saved-graph format\n");
        return VFW_E_INVALID_FILE_FORMAT;
    }
    for (const CSavedFilter& filter : graph.rgFilters) {
        hr = AddFilter(filter);
        if (hr != S_OK)
            return hr;
    }
    for (size_t i : ConnectionOrder(graph)) {
        hr = Connect(graph.rgConnections[i]);
        if (hr != S_OK)
            return hr;
    }
    return SetClock(graph.clock);
}

// Up to one byte more than a saved graph may hold, so a larger one shows.
HRESULT CGraphFileReader::ReadStream(IStream* pStream, std::vector<uint8_t>* prgBytes)
{
    constexpr ULONG c_cbChunk = 64 * 1024;
    for (;;) {
        size_t cbHave = prgBytes->size();
        if (cbHave > c_cbMaxSavedGraph) {
            ATLTRACE("CGraphFileReader::Load(): the stream is larger than any saved graph\n");
            return VFW_E_INVALID_FILE_FORMAT;
        }
        prgBytes->resize(cbHave + c_cbChunk);
        ULONG cbRead = 0;
        HRESULT hr = pStream->Read(prgBytes->data() + cbHave, c_cbChunk, &cbRead);
        prgBytes->resize(cbHave + cbRead);
        if (FAILED(hr)) {
            ATLTRACE("CGraphFileReader::Load(): pStream->Read() FAILED\n");
            return hr;
        }
        if (cbRead == 0)
            return S_OK;
    }
}

HRESULT CGraphFileReader::AddFilter(const CSavedFilter& saved)
{
    CComPtr<IBaseFilter> spFilter;
    HRESULT hr = spFilter.CoCreateInstance(ToGuid(saved.clsid), nullptr, CLSCTX_INPROC_SERVER);
    if (hr != S_OK) {
        ATLTRACE("CGraphFileReader::Load(): CoCreateInstance() FAILED for a saved filter\n");
        return hr;
    }
    hr = LoadFilterData(spFilter, saved.rgData);
    if (hr != S_OK)
        return hr;
    hr = m_spGraph->AddFilter(spFilter, ToWide(saved.strName));
    if (hr != S_OK) {
        ATLTRACE("CGraphFileReader::Load(): m_spGraph->AddFilter() FAILED\n");
        return hr;
    }
    m_rgFilters.emplace_back(saved.nId, spFilter);
    return SetFilterFile(spFilter, saved);
}

HRESULT CGraphFileReader::LoadFilterData(IBaseFilter* pFilter, const std::vector<uint8_t>& rgData)
{
    if (rgData.empty())
        return S_OK;
    CComPtr<IPersistStream> spPersistStream;
    HRESULT hr = pFilter->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&spPersistStream));
    if (hr != S_OK) {
        ATLTRACE("CGraphFileReader::Load(): a filter with saved data has no IPersistStream\n");
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    CComPtr<IStream> spData;
    hr = CreateStreamOnHGlobal(nullptr, TRUE, &spData);
    if (hr != S_OK)
        return hr;
    ULONG cbWritten = 0;
    hr = spData->Write(rgData.data(), static_cast<ULONG>(rgData.size()), &cbWritten);
    if (hr != S_OK)
        return hr;
    LARGE_INTEGER liStart = {};
    hr = spData->Seek(liStart, STREAM_SEEK_SET, nullptr);
    if (hr != S_OK)
        return hr;
    hr = spPersistStream->Load(spData);
    if (hr != S_OK)
        ATLTRACE("CGraphFileReader::Load(): spPersistStream->Load() FAILED for a saved filter\n");
    return hr;
}

HRESULT CGraphFileReader::SetFilterFile(IBaseFilter* pFilter, const CSavedFilter& saved)
{
    HRESULT hr = S_OK;
    if (saved.eFile == SavedFileKind::Source) {
        CComPtr<IFileSourceFilter> spSource;
        hr = pFilter->QueryInterface(IID_IFileSourceFilter, reinterpret_cast<void**>(&spSource));
        if (hr == S_OK)
            hr = spSource->Load(ToWide(saved.strFile), nullptr);
    } else if (saved.eFile == SavedFileKind::Sink) {
        CComPtr<IFileSinkFilter> spSink;
        hr = pFilter->QueryInterface(IID_IFileSinkFilter, reinterpret_cast<void**>(&spSink));
        if (hr == S_OK)
            hr = spSink->SetFileName(ToWide(saved.strFile), nullptr);
    }
    if (hr != S_OK)
        ATLTRACE("CGraphFileReader::Load(): the file of a saved filter cannot be set\n");
    return hr;
}

HRESULT CGraphFileReader::Connect(const CSavedConnection& saved)
{
    CComPtr<IPin> spOut, spIn;
    HRESULT hr = FindPin(saved.nOutFilter, saved.strOutPin, &spOut);
    if (hr != S_OK)
        return hr;
    hr = FindPin(saved.nInFilter, saved.strInPin, &spIn);
    if (hr != S_OK)
        return hr;
    AM_MEDIA_TYPE mt = {};
    mt.majortype = ToGuid(saved.mt.majortype);
    mt.subtype = ToGuid(saved.mt.subtype);
    mt.bFixedSizeSamples = saved.mt.bFixedSizeSamples;
    mt.bTemporalCompression = saved.mt.bTemporalCompression;
    mt.lSampleSize = saved.mt.nSampleSize;
    mt.formattype = ToGuid(saved.mt.formattype);
    mt.cbFormat = static_cast<ULONG>(saved.mt.rgFormat.size());
    mt.pbFormat = mt.cbFormat ? const_cast<BYTE*>(saved.mt.rgFormat.data()) : nullptr;  // copied by the pins
    hr = m_spGraph->ConnectDirect(spOut, spIn, &mt);
    if (hr != S_OK)
        ATLTRACE("CGraphFileReader::Load(): m_spGraph->ConnectDirect() FAILED\n");
    return hr;
}

HRESULT CGraphFileReader::FindPin(uint32_t nFilter, const std::u16string& strPin, IPin** ppPin)
{
    IBaseFilter* pFilter = Filter(nFilter);
    if (!pFilter)
        return VFW_E_INVALID_FILE_FORMAT;  // not reached: the parser has checked every id
    HRESULT hr = pFilter->FindPin(ToWide(strPin), ppPin);
    if (hr != S_OK)
        ATLTRACE("CGraphFileReader::Load(): FindPin() FAILED for a saved connection\n");
    return hr;
}

IBaseFilter* CGraphFileReader::Filter(uint32_t nId) const
{
    for (const auto& filter : m_rgFilters)
        if (filter.first == nId)
            return filter.second;
    return nullptr;
}

// The saved clock when one is required: a filter's or a class's; otherwise
// the graph manager's default.
HRESULT CGraphFileReader::SetClock(const CSavedClock& saved)
{
    if (!saved.bPresent)
        return S_OK;
    if (!saved.bRequired || (!saved.bByClass && saved.nFilter == 0))
        return m_spGraph->SetDefaultSyncSource();
    CComPtr<IReferenceClock> spClock;
    HRESULT hr = S_OK;
    if (saved.bByClass) {
        hr = spClock.CoCreateInstance(ToGuid(saved.clsid), nullptr, CLSCTX_INPROC_SERVER);
    } else if (IBaseFilter* pFilter = Filter(saved.nFilter)) {
        hr = pFilter->QueryInterface(IID_IReferenceClock, reinterpret_cast<void**>(&spClock));
    }
    if (hr != S_OK || !spClock) {
        ATLTRACE("CGraphFileReader::Load(): the saved clock cannot be had\n");
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    CComQIPtr<IMediaFilter> spMediaFilter(m_spGraph);
    if (!spMediaFilter)
        return E_NOINTERFACE;
    hr = spMediaFilter->SetSyncSource(spClock);
    if (hr != S_OK)
        ATLTRACE("CGraphFileReader::Load(): SetSyncSource() FAILED\n");
    return hr;
}
