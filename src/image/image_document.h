#pragma once

#include <windows.h>
#include <wincodec.h>

#include <memory>
#include <string>

#include "basic_lib/singleton.h"
#include "framework/com_ptr.h"
#include "image/wic_image_loader.h"
#include "view_render/async_task_queue.h"

// The picture on show: its path, its decoder, the background queue that
// renders it and a small upright copy used to show rotations at once. Every
// command on the current picture is an operation of this object. Used from
// the user-interface thread, except SaveResized, which works only from its
// request.
class CImageDocument : public CSingletonT<CImageDocument> {
 public:
  CImageDocument();
  ~CImageDocument();
  CImageDocument(const CImageDocument&) = delete;
  CImageDocument& operator=(const CImageDocument&) = delete;

  static CImageDocument* Instance() { return GetInstance(); }

  // The window that owns the document's message boxes (the main window).
  void SetMainWindow(HWND main_window) { main_window_ = main_window; }

  // Created on first use; one running task at a time.
  CAsyncTaskQueue& GetQueue();
  // Drops the pending tasks and cancels the running ones.
  void CancelPending();

  // Makes path the current picture and decodes it; a missing or unreadable
  // file leaves the document open without a loader. Tells the title.
  void Open(const std::wstring& path);
  // Lets go of the picture, the display bitmap and the queue.
  void Close();

  CWICImageLoaderPtr GetLoader() const { return loader_; }
  const std::wstring& GetPath() const { return path_; }
  // The picture's size upright; (0, 0) without a loader.
  SIZE GetOrientedSize() const;
  // A tall, narrow picture for the view's long-image mode.
  bool IsLongImage() const;
  static bool IsLongImageSize(SIZE size);

  // Offers the view's rendering of the picture, kept when it is the widest
  // seen; from now on the fit view renders from it. bitmap stays the
  // caller's.
  void SetDisplayBitmap(HBITMAP bitmap);
  bool use_display_bitmap() const { return use_display_bitmap_; }
  // The kept rendering, upright; null when none was offered.
  ComPtr<IWICBitmap> display_bitmap() const { return display_bitmap_; }

  // A quarter turn; saved back into the file when rotate_auto_save is on
  // and the program encodes the file's format itself.
  void Rotate(bool clockwise);

  void CopyToClipboard();

  // Moves the picture on show to the recycle bin. The decoder holds the file
  // open, which would make the move fail: it lets go of the file first, and
  // takes it again when the file stays. True when the file is gone.
  bool MoveToRecycleBin();

  // Saves the picture as path; the user is told when it fails. Saving over
  // the picture on show re-opens it afterwards.
  bool SaveAs(const std::wstring& path, int quality);
  // What a resize-and-save job works from, taken on the user-interface
  // thread when the job is handed out, so that the job's thread reads
  // nothing the document or the settings own.
  struct CResizeRequest {
    CWICImageLoaderPtr loader;  // the picture on show; null when none is
    std::wstring shown_path;    // its path
    std::wstring path;          // where the resized picture goes
    UINT width = 0;
    UINT height = 0;
    int quality = 80;  // JPEG quality from the settings
  };
  // User-interface thread: waits for the document's tasks, so that none
  // uses the loader the job may reset, and takes the request.
  CResizeRequest MakeResizeRequest(const std::wstring& path, UINT width, UINT height);
  // The picture scaled to width x height, saved as path, without metadata.
  // Runs on the resize job's thread; when path is the picture on show
  // (same_file) the loader is left reset and the main window re-opens the
  // picture. False on failure, told by the caller.
  static bool SaveResized(const CResizeRequest& request, bool& same_file);

  // Hands the picture to the photo printing wizard: the file itself when the
  // program encodes its format, else a JPEG copy in the temporary folder.
  void Print();
  // Writes the picture upright as the temporary folder's wallpaper.jpg and
  // makes it the desktop wallpaper, fitted to the screen.
  void SetAsWallpaper();

 private:
  // Waits for the queue's running tasks, from whichever thread calls.
  void WaitForTasks();
  void SaveRotation(int orientation);
  void ShowSaveError() const;

  std::wstring path_;
  CWICImageLoaderPtr loader_;
  std::unique_ptr<CAsyncTaskQueue> queue_;
  bool use_display_bitmap_ = false;
  ComPtr<IWICBitmap> display_bitmap_;
  HWND main_window_ = nullptr;
};
