#pragma once

#include <windows.h>

#include <cstddef>
#include <list>
#include <set>
#include <string>

#include "image/display_bitmap.h"

// Fit bitmaps of the pictures next to the current one, rendered ahead by the
// neighbour preload and kept in memory within a byte budget, so that turning
// the page shows the sharp picture at once. Each bitmap is for one path, one
// size and one set of display options, and only while the file is unchanged.
// User-interface thread only.
class CFitBitmapStore {
 public:
  CFitBitmapStore() = default;
  CFitBitmapStore(const CFitBitmapStore&) = delete;
  CFitBitmapStore& operator=(const CFitBitmapStore&) = delete;
  ~CFitBitmapStore();

  // The byte budget; 0 keeps nothing. Bitmaps beyond it go, newest first.
  void set_budget(size_t bytes);
  size_t budget() const { return budget_; }

  // Takes ownership of bitmap (a width x height 32-bit DIB section of path,
  // rendered with options from the file as it was at written) and keeps it
  // when it fits in what is left of the budget, else deletes it: the
  // preloads run nearest neighbour first, so the bitmaps kept are the
  // nearer ones. True when it was kept.
  bool Put(const std::wstring& path, UINT width, UINT height, const CDisplayOptions& options,
           const FILETIME& written, HBITMAP bitmap);
  // Hands the matching bitmap to the caller (who owns it then; what out held
  // is deleted) and forgets it. False, with out untouched, when there is
  // none or the file changed since it was rendered.
  bool Take(const std::wstring& path, UINT width, UINT height, const CDisplayOptions& options,
            HBITMAP& out);
  bool Has(const std::wstring& path) const;
  // Deletes every bitmap whose path is not in keep.
  void Retain(const std::set<std::wstring>& keep);
  void Clear();
  // Pictures rendered once with nothing to keep (small, animated or
  // unreadable): not rendered again until forgotten (another folder).
  void NoteNothingKept(const std::wstring& path) { nothing_kept_.insert(path); }
  bool NothingKept(const std::wstring& path) const { return nothing_kept_.count(path) != 0; }
  void ForgetNothingKept() { nothing_kept_.clear(); }

  size_t bytes() const { return bytes_; }
  size_t count() const { return entries_.size(); }

  // The last-write time of path; zero when it cannot be read.
  static FILETIME LastWriteTime(const std::wstring& path);

 private:
  struct Entry {
    std::wstring path;
    UINT width = 0;
    UINT height = 0;
    CDisplayOptions options;
    FILETIME written = {};
    HBITMAP bitmap = nullptr;
    size_t bytes = 0;
  };
  void EvictTo(size_t bytes);

  std::list<Entry> entries_;  // in the order they were put
  size_t bytes_ = 0;
  size_t budget_ = 64u << 20;
  std::set<std::wstring> nothing_kept_;
};
