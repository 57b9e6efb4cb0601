#include "Runner.h"

#include "FileOutcome.h"
#include "FilePlayer.h"
#include "LevelPicture.h"
#include "Reports.h"
#include "RunOptions.h"

#include <memory>

namespace {

const char c_szProgram[] = "QuelmarRun: ";

std::string FileHeading(const CRunRecord& record)
{
    char sz[96];
    snprintf(sz, sizeof(sz), ": %lu channel(s), %.2f s, played %.2f to %.2f s", record.nFileChannels,
             record.dblDurationSec, record.dblStartSec, record.dblEndSec);
    return record.strFile + sz + (record.strFilterVersion.empty() ? "" : ", filter " + record.strFilterVersion);
}

// The CSV and the picture of one played file; false with the message when
// one cannot be written.
bool WriteFileReports(const CRunSettings& settings, const CRunRecord& record, size_t iFile,
                      const CGdiPlusSession* pGdiPlus, std::string& strError)
{
    size_t nFiles = settings.rgFiles.size();
    if (!settings.strCsvPath.empty()) {
        std::string strPath = NumberedPath(settings.strCsvPath, iFile, nFiles);
        if (!WriteCsvReport(strPath, record)) {
            strError = "--csv: can't write " + strPath;
            return false;
        }
    }
    if (!settings.strPngPath.empty()) {
        std::string strPath = NumberedPath(settings.strPngPath, iFile, nFiles);
        CLevelPicture picture;
        HRESULT hr = picture.Draw(record, settings);
        if (SUCCEEDED(hr))
            hr = picture.Save(*pGdiPlus, strPath);
        if (FAILED(hr)) {
            strError = "--png: " + StatusMessage(("Can't write " + strPath).c_str(), hr);
            return false;
        }
    }
    return true;
}

}  // namespace

int RunQuelmar(const std::vector<std::string>& rgArgs, CConsole& console, const CWatchdog::CStallHandler& fnStall)
{
    CRunSettings settings;
    std::string strError;
    if (FAILED(ParseRunOptions(rgArgs, settings, strError))) {
        console.Line(c_szProgram + strError);
        return c_nExitNoRun;
    }
    if (settings.bHelp) {
        console.Line(RunHelpText());
        return c_nExitPassed;
    }
    std::unique_ptr<CGdiPlusSession> spGdiPlus;
    if (!settings.strPngPath.empty())
        spGdiPlus.reset(new CGdiPlusSession);
    bool bAllRan = true;
    size_t nPassed = 0, nFailed = 0;
    std::vector<CFileOutcome> rgOutcomes(settings.rgFiles.size());
    CWatchdog watchdog(fnStall);
    for (size_t iFile = 0; iFile < settings.rgFiles.size(); ++iFile) {
        CFileOutcome& outcome = rgOutcomes[iFile];
        CFilePlayer player(settings, console, watchdog);
        if (FAILED(player.Play(settings.rgFiles[iFile], outcome.record, outcome.strError))) {
            console.Line(c_szProgram + settings.rgFiles[iFile] + ": " + outcome.strError);
            bAllRan = false;
            continue;
        }
        outcome.bPlayed = true;
        console.Line(FileHeading(outcome.record));
        for (const CExpectation& expectation : settings.rgExpectations) {
            outcome.rgResults.push_back(EvaluateExpectation(expectation, outcome.record));
            ++(outcome.rgResults.back().bPassed ? nPassed : nFailed);
            console.Line(ResultLine(outcome.rgResults.back(), outcome.record.strFile));
        }
        if (!WriteFileReports(settings, outcome.record, iFile, spGdiPlus.get(), strError)) {
            console.Line(c_szProgram + strError);
            bAllRan = false;
        }
    }
    if (!settings.strJsonPath.empty() && !WriteJsonReport(settings.strJsonPath, settings, rgOutcomes)) {
        console.Line(c_szProgram + std::string("--json: can't write ") + settings.strJsonPath);
        bAllRan = false;
    }
    console.Line(std::to_string(nPassed) + " passed, " + std::to_string(nFailed) + " failed");
    if (!bAllRan)
        return c_nExitNoRun;
    return nFailed ? c_nExitFailed : c_nExitPassed;
}
