#pragma once

#include <string>

#include "image/obj_image.h"

// Reads "<program folder>\resources\<name>" with GDI+ into a 32-bit buffer,
// premultiplied (ready for DrawTo) unless straight alpha is asked for, for
// pictures an effect fades first. False (and an empty buffer) when the file
// is missing or unreadable.
bool LoadResourcePicture(const std::wstring& name, FCObjImage& image, bool premultiplied = true);

// The same for any file.
bool LoadPictureFile(const std::wstring& path, FCObjImage& image, bool premultiplied = true);
