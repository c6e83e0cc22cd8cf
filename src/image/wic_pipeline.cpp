#include "image/wic_pipeline.h"

#include "image/wic_factory.h"

#include <icm.h>

#include <cstring>
#include <cwchar>
#include <utility>
#include <vector>

namespace wic_pipeline {

namespace {

constexpr DWORD kSrgbColourSpace = 0x73524742;  // LCS_sRGB, 'sRGB'

// The ICC profile a colour context names: its bytes, or the system's sRGB
// profile for an EXIF colour space context of sRGB.
bool OpenProfileOf(IWICColorContext* context, std::vector<BYTE>* bytes, HPROFILE* profile) {
  WICColorContextType type = WICColorContextUninitialized;
  if (FAILED(context->GetType(&type))) {
    return false;
  }
  PROFILE description = {};
  wchar_t srgb_path[MAX_PATH] = {};
  if (type == WICColorContextProfile) {
    UINT size = 0;
    if (FAILED(context->GetProfileBytes(0, nullptr, &size)) || size == 0) {
      return false;
    }
    bytes->resize(size);
    if (FAILED(context->GetProfileBytes(size, bytes->data(), &size))) {
      return false;
    }
    description.dwType = PROFILE_MEMBUFFER;
    description.pProfileData = bytes->data();
    description.cbDataSize = size;
  } else {
    UINT colour_space = 0;
    DWORD path_size = sizeof(srgb_path);
    if (FAILED(context->GetExifColorSpace(&colour_space)) || colour_space != 1 ||
        !GetStandardColorSpaceProfileW(nullptr, kSrgbColourSpace, srgb_path, &path_size)) {
      return false;
    }
    description.dwType = PROFILE_FILENAME;
    description.pProfileData = srgb_path;
    description.cbDataSize = static_cast<DWORD>((wcslen(srgb_path) + 1) * sizeof(wchar_t));
  }
  *profile = OpenColorProfileW(&description, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING);
  return *profile != nullptr;
}

// A 32bppBGRA source with its colours translated between two ICC profiles
// by the system's colour management module, alpha kept. Used where the
// imaging component's own transformer hands the pixels on unchanged.
class CProfileTransformSource final : public IWICBitmapSource {
 public:
  static ComPtr<IWICBitmapSource> Create(IWICBitmapSource* source, IWICColorContext* from,
                                         IWICColorContext* to) {
    std::vector<BYTE> from_bytes;
    std::vector<BYTE> to_bytes;
    HPROFILE profiles[2] = {};
    HTRANSFORM transform = nullptr;
    if (OpenProfileOf(from, &from_bytes, &profiles[0]) &&
        OpenProfileOf(to, &to_bytes, &profiles[1])) {
      DWORD intents[] = {INTENT_PERCEPTUAL};
      transform = CreateMultiProfileTransform(profiles, 2, intents, 1, BEST_MODE, INDEX_DONT_CARE);
    }
    for (HPROFILE profile : profiles) {
      if (profile) {
        CloseColorProfile(profile);
      }
    }
    if (!transform) {
      return nullptr;
    }
    ComPtr<IWICBitmapSource> result;
    result.Attach(new CProfileTransformSource(ConvertToBgra(source), transform));
    return result;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IWICBitmapSource) {
      *out = static_cast<IWICBitmapSource*>(this);
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
  HRESULT STDMETHODCALLTYPE GetSize(UINT* width, UINT* height) override {
    return source_->GetSize(width, height);
  }
  HRESULT STDMETHODCALLTYPE GetPixelFormat(WICPixelFormatGUID* format) override {
    if (!format) {
      return E_INVALIDARG;
    }
    *format = GUID_WICPixelFormat32bppBGRA;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetResolution(double* x, double* y) override {
    return source_->GetResolution(x, y);
  }
  HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette*) override {
    return WINCODEC_ERR_PALETTEUNAVAILABLE;
  }
  HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT stride, UINT size,
                                       BYTE* buffer) override {
    UINT width = 0;
    UINT height = 0;
    HRESULT hr = source_->GetSize(&width, &height);
    if (SUCCEEDED(hr) && rect) {
      width = static_cast<UINT>(rect->Width);
      height = static_cast<UINT>(rect->Height);
    }
    if (SUCCEEDED(hr)) {
      hr = source_->CopyPixels(rect, stride, size, buffer);
    }
    if (FAILED(hr)) {
      return hr;
    }
    std::vector<BYTE> alpha(width);
    for (UINT y = 0; y < height; ++y) {
      BYTE* row = buffer + static_cast<size_t>(y) * stride;
      for (UINT x = 0; x < width; ++x) {
        alpha[x] = row[x * 4 + 3];
      }
      if (!TranslateBitmapBits(transform_, row, BM_xRGBQUADS, width, 1, stride, row, BM_xRGBQUADS,
                               stride, nullptr, 0)) {
        return E_FAIL;
      }
      for (UINT x = 0; x < width; ++x) {
        row[x * 4 + 3] = alpha[x];
      }
    }
    return S_OK;
  }

