#include "widgets/window_title.h"

#include <shlwapi.h>

#include <cstdint>
#include <cwchar>
#include <vector>

#include "framework/gdi_objects.h"
#include "framework/ui_thread.h"
#include "l10n/lang_string.h"
#include "l10n/language_file.h"
#include "main_messages.h"
#include "resource_ids.h"

namespace {

constexpr size_t kShortNameLength = 10;

std::wstring Format(const wchar_t* format, ...) {
  wchar_t buffer[1024];
  va_list args;
  va_start(args, format);
  const int n = vswprintf(buffer, 1024, format, args);
  va_end(args);
  return n < 0 ? std::wstring() : std::wstring(buffer, n);
}

}  // namespace

std::wstring CWindowTitle::ShortName(const std::wstring& file_name) {
  if (file_name.size() <= kShortNameLength) {
    return file_name;
  }
  const size_t dot = file_name.rfind(L'.');
  const std::wstring tail = dot == std::wstring::npos ? file_name : file_name.substr(dot + 1);
  return file_name.substr(0, kShortNameLength) + L"..." + tail;
}

std::wstring CWindowTitle::SizeText(int width, int height, const std::wstring& language_file) {
  const int64_t pixels = static_cast<int64_t>(width) * height;
  if (!IsChineseLanguageFile(language_file)) {
    if (pixels <= 1000000) {
      return std::wstring();
    }
    return Format(L"%dM %ls", static_cast<int>(pixels / 1000000), GetTitleString(10).c_str());
  }
  if (pixels >= 1000000 && pixels < 10000000) {
    return Format(L"%ls%d%ls", GetTitleString(13).c_str(), static_cast<int>(pixels / 1000000),
                  GetTitleString(12).c_str());
  }
  const int tens = static_cast<int>(pixels / 10000000);
  if (tens == 0) {
    return std::wstring();
  }
  const int millions = static_cast<int>((pixels % 10000000) / 1000000);
  if (millions != 0) {
    return Format(L"%d%ls%d%ls", tens, GetTitleString(11).c_str(), millions,
                  GetTitleString(12).c_str());
  }
  return Format(L"%d%ls", tens, GetTitleString(10).c_str());
}

std::wstring CWindowTitle::DateText(const std::wstring& date, const std::wstring& language_file) {
  std::vector<std::wstring> tokens;
  std::wstring token;
  for (wchar_t c : date) {
    if (c == L' ' || c == L':') {
      if (!token.empty()) {
        tokens.push_back(token);
        token.clear();
      }
    } else {
      token += c;
    }
  }
  if (!token.empty()) {
    tokens.push_back(token);
  }
  if (tokens.size() == 6 && IsCJKLanguageFile(language_file)) {
    return tokens[0] + GetTitleString(30) + tokens[1] + GetTitleString(31) + tokens[2] +
           GetTitleString(32);
  }
  return date;
}

std::wstring CWindowTitle::PositionText(int index, int count) {
  return Format(L"%ls%d/%d%ls", GetTitleString(40).c_str(), index, count,
                GetTitleString(41).c_str());
}

std::wstring CWindowTitle::BuildTitleLine(const std::wstring& file_name, int width, int height,
                                          const std::wstring& position_text, int zoom_percent,
                                          const std::wstring& date_text,
                                          const std::wstring& language_file) {
  if (file_name.empty()) {
    return std::wstring();
  }
  if (width == 0) {
    return file_name + L" - " + position_text;
  }
  std::wstring line = Format(L"%ls ( %dx%d", ShortName(file_name).c_str(), width, height);
  const std::wstring size_text = SizeText(width, height, language_file);
  if (!size_text.empty()) {
    line += L" , " + size_text;
  }
  if (!date_text.empty()) {
    line += L" , " + date_text;
  }
  line += Format(L" ) - %ls %d%%", position_text.c_str(), zoom_percent);
  return line;
}

std::wstring CWindowTitle::TitleLine() const {
  return BuildTitleLine(file_name_, width_, height_, position_text_, zoom_percent_, date_text_,
                        GetCurrentLanguageFile());
}

void CWindowTitle::SetPicture(const std::wstring& path, int width, int height,
                              const std::wstring& date) {
  file_name_ = PathFindFileNameW(path.c_str());
  width_ = width;
  height_ = height;
  position_text_.clear();
  zoom_percent_ = 100;
  date_text_ = date.empty() ? std::wstring() : DateText(date, GetCurrentLanguageFile());
  Refresh();
}

void CWindowTitle::SetSize(int width, int height) {
  width_ = width;
  height_ = height;
  Refresh();
}

void CWindowTitle::SetZoom(float ratio) {
  zoom_percent_ = static_cast<int>(ratio * 100);
  Refresh();
}

void CWindowTitle::SetPosition(int index, int count) {
  position_text_ = PositionText(index, count);
  Refresh();
}

void CWindowTitle::Refresh() {
  ASSERT_UI_THREAD();
  if (!main_window_) {
    return;
  }
  HWND control = GetDlgItem(main_window_, IDC_TITLE_TEXT);
  if (!control) {
    return;
  }
  const std::wstring line = TitleLine();
  SIZE extent = {};
  {
    CClientDC dc(control);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    CSelectObject select(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
  }
  RECT current = {};
  GetWindowRect(control, &current);
  if (extent.cx != 0 && extent.cx != current.right - current.left) {
    SendMessageW(main_window_, UM_TITLE_WIDTH, static_cast<WPARAM>(extent.cx), kTitleHeight);
  }
  SetWindowTextW(control, line.c_str());
  SetWindowTextW(main_window_, line.empty() ? L"Lumora" : line.c_str());
}
