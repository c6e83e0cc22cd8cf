// The command-line tokenizer: a start's arguments as the program receives
// them (UTF-16), split into switches and positional arguments.
#include <string>
#include <vector>

#include "app/command_line.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = fuzz::Utf16Units(data, size);
  CCommandLine command_line;
  command_line.Parse(text);
  FUZZ_CHECK(command_line.GetRawCommandLine() == text);

  // The switches the start-up decision and the hand-over ask for.
  static const wchar_t* const kNames[] = {L"install",   L"uninstall",     L"setting",
                                          L"--setting", L"show-existing", L"LockscreenSet",
                                          L"from",      L"/from",         L"--from"};
  for (const wchar_t* name : kNames) {
    std::wstring value;
    const bool has = command_line.HasSwitch(name);
    FUZZ_CHECK(has == command_line.GetSwitchValue(name, value));
    FUZZ_CHECK(has || value.empty());
    if (has) {
      CCommandLine::StartSourceTag(value);
    }
  }
  std::vector<std::wstring> positional;
  command_line.GetPositionalArgs(positional);
  size_t characters = 0;
  for (const std::wstring& arg : positional) {
    FUZZ_CHECK(!arg.empty());
    characters += arg.size();
  }
  FUZZ_CHECK(characters <= text.size());

  // Parsing adds to what is held: a second text keeps the first one's tokens.
  command_line.Parse(text);
  std::vector<std::wstring> twice;
  command_line.GetPositionalArgs(twice);
  FUZZ_CHECK(twice.size() >= positional.size());
  return 0;
}
