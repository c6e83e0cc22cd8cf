#pragma once

#include <string>

// Decodes source through the platform (the imaging component, then GDI+,
// then the external decoder module), turns it upright by the EXIF
// orientation (1 to 8; 0 leaves it as stored; -1 takes the file's own tag)
// and writes target in the format its extension names. An existing target
// is replaced only once the new file is complete. quality (0 to 100)
// applies to JPEG.
bool ConvertImage(const std::wstring& source, const std::wstring& target, int quality,
                  int orientation);
