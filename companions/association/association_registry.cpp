#include "association/association_registry.h"

#include <cwctype>
#include <utility>

#include "association/association_list.h"
#include "shared/reg_key.h"

namespace association {

namespace {

using companion::CRegKey;

const wchar_t kClasses[] = L"Software\\Classes";
const wchar_t kApplicationKey[] = L"Software\\Classes\\Applications\\Lumora.exe";
const wchar_t kCapabilities[] = L"Software\\Lumora\\Capabilities";
const wchar_t kFileAssociations[] = L"Software\\Lumora\\Capabilities\\FileAssociations";
const wchar_t kRegisteredApplications[] = L"Software\\RegisteredApplications";
const wchar_t kFileExts[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
const wchar_t kAppName[] = L"Lumora";
const wchar_t kProgIdValue[] = L"ProgId";

std::wstring ClassKey(const std::wstring& extension) {
  return std::wstring(kClasses) + L"\\." + extension;
}

std::wstring UserChoiceKey(const std::wstring& extension) {
  return std::wstring(kFileExts) + L"\\." + extension + L"\\UserChoice";
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && _wcsicmp(a.c_str(), b.c_str()) == 0;
}

std::wstring ReadDefault(const std::wstring& path) {
  CRegKey key;
  std::wstring value;
  if (key.Open(HKEY_CURRENT_USER, path)) {
    key.GetString(L"", &value);
  }
  return value;
}

std::wstring TypeDescription(const std::wstring& extension) {
  std::wstring upper = extension;
  for (wchar_t& c : upper) {
    c = static_cast<wchar_t>(towupper(c));
  }
  const bool chinese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE;
  return upper + (chinese ? L" \u56fe\u7247\u6587\u4ef6" : L" picture");
}

}  // namespace

CAssociationRegistry::CAssociationRegistry(std::wstring program_path, companion::OsVersion os)
    : program_path_(std::move(program_path)), os_(std::move(os)) {}

std::wstring CAssociationRegistry::ProgIdOf(const std::wstring& extension) {
  return std::wstring(kAppName) + L"." + extension;
}

void CAssociationRegistry::RegisterProgram() {
  const std::wstring command = L"\"" + program_path_ + L"\" \"%1\"";
  const std::wstring icon = program_path_ + L",0";

  CRegKey application;
  if (application.Create(HKEY_CURRENT_USER, kApplicationKey)) {
    application.SetString(L"FriendlyAppName", kAppName);
  }
  CRegKey open;
  if (open.Create(HKEY_CURRENT_USER, std::wstring(kApplicationKey) + L"\\shell\\open\\command")) {
    open.SetString(L"", command);
  }
  CRegKey types;
  types.Create(HKEY_CURRENT_USER, std::wstring(kApplicationKey) + L"\\SupportedTypes");

  CRegKey capabilities;
  if (capabilities.Create(HKEY_CURRENT_USER, kCapabilities)) {
    capabilities.SetString(L"ApplicationName", kAppName);
    capabilities.SetString(L"ApplicationDescription", L"Lumora picture viewer");
    capabilities.SetString(L"ApplicationIcon", icon);
  }
  CRegKey file_associations;
  file_associations.Create(HKEY_CURRENT_USER, kFileAssociations);
  CRegKey registered;
  if (registered.Create(HKEY_CURRENT_USER, kRegisteredApplications)) {
    registered.SetString(kAppName, kCapabilities);
  }

  for (const std::wstring& extension : ImageExtensions()) {
    RegisterProgId(extension);
    if (types) {
      types.SetEmptyValue(L"." + extension);
    }
  }
}

void CAssociationRegistry::RegisterProgId(const std::wstring& extension) {
  const std::wstring prog_id = ProgIdOf(extension);
  const std::wstring prog_id_key = std::wstring(kClasses) + L"\\" + prog_id;
  CRegKey key;
  if (key.Create(HKEY_CURRENT_USER, prog_id_key)) {
    key.SetString(L"", TypeDescription(extension));
  }
  CRegKey icon;
  if (icon.Create(HKEY_CURRENT_USER, prog_id_key + L"\\DefaultIcon")) {
    icon.SetString(L"", program_path_ + L",0");
  }
  CRegKey command;
  if (command.Create(HKEY_CURRENT_USER, prog_id_key + L"\\shell\\open\\command")) {
    command.SetString(L"", L"\"" + program_path_ + L"\" \"%1\"");
  }
  CRegKey open_with;
  if (open_with.Create(HKEY_CURRENT_USER, ClassKey(extension) + L"\\OpenWithProgids")) {
    open_with.SetEmptyValue(prog_id);
  }
}

void CAssociationRegistry::TurnOn(const std::wstring& extension) {
  const std::wstring prog_id = ProgIdOf(extension);
  CRegKey file_associations;
  if (file_associations.Create(HKEY_CURRENT_USER, kFileAssociations)) {
    file_associations.SetString(L"." + extension, prog_id);
  }
  // Another program's class default stays; the user's choice decides.
  CRegKey class_key;
  std::wstring current;
  if (class_key.Create(HKEY_CURRENT_USER, ClassKey(extension)) &&
      (!class_key.GetString(L"", &current) || current.empty())) {
    class_key.SetString(L"", prog_id);
  }
  if (CanSetUserChoice()) {
    // Deleted first: a choice made in Explorer may carry its own security.
    companion::DeleteKeyTree(HKEY_CURRENT_USER, UserChoiceKey(extension));
    CRegKey choice;
    if (choice.Create(HKEY_CURRENT_USER, UserChoiceKey(extension))) {
      choice.SetString(kProgIdValue, prog_id);
    }
  }
}

void CAssociationRegistry::TurnOff(const std::wstring& extension) {
  const std::wstring prog_id = ProgIdOf(extension);
  CRegKey file_associations;
  if (file_associations.Open(HKEY_CURRENT_USER, kFileAssociations, KEY_READ | KEY_WRITE)) {
    file_associations.DeleteValue(L"." + extension);
  }
  CRegKey class_key;
  std::wstring current;
  if (class_key.Open(HKEY_CURRENT_USER, ClassKey(extension), KEY_READ | KEY_WRITE) &&
      class_key.GetString(L"", &current) && SameText(current, prog_id)) {
    class_key.DeleteValue(L"");
  }
  // Only a choice this module can write is taken back; a choice the user made
  // in the system's settings is theirs.
  if (CanSetUserChoice()) {
    CRegKey choice;
    std::wstring chosen;
    if (choice.Open(HKEY_CURRENT_USER, UserChoiceKey(extension)) &&
        choice.GetString(kProgIdValue, &chosen) && SameText(chosen, prog_id)) {
      choice.Close();
      companion::DeleteKeyTree(HKEY_CURRENT_USER, UserChoiceKey(extension));
    }
  }
  companion::DeleteKeyIfEmpty(HKEY_CURRENT_USER, std::wstring(kFileExts) + L"\\." + extension,
                              kFileExts);
  companion::DeleteKeyIfEmpty(HKEY_CURRENT_USER, ClassKey(extension), kClasses);
}

void CAssociationRegistry::RemoveExtension(const std::wstring& extension) {
  TurnOff(extension);
  const std::wstring prog_id = ProgIdOf(extension);
  companion::DeleteKeyTree(HKEY_CURRENT_USER, std::wstring(kClasses) + L"\\" + prog_id);
  CRegKey open_with;
  if (open_with.Open(HKEY_CURRENT_USER, ClassKey(extension) + L"\\OpenWithProgids",
                     KEY_READ | KEY_WRITE)) {
    open_with.DeleteValue(prog_id);
    open_with.Close();
  }
  companion::DeleteKeyIfEmpty(HKEY_CURRENT_USER, ClassKey(extension) + L"\\OpenWithProgids",
                              kClasses);
}

void CAssociationRegistry::RemoveAll() {
  for (const std::wstring& extension : ImageExtensions()) {
    RemoveExtension(extension);
  }
  companion::DeleteKeyTree(HKEY_CURRENT_USER, kApplicationKey);
  companion::DeleteKeyIfEmpty(HKEY_CURRENT_USER, L"Software\\Classes\\Applications", kClasses);
  companion::DeleteKeyTree(HKEY_CURRENT_USER, kCapabilities);
  companion::DeleteKeyIfEmpty(HKEY_CURRENT_USER, L"Software\\Lumora", L"Software");
  CRegKey registered;
  if (registered.Open(HKEY_CURRENT_USER, kRegisteredApplications, KEY_READ | KEY_WRITE)) {
    registered.DeleteValue(kAppName);
    registered.Close();
  }
  companion::DeleteKeyIfEmpty(HKEY_CURRENT_USER, kRegisteredApplications, L"Software");
}

std::vector<std::wstring> CAssociationRegistry::TurnedOn() const {
  std::vector<std::wstring> extensions;
  CRegKey file_associations;
  if (!file_associations.Open(HKEY_CURRENT_USER, kFileAssociations)) {
    return extensions;
  }
  for (const std::wstring& name : file_associations.ValueNames()) {
    if (name.size() > 1 && name[0] == L'.' && IsImageExtension(name.substr(1))) {
      extensions.push_back(name.substr(1));
    }
  }
  return extensions;
}

bool CAssociationRegistry::IsDefaultFor(const std::wstring& extension) const {
  const std::wstring prog_id = ProgIdOf(extension);
  CRegKey choice;
  std::wstring chosen;
  if (choice.Open(HKEY_CURRENT_USER, UserChoiceKey(extension)) &&
      choice.GetString(kProgIdValue, &chosen) && !chosen.empty()) {
    return SameText(chosen, prog_id);
  }
  return SameText(ReadDefault(ClassKey(extension)), prog_id);
}

}  // namespace association
