#pragma once

#include <windows.h>
#include <wincodec.h>

#include <memory>
#include <string>

#include "image/image_document.h"
#include "image/image_file_opener.h"
#include "image/wic_image_loader.h"
#include "view_render/async_task_queue.h"
#include "view_render/view_document.h"

namespace test_support {

// The current picture for the view model, standing in for the image
// document: a loader, a path and the queue that renders it, and the
// document's own long-picture rule. Used by the view tests and the view
// benchmark.
class CTestDocument : public view_render::IViewDocument {
 public:
  CTestDocument() = default;
  explicit CTestDocument(IWICBitmapSource* picture)
      : loader_(std::make_shared<CWICImageLoader>(picture, nullptr)) {}
  explicit CTestDocument(const std::wstring& path) : path_(path), loader_(OpenImageFile(path)) {}

  // Makes path the current picture, as the document's Open does.
  void Open(const std::wstring& path) {
    CancelPending();
    path_ = path;
    loader_ = OpenImageFile(path);
  }

  CWICImageLoaderPtr GetLoader() const override { return loader_; }
  std::wstring GetPath() const override { return path_; }
  SIZE GetOrientedSize() const override {
    return loader_ ? loader_->GetOrientedSize() : SIZE{0, 0};
  }
  bool IsLongImage() const override { return CImageDocument::IsLongImageSize(GetOrientedSize()); }
  bool UseDisplayBitmap() const override { return false; }
  CAsyncTaskQueue& GetQueue() override {
    if (!queue_) {
      queue_ = std::make_unique<CAsyncTaskQueue>();
    }
    return *queue_;
  }
  void CancelPending() override {
    ++cancel_count;
    GetQueue().CancelPending();
  }
  bool HasWork() const {
    return queue_ && (queue_->running_count() > 0 || queue_->pending_count() > 0);
  }

  int cancel_count = 0;

 private:
  std::wstring path_;
  CWICImageLoaderPtr loader_;
  std::unique_ptr<CAsyncTaskQueue> queue_;
};

}  // namespace test_support
