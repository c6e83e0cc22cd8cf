#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace test_support {

// Points HKEY_CURRENT_USER of this process at a scratch key below the real
// one for the object's life, so registry writes of the code under test land
// there; the scratch key is removed afterwards.
class TestHive {
 public:
  explicit TestHive(const std::wstring& name);
  ~TestHive();
  TestHive(const TestHive&) = delete;
  TestHive& operator=(const TestHive&) = delete;

  // The scratch key, open, and its path under the real HKEY_CURRENT_USER.
  HKEY root() const { return root_; }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
  HKEY root_ = nullptr;
};

// Every key and value below a key: "a\b\" for a key, "a\b\:name" for a value
// (the default value has an empty name), mapped to its type and data.
std::map<std::wstring, std::wstring> SnapshotRegistry(HKEY key);

}  // namespace test_support
