#include "TraceCapture.h"

#include <algorithm>

namespace {

CTraceCapture* g_pActiveCapture = nullptr;

}  // namespace

CTraceCapture::CTraceCapture()
{
    g_pActiveCapture = this;
    m_pfnPrevious = ATL::AtlSetTraceSink(&CTraceCapture::Sink);
}

CTraceCapture::~CTraceCapture()
{
    ATL::AtlSetTraceSink(m_pfnPrevious);
    g_pActiveCapture = nullptr;
}

void CTraceCapture::Sink(const ATL::CTraceCategory& category, UINT nLevel, const char* pszText)
{
    CTraceCapture* pCapture = g_pActiveCapture;
    if (!pCapture)
        return;
    std::lock_guard<std::mutex> lock(pCapture->m_mutex);
    pCapture->m_rgLines.push_back({category.m_pszName, nLevel, pszText});
}

std::vector<CTraceLine> CTraceCapture::Lines() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_rgLines;
}

std::vector<std::string> CTraceCapture::Texts() const
{
    std::vector<std::string> rgTexts;
    for (const CTraceLine& line : Lines())
        rgTexts.push_back(line.strText);
    return rgTexts;
}

bool CTraceCapture::Contains(const std::string& strText) const
{
    std::vector<std::string> rgTexts = Texts();
    return std::find(rgTexts.begin(), rgTexts.end(), strText) != rgTexts.end();
}

void CTraceCapture::Clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rgLines.clear();
}
