// The crash uploader's command line, as the crashed program's crash filter
// builds it: arguments separated by zero units in the input.
#include <string>
#include <vector>

#include "crash_uploader/crash_arguments.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = fuzz::Utf16Units(data, size);
  std::vector<std::wstring> arguments = {L"DedaDuze.exe"};
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\0', start);
    if (end == std::wstring::npos) {
      end = text.size();
    }
    arguments.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  std::vector<const wchar_t*> argv;
  for (const std::wstring& argument : arguments) {
    argv.push_back(argument.c_str());
  }
  argv.push_back(nullptr);

  CrashArguments parsed;
  if (!ParseCrashArguments(static_cast<int>(arguments.size()), argv.data(), &parsed)) {
    return 0;
  }
  FUZZ_CHECK(parsed.exception_pointers != 0 && parsed.process_id != 0 && parsed.thread_id != 0);
  FUZZ_CHECK(parsed.report >= 0);
  FUZZ_CHECK(!parsed.source.empty() && parsed.source.size() <= 64);
  FUZZ_CHECK(parsed.version.size() <= 32);
  return 0;
}
