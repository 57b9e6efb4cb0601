// Collects the diagnostic trace lines written while it exists.
#pragma once

#include <atlbase.h>

#include <mutex>
#include <string>
#include <vector>

struct CTraceLine {
    std::string strCategory;
    UINT nLevel;
    std::string strText;
};

class CTraceCapture {
public:
    CTraceCapture();
    ~CTraceCapture();
    CTraceCapture(const CTraceCapture&) = delete;
    CTraceCapture& operator=(const CTraceCapture&) = delete;

    std::vector<CTraceLine> Lines() const;
    // Texts of all lines, in order.
    std::vector<std::string> Texts() const;
    bool Contains(const std::string& strText) const;
    void Clear();

private:
    static void Sink(const ATL::CTraceCategory& category, UINT nLevel, const char* pszText);

    mutable std::mutex m_mutex;
    std::vector<CTraceLine> m_rgLines;
    ATL::PFNATLTRACESINK m_pfnPrevious;
};
