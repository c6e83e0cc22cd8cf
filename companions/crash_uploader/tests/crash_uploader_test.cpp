#include <windows.h>
#include <dbghelp.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "crash_uploader/crash_arguments.h"
#include "shared/companion_paths.h"
#include "support/test_paths.h"

namespace {

constexpr DWORD kCrashCode = 0xE0C0FFEE;

std::wstring TestsFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// Runs a program to its end; its exit code, or STILL_ACTIVE after a timeout.
DWORD RunProgram(const std::wstring& path, const std::wstring& arguments) {
  std::wstring command = L"\"" + path + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return static_cast<DWORD>(-1);
  }
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code;
}

// A dump file mapped for reading.
class MappedDump {
 public:
  explicit MappedDump(const std::wstring& path) {
    file_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                        nullptr);
    if (file_ != INVALID_HANDLE_VALUE) {
      mapping_ = CreateFileMappingW(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
    }
    if (mapping_) {
      base_ = MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0);
    }
  }
  ~MappedDump() {
    if (base_) {
      UnmapViewOfFile(base_);
    }
    if (mapping_) {
      CloseHandle(mapping_);
    }
    if (file_ != INVALID_HANDLE_VALUE) {
      CloseHandle(file_);
    }
  }
  template <class T>
  const T* Stream(ULONG type) const {
    MINIDUMP_DIRECTORY* directory = nullptr;
    void* stream = nullptr;
    ULONG size = 0;
    if (!base_ || !MiniDumpReadDumpStream(base_, type, &directory, &stream, &size) ||
        size < sizeof(T)) {
      return nullptr;
    }
    return static_cast<const T*>(stream);
  }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  HANDLE mapping_ = nullptr;
  void* base_ = nullptr;
};

TEST(CrashUploader, DumpOfACrashedProgramOpensWithTheDebugHelper) {
  const std::wstring crash_folder = companion::CrashFolder();
  const std::set<std::wstring> before = test_support::FilesIn(crash_folder);
  test_support::ScratchFolder scratch(L"crash");
  const std::wstring ids_file = scratch.File(L"ids.txt");

  const DWORD exit_code =
      RunProgram(TestsFolder() + L"crash_on_purpose.exe", L"\"" + ids_file + L"\"");
  EXPECT_EQ(exit_code, kCrashCode);
  unsigned long pid = 0;
  unsigned long tid = 0;
  ASSERT_EQ(sscanf(test_support::ReadFileBytes(ids_file).c_str(), "%lu %lu", &pid, &tid), 2);

  std::vector<std::wstring> added;
  for (const std::wstring& name : test_support::FilesIn(crash_folder)) {
    if (!before.count(name)) {
      added.push_back(name);
    }
  }
  ASSERT_EQ(added.size(), 1u);
  const std::wstring name = added[0];
  const std::wstring path = crash_folder + name;
  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_EQ(name.substr(0, 4), std::to_wstring(now.wYear));
  const std::wstring ending = L"_crashtest_1.2.3.4.dmp";
  ASSERT_GT(name.size(), ending.size());
  EXPECT_EQ(name.substr(name.size() - ending.size()), ending) << name.c_str();

  {
    MappedDump dump(path);
    const auto* exception = dump.Stream<MINIDUMP_EXCEPTION_STREAM>(ExceptionStream);
    ASSERT_NE(exception, nullptr);
    EXPECT_EQ(exception->ThreadId, tid);
    EXPECT_EQ(exception->ExceptionRecord.ExceptionCode, kCrashCode);
    ASSERT_EQ(exception->ExceptionRecord.NumberParameters, 1u);
    EXPECT_EQ(exception->ExceptionRecord.ExceptionInformation[0], 0x1234u);

    const auto* threads = dump.Stream<MINIDUMP_THREAD_LIST>(ThreadListStream);
    ASSERT_NE(threads, nullptr);
    bool crashed_thread_listed = false;
    for (ULONG i = 0; i < threads->NumberOfThreads; ++i) {
      crashed_thread_listed |= threads->Threads[i].ThreadId == tid;
    }
    EXPECT_TRUE(crashed_thread_listed);
    EXPECT_NE(dump.Stream<MINIDUMP_MODULE_LIST>(ModuleListStream), nullptr);
  }
  EXPECT_TRUE(DeleteFileW(path.c_str()));
}

