#pragma once

#include <windows.h>

#include <string>

// The common open or save dialog. The filter is written "caption|patterns|...|"
// and split into the double-terminated form the dialog wants.
class CFileDialog {
 public:
  CFileDialog(bool open, const wchar_t* default_ext, const wchar_t* file_name, DWORD flags,
              const wchar_t* filter, HWND parent);
  virtual ~CFileDialog() = default;

  // IDOK or IDCANCEL.
  INT_PTR DoModal();
  std::wstring GetPathName() const { return path_; }
  // 1-based, as the dialog reports it.
  int GetFilterIndex() const { return static_cast<int>(filter_index_); }
  void SetFilterIndex(int index) { filter_index_ = static_cast<DWORD>(index); }

  // "a|b|c|d||" to "a\0b\0c\0d\0\0".
  static std::wstring SplitFilter(const wchar_t* filter);

 private:
  bool open_;
  std::wstring default_ext_;
  std::wstring initial_name_;
  DWORD flags_;
  std::wstring filter_;
  HWND parent_;
  std::wstring path_;
  DWORD filter_index_ = 1;
};
