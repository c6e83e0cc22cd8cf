// The hand-over record a second start sends to a running viewer: the
// received bytes read as text, then taken apart as a command line to decide
// what the viewer does with it.
#include <string>

#include "app/command_line.h"
#include "app/hand_over_text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = HandOverText(data, size);
  FUZZ_CHECK(text.size() <= size / 2);
  FUZZ_CHECK(text.find(L'\0') == std::wstring::npos);

  CCommandLine received;
  received.Parse(text);
  received.HasSwitch(L"setting");
  received.HasSwitch(L"show-existing");
  received.HasSwitch(L"LockscreenSet");
  return 0;
}
