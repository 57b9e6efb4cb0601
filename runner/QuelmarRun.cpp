// QuelmarRun.exe: the level filter checked unattended from the command line.
#include <objbase.h>

#include "Runner.h"

int main(int argc, char** argv)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int nExitCode = c_nExitNoRun;
    {
        CConsole console(stdout);
        // A stalled step cannot be cancelled (the main thread is stuck inside
        // it): the run ends here, with its reason, as a run that could not be made.
        auto fnStall = [&console](const std::string& strStall, const std::string& strStuckIn) {
            std::string strWhere = strStuckIn.empty() ? "" : " (the main thread waits in " + strStuckIn + ")";
            console.Line("QuelmarRun: " + strStall + strWhere + "; the run is stopped");
            TerminateProcess(GetCurrentProcess(), c_nExitNoRun);
        };
        nExitCode = RunQuelmar(std::vector<std::string>(argv + 1, argv + argc), console, fnStall);
    }
    CoUninitialize();
    return nExitCode;
}
