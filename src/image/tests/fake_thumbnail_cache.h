#pragma once

// A stand-in for the system thumbnail cache, which Wine does not have: it is
// registered for the calling thread's apartment under the cache's class id,
// so the program's own CoCreateInstance finds it. It records every request
// and answers them as the test decides.
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>
#include <thumbcache.h>

#include <functional>
#include <ostream>
#include <vector>

namespace test_support {

// Missing from MinGW's import libraries.
constexpr CLSID kClsidLocalThumbnailCache = {
    0x50EF4544, 0xAC9F, 0x4A8E, {0xB2, 0x1B, 0x8A, 0x26, 0x18, 0x0D, 0xB1, 0x3F}};

// One request the cache was asked.
struct ThumbnailCall {
  UINT size;
  WTS_FLAGS flags;
  bool operator==(const ThumbnailCall& other) const {
    return size == other.size && flags == other.flags;
  }
};

inline void PrintTo(const ThumbnailCall& call, std::ostream* out) {
  *out << "{" << call.size << ", flags 0x" << std::hex << static_cast<int>(call.flags) << std::dec
       << "}";
}

// What the cache hands back for a request: a solid thumbnail of the given
// size and colour with the given cache flags, or nothing (size 0).
struct ThumbnailAnswer {
  int width = 0;
  int height = 0;
  COLORREF colour = 0;
  WTS_CACHEFLAGS cache_flags = WTS_DEFAULT;
};

class CFakeSharedBitmap final : public ISharedBitmap {
 public:
  explicit CFakeSharedBitmap(const ThumbnailAnswer& answer) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = answer.width;
    info.bmiHeader.biHeight = -answer.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap_ && bits) {
      auto* pixels = static_cast<DWORD*>(bits);
      const DWORD bgra = 0xFF000000u | (GetRValue(answer.colour) << 16) |
                         (GetGValue(answer.colour) << 8) | GetBValue(answer.colour);
      for (int i = 0; i < answer.width * answer.height; ++i) {
        pixels[i] = bgra;
      }
    }
    size_ = {answer.width, answer.height};
  }
  ~CFakeSharedBitmap() {
    if (bitmap_) {
      DeleteObject(bitmap_);
    }
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == __uuidof(ISharedBitmap)) {
      *out = static_cast<ISharedBitmap*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = InterlockedDecrement(&references_);
    if (left == 0) {
      delete this;
    }
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetSharedBitmap(HBITMAP* out) override {
    *out = bitmap_;
    return bitmap_ ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE GetSize(SIZE* size) override {
    *size = size_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetFormat(WTS_ALPHATYPE* type) override {
    *type = WTSAT_RGB;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InitializeBitmap(HBITMAP, WTS_ALPHATYPE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Detach(HBITMAP* out) override {
    *out = bitmap_;
    bitmap_ = nullptr;
    return S_OK;
  }

 private:
  LONG references_ = 1;
  HBITMAP bitmap_ = nullptr;
  SIZE size_ = {};
};

class CFakeThumbnailCache final : public IThumbnailCache, public IClassFactory {
 public:
  using Answer = std::function<ThumbnailAnswer(UINT size, WTS_FLAGS flags)>;

  // Registered until destroyed; answer decides each reply.
  explicit CFakeThumbnailCache(Answer answer) : answer_(std::move(answer)) {
    registered_ = SUCCEEDED(
        CoRegisterClassObject(kClsidLocalThumbnailCache, static_cast<IClassFactory*>(this),
                              CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_));
  }
  ~CFakeThumbnailCache() {
    if (registered_) {
      CoRevokeClassObject(cookie_);
    }
  }
  CFakeThumbnailCache(const CFakeThumbnailCache&) = delete;
  CFakeThumbnailCache& operator=(const CFakeThumbnailCache&) = delete;

  bool registered() const { return registered_; }
  const std::vector<ThumbnailCall>& calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

  // IUnknown: the object lives on the test's stack.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == __uuidof(IThumbnailCache)) {
      *out = static_cast<IThumbnailCache*>(this);
    } else if (iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // IClassFactory
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer) {
      *out = nullptr;
      return CLASS_E_NOAGGREGATION;
    }
    return static_cast<IThumbnailCache*>(this)->QueryInterface(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  // IThumbnailCache
  HRESULT STDMETHODCALLTYPE GetThumbnail(IShellItem* item, UINT size, WTS_FLAGS flags,
                                         ISharedBitmap** bitmap, WTS_CACHEFLAGS* cache_flags,
                                         WTS_THUMBNAILID*) override {
    calls_.push_back({size, flags});
    if (bitmap) {
      *bitmap = nullptr;
    }
    if (!item) {
      return E_INVALIDARG;
    }
    const ThumbnailAnswer answer = answer_(size, flags);
    if (answer.width <= 0 || answer.height <= 0) {
      return (flags & WTS_INCACHEONLY) ? WTS_E_FAILEDEXTRACTION : E_FAIL;
    }
    if (cache_flags) {
      *cache_flags = answer.cache_flags;
    }
    if (bitmap) {
      *bitmap = new CFakeSharedBitmap(answer);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetThumbnailByID(WTS_THUMBNAILID, UINT, ISharedBitmap**,
                                             WTS_CACHEFLAGS*) override {
    return E_NOTIMPL;
  }

 private:
  Answer answer_;
  std::vector<ThumbnailCall> calls_;
  DWORD cookie_ = 0;
  bool registered_ = false;
};

}  // namespace test_support
