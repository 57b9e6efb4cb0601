// libFuzzer target: any bytes through the saved-graph parser. Whatever it
// accepts must be self-consistent: blocks inside the input, every connection
// and the clock naming a listed filter, a connection order that is a
// permutation.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "GraphFileParser.h"

namespace {

bool Listed(const CSavedGraph& graph, uint32_t nId)
{
    for (const CSavedFilter& filter : graph.rgFilters)
        if (filter.nId == nId)
            return true;
    return false;
}

bool Consistent(const CSavedGraph& graph, size_t cbData)
{
    if (graph.nVersion != 2 && graph.nVersion != 3)
        return false;
    for (const CSavedFilter& filter : graph.rgFilters)
        if (filter.rgData.size() > cbData)
            return false;
    for (const CSavedConnection& connection : graph.rgConnections)
        if (!Listed(graph, connection.nOutFilter) || !Listed(graph, connection.nInFilter) ||
            connection.mt.rgFormat.size() > cbData)
            return false;
    if (graph.clock.bPresent && !graph.clock.bByClass && graph.clock.nFilter != 0 &&
        !Listed(graph, graph.clock.nFilter))
        return false;
    std::vector<size_t> rgOrder = ConnectionOrder(graph);
    std::vector<bool> rgbSeen(graph.rgConnections.size(), false);
    if (rgOrder.size() != rgbSeen.size())
        return false;
    for (size_t i : rgOrder) {
        if (i >= rgbSeen.size() || rgbSeen[i])
            return false;
        rgbSeen[i] = true;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CSavedGraph graph;
    if (ParseSavedGraph(pData, nSize, &graph) && !Consistent(graph, nSize))
        __builtin_trap();
    return 0;
}
