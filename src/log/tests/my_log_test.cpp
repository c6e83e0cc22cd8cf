#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "log/log_line.h"
#include "log/logger_impl.h"
#include "log/my_log.h"
#include "basic_lib/win_util.h"
#include "support/test_paths.h"

using test_support::ReadFileBytes;
using test_support::ScratchFolder;
using test_support::WriteFileBytes;
using win_util::PathExists;

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string WithoutBom(const std::string& text) {
  return text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text;
}

}  // namespace

TEST(LogLineTest, PositionTagUsesTheBaseNameWhenThereIsOne) {
  struct Case {
    const char* path;
    int line;
    const wchar_t* tag;
  };
  const Case cases[] = {
      {"C:\\lumora\\src\\config\\app_config.cpp", 16, L"[  16][app_config] "},
      {"/home/build/src/config/app_config.cpp", 64, L"[  64][app_config] "},
      {"app_config.cpp", 1, L"[   1][app_config] "},
      {"C:\\src\\orvanedlg.cpp", 1313, L"[1313][orvanedlg] "},
      {"C:\\src\\big.file.cpp", 12345, L"[12345][big.file] "},
      {"C:\\src\\Makefile", 7, L"[   7] "},
      {"C:\\src.d\\noext", 7, L"[   7] "},
      {"C:\\src\\.hidden", 7, L"[   7] "},
      {"", 3, L"[   3] "},
      {nullptr, 3, L"[   3] "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.tag, CLogLine::PositionTag(c.path, c.line)) << (c.path ? c.path : "(null)");
  }
}

TEST(LogLineTest, LineHoldsLevelTagAndMessageInOrder) {
  CLogLine line(L"[I]", "C:\\src\\config\\app_config.cpp", 16);
  line << "CAppConfig:" << L"C:\\Users\\me\\AppData\\Roaming\\Lumora\\config.ini";
  EXPECT_EQ(L"[I][  16][app_config] CAppConfig:C:\\Users\\me\\AppData\\Roaming\\Lumora\\config.ini",
            line.str());

  CLogLine mixed(L"[I]", "a\\b.cpp", 2);
  mixed << "enable:" << static_cast<long long>(-4294967296LL) << ' ' << 7u << L' '
        << std::string("\xE6\x8B\x8D\xE6\x91\x84\xE5\x9C\xB0") << std::wstring(L"!");
  EXPECT_EQ(L"[I][   2][b] enable:-4294967296 7 \x62CD\x6444\x5730!", mixed.str());
}

TEST(MyLogTest, DefaultLogLivesInTheDataFolder) {
  wchar_t app_data[MAX_PATH] = {};
  ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, app_data));
  std::wstring expected = app_data;
  if (expected.back() != L'\\') {
    expected += L'\\';
  }
  EXPECT_EQ(expected + L"Lumora\\main.log", CMyLog::DefaultLogPath());
}

TEST(MyLogTest, WithoutMarkerNothingIsCreated) {
  ScratchFolder folder(L"log-off");
  const std::wstring log_path = folder.File(L"main.log");
  CMyLog log;
  log.Open(log_path);
  EXPECT_FALSE(log.IsFileOpen());
  log.Write(CLogLine(L"[I]", "x\\y.cpp", 1) << "dropped");
  EXPECT_FALSE(PathExists(log_path));
}

TEST(MyLogTest, WithoutMarkerAnExistingLogIsLeftAlone) {
  ScratchFolder folder(L"log-off-existing");
  const std::wstring log_path = folder.File(L"main.log");
  ASSERT_TRUE(WriteFileBytes(log_path, "old line\r\n"));
  CMyLog log;
  log.Open(log_path);
  log.Write(CLogLine(L"[I]", "x\\y.cpp", 1) << "dropped");
  EXPECT_EQ("old line\r\n", ReadFileBytes(log_path));
}

