// Times the real Lumora.exe end to end through its timing trace, beside the
// yardsticks the targets are measured against, all in this one run:
//
//   viewing_benchmark <photo folder> <listing folder> <minimal_window.exe>
//
// The photo folder holds photo_1.jpg .. photo_N.jpg (large JPEGs); the
// listing folder many picture names. Prints readable figures and, for the
// script that computes the ratios, lines "figure NAME VALUE".

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "folder/folder_scan.h"
#include "support/app_driver.h"

namespace {

constexpr UINT kZoomInCommand = 20003;

double WallMilliseconds() {
  FILETIME now = {};
  GetSystemTimeAsFileTime(&now);
  const ULONGLONG units = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return static_cast<double>(units - 116444736000000000ULL) / 10000.0;
}

void Figure(const char* name, double value) { printf("figure %s %.3f\n", name, value); }

struct TraceEvent {
  double since_start = 0;
  double wall = 0;
  std::string event;
  std::string path;
};

std::vector<TraceEvent> ReadTrace(const std::wstring& file) {
  std::vector<TraceEvent> events;
  FILE* in = _wfopen(file.c_str(), L"rb");
  if (!in) {
    return events;
  }
  char line[4096];
  while (fgets(line, sizeof(line), in)) {
    std::istringstream stream(line);
    TraceEvent event;
    if (!(stream >> event.since_start >> event.wall >> event.event)) {
      continue;
    }
    std::getline(stream, event.path);
    while (!event.path.empty() && (event.path.back() == '\n' || event.path.back() == '\r')) {
      event.path.pop_back();
    }
    if (!event.path.empty() && event.path.front() == ' ') {
      event.path.erase(0, 1);
    }
    events.push_back(event);
  }
  fclose(in);
  return events;
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The first event named event whose path ends with name (any path when empty).
const TraceEvent* FindEvent(const std::vector<TraceEvent>& events, const char* event,
                            const std::string& name) {
  for (const TraceEvent& e : events) {
    if (e.event == event && (name.empty() || EndsWith(e.path, name))) {
      return &e;
    }
  }
  return nullptr;
}

bool WaitForEvent(const std::wstring& trace, const char* event, const std::string& name,
                  TraceEvent* found, DWORD timeout_ms = 60000) {
  return test_support::WaitUntil(
      [&] {
        const std::vector<TraceEvent> events = ReadTrace(trace);
        const TraceEvent* e = FindEvent(events, event, name);
        if (e && found) {
          *found = *e;
        }
        return e != nullptr;
      },
      timeout_ms);
}

// Samples a process's private bytes until stopped, keeping the largest.
class CMemorySampler {
 public:
  explicit CMemorySampler(HANDLE process) : process_(process) {
    thread_ = std::thread([this] {
      while (!stop_) {
        Sample();
        Sleep(5);
      }
    });
  }
  ~CMemorySampler() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) {
      thread_.join();
    }
  }
  size_t Current() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(process_, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof(counters))) {
      return 0;
    }
    return std::max<size_t>(counters.PrivateUsage, counters.PagefileUsage);
  }
  size_t peak() const { return peak_; }

 private:
  void Sample() {
    const size_t now = Current();
    size_t seen = peak_;
    while (now > seen && !peak_.compare_exchange_weak(seen, now)) {
    }
  }
  HANDLE process_;
  std::atomic<bool> stop_{false};
  std::atomic<size_t> peak_{0};
  std::thread thread_;
};

std::string Utf8(const std::wstring& text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(std::max(bytes, 1)) - 1, '\0');
  if (bytes > 1) {
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], bytes, nullptr, nullptr);
  }
  return out;
}

void PressRight(HWND window) {
  PostMessageW(window, WM_KEYDOWN, VK_RIGHT, 0);
  PostMessageW(window, WM_KEYUP, VK_RIGHT, 0xC0000001);
}