TEST(CrashUploader, MissingOrWrongArgumentsWriteNothing) {
  const std::wstring crash_folder = companion::CrashFolder();
  companion::EnsureFolder(crash_folder);
  const std::set<std::wstring> before = test_support::FilesIn(crash_folder);
  const std::wstring pid = std::to_wstring(GetCurrentProcessId());
  const std::wstring tid = std::to_wstring(GetCurrentThreadId());
  // The address of a readable record in this process, were it a crash.
  EXCEPTION_RECORD record = {};
  EXCEPTION_POINTERS pointers = {&record, nullptr};
  const std::wstring pep = std::to_wstring(reinterpret_cast<ULONG_PTR>(&pointers));
  const std::wstring tail = L" --src=crashtest --ver=1.0 --rep=0";
  const std::wstring cases[] = {
      L"",
      L"--pid=" + pid + L" --tid=" + tid + tail,
      L"--pep=" + pep + L" --pid=abc --tid=" + tid + tail,
      L"--pep=" + pep + L" --pid=0 --tid=" + tid + tail,
      L"--pep=" + pep + L" --pid=" + pid + L" --pid=" + pid + L" --tid=" + tid + tail,
      L"--pep=" + pep + L" --pid=" + pid + L" --tid=" + tid + L" --src=..\\x --ver=1.0 --rep=0",
      L"--pep=" + pep + L" --pid=" + pid + L" --tid=" + tid + L" --src= --ver=1.0 --rep=0",
      L"--pep=" + pep + L" --pid=" + pid + L" --tid=" + tid + L" --src=a --ver=1/0 --rep=0",
      L"--pep=99999999999999999999999 --pid=" + pid + L" --tid=" + tid + tail,
      // Well formed but wrong: no such process, a thread of another process,
      // an address that holds no exception.
      L"--pep=" + pep + L" --pid=4000000000 --tid=" + tid + tail,
      L"--pep=" + pep + L" --pid=" + pid + L" --tid=1" + tail,
      L"--pep=8 --pid=" + pid + L" --tid=" + tid + tail,
  };
  const std::wstring uploader = test_support::DistFolder() + L"\\DedaDuze.exe";
  for (const std::wstring& arguments : cases) {
    EXPECT_NE(RunProgram(uploader, arguments), 0u) << arguments.c_str();
  }
  EXPECT_EQ(test_support::FilesIn(crash_folder), before);
}

TEST(CrashArguments, ParsesTheCrashFiltersParameters) {
  const wchar_t* argv[] = {L"DedaDuze.exe",     L"--pep=18446744071562067968",
                           L"--pid=1234",       L"--tid=5678",
                           L"--src=lumoramain", L"--ver=1.0.0.12",
                           L"--rep=0",          L"--something=else"};
  CrashArguments parsed;
  ASSERT_TRUE(ParseCrashArguments(8, argv, &parsed));
  // A 32-bit address above 2 GB arrives sign-extended.
  EXPECT_EQ(parsed.exception_pointers, 0xFFFFFFFF80000000ull);
  EXPECT_EQ(parsed.process_id, 1234u);
  EXPECT_EQ(parsed.thread_id, 5678u);
  EXPECT_EQ(parsed.source, L"lumoramain");
  EXPECT_EQ(parsed.version, L"1.0.0.12");

  // The version is empty when the program has no version resource.
  argv[5] = L"--ver=";
  ASSERT_TRUE(ParseCrashArguments(8, argv, &parsed));
  EXPECT_EQ(parsed.version, L"");
  argv[3] = L"--tid=-5";
  EXPECT_FALSE(ParseCrashArguments(8, argv, &parsed));
}

}  // namespace
