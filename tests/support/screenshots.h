#pragma once

#include <windows.h>

#include <string>

namespace test_support {

// The folder where tests leave what a person should look at (screenshots):
// $LUMORA_TEST_OUTPUT, else "output" in the tests' working folder. Created
// on first use.
std::wstring OutputFolder();

// Saves the screen inside rect as OutputFolder()\name.png; COM must be
// initialised. False when nothing was written.
bool SaveScreenPng(const RECT& rect, const std::wstring& name);

}  // namespace test_support
