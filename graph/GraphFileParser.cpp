#include "GraphFileParser.h"

#include <algorithm>
#include <functional>
#include <map>
#include <queue>

namespace {

bool IsBlank(char16_t ch)
{
    return ch == u' ' || ch == u'\t' || ch == u'\r' || ch == u'\n';
}

bool IsWordCharacter(char16_t ch)
{
    return (ch >= u'0' && ch <= u'9') || (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z');
}

int HexValue(char16_t ch)
{
    if (ch >= u'0' && ch <= u'9')
        return ch - u'0';
    if (ch >= u'A' && ch <= u'F')
        return ch - u'A' + 10;
    if (ch >= u'a' && ch <= u'f')
        return ch - u'a' + 10;
    return -1;
}

// Reads the stream token by token. Characters are UTF-16LE code units at
// the current byte position; binary blocks move it by bytes, so text after
// an odd-sized block is read unaligned, as it was written.
class CSavedGraphParser {
public:
    CSavedGraphParser(const uint8_t* pData, size_t cbData) : m_pData(pData), m_cbData(cbData) {}

    bool Graph(CSavedGraph* pGraph)
    {
        uint32_t nVersion = 0;
        if (!Number(&nVersion) || (nVersion != 2 && nVersion != 3))
            return false;
        pGraph->nVersion = nVersion;
        return Keyword("FILTERS") && Filters(&pGraph->rgFilters) && Connections(*pGraph);
    }

private:
    bool Filters(std::vector<CSavedFilter>* prgFilters)
    {
        while (!Keyword("CONNECTIONS")) {
            CSavedFilter filter;
            if (!Filter(&filter) || Find(*prgFilters, filter.nId))
                return false;
            prgFilters->push_back(std::move(filter));
        }
        return true;
    }

    bool Filter(CSavedFilter* pFilter)
    {
        if (!Number(&pFilter->nId) || !Quoted(&pFilter->strName) || !Guid(&pFilter->clsid))
            return false;
        if (Keyword("SOURCE"))
            pFilter->eFile = SavedFileKind::Source;
        else if (Keyword("SINK"))
            pFilter->eFile = SavedFileKind::Sink;
        if (pFilter->eFile != SavedFileKind::None && !Quoted(&pFilter->strFile))
            return false;
        return Block(&pFilter->rgData);
    }

    bool Connections(CSavedGraph& graph)
    {
        for (;;) {
            if (Keyword("END"))
                return true;
            if (Keyword("CLOCK"))
                return Clock(graph) && Keyword("END");
            CSavedConnection connection;
            if (!Connection(&connection) || !Find(graph.rgFilters, connection.nOutFilter) ||
                !Find(graph.rgFilters, connection.nInFilter))
                return false;
            graph.rgConnections.push_back(std::move(connection));
        }
    }

    bool Connection(CSavedConnection* pConnection)
    {
        return Number(&pConnection->nOutFilter) && Quoted(&pConnection->strOutPin) &&
               Number(&pConnection->nInFilter) && Quoted(&pConnection->strInPin) && MediaType(&pConnection->mt);
    }

    // The leading count is bounded by what remains; the fields are read as
    // text whatever that count measures.
    bool MediaType(CSavedMediaType* pmt)
    {
        uint32_t cbMediaType = 0;
        if (!Number(&cbMediaType) || !OneSpace() || cbMediaType > Left())
            return false;
        uint32_t nFixed = 0;
        uint32_t nTemporal = 0;
        if (!Guid(&pmt->majortype) || !Guid(&pmt->subtype) || !Number(&nFixed) || !Number(&nTemporal) ||
            !Number(&pmt->nSampleSize) || !Guid(&pmt->formattype))
            return false;
        pmt->bFixedSizeSamples = nFixed != 0;
        pmt->bTemporalCompression = nTemporal != 0;
        return Block(&pmt->rgFormat);
    }

    bool Clock(CSavedGraph& graph)
    {
        CSavedClock& clock = graph.clock;
        uint32_t nRequired = 0;
        if (!Number(&nRequired))
            return false;
        clock.bPresent = true;
        clock.bRequired = nRequired != 0;
        SkipBlanks();
        char16_t ch = 0;
        if (Peek(&ch) && ch == u'{') {
            clock.bByClass = true;
            return Guid(&clock.clsid);
        }
        return Number(&clock.nFilter) && (clock.nFilter == 0 || Find(graph.rgFilters, clock.nFilter));
    }

    static bool Find(const std::vector<CSavedFilter>& rgFilters, uint32_t nId)
    {
        return std::any_of(rgFilters.begin(), rgFilters.end(),
                           [nId](const CSavedFilter& filter) { return filter.nId == nId; });
    }

    // A count, exactly one space, and that many bytes.
    bool Block(std::vector<uint8_t>* prgBytes)
    {
        uint32_t cbBlock = 0;
        if (!Number(&cbBlock) || !OneSpace() || cbBlock > Left())
            return false;
        prgBytes->assign(m_pData + m_nPos, m_pData + m_nPos + cbBlock);
        m_nPos += cbBlock;
        return true;
    }

    bool Number(uint32_t* pnValue)
    {
        SkipBlanks();
        uint64_t nValue = 0;
        int nDigits = 0;
        char16_t ch = 0;
        for (; Peek(&ch) && ch >= u'0' && ch <= u'9'; nDigits++) {
            nValue = nValue * 10 + (ch - u'0');
            if (nValue > UINT32_MAX)
                return false;
            m_nPos += 2;
        }
        *pnValue = static_cast<uint32_t>(nValue);
        return nDigits > 0 && !(Peek(&ch) && IsWordCharacter(ch));
    }

    bool Quoted(std::u16string* pstr)
    {
        SkipBlanks();
        char16_t ch = 0;
        if (!Take(&ch) || ch != u'"')
            return false;
        pstr->clear();
        while (Take(&ch)) {
            if (ch == u'"')
                return true;
            pstr->push_back(ch);
        }
        return false;
    }

    // {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}, hexadecimal in either case.
    bool Guid(CSavedGuid* pGuid)
    {
        SkipBlanks();
        static const int s_rgGroupDigits[] = {8, 4, 4, 4, 12};
        uint8_t rgBytes[16] = {};
        int nByte = 0;
        char16_t ch = 0;
        if (!Take(&ch) || ch != u'{')
            return false;
        for (int nGroup = 0; nGroup < 5; nGroup++) {
            if (nGroup > 0 && (!Take(&ch) || ch != u'-'))
                return false;
            for (int i = 0; i < s_rgGroupDigits[nGroup]; i += 2) {
                char16_t chHigh = 0;
                char16_t chLow = 0;
                if (!Take(&chHigh) || !Take(&chLow) || HexValue(chHigh) < 0 || HexValue(chLow) < 0)
                    return false;
                rgBytes[nByte++] = static_cast<uint8_t>(HexValue(chHigh) * 16 + HexValue(chLow));
            }
        }
        if (!Take(&ch) || ch != u'}')
            return false;
        pGuid->dwData1 = static_cast<uint32_t>(rgBytes[0]) << 24 | static_cast<uint32_t>(rgBytes[1]) << 16 |
                         static_cast<uint32_t>(rgBytes[2]) << 8 | rgBytes[3];
        pGuid->wData2 = static_cast<uint16_t>(rgBytes[4] << 8 | rgBytes[5]);
        pGuid->wData3 = static_cast<uint16_t>(rgBytes[6] << 8 | rgBytes[7]);
        std::copy(rgBytes + 8, rgBytes + 16, pGuid->rgData4);
        return true;
    }

    // Takes the word after blanks when it is there and not part of a longer
    // word; otherwise stays where it was.
    bool Keyword(const char* pszWord)
    {
        SkipBlanks();
        size_t nStart = m_nPos;
        char16_t ch = 0;
        for (const char* p = pszWord; *p; p++) {
            if (!Take(&ch) || ch != static_cast<char16_t>(*p)) {
                m_nPos = nStart;
                return false;
            }
        }
        if (Peek(&ch) && IsWordCharacter(ch)) {
            m_nPos = nStart;
            return false;
        }
        return true;
    }

    bool OneSpace()
    {
        char16_t ch = 0;
        return Take(&ch) && ch == u' ';
    }

    void SkipBlanks()
    {
        char16_t ch = 0;
        while (Peek(&ch) && IsBlank(ch))
            m_nPos += 2;
    }

    bool Peek(char16_t* pch) const
    {
        if (Left() < 2)
            return false;
        *pch = static_cast<char16_t>(m_pData[m_nPos] | m_pData[m_nPos + 1] << 8);
        return true;
    }

    bool Take(char16_t* pch)
    {
        if (!Peek(pch))
            return false;
        m_nPos += 2;
        return true;
    }

    size_t Left() const { return m_cbData - m_nPos; }

    const uint8_t* m_pData;
    size_t m_cbData;
    size_t m_nPos = 0;
};

}  // namespace

bool ParseSavedGraph(const uint8_t* pData, size_t cbData, CSavedGraph* pGraph)
{
    *pGraph = CSavedGraph();
    if (!pData || cbData > c_cbMaxSavedGraph)
        return false;
    CSavedGraphParser parser(pData, cbData);
    if (parser.Graph(pGraph))
        return true;
    *pGraph = CSavedGraph();
    return false;
}

std::vector<size_t> ConnectionOrder(const CSavedGraph& graph)
{
    const std::vector<CSavedConnection>& rgConnections = graph.rgConnections;
    std::map<uint32_t, size_t> mapPendingInto;              // by filter id
    std::map<uint32_t, std::vector<size_t>> mapOutOf;        // by filter id, in file order
    for (size_t i = 0; i < rgConnections.size(); i++) {
        mapPendingInto[rgConnections[i].nInFilter]++;
        mapOutOf[rgConnections[i].nOutFilter].push_back(i);
    }
    std::priority_queue<size_t, std::vector<size_t>, std::greater<size_t>> queueReady;
    for (size_t i = 0; i < rgConnections.size(); i++)
        if (mapPendingInto[rgConnections[i].nOutFilter] == 0)
            queueReady.push(i);
    std::vector<size_t> rgOrder;
    std::vector<bool> rgbDone(rgConnections.size(), false);
    while (!queueReady.empty()) {
        size_t i = queueReady.top();
        queueReady.pop();
        rgOrder.push_back(i);
        rgbDone[i] = true;
        uint32_t nInFilter = rgConnections[i].nInFilter;
        if (--mapPendingInto[nInFilter] == 0)
            for (size_t j : mapOutOf[nInFilter])
                queueReady.push(j);
    }
    for (size_t i = 0; i < rgConnections.size(); i++)
        if (!rgbDone[i])
            rgOrder.push_back(i);  // in a cycle
    return rgOrder;
}
