#include "image/metadata_reader.h"

#include <propidl.h>

#include <cwchar>
#include <string>

#include "basic_lib/win_util.h"
#include "framework/com_ptr.h"
#include "image/exif_query_reader.h"

namespace {

enum Tag {
  kTagMake = 271,
  kTagModel = 272,
  kTagOrientation = 274,
  kTagExposureTime = 33434,
  kTagFNumber = 33437,
  kTagExposureProgram = 34850,
  kTagIsoSpeed = 34855,
  kTagDateTimeOriginal = 36867,
  kTagMaxAperture = 37381,
  kTagMeteringMode = 37383,
  kTagFlash = 37385,
  kTagFocalLength = 37386,
  kTagWhiteBalance = 41987,
  kTagLensModel = 42036,
  kGpsLatitudeRef = 1,
  kGpsLatitude = 2,
  kGpsLongitudeRef = 3,
  kGpsLongitude = 4,
};

// Clears the variant when it goes out of scope.
class CPropVariant {
 public:
  CPropVariant() { PropVariantInit(&value_); }
  ~CPropVariant() { PropVariantClear(&value_); }
  CPropVariant(const CPropVariant&) = delete;
  CPropVariant& operator=(const CPropVariant&) = delete;

  PROPVARIANT* operator&() { return &value_; }
  const PROPVARIANT& operator*() const { return value_; }

 private:
  PROPVARIANT value_;
};

bool Query(IWICMetadataQueryReader* reader, const std::wstring& name, CPropVariant& value) {
  return reader && SUCCEEDED(reader->GetMetadataByName(name.c_str(), &value));
}

// Narrow texts in the metadata are in the thread's ANSI code page.
std::wstring FromAnsi(const char* text) {
  return text ? win_util::ToUtf16(text, CP_THREAD_ACP) : std::wstring();
}

std::wstring TextOf(const PROPVARIANT& value) {
  switch (value.vt) {
    case VT_LPSTR:
      return FromAnsi(value.pszVal);
    case VT_LPWSTR:
      return value.pwszVal ? std::wstring(value.pwszVal) : std::wstring();
    case VT_VECTOR | VT_LPSTR:
      return value.calpstr.cElems > 0 && value.calpstr.pElems ? FromAnsi(value.calpstr.pElems[0])
                                                              : std::wstring();
    default:
      return std::wstring();
  }
}

std::wstring Format(const wchar_t* format, double value) {
  wchar_t text[64] = {};
  std::swprintf(text, 64, format, value);
  return text;
}

float RationalOf(ULONGLONG packed) {
  const UINT32 numerator = static_cast<UINT32>(packed & 0xFFFFFFFFu);
  const UINT32 denominator = static_cast<UINT32>(packed >> 32);
  if (denominator == 0) {
    return 0.0f;
  }
  return static_cast<float>(numerator) / static_cast<float>(denominator);
}

// The orientation's low 16 bits for any integer type, scalar or the first
// element of a vector; other types carry no number to take bits from.
bool LowSixteenBits(const PROPVARIANT& value, int32_t& out) {
  auto first = [](const auto& vector, auto& element) {
    if (vector.cElems == 0 || !vector.pElems) {
      return false;
    }
    element = vector.pElems[0];
    return true;
  };
  ULONGLONG bits = 0;
  switch (value.vt) {
    case VT_UI1:
      bits = value.bVal;
      break;
    case VT_I1:
      bits = static_cast<ULONGLONG>(value.cVal);
      break;
    case VT_UI2:
      bits = value.uiVal;
      break;
    case VT_I2:
      bits = static_cast<ULONGLONG>(value.iVal);
      break;
    case VT_UI4:
      bits = value.ulVal;
      break;
    case VT_I4:
      bits = static_cast<ULONGLONG>(value.lVal);
      break;
    case VT_UINT:
      bits = value.uintVal;
      break;
    case VT_INT:
      bits = static_cast<ULONGLONG>(value.intVal);
      break;
    case VT_UI8:
      bits = value.uhVal.QuadPart;
      break;
    case VT_I8:
      bits = static_cast<ULONGLONG>(value.hVal.QuadPart);
      break;
    case VT_VECTOR | VT_UI2: {
      USHORT element = 0;
      if (!first(value.caui, element)) return false;
      bits = element;
      break;
    }
    case VT_VECTOR | VT_UI4: {
      ULONG element = 0;
      if (!first(value.caul, element)) return false;
      bits = element;
      break;
    }
    case VT_VECTOR | VT_UI1: {
      UCHAR element = 0;
      if (!first(value.caub, element)) return false;
      bits = element;
      break;
    }
    default:
      return false;
  }
  out = static_cast<int32_t>(bits & 0xFFFF);
  return true;
}

// True when the reader answers at least one of the names ReadExifFields asks.
bool AnswersAnyQuery(IWICMetadataQueryReader* reader) {
  const int primary[] = {kTagMake, kTagModel, kTagOrientation};
  const int exif[] = {kTagDateTimeOriginal, kTagLensModel,      kTagFNumber,
                      kTagMaxAperture,      kTagExposureTime,   kTagIsoSpeed,
                      kTagFocalLength,      kTagMeteringMode,   kTagFlash,
                      kTagWhiteBalance,     kTagExposureProgram};
  const int gps[] = {kGpsLatitudeRef, kGpsLatitude, kGpsLongitudeRef, kGpsLongitude};
  for (int tag : primary) {
    CPropVariant value;
    if (Query(reader, PrimaryTagQuery(tag), value)) return true;
  }
  for (int tag : exif) {
    CPropVariant value;
    if (Query(reader, ExifTagQuery(tag), value)) return true;
  }
  for (int tag : gps) {
    CPropVariant value;
    if (Query(reader, GpsTagQuery(tag), value)) return true;
  }
  return false;
}

std::wstring TagQuery(const wchar_t* format, int tag) {
  wchar_t name[64] = {};
  std::swprintf(name, 64, format, tag);
  return name;
}

}  // namespace

