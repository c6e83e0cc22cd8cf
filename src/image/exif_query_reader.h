#pragma once

#include <wincodec.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/com_ptr.h"
#include "image/exif_parser.h"

// A metadata query reader of our own over a parsed EXIF block. It answers the
// names "/app1/ifd/{ushort=N}", "/app1/ifd/exif/{ushort=N}" and
// "/app1/ifd/gps/{ushort=N}" with the variants the platform's reader gives,
// and stands in for a JPEG frame whose platform reader answers nothing.
class CExifQueryReader : public IWICMetadataQueryReader {
 public:
  // Null when the block is not a usable TIFF structure.
  static ComPtr<IWICMetadataQueryReader> CreateFromBlock(const uint8_t* block, size_t size);
  // Null when the file is not a JPEG or has no EXIF segment.
  static ComPtr<IWICMetadataQueryReader> CreateFromJpegFile(const std::wstring& path);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IWICMetadataQueryReader
  HRESULT STDMETHODCALLTYPE GetContainerFormat(GUID* format) override;
  HRESULT STDMETHODCALLTYPE GetLocation(UINT max_length, WCHAR* location,
                                        UINT* actual_length) override;
  HRESULT STDMETHODCALLTYPE GetMetadataByName(LPCWSTR name, PROPVARIANT* value) override;
  HRESULT STDMETHODCALLTYPE GetEnumerator(IEnumString** names) override;

  // Splits a query name into its directory and tag; false for other names.
  static bool ParseQueryName(const wchar_t* name, CExifParser::Directory* directory, uint16_t* tag);

 private:
  CExifQueryReader() = default;
  virtual ~CExifQueryReader() = default;

  LONG references_ = 1;
  CExifParser parser_;
};
