// Entry points of LumoraSetup.dll, the plugin the installer and the
// uninstaller call as LumoraSetup::Name. Each receives the parent window, the
// size of the installer's strings, its variables, its value stack and extra
// parameters; it pops its arguments from the stack and pushes its result.
#include <windows.h>

#include <string>

#include "setup_plugin/folder_processes.h"
#include "setup_plugin/nsis_stack.h"

namespace {

// A viewer that saves its settings and closes takes well under a second;
// one that does not answer in this time is ended.
constexpr DWORD kCloseWaitMs = 5000;

}  // namespace

extern "C" {

// folder -> number of running programs of the folder.
__declspec(dllexport) void __cdecl CountPrograms(HWND, int string_size, wchar_t*,
                                                 setup_plugin::NsisStackEntry** stack, void*) {
  setup_plugin::CNsisStack values(stack, string_size);
  const setup_plugin::CFolderProcesses processes(values.Pop());
  values.Push(std::to_wstring(processes.Running().size()));
}

// folder -> number of the folder's programs still running after they were
// asked to close and the rest were ended (0 when all are gone).
__declspec(dllexport) void __cdecl EndPrograms(HWND, int string_size, wchar_t*,
                                               setup_plugin::NsisStackEntry** stack, void*) {
  setup_plugin::CNsisStack values(stack, string_size);
  const setup_plugin::CFolderProcesses processes(values.Pop());
  values.Push(std::to_wstring(processes.EndAll(kCloseWaitMs)));
}

}  // extern "C"
