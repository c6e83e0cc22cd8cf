#pragma once

#include <string>
#include <utility>
#include <vector>

namespace association {

// The extensions of the settings dialog's 24 file types, JPEG as its four.
const std::vector<std::wstring>& ImageExtensions();
bool IsImageExtension(const std::wstring& extension);

// Reads "|ext:state|" entries (state 0 or 1). Entries that are not of that
// form, or name an extension that is not a picture type, are skipped one by
// one. Extensions come back in lower case.
std::vector<std::pair<std::wstring, bool>> ParseAssociationList(const wchar_t* text);

}  // namespace association
