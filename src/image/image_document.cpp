#include "image/image_document.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "basic_lib/win32_system.h"
#include "basic_lib/win_util.h"
#include "basic_lib/windows_version.h"
#include "config/app_config.h"
#include "config/data_paths.h"
#include "framework/ui_thread.h"
#include "image/image_file_opener.h"
#include "image/image_format.h"
#include "image/jpeg_metadata_carrier.h"
#include "image/orientation_writer.h"
#include "image/save_target.h"
#include "image/wic_factory.h"
#include "image/wic_pipeline.h"
#include "l10n/lang_string.h"
#include "log/my_log.h"
#include "log/timing_trace.h"
#include "popup_dialog/message_box.h"
#include "widgets/window_title.h"

namespace {

constexpr int kRotationSaveQuality = 95;
// The temporary copies for printing and the wallpaper.
constexpr int kCopyQuality = 90;
constexpr LONG kLongImageMaxWidth = 1280;

int ConfiguredJpegQuality() {
  const CAppConfig* config = CAppConfig::GetInstance();
  return config->save_jpeg_quality;
}

}  // namespace

CImageDocument::CImageDocument() = default;

CImageDocument::~CImageDocument() { Close(); }

CAsyncTaskQueue& CImageDocument::GetQueue() {
  if (!queue_) {
    queue_ = std::make_unique<CAsyncTaskQueue>();
  }
  return *queue_;
}

void CImageDocument::CancelPending() { GetQueue().CancelPending(); }

void CImageDocument::WaitForTasks() {
  // A missing queue has nothing to wait for.
  if (queue_) {
    queue_->WaitAllFromAnyThread();
  }
}

void CImageDocument::Open(const std::wstring& path) {
  ASSERT_UI_THREAD();
  timing_trace::PictureAsked(path);
  CancelPending();
  path_ = path;
  loader_.reset();
  use_display_bitmap_ = false;
  display_bitmap_.Reset();
  if (win_util::PathExists(path_)) {
    std::vector<wchar_t> canonical(std::max<size_t>(MAX_PATH, path_.size() + 1), L'\0');
    if (path_.size() < MAX_PATH && PathCanonicalizeW(canonical.data(), path_.c_str())) {
      path_ = canonical.data();
    }
    loader_ = OpenImageFile(path_);
  }
  const SIZE size = GetOrientedSize();
  CWindowTitle::GetInstance()->SetPicture(path_, size.cx, size.cy,
                                          loader_ ? loader_->exif().date_taken : std::wstring());
}

void CImageDocument::Close() {
  ASSERT_UI_THREAD();
  if (queue_) {
    queue_->CancelPending();
  }
  use_display_bitmap_ = false;
  display_bitmap_.Reset();
  loader_.reset();
  queue_.reset();
}

SIZE CImageDocument::GetOrientedSize() const {
  return loader_ ? loader_->GetOrientedSize() : SIZE{0, 0};
}

bool CImageDocument::IsLongImageSize(SIZE size) {
  return size.cx < kLongImageMaxWidth && int64_t{size.cx} * 4 < size.cy;
}

bool CImageDocument::IsLongImage() const { return IsLongImageSize(GetOrientedSize()); }

void CImageDocument::SetDisplayBitmap(HBITMAP bitmap) {
  use_display_bitmap_ = true;
  if (!bitmap) {
    return;
  }
  BITMAP info = {};
  if (!GetObjectW(bitmap, sizeof(info), &info)) {
    return;
  }
  UINT kept_width = 0;
  UINT kept_height = 0;
  if (display_bitmap_ && SUCCEEDED(display_bitmap_.Get()->GetSize(&kept_width, &kept_height)) &&
      static_cast<LONG>(kept_width) >= info.bmWidth) {
    return;
  }
  IWICImagingFactory* factory = CWICFactory::Get();
  ComPtr<IWICBitmap> copy;
  if (factory && SUCCEEDED(factory->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha,
                                                            copy.Receive()))) {
    display_bitmap_ = copy;
  }
}

void CImageDocument::Rotate(bool clockwise) {
  ASSERT_UI_THREAD();
  if (!loader_) {
    return;
  }
  if (display_bitmap_) {
    try {
      display_bitmap_ =
          wic_pipeline::FlipRotate(display_bitmap_.Get(), clockwise ? WICBitmapTransformRotate90
                                                                    : WICBitmapTransformRotate270);
    } catch (const CComError&) {
      LOG_INFO << "cannot turn the display bitmap";
    }
  }
  const int orientation = loader_->RotateOrientation(clockwise);
  const CAppConfig* config = CAppConfig::GetInstance();
  if (config->rotate_auto_save && IsNativeEncodableClass(GetImageFormatClass(path_))) {
    SaveRotation(orientation);
  }
  const SIZE size = GetOrientedSize();
  CWindowTitle::GetInstance()->SetSize(size.cx, size.cy);
}

void CImageDocument::SaveRotation(int orientation) {
  WaitForTasks();
  if (CWindowsVersion::IsWindows8OrLater() && GetImageFormatClass(path_) == kFormatJpeg &&
      WriteOrientationInPlace(path_, orientation)) {
    return;
  }
  SaveAs(path_, kRotationSaveQuality);
}

