// The crash uploader: writes the minidump of a crashed Lumora process into
// the crash folder and ends. Nothing is sent anywhere.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "crash_uploader/crash_arguments.h"
#include "crash_uploader/minidump_writer.h"
#include "shared/companion_paths.h"

namespace {

constexpr int kWritten = 0;
constexpr int kNotWritten = 1;
constexpr int kBadArguments = 2;

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  CrashArguments crash;
  const bool parsed = argv && ParseCrashArguments(argc, argv, &crash);
  LocalFree(argv);
  if (!parsed) {
    return kBadArguments;
  }
  const std::wstring folder = companion::CrashFolder();
  if (!companion::EnsureFolder(folder)) {
    return kNotWritten;
  }
  std::wstring written;
  return CMinidumpWriter(folder).Write(crash, &written) ? kWritten : kNotWritten;
}
