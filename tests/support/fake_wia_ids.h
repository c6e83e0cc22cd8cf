#pragma once

#include <windows.h>

namespace test_support {

// The classes of fake_wia.dll.
// {6C7A2B31-9E0D-4F51-8B2E-1D4C5A6B7E02}
constexpr CLSID kFakeWiaDialogClsid = {
    0x6c7a2b31, 0x9e0d, 0x4f51, {0x8b, 0x2e, 0x1d, 0x4c, 0x5a, 0x6b, 0x7e, 0x02}};
// {6C7A2B31-9E0D-4F51-8B2E-1D4C5A6B7E03}
constexpr CLSID kFakeWiaVectorClsid = {
    0x6c7a2b31, 0x9e0d, 0x4f51, {0x8b, 0x2e, 0x1d, 0x4c, 0x5a, 0x6b, 0x7e, 0x03}};

}  // namespace test_support
