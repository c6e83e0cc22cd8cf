#include "image/exif_query_reader.h"

#include <shlwapi.h>

#include <cwchar>
#include <new>

#include "image/jpeg_exif_block.h"

namespace {

struct QueryPrefix {
  const wchar_t* text;
  CExifParser::Directory directory;
};

const QueryPrefix kPrefixes[] = {
    {L"/app1/ifd/exif/{ushort=", CExifParser::kExif},
    {L"/app1/ifd/gps/{ushort=", CExifParser::kGps},
    {L"/app1/ifd/{ushort=", CExifParser::kPrimary},
};

}  // namespace

ComPtr<IWICMetadataQueryReader> CExifQueryReader::CreateFromBlock(const uint8_t* block,
                                                                  size_t size) {
  CExifQueryReader* reader = new (std::nothrow) CExifQueryReader();
  if (!reader) {
    return nullptr;
  }
  ComPtr<IWICMetadataQueryReader> owned;
  owned.Attach(reader);
  if (!reader->parser_.Parse(block, size)) {
    return nullptr;
  }
  return owned;
}

ComPtr<IWICMetadataQueryReader> CExifQueryReader::CreateFromJpegFile(const std::wstring& path) {
  std::vector<uint8_t> block;
  if (!CJpegExifBlock::FindInFile(path, &block)) {
    return nullptr;
  }
  return CreateFromBlock(block.data(), block.size());
}

bool CExifQueryReader::ParseQueryName(const wchar_t* name, CExifParser::Directory* directory,
                                      uint16_t* tag) {
  if (!name) {
    return false;
  }
  for (const QueryPrefix& prefix : kPrefixes) {
    const size_t length = wcslen(prefix.text);
    if (_wcsnicmp(name, prefix.text, length) != 0) {
      continue;
    }
    const wchar_t* digits = name + length;
    uint32_t value = 0;
    const wchar_t* p = digits;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
      value = value * 10 + static_cast<uint32_t>(*p - L'0');
      if (value > 0xFFFF) {
        return false;
      }
    }
    if (p == digits || p[0] != L'}' || p[1] != L'\0') {
      return false;
    }
    *directory = prefix.directory;
    *tag = static_cast<uint16_t>(value);
    return true;
  }
  return false;
}

HRESULT CExifQueryReader::QueryInterface(REFIID iid, void** object) {
  if (!object) {
    return E_POINTER;
  }
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IWICMetadataQueryReader)) {
    *object = static_cast<IWICMetadataQueryReader*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CExifQueryReader::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG CExifQueryReader::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) {
    delete this;
  }
  return static_cast<ULONG>(left);
}

HRESULT CExifQueryReader::GetContainerFormat(GUID* format) {
  if (!format) {
    return E_INVALIDARG;
  }
  *format = GUID_ContainerFormatJpeg;
  return S_OK;
}

HRESULT CExifQueryReader::GetLocation(UINT max_length, WCHAR* location, UINT* actual_length) {
  if (!actual_length) {
    return E_INVALIDARG;
  }
  *actual_length = 2;
  if (location) {
    if (max_length < 2) {
      return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    }
    location[0] = L'/';
    location[1] = L'\0';
  }
  return S_OK;
}

HRESULT CExifQueryReader::GetMetadataByName(LPCWSTR name, PROPVARIANT* value) {
  CExifParser::Directory directory = CExifParser::kPrimary;
  uint16_t tag = 0;
  if (!ParseQueryName(name, &directory, &tag)) {
    return WINCODEC_ERR_PROPERTYNOTFOUND;
  }
  const CExifParser::Field* field = parser_.Find(directory, tag);
  if (!field) {
    return WINCODEC_ERR_PROPERTYNOTFOUND;
  }
  if (!value) {
    return S_OK;  // a null value only asks whether the name exists
  }
  return parser_.ToPropVariant(*field, value) ? S_OK : E_OUTOFMEMORY;
}

HRESULT CExifQueryReader::GetEnumerator(IEnumString** names) {
  if (names) {
    *names = nullptr;
  }
  return E_NOTIMPL;
}
