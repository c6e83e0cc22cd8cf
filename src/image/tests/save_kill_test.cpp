#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "support/saving.h"
#include "support/test_paths.h"

namespace {

using test_support::FilesIn;
using test_support::ReadFileBytes;
using test_support::ScratchFolder;

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test_support::ImagingEnvironment);

constexpr UINT kWidth = 1600;
constexpr UINT kHeight = 1200;

// A picture big enough that each save takes a while: gradients and noise.
bool WritePicture(const std::wstring& path) {
  IWICImagingFactory* factory = CWICFactory::Get();
  std::vector<BYTE> pixels(size_t{kWidth} * kHeight * 3);
  std::mt19937 noise(7);
  for (UINT y = 0; y < kHeight; ++y) {
    for (UINT x = 0; x < kWidth; ++x) {
      BYTE* p = pixels.data() + (size_t{y} * kWidth + x) * 3;
      p[0] = static_cast<BYTE>(x * 255 / kWidth);
      p[1] = static_cast<BYTE>(y * 255 / kHeight);
      p[2] = static_cast<BYTE>(noise() & 0xFF);
    }
  }
  ComPtr<IWICBitmap> bitmap;
  return SUCCEEDED(factory->CreateBitmapFromMemory(kWidth, kHeight, GUID_WICPixelFormat24bppBGR,
                                                   kWidth * 3, static_cast<UINT>(pixels.size()),
                                                   pixels.data(), bitmap.Receive())) &&
         test_support::WriteSource(path, GUID_ContainerFormatJpeg, bitmap.Get());
}

// A whole JPEG: it starts and ends with its markers and decodes to the full
// size.
::testing::AssertionResult IsWholePicture(const std::wstring& path) {
  const std::string bytes = ReadFileBytes(path);
  if (bytes.size() < 4 || bytes.compare(0, 2, "\xFF\xD8") != 0 ||
      bytes.compare(bytes.size() - 2, 2, "\xFF\xD9") != 0) {
    return ::testing::AssertionFailure() << "cut file of " << bytes.size() << " bytes";
  }
  const test_support::Pixels pixels = test_support::DecodedPixels(path);
  if (pixels.width != kWidth || pixels.height != kHeight) {
    return ::testing::AssertionFailure() << "decodes to " << pixels.width << " x " << pixels.height;
  }
  return ::testing::AssertionSuccess();
}

std::wstring HelperPath() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring path = exe;
  return path.substr(0, path.find_last_of(L'\\')) + L"\\save_kill_helper.exe";
}

// Kills a process that saves the shown picture over itself in a loop, at
// random moments, many times over: the picture must survive every time.
TEST(KilledWhileSaving, TheOriginalStaysWholeAndAtMostATemporaryIsLeft) {
  ScratchFolder scratch(L"kill");
  const std::wstring path = scratch.File(L"shown.jpg");
  ASSERT_TRUE(WritePicture(path));
  ASSERT_TRUE(IsWholePicture(path));

  const unsigned seed = GetTickCount();
  std::printf("random seed %u\n", seed);
  std::mt19937 random(seed);
  int temporaries_left = 0;
  constexpr int kRounds = 24;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE(round);
    const std::wstring event_name = L"lumora-save-kill-" + std::to_wstring(round) + L"-" +
                                    std::to_wstring(GetCurrentProcessId());
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, event_name.c_str());
    std::wstring command = L"\"" + HelperPath() + L"\" loop \"" + path + L"\" " + event_name;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(HelperPath().c_str(), &command[0], nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &startup, &process));
    HANDLE waits[] = {ready, process.hProcess};
    const DWORD started = WaitForMultipleObjects(2, waits, FALSE, 20000);
    if (started == WAIT_OBJECT_0) {
      Sleep(std::uniform_int_distribution<DWORD>(0, 400)(random));
    }
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, 10000);
    DWORD exit_code = 0;
    GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(ready);
    ASSERT_EQ(started, WAIT_OBJECT_0) << "the helper stopped by itself with " << exit_code;

    EXPECT_TRUE(IsWholePicture(path));
    std::vector<std::wstring> others;
    for (const std::wstring& name : FilesIn(scratch.path())) {
      if (name != L"shown.jpg") {
        others.push_back(name);
      }
    }
    ASSERT_LE(others.size(), 1u);
    if (!others.empty()) {
      EXPECT_EQ(others[0].rfind(L"tmp", 0), 0u);
      ++temporaries_left;
      DeleteFileW(scratch.File(others[0]).c_str());
    }
  }
  // Proof that the kills landed in the middle of saves.
  std::printf("%d of %d kills interrupted a save\n", temporaries_left, kRounds);
  EXPECT_GT(temporaries_left, 0);
}

}  // namespace
