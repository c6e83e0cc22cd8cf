#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "basic_lib/win_util.h"

// What a new process does before it builds any window: a one-shot
// maintenance action ("/install", "/uninstall"), a hand-over of its request
// to a viewer that already runs, or a normal start. Reads the process-wide
// command line and settings. True: go on starting; false: stop now.
bool DispatchStartArguments();

// Deletes the data folder and everything in it ("/uninstall"); true when it
// was deleted. Only a full path strictly inside the user's roaming
// application-data folder is ever deleted.
bool DeleteDataFolder(std::wstring folder);
bool IsDeletableDataFolder(const std::wstring& folder);

// The main windows of other running viewers (class
// "LumoraMainFrameClass-b1f78b3cc4bd764c", another process), in enumeration
// order; only the first one found when first_only is set.
std::vector<HWND> FindMainWindows(bool first_only = false);

// One export of the association module "ZidizOdera.dll" of the program
// folder, loaded for a single call and unloaded with this object.
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

CAssocFunction LoadAssocFunction(const char* export_name);
