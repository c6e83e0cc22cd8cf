#pragma once

#include <windows.h>
#include <wincodec.h>

// The last steps of every render for display: the source (already at its
// final size) becomes a premultiplied buffer, gets the current display
// effect, and is drawn over the canvas colour into a new screen-compatible
// bitmap. The bitmap held in out is deleted first; on failure out is left as
// it was.
bool ComposeDisplayBitmap(IWICBitmapSource* source, HBITMAP& out);
