#include "Console.h"

#include <windows.h>

namespace {

bool IsConsole(FILE* pOut)
{
    if (pOut != stdout)
        return false;
    HANDLE hOut = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD dwMode = 0;
    return hOut && hOut != INVALID_HANDLE_VALUE && GetFileType(hOut) == FILE_TYPE_CHAR &&
           GetConsoleMode(hOut, &dwMode);
}

}  // namespace

CConsole::CConsole(FILE* pOut) : m_pOut(pOut), m_bProgress(IsConsole(pOut)) {}

void CConsole::Line(const std::string& strLine)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ClearProgress();
    fprintf(m_pOut, "%s\n", strLine.c_str());
    fflush(m_pOut);
}

void CConsole::Progress(const std::string& strName, double dblPositionSec, double dblDurationSec)
{
    if (!m_bProgress)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    char sz[64];
    snprintf(sz, sizeof(sz), "  %.2f / %.2f s  ", dblPositionSec, dblDurationSec);
    std::string strText = sz + strName;
    std::string strPadding(strText.size() < m_nProgressLength ? m_nProgressLength - strText.size() : 0, ' ');
    fprintf(m_pOut, "\r%s%s", strText.c_str(), strPadding.c_str());
    fflush(m_pOut);
    m_nProgressLength = strText.size();
}

void CConsole::EndProgress()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ClearProgress();
}

void CConsole::ClearProgress()
{
    if (m_nProgressLength == 0)
        return;
    fprintf(m_pOut, "\r%s\r", std::string(m_nProgressLength, ' ').c_str());
    fflush(m_pOut);
    m_nProgressLength = 0;
}

std::string OneLine(const std::string& strText)
{
    std::string strLine;
    size_t nStart = 0;
    while (nStart <= strText.size()) {
        size_t nEnd = strText.find('\n', nStart);
        std::string strPart = strText.substr(nStart, nEnd - nStart);
        while (!strPart.empty() && (strPart.back() == '\r' || strPart.back() == ' '))
            strPart.pop_back();
        if (!strPart.empty())
            strLine += (strLine.empty() ? "" : ": ") + strPart;
        if (nEnd == std::string::npos)
            break;
        nStart = nEnd + 1;
    }
    return strLine;
}
