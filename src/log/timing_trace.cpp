#include "log/timing_trace.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <mutex>

#include "basic_lib/win_util.h"

namespace timing_trace {
namespace {

constexpr ULONGLONG kUnixEpochIn100ns = 116444736000000000ULL;

struct CTraceState {
  std::mutex mutex;
  std::wstring file;      // empty: tracing is off
  ULONGLONG created = 0;  // process creation, 100 ns units since 1601
  // The picture the view events refer to.
  std::wstring picture;
  bool first_recorded = true;
  bool sharp_recorded = true;
};

ULONGLONG ToUnits(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

CTraceState& State() {
  static CTraceState* state = [] {
    auto* s = new CTraceState();
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"LUMORA_TIMING_TRACE", buffer, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      s->file = buffer;
    } else {
      wchar_t module[MAX_PATH] = {};
      const DWORD module_length = GetModuleFileNameW(nullptr, module, MAX_PATH);
      if (module_length > 0 && module_length < MAX_PATH && PathRemoveFileSpecW(module) &&
          PathAppendW(module, L"timing_trace.txt") && PathFileExistsW(module)) {
        s->file = module;
      }
    }
    FILETIME creation = {}, exit = {}, kernel = {}, user = {};
    if (GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user)) {
      s->created = ToUnits(creation);
    }
    return s;
  }();
  return *state;
}

ULONGLONG Now() {
  // The precise clock exists from Windows 8 on; the coarse one before.
  using PreciseTime = void(WINAPI*)(FILETIME*);
  static const PreciseTime precise = win_util::GetProcAddressAs<PreciseTime>(
      GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime");
  FILETIME now = {};
  if (precise) {
    precise(&now);
  } else {
    GetSystemTimeAsFileTime(&now);
  }
  return ToUnits(now);
}

void Append(CTraceState& state, const char* event, const std::wstring& path) {
  const ULONGLONG now = Now();
  const double since_start = state.created && now > state.created
                                 ? static_cast<double>(now - state.created) / 10000.0
                                 : 0.0;
  const double wall = static_cast<double>(now - kUnixEpochIn100ns) / 10000.0;
  FILE* out = _wfopen(state.file.c_str(), L"ab");
  if (!out) {
    return;
  }
  fprintf(out, "%.3f %.3f %s ", since_start, wall, event);
  // The path in UTF-8, so that the line reads the same everywhere.
  if (!path.empty()) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()),
                                          nullptr, 0, nullptr, nullptr);
    if (bytes > 0) {
      std::string utf8(static_cast<size_t>(bytes), '\0');
      WideCharToMultiByte(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()), &utf8[0], bytes,
                          nullptr, nullptr);
      fwrite(utf8.data(), 1, utf8.size(), out);
    }
  }
  fputc('\n', out);
  fclose(out);
}

}  // namespace

bool Enabled() { return !State().file.empty(); }

void Record(const char* event, const std::wstring& path) {
  CTraceState& state = State();
  if (state.file.empty()) {
    return;
  }
  std::lock_guard<std::mutex> lock(state.mutex);
  Append(state, event, path);
}

void PictureAsked(const std::wstring& path) {
  CTraceState& state = State();
  if (state.file.empty()) {
    return;
  }
  std::lock_guard<std::mutex> lock(state.mutex);
  state.picture = path;
  state.first_recorded = path.empty();
  state.sharp_recorded = path.empty();
  if (!path.empty()) {
    Append(state, "asked", path);
  }
}

void PictureDrawn(bool sharp) {
  CTraceState& state = State();
  if (state.file.empty()) {
    return;
  }
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!state.first_recorded) {
    state.first_recorded = true;
    Append(state, "first", state.picture);
  }
  if (sharp && !state.sharp_recorded) {
    state.sharp_recorded = true;
    Append(state, "sharp", state.picture);
  }
}

void LoadingShown() {
  CTraceState& state = State();
  if (state.file.empty()) {
    return;
  }
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!state.first_recorded) {
    Append(state, "loading", state.picture);
  }
}

}  // namespace timing_trace
