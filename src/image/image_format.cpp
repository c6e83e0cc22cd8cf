#include "image/image_format.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwchar>

#include "image/file_filters.h"

namespace {

struct FormatList {
  unsigned int format_class;
  const wchar_t* extensions;
};

// Tested in this order; the first list holding the extension decides, so jng
// and j2c yield their own classes although the last list holds them too.
const FormatList kFormatLists[] = {
    {kFormatBmp, L",bmp,dib,"},
    {kFormatJpeg, L",jpg,jpeg,jfif,jpe,"},
    {kFormatGif, L",gif,"},
    {kFormatTiff, L",tiff,tif,"},
    {kFormatPng, L",png,"},
    {kFormatIco, L",ico,"},
    {kFormatPsd, L",psd,"},
    {kFormatTga, L",tga,"},
    {kFormatOxo, L",oxo,"},
    {kFormatWmf, L",wmf,"},
    {kFormatEmf, L",emf,"},
    {kFormatJng, L",jng,"},
    {kFormatJ2c, L",j2c,"},
    {kFormatCameraRaw,
     L",3fr,arw,bay,bmq,cap,cine,cr2,cr3,crw,cs1,dc2,dcr,drf,dsc,dng,erf,fff,ia,iiq,k25,kc2,kdc,"
     L"mdc,mef,mos,mrw,nef,nrw,orf,pef,ptx,pxn,qtk,raf,raw,rdc,rw2,rwl,rwz,sr2,srf,srw,sti,x3f,"},
    {kFormatOther,
     L",cut,dds,exr,g3,hdr,iff,lbm,j2k,j2c,jng,jp2,jxr,wdp,hdp,koa,pcd,pcx,pfm,pct,pict,pic,pbm,"
     L"pgm,ppm,ras,sgi,rgb,rgba,bw,wap,wbmp,wbm,webp,xbm,xpm,heic,heif,hif,avif,"},
};

}  // namespace

unsigned int GetImageFormatClass(const wchar_t* path) {
  if (!path) {
    return kFormatNone;
  }
  const wchar_t* extension = PathFindExtensionW(path);
  if (*extension) {
    ++extension;
  }
  const std::wstring probe = L"," + std::wstring(extension) + L",";
  for (const FormatList& list : kFormatLists) {
    if (StrStrIW(list.extensions, probe.c_str())) {
      return list.format_class;
    }
  }
  return kFormatNone;
}

const wchar_t* GetSaveExtensionForFilter(int filter_index) {
  switch (filter_index) {
    case 2:
      return L".png";
    case 3:
      return L".bmp";
    case 4:
      return L".gif";
    case 5:
      return L".tiff";
    default:
      return L".jpg";
  }
}

std::wstring ApplySaveExtension(const std::wstring& path, int filter_index) {
  if (IsNativeEncodableClass(GetImageFormatClass(path))) {
    return path;
  }
  return path + GetSaveExtensionForFilter(filter_index);
}

std::wstring GetOpenFileFilter(const std::wstring& caption) {
  // The program's string 500 when present; test programs carry no resources.
  const wchar_t* format = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), IDS_OPEN_FILE_FILTER,
                                 reinterpret_cast<LPWSTR>(&format), 0);
  std::wstring pattern = length > 0 ? std::wstring(format, length) : LUMORA_OPEN_FILTER_FORMAT;
  const size_t at = pattern.find(L"%s");
  if (at != std::wstring::npos) {
    pattern.replace(at, 2, caption);
  }
  return pattern;
}
