#pragma once

#include <string>

// Rewrites the EXIF orientation tag of a JPEG file in place through the
// platform's fast metadata encoder, leaving the compressed pixels alone.
// False when the platform cannot (no fast encoder or query writer, no room
// for the tag) or the file cannot be written; the file is then unchanged.
bool WriteOrientationInPlace(const std::wstring& path, int orientation);
