#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "shared/os_version.h"

namespace association {

// The association records of one user, all under HKEY_CURRENT_USER:
//   Software\Classes\Lumora.<ext>           program id: description, icon, open command
//   Software\Classes\.<ext>\OpenWithProgids  "Lumora.<ext>", so Open With offers the viewer
//   Software\Classes\.<ext> (default)        "Lumora.<ext>", only where nothing was set
//   Software\Classes\Applications\Lumora.exe the program's Open With entry
//   Software\Lumora\Capabilities             the Default Programs record; its
//                                            FileAssociations list the types turned on
//   Software\RegisteredApplications "Lumora"
//   ...\Explorer\FileExts\.<ext>\UserChoice  before Windows 8 only, where a
//                                            program may still set the user's choice
class CAssociationRegistry {
 public:
  CAssociationRegistry(std::wstring program_path, companion::OsVersion os);

  static std::wstring ProgIdOf(const std::wstring& extension);

  // The program ids, Open With entries and the Default Programs record.
  void RegisterProgram();
  void TurnOn(const std::wstring& extension);
  void TurnOff(const std::wstring& extension);
  // Removes every record above that names this program.
  void RemoveAll();

  // Extensions turned on, from the Default Programs record.
  std::vector<std::wstring> TurnedOn() const;
  // The user's choice names this program; without a choice, the user's
  // class default does.
  bool IsDefaultFor(const std::wstring& extension) const;

 private:
  bool CanSetUserChoice() const { return !os_.IsWindows8OrLater(); }
  void RegisterProgId(const std::wstring& extension);
  void RemoveExtension(const std::wstring& extension);

  const std::wstring program_path_;
  const companion::OsVersion os_;
};

}  // namespace association
