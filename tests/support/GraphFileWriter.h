// Writes saved graphs in the graph editor's file format: the stream piece by
// piece (so tests can also break it on purpose), the stream of a whole graph
// held by a graph manager, and the compound file that carries the stream.
#pragma once

#include <atlbase.h>

#include <cstdint>
#include <string>

#include "../../filter/DirectShow.h"

class CGraphFileWriter {
public:
    explicit CGraphFileWriter(unsigned nVersion = 3) : m_nVersion(nVersion) {}

    // pszFileKeyword is "SOURCE" or "SINK" (with pszFile), or null.
    void Filter(uint32_t nId, LPCWSTR pszName, REFCLSID clsid, const std::string& strData = std::string(),
                LPCWSTR pszFileKeyword = nullptr, LPCWSTR pszFile = nullptr);
    void Connection(uint32_t nOutFilter, LPCWSTR pszOutPin, uint32_t nInFilter, LPCWSTR pszInPin,
                    const AM_MEDIA_TYPE& mt);
    void Clock(bool bRequired, uint32_t nFilter);
    // The stream's bytes: version, filters, connections, the clock line, END.
    std::string Stream() const;

private:
    unsigned m_nVersion;
    std::string m_strFilters;
    std::string m_strConnections;
    std::string m_strClock;
};

// UTF-16LE bytes of text, as the stream holds it.
std::string WideBytes(const std::wstring& str);

// The stream of the graph pGraph holds: its filters (numbered from 1 in
// enumeration order, with their names, classes, files and saved data), every
// connection with its media type, and the clock when it is a filter's.
HRESULT SaveGraphStream(IFilterGraph* pGraph, std::string* pstrStream);

// A compound file at strPath; with pstrStream, an "ActiveMovieGraph" stream
// holding those bytes.
HRESULT WriteGraphFile(const std::string& strPath, const std::string* pstrStream);
