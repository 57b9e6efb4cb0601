#include "ThreadStack.h"

#include <dbghelp.h>

#include <algorithm>
#include <cctype>

namespace {

constexpr int c_nMaxFrames = 128;
const char* const s_rgSystemModules[] = {"ntdll", "kernel32", "kernelbase", "win32u", "user32"};

std::string ModuleAt(HANDLE hProcess, DWORD64 dwAddress)
{
    IMAGEHLP_MODULE64 module = {};
    module.SizeOfStruct = sizeof(module);
    if (!SymGetModuleInfo64(hProcess, dwAddress, &module))
        return "";
    std::string strName = module.ModuleName;
    std::transform(strName.begin(), strName.end(), strName.begin(),
                   [](char ch) { return static_cast<char>(std::tolower(static_cast<unsigned char>(ch))); });
    return strName;
}

bool IsSystemModule(const std::string& strName)
{
    return std::find(std::begin(s_rgSystemModules), std::end(s_rgSystemModules), strName) !=
           std::end(s_rgSystemModules);
}

// Walks outwards from the context to the first frame in a module of its own.
std::string WalkToCaller(HANDLE hProcess, HANDLE hThread, CONTEXT* pContext)
{
    STACKFRAME64 frame = {};
    frame.AddrPC.Offset = pContext->Rip;
    frame.AddrPC.Mode = AddrModeFlat;
    frame.AddrFrame.Offset = pContext->Rbp;
    frame.AddrFrame.Mode = AddrModeFlat;
    frame.AddrStack.Offset = pContext->Rsp;
    frame.AddrStack.Mode = AddrModeFlat;
    for (int i = 0; i < c_nMaxFrames; i++) {
        if (!StackWalk64(IMAGE_FILE_MACHINE_AMD64, hProcess, hThread, &frame, pContext, nullptr,
                         SymFunctionTableAccess64, SymGetModuleBase64, nullptr))
            break;
        std::string strModule = ModuleAt(hProcess, frame.AddrPC.Offset);
        if (!strModule.empty() && !IsSystemModule(strModule))
            return strModule;
    }
    return "";
}

}  // namespace

std::string InnermostCallerModule(HANDLE hProcess, DWORD dwThreadId)
{
    HANDLE hThread = OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE,
                                dwThreadId);
    if (!hThread)
        return "";
    std::string strModule;
    if (SuspendThread(hThread) != static_cast<DWORD>(-1)) {
        CONTEXT context = {};
        context.ContextFlags = CONTEXT_FULL;
        SymSetOptions(SYMOPT_DEFERRED_LOADS);  // module names only, no symbols
        if (GetThreadContext(hThread, &context) && SymInitialize(hProcess, nullptr, TRUE)) {
            strModule = WalkToCaller(hProcess, hThread, &context);
            SymCleanup(hProcess);
        }
        ResumeThread(hThread);
    }
    CloseHandle(hThread);
    return strModule;
}
