#pragma once

#include <string>

// The name the save dialog proposes for the picture at current_path: the
// path without its extension followed by "(n).jpg", the first n from 1 to
// 99 whose file does not exist, or 99 when they all do.
std::wstring MakeDefaultSaveName(const std::wstring& current_path);

// path when no file has that name; otherwise the path without its extension
// followed by "(n)" and the extension, the first n from 1 to 99 whose file
// does not exist; empty when they all do.
std::wstring FreeNameFor(const std::wstring& path);
