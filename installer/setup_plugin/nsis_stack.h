#pragma once

#include <windows.h>

#include <string>

namespace setup_plugin {

// The installer's value stack as a plugin function receives it (the plugin
// interface of Unicode NSIS installers): a linked list of entries allocated
// with GlobalAlloc, each holding one string of at most string_size characters.
struct NsisStackEntry {
  NsisStackEntry* next;
  wchar_t text[1];
};

class CNsisStack {
 public:
  CNsisStack(NsisStackEntry** top, int string_size) : top_(top), string_size_(string_size) {}

  // The top string, removed; empty when the stack is empty.
  std::wstring Pop();
  void Push(const std::wstring& text);

 private:
  NsisStackEntry** top_;
  int string_size_;
};

}  // namespace setup_plugin
