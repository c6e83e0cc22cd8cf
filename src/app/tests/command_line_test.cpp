#include "app/command_line.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ParseCase {
  const wchar_t* text;
  std::vector<std::pair<std::wstring, std::wstring>> switches;
  std::vector<std::wstring> positional;
};

std::vector<std::pair<std::wstring, std::wstring>> SwitchesOf(const CCommandLine& line,
                                                              const ParseCase& c) {
  std::vector<std::pair<std::wstring, std::wstring>> found;
  for (const auto& expected : c.switches) {
    std::wstring value;
    EXPECT_TRUE(line.GetSwitchValue(expected.first, value))
        << "switch " << std::string(expected.first.begin(), expected.first.end());
    found.emplace_back(expected.first, value);
  }
  return found;
}

TEST(CommandLineParse, TokenTable) {
  const ParseCase cases[] = {
      {L"", {}, {}},
      {L"   ", {}, {}},
      {L"/install", {{L"install", L""}}, {}},
      {L"-install", {{L"install", L""}}, {}},
      {L"--install", {{L"install", L""}}, {}},
      {L"--from=tray", {{L"from", L"tray"}}, {}},
      {L"--from= tray", {{L"from", L""}}, {L"tray"}},
      {L"--from=", {{L"from", L""}}, {}},
      {L"--=value", {{L"", L"value"}}, {}},
      {L"-", {}, {L"-"}},
      {L"/", {}, {L"/"}},
      {L"--", {}, {}},
      {L"-- /", {}, {L"/"}},
      {L"\"C:\\my pictures\\a.jpg\"", {}, {L"\"C:\\my pictures\\a.jpg\""}},
      {L"C:\\my pictures\\a.jpg", {}, {L"C:\\my", L"pictures\\a.jpg"}},
      {L"--name=\"a b c\" x", {{L"name", L"a b c"}}, {L"x"}},
      {L"--name=\"a=b\"", {{L"name", L"a=b"}}, {}},
      {L"--a=b=c", {{L"a", L"b=c"}}, {}},
      // The first "=" counts even inside quotes.
      {L"--\"x=y\"", {{L"\"x", L"y\""}}, {}},
      // An escaped quote neither opens nor closes a quoted part.
      {L"a\\\"b c", {}, {L"a\\\"b", L"c"}},
      // An unbalanced quote runs to the end of the text.
      {L"\"a b c", {}, {L"\"a b c"}},
      {L"x \"y z", {}, {L"x", L"\"y z"}},
      // Tabs do not separate tokens.
      {L"a\tb", {}, {L"a\tb"}},
      {L"--x=1 --x=2", {{L"x", L"2"}}, {}},
      {L"--setting a.jpg", {{L"setting", L""}}, {L"a.jpg"}},
      {L"--LockscreenSet", {{L"LockscreenSet", L""}}, {}},
      // A lone quote after "=" is taken as the quote itself.
      {L"--v=\"", {{L"v", L"\""}}, {}},
      {L"--v=\"\"", {{L"v", L""}}, {}},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + wcslen(c.text)));
    CCommandLine line;
    EXPECT_TRUE(line.Parse(c.text));
    EXPECT_EQ(line.GetRawCommandLine(), c.text);
    EXPECT_EQ(SwitchesOf(line, c), c.switches);
    std::vector<std::wstring> positional;
    line.GetPositionalArgs(positional);
    EXPECT_EQ(positional, c.positional);
  }
}

TEST(CommandLineParse, ParseAddsToEarlierContents) {
  CCommandLine line;
  line.Parse(L"--a=1 one");
  line.Parse(L"--b two");
  EXPECT_EQ(line.GetRawCommandLine(), L"--b two");
  EXPECT_TRUE(line.HasSwitch(L"a"));
  EXPECT_TRUE(line.HasSwitch(L"b"));
  std::vector<std::wstring> positional;
  line.GetPositionalArgs(positional);
  EXPECT_EQ(positional, (std::vector<std::wstring>{L"one", L"two"}));
}

TEST(CommandLineSwitches, LookupTable) {
  CCommandLine line;
  line.Parse(L"/install --from=desktop -setting --LockscreenSet");
  const struct {
    const wchar_t* name;
    bool present;
    const wchar_t* value;
  } cases[] = {
      {L"install", true, L""},
      {L"/install", true, L""},
      {L"-install", true, L""},
      {L"--install", true, L""},
      {L"from", true, L"desktop"},
      {L"--from", true, L"desktop"},
      {L"setting", true, L""},
      {L"--setting", true, L""},
      {L"LockscreenSet", true, L""},
      {L"--lockscreenset", false, L""},
      {L"lockscreenset", false, L""},
      {L"-", false, L""},
      {L"--", false, L""},
      {L"", false, L""},
      {L"uninstall", false, L""},
      {L"--show-existing", false, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name, c.name + wcslen(c.name)));
    EXPECT_EQ(line.HasSwitch(c.name), c.present);
    std::wstring value = L"stale";
    EXPECT_EQ(line.GetSwitchValue(c.name, value), c.present);
    EXPECT_EQ(value, c.value);
  }
}

TEST(CommandLineSwitches, NormalizeSwitchName) {
  CCommandLine line;
  line.Parse(L"--from=x -a");
  EXPECT_EQ(line.NormalizeSwitchName(L"--from"), L"from");
  EXPECT_EQ(line.NormalizeSwitchName(L"/from"), L"from");
  EXPECT_EQ(line.NormalizeSwitchName(L"-a"), L"a");
  EXPECT_EQ(line.NormalizeSwitchName(L"from"), L"from");
  EXPECT_EQ(line.NormalizeSwitchName(L"b"), L"");
  EXPECT_EQ(line.NormalizeSwitchName(L""), L"");
  EXPECT_EQ(line.NormalizeSwitchName(L"--b"), L"");
  EXPECT_EQ(line.NormalizeSwitchName(L"--"), L"");
  EXPECT_EQ(line.NormalizeSwitchName(L"/"), L"");
}