double Median(std::vector<double> values) {
  if (values.empty()) {
    return -1;
  }
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::vector<std::wstring> Photos(const std::wstring& folder) {
  std::vector<std::wstring> names;
  for (int i = 1;; ++i) {
    const std::wstring name = L"photo_" + std::to_wstring(i) + L".jpg";
    if (GetFileAttributesW((folder + L"\\" + name).c_str()) == INVALID_FILE_ATTRIBUTES) {
      break;
    }
    names.push_back(name);
  }
  return names;
}

// P6: start to the first painted window, Lumora beside a minimal program.
// Also measures the empty program's private bytes.
void MeasureStart(const std::wstring& minimal, const std::wstring& trace, size_t* empty_private) {
  std::vector<double> minimal_ms;
  std::vector<double> lumora_ms;
  const std::wstring out_file = trace + L".minimal";
  for (int run = 0; run < 3; ++run) {
    DeleteFileW(out_file.c_str());
    std::wstring command = L"\"" + minimal + L"\" " + out_file;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    const double launched = WallMilliseconds();
    if (CreateProcessW(minimal.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
      WaitForSingleObject(info.hProcess, 30000);
      CloseHandle(info.hThread);
      CloseHandle(info.hProcess);
      double painted = 0;
      if (FILE* in = _wfopen(out_file.c_str(), L"rb")) {
        if (fscanf(in, "%lf", &painted) == 1) {
          minimal_ms.push_back(painted - launched);
        }
        fclose(in);
      }
    }

    DeleteFileW(trace.c_str());
    test_support::LumoraProcess lumora;
    const double started = WallMilliseconds();
    if (!lumora.Start(L"")) {
      continue;
    }
    TraceEvent window;
    if (WaitForEvent(trace, "window", "", &window, 30000)) {
      lumora_ms.push_back(window.wall - started);
    }
    if (run == 0 && empty_private) {
      test_support::PumpFor(1500);
      CMemorySampler sampler(lumora.process());
      *empty_private = sampler.Current();
    }
    lumora.Close();
  }
  const double best_minimal =
      minimal_ms.empty() ? -1 : *std::min_element(minimal_ms.begin(), minimal_ms.end());
  const double best_lumora =
      lumora_ms.empty() ? -1 : *std::min_element(lumora_ms.begin(), lumora_ms.end());
  printf("start to first painted window, minimal program (best of 3) %8.1f ms\n", best_minimal);
  printf("start to first painted window, Lumora (best of 3)          %8.1f ms\n", best_lumora);
  Figure("start_minimal_ms", best_minimal);
  Figure("start_lumora_ms", best_lumora);
}

// P1 and P5: open the first photo to a sharp fit view, then zoom in.
void MeasureOpenAndZoom(const std::wstring& folder, const std::wstring& first,
                        const std::wstring& trace, size_t empty_private) {
  DeleteFileW(trace.c_str());
  test_support::LumoraProcess lumora;
  if (!lumora.Start(L"\"" + folder + L"\\" + first + L"\"")) {
    printf("cannot start Lumora\n");
    return;
  }
  CMemorySampler sampler(lumora.process());
  const std::string name = Utf8(first);
  TraceEvent sharp;
  if (WaitForEvent(trace, "sharp", name, &sharp)) {
    const std::vector<TraceEvent> events = ReadTrace(trace);
    const TraceEvent* asked = FindEvent(events, "asked", name);
    const TraceEvent* shown = FindEvent(events, "first", name);
    if (asked) {
      printf("open: asked to first shown                %8.1f ms\n",
             shown ? shown->wall - asked->wall : -1);
      printf("open: asked to sharp fit view             %8.1f ms\n", sharp.wall - asked->wall);
      printf("open: process start to sharp fit view     %8.1f ms\n", sharp.since_start);
      Figure("open_sharp_ms", sharp.wall - asked->wall);
    }
  }
  HWND window = lumora.WaitForMainWindow();
  test_support::PumpFor(500);
  for (int step = 0; step < 8; ++step) {
    PostMessageW(window, WM_COMMAND, kZoomInCommand, 0);
    test_support::PumpFor(step == 0 ? 4000 : 600);
  }
  test_support::PumpFor(2000);
  sampler.Stop();
  const size_t peak = sampler.peak();
  printf("private bytes: empty program %.1f MB, peak showing and zooming %.1f MB\n",
         empty_private / 1048576.0, peak / 1048576.0);
  Figure("peak_private_above_empty_mb",
         (static_cast<double>(peak) - static_cast<double>(empty_private)) / 1048576.0);
  lumora.Close();
}

// P2: the next picture at a key every half second, then with a held key.
void MeasureTurning(const std::wstring& folder, const std::vector<std::wstring>& photos,
                    const std::wstring& trace) {
  DeleteFileW(trace.c_str());
  {
    test_support::LumoraProcess lumora;
    if (!lumora.Start(L"\"" + folder + L"\\" + photos.front() + L"\"")) {
      return;
    }
    HWND window = lumora.WaitForMainWindow();
    WaitForEvent(trace, "sharp", Utf8(photos.front()), nullptr);
    test_support::PumpFor(500);
    for (size_t i = 1; i < photos.size(); ++i) {
      PressRight(window);
      WaitForEvent(trace, "sharp", Utf8(photos[i]), nullptr, 30000);
      test_support::PumpFor(500);
    }
    lumora.Close();
  }
  const std::vector<TraceEvent> events = ReadTrace(trace);
  std::vector<double> sharp_ms;
  std::vector<double> first_ms;
  for (size_t i = 1; i < photos.size(); ++i) {
    const std::string name = Utf8(photos[i]);
    const TraceEvent* asked = FindEvent(events, "asked", name);
    const TraceEvent* first = FindEvent(events, "first", name);
    const TraceEvent* sharp = FindEvent(events, "sharp", name);
    if (asked && sharp) {
      sharp_ms.push_back(sharp->wall - asked->wall);
    }
    if (asked && first) {
      first_ms.push_back(first->wall - asked->wall);
    }
  }
  if (!sharp_ms.empty()) {
    printf(
        "next picture at a key every 0.5 s: first shown median %.1f ms, sharp median %.1f ms, "
        "slowest %.1f ms (%u steps)\n",
        Median(first_ms), Median(sharp_ms), *std::max_element(sharp_ms.begin(), sharp_ms.end()),
        static_cast<unsigned>(sharp_ms.size()));
    Figure("next_sharp_slowest_ms", *std::max_element(sharp_ms.begin(), sharp_ms.end()));
  }

  // A held key: a step every 40 ms, as keyboard repeat sends them.
  DeleteFileW(trace.c_str());
  {
    test_support::LumoraProcess lumora;
    if (!lumora.Start(L"\"" + folder + L"\\" + photos.front() + L"\"")) {
      return;
    }
    HWND window = lumora.WaitForMainWindow();
    WaitForEvent(trace, "sharp", Utf8(photos.front()), nullptr);
    test_support::PumpFor(1500);
    for (size_t i = 1; i < photos.size(); ++i) {
      PressRight(window);
      test_support::PumpFor(40);
    }
    test_support::PumpFor(3000);
    lumora.Close();
  }
  const std::vector<TraceEvent> held = ReadTrace(trace);
  int asked = 0;
  int loading = 0;
  int shown = 0;
  int preloaded_asked = 0;
  int preloaded_loading = 0;
  // A picture counts as preloaded when its fit view was kept before it was
  // asked for; the target is about those.
  auto name_of = [](const std::string& path) { return path.substr(path.find_last_of('\\') + 1); };
  auto preloaded_before = [&held, &name_of](const TraceEvent& asked_event) {
    for (const TraceEvent& e : held) {
      if (e.event == "preloaded" && name_of(e.path) == name_of(asked_event.path) &&
          e.wall <= asked_event.wall) {
        return true;
      }
    }
    return false;
  };
  const TraceEvent* last_asked = nullptr;
  bool last_preloaded = false;
  for (const TraceEvent& e : held) {
    if (e.event == "asked") {
      ++asked;
      last_asked = &e;
      last_preloaded = preloaded_before(e);
      preloaded_asked += last_preloaded;
    }
    shown += e.event == "first";
    if (e.event == "loading") {
      ++loading;
      preloaded_loading += last_asked && last_preloaded && e.path == last_asked->path;
    }
  }
  printf(
      "held key: %d pictures asked for (%d of them preloaded), %d shown, %d with the loading "
      "animation (%d of them preloaded)\n",
      asked - 1, preloaded_asked, shown - 1, loading, preloaded_loading);
  Figure("held_loading", preloaded_loading);
}

// P4: a large folder listed and sorted, beside a bare enumeration.
void MeasureListing(const std::wstring& folder) {
  std::vector<double> bare;
  std::vector<double> listed;
  size_t count = 0;
  size_t pictures = 0;
  for (int run = 0; run < 3; ++run) {
    auto start = std::chrono::steady_clock::now();
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    count = 0;
    if (find != INVALID_HANDLE_VALUE) {
      do {
        ++count;
      } while (FindNextFileW(find, &found));
      FindClose(find);
    }
    bare.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    start = std::chrono::steady_clock::now();
    std::atomic<int32_t> abort{0};
    const CFolderScanResult result = ScanFolder(folder, L"IMG_1.jpg", abort);
    pictures = result.names.size();
    listed.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  const double best_bare = *std::min_element(bare.begin(), bare.end());
  const double best_listed = *std::min_element(listed.begin(), listed.end());
  printf(
      "folder of %u entries: bare enumeration %.1f ms, listed and sorted (%u pictures) %.1f ms "
      "(best of 3)\n",
      static_cast<unsigned>(count), best_bare, static_cast<unsigned>(pictures), best_listed);
  Figure("listing_bare_ms", best_bare);
  Figure("listing_sorted_ms", best_listed);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    fwprintf(stderr, L"usage: viewing_benchmark <photo folder> <listing folder> <minimal exe>\n");
    return 2;
  }
  setvbuf(stdout, nullptr, _IONBF, 0);
  const std::wstring folder = argv[1];
  const std::wstring listing = argv[2];
  const std::wstring minimal = argv[3];
  const std::vector<std::wstring> photos = Photos(folder);
  if (photos.empty()) {
    fwprintf(stderr, L"no photo_1.jpg in %ls\n", folder.c_str());
    return 1;
  }
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring trace = std::wstring(temp) + L"lumora_timing_trace.txt";
  SetEnvironmentVariableW(L"LUMORA_TIMING_TRACE", trace.c_str());

  MeasureListing(listing);
  size_t empty_private = 0;
  MeasureStart(minimal, trace, &empty_private);
  MeasureOpenAndZoom(folder, photos.front(), trace, empty_private);
  if (photos.size() > 1) {
    MeasureTurning(folder, photos, trace);
  }
  test_support::EndTrayPrograms();
  return 0;
}
