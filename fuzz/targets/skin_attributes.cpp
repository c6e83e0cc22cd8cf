// The value forms of skin attributes (UTF-16, as XmlLite hands them over):
// each line of the input is read as every form the builder asks for, and what
// a reader accepts must keep the form's promises.
#include <cwchar>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "toolkit/skin_attributes.h"

namespace {

std::wstring Trimmed(const std::wstring& text) {
  const wchar_t* const kSpace = L" \t\r\n";
  const size_t first = text.find_first_not_of(kSpace);
  if (first == std::wstring::npos) {
    return std::wstring();
  }
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

void CheckValue(const std::wstring& text) {
  using namespace skin_attr;
  for (size_t max_count : {1, 2, 4}) {
    std::vector<int> values;
    if (ParseInts(text, max_count, &values)) {
      FUZZ_CHECK(!values.empty() && values.size() <= max_count);
      // One part is the same as the integer alone.
      int single = 0;
      FUZZ_CHECK((values.size() == 1) == ParseInt(text, &single));
      FUZZ_CHECK(values.size() != 1 || single == values[0]);
    }
  }
  CBox box;
  ParseBox(text, &box);
  int cx = 0;
  int cy = 0;
  ParseSize(text, &cx, &cy);
  bool flag = false;
  if (ParseBool(text, &flag)) {
    FUZZ_CHECK(SameName(Trimmed(text), flag ? L"true" : L"false"));
  }
  uint32_t argb = 0;
  if (ParseColor(text, &argb)) {
    // "#RRGGBB" and "0xRRGGBB" are opaque; every colour reads back the same.
    const size_t length = Trimmed(text).size();
    FUZZ_CHECK(length >= 7 && length <= 10);
    FUZZ_CHECK(length > 8 || (argb >> 24) == 0xFF);
    wchar_t written[16];
    std::swprintf(written, 16, L"#%08X", static_cast<unsigned>(argb));
    uint32_t again = 0;
    FUZZ_CHECK(ParseColor(written, &again) && again == argb);
  }
  CImageSpec look;
  if (ParseImageSpec(text, &look)) {
    FUZZ_CHECK(!look.file.empty());
    FUZZ_CHECK(look.fade >= 0 && look.fade <= 255);
    FUZZ_CHECK(text.find(look.file) != std::wstring::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring text = fuzz::Utf16Units(data, size);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) {
      end = text.size();
    }
    CheckValue(text.substr(start, end - start));
    start = end + 1;
  }
  return 0;
}
