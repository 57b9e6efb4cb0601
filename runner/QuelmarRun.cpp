// QuelmarRun.exe: the level filter checked unattended from the command line.
#include <objbase.h>

#include "Runner.h"

int main(int argc, char** argv)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int nExitCode = c_nExitNoRun;
    {
        CConsole console(stdout);
        nExitCode = RunQuelmar(std::vector<std::string>(argv + 1, argv + argc), console);
    }
    CoUninitialize();
    return nExitCode;
}
