#include "effects/effect_copy_to_clipboard.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdint>
#include <cstring>
#include <cwchar>

#include "basic_lib/win_util.h"
#include "image/obj_image.h"

namespace {

// Movable global memory owned until handed to the clipboard.
class CGlobalMemory {
 public:
  CGlobalMemory(UINT flags, SIZE_T size) : handle_(GlobalAlloc(flags, size)) {}
  ~CGlobalMemory() {
    if (handle_) {
      GlobalFree(handle_);
    }
  }
  CGlobalMemory(const CGlobalMemory&) = delete;
  CGlobalMemory& operator=(const CGlobalMemory&) = delete;

  HGLOBAL get() const { return handle_; }
  // The clipboard owns the memory once SetClipboardData succeeded.
  bool HandTo(UINT format) {
    if (!handle_ || !SetClipboardData(format, handle_)) {
      return false;
    }
    handle_ = nullptr;
    return true;
  }

 private:
  HGLOBAL handle_;
};

// The DIB: header then every row in storage order. Null when the memory
// cannot be had; GetLastError tells why.
bool FillDib(CGlobalMemory& memory, const FCObjImage& image, size_t pixel_bytes) {
  if (!memory.get()) {
    return false;
  }
  auto* bytes = static_cast<BYTE*>(GlobalLock(memory.get()));
  if (!bytes) {
    return false;
  }
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = image.Width();
  header.biHeight = image.SignedHeight();
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(image.ColorBits());
  header.biCompression = BI_RGB;
  std::memcpy(bytes, &header, sizeof(header));
  std::memcpy(bytes + sizeof(header), image.GetMemStart(), pixel_bytes);
  GlobalUnlock(memory.get());
  return true;
}

// A DROPFILES record naming one file; the zeroed memory supplies the
// list's closing zero.
void PutFileList(const std::wstring& path) {
  const size_t bytes = sizeof(DROPFILES) + sizeof(wchar_t) * (path.size() + 2);
  CGlobalMemory list(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  CGlobalMemory effect(GMEM_MOVEABLE, sizeof(DWORD));
  if (!list.get() || !effect.get()) {
    return;
  }
  auto* drop = static_cast<DROPFILES*>(GlobalLock(list.get()));
  if (!drop) {
    return;
  }
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES), path.c_str(),
              sizeof(wchar_t) * (path.size() + 1));
  GlobalUnlock(list.get());

  auto* value = static_cast<DWORD*>(GlobalLock(effect.get()));
  if (!value) {
    return;
  }
  *value = DROPEFFECT_COPY;
  GlobalUnlock(effect.get());

  list.HandTo(CF_HDROP);
  effect.HandTo(RegisterClipboardFormatW(L"Preferred DropEffect"));
}

void ShowTooLarge(DWORD error) {
  wchar_t caption[64] = {};
  std::swprintf(caption, 64, FCEffectCopyToClipboard::kErrorCaptionFormat, static_cast<int>(error));
  MessageBoxW(nullptr, FCEffectCopyToClipboard::kTooLargeText, caption, MB_ICONERROR);
}

}  // namespace

void FCEffectCopyToClipboard::ApplyToImage(FCObjImage& image, FCProgressObserver* /*observer*/) {
  // Sizes are worked out wide: a huge picture must fail the allocation, not
  // wrap around to a small one.
  const uint64_t stride =
      (uint64_t{static_cast<uint32_t>(image.ColorBits())} * static_cast<uint32_t>(image.Width()) +
       31) /
      32 * 4;
  const uint64_t pixel_bytes = stride * static_cast<uint32_t>(image.Height());
  const uint64_t total = sizeof(BITMAPINFOHEADER) + pixel_bytes;
  if (total > SIZE_MAX / 2) {
    ShowTooLarge(ERROR_NOT_ENOUGH_MEMORY);
    return;
  }
  CGlobalMemory dib(GMEM_MOVEABLE, static_cast<SIZE_T>(total));
  if (!FillDib(dib, image, static_cast<size_t>(pixel_bytes))) {
    ShowTooLarge(GetLastError());
    return;
  }
  if (!OpenClipboard(nullptr)) {
    return;
  }
  EmptyClipboard();
  dib.HandTo(CF_DIB);
  if (win_util::PathExists(file_path_)) {
    PutFileList(file_path_);
  }
  CloseClipboard();
}
