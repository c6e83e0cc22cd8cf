#pragma once

#include <windows.h>

#include <string>

#include "basic_lib/singleton.h"

// The parts of the title line: the current picture's name and size, its
// position in the folder, the zoom and the shooting date. Every change
// refreshes the main window's title text and caption.
class CWindowTitle : public CSingletonT<CWindowTitle> {
 public:
  // Where the title lives; without one, refreshing does nothing.
  void SetMainWindow(HWND main_window) { main_window_ = main_window; }

  void SetPicture(const std::wstring& path, int width, int height, const std::wstring& date);
  void SetSize(int width, int height);
  void SetZoom(float ratio);
  void SetPosition(int index, int count);
  void Refresh();

  std::wstring TitleLine() const;
  bool HasFileName() const { return !file_name_.empty(); }
  const std::wstring& file_name() const { return file_name_; }
  int width() const { return width_; }
  int height() const { return height_; }
  int zoom_percent() const { return zoom_percent_; }
  const std::wstring& position_text() const { return position_text_; }

  // The pieces, for a given language file name.
  static std::wstring ShortName(const std::wstring& file_name);
  static std::wstring SizeText(int width, int height, const std::wstring& language_file);
  static std::wstring DateText(const std::wstring& date, const std::wstring& language_file);
  static std::wstring PositionText(int index, int count);
  static std::wstring BuildTitleLine(const std::wstring& file_name, int width, int height,
                                     const std::wstring& position_text, int zoom_percent,
                                     const std::wstring& date_text,
                                     const std::wstring& language_file);

  static constexpr int kTitleHeight = 29;

 private:
  HWND main_window_ = nullptr;
  std::wstring file_name_;
  int width_ = 0;
  int height_ = 0;
  std::wstring position_text_;
  int zoom_percent_ = 100;
  std::wstring date_text_;
};
