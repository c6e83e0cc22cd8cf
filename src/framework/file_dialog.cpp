#include "framework/file_dialog.h"

#include <commdlg.h>

#include <vector>

CFileDialog::CFileDialog(bool open, const wchar_t* default_ext, const wchar_t* file_name,
                         DWORD flags, const wchar_t* filter, HWND parent)
    : open_(open),
      default_ext_(default_ext ? default_ext : L""),
      initial_name_(file_name ? file_name : L""),
      flags_(flags),
      filter_(SplitFilter(filter)),
      parent_(parent) {}

std::wstring CFileDialog::SplitFilter(const wchar_t* filter) {
  std::wstring split = filter ? filter : L"";
  for (wchar_t& c : split) {
    if (c == L'|') {
      c = L'\0';
    }
  }
  // Always double-terminated, even for a filter without a trailing "||".
  split.push_back(L'\0');
  split.push_back(L'\0');
  return split;
}

INT_PTR CFileDialog::DoModal() {
  // Long enough for any path the shell accepts.
  std::vector<wchar_t> buffer(32768, L'\0');
  initial_name_.copy(buffer.data(), buffer.size() - 1);

  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = parent_;
  ofn.lpstrFilter = filter_.c_str();
  ofn.nFilterIndex = filter_index_;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrDefExt = default_ext_.empty() ? nullptr : default_ext_.c_str();
  ofn.Flags = flags_ | OFN_EXPLORER | OFN_ENABLESIZING | (open_ ? OFN_FILEMUSTEXIST : 0);
  const BOOL ok = open_ ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
  if (!ok) {
    return IDCANCEL;
  }
  path_ = buffer.data();
  filter_index_ = ofn.nFilterIndex;
  return IDOK;
}
