#pragma once

#include <windows.h>

#include <string>

#include "basic_lib/win_util.h"

// One export of the association module "ZidizOdera.dll", loaded for a
// single call and unloaded with this object.
class CAssocFunction {
 public:
  CAssocFunction() = default;
  CAssocFunction(HMODULE module, FARPROC function) : module_(module), function_(function) {}
  ~CAssocFunction();
  CAssocFunction(CAssocFunction&& other) noexcept;
  CAssocFunction& operator=(CAssocFunction&& other) noexcept;
  CAssocFunction(const CAssocFunction&) = delete;
  CAssocFunction& operator=(const CAssocFunction&) = delete;

  // Null when the module or the export is missing.
  template <class Fn>
  Fn get() const {
    return win_util::FunctionAs<Fn>(function_);
  }

 private:
  HMODULE module_ = nullptr;
  FARPROC function_ = nullptr;
};

// The export of the module in folder (with or without a trailing
// backslash), or of the program folder's module.
CAssocFunction LoadAssocFunction(const std::wstring& folder, const char* export_name);
CAssocFunction LoadAssocFunction(const char* export_name);

// The association module's entry points. Each call loads the module, calls
// one entry point and unloads it again; a missing module or entry point
// skips the call.
class CAssociationModule {
 public:
  // The module of the program folder.
  CAssociationModule();
  explicit CAssociationModule(std::wstring folder);

  // 0 when the viewer is no longer the default; 1 also when the call was
  // skipped, so a missing module never makes the viewer ask.
  int IsAssociationOK() const;
  // The calls below: true when the entry point ran.
  bool SetDefaultImageViewer() const;
  // Stops being the default for the current user (HKEY_CURRENT_USER root).
  bool UnInstall() const;
  // entries: "|ext:state|" for each changed type.
  bool SetAssociation(const std::wstring& entries) const;

  const std::wstring& folder() const { return folder_; }

 private:
  std::wstring folder_;
};
