#pragma once

#include <string>

namespace test_support {

// The program folder under test (Lumora.exe and its companions).
std::wstring DistFolder();
// The source tree, for committed fixtures.
std::wstring SourceFolder();

// A fresh folder under the temporary directory, removed with its contents
// when the object goes away.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::wstring& name);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

// The viewer's per-user data folder, "<roaming application data>\Lumora\".
std::wstring DataFolder();

// Puts a file back as it was, or removes it when it did not exist, when the
// object goes away.
class FileRestorer {
 public:
  explicit FileRestorer(std::wstring path);
  ~FileRestorer();
  FileRestorer(const FileRestorer&) = delete;
  FileRestorer& operator=(const FileRestorer&) = delete;

 private:
  std::wstring path_;
  bool existed_;
  std::string bytes_;
};

bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);

}  // namespace test_support
