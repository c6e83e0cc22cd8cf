// The tray program's command line, including the update hand-over from a
// viewer that passes its own arguments on.
#include <string>

#include "fuzz_support.h"
#include "tray/tray_arguments.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring command_line = fuzz::Utf16Units(data, size);
  const std::wstring text = ArgumentsOf(command_line);
  FUZZ_CHECK(text.size() <= command_line.size());
  const TrayArguments arguments = ParseTrayArguments(text);
  FUZZ_CHECK(arguments.viewer_arguments.size() <= text.size());
  FUZZ_CHECK(arguments.from.size() <= text.size() && arguments.entry.size() <= text.size());
  return 0;
}
