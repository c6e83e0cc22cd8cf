#include "widgets/main_view/document_view.h"

#include "folder/system_cache.h"
#include "image/image_document.h"

CWICImageLoaderPtr CDocumentView::GetLoader() const {
  return CImageDocument::Instance()->GetLoader();
}

std::wstring CDocumentView::GetPath() const { return CImageDocument::Instance()->GetPath(); }

SIZE CDocumentView::GetOrientedSize() const {
  return CImageDocument::Instance()->GetOrientedSize();
}

bool CDocumentView::IsLongImage() const { return CImageDocument::Instance()->IsLongImage(); }

bool CDocumentView::UseDisplayBitmap() const {
  return CImageDocument::Instance()->use_display_bitmap();
}

CAsyncTaskQueue& CDocumentView::GetQueue() { return CImageDocument::Instance()->GetQueue(); }

void CDocumentView::CancelPending() { CImageDocument::Instance()->CancelPending(); }

void CDocumentPreloadCache::Resume() { CSystemCache::GetInstance()->Resume(); }

bool CDocumentPreloadCache::WatchPreload(HWND window) {
  return CSystemCache::GetInstance()->WatchPreload(window, CImageDocument::Instance()->GetPath());
}

bool CDocumentPreloadCache::GetCachedFitBitmap(int width, int height, HBITMAP& out) {
  if (width <= 0 || height <= 0) {
    return false;
  }
  CImageDocument* document = CImageDocument::Instance();
  const CWICImageLoaderPtr loader = document->GetLoader();
  const ComPtr<IWICBitmap> display = document->display_bitmap();
  // The neighbour preload's own rendering first: it is the full-quality fit
  // bitmap itself.
  if (!document->use_display_bitmap() &&
      CSystemCache::GetInstance()->memory().Take(document->GetPath(), static_cast<UINT>(width),
                                                 static_cast<UINT>(height),
                                                 CDisplayOptions::Current(), out)) {
    return true;
  }
  CFitBitmapSource source;
  source.path = document->GetPath();
  source.loader = loader.get();
  source.use_display_bitmap = document->use_display_bitmap();
  source.display_bitmap = display.Get();
  return CSystemCache::GetCachedFitBitmap(source, static_cast<UINT>(width),
                                          static_cast<UINT>(height), out);
}