 private:
  CProfileTransformSource(ComPtr<IWICBitmapSource> source, HTRANSFORM transform)
      : source_(std::move(source)), transform_(transform) {}
  ~CProfileTransformSource() { DeleteColorTransform(transform_); }

  LONG references_ = 1;
  ComPtr<IWICBitmapSource> source_;
  HTRANSFORM transform_;
};

}  // namespace

ComPtr<IWICBitmapSource> ConvertToBgra(IWICBitmapSource* source) {
  ComPtr<IWICBitmapSource> converted;
  ThrowIfFailed(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, source, converted.Receive()));
  return converted;
}

ComPtr<IWICBitmap> CacheInMemory(IWICBitmapSource* source) {
  ComPtr<IWICBitmap> bitmap;
  ThrowIfFailed(CWICFactory::Required()->CreateBitmapFromSource(source, WICBitmapCacheOnLoad,
                                                                bitmap.Receive()));
  return bitmap;
}

ComPtr<IWICBitmapSource> Scale(IWICBitmapSource* source, UINT width, UINT height,
                               WICBitmapInterpolationMode mode) {
  try {
    UINT source_width = 0;
    UINT source_height = 0;
    ThrowIfFailed(ComPtr<IWICBitmapSource>(source)->GetSize(&source_width, &source_height));
    if (source_width == width && source_height == height) {
      return source;
    }
    ComPtr<IWICBitmapScaler> scaler;
    ThrowIfFailed(CWICFactory::Required()->CreateBitmapScaler(scaler.Receive()));
    ThrowIfFailed(scaler->Initialize(source, width, height, mode));
    return scaler.As<IWICBitmapSource>();
  } catch (const CComError&) {
    return nullptr;
  }
}

ComPtr<IWICBitmapSource> ScaleWithFallback(IWICBitmapSource* source, UINT width, UINT height,
                                           WICBitmapInterpolationMode mode) {
  ComPtr<IWICBitmapSource> scaled = Scale(source, width, height, mode);
  if (scaled && mode != WICBitmapInterpolationModeFant && scaled.Get() != source) {
    // A scaler may accept a mode at set-up and refuse it on the first copy.
    BYTE probe[16] = {};
    const WICRect one_pixel = {0, 0, 1, 1};
    if (FAILED(scaled.Get()->CopyPixels(&one_pixel, sizeof(probe), sizeof(probe), probe))) {
      scaled.Reset();
    }
  }
  if (!scaled && mode != WICBitmapInterpolationModeFant) {
    scaled = Scale(source, width, height, WICBitmapInterpolationModeFant);
  }
  return scaled;
}

ComPtr<IWICBitmapSource> ApplyColourTransform(IWICBitmapSource* source, IWICColorContext* context,
                                              bool to_embedded) {
  try {
    if (!source || !context) {
      return source;
    }
    ComPtr<IWICColorContext> srgb;
    ThrowIfFailed(CWICFactory::Required()->CreateColorContext(srgb.Receive()));
    ThrowIfFailed(srgb->InitializeFromExifColorSpace(1));
    ComPtr<IWICColorTransform> transform;
    ThrowIfFailed(CWICFactory::Required()->CreateColorTransformer(transform.Receive()));
    IWICColorContext* from = to_embedded ? srgb.Get() : context;
    IWICColorContext* to = to_embedded ? context : srgb.Get();
    // The colour management module first: some platforms' imaging
    // transformers accept the profiles and leave the colours as they are.
    if (ComPtr<IWICBitmapSource> translated = CProfileTransformSource::Create(source, from, to)) {
      return translated;
    }
    ThrowIfFailed(transform->Initialize(source, from, to, GUID_WICPixelFormat32bppBGRA));
    return transform.As<IWICBitmapSource>();
  } catch (const CComError&) {
    return source;
  }
}

