#pragma once

#include <windows.h>
#include <objidl.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/com_ptr.h"
#include "image/wic_factory.h"

namespace test_support {

using Bytes = std::vector<uint8_t>;

// Writes TIFF structures (IFD0, Exif and GPS IFDs) in either byte order, with
// the pointer tags filled in, so tests can state exact EXIF contents.
class TiffBuilder {
 public:
  enum Directory { kPrimary = 0, kExif = 1, kGps = 2 };

  explicit TiffBuilder(bool big_endian) : big_endian_(big_endian) {}

  TiffBuilder& Ascii(Directory d, uint16_t tag, const std::string& text) {
    Bytes value(text.begin(), text.end());
    value.push_back(0);
    return Raw(d, tag, 2, static_cast<uint32_t>(value.size()), value);
  }
  TiffBuilder& Shorts(Directory d, uint16_t tag, const std::vector<uint16_t>& values) {
    Bytes value;
    for (uint16_t v : values) Put(value, v, 2);
    return Raw(d, tag, 3, static_cast<uint32_t>(values.size()), value);
  }
  TiffBuilder& Longs(Directory d, uint16_t tag, const std::vector<uint32_t>& values,
                     uint16_t type = 4) {
    Bytes value;
    for (uint32_t v : values) Put(value, v, 4);
    return Raw(d, tag, type, static_cast<uint32_t>(values.size()), value);
  }
  TiffBuilder& Rationals(Directory d, uint16_t tag,
                         const std::vector<std::pair<uint32_t, uint32_t>>& values,
                         uint16_t type = 5) {
    Bytes value;
    for (const auto& [numerator, denominator] : values) {
      Put(value, numerator, 4);
      Put(value, denominator, 4);
    }
    return Raw(d, tag, type, static_cast<uint32_t>(values.size()), value);
  }
  // value holds the bytes as they are stored (already in the byte order).
  TiffBuilder& Raw(Directory d, uint16_t tag, uint16_t type, uint32_t count, const Bytes& value) {
    entries_[d][tag] = Entry{type, count, value};
    return *this;
  }

  Bytes Build() const {
    std::map<int, std::map<uint16_t, Entry>> entries = entries_;
    // Pointer entries first get a placeholder; their offsets are known later.
    for (int d : {kExif, kGps}) {
      if (!entries[d].empty()) {
        entries[kPrimary][d == kExif ? 34665 : 34853] = Entry{4, 1, Bytes(4, 0)};
      }
    }
    uint32_t directory_offsets[3] = {};
    uint32_t offset = 8;
    for (int d : {kPrimary, kExif, kGps}) {
      if (d != kPrimary && entries[d].empty()) continue;
      directory_offsets[d] = offset;
      offset += 2 + 12 * static_cast<uint32_t>(entries[d].size()) + 4;
    }
    Bytes out;
    out.push_back(big_endian_ ? 'M' : 'I');
    out.push_back(big_endian_ ? 'M' : 'I');
    Put(out, 42, 2);
    Put(out, 8, 4);
    Bytes data;
    for (int d : {kPrimary, kExif, kGps}) {
      if (d != kPrimary && entries[d].empty()) continue;
      Put(out, static_cast<uint32_t>(entries[d].size()), 2);
      for (auto& [tag, entry] : entries[d]) {
        Bytes value = entry.value;
        if (d == kPrimary && (tag == 34665 || tag == 34853)) {
          value.clear();
          Put(value, directory_offsets[tag == 34665 ? kExif : kGps], 4);
        }
        Put(out, tag, 2);
        Put(out, entry.type, 2);
        Put(out, entry.count, 4);
        if (value.size() <= 4) {
          value.resize(4, 0);
          out.insert(out.end(), value.begin(), value.end());
        } else {
          Put(out, offset + static_cast<uint32_t>(data.size()), 4);
          data.insert(data.end(), value.begin(), value.end());
          if (data.size() % 2) data.push_back(0);
        }
      }
      Put(out, 0, 4);  // no next directory
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
  }

  // Stores value in the builder's byte order.
  void Put(Bytes& out, uint32_t value, int size) const {
    for (int i = 0; i < size; ++i) {
      const int shift = big_endian_ ? 8 * (size - 1 - i) : 8 * i;
      out.push_back(static_cast<uint8_t>(value >> shift));
    }
  }

 private:
  struct Entry {
    uint16_t type;
    uint32_t count;
    Bytes value;
  };
  bool big_endian_;
  std::map<int, std::map<uint16_t, Entry>> entries_;
};

// A JPEG of one colour written by the platform's encoder.
inline Bytes EncodeJpeg(UINT width, UINT height, BYTE red, BYTE green, BYTE blue) {
  IWICImagingFactory* factory = CWICFactory::Get();
  ComPtr<IStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  EXPECT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()));
  EXPECT_HRESULT_SUCCEEDED(
      factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.Receive()));
  EXPECT_HRESULT_SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache));
  EXPECT_HRESULT_SUCCEEDED(encoder->CreateNewFrame(frame.Receive(), options.Receive()));
  EXPECT_HRESULT_SUCCEEDED(frame->Initialize(options.Get()));
  EXPECT_HRESULT_SUCCEEDED(frame->SetSize(width, height));
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  EXPECT_HRESULT_SUCCEEDED(frame->SetPixelFormat(&format));
  const UINT stride = (width * 3 + 3) / 4 * 4;
  Bytes pixels(size_t{stride} * height);
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      uint8_t* p = pixels.data() + size_t{y} * stride + x * 3;
      p[0] = blue;
      p[1] = green;
      p[2] = red;
    }
  }
  EXPECT_HRESULT_SUCCEEDED(
      frame->WritePixels(height, stride, static_cast<UINT>(pixels.size()), pixels.data()));
  EXPECT_HRESULT_SUCCEEDED(frame->Commit());
  EXPECT_HRESULT_SUCCEEDED(encoder->Commit());
  HGLOBAL memory = nullptr;
  EXPECT_HRESULT_SUCCEEDED(GetHGlobalFromStream(stream.Get(), &memory));
  STATSTG stat = {};
  EXPECT_HRESULT_SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME));
  const uint8_t* bytes = static_cast<const uint8_t*>(GlobalLock(memory));
  Bytes jpeg(bytes, bytes + stat.cbSize.QuadPart);
  GlobalUnlock(memory);
  return jpeg;
}

