// Opening an archive from a file: the only part of the reader that needs the
// platform's file functions, kept apart so the parser builds on its own.
#include <windows.h>

#include <algorithm>

#include "framework/handle.h"
#include "toolkit/zip_archive.h"

namespace {

class CFileSource : public CZipArchive::CSource {
 public:
  explicit CFileSource(const std::wstring& path) {
    // Others may read, replace or delete the file while it is open.
    file_.Attach(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (file_ && GetFileSizeEx(file_.get(), &size)) {
      size_ = static_cast<uint64_t>(size.QuadPart);
    }
  }

  bool IsOpen() const { return file_.IsValid(); }
  uint64_t Size() const override { return size_; }
  bool Read(uint64_t offset, size_t size, uint8_t* out) const override {
    if (offset > size_ || size > size_ - offset) {
      return false;
    }
    while (size > 0) {
      OVERLAPPED at = {};
      at.Offset = static_cast<DWORD>(offset);
      at.OffsetHigh = static_cast<DWORD>(offset >> 32);
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 24));
      DWORD read = 0;
      if (!ReadFile(file_.get(), out, chunk, &read, &at) || read == 0) {
        return false;
      }
      out += read;
      offset += read;
      size -= read;
    }
    return true;
  }

 private:
  CHandle file_;
  uint64_t size_ = 0;
};

}  // namespace

bool CZipArchive::OpenFile(const std::wstring& path) {
  auto file = std::make_unique<CFileSource>(path);
  if (!file->IsOpen()) {
    return OpenSource(nullptr);
  }
  return OpenSource(std::move(file));
}
