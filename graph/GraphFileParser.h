// The "ActiveMovieGraph" stream of a saved graph (the graph editor's file
// format), parsed into a description of its filters, connections and clock.
// Plain C++ without COM, so it also builds and fuzzes natively;
// CGraphFileReader builds the described graph.
//
// The stream is wide-character (UTF-16LE) text with binary blocks in it:
//   <version>            digits, 2 or 3
//   FILTERS              then per filter: id "name" {class id}
//                        [SOURCE "file" | SINK "file"] count, one space, count bytes
//   CONNECTIONS          then per connection: out id "pin" in id "pin" media type
//   CLOCK required id    optional; id is a filter id (0: the default clock) or {class id}
//   END
// A media type: count, one space, {major type} {subtype} fixed-size flag,
// temporal-compression flag, sample size, {format type}, format count, one
// space, format bytes. Blanks (space, tab, CR, LF) separate the tokens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A class or type id, laid out as the platform's GUID.
struct CSavedGuid {
    uint32_t dwData1;
    uint16_t wData2;
    uint16_t wData3;
    uint8_t rgData4[8];
};

enum class SavedFileKind { None, Source, Sink };

struct CSavedFilter {
    uint32_t nId = 0;
    std::u16string strName;
    CSavedGuid clsid = {};
    SavedFileKind eFile = SavedFileKind::None;
    std::u16string strFile;
    std::vector<uint8_t> rgData;  // the filter's own saved data
};

struct CSavedMediaType {
    CSavedGuid majortype = {};
    CSavedGuid subtype = {};
    bool bFixedSizeSamples = false;
    bool bTemporalCompression = false;
    uint32_t nSampleSize = 0;
    CSavedGuid formattype = {};
    std::vector<uint8_t> rgFormat;
};

struct CSavedConnection {
    uint32_t nOutFilter = 0;
    std::u16string strOutPin;
    uint32_t nInFilter = 0;
    std::u16string strInPin;
    CSavedMediaType mt;
};

struct CSavedClock {
    bool bPresent = false;
    bool bRequired = false;
    bool bByClass = false;  // clsid names the clock; otherwise nFilter does
    uint32_t nFilter = 0;   // 0: the graph's default clock
    CSavedGuid clsid = {};
};

struct CSavedGraph {
    unsigned nVersion = 0;
    std::vector<CSavedFilter> rgFilters;
    std::vector<CSavedConnection> rgConnections;
    CSavedClock clock;
};

// No real graph comes near this size; a larger stream is refused.
constexpr size_t c_cbMaxSavedGraph = 16u << 20;

// Parses cbData bytes into *pGraph. False when they do not follow the
// format: truncated, a count past the end, an unknown keyword, a filter id
// given twice or never given, no END, or more than c_cbMaxSavedGraph bytes.
bool ParseSavedGraph(const uint8_t* pData, size_t cbData, CSavedGraph* pGraph);

// The order in which to make the connections: those into a filter before
// those out of it, so that each filter knows its input when its outputs
// connect; file order among the rest and within a cycle. Indexes into
// graph.rgConnections, each once.
std::vector<size_t> ConnectionOrder(const CSavedGraph& graph);