ComPtr<IWICBitmap> FlipRotate(IWICBitmap* bitmap, WICBitmapTransformOptions transform) {
  ComPtr<IWICBitmapFlipRotator> rotator;
  if (FAILED(CWICFactory::Required()->CreateBitmapFlipRotator(rotator.Receive())) ||
      FAILED(rotator->Initialize(bitmap, transform))) {
    return bitmap;
  }
  try {
    return CacheInMemory(rotator.Get());
  } catch (const CComError&) {
    // Some platforms set the rotator up but only flip vertically when asked
    // for pixels; an upright picture matters more than the platform's code.
    return FlipRotateInMemory(bitmap, transform);
  }
}

ComPtr<IWICBitmap> FlipRotateInMemory(IWICBitmap* bitmap, WICBitmapTransformOptions transform) {
  ComPtr<IWICBitmap> source = CacheInMemory(ConvertToBgra(bitmap).Get());
  UINT width = 0;
  UINT height = 0;
  ThrowIfFailed(source->GetSize(&width, &height));
  const int quarter_turns = transform & 3;
  const bool flip_horizontal = (transform & WICBitmapTransformFlipHorizontal) != 0;
  const bool flip_vertical = (transform & WICBitmapTransformFlipVertical) != 0;
  const UINT out_width = quarter_turns % 2 ? height : width;
  const UINT out_height = quarter_turns % 2 ? width : height;

  ComPtr<IWICBitmap> result;
  ThrowIfFailed(CWICFactory::Required()->CreateBitmap(
      out_width, out_height, GUID_WICPixelFormat32bppBGRA, WICBitmapCacheOnLoad, result.Receive()));
  const WICRect all_in = {0, 0, static_cast<INT>(width), static_cast<INT>(height)};
  const WICRect all_out = {0, 0, static_cast<INT>(out_width), static_cast<INT>(out_height)};
  ComPtr<IWICBitmapLock> in_lock;
  ComPtr<IWICBitmapLock> out_lock;
  ThrowIfFailed(source->Lock(&all_in, WICBitmapLockRead, in_lock.Receive()));
  ThrowIfFailed(result->Lock(&all_out, WICBitmapLockWrite, out_lock.Receive()));
  UINT in_stride = 0;
  UINT out_stride = 0;
  UINT in_size = 0;
  UINT out_size = 0;
  BYTE* in = nullptr;
  BYTE* out = nullptr;
  ThrowIfFailed(in_lock->GetStride(&in_stride));
  ThrowIfFailed(out_lock->GetStride(&out_stride));
  ThrowIfFailed(in_lock->GetDataPointer(&in_size, &in));
  ThrowIfFailed(out_lock->GetDataPointer(&out_size, &out));
  if (!in || !out || in_stride < 4ull * width || out_stride < 4ull * out_width ||
      in_size < static_cast<UINT64>(in_stride) * (height - 1) + 4ull * width ||
      out_size < static_cast<UINT64>(out_stride) * (out_height - 1) + 4ull * out_width) {
    throw CComError(E_UNEXPECTED);
  }
  // The flips apply to the stored picture, the quarter turns (clockwise)
  // after them: orientation 5 (flip vertical, turn 90) is the transpose.
  for (UINT y = 0; y < out_height; ++y) {
    BYTE* row = out + static_cast<size_t>(y) * out_stride;
    for (UINT x = 0; x < out_width; ++x) {
      UINT fx = x;
      UINT fy = y;
      switch (quarter_turns) {
        case 1:
          fx = y;
          fy = height - 1 - x;
          break;
        case 2:
          fx = width - 1 - x;
          fy = height - 1 - y;
          break;
        case 3:
          fx = width - 1 - y;
          fy = x;
          break;
        default:
          break;
      }
      const UINT sx = flip_horizontal ? width - 1 - fx : fx;
      const UINT sy = flip_vertical ? height - 1 - fy : fy;
      std::memcpy(row + static_cast<size_t>(x) * 4,
                  in + static_cast<size_t>(sy) * in_stride + static_cast<size_t>(sx) * 4, 4);
    }
  }
  return result;
}

}  // namespace wic_pipeline
