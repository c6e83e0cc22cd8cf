#pragma once

#include <windows.h>

// Names other processes and the resource script rely on.
constexpr const wchar_t* kProductName = L"Lumora";
constexpr const wchar_t* kMainFrameClassName = L"LumoraMainFrameClass-b1f78b3cc4bd764c";
constexpr int kMainIconId = 128;
