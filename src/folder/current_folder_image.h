#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>

#include "basic_lib/singleton.h"
#include "framework/handle.h"
#include "view_render/message_window.h"

class CSystemCache;
struct CFolderScanResult;

// Sent to the list's own window by the scan thread; wParam is the
// CFolderScanResult*, valid only while the message is handled.
constexpr UINT UM_FOLDER_SCAN_RESULT = 32818;
// Posted to the window that opened a folder once the folder is listed
// (wParam 0, lParam 0); TakeFoundPicture names what to open.
constexpr UINT UM_FOLDER_PICTURE_FOUND = 32819;
// Sent or posted to the notify window once the list is ready (wParam 0,
// lParam 0); the view then shows or hides its page-turn arrows.
constexpr UINT UM_FOLDER_LIST_READY = 33273;

// The pictures of the folder of the picture on screen, in display order, and
// the position of the current one. The folder is listed on a scan thread;
// until its result arrives the list holds only the current picture and has
// no neighbours. User-interface thread only.
class CCurrentFolderImage : public FCMessageWindow, public CSingletonT<CCurrentFolderImage> {
 public:
  // preload receives the neighbour preloads; null means the application's
  // CSystemCache.
  explicit CCurrentFolderImage(CSystemCache* preload = nullptr);
  ~CCurrentFolderImage() override;

  // The view shows path: finds it in the list, or starts a new list and a
  // scan of its folder. notify is told UM_FOLDER_LIST_READY.
  void SetCurrent(HWND notify, const std::wstring& path);
  // The user opened a folder: it is listed on the scan thread, and then
  // notify is posted UM_FOLDER_PICTURE_FOUND. A later SetCurrent, OpenFolder
  // or Clear drops the request.
  void OpenFolder(HWND notify, const std::wstring& folder);
  // After UM_FOLDER_PICTURE_FOUND: the folder's first picture in display
  // order, or the folder itself when it holds none; empty when the request
  // was dropped or taken already.
  std::wstring TakeFoundPicture();
  // The picture offset places away (+1 next, -1 previous), or empty when
  // there is none. Does not move the current position.
  std::wstring Neighbour(int offset) const;
  bool HasNeighbour(int offset) const { return !Neighbour(offset).empty(); }
  // path, the current picture, was deleted: returns the picture to show
  // next, or empty when the folder has no picture left.
  std::wstring OnDeleted(const std::wstring& path);
  void Clear();

  bool IsScanning() const { return scan_thread_.IsValid(); }
  const std::wstring& folder() const { return folder_; }
  const std::deque<std::wstring>& names() const { return names_; }
  int32_t current_index() const { return current_index_; }

  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void StartScan(const std::wstring& name, bool find_first = false);
  void StopScan();
  void OnScanResult(CFolderScanResult* result);
  void OnFolderOpened(CFolderScanResult* result);
  void DropFolderOpening();
  void ReportPosition() const;
  void StartPreload();
  std::wstring PathOf(const std::wstring& name) const;

  CSystemCache* preload_;
  HWND notify_hwnd_ = nullptr;
  std::wstring folder_;
  std::deque<std::wstring> names_;
  int32_t current_index_ = -1;
  CHandle scan_thread_;
  std::atomic<int32_t> abort_scan_{0};
  // While a folder the user opened is listed, the window to tell.
  HWND opening_notify_ = nullptr;
  std::wstring opening_path_;
  std::wstring opening_folder_;  // its full path, as the list keeps folders
  std::wstring found_picture_;
};