TEST(CommandLineSwitches, StartSourceTags) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"task", L"auto"},
      {L"reg_run", L"auto_reg"},
      {L"svc", L"svc"},
      {L"startmenu", L"menu"},
      {L"main", L"main"},
      {L"desktop", L"lnk"},
      {L"tray", L"tray"},
      {L"newinstall", L"newinstall"},
      {L"upinstall", L"upinstall"},
      {L"contextmenu", L"contextmenu"},
      {L"openwith", L"shell"},
      {L"", L"unknown"},
      {L"Task", L"unknown"},
      {L"other", L"unknown"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CCommandLine::StartSourceTag(c.first), c.second);
  }
}

// A scratch folder in the temporary directory with a few files in it.
class CommandLineImagePath : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"lumora cmdline " + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
    for (const wchar_t* name : {L"a.jpg", L"b.png", L"tool.exe", L"TOOL.EXE", L"noext"}) {
      Touch(folder_ + L"\\" + name);
    }
    CreateDirectoryW((folder_ + L"\\sub.jpg").c_str(), nullptr);
  }
  void TearDown() override {
    for (const wchar_t* name : {L"a.jpg", L"b.png", L"tool.exe", L"TOOL.EXE", L"noext"}) {
      DeleteFileW((folder_ + L"\\" + name).c_str());
    }
    RemoveDirectoryW((folder_ + L"\\sub.jpg").c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  static void Touch(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  std::wstring Quoted(const wchar_t* name) const { return L"\"" + folder_ + L"\\" + name + L"\""; }
  std::wstring Path(const wchar_t* name) const { return folder_ + L"\\" + name; }

  std::wstring folder_;
};

TEST_F(CommandLineImagePath, Table) {
  const struct {
    std::wstring text;
    std::wstring expected;
  } cases[] = {
      {Quoted(L"a.jpg"), Path(L"a.jpg")},
      {Quoted(L"a.jpg") + L" " + Quoted(L"b.png"), Path(L"a.jpg")},
      {Quoted(L"missing.jpg") + L" " + Quoted(L"b.png"), Path(L"b.png")},
      {L"--setting " + Quoted(L"b.png"), Path(L"b.png")},
      {Quoted(L"tool.exe"), L""},
      {Quoted(L"tool.exe") + L" " + Quoted(L"a.jpg"), Path(L"a.jpg")},
      // The ".exe" test is case-sensitive.
      {Quoted(L"TOOL.EXE"), Path(L"TOOL.EXE")},
      {Quoted(L"noext"), Path(L"noext")},
      // Folders count as existing.
      {Quoted(L"sub.jpg"), Path(L"sub.jpg")},
      {Quoted(L"missing.jpg"), L""},
      {L"\"\"", L""},
      {L"\"", L""},
      {L"", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
    CCommandLine line;
    line.Parse(c.text);
    EXPECT_EQ(line.GetImagePath(), c.expected);
  }
}

TEST_F(CommandLineImagePath, UnquotedPathWithSpacesIsNotFound) {
  CCommandLine line;
  line.Parse(Path(L"a.jpg"));
  EXPECT_EQ(line.GetImagePath(), L"");
}

TEST_F(CommandLineImagePath, RelativeNamesResolveAgainstCurrentFolder) {
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
  CCommandLine line;
  line.Parse(L"b.png");
  EXPECT_EQ(line.GetImagePath(), L"b.png");
  SetCurrentDirectoryW(previous);
}

TEST(CommandLineBadInput, AnyShapeParses) {
  // Long and odd texts: quotes, prefixes and equals signs in every mix.
  const wchar_t alphabet[] = L" \"\\=-/ab.\t";
  unsigned seed = 12345;
  for (int round = 0; round < 2000; ++round) {
    std::wstring text;
    const size_t length = round < 1990 ? round % 64 : 100000;
    for (size_t i = 0; i < length; ++i) {
      seed = seed * 1103515245u + 12345u;
      text += alphabet[(seed >> 16) % (sizeof(alphabet) / sizeof(wchar_t) - 1)];
    }
    CCommandLine line;
    EXPECT_TRUE(line.Parse(text));
    std::vector<std::wstring> positional;
    line.GetPositionalArgs(positional);
    size_t total = 0;
    for (const auto& arg : positional) {
      EXPECT_FALSE(arg.empty());
      total += arg.size();
    }
    EXPECT_LE(total, text.size());
    line.GetImagePath();
  }
}

TEST(CommandLineSingleton, SameInstanceFromEveryThread) {
  CCommandLine* first = CCommandLine::GetInstance();
  CCommandLine* others[4] = {};
  HANDLE threads[4];
  for (int i = 0; i < 4; ++i) {
    threads[i] = CreateThread(
        nullptr, 0,
        [](void* slot) -> DWORD {
          *static_cast<CCommandLine**>(slot) = CCommandLine::GetInstance();
          return 0;
        },
        &others[i], 0, nullptr);
  }
  WaitForMultipleObjects(4, threads, TRUE, INFINITE);
  for (int i = 0; i < 4; ++i) {
    CloseHandle(threads[i]);
    EXPECT_EQ(others[i], first);
  }
  EXPECT_NE(first, nullptr);
}

}  // namespace
