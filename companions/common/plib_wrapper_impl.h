#pragma once

#include <string>

#include "integration/plib_wrapper.h"

// The utility object of common.dll. It keeps the quick-index option per user
// in the registry under the product's own key ("Software\Lumora" for the
// product word "lumora"), value "quick_index".
class CPLibWrapper final : public IPLibWrapper {
 public:
  CPLibWrapper() = default;
  ~CPLibWrapper() = default;

  int __stdcall Initialize(int reserved, const wchar_t* product, int flags) override;
  void __stdcall Release() override;
  int __stdcall GetVersion() override;
  int __stdcall IsInitialized() override;
  void __stdcall SetQuickIndexState(int state) override;
  int __stdcall GetQuickIndexState() override;

  static constexpr int kInterfaceVersion = 1;
  static constexpr int kDefaultQuickIndexState = 1;

 private:
  std::wstring ProductKeyPath() const;

  bool initialized_ = false;
  std::wstring product_ = L"Lumora";
};
