#pragma once

#include "view_render/preload_cache.h"
#include "view_render/view_document.h"

// The current image document as the view model and its renderers see it.
class CDocumentView : public view_render::IViewDocument {
 public:
  CWICImageLoaderPtr GetLoader() const override;
  std::wstring GetPath() const override;
  SIZE GetOrientedSize() const override;
  bool IsLongImage() const override;
  bool UseDisplayBitmap() const override;
  CAsyncTaskQueue& GetQueue() override;
  void CancelPending() override;
};

// The neighbour preload queue and the system thumbnail cache, for the
// current picture.
class CDocumentPreloadCache : public view_render::IPreloadCache {
 public:
  void Resume() override;
  bool WatchPreload(HWND window) override;
  bool GetCachedFitBitmap(int width, int height, HBITMAP& out) override;
};