TEST(MyLogTest, WithMarkerEachStartAppends) {
  ScratchFolder folder(L"log-on");
  const std::wstring log_path = folder.File(L"main.log");
  ASSERT_TRUE(WriteFileBytes(log_path + L".on", ""));
  {
    CMyLog first_run;
    first_run.Open(log_path);
    ASSERT_TRUE(first_run.IsFileOpen());
    first_run.Write(CLogLine(L"[I]", "src\\app_config.cpp", 16) << "CAppConfig:" << L"C:\\x");
    // The line is on disk before the logger goes away.
    EXPECT_EQ("\xEF\xBB\xBF[I][  16][app_config] CAppConfig:C:\\x\r\n", ReadFileBytes(log_path));
  }
  {
    CMyLog second_run;
    second_run.Open(log_path);
    second_run.Open(log_path);  // a second Open changes nothing
    second_run.Write(CLogLine(L"[I]", "src\\orvanedlg.cpp", 1313)
                     << "Post LockscreenSet " << L"\x4E2D\x6587");
  }
  EXPECT_EQ(
      "\xEF\xBB\xBF[I][  16][app_config] CAppConfig:C:\\x\r\n"
      "[I][1313][orvanedlg] Post LockscreenSet \xE4\xB8\xAD\xE6\x96\x87\r\n",
      ReadFileBytes(log_path));
}

TEST(MyLogTest, MarkerInAMissingFolderLeavesTheLogClosed) {
  ScratchFolder folder(L"log-nofolder");
  CMyLog log;
  log.Open(folder.File(L"missing\\main.log"));
  EXPECT_FALSE(log.IsFileOpen());
}

TEST(MyLogTest, TwoThreadsNeverInterleaveInsideALine) {
  ScratchFolder folder(L"log-threads");
  const std::wstring log_path = folder.File(L"main.log");
  ASSERT_TRUE(WriteFileBytes(log_path + L".on", ""));
  CMyLog log;
  log.Open(log_path);
  ASSERT_TRUE(log.IsFileOpen());

  constexpr int kLines = 400;
  const std::string long_a(300, 'a');
  const std::string long_b(300, 'b');
  auto writer = [&log](const std::string& text) {
    for (int i = 0; i < kLines; ++i) {
      CLogLine line(L"[I]", "t\\worker.cpp", 1);
      line << text.substr(0, 150) << i << text.substr(150);
      log.Write(line);
    }
  };
  std::thread first(writer, long_a);
  std::thread second(writer, long_b);
  first.join();
  second.join();

  const std::vector<std::string> lines = SplitLines(WithoutBom(ReadFileBytes(log_path)));
  ASSERT_EQ(2u * kLines, lines.size());
  int next_a = 0;
  int next_b = 0;
  for (const std::string& line : lines) {
    const bool is_a = line.find('a', 20) != std::string::npos;
    const std::string& text = is_a ? long_a : long_b;
    int& next = is_a ? next_a : next_b;
    EXPECT_EQ("[I][   1][worker] " + text.substr(0, 150) + std::to_string(next) + text.substr(150),
              line);
    ++next;
  }
  EXPECT_EQ(kLines, next_a);
  EXPECT_EQ(kLines, next_b);
}

TEST(MyLogTest, MacroTagsTheCallersFileAndLine) {
  ScratchFolder folder(L"log-macro");
  const std::wstring log_path = folder.File(L"main.log");
  ASSERT_TRUE(WriteFileBytes(log_path + L".on", ""));
  CMyLog::GetInstance()->Open(log_path);
  const int line = __LINE__ + 1;
  LOG_INFO << "macro line " << 42;
  CMyLog::DestroyInstance();  // closes the file so the scratch folder can go
  char expected[64];
  snprintf(expected, sizeof(expected), "[I][%4d][my_log_test] macro line 42\r\n", line);
  EXPECT_EQ(std::string("\xEF\xBB\xBF") + expected, ReadFileBytes(log_path));
}

TEST(LoggerImplTest, ChannelLoggerNeverAcceptsTheChannelsLevel) {
  LogUtils::LoggerImpl* logger = LogUtils::LoggerImpl::GetInstance();
  ASSERT_NE(nullptr, logger);
  EXPECT_EQ(logger, LogUtils::LoggerImpl::GetInstance());
  EXPECT_EQ(3, logger->threshold());
  EXPECT_FALSE(logger->IsLevelEnabled(1));
  EXPECT_FALSE(logger->IsLevelEnabled(2));
  EXPECT_TRUE(logger->IsLevelEnabled(3));
}
