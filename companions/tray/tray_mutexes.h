#pragma once

#include <windows.h>

// The two named mutexes whose presence tells viewers that the tray program
// runs ("Global\LmTray-95745a12eeaa410d" and
// "LmTrayUpgradePrivilegeName-d7a77ee6517af62d"), held for the program's life.
class CTrayMutexes {
 public:
  CTrayMutexes() = default;
  ~CTrayMutexes();
  CTrayMutexes(const CTrayMutexes&) = delete;
  CTrayMutexes& operator=(const CTrayMutexes&) = delete;

  // False when another tray program holds either of them.
  bool Acquire();
  void Release();

  static constexpr const wchar_t* kGlobalName = L"Global\\LmTray-95745a12eeaa410d";
  static constexpr const wchar_t* kLocalName = L"LmTrayUpgradePrivilegeName-d7a77ee6517af62d";

 private:
  HANDLE global_ = nullptr;
  HANDLE local_ = nullptr;
};
