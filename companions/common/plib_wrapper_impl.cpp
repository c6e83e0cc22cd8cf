#include "common/plib_wrapper_impl.h"

#include <windows.h>

#include <cwctype>

#include "shared/reg_key.h"

namespace {

constexpr const wchar_t* kQuickIndexValue = L"quick_index";
constexpr size_t kMaxProductLength = 64;

// The product word names a registry key: letters, digits, '-' and '_' only.
bool IsPlainWord(const wchar_t* word) {
  size_t length = 0;
  for (; word[length]; ++length) {
    const wchar_t c = word[length];
    if (length >= kMaxProductLength || c > 0x7F || !(iswalnum(c) || c == L'-' || c == L'_')) {
      return false;
    }
  }
  return length > 0;
}

}  // namespace

int __stdcall CPLibWrapper::Initialize(int, const wchar_t* product, int) {
  if (!product || !IsPlainWord(product)) {
    return 0;
  }
  product_ = product;
  product_[0] = static_cast<wchar_t>(towupper(product_[0]));
  initialized_ = true;
  return 1;
}

void __stdcall CPLibWrapper::Release() { delete this; }

int __stdcall CPLibWrapper::GetVersion() { return kInterfaceVersion; }

int __stdcall CPLibWrapper::IsInitialized() { return initialized_ ? 1 : 0; }

void __stdcall CPLibWrapper::SetQuickIndexState(int state) {
  companion::CRegKey key;
  if (key.Create(HKEY_CURRENT_USER, ProductKeyPath())) {
    key.SetDword(kQuickIndexValue, state != 0 ? 1 : 0);
  }
}

int __stdcall CPLibWrapper::GetQuickIndexState() {
  companion::CRegKey key;
  DWORD state = kDefaultQuickIndexState;
  if (key.Open(HKEY_CURRENT_USER, ProductKeyPath())) {
    key.GetDword(kQuickIndexValue, &state);
  }
  return state != 0 ? 1 : 0;
}

std::wstring CPLibWrapper::ProductKeyPath() const { return L"Software\\" + product_; }
