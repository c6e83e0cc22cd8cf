// The platform half of the EXIF parser: fields as the metadata reader's
// variants. The parsing itself has no platform dependency.
#include "image/exif_parser.h"

#include <windows.h>
#include <objbase.h>
#include <propidl.h>

#include <cstring>

namespace {

// Allocates a vector variant's elements with the task allocator, as
// PropVariantClear expects.
template <class Element, class Vector>
bool AllocateVector(Vector& vector, uint32_t count) {
  vector.cElems = count;
  vector.pElems = nullptr;
  if (count == 0) {
    return true;
  }
  vector.pElems = static_cast<Element*>(CoTaskMemAlloc(sizeof(Element) * count));
  return vector.pElems != nullptr;
}

}  // namespace

bool CExifParser::ToPropVariant(const Field& field, PROPVARIANT* out) const {
  PropVariantInit(out);
  const uint8_t* p = field.bytes.data();
  const uint32_t n = field.count;
  const bool vector = n != 1;
  switch (field.type) {
    case kAscii: {
      // Up to the first zero; the count need not include it.
      size_t length = 0;
      while (length < field.bytes.size() && p[length] != 0) {
        ++length;
      }
      char* text = static_cast<char*>(CoTaskMemAlloc(length + 1));
      if (!text) {
        return false;
      }
      std::memcpy(text, p, length);
      text[length] = '\0';
      out->vt = VT_LPSTR;
      out->pszVal = text;
      return true;
    }
    case kUndefined: {
      out->vt = VT_BLOB;
      out->blob.cbSize = n;
      out->blob.pBlobData = n ? static_cast<BYTE*>(CoTaskMemAlloc(n)) : nullptr;
      if (n && !out->blob.pBlobData) {
        out->vt = VT_EMPTY;
        return false;
      }
      if (n) {
        std::memcpy(out->blob.pBlobData, p, n);
      }
      return true;
    }
    case kByte:
    case kSignedByte: {
      const VARTYPE type = field.type == kByte ? VT_UI1 : VT_I1;
      if (!vector) {
        out->vt = type;
        out->bVal = p[0];
        return true;
      }
      if (!AllocateVector<UCHAR>(out->caub, n)) return false;
      out->vt = VT_VECTOR | type;
      if (n) std::memcpy(out->caub.pElems, p, n);
      return true;
    }
    case kShort:
    case kSignedShort: {
      const VARTYPE type = field.type == kShort ? VT_UI2 : VT_I2;
      if (!vector) {
        out->vt = type;
        out->uiVal = Read16(p);
        return true;
      }
      if (!AllocateVector<USHORT>(out->caui, n)) return false;
      out->vt = VT_VECTOR | type;
      for (uint32_t i = 0; i < n; ++i) out->caui.pElems[i] = Read16(p + 2 * i);
      return true;
    }
    case kLong:
    case kSignedLong:
    case kIfd: {
      const VARTYPE type = field.type == kSignedLong ? VT_I4 : VT_UI4;
      if (!vector) {
        out->vt = type;
        out->ulVal = Read32(p);
        return true;
      }
      if (!AllocateVector<ULONG>(out->caul, n)) return false;
      out->vt = VT_VECTOR | type;
      for (uint32_t i = 0; i < n; ++i) out->caul.pElems[i] = Read32(p + 4 * i);
      return true;
    }
    case kRational:
    case kSignedRational: {
      // Numerator in the low half, denominator in the high half.
      auto packed = [&](uint32_t i) {
        return uint64_t{Read32(p + 8 * i + 4)} << 32 | Read32(p + 8 * i);
      };
      const VARTYPE type = field.type == kRational ? VT_UI8 : VT_I8;
      if (!vector) {
        out->vt = type;
        out->uhVal.QuadPart = packed(0);
        return true;
      }
      if (!AllocateVector<ULARGE_INTEGER>(out->cauh, n)) return false;
      out->vt = VT_VECTOR | type;
      for (uint32_t i = 0; i < n; ++i) out->cauh.pElems[i].QuadPart = packed(i);
      return true;
    }
    case kFloat: {
      auto value = [&](uint32_t i) {
        const uint32_t bits = Read32(p + 4 * i);
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
      };
      if (!vector) {
        out->vt = VT_R4;
        out->fltVal = value(0);
        return true;
      }
      if (!AllocateVector<FLOAT>(out->caflt, n)) return false;
      out->vt = VT_VECTOR | VT_R4;
      for (uint32_t i = 0; i < n; ++i) out->caflt.pElems[i] = value(i);
      return true;
    }
    case kDouble: {
      auto value = [&](uint32_t i) {
        const uint64_t bits = Read64(p + 8 * i);
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
      };
      if (!vector) {
        out->vt = VT_R8;
        out->dblVal = value(0);
        return true;
      }
      if (!AllocateVector<DOUBLE>(out->cadbl, n)) return false;
      out->vt = VT_VECTOR | VT_R8;
      for (uint32_t i = 0; i < n; ++i) out->cadbl.pElems[i] = value(i);
      return true;
    }
    default:
      return false;
  }
}
