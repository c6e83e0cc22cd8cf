#pragma once

#include <string>

// Where a save writes before it replaces its target: the target itself when
// it does not exist yet, otherwise a fresh temporary file beside it, so the
// file being saved over is replaced only once the new one is complete.
class CSaveTarget {
 public:
  explicit CSaveTarget(const std::wstring& target);
  CSaveTarget(const CSaveTarget&) = delete;
  CSaveTarget& operator=(const CSaveTarget&) = delete;

  const std::wstring& target() const { return target_; }
  // Empty when no free temporary name was found.
  const std::wstring& working() const { return working_; }

  // Puts the finished working file in the target's place by renaming it
  // over the target in one step, so the target is never missing or half
  // written. copy_back is set when the target is the picture on show: it
  // keeps the file's creation time, and where another program holds the
  // file open so that it cannot be renamed over but may be written, the new
  // content is copied into it instead. On failure the working file is
  // removed when the target is untouched, and kept (the only complete copy)
  // when a copy into the target failed part-way.
  bool Commit(bool copy_back);
  // After a failed save: removes what the encoder left in the working file.
  void Discard();

  // "tmp<ticks><random><extension>" in the target's folder.
  static std::wstring TemporaryNameFor(const std::wstring& target);

 private:
  std::wstring target_;
  std::wstring working_;
};