std::wstring PrimaryTagQuery(int tag) { return TagQuery(L"/app1/ifd/{ushort=%d}", tag); }
std::wstring ExifTagQuery(int tag) { return TagQuery(L"/app1/ifd/exif/{ushort=%d}", tag); }
std::wstring GpsTagQuery(int tag) { return TagQuery(L"/app1/ifd/gps/{ushort=%d}", tag); }

void ReadTextValue(IWICMetadataQueryReader* reader, const wchar_t* name, std::wstring& out) {
  CPropVariant value;
  if (Query(reader, name, value)) {
    out = TextOf(*value);
  }
}

void ReadIntegerValue(IWICMetadataQueryReader* reader, const wchar_t* name, std::wstring& out) {
  CPropVariant value;
  if (Query(reader, name, value) && (*value).vt == VT_UI2) {
    out = TagQuery(L"%d", (*value).uiVal);
  }
}

void ReadRationalValue(IWICMetadataQueryReader* reader, const wchar_t* name, std::wstring& out) {
  CPropVariant value;
  if (!Query(reader, name, value)) {
    return;
  }
  const float number = (*value).vt == VT_UI8 ? RationalOf((*value).uhVal.QuadPart) : 0.0f;
  out = Format(L"%.1f", number);
}

void ReadExposureTimeValue(IWICMetadataQueryReader* reader, const wchar_t* name,
                           std::wstring& out) {
  CPropVariant value;
  if (!Query(reader, name, value) || (*value).vt != VT_UI8) {
    return;
  }
  const ULONGLONG packed = (*value).uhVal.QuadPart;
  wchar_t text[32] = {};
  std::swprintf(text, 32, L"%d/%d", static_cast<int>(static_cast<UINT32>(packed & 0xFFFFFFFFu)),
                static_cast<int>(static_cast<UINT32>(packed >> 32)));
  out = text;
}

std::wstring ReadGpsCoordinate(IWICMetadataQueryReader* reader, int valueTag, int refTag,
                               const wchar_t* negativeRef) {
  CPropVariant coordinate;
  if (!Query(reader, GpsTagQuery(valueTag), coordinate)) {
    return std::wstring();
  }
  float degrees = 0.0f;
  const PROPVARIANT& parts = *coordinate;
  if (parts.vt == (VT_VECTOR | VT_UI8) && parts.cauh.cElems >= 3 && parts.cauh.pElems) {
    const ULARGE_INTEGER* elements = parts.cauh.pElems;
    if ((elements[0].QuadPart >> 32) != 0 && (elements[1].QuadPart >> 32) != 0 &&
        (elements[2].QuadPart >> 32) != 0) {
      degrees = RationalOf(elements[0].QuadPart) + RationalOf(elements[1].QuadPart) / 60.0f +
                RationalOf(elements[2].QuadPart) / 3600.0f;
    }
  }
  CPropVariant reference;
  if (Query(reader, GpsTagQuery(refTag), reference) && negativeRef &&
      _wcsicmp(TextOf(*reference).c_str(), negativeRef) == 0) {
    degrees = -degrees;
  }
  return Format(L"%f", degrees);
}