// jpeg with a marker segment inserted right after its start marker.
inline Bytes WithSegment(const Bytes& jpeg, uint8_t marker, const Bytes& payload) {
  const size_t length = payload.size() + 2;
  Bytes out = {jpeg[0],
               jpeg[1],
               0xFF,
               marker,
               static_cast<uint8_t>(length >> 8),
               static_cast<uint8_t>(length & 0xFF)};
  out.insert(out.end(), payload.begin(), payload.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

inline Bytes ExifPayload(const Bytes& tiff) {
  Bytes payload = {'E', 'x', 'i', 'f', 0, 0};
  payload.insert(payload.end(), tiff.begin(), tiff.end());
  return payload;
}

inline Bytes WithExif(const Bytes& jpeg, const Bytes& tiff) {
  return WithSegment(jpeg, 0xE1, ExifPayload(tiff));
}

// Equal type and value, for the variant types EXIF fields produce.
inline ::testing::AssertionResult SameVariant(const PROPVARIANT& a, const PROPVARIANT& b) {
  if (a.vt != b.vt) {
    return ::testing::AssertionFailure() << "types 0x" << std::hex << a.vt << " and 0x" << b.vt;
  }
  auto vectors_equal = [](const auto& x, const auto& y) {
    if (x.cElems != y.cElems) return false;
    for (ULONG i = 0; i < x.cElems; ++i) {
      if (memcmp(&x.pElems[i], &y.pElems[i], sizeof(x.pElems[i])) != 0) return false;
    }
    return true;
  };
  bool equal = false;
  switch (a.vt) {
    case VT_LPSTR:
      equal = strcmp(a.pszVal, b.pszVal) == 0;
      break;
    case VT_UI1:
    case VT_I1:
      equal = a.bVal == b.bVal;
      break;
    case VT_UI2:
    case VT_I2:
      equal = a.uiVal == b.uiVal;
      break;
    case VT_UI4:
    case VT_I4:
      equal = a.ulVal == b.ulVal;
      break;
    case VT_UI8:
    case VT_I8:
      equal = a.uhVal.QuadPart == b.uhVal.QuadPart;
      break;
    case VT_R4:
      equal = a.fltVal == b.fltVal;
      break;
    case VT_R8:
      equal = a.dblVal == b.dblVal;
      break;
    case VT_BLOB:
      equal = a.blob.cbSize == b.blob.cbSize &&
              memcmp(a.blob.pBlobData, b.blob.pBlobData, a.blob.cbSize) == 0;
      break;
    case VT_VECTOR | VT_UI1:
    case VT_VECTOR | VT_I1:
      equal = vectors_equal(a.caub, b.caub);
      break;
    case VT_VECTOR | VT_UI2:
    case VT_VECTOR | VT_I2:
      equal = vectors_equal(a.caui, b.caui);
      break;
    case VT_VECTOR | VT_UI4:
    case VT_VECTOR | VT_I4:
      equal = vectors_equal(a.caul, b.caul);
      break;
    case VT_VECTOR | VT_UI8:
    case VT_VECTOR | VT_I8:
      equal = vectors_equal(a.cauh, b.cauh);
      break;
    default:
      return ::testing::AssertionFailure() << "type 0x" << std::hex << a.vt << " not compared";
  }
  return equal ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "values differ";
}

inline std::string AsString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace test_support
