#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace setup_plugin {

// The running programs whose file lies in one folder or below it, as the
// installer and uninstaller see them: a viewer of the folder is asked to
// close as its close button would (so it saves its settings), anything left
// afterwards is ended.
class CFolderProcesses {
 public:
  explicit CFolderProcesses(const std::wstring& folder);

  // The folder as compared: full, long form, with one trailing backslash.
  const std::wstring& folder() const { return folder_; }

  // True when path names a file in the folder or in one of its sub-folders
  // (letter case ignored).
  bool Contains(const std::wstring& path) const;

  // Ids of the running processes whose program file the folder contains,
  // this process excepted.
  std::vector<DWORD> Running() const;

  // Closes the folder's viewers, waits up to close_wait_ms for them, then
  // ends every process of the folder that is still running. Returns the
  // number of processes that could not be ended.
  size_t EndAll(DWORD close_wait_ms) const;

 private:
  std::wstring folder_;
};

}  // namespace setup_plugin
