// The association list the settings dialog hands to the association module:
// "|ext:state|" entries in UTF-16.
#include <string>

#include "association/association_list.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = fuzz::Utf16Units(data, size);
  const auto entries = association::ParseAssociationList(text.c_str());
  for (const auto& entry : entries) {
    FUZZ_CHECK(association::IsImageExtension(entry.first));
  }
  FUZZ_CHECK(entries.size() <= text.size() / 3 + 1);
  return 0;
}
