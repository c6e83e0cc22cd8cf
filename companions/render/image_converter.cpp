#include "image_converter.h"

#include <windows.h>
#include <gdiplus.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <algorithm>

#include "framework/com_ptr.h"
#include "image/exif_info.h"
#include "image/image_file_opener.h"
#include "image/image_format.h"
#include "image/metadata_reader.h"
#include "image/save_target.h"
#include "image/wic_factory.h"
#include "image/wic_image_loader.h"

namespace {

// COM, the imaging factory and GDI+ for the length of one conversion; each
// is let go only if this call started it.
class CConversionRuntime {
 public:
  CConversionRuntime() {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    com_started_ = SUCCEEDED(com);
    factory_made_ = !CWICFactory::Get() && SUCCEEDED(CWICFactory::Create());
    Gdiplus::GdiplusStartupInput input;
    gdiplus_started_ = Gdiplus::GdiplusStartup(&gdiplus_token_, &input, nullptr) == Gdiplus::Ok;
  }
  ~CConversionRuntime() {
    if (gdiplus_started_) {
      Gdiplus::GdiplusShutdown(gdiplus_token_);
    }
    if (factory_made_) {
      CWICFactory::Release();
    }
    if (com_started_) {
      CoUninitialize();
    }
  }
  CConversionRuntime(const CConversionRuntime&) = delete;
  CConversionRuntime& operator=(const CConversionRuntime&) = delete;

  bool ready() const { return CWICFactory::Get() != nullptr; }

 private:
  bool com_started_ = false;
  bool factory_made_ = false;
  bool gdiplus_started_ = false;
  ULONG_PTR gdiplus_token_ = 0;
};

// The decoded picture: its pixels, embedded profile and stored orientation.
struct CDecoded {
  ComPtr<IWICBitmapSource> pixels;
  ComPtr<IWICColorContext> colour_context;
  int orientation = 0;
};

bool DecodeWithPlatformCodecs(const std::wstring& path, CDecoded* decoded) {
  try {
    IWICImagingFactory* factory = CWICFactory::Get();
    ComPtr<IWICBitmapDecoder> decoder;
    ThrowIfFailed(factory->CreateDecoderFromFilename(
        path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, decoder.Receive()));
    ComPtr<IWICBitmapFrameDecode> frame;
    ThrowIfFailed(decoder->GetFrame(0, frame.Receive()));
    UINT contexts = 0;
    if (SUCCEEDED(frame->GetColorContexts(0, nullptr, &contexts)) && contexts > 0) {
      ComPtr<IWICColorContext> context;
      UINT delivered = 0;
      IWICColorContext* slot = nullptr;
      if (SUCCEEDED(factory->CreateColorContext(context.Receive())) &&
          (slot = context.Get(), SUCCEEDED(frame->GetColorContexts(1, &slot, &delivered))) &&
          delivered >= 1) {
        decoded->colour_context = context;
      }
    }
    GUID container = {};
    decoder->GetContainerFormat(&container);
    CExifInfo info;
    ReadFrameMetadata(info, frame.Get(),
                      IsEqualGUID(container, GUID_ContainerFormatJpeg) ? path.c_str() : nullptr);
    decoded->orientation = info.orientation;
    // Everything is read into memory, so the source file is free again
    // before the target is written (they may be the same file).
    ComPtr<IWICBitmap> in_memory;
    ThrowIfFailed(
        factory->CreateBitmapFromSource(frame.Get(), WICBitmapCacheOnLoad, in_memory.Receive()));
    decoded->pixels = in_memory;
    return true;
  } catch (const CComError&) {
    *decoded = CDecoded();
    return false;
  }
}

bool Decode(const std::wstring& path, CDecoded* decoded) {
  if (DecodeWithPlatformCodecs(path, decoded)) {
    return true;
  }
  decoded->pixels = DecodeWithGdiPlus(path);
  if (!decoded->pixels) {
    decoded->pixels = DecodeWithModule(path);
  }
  return static_cast<bool>(decoded->pixels);
}

}  // namespace

bool ConvertImage(const std::wstring& source, const std::wstring& target, int quality,
                  int orientation) {
  if (source.empty() || target.empty() || !PathFileExistsW(source.c_str()) ||
      !IsNativeEncodableClass(GetImageFormatClass(target))) {
    return false;
  }
  CConversionRuntime runtime;
  if (!runtime.ready()) {
    return false;
  }
  CSaveTarget save_target(target);
  if (save_target.working().empty()) {
    return false;
  }
  bool saved = false;
  {
    CDecoded decoded;
    if (!Decode(source, &decoded)) {
      return false;
    }
    CWICImageLoader loader(decoded.pixels.Get(), decoded.colour_context.Get());
    loader.exif().orientation = orientation == -1
                                    ? decoded.orientation
                                    : (orientation >= 1 && orientation <= 8 ? orientation : 0);
    saved = loader.SaveTo(save_target.working(), std::clamp(quality, 0, 100));
  }
  if (!saved) {
    save_target.Discard();
    return false;
  }
  return save_target.Commit(false);
}
