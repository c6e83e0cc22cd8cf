#pragma once

#include <windows.h>

// Names other processes and the resource script rely on.
constexpr const wchar_t* kProductName = L"Lumora";
constexpr const wchar_t* kMainFrameClassName = L"LumoraMainFrameClass-b1f78b3cc4bd764c";
constexpr int kMainIconId = 128;

// The hand-over receivers, message-only windows found by their window name:
// the instance window (kept while only_one_instance is on) and the always
// window (kept by every viewer).
constexpr const wchar_t* kInstanceWindowName = L"43AF68E358C97DCF97C45EA164F";
constexpr const wchar_t* kAlwaysWindowName = L"IPC-43AF68E358C97DCF97C45EA164F_Always";
// The window text of a main window that shows no picture.
constexpr const wchar_t* kIdleMainWindowText = L"Lumora";

// The tag of the hand-over record another process sends with WM_COPYDATA.
constexpr ULONG_PTR kHandOverTag = 0x22678201;
