#include "app/hand_over_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Utf16(const std::wstring& text) {
  std::vector<uint8_t> bytes;
  for (wchar_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
  }
  return bytes;
}

TEST(HandOverText, StopsAtTheZeroOrTheEndOfTheRecord) {
  struct Case {
    std::vector<uint8_t> bytes;
    size_t byte_count;
    std::wstring text;
  };
  std::vector<uint8_t> terminated = Utf16(std::wstring(L"C:\\a b.jpg") + L'\0');
  std::vector<uint8_t> inner_zero = Utf16(std::wstring(L"--setting") + L'\0' + L"x.jpg");
  std::vector<uint8_t> odd = Utf16(L"ab");
  odd.push_back('c');
  const Case cases[] = {
      {terminated, terminated.size(), L"C:\\a b.jpg"},
      {terminated, terminated.size() - 2, L"C:\\a b.jpg"},  // no terminating zero
      {terminated, 6, L"C:\\"},                             // cbData shorter than the text
      {inner_zero, inner_zero.size(), L"--setting"},
      {odd, odd.size(), L"ab"},  // the odd byte is no unit
      {Utf16(L"\x4E2D\x6587"), 4, L"\x4E2D\x6587"},
      {{}, 0, L""},
      {{'a'}, 1, L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HandOverText(c.bytes.data(), c.byte_count), c.text);
  }
  EXPECT_EQ(HandOverText(nullptr, 8), L"");
}

TEST(HandOverText, ReadsRecordsAtAnyAlignment) {
  std::vector<uint8_t> bytes = {0};
  const std::vector<uint8_t> text = Utf16(L"a.png");
  bytes.insert(bytes.end(), text.begin(), text.end());
  EXPECT_EQ(HandOverText(bytes.data() + 1, text.size()), L"a.png");
}

}  // namespace
