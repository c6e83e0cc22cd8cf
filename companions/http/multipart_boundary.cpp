// Boundaries from the clock, the process id and a counter: unlikely in any
// text, and different for each body even within one process.
#include "http/multipart_body.h"

#include <windows.h>

#include <cstdio>

namespace http_module {

namespace {

std::string CandidateBoundary(unsigned attempt) {
  static LONG counter = 0;
  char text[80];
  snprintf(text, sizeof(text), "----LumoraFormBoundary%08lx%08lx%04x%04x",
           static_cast<unsigned long>(GetTickCount()),
           static_cast<unsigned long>(GetCurrentProcessId() * 2654435761u),
           static_cast<unsigned>(InterlockedIncrement(&counter) & 0xFFFF), attempt & 0xFFFF);
  return text;
}

}  // namespace

CMultipartBody::CMultipartBody(std::vector<std::pair<std::string, std::string>> fields)
    : CMultipartBody(std::move(fields), CandidateBoundary) {}

}  // namespace http_module
