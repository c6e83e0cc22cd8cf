#pragma once

#include <windows.h>
#include <wincodec.h>

#include <memory>
#include <string>

#include "framework/com_ptr.h"
#include "image/display_bitmap.h"
#include "image/exif_info.h"
#include "image/jpeg_light_source.h"

// One opened picture: its decoder, the chosen frame (or a fallback decoder's
// bitmap), the frame's metadata and its embedded colour profile. Produces
// display-oriented, scaled and screen-ready bitmaps on request. Used by one
// thread at a time; shared between the document and background tasks through
// CWICImageLoaderPtr. Failing WIC calls never escape: each operation returns
// its empty result.
class CWICImageLoader {
 public:
  // Opens path with WIC; on failure the loader has no source.
  explicit CWICImageLoader(const std::wstring& path);
  // Wraps a bitmap decoded elsewhere (no decoder, empty metadata).
  CWICImageLoader(IWICBitmapSource* source, IWICColorContext* colour_context);
  CWICImageLoader(const CWICImageLoader&) = delete;
  CWICImageLoader& operator=(const CWICImageLoader&) = delete;

  // Never throws; an unreadable or unsupported file leaves no source.
  void Open(const std::wstring& path);
  // Lets go of the file (before it is overwritten) and of everything else.
  void Reset();

  // The source size in display orientation; (0, 0) without a source.
  SIZE GetOrientedSize() const;
  WICBitmapTransformOptions GetTransform() const {
    return TransformOfOrientation(exif_.orientation);
  }
  // One quarter turn of the orientation, stored and returned.
  int RotateOrientation(bool clockwise);

  // The whole picture in 32bppBGRA and display orientation, in memory; the
  // colour profile is applied when colour_managed is set. Null on failure.
  ComPtr<IWICBitmap> GetBitmap(bool colour_managed) const;
  // Exactly width x height in display orientation, not colour-managed; the
  // colour profile, if wanted, is handed out with a reference of its own.
  ComPtr<IWICBitmapSource> GetScaledBitmap(UINT width, UINT height,
                                           ComPtr<IWICColorContext>* colour_context) const;
  // A screen-compatible bitmap of width x height: scaled, colour-managed
  // unless the options say to ignore embedded profiles, rotated, enhanced by
  // the options' display effect and composed over their canvas colour.
  // Deletes the bitmap out held before; leaves out unchanged on failure.
  bool RenderToBitmap(UINT width, UINT height, const CDisplayOptions& options, HBITMAP& out) const;
  // The same with the settings as they are now: user-interface thread only.
  bool RenderToBitmap(UINT width, UINT height, HBITMAP& out) const;

  bool IsAnimatedGif() const;

  // Encodes the picture into path in the format its extension names (BMP,
  // JPEG, GIF, TIFF, PNG), carrying over the source file's metadata and
  // colour profile. JPEG keeps its stored pixels where the orientation tag
  // can be written, and is turned upright otherwise; other formats are
  // always written upright. quality (0 to 100) applies to JPEG. False when
  // anything failed; a partly written file is then left for the caller.
  bool SaveTo(const std::wstring& path, int quality) const;

  // Puts the colour-managed picture (and the file at path, when there is
  // one) on the clipboard. False when there was nothing to copy.
  bool CopyToClipboard(const std::wstring& path) const;

  // The platform's decoder; null for pictures a fallback decoded, and for a
  // JPEG opened from its header until saving needs the decoder.
  IWICBitmapDecoder* decoder() const { return decoder_.Get(); }
  // Whether the pixels come from the file (through a decoder or the header
  // reader), so the file must be let go of before it is replaced and read
  // again afterwards; false for a picture held in memory.
  bool opened_from_file() const { return decoder_ || light_; }
  IWICBitmapSource* source() const { return source_.Get(); }
  IWICColorContext* colour_context() const { return colour_context_.Get(); }
  // The file Open read; empty for a wrapped bitmap and after Reset.
  const std::wstring& path() const { return path_; }
  const CExifInfo& exif() const { return exif_; }
  CExifInfo& exif() { return exif_; }

  // The WIC transform of an EXIF orientation (1 to 8); 0 for anything else.
  static WICBitmapTransformOptions TransformOfOrientation(int orientation);
  // The orientation one quarter turn on, clamped to 1 .. 8 first.
  static int NextOrientation(int orientation, bool clockwise);

 private:
  void LoadFrame(IWICBitmapFrameDecode* frame, const std::wstring& path, bool is_jpeg);
  // A JPEG from its header: size, profile and metadata without decoding.
  void LoadLight(ComPtr<CJpegLightSource> light, const std::wstring& path);
  void ApplyOrientationSetting();
  // The decoder, created on first use for a JPEG opened from its header;
  // null when there is none.
  IWICBitmapDecoder* PlatformDecoder() const;
  // The pixels a JPEG is written from: stored, or turned upright where the
  // orientation tag could not be written.
  ComPtr<IWICBitmapSource> JpegPixels(bool tag_written, bool* turned_upright) const;
  bool EncodeWithPlatform(const std::wstring& path, int quality, bool* turned_upright) const;
  bool EncodeJpegOurselves(const std::wstring& path, int quality, bool* turned_upright) const;
  // A JPEG decoded at a DCT scale that still covers min_width x min_height
  // (stored orientation), in 32bppBGRA; null where that does not pay or fails.
  ComPtr<IWICBitmapSource> ScaledJpegSource(UINT min_width, UINT min_height) const;

  std::wstring path_;
  mutable ComPtr<IWICBitmapDecoder> decoder_;
  ComPtr<IWICBitmapSource> source_;
  // Set when source_ is a JPEG opened from its header.
  ComPtr<CJpegLightSource> light_;
  CExifInfo exif_;
  ComPtr<IWICColorContext> colour_context_;
  bool is_jpeg_ = false;
};

using CWICImageLoaderPtr = std::shared_ptr<CWICImageLoader>;
