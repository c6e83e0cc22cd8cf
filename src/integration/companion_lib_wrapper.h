#pragma once

#include <windows.h>

#include <string>

#include "basic_lib/singleton.h"
#include "integration/plib_wrapper.h"

// The utility object of common.dll (CreatePLibWrapper): created once per
// process, initialised with the product word "lumora" and released when the
// exit sequence destroys the process-wide instance. Without common.dll in
// the program folder there is no object and the calls do nothing.
class CCompanionLibWrapper : public CSingletonT<CCompanionLibWrapper> {
 public:
  // The program folder's common.dll.
  CCompanionLibWrapper();
  // common.dll of another folder (trailing backslash); for tests.
  explicit CCompanionLibWrapper(const std::wstring& program_folder);
  ~CCompanionLibWrapper();
  CCompanionLibWrapper(const CCompanionLibWrapper&) = delete;
  CCompanionLibWrapper& operator=(const CCompanionLibWrapper&) = delete;

  bool IsAvailable() const { return wrapper_ != nullptr; }
  // The stored quick-index option (slot 5), or fallback without an object.
  int GetQuickIndexState(int fallback) const;
  // Slot 4.
  void SetQuickIndexState(int state);

  static constexpr const wchar_t* kProductWord = L"lumora";

 private:
  void Create(HMODULE module);

  IPLibWrapper* wrapper_ = nullptr;
};
