#pragma once

#include <set>
#include <string>
#include <vector>

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

// Empty files of the given names in folder; a failure to write one fails the
// test.
// The names in folder (files and folders, "." and ".." left out) that match
// pattern, in name order; empty when the folder cannot be read.
std::set<std::wstring> FilesIn(const std::wstring& folder, const std::wstring& pattern = L"*");

void MakeFiles(const ScratchFolder& folder, const std::vector<std::wstring>& names);

}  // namespace test_support
