#include "l10n/multi_language_loader.h"

#include "l10n/lang_string.h"

std::wstring CMultiLanguageLoader::GetString(int id) const {
  return GetLangStringById(section_.c_str(), id);
}