void ReadExifFields(CExifInfo& info, IWICMetadataQueryReader* reader) {
  ReadTextValue(reader, ExifTagQuery(kTagDateTimeOriginal).c_str(), info.date_taken);
  const std::wstring latitude = ReadGpsCoordinate(reader, kGpsLatitude, kGpsLatitudeRef, L"S");
  if (!latitude.empty()) {
    const std::wstring longitude = ReadGpsCoordinate(reader, kGpsLongitude, kGpsLongitudeRef, L"W");
    if (!longitude.empty()) {
      info.gps = latitude + L"," + longitude;
    }
  }
  ReadTextValue(reader, PrimaryTagQuery(kTagMake).c_str(), info.make);
  ReadTextValue(reader, PrimaryTagQuery(kTagModel).c_str(), info.model);
  ReadTextValue(reader, ExifTagQuery(kTagLensModel).c_str(), info.lens_model);
  ReadRationalValue(reader, ExifTagQuery(kTagFNumber).c_str(), info.f_number);
  ReadRationalValue(reader, ExifTagQuery(kTagMaxAperture).c_str(), info.max_aperture);
  ReadExposureTimeValue(reader, ExifTagQuery(kTagExposureTime).c_str(), info.exposure_time);
  ReadIntegerValue(reader, ExifTagQuery(kTagIsoSpeed).c_str(), info.iso);
  ReadRationalValue(reader, ExifTagQuery(kTagFocalLength).c_str(), info.focal_length);
  ReadIntegerValue(reader, ExifTagQuery(kTagMeteringMode).c_str(), info.metering_mode);
  ReadIntegerValue(reader, ExifTagQuery(kTagFlash).c_str(), info.flash);
  ReadIntegerValue(reader, ExifTagQuery(kTagWhiteBalance).c_str(), info.white_balance);
  ReadIntegerValue(reader, ExifTagQuery(kTagExposureProgram).c_str(), info.exposure_program);
  CPropVariant orientation;
  if (Query(reader, PrimaryTagQuery(kTagOrientation), orientation)) {
    LowSixteenBits(*orientation, info.orientation);
  }
}

namespace {

void SetDpi(CExifInfo& info, double dpi_x) {
  if (dpi_x > 0 && dpi_x < 2147483647.0) {
    info.dpi = static_cast<int32_t>(dpi_x + 0.5);
  }
}

}  // namespace

void ReadFrameMetadata(CExifInfo& info, IWICBitmapFrameDecode* frame, const wchar_t* jpeg_path) {
  if (!frame) {
    return;
  }
  ComPtr<IWICMetadataQueryReader> reader;
  if (FAILED(frame->GetMetadataQueryReader(reader.Receive()))) {
    reader.Reset();
  }
  // Some platforms give JPEG frames a reader that answers nothing; the file's
  // own EXIF segment then stands in, read through the same query names.
  if (jpeg_path && (!reader || !AnswersAnyQuery(reader.Get()))) {
    if (ComPtr<IWICMetadataQueryReader> own = CExifQueryReader::CreateFromJpegFile(jpeg_path)) {
      reader = own;
    }
  }
  if (!reader) {
    return;
  }
  ReadExifFields(info, reader.Get());
  double dpi_x = 0;
  double dpi_y = 0;
  if (SUCCEEDED(frame->GetResolution(&dpi_x, &dpi_y))) {
    SetDpi(info, dpi_x);
  }
}

void ReadJpegFileMetadata(CExifInfo& info, const wchar_t* jpeg_path, double dpi_x) {
  // A JPEG frame always has a reader, so its resolution is always read.
  if (ComPtr<IWICMetadataQueryReader> reader = CExifQueryReader::CreateFromJpegFile(jpeg_path)) {
    ReadExifFields(info, reader.Get());
  }
  SetDpi(info, dpi_x);
}

void ReadExifBlock(CExifInfo& info, const uint8_t* block, size_t size) {
  if (!block || size == 0) {
    return;
  }
  ComPtr<IWICMetadataQueryReader> reader = CExifQueryReader::CreateFromBlock(block, size);
  if (!reader) {
    return;
  }
  ReadExifFields(info, reader.Get());
  info.orientation = 0;
}
