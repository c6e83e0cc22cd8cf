#pragma once

#include <string>

// Rewrites the EXIF orientation tag of a JPEG file in place through the
// platform's fast metadata encoder, leaving the compressed pixels alone.
// Where the platform has no fast encoder, the two bytes of an existing tag
// are rewritten directly. False when neither can (no room for the tag, no
// EXIF segment) or the file cannot be written; the file is then unchanged.
bool WriteOrientationInPlace(const std::wstring& path, int orientation);
