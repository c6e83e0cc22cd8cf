// graph\Render.dll: the viewer's conversion module.
#include <windows.h>

#include "image_converter.h"

// Converts source into target, in the format of target's extension. 1 on
// success, 0 otherwise (the viewer does not look at the result).
extern "C" __declspec(dllexport) int __stdcall ConvertImg(const wchar_t* source,
                                                          const wchar_t* target, int quality,
                                                          int orientation) {
  if (!source || !target) {
    return 0;
  }
  return ConvertImage(source, target, quality, orientation) ? 1 : 0;
}