void CImageDocument::CopyToClipboard() {
  if (!loader_) {
    return;
  }
  WaitForTasks();
  loader_->CopyToClipboard(path_);
}

bool CImageDocument::SaveAs(const std::wstring& path, int quality) {
  GetQueue().WaitAll();
  const bool same = !path_.empty() && StrCmpIW(path.c_str(), path_.c_str()) == 0;
  CSaveTarget target(path);
  bool saved = loader_ && !target.working().empty() && loader_->SaveTo(target.working(), quality);
  if (saved) {
    const int orientation = loader_->exif().orientation;
    // Only a picture read from the file is read again; one the fallbacks
    // decoded lives in memory and stays as it is.
    const bool reopen = same && loader_->opened_from_file();
    if (reopen) {
      loader_->Reset();
    }
    saved = target.Commit(same);
    if (reopen) {
      loader_->Open(path_);
      // The file kept its old content: the picture stays turned as shown.
      if (!saved) {
        loader_->exif().orientation = orientation;
      }
    }
  } else if (!target.working().empty()) {
    target.Discard();
  }
  if (!saved) {
    LOG_INFO << "saving failed";
    ShowSaveError();
  }
  return saved;
}

CImageDocument::CResizeRequest CImageDocument::MakeResizeRequest(const std::wstring& path,
                                                                 UINT width, UINT height) {
  WaitForTasks();
  CResizeRequest request;
  request.loader = loader_;
  request.shown_path = path_;
  request.path = path;
  request.width = width;
  request.height = height;
  request.quality = ConfiguredJpegQuality();
  return request;
}

bool CImageDocument::SaveResized(const CResizeRequest& request, bool& same_file) {
  same_file = false;
  const CWICImageLoaderPtr& loader = request.loader;
  if (!loader) {
    return false;
  }
  ComPtr<IWICColorContext> colour_context;
  ComPtr<IWICBitmapSource> scaled =
      loader->GetScaledBitmap(request.width, request.height, &colour_context);
  if (!scaled) {
    return false;
  }
  // The scaler reads from the loader's decoded copy, not from the file, so
  // the loader can let go of the file now.
  if (StrCmpIW(request.path.c_str(), request.shown_path.c_str()) == 0) {
    loader->Reset();
    same_file = true;
  }
  CSaveTarget target(request.path);
  CWICImageLoader resized(scaled.Get(), colour_context.Get());
  if (target.working().empty() || !resized.SaveTo(target.working(), request.quality) ||
      !CarryMetadataIntoResized(request, target.working())) {
    target.Discard();
    return false;
  }
  return target.Commit(same_file);
}

bool CImageDocument::CarryMetadataIntoResized(const CResizeRequest& request,
                                              const std::wstring& written) {
  if (GetImageFormatClass(request.path) != kFormatJpeg) {
    return true;
  }
  // The shown file is still the original here: a copy over it is put in
  // place only afterwards.
  CJpegMetadataCarrier carrier;
  if (!carrier.ReadFrom(request.shown_path)) {
    return true;
  }
  carrier.MarkResizedUpright(request.width, request.height);
  return carrier.WriteInto(written);
}

void CImageDocument::Print() {
  if (!loader_ || !win_util::PathExists(path_)) {
    return;
  }
  std::wstring to_print = path_;
  if (!IsNativeEncodableClass(GetImageFormatClass(path_))) {
    to_print = data_paths::PrintScratchFile();
    if (!SaveAs(to_print, kCopyQuality)) {
      return;
    }
  }
  win32_system::PrintFile(to_print);
}

void CImageDocument::SetAsWallpaper() {
  if (!loader_) {
    return;
  }
  WaitForTasks();
  ComPtr<IWICBitmap> upright = loader_->GetBitmap(false);
  if (!upright) {
    return;
  }
  CWICImageLoader copy(upright.Get(), loader_->colour_context());
  const std::wstring wallpaper = data_paths::WallpaperFile();
  CSaveTarget target(wallpaper);
  if (target.working().empty() || !copy.SaveTo(target.working(), kCopyQuality) ||
      !target.Commit(false)) {
    target.Discard();
    return;
  }
  win32_system::SetDesktopWallpaper(wallpaper, win32_system::kWallpaperKeepAspect);
}

bool CImageDocument::MoveToRecycleBin() {
  if (GetFileAttributesW(path_.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return false;
  }
  GetQueue().WaitAll();
  const bool release = loader_ && loader_->opened_from_file();
  if (release) {
    loader_->Reset();
  }
  win32_system::DeleteCurrentFile(path_);
  const bool gone = GetFileAttributesW(path_.c_str()) == INVALID_FILE_ATTRIBUTES;
  if (!gone && release) {
    const int orientation = loader_->exif().orientation;
    loader_->Open(path_);
    loader_->exif().orientation = orientation;
  }
  return gone;
}

void CImageDocument::ShowSaveError() const {
  CMessageBox::ShowMessage(main_window_, GetLangString(L"FILE", L"SAVE_ERROR"), 0, L"center", 0);
}
