#pragma once

#include <windows.h>
#include <wincodec.h>

#include <cstdint>

// What a render for display takes from the settings. A background render
// gets a copy made on the user-interface thread with its request, so it never
// reads the settings (or the canvas brush) that thread may change meanwhile.
struct CDisplayOptions {
  int32_t effect = 0;                 // the display enhancement (DisplayEnhancement)
  COLORREF canvas = RGB(39, 39, 39);  // shows through transparent pixels
  bool colour_managed = true;         // embedded colour profiles are applied

  // The settings as they are now; user-interface thread only.
  static CDisplayOptions Current();
};

// The last steps of every render for display: the source (already at its
// final size) becomes a premultiplied buffer, gets the display effect, and
// is drawn over the canvas colour into a new screen-compatible bitmap. The
// bitmap held in out is deleted first; on failure out is left as it was.
bool ComposeDisplayBitmap(IWICBitmapSource* source, const CDisplayOptions& options, HBITMAP& out);
