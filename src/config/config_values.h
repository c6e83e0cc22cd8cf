#pragma once

#include <cstdint>
#include <string>

// How the settings file's texts become values: the readers and clamps of the
// configuration store, apart from the platform's INI reading.
namespace config_values {

// Decimal with optional leading white space and sign, stopping at the first
// non-digit; no digits give 0. Saturates instead of overflowing.
int64_t ParseInt64(const wchar_t* text);

// The shell's decimal reading: an optional "-" or "+" and digits from the first
// character on, stopping at the first non-digit; anything else gives 0.
// Overlong numbers keep their low 32 bits.
int32_t LeadingInt32(const wchar_t* text);

int32_t Low32(int64_t value);
int32_t AsFlag(int64_t value);
// The low 32 bits, clamped to low..high.
int32_t Clamp(int64_t value, int32_t low, int32_t high);
// 99 (not chosen yet) and 0 (page turn) stay; anything else means zoom.
int32_t WheelAction(int64_t value);

// "red,green,blue" as a colour value 0x00BBGGRR; each piece keeps its low
// byte, blanks before it are skipped. False unless there are exactly three
// non-empty pieces.
bool ParseCanvasColor(const std::wstring& text, uint32_t* color);

}  // namespace config_values
