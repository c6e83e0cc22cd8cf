#include "setup_plugin/nsis_stack.h"

namespace setup_plugin {

std::wstring CNsisStack::Pop() {
  if (!top_ || !*top_) {
    return std::wstring();
  }
  NsisStackEntry* entry = *top_;
  std::wstring text(entry->text);
  *top_ = entry->next;
  GlobalFree(entry);
  return text;
}

void CNsisStack::Push(const std::wstring& text) {
  if (!top_ || string_size_ <= 0) {
    return;
  }
  const size_t bytes = sizeof(NsisStackEntry) + static_cast<size_t>(string_size_) * sizeof(wchar_t);
  auto* entry = static_cast<NsisStackEntry*>(GlobalAlloc(GPTR, bytes));
  if (!entry) {
    return;
  }
  lstrcpynW(entry->text, text.c_str(), string_size_);
  entry->next = *top_;
  *top_ = entry;
}

}  // namespace setup_plugin
