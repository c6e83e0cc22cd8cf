#include "folder/fit_bitmap_store.h"

#include <algorithm>

namespace {

bool SameOptions(const CDisplayOptions& a, const CDisplayOptions& b) {
  return a.effect == b.effect && a.canvas == b.canvas && a.colour_managed == b.colour_managed;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

}  // namespace

CFitBitmapStore::~CFitBitmapStore() { Clear(); }

FILETIME CFitBitmapStore::LastWriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    return FILETIME{};
  }
  return data.ftLastWriteTime;
}

void CFitBitmapStore::set_budget(size_t bytes) {
  budget_ = bytes;
  EvictTo(budget_);
}

void CFitBitmapStore::EvictTo(size_t bytes) {
  // The newest bitmaps are of the farthest neighbours: they go first.
  while (bytes_ > bytes && !entries_.empty()) {
    DeleteObject(entries_.back().bitmap);
    bytes_ -= entries_.back().bytes;
    entries_.pop_back();
  }
}

bool CFitBitmapStore::Put(const std::wstring& path, UINT width, UINT height,
                          const CDisplayOptions& options, const FILETIME& written, HBITMAP bitmap) {
  if (!bitmap) {
    return false;
  }
  const size_t bytes = static_cast<size_t>(width) * height * 4;
  if (path.empty() || width == 0 || height == 0 || bytes > budget_) {
    DeleteObject(bitmap);
    return false;
  }
  // One bitmap a path: a newer rendering replaces the older.
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->path == path) {
      DeleteObject(it->bitmap);
      bytes_ -= it->bytes;
      entries_.erase(it);
      break;
    }
  }
  // Preloads run nearest neighbour first: what no longer fits is farther.
  if (bytes_ + bytes > budget_) {
    DeleteObject(bitmap);
    return false;
  }
  Entry entry;
  entry.path = path;
  entry.width = width;
  entry.height = height;
  entry.options = options;
  entry.written = written;
  entry.bitmap = bitmap;
  entry.bytes = bytes;
  entries_.push_back(std::move(entry));
  bytes_ += bytes;
  return true;
}

bool CFitBitmapStore::Take(const std::wstring& path, UINT width, UINT height,
                           const CDisplayOptions& options, HBITMAP& out) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->path != path) {
      continue;
    }
    if (it->width != width || it->height != height || !SameOptions(it->options, options) ||
        !SameTime(it->written, LastWriteTime(path))) {
      return false;
    }
    if (out) {
      DeleteObject(out);
    }
    out = it->bitmap;
    bytes_ -= it->bytes;
    entries_.erase(it);
    return true;
  }
  return false;
}

bool CFitBitmapStore::Has(const std::wstring& path) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const Entry& entry) { return entry.path == path; });
}

void CFitBitmapStore::Retain(const std::set<std::wstring>& keep) {
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (keep.count(it->path) != 0) {
      ++it;
      continue;
    }
    DeleteObject(it->bitmap);
    bytes_ -= it->bytes;
    it = entries_.erase(it);
  }
}

void CFitBitmapStore::Clear() { Retain({}); }
