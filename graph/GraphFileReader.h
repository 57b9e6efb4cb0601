// Builds the graph that a saved-graph stream describes through the graph
// manager's ordinary interfaces, for a graph manager that cannot load the
// stream itself (Wine's has no IPersistStream).
#pragma once

#include <atlbase.h>

#include <utility>
#include <vector>

#include "../filter/DirectShow.h"
#include "GraphFileParser.h"

class CGraphFileReader {
public:
    explicit CGraphFileReader(IGraphBuilder* pGraph) : m_spGraph(pGraph) {}

    // Reads the whole stream, creates and adds each filter under its name,
    // hands it its saved data and file, connects the pins directly with the
    // saved media types (upstream first, whatever the order in the stream)
    // and sets the clock. VFW_E_INVALID_FILE_FORMAT when the stream does not
    // follow the format; otherwise the status of the first step that failed.
    // The caller discards the graph on failure.
    HRESULT Load(IStream* pStream);

private:
    static HRESULT ReadStream(IStream* pStream, std::vector<uint8_t>* prgBytes);
    HRESULT AddFilter(const CSavedFilter& saved);
    static HRESULT LoadFilterData(IBaseFilter* pFilter, const std::vector<uint8_t>& rgData);
    static HRESULT SetFilterFile(IBaseFilter* pFilter, const CSavedFilter& saved);
    HRESULT Connect(const CSavedConnection& saved);
    HRESULT FindPin(uint32_t nFilter, const std::u16string& strPin, IPin** ppPin);
    HRESULT SetClock(const CSavedClock& saved);
    IBaseFilter* Filter(uint32_t nId) const;

    CComPtr<IGraphBuilder> m_spGraph;
    std::vector<std::pair<uint32_t, CComPtr<IBaseFilter>>> m_rgFilters;  // by saved id
};
