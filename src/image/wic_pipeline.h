#pragma once

#include <wincodec.h>

#include "framework/com_ptr.h"

// Steps of the imaging pipeline shared by the loader and the thumbnail path.
// Unless stated otherwise a step raises CComError when WIC fails.
namespace wic_pipeline {

// Missing from MinGW's headers (Windows 10 and later).
constexpr WICBitmapInterpolationMode kHighQualityCubic = static_cast<WICBitmapInterpolationMode>(4);

// Lazily converts to 32bppBGRA.
ComPtr<IWICBitmapSource> ConvertToBgra(IWICBitmapSource* source);

// Decodes everything into a new in-memory bitmap.
ComPtr<IWICBitmap> CacheInMemory(IWICBitmapSource* source);

// source itself when it already has the size; otherwise a scaler. Null when
// the scaler cannot be set up; never raises.
ComPtr<IWICBitmapSource> Scale(IWICBitmapSource* source, UINT width, UINT height,
                               WICBitmapInterpolationMode mode);

// Scale with mode, or with Fant where the platform refuses mode (some refuse
// HighQualityCubic). Null only when Fant fails too.
ComPtr<IWICBitmapSource> ScaleWithFallback(IWICBitmapSource* source, UINT width, UINT height,
                                           WICBitmapInterpolationMode mode);

// A colour transform from context to sRGB, or from sRGB to context when
// to_embedded is set. The input source when any step fails; never raises.
ComPtr<IWICBitmapSource> ApplyColourTransform(IWICBitmapSource* source, IWICColorContext* context,
                                              bool to_embedded);

// Flips and rotates into a new in-memory bitmap; bitmap itself when the
// flip/rotator cannot be created or initialised. Where the platform's
// flip/rotator refuses the transform, FlipRotateInMemory does it.
ComPtr<IWICBitmap> FlipRotate(IWICBitmap* bitmap, WICBitmapTransformOptions transform);

// Our own flip/rotator with the platform's meaning of the options, into a new
// 32bppBGRA bitmap.
ComPtr<IWICBitmap> FlipRotateInMemory(IWICBitmap* bitmap, WICBitmapTransformOptions transform);

// True when transform exchanges width and height.
inline bool SwapsAxes(WICBitmapTransformOptions transform) { return (transform & 1) != 0; }

}  // namespace wic_pipeline
